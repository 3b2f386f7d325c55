#pragma once
#include "engine/kiv_export.h"

// Exports kept for compatibility with callers of earlier builds; nothing in the system uses them.
class KIV_API CKivRadiosity {
public:
    CKivRadiosity();
    CKivRadiosity& operator=(const CKivRadiosity&);
};
KIV_API int fnKivRadiosity();
extern KIV_API int nKivRadiosity;

#include "engine/api/library_api.h"

int nKivRadiosity = 0;
int fnKivRadiosity() { return 42; }
CKivRadiosity::CKivRadiosity() = default;
CKivRadiosity& CKivRadiosity::operator=(const CKivRadiosity&) { return *this; }

#pragma once
#include "engine/kiv_types.h"

namespace kiv {
// Colour setters of the parameter, attribute and map records take red, green and blue only;
// the fourth component of the stored colour stays as it was.
inline void setRgb(KivColor& dst, const KivColor& src) {
    dst.r = src.r;
    dst.g = src.g;
    dst.b = src.b;
}
}  // namespace kiv

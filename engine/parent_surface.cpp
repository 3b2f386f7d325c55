#include "engine/parent_surface.h"

KivParentSurface::KivParentSurface() = default;
void KivParentSurface::init() { *this = KivParentSurface(); }

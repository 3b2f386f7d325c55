// Interim, weak definitions of the surface set-up members the voxel grid calls on its six
// bounding faces, so that the grid links and can be tested before the full surface geometry
// is in the engine. They derive only the plane, main axis, plane height, boundary and area
// (no outer square, sample grids or lightmap coordinates). The complete definitions in
// parent_surface.cpp are strong symbols and replace these; delete this file once they exist.
#include <algorithm>
#include <cmath>

#include "engine/parent_surface.h"

namespace {
float widenMin(float m) { return m > 1e-10f ? m * 0.999f : (m < -1e-10f ? m * 1.001f : -1e-10f); }
float widenMax(float m) { return m > 1e-10f ? m * 1.001f : (m < -1e-10f ? m * 0.999f : 1e-10f); }
int copies(int nverts) { return nverts == 3 ? 3 : 4; }
}  // namespace

__attribute__((weak)) void KivParentSurface::setNverts(int n) { nverts = n; }

__attribute__((weak)) void KivParentSurface::setPosition(const KivPoint* p) {
    const int n = copies(nverts);
    for (int i = 0; i < n; ++i) position[i] = p[i];
    if (n == 3) position[3] = position[2];
}

__attribute__((weak)) void KivParentSurface::setNormal(const KivVector* v) {
    const int n = copies(nverts);
    for (int i = 0; i < n; ++i) normal[i] = kiv::normalise(v[i]);
    if (n == 3) normal[3] = normal[2];
}

__attribute__((weak)) void KivParentSurface::setUvw(const KivUvw* t) {
    const int n = copies(nverts);
    for (int i = 0; i < n; ++i) uvw[i] = t[i];
    if (n == 3) uvw[3] = uvw[2];
}

__attribute__((weak)) void KivParentSurface::doSet() {
    const int n = std::clamp(nverts, 1, 4);
    planeNormal = kiv::normalise(kiv::cross(kiv::vectorBetween(position[0], position[1]),
                                            kiv::vectorBetween(position[0], position[n - 1])));
    const float a = std::fabs(planeNormal.x), b = std::fabs(planeNormal.y),
                c = std::fabs(planeNormal.z);
    mainAxis = c > std::max(a, b) ? 2 : (a >= b ? 0 : 1);
    planeHeight = kiv::dot(position[0], planeNormal);
    KivBoundary r{position[0].x, position[0].x, position[0].y,
                  position[0].y, position[0].z, position[0].z};
    for (int i = 1; i < n; ++i) {
        r.xmin = std::min(r.xmin, position[i].x);
        r.xmax = std::max(r.xmax, position[i].x);
        r.ymin = std::min(r.ymin, position[i].y);
        r.ymax = std::max(r.ymax, position[i].y);
        r.zmin = std::min(r.zmin, position[i].z);
        r.zmax = std::max(r.zmax, position[i].z);
    }
    boundary = {widenMin(r.xmin), widenMax(r.xmax), widenMin(r.ymin),
                widenMax(r.ymax), widenMin(r.zmin), widenMax(r.zmax)};
    area = kiv::triangleArea(position[0], position[1], position[2]);
    if (nverts == 4) area += kiv::triangleArea(position[0], position[2], position[3]);
}

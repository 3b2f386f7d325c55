#include "engine/parent_surface.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <utility>

using kiv::cross;
using kiv::dot;
using kiv::length;
using kiv::normalise;
using kiv::vectorBetween;

namespace {

// Number of grid points along a side of the given length: the side is cut into cells of at most
// `interval`, the cell count is raised to a multiple of `multiple`, and a side always has its two
// ends. Non-finite or absurd sizes saturate at the cap so that counts cannot overflow; such a
// grid is refused later where memory would be allocated for it.
int gridSide(float sideLength, float interval, int multiple) {
    const float f = std::ceil(sideLength / interval + 1.0f);
    if (!(f <= static_cast<float>(kKivGridSideCap))) return kKivGridSideCap;
    int n = f <= 1.0f ? 2 : static_cast<int>(f);
    const int m = multiple < 1 ? 1 : multiple;  // a zero or negative multiple leaves the count
    if ((n - 1) % m != 0) {
        const long long raised = static_cast<long long>(m) * ((n - 1) / m + 1) + 1;
        n = raised > kKivGridSideCap ? kKivGridSideCap : static_cast<int>(raised);
    }
    return n;
}

float cellSpacing(float sideLength, int points) {
    return points > 1 ? sideLength / static_cast<float>(points - 1) : kKivInfinity;
}

int saturatedProduct(int a, int b) {
    const long long p = static_cast<long long>(a) * static_cast<long long>(b);
    return p > 0x7fffffffLL ? 0x7fffffff : static_cast<int>(p);
}

KivPoint withUnitW(const KivPoint& p) { return KivPoint::make(p.x, p.y, p.z); }

float sideLength(const KivPoint* square, int corner) {
    return length(vectorBetween(square[0], square[corner]));
}

// Lightmap coordinate along one side for a local coordinate: texel centres sit on grid points.
float lightmapCoordinate(float local, int points, float spacing) {
    const float n = static_cast<float>(points);
    return 1.0f / (2.0f * n) + local * ((n - 1.0f) / n) / ((n - 1.0f) * spacing);
}

// Moves a bound outward by a relative margin; bounds near zero become +-1e-10.
float widenMin(float m) {
    if (m > 1e-10f) return m * 0.999f;
    if (m < -1e-10f) return m * 1.001f;
    return -1e-10f;
}
float widenMax(float m) {
    if (m > 1e-10f) return m * 1.001f;
    if (m < -1e-10f) return m * 0.999f;
    return 1e-10f;
}

}  // namespace

KivParentSurface::KivParentSurface() = default;

void KivParentSurface::init() { *this = KivParentSurface(); }

void KivParentSurface::setNverts(int n) { nverts = n; }

void KivParentSurface::setPosition(const KivPoint* p) {
    if (p == nullptr) return;
    const int n = nverts == 3 ? 3 : 4;
    for (int k = 0; k < n; ++k) position[k] = withUnitW(p[k]);
    if (n == 3) position[3] = position[2];
}

void KivParentSurface::setNormal(const KivVector* nrm) {
    if (nrm == nullptr) return;
    const int n = nverts == 3 ? 3 : 4;
    for (int k = 0; k < n; ++k) normal[k] = normalise(nrm[k]);
    if (n == 3) normal[3] = normal[2];
}

void KivParentSurface::setUvw(const KivUvw* t) {
    if (t == nullptr) return;
    const int n = nverts == 3 ? 3 : 4;
    for (int k = 0; k < n; ++k) uvw[k] = t[k];
    if (n == 3) uvw[3] = uvw[2];
}

void KivParentSurface::setLightmapUvw(const KivUvw* t) {
    if (t == nullptr) return;
    std::copy(t, t + 4, lightmapUvw);
}

void KivParentSurface::setLightmapUvwIndirect(const KivUvw* t) {
    if (t == nullptr) return;
    std::copy(t, t + 4, lightmapUvwIndirect);
}

void KivParentSurface::setInterval(float s) {
    if (s == interval) return;
    interval = s;
    setWidth();
    setHeight();
    setWInterval();
    setHInterval();
    setVertTotalCount();
}

void KivParentSurface::setIntervalIndirect(float s) {
    if (s == intervalIndirect) return;
    intervalIndirect = s;
    setWidthIndirect();
    setHeightIndirect();
    setWIntervalIndirect();
    setHIntervalIndirect();
    setIndirectVertTotalCount();
}

void KivParentSurface::setVertTotalCount() { vertTotalCount = saturatedProduct(width, height); }

void KivParentSurface::setIndirectVertTotalCount() {
    indirectVertTotalCount = saturatedProduct(widthIndirect, heightIndirect);
}

void KivParentSurface::setWidth() {
    width = gridSide(sideLength(outerSquarePos, 1), interval, intervalMultiple);
}
void KivParentSurface::setHeight() {
    height = gridSide(sideLength(outerSquarePos, 3), interval, intervalMultiple);
}
void KivParentSurface::setWInterval() {
    wInterval = cellSpacing(sideLength(outerSquarePos, 1), width);
}
void KivParentSurface::setHInterval() {
    hInterval = cellSpacing(sideLength(outerSquarePos, 3), height);
}
void KivParentSurface::setWidthIndirect() {
    widthIndirect =
        gridSide(sideLength(outerSquarePos, 1), intervalIndirect, intervalMultipleIndirect);
}
void KivParentSurface::setHeightIndirect() {
    heightIndirect =
        gridSide(sideLength(outerSquarePos, 3), intervalIndirect, intervalMultipleIndirect);
}
void KivParentSurface::setWIntervalIndirect() {
    wIntervalIndirect = cellSpacing(sideLength(outerSquarePos, 1), widthIndirect);
}
void KivParentSurface::setHIntervalIndirect() {
    hIntervalIndirect = cellSpacing(sideLength(outerSquarePos, 3), heightIndirect);
}

void KivParentSurface::createLightmap(int components) {
    // A grid beyond the per-surface limit or a texel size outside 1..4 bytes gets no buffer: the
    // vertices then carry no texel address instead of one that runs past the buffer.
    lightmap = nullptr;
    if (components < 1 || components > 4 || !kiv::gridFits(width, height)) return;
    lightmap = new unsigned char[static_cast<std::size_t>(width) * height * components]();
}

void KivParentSurface::deleteLightmap() {
    delete[] lightmap;
    lightmap = nullptr;
}

void KivParentSurface::createLightmapIndirect(int components) {
    lightmapIndirect = nullptr;
    if (components < 1 || components > 4 || !kiv::gridFits(widthIndirect, heightIndirect)) return;
    lightmapIndirect =
        new unsigned char[static_cast<std::size_t>(widthIndirect) * heightIndirect * components]();
}

void KivParentSurface::deleteLightmapIndirect() {
    delete[] lightmapIndirect;
    lightmapIndirect = nullptr;
}

void KivParentSurface::doSet() {
    setPlaneNormal();
    setPlaneHeight();
    calcOuterSquarePos();
    calcBoundary();
    setArea();
}

KivPoint KivParentSurface::calcGravity() const {
    const int n = std::clamp(nverts, 0, 4);
    if (n == 0) return KivPoint();
    KivPoint g = KivPoint::make(0.0f, 0.0f, 0.0f);
    for (int k = 0; k < n; ++k) g += position[k];
    return g / static_cast<float>(n);
}

void KivParentSurface::output(std::FILE* f) const {
    if (f == nullptr) return;
    const int n = std::clamp(nverts, 0, 4);
    std::fprintf(f, "%d\n", nverts);
    for (int k = 0; k < n; ++k) {
        std::fprintf(f, "%f %f %f\n", position[k].x, position[k].y, position[k].z);
        std::fprintf(f, "%f %f %f\n", normal[k].x, normal[k].y, normal[k].z);
    }
    std::fprintf(f, "%f %f %f\n", diffuse.r, diffuse.g, diffuse.b);
    std::fflush(f);
}

void KivParentSurface::setPlaneNormal() {
    const int n = geometryVerts();
    planeNormal = normalise(cross(vectorBetween(position[0], position[1]),
                                  vectorBetween(position[0], position[n - 1])));
    const float a = std::fabs(planeNormal.x), b = std::fabs(planeNormal.y),
                c = std::fabs(planeNormal.z);
    if (c > std::max(a, b))
        mainAxis = 2;
    else
        mainAxis = a >= b ? 0 : 1;
}

void KivParentSurface::setPlaneHeight() { planeHeight = dot(position[0], planeNormal); }

bool KivParentSurface::calcOuterSquareOrigin(KivVector& u, KivVector& v) {
    const int n = geometryVerts();
    auto at = [n](int k) { return ((k % n) + n) % n; };
    auto dirs = [&](int k, int next, int prev) {
        u = normalise(vectorBetween(position[k], position[next]));
        v = normalise(vectorBetween(position[k], position[prev]));
        return dot(u, v) >= 0.0f;
    };

    // The longest edge (the first of equal longest ones) becomes the first side if one of its
    // ends has a corner of at most 90 degrees.
    int k = 0;
    float longest = -1.0f;
    for (int e = 0; e < n; ++e) {
        const float len = length(vectorBetween(position[e], position[at(e + 1)]));
        if (len > longest) {
            longest = len;
            k = e;
        }
    }
    if (dirs(k, at(k + 1), at(k - 1))) {
        outerSquareOriginIndex = static_cast<std::uint16_t>(k);
        return false;
    }
    const int o = at(k + 1);
    if (dirs(o, at(o + 1), at(o - 1))) {
        // The corner at the edge's end qualifies: swap the end's neighbours so that the edge
        // leaves the origin as its first side; resetPositionInverse undoes this.
        std::swap(position[at(o - 1)], position[at(o + 1)]);
        dirs(o, at(o + 1), at(o - 1));
        outerSquareOriginIndex = static_cast<std::uint16_t>(o);
        return true;
    }
    for (int i = 0; i < n; ++i) {
        if (dirs(i, at(i + 1), at(i - 1))) {
            outerSquareOriginIndex = static_cast<std::uint16_t>(i);
            return false;
        }
    }
    // No corner of at most 90 degrees exists only for a degenerate outline.
    dirs(0, at(1), at(-1));
    outerSquareOriginIndex = 0;
    return false;
}

void KivParentSurface::calcOuterSquarePos() {
    KivVector u, v;
    const bool inverted = calcOuterSquareOrigin(u, v);

    // Local frame at the origin: first side along U, the polygon on the positive V side.
    KivVector V = normalise(cross(planeNormal, u));
    KivVector N = planeNormal;
    if (dot(V, v) < 0.0f) {
        V = kiv::negate(V);
        N = kiv::negate(N);
    }
    const KivPoint& origin = position[outerSquareOriginIndex];
    KivMatrix frame;
    const float rows[4][3] = {
        {u.x, u.y, u.z}, {V.x, V.y, V.z}, {N.x, N.y, N.z}, {origin.x, origin.y, origin.z}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) frame.at(r, c) = rows[r][c];
    const KivMatrix toLocal = kiv::rigidInverse(frame);

    KivPoint local[4];
    for (int k = 0; k < 4; ++k) local[k] = kiv::transform(position[k], toLocal);

    calcOuterSquarePosOnXYplane(local, frame);

    setWidth();
    setHeight();
    setWInterval();
    setHInterval();
    setVertTotalCount();
    setWidthIndirect();
    setHeightIndirect();
    setWIntervalIndirect();
    setHIntervalIndirect();
    setIndirectVertTotalCount();

    calcLightMapUvw(local);
    calcLightMapUvwIndirect(local);
    if (inverted) resetPositionInverse();
    if (nverts == 3) {
        // The repeated fourth vertex keeps the coordinates of the third.
        lightmapUvw[3] = lightmapUvw[2];
        lightmapUvwIndirect[3] = lightmapUvwIndirect[2];
    }
}

void KivParentSurface::calcOuterSquarePosOnXYplane(const KivPoint* local, const KivMatrix& frame) {
    float X = local[0].x, Y = local[0].y;
    for (int k = 1; k < 4; ++k) {
        X = std::max(X, local[k].x);
        Y = std::max(Y, local[k].y);
    }
    const KivPoint corners[4] = {KivPoint::make(0.0f, 0.0f, 0.0f), KivPoint::make(X, 0.0f, 0.0f),
                                 KivPoint::make(X, Y, 0.0f), KivPoint::make(0.0f, Y, 0.0f)};
    for (int k = 0; k < 4; ++k) outerSquarePos[k] = kiv::transform(corners[k], frame);
}

void KivParentSurface::calcLightMapUvw(const KivPoint* local) {
    for (int k = 0; k < 4; ++k) {
        lightmapUvw[k].u = lightmapCoordinate(local[k].x, width, wInterval);
        lightmapUvw[k].v = lightmapCoordinate(local[k].y, height, hInterval);
    }
}

void KivParentSurface::calcLightMapUvwIndirect(const KivPoint* local) {
    for (int k = 0; k < 4; ++k) {
        lightmapUvwIndirect[k].u = lightmapCoordinate(local[k].x, widthIndirect, wIntervalIndirect);
        lightmapUvwIndirect[k].v =
            lightmapCoordinate(local[k].y, heightIndirect, hIntervalIndirect);
    }
}

void KivParentSurface::resetPositionInverse() {
    const int n = geometryVerts();
    const int o = outerSquareOriginIndex;
    const int a = (o + 1) % n, b = (o + n - 1) % n;
    std::swap(position[a], position[b]);
    std::swap(lightmapUvw[a], lightmapUvw[b]);
    std::swap(lightmapUvwIndirect[a], lightmapUvwIndirect[b]);
}

void KivParentSurface::calcBoundary() {
    const int n = geometryVerts();
    KivBoundary b{position[0].x, position[0].x, position[0].y,
                  position[0].y, position[0].z, position[0].z};
    for (int k = 1; k < n; ++k) {
        b.xmin = std::min(b.xmin, position[k].x);
        b.xmax = std::max(b.xmax, position[k].x);
        b.ymin = std::min(b.ymin, position[k].y);
        b.ymax = std::max(b.ymax, position[k].y);
        b.zmin = std::min(b.zmin, position[k].z);
        b.zmax = std::max(b.zmax, position[k].z);
    }
    boundary = {widenMin(b.xmin), widenMax(b.xmax), widenMin(b.ymin),
                widenMax(b.ymax), widenMin(b.zmin), widenMax(b.zmax)};
}

void KivParentSurface::setArea() {
    area = calcTriangleArea(position[0], position[1], position[2]);
    if (nverts == 4) area += calcTriangleArea(position[0], position[2], position[3]);
}

float KivParentSurface::calcTriangleArea(const KivPoint& a, const KivPoint& b,
                                         const KivPoint& c) const {
    return kiv::triangleArea(a, b, c);
}

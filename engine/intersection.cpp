#include "engine/intersection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "engine/scene.h"
#include "engine/voxel_grid.h"

namespace kiv {

namespace {

// Axes of the box test: the two other than the main axis.
void boxAxes(char mainAxis, int& a0, int& a1) {
    if (mainAxis == 0) {
        a0 = 1;
        a1 = 2;
    } else if (mainAxis == 1) {
        a0 = 0;
        a1 = 2;
    } else {
        a0 = 0;
        a1 = 1;
    }
}

// Axes of the polygon test: the coordinate plane that drops the normal's dominant axis.
void projectionAxes(const KivVector& n, int& u, int& v) {
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    if (ax >= ay && ax >= az) {
        u = 1;
        v = 2;
    } else if (ay >= az) {
        u = 0;
        v = 2;
    } else {
        u = 0;
        v = 1;
    }
}

float coord(const KivPoint& p, int a) { return a == 0 ? p.x : (a == 1 ? p.y : p.z); }

void boundaryRange(const KivBoundary& b, int a, float& lo, float& hi) {
    lo = a == 0 ? b.xmin : (a == 1 ? b.ymin : b.zmin);
    hi = a == 0 ? b.xmax : (a == 1 ? b.ymax : b.zmax);
}

// Corners the polygon test uses: 3 or 4; anything else is no polygon.
int polygonCorners(int nverts) {
    if (nverts < 3) return 0;
    return nverts > 4 ? 4 : nverts;
}

// Edge value of the point (uh, vh) against the edge from (u, v) along (du, dv): positive on
// the left of the edge.
inline float edgeValue(float u, float v, float du, float dv, float uh, float vh) {
    return du * (vh - v) - dv * (uh - u);
}

template <class EdgeAt>
bool sameSideOfAllEdges(int corners, EdgeAt edgeAt) {
    const float first = edgeAt(0);
    if (first > 0.0f) {
        for (int i = 1; i < corners; ++i)
            if (!(edgeAt(i) > 0.0f)) return false;
        return true;
    }
    if (first <= 0.0f) {
        for (int i = 1; i < corners; ++i)
            if (!(edgeAt(i) <= 0.0f)) return false;
        return true;
    }
    return false;
}

// Cell coordinate of a point on one axis, truncated toward zero; false when the point lies
// outside the grid on that axis (or is not a number).
inline bool cellCoordinate(float p, float minimum, float inverse, int count, int& cell) {
    const float f = (p - minimum) * inverse;
    if (!(f > -1.0f && f < static_cast<float>(count))) return false;
    cell = static_cast<int>(f);
    return true;
}

// The cell where a ray that starts outside the grid enters it; false when it never does
// (within tLimit).
bool entryCell(const VoxelGrid& g, const float p[3], const float d[3], float tLimit, int cell[3]) {
    const float lo[3] = {g.boundary.xmin, g.boundary.ymin, g.boundary.zmin};
    const float hi[3] = {g.boundary.xmax, g.boundary.ymax, g.boundary.zmax};
    float tEnter = 0.0f, tExit = tLimit;
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(p[a]) || !std::isfinite(d[a])) return false;
        if (d[a] > 1e-10f || d[a] < -1e-10f) {
            float t0 = (lo[a] - p[a]) / d[a], t1 = (hi[a] - p[a]) / d[a];
            if (t0 > t1) std::swap(t0, t1);
            if (t0 > tEnter) tEnter = t0;
            if (t1 < tExit) tExit = t1;
        } else if (!(p[a] >= lo[a] && p[a] < hi[a])) {
            return false;
        }
    }
    if (!(tEnter <= tExit)) return false;
    for (int a = 0; a < 3; ++a) {
        const float f = (p[a] + tEnter * d[a] - lo[a]) * g.inverseSize[a];
        cell[a] = f >= static_cast<float>(g.count[a]) ? g.count[a] - 1
                                                      : (f >= 1.0f ? static_cast<int>(f) : 0);
    }
    return true;
}

}  // namespace

bool insideBoundaryBox(const KivParentSurface& s, const KivPoint& p) {
    int a0, a1;
    boxAxes(s.mainAxis, a0, a1);
    float lo, hi;
    boundaryRange(s.boundary, a0, lo, hi);
    const float c0 = coord(p, a0);
    if (!(lo <= c0 && c0 <= hi)) return false;
    boundaryRange(s.boundary, a1, lo, hi);
    const float c1 = coord(p, a1);
    return lo <= c1 && c1 <= hi;
}

bool insidePolygon(const KivParentSurface& s, const KivPoint& p) {
    const int corners = polygonCorners(s.nverts);
    if (corners == 0) return false;
    int ua, va;
    projectionAxes(s.planeNormal, ua, va);
    const float uh = coord(p, ua), vh = coord(p, va);
    return sameSideOfAllEdges(corners, [&](int i) {
        const KivPoint& a = s.position[i];
        const KivPoint& b = s.position[(i + 1) % corners];
        const float u = coord(a, ua), v = coord(a, va);
        return edgeValue(u, v, coord(b, ua) - u, coord(b, va) - v, uh, vh);
    });
}

// ---------------------------------------------------------------------------------------------

void VisibilitySurfaces::build(const KivParentSurface* surfaces, int count,
                               const SurfaceMaterial* materials) {
    clear();
    if (surfaces == nullptr || count <= 0) return;
    hot_.resize(static_cast<std::size_t>(count));
    polygons_.resize(static_cast<std::size_t>(count));
    transparency_.resize(static_cast<std::size_t>(count));
    rayNumbers_.assign(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        const KivParentSurface& s = surfaces[i];
        Hot& h = hot_[i];
        const int corners = polygonCorners(s.nverts);
        // A record that is no polygon gets a zero normal: every ray counts as parallel to it.
        const KivVector n = corners != 0 ? s.planeNormal : KivVector(0.0f, 0.0f, 0.0f);
        h.n[0] = n.x;
        h.n[1] = n.y;
        h.n[2] = n.z;
        h.h = s.planeHeight;
        int a0, a1, u, v;
        boxAxes(s.mainAxis, a0, a1);
        boundaryRange(s.boundary, a0, h.lo0, h.hi0);
        boundaryRange(s.boundary, a1, h.lo1, h.hi1);
        projectionAxes(s.planeNormal, u, v);
        h.axis0 = static_cast<std::uint8_t>(a0);
        h.axis1 = static_cast<std::uint8_t>(a1);
        h.u = static_cast<std::uint8_t>(u);
        h.v = static_cast<std::uint8_t>(v);
        h.corners = static_cast<std::uint8_t>(corners);
        h.flags = s.flags;

        Polygon& poly = polygons_[i];
        for (int k = 0; k < 4; ++k) {
            const KivPoint& a = s.position[k < corners ? k : 0];
            const KivPoint& b = s.position[corners != 0 ? (k + 1) % corners : 0];
            poly.u[k] = coord(a, u);
            poly.v[k] = coord(a, v);
            poly.du[k] = coord(b, u) - poly.u[k];
            poly.dv[k] = coord(b, v) - poly.v[k];
        }

        const SurfaceMaterial m = materials != nullptr ? materials[i] : SurfaceMaterial{};
        const KivColor& t = m.transparency;
        h.opaque = (!m.present || t.r + t.g + t.b < 1e-10f) ? 1 : 0;
        transparency_[i] = KivColor(t.r, t.g, t.b, 1.0f);
    }
}

void VisibilitySurfaces::clear() {
    std::vector<Hot>().swap(hot_);
    std::vector<Polygon>().swap(polygons_);
    std::vector<KivColor>().swap(transparency_);
    std::vector<std::int32_t>().swap(rayNumbers_);
}

void VisibilitySurfaces::clearRayNumbers() { std::fill(rayNumbers_.begin(), rayNumbers_.end(), 0); }

bool VisibilitySurfaces::hits(int s, const Ray& r) const {
    const Hot& h = hot_[s];
    // Rays within about a twentieth of a degree of the plane never hit it.
    const float den = h.n[0] * r.d[0] + h.n[1] * r.d[1] + h.n[2] * r.d[2];
    if (-0.001f < den && den < 0.001f) return false;
    const float t = (h.h - (h.n[0] * r.p[0] + h.n[1] * r.p[1] + h.n[2] * r.p[2])) / den;
    // Hits right at the receiver (its own neighbourhood) or at the shooter are not occlusion.
    if (!(t >= 0.002f && t <= r.tMax)) return false;
    const float hit[3] = {r.p[0] + t * r.d[0], r.p[1] + t * r.d[1], r.p[2] + t * r.d[2]};
    const float c0 = hit[h.axis0], c1 = hit[h.axis1];
    if (!(h.lo0 <= c0 && c0 <= h.hi0 && h.lo1 <= c1 && c1 <= h.hi1)) return false;
    const Polygon& p = polygons_[s];
    const float uh = hit[h.u], vh = hit[h.v];
    return sameSideOfAllEdges(
        h.corners, [&](int i) { return edgeValue(p.u[i], p.v[i], p.du[i], p.dv[i], uh, vh); });
}

// ---------------------------------------------------------------------------------------------

void IntersectionState::prepare(const VoxelGrid& grid, const KivParentSurface* surfaces, int count,
                                const SurfaceMaterial* materials) {
    surfaces_.build(surfaces, count, materials);
    preparedStamp_ = grid.stamp();
    walkable_ = grid.hasCells() && surfaces_.size() >= grid.surfaceCount();
}

bool IntersectionState::isPreparedFor(const VoxelGrid& grid) const {
    return preparedStamp_ == grid.stamp();
}

void IntersectionState::resetRayCounter() {
    rayCounter = 0;
    surfaces_.clearRayNumbers();
}

int IntersectionState::nextRayNumber() {
    if (rayCounter < 0 || rayCounter >= kRayCounterWrap - 1) {
        surfaces_.clearRayNumbers();
        rayCounter = 1;
    } else {
        ++rayCounter;
    }
    return rayCounter;
}

float IntersectionState::judgePointToPoint(const VoxelGrid& grid, const QueryState& q,
                                           OccluderFilter f) {
    return judge<true>(grid, q, f);
}

float IntersectionState::judgeDirectional(const VoxelGrid& grid, const QueryState& q,
                                          OccluderFilter f) {
    return judge<false>(grid, q, f);
}

template <bool kPointToPoint>
float IntersectionState::judge(const VoxelGrid& g, const QueryState& q, OccluderFilter filter) {
    const std::int32_t ray = nextRayNumber();

    VisibilitySurfaces::Ray r;
    KivVector D;
    if constexpr (kPointToPoint) {
        D = vectorBetween(q.receiverPoint, q.shooterPosition);
        const float L = length(D);
        D = normalise(D);
        r.tMax = L - 0.001f;
    } else {
        D = negate(q.shooterDirection);
        r.tMax = std::numeric_limits<float>::infinity();
    }
    r.p[0] = q.receiverPoint.x;
    r.p[1] = q.receiverPoint.y;
    r.p[2] = q.receiverPoint.z;
    r.d[0] = D.x;
    r.d[1] = D.y;
    r.d[2] = D.z;
    transparencyColorResult = KivColor(1.0f, 1.0f, 1.0f, 1.0f);
    float result = kRayFree;

    const std::int32_t receiver = q.receiverSurface;
    // While a light shoots, the shooter index names a light, not a surface.
    const std::int32_t shooter =
        (kPointToPoint && q.shootType != kShootTypeLight) ? q.shooterIndex : -1;

    // The filter as a mask and the answer that excludes: a surface is skipped when
    // ((flags & mask) != 0) == excludeWhenShared. With mask 0 and excludeWhenShared set,
    // nothing is skipped.
    std::int32_t mask = 0;
    bool excludeWhenShared = true;
    if (filter.mask == 0) {
        // Light from an environment image only meets survey surfaces.
        if (q.shooterType == kShooterTypeHdri) {
            mask = kSurfaceSurvey;
            excludeWhenShared = false;
        }
    } else if (filter.mode == 1) {
        mask = filter.mask;
        excludeWhenShared = false;
    } else if (filter.mode == 0) {
        mask = filter.mask;
    }

    // Surfaces packed for another grid (or none) are not to be trusted: no walk, no cache.
    if (!walkable_ || preparedStamp_ != g.stamp()) return result;

    VisibilitySurfaces& S = surfaces_;
    const int surfaceCount = S.size();

    // The surface that blocked the previous ray is likely to block this one too.
    const std::int32_t cached = shadowSurfaceIndex;
    if (cached != -1 && cached != receiver && cached != shooter && cached >= 0 &&
        cached < surfaceCount) {
        S.rayNumbers_[cached] = ray;
        if (((S.hot_[cached].flags & mask) != 0) != excludeWhenShared && S.hits(cached, r)) {
            transparencyColorResult = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
            return kRayBlocked;
        }
    }
    shadowSurfaceIndex = -1;

    const float bmin[3] = {g.boundary.xmin, g.boundary.ymin, g.boundary.zmin};
    int cell[3];
    bool inGrid = true;
    for (int a = 0; a < 3; ++a)
        if (!cellCoordinate(r.p[a], bmin[a], g.inverseSize[a], g.count[a], cell[a])) inGrid = false;
    // A receiver outside the grid (not a sample point of the scene) starts where its ray
    // enters the grid; a ray that never enters meets nothing.
    if (!inGrid && !entryCell(g, r.p, r.d, r.tMax, cell)) return result;

    int shooterCell = -1;
    if constexpr (kPointToPoint) {
        const float s[3] = {q.shooterPosition.x, q.shooterPosition.y, q.shooterPosition.z};
        int sc[3];
        if (cellCoordinate(s[0], bmin[0], g.inverseSize[0], g.count[0], sc[0]) &&
            cellCoordinate(s[1], bmin[1], g.inverseSize[1], g.count[1], sc[1]) &&
            cellCoordinate(s[2], bmin[2], g.inverseSize[2], g.count[2], sc[2]))
            shooterCell = g.cellIndex(sc[0], sc[1], sc[2]);
    }

    int step[3];
    float tMax[3], tDelta[3];
    for (int a = 0; a < 3; ++a) {
        const float d = r.d[a], s = g.size[a];
        if (d > 1e-10f) {
            step[a] = 1;
            const float inv = 1.0f / d;
            tMax[a] = (static_cast<float>(cell[a] + 1) * s + bmin[a] - r.p[a]) * inv;
            tDelta[a] = inv * s;
        } else if (d < -1e-10f) {
            step[a] = -1;
            tMax[a] = (r.p[a] - (static_cast<float>(cell[a]) * s + bmin[a])) / (-d);
            tDelta[a] = s / (-d);
        } else {
            step[a] = 0;
            tMax[a] = 1e38f;
            tDelta[a] = 1e38f;
        }
    }
    const bool moves = step[0] != 0 || step[1] != 0 || step[2] != 0;
    const int stride[3] = {1, g.count[0], g.count[0] * g.count[1]};
    // A straight walk crosses at most this many cells; the bound only guards against
    // arithmetic that would otherwise keep it from leaving the grid.
    int cellsLeft = g.count[0] + g.count[1] + g.count[2] + 3;

    const VisibilitySurfaces::Hot* hot = S.hot_.data();
    std::int32_t* rayNumbers = S.rayNumbers_.data();
    int lin = g.cellIndex(cell[0], cell[1], cell[2]);
    for (;;) {
        for (const std::int32_t *it = g.cellBegin(lin), *end = g.cellEnd(lin); it != end; ++it) {
            const std::int32_t j = *it;
            if (j == receiver || j == shooter || rayNumbers[j] == ray) continue;
            rayNumbers[j] = ray;
            if (((hot[j].flags & mask) != 0) == excludeWhenShared) continue;
            if (!S.hits(j, r)) continue;
            if (hot[j].opaque) {
                transparencyColorResult = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
                shadowSurfaceIndex = j;
                return kRayBlocked;
            }
            result = kRayTransmitted;
            transparencyColorResult *= S.transparency_[j];
        }
        if constexpr (kPointToPoint) {
            if (lin == shooterCell) break;
        }
        if (!moves || --cellsLeft < 0) break;
        // x when its boundary is strictly nearest, else y when nearer than z (ties to y over
        // x), else z. Evaluated without branches: the choice is unpredictable from cell to
        // cell.
        const bool x = (tMax[0] < tMax[1]) & (tMax[0] < tMax[2]);
        const bool y = (tMax[1] <= tMax[0]) & (tMax[1] < tMax[2]);
        const int a = x ? 0 : 2 - static_cast<int>(y);
        cell[a] += step[a];
        if (static_cast<unsigned>(cell[a]) >= static_cast<unsigned>(g.count[a])) break;
        tMax[a] += tDelta[a];
        lin += step[a] * stride[a];
    }
    return result;
}

// ---------------------------------------------------------------------------------------------

QueryState& queryState(KivScene& scene) { return scene.shooting; }

SurfaceMaterial surfaceMaterial(const KivScene& scene, int surface) {
    const auto& records = scene.surfaces.records;
    if (!records.contains(surface)) return {};
    const int attribute = records[surface].attrIndex;
    if (!scene.attributes.contains(attribute)) return {};
    return {true, scene.attributes.records[attribute].getTransparency()};
}

void prepareVisibility(KivScene& scene) {
    auto& records = scene.surfaces.records;
    const int n = records.instanceCount();
    std::vector<SurfaceMaterial> materials(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) materials[static_cast<std::size_t>(i)] = surfaceMaterial(scene, i);
    scene.intersection.prepare(scene.voxels, records.getPointer(), n, materials.data());
}

namespace {
IntersectionState& prepared(KivScene& scene) {
    if (!scene.intersection.isPreparedFor(scene.voxels)) prepareVisibility(scene);
    return scene.intersection;
}
}  // namespace

float judgeIntersection(KivScene& scene) {
    return prepared(scene).judgePointToPoint(scene.voxels, queryState(scene));
}

float judgeDirectionalIntersection(KivScene& scene) {
    return prepared(scene).judgeDirectional(scene.voxels, queryState(scene));
}

float judgeIntersection(KivScene& scene, KivPoint point, int surface, KivPoint shooterPoint,
                        int shooterSurface, OccluderFilter filter) {
    QueryState q = queryState(scene);
    q.receiverPoint = point;
    q.receiverSurface = surface;
    q.shooterPosition = shooterPoint;
    q.shooterIndex = shooterSurface;
    q.shootType = 2;
    return prepared(scene).judgePointToPoint(scene.voxels, q, filter);
}

float judgeDirectionalIntersection(KivScene& scene, KivPoint point, int surface,
                                   KivVector direction, OccluderFilter filter) {
    QueryState q = queryState(scene);
    q.receiverPoint = point;
    q.receiverSurface = surface;
    q.shooterDirection = normalise(direction);
    return prepared(scene).judgeDirectional(scene.voxels, q, filter);
}

}  // namespace kiv

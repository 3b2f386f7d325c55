#include "engine/vertex_store.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <utility>

#include "engine/parent_surface.h"
#include "engine/surface_registry.h"

namespace kiv {

namespace {

// Points closer than this to a polygon vertex are on the boundary.
constexpr float kVertexTolerance = 0.001f;
// Cross products smaller than this put a point on an edge's line.
constexpr float kLineTolerance = 0.0001f;
// Inside points closer than this to the outline count as boundary points.
constexpr float kOutlineTolerance = 0.002f;
// Smallest nudge of a receive point: the single-precision number just above 0.005.
constexpr float kMinNudge = 0.0050000004f;
constexpr float kAngleEpsilon = 0.001f;

// The fields of one grid kind of a surface.
struct GridOf {
    int width, height;
    float wInterval, hInterval;
    unsigned char* lightmap;
    KivUvw* lightmapUvw;

    static GridOf direct(KivParentSurface& s) {
        return {s.width, s.height, s.wInterval, s.hInterval, s.lightmap, s.lightmapUvw};
    }
    static GridOf indirect(KivParentSurface& s) {
        return {s.widthIndirect,     s.heightIndirect,   s.wIntervalIndirect,
                s.hIntervalIndirect, s.lightmapIndirect, s.lightmapUvwIndirect};
    }
};

int polygonVerts(const KivParentSurface& s) { return s.nverts == 3 ? 3 : 4; }

// Value of a point on the line of edge P0 -> P1: 0 before P0 or beyond P1, 0.5 on the edge.
float onLineValue(const KivPoint& Q, const KivPoint& P0, const KivPoint& P1) {
    const KivVector e = vectorBetween(P0, P1);
    const KivVector q = vectorBetween(P0, Q);
    if (dot(q, e) < 0.0f) return 0.0f;
    if (length(e) < length(q) - kLineTolerance) return 0.0f;
    return 0.5f;
}

float distanceToSegment(const KivPoint& Q, const KivPoint& A, const KivPoint& B) {
    const KivVector e = vectorBetween(A, B);
    const KivVector q = vectorBetween(A, Q);
    const float ee = dot(e, e);
    float t = ee > 0.0f ? dot(q, e) / ee : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return length(q - e * t);
}

// Normals of surfaces with vertex normals, interpolated along great circles: first along the
// polygon edges to where a grid row crosses them, then along the row between its two crossings.
class RowNormals {
public:
    RowNormals(const KivParentSurface& s, const KivVector& U) : U_(U), planeNormal_(s.planeNormal) {
        n_ = polygonVerts(s);
        const int o = std::min<int>(s.outerSquareOriginIndex, n_ - 1);
        int order[4] = {0, 1, 2, 3};
        // The polygon as the outer square was built on it: when the first side left the origin
        // towards its predecessor, the origin's neighbours trade places.
        const int next = (o + 1) % n_, prev = (o + n_ - 1) % n_;
        const float alongNext = dot(normalise(vectorBetween(s.position[o], s.position[next])), U);
        const float alongPrev = dot(normalise(vectorBetween(s.position[o], s.position[prev])), U);
        if (alongPrev > alongNext) std::swap(order[next], order[prev]);
        for (int k = 0; k < n_; ++k) {
            p_[k] = s.position[order[k]];
            nrm_[k] = s.normal[order[k]];
        }
        // Edges other than the first side, from the origin's successor around to the origin.
        edgeCount_ = n_ - 1;
        for (int e = 0; e < edgeCount_; ++e) {
            edgeStart_[e] = (o + 1 + e) % n_;
            edgeEnd_[e] = (o + 2 + e) % n_;
        }
    }

    // Finds the row's two crossings; false when one is missing (the row then takes the plane
    // normal).
    bool beginRow(const KivPoint& rowStart) {
        Crossing c[3];
        for (int e = 0; e < edgeCount_; ++e) c[e] = crossing(rowStart, e);
        const int last = edgeCount_ - 1;
        const Crossing* a = c[last].found ? &c[last] : nullptr;
        const Crossing* b = c[0].found ? &c[0] : nullptr;
        if (edgeCount_ == 3) {
            if (a == nullptr && c[1].found) a = &c[1];
            if (b == nullptr && c[1].found) b = &c[1];
        }
        if (a == nullptr || b == nullptr) {
            rowValid_ = false;
            return false;
        }
        rowValid_ = true;
        A_ = a->point;
        nA_ = a->normal;
        nB_ = b->normal;
        AB_ = vectorBetween(a->point, b->point);
        abLength_ = length(AB_);
        return true;
    }

    KivVector normalAt(const KivPoint& X) const {
        if (!rowValid_) return planeNormal_;
        const KivVector ax = vectorBetween(A_, X);
        const float d = length(ax);
        if (d < kAngleEpsilon || abLength_ < 1e-10f) return nA_;
        float f = d / abLength_;
        if (dot(ax, AB_) < 0.0f) f = -f;  // beyond A, away from B
        return rotateTowards(nA_, nB_, f);
    }

private:
    struct Crossing {
        bool found = false;
        KivPoint point;
        KivVector normal;
    };

    // Crossing of the row line rowStart + s U with edge e, solved in the coordinate plane where
    // the two are least parallel.
    Crossing crossing(const KivPoint& R, int e) const {
        Crossing out;
        const KivPoint& A = p_[edgeStart_[e]];
        const KivPoint& B = p_[edgeEnd_[e]];
        const KivVector D = vectorBetween(A, B);
        const float r[3] = {R.x, R.y, R.z}, u[3] = {U_.x, U_.y, U_.z};
        const float a[3] = {A.x, A.y, A.z}, d[3] = {D.x, D.y, D.z};
        float best = 0.0f;
        int plane = -1;
        for (int k = 0; k < 3; ++k) {
            const int i = k, j = (k + 1) % 3;
            const float det = d[i] * u[j] - u[i] * d[j];
            if (std::fabs(det) > std::fabs(best)) {
                best = det;
                plane = k;
            }
        }
        if (plane < 0 || !(std::fabs(best) > 1e-10f)) return out;
        const int i = plane, j = (plane + 1) % 3;
        const float wi = a[i] - r[i], wj = a[j] - r[j];
        const float s = (d[i] * wj - wi * d[j]) / best;
        const float t = (u[i] * wj - wi * u[j]) / best;
        if (!(s > -kAngleEpsilon)) return out;
        const KivPoint X = R + U_ * s;
        const float toA = length(vectorBetween(A, X));
        const float toB = length(vectorBetween(B, X));
        if (!((t >= 0.0f && t <= 1.0f) || toA < kAngleEpsilon || toB < kAngleEpsilon)) return out;
        const float edgeLength = length(D);
        out.found = true;
        out.point = X;
        out.normal = edgeLength < 1e-10f
                         ? nrm_[edgeStart_[e]]
                         : rotateTowards(nrm_[edgeStart_[e]], nrm_[edgeEnd_[e]], toA / edgeLength);
        return out;
    }

    KivVector U_;
    KivVector planeNormal_;
    int n_ = 4;
    KivPoint p_[4];
    KivVector nrm_[4];
    int edgeCount_ = 3;
    int edgeStart_[3] = {}, edgeEnd_[3] = {};
    bool rowValid_ = false;
    KivPoint A_;
    KivVector nA_, nB_, AB_;
    float abLength_ = 0.0f;
};

// Total grid points of one kind, or -1 when a grid or the total is beyond the limits.
template <class Grid>
long long plannedCount(SurfaceRegistry& surfaces, Grid gridOf) {
    long long total = 0;
    for (KivParentSurface& s : surfaces.records) {
        const GridOf g = gridOf(s);
        if (!gridFits(g.width, g.height)) return -1;
        total += static_cast<long long>(g.width) * g.height;
        if (total > kKivMaxSceneVertices) return -1;
    }
    return total;
}

// Lays the vertices of one kind. setIndex and setInner record each surface's first index and
// inside count.
template <class V, class Grid, class SetIndex, class SetInner>
int createGrid(std::vector<V>& out, SurfaceRegistry& surfaces, const LightmapSettings& lm,
               Grid gridOf, SetIndex setIndex, SetInner setInner) {
    std::vector<V>().swap(out);
    const long long planned = plannedCount(surfaces, gridOf);
    if (planned < 0) return -1;
    out.reserve(static_cast<std::size_t>(planned));

    for (KivParentSurface& s : surfaces.records) {
        const GridOf g = gridOf(s);
        const int first = static_cast<int>(out.size());
        setIndex(s, first);
        const KivPoint O = s.outerSquarePos[0];
        const KivVector U = normalise(vectorBetween(O, s.outerSquarePos[1]));
        const KivVector V_ = normalise(vectorBetween(O, s.outerSquarePos[3]));
        const KivVector du = U * g.wInterval, dv = V_ * g.hInterval;
        const KivPoint G = s.calcGravity();
        const int n = polygonVerts(s);
        const std::size_t rowLength =
            static_cast<std::size_t>(std::max(0, lightmapRowLength(lm, g.width)));
        const int c = lm.components;
        const bool texels = g.lightmap != nullptr && c >= 1;
        const bool interpolate = (s.flags & kSurfaceHasNormals) != 0;
        RowNormals rowNormals(s, U);
        const float cellArea = g.wInterval * g.hInterval;
        int inner = 0;

        for (int j = 0; j < g.height; ++j) {
            if (interpolate) rowNormals.beginRow(O + dv * static_cast<float>(j));
            for (int i = 0; i < g.width; ++i) {
                const KivPoint P = O + du * static_cast<float>(i) + dv * static_cast<float>(j);
                float t = insideValue(P, s.position, n);
                if (t == 1.0f && distanceToOutline(P, s.position, n) < kOutlineTolerance) t = 0.5f;

                V& v = out.emplace_back();
                v.shootPoint = P;
                v.normal = interpolate ? rowNormals.normalAt(P) : s.planeNormal;
                const bool border = i == 0 || i == g.width - 1 || j == 0 || j == g.height - 1;
                if (border || t == 0.5f) {
                    // Points on the grid border or the outline receive from slightly inside.
                    const KivVector toCentre = vectorBetween(P, G);
                    v.receivePoint =
                        P + normalise(toCentre) * std::max(0.01f * length(toCentre), kMinNudge);
                } else {
                    v.receivePoint = P;
                }
                v.weightLeft = i != 0 ? 0.5f : 0.0f;
                v.weightRight = i != g.width - 1 ? 0.5f : 0.0f;
                v.weightUp = j != g.height - 1 ? 0.5f : 0.0f;
                v.weightDown = j != 0 ? 0.5f : 0.0f;
                v.area = (v.weightDown + v.weightUp) * (v.weightLeft + v.weightRight) * cellArea;
                v.reflectance = KivColor::make(s.diffuse.r, s.diffuse.g, s.diffuse.b);
                v.unshot = KivColor::make(0.0f, 0.0f, 0.0f);
                v.received = KivColor(0.0f, 0.0f, 0.0f, t > 0.0f ? 1.0f : 0.0f);
                v.current = KivColor::make(0.0f, 0.0f, 0.0f);
                v.lightmapTexel = texels ? g.lightmap + (static_cast<std::size_t>(i) +
                                                         static_cast<std::size_t>(j) * rowLength) *
                                                            static_cast<std::size_t>(c)
                                         : nullptr;
                v.shotFlags = 0;
                v.updateNumber = 0;
                if (t > 0.0f) ++inner;
            }
        }
        setInner(s, inner);
    }

    // Surfaces with fewer than half of their points inside spread their area over the inside
    // points' count, so that their total stays close to the polygon's area.
    for (KivParentSurface& s : surfaces.records) {
        const GridOf g = gridOf(s);
        const int total = g.width * g.height;
        const int first = setIndex.get(s);
        const int inner = setInner.get(s);
        if (total < 2 * inner) continue;
        const float area = inner > 0 ? s.area / static_cast<float>(inner) : 0.0f;
        for (int k = first; k < first + total; ++k) out[static_cast<std::size_t>(k)].area = area;
    }
    return static_cast<int>(out.size());
}

struct DirectIndex {
    void operator()(KivParentSurface& s, int v) const { s.vertArrayIndex = v; }
    int get(const KivParentSurface& s) const { return s.vertArrayIndex; }
};
struct DirectInner {
    void operator()(KivParentSurface& s, int v) const { s.vertInnerCount = v; }
    int get(const KivParentSurface& s) const { return s.vertInnerCount; }
};
struct IndirectIndex {
    void operator()(KivParentSurface& s, int v) const { s.indirectVertArrayIndex = v; }
    int get(const KivParentSurface& s) const { return s.indirectVertArrayIndex; }
};
struct IndirectInner {
    void operator()(KivParentSurface& s, int v) const { s.indirectVertInnerCount = v; }
    int get(const KivParentSurface& s) const { return s.indirectVertInnerCount; }
};

// Corners of the grid points (0, 0), (1, 0), (0, 1), (1, 1) for each origin index.
constexpr int kQuadCorners[4][4] = {{0, 1, 3, 2}, {1, 2, 0, 3}, {2, 3, 1, 0}, {3, 0, 2, 1}};
constexpr int kTriangleCorners[4][4] = {{0, 1, 2, 2}, {1, 2, 0, 0}, {2, 0, 1, 1}, {0, 1, 2, 2}};
constexpr float kCornerUv[4][2] = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}, {0.75f, 0.75f}};

template <class V>
void correctSmallGrid(std::vector<V>& verts, KivParentSurface& s, const GridOf& g, int first,
                      int& innerCount) {
    if (s.nverts != 3 && s.nverts != 4) return;
    if (g.width != 2 || g.height != 2) return;
    if (first < 0 || static_cast<std::size_t>(first) + 4 > verts.size()) return;
    const int o = s.outerSquareOriginIndex <= 3 ? s.outerSquareOriginIndex : 0;
    const int* corners = s.nverts == 4 ? kQuadCorners[o] : kTriangleCorners[o];
    const KivPoint G = s.calcGravity();
    const float nudge = std::max(0.05f * std::min(g.wInterval, g.hInterval), kMinNudge);
    const float area = s.area / static_cast<float>(s.nverts);
    for (int k = 0; k < 4; ++k) {
        const KivPoint& corner = s.position[corners[k]];
        V& v = verts[static_cast<std::size_t>(first + k)];
        v.shootPoint = corner;
        v.setInside(1.0f);
        v.area = area;
        v.normal = s.normal[corners[k]];
        v.receivePoint = corner + normalise(vectorBetween(corner, G)) * nudge;
    }
    const int uvCount = s.nverts == 4 ? 4 : 3;
    for (int k = 0; k < uvCount; ++k) {
        g.lightmapUvw[corners[k]].u = kCornerUv[k][0];
        g.lightmapUvw[corners[k]].v = kCornerUv[k][1];
    }
    if (s.nverts == 3) {
        g.lightmapUvw[3].u = 0.25f;
        g.lightmapUvw[3].v = 0.75f;
    }
    innerCount = s.nverts;
}

template <class V>
bool writePoints(const std::vector<V>& verts, const char* path) {
    if (path == nullptr) return false;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return false;
    for (const V& v : verts) {
        std::fprintf(f, "%f %f %f\n", v.shootPoint.x, v.shootPoint.y, v.shootPoint.z);
        std::fprintf(f, "%f %f %f\n", v.receivePoint.x, v.receivePoint.y, v.receivePoint.z);
    }
    return std::fclose(f) == 0;
}

}  // namespace

float insideValue(const KivPoint& Q, const KivPoint* P, int n) {
    if (length(vectorBetween(P[0], Q)) < kVertexTolerance) return 0.5f;
    const KivVector c0 = kiv::cross(vectorBetween(P[0], P[1]), vectorBetween(P[0], Q));
    if (length(c0) <= kLineTolerance) return onLineValue(Q, P[0], P[1]);
    const KivVector c0n = normalise(c0);
    for (int k = 0; k < n; ++k) {
        const KivPoint& A = P[k];
        const KivPoint& B = P[(k + 1) % n];
        if (length(vectorBetween(A, Q)) < kVertexTolerance) return 0.5f;
        const KivVector ck = kiv::cross(vectorBetween(A, B), vectorBetween(A, Q));
        if (length(ck) <= kLineTolerance) return onLineValue(Q, A, B);
        if (dot(normalise(ck), c0n) < 0.0f) return 0.0f;
    }
    return 1.0f;
}

float distanceToOutline(const KivPoint& Q, const KivPoint* P, int n) {
    float d = distanceToSegment(Q, P[n - 1], P[0]);
    for (int k = 0; k + 1 < n; ++k) d = std::min(d, distanceToSegment(Q, P[k], P[k + 1]));
    return d;
}

KivVector rotateTowards(const KivVector& a, const KivVector& b, float fraction) {
    float theta = std::acos(clampf(dot(a, b), -1.0f, 1.0f));
    if (theta < kAngleEpsilon) theta = 0.0f;
    const KivVector axisRaw = kiv::cross(a, b);
    // Without a defined axis (equal or opposite normals) there is no rotation to make.
    if (length(axisRaw) < kAngleEpsilon) return a;
    const KivVector k = normalise(axisRaw);
    const float phi = theta * fraction;
    if (!(std::fabs(phi) >= kAngleEpsilon)) return a;
    const float c = std::cos(phi), s = std::sin(phi);
    return a * c + kiv::cross(k, a) * s + k * (dot(k, a) * (1.0f - c));
}

int VertexStore::createDirect(SurfaceRegistry& surfaces, const LightmapSettings& lightmaps) {
    return createGrid(direct, surfaces, lightmaps, GridOf::direct, DirectIndex{}, DirectInner{});
}

int VertexStore::createIndirect(SurfaceRegistry& surfaces, const LightmapSettings& lightmaps) {
    return createGrid(indirect, surfaces, lightmaps, GridOf::indirect, IndirectIndex{},
                      IndirectInner{});
}

void VertexStore::applySmallSurfaceCorrection(SurfaceRegistry& surfaces) {
    for (KivParentSurface& s : surfaces.records) {
        correctSmallGrid(direct, s, GridOf::direct(s), s.vertArrayIndex, s.vertInnerCount);
        correctSmallGrid(indirect, s, GridOf::indirect(s), s.indirectVertArrayIndex,
                         s.indirectVertInnerCount);
    }
}

int VertexStore::countDirect2(const SurfaceRegistry& surfaces) {
    long long n = 0;
    for (const KivParentSurface& s : surfaces.records)
        if ((s.flags & kSurfaceNotCounted) == 0) n += s.vertTotalCount;
    return static_cast<int>(std::min<long long>(n, 0x7fffffff));
}

int VertexStore::countIndirect2(const SurfaceRegistry& surfaces) {
    long long n = 0;
    for (const KivParentSurface& s : surfaces.records)
        if ((s.flags & kSurfaceNotCounted) == 0) n += s.indirectVertTotalCount;
    return static_cast<int>(std::min<long long>(n, 0x7fffffff));
}

void VertexStore::initializeUpdateNumbersDirect() {
    for (KivVertex& v : direct) v.updateNumber = 0;
}

void VertexStore::initializeUpdateNumbersIndirect() {
    for (KivIndirectVertex& v : indirect) v.updateNumber = 0;
}

bool VertexStore::outputDirect(const char* path) const { return writePoints(direct, path); }
bool VertexStore::outputIndirect(const char* path) const { return writePoints(indirect, path); }

}  // namespace kiv

#include "engine/surface_registry.h"

#include <cmath>

#include <cstring>

#include "engine/scene.h"

namespace kiv {

namespace {

// Cosine of 0.1 degree: two consecutive edges closer to parallel than this make a straight edge
// (same direction) or a fold (opposite directions).
constexpr float kStraightCos = 0.999998477f;
// Vertices closer than this to their predecessor repeat it.
constexpr float kRepeatDistance = 1e-6f;
// Coordinates beyond this size make squared lengths overflow single precision (plane normals,
// areas and grids would become infinite or NaN): such polygons are rejected.
constexpr float kMaxCoordinate = 1e18f;

bool coordinatesUsable(int nverts, const KivPoint* p) {
    for (int k = 0; k < nverts; ++k)
        for (float c : {p[k].x, p[k].y, p[k].z})
            if (!(std::fabs(c) <= kMaxCoordinate)) return false;  // also NaN
    return true;
}
// A quadrilateral whose fourth corner direction leaves the plane by more than this is split.
constexpr float kPlanarTolerance = 0.01f;

// The solver's four spacing parameters, copied into every new surface.
void readSolverSpacing(const KivSolverParameters& params, SurfaceEnvironment& env) {
    env.interval = params.interval;
    env.intervalMultiple = params.intervalMultiple;
    env.intervalIndirect = params.intervalIndirect;
    env.intervalMultipleIndirect = params.intervalMultipleIndirect;
}

// The attribute named on the surface stack: the index of the first ended attribute of exactly
// that name and its diffuse colour; index -1 and white when none matches.
void linkStackAttribute(const KivScene& scene, const char* name, SurfaceEnvironment& env) {
    env.attrIndex = scene.attributes.indexFromName(name);
    env.attrDiffuse = KivColor(1.0f, 1.0f, 1.0f);
    if (env.attrIndex >= 0) {
        const KivColor d = scene.attributes.records[env.attrIndex].getDiffuse();
        env.attrDiffuse = KivColor(d.r, d.g, d.b);
    }
}

int wrapMode(int w) { return w >= 0 && w <= 3 ? w : 0; }

KivPoint unitW(const KivPoint& p) { return KivPoint::make(p.x, p.y, p.z); }

Polygon reversed(const Polygon& poly, const KivVector& frontPlaneNormal) {
    Polygon back;
    back.nverts = poly.nverts;
    back.hasNormals = poly.hasNormals;
    back.hasUvw = poly.hasUvw;
    for (int k = 0; k < poly.nverts; ++k) {
        const int src = poly.nverts - 1 - k;
        back.p[k] = poly.p[src];
        back.n[k] = poly.hasNormals ? negate(poly.n[src]) : negate(frontPlaneNormal);
        back.t[k] = poly.hasUvw ? poly.t[src] : KivUvw{};
    }
    return back;
}

}  // namespace

SurfaceEnvironment surfaceEnvironment(const KivScene& scene) {
    SurfaceEnvironment env;
    readSolverSpacing(scene.solverParameters, env);
    linkStackAttribute(scene, scene.surfaces.stack.attributeName, env);
    return env;
}

bool cleanPolygon(int nverts, const KivPoint* p, const KivVector* n, const KivUvw* uv, Polygon& out,
                  bool& removed) {
    removed = false;
    if (p == nullptr || nverts < 3 || nverts > 4) return false;
    if (!coordinatesUsable(nverts, p)) return false;

    // Repeated vertices: each is compared with its input predecessor (the last for the first).
    int kept[4];
    int nk = 0;
    for (int i = 0; i < nverts; ++i) {
        const int prev = i == 0 ? nverts - 1 : i - 1;
        if (length(vectorBetween(p[prev], p[i])) > kRepeatDistance) kept[nk++] = i;
    }
    if (nk < 3) return false;

    // Straight edges and folds, judged on the vertices kept so far.
    bool drop[4] = {false, false, false, false};
    int remaining = nk;
    for (int q = 0; q < nk; ++q) {
        const KivPoint& A = p[kept[(q + nk - 1) % nk]];
        const KivPoint& Q = p[kept[q]];
        const KivPoint& B = p[kept[(q + 1) % nk]];
        const float d = dot(normalise(vectorBetween(A, Q)), normalise(vectorBetween(Q, B)));
        if (d > kStraightCos) {
            drop[q] = true;
            --remaining;
        } else if (d < -kStraightCos) {
            return false;
        }
    }
    if (remaining < 3) return false;

    out = Polygon();
    out.hasNormals = n != nullptr;
    out.hasUvw = uv != nullptr;
    for (int q = 0; q < nk; ++q) {
        if (drop[q]) continue;
        const int i = kept[q];
        out.p[out.nverts] = unitW(p[i]);
        if (n != nullptr) out.n[out.nverts] = n[i];
        if (uv != nullptr) out.t[out.nverts] = uv[i];
        ++out.nverts;
    }
    removed = out.nverts != nverts;

    if (out.hasNormals) {
        const KivVector w = normalise(cross(vectorBetween(out.p[0], out.p[1]),
                                            vectorBetween(out.p[0], out.p[out.nverts - 1])));
        for (int k = 0; k < out.nverts; ++k)
            if (dot(out.n[k], w) < 0.0f) out.n[k] = negate(out.n[k]);
    }
    return true;
}

bool isPlanarQuad(const KivPoint* p) {
    const KivVector n = normalise(cross(vectorBetween(p[0], p[1]), vectorBetween(p[0], p[3])));
    const KivVector d = normalise(vectorBetween(p[0], p[2]));
    return !(std::fabs(dot(n, d)) > kPlanarTolerance);
}

void splitQuad(const Polygon& quad, Polygon& first, Polygon& second) {
    static constexpr int kFirst[3] = {0, 1, 3}, kSecond[3] = {1, 2, 3};
    for (Polygon* t : {&first, &second}) {
        const int* idx = t == &first ? kFirst : kSecond;
        *t = Polygon();
        t->nverts = 3;
        t->hasNormals = quad.hasNormals;
        t->hasUvw = quad.hasUvw;
        for (int k = 0; k < 3; ++k) {
            t->p[k] = quad.p[idx[k]];
            t->n[k] = quad.n[idx[k]];
            t->t[k] = quad.t[idx[k]];
        }
    }
}

void SurfaceRegistry::initialize() {
    records.clear();
    std::vector<int>().swap(groups);
    groupSet_.clear();
    stack = SurfaceStack();
}

void SurfaceRegistry::initializeStack() {
    const KivLong check = stack.checkOnOnePlane;
    stack = SurfaceStack();
    stack.checkOnOnePlane = check;
}

void SurfaceRegistry::end() {
    records.clear();
    std::vector<int>().swap(groups);
    groupSet_.clear();
}

void SurfaceRegistry::setAttributeName(const char* name) { copyName(stack.attributeName, name); }
void SurfaceRegistry::setMapWrapU(int w) { stack.mapWrapU = wrapMode(w); }
void SurfaceRegistry::setMapWrapV(int w) { stack.mapWrapV = wrapMode(w); }
void SurfaceRegistry::setMapWrapW(int w) { stack.mapWrapW = wrapMode(w); }

void SurfaceRegistry::setFlags(int flags) {
    // An invisible surface neither blocks rays nor counts as a receiver.
    if (flags & kSurfaceInvisible) flags |= kSurfaceNoVoxel | kSurfaceNotCounted;
    stack.flags = flags;
}

void SurfaceRegistry::setGroupId(int id) {
    stack.groupId = id;
    if (groupSet_.insert(id).second) groups.push_back(id);
}

int SurfaceRegistry::mapWrapCode() const {
    return (stack.mapWrapW << 16) | (stack.mapWrapV << 8) | stack.mapWrapU;
}

SurfaceSpacing SurfaceRegistry::resolveSpacing(const SurfaceEnvironment& env, float interval,
                                               int multiple) {
    const float i = interval == 0.0f ? env.interval : interval;
    const int m = multiple == 0 ? env.intervalMultiple : multiple;
    return {i, m, 4.0f * i, 1};
}

SurfaceSpacing SurfaceRegistry::resolveSpacing(const SurfaceEnvironment& env, float interval,
                                               int multiple, float intervalIndirect,
                                               int multipleIndirect) {
    return {interval == 0.0f ? env.interval : interval,
            multiple == 0 ? env.intervalMultiple : multiple,
            intervalIndirect == 0.0f ? env.intervalIndirect : intervalIndirect,
            multipleIndirect == 0 ? env.intervalMultipleIndirect : multipleIndirect};
}

int SurfaceRegistry::instanceCount2() const {
    int n = 0;
    for (const KivParentSurface& s : records)
        if ((s.getFlags() & kSurfaceNotCounted) == 0) ++n;
    return n;
}

void SurfaceRegistry::append(const KivParentSurface& s) { appendRecord(s); }

int SurfaceRegistry::appendRecord(const KivParentSurface& s) {
    records.append(s);
    return records.endInstance() - 1;
}

KivParentSurface SurfaceRegistry::buildRecord(const Polygon& poly, const SurfaceSpacing& spacing,
                                              int attrIndex, int flags, int wrapCode) const {
    KivParentSurface s;
    s.setInterval(spacing.interval);
    s.setIntervalMultiple(spacing.multiple);
    s.setIntervalIndirect(spacing.intervalIndirect);
    s.setIntervalMultipleIndirect(spacing.multipleIndirect);
    s.setAttrIndex(attrIndex);
    s.setNverts(poly.nverts);
    s.setPosition(poly.p);
    s.setPlaneNormal();
    if (poly.hasNormals) {
        s.setNormal(poly.n);
    } else {
        const KivVector n[4] = {s.planeNormal, s.planeNormal, s.planeNormal, s.planeNormal};
        s.setNormal(n);
    }
    if (poly.hasUvw) {
        s.setUvw(poly.t);
        s.setMapWrap(wrapCode);
    } else {
        const KivUvw t[4] = {};
        s.setUvw(t);
        s.setMapWrap(0);
    }
    s.setFlags(flags);
    s.doSet();
    return s;
}

namespace {
int givenBits(const Polygon& poly) {
    return (poly.hasNormals ? kSurfaceHasNormals : 0) | (poly.hasUvw ? kSurfaceHasUvw : 0);
}
// Cleans both halves of a split quadrilateral; a half that loses a vertex counts as rejected
// when `strict` is set.
bool cleanHalves(const Polygon& quad, Polygon& a, Polygon& b, bool strict) {
    Polygon rawA, rawB;
    splitQuad(quad, rawA, rawB);
    bool removedA = false, removedB = false;
    if (!cleanPolygon(3, rawA.p, rawA.hasNormals ? rawA.n : nullptr, rawA.hasUvw ? rawA.t : nullptr,
                      a, removedA))
        return false;
    if (!cleanPolygon(3, rawB.p, rawB.hasNormals ? rawB.n : nullptr, rawB.hasUvw ? rawB.t : nullptr,
                      b, removedB))
        return false;
    return !(strict && (removedA || removedB));
}
}  // namespace

int SurfaceRegistry::instanciate(const SurfaceEnvironment& env, int nverts, const KivPoint* p,
                                 const KivVector* n, const KivUvw* uv,
                                 const SurfaceSpacing& spacing) {
    if (stack.flags & kSurfaceTwoSided) return instanciateDouble(env, nverts, p, n, uv, spacing);
    Polygon poly;
    bool removed = false;
    if (!cleanPolygon(nverts, p, n, uv, poly, removed) || removed) return -1;
    if (stack.checkOnOnePlane != 0 && poly.nverts == 4 && !isPlanarQuad(poly.p)) {
        // Both triangles are checked before either is registered, so that a rejected half
        // leaves the registry as it was.
        Polygon a, b;
        if (!cleanHalves(poly, a, b, true)) return -1;
        instanciateCleaned(env, a, spacing);
        return instanciateCleaned(env, b, spacing);
    }
    return instanciateCleaned(env, poly, spacing);
}

int SurfaceRegistry::instanciateCleaned(const SurfaceEnvironment& env, const Polygon& poly,
                                        const SurfaceSpacing& spacing) {
    KivParentSurface s =
        buildRecord(poly, spacing, env.attrIndex, stack.flags | givenBits(poly), mapWrapCode());
    s.setDiffuse(env.attrDiffuse);
    s.setGroupId(stack.groupId);
    return appendRecord(s);
}

int SurfaceRegistry::instanciateDouble(const SurfaceEnvironment& env, int nverts, const KivPoint* p,
                                       const KivVector* n, const KivUvw* uv,
                                       const SurfaceSpacing& spacing) {
    Polygon poly;
    bool removed = false;
    if (!cleanPolygon(nverts, p, n, uv, poly, removed)) return -1;
    if (stack.checkOnOnePlane != 0 && poly.nverts == 4 && !isPlanarQuad(poly.p)) {
        Polygon a, b;
        if (!cleanHalves(poly, a, b, false)) return -1;
        instanciatePair(env, a, spacing);
        return instanciatePair(env, b, spacing);
    }
    return instanciatePair(env, poly, spacing);
}

int SurfaceRegistry::instanciatePair(const SurfaceEnvironment& env, const Polygon& poly,
                                     const SurfaceSpacing& spacing) {
    const int flags = stack.flags | givenBits(poly);
    const int wrap = mapWrapCode();
    // Both sides take the stack's attribute colour and group, as single surfaces do, so that a
    // pair is lit and grouped like the polygon it stands for.
    KivParentSurface front = buildRecord(poly, spacing, env.attrIndex, flags, wrap);
    front.setDiffuse(env.attrDiffuse);
    front.setGroupId(stack.groupId);

    Polygon backPoly = reversed(poly, front.getPlaneNormal());
    backPoly.hasNormals = true;  // the back always carries the negated front normals
    KivParentSurface back =
        buildRecord(backPoly, spacing, env.attrIndex, flags | kSurfaceBackSide, wrap);
    back.setDiffuse(env.attrDiffuse);
    back.setGroupId(stack.groupId);

    const int k = records.instanceCount();
    front.setPairIndex(k + 1);
    back.setPairIndex(k);
    appendRecord(front);
    return appendRecord(back);
}

int SurfaceRegistry::instanciateDirect(int nverts, const KivPoint* p, const KivVector* n,
                                       const KivUvw* uv, const SurfaceSpacing& spacing, int flags,
                                       KivColor diffuse) {
    // No cleaning here, but a polygon must still have three or four vertices.
    if (p == nullptr || nverts < 3 || nverts > 4) return -1;
    if (!coordinatesUsable(nverts, p)) return -1;
    Polygon poly;
    poly.nverts = nverts;
    poly.hasNormals = n != nullptr;
    poly.hasUvw = uv != nullptr;
    for (int k = 0; k < nverts; ++k) {
        poly.p[k] = unitW(p[k]);
        if (n != nullptr) poly.n[k] = n[k];
        if (uv != nullptr) poly.t[k] = uv[k];
    }
    // Direct surfaces take no wrap modes from the stack.
    KivParentSurface s = buildRecord(poly, spacing, -1, flags | givenBits(poly), 0);
    s.setDiffuse(diffuse);
    return appendRecord(s);
}

}  // namespace kiv

#include "engine/shooting.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

#include "engine/intersection.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/tone.h"

namespace kiv {

void ShotScratch::release() {
    std::vector<Geometry>().swap(geometry);
    std::vector<Rgb>().swap(reflect);
    std::vector<Rgb>().swap(current);
    std::vector<Rgb>().swap(received);
    std::vector<Rgb>().swap(unshot);
    std::vector<Rgb>().swap(indirect);
    std::vector<unsigned char>().swap(flags);
}

// ---------------------------------------------------------------------------------------------
// Arc-cosine tables

void ShootingState::initializeAcosTable() {
    acosTable1.assign(kAcosSize1, 0.0f);
    for (int i = 0; i < kAcosSize1; ++i) {
        const double x = static_cast<double>(i) * 0.000025;
        acosTable1[static_cast<std::size_t>(i)] = x < 1.0 ? static_cast<float>(std::acos(x)) : 0.0f;
    }
    // The fine table near 1. Its entries run from just above 1 downwards; the first few
    // arguments are not below 1 and hold 0.
    acosTable2.assign(kAcosSize2, 0.0f);
    for (int i = 0; i < kAcosSize2; ++i) {
        const double x = static_cast<double>(kAcosSize2 - i) * 2.5e-8 + 0.9995;
        acosTable2[static_cast<std::size_t>(i)] = x < 1.0 ? static_cast<float>(std::acos(x)) : 0.0f;
    }
}

namespace {
float blend(const std::vector<float>& table, double a) {
    const int k = static_cast<int>(a);
    const float f = static_cast<float>(a - static_cast<double>(k));
    const std::size_t i = static_cast<std::size_t>(k);
    return (1.0f - f) * table[i] + f * table[i + 1];
}
}  // namespace

float ShootingState::interpolateAcos(double x) {
    if (acosTable1.size() != kAcosSize1 || acosTable2.size() != kAcosSize2) initializeAcosTable();
    // Every branch keeps its index within the tables: a < 39980 in table 1, a <= 20000 in
    // table 2. NaN matches no branch.
    if (x >= 0.0 && x < 0.9995) return blend(acosTable1, x * kAcosScale1);
    if (x >= 0.9995 && x <= 1.0) return blend(acosTable2, (1.0 - x) * kAcosScale2);
    if (x > -0.9995 && x < 0.0) return kShootPi - blend(acosTable1, -x * kAcosScale1);
    if (x >= -1.0 && x <= -0.9995) return kShootPi - blend(acosTable2, (x + 1.0) * kAcosScale2);
    return 0.0f;
}

void ShootingState::end() {
    std::vector<float>().swap(acosTable1);
    std::vector<float>().swap(acosTable2);
    scratch.release();
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

// A surface's sample-point grid within a vertex array of n points; false when the surface's
// fields do not describe a grid inside the array (then the surface is left alone).
struct Grid {
    int first = 0, count = 0, width = 0, height = 0;
};

bool directGrid(const KivParentSurface& f, std::size_t n, Grid& g) {
    g = {f.vertArrayIndex, f.vertTotalCount, f.width, f.height};
    return g.first >= 0 && g.count >= 0 && g.width >= 0 && g.height >= 0 &&
           static_cast<long long>(g.width) * g.height == g.count &&
           static_cast<unsigned long long>(g.first) + static_cast<unsigned long long>(g.count) <= n;
}

bool indirectGrid(const KivParentSurface& f, std::size_t n, Grid& g) {
    g = {f.indirectVertArrayIndex, f.indirectVertTotalCount, f.widthIndirect, f.heightIndirect};
    return g.first >= 0 && g.count >= 0 && g.width >= 0 && g.height >= 0 &&
           static_cast<long long>(g.width) * g.height == g.count &&
           static_cast<unsigned long long>(g.first) + static_cast<unsigned long long>(g.count) <= n;
}

// Adds to r, g and b only: the fourth component of `received` is the inside flag.
inline void addRgb(KivColor& d, const KivColor& e) {
    d.r = d.r + e.r;
    d.g = d.g + e.g;
    d.b = d.b + e.b;
}

bool hasEnergy(const KivColor& c) {
    return c.r >= kKivEnergyEpsilon || c.g >= kKivEnergyEpsilon || c.b >= kKivEnergyEpsilon;
}

float closeLength(float a, float b) { return 3.0f * (a > b ? a : b); }

// The factors of the update pass for one point: reflectance R after colour bleeding, the
// received-energy factor inv and the unshot factor k.
struct PointFactors {
    KivColor R, inv;
    float k;
};

inline PointFactors pointFactors(const KivColor& rho, float bleeding, bool hdri) {
    PointFactors p;
    p.R = bleedReflectance(rho, bleeding);
    if (hdri) {
        if (p.R.r > kKivEnergyEpsilon && p.R.g > kKivEnergyEpsilon && p.R.b > kKivEnergyEpsilon)
            p.inv = KivColor::make(1.0f / p.R.r, 1.0f / p.R.g, 1.0f / p.R.b);
        else
            p.inv = KivColor::make(0.0f, 0.0f, 0.0f);
        p.R = KivColor::make(1.0f, 1.0f, 1.0f);
        p.k = 1.0f;
    } else {
        p.inv = KivColor::make(1.0f, 1.0f, 1.0f);
        p.k = kShootInvPi;
    }
    return p;
}

// The neighbour rule for the outside point (i, j) of a w x h grid: it receives when an edge
// neighbour is lit, or, when no edge neighbour is inside at all, when a diagonal one is lit.
// litAt(k) and insideAt(k) take the grid offset of a point.
template <class Lit, class Inside>
bool neighbourReceives(int i, int j, int w, int h, Lit litAt, Inside insideAt) {
    bool anyValid = false;
    const int edge[4][2] = {{i - 1, j}, {i + 1, j}, {i, j - 1}, {i, j + 1}};
    for (const auto& e : edge) {
        if (e[0] < 0 || e[0] >= w || e[1] < 0 || e[1] >= h) continue;
        const int k = e[0] + e[1] * w;
        if (litAt(k)) return true;
        if (insideAt(k)) anyValid = true;
    }
    if (anyValid) return false;
    const int diag[4][2] = {{i - 1, j - 1}, {i - 1, j + 1}, {i + 1, j - 1}, {i + 1, j + 1}};
    for (const auto& d : diag) {
        if (d[0] < 0 || d[0] >= w || d[1] < 0 || d[1] >= h) continue;
        if (litAt(d[0] + d[1] * w)) return true;
    }
    return false;
}

// Outside points of a grid take the received energy of the inside points near them, row by
// row (used after a sky light, whose energy should reach the whole texture).
template <class Vertex>
void skyFill(Vertex* v, int w, int h) {
    auto copyRgb = [](KivColor& dst, const KivColor& src) {
        dst.r = src.r;
        dst.g = src.g;
        dst.b = src.b;
    };
    int firstRow = -1;
    for (int j = 0; j < h; ++j) {
        Vertex* row = v + static_cast<std::ptrdiff_t>(j) * w;
        int firstInside = -1;
        for (int i = 0; i < w; ++i)
            if (row[i].inside() == 1.0f) {
                firstInside = i;
                break;
            }
        if (firstInside >= 0) {
            for (int i = 0; i < firstInside; ++i)
                copyRgb(row[i].received, row[firstInside].received);
            int last = firstInside;
            for (int i = firstInside + 1; i < w; ++i) {
                if (row[i].inside() == 1.0f)
                    last = i;
                else
                    copyRgb(row[i].received, row[last].received);
            }
            if (firstRow < 0) {
                firstRow = j;
                for (int r = 0; r < j; ++r)
                    for (int i = 0; i < w; ++i)
                        copyRgb(v[static_cast<std::ptrdiff_t>(r) * w + i].received,
                                row[i].received);
            }
        } else if (firstRow >= 0) {
            // A row without inside points below filled rows takes the row above it.
            Vertex* above = row - w;
            for (int i = 0; i < w; ++i) copyRgb(row[i].received, above[i].received);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shooter parameters and light shots

void Shooter::initialize() {
    ShootingState& st = s_.shooting;
    st.shootType = kShootNone;
    st.shooterType = 0;
    st.shooterIndex = 0;
    s_.intersection.resetRayCounter();
    st.initializeAcosTable();
}

void Shooter::setShooterParam() {
    ShootingState& st = s_.shooting;
    if (st.shootType == kShootLight) {
        KivLight* L = s_.lights.at(st.shooterIndex);
        if (L == nullptr) return;
        st.shooterType = L->getType();
        st.shootType = kShootLight;
        st.shooterPosition = L->getPosition();
        st.shooterDirection = normalise(L->getDirection());
        st.shooterUnshot = L->getUnshot();
        st.falloffStart = L->getFalloffStart();
        st.falloffEnd = L->getFalloffEnd();
        st.beamCos = L->getBeamCos();
        st.fieldCos = L->getFieldCos();
        st.sourceSpotCoefficient = L->getSourceSpotCoefficient();
        st.worldToLight = L->getWorldToLight();
        st.lightDataIndex = L->getLightDataIndex();
    } else if (st.shootType == kShootSurvey || st.shootType == kShootIndirect) {
        st.shooterType = kKivSurfaceShooter;
    } else {
        st.shootType = kShootSurface;
        st.shooterType = kKivSurfaceShooter;
    }
}

KivColor Shooter::radiosityToVertex(int point) {
    ShootingState& st = s_.shooting;
    const KivColor zero = KivColor::make(0.0f, 0.0f, 0.0f);
    auto& verts = s_.vertices.direct;
    if (point < 0 || static_cast<std::size_t>(point) >= verts.size()) return zero;
    KivVertex& v = verts[static_cast<std::size_t>(point)];
    v.shotFlags = kShotReachedDark;
    const KivColor& U = st.shooterUnshot;
    if (U.r == 0.0f && U.g == 0.0f && U.b == 0.0f) return zero;
    const bool hdri = st.shooterType == kKivHDRILight;
    if (!hdri) v.current = zero;
    st.receiverPoint = v.receivePoint;
    st.receiverNormal = normalise(v.normal);
    KivLight* L = s_.lights.at(st.shooterIndex);
    if (L == nullptr) return zero;
    const KivColor E = L->shoot(point);
    if (hdri) {
        if (E.r > v.current.r && E.g > v.current.g && E.b > v.current.b) {
            v.current = E;
            auto& owner = s_.workLists.pointLight;
            if (static_cast<std::size_t>(point) < owner.size())
                owner[static_cast<std::size_t>(point)] = st.shooterIndex;
        }
    } else {
        v.current = E;
    }
    return E;
}

KivLong Shooter::radiosityToSurface(int surface) {
    ShootingState& st = s_.shooting;
    KivParentSurface* f = s_.surfaces.at(surface);
    if (f == nullptr) return 1;
    st.receiverDiffuse = f->getDiffuse();
    st.closeLengthThreshold = closeLength(f->getWInterval(), f->getHInterval());
    Grid g;
    if (!directGrid(*f, s_.vertices.direct.size(), g)) return 1;
    try {
        for (int k = 0; k < g.count; ++k) radiosityToVertex(g.first + k);
    } catch (...) {
        // A light that fails on a point abandons the rest of the surface.
        return 0;
    }
    return 1;
}

void Shooter::radiosity() {
    ShootingState& st = s_.shooting;
    const int n = s_.surfaces.instanceCount();
    for (int i = 0; i < n; ++i) {
        const int flags = s_.surfaces.records[i].getFlags();
        if ((flags & kSurfaceNotCounted) != 0) continue;
        if (st.shooterType == kKivHDRILight && (flags & kSurfaceSurvey) == 0) continue;
        st.receiverSurface = i;
        if (radiosityToSurface(i) == 0) break;
    }
}

void Shooter::directLightWithIndex(int index) {
    ShootingState& st = s_.shooting;
    st.shooterIndex = index;
    s_.intersection.resetShadowSurfaceIndex();
    if (st.shootType == kShootLight) {
        setShooterParam();
    } else if (st.shootType == kShootSurvey || st.shootType == kShootIndirect) {
        st.shooterType = kKivSurfaceShooter;
    } else {
        st.shootType = kShootSurface;
        st.shooterType = kKivSurfaceShooter;
    }
    radiosity();
}

// ---------------------------------------------------------------------------------------------
// Update passes on the vertex arrays

template <class Vertex>
void Shooter::updatePass(Vertex* points, int pointCount, bool indirectPass) {
    ShootingState& st = s_.shooting;
    const float bleeding = s_.solverParameters.colorBleeding;
    const bool hdri = st.shooterType == kKivHDRILight;
    const KivColor zero = KivColor::make(0.0f, 0.0f, 0.0f);
    const int n = s_.surfaces.instanceCount();
    for (int fi = 0; fi < n; ++fi) {
        KivParentSurface& f = s_.surfaces.records[fi];
        Grid g;
        if (indirectPass) {
            if (fi == st.shooterIndex) continue;
            if (!indirectGrid(f, static_cast<std::size_t>(pointCount), g)) continue;
        } else {
            if (st.shootType == kShootSurface && fi == st.shooterIndex) continue;
            if (st.shootType == kShootSurvey && (f.getFlags() & kSurfaceSurvey) != 0) continue;
            if (!directGrid(f, static_cast<std::size_t>(pointCount), g)) continue;
        }
        st.receiverFirst = g.first;
        st.receiverWidth = g.width;
        st.receiverHeight = g.height;
        st.receiverNormal = f.getPlaneNormal();
        st.receiverDiffuse = f.getDiffuse();
        Vertex* v = points + g.first;
        auto litAt = [v](int k) {
            return v[k].inside() == 1.0f && (v[k].shotFlags & kShotLit) != 0;
        };
        auto insideAt = [v](int k) { return v[k].inside() == 1.0f; };
        for (int j = 0; j < g.height; ++j) {
            for (int i = 0; i < g.width; ++i) {
                Vertex& r = v[i + j * g.width];
                if constexpr (std::is_same_v<Vertex, KivIndirectVertex>) {
                    const KivColor R = bleedReflectance(r.reflectance, bleeding);
                    if (r.inside() == 1.0f) {
                        addRgb(r.indirect, r.current);
                        addRgb(r.received, r.current);
                        addRgb(r.unshot, r.current * R * kShootInvPi);
                    } else if (neighbourReceives(i, j, g.width, g.height, litAt, insideAt)) {
                        addRgb(r.indirect, r.current);
                        addRgb(r.received, r.current);
                    }
                } else {
                    const PointFactors p = pointFactors(r.reflectance, bleeding, hdri);
                    if (r.inside() == 1.0f) {
                        addRgb(r.received, r.current * p.inv);
                        // Points close to a point or spot light (shotFlags 6) re-emit what
                        // they received like every other point. A light has no emitter normal,
                        // and a close-range factor built from one (or from the plane normal of
                        // the last surface that shot, which is zero before any surface shot)
                        // loses or invents energy depending on the scene's units; the light's
                        // own shot is exact at every distance, so its energy is used as is.
                        addRgb(r.unshot, r.current * p.R * p.k);
                    } else if (neighbourReceives(i, j, g.width, g.height, litAt, insideAt)) {
                        addRgb(r.received, r.current * p.inv);
                    }
                }
                r.current = zero;
            }
        }
        if (!indirectPass && st.shooterType == kKivSkyLight) skyFill(v, g.width, g.height);
    }
}

}  // namespace kiv

namespace kiv {

void Shooter::updateReceiveUnshot() {
    auto& v = s_.vertices.direct;
    updatePass(v.data(), static_cast<int>(v.size()), false);
}

void Shooter::indirectUpdatePass() {
    auto& v = s_.vertices.indirect;
    updatePass(v.data(), static_cast<int>(v.size()), true);
}

// ---------------------------------------------------------------------------------------------
// Surface shots

namespace {

using Rgb = ShotScratch::Rgb;

inline void addRgb(Rgb& d, float r, float g, float b) {
    d.r = d.r + r;
    d.g = d.g + g;
    d.b = d.b + b;
}

// A receiving surface of a surface shot.
struct Receiver {
    int index;
    Grid grid;
    float closeLength;
    KivColor diffuse;
};

// A surface the update pass of a surface shot visits.
struct Updated {
    int index;
    Grid grid;
};

}  // namespace

template <bool kIndirect>
void Shooter::shootFromSurface() {
    ShootingState& st = s_.shooting;
    auto& records = s_.surfaces.records;
    const int surfaceCount = records.instanceCount();
    const int shooter = st.shooterIndex;
    if (shooter < 0 || shooter >= surfaceCount) {
        toneReproduction(s_);
        return;
    }
    KivParentSurface& S = records[shooter];
    st.shooterNormal = normalise(S.getPlaneNormal());

    // Shooting points: the shooter's indirect points for shoot type 4, otherwise its points.
    const bool fromIndirect = kIndirect && st.shootType == kShootIndirect;
    Grid sg;
    const bool shooterValid = fromIndirect ? indirectGrid(S, s_.vertices.indirect.size(), sg)
                                           : directGrid(S, s_.vertices.direct.size(), sg);
    auto shooterPoint = [&](int k) -> const KivVertex& {
        const std::size_t i = static_cast<std::size_t>(k);
        if (fromIndirect) return s_.vertices.indirect[i];
        return s_.vertices.direct[i];
    };

    using Vertex = std::conditional_t<kIndirect, KivIndirectVertex, KivVertex>;
    std::vector<Vertex>& points = [&]() -> std::vector<Vertex>& {
        if constexpr (kIndirect)
            return s_.vertices.indirect;
        else
            return s_.vertices.direct;
    }();
    const std::size_t pointCount = points.size();
    const int shooterFlags = S.getFlags();

    // Receiving surfaces and the surfaces of the update pass.
    std::vector<Receiver> receivers;
    std::vector<Updated> updated;
    receivers.reserve(static_cast<std::size_t>(surfaceCount));
    updated.reserve(static_cast<std::size_t>(surfaceCount));
    for (int fi = 0; fi < surfaceCount; ++fi) {
        KivParentSurface& f = records[fi];
        Grid g;
        if (!(kIndirect ? indirectGrid(f, pointCount, g) : directGrid(f, pointCount, g))) continue;
        const int flags = f.getFlags();
        if (fi != shooter && (flags & kSurfaceNotCounted) == 0 &&
            !((flags & kSurfaceSurvey) != 0 && (shooterFlags & kSurfaceSurvey) != 0)) {
            const float close =
                kIndirect ? closeLength(f.getWIntervalIndirect(), f.getHIntervalIndirect())
                          : closeLength(f.getWInterval(), f.getHInterval());
            receivers.push_back({fi, g, close, f.getDiffuse()});
        }
        if (kIndirect) {
            if (fi == shooter) continue;
        } else {
            if (st.shootType == kShootSurface && fi == shooter) continue;
            if (st.shootType == kShootSurvey && (flags & kSurfaceSurvey) != 0) continue;
        }
        updated.push_back({fi, g});
    }

    // Packed copies of the points of the updated surfaces (every receiver is among them).
    ShotScratch& sc = st.scratch;
    sc.geometry.resize(pointCount);
    sc.reflect.resize(pointCount);
    sc.current.resize(pointCount);
    sc.received.resize(pointCount);
    sc.unshot.resize(pointCount);
    sc.flags.resize(pointCount);
    if (kIndirect) sc.indirect.resize(pointCount);
    const float bleeding = s_.solverParameters.colorBleeding;
    for (const Updated& u : updated) {
        for (int k = u.grid.first; k < u.grid.first + u.grid.count; ++k) {
            const Vertex& v = points[static_cast<std::size_t>(k)];
            const std::size_t i = static_cast<std::size_t>(k);
            const KivVector n = normalise(v.normal);
            sc.geometry[i] = {{v.receivePoint.x, v.receivePoint.y, v.receivePoint.z},
                              {n.x, n.y, n.z},
                              v.inside(),
                              0.0f};
            const KivColor R = bleedReflectance(v.reflectance, bleeding);
            sc.reflect[i] = {R.r, R.g, R.b};
            sc.current[i] = {v.current.r, v.current.g, v.current.b};
            sc.received[i] = {v.received.r, v.received.g, v.received.b};
            sc.unshot[i] = {v.unshot.r, v.unshot.g, v.unshot.b};
            sc.flags[i] = v.shotFlags;
            if constexpr (kIndirect) sc.indirect[i] = {v.indirect.r, v.indirect.g, v.indirect.b};
        }
    }

    if (!s_.intersection.isPreparedFor(s_.voxels)) prepareVisibility(s_);
    IntersectionState& visibility = s_.intersection;
    const VoxelGrid& voxels = s_.voxels;

    // The receiver surface of the queries is the surface being shot at; the stored receiver
    // surface index (that of the last light shot) is given back afterwards.
    const std::int32_t savedReceiverSurface = st.receiverSurface;
    const float nsx = st.shooterNormal.x, nsy = st.shooterNormal.y, nsz = st.shooterNormal.z;
    bool anyShot = false;
    KivPoint lastReceiverPoint = st.receiverPoint;
    KivVector lastReceiverNormal = st.receiverNormal;
    float lastClose = st.closeLengthThreshold;
    std::uint64_t pairs = 0;

    ShotScratch::Geometry* geometry = sc.geometry.data();
    Rgb* current = sc.current.data();
    unsigned char* flags = sc.flags.data();

    const int shooterCount = shooterValid ? sg.count : 0;
    for (int sk = 0; sk < shooterCount; ++sk) {
        const KivVertex& sv = shooterPoint(sg.first + sk);
        if (sv.inside() == 0.0f || !hasEnergy(sv.unshot)) continue;
        anyShot = true;
        const KivColor U = sv.unshot;
        const KivPoint P = sv.shootPoint;
        const float A = sv.area;
        st.shooterUnshot = U;
        st.shooterPosition = P;
        visibility.resetShadowSurfaceIndex();
        const float Px = P.x, Py = P.y, Pz = P.z;

        for (const Receiver& rs : receivers) {
            st.receiverDiffuse = rs.diffuse;
            st.closeLengthThreshold = rs.closeLength;
            st.receiverSurface = rs.index;
            const float close = rs.closeLength;
            const int end = rs.grid.first + rs.grid.count;
            pairs += static_cast<std::uint64_t>(rs.grid.count);
            for (int k = rs.grid.first; k < end; ++k) {
                const ShotScratch::Geometry& g = geometry[k];
                flags[k] = kShotReachedDark;
                const float dx = g.q[0] - Px, dy = g.q[1] - Py, dz = g.q[2] - Pz;
                const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
                float ux = 0.0f, uy = 0.0f, uz = 0.0f;
                if (dist != 0.0f) {
                    const float inv = 1.0f / dist;
                    ux = dx * inv;
                    uy = dy * inv;
                    uz = dz * inv;
                }
                const float cs = clampf(ux * nsx + uy * nsy + uz * nsz, 0.0f, 1.0f);
                const float f0 = cs * A / (dist * dist);
                // Also skips the NaN of a receiving point on the shooting point.
                if (!(f0 >= kKivEnergyEpsilon)) continue;
                const float cr = -ux * g.n[0] + -uy * g.n[1] + -uz * g.n[2];
                const float F = diskFormFactor(f0, cr);
                Rgb& c = current[k];
                if (!(F >= kKivEnergyEpsilon)) {
                    c = {0.0f, 0.0f, 0.0f};
                    continue;
                }
                float er = F * U.r, eg = F * U.g, eb = F * U.b;
                if (g.inside > 0.0f) {
                    st.receiverPoint = KivPoint::make(g.q[0], g.q[1], g.q[2]);
                    const float seen = visibility.judgePointToPoint(voxels, st);
                    if (seen == kRayBlocked) {
                        er = eg = eb = 0.0f;
                    } else {
                        if (seen == kRayTransmitted) {
                            const KivColor& t = visibility.transparencyColorResult;
                            er = er * t.r;
                            eg = eg * t.g;
                            eb = eb * t.b;
                        }
                        flags[k] = dist < close ? kShotLitClose : kShotLit;
                    }
                }
                c = {er, eg, eb};
            }
            if (rs.grid.count > 0) {
                const ShotScratch::Geometry& g = geometry[end - 1];
                lastReceiverPoint = KivPoint::make(g.q[0], g.q[1], g.q[2]);
                lastReceiverNormal = KivVector::make(g.n[0], g.n[1], g.n[2]);
            }
            lastClose = rs.closeLength;
        }

        // The update pass on the packed points (surfaces shoot with shooter type 9: received
        // gains what arrived, unshot the reflected part over pi).
        const bool hdri = st.shooterType == kKivHDRILight;
        for (const Updated& u : updated) {
            const Grid& g = u.grid;
            const ShotScratch::Geometry* gv = geometry + g.first;
            const unsigned char* fv = flags + g.first;
            auto litAt = [gv, fv](int k) {
                return gv[k].inside == 1.0f && (fv[k] & kShotLit) != 0;
            };
            auto insideAt = [gv](int k) { return gv[k].inside == 1.0f; };
            for (int j = 0; j < g.height; ++j) {
                for (int i = 0; i < g.width; ++i) {
                    const int local = i + j * g.width;
                    const std::size_t k = static_cast<std::size_t>(g.first + local);
                    Rgb& c = sc.current[k];
                    if constexpr (kIndirect) {
                        const Rgb& R = sc.reflect[k];
                        if (gv[local].inside == 1.0f) {
                            addRgb(sc.indirect[k], c.r, c.g, c.b);
                            addRgb(sc.received[k], c.r, c.g, c.b);
                            addRgb(sc.unshot[k], c.r * R.r * kShootInvPi, c.g * R.g * kShootInvPi,
                                   c.b * R.b * kShootInvPi);
                        } else if (neighbourReceives(i, j, g.width, g.height, litAt, insideAt)) {
                            addRgb(sc.indirect[k], c.r, c.g, c.b);
                            addRgb(sc.received[k], c.r, c.g, c.b);
                        }
                    } else {
                        // The reflectance was packed with the colour bleeding applied.
                        const Rgb& rho = sc.reflect[k];
                        PointFactors p;
                        p.R = KivColor::make(rho.r, rho.g, rho.b);
                        p.inv = KivColor::make(1.0f, 1.0f, 1.0f);
                        p.k = kShootInvPi;
                        if (hdri) {
                            const bool positive = p.R.r > kKivEnergyEpsilon &&
                                                  p.R.g > kKivEnergyEpsilon &&
                                                  p.R.b > kKivEnergyEpsilon;
                            p.inv = positive
                                        ? KivColor::make(1.0f / p.R.r, 1.0f / p.R.g, 1.0f / p.R.b)
                                        : KivColor::make(0.0f, 0.0f, 0.0f);
                            p.R = KivColor::make(1.0f, 1.0f, 1.0f);
                            p.k = 1.0f;
                        }
                        if (gv[local].inside == 1.0f) {
                            addRgb(sc.received[k], c.r * p.inv.r, c.g * p.inv.g, c.b * p.inv.b);
                            addRgb(sc.unshot[k], c.r * p.R.r * p.k, c.g * p.R.g * p.k,
                                   c.b * p.R.b * p.k);
                        } else if (neighbourReceives(i, j, g.width, g.height, litAt, insideAt)) {
                            addRgb(sc.received[k], c.r * p.inv.r, c.g * p.inv.g, c.b * p.inv.b);
                        }
                    }
                    c = {0.0f, 0.0f, 0.0f};
                }
            }
        }
    }
    st.pairCount += pairs;

    if (anyShot) {
        // The receiver values the per-point steps leave behind.
        st.receiverPoint = lastReceiverPoint;
        st.closeLengthThreshold = lastClose;
        if (!updated.empty()) {
            const Updated& u = updated.back();
            const KivParentSurface& f = records[u.index];
            st.receiverFirst = u.grid.first;
            st.receiverWidth = u.grid.width;
            st.receiverHeight = u.grid.height;
            st.receiverNormal = f.getPlaneNormal();
            st.receiverDiffuse = f.getDiffuse();
        } else {
            st.receiverNormal = lastReceiverNormal;
        }
        for (const Updated& u : updated) {
            for (int k = u.grid.first; k < u.grid.first + u.grid.count; ++k) {
                Vertex& v = points[static_cast<std::size_t>(k)];
                const std::size_t i = static_cast<std::size_t>(k);
                v.current.r = sc.current[i].r;
                v.current.g = sc.current[i].g;
                v.current.b = sc.current[i].b;
                v.received.r = sc.received[i].r;
                v.received.g = sc.received[i].g;
                v.received.b = sc.received[i].b;
                v.unshot.r = sc.unshot[i].r;
                v.unshot.g = sc.unshot[i].g;
                v.unshot.b = sc.unshot[i].b;
                v.shotFlags = sc.flags[i];
                if constexpr (kIndirect) {
                    v.indirect.r = sc.indirect[i].r;
                    v.indirect.g = sc.indirect[i].g;
                    v.indirect.b = sc.indirect[i].b;
                }
            }
        }
    }
    st.receiverSurface = savedReceiverSurface;

    clearShooter();
    toneReproduction(s_);
}

void Shooter::surfaceShot() { shootFromSurface<false>(); }
void Shooter::indirectSurfaceShot() { shootFromSurface<true>(); }

void Shooter::clearShooter() {
    ShootingState& st = s_.shooting;
    if (st.shooterType != kKivSurfaceShooter) {
        if (KivLight* L = s_.lights.at(st.shooterIndex)) L->alreadyShoot = 1;
        return;
    }
    const KivParentSurface* f = s_.surfaces.at(st.shooterIndex);
    if (f == nullptr) return;
    const KivColor zero = KivColor::make(0.0f, 0.0f, 0.0f);
    Grid g;
    if (st.shootType == kShootIndirect) {
        if (!indirectGrid(*f, s_.vertices.indirect.size(), g)) return;
        for (int k = 0; k < g.count; ++k)
            s_.vertices.indirect[static_cast<std::size_t>(g.first + k)].unshot = zero;
    } else {
        if (!directGrid(*f, s_.vertices.direct.size(), g)) return;
        for (int k = 0; k < g.count; ++k)
            s_.vertices.direct[static_cast<std::size_t>(g.first + k)].unshot = zero;
    }
}

// ---------------------------------------------------------------------------------------------
// Choosing the next shooter

int Shooter::chooseNextLight(int requestedType) {
    ShootingState& st = s_.shooting;
    const int n = s_.lights.endedCount();
    auto available = [&](int i) -> KivLight* {
        KivLight* L = s_.lights.at(i);
        return (L != nullptr && L->alreadyShoot == 0) ? L : nullptr;
    };
    int chosen = -1;
    char chosenType = 0;
    if (requestedType == 0) {
        // Environment lights first, then sky, then directional lights, each by index.
        for (const char type : {kKivHDRILight, kKivSkyLight, kKivDirectionalLight}) {
            for (int i = 0; i < n && chosen < 0; ++i) {
                KivLight* L = available(i);
                if (L != nullptr && L->getType() == type) {
                    chosen = i;
                    chosenType = type;
                }
            }
            if (chosen >= 0) break;
        }
        if (chosen < 0) {
            // Any other light: the strongest, the lower index on ties.
            float best = 0.0f;
            for (int i = 0; i < n; ++i) {
                KivLight* L = available(i);
                if (L == nullptr) continue;
                const char type = L->getType();
                if (type == kKivHDRILight || type == kKivSkyLight || type == kKivDirectionalLight)
                    continue;
                const KivColor u = L->getUnshot();
                float m = u.r;
                if (u.g > m) m = u.g;
                if (u.b > m) m = u.b;
                if (m > best) {
                    best = m;
                    chosen = i;
                    chosenType = type;
                }
            }
        }
    } else {
        for (int i = 0; i < n; ++i) {
            KivLight* L = available(i);
            if (L != nullptr && L->getType() == static_cast<char>(requestedType)) {
                chosen = i;
                chosenType = L->getType();
                break;
            }
        }
    }
    if (chosen < 0) {
        if (requestedType == 0) st.shooterType = 0;
        return -1;
    }
    st.shooterIndex = chosen;
    st.shooterType = chosenType;
    return chosen;
}

int Shooter::chooseNext(int requestedType) {
    return s_.shooting.shootType == kShootLight ? chooseNextLight(requestedType)
                                                : chooseNextSurface();
}

int Shooter::chooseNextSurface() {
    ShootingState& st = s_.shooting;
    const bool survey = st.shootType == kShootSurvey;
    const bool indirect = st.shootType == kShootIndirect;
    const int n = s_.surfaces.instanceCount();
    int chosen = -1;
    float best = 0.0f;
    for (int i = 0; i < n; ++i) {
        const KivParentSurface& f = s_.surfaces.records[i];
        const int flags = f.getFlags();
        if (survey ? (flags & kSurfaceSurvey) == 0 : (flags & kSurfaceNoShoot) != 0) continue;
        Grid g;
        float sum = 0.0f;
        if (indirect) {
            if (!indirectGrid(f, s_.vertices.indirect.size(), g)) continue;
            for (int k = 0; k < g.count; ++k) {
                const KivColor& u =
                    s_.vertices.indirect[static_cast<std::size_t>(g.first + k)].unshot;
                sum += (u.r + u.g + u.b) * 0.33333334f;
            }
        } else {
            if (!directGrid(f, s_.vertices.direct.size(), g)) continue;
            for (int k = 0; k < g.count; ++k) {
                const KivColor& u =
                    s_.vertices.direct[static_cast<std::size_t>(g.first + k)].unshot;
                sum += (u.r + u.g + u.b) * 0.33333334f;
            }
        }
        if (sum > best) {
            best = sum;
            chosen = i;
        }
    }
    if (chosen < 0) {
        st.shooterType = 0;
        return -1;
    }
    st.shooterIndex = chosen;
    return chosen;
}

// ---------------------------------------------------------------------------------------------

bool Shooter::outputPrivate(const char* path) {
    if (path == nullptr) return false;
    std::FILE* f = std::fopen(path, "a");
    if (f == nullptr) return false;
    const ShootingState& st = s_.shooting;
    auto triple = [f](float a, float b, float c) { std::fprintf(f, "%f %f %f\n", a, b, c); };
    std::fprintf(f, "%d\n", st.shootType);
    std::fprintf(f, "%d\n", st.shooterType);
    std::fprintf(f, "%d\n", st.shooterIndex);
    triple(st.shooterUnshot.r, st.shooterUnshot.g, st.shooterUnshot.b);
    triple(st.shooterPosition.x, st.shooterPosition.y, st.shooterPosition.z);
    triple(st.shooterDirection.x, st.shooterDirection.y, st.shooterDirection.z);
    std::fprintf(f, "%f\n", st.falloffStart);
    std::fprintf(f, "%f\n", st.falloffEnd);
    std::fprintf(f, "%f\n", st.beamCos);
    std::fprintf(f, "%f\n", st.fieldCos);
    std::fprintf(f, "%f\n", st.sourceSpotCoefficient);
    std::fprintf(f, "%d\n", st.receiverSurface);
    triple(st.receiverPoint.x, st.receiverPoint.y, st.receiverPoint.z);
    triple(st.receiverNormal.x, st.receiverNormal.y, st.receiverNormal.z);
    triple(st.receiverDiffuse.r, st.receiverDiffuse.g, st.receiverDiffuse.b);
    std::fprintf(f, "%d\n", st.receiverWidth);
    std::fprintf(f, "%d\n", st.receiverHeight);
    std::fprintf(f, "%d\n", st.receiverFirst);
    std::fprintf(f, "%f\n", st.closeLengthThreshold);
    std::fclose(f);
    return true;
}

}  // namespace kiv

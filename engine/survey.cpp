#include "engine/survey.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/filter_func.h"
#include "engine/hdri.h"
#include "engine/intersection.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/shooting.h"
#include "engine/solution.h"
#include "engine/tone.h"

namespace kiv {

namespace {

constexpr float kFourPi = 12.566371f;
constexpr float kDegrees = 57.29578f;
constexpr unsigned char kSurveyMask = static_cast<unsigned char>(kSurfaceSurvey);
// Filter modes of the survey queries: only survey surfaces occlude, or only the others.
constexpr std::int32_t kOnlySurvey = 1;
constexpr std::int32_t kAllButSurvey = 0;

bool carriesEnergy(const KivColor& c) {
    return c.r >= kKivEnergyEpsilon || c.g >= kKivEnergyEpsilon || c.b >= kKivEnergyEpsilon;
}

// Energy operations touch r, g and b only: the fourth component of `received` is the
// inside flag.
void zeroRgb(KivColor& c) { c.r = c.g = c.b = 0.0f; }
void addRgb(KivColor& d, const KivColor& e) {
    d.r = d.r + e.r;
    d.g = d.g + e.g;
    d.b = d.b + e.b;
}

bool isSurvey(const KivParentSurface& f) { return (f.getFlags() & kSurfaceSurvey) != 0; }

// The sample points of a surface as an index range of the vertex array; false when the
// surface's fields do not lie within the array (such a surface is left alone).
bool pointRange(const KivParentSurface& f, std::size_t n, int& first, int& count) {
    first = f.getVertArrayIndex();
    count = f.getVertTotalCount();
    return first >= 0 && count >= 0 &&
           static_cast<unsigned long long>(first) + static_cast<unsigned long long>(count) <= n;
}

bool blocked(float answer) { return answer == kRayBlocked; }

// Quotient of one component clamped to [0, 1]; a quotient that is not below 1, or undefined
// because the divisor is 0, is 1.
float unitQuotient(float num, float den) {
    const float q = num / den;
    if (!(q < 1.0f)) return 1.0f;
    return q < 0.0f ? 0.0f : q;
}

// One component of the survey ratio. A point the environment did not reach in this component
// (current below the energy threshold) has no ratio to give; it keeps the neutral 1, as a
// point without reflectance does, so that the ratio stays finite.
float ratioComponent(float received, float reflectance, float current) {
    if (!(current >= kKivEnergyEpsilon)) return 1.0f;
    const float r = received * reflectance / current;
    return std::isfinite(r) ? r : 1.0f;
}

int elapsed(long long t0) { return static_cast<int>(processorMilliseconds() - t0); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Sky samples

bool SkySampler::load(int index) {
    light_ = s_.lights.at(index);
    sampleCount_ = 0;
    directions_ = nullptr;
    emissions_ = nullptr;
    if (light_ == nullptr) return false;
    const KivLong n = light_->getSampleNum();
    const KivVector* d = light_->getDirectionList();
    const KivColor* e = light_->getEmissionList();
    if (n <= 0 || d == nullptr || e == nullptr) {
        light_ = nullptr;
        return false;
    }
    sampleCount_ = n;
    directions_ = d;
    emissions_ = e;
    fromImage_ = (light_->getSkylightType() & 2) != 0;
    position_ = light_->getPosition();
    worldToLight_ = light_->getWorldToLight();
    upIndex_ = light_->getUpIndex();
    hatIndex_ = light_->getHatIndex();
    dirIndex_ = light_->getDirIndex();
    return true;
}

bool SkySampler::imageColour(const KivVector& d, KivColor& out) {
    if (light_ == nullptr) return false;
    const KivHDRI* image = light_->getHDRI();
    // A light without an image, or with axis indices outside the six axis codes, keeps the
    // sample's emission.
    if (image == nullptr || image->data == nullptr) return false;
    if (upIndex_ < 0 || upIndex_ > 5 || hatIndex_ < 0 || hatIndex_ > 5 || dirIndex_ < 0 ||
        dirIndex_ > 5)
        return false;

    // Into the light's frame: a row vector times the upper-left 3 x 3 block.
    const float* m = worldToLight_.m;
    const KivVector l = normalise(KivVector::make(d.x * m[0] + d.y * m[4] + d.z * m[8],
                                                  d.x * m[1] + d.y * m[5] + d.z * m[9],
                                                  d.x * m[2] + d.y * m[6] + d.z * m[10]));
    const float s[6] = {l.x, l.y, l.z, -l.x, -l.y, -l.z};
    const float a = s[hatIndex_], b = -s[dirIndex_], c = s[upIndex_];

    ShootingState& st = s_.shooting;
    const float ac = st.interpolateAcos(static_cast<double>(std::fabs(c)));
    const float theta = kDegrees * (c > 0.0f ? kShootPi - ac : ac);
    float phi = 0.0f;
    const float r = std::sqrt(a * a + b * b);
    if (!(r < kKivEnergyEpsilon)) {
        const float f = kDegrees * st.interpolateAcos(static_cast<double>(std::fabs(b) / r));
        if (b >= 0.0f)
            phi = a >= 0.0f ? 180.0f - f : 180.0f + f;
        else
            phi = a < 0.0f ? 360.0f - f : f;
    }

    // The texture lookup without interpolation and without filter, on a filter of our own so
    // that the light's image is only read.
    KivFilterFunc filter;
    filter.setData(image->width, image->height, image->components, image->data,
                   KivFilterFunc::kFloatData);
    KivColor texel = KivColor::make(0.0f, 0.0f, 0.0f);
    filter.doFilter(phi * 0.0027777778f, 1.0f - theta * 0.0055555557f, texel, 0, 0, 0);
    out = KivColor::make(kShootPi * texel.r, kShootPi * texel.g, kShootPi * texel.b);
    return true;
}

KivColor SkySampler::colour(int k, const KivPoint& q) {
    const KivColor& emission = emissions_[k];
    KivColor e = KivColor::make(emission.r, emission.g, emission.b);
    if (!fromImage_) return e;
    const KivVector& D = directions_[k];

    // Where the sample's ray leaves the scene box: the first of the six inward faces it meets.
    KivVector d = D;
    for (const KivParentSurface& face : s_.voxels.faces) {
        const KivVector n = face.getPlaneNormal();
        const float nd = dot(n, D);
        if (std::fabs(nd) < 0.001f) continue;
        const float t = (face.getPlaneHeight() - dot(n, q)) / nd;
        if (!(t >= 0.002f)) continue;
        const KivPoint x = q + D * t;
        if (insideBoundaryBox(face, x) && insidePolygon(face, x)) {
            d = vectorBetween(position_, x);
            break;
        }
    }
    imageColour(normalise(d), e);
    return e;
}

// ---------------------------------------------------------------------------------------------
// Survey modify pass

void surveyModifyPass(KivScene& s, SolutionDriver& driver) {
    ShootingState& st = s.shooting;
    auto& points = s.vertices.direct;
    const std::size_t pointCount = points.size();
    auto& surfaces = s.surfaces.records;
    const int surfaceCount = surfaces.instanceCount();

    driver.log("Survey Modify Log\n\n");
    const char savedShooterType = st.shooterType;
    st.shooterType = kKivSurfaceShooter;
    for (KivVertex& v : points) {
        zeroRgb(v.unshot);
        zeroRgb(v.received);
    }
    driver.log("\tClear All Receive And Unshot.\n\n");

    // Survey gather: every survey point with energy sends it to the points of the other
    // survey surfaces. What passes the survey surfaces is received; what also passes every
    // other surface is unshot energy.
    long long totalTime = 0;
    for (int A = 0; A < surfaceCount; ++A) {
        const KivParentSurface& fa = surfaces[A];
        if (!isSurvey(fa)) continue;
        driver.log("\tSurvey Gather Start ...");
        const long long t0 = processorMilliseconds();
        const KivVector nA = normalise(fa.getPlaneNormal());
        int firstA, countA;
        if (pointRange(fa, pointCount, firstA, countA)) {
            for (int ia = firstA; ia < firstA + countA; ++ia) {
                const KivVertex& a = points[static_cast<std::size_t>(ia)];
                if (!carriesEnergy(a.current) || a.inside() == 0.0f) continue;
                s.intersection.resetShadowSurfaceIndex();
                const KivPoint P = a.shootPoint;
                for (int B = 0; B < surfaceCount; ++B) {
                    const KivParentSurface& fb = surfaces[B];
                    if (B == A || !isSurvey(fb)) continue;
                    int firstB, countB;
                    if (!pointRange(fb, pointCount, firstB, countB)) continue;
                    for (int ib = firstB; ib < firstB + countB; ++ib) {
                        KivVertex& b = points[static_cast<std::size_t>(ib)];
                        if (!carriesEnergy(b.current) || b.inside() == 0.0f) continue;
                        const KivPoint Q = b.receivePoint;
                        const KivVector v = vectorBetween(P, Q);
                        const float dist = length(v);
                        if (dist == 0.0f) continue;
                        const KivVector u = v / dist;
                        const float cs = clampf(dot(u, nA), 0.0f, 1.0f);
                        const float f0 = cs * a.area / (dist * dist);
                        if (!(f0 >= kKivEnergyEpsilon)) continue;
                        const float F = diskFormFactor(f0, dot(-u, normalise(b.normal)));
                        if (!(F >= kKivEnergyEpsilon)) continue;
                        const KivColor E = a.current * F;
                        if (blocked(judgeIntersection(s, Q, B, P, A, {kSurveyMask, kOnlySurvey})))
                            continue;
                        addRgb(b.received, E);
                        if (!blocked(
                                judgeIntersection(s, Q, B, P, A, {kSurveyMask, kAllButSurvey})))
                            addRgb(b.unshot, E);
                    }
                }
            }
        }
        const int ms = elapsed(t0);
        totalTime += ms;
        driver.log(" End\t");
        driver.log("TIME: %d mili sec.\n", ms);
    }
    driver.log("\t\tTOTAL TIME: %f sec\n", static_cast<float>(totalTime) * 0.001f);
    driver.log("\n\n");

    // Survey sky gather: every survey point with energy gathers the sky samples of the light
    // that gave it its largest shot.
    totalTime = 0;
    const auto& pointLight = s.workLists.pointLight;
    SkySampler sky(s);
    for (int A = 0; A < surfaceCount; ++A) {
        const KivParentSurface& fa = surfaces[A];
        if (!isSurvey(fa)) continue;
        driver.log("\tSurvey Gather SkyLight Start ...");
        const long long t0 = processorMilliseconds();
        int firstA, countA;
        if (pointRange(fa, pointCount, firstA, countA)) {
            for (int ia = firstA; ia < firstA + countA; ++ia) {
                KivVertex& a = points[static_cast<std::size_t>(ia)];
                if (!carriesEnergy(a.current) || a.inside() == 0.0f) continue;
                const std::size_t slot = static_cast<std::size_t>(ia);
                if (slot >= pointLight.size() || pointLight[slot] == -1) continue;
                if (!sky.load(pointLight[slot])) continue;
                const KivPoint Q = a.receivePoint;
                const KivVector n = a.normal;
                const int N = sky.sampleCount();
                const float weight = kFourPi / static_cast<float>(N);
                for (int k = 0; k < N; ++k) {
                    const KivVector& D = sky.direction(k);
                    const float c = clampf(dot(D, n), 0.0f, 1.0f);
                    float w = weight * c;
                    if (w > kShootPi) w = kShootPi;
                    if (!(w >= kKivEnergyEpsilon)) continue;
                    const KivVector travel = -D;
                    if (blocked(judgeDirectionalIntersection(s, Q, A, travel,
                                                             {kSurveyMask, kOnlySurvey})))
                        continue;
                    const KivColor E = sky.colour(k, Q) * w;
                    addRgb(a.received, E);
                    if (!blocked(judgeDirectionalIntersection(s, Q, A, travel,
                                                              {kSurveyMask, kAllButSurvey})))
                        addRgb(a.unshot, E);
                }
            }
        }
        const int ms = elapsed(t0);
        totalTime += ms;
        driver.log(" End\t");
        driver.log("TIME: %d mili sec.\n", ms);
    }
    driver.log("\t\tTOTAL TIME: %f sec\n", static_cast<float>(totalTime) * 0.001f);

    st.shooterType = savedShooterType;
    driver.log("\n");
    driver.log("Survey Modify Start ...");

    // Modify: the survey points' reflectance becomes the part of what reached them that they
    // hold, and their current energy the part that passes the other surfaces.
    for (int A = 0; A < surfaceCount; ++A) {
        const KivParentSurface& fa = surfaces[A];
        if (!isSurvey(fa)) continue;
        int first, count;
        if (!pointRange(fa, pointCount, first, count)) continue;
        for (int i = first; i < first + count; ++i) {
            KivVertex& p = points[static_cast<std::size_t>(i)];
            const float keep = p.reflectance.a;
            if (!carriesEnergy(p.current) || p.inside() == 0.0f) {
                p.reflectance = KivColor(0.0f, 0.0f, 0.0f, keep);
            } else if (carriesEnergy(p.received)) {
                const KivColor c = p.current, r = p.received, u = p.unshot;
                p.reflectance = KivColor(unitQuotient(c.r, r.r), unitQuotient(c.g, r.g),
                                         unitQuotient(c.b, r.b), keep);
                p.current = KivColor(c.r * unitQuotient(u.r, r.r), c.g * unitQuotient(u.g, r.g),
                                     c.b * unitQuotient(u.b, r.b), c.a);
            } else {
                const KivColor c = p.current;
                float m = c.r;
                if (c.g > m) m = c.g;
                if (c.b > m) m = c.b;
                const float h = 0.5f / m;
                p.reflectance = KivColor(c.r * h, c.g * h, c.b * h, keep);
            }
        }
    }

    driver.log(" End\n\n");
    for (KivVertex& v : points) zeroRgb(v.unshot);
    for (KivVertex& v : points) zeroRgb(v.received);
    driver.log("\nClear All Receive And Unshot\n");
}

// ---------------------------------------------------------------------------------------------
// HDRI shoot

void hdriShoot(KivScene& s, SolutionDriver& driver) {
    ShootingState& st = s.shooting;
    auto& points = s.vertices.direct;
    const std::size_t pointCount = points.size();
    auto& surfaces = s.surfaces.records;
    const int surfaceCount = surfaces.instanceCount();
    Shooter shooter(s);

    driver.log("HDRI Shoot Count Log\n\n");

    // Sky samples straight to the ordinary sample points; every sample is one shot followed
    // by the update pass.
    long long totalTime = 0;
    SkySampler sky(s);
    const std::vector<std::int32_t>& lights = s.workLists.hdriLights;
    for (const std::int32_t L : lights) {
        if (L == -1 || !sky.load(L)) continue;
        driver.log("\t%d Hdri SkyLight Shoot Start ... ", L);
        const long long t0 = processorMilliseconds();
        const int N = sky.sampleCount();
        const float weight = kFourPi / static_cast<float>(N);
        for (int k = 0; k < N; ++k) {
            const KivVector D = sky.direction(k);
            const KivVector travel = -D;
            for (int fi = 0; fi < surfaceCount; ++fi) {
                const KivParentSurface& f = surfaces[fi];
                if ((f.getFlags() & (kSurfaceSurvey | kSurfaceNotCounted)) != 0) continue;
                int first, count;
                if (!pointRange(f, pointCount, first, count)) continue;
                for (int i = first; i < first + count; ++i) {
                    KivVertex& r = points[static_cast<std::size_t>(i)];
                    const KivPoint Q = r.receivePoint;
                    const float c = clampf(dot(D, r.normal), 0.0f, 1.0f);
                    float w = weight * c;
                    if (!(w >= kKivEnergyEpsilon)) {
                        r.shotFlags = kShotReachedDark;
                        r.current = KivColor::make(0.0f, 0.0f, 0.0f);
                        continue;
                    }
                    if (w > kShootPi) w = kShootPi;
                    KivColor G = sky.colour(k, Q) * w;
                    if (r.inside() > 0.0f) {
                        // Mask 0: the ordinary query, in which (the shooter being a surface)
                        // every surface can occlude.
                        const float seen = judgeDirectionalIntersection(s, Q, fi, travel);
                        if (seen == kRayBlocked) {
                            r.shotFlags = kShotReachedDark;
                            G = KivColor::make(0.0f, 0.0f, 0.0f);
                        } else {
                            if (seen == kRayTransmitted)
                                G *= s.intersection.transparencyColorResult;
                            r.shotFlags = kShotLit;
                        }
                    }
                    r.current = G;
                }
            }
            shooter.updateReceiveUnshot();
        }
        const int ms = elapsed(t0);
        totalTime += ms;
        driver.log(" End.\tTIME:%d mili second\n", ms);
    }

    toneReproduction(s);
    driver.log("\nTotalTime:\t%f sec\n", static_cast<float>(totalTime) * 0.001f);
    driver.log("\n\n");
    totalTime = 0;

    // The survey surfaces shoot what passed them into the scene, the strongest first. A
    // survey shot reaches no survey surface, so none gains unshot energy here and each shoots
    // at most once; the surface count bounds the loop all the same.
    int next = shooter.chooseNext(0);
    const bool anyShooter = next >= 0;
    for (int i = 1; next >= 0 && i <= surfaceCount; ++i) {
        driver.log("\t%d Shoot Start ... ", i);
        const long long t0 = processorMilliseconds();
        shooter.setShooterParam();
        shooter.surfaceShot();
        const int ms = elapsed(t0);
        totalTime += ms;
        driver.log(" End.\tTIME:%d mili second : %d\n", ms, st.shooterIndex);
        next = shooter.chooseNext(0);
    }
    if (anyShooter) {
        driver.log("\nTotalTime:\t%f sec\n", static_cast<float>(totalTime) * 0.001f);
        driver.log("\nEnd HDRI Shoot Calculation\n\n\n");
    }
}

// ---------------------------------------------------------------------------------------------
// Survey ratio

void surveyRatio(KivScene& s) {
    auto& points = s.vertices.direct;
    const std::size_t pointCount = points.size();
    auto& surfaces = s.surfaces.records;
    const int surfaceCount = surfaces.instanceCount();
    for (int fi = 0; fi < surfaceCount; ++fi) {
        const KivParentSurface& f = surfaces[fi];
        int first, count;
        if (!pointRange(f, pointCount, first, count)) continue;
        const bool survey = isSurvey(f);
        for (int i = first; i < first + count; ++i) {
            KivVertex& p = points[static_cast<std::size_t>(i)];
            if (!survey) {
                p.current = KivColor::make(0.0f, 0.0f, 0.0f);
                continue;
            }
            const KivColor rho = p.reflectance, c = p.current, r = p.received;
            KivColor ratio = KivColor::make(1.0f, 1.0f, 1.0f);
            if (!(rho.r <= kKivEnergyEpsilon || rho.g <= kKivEnergyEpsilon ||
                  rho.b <= kKivEnergyEpsilon))
                ratio =
                    KivColor::make(ratioComponent(r.r, rho.r, c.r), ratioComponent(r.g, rho.g, c.g),
                                   ratioComponent(r.b, rho.b, c.b));
            p.received.r = c.r * ratio.r;
            p.received.g = c.g * ratio.g;
            p.received.b = c.b * ratio.b;
            p.current = ratio;
        }
    }
}

}  // namespace kiv

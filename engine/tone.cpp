#include "engine/tone.h"

#include <algorithm>
#include <cmath>

#include "engine/scene.h"

namespace kiv {
namespace {
constexpr float kInvPi = 0.31830987f;
constexpr float kOneLevel = 0.0039216f;     // 1/255
constexpr float kTopBlack = 0.9960784f;     // 254/255

float hslValue(float m1, float m2, float h) {
    if (h > 360.0f)
        h -= 360.0f;
    else if (h < 0.0f)
        h += 360.0f;
    if (h < 60.0f) return m1 + (m2 - m1) * h * 0.016666668f;
    if (h < 180.0f) return m2;
    if (h < 240.0f) return m1 + (m2 - m1) * (240.0f - h) * 0.016666668f;
    return m1;
}

// Truncates toward zero. Undefined coefficients (a zero reference energy or total area) can
// leave NaN after the clamps; such a texel shows black instead of an undefined conversion.
unsigned char toByte(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    return static_cast<unsigned char>(static_cast<int>(c * 255.0f));
}
}  // namespace

void ToneState::setDisplay(const DisplayInput& d) {
    whiteBalance = clamp(d.whiteBalance, kOneLevel, 1.0f);
    blackBalance = clamp(d.blackBalance, 0.0f, kTopBlack);
    float* w[3] = {&whiteBalance.r, &whiteBalance.g, &whiteBalance.b};
    const float b[3] = {blackBalance.r, blackBalance.g, blackBalance.b};
    for (int i = 0; i < 3; ++i) *w[i] = std::min(std::max(*w[i], b[i] + kOneLevel), 1.0f);
    coefficientColor = KivColor::make(d.coefficient.r, d.coefficient.g, d.coefficient.b);
    contrast = d.contrast;
    brightness = d.brightness;
    autoReferenceEnergy = d.autoReferenceEnergy;
    referenceEnergyCoef = d.referenceEnergyCoef;
    referenceEnergy = d.referenceEnergy;
    coefficient2 = 1.0f / d.gamma;
    coefficient1 = 0.5f / std::pow(referenceEnergy * referenceEnergyCoef, coefficient2);
    setReproductFunction(d.reproductFunction);
}

KivColor ToneState::function1(const KivColor& e) const {
    const float r = e.r, g = e.g, b = e.b;
    const float mx = std::max(std::max(r, g), b);
    const float mn = std::min(std::min(r, g), b);
    float L = (mx + mn) * 0.5f;
    const float d = mx - mn;
    float S, H;
    if (d >= 0.00001f) {
        S = d / (mx + mn);
        float h = 0.0f;
        if (r == mx) h = (g - b) / d;
        if (g == mx) h = (b - r) / d + 2.0f;
        if (b == mx) h = (r - g) / d + 4.0f;
        H = h * 60.0f;
        if (H < 0.0f) H += 360.0f;
    } else {
        S = 0.0f;
        H = kKivInfinity;
    }
    if (L > 0.0f) L = std::pow(L, coefficient2) * coefficient1;
    L = std::min(L, 1.0f);
    const float m2 = (S + 1.0f) * L;
    const float m1 = 2.0f * L - m2;
    if (S == 0.0f && H == kKivInfinity) {
        const float v = contrastBrightness(L);
        return KivColor::make(v, v, v);
    }
    return KivColor::make(contrastBrightness(hslValue(m1, m2, H + 120.0f)),
                          contrastBrightness(hslValue(m1, m2, H)),
                          contrastBrightness(hslValue(m1, m2, H - 120.0f)));
}

KivColor ToneState::function2(const KivColor& e) const {
    const float m = std::max(std::max(e.r, e.g), e.b);
    const float s = coefficient1 * std::pow(m, coefficient2);
    KivColor c;
    if (m > kKivEnergyEpsilon) {
        const float inv = 1.0f / m;
        c = KivColor::make(e.r * s * inv, e.g * s * inv, e.b * s * inv);
    } else {
        c = KivColor::make(0.0f, 0.0f, 0.0f);
    }
    return KivColor::make(contrastBrightness(c.r), contrastBrightness(c.g), contrastBrightness(c.b));
}

KivColor ToneState::function3(const KivColor& e) const {
    KivColor c = KivColor::make(0.0f, 0.0f, 0.0f);
    if (std::max(std::max(e.r, e.g), e.b) >= kKivEnergyEpsilon) {
        c = KivColor::make(coefficient1 * std::pow(e.r, coefficient2),
                           coefficient1 * std::pow(e.g, coefficient2),
                           coefficient1 * std::pow(e.b, coefficient2));
    }
    return KivColor::make(contrastBrightness(c.r), contrastBrightness(c.g), contrastBrightness(c.b));
}

KivColor ToneState::reproduce(const KivColor& e) const {
    switch (reproductFunction) {
        case 2: return function2(e);
        case 3: return function3(e);
        default: return function1(e);
    }
}

void applyDisplay(KivScene& scene) {
    const KivDisplayParameters& p = scene.displayParameters;
    DisplayInput d;
    d.gamma = p.gamma;
    d.contrast = p.contrast;
    d.brightness = p.brightness;
    d.coefficient = p.coefficient;
    d.referenceEnergy = p.referenceEnergy;
    d.referenceEnergyCoef = p.referenceEnergyCoef;
    d.autoReferenceEnergy = p.autoReferenceEnergy;
    d.whiteBalance = p.whiteBalance;
    d.blackBalance = p.blackBalance;
    d.reproductFunction = p.reproductFunction;
    scene.tone.setDisplay(d);
}

float calcTotalReceiveEnergy(KivScene& scene) {
    const ToneState& tone = scene.tone;
    KivColor sum = KivColor::make(0.0f, 0.0f, 0.0f);
    KivVertex* verts = scene.vertices.direct.data();
    for (const KivParentSurface& s : scene.surfaces.records) {
        const float inv = 1.0f / static_cast<float>(s.getVertInnerCount());
        const KivColor w = tone.coefficientColor * s.getArea() * inv;
        const int first = s.getVertArrayIndex();
        const int n = s.getVertTotalCount();
        for (int k = 0; k < n; ++k) {
            const KivVertex& v = verts[first + k];
            if (v.inside() != 1.0f) continue;
            sum.r += v.received.r * w.r;
            sum.g += v.received.g * w.g;
            sum.b += v.received.b * w.b;
        }
    }
    return sum.r + sum.g + sum.b;
}

float calcReferenceEnergy(KivScene& scene) {
    float e = calcTotalReceiveEnergy(scene) / scene.solution.totalArea;
    if (scene.shooting.shooterType != 0) e *= 1.5f;
    return e;
}

namespace {
template <class Vertex>
void mapSurface(const ToneState& tone, Vertex* verts, int first, int count, bool white,
                int components) {
    for (int k = 0; k < count; ++k) {
        Vertex& v = verts[first + k];
        unsigned char* t = v.lightmapTexel;
        if (t == nullptr) continue;
        if (white) {
            t[0] = t[1] = t[2] = 255;
        } else {
            const KivColor e = KivColor::make(v.received.r * kInvPi, v.received.g * kInvPi,
                                              v.received.b * kInvPi);
            const KivColor c = tone.reproduce(e);
            t[0] = toByte(clampf(c.r, tone.blackBalance.r, tone.whiteBalance.r));
            t[1] = toByte(clampf(c.g, tone.blackBalance.g, tone.whiteBalance.g));
            t[2] = toByte(clampf(c.b, tone.blackBalance.b, tone.whiteBalance.b));
        }
        if (components == 4) t[3] = 255;
    }
}
}  // namespace

void toneReproduction(KivScene& scene) {
    ToneState& tone = scene.tone;
    if (tone.autoReferenceEnergy != 0) tone.referenceEnergy = calcReferenceEnergy(scene) * kInvPi;
    tone.coefficient1 =
        0.5f / std::pow(tone.referenceEnergy * tone.referenceEnergyCoef, tone.coefficient2);

    for (const KivParentSurface& s : scene.surfaces.records) {
        if (s.getLightmap() == nullptr) continue;
        mapSurface(tone, scene.vertices.direct.data(), s.getVertArrayIndex(),
                   s.getVertTotalCount(), (s.getFlags() & kSurfaceNotCounted) != 0,
                   scene.lightmaps.components);
    }
    for (const KivParentSurface& s : scene.surfaces.records) {
        if (s.getLightmapIndirect() == nullptr) continue;
        mapSurface(tone, scene.vertices.indirect.data(), s.getIndirectVertArrayIndex(),
                   s.getIndirectVertTotalCount(), (s.getFlags() & kSurfaceNotCounted) != 0,
                   scene.indirectLightmaps.components);
    }
}

}  // namespace kiv

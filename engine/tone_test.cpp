#include "engine/tone.h"

#include <gtest/gtest.h>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

using kiv::DisplayInput;
using kiv::ToneState;

namespace {
ToneState unitTone(int function) {
    DisplayInput d;
    d.gamma = 1.0f;
    d.referenceEnergy = 1.0f;
    d.referenceEnergyCoef = 1.0f;
    d.reproductFunction = function;
    d.coefficient = KivColor(0.299f, 0.587f, 0.114f);
    ToneState t;
    t.setDisplay(d);
    return t;
}
}  // namespace

TEST(Tone, DisplaySetUpCoefficientsAndBalances) {
    ToneState t = unitTone(3);
    EXPECT_EQ(t.coefficient2, 1.0f);
    EXPECT_EQ(t.coefficient1, 0.5f);
    EXPECT_EQ(t.reproductFunction, 3);

    DisplayInput d;
    d.gamma = 2.0f;
    d.referenceEnergy = 4.0f;
    d.whiteBalance = KivColor(0.0f, 2.0f, 0.5f);
    d.blackBalance = KivColor(1.0f, -1.0f, 0.6f);
    d.reproductFunction = 7;
    t.setDisplay(d);
    EXPECT_EQ(t.coefficient2, 0.5f);
    EXPECT_EQ(t.coefficient1, 0.25f);
    EXPECT_EQ(t.reproductFunction, 1);
    EXPECT_FLOAT_EQ(t.blackBalance.r, 0.9960784f);
    EXPECT_EQ(t.blackBalance.g, 0.0f);
    // White is raised to one level above black and kept at most 1.
    EXPECT_EQ(t.whiteBalance.r, 1.0f);
    EXPECT_EQ(t.whiteBalance.g, 1.0f);
    EXPECT_FLOAT_EQ(t.whiteBalance.b, 0.6f + 0.0039216f);
    t.setReproductFunction(2);
    EXPECT_EQ(t.reproductFunction, 2);
    t.setReproductFunction(7);
    EXPECT_EQ(t.reproductFunction, 1);
}

TEST(Tone, ReproductionFunctions) {
    const ToneState t3 = unitTone(3);
    const KivColor half = t3.function3(KivColor(0.5f, 0.25f, 0.0f));
    EXPECT_EQ(half.r, 0.25f);
    EXPECT_EQ(half.g, 0.125f);
    EXPECT_EQ(half.b, 0.0f);
    EXPECT_EQ(t3.function3(KivColor(1e-11f, 0.0f, 0.0f)).r, 0.0f);

    // Function 1 keeps a grey energy grey and applies the law to its lightness.
    const ToneState t1 = unitTone(1);
    const KivColor grey = t1.function1(KivColor(0.6f, 0.6f, 0.6f));
    EXPECT_EQ(grey.r, 0.3f);
    EXPECT_EQ(grey.g, 0.3f);
    EXPECT_EQ(grey.b, 0.3f);
    // A saturated colour keeps its hue: pure red stays red.
    const KivColor red = t1.function1(KivColor(1.0f, 0.0f, 0.0f));
    EXPECT_GT(red.r, 0.0f);
    EXPECT_EQ(red.g, 0.0f);
    EXPECT_EQ(red.b, 0.0f);

    // Function 2 keeps the ratios exactly and scales by the brightest channel.
    const ToneState t2 = unitTone(2);
    const KivColor c = t2.function2(KivColor(0.8f, 0.4f, 0.2f));
    EXPECT_FLOAT_EQ(c.r, 0.4f);
    EXPECT_FLOAT_EQ(c.g / c.r, 0.5f);
    EXPECT_FLOAT_EQ(c.b / c.r, 0.25f);
    EXPECT_EQ(t2.function2(KivColor()).r, 0.0f);

    // Contrast and brightness step.
    ToneState tc = unitTone(3);
    tc.contrast = 100.0f;
    tc.brightness = 10.0f;
    EXPECT_FLOAT_EQ(tc.contrastBrightness(0.75f), 1.1f);
}

TEST(Tone, ReproductionWritesTexels) {
    KivScene_Create();
    KivScene& s = kiv::scene();
    // Two one-point surfaces with a 4-component lightmap of one texel each.
    unsigned char texels[8] = {};
    for (int k = 0; k < 2; ++k) {
        KivParentSurface surf;
        surf.width = surf.height = 1;
        surf.setVertTotalCount();
        surf.vertArrayIndex = k;
        surf.vertInnerCount = 1;
        surf.area = 1.0f;
        surf.lightmap = texels + 4 * k;
        if (k == 1) surf.flags = kSurfaceNotCounted;
        s.surfaces.records.instanciate(surf);
        KivVertex v;
        v.received = KivColor(kKivPi, kKivPi, kKivPi);
        v.lightmapTexel = texels + 4 * k;
        s.vertices.direct.push_back(v);
    }
    s.lightmaps.components = 4;
    s.tone = unitTone(3);
    kiv::toneReproduction(s);
    EXPECT_EQ(texels[0], 127);
    EXPECT_EQ(texels[1], 127);
    EXPECT_EQ(texels[2], 127);
    EXPECT_EQ(texels[3], 255);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(texels[i], 255);  // flagged surface shows white

    s.tone.whiteBalance = KivColor(0.5f, 0.5f, 0.5f);
    s.vertices.direct[0].received = KivColor(100.0f, 100.0f, 100.0f);
    kiv::toneReproduction(s);
    EXPECT_EQ(texels[0], 127);

    // A zero total area makes the automatic reference energy undefined; texels stay defined.
    s.tone.autoReferenceEnergy = 1;
    s.solution.totalArea = 0.0f;
    s.vertices.direct[0].received = KivColor(0.0f, 0.0f, 0.0f);
    kiv::toneReproduction(s);
    EXPECT_EQ(texels[0], 0);

    // Surfaces must not free the test's texel buffer.
    for (KivParentSurface& surf : s.surfaces.records) surf.lightmap = nullptr;
    KivScene_Delete();
}

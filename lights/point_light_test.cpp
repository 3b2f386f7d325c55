#include "lights/point_light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "lights/KivStandardLights.h"
#include "lights/light_test_scene.h"

using namespace kiv::lights::testing;

namespace {

std::string outputOf(KivLight& light) {
    std::FILE* f = std::tmpfile();
    light.output(f);
    std::rewind(f);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += static_cast<char>(ch);
    std::fclose(f);
    return text;
}

using PointLight = LightScene;

}  // namespace

// An isotropic light of power P at height d over a plane: the point straight below receives
// P / (4 pi d^2), to single precision.
TEST_F(PointLight, PointStraightBelowReceivesPowerOverFourPiDSquared) {
    const KivColor power(100.0f, 40.0f, 3.0f);
    for (const float d : {0.5f, 1.0f, 2.0f, 3.0f, 7.0f}) {
        SCOPED_TRACE(d);
        const int i = KivPointLight_Instanciate(power, above(free_, d), 0.0f, kKivInfinity);
        const KivColor e = shootAt(*KivLight_GetPointer(i), i, free_);
        const float f = 0.0795774683f / (d * d);
        expectColour(e, KivColor(power.r * f, power.g * f, power.b * f));
        const double exact = 100.0 / (4.0 * 3.14159265358979323846 * double(d) * double(d));
        EXPECT_NEAR(e.r, exact, exact * 1e-6);
        EXPECT_EQ(vertex(free_).shotFlags, kShotLit);
    }
}

// So far away that the energy is negligible: the point is marked reached-but-dark without any
// visibility query, even though it lies in shadow.
TEST_F(PointLight, NegligibleEnergyMarksDarkWithoutAQuery) {
    struct Case {
        float height;
        int queries;
    };
    // 0.0796 / d^2 < 1e-10 from d = 28210 on.
    for (const Case c : {Case{1e5f, 0}, Case{100.0f, 1}}) {
        SCOPED_TRACE(c.height);
        const int i =
            KivPointLight_Instanciate(KivColor(1, 1, 1), above(blocked_, c.height), 0.0f, 1.0f);
        const int before = queries();
        expectColour(shootAt(*KivLight_GetPointer(i), i, blocked_), KivColor());
        EXPECT_EQ(vertex(blocked_).shotFlags, kShotReachedDark);
        EXPECT_EQ(queries() - before, c.queries);
    }
}

TEST_F(PointLight, PointAtTheLightReceivesNothing) {
    const int i = KivPointLight_Instanciate(KivColor(1, 1, 1), above(free_, 0.0f), 0.0f, 1.0f);
    expectColour(shootAt(*KivLight_GetPointer(i), i, free_), KivColor());
    EXPECT_EQ(vertex(free_).shotFlags, kUntouched);
}

TEST_F(PointLight, FalloffEndBelowStartIsRaisedToTheStart) {
    struct Case {
        float start, end, wantEnd;
    };
    for (const Case c : {Case{5, 2, 5}, Case{2, 5, 5}, Case{0, kKivInfinity, kKivInfinity}}) {
        const int i = KivPointLight_Instanciate(KivColor(1, 1, 1), KivPoint(), c.start, c.end);
        EXPECT_EQ(KivLight_GetFalloffStart(i), c.start);
        EXPECT_EQ(KivLight_GetFalloffEnd(i), c.wantEnd);
    }
    // The single setters store what they are given.
    KivPointLight light;
    light.init();
    light.setFalloffStart(5.0f);
    light.setFalloffEnd(2.0f);
    EXPECT_EQ(light.getFalloffEnd(), 2.0f);
}

TEST(PointLightText, OutputWritesTypeColourPositionAndFalloff) {
    KivPointLight* light =
        KivPointLight_Create(KivColor(1, 0.5f, 0.25f), KivPoint(-1, 2, 3.5f), 0.0f, 10.0f);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(outputOf(*light),
              "1\n1.000000 0.500000 0.250000\n-1.000000 2.000000 3.500000\n0.000000\n10.000000\n");
    // init brings every field back to its default.
    light->alreadyShoot = 1;
    light->init();
    EXPECT_EQ(outputOf(*light),
              "1\n0.000000 0.000000 0.000000\n0.000000 0.000000 0.000000\n0.000000\n0.000000\n");
    EXPECT_EQ(light->alreadyShoot, 0);
    EXPECT_EQ(light->position.w, 1.0f);
    delete light;
}

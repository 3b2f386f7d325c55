#include "lights/directional_light.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lights/KivStandardLights.h"
#include "lights/light_test_scene.h"

using namespace kiv::lights::testing;

namespace {
using DirectionalLight = LightScene;
}  // namespace

TEST_F(DirectionalLight, DirectionIsStoredNormalisedAndAFacingPointGetsTheFullEnergy) {
    const KivColor power(2.0f, 3.0f, 4.0f);
    const int i = KivDirectionalLight_Instanciate(power, KivVector(0, 0, -2));
    const KivVector d = KivLight_GetDirection(i);
    EXPECT_EQ(d.x, 0.0f);
    EXPECT_EQ(d.y, 0.0f);
    EXPECT_EQ(d.z, -1.0f);
    EXPECT_EQ(d.w, 1.0f);
    ASSERT_EQ(vertex(free_).normal.z, 1.0f);
    expectColour(shootAt(*KivLight_GetPointer(i), i, free_), power);
    EXPECT_EQ(vertex(free_).shotFlags, kShotLit);

    // The energy does not fall off with distance: every free floor point gets the same.
    const int far = floorPointNear(0.0f, 1.5f);
    expectColour(shootAt(*KivLight_GetPointer(i), i, far), power);
}

TEST_F(DirectionalLight, ZeroDirectionDeliversNothing) {
    const int i = KivDirectionalLight_Instanciate(KivColor(1, 1, 1), KivVector(0, 0, 0));
    expectColour(shootAt(*KivLight_GetPointer(i), i, free_), KivColor());
    EXPECT_EQ(vertex(free_).shotFlags, kUntouched);
}

TEST(DirectionalLightText, SetDirectionNormalisesAndOutputWritesTypeColourDirection) {
    KivDirectionalLight light;
    light.init();
    light.setDirection(KivVector(3, 0, 4, 7));
    EXPECT_EQ(light.getDirection().x, 0.6f);
    EXPECT_EQ(light.getDirection().z, 0.8f);
    EXPECT_EQ(light.getDirection().w, 1.0f);
    light.setUnshot(KivColor(1, 2, 3));

    std::FILE* f = std::tmpfile();
    light.output(f);
    std::rewind(f);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += static_cast<char>(ch);
    std::fclose(f);
    EXPECT_EQ(text, "6\n1.000000 2.000000 3.000000\n0.600000 0.000000 0.800000\n");
}

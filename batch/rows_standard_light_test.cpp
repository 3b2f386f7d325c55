// The light lines of KivBatch: each creates a standard light in the current scene and answers
// its registry index.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "batch/test_support.h"
#include "engine/KivRadiosity.h"
#include "lights/KivStandardLights.h"

using namespace kiv::batch;
using namespace kiv::batch::test;

namespace {

struct StandardLightRows : ::testing::Test {
    void SetUp() override {
        st.diagnostics = nullptr;
        ASSERT_EQ(run("SceneCreate 0").rfind("0 ", 0), 0u);
    }
    void TearDown() override { KivScene_End(); }
    std::string run(const char* line) { return executeLine(line, st, standardTable()); }
    BatchState st;
};

void expectXyz(const KivVector& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
    EXPECT_EQ(v.w, 1.0f);
}

}  // namespace

// The trailing "0.0 KIV_INFINITY" words are not read: the falloff is always 0 to 1e38.
TEST_F(StandardLightRows, PointLightLineIgnoresItsTrailingWords) {
    EXPECT_EQ(run("PointLightInstanciate 394 1 1 1 0 2 0 0.0 KIV_INFINITY"), "394 0");
    EXPECT_EQ(run("PointLightInstanciate 394 0.5 0.25 2 -1 -2 -3 7 8"), "394 1");
    EXPECT_EQ(KivLight_GetType(0), kKivPointLight);
    const KivColor c = KivLight_GetUnshot(0);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.b, 1.0f);
    const KivPoint p = KivLight_GetPosition(0);
    EXPECT_EQ(p.y, 2.0f);
    EXPECT_EQ(p.w, 1.0f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(KivLight_GetFalloffStart(i), 0.0f);
        EXPECT_EQ(KivLight_GetFalloffEnd(i), 1e38f);
    }
    EXPECT_EQ(KivLight_GetPosition(1).z, -3.0f);
    EXPECT_EQ(st.problems, 0);
}

TEST_F(StandardLightRows, DirectionalAndSpotLinesPassTheirNumbersInOrder) {
    EXPECT_EQ(run("DirectionalLightInstanciate 378 1 2 3 0 0 -2"), "378 0");
    EXPECT_EQ(KivLight_GetType(0), kKivDirectionalLight);
    EXPECT_EQ(KivLight_GetUnshot(0).g, 2.0f);
    expectXyz(KivLight_GetDirection(0), 0, 0, -1);

    EXPECT_EQ(run("SpotLightInstanciate 397 1 1 1 0 5 0 0 -4 0 20 30 0 KIV_INFINITY"), "397 1");
    EXPECT_EQ(KivLight_GetType(1), kKivSpotLight);
    EXPECT_EQ(KivLight_GetPosition(1).y, 5.0f);
    expectXyz(KivLight_GetDirection(1), 0, -1, 0);
    EXPECT_EQ(KivLight_GetField(1), 30.0f);  // widened to the beam
    EXPECT_EQ(KivLight_GetBeam(1), 30.0f);
    EXPECT_EQ(KivLight_GetFalloffEnd(1), 1e38f);
    EXPECT_EQ(st.problems, 0);
}

// A short line or a number that is not finite still creates the light, with 0 for what could
// not be read, and is reported.
TEST_F(StandardLightRows, UnreadableNumbersReadAsZeroAndAreReported) {
    struct Case {
        const char* line;
        const char* result;
        KivPoint position;
    };
    const Case cases[] = {
        {"PointLightInstanciate 394 1 1 1 4", "394 0", KivPoint(4, 0, 0)},
        {"PointLightInstanciate 394 1 1 1 4 nan 6", "394 1", KivPoint(4, 0, 0)},
        {"PointLightInstanciate 394 1 1 1 4 5 1e39", "394 2", KivPoint(4, 5, 0)},
        {"PointLightInstanciate 394", "394 3", KivPoint(0, 0, 0)},
        {"SpotLightInstanciate 397 1 1 1 4 5 6 0 0 -1 40", "397 4", KivPoint(4, 5, 6)},
    };
    int problems = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.line), c.result);
        EXPECT_EQ(st.problems, ++problems) << c.line;
        const int i = KivLight_GetInstanceCount() - 1;
        const KivPoint p = KivLight_GetPosition(i);
        EXPECT_EQ(p.x, c.position.x) << c.line;
        EXPECT_EQ(p.y, c.position.y) << c.line;
        EXPECT_EQ(p.z, c.position.z) << c.line;
    }
    EXPECT_EQ(KivLight_GetBeam(4), 0.0f);

    // Cone angles beyond 180 degrees would make the spot law NaN: clamped and reported.
    EXPECT_EQ(run("SpotLightInstanciate 397 1 1 1 0 5 0 0 -1 0 350 -100"), "397 5");
    EXPECT_EQ(st.problems, problems + 2);
    EXPECT_EQ(KivLight_GetField(5), 180.0f);
    EXPECT_EQ(KivLight_GetBeam(5), 0.0f);
    EXPECT_FALSE(std::isnan(KivLight_GetSourceSpotCoefficient(5)));
}

// KivBatch itself on a script of light lines: indices 0..3 in script order, and from 0 again
// after the scene is initialised. Only the result lines are compared; whatever the program
// writes after them is not.
TEST(StandardLightScenario, FourLightLinesGiveIndicesZeroToThree) {
    const BatchRun run = runScenario("standard_lights");
    EXPECT_EQ(run.status, 0) << run.err;
    expectResultLines("standard_lights", run.result);
}

// The HDRI light command (code 390): in-process checks of what the row hands to the light, and
// KivBatch runs of the scripts tests/scripts/hdri_light*.kvb from the source directory (their
// image paths are relative to it). Only the result lines are compared.
#include <gtest/gtest.h>

#include <string>

#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "batch/test_support.h"
#include "engine/KivRadiosity.h"
#include "lights/KivStandardLights.h"

using namespace kiv::batch;
using namespace kiv::batch::test;

namespace {

const std::string kImage = std::string(KIV_SOURCE_DIR) + "/tests/data/hdr/oiio_5x3.hdr";

KivHDRILight& hdriLight(int i) { return static_cast<KivHDRILight&>(KivLight_GetReference(i)); }

}  // namespace

TEST(HdriLightRow, PassesEveryValueWithTheMatrixReadColumnByColumn) {
    BatchState st;
    st.diagnostics = nullptr;
    const CommandTable& t = standardTable();
    executeLine("SceneCreate 0", st, t);
    std::string line = "HDRILightInstanciate 390 1 0.5 2 4 5 6";
    for (int k = 0; k < 16; ++k) line += " " + std::to_string(10 + k);
    // Raw bytes: up -z (5), direction +y (1), skylight type 2.
    line += " " + kImage + " \x05 \x01 2 4 \x02 further words";
    EXPECT_EQ(executeLine(line.c_str(), st, t), "390 0");
    EXPECT_EQ(st.problems, 0);

    KivHDRILight& light = hdriLight(0);
    EXPECT_EQ(light.getType(), kKivHDRILight);
    EXPECT_EQ(light.unshot.g, 0.5f);
    EXPECT_EQ(light.unshot.b, 2.0f);
    EXPECT_EQ(light.getPosition().z, 6.0f);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(light.getWorldToLight().at(k % 4, k / 4), 10.0f + k) << "value " << k;
    EXPECT_EQ(light.getUpIndex(), 5);
    EXPECT_EQ(light.getDirIndex(), 1);
    EXPECT_EQ(light.getHatIndex(), 0);
    EXPECT_EQ(light.getStack(), 2);
    EXPECT_EQ(light.getSlice(), 4);
    EXPECT_EQ(light.getSkylightType(), 2);
    EXPECT_EQ(light.getSampleNum(), 14);
    EXPECT_STREQ(light.getPathHDRI(), kImage.c_str());
    ASSERT_NE(light.getHDRI(), nullptr);
    EXPECT_EQ(light.getHDRI()->width, 5);

    // Digits are characters, not axis codes: '2' and '4' fall back to +z and -y, '1' (49) as a
    // skylight type to 1.
    line = "HDRILightInstanciate 390 1 1 1 0 0 0 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 " + kImage +
           " 1 3 2 4 2";
    EXPECT_EQ(executeLine(line.c_str(), st, t), "390 1");
    EXPECT_EQ(hdriLight(1).getUpAxis(), 2);
    EXPECT_EQ(hdriLight(1).getDirAxis(), 4);
    EXPECT_EQ(hdriLight(1).getSkylightType(), 1);
    EXPECT_EQ(KivLight_GetInstanceCount(), 2);
    KivScene_End();
}

TEST(HdriLightRow, IncompleteLinesAndUnreadableImagesAreReportedAndGiveDarkLights) {
    BatchState st;
    st.diagnostics = nullptr;
    const CommandTable& t = standardTable();
    executeLine("SceneCreate 0", st, t);
    EXPECT_EQ(executeLine("HDRILightInstanciate 390 1 1 1", st, t), "390 0");
    EXPECT_EQ(st.problems, 1);
    EXPECT_EQ(hdriLight(0).getHDRI(), nullptr);
    EXPECT_EQ(hdriLight(0).getSampleNum(), 0);

    const std::string missing =
        "HDRILightInstanciate 390 1 1 1 0 0 0 1 0 0 0 0 1 0 0 0 0 1 0 0 "
        "0 0 1 no/such/image.hdr \x02 \x04 2 4 \x01";
    EXPECT_EQ(executeLine(missing.c_str(), st, t), "390 1");
    EXPECT_EQ(st.problems, 2);
    EXPECT_EQ(hdriLight(1).getUnshot().r, 0.0f);
    EXPECT_EQ(hdriLight(1).getSampleNum(), 14);
    KivScene_End();
}

TEST(HdriLightRow, KivBatchRunsTheHdriLightScripts) {
    BatchRun run = runScenario("hdri_light");
    ASSERT_EQ(run.status, 0) << run.err;
    expectResultLines("hdri_light", run.result);

    // Missing and broken images, absurd sampling and short lines: every line still gives a
    // light, and the problems are reported.
    run = runScenario("hdri_light_bad");
    const std::string& err = run.err;
    EXPECT_EQ(run.status, 3);
    expectResultLines("hdri_light_bad", run.result);
    EXPECT_NE(err.find("no image could be read from tests/data/hdr/no_such_file.hdr"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("values could be read"), std::string::npos) << err;
}

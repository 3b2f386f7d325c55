// Runs KivBatch on the surface scripts under tests/scripts and compares the result lines with
// the expected files (the scene handle, which varies from run to run, stands as <handle>).
#include <gtest/gtest.h>

#include "batch/test_support.h"

using namespace kiv::batch::test;

TEST(SurfaceScenario, InstancesCleaningGroupsAndVertexCount) {
    const BatchRun run = runScenario("surfaces");
    EXPECT_EQ(run.status, 0) << run.err;
    expectResultLines("surfaces", run.result);
}

TEST(SurfaceScenario, BadLinesAndIndicesAreReportedAndAnsweredSafely) {
    const BatchRun run = runScenario("surfaces_bad");
    const std::string& err = run.err;
    EXPECT_EQ(run.status, 3);
    expectResultLines("surfaces_bad", run.result);
    for (const char* message : {"line 2: SurfaceInstanciate: 9 of the 38 numbers",
                                "line 6: SurfaceGetGroupId: there is no surface 5",
                                "line 7: SurfaceSetGroupId: there is no surface -3",
                                "line 8: SurfaceInitializeWithIndex: there is no surface 100",
                                "line 11: LightmapSetNumComponents: 9 bytes per texel",
                                "line 13: VertexCreate: the sample grids exceed"})
        EXPECT_NE(err.find(message), std::string::npos) << message << "\n" << err;
}

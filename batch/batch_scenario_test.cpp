// Runs KivBatch on the scenario scripts under tests/scripts/ and compares the result lines with
// the expected ones.
#include <gtest/gtest.h>

#include "batch/test_support.h"

using namespace kiv::batch::test;

TEST(KivBatchScenario, ParametersDisplayAndAttributesReadBack) {
    const BatchRun run = runScenario("parameters_attributes");
    ASSERT_EQ(run.status, 0) << run.err;
    expectResultLines("parameters_attributes", run.result);
}

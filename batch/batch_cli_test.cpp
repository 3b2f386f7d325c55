// Runs the KivBatch program itself on scripts and checks its result files and exit statuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/test_support.h"

using namespace kiv::batch::test;

namespace {

int runBatch(const std::string& args, std::string* err = nullptr) {
    const BatchRun run = runKivBatch(args, ::testing::TempDir() + "cli_run.kve");
    if (err != nullptr) *err = run.err;
    return run.status;
}

}  // namespace

TEST(KivBatchCli, UsageHelpVersionAndFileErrors) {
    std::string err;
    EXPECT_EQ(runBatch("", &err), 2);
    EXPECT_NE(err.find("usage: KivBatch"), std::string::npos);
    EXPECT_EQ(runBatch("a b c", &err), 2);
    EXPECT_EQ(runBatch("--bogus a b", &err), 2);
    EXPECT_EQ(runBatch("--help"), 0);
    EXPECT_EQ(runBatch("--version"), 0);
    EXPECT_EQ(runBatch("/nonexistent/script.kvb out.kve", &err), 1);
    EXPECT_NE(err.find("/nonexistent/script.kvb"), std::string::npos);
    EXPECT_NE(err.find("No such file"), std::string::npos);
    const std::string script = ::testing::TempDir() + "cli_ok.kvb";
    spit(script, "SceneCreate 0\n");
    EXPECT_EQ(runBatch(script + " /nonexistent/dir/out.kve", &err), 1);
    EXPECT_NE(err.find("/nonexistent/dir/out.kve"), std::string::npos);
}

TEST(KivBatchCli, SceneScriptWritesExactResultLines) {
    const std::string dir = ::testing::TempDir();
    const std::string script = dir + "cli_scene.kvb", result = dir + "cli_scene.kve";
    spit(script,
         "SceneCreate 0\nSceneInitialize 2\nSurfaceEnd 224\nLightEnd 248\nMapEnd 267\n"
         "Bad abc\nSceneEnd 4\nSceneCreate 0\nLast 2");
    std::string err;
    EXPECT_EQ(runBatch(script + " " + result, &err), 0) << err;
    const std::string out = slurp(result);
    const std::vector<std::string> expected = {
        "0 <handle>", "2 ", "SurfaceEnd", "LightEnd", "MapEnd", "0 <handle>", "4 1", "0 <handle>",
        // An empty scene still gets its solution block: an empty atlas and no groups.
        "187", "190 0", "192 0", "194 3", "189 1", "71 0"};
    const std::vector<std::string> got = lines(out);
    ASSERT_EQ(got.size(), expected.size()) << out;
    for (std::size_t k = 0; k < got.size(); ++k) {
        if (expected[k] == "0 <handle>")
            EXPECT_TRUE(isSceneHandleLine(got[k])) << got[k];
        else
            EXPECT_EQ(got[k], expected[k]);
    }
    EXPECT_EQ(out.back(), '\n');
}

TEST(KivBatchCli, ScriptWithoutSceneReportsAndFails) {
    const std::string dir = ::testing::TempDir();
    const std::string script = dir + "cli_noscene.kvb", result = dir + "cli_noscene.kve";
    spit(script, "SceneInitialize 2\nMapEnd 267\n");
    std::string err;
    EXPECT_EQ(runBatch(script + " " + result, &err), 3);
    EXPECT_EQ(slurp(result), "2 \nMapEnd\n");
    EXPECT_NE(err.find("no current scene"), std::string::npos);
    spit(script, "");
    EXPECT_EQ(runBatch(script + " " + result, &err), 3);
    EXPECT_EQ(slurp(result), "");
}

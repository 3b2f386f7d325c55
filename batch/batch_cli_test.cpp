// Runs the KivBatch program itself on scripts and checks its result files and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

int runBatch(const std::string& args, std::string* err = nullptr) {
    const std::string errPath = ::testing::TempDir() + "kivbatch_stderr.txt";
    const std::string cmd = std::string(KIV_BATCH_EXE) + " " + args + " 2>" + errPath + " >/dev/null";
    const int status = std::system(cmd.c_str());
    if (err != nullptr) *err = slurp(errPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const std::regex expected(
        "0 -?[0-9]+\n2 \nSurfaceEnd\nLightEnd\nMapEnd\n0 -?[0-9]+\n4 1\n0 -?[0-9]+\n"
        // An empty scene still gets its solution block: an empty atlas and no groups.
        "187\n190 0\n192 0\n194 3\n189 1\n71 0\n");
    EXPECT_TRUE(std::regex_match(out, expected)) << out;
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

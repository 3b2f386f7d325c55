// Runs KivBatch on the surface scripts under tests/scripts and compares the result lines with
// the expected files (the scene handle, which varies from run to run, stands as <handle>).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream ss(text);
    for (std::string l; std::getline(ss, l);) out.push_back(l);
    return out;
}

// Runs a script from tests/scripts; returns the exit status and fills the result lines.
int runScript(const std::string& name, std::vector<std::string>& result, std::string& err) {
    const std::string script = std::string(KIV_SOURCE_DIR) + "/tests/scripts/" + name + ".kvb";
    const std::string out = ::testing::TempDir() + name + ".kve";
    const std::string errPath = ::testing::TempDir() + name + ".err";
    std::remove(out.c_str());
    const std::string cmd =
        std::string(KIV_BATCH_EXE) + " " + script + " " + out + " 2>" + errPath + " >/dev/null";
    const int status = std::system(cmd.c_str());
    result = lines(slurp(out));
    err = slurp(errPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every expected line must match the result line at the same place; the solution block may
// follow the command lines.
void expectCommandLines(const std::string& name, const std::vector<std::string>& result) {
    const std::vector<std::string> expected =
        lines(slurp(std::string(KIV_SOURCE_DIR) + "/tests/scripts/" + name + ".expected"));
    ASSERT_FALSE(expected.empty()) << name << ".expected is missing";
    ASSERT_GE(result.size(), expected.size());
    const std::regex handle("0 -?[0-9]+");
    for (std::size_t k = 0; k < expected.size(); ++k) {
        if (expected[k] == "0 <handle>")
            EXPECT_TRUE(std::regex_match(result[k], handle))
                << "line " << k + 1 << ": " << result[k];
        else
            EXPECT_EQ(result[k], expected[k]) << "line " << k + 1;
    }
}

}  // namespace

TEST(SurfaceScenario, InstancesCleaningGroupsAndVertexCount) {
    std::vector<std::string> result;
    std::string err;
    EXPECT_EQ(runScript("surfaces", result, err), 0) << err;
    expectCommandLines("surfaces", result);
}

TEST(SurfaceScenario, BadLinesAndIndicesAreReportedAndAnsweredSafely) {
    std::vector<std::string> result;
    std::string err;
    EXPECT_EQ(runScript("surfaces_bad", result, err), 3);
    expectCommandLines("surfaces_bad", result);
    for (const char* message : {"line 2: SurfaceInstanciate: 9 of the 38 numbers",
                                "line 6: SurfaceGetGroupId: there is no surface 5",
                                "line 7: SurfaceSetGroupId: there is no surface -3",
                                "line 8: SurfaceInitializeWithIndex: there is no surface 100",
                                "line 11: LightmapSetNumComponents: 9 bytes per texel",
                                "line 13: VertexCreate: the sample grids exceed"})
        EXPECT_NE(err.find(message), std::string::npos) << message << "\n" << err;
}

// Runs KivBatch on the scenario scripts under tests/scripts/ and compares the result lines with
// the expected ones. Scene handles differ from run to run: a SceneCreate result line reads as
// "0 <handle>".
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool isHandleLine(const std::string& line) {
    if (line.rfind("0 ", 0) != 0 || line.size() < 3) return false;
    std::size_t i = 2;
    if (line[i] == '-') ++i;
    if (i == line.size()) return false;
    for (; i < line.size(); ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    return true;
}

std::string withHandlesMasked(const std::string& text) {
    std::istringstream in(text);
    std::string line, out;
    while (std::getline(in, line)) out += (isHandleLine(line) ? "0 <handle>" : line) + "\n";
    return out;
}

// Runs one script; returns the program's exit status and fills the result text.
int runScenario(const std::string& name, std::string& result, std::string& err) {
    const std::string script = std::string(KIV_SOURCE_DIR) + "/tests/scripts/" + name + ".kvb";
    const std::string out = ::testing::TempDir() + "scenario_" + name + ".kve";
    const std::string errPath = ::testing::TempDir() + "scenario_" + name + ".err";
    std::remove(out.c_str());
    const std::string cmd =
        std::string(KIV_BATCH_EXE) + " " + script + " " + out + " 2>" + errPath + " >/dev/null";
    const int status = std::system(cmd.c_str());
    result = slurp(out);
    err = slurp(errPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(KivBatchScenario, ParametersDisplayAndAttributesReadBack) {
    std::string result, err;
    ASSERT_EQ(runScenario("parameters_attributes", result, err), 0) << err;
    const std::string expected =
        slurp(std::string(KIV_SOURCE_DIR) + "/tests/scripts/parameters_attributes.expected");
    ASSERT_FALSE(expected.empty());
    // Only the result lines are compared; anything the program appends after them is not.
    const std::string masked = withHandlesMasked(result);
    ASSERT_GE(masked.size(), expected.size()) << masked;
    EXPECT_EQ(masked.substr(0, expected.size()), expected);
}

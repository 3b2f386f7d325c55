#pragma once
// Helpers of the tests that run the KivBatch program itself: files, result lines and the
// scenario scripts under tests/scripts/.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kiv::batch::test {

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void spit(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// "0 " and a signed decimal: the result line of SceneCreate, whose handle varies between runs.
inline bool isSceneHandleLine(const std::string& l) {
    if (l.size() < 3 || l.compare(0, 2, "0 ") != 0) return false;
    std::size_t k = l[2] == '-' ? 3 : 2;
    if (k == l.size()) return false;
    for (; k < l.size(); ++k)
        if (l[k] < '0' || l[k] > '9') return false;
    return true;
}

struct BatchRun {
    int status = -1;     // exit status, -1 when the program did not exit normally
    std::string result;  // the result file
    std::string err;     // what it wrote on stderr
};

// Runs KivBatch with the given arguments (paths relative to dir when dir is not empty); the
// result file is resultPath.
inline BatchRun runKivBatch(const std::string& args, const std::string& resultPath,
                            const std::string& dir = "") {
    const std::string errPath = resultPath + ".err";
    std::remove(resultPath.c_str());
    const std::string cd = dir.empty() ? "" : "cd '" + dir + "' && ";
    const std::string cmd =
        cd + "'" + KIV_BATCH_EXE + "' " + args + " 2>'" + errPath + "' >/dev/null";
    const int status = std::system(cmd.c_str());
    BatchRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.result = slurp(resultPath);
    run.err = slurp(errPath);
    return run;
}

// Runs tests/scripts/<name>.kvb in a scratch directory that sees the source tree's tests/
// folder, so that the paths a script names resolve and the solution log stays out of the tree.
inline BatchRun runScenario(const std::string& name) {
    const std::string dir = ::testing::TempDir() + "scenario_" + name;
    const std::string link = "mkdir -p '" + dir + "' && ln -sfn '" + KIV_SOURCE_DIR + "/tests' '" +
                             dir + "/tests'";
    EXPECT_EQ(std::system(link.c_str()), 0);
    const std::string out = dir + "/result.kve";
    return runKivBatch("tests/scripts/" + name + ".kvb '" + out + "'", out, dir);
}

// Every line of tests/scripts/<name>.expected matches the result line at its place; a line
// "0 <handle>" matches any SceneCreate result. The solution block may follow.
inline void expectResultLines(const std::string& name, const std::string& result) {
    const std::vector<std::string> expected =
        lines(slurp(std::string(KIV_SOURCE_DIR) + "/tests/scripts/" + name + ".expected"));
    const std::vector<std::string> got = lines(result);
    ASSERT_FALSE(expected.empty()) << name << ".expected is missing";
    ASSERT_GE(got.size(), expected.size()) << result;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        if (expected[k] == "0 <handle>")
            EXPECT_TRUE(isSceneHandleLine(got[k])) << name << " line " << k + 1 << ": " << got[k];
        else
            EXPECT_EQ(got[k], expected[k]) << name << " line " << k + 1;
    }
}

}  // namespace kiv::batch::test

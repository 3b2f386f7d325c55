// Solves the bundled Cornell box (at a coarser spacing, to stay quick) through the KivBatch
// program and checks the shape of everything a run leaves behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "batch/test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace kiv::batch::test;

namespace {

int tagOf(const std::string& line) { return std::atoi(line.c_str()); }

}  // namespace

TEST(CornellBox, SolvesEndToEnd) {
    const std::string dir = ::testing::TempDir() + "cornell/";
    ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
    // The bundled script with 60 mm instead of 20 mm between sample points.
    std::string script = slurp(std::string(KIV_SOURCE_DIR) + "/examples/cornell_box.kvb");
    ASSERT_FALSE(script.empty());
    for (std::size_t at = 0; (at = script.find(" 20.000000 1\n", at)) != std::string::npos;)
        script.replace(at, 13, " 60.000000 1\n");
    std::ofstream(dir + "box.kvb") << script;

    const std::string cmd = "cd " + dir + " && " + KIV_BATCH_EXE +
                            " --quiet --image box.png --atlas box.hdr box.kvb box.kve 2>stderr.txt";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << slurp(dir + "stderr.txt");

    const std::string result = slurp(dir + "box.kve");
    EXPECT_EQ(result.find("nan"), std::string::npos);
    EXPECT_EQ(result.find("inf"), std::string::npos);
    const std::vector<std::string> l = lines(result);
    std::size_t k = 0;
    while (k < l.size() && l[k] != "187") ++k;
    ASSERT_LT(k + 5, l.size());
    const int width = std::atoi(l[k + 1].c_str() + 4);
    const int height = std::atoi(l[k + 2].c_str() + 4);
    EXPECT_EQ(l[k + 3], "194 3");
    EXPECT_EQ(l[k + 4], "189 1");
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    k += 5;
    for (int i = 0; i < width * height; ++i, ++k) ASSERT_EQ(tagOf(l[k]), 399) << k;
    ASSERT_EQ(l[k++], "71 7");
    for (int g = 0; g < 7; ++g) {
        ASSERT_EQ(tagOf(l[k]), 197);
        const int count = std::atoi(l[k++].c_str() + 4);
        EXPECT_EQ(l[k++], "199 1");
        for (int i = 0; i < count; ++i, ++k) ASSERT_EQ(tagOf(l[k]), 399);
    }
    EXPECT_EQ(k, l.size());

    const std::string log = slurp(dir + "KivRadiosity.log");
    for (const char* heading :
         {"######## KivRadiosity Log File ########", "pSurf ... ", "\tsceneBBox05 ... ",
          "Estimate Calculation Time: ", "Direct Shoot Log Start", "Direct Shoot Log End",
          "Indirect Shoot Count Log", "\nTotalTime:\t", "\nEnd Indirect Shoot Calculation\n",
          "######## KivRadiosity Log File END ########"})
        EXPECT_NE(log.find(heading), std::string::npos) << heading;

    EXPECT_EQ(slurp(dir + "box.png").substr(1, 3), "PNG");
    EXPECT_EQ(slurp(dir + "box.hdr").rfind("#?RADIANCE\n", 0), 0u);
}

namespace {

// The Cornell box script with one kind of line rewritten by edit (a line for line change).
std::string rewriteScript(const std::string& script, std::string (*edit)(const std::string&)) {
    std::string out;
    for (const std::string& line : lines(script)) {
        const std::string e = edit(line);
        if (!e.empty()) out += e + "\n";
    }
    return out;
}

std::string coarse(const std::string& l) {
    const std::size_t at = l.find(" 20.000000 1");
    return at == std::string::npos ? l : l.substr(0, at) + " 80.000000 1";
}

}  // namespace

// Scenes the host never sends: each run finishes, writes no NaN or infinity, and says on
// stderr what was wrong.
TEST(CornellBox, BrokenScenesFinishAndSayWhy) {
    struct Case {
        const char* name;
        std::string (*edit)(const std::string&);
        int exitStatus;
        const char* message;  // expected on stderr ("" when the run is clean)
    };
    const Case cases[] = {
        {"nosurfaces",
         [](const std::string& l) { return l.rfind("SurfaceInstanciate", 0) == 0 ? "" : coarse(l); },
         0, "no surfaces"},
        {"nolights",
         [](const std::string& l) { return l.rfind("PointLight", 0) == 0 ? "" : coarse(l); }, 0,
         "no lights"},
        {"flagged",
         [](const std::string& l) {
             return l == "SurfaceSetFlags 66 0" ? std::string("SurfaceSetFlags 66 16") : coarse(l);
         },
         0, "flagged out of the solution"},
        {"lightinwall",
         [](const std::string& l) {
             return l.rfind("PointLight", 0) == 0
                        ? std::string("PointLightInstanciate 394 1000 1000 1000 278 0 279.5")
                        : coarse(l);
         },
         0, ""},
        {"negativespacing",
         [](const std::string& l) {
             const std::size_t at = l.find(" 20.000000 1");
             return at == std::string::npos ? l : l.substr(0, at) + " -20.000000 1";
         },
         3, "negative"},
        {"enormous",
         [](const std::string& l) {
             if (l.rfind("SurfaceInstanciate", 0) != 0) return coarse(l);
             std::istringstream in(coarse(l));
             std::string out, word;
             for (int k = 0; in >> word; ++k)
                 out += (k > 0 ? " " : "") +
                        (k >= 6 && k < 18 ? std::to_string(std::atof(word.c_str()) * 1e30) : word);
             return out;
         },
         0, "no surfaces"},
    };
    const std::string base = slurp(std::string(KIV_SOURCE_DIR) + "/examples/cornell_box.kvb");
    const std::string dir = ::testing::TempDir() + "broken/";
    ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stem = dir + c.name;
        std::ofstream(stem + ".kvb") << rewriteScript(base, c.edit);
        const std::string cmd = "cd " + dir + " && " + KIV_BATCH_EXE + " " + stem + ".kvb " + stem +
                                ".kve 2>" + stem + ".err";
        const int status = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.exitStatus);
        const std::string result = slurp(stem + ".kve");
        EXPECT_NE(result.find("\n187\n"), std::string::npos);
        EXPECT_EQ(result.find("nan"), std::string::npos);
        EXPECT_EQ(result.find("inf"), std::string::npos);
        const std::string err = slurp(stem + ".err");
        if (c.message[0] != '\0')
            EXPECT_NE(err.find(c.message), std::string::npos) << err;
        else
            EXPECT_EQ(err, "");
    }
}

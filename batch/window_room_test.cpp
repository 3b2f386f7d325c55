// Solves the bundled window room (environment light through survey surfaces) through the
// KivBatch program, coarsened to stay quick, and variants of it with broken or missing
// environment lights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "batch/test_support.h"

using namespace kiv::batch::test;

namespace {

int tagOf(const std::string& line) { return std::atoi(line.c_str()); }

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
}

// The line of the script that starts with `prefix`, or "" when there is none.
std::string lineStarting(const std::string& script, const std::string& prefix) {
    for (const std::string& l : lines(script))
        if (l.rfind(prefix, 0) == 0) return l;
    return "";
}

// What a solution block holds: the atlas (width x height texels, rows from the bottom up) and
// each group's texture coordinates.
struct SolutionBlock {
    int width = 0, height = 0;
    std::vector<float> texels;           // three per texel
    std::vector<std::vector<float>> uv;  // per group: u, v, u, v, ...

    float largest() const {
        float m = 0.0f;
        for (float v : texels) m = v > m ? v : m;
        return m;
    }
    // The largest component within the box of a group's texture coordinates.
    float largestInGroup(std::size_t g) const {
        const std::vector<float>& c = uv.at(g);
        float u0 = 1, u1 = 0, v0 = 1, v1 = 0;
        for (std::size_t i = 0; i + 1 < c.size(); i += 2) {
            u0 = std::min(u0, c[i]), u1 = std::max(u1, c[i]);
            v0 = std::min(v0, c[i + 1]), v1 = std::max(v1, c[i + 1]);
        }
        float m = 0.0f;
        for (int y = static_cast<int>(v0 * height); y < static_cast<int>(v1 * height); ++y)
            for (int x = static_cast<int>(u0 * width); x < static_cast<int>(u1 * width); ++x)
                for (int k = 0; k < 3; ++k)
                    m = std::max(m, texels[((height - 1 - y) * width + x) * 3 + k]);
        return m;
    }
};

// Reads and checks the shape of the solution block of a result file: the atlas, then 7 groups
// of texture coordinates, and nothing after them.
SolutionBlock readSolutionBlock(const std::string& result) {
    SolutionBlock b;
    EXPECT_EQ(result.find("nan"), std::string::npos);
    EXPECT_EQ(result.find("inf"), std::string::npos);
    const std::vector<std::string> l = lines(result);
    std::size_t k = 0;
    while (k < l.size() && l[k] != "187") ++k;
    if (k + 5 >= l.size()) {
        ADD_FAILURE() << "no solution block";
        return b;
    }
    b.width = std::atoi(l[k + 1].c_str() + 4);
    b.height = std::atoi(l[k + 2].c_str() + 4);
    EXPECT_EQ(l[k + 3], "194 3");
    EXPECT_EQ(l[k + 4], "189 1");
    EXPECT_GT(b.width, 0);
    EXPECT_GT(b.height, 0);
    k += 5;
    auto numbers = [&](std::vector<float>& out) {
        std::istringstream in(l[k].substr(4));
        for (float v; in >> v;) out.push_back(v);
    };
    for (int i = 0; i < b.width * b.height; ++i, ++k) {
        if (k >= l.size() || tagOf(l[k]) != 399) {
            ADD_FAILURE() << "atlas line " << k;
            return b;
        }
        numbers(b.texels);
    }
    EXPECT_EQ(b.texels.size(), static_cast<std::size_t>(b.width * b.height * 3));
    EXPECT_EQ(l[k++], "71 7");
    for (int g = 0; g < 7 && k < l.size(); ++g) {
        EXPECT_EQ(tagOf(l[k]), 197) << k;
        const int count = std::atoi(l[k++].c_str() + 4);
        EXPECT_EQ(l[k++], "199 1");
        b.uv.emplace_back();
        for (int i = 0; i < count && k < l.size(); ++i, ++k) {
            EXPECT_EQ(tagOf(l[k]), 399) << k;
            numbers(b.uv.back());
        }
    }
    EXPECT_EQ(k, l.size());
    return b;
}

}  // namespace

TEST(WindowRoom, EnvironmentVariantsSolveToACompleteResult) {
    const std::string source = KIV_SOURCE_DIR;
    std::string base = slurp(source + "/examples/window_room.kvb");
    ASSERT_FALSE(base.empty());
    // Coarser sample spacing and fewer indirect shots; the image by its full path.
    replaceAll(base, " 25.000000 1\n", " 50.000000 1\n");
    replaceAll(base, " 80.000000 1\n", " 160.000000 1\n");
    replaceAll(base, " 120.000000 1\n", " 240.000000 1\n");
    replaceAll(base, "ParameterSetMaxShootCount 22 150\n", "ParameterSetMaxShootCount 22 20\n");
    replaceAll(base, " ../examples/window_sky.hdr ", " " + source + "/examples/window_sky.hdr ");
    const std::string hdriLine = lineStarting(base, "HDRILightInstanciate 390 ");
    ASSERT_FALSE(hdriLine.empty());
    ASSERT_NE(base.find("RadiositySetCurrentMode 328 \x10\n"), std::string::npos);

    enum class Atlas { Lit, Dark, Any };
    struct Variant {
        const char* name;
        std::string light;  // replaces the HDRI light line
        int exitCode;
        bool environment;  // an environment light shoots and its blocks are logged
        bool surveyShots;  // the survey surfaces receive energy and shoot it
        Atlas atlas;
    };
    std::string missingImage = hdriLine;
    replaceAll(missingImage, "/examples/window_sky.hdr ", "/examples/no_such_sky.hdr ");
    const Variant variants[] = {
        {"the example", hdriLine, 0, true, true, Atlas::Lit},
        // Environment mode without an environment light: an ordinary light in the room.
        {"point light only",
         "PointLightInstanciate 394 1000 1000 1000 200 250 250 0.0 KIV_INFINITY", 0, false, false,
         Atlas::Lit},
        {"no light at all", "", 0, false, false, Atlas::Dark},
        // The image cannot be read: the light brings no energy (the survey surfaces still show
        // their neutral ratio of 1).
        {"environment image missing", missingImage, 3, true, false, Atlas::Any},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        std::string script = base;
        replaceAll(script, hdriLine + "\n", v.light.empty() ? "" : v.light + "\n");
        const std::string dir =
            ::testing::TempDir() + "window_room_" + std::to_string(&v - variants) + "/";
        ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
        spit(dir + "room.kvb", script);
        const BatchRun run = runKivBatch("--quiet room.kvb room.kve", dir + "room.kve", dir);
        EXPECT_EQ(run.status, v.exitCode) << run.err;

        const SolutionBlock block = readSolutionBlock(run.result);
        ASSERT_EQ(block.uv.size(), 7u);
        // Group 0 is the room's floor: the sky reaches it only through the window.
        if (v.atlas == Atlas::Lit) {
            EXPECT_GT(block.largestInGroup(0), 0.0f);
        } else if (v.atlas == Atlas::Dark) {
            EXPECT_EQ(block.largest(), 0.0f);
        }

        const std::string log = slurp(dir + "KivRadiosity.log");
        std::vector<std::string> headings = {"Survey Multple Log\n",
                                             "\tHDRILight AlreadyShoot is KIV_FALSE.\n"};
        if (v.environment) {
            for (const char* h :
                 {"Survey Modify Log\n", "\tSurvey Gather Start ... End\tTIME: ",
                  "\tSurvey Gather SkyLight Start ... End\tTIME: ", "Survey Modify Start ... End\n",
                  "\nClear All Receive And Unshot\n", "HDRI Shoot Count Log\n",
                  "\tThere is HDRILight.\n", "\tShooting. 0\n", "\tCalculateSurveyMult.\n",
                  "\nEnd Survey Multple\n"})
                headings.emplace_back(h);
        } else {
            headings.emplace_back("\tThere is not HDRILight.\n");
            EXPECT_EQ(log.find("Survey Modify Log"), std::string::npos);
            EXPECT_EQ(log.find("HDRI Shoot Count Log"), std::string::npos);
        }
        // The survey surfaces' shots come between the HDRI shoot heading and the direct loop,
        // and only they close the HDRI shoot block.
        const std::size_t hdri = log.find("HDRI Shoot Count Log\n");
        const std::size_t direct = log.find("Direct Shoot Log Start\n");
        const std::size_t shot = log.find("\t1 Shoot Start ... ", hdri);
        EXPECT_EQ(hdri != std::string::npos && shot < direct, v.surveyShots);
        EXPECT_EQ(log.find("\nEnd HDRI Shoot Calculation\n\n\n") != std::string::npos,
                  v.surveyShots);
        if (v.surveyShots) headings.emplace_back("\t0 Hdri SkyLight Shoot Start ... ");
        headings.emplace_back("######## KivRadiosity Log File END ########\n");
        for (const std::string& h : headings) EXPECT_NE(log.find(h), std::string::npos) << h;
    }
}

#include "engine/solution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/api/radiosity_api.h"
#include "engine/log_test_support.h"
#include "engine/solve_test_scene.h"

using kiv::SolutionDriver;
using kiv::testing::SceneFixture;
using kiv::testing::TestPointLight;

namespace {

std::string logDir() { return kiv::testing::logDir("kiv_solution_test_"); }
using kiv::testing::readLog;

bool hasLine(const std::vector<std::string>& lines, const std::string& l) {
    for (const auto& x : lines)
        if (x == l) return true;
    return false;
}

bool hasPrefix(const std::vector<std::string>& lines, const std::string& p) {
    for (const auto& x : lines)
        if (x.compare(0, p.size(), p) == 0) return true;
    return false;
}

// A small lit box ready to solve, its log going to a fresh directory.
struct LitBox {
    SceneFixture f;
    std::string dir = logDir();
    explicit LitBox(float interval = 90.0f) {
        f.cornellBox(interval);
        f->lights.instanciate(new TestPointLight(KivColor(1e6f, 1e6f, 1e6f), {275, 540, 275}));
        std::remove((dir + "KivRadiosity.log").c_str());
    }
    SolutionDriver driver() { return SolutionDriver(*f); }
    void solve() {
        SolutionDriver d(*f);
        ASSERT_TRUE(d.initialize());
        d.setCurrentDir(dir.c_str());
        d.doSolution();
    }
    std::vector<std::string> log() { return readLog(dir); }
};

KivLong alwaysQuit(void*) { return 1; }
void countCall(void* data) { ++*static_cast<int*>(data); }

}  // namespace

TEST(Solution, LogHeadingsOfAFullRun) {
    LitBox b;
    int ends = 0;
    b.f->solution.end = countCall;
    b.f->solution.endData = &ends;
    b.f->solverParameters.maxShootCount = 3;
    b.solve();
    const auto log = b.log();
    ASSERT_GE(log.size(), 20u);
    EXPECT_EQ(log[0], "######## KivRadiosity Log File ########\n");
    EXPECT_EQ(log[3].compare(0, 10, "pSurf ... "), 0);
    for (int k = 0; k < 6; ++k) {
        char head[32];
        std::snprintf(head, sizeof head, "\tsceneBBox%02d ... ", k);
        EXPECT_EQ(log[5 + static_cast<std::size_t>(k)].compare(0, std::strlen(head), head), 0) << k;
    }
    EXPECT_EQ(log[11].compare(0, 27, "Estimate Calculation Time: "), 0);
    for (const char* l :
         {"Direct Shoot Log Start\n", "\ttype:1, index:0 Direct Light Done\n",
          "Direct Shoot Log End\n", "Indirect Shoot Count Log\n",
          "End Indirect Shoot Calculation\n", "######## KivRadiosity Log File END ########\n"})
        EXPECT_TRUE(hasLine(log, l)) << l;
    EXPECT_TRUE(hasPrefix(log, "\t1 Shoot Start ...  End.\tTIME:"));
    EXPECT_TRUE(hasPrefix(log, "\t3 Shoot Start ... "));
    EXPECT_FALSE(hasPrefix(log, "\t4 Shoot Start ... "));
    EXPECT_TRUE(hasPrefix(log, "TotalTime:\t"));
    EXPECT_EQ(log.back(), "######## KivRadiosity Log File END ########\n");
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(b.f->solution.iterationCount, 4);
    EXPECT_TRUE(std::isfinite(b.f->solution.progress));
    EXPECT_EQ(b.f->shooting.shootType, 0);
    // A second solution counts on.
    SolutionDriver(*b.f).doSolution();
    EXPECT_EQ(b.f->solution.solutionCount, 2);
}

TEST(Solution, BothPhasesOffGiveTheShortLog) {
    LitBox b;
    b.f->solverParameters.directLightShoot = 0;
    b.f->solverParameters.indirectLightShoot = 0;
    b.solve();
    const auto log = b.log();
    ASSERT_EQ(log.size(), 13u);
    EXPECT_EQ(log[11].compare(0, 27, "Estimate Calculation Time: "), 0);
    EXPECT_EQ(log[12], "\n");
    EXPECT_EQ(b.f->solution.iterationCount, 0);
}

TEST(Solution, QuitAtOnceBreaksBothLoops) {
    LitBox b;
    b.f->solution.quit = alwaysQuit;
    b.solve();
    const auto log = b.log();
    std::vector<std::string> tail;
    bool started = false;
    for (const auto& l : log) {
        if (l == "Direct Shoot Log Start\n") started = true;
        if (started && l != "\n") tail.push_back(l);
    }
    const std::vector<std::string> expected = {
        "Direct Shoot Log Start\n",
        "\tQuitCallBack is calles. Break.\n",
        "Direct Shoot Log End\n",
        "Indirect Shoot Count Log\n",
    };
    ASSERT_GE(tail.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(tail[i], expected[i]);
    // The direct phase made no shot, so no surface has energy: the indirect loop finds no
    // shooter and closes without lines of its own.
    EXPECT_EQ(b.f->solution.iterationCount, 0);
}

TEST(Solution, IndirectLoopQuitWritesBreakAndClosingLines) {
    LitBox b;
    SolutionDriver d = b.driver();
    ASSERT_TRUE(d.initialize());
    d.setCurrentDir(b.dir.c_str());
    // Direct shots first, then the quit request for the indirect loop.
    b.f->solverParameters.indirectLightShoot = 0;
    d.doSolution();
    b.f->solution.quit = alwaysQuit;
    b.f->solverParameters.indirectLightShoot = 1;
    b.f->solverParameters.directLightShoot = 0;
    d.doSolution();
    const auto log = b.log();
    std::vector<std::string> body;
    for (const auto& l : log)
        if (l != "\n") body.push_back(l);
    const std::vector<std::string> expected = {
        "Indirect Shoot Count Log\n", "\tQuitCallBack is calles. Break.\n",
        "TotalTime:\t0.000000 sec\n", "End Indirect Shoot Calculation\n"};
    ASSERT_GE(body.size(), 12u);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(body[9 + i], expected[i]);
}

TEST(Solution, ShotLimitZeroAndConvergenceZeroStillMakeOneShot) {
    struct Case {
        int maxShoot;
        float convergence;
    };
    for (const Case c : {Case{0, 0.99f}, Case{65535, 0.0f}}) {
        SCOPED_TRACE(c.maxShoot);
        LitBox b;
        b.f->solverParameters.maxShootCount = c.maxShoot;
        b.f->solverParameters.convergence = c.convergence;
        b.solve();
        const auto log = b.log();
        EXPECT_TRUE(hasPrefix(log, "\t1 Shoot Start ... "));
        EXPECT_FALSE(hasPrefix(log, "\t2 Shoot Start ... "));
        EXPECT_EQ(b.f->solution.iterationCount, 2);
    }
}

TEST(Solution, DivergingSurfaceIsFlaggedSkippedAndRestored) {
    LitBox b;
    SolutionDriver d = b.driver();
    ASSERT_TRUE(d.initialize());
    d.setCurrentDir(b.dir.c_str());
    KivScene& s = *b.f;
    s.shooting.shootType = kiv::kShootSurface;
    // Surface 3 (the left wall) is the shooter whose shot set the progress back.
    s.solution.initialTotalEnergy = 1.0f;
    s.solution.progress = 0.5f;
    for (auto& v : s.vertices.direct) v.unshot = KivColor(1.0f, 1.0f, 1.0f);
    s.surfaces.records[1].setFlags(0x08);  // already excluded by the caller: stays so
    s.shooting.shooterIndex = 1;
    d.setCurrentTotalEnergy();
    EXPECT_TRUE(s.solution.divergence.empty());
    s.solution.progress = 0.5f;
    s.shooting.shooterIndex = 3;
    d.setCurrentTotalEnergy();
    EXPECT_NE(std::string(s.solution.status).find(" Energy Divergence Occur!"), std::string::npos);
    EXPECT_NE(s.surfaces.records[3].getFlags() & 0x08, 0);
    ASSERT_EQ(s.solution.divergence.size(), 1u);
    EXPECT_EQ(s.solution.divergence[0], 3);
    kiv::Shooter sh(s);
    for (int i = 0; i < 20; ++i) {
        const int next = sh.chooseNextSurface();
        if (next < 0) break;
        EXPECT_NE(next, 3);
        EXPECT_NE(next, 1);
        const KivParentSurface& f = s.surfaces.records[next];
        for (int k = 0; k < f.vertTotalCount; ++k)
            s.vertices.direct[f.vertArrayIndex + k].unshot = KivColor::make(0, 0, 0);
    }
    // The end of a solution gives the flag back, only to the surface that diverged.
    s.solverParameters.indirectLightShoot = 0;
    d.doSolution();
    EXPECT_EQ(s.surfaces.records[3].getFlags() & 0x08, 0);
    EXPECT_NE(s.surfaces.records[1].getFlags() & 0x08, 0);
    EXPECT_TRUE(s.solution.divergence.empty());
}

TEST(Solution, CurrentDirGetsOneSeparator) {
    SceneFixture f;
    SolutionDriver d(*f);
    struct Case {
        const char* in;
        const char* stored;
    };
    for (const Case c : {Case{"C:\\work", "C:\\work/"}, Case{"C:\\work\\", "C:\\work\\"},
                         Case{"/tmp/x/", "/tmp/x/"}, Case{"", ""}, Case{"dir", "dir/"}}) {
        d.setCurrentDir(c.in);
        EXPECT_STREQ(f->currentDir, c.stored) << c.in;
    }
    // A directory that cannot be stored with its separator is refused whole.
    const std::string longDir(259, 'a');
    d.setCurrentDir(longDir.c_str());
    EXPECT_STREQ(f->currentDir, "dir/");
    const std::string fits(258, 'b');
    d.setCurrentDir(fits.c_str());
    EXPECT_EQ(std::string(f->currentDir), fits + "/");
}

TEST(Solution, SceneWithoutSurfacesStillLogsAndEnds) {
    SceneFixture f;
    const std::string dir = logDir();
    SolutionDriver d(*f);
    ASSERT_TRUE(d.initialize());
    d.setCurrentDir(dir.c_str());
    d.doSolution();
    const auto log = readLog(dir);
    EXPECT_TRUE(hasPrefix(log, "pSurf ... 0(0)\tvert ... 0(0)\tcell ... 0"));
    EXPECT_EQ(log.back(), "######## KivRadiosity Log File END ########\n");
    EXPECT_TRUE(std::isfinite(f->solution.progress));
}

TEST(Solution, EnergyUpdateWithoutLightsOrEnergyStaysFinite) {
    SceneFixture f;
    f.quad({0, 0, 0}, {100, 0, 0}, {0, 0, 100}, {50, 100, 50}, 50.0f);
    SolutionDriver d(*f);
    ASSERT_TRUE(d.initialize());
    // Direct phase without lights.
    f->shooting.shootType = kiv::kShootLight;
    d.setCurrentTotalEnergy();
    EXPECT_EQ(f->solution.progress, 1.0f);
    // Indirect phase with a zero initial total.
    f->shooting.shootType = kiv::kShootSurface;
    f->solution.progress = 0.0f;
    d.setInitialTotalEnergy();
    d.setCurrentTotalEnergy();
    EXPECT_EQ(f->solution.progress, 1.0f);
    // A surface whose inside count is zero adds nothing instead of 0/0.
    f->surfaces.records[0].vertInnerCount = 0;
    EXPECT_EQ(d.receivedTotal(), 0.0f);
}

TEST(Solution, TooManySamplePointsStopsTheSolutionWithAClearMessage) {
    SceneFixture f;
    f.quad({0, 0, 0}, {5000, 0, 0}, {0, 0, 5000}, {50, 100, 50}, 1.0f);
    f->lights.instanciate(new TestPointLight(KivColor(1, 1, 1), {0, 10, 0}));
    const std::string dir = logDir();
    std::remove((dir + "KivRadiosity.log").c_str());
    SolutionDriver d(*f);
    EXPECT_FALSE(d.initialize());
    EXPECT_STREQ(f->solution.status, kiv::kStatusSampleLimit);
    d.setCurrentDir(dir.c_str());
    d.doSolution();
    const auto log = readLog(dir);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[3], std::string(kiv::kStatusSampleLimit) + ".\n");
    EXPECT_EQ(f->solution.iterationCount, 0);
}

TEST(Solution, UnwritableLogDirectoryRunsWithoutLog) {
    LitBox b;
    SolutionDriver d = b.driver();
    ASSERT_TRUE(d.initialize());
    d.setCurrentDir("/nonexistent-kiv-dir/deeper");
    b.f->solverParameters.maxShootCount = 1;
    d.doSolution();
    EXPECT_EQ(b.f->solution.iterationCount, 2);
    EXPECT_EQ(b.f->logFile, nullptr);
}

TEST(Solution, InteractivePhaseFillsTheIndirectPoints) {
    LitBox b;
    b.f->currentMode = 0x02;
    b.f->solverParameters.maxShootCount = 4;
    b.solve();
    const auto log = b.log();
    for (const char* l : {"Indirect Shoot Count Log\n", "End Indirect Shoot Calculation\n",
                          "Indirect Shoot for INTERACTIVE Count Log\n"})
        EXPECT_TRUE(hasLine(log, l)) << l;
    ASSERT_FALSE(b.f->vertices.indirect.empty());
    float indirect = 0.0f;
    for (const auto& v : b.f->vertices.indirect) {
        ASSERT_TRUE(std::isfinite(v.indirect.r) && std::isfinite(v.received.r));
        indirect += v.indirect.r;
    }
    EXPECT_GT(indirect, 0.0f);
    // Every ordinary point gave its energy to the indirect points.
    for (const auto& v : b.f->vertices.direct) ASSERT_EQ(v.unshot.r, 0.0f);
}

TEST(Solution, EnvironmentModeWithoutEnvironmentLightsOnlyLogsTheSurveyBlock) {
    LitBox b;
    b.f->currentMode = 0x10;
    b.f->solverParameters.maxShootCount = 1;
    b.solve();
    const auto log = b.log();
    for (const char* l : {"Survey Multple Log\n", "\tHDRILight AlreadyShoot is KIV_FALSE.\n",
                          "\tThere is not HDRILight.\n"})
        EXPECT_TRUE(hasLine(log, l)) << l;
    EXPECT_EQ(b.f->solution.iterationCount, 2);
}

TEST(RadiosityApi, StatusCopyAndCallbacks) {
    SceneFixture f;
    KivRadiosity_Initialize();
    char buf[256] = "x";
    KivRadiosity_GetStatus(buf);
    EXPECT_STREQ(buf, "");
    KivRadiosity_SetCurrentMode(0x12);
    EXPECT_EQ(KivRadiosity_GetCurrentMode(), 0x12);
    int iterations = 0;
    KivRadiosity_SetCallBack_Iteration(countCall, &iterations);
    KivRadiosity_SetCallBack_Iteration(nullptr, nullptr);
    KivRadiosity_SetCurrentDir(const_cast<char*>("/nonexistent-kiv-dir"));
    KivRadiosity_DoSolution();  // null callbacks are skipped
    EXPECT_EQ(KivRadiosity_GetDoSolutionCount(), 1);
}

#include "engine/survey.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/hdri.h"
#include "engine/log_test_support.h"
#include "engine/solve_test_scene.h"

using kiv::SolutionDriver;
using kiv::testing::SceneFixture;

namespace {

constexpr float kPi = 3.1415927f;
const KivColor kGrey(0.5f, 0.5f, 0.5f);

// An environment light with a sample set of its own choosing. Its shot gives every point it
// is asked about one fixed colour (the engine asks for survey points only).
class TestEnvironmentLight : public KivLight {
  public:
    TestEnvironmentLight(KivColor answer, std::vector<KivVector> directions,
                         std::vector<KivColor> emissions)
        : answer_(answer), directions_(std::move(directions)), emissions_(std::move(emissions)) {
        init();
        unshot = KivColor(1.0f, 1.0f, 1.0f);
        sampleNum = static_cast<KivLong>(directions_.size());
    }
    void init() override { type = kKivHDRILight; }
    void del() override {}
    char getType() override { return type; }
    KivColor getUnshot() override { return unshot; }
    KivPoint getPosition() override { return position; }
    KivMatrix getWorldToLight() override { return worldToLight; }
    const KivVector* getDirectionList() override {
        return directions_.empty() ? nullptr : directions_.data();
    }
    const KivColor* getEmissionList() override {
        return emissions_.empty() ? nullptr : emissions_.data();
    }
    KivLong getSampleNum() override { return sampleNum; }
    KivLong getUpIndex() override { return 2; }
    KivLong getHatIndex() override { return 0; }
    KivLong getDirIndex() override { return 4; }
    const KivHDRI* getHDRI() override { return image; }
    char getSkylightType() override { return skylightType; }
    KivColor shoot(int i) override {
        kiv::scene().vertices.direct[static_cast<std::size_t>(i)].shotFlags = kShotLit;
        return answer_;
    }

    KivPoint position = KivPoint::make(0.0f, 0.0f, 0.0f);
    KivMatrix worldToLight;
    KivLong sampleNum;
    char skylightType = 1;
    const KivHDRI* image = nullptr;

  private:
    KivColor answer_;
    std::vector<KivVector> directions_;
    std::vector<KivColor> emissions_;
};

TestEnvironmentLight* skyLight(KivVector d, KivColor e, KivColor answer = {1, 1, 1}) {
    return new TestEnvironmentLight(answer, {d}, {e});
}

// The text with every number (digits, optionally with a fraction) replaced by N.
std::string maskNumbers(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0';) {
        if (!std::isdigit(static_cast<unsigned char>(*c))) {
            out += *c++;
            continue;
        }
        while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
        if (*c == '.' && std::isdigit(static_cast<unsigned char>(c[1])))
            for (++c; std::isdigit(static_cast<unsigned char>(*c));) ++c;
        out += 'N';
    }
    return out;
}

// Log lines written while it lives, with every number replaced by N.
struct LogCapture {
    KivScene& s;
    explicit LogCapture(KivScene& scene) : s(scene) { s.logFile = std::tmpfile(); }
    ~LogCapture() {
        if (s.logFile != nullptr) std::fclose(s.logFile);
        s.logFile = nullptr;
    }
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        std::rewind(s.logFile);
        char buf[512];
        while (std::fgets(buf, sizeof buf, s.logFile) != nullptr) out.push_back(maskNumbers(buf));
        return out;
    }
};

// Indices of a surface's sample points.
std::vector<int> pointsOf(KivScene& s, int surface) {
    const KivParentSurface& f = s.surfaces.records[surface];
    std::vector<int> out;
    for (int k = 0; k < f.vertTotalCount; ++k) out.push_back(f.vertArrayIndex + k);
    return out;
}

KivVertex& point(KivScene& s, int i) { return s.vertices.direct[static_cast<std::size_t>(i)]; }

void setCurrent(KivScene& s, int surface, KivColor c) {
    for (int i : pointsOf(s, surface)) point(s, i).current = c;
}

void prepare(KivScene& s) {
    SolutionDriver d(s);
    ASSERT_TRUE(d.initialize());
    s.workLists.pointLight.assign(s.vertices.direct.size(), -1);
}

bool finite(const KivColor& c) {
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b);
}

// A square survey window at height z over [0, 100]^2 facing `towards`.
int window(SceneFixture& f, float z, KivPoint towards, int flags = kSurfaceSurvey) {
    return f.quad({0, 0, z}, {100, 0, z}, {0, 100, z}, towards, 25.0f, kGrey, flags);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Survey modify pass

TEST(SurveyModify, LoneSurveySurfaceGathersOnlyTheSkyWithTheWeightCappedAtPi) {
    SceneFixture f;
    // A triangle facing +z: its grid has points outside the polygon too.
    const KivPoint corners[3] = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}};
    const int w = f->surfaces.instanciateDirect(3, corners, nullptr, nullptr, {25.0f, 1, 50.0f, 1},
                                                kSurfaceSurvey, kGrey);
    f->surfaces.records.endInstance();
    prepare(*f);
    // One sample straight above: 4 pi / 1 would weigh it 12.57; the cap makes it pi.
    f->lights.instanciate(skyLight({0, 0, 1}, {2.0f, 1.0f, 0.5f}));
    setCurrent(*f, w, {1, 1, 1});
    for (int i : pointsOf(*f, w)) f->workLists.pointLight[static_cast<std::size_t>(i)] = 0;
    f->shooting.shooterType = kKivHDRILight;
    std::vector<float> insideBefore;
    for (const KivVertex& v : f->vertices.direct) insideBefore.push_back(v.inside());
    LogCapture log(*f);
    SolutionDriver d(*f);
    kiv::surveyModifyPass(*f, d);

    int inside = 0, outside = 0;
    for (int i : pointsOf(*f, w)) {
        const KivVertex& p = point(*f, i);
        SCOPED_TRACE(i);
        EXPECT_EQ(p.unshot.r + p.unshot.g + p.unshot.b, 0.0f);
        EXPECT_EQ(p.received.r + p.received.g + p.received.b, 0.0f);
        if (p.inside() == 0.0f) {
            ++outside;
            EXPECT_EQ(p.reflectance.r + p.reflectance.g + p.reflectance.b, 0.0f);
            continue;
        }
        ++inside;
        // Received pi x (2, 1, 0.5), nothing from the surface itself; what passes is all of it.
        EXPECT_FLOAT_EQ(p.reflectance.r, 1.0f / (kPi * 2.0f));
        EXPECT_FLOAT_EQ(p.reflectance.g, 1.0f / kPi);
        EXPECT_FLOAT_EQ(p.reflectance.b, 1.0f / (kPi * 0.5f));
        EXPECT_EQ(p.current.r, 1.0f);
        EXPECT_EQ(p.current.b, 1.0f);
    }
    EXPECT_GT(inside, 0);
    EXPECT_GT(outside, 0);
    // The inside flags (kept with the received energy) survive the clearing.
    for (std::size_t i = 0; i < insideBefore.size(); ++i)
        EXPECT_EQ(f->vertices.direct[i].inside(), insideBefore[i]) << i;
    EXPECT_EQ(f->shooting.shooterType, kKivHDRILight);

    const std::vector<std::string> expected = {
        "Survey Modify Log\n",
        "\n",
        "\tClear All Receive And Unshot.\n",
        "\n",
        "\tSurvey Gather Start ... End\tTIME: N mili sec.\n",
        "\t\tTOTAL TIME: N sec\n",
        "\n",
        "\n",
        "\tSurvey Gather SkyLight Start ... End\tTIME: N mili sec.\n",
        "\t\tTOTAL TIME: N sec\n",
        "\n",
        "Survey Modify Start ... End\n",
        "\n",
        "\n",
        "Clear All Receive And Unshot\n",
    };
    EXPECT_EQ(log.lines(), expected);
}

TEST(SurveyModify, GatherCountsOnlyWhatAlsoPassesOrdinarySurfacesAsPassing) {
    // Two survey windows facing each other; an ordinary panel between them stops the energy
    // from passing but not from being received.
    for (const bool panel : {false, true}) {
        SCOPED_TRACE(panel);
        SceneFixture f;
        const int low = window(f, 0.0f, {50, 50, 100});
        const int high = window(f, 100.0f, {50, 50, 0});
        if (panel) f.quad({-10, -10, 50}, {110, -10, 50}, {-10, 110, 50}, {50, 50, 0}, 60.0f);
        prepare(*f);
        setCurrent(*f, low, {1, 1, 1});
        setCurrent(*f, high, {1, 1, 1});
        SolutionDriver d(*f);
        kiv::surveyModifyPass(*f, d);
        int checked = 0;
        for (int i : pointsOf(*f, low)) {
            const KivVertex& p = point(*f, i);
            if (p.inside() != 1.0f) continue;
            ++checked;
            // Something was received (else the fallback would give 0.5).
            EXPECT_GT(p.reflectance.r, 0.5f) << i;
            EXPECT_LE(p.reflectance.r, 1.0f) << i;
            EXPECT_EQ(p.current.r, panel ? 0.0f : 1.0f) << i;
        }
        EXPECT_GT(checked, 0);
    }
}

TEST(SurveyModify, PointsWithoutReceivedEnergyTakeHalfTheirNormalisedCurrent) {
    SceneFixture f;
    const int w = window(f, 0.0f, {50, 50, 100});
    prepare(*f);
    // A light index that names no light: the sky gather skips the points.
    f->workLists.pointLight.assign(f->vertices.direct.size(), 7);
    const std::vector<int> pts = pointsOf(*f, w);
    point(*f, pts[0]).current = {0.2f, 0.4f, 0.8f};
    point(*f, pts[1]).current = {1e-11f, 0.0f, 0.0f};  // below the energy threshold
    SolutionDriver d(*f);
    kiv::surveyModifyPass(*f, d);
    const KivVertex& lit = point(*f, pts[0]);
    EXPECT_FLOAT_EQ(lit.reflectance.r, 0.125f);
    EXPECT_FLOAT_EQ(lit.reflectance.g, 0.25f);
    EXPECT_FLOAT_EQ(lit.reflectance.b, 0.5f);
    EXPECT_EQ(lit.current.b, 0.8f);
    EXPECT_EQ(point(*f, pts[1]).reflectance.r, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Sky-sample colour

TEST(SkySampler, ImageColourIsTakenThroughTheExitPointOfTheSceneBox) {
    SceneFixture f;
    window(f, 0.0f, {50, 50, 100}, 0);
    window(f, 100.0f, {50, 50, 0}, 0);
    prepare(*f);
    // 4 x 3 texels, each (column + 1, row + 1, 7).
    KivHDRI image;
    image.alloc(4, 3, 3);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            float* t = image.data + (row * 4 + col) * 3;
            t[0] = static_cast<float>(col + 1);
            t[1] = static_cast<float>(row + 1);
            t[2] = 7.0f;
        }
    image.SetData();
    auto* light = skyLight({0, 0, 1}, {0.25f, 0.5f, 0.75f});
    light->image = &image;
    f->lights.instanciate(light);

    struct Case {
        const char* name;
        char skylightType;
        KivPoint position, from;
        int col, row;  // -1: the emission
    };
    const Case cases[] = {
        {"emission", 1, {-1000, 50, 100}, {50, 50, 10}, -1, -1},
        {"exit point east of the light", 2, {-1000, 50, 100}, {50, 50, 10}, 1, 1},
        {"exit point north of the light", 2, {50, -1000, 100}, {50, 50, 10}, 2, 1},
        {"light below the exit point", 2, {50, 50, 10}, {50, 50, 10}, 0, 0},
        {"no exit point: the sample direction", 2, {-1000, 50, 100}, {50, 50, 500}, 0, 0},
    };
    kiv::SkySampler sky(*f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        light->skylightType = c.skylightType;
        light->position = c.position;
        ASSERT_TRUE(sky.load(0));
        const KivColor e = sky.colour(0, c.from);
        if (c.col < 0) {
            EXPECT_EQ(e.r, 0.25f);
            EXPECT_EQ(e.b, 0.75f);
            continue;
        }
        EXPECT_FLOAT_EQ(e.r, kPi * static_cast<float>(c.col + 1));
        EXPECT_FLOAT_EQ(e.g, kPi * static_cast<float>(c.row + 1));
        EXPECT_FLOAT_EQ(e.b, kPi * 7.0f);
    }
    // Without an image the emission stays.
    light->image = nullptr;
    ASSERT_TRUE(sky.load(0));
    EXPECT_EQ(sky.colour(0, {50, 50, 10}).g, 0.5f);
    // Lights that cannot be sampled.
    light->sampleNum = 0;
    EXPECT_FALSE(sky.load(0));
    EXPECT_FALSE(sky.load(3));
    EXPECT_FALSE(sky.load(-1));
}

// ---------------------------------------------------------------------------------------------
// HDRI shoot

TEST(HdriShoot, SkySamplesReachOrdinaryPointsAndSurveySurfacesShootWhatTheyHold) {
    for (const bool surveyEnergy : {false, true}) {
        SCOPED_TRACE(surveyEnergy);
        SceneFixture f;
        const int floor = f.quad({0, 0, 0}, {200, 0, 0}, {0, 100, 0}, {100, 50, 100}, 25.0f);
        // A window over the left half of the floor, facing it.
        const int win = f.quad({0, 0, 50}, {100, 0, 50}, {0, 100, 50}, {50, 50, 0}, 25.0f, kGrey,
                               kSurfaceSurvey);
        prepare(*f);
        f->lights.instanciate(skyLight({0, 0, 1}, {1, 1, 1}));
        f->lights.instanciate(new TestEnvironmentLight({1, 1, 1}, {}, {}));  // no samples
        // Entries that name nothing or a light without samples are passed over.
        f->workLists.hdriLights = {-1, 9, 1, 0};
        if (surveyEnergy)
            for (int i : pointsOf(*f, win)) point(*f, i).unshot = {1, 1, 1};
        f->shooting.shootType = kiv::kShootSurvey;
        f->shooting.shooterType = kKivSurfaceShooter;
        LogCapture log(*f);
        SolutionDriver d(*f);
        kiv::hdriShoot(*f, d);

        int open = 0, shaded = 0;
        for (int i : pointsOf(*f, floor)) {
            const KivVertex& p = point(*f, i);
            if (p.inside() != 1.0f) continue;
            ASSERT_TRUE(finite(p.received));
            if (p.receivePoint.x > 101.0f) {
                ++open;
                EXPECT_GE(p.received.r, kPi) << i;  // one sample weighed pi
            } else if (p.receivePoint.x < 99.0f) {
                ++shaded;
                // The window stops the sky; only its own shot lights the floor below it.
                if (surveyEnergy)
                    EXPECT_GT(p.received.r, 0.0f) << i;
                else
                    EXPECT_EQ(p.received.r, 0.0f) << i;
            }
        }
        EXPECT_GT(open, 0);
        EXPECT_GT(shaded, 0);
        for (int i : pointsOf(*f, win)) EXPECT_EQ(point(*f, i).unshot.r, 0.0f);

        std::vector<std::string> expected = {
            "HDRI Shoot Count Log\n",
            "\n",
            "\tN Hdri SkyLight Shoot Start ...  End.\tTIME:N mili second\n",
            "\n",
            "TotalTime:\tN sec\n",
            "\n",
            "\n",
        };
        if (surveyEnergy)
            for (const char* l :
                 {"\tN Shoot Start ...  End.\tTIME:N mili second : N\n", "\n",
                  "TotalTime:\tN sec\n", "\n", "End HDRI Shoot Calculation\n", "\n", "\n"})
                expected.emplace_back(l);
        EXPECT_EQ(log.lines(), expected);
    }
}

// ---------------------------------------------------------------------------------------------
// Survey ratio

TEST(SurveyRatio, RatioOnSurveyPointsAndNoCurrentElsewhere) {
    SceneFixture f;
    const int w = window(f, 0.0f, {50, 50, 100});
    const int plain = window(f, 100.0f, {50, 50, 0}, 0);
    prepare(*f);
    struct Case {
        const char* name;
        KivColor reflectance, received, current;
        KivColor ratio, newReceived;
    };
    const Case cases[] = {
        {"ratio", {0.5f, 0.25f, 0.5f}, {4, 8, 2}, {1, 2, 4}, {2, 1, 0.25f}, {2, 2, 1}},
        {"no reflectance in one component",
         {0, 0.5f, 0.5f},
         {4, 4, 4},
         {3, 2, 1},
         {1, 1, 1},
         {3, 2, 1}},
        {"no current in one component",
         {0.5f, 0.5f, 0.5f},
         {3, 2, 2},
         {0, 1, 1},
         {1, 1, 1},
         {0, 1, 1}},
    };
    const std::vector<int> pts = pointsOf(*f, w);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        KivVertex& p = point(*f, pts[k]);
        p.reflectance = cases[k].reflectance;
        p.received.r = cases[k].received.r;
        p.received.g = cases[k].received.g;
        p.received.b = cases[k].received.b;
        p.current = cases[k].current;
    }
    for (int i : pointsOf(*f, plain)) {
        point(*f, i).current = {5, 5, 5};
        point(*f, i).received.r = 3.0f;
    }
    kiv::surveyRatio(*f);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(cases[k].name);
        const KivVertex& p = point(*f, pts[k]);
        EXPECT_FLOAT_EQ(p.current.r, cases[k].ratio.r);
        EXPECT_FLOAT_EQ(p.current.g, cases[k].ratio.g);
        EXPECT_FLOAT_EQ(p.current.b, cases[k].ratio.b);
        EXPECT_FLOAT_EQ(p.received.r, cases[k].newReceived.r);
        EXPECT_FLOAT_EQ(p.received.g, cases[k].newReceived.g);
        EXPECT_FLOAT_EQ(p.received.b, cases[k].newReceived.b);
    }
    for (int i : pointsOf(*f, plain)) {
        EXPECT_EQ(point(*f, i).current.r, 0.0f);
        EXPECT_EQ(point(*f, i).received.r, 3.0f);
    }
}

// ---------------------------------------------------------------------------------------------
// The environment passes in a whole solution

namespace {

std::string logDir() { return kiv::testing::logDir("kiv_survey_test_"); }
using kiv::testing::readLog;

// Where each line prefix first occurs after the previous one; -1 for a missing one.
std::vector<int> inOrder(const std::vector<std::string>& log,
                         const std::vector<std::string>& prefixes) {
    std::vector<int> at;
    std::size_t from = 0;
    for (const auto& p : prefixes) {
        int found = -1;
        for (std::size_t i = from; i < log.size(); ++i)
            if (log[i].compare(0, p.size(), p) == 0) {
                found = static_cast<int>(i);
                from = i + 1;
                break;
            }
        at.push_back(found);
    }
    return at;
}

// A closed room (50 x 50 x 30, z up) whose ceiling has a survey window in its middle.
void room(SceneFixture& f) {
    const KivPoint c = KivPoint::make(25, 25, 15);
    const float I = 10.0f;
    f.quad({0, 0, 0}, {50, 0, 0}, {0, 50, 0}, c, I);  // floor
    f.quad({0, 0, 0}, {50, 0, 0}, {0, 0, 30}, c, I);  // walls
    f.quad({0, 50, 0}, {50, 50, 0}, {0, 50, 30}, c, I);
    f.quad({0, 0, 0}, {0, 50, 0}, {0, 0, 30}, c, I);
    f.quad({50, 0, 0}, {50, 50, 0}, {50, 0, 30}, c, I);
    f.quad({0, 0, 30}, {50, 0, 30}, {0, 20, 30}, c, I);  // ceiling around the window
    f.quad({0, 30, 30}, {50, 30, 30}, {0, 50, 30}, c, I);
    f.quad({0, 20, 30}, {20, 20, 30}, {0, 30, 30}, c, I);
    f.quad({30, 20, 30}, {50, 20, 30}, {30, 30, 30}, c, I);
    f.quad({20, 20, 30}, {30, 20, 30}, {20, 30, 30}, c, 5.0f, kGrey, kSurfaceSurvey);
}

}  // namespace

TEST(EnvironmentPasses, SolutionLogsEveryEnvironmentBlockAndStaysFinite) {
    struct Case {
        const char* name;
        bool light, samples;
    };
    const Case cases[] = {
        {"environment light", true, true},
        {"environment light without samples", true, false},
        {"no light at all", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneFixture f;
        room(f);
        if (c.light) {
            std::vector<KivVector> d;
            std::vector<KivColor> e;
            if (c.samples) {
                d = {KivVector(0, 0, 1), kiv::normalise(KivVector(1, 0, 1)),
                     kiv::normalise(KivVector(0, -1, 2)), KivVector(0, 0, -1)};
                e.assign(d.size(), KivColor(0.5f, 0.4f, 0.3f));
            }
            f->lights.instanciate(new TestEnvironmentLight({0.5f, 0.4f, 0.3f}, d, e));
        }
        f->currentMode = 0x10;
        f->solverParameters.maxShootCount = 3;
        const std::string dir = logDir();
        SolutionDriver d(*f);
        ASSERT_TRUE(d.initialize());
        // The window shoots to the side its winding faces (into the room) and receives the
        // environment on the side its sample normals face: turn those to the sky, or every sky
        // sample it gathers would end on the room's floor and let nothing pass.
        const KivParentSurface& win = f->surfaces.records[f->surfaces.instanceCount() - 1];
        for (int k = 0; k < win.vertTotalCount; ++k)
            point(*f, win.vertArrayIndex + k).normal = KivVector(0, 0, 1);
        d.setCurrentDir(dir.c_str());
        d.doSolution();

        for (const KivVertex& v : f->vertices.direct) {
            ASSERT_TRUE(finite(v.received) && finite(v.current) && finite(v.unshot));
        }
        const auto log = readLog(dir);
        std::vector<std::string> blocks;
        if (c.light) {
            blocks = {"Survey Modify Log",
                      "\tSurvey Gather Start ...",
                      "\tSurvey Gather SkyLight Start ...",
                      "Survey Modify Start ... End",
                      "Clear All Receive And Unshot",
                      "HDRI Shoot Count Log"};
            if (c.samples)
                for (const char* l : {"\t0 Hdri SkyLight Shoot Start ... ", "TotalTime:",
                                      "\t1 Shoot Start ... ", "End HDRI Shoot Calculation"})
                    blocks.emplace_back(l);
        }
        for (const char* l : {"Direct Shoot Log Start", "Survey Multple Log",
                              "\tHDRILight AlreadyShoot is KIV_FALSE."})
            blocks.emplace_back(l);
        if (c.light) {
            for (const char* l :
                 {"\tThere is HDRILight.", "\tCurrentReceived Clear.", "\tShooting. 0",
                  "\tCalculateSurveyMult.", "\tToneReproduction.", "End Survey Multple"})
                blocks.emplace_back(l);
        } else {
            blocks.emplace_back("\tThere is not HDRILight.");
        }
        blocks.emplace_back("######## KivRadiosity Log File END ########");
        const std::vector<int> at = inOrder(log, blocks);
        for (std::size_t k = 0; k < blocks.size(); ++k) EXPECT_GE(at[k], 0) << blocks[k];
        if (!c.samples) {
            EXPECT_EQ(inOrder(log, {"\t0 Hdri SkyLight Shoot Start"})[0], -1);
        }

        if (c.light && c.samples) {
            // The sky through the window lit the floor, and the survey points hold a ratio.
            const KivParentSurface& floor = f->surfaces.records[0];
            float lit = 0.0f;
            for (int k = 0; k < floor.vertTotalCount; ++k)
                lit += point(*f, floor.vertArrayIndex + k).received.r;
            EXPECT_GT(lit, 0.0f);
            EXPECT_TRUE(f->workLists.hdriLights.empty());  // released at the end
        }
    }
}

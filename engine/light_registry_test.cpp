#include "engine/light_registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

namespace {

// What happened to the test objects, so that tests can see calls made only by the registry.
struct Tally {
    int dels = 0;
    int destroyed = 0;
};

// A light with only the mandatory operations plus a stored type: every other query answers
// the base behaviour.
class TestLight : public KivLight {
public:
    TestLight(Tally& tally, int id) : tally_(tally), id_(id) { type = 1; }
    ~TestLight() override { ++tally_.destroyed; }
    void init() override {
        type = 1;
        alreadyShoot = 0;
        ++inits;
    }
    void del() override { ++tally_.dels; }
    KivColor shoot(int) override { return KivColor::make(1, 1, 1); }
    void setType(char t) override { type = t; }
    char getType() override { return type; }
    void setUnshot(KivColor c) override {
        unshot.r = c.r;
        unshot.g = c.g;
        unshot.b = c.b;
    }
    KivColor getUnshot() override { return unshot; }
    void output(std::FILE* f) override { std::fprintf(f, "light %d\n", id_); }

    int inits = 0;

private:
    Tally& tally_;
    int id_;
};

class TestData : public KivLightData {
public:
    TestData(Tally& tally, int id) : tally_(tally), id_(id) {}
    ~TestData() override { ++tally_.destroyed; }
    void init() override { ++inits; }
    void del() override { ++tally_.dels; }
    void output(std::FILE* f) override { std::fprintf(f, "data %d\n", id_); }
    int inits = 0;

private:
    Tally& tally_;
    int id_;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

// A fresh current scene per test, ended (destroying its lights) afterwards.
struct LightScene : ::testing::Test {
    Tally tally;
    void SetUp() override { KivScene_Create(); }
    void TearDown() override {
        if (kiv::currentScenePointer() != nullptr) KivScene_End();
    }
    int addLight(int id) { return KivLight_Instanciate(new TestLight(tally, id)); }
};

}  // namespace

TEST_F(LightScene, DeletedLightLeavesANullEntryWhoseIndexIsNeverReused) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(addLight(i), i);
    KivLight* second = KivLight_GetPointer(1);
    ASSERT_NE(second, nullptr);

    EXPECT_EQ(KivLight_Delete(1), 1);
    EXPECT_EQ(tally.dels, 1);
    EXPECT_EQ(tally.destroyed, 0);  // not destroyed: a caller may still hold it
    EXPECT_EQ(KivLight_GetInstanceCount(), 3);
    EXPECT_EQ(KivLight_GetPointer(1), nullptr);
    EXPECT_EQ(KivLight_GetPointer()[1], nullptr);
    EXPECT_EQ(KivLight_GetType(1), 0);
    EXPECT_EQ(KivLight_GetType(2), 1);
    EXPECT_THROW(KivLight_GetReference(1), std::out_of_range);

    // Deleting again succeeds without finishing the object twice; outside the registry fails.
    EXPECT_EQ(KivLight_Delete(1), 1);
    EXPECT_EQ(tally.dels, 1);
    EXPECT_EQ(KivLight_Delete(3), 0);
    EXPECT_EQ(KivLight_Delete(-1), 0);

    // Append (the standard lights' protocol) gets the next index and updates the ended count.
    KivLight_Append(new TestLight(tally, 3));
    EXPECT_EQ(KivLight_GetInstanceCount() - 1, 3);
    EXPECT_EQ(KivLight_GetType(3), 1);
    EXPECT_EQ(KivLight_EndInstance(), 4);

    // Ending the scene finishes the three live lights and destroys all four objects once.
    KivScene_End();
    EXPECT_EQ(tally.dels, 4);
    EXPECT_EQ(tally.destroyed, 4);
}

TEST_F(LightScene, InvalidIndexGivesNeutralAnswersAndSettersDoNothing) {
    addLight(0);
    addLight(1);
    KivLight_Delete(1);
    const KivColor before = KivLight_GetUnshot(0);
    for (int i : {-1, 1, 2, 1000}) {
        SCOPED_TRACE(i);
        KivLight_SetUnshot(i, KivColor::make(5, 5, 5));
        KivLight_SetType(i, 7);
        KivLight_SetAlreadyShoot(i, 1);
        KivLight_SetPosition(i, KivPoint::make(1, 2, 3));
        KivLight_InitializeWithIndex(i);
        KivLight_DoSet(i);
        EXPECT_EQ(KivLight_GetType(i), 0);
        EXPECT_EQ(KivLight_GetAlreadyShoot(i), 0);
        const KivColor c = KivLight_GetUnshot(i);
        EXPECT_EQ(c.r, 0.0f);
        EXPECT_EQ(c.a, 1.0f);
        const KivPoint p = KivLight_GetPosition(i);
        EXPECT_EQ(p.x, 0.0f);
        EXPECT_EQ(p.w, 1.0f);
        const KivVector d = KivLight_GetDirection(i);
        EXPECT_EQ(d.z, 0.0f);
        EXPECT_EQ(d.w, 1.0f);
        EXPECT_EQ(KivLight_GetFalloffStart(i), 0.0f);
        EXPECT_EQ(KivLight_GetFalloffEnd(i), 0.0f);
        EXPECT_EQ(KivLight_GetField(i), 0.0f);
        EXPECT_EQ(KivLight_GetBeam(i), 0.0f);
        EXPECT_EQ(KivLight_GetFieldCos(i), 0.0f);
        EXPECT_EQ(KivLight_GetBeamCos(i), 0.0f);
        EXPECT_EQ(KivLight_GetSourceSpotCoefficient(i), 0.0f);
        EXPECT_EQ(KivLight_GetPointer(i), nullptr);
    }
    // The valid neighbour was left alone.
    EXPECT_EQ(KivLight_GetUnshot(0).r, before.r);
    EXPECT_EQ(KivLight_GetType(0), 1);
    EXPECT_EQ(KivLight_GetAlreadyShoot(0), 0);
}

TEST_F(LightScene, FlatFunctionsReachTheLightsOperationsAndFields) {
    const int i = addLight(0);
    auto* l = static_cast<TestLight*>(KivLight_GetPointer(i));
    KivLight_InitializeWithIndex(i);
    EXPECT_EQ(l->inits, 1);

    KivLight_SetAlreadyShoot(i, 1);
    EXPECT_EQ(l->alreadyShoot, 1);
    EXPECT_EQ(KivLight_GetAlreadyShoot(i), 1);
    KivLight_SetType(i, 8);
    EXPECT_EQ(KivLight_GetType(i), 8);
    // The light copies red, green and blue; the fourth component keeps its 1.
    KivLight_SetUnshot(i, KivColor(0.5f, 2.0f, 3.0f, 9.0f));
    const KivColor u = KivLight_GetUnshot(i);
    EXPECT_EQ(u.r, 0.5f);
    EXPECT_EQ(u.b, 3.0f);
    EXPECT_EQ(u.a, 1.0f);
    EXPECT_EQ(&KivLight_GetReference(i), l);
}

TEST(KivLight, BaseAnswersNoValueForQuantitiesALightDoesNotHave) {
    Tally tally;
    TestLight l(tally, 0);
    l.setPosition(KivPoint::make(1, 2, 3));  // the base ignores it
    const KivPoint p = l.getPosition();
    const KivVector d = l.getDirection();
    const KivColor c = l.KivLight::getUnshot();
    for (float v :
         {p.x, p.y, p.z, d.x, d.y, d.z, c.r, c.g, c.b, l.getFalloffStart(), l.getFalloffEnd(),
          l.getField(), l.getFieldCos(), l.getBeam(), l.getBeamCos(), l.getSourceSpotCoefficient()})
        EXPECT_EQ(v, kKivInfinity);
    EXPECT_EQ(p.w, 1.0f);
    EXPECT_EQ(d.w, 1.0f);
    EXPECT_EQ(c.a, 1.0f);
    const KivMatrix m = l.getWorldToLight();
    for (int k = 0; k < 16; ++k) EXPECT_EQ(m.m[k], k % 5 == 0 ? 1.0f : 0.0f) << k;
    EXPECT_EQ(l.getLightDataIndex(), -1);
    EXPECT_EQ(l.getUpIndex(), -1);
    EXPECT_EQ(l.getHatIndex(), -1);
    EXPECT_EQ(l.getDirIndex(), -1);
    EXPECT_EQ(l.getSampleNum(), 0);
    EXPECT_EQ(l.getStack(), 0);
    EXPECT_EQ(l.getSlice(), 0);
    EXPECT_EQ(l.getSkylightType(), 0);
    EXPECT_EQ(l.KivLight::getType(), 0);
    EXPECT_EQ(l.getDirectionList(), nullptr);
    EXPECT_EQ(l.getEmissionList(), nullptr);
    EXPECT_EQ(l.getHDRI(), nullptr);
}

TEST_F(LightScene, OutputWritesTheEndedCountAndTheChosenLights) {
    for (int i = 0; i < 5; ++i) addLight(i);
    KivLight_Delete(2);
    const std::string path = tempPath("lights_out.txt");

    EXPECT_EQ(KivLight_Output(0, 0, path.c_str()), 1);
    EXPECT_EQ(slurp(path), "5\nlight 0\n");
    EXPECT_EQ(KivLight_Output(1, 4, path.c_str()), 1);
    EXPECT_EQ(slurp(path), "5\nlight 1\nlight 3\nlight 4\n");  // deleted entry skipped

    for (auto [first, last] : {std::pair{2, 1}, {-1, 0}, {0, 5}}) {
        EXPECT_EQ(KivLight_Output(first, last, path.c_str()), 0);
        EXPECT_EQ(slurp(path), "Index Argment Error. Exit.\n");
    }
    EXPECT_EQ(KivLight_Output(0, 0, "/nonexistent-dir/lights.txt"), 0);
}

TEST_F(LightScene, InitializeAndEndDestroyEveryObjectOnce) {
    // The same object registered twice must still be finished and destroyed only once.
    auto* twice = new TestLight(tally, 0);
    KivLight_Instanciate(twice);
    KivLight_Instanciate(twice);
    addLight(1);
    KivScene_Initialize();
    EXPECT_EQ(tally.dels, 2);
    EXPECT_EQ(tally.destroyed, 2);
    EXPECT_EQ(KivLight_GetInstanceCount(), 0);
    EXPECT_EQ(KivLight_GetPointer(), nullptr);
    EXPECT_EQ(KivLight_GetPointer(0), nullptr);

    // End through a scene handle acts on that scene, not on the current one.
    void* current = kiv::currentScenePointer();
    addLight(2);
    void* other = KivScene_Create();
    addLight(3);
    KivScene_MakeCurrent(current);
    EXPECT_EQ(KivLight_End(other), 1);
    EXPECT_EQ(tally.destroyed, 3);
    EXPECT_EQ(KivLight_GetInstanceCount(), 1);
    EXPECT_EQ(KivLight_End(nullptr), 0);  // a null handle is refused
    EXPECT_EQ(KivScene_End(other), 1);
}

TEST_F(LightScene, SceneDeletedWithoutEndStillDestroysItsLights) {
    addLight(0);
    KivLightData_Append(new TestData(tally, 0));
    KivScene_Delete();
    EXPECT_EQ(tally.destroyed, 2);
}

TEST_F(LightScene, LightDataStayRegisteredAndAreReachedByIndex) {
    EXPECT_EQ(KivLightData_Instanciate(new TestData(tally, 0)), 0);
    KivLightData_Append(new TestData(tally, 1));
    EXPECT_EQ(KivLightData_GetCount() - 1, 1);
    EXPECT_EQ(KivLightData_EndInstance(), 2);

    EXPECT_EQ(KivLightData_Delete(0), 0);
    EXPECT_EQ(KivLightData_GetCount(), 2);
    EXPECT_NE(KivLightData_GetPointer(0), nullptr);
    EXPECT_EQ(tally.dels, 0);

    KivLightData_InitializeWithIndex(1);
    EXPECT_EQ(static_cast<TestData&>(KivLightData_GetReference(1)).inits, 1);
    // Indices outside the registry answer null or raise instead of reading past it.
    KivLightData_InitializeWithIndex(2);
    EXPECT_EQ(KivLightData_GetPointer(2), nullptr);
    EXPECT_EQ(KivLightData_GetPointer(-1), nullptr);
    EXPECT_THROW(KivLightData_GetReference(2), std::out_of_range);
    EXPECT_EQ(KivLightData_GetPointer()[1], KivLightData_GetPointer(1));

    const std::string path = tempPath("lightdata_out.txt");
    EXPECT_EQ(KivLightData_Output(1, 1, path.c_str()), 1);
    EXPECT_EQ(slurp(path), "2\ndata 1\n");
    EXPECT_EQ(KivLightData_Output(0, 2, path.c_str()), 0);
    EXPECT_EQ(slurp(path), "Index Argment Error. Exit.\n");

    EXPECT_EQ(KivLightData_End(), 1);
    EXPECT_EQ(tally.dels, 2);
    EXPECT_EQ(tally.destroyed, 2);
    EXPECT_EQ(KivLightData_GetCount(), 0);
}

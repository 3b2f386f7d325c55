#include "lights/general_light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "engine/intersection.h"
#include "engine/scene.h"
#include "engine/visibility_test_scene.h"
#include "engine/voxel_grid.h"
#include "lights/KivStandardLights.h"
#include "lights/lm63_test_support.h"

namespace {

KivMatrix identity() { return KivMatrix{}; }

std::string realFile(const char* name) { return (kiv::testing::iesDataDir() / name).string(); }

const float kVertical[] = {0, 45, 90, 135, 180};
const float kHorizontal[] = {0, 90, 180, 270, 360};
// Bright below the light, dark above it; the planes differ so that the azimuth matters.
std::vector<float> downLightValues() {
    const float planeAdd[] = {0, 200, 400, 200, 0};
    const float base[] = {1000, 600, 100, 0, 0};
    std::vector<float> e;
    for (float add : planeAdd)
        for (float b : base) e.push_back(b == 0.0f ? 0.0f : b + add);
    return e;
}

struct Scene {
    Scene() { KivScene_Create(); }
    ~Scene() { KivScene_Delete(); }
};

}  // namespace

TEST(GeneralLight, LightsMadeFromOnePathShareOneDataObject) {
    const std::string comet = realFile("comet.ies"), vee = realFile("vee.ies");
    if (!std::filesystem::exists(comet)) GTEST_SKIP() << "no photometric files";
    Scene scene;
    const KivColor white(1, 1, 1);
    EXPECT_EQ(KivGeneralLight_Instanciate(white, KivPoint(0, 0, 3), comet.c_str(), identity()), 0);
    EXPECT_EQ(KivGeneralLight_Instanciate(white, KivPoint(1, 0, 3), comet.c_str(), identity()), 1);
    EXPECT_EQ(KivLightData_GetCount(), 1);
    EXPECT_EQ(KivLight_GetPointer(0)->getLightDataIndex(), 0);
    EXPECT_EQ(KivLight_GetPointer(1)->getLightDataIndex(), 0);
    EXPECT_EQ(KivLight_GetType(1), 5);
    EXPECT_EQ(KivGeneralLightData_Instanciate(comet.c_str()), 0);

    // Another file is read once, also when only a light object is created.
    EXPECT_EQ(KivGeneralLightData_Instanciate(vee.c_str()), 1);
    KivGeneralLight* unregistered =
        KivGeneralLight_Create(white, KivPoint(), vee.c_str(), identity());
    ASSERT_NE(unregistered, nullptr);
    EXPECT_EQ(unregistered->getLightDataIndex(), 1);
    EXPECT_EQ(KivLight_GetInstanceCount(), 2);
    delete unregistered;

    // Tables given as arrays are always new.
    const std::vector<float> e = downLightValues();
    EXPECT_EQ(KivGeneralLight_Instanciate(white, KivPoint(), 1000, 1, 5, kVertical, 5, kHorizontal,
                                          e.data(), identity()),
              2);
    EXPECT_EQ(KivLight_GetPointer(2)->getLightDataIndex(), 2);
    EXPECT_EQ(KivGeneralLightData_Instanciate(1000, 1, 5, kVertical, 5, kHorizontal, e.data()), 3);
    // An empty path never matches the empty file name of array data.
    EXPECT_EQ(KivGeneralLightData_Instanciate(""), -1);

    // Rejected files and tables leave both registries as they were.
    const std::string missing = realFile("missing.ies");
    const float bad[] = {0, 0, 0, 0, 0};
    EXPECT_EQ(KivGeneralLight_Instanciate(white, KivPoint(), missing.c_str(), identity()), -1);
    EXPECT_EQ(KivGeneralLight_Create(white, KivPoint(), missing.c_str(), identity()), nullptr);
    EXPECT_NE(std::string(KivGeneralLightData_GetLastError()).find("cannot open"),
              std::string::npos);
    EXPECT_EQ(KivGeneralLight_Instanciate(white, KivPoint(), 1, 1, 5, bad, 1, bad, bad, identity()),
              -1);
    EXPECT_EQ(KivGeneralLightData_Create(1, 1, 5, bad, 1, bad, bad), nullptr);
    EXPECT_EQ(KivLight_GetInstanceCount(), 3);
    EXPECT_EQ(KivLightData_GetCount(), 4);

    // The data object answers by angle through the flat function.
    void* data = KivLightData_GetPointer(0);
    EXPECT_GT(KivGeneralLightData_GetEnergyFromAngles(data, 0, 0), 0.0f);
    EXPECT_EQ(KivGeneralLightData_GetEnergyFromAngles(data, 95, 0), 0.0f);  // measured to 90
}

TEST(GeneralLight, SetDataKeepsTheFourthComponentsAndOutputWritesTheLight) {
    KivGeneralLight light;
    light.init();
    EXPECT_EQ(light.getType(), 5);
    EXPECT_EQ(light.getLightDataIndex(), -1);
    EXPECT_EQ(light.getWorldToLight().m[5], 1.0f);
    KivMatrix m;
    m.at(3, 0) = 4;
    m.at(1, 2) = -0.5f;
    light.alreadyShoot = 1;
    light.setType(2);
    light.setData(KivColor(1, 2, 3, 7), KivPoint(4, 5, 6, 9), 7, m);
    EXPECT_EQ(light.getType(), 5);
    EXPECT_EQ(light.alreadyShoot, 0);
    EXPECT_EQ(light.getUnshot().a, 1.0f);
    EXPECT_EQ(light.getPosition().w, 1.0f);
    EXPECT_EQ(light.getPosition().z, 6.0f);

    std::FILE* f = std::tmpfile();
    light.output(f);
    std::rewind(f);
    char buffer[1024] = {};
    buffer[std::fread(buffer, 1, sizeof(buffer) - 1, f)] = '\0';
    std::fclose(f);
    EXPECT_STREQ(buffer,
                 "5\n1.000000 2.000000 3.000000\n4.000000 5.000000 6.000000\n"
                 "1.000000 0.000000 0.000000 0.000000\n0.000000 1.000000 -0.500000 0.000000\n"
                 "0.000000 0.000000 1.000000 0.000000\n4.000000 0.000000 0.000000 1.000000\n"
                 "7\n");
}

// A floor under the light, half covered by an opaque slab and partly by a transparent one.
TEST(GeneralLight, ShootsTheTableOverTheSquaredDistanceAndHonoursOccluders) {
    Scene scene;
    KivScene& s = kiv::scene();
    KivAttribute_SetTransparency(KivColor(0.5f, 0.25f, 1.0f));
    ASSERT_EQ(KivAttribute_Instanciate("glass"), 0);
    KivAttribute_EndInstance();

    kiv::testing::TestScene t;
    auto square = [&](float z, float x0, float x1, kiv::SurfaceMaterial m = {}) {
        return t.add(
            {KivPoint(x0, 0, z), KivPoint(x1, 0, z), KivPoint(x1, 4, z), KivPoint(x0, 4, z)}, 0.5f,
            0, m);
    };
    const int floor = square(0, 0, 4);
    square(4, 0, 4);
    square(2, 0, 2);  // opaque slab
    square(2, 2.5f, 4, kiv::testing::transparent(0.5f, 0.25f, 1.0f));
    t.install(s);
    ASSERT_GT(kiv::buildVoxelGrid(s), 0);

    const KivPoint at(2, 2, 3);
    const std::vector<float> e = downLightValues();
    const KivColor unshot(2, 3, 4);
    const int index = KivGeneralLight_Instanciate(unshot, at, 1000, 1, 5, kVertical, 5, kHorizontal,
                                                  e.data(), identity());
    ASSERT_EQ(index, 0);
    KivLight* light = KivLight_GetPointer(index);
    const auto* data = dynamic_cast<KivGeneralLightData*>(KivLightData_GetPointer(0));
    ASSERT_NE(data, nullptr);

    // Floor point (x, y) is vertex row * 9 + column of the 9 x 9 grid at 0.5 spacing.
    auto vertexAt = [](float x, float y) {
        return static_cast<int>(y / 0.5f) * 9 + static_cast<int>(x / 0.5f);
    };
    auto shoot = [&](KivLight* l, int i) {
        KivVertex& v = s.vertices.direct[static_cast<std::size_t>(i)];
        kiv::QueryState& q = kiv::queryState(s);
        q.receiverPoint = v.receivePoint;
        q.receiverSurface = floor;
        q.shooterPosition = l->getPosition();
        q.shooterIndex = index;
        q.shootType = 1;
        q.shooterType = 5;
        v.shotFlags = 77;
        return l->shoot(i);
    };
    // Expected energy: the table at the angles of the direction towards the light (vertical
    // from straight down, azimuth from +x), over the squared distance.
    auto expected = [&](float x, float y) {
        const double dx = at.x - x, dy = at.y - y, dz = at.z;
        const double d2 = dx * dx + dy * dy + dz * dz;
        const double vertical = std::acos(dz / std::sqrt(d2)) * 180.0 / std::numbers::pi;
        double horizontal = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
        if (horizontal < 0) horizontal += 360.0;
        const double c =
            data->calcEnergy(static_cast<float>(vertical), static_cast<float>(horizontal)) / d2;
        return KivColor(static_cast<float>(unshot.r * c), static_cast<float>(unshot.g * c),
                        static_cast<float>(unshot.b * c));
    };
    auto expectColour = [](KivColor got, KivColor want, const char* label) {
        EXPECT_NEAR(got.r, want.r, 1e-4f * want.r + 1e-7f) << label;
        EXPECT_NEAR(got.g, want.g, 1e-4f * want.g + 1e-7f) << label;
        EXPECT_NEAR(got.b, want.b, 1e-4f * want.b + 1e-7f) << label;
        EXPECT_EQ(got.a, 1.0f) << label;
    };
    auto flags = [&](int i) { return s.vertices.direct[static_cast<std::size_t>(i)].shotFlags; };

    s.shooting.closeLengthThreshold = 0.0f;
    const int free = vertexAt(3, 2), blocked = vertexAt(1, 2), glass = vertexAt(4, 2);
    const int aside = vertexAt(3, 0.5f);
    expectColour(shoot(light, free), expected(3, 2), "free");
    EXPECT_EQ(flags(free), kShotLit);
    expectColour(shoot(light, aside), expected(3, 0.5f), "aside");
    expectColour(shoot(light, blocked), KivColor(0, 0, 0), "blocked");
    EXPECT_EQ(flags(blocked), kShotReachedDark);
    const KivColor g = expected(4, 2);
    expectColour(shoot(light, glass), KivColor(g.r * 0.5f, g.g * 0.25f, g.b), "glass");
    EXPECT_EQ(flags(glass), kShotLit);

    // Close to the light the point is marked 6.
    s.shooting.closeLengthThreshold = 10.0f;
    shoot(light, free);
    EXPECT_EQ(flags(free), kShotLitClose);
    s.shooting.closeLengthThreshold = 0.0f;

    // A point outside its polygon is not tested for occlusion.
    s.vertices.direct[static_cast<std::size_t>(blocked)].setInside(0.0f);
    expectColour(shoot(light, blocked), expected(1, 2), "outside point");
    EXPECT_EQ(flags(blocked), kShotLit);

    // Facing away: nothing, and the flags are left alone.
    s.vertices.direct[static_cast<std::size_t>(free)].normal = KivVector(0, 0, -1);
    expectColour(shoot(light, free), KivColor(0, 0, 0), "facing away");
    EXPECT_EQ(flags(free), 77);
    s.vertices.direct[static_cast<std::size_t>(free)].normal = KivVector(0, 0, 1);

    // The orientation turns the table: upside down the floor sees the dark half.
    KivMatrix flip;
    flip.at(1, 1) = -1;
    flip.at(2, 2) = -1;
    light->setWorldToLight(flip);
    expectColour(shoot(light, free), KivColor(0, 0, 0), "upside down");
    EXPECT_EQ(flags(free), kShotReachedDark);
    // Directions are turned, not moved: a translation row changes nothing.
    KivMatrix moved;
    moved.at(3, 0) = 5;
    moved.at(3, 1) = -6;
    moved.at(3, 2) = 7;
    light->setWorldToLight(moved);
    expectColour(shoot(light, free), expected(3, 2), "translated frame");
    light->setWorldToLight(identity());

    // Without data (or with an index of no data) the light delivers nothing.
    light->setLightDataIndex(5);
    expectColour(shoot(light, free), KivColor(0, 0, 0), "no data");
    EXPECT_EQ(flags(free), kShotReachedDark);
    light->setLightDataIndex(0);

    // Vertex indices without a vertex answer nothing.
    expectColour(light->shoot(-1), KivColor(0, 0, 0), "negative index");
    expectColour(light->shoot(100000), KivColor(0, 0, 0), "index beyond the vertices");
}

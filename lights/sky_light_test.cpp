#include "lights/sky_light.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/api/tool_api.h"
#include "lights/KivStandardLights.h"
#include "lights/environment_test_scene.h"

using namespace kiv::env::testing;

namespace {

std::unique_ptr<KivSkyLight> create(KivColor colour, char up, char dir, int stack, int slice,
                                    const char* path, char method = 1) {
    return std::unique_ptr<KivSkyLight>(
        KivSkyLight_Create(colour, up, dir, stack, slice, path, method));
}

bool isBlack(const KivColor& c) { return c.r == 0.0f && c.g == 0.0f && c.b == 0.0f && c.a == 1.0f; }

}  // namespace

TEST(SkyLight, UniformSkyHasTwiceItsColourSharedEquallyOverTheSamples) {
    auto light = create(KivColor(1.0f, 0.5f, 0.0f), 2, 4, -1, -1, nullptr, 9);
    EXPECT_EQ(light->getType(), kKivSkyLight);
    EXPECT_EQ(light->alreadyShoot, 0);
    EXPECT_EQ(light->getStack(), 10);
    EXPECT_EQ(light->getSlice(), 40);
    ASSERT_EQ(light->getSampleNum(), 272);
    const KivColor u = light->getUnshot();
    EXPECT_EQ(u.r, 2.0f);
    EXPECT_EQ(u.g, 1.0f);
    EXPECT_EQ(u.b, 0.0f);
    EXPECT_EQ(u.a, 1.0f);
    const float share = 1.0f / 272.0f;
    for (int k = 0; k < 272; ++k) {
        const KivColor& e = light->getEmissionList()[k];
        ASSERT_EQ(e.r, 2.0f * share);
        ASSERT_EQ(e.g, 1.0f * share);
        ASSERT_EQ(e.b, 0.0f);
        ASSERT_EQ(e.a, 1.0f);
    }
    EXPECT_EQ(light->getHDRI(), nullptr);
    EXPECT_STREQ(light->getPathHDRI(), "");
    EXPECT_EQ(light->getShootingMethod(), 9);
    EXPECT_EQ(light->getSkylightType(), 0);  // the base's answer

    auto few = create(KivColor(1, 1, 1), 2, 4, 2, 4, nullptr);
    EXPECT_EQ(few->getSampleNum(), 7);
}

TEST(SkyLight, DirectionsTurnTheHemisphereTowardsTheSkyAxis) {
    const int stack = 3, slice = 8;
    KivTool_SeedMT(77);
    std::vector<KivVector> raw;
    kiv::env::appendSampleDirections(stack, slice, raw);
    using Map = KivVector (*)(const KivVector&);
    struct Case {
        char up;
        Map map;
    };
    const Case cases[] = {
        {0, [](const KivVector& d) { return KivVector(d.y, d.z, d.x); }},
        {1, [](const KivVector& d) { return KivVector(d.z, d.x, d.y); }},
        {2, [](const KivVector& d) { return KivVector(-d.x, -d.y, -d.z); }},
        {3, [](const KivVector& d) { return KivVector(-d.y, -d.z, -d.x); }},
        {4, [](const KivVector& d) { return KivVector(-d.z, -d.x, -d.y); }},
        {5, [](const KivVector& d) { return KivVector(-d.x, -d.y, -d.z); }},
        {9, [](const KivVector& d) { return KivVector(-d.x, -d.y, -d.z); }},  // falls back to 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "up " << int(c.up));
        KivTool_SeedMT(77);
        auto light = create(KivColor(1, 1, 1), c.up, 4, stack, slice, nullptr);
        ASSERT_EQ(light->getSampleNum(), static_cast<int>(raw.size()));
        for (std::size_t k = 0; k < raw.size(); ++k) {
            const KivVector want = c.map(raw[k]);
            const KivVector& got = light->getDirectionList()[k];
            ASSERT_EQ(got.x, want.x) << k;
            ASSERT_EQ(got.y, want.y) << k;
            ASSERT_EQ(got.z, want.z) << k;
            ASSERT_EQ(got.w, 1.0f);
        }
    }
    // The default sky lies towards -z, with up axis 0 towards +y.
    auto byDefault = create(KivColor(1, 1, 1), 2, 4, 10, 40, nullptr);
    auto alongX = create(KivColor(1, 1, 1), 0, 4, 10, 40, nullptr);
    for (int k = 0; k < 272; ++k) {
        EXPECT_LE(byDefault->getDirectionList()[k].z, 0.0f);
        EXPECT_GE(alongX->getDirectionList()[k].y, 0.0f);
    }
}

TEST(SkyLight, CopiesShareTheImageAndReleaseItOnce) {
    const std::string path = writeTestImage("sky_copies.hdr");
    auto light = create(KivColor(1, 1, 1), 2, 4, 2, 4, path.c_str());
    const KivHDRI* image = light->getHDRI();
    ASSERT_NE(image, nullptr);
    {
        KivSkyLight copy(*light);
        KivSkyLight assigned;
        assigned = copy;
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 3);
        EXPECT_STREQ(assigned.getPathHDRI(), path.c_str());
        light.reset();
        EXPECT_EQ(copy.getHDRI()->width, kImageWidth);
        copy.del();
        EXPECT_EQ(assigned.getHDRI()->height, kImageHeight);
    }
    EXPECT_EQ(kiv::env::SharedImage::holders(image), 0);

    KivScene_Create();
    EXPECT_EQ(KivSkyLight_Instanciate(KivColor(1, 1, 1), 2, 4, 2, 4, path.c_str(), 1), 0);
    EXPECT_EQ(KivSkyLight_Instanciate(KivColor(1, 1, 1), 2, 4, 2, 4, nullptr, 1), 1);
    EXPECT_EQ(KivLight_GetType(1), kKivSkyLight);
    KivScene_End();
}

using SkyLightShot = EnvironmentScene;

TEST_F(SkyLightShot, AReceiverFacingTheUniformSkyGetsItsColour) {
    const KivColor colour(1.0f, 0.5f, 0.25f);
    auto light = create(colour, 2, 4, 10, 40, nullptr);
    const int before = queries();
    // The samples spread about evenly over the hemisphere: the mean cosine is near one half
    // (a little below: the jitter keeps each sample in the lower quarter of its band), and
    // the doubled colour makes up for it.
    KivVertex& v = aim(*light, KivPoint(5, 5, 5), KivVector(0, 0, -1), 0.01f, 0.0f);
    const KivColor e = light->shoot(0);
    EXPECT_NEAR(e.r, colour.r, 0.06f * colour.r);
    EXPECT_NEAR(e.g, colour.g, 0.06f * colour.g);
    EXPECT_NEAR(e.b, colour.b, 0.06f * colour.b);
    EXPECT_EQ(e.a, 1.0f);
    EXPECT_EQ(v.shotFlags, 2);
    EXPECT_EQ(queries(), before) << "points outside their polygon are not tested";

    // Facing away from every sample: dark.
    aim(*light, KivPoint(5, 5, 5), KivVector(0, 0, 1), 0.01f, 1.0f);
    EXPECT_TRUE(isBlack(light->shoot(0)));
    EXPECT_EQ(v.shotFlags, 1);
    EXPECT_EQ(queries(), before);
}

TEST_F(SkyLightShot, EachFacingSampleIsTestedAndFilteredOnItsOwn) {
    auto light = create(KivColor(1, 1, 1), 2, 4, 10, 40, nullptr);
    int facing = 0;
    for (int k = 0; k < light->getSampleNum(); ++k)
        if (-light->getDirectionList()[k].z >= 0.001f) ++facing;

    // Above the glass slab: steep samples cross it, shallow ones pass beside it.
    const KivPoint q(0, 0, 2);
    const KivVector down(0, 0, -1);
    aim(*light, q, down, 0.01f, 0.0f);
    const KivColor open = light->shoot(0);
    const int before = queries();
    KivVertex& v = aim(*light, q, down, 0.01f, 1.0f);
    const KivColor glazed = light->shoot(0);
    EXPECT_EQ(queries() - before, facing);
    EXPECT_EQ(v.shotFlags, 2);
    EXPECT_FLOAT_EQ(glazed.b, open.b);  // the glass lets blue through unchanged
    EXPECT_GT(glazed.r, kGlass.r * open.r);
    EXPECT_LT(glazed.r, open.r);
    EXPECT_GT(glazed.g, kGlass.g * open.g);
    EXPECT_LT(glazed.g, glazed.r);

    // Inside the closed box every sample is blocked.
    aim(*light, KivPoint(11, 0, 51.5f), down, 0.01f, 1.0f);
    EXPECT_TRUE(isBlack(light->shoot(0)));
    EXPECT_EQ(v.shotFlags, 1);
    // The same point not tested for occlusion gets the open sky.
    aim(*light, KivPoint(11, 0, 51.5f), down, 0.01f, 0.0f);
    EXPECT_FLOAT_EQ(light->shoot(0).r, open.r);
}

TEST_F(SkyLightShot, AnImageSkyGathersTheProbeColoursScaledByTheColour) {
    const std::string path = writeTestImage("sky_probe.hdr");
    const KivHDRI image = readBack(path);
    const KivColor colour(1.0f, 0.5f, 2.0f);
    // Up +x, direction +z: the hat is -y, and the sky lies towards +y.
    auto light = create(colour, 0, 2, 4, 12, path.c_str());
    EXPECT_EQ(light->getHatIndex(), 4);
    EXPECT_EQ(light->getUnshot().b, 2.0f);
    const KivVector n(0, 1, 0);
    double sum[3] = {0, 0, 0};
    for (int k = 0; k < light->getSampleNum(); ++k) {
        const KivVector& d = light->getDirectionList()[k];
        const float c = kiv::dot(n, d);
        if (c < 0.001f) continue;
        // Probe vector (hat, -direction, up) = (-y, -z, x), looked up by the probe mapping.
        const double x = -d.y, y = -d.z, z = d.x;
        const double m = 2.0 * std::sqrt(x * x + y * y + (z + 1) * (z + 1));
        const int col = static_cast<int>((x / m + 0.5) * kImageWidth);
        const int row = static_cast<int>((y / m + 0.5) * kImageHeight);
        const KivColor g = texel(image, col, row);
        sum[0] += c * g.r;
        sum[1] += c * g.g;
        sum[2] += c * g.b;
    }
    KivVertex& v = aim(*light, KivPoint(5, 5, 5), n, 0.01f, 0.0f);
    const KivColor e = light->shoot(0);
    EXPECT_NEAR(e.r, sum[0] * colour.r, 1e-4 * sum[0]);
    EXPECT_NEAR(e.g, sum[1] * colour.g, 1e-4 * sum[1]);
    EXPECT_NEAR(e.b, sum[2] * colour.b, 1e-4 * sum[2]);
    EXPECT_EQ(v.shotFlags, 2);
}

TEST_F(SkyLightShot, SkiesWithoutSamplesOrWithoutAReadableImageAreDark) {
    const std::string missing = ::testing::TempDir() + "no_such_sky.hdr";
    const std::string longPath = "/tmp/" + std::string(260, 'y') + ".hdr";
    struct Case {
        const char* name;
        int stack;
        const char* path;
    };
    const Case cases[] = {
        {"missing image", 10, missing.c_str()},
        {"path too long", 10, longPath.c_str()},
        {"no elevation bands", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto light = create(KivColor(1, 1, 1), 2, 4, c.stack, 40, c.path);
        const int before = queries();
        KivVertex& v = aim(*light, KivPoint(0, 0, 2), KivVector(0, 0, -1), 0.01f, 1.0f);
        EXPECT_TRUE(isBlack(light->shoot(0)));
        EXPECT_EQ(v.shotFlags, 1);
        EXPECT_EQ(queries(), before);
    }
}

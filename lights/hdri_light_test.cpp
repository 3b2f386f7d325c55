#include "lights/hdri_light.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "lights/KivStandardLights.h"
#include "lights/environment_test_scene.h"

using namespace kiv::env::testing;

namespace {

const KivColor kWhite(1.0f, 1.0f, 1.0f);
const KivPoint kOrigin(0.0f, 0.0f, 0.0f);

KivMatrix matrixWith(std::initializer_list<float> values) {
    KivMatrix m;
    int k = 0;
    for (float v : values) m.m[k++] = v;
    return m;
}

std::unique_ptr<KivHDRILight> create(const char* path, char up = 2, char dir = 4, int stack = 10,
                                     int slice = 40, KivMatrix m = KivMatrix{},
                                     KivColor unshot = kWhite, char skylightType = 1,
                                     KivPoint position = kOrigin) {
    return std::unique_ptr<KivHDRILight>(
        KivHDRILight_Create(unshot, position, m, path, up, dir, stack, slice, skylightType));
}

void expectColourNear(const KivColor& got, const KivColor& want, float tolerance = 1e-5f) {
    EXPECT_NEAR(got.r, want.r, tolerance * std::max(1.0f, std::fabs(want.r)));
    EXPECT_NEAR(got.g, want.g, tolerance * std::max(1.0f, std::fabs(want.g)));
    EXPECT_NEAR(got.b, want.b, tolerance * std::max(1.0f, std::fabs(want.b)));
    EXPECT_EQ(got.a, 1.0f);
}

}  // namespace

TEST(HdriLight, SamplesCoverTheSphereAndCarryTheImageColourOfTheirDirection) {
    const std::string path = writeTestImage("hdri_samples.hdr");
    const KivHDRI image = readBack(path);
    // Identity with the default axes, and a quarter turn about x with up +y and direction +x
    // (hat -z). For each: the frame coordinates (a, b, c) of a light-frame direction.
    struct Case {
        char up, dir;
        KivMatrix m;
        std::function<void(const KivVector&, double&, double&, double&)> frame;
    };
    const Case cases[] = {
        {2, 4, KivMatrix{},
         [](const KivVector& d, double& a, double& b, double& c) {
             a = d.x;  // hat +x
             b = d.y;  // against the direction -y
             c = d.z;  // up +z
         }},
        {1, 0, matrixWith({1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}),
         [](const KivVector& d, double& a, double& b, double& c) {
             // Row vector times the matrix: (x, -z, y).
             const double x = d.x, y = -d.z, z = d.y;
             a = -z;  // hat -z
             b = -x;  // against the direction +x
             c = y;   // up +y
         }},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(::testing::Message() << "up " << int(tc.up) << " dir " << int(tc.dir));
        auto light = create(path.c_str(), tc.up, tc.dir, -1, -1, tc.m);
        ASSERT_EQ(light->getSampleNum(), 544);
        EXPECT_EQ(light->getStack(), 10);
        EXPECT_EQ(light->getSlice(), 40);
        const KivVector* d = light->getDirectionList();
        const KivColor* e = light->getEmissionList();
        ASSERT_NE(d, nullptr);
        ASSERT_NE(e, nullptr);
        for (int k = 0; k < 272; ++k) {
            EXPECT_GE(d[k].z, 0.0f);
            EXPECT_EQ(d[k + 272].x, d[k].x);
            EXPECT_EQ(d[k + 272].y, d[k].y);
            EXPECT_EQ(d[k + 272].z, -d[k].z);
            EXPECT_EQ(d[k + 272].w, 1.0f);
        }
        int checked = 0;
        for (int k = 0; k < 544; ++k) {
            double a, b, c;
            tc.frame(d[k], a, b, c);
            int col, row;
            if (!expectedTexel(a, b, c, col, row)) continue;
            ++checked;
            const KivColor want = kKivPi * texel(image, col, row);
            ASSERT_EQ(e[k].r, want.r) << "sample " << k << " texel " << col << ", " << row;
            ASSERT_EQ(e[k].g, want.g) << "sample " << k;
            ASSERT_EQ(e[k].b, want.b) << "sample " << k;
            ASSERT_EQ(e[k].a, 1.0f);
        }
        EXPECT_GT(checked, 500);
    }
}

TEST(HdriLight, SetUpStoresItsFieldsWithFallbacks) {
    const std::string path = writeTestImage("hdri_setup.hdr");
    KivMatrix m;
    for (int k = 0; k < 16; ++k) m.m[k] = static_cast<float>(k) * 0.5f;
    struct Case {
        char up, dir;
        int stack, slice;
        char skylightType;
        int upIndex, dirIndex, hatIndex;
        char wantSkylightType;
        int samples;
    };
    const Case cases[] = {
        {7, 4, 2, 4, 0, 2, 4, 0, 1, 14},  // invalid up; 4 + 2 + 1 directions, mirrored
        {2, 5, 2, 4, 3, 2, 3, 4, 1, 14},  // direction on the up axis
        {5, 2, 10, 40, 2, 5, 0, 4, 2, 544},
        {0, 1, -4, -9, 1, 0, 1, 2, 1, 544},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "up " << int(c.up) << " dir " << int(c.dir));
        auto light = create(path.c_str(), c.up, c.dir, c.stack, c.slice, m,
                            KivColor(0.5f, 0.25f, 2.0f), c.skylightType, KivPoint(1, 2, 3));
        EXPECT_EQ(light->getType(), kKivHDRILight);
        EXPECT_EQ(light->alreadyShoot, 0);
        EXPECT_EQ(light->getUpIndex(), c.upIndex);
        EXPECT_EQ(light->getDirIndex(), c.dirIndex);
        EXPECT_EQ(light->getHatIndex(), c.hatIndex);
        EXPECT_EQ(light->getSkylightType(), c.wantSkylightType);
        EXPECT_EQ(light->getSampleNum(), c.samples);
        EXPECT_EQ(light->unshot.r, 0.5f);
        EXPECT_EQ(light->unshot.b, 2.0f);
        EXPECT_EQ(light->getPosition().y, 2.0f);
        EXPECT_EQ(std::memcmp(light->getWorldToLight().m, m.m, sizeof m.m), 0);
        EXPECT_STREQ(light->getPathHDRI(), path.c_str());
        ASSERT_NE(light->getHDRI(), nullptr);
        EXPECT_EQ(light->getHDRI()->width, kImageWidth);
    }
}

TEST(HdriLight, EnergyIsPiTimesTheTexelSumsScaledByUnshot) {
    const std::string path = writeTestImage("hdri_energy.hdr");
    const KivHDRI image = readBack(path);
    double sum[3] = {0, 0, 0};
    for (int k = 0; k < kImageWidth * kImageHeight; ++k)
        for (int ch = 0; ch < 3; ++ch) sum[ch] += image.data[3 * k + ch];
    auto light = create(path.c_str(), 2, 4, 2, 4, KivMatrix{}, KivColor(1.0f, 0.5f, 0.0f));
    const KivColor e = light->getUnshot();
    EXPECT_FLOAT_EQ(e.r, kKivPi * static_cast<float>(sum[0]));
    EXPECT_FLOAT_EQ(e.g, kKivPi * static_cast<float>(sum[1]) * 0.5f);
    EXPECT_EQ(e.b, 0.0f);
    EXPECT_EQ(e.a, 1.0f);
    // setUnshot keeps the scale that the energy is computed with.
    light->setUnshot(KivColor(2.0f, 2.0f, 2.0f));
    EXPECT_FLOAT_EQ(light->getUnshot().b, kKivPi * static_cast<float>(sum[2]) * 2.0f);
}

TEST(HdriLight, FourArgumentSetDataChangesNothing) {
    const std::string path = writeTestImage("hdri_noop.hdr");
    auto light = create(path.c_str(), 1, 0, 2, 4);
    const KivHDRI* image = light->getHDRI();
    KivHDRI other;
    light->setData(KivColor(9, 9, 9), KivPoint(9, 9, 9), KivMatrix{}, &other);
    EXPECT_EQ(light->unshot.r, 1.0f);
    EXPECT_EQ(light->getPosition().x, 0.0f);
    EXPECT_EQ(light->getHDRI(), image);
    EXPECT_EQ(light->getUpIndex(), 1);
    EXPECT_EQ(light->getSampleNum(), 14);
}

using HdriLightShot = EnvironmentScene;

TEST_F(HdriLightShot, PointsGetTheImageColourSeenFromTheLight) {
    const std::string path = writeTestImage("hdri_shot.hdr");
    const KivHDRI image = readBack(path);
    const KivColor unshot(1.0f, 0.5f, 2.0f);
    const KivPoint p(20.0f, 20.0f, 20.0f);
    auto light = create(path.c_str(), 2, 4, 2, 4, KivMatrix{}, unshot, 1, p);
    const KivVector offsets[] = {{0, 0, -3}, {1, 2, 0.3f},    {-2, 1, 1},     {-1, -3, -1},
                                 {3, -1, 2}, {0.2f, 0.1f, 4}, {-1, 0.5f, -2}, {2, 2, -0.5f}};
    const int before = queries();
    int checked = 0;
    for (const KivVector& o : offsets) {
        SCOPED_TRACE(::testing::Message() << o.x << " " << o.y << " " << o.z);
        int col, row;
        // Direction from the light towards the point, in the image frame: (x, y, z).
        if (!expectedTexel(o.x, o.y, o.z, col, row)) continue;
        ++checked;
        const KivPoint q = p + o;
        KivVertex& v = aim(*light, q, kiv::normalise(kiv::negate(o)), 0.01f, 0.0f);
        const KivColor got = light->shoot(0);
        expectColourNear(got, (texel(image, col, row) * unshot) * kKivPi);
        EXPECT_EQ(v.shotFlags, 2);
        // Facing away from the light: nothing, and the flags stay as they were.
        aim(*light, q, kiv::normalise(o), 0.01f, 0.0f);
        const KivColor away = light->shoot(0);
        EXPECT_EQ(away.r + away.g + away.b, 0.0f);
        EXPECT_EQ(away.a, 1.0f);
        EXPECT_EQ(v.shotFlags, kUntouched);
    }
    EXPECT_GE(checked, 6);
    EXPECT_EQ(queries(), before) << "points outside their polygon are not tested";
}

TEST_F(HdriLightShot, TheBoxFilterGrowsWithTheSolidAngleOfThePatch) {
    const std::string path = writeTestImage("hdri_filter.hdr");
    const KivHDRI image = readBack(path);
    auto light = create(path.c_str(), 2, 4, 2, 4);
    // The point one unit from the light, facing it, so that the solid angle is the area.
    const KivVector o = kiv::normalise(KivVector(1.0f, 0.25f, 0.3f));
    int cx, cy;
    ASSERT_TRUE(expectedTexel(o.x, o.y, o.z, cx, cy));
    const KivPoint q(o.x, o.y, o.z);
    const KivVector n = kiv::negate(o);
    auto average = [&](int size) {
        KivColor sum(0, 0, 0);
        int count = 0;
        for (int row = cy - size; row <= cy + size; ++row)
            for (int col = cx - size; col <= cx + size; ++col)
                if (row >= 0 && row < kImageHeight && col >= 0 && col < kImageWidth) {
                    sum += texel(image, col, row);
                    ++count;
                }
        return sum / static_cast<float>(count);
    };
    struct Case {
        float area;
        int size;  // trunc(sqrt(area / 4 pi) / 2 x 4), the area limited to 4 pi
    };
    const Case cases[] = {{0.5f, 0}, {2.0f * kKivPi, 1}, {1e6f, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "area " << c.area);
        aim(*light, q, n, c.area, 0.0f);
        expectColourNear(light->shoot(0), kKivPi * average(c.size));
    }
}

TEST_F(HdriLightShot, OccludersBlockOrFilterPointsInsideTheirPolygon) {
    const std::string path = writeTestImage("hdri_occlusion.hdr");
    auto light = create(path.c_str(), 2, 4, 2, 4);
    const KivVector up(0.0f, 0.0f, 1.0f);
    auto shotAt = [&](KivPoint lightAt, KivPoint q, float inside) {
        light->setPosition(lightAt);
        KivVertex& v = aim(*light, q, up, 0.01f, inside);
        const KivColor e = light->shoot(0);
        return std::make_pair(e, v.shotFlags);
    };
    const auto [freeE, freeFlags] = shotAt(KivPoint(5, 0, 5), KivPoint(5, 0, 0), 1.0f);
    EXPECT_GT(freeE.r, 0.0f);
    EXPECT_EQ(freeFlags, 2);

    const auto [glassE, glassFlags] = shotAt(KivPoint(0, 0, 5), KivPoint(0, 0, 0), 1.0f);
    const auto [openE, openFlags] = shotAt(KivPoint(0, 0, 5), KivPoint(0, 0, 0), 0.0f);
    expectColourNear(glassE, openE * kGlass);
    EXPECT_EQ(glassFlags, 2);
    EXPECT_EQ(openFlags, 2);

    const auto [blockedE, blockedFlags] = shotAt(KivPoint(11, 0, 60), KivPoint(11, 0, 45), 1.0f);
    EXPECT_EQ(blockedE.r + blockedE.g + blockedE.b, 0.0f);
    EXPECT_EQ(blockedFlags, 1);
}

TEST_F(HdriLightShot, LightsWithoutAReadableImageShootNothing) {
    const std::string longPath = "/tmp/" + std::string(300, 'x') + ".hdr";
    const std::string missing = ::testing::TempDir() + "no_such_image.hdr";
    const std::string corrupt =
        std::string(KIV_SOURCE_DIR) + "/tests/data/hdr/truncated_header.hdr";
    struct Case {
        const char* name;
        const char* path;
        int samples;
    };
    const Case cases[] = {
        {"missing file", missing.c_str(), 544},
        {"not an RGBE picture", corrupt.c_str(), 544},
        {"path too long", longPath.c_str(), 544},
        {"no path", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto light = create(c.path, 2, 4, 10, 40, KivMatrix{}, kWhite, 1, KivPoint(0, 0, 5));
        const KivColor energy = light->getUnshot();
        EXPECT_EQ(energy.r + energy.g + energy.b, 0.0f);
        EXPECT_EQ(energy.a, 1.0f);
        EXPECT_EQ(light->getSampleNum(), c.samples);
        for (int k = 0; k < light->getSampleNum(); ++k)
            ASSERT_EQ(light->getEmissionList()[k].r, 0.0f);
        if (c.samples == 0) {
            EXPECT_EQ(light->getDirectionList(), nullptr);
            EXPECT_EQ(light->getEmissionList(), nullptr);
            EXPECT_EQ(light->getHDRI(), nullptr);
        }
        if (c.path == longPath.c_str()) {
            EXPECT_STREQ(light->getPathHDRI(), "");
        }

        const int before = queries();
        KivVertex& v = aim(*light, KivPoint(5, 0, 0), KivVector(0, 0, 1), 0.01f, 1.0f);
        const KivColor e = light->shoot(0);
        EXPECT_EQ(e.r + e.g + e.b, 0.0f);
        EXPECT_EQ(e.a, 1.0f);
        EXPECT_EQ(v.shotFlags, kUntouched);
        EXPECT_EQ(queries(), before);
    }
    // The image form with no image: no image and no lists.
    EXPECT_EQ(KivHDRILight_Instanciate(kWhite, kOrigin, KivMatrix{},
                                       static_cast<const KivHDRI*>(nullptr), 2, 4, 10, 40, 1),
              0);
    EXPECT_EQ(KivLight_GetReference(0).getSampleNum(), 0);
    EXPECT_EQ(KivLight_GetReference(0).getHDRI(), nullptr);
}

TEST(HdriLight, CopiesShareTheImageAndReleaseItOnce) {
    const std::string path = writeTestImage("hdri_copies.hdr");
    auto first = create(path.c_str(), 2, 4, 2, 4);
    const KivHDRI* image = first->getHDRI();
    const float energy = first->getUnshot().r;
    {
        KivHDRILight copy(*first);
        KivHDRILight assigned;
        assigned.init();
        assigned = copy;
        EXPECT_EQ(copy.getHDRI(), image);
        EXPECT_EQ(assigned.getHDRI(), image);
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 3);
        EXPECT_EQ(assigned.getSampleNum(), first->getSampleNum());
        EXPECT_EQ(assigned.getDirectionList()[3].x, first->getDirectionList()[3].x);
        EXPECT_NE(assigned.getDirectionList(), first->getDirectionList());
        EXPECT_STREQ(assigned.getPathHDRI(), path.c_str());

        first->del();  // the copies still read the image
        EXPECT_EQ(first->getHDRI(), nullptr);
        EXPECT_EQ(first->getSampleNum(), 0);
        EXPECT_EQ(copy.getUnshot().r, energy);
        copy.init();  // lets its share go as well
        EXPECT_EQ(assigned.getUnshot().r, energy);
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 1);
    }
    EXPECT_EQ(kiv::env::SharedImage::holders(image), 0);

    // Through the registry: a light made from another light's image shares it, and ending the
    // scene releases it once.
    KivScene_Create();
    const int a =
        KivHDRILight_Instanciate(kWhite, kOrigin, KivMatrix{}, path.c_str(), 2, 4, 2, 4, 1);
    const KivHDRI* shared = KivLight_GetReference(a).getHDRI();
    const int b = KivHDRILight_Instanciate(kWhite, kOrigin, KivMatrix{}, shared, 1, 0, 2, 4, 2);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(KivLight_GetReference(b).getHDRI(), shared);
    EXPECT_EQ(KivLight_GetReference(b).getSampleNum(), 14);
    EXPECT_STREQ(static_cast<KivHDRILight&>(KivLight_GetReference(b)).getPathHDRI(), "");
    EXPECT_EQ(kiv::env::SharedImage::holders(shared), 2);
    KivLight_Delete(a);
    EXPECT_EQ(kiv::env::SharedImage::holders(shared), 1);
    EXPECT_GT(KivLight_GetReference(b).getUnshot().r, 0.0f);
    KivScene_End();
    EXPECT_EQ(kiv::env::SharedImage::holders(shared), 0);
}

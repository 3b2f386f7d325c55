#include "lights/environment_sampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/api/tool_api.h"
#include "engine/hdri.h"

using kiv::env::Axes;

namespace {

KivVector axisVector(int code) {
    KivVector v = KivVector::make(0.0f, 0.0f, 0.0f);
    const float s = code < 3 ? 1.0f : -1.0f;
    (code % 3 == 0 ? v.x : code % 3 == 1 ? v.y : v.z) = s;
    return v;
}

int codeOf(const KivVector& v) {
    for (int code = 0; code < 6; ++code) {
        if (kiv::env::signedComponent(v, code) == 1.0f) return code;
    }
    return -1;
}

}  // namespace

TEST(EnvironmentAxes, InvalidAndCoincidentAxesFallBack) {
    struct Case {
        int up, dir;
        Axes want;
    };
    const Case cases[] = {
        {2, 4, {2, 4, 2, 4, 0}},
        {7, 4, {2, 4, 2, 4, 0}},  // up out of range
        {2, 9, {2, 4, 2, 4, 0}},  // direction out of range
        {-1, -3, {2, 4, 2, 4, 0}},
        {2, 5, {2, 5, 2, 3, 4}},  // direction opposite to up moves to the next code
        {5, 2, {5, 2, 5, 0, 4}},  // 6 wraps to 0
        {1, 1, {1, 1, 1, 2, 0}},  // the same axis
        {0, 3, {0, 3, 0, 1, 2}},
        {3, 1, {3, 1, 3, 1, 5}},
    };
    for (const Case& c : cases) {
        const Axes a = kiv::env::setUpAxes(static_cast<char>(c.up), static_cast<char>(c.dir));
        SCOPED_TRACE(::testing::Message() << "up " << c.up << " dir " << c.dir);
        EXPECT_EQ(a.upAxis, c.want.upAxis);
        EXPECT_EQ(a.dirAxis, c.want.dirAxis);
        EXPECT_EQ(a.upIndex, c.want.upIndex);
        EXPECT_EQ(a.dirIndex, c.want.dirIndex);
        EXPECT_EQ(a.hatIndex, c.want.hatIndex);
    }
}

TEST(EnvironmentAxes, HatIsTheCrossProductOfUpAndDirection) {
    for (int up = 0; up < 6; ++up) {
        for (int dir = 0; dir < 6; ++dir) {
            SCOPED_TRACE(::testing::Message() << "up " << up << " dir " << dir);
            const bool sameLine = up % 3 == dir % 3;
            const int want = sameLine ? -1 : codeOf(kiv::cross(axisVector(up), axisVector(dir)));
            EXPECT_EQ(kiv::env::hatIndex(up, dir), want);
        }
    }
}

TEST(EnvironmentSampling, BandsShrinkWithElevation) {
    struct Case {
        int stack, slice;
        std::vector<int> bands;
    };
    const Case cases[] = {
        {10, 40, {40, 39, 38, 35, 32, 28, 23, 18, 12, 6, 1}},
        {2, 4, {4, 2, 1}},
        {1, 0, {1, 1}},  // every band holds at least one direction
    };
    for (const Case& c : cases) {
        int total = 0;
        for (int i = 0; i <= c.stack; ++i) {
            EXPECT_EQ(kiv::env::bandSize(i, c.stack, c.slice), c.bands[i]) << "band " << i;
            total += c.bands[i];
        }
        EXPECT_EQ(kiv::env::sampleCount(c.stack, c.slice), total);
        std::vector<KivVector> d;
        kiv::env::appendSampleDirections(c.stack, c.slice, d);
        EXPECT_EQ(static_cast<int>(d.size()), total);
    }
    EXPECT_EQ(kiv::env::sampleCount(10, 40), 272);
}

TEST(EnvironmentSampling, ArgumentsFallBackAndAreLimited) {
    EXPECT_EQ(kiv::env::stackFromArgument(-1), 10);
    EXPECT_EQ(kiv::env::sliceFromArgument(-7), 40);
    EXPECT_EQ(kiv::env::stackFromArgument(0), 0);
    EXPECT_EQ(kiv::env::stackFromArgument(1 << 30), kiv::env::kMaxStack);
    EXPECT_EQ(kiv::env::sliceFromArgument(1 << 30), kiv::env::kMaxSlice);
    // Counts set past the limits directly are still built at the limits.
    EXPECT_EQ(kiv::env::sampleCount(1 << 30, 1 << 30),
              kiv::env::sampleCount(kiv::env::kMaxStack, kiv::env::kMaxSlice));
    EXPECT_LT(kiv::env::sampleCount(kiv::env::kMaxStack, kiv::env::kMaxSlice), 200000);
}

TEST(EnvironmentSampling, NonPositiveStackGivesNoDirectionsAndDrawsNothing) {
    for (int stack : {0, -5}) {
        KivTool_SeedMT(99);
        std::vector<KivVector> d;
        kiv::env::appendSampleDirections(stack, 40, d);
        EXPECT_TRUE(d.empty());
        EXPECT_EQ(kiv::env::sampleCount(stack, 40), 0);
        const std::uint32_t next = KivTool_RandomMT();
        KivTool_SeedMT(99);
        EXPECT_EQ(next, KivTool_RandomMT()) << "the generator moved on";
    }
}

TEST(EnvironmentSampling, DirectionsAreJitteredWithinTheirBandsByTheEngineGenerator) {
    const int stack = 4, slice = 12;
    KivTool_SeedMT(2024);
    const float r1 = static_cast<float>(KivTool_RandomMT()) * 5.820766e-11f;
    const float r2 = static_cast<float>(KivTool_RandomMT()) * 5.820766e-11f;

    KivTool_SeedMT(2024);
    std::vector<KivVector> d;
    kiv::env::appendSampleDirections(stack, slice, d);
    ASSERT_EQ(static_cast<int>(d.size()), kiv::env::sampleCount(stack, slice));

    // The first direction: elevation from the first draw, azimuth from the second.
    const float e = r1 / stack * 1.5707964f;
    const float a = r2 * (6.2831855f / slice);
    EXPECT_NEAR(d[0].x, std::cos(a) * std::cos(e), 1e-6f);
    EXPECT_NEAR(d[0].y, std::sin(a) * std::cos(e), 1e-6f);
    EXPECT_NEAR(d[0].z, std::sin(e), 1e-6f);

    std::size_t k = 0;
    for (int i = 0; i <= stack; ++i) {
        const int n = kiv::env::bandSize(i, stack, slice);
        for (int j = 0; j < n; ++j, ++k) {
            const KivVector& v = d[k];
            EXPECT_NEAR(kiv::length(v), 1.0f, 1e-6f);
            EXPECT_EQ(v.w, 1.0f);
            // Elevation in [i, i + 1/4) band steps, azimuth in [j, j + 1/4) sample steps.
            const double elev = std::asin(std::clamp(double(v.z), -1.0, 1.0)) / (M_PI / 2) * stack;
            if (i < stack) {
                EXPECT_GE(elev, i - 1e-4);
                EXPECT_LT(elev, i + 0.25 + 1e-4);
                double az = std::atan2(double(v.y), double(v.x));
                if (az < -1e-6) az += 2 * M_PI;
                const double step = az / (2 * M_PI) * n;
                EXPECT_GE(step, j - 1e-3) << "band " << i << " sample " << j;
                EXPECT_LT(step, j + 0.25 + 1e-3) << "band " << i << " sample " << j;
            } else {
                // The top band lies just past the pole.
                EXPECT_GT(v.z, 0.99f);
            }
        }
    }

    // The same seed gives the same directions.
    KivTool_SeedMT(2024);
    std::vector<KivVector> again;
    kiv::env::appendSampleDirections(stack, slice, again);
    ASSERT_EQ(again.size(), d.size());
    for (std::size_t m = 0; m < d.size(); ++m) {
        EXPECT_EQ(again[m].x, d[m].x);
        EXPECT_EQ(again[m].z, d[m].z);
    }
}

TEST(EnvironmentAngles, DirectionsGiveTheirVerticalAndHorizontalAngles) {
    const float h = std::sqrt(0.5f);
    struct Case {
        float a, b, c, theta, phi;
    };
    const Case cases[] = {
        {0, -1, 1, 180, 0},                       // unnormalised: c > 0 counts as straight up
        {1, 0, 0, 90, 90},    {0, 0, -1, 0, 0},   // along the axis: no horizontal angle
        {0, 0, 1, 180, 0},    {0, -1, 0, 90, 0},  // along the direction axis
        {0, 1, 0, 90, 180},                       // against it
        {-1, 0, 0, 90, 270},  {h, -h, 0, 90, 45}, {h, h, 0, 90, 135}, {-h, h, 0, 90, 225},
        {-h, -h, 0, 90, 315}, {0, -h, h, 135, 0}, {0, -h, -h, 45, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << " " << c.b << " " << c.c);
        const kiv::env::Angles got = kiv::env::directionToAngles(c.a, c.b, c.c);
        EXPECT_NEAR(got.theta, c.theta, 2e-3f);
        EXPECT_NEAR(got.phi, c.phi, 2e-3f);
    }
}

TEST(EnvironmentImage, SharesAreCountedAndTheLastReleasesTheImage) {
    auto* image = new KivHDRI;
    {
        kiv::env::SharedImage a;
        a.reset(image);
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 1);
        kiv::env::SharedImage b(a);
        kiv::env::SharedImage c;
        c = b;
        const kiv::env::SharedImage& self = c;
        c = self;        // assigning a holder to itself keeps its share
        c.reset(image);  // the same image again changes nothing
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 3);
        // Handing the address to another holder shares it instead of owning it twice.
        kiv::env::SharedImage d;
        d.reset(const_cast<KivHDRI*>(static_cast<const KivHDRI*>(a.get())));
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 4);
        a.reset();
        b.reset();
        d.reset();
        EXPECT_EQ(kiv::env::SharedImage::holders(image), 1);
        EXPECT_EQ(c.get(), image);
        EXPECT_EQ(c.get()->width, 0);  // still alive (the sanitizers would notice otherwise)
    }
    EXPECT_EQ(kiv::env::SharedImage::holders(image), 0);
}

TEST(EnvironmentImage, PathsThatDoNotFitAreRefused) {
    char buffer[8];
    EXPECT_TRUE(kiv::env::copyPath(buffer, sizeof buffer, "1234567"));
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_FALSE(kiv::env::copyPath(buffer, sizeof buffer, "12345678"));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(kiv::env::copyPath(buffer, sizeof buffer, nullptr));
    EXPECT_STREQ(buffer, "");
}

#include "engine/filter_func.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// 3 x 3 float image; texel (x, y) = (10 y + x, 2 (10 y + x), 100).
struct Image3x3 {
    std::vector<float> data;
    Image3x3() {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                const float v = static_cast<float>(10 * y + x);
                data.insert(data.end(), {v, 2 * v, 100.0f});
            }
    }
    KivColor lookup(float u, float v, KivLong interpolate, int type, int size) {
        KivFilterFunc f;
        KivColor out(-1, -1, -1, 7);
        f.doFilter(3, 3, 3, data.data(), 1, u, v, out, interpolate, type, size);
        EXPECT_EQ(out.a, 7.0f);  // the fourth component is never written
        return out;
    }
    KivColor at(int x, int y, int type, int size) {
        KivFilterFunc f;
        f.setData(3, 3, 3, data.data(), 1);
        f.filterSize = size;
        KivColor out(-1, -1, -1);
        if (type == 1) f.box(x, y, out);
        if (type == 2) f.triangle(x, y, out);
        if (type == 3) f.gaussian(x, y, out);
        return out;
    }
};

}  // namespace

TEST(KivFilterFunc, WindowFiltersAverageTheInImageSamples) {
    Image3x3 img;
    const float e = std::exp(1.0f);
    // Gaussian of size 2 at the corner (sigma 1): weights exp(-(dx^2 + dy^2) / 2).
    const float g[3][3] = {{1, 1 / std::sqrt(e), 1 / std::exp(2.0f)},
                           {1 / std::sqrt(e), 1 / e, 1 / std::exp(2.5f)},
                           {1 / std::exp(2.0f), 1 / std::exp(2.5f), 1 / std::exp(4.0f)}};
    float gs = 0, gw = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            gs += g[y][x] * static_cast<float>(10 * y + x);
            gw += g[y][x];
        }
    struct Case {
        int x, y, type, size;
        float red;
    } cases[] = {
        {0, 0, 1, 1, 5.5f},   // box at a corner: the four texels inside the image
        {1, 1, 1, 1, 11.0f},  // box at the centre: all nine
        {1, 1, 2, 1, 11.0f},  // triangle of size 1: the ring at distance 1 weighs 0
        {0, 0, 2, 1, 0.0f},
        {0, 0, 2, 2, 4.4f},  // (0 + 0.5 (1 + 10 + 11)) / 2.5
        {0, 0, 3, 2, gs / gw},
        {2, 1, 1, 0, 12.0f},  // size 0: the centre texel, for every filter
        {2, 1, 2, 0, 12.0f},
        {2, 1, 3, 0, 12.0f},
        {1, 1, 1, 100000, 11.0f},  // a huge window costs no more than the image
    };
    for (const auto& c : cases) {
        const KivColor out = img.at(c.x, c.y, c.type, c.size);
        EXPECT_NEAR(out.r, c.red, 1e-5f)
            << c.x << "," << c.y << " type " << c.type << " size " << c.size;
        EXPECT_NEAR(out.g, 2 * c.red, 2e-5f);
        EXPECT_NEAR(out.b, 100.0f, 1e-4f);
    }
}

TEST(KivFilterFunc, NegativeSizeOrEmptyWindowGivesBlack) {
    Image3x3 img;
    for (int type : {1, 2, 3}) {
        const KivColor neg = img.at(1, 1, type, -1);
        EXPECT_EQ(neg.r, 0.0f) << type;
        EXPECT_EQ(neg.b, 0.0f) << type;
        const KivColor outside = img.at(10, 10, type, 2);
        EXPECT_EQ(outside.b, 0.0f) << type;
    }
}

TEST(KivFilterFunc, InterpolationPlacesTexelCentresAtHalfIntegers) {
    Image3x3 img;
    struct Case {
        float u, v;
        int type;
        float red;
    } cases[] = {
        {0.0f, 0.0f, 0, 0.0f},           // all four samples clamp to texel (0, 0)
        {1.0f, 1.0f, 0, 22.0f},          // and to (2, 2) at the far corner
        {0.5f / 3, 2.5f / 3, 0, 20.0f},  // a texel centre gives the texel
        {1.0f / 3, 0.5f / 3, 0, 0.5f},   // halfway between (0, 0) and (1, 0)
        {1.0f / 3, 1.0f / 3, 0, 5.5f},   // middle of (0, 0), (1, 0), (0, 1), (1, 1)
        {1.0f / 3, 1.0f / 3, 1, 8.25f},  // the same four, each box-filtered with size 1
        {0.5f / 3, 0.5f / 3, 7, 0.0f},   // unknown filter types act as none
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(img.lookup(c.u, c.v, 1, c.type, 1).r, c.red, 1e-5f) << c.u << "," << c.v;
    }
}

TEST(KivFilterFunc, DoFilterStoresItsArguments) {
    Image3x3 img;
    KivFilterFunc f;
    KivColor out;
    f.doFilter(3, 3, 3, img.data.data(), 1, 0.25f, 0.75f, out, 1, 9, 4);
    EXPECT_EQ(f.filterType, 0);
    EXPECT_EQ(f.filterSize, 4);
    EXPECT_EQ(f.interpolate, 1);
    EXPECT_EQ(f.u, 0.25f);
    EXPECT_EQ(f.v, 0.75f);
    f.doFilter(0.9f, 0.1f, out, 0, 3, 2);
    EXPECT_EQ(f.filterType, 3);
    EXPECT_EQ(f.interpolate, 0);
}

// Lookups outside [0, 1) clamp to the edge texels, with and without interpolation.
TEST(KivFilterFunc, CoordinatesOutsideTheImageClampToTheEdge) {
    Image3x3 img;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float u, v, red;
    } cases[] = {
        {-3.0f, 0.5f, 10.0f}, {5.0f, 0.5f, 12.0f}, {0.5f, -inf, 1.0f},
        {0.5f, 1e30f, 21.0f}, {nan, nan, 0.0f},    {1.0f, 1.0f, 22.0f},
    };
    for (const auto& c : cases) {
        for (KivLong interpolate : {0, 1}) {
            for (int type : {0, 1}) {
                const KivColor out = img.lookup(c.u, c.v, interpolate, type, 0);
                EXPECT_EQ(out.r, c.red) << c.u << "," << c.v << " interpolate " << interpolate;
            }
        }
    }
}

TEST(KivFilterFunc, SamplesAreReadAsTheirType) {
    // Signed bytes convert without scaling.
    std::int8_t bytes[6] = {-128, 127, 5, 1, 2, 3};
    KivFilterFunc f;
    f.setData(2, 1, 3, bytes, 0);
    KivColor out;
    f.none(0, 0, out);
    EXPECT_EQ(out.r, -128.0f);
    EXPECT_EQ(out.g, 127.0f);
    EXPECT_EQ(out.b, 5.0f);
    f.getColor(3, out);
    EXPECT_EQ(out.b, 3.0f);

    // One float per texel: the last texel's second and third samples lie past the array.
    float floats[2] = {4, 8};
    f.setData(2, 1, 1, floats, 1);
    f.none(1, 0, out);
    EXPECT_EQ(out.r, 8.0f);
    EXPECT_EQ(out.g, 0.0f);
    EXPECT_EQ(out.b, 0.0f);
    f.getColor(-5, out);
    EXPECT_EQ(out.r, 0.0f);
}

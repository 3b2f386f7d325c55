#include "engine/float_texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

void expectColor(const KivColor& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
}

std::string littleEndian16(unsigned v) { return {char(v & 0xff), char(v >> 8)}; }

std::string littleEndianFloats(const std::vector<float>& values) {
    std::string out;
    for (float f : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((bits >> (8 * k)) & 0xff));
    }
    return out;
}

std::string modeOneStream(unsigned w, unsigned h, unsigned c, const std::vector<float>& values) {
    return littleEndian16(w) + littleEndian16(h) + littleEndian16(c) + std::string(256, 'x') +
           littleEndianFloats(values);
}

}  // namespace

TEST(KivFloatTexture, EmptyTextureKeepsInitialStatistics) {
    KivFloatTexture t;
    EXPECT_EQ(t.width, 0);
    EXPECT_EQ(t.components, 3);
    EXPECT_EQ(t.readerMode, 1);
    EXPECT_EQ(t.name[0], '\0');
    t.SetData();
    KivColor c;
    t.GetMaximum(c);
    expectColor(c, 0, 0, 0);
    EXPECT_EQ(c.a, 1.0f);
    t.GetMinimum(c);
    expectColor(c, 1e38f, 1e38f, 1e38f);
    t.GetAverage(c);
    expectColor(c, 0, 0, 0);
    EXPECT_EQ(t.GetSum(), 0.0f);
}

// Channels beyond the component count are not visited; the stride is the component count.
TEST(KivFloatTexture, StatisticsFollowTheComponentCount) {
    struct Case {
        std::uint16_t components;
        KivColor max, min, avg;
        float sum;
    } cases[] = {
        {1, {3, 0, 0}, {-1, 1e38f, 1e38f}, {1, 0, 0}, 2},
        {2, {2, 3, 0}, {-1, 0, 1e38f}, {0.5f, 1.5f, 0}, 4},
        {4, {2, 3, 4}, {-1, 0, 1}, {0.5f, 1.5f, 2.5f}, 9},
    };
    const float values[8] = {-1, 0, 1, 9, 2, 3, 4, 9};
    for (const Case& c : cases) {
        KivFloatTexture t;
        t.alloc(2, 1, c.components);
        if (c.components == 1) {
            t.data[0] = -1;
            t.data[1] = 3;
        } else {
            for (int i = 0; i < 2; ++i)
                for (int k = 0; k < c.components; ++k)
                    t.data[i * c.components + k] = values[4 * i + k];
        }
        t.SetData();
        SCOPED_TRACE(c.components);
        expectColor(t.maximum, c.max.r, c.max.g, c.max.b);
        expectColor(t.minimum, c.min.r, c.min.g, c.min.b);
        expectColor(t.average, c.avg.r, c.avg.g, c.avg.b);
        EXPECT_FLOAT_EQ(t.GetSum(), c.sum);
    }
}

TEST(KivFloatTexture, CopiesOwnTheirData) {
    KivFloatTexture a;
    a.alloc(2, 1, 3);
    for (int i = 0; i < 6; ++i) a.data[i] = static_cast<float>(i);
    std::strcpy(a.name, "atlas");
    a.SetData();
    KivFloatTexture b(a);
    KivFloatTexture c;
    c.alloc(5, 5, 3);
    c = a;
    a.data[0] = 42.0f;
    for (const KivFloatTexture* t : {&b, &c}) {
        ASSERT_NE(t->data, a.data);
        EXPECT_EQ(t->data[0], 0.0f);
        EXPECT_EQ(t->data[5], 5.0f);
        EXPECT_STREQ(t->name, "atlas");
        EXPECT_EQ(t->sum, a.sum);
    }
    c = c;  // self-assignment keeps the data
    EXPECT_EQ(c.data[5], 5.0f);

    // A texture whose array belongs to someone else does not free it, and its copies own a copy.
    std::vector<float> external(6, 1.0f);
    {
        KivFloatTexture borrowed;
        borrowed.width = 2;
        borrowed.height = 1;
        borrowed.data = external.data();
        borrowed.ownsData = false;
        const KivFloatTexture copy(borrowed);
        EXPECT_TRUE(copy.ownsData);
        EXPECT_EQ(copy.data[5], 1.0f);
    }
    EXPECT_EQ(external[5], 1.0f);
}

TEST(KivFloatTexture, ReaderWithHeaderReadsSizesAndFloats) {
    KivFloatTexture t;
    std::istringstream in(modeOneStream(2, 1, 3, {1, 2, 3, 5, 6, 7}));
    in >> t;
    EXPECT_FALSE(in.fail());
    ASSERT_EQ(t.width, 2);
    EXPECT_EQ(t.height, 1);
    EXPECT_EQ(t.components, 3);
    EXPECT_EQ(t.data[4], 6.0f);
    expectColor(t.maximum, 5, 6, 7);
    expectColor(t.average, 3, 4, 5);
    EXPECT_FLOAT_EQ(t.sum, 24.0f);
}

TEST(KivFloatTexture, ReaderWithHeaderHandlesShortAndHugeStreams) {
    {  // floats missing: the rest stays 0 and the stream fails
        KivFloatTexture t;
        std::string s = modeOneStream(2, 2, 1, {4, 8});
        s.pop_back();  // the second float is incomplete
        std::istringstream in(s);
        in >> t;
        EXPECT_TRUE(in.fail());
        ASSERT_EQ(t.width, 2);
        EXPECT_EQ(t.data[0], 4.0f);
        EXPECT_EQ(t.data[1], 0.0f);
        EXPECT_EQ(t.data[3], 0.0f);
        EXPECT_FLOAT_EQ(t.average.r, 1.0f);
    }
    {  // sizes cut short: nothing is read
        KivFloatTexture t;
        std::istringstream in(std::string("\x02\x00\x02", 3));
        in >> t;
        EXPECT_TRUE(in.fail());
        EXPECT_EQ(t.width, 0);
        EXPECT_EQ(t.data, nullptr);
    }
    {  // sizes beyond the allocation limit: nothing is allocated
        KivFloatTexture t;
        std::istringstream in(modeOneStream(65535, 65535, 65535, {1}));
        kiv::readFloatTexture(in, t, 1 << 20);
        EXPECT_TRUE(in.fail());
        EXPECT_EQ(t.width, 0);
        EXPECT_EQ(t.data, nullptr);
    }
}

TEST(KivFloatTexture, ReaderWithoutHeaderTakesEveryFloat) {
    KivFloatTexture t;
    t.readerMode = 0;
    t.alloc(4, 4, 1);
    std::string s = littleEndianFloats({1, 2, 3, 4, 5});
    s += "xy";  // an incomplete float at the end is dropped
    std::istringstream in(s);
    in >> t;
    EXPECT_EQ(t.width, 0);
    EXPECT_EQ(t.height, 0);
    EXPECT_EQ(t.components, 3);
    ASSERT_EQ(t.floatCount(), 5u);
    EXPECT_EQ(t.data[4], 5.0f);
    EXPECT_EQ(t.sum, 0.0f);
    const KivFloatTexture copy(t);
    ASSERT_EQ(copy.floatCount(), 5u);
    EXPECT_EQ(copy.data[4], 5.0f);
}

TEST(KivFloatTexture, OtherReaderModesReadNothing) {
    KivFloatTexture t;
    t.readerMode = 2;
    std::istringstream in(modeOneStream(1, 1, 3, {1, 2, 3}));
    in >> t;
    EXPECT_EQ(in.tellg(), 0);
    EXPECT_EQ(t.width, 0);
}

// The probe maps direction (x, y, z) to u = x / m + 0.5, v = y / m + 0.5 with
// m = 2 sqrt(x^2 + y^2 + (z + 1)^2).
TEST(KivFloatTexture, ProbeLookupByDirection) {
    KivFloatTexture t;
    t.alloc(4, 4, 3);
    for (int i = 0; i < 48; ++i) t.data[i] = static_cast<float>(i / 3);  // texel index
    const float s = std::sqrt(0.5f);
    struct Case {
        KivVector dir;
        float texel;
    } cases[] = {
        {{0, 0, 1}, 2 * 4 + 2},    // centre of the probe
        {{1, 0, 0}, 2 * 4 + 3},    // u = 1 / (2 sqrt 2) + 0.5 = 0.85
        {{0, -1, 0}, 0 * 4 + 2},   // v = 0.15
        {{-s, 0, -s}, 2 * 4 + 0},  // u = 0.5 - 0.6533 / 1.5307... near the rim
        {{0, 0, -1}, 0 * 4 + 2},   // the singular direction: rim point at the top centre
    };
    for (const Case& c : cases) {
        KivColor out(9, 9, 9, 7);
        t.GetColor(c.dir, out);
        EXPECT_EQ(out.r, c.texel) << c.dir.x << " " << c.dir.y << " " << c.dir.z;
        EXPECT_EQ(out.a, 7.0f);
    }
}

TEST(KivFloatTexture, ProbeLookupStaysInsideShortArrays) {
    // One component per texel while the probe steps three floats: the far texels lie past the
    // array and give black; non-unit and NaN directions clamp to the edge.
    KivFloatTexture t;
    t.alloc(4, 4, 1);
    for (int i = 0; i < 16; ++i) t.data[i] = 1.0f;
    KivColor out;
    t.GetColor(KivVector(0, 0, 1), out);  // texel 10 -> floats 30..32, past 16
    expectColor(out, 0, 0, 0);
    t.GetColor(KivVector(-1, -1, 0), out);  // texel 0
    expectColor(out, 1, 1, 1);
    t.GetColor(KivVector(1e30f, -1e30f, 0), out);
    t.GetColor(KivVector(NAN, 0, 0), out);
    KivFloatTexture empty;
    empty.GetColor(KivVector(0, 0, 1), out);
    expectColor(out, 0, 0, 0);
}

TEST(KivFloatTexture, FilteredLookupUsesTheTexture) {
    KivFloatTexture t;
    t.alloc(2, 1, 3);
    const float v[6] = {1, 2, 3, 5, 6, 7};
    std::memcpy(t.data, v, sizeof(v));
    KivColor out;
    t.GetColor(0.75f, 0.5f, out, 0, 0, 0);
    expectColor(out, 5, 6, 7);
    t.GetColor(0.5f, 0.5f, out, 1, 0, 0);  // halfway between the two texel centres
    expectColor(out, 3, 4, 5);
    t.GetColor(0.0f, 0.0f, out, 0, 1, 1);
    expectColor(out, 3, 4, 5);
    EXPECT_EQ(t.filter.floatData, nullptr);  // the filter keeps no pointer after the lookup
}

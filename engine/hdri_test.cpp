#include "engine/hdri.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kFixtures = std::string(KIV_SOURCE_DIR) + "/tests/data/hdr/";

std::string readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

KivHDRI readString(const std::string& bytes, kiv::RgbeReadResult* result = nullptr) {
    KivHDRI image;
    std::istringstream in(bytes);
    const auto r = kiv::readRgbe(in, image, kiv::kMaxImageFloats);
    if (result) *result = r;
    return image;
}

std::string writeString(const KivHDRI& image) {
    std::ostringstream out;
    out << image;
    return out.str();
}

const float* texelAt(const KivHDRI& image, int x, int y) {
    return image.data + (static_cast<std::size_t>(y) * image.width + x) * 3;
}

// Value of a texel (R, G, B, E) as the reader gives it.
float decoded(int mantissa, int exponent) {
    return exponent == 0 ? 0.0f : std::ldexp(1.0f / 256.0f, exponent - 128) * (mantissa + 0.5f);
}

// The floats the fixtures written by other programs were made from (make_tool_fixtures.sh).
float knownValue(int x, int y, int c, int width) {
    if (x < width / 2) return (c == 0 ? 0.75f : c == 1 ? 0.5f : 0.25f) * static_cast<float>(y + 1);
    return 0.125f * static_cast<float>((x + 1) * (c + 1)) + static_cast<float>(y);
}

// RGBE keeps one 8-bit mantissa per channel under the texel's largest exponent: a channel is
// off by at most one mantissa step of the largest channel (1/128 of it), plus the reader's
// half-step offset.
void expectWithinQuantisation(const float* got, const float* want, const std::string& where) {
    const float largest = std::max({want[0], want[1], want[2]});
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(got[c], want[c], largest / 128.0f + 1e-30f) << where << " channel " << c;
    }
}

}  // namespace

TEST(RgbeReader, FormatLineAcceptsEqualsSignOrBlank) {
    struct Case {
        const char* line;
        int format;
    } cases[] = {
        {"FORMAT=32-bit_rle_rgbe", 0},
        {"FORMAT 32-bit_rle_rgbe", 0},
        {"FORMAT=32-bit_rle_xyze", 1},
        {"FORMAT 32-bit_rle_xyze", 1},
        {"FORMAT=32-bit_rle_rgbeX", 7},
        {"FORMAT", 7},
        {"FORMAT=", 7},
    };
    for (const Case& c : cases) {
        KivHDRI image;
        image.format = 7;  // an unrecognised value leaves the format as it was
        std::istringstream in(std::string(c.line) + "\n\n-Y 0 +X 0\n");
        kiv::readRgbe(in, image, kiv::kMaxImageFloats);
        EXPECT_EQ(image.format, c.format) << c.line;
    }
}

TEST(RgbeReader, ResolutionLineSetsSizesAndFlips) {
    struct Case {
        const char* line;
        int width, height, xFlip, yFlip;
    } cases[] = {
        {"+Y 10 -X 20", 20, 10, 1, 0},
        {"-Y 3 +X 4", 4, 3, 0, 1},
        {"-y 3 -x 4", 4, 3, 1, 1},
        {"+Y  2   +X 1", 1, 2, 0, 0},
    };
    for (const Case& c : cases) {
        const KivHDRI image = readString("#?RADIANCE\n\n" + std::string(c.line) + "\n");
        EXPECT_EQ(image.width, c.width) << c.line;
        EXPECT_EQ(image.height, c.height) << c.line;
        EXPECT_EQ(image.xFlip, c.xFlip) << c.line;
        EXPECT_EQ(image.yFlip, c.yFlip) << c.line;
    }
}

TEST(RgbeReader, HeaderQuirksOfRealFiles) {
    const KivHDRI image = readString(readBytes(kFixtures + "header_quirks.hdr"));
    // Repeated EXPOSURE lines multiply; the indented one belongs to an earlier program's
    // header and is ignored.
    EXPECT_FLOAT_EQ(image.exposure, 1.25f);
    EXPECT_FLOAT_EQ(image.colorCorrection, 0.9f);
    EXPECT_FLOAT_EQ(image.pixelAspect, 1.25f);
    EXPECT_EQ(image.format, 0);
    ASSERT_EQ(image.width, 8);
    ASSERT_EQ(image.height, 2);
    EXPECT_FLOAT_EQ(texelAt(image, 3, 1)[0], decoded(131, 129));
    // Values are stored, never applied to the texels.
    EXPECT_FLOAT_EQ(texelAt(image, 0, 0)[1], decoded(64, 129));
}

// Every fixture, valid or broken, against its expected outcome; the rows past the last one
// read must be black.
TEST(RgbeReader, FixturesGiveTheirExpectedOutcome) {
    std::ifstream manifest(kFixtures + "expected.txt");
    ASSERT_TRUE(manifest) << "missing expected.txt";
    std::string line;
    int files = 0;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name;
        int width, height, rows, complete, format, xFlip, yFlip;
        float exposure;
        ASSERT_TRUE(fields >> name >> width >> height >> rows >> complete >> format >> xFlip >>
                    yFlip >> exposure)
            << line;
        const std::string bytes = readBytes(kFixtures + name);
        ASSERT_FALSE(bytes.empty()) << name;
        KivHDRI image;
        std::istringstream in(bytes);
        const auto result = kiv::readRgbe(in, image, kiv::kMaxImageFloats);
        EXPECT_EQ(image.width, width) << name;
        EXPECT_EQ(image.height, height) << name;
        EXPECT_EQ(result.rowsRead, rows) << name;
        EXPECT_EQ(result.complete, complete != 0) << name;
        EXPECT_EQ(in.fail(), complete == 0) << name;
        EXPECT_EQ(image.format, format) << name;
        EXPECT_EQ(image.xFlip, xFlip) << name;
        EXPECT_EQ(image.yFlip, yFlip) << name;
        EXPECT_FLOAT_EQ(image.exposure, exposure) << name;
        EXPECT_EQ(image.data != nullptr, width * height > 0) << name;
        for (int y = rows; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const float* t = texelAt(image, x, y);
                EXPECT_TRUE(t[0] == 0.0f && t[1] == 0.0f && t[2] == 0.0f)
                    << name << " unread texel " << x << "," << y;
            }
        }
        for (int y = 0; y < rows; ++y) {
            EXPECT_GT(texelAt(image, image.width - 1, y)[0], 0.0f) << name << " row " << y;
        }
        ++files;
    }
    EXPECT_GE(files, 20);
}

TEST(RgbeReader, DecodesEveryScanlineForm) {
    // Run-length form with literals: texel (x, y) = (128 + x, 64 + y, 32 + x + y, 129).
    const KivHDRI rle = readString(readBytes(kFixtures + "small_rle.hdr"));
    ASSERT_EQ(rle.width * rle.height, 24);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 8; ++x) {
            const float* t = texelAt(rle, x, y);
            EXPECT_EQ(t[0], decoded(128 + x, 129));
            EXPECT_EQ(t[1], decoded(64 + y, 129));
            EXPECT_EQ(t[2], decoded(32 + x + y, 129));
        }
    }
    // Runs, one of them crossing from the blue plane into the exponents.
    const KivHDRI runs = readString(readBytes(kFixtures + "runs.hdr"));
    ASSERT_EQ(runs.width, 16);
    EXPECT_EQ(texelAt(runs, 15, 0)[2], decoded(50, 130));
    EXPECT_EQ(texelAt(runs, 15, 1)[2], decoded(130, 130));
    EXPECT_EQ(texelAt(runs, 0, 1)[0], decoded(200, 130));
    // Flat texels, then the old run form: row 1 is t0 x4, t4 x6.
    const KivHDRI old = readString(readBytes(kFixtures + "old_rle.hdr"));
    ASSERT_EQ(old.width, 10);
    EXPECT_EQ(texelAt(old, 9, 0)[0], decoded(137, 129));
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(texelAt(old, x, 1)[0], decoded(x < 4 ? 128 : 132, 129)) << x;
    }
    // Consecutive run markers shift: 1 + 4 + (1 << 8) copies of texel 0, then texel 9.
    const KivHDRI shifted = readString(readBytes(kFixtures + "old_rle_shift.hdr"));
    ASSERT_EQ(shifted.width, 262);
    EXPECT_EQ(texelAt(shifted, 260, 0)[0], decoded(128, 129));
    EXPECT_EQ(texelAt(shifted, 261, 0)[0], decoded(137, 129));
}

TEST(RgbeReader, ReadsFilesOfOtherWriters) {
    for (const char* name :
         {"oiio_5x3.hdr", "oiio_40x2.hdr", "imagick_5x3.hdr", "imagick_40x2.hdr"}) {
        const KivHDRI image = readString(readBytes(kFixtures + name));
        ASSERT_GT(image.width * image.height, 0) << name;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                float want[3];
                for (int c = 0; c < 3; ++c) want[c] = knownValue(x, y, c, image.width);
                expectWithinQuantisation(
                    texelAt(image, x, y), want,
                    std::string(name) + " " + std::to_string(x) + "," + std::to_string(y));
            }
        }
    }
}

TEST(RgbeReader, OtherReadModesLeaveStreamAndImageAlone) {
    KivHDRI image;
    image.readMode = 2;
    image.alloc(1, 1, 3);
    std::istringstream in(readBytes(kFixtures + "small_rle.hdr"));
    in >> image;
    EXPECT_EQ(in.tellg(), 0);
    EXPECT_EQ(image.width, 1);
    image.readMode = 1;
    in >> image;
    EXPECT_EQ(image.width, 8);
}

TEST(RgbeWriter, WritesTheHeaderLinesReadersExpect) {
    KivHDRI image;
    image.alloc(300, 2, 3);
    std::fill(image.data, image.data + 300 * 2 * 3, 0.5f);
    const std::string standard = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1\n\n-Y 2 +X 300\n";
    EXPECT_EQ(writeString(image).substr(0, standard.size()), standard);
    image.format = 1;
    image.exposure = 0.3f;
    image.xFlip = 1;
    image.yFlip = 0;
    const std::string changed = "#?RADIANCE\nFORMAT=32-bit_rle_xyze\nEXPOSURE=0.3\n\n+Y 2 -X 300\n";
    EXPECT_EQ(writeString(image).substr(0, changed.size()), changed);
}

TEST(RgbeWriter, CutsEachPlaneIntoLiteralPacketsOf128) {
    KivHDRI image;
    image.alloc(300, 1, 3);
    for (int x = 0; x < 300; ++x) {
        image.data[3 * x] = 1.0f;  // (128, m, m, 129) for every texel
        image.data[3 * x + 1] = 0.5f;
        image.data[3 * x + 2] = 0.25f;
    }
    const std::string file = writeString(image);
    const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1\n\n-Y 1 +X 300\n";
    ASSERT_EQ(file.size(), header.size() + 4 + 4 * (3 + 300));
    const auto* p = reinterpret_cast<const unsigned char*>(file.data() + header.size());
    EXPECT_EQ(p[0], 2);
    EXPECT_EQ(p[1], 2);
    EXPECT_EQ(p[2] * 256 + p[3], 300);
    p += 4;
    const int planeByte[4] = {128, 64, 32, 129};
    for (int plane = 0; plane < 4; ++plane) {
        for (int packet : {128, 128, 44}) {
            ASSERT_EQ(*p++, packet) << "plane " << plane;
            for (int i = 0; i < packet; ++i) ASSERT_EQ(*p++, planeByte[plane]) << plane;
        }
    }
}

TEST(RgbeWriter, BlackAndOutOfRangeTexels) {
    KivHDRI image;
    image.alloc(8, 1, 3);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[8][3] = {
        {0, 0, 0},   {1e-8f, 1e-9f, 0}, {-1, -2, -3}, {nan, 1, 0},
        {inf, 0, 0}, {3e38f, 1, 0},     {1, 2, 4},    {0, 0, 1e-7f},
    };
    std::memcpy(image.data, values, sizeof(values));
    const std::string file = writeString(image);
    const auto* p = reinterpret_cast<const unsigned char*>(file.data() + file.size() - 4 * (1 + 8));
    // Black and tiny texels are four zero bytes.
    for (int plane = 0; plane < 4; ++plane) {
        EXPECT_EQ(p[1 + 9 * plane + 0], 0);
        EXPECT_EQ(p[1 + 9 * plane + 1], 0);
        EXPECT_EQ(p[1 + 9 * plane + 2], 0);
    }
    const KivHDRI back = readString(file);
    ASSERT_EQ(back.width, 8);
    EXPECT_EQ(texelAt(back, 0, 0)[0], 0.0f);
    EXPECT_EQ(texelAt(back, 2, 0)[2], 0.0f);
    EXPECT_NEAR(texelAt(back, 3, 0)[1], 1.0f, 1.0f / 128);  // NaN counts as 0
    EXPECT_EQ(texelAt(back, 3, 0)[0], decoded(0, 129));
    // Infinity and values beyond the largest exponent saturate.
    EXPECT_EQ(texelAt(back, 4, 0)[0], decoded(255, 255));
    EXPECT_EQ(texelAt(back, 5, 0)[0], decoded(255, 255));
    EXPECT_NEAR(texelAt(back, 6, 0)[2], 4.0f, 4.0f / 128);
}

// What the writer writes, the reader reads back with the same sizes and flips, each channel
// within the quantisation; all scanline widths (flat below 8 and above 32767).
TEST(RgbeWriter, RoundTripsThroughTheReader) {
    for (int width : {1, 5, 7, 8, 129, 300, 32767, 32768, 40000}) {
        const int height = width > 1000 ? 1 : 3;
        KivHDRI image;
        image.alloc(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 3);
        for (int i = 0; i < width * height * 3; ++i) {
            image.data[i] = std::ldexp(static_cast<float>(i % 97 + 1) / 97.0f, i % 13 - 6);
        }
        image.data[0] = image.data[1] = image.data[2] = 0.0f;
        image.xFlip = 1;
        image.yFlip = 0;
        image.exposure = 2.0f;
        const std::string file = writeString(image);
        kiv::RgbeReadResult result;
        const KivHDRI back = readString(file, &result);
        ASSERT_TRUE(result.complete) << width;
        ASSERT_EQ(back.width, width);
        ASSERT_EQ(back.height, height);
        EXPECT_EQ(back.xFlip, 1);
        EXPECT_EQ(back.yFlip, 0);
        EXPECT_EQ(back.exposure, 2.0f);
        EXPECT_EQ(back.data[0], 0.0f);
        for (int i = 0; i < width * height; ++i) {
            expectWithinQuantisation(
                back.data + 3 * i, image.data + 3 * i,
                "width " + std::to_string(width) + " texel " + std::to_string(i));
            if (HasFailure()) return;
        }
    }
}

TEST(RgbeWriter, WriteRgbeFileWritesARadianceFile) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kiv_atlas_" + std::to_string(::getpid()) + ".hdr");
    const float rgb[2 * 3 * 3] = {1, 2, 3, 4, 5, 6, 0, 0, 0, 7, 8, 9, 0.5f, 0.25f, 0.125f, 1, 1, 1};
    ASSERT_TRUE(kiv::writeRgbeFile(path.c_str(), rgb, 3, 2));
    const KivHDRI back = readString(readBytes(path));
    std::filesystem::remove(path);
    ASSERT_EQ(back.width, 3);
    ASSERT_EQ(back.height, 2);
    EXPECT_EQ(back.yFlip, 1);
    EXPECT_EQ(back.xFlip, 0);
    for (int i = 0; i < 6; ++i) expectWithinQuantisation(back.data + 3 * i, rgb + 3 * i, "atlas");

    EXPECT_FALSE(kiv::writeRgbeFile(nullptr, rgb, 3, 2));
    EXPECT_FALSE(kiv::writeRgbeFile(path.c_str(), nullptr, 3, 2));
    EXPECT_FALSE(kiv::writeRgbeFile(path.c_str(), rgb, 0, 2));
    EXPECT_FALSE(kiv::writeRgbeFile(path.c_str(), rgb, 70000, 1));
    EXPECT_FALSE(kiv::writeRgbeFile("/nonexistent-dir/atlas.hdr", rgb, 3, 2));
}

TEST(KivHDRI, InitKeepsTheBaseReaderModeAndResetsTheImageFields) {
    KivHDRI image;
    EXPECT_EQ(image.readerMode, 1);
    EXPECT_EQ(image.components, 3);
    image.readerMode = 0;
    image.readMode = 5;
    image.format = 1;
    image.exposure = 3.0f;
    image.xFlip = 1;
    image.yFlip = 0;
    image.alloc(2, 2, 3);
    image.init();
    EXPECT_EQ(image.readerMode, 0);
    EXPECT_EQ(image.readMode, 0);
    EXPECT_EQ(image.format, 0);
    EXPECT_EQ(image.exposure, 1.0f);
    EXPECT_EQ(image.xFlip, 0);
    EXPECT_EQ(image.yFlip, 1);
    EXPECT_EQ(image.data, nullptr);
    EXPECT_EQ(image.width, 0);
}

// Cross-checks of the RGBE reader and writer against independent implementations: OpenImageIO
// (oiiotool, iinfo, idiff) and ImageMagick's HDRI build. Known floats travel as PFM files,
// which both tools read and write without touching the values. A test skips, saying which
// tool is missing, only when the tool or the real images are not installed (scripts/setup.sh
// installs them).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/hdri.h"

namespace fs = std::filesystem;

namespace {

const char* const kImageMagick = "convert-im6.q16hdri";
const char* const kRealImages[] = {
    "/usr/share/qtcreator/qml/qmlpuppet/mockfiles/images/preview_studio.hdr",
    "/usr/share/qtcreator/qml/qmlpuppet/mockfiles/images/preview_landscape.hdr",
};

bool haveTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_TOOL(tool)                                                                   \
    do {                                                                                     \
        if (!haveTool(tool)) GTEST_SKIP() << tool << " is not installed (scripts/setup.sh)"; \
    } while (0)

// A scratch directory per test, removed at the end.
class ScratchDir {
  public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                ("kiv_hdr_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string capture(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

struct FloatImage {
    int width = 0, height = 0;
    std::vector<float> rgb;  // rows top to bottom
    const float* at(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

// PFM: "PF", the size, a negative scale for little-endian floats, rows bottom to top.
void writePfm(const std::string& path, const FloatImage& im) {
    std::ofstream f(path, std::ios::binary);
    f << "PF\n" << im.width << ' ' << im.height << "\n-1.0\n";
    for (int y = im.height - 1; y >= 0; --y) {
        f.write(reinterpret_cast<const char*>(im.at(0, y)), std::streamsize(im.width) * 12);
    }
}

bool readPfm(const std::string& path, FloatImage& im) {
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    float scale = 0;
    if (!(f >> magic >> im.width >> im.height >> scale) || magic != "PF" || scale >= 0)
        return false;
    f.get();
    im.rgb.assign(std::size_t(im.width) * im.height * 3, 0.0f);
    for (int y = im.height - 1; y >= 0; --y) {
        f.read(reinterpret_cast<char*>(&im.rgb[std::size_t(y) * im.width * 3]),
               std::streamsize(im.width) * 12);
    }
    return bool(f);
}

// OpenImageIO writes no PFM here, so its values come from the text dump of oiiotool
// ("Pixel (x, y): r g b", nine decimals) and the size from its first line.
bool dumpWithOiio(const std::string& path, FloatImage& im) {
    const std::string dump = capture("oiiotool --dumpdata " + path);
    std::istringstream lines(dump);
    std::string line;
    if (!std::getline(lines, line)) return false;
    const std::size_t colon = line.find(" : ");
    if (colon == std::string::npos ||
        std::sscanf(line.c_str() + colon + 3, "%d x %d", &im.width, &im.height) != 2) {
        return false;
    }
    im.rgb.assign(std::size_t(im.width) * im.height * 3, -1.0f);
    std::size_t pixels = 0;
    while (std::getline(lines, line)) {
        int x, y;
        float r, g, b;
        if (std::sscanf(line.c_str(), " Pixel (%d, %d): %f %f %f", &x, &y, &r, &g, &b) == 5 &&
            x >= 0 && x < im.width && y >= 0 && y < im.height) {
            float* p = &im.rgb[(std::size_t(y) * im.width + x) * 3];
            p[0] = r, p[1] = g, p[2] = b;
            ++pixels;
        }
    }
    return pixels == std::size_t(im.width) * im.height;
}

KivHDRI readOurs(const std::string& path) {
    KivHDRI image;
    std::ifstream f(path, std::ios::binary);
    f >> image;
    return image;
}

void writeOurs(const std::string& path, const FloatImage& im) {
    ASSERT_TRUE(kiv::writeRgbeFile(path.c_str(), im.rgb.data(), im.width, im.height)) << path;
}

// Distinct values over several binary orders of magnitude, with flat stretches that writers
// code as runs, some black texels and channels far below their texel's largest one.
FloatImage knownImage(int width, int height) {
    FloatImage im;
    im.width = width;
    im.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int i = y * width + x;
            if (x < width / 3) {
                im.rgb.insert(im.rgb.end(), {0.75f * (y + 1), 0.5f, 0.25f});
            } else if (i % 17 == 0) {
                im.rgb.insert(im.rgb.end(), {0.0f, 0.0f, 0.0f});
            } else {
                const float base = std::ldexp(1.0f + float(i % 89) / 89.0f, i % 15 - 5);
                im.rgb.insert(im.rgb.end(), {base, base * 0.3f, base * float(i % 7) / 6.0f});
            }
        }
    }
    return im;
}

// One mantissa step of the texel's largest channel (1/128 of it at most), the quantisation
// that RGBE allows whichever side rounds.
void expectSameImage(const FloatImage& got, const FloatImage& want, const std::string& what) {
    ASSERT_EQ(got.width, want.width) << what;
    ASSERT_EQ(got.height, want.height) << what;
    for (int y = 0; y < want.height; ++y) {
        for (int x = 0; x < want.width; ++x) {
            const float* g = got.at(x, y);
            const float* w = want.at(x, y);
            const float step = std::max({w[0], w[1], w[2]}) / 128.0f;
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(g[c], w[c], step)
                    << what << " texel " << x << "," << y << " channel " << c;
            }
        }
    }
}

FloatImage fromHdri(const KivHDRI& image) {
    FloatImage im;
    im.width = image.width;
    im.height = image.height;
    if (image.data)
        im.rgb.assign(image.data, image.data + std::size_t(image.width) * image.height * 3);
    return im;
}

// Flat, run-length, and flat because wider than 32767 (ImageMagick's policy stops at 16K).
const int kSizes[][2] = {{5, 3}, {300, 4}, {33000, 1}};
bool toolTakesSize(const std::string& tool, const int size[2]) {
    return tool != kImageMagick || size[0] <= 16000;
}

}  // namespace

TEST(RgbeCrossCheck, OpenImageIOReadsOurFiles) {
    REQUIRE_TOOL("oiiotool");
    ScratchDir dir;
    for (const auto& size : kSizes) {
        const FloatImage known = knownImage(size[0], size[1]);
        writeOurs(dir / "ours.hdr", known);
        FloatImage theirs;
        ASSERT_TRUE(dumpWithOiio(dir / "ours.hdr", theirs)) << size[0];
        expectSameImage(theirs, known, "oiiotool width " + std::to_string(size[0]));
    }
}

TEST(RgbeCrossCheck, ImageMagickReadsOurFiles) {
    REQUIRE_TOOL(kImageMagick);
    ScratchDir dir;
    for (const auto& size : kSizes) {
        if (!toolTakesSize(kImageMagick, size)) continue;
        const FloatImage known = knownImage(size[0], size[1]);
        writeOurs(dir / "ours.hdr", known);
        // -strip: no comment line in the PFM header; -endian LSB: the PFM that readPfm takes.
        ASSERT_EQ(run(std::string(kImageMagick) + " " + dir / "ours.hdr" + " -strip -endian LSB " +
                      dir / "theirs.pfm"),
                  0);
        FloatImage theirs;
        ASSERT_TRUE(readPfm(dir / "theirs.pfm", theirs));
        expectSameImage(theirs, known, "ImageMagick width " + std::to_string(size[0]));
    }
}

TEST(RgbeCrossCheck, WeReadTheirFiles) {
    ScratchDir dir;
    int tools = 0;
    for (const std::string& tool : {std::string("oiiotool"), std::string(kImageMagick)}) {
        if (!haveTool(tool)) continue;
        ++tools;
        for (const auto& size : kSizes) {
            if (!toolTakesSize(tool, size)) continue;
            const FloatImage known = knownImage(size[0], size[1]);
            writePfm(dir / "known.pfm", known);
            const std::string out = dir / "theirs.hdr";
            const std::string command = tool == "oiiotool"
                                            ? "oiiotool " + dir / "known.pfm" + " -o " + out
                                            : tool + " " + dir / "known.pfm" + " " + out;
            ASSERT_EQ(run(command), 0) << command;
            const KivHDRI ours = readOurs(out);
            expectSameImage(fromHdri(ours), known, tool + " width " + std::to_string(size[0]));
        }
    }
    if (tools == 0) GTEST_SKIP() << "neither oiiotool nor " << kImageMagick << " is installed";
}

// A file of theirs read by us and written again is the same image to their comparison tool.
TEST(RgbeCrossCheck, RewrittenFilesCompareEqualWithIdiff) {
    REQUIRE_TOOL("oiiotool");
    REQUIRE_TOOL("idiff");
    ScratchDir dir;
    const FloatImage known = knownImage(300, 4);
    writePfm(dir / "known.pfm", known);
    ASSERT_EQ(run("oiiotool " + dir / "known.pfm" + " -o " + dir / "theirs.hdr"), 0);
    const FloatImage ours = fromHdri(readOurs(dir / "theirs.hdr"));
    writeOurs(dir / "ours.hdr", ours);
    EXPECT_EQ(run("idiff -fail 0 -warn 0 " + dir / "theirs.hdr" + " " + dir / "ours.hdr"), 0);
}

// The real probes: sizes and statistics against OpenImageIO's statistics, every texel
// against its decoding. Our reader adds half a mantissa step, which is the same amount on
// all three channels of a texel.
TEST(RgbeCrossCheck, RealImagesMatchAnIndependentReader) {
    REQUIRE_TOOL("oiiotool");
    REQUIRE_TOOL("iinfo");
    ScratchDir dir;
    int images = 0;
    for (const char* path : kRealImages) {
        if (!fs::exists(path)) continue;
        ++images;
        const KivHDRI ours = readOurs(path);
        ASSERT_EQ(ours.width, 256) << path;
        ASSERT_EQ(ours.height, 128) << path;

        FloatImage theirs;
        ASSERT_TRUE(dumpWithOiio(path, theirs)) << path;
        ASSERT_EQ(theirs.width, 256);
        ASSERT_EQ(theirs.height, 128);
        const FloatImage mine = fromHdri(ours);
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 256; ++x) {
                const float* a = mine.at(x, y);
                const float* b = theirs.at(x, y);
                const float half = a[0] - b[0];
                ASSERT_GE(half, -1e-9f) << path << " " << x << "," << y;
                ASSERT_LE(half, std::max({a[0], a[1], a[2]})) << path << " " << x << "," << y;
                for (int c = 1; c < 3; ++c) {
                    // The dump rounds to nine decimals.
                    ASSERT_NEAR(a[c] - b[c], half, 2e-9f + half * 1e-3f)
                        << path << " " << x << "," << y;
                }
            }
        }

        const std::string info = capture(std::string("iinfo -v --stats ") + path);
        ASSERT_NE(info.find("256 x  128"), std::string::npos) << info;
        auto stat = [&](const char* key, float out[3]) {
            const std::size_t at = info.find(key);
            ASSERT_NE(at, std::string::npos) << key << "\n" << info;
            ASSERT_EQ(std::sscanf(info.c_str() + at + std::strlen(key), "%f %f %f", &out[0],
                                  &out[1], &out[2]),
                      3);
        };
        float min[3], max[3], avg[3];
        stat("Stats Min:", min);
        stat("Stats Max:", max);
        stat("Stats Avg:", avg);
        const float ourMin[3] = {ours.minimum.r, ours.minimum.g, ours.minimum.b};
        const float ourMax[3] = {ours.maximum.r, ours.maximum.g, ours.maximum.b};
        const float ourAvg[3] = {ours.average.r, ours.average.g, ours.average.b};
        const float avgSum = avg[0] + avg[1] + avg[2];
        for (int c = 0; c < 3; ++c) {
            // iinfo prints six decimals; the half step is at most 1/256 of a texel's value.
            EXPECT_NEAR(ourMin[c], min[c], 1e-6f + min[c] / 64) << path << " min " << c;
            EXPECT_NEAR(ourMax[c], max[c], 1e-6f + max[c] / 64) << path << " max " << c;
            EXPECT_GE(ourAvg[c], avg[c] - 1e-6f) << path << " avg " << c;
            EXPECT_LE(ourAvg[c], avg[c] + avgSum / 128) << path << " avg " << c;
        }
        const float sum = ours.sum;
        EXPECT_NEAR(sum, (ourAvg[0] + ourAvg[1] + ourAvg[2]) * 256 * 128, sum * 1e-5f);
    }
    if (images == 0) GTEST_SKIP() << "qtcreator-data's preview images are not installed";
}

// Deterministic mutation runs over real and fixture images: truncations, byte changes,
// insertions and deletions. Every corrupted copy must read without fault (the sanitizer
// builds check the memory accesses), keep its sizes consistent with its data, keep the rows
// read before the fault and leave the rest black.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/hdri.h"

namespace {

const std::string kFixtures = std::string(KIV_SOURCE_DIR) + "/tests/data/hdr/";
const char* const kRealImages[] = {
    "/usr/share/qtcreator/qml/qmlpuppet/mockfiles/images/preview_studio.hdr",
    "/usr/share/qtcreator/qml/qmlpuppet/mockfiles/images/preview_landscape.hdr",
};
// Mutated headers can claim any size; keep each read small.
constexpr std::size_t kMutationLimit = std::size_t{1} << 22;

std::string readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

struct Read {
    KivHDRI image;
    kiv::RgbeReadResult result;
};

void read(const std::string& bytes, Read& r) {
    std::istringstream in(bytes);
    r.image.init();
    r.result = kiv::readRgbe(in, r.image, kMutationLimit);
}

// Checks that hold for any input; `where` names the mutation.
void checkInvariants(const Read& r, const std::string& where) {
    const KivHDRI& im = r.image;
    const std::size_t texels = std::size_t{im.width} * im.height;
    ASSERT_EQ(im.data != nullptr, texels > 0) << where;
    ASSERT_LE(r.result.rowsRead, im.height) << where;
    for (std::size_t i = 0; i < 3 * texels; ++i) {
        const float v = im.data[i];
        ASSERT_TRUE(std::isfinite(v) && v >= 0.0f) << where << " value " << i;
        if (i / (3 * std::size_t{im.width}) >= static_cast<std::size_t>(r.result.rowsRead)) {
            ASSERT_EQ(v, 0.0f) << where << " unread value " << i;
        }
    }
    ASSERT_FALSE(std::isnan(im.sum)) << where;  // float sums of huge texels may overflow
}

// The files each mutation run starts from: the real images when installed, and fixtures.
std::vector<std::pair<std::string, std::string>> corpus(bool withReal) {
    std::vector<std::pair<std::string, std::string>> files;
    if (withReal) {
        for (const char* path : kRealImages) {
            if (std::filesystem::exists(path)) files.emplace_back(path, readBytes(path));
        }
    }
    for (const char* name : {"small_rle.hdr", "runs.hdr", "old_rle.hdr", "old_rle_shift.hdr",
                             "header_quirks.hdr", "oiio_5x3.hdr", "imagick_40x2.hdr"}) {
        files.emplace_back(name, readBytes(kFixtures + name));
    }
    return files;
}

}  // namespace

// A cut anywhere in the pixel data keeps exactly the complete rows before it.
TEST(RgbeMutation, TruncatedCopiesKeepTheRowsBeforeTheCut) {
    std::mt19937 rng(20240611);
    for (const auto& [name, bytes] : corpus(true)) {
        Read original;
        read(bytes, original);
        ASSERT_TRUE(original.result.complete) << name;
        const std::size_t rowFloats = 3 * std::size_t{original.image.width};
        const int cuts = bytes.size() > 10000 ? 60 : 200;
        for (int k = 0; k < cuts; ++k) {
            const std::size_t cut = rng() % bytes.size();
            Read r;
            read(bytes.substr(0, cut), r);
            const std::string where = name + " cut at " + std::to_string(cut);
            checkInvariants(r, where);
            if (r.image.width != original.image.width || r.image.height != original.image.height) {
                continue;  // the cut fell into the header
            }
            ASSERT_FALSE(r.result.complete) << where;
            ASSERT_EQ(0, std::memcmp(r.image.data, original.image.data,
                                     rowFloats * r.result.rowsRead * sizeof(float)))
                << where;
        }
    }
}

TEST(RgbeMutation, CorruptedCopiesReadSafely) {
    std::mt19937 rng(7);
    const unsigned char interesting[] = {0, 1, 2, 127, 128, 129, 255};
    for (const auto& [name, bytes] : corpus(true)) {
        const int copies = bytes.size() > 10000 ? 150 : 400;
        const std::size_t headerEnd = bytes.find("\n\n") + 2;
        for (int k = 0; k < copies; ++k) {
            std::string m = bytes;
            const int edits = 1 + static_cast<int>(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                // Half of the edits go near the start, where header, resolution line and the
                // first scanline prefixes are.
                const std::size_t span =
                    (rng() % 2) ? std::min(m.size(), headerEnd + 64) : m.size();
                const std::size_t at = rng() % span;
                const unsigned char value = (rng() % 2) ? interesting[rng() % sizeof(interesting)]
                                                        : static_cast<unsigned char>(rng());
                switch (rng() % 4) {
                    case 0:
                        m.insert(m.begin() + static_cast<std::ptrdiff_t>(at),
                                 static_cast<char>(value));
                        break;
                    case 1:
                        m.erase(at, 1 + rng() % 4);
                        break;
                    default:
                        m[at] = static_cast<char>(value);
                        break;
                }
                if (m.empty()) m = "x";
            }
            Read r;
            read(m, r);
            checkInvariants(r, name + " copy " + std::to_string(k));
        }
    }
}

TEST(FloatTextureMutation, CorruptedStreamsReadSafely) {
    // A mode-1 stream of a small image, then mutated copies read in both modes.
    std::string stream = {5, 0, 3, 0, 3, 0};
    stream += std::string(256, '\0');
    for (int i = 0; i < 45; ++i) {
        const float f = static_cast<float>(i) * 0.25f;
        char b[4];
        std::memcpy(b, &f, 4);
        stream.append(b, 4);
    }
    std::mt19937 rng(99);
    for (int k = 0; k < 500; ++k) {
        std::string m = stream;
        if (k % 3 == 0) {
            m.resize(rng() % m.size());
        } else {
            for (int e = 0; e < 1 + static_cast<int>(rng() % 4); ++e) {
                m[rng() % (k % 2 ? 6 : m.size())] = static_cast<char>(rng());
            }
        }
        for (int mode : {0, 1}) {
            KivFloatTexture t;
            t.readerMode = mode;
            std::istringstream in(m);
            kiv::readFloatTexture(in, t, kMutationLimit);
            const std::size_t n = t.floatCount();
            ASSERT_EQ(t.data != nullptr, n > 0) << k;
            if (mode == 1) {
                ASSERT_EQ(n, std::size_t{t.width} * t.height * t.components) << k;
            } else {
                ASSERT_EQ(n, m.size() / 4) << k;
            }
            // Read every float so that the sanitizers see the whole array.
            volatile float sink = 0.0f;
            for (std::size_t i = 0; i < n; ++i) sink = t.data[i];
            (void)sink;
        }
    }
}

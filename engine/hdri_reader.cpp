// Radiance RGBE reader.
//
// Three scanline forms exist in real files and all are read:
//  - the run-length form: bytes 2, 2, then the scanline length as a big-endian 16-bit value,
//    then the red, green, blue and exponent planes run-length coded as one byte stream;
//  - the flat form: four bytes (R, G, B, E) per texel, which standard writers use for
//    scanlines narrower than 8 or wider than 32767 texels;
//  - the old run-length form: flat texels, where a texel (1, 1, 1, n) repeats the previous
//    texel n times, and consecutive such texels shift their counts by 8 more bits each.
// A scanline that cannot be decoded (end of file, a count byte of 0, a run past the end of
// the scanline, a length that is not the image width) ends the read: the rows already read
// are kept, the rest stays black, and the stream is marked failed.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <new>
#include <string>
#include <vector>

#include "engine/hdri.h"

namespace {

// Header lines are cut at this length; the rest of a longer line is discarded.
constexpr std::size_t kMaxHeaderLine = 256;
// Scanlines of lengths in this range are run-length coded by standard writers.
constexpr int kMinRunLengthWidth = 8;
constexpr int kMaxRunLengthWidth = 0x7fff;

// Reads one line without its newline (and without a trailing carriage return). Returns false
// when the stream ends before any character of the line.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    if (!in) return false;
    std::streambuf* sb = in.rdbuf();
    bool any = false;
    for (;;) {
        const auto c = sb->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            if (!any) in.setstate(std::ios::failbit);
            break;
        }
        any = true;
        if (c == '\n') break;
        if (line.size() < kMaxHeaderLine) line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

bool startsWith(const std::string& line, const char* prefix) {
    return line.compare(0, std::strlen(prefix), prefix) == 0;
}

// Parses a number after `prefix` as "%f" would: leading blanks and a '+' are allowed, and
// anything after the number is ignored. Leaves `value` alone when there is no number.
bool scanFloat(const std::string& line, const char* prefix, float& value) {
    const std::size_t n = std::strlen(prefix);
    if (line.compare(0, n, prefix) != 0) return false;
    const char* p = line.data() + n;
    const char* end = line.data() + line.size();
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && *p == '+') ++p;
    float parsed = 0.0f;
    const auto r = std::from_chars(p, end, parsed);
    if (r.ec != std::errc()) return false;
    value = parsed;
    return true;
}

void readHeader(std::istream& in, KivHDRI& image) {
    std::string line;
    while (readLine(in, line) && !line.empty()) {
        if (line[0] == '#') continue;
        if (startsWith(line, "FORMAT")) {
            // The separator after the keyword (an equals sign in standard files, a blank in
            // some older ones) is not examined.
            if (line.size() >= 7) {
                const std::string value = line.substr(7);
                if (value == "32-bit_rle_rgbe") {
                    image.format = KivHDRI::kRgbe;
                } else if (value == "32-bit_rle_xyze") {
                    image.format = KivHDRI::kXyze;
                }
            }
        } else if (startsWith(line, "EXPOSURE")) {
            // Each program that rescales a picture adds its own line, so the picture's
            // exposure is the product of all of them.
            float e = 1.0f;
            if (scanFloat(line, "EXPOSURE=", e)) image.exposure *= e;
        } else if (startsWith(line, "COLORCORR")) {
            scanFloat(line, "COLORCORR=", image.colorCorrection);
        } else if (startsWith(line, "PIXASPECT")) {
            scanFloat(line, "PIXASPECT=", image.pixelAspect);
        }
        // Every other line (SOFTWARE, VIEW, PRIMARIES, GAMMA, indented lines of an earlier
        // program's header, ...) carries nothing this reader keeps.
    }
}

struct AxisGroup {
    char sign = 0;
    char axis = 0;
    unsigned count = 0;
};

// Scans one "<sign><axis> <count>" group at p, as "%c%c %hu" does (two characters taken as
// they are, blanks, then digits). Returns the position after it, or null.
const char* scanGroup(const char* p, const char* end, AxisGroup& g) {
    if (end - p < 2) return nullptr;
    g.sign = p[0];
    g.axis = p[1];
    p += 2;
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (p < end && *p == '+') ++p;
    unsigned value = 0;
    const auto r = std::from_chars(p, end, value);
    if (r.ec != std::errc() || value > 0xffff) return nullptr;
    g.count = value;
    p = r.ptr;
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
    return p;
}

void applyGroup(const AxisGroup& g, std::uint16_t& width, std::uint16_t& height, KivHDRI& image) {
    const int flip = g.sign == '+' ? 0 : 1;
    if (g.axis == 'X' || g.axis == 'x') {
        width = static_cast<std::uint16_t>(g.count);
        image.xFlip = flip;
    } else if (g.axis == 'Y' || g.axis == 'y') {
        height = static_cast<std::uint16_t>(g.count);
        image.yFlip = flip;
    }
}

// Returns whether the line named both axes.
bool readResolution(std::istream& in, KivHDRI& image, std::uint16_t& width, std::uint16_t& height) {
    std::string line;
    if (!readLine(in, line)) return false;
    const char* p = line.data();
    const char* end = p + line.size();
    AxisGroup first, second;
    p = scanGroup(p, end, first);
    if (!p) return false;
    applyGroup(first, width, height, image);
    if (!scanGroup(p, end, second)) return false;
    applyGroup(second, width, height, image);
    const auto isX = [](char a) { return a == 'X' || a == 'x'; };
    const auto isY = [](char a) { return a == 'Y' || a == 'y'; };
    return (isX(first.axis) && isY(second.axis)) || (isY(first.axis) && isX(second.axis));
}

// Reads and decodes scanlines into one reusable buffer. `planar` tells the layout the last
// scanline was decoded to: four planes of `width` bytes, or (R, G, B, E) per texel.
class ScanlineDecoder {
  public:
    ScanlineDecoder(std::istream& in, int width)
        : in_(in), width_(width), bytes_(std::size_t{4} * static_cast<std::size_t>(width)) {}

    bool decode() {
        unsigned char start[4];
        if (!readBytes(start, 4)) return false;
        const int length = (start[2] << 8) | start[3];
        if (start[0] == 2 && start[1] == 2) {
            if (length == width_) return decodeRunLength();
            // In the range where standard writers always code runs, a 2, 2 start with a
            // plausible length is a run-length scanline of the wrong length.
            if (width_ >= kMinRunLengthWidth && width_ <= kMaxRunLengthWidth &&
                !(start[2] & 0x80)) {
                return false;
            }
        }
        return decodeFlat(start);
    }

    bool planar() const { return planar_; }
    const unsigned char* bytes() const { return bytes_.data(); }

  private:
    bool readBytes(unsigned char* dst, std::size_t n) {
        in_.read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(in_.gcount()) == n;
    }

    // The four planes as one stream of count bytes: c > 128 repeats the next byte c - 128
    // times, 0 < c <= 128 copies the next c bytes.
    bool decodeRunLength() {
        planar_ = true;
        const std::size_t total = bytes_.size();
        std::size_t pos = 0;
        while (pos < total) {
            unsigned char c;
            if (!readBytes(&c, 1)) return false;
            if (c > 128) {
                const std::size_t run = c - 128u;
                unsigned char value;
                if (run > total - pos || !readBytes(&value, 1)) return false;
                std::memset(bytes_.data() + pos, value, run);
                pos += run;
            } else {
                if (c == 0 || c > total - pos) return false;
                if (!readBytes(bytes_.data() + pos, c)) return false;
                pos += c;
            }
        }
        // A later scanline of the old form may repeat this scanline's last texel.
        const std::size_t w = static_cast<std::size_t>(width_);
        for (int k = 0; k < 4; ++k) previous_[k] = bytes_[k * w + w - 1];
        hasPrevious_ = true;
        return true;
    }

    // Flat texels with the old run markers; `first` is the texel already read.
    bool decodeFlat(const unsigned char* first) {
        planar_ = false;
        unsigned char* out = bytes_.data();
        const std::size_t total = static_cast<std::size_t>(width_);
        std::size_t i = 0;
        unsigned shift = 0;
        unsigned char texel[4];
        std::memcpy(texel, first, 4);
        for (;;) {
            if (texel[0] == 1 && texel[1] == 1 && texel[2] == 1) {
                // A run repeats the texel before it, which may end the previous scanline.
                const std::uint64_t count = shift >= 32 ? (texel[3] ? ~std::uint64_t{0} : 0)
                                                        : std::uint64_t{texel[3]} << shift;
                if (count > total - i || (count > 0 && !hasPrevious_)) return false;
                for (std::uint64_t k = 0; k < count; ++k, ++i)
                    std::memcpy(out + 4 * i, previous_, 4);
                shift = std::min(shift + 8, 32u);
            } else {
                std::memcpy(out + 4 * i, texel, 4);
                std::memcpy(previous_, texel, 4);
                hasPrevious_ = true;
                ++i;
                shift = 0;
            }
            if (i == total) return true;
            if (!readBytes(texel, 4)) return false;
        }
    }

    std::istream& in_;
    int width_;
    std::vector<unsigned char> bytes_;
    bool planar_ = true;
    unsigned char previous_[4] = {};
    bool hasPrevious_ = false;
};

// (mantissa + 0.5) x 2^(E - 136); an exponent of 0 is black.
void convertRow(const ScanlineDecoder& decoder, int width, float* row) {
    const unsigned char* b = decoder.bytes();
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t step = decoder.planar() ? 1 : 4;
    const std::size_t plane = decoder.planar() ? w : 1;
    for (std::size_t i = 0; i < w; ++i) {
        const unsigned char* t = b + i * step;
        const int e = t[3 * plane];
        float* out = row + 3 * i;
        if (e == 0) {
            out[0] = out[1] = out[2] = 0.0f;
            continue;
        }
        const float f = std::ldexp(1.0f / 256.0f, e - 128);
        out[0] = f * (static_cast<float>(t[0]) + 0.5f);
        out[1] = f * (static_cast<float>(t[plane]) + 0.5f);
        out[2] = f * (static_cast<float>(t[2 * plane]) + 0.5f);
    }
}

}  // namespace

namespace kiv {

RgbeReadResult readRgbe(std::istream& in, KivHDRI& image, std::size_t maxFloats) {
    RgbeReadResult result;
    if (image.readMode != 0 && image.readMode != 1) return result;

    image.alloc(0, 0, 3);
    image.resetStatistics();
    // The header describes this file only: values it does not set are the defaults. (An
    // unrecognised FORMAT value keeps the format the caller had set.)
    image.exposure = 1.0f;
    image.colorCorrection = 1.0f;
    image.pixelAspect = 1.0f;
    readHeader(in, image);
    std::uint16_t width = 0, height = 0;
    const bool sized = readResolution(in, image, width, height);

    const std::size_t floats = std::size_t{width} * height * 3;
    if (floats > maxFloats) {
        in.setstate(std::ios::failbit);
        return result;
    }
    try {
        image.alloc(width, height, 3);
        if (floats) std::fill(image.data, image.data + floats, 0.0f);
        if (floats) {
            ScanlineDecoder decoder(in, width);
            while (result.rowsRead < height && decoder.decode()) {
                convertRow(decoder, width, image.data + std::size_t{3} * width * result.rowsRead);
                ++result.rowsRead;
            }
        }
    } catch (const std::bad_alloc&) {
        image.alloc(0, 0, 3);
        result.rowsRead = 0;
        in.setstate(std::ios::failbit);
        return result;
    }
    result.complete = sized && (result.rowsRead == height || floats == 0);
    if (!result.complete) in.setstate(std::ios::failbit);
    image.SetData();
    return result;
}

}  // namespace kiv

std::istream& operator>>(std::istream& in, KivHDRI& image) {
    kiv::readRgbe(in, image, kiv::kMaxImageFloats);
    return in;
}

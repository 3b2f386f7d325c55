// Radiance RGBE writer.
//
// Scanlines 8 to 32767 texels wide are written in the run-length form with literal packets
// only (at most 128 bytes each, no runs); narrower or wider scanlines are written flat, four
// bytes per texel, as every standard reader expects for those lengths.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <locale>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/hdri.h"

namespace {

constexpr int kMinRunLengthWidth = 8;
constexpr int kMaxRunLengthWidth = 0x7fff;
constexpr std::size_t kMaxLiteral = 128;

// One texel to (R, G, B, E): the largest channel m gives the shared exponent through
// frexp(m) = f x 2^e, each mantissa byte is trunc(channel x f / m x 256) and the exponent
// byte e + 128. Values up to 2^-23 are black. Negative and NaN channels count as 0, and
// values beyond the largest exponent saturate.
void toRgbe(const float* texel, int components, unsigned char* out) {
    double c[3];
    for (int k = 0; k < 3; ++k) {
        const float value = k < components ? texel[k] : 0.0f;
        c[k] =
            value > 0.0f ? std::min(static_cast<double>(value), static_cast<double>(FLT_MAX)) : 0.0;
    }
    const double m = std::max({c[0], c[1], c[2]});
    if (!(m > 1.1920929e-7)) {
        out[0] = out[1] = out[2] = out[3] = 0;
        return;
    }
    int e = 0;
    const double f = std::frexp(m, &e);
    double scale = f / m * 256.0;
    if (e > 127) {
        e = 127;
        scale = std::ldexp(256.0, -127);
    }
    for (int k = 0; k < 3; ++k) {
        out[k] = static_cast<unsigned char>(std::min(std::trunc(c[k] * scale), 255.0));
    }
    out[3] = static_cast<unsigned char>(e + 128);
}

// Formats the exposure as a stream prints a float by default (six significant digits,
// general notation), whatever the flags and locale of the output stream.
std::string formatExposure(float exposure) {
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << exposure;
    return s.str();
}

}  // namespace

namespace kiv {

std::ostream& writeRgbe(std::ostream& out, const float* texels, int components, int width,
                        int height, int format, float exposure, int xFlip, int yFlip) {
    width = std::clamp(width, 0, 0xffff);
    height = std::clamp(height, 0, 0xffff);
    components = std::max(components, 0);

    std::string header = "#?RADIANCE\nFORMAT=";
    if (format == KivHDRI::kRgbe) header += "32-bit_rle_rgbe";
    if (format == KivHDRI::kXyze) header += "32-bit_rle_xyze";
    header += "\nEXPOSURE=" + formatExposure(exposure) + "\n\n";
    header += yFlip == 0 ? '+' : '-';
    header += "Y " + std::to_string(height) + ' ';
    header += xFlip == 0 ? '+' : '-';
    header += "X " + std::to_string(width) + '\n';
    out.write(header.data(), static_cast<std::streamsize>(header.size()));

    const std::size_t w = static_cast<std::size_t>(width);
    const bool runLength = width >= kMinRunLengthWidth && width <= kMaxRunLengthWidth;
    std::vector<unsigned char> rgbe(4 * w);
    std::vector<char> line;
    line.reserve(4 + 4 * w + 4 * (w / kMaxLiteral + 1));
    const float zero[3] = {0.0f, 0.0f, 0.0f};
    for (int y = 0; y < height && out; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            const float* texel =
                texels ? texels + (static_cast<std::size_t>(y) * w + x) * components : zero;
            toRgbe(texel, texels ? components : 3, &rgbe[4 * x]);
        }
        line.clear();
        if (runLength) {
            line.push_back(2);
            line.push_back(2);
            line.push_back(static_cast<char>(width >> 8));
            line.push_back(static_cast<char>(width & 0xff));
            for (int plane = 0; plane < 4; ++plane) {
                for (std::size_t start = 0; start < w; start += kMaxLiteral) {
                    const std::size_t n = std::min(kMaxLiteral, w - start);
                    line.push_back(static_cast<char>(n));
                    for (std::size_t x = start; x < start + n; ++x) {
                        line.push_back(static_cast<char>(rgbe[4 * x + plane]));
                    }
                }
            }
        } else {
            line.assign(rgbe.begin(), rgbe.end());
        }
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    return out;
}

bool writeRgbeFile(const char* path, const float* rgb, int width, int height) {
    if (!path || !rgb || width < 1 || width > 0xffff || height < 1 || height > 0xffff) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    writeRgbe(file, rgb, 3, width, height, KivHDRI::kRgbe, 1.0f, 0, 1);
    file.close();
    return !file.fail();
}

}  // namespace kiv

std::ostream& operator<<(std::ostream& out, const KivHDRI& image) {
    return kiv::writeRgbe(out, image.data, image.components, image.width, image.height,
                          image.format, image.exposure, image.xFlip, image.yFlip);
}

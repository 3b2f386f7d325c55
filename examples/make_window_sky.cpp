// Writes window_sky.hdr, the environment image of the window_room example: a 64 x 32
// latitude-longitude sky (row 0 straight up, the middle row the horizon, column c at
// 360 x (c + 0.5) / 64 degrees around the up axis) with a blue gradient, a sun 35 degrees high
// at 90 degrees and a brown ground below the horizon. Built with the examples; run as
//     build/examples/make_window_sky examples/window_sky.hdr
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/hdri.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 32;
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Radiance seen at elevation `el` and azimuth `az` (radians).
Rgb sky(double el, double az) {
    const Rgb horizon{0.9, 0.95, 1.0}, zenith{0.25, 0.4, 0.85}, ground{0.3, 0.26, 0.2};
    if (el < 0.0) return ground;
    // Angular distance to the sun by the dot product of the two unit directions.
    const double sunEl = 35.0 * kPi / 180.0, sunAz = 90.0 * kPi / 180.0;
    const double c =
        std::sin(el) * std::sin(sunEl) + std::cos(el) * std::cos(sunEl) * std::cos(az - sunAz);
    if (c > std::cos(6.0 * kPi / 180.0)) return {40.0, 36.0, 30.0};
    return mix(horizon, zenith, std::sin(el));
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "window_sky.hdr";
    std::vector<float> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int row = 0; row < kHeight; ++row) {
        // Row 0 looks straight up, the last row straight down.
        const double el = kPi / 2.0 - kPi * (row + 0.5) / kHeight;
        for (int col = 0; col < kWidth; ++col) {
            const double az = 2.0 * kPi * (col + 0.5) / kWidth;
            const Rgb c = sky(el, az);
            float* t = &rgb[(static_cast<std::size_t>(row) * kWidth + col) * 3];
            t[0] = static_cast<float>(c.r);
            t[1] = static_cast<float>(c.g);
            t[2] = static_cast<float>(c.b);
        }
    }
    if (!kiv::writeRgbeFile(path, rgb.data(), kWidth, kHeight)) {
        std::fprintf(stderr, "make_window_sky: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

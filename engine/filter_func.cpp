#include "engine/filter_func.h"

#include <algorithm>
#include <cmath>

namespace {

// Turns a texture-space coordinate scaled by the image size into a texel index inside
// [0, size - 1]. The clamp happens in float, before the conversion, so that huge or NaN
// coordinates never reach an undefined float-to-int conversion.
int clampedTexel(float scaled, int size) {
    if (!(scaled >= 0.0f)) return 0;  // negative or NaN
    if (scaled >= static_cast<float>(size)) return size - 1;
    return std::min(static_cast<int>(scaled), size - 1);
}

// Same clamp for the interpolating lookup, which needs one texel of room on both sides.
float clampedPosition(float scaled, int size) {
    if (scaled != scaled) return 0.0f;
    return std::clamp(scaled, -1.0f, static_cast<float>(size) + 1.0f);
}

}  // namespace

KivFilterFunc::KivFilterFunc() { init(); }

void KivFilterFunc::init() {
    width = 0;
    height = 0;
    stride = 0;
    dataType = 0;
    byteData = nullptr;
    floatData = nullptr;
    u = 0.0f;
    v = 0.0f;
    filterType = kNone;
    filterSize = 0;
    interpolate = 0;
}

void KivFilterFunc::setData(int width_, int height_, int stride_, void* data, int dataType_) {
    width = width_;
    height = height_;
    stride = stride_;
    dataType = dataType_;
    if (dataType == kFloatData) {
        floatData = static_cast<const float*>(data);
    } else {
        byteData = static_cast<const std::int8_t*>(data);
    }
}

float KivFilterFunc::value(std::int64_t index) const {
    if (width <= 0 || height <= 0 || stride <= 0 || index < 0) return 0.0f;
    const std::int64_t count = std::int64_t{width} * height * stride;
    if (index >= count) return 0.0f;
    if (dataType == kFloatData) return floatData ? floatData[index] : 0.0f;
    return byteData ? static_cast<float>(byteData[index]) : 0.0f;
}

void KivFilterFunc::getColor(int index, KivColor& out) const {
    out.r = value(index);
    out.g = value(std::int64_t{index} + 1);
    out.b = value(std::int64_t{index} + 2);
}

void KivFilterFunc::none(int x, int y, KivColor& out) const {
    if (x < 0 || x >= width || y < 0 || y >= height) {
        out.r = out.g = out.b = 0.0f;
        return;
    }
    const std::int64_t index = (std::int64_t{x} + std::int64_t{y} * width) * stride;
    out.r = value(index);
    out.g = value(index + 1);
    out.b = value(index + 2);
}

namespace {

// Weighted mean over the window of half-width s around (x, y). The loops run only over the
// part of the window inside the image: the samples outside would be skipped anyway, and this
// keeps a huge size from turning into a huge loop.
template <class Weight>
void windowMean(const KivFilterFunc& f, int x, int y, int s, Weight weight, KivColor& out) {
    float r = 0.0f, g = 0.0f, b = 0.0f, total = 0.0f;
    if (s >= 0) {
        const std::int64_t row0 = std::max<std::int64_t>(std::int64_t{y} - s, 0);
        const std::int64_t row1 = std::min<std::int64_t>(std::int64_t{y} + s, f.height - 1);
        const std::int64_t col0 = std::max<std::int64_t>(std::int64_t{x} - s, 0);
        const std::int64_t col1 = std::min<std::int64_t>(std::int64_t{x} + s, f.width - 1);
        KivColor c;
        for (std::int64_t row = row0; row <= row1; ++row) {
            for (std::int64_t col = col0; col <= col1; ++col) {
                const float w = weight(col - x, row - y);
                f.none(static_cast<int>(col), static_cast<int>(row), c);
                r += w * c.r;
                g += w * c.g;
                b += w * c.b;
                total += w;
            }
        }
    }
    if (total > 0.0f) {
        out.r = r / total;
        out.g = g / total;
        out.b = b / total;
    } else {
        out.r = out.g = out.b = 0.0f;
    }
}

}  // namespace

void KivFilterFunc::box(int x, int y, KivColor& out) const {
    windowMean(
        *this, x, y, filterSize, [](std::int64_t, std::int64_t) { return 1.0f; }, out);
}

void KivFilterFunc::triangle(int x, int y, KivColor& out) const {
    const int s = filterSize;
    if (s == 0) {
        none(x, y, out);
        return;
    }
    const float size = static_cast<float>(s);
    windowMean(
        *this, x, y, s,
        [s, size](std::int64_t dx, std::int64_t dy) {
            const std::int64_t ring = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
            return static_cast<float>(s - ring) / size;
        },
        out);
}

void KivFilterFunc::gaussian(int x, int y, KivColor& out) const {
    const int s = filterSize;
    if (s == 0) {
        none(x, y, out);
        return;
    }
    const float sigma = static_cast<float>(s) * 0.5f;
    const float twoSigma2 = 2.0f * sigma * sigma;
    windowMean(
        *this, x, y, s,
        [twoSigma2](std::int64_t dx, std::int64_t dy) {
            const float d2 = static_cast<float>(dx * dx + dy * dy);
            return std::exp(-d2 / twoSigma2);
        },
        out);
}

void KivFilterFunc::sample(int x, int y, KivColor& out) const {
    switch (filterType) {
        case kBox:
            box(x, y, out);
            break;
        case kTriangle:
            triangle(x, y, out);
            break;
        case kGaussian:
            gaussian(x, y, out);
            break;
        default:
            none(x, y, out);
            break;
    }
}

void KivFilterFunc::doFilter(float u_, float v_, KivColor& out, KivLong interpolate_,
                             int filterType_, int filterSize_) {
    u = u_;
    v = v_;
    filterType = (filterType_ >= kBox && filterType_ <= kGaussian) ? filterType_ : kNone;
    filterSize = filterSize_;
    interpolate = interpolate_;
    if (width <= 0 || height <= 0) {
        out.r = out.g = out.b = 0.0f;
        return;
    }

    if (!interpolate) {
        sample(clampedTexel(u * static_cast<float>(width), width),
               clampedTexel(v * static_cast<float>(height), height), out);
        return;
    }

    const float X = clampedPosition(u * static_cast<float>(width), width);
    const float Y = clampedPosition(v * static_cast<float>(height), height);
    int x0 = static_cast<int>(X);
    int y0 = static_cast<int>(Y);
    float fx = X - static_cast<float>(x0) - 0.5f;
    float fy = Y - static_cast<float>(y0) - 0.5f;
    if (fx < 0.0f) {
        x0 -= 1;
        fx += 1.0f;
    }
    if (fy < 0.0f) {
        y0 -= 1;
        fy += 1.0f;
    }
    fx = std::clamp(fx, 0.0f, 1.0f);
    fy = std::clamp(fy, 0.0f, 1.0f);
    const int x1 = std::clamp(x0 + 1, 0, width - 1);
    const int y1 = std::clamp(y0 + 1, 0, height - 1);
    x0 = std::clamp(x0, 0, width - 1);
    y0 = std::clamp(y0, 0, height - 1);

    KivColor c00, c10, c01, c11;
    sample(x0, y0, c00);
    sample(x1, y0, c10);
    sample(x0, y1, c01);
    sample(x1, y1, c11);
    const float w00 = (1.0f - fx) * (1.0f - fy);
    const float w10 = fx * (1.0f - fy);
    const float w01 = (1.0f - fx) * fy;
    const float w11 = fx * fy;
    out.r = w00 * c00.r + w10 * c10.r + w01 * c01.r + w11 * c11.r;
    out.g = w00 * c00.g + w10 * c10.g + w01 * c01.g + w11 * c11.g;
    out.b = w00 * c00.b + w10 * c10.b + w01 * c01.b + w11 * c11.b;
}

void KivFilterFunc::doFilter(int width_, int height_, int stride_, void* data, int dataType_,
                             float u_, float v_, KivColor& out, KivLong interpolate_,
                             int filterType_, int filterSize_) {
    setData(width_, height_, stride_, data, dataType_);
    doFilter(u_, v_, out, interpolate_, filterType_, filterSize_);
}

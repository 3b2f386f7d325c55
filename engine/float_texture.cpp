#include "engine/float_texture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <istream>
#include <new>
#include <vector>

namespace {

constexpr KivColor kInitialMaximum{0.0f, 0.0f, 0.0f, 1.0f};
constexpr KivColor kInitialMinimum{kKivInfinity, kKivInfinity, kKivInfinity, 1.0f};
constexpr KivColor kInitialAverage{0.0f, 0.0f, 0.0f, 1.0f};

float floatFromLittleEndian(const unsigned char* b) {
    const std::uint32_t bits = std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) |
                               (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
    return std::bit_cast<float>(bits);
}

}  // namespace

KivFloatTexture::KivFloatTexture() : data(nullptr), ownsData(true), dataLength(0) {
    KivFloatTexture::init();
}

KivFloatTexture::KivFloatTexture(const KivFloatTexture& other)
    : data(nullptr), ownsData(true), dataLength(0) {
    KivFloatTexture::init();
    copyFrom(other);
}

KivFloatTexture& KivFloatTexture::operator=(const KivFloatTexture& other) {
    if (this != &other) copyFrom(other);
    return *this;
}

KivFloatTexture::~KivFloatTexture() { releaseData(); }

void KivFloatTexture::copyFrom(const KivFloatTexture& other) {
    // Allocate before releasing, so that a failed allocation leaves this texture intact.
    const std::size_t n = other.data ? other.floatCount() : 0;
    float* copy = n ? new float[n] : nullptr;
    if (n) std::memcpy(copy, other.data, n * sizeof(float));
    releaseData();
    width = other.width;
    height = other.height;
    components = other.components;
    std::memcpy(name, other.name, sizeof(name));
    data = copy;
    ownsData = true;
    dataLength = n;
    readerMode = other.readerMode;
    maximum = other.maximum;
    minimum = other.minimum;
    average = other.average;
    sum = other.sum;
    // The filter's image pointers belong to a lookup on the other texture; keep its settings.
    filter = other.filter;
    filter.floatData = nullptr;
    filter.byteData = nullptr;
}

void KivFloatTexture::releaseData() {
    if (ownsData) delete[] data;
    data = nullptr;
    ownsData = true;
    dataLength = 0;
}

void KivFloatTexture::resetStatistics() {
    maximum = kInitialMaximum;
    minimum = kInitialMinimum;
    average = kInitialAverage;
    sum = 0.0f;
}

void KivFloatTexture::init() {
    releaseData();
    width = 0;
    height = 0;
    components = 3;
    std::memset(name, 0, sizeof(name));
    readerMode = kReadWithHeader;
    resetStatistics();
    filter.init();
}

void KivFloatTexture::alloc(std::uint16_t width_, std::uint16_t height_,
                            std::uint16_t components_) {
    releaseData();
    width = width_;
    height = height_;
    components = components_;
    const std::size_t n = std::size_t{width_} * height_ * components_;
    if (n) {
        data = new float[n];
        dataLength = n;
    }
}

std::size_t KivFloatTexture::floatCount() const {
    const std::size_t n = std::size_t{width} * height * components;
    return n ? n : dataLength;
}

bool KivFloatTexture::hasTexels() const {
    return data != nullptr && width > 0 && height > 0 &&
           floatCount() >= std::size_t{width} * height * 3;
}

void KivFloatTexture::GetColor(float u, float v, KivColor& out, KivLong interpolate, int filterType,
                               int filterSize) {
    filter.setData(width, height, components, data, KivFilterFunc::kFloatData);
    filter.doFilter(u, v, out, interpolate, filterType, filterSize);
    filter.floatData = nullptr;
}

void KivFloatTexture::GetColor(KivVector direction, KivColor& out) {
    const float x = direction.x, y = direction.y, z = direction.z;
    const float m = 2.0f * std::sqrt(x * x + y * y + (z + 1.0f) * (z + 1.0f));
    // (0, 0, -1) maps to the whole rim of the probe circle; directions there take the rim
    // point at the top centre. Coordinates outside the image are clamped to its edge.
    float u = 0.5f, v = 0.0f;
    if (m > 0.0f && std::isfinite(m)) {
        u = x / m + 0.5f;
        v = y / m + 0.5f;
    }
    out.r = out.g = out.b = 0.0f;
    if (!data || width == 0 || height == 0) return;
    auto texel = [](float t, int size) {
        const float scaled = t * static_cast<float>(size);
        if (!(scaled >= 0.0f)) return 0;
        if (scaled >= static_cast<float>(size)) return size - 1;
        return std::min(static_cast<int>(scaled), size - 1);
    };
    const std::size_t column = static_cast<std::size_t>(texel(u, width));
    const std::size_t row = static_cast<std::size_t>(texel(v, height));
    // The probe always steps three floats per texel; a texture with fewer components per
    // texel can be shorter than that, so check the end of the array.
    const std::size_t index = (row * width + column) * 3;
    if (index + 3 > floatCount()) return;
    out.r = data[index];
    out.g = data[index + 1];
    out.b = data[index + 2];
}

void KivFloatTexture::SetData() {
    resetStatistics();
    const std::size_t texels = std::size_t{width} * height;
    if (texels == 0 || !data) return;
    const std::size_t stride = components;
    const int channels = std::min<int>(components, 3);
    float channelMax[3] = {0.0f, 0.0f, 0.0f};
    float channelMin[3] = {kKivInfinity, kKivInfinity, kKivInfinity};
    float channelSum[3] = {0.0f, 0.0f, 0.0f};
    for (std::size_t i = 0; i < texels; ++i) {
        const float* texel = data + i * stride;
        for (int c = 0; c < channels; ++c) {
            channelMax[c] = std::max(channelMax[c], texel[c]);
            channelMin[c] = std::min(channelMin[c], texel[c]);
            channelSum[c] += texel[c];
        }
    }
    const float count = static_cast<float>(texels);
    maximum = KivColor(channelMax[0], channelMax[1], channelMax[2], 1.0f);
    minimum = KivColor(channelMin[0], channelMin[1], channelMin[2], 1.0f);
    average = KivColor(channelSum[0] / count, channelSum[1] / count, channelSum[2] / count, 1.0f);
    sum = channelSum[0] + channelSum[1] + channelSum[2];
}

void KivFloatTexture::GetMaximum(KivColor& out) { out = maximum; }
void KivFloatTexture::GetMinimum(KivColor& out) { out = minimum; }
void KivFloatTexture::GetAverage(KivColor& out) { out = average; }
float KivFloatTexture::GetSum() { return sum; }

namespace kiv {

namespace {

// Reads up to n little-endian floats into dst; returns how many were complete.
std::size_t readFloats(std::istream& in, float* dst, std::size_t n) {
    constexpr std::size_t kChunk = 4096;
    unsigned char bytes[kChunk * 4];
    std::size_t done = 0;
    while (done < n) {
        const std::size_t want = std::min(kChunk, n - done);
        in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(want * 4));
        const std::size_t got = static_cast<std::size_t>(in.gcount()) / 4;
        for (std::size_t i = 0; i < got; ++i) dst[done + i] = floatFromLittleEndian(bytes + 4 * i);
        done += got;
        if (got < want) break;
    }
    return done;
}

void readWithHeader(std::istream& in, KivFloatTexture& t, std::size_t maxFloats) {
    unsigned char sizes[6];
    if (!in.read(reinterpret_cast<char*>(sizes), 6)) return;
    const auto w = static_cast<std::uint16_t>(sizes[0] | (sizes[1] << 8));
    const auto h = static_cast<std::uint16_t>(sizes[2] | (sizes[3] << 8));
    const auto c = static_cast<std::uint16_t>(sizes[4] | (sizes[5] << 8));
    char skipped[256];
    if (!in.read(skipped, sizeof(skipped))) return;
    const std::size_t n = std::size_t{w} * h * c;
    if (n > maxFloats) {
        t.alloc(0, 0, 3);
        in.setstate(std::ios::failbit);
        return;
    }
    t.alloc(w, h, c);
    const std::size_t got = readFloats(in, t.data, n);
    if (got < n) {
        std::fill(t.data + got, t.data + n, 0.0f);
        in.setstate(std::ios::failbit);
    }
    t.SetData();
}

void readFloatsOnly(std::istream& in, KivFloatTexture& t, std::size_t maxFloats) {
    std::vector<float> values;
    float chunk[4096];
    while (values.size() < maxFloats) {
        const std::size_t want = std::min<std::size_t>(4096, maxFloats - values.size());
        const std::size_t got = readFloats(in, chunk, want);
        values.insert(values.end(), chunk, chunk + got);
        if (got < want) break;
    }
    if (values.size() == maxFloats && in.peek() != std::char_traits<char>::eof()) {
        in.setstate(std::ios::failbit);
    }
    t.alloc(0, 0, 3);
    if (!values.empty()) {
        t.data = new float[values.size()];
        t.dataLength = values.size();
        std::memcpy(t.data, values.data(), values.size() * sizeof(float));
    }
}

}  // namespace

std::istream& readFloatTexture(std::istream& in, KivFloatTexture& texture, std::size_t maxFloats) {
    texture.resetStatistics();
    try {
        if (texture.readerMode == KivFloatTexture::kReadWithHeader) {
            readWithHeader(in, texture, maxFloats);
        } else if (texture.readerMode == KivFloatTexture::kReadFloatsOnly) {
            readFloatsOnly(in, texture, maxFloats);
        }
    } catch (const std::bad_alloc&) {
        texture.alloc(0, 0, 3);
        in.setstate(std::ios::failbit);
    }
    return in;
}

}  // namespace kiv

std::istream& operator>>(std::istream& in, KivFloatTexture& texture) {
    return kiv::readFloatTexture(in, texture, kiv::kMaxImageFloats);
}

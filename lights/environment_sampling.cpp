#include "lights/environment_sampling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <unordered_map>

#include "engine/api/shoot_api.h"
#include "engine/api/tool_api.h"
#include "engine/hdri.h"


namespace kiv::env {

namespace {

// Hat codes: kHat[up][dir] is the code of up x direction, -1 where the two share a line.
constexpr int kHat[6][6] = {
    {-1, 2, 4, -1, 5, 1},  // +x
    {5, -1, 0, 2, -1, 3},  // +y
    {1, 3, -1, 4, 0, -1},  // +z
    {-1, 5, 1, -1, 2, 4},  // -x
    {2, -1, 3, 5, -1, 0},  // -y
    {4, 0, -1, 1, 3, -1},  // -z
};

bool validCode(int code) { return code >= 0 && code <= 5; }

int clampedStack(int stack) { return std::min(stack, kMaxStack); }
int clampedSlice(int slice) { return std::min(slice, kMaxSlice); }

// 2^-34: a 32-bit draw times this lies in [0, 0.25).
constexpr float kJitterScale = 5.820766e-11f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kDegrees = 57.29578f;

std::unordered_map<const KivHDRI*, int>& shareTable() {
    // Never destroyed, so that a light released during static destruction still finds it.
    static auto* table = new std::unordered_map<const KivHDRI*, int>;
    return *table;
}

void acquire(KivHDRI* image) {
    if (image != nullptr) ++shareTable()[image];
}

void release(KivHDRI* image) {
    if (image == nullptr) return;
    auto& table = shareTable();
    auto it = table.find(image);
    if (it == table.end() || --it->second > 0) return;
    table.erase(it);
    delete image;
}

}  // namespace

Axes setUpAxes(char upAxis, char dirAxis) {
    Axes a;
    a.upAxis = validCode(upAxis) ? upAxis : kDefaultUpAxis;
    a.dirAxis = validCode(dirAxis) ? dirAxis : kDefaultDirAxis;
    a.upIndex = a.upAxis;
    a.dirIndex = a.dirAxis;
    if (a.dirIndex == a.upIndex || std::abs(a.dirIndex - a.upIndex) == 3) {
        a.dirIndex = a.upIndex + 1 > 5 ? 0 : a.upIndex + 1;
    }
    a.hatIndex = hatIndex(a.upIndex, a.dirIndex);
    return a;
}

int hatIndex(int upIndex, int dirIndex) {
    if (!validCode(upIndex) || !validCode(dirIndex)) return -1;
    return kHat[upIndex][dirIndex];
}

int stackFromArgument(int stack) { return stack < 0 ? kDefaultStack : clampedStack(stack); }
int sliceFromArgument(int slice) { return slice < 0 ? kDefaultSlice : clampedSlice(slice); }

int bandSize(int band, int stack, int slice) {
    const float c = std::cos(kHalfPi * static_cast<float>(band) / static_cast<float>(stack));
    // Truncation towards zero; the top band's cosine is a hair below zero.
    const int n = static_cast<int>(c * static_cast<float>(slice));
    return std::max(n, 1);
}

int sampleCount(int stack, int slice) {
    stack = clampedStack(stack);
    slice = clampedSlice(slice);
    if (stack <= 0) return 0;
    int total = 0;
    for (int i = 0; i <= stack; ++i) total += bandSize(i, stack, slice);
    return total;
}

void appendSampleDirections(int stack, int slice, std::vector<KivVector>& out) {
    stack = clampedStack(stack);
    slice = clampedSlice(slice);
    if (stack <= 0) return;
    const float fStack = static_cast<float>(stack);
    for (int i = 0; i <= stack; ++i) {
        const int n = bandSize(i, stack, slice);
        const float w = kTwoPi / static_cast<float>(n);
        for (int j = 0; j < n; ++j) {
            const float r1 = static_cast<float>(KivTool_RandomMT()) * kJitterScale;
            const float e = (static_cast<float>(i) + r1) / fStack * kHalfPi;
            const float r2 = static_cast<float>(KivTool_RandomMT()) * kJitterScale;
            const float a = (static_cast<float>(j) + r2) * w;
            const float ce = std::cos(e);
            out.push_back(
                normalise(KivVector::make(std::cos(a) * ce, std::sin(a) * ce, std::sin(e))));
        }
    }
}

float arcCos(double x) { return KivShoot_InterpolateACOS(x); }

Angles directionToAngles(float a, float b, float c) {
    Angles out;
    const float ac = arcCos(std::fabs(c));
    out.theta = c > 0.0f ? kDegrees * (kKivPi - ac) : kDegrees * ac;
    const float r = std::sqrt(a * a + b * b);
    if (r < 1e-10f) return out;
    const float f = kDegrees * arcCos(std::fabs(b) / r);
    if (a >= 0.0f)
        out.phi = b < 0.0f ? f : 180.0f - f;
    else
        out.phi = b >= 0.0f ? 180.0f + f : 360.0f - f;
    return out;
}

bool hasTexels(const KivHDRI* image) { return image != nullptr && image->hasTexels(); }

SharedImage::SharedImage(const SharedImage& other) : image_(other.image_) { acquire(image_); }

SharedImage& SharedImage::operator=(const SharedImage& other) {
    reset(other.image_);
    return *this;
}

SharedImage::~SharedImage() { release(image_); }

void SharedImage::reset(KivHDRI* image) {
    if (image == image_) return;
    acquire(image);
    KivHDRI* old = image_;
    image_ = image;
    release(old);
}

int SharedImage::holders(const KivHDRI* image) {
    const auto& table = shareTable();
    const auto it = table.find(image);
    return it == table.end() ? 0 : it->second;
}

bool copyPath(char* buffer, std::size_t capacity, const char* path) {
    buffer[0] = '\0';
    if (path == nullptr) return false;
    const std::size_t n = std::strlen(path);
    if (n + 1 > capacity) return false;
    std::memcpy(buffer, path, n + 1);
    return true;
}

KivHDRI* readImage(const char* path) {
    auto* image = new KivHDRI;
    std::ifstream in(path, std::ios::binary);
    if (in.is_open()) in >> *image;
    return image;
}

}  // namespace kiv::env

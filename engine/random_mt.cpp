#include "engine/random_mt.h"

namespace kiv {
namespace {
constexpr int kMiddle = 397;
constexpr std::uint32_t kMatrixA = 0x9908b0dfu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7fffffffu;

inline std::uint32_t twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return far ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrixA : 0u);
}

inline std::uint32_t temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}
}  // namespace

void MersenneTwister::seed(std::uint32_t seed) {
    std::uint32_t x = seed | 1u;
    state_[0] = x;
    // Unsigned arithmetic wraps modulo 2^32, which is the multiplicative sequence wanted.
    for (int k = 1; k < kWords; ++k) {
        x *= 69069u;
        state_[k] = x;
    }
    nextWord_ = kWords;
    seeded_ = true;
}

void MersenneTwister::loadState(const std::uint32_t (&words)[kWords]) {
    for (int k = 0; k < kWords; ++k) state_[k] = words[k];
    nextWord_ = kWords;
    seeded_ = true;
}

// The recurrence in place: the first 227 words use words of the old block, the rest words
// already renewed, exactly as the generator is defined.
void MersenneTwister::regenerate() {
    std::uint32_t* s = state_;
    int k = 0;
    for (; k < kWords - kMiddle; ++k) s[k] = twist(s[k], s[k + 1], s[k + kMiddle]);
    for (; k < kWords - 1; ++k) s[k] = twist(s[k], s[k + 1], s[k + kMiddle - kWords]);
    s[kWords - 1] = twist(s[kWords - 1], s[0], s[kMiddle - 1]);
    nextWord_ = 0;
}

std::uint32_t MersenneTwister::next() {
    if (nextWord_ >= kWords) {
        if (!seeded_) seed(kDefaultSeed);
        regenerate();
    }
    return temper(state_[nextWord_++]);
}

MersenneTwister& processGenerator() {
    static MersenneTwister generator;
    return generator;
}

}  // namespace kiv

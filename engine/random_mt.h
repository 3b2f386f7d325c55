#pragma once
// The engine's pseudo-random generator: the 32-bit Mersenne Twister (MT19937) recurrence and
// tempering, filled at seeding by a multiplicative congruential sequence (x := x * 69069) rather
// than by the generator's usual initialisation, so its sequences are its own.
#include <cstdint>

namespace kiv {

class MersenneTwister {
public:
    static constexpr int kWords = 624;
    // Seed used when a draw comes before any seeding.
    static constexpr std::uint32_t kDefaultSeed = 4357;

    // Fills the state from seed | 1; the next draw regenerates the whole block first.
    void seed(std::uint32_t seed);
    // Takes the given words as the state block; the next draw regenerates it first.
    void loadState(const std::uint32_t (&words)[kWords]);
    // The next tempered word. Each block of 624 words is regenerated when it is used up.
    std::uint32_t next();

private:
    void regenerate();

    std::uint32_t state_[kWords] = {};
    int nextWord_ = kWords;  // position of the next word to hand out
    bool seeded_ = false;
};

// The process-wide generator behind the flat interface. It is shared by every scene and every
// caller and, like the rest of the engine, meant for one thread.
MersenneTwister& processGenerator();

}  // namespace kiv

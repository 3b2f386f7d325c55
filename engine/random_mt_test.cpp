#include "engine/random_mt.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "engine/KivRadiosity.h"

using kiv::MersenneTwister;

namespace {
// The generator's usual initialisation, used only to compare the recurrence and tempering with
// the standard library's independent implementation.
void referenceState(std::uint32_t seed, std::uint32_t (&words)[MersenneTwister::kWords]) {
    words[0] = seed;
    for (std::uint32_t i = 1; i < MersenneTwister::kWords; ++i)
        words[i] = 1812433253u * (words[i - 1] ^ (words[i - 1] >> 30)) + i;
}
}  // namespace

TEST(MersenneTwister, RecurrenceAndTemperingMatchTheStandardGenerator) {
    for (std::uint32_t seed : {5489u, 20240601u}) {
        SCOPED_TRACE(seed);
        std::uint32_t words[MersenneTwister::kWords];
        referenceState(seed, words);
        MersenneTwister g;
        g.loadState(words);
        std::mt19937 reference(seed);
        std::uint32_t last = 0;
        for (int k = 1; k <= 10000; ++k) {
            last = g.next();
            ASSERT_EQ(last, reference()) << "draw " << k;
        }
        // The value the C++ standard requires for the 10000th draw of the default seed.
        if (seed == 5489u) {
            EXPECT_EQ(last, 4123659995u);
        }
    }
}

TEST(MersenneTwister, MultiplicativeSeedingGivesItsPublishedSequence) {
    // Seed 4357 with the multiplicative fill; the values were computed with an independent
    // implementation of the generator. Draws 625 and 1249 are the first words of the second
    // and third regenerated blocks.
    struct Draw {
        int number;
        std::uint32_t value;
    } expected[] = {{1, 3510405877u},    {2, 4290933890u},    {3, 2191955339u},
                    {4, 564929546u},     {5, 152112058u},     {623, 3800499491u},
                    {624, 730882493u},   {625, 2222118351u},  {626, 4107301035u},
                    {1248, 3705639611u}, {1249, 1244107692u}, {1250, 2576564054u}};
    MersenneTwister g;
    g.seed(4357);
    int drawn = 0;
    std::uint32_t v = 0;
    for (const Draw& d : expected) {
        while (drawn < d.number) {
            v = g.next();
            ++drawn;
        }
        EXPECT_EQ(v, d.value) << "draw " << d.number;
    }
}

TEST(MersenneTwister, SeedingEquivalences) {
    // Without seeding the first draw seeds with 4357; an even seed is made odd.
    MersenneTwister unseeded, seeded, even, odd, reseeded;
    seeded.seed(4357);
    even.seed(1000);
    odd.seed(1001);
    reseeded.seed(7);
    for (int k = 0; k < 700; ++k) reseeded.next();
    reseeded.seed(4357);  // seeding again starts over, wherever the previous sequence was
    for (int k = 0; k < 700; ++k) {
        const std::uint32_t s = seeded.next();
        EXPECT_EQ(unseeded.next(), s);
        EXPECT_EQ(reseeded.next(), s);
        EXPECT_EQ(even.next(), odd.next());
    }
}

TEST(MersenneTwister, FlatFunctionsUseTheProcessGenerator) {
    KivTool_SeedMT(4356);
    EXPECT_EQ(KivTool_RandomMT(), 3510405877u);
    EXPECT_EQ(KivTool_RandomMT(), 4290933890u);
    KivTool_SeedMT(4357);
    EXPECT_EQ(KivTool_RandomMT(), 3510405877u);
}

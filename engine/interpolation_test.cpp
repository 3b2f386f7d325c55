#include "engine/interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {
const float kKnots[] = {0.0f, 1.0f, 2.0f, 4.0f, 7.0f};
const float kValues[] = {3.0f, 1.0f, 4.0f, 0.5f, 2.0f};
constexpr int kCount = 5;
}  // namespace

TEST(KivInterpolation1D, KnotSearchFindsTheIntervalAndStaysInsideAtTheEnds) {
    const KivCatmullRom1D s(kCount, kKnots, kValues);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float x;
        int knot;
    } cases[] = {{0.0f, 0}, {0.5f, 0}, {1.0f, 1},  {3.999f, 2}, {4.0f, 3},
                 {6.9f, 3}, {7.0f, 3}, {100.f, 3}, {-1.0f, 0},  {nan, 0}};
    for (const Case& c : cases) EXPECT_EQ(s.find_knot(c.x), c.knot) << c.x;
    EXPECT_EQ(s.dimension(), 1);
    EXPECT_EQ(s.xmin(), 0.0f);
    EXPECT_EQ(s.xmax(), 7.0f);
    EXPECT_EQ(s.ymin(), 0.0f);
    EXPECT_EQ(s.ymax(), 0.0f);
}

TEST(KivCardinal1D, AgreesWithCatmullRomAtTensionOneHalfInsideTheRange) {
    const KivCatmullRom1D cr(kCount, kKnots, kValues);
    const KivCardinal1D card(kCount, kKnots, kValues, 0.5f);
    int compared = 0;
    for (float x = 0.0f; x < 7.0f; x += 0.0625f) {
        const float c = cr.evaluate(x, 0.0f);
        if (c < 0.0f) continue;
        ++compared;
        EXPECT_NEAR(card.evaluate(x, 123.0f), c, 1e-5f) << x;
    }
    EXPECT_GT(compared, 100);
}

TEST(KivCardinal1D, KnotValuesAreReproducedAndNegativeResultsFloorAtZero) {
    const float values[] = {2.0f, -1.0f, 3.0f, 0.25f};
    const KivCatmullRom1D cr(4, kKnots, values);
    const KivCardinal1D card(4, kKnots, values, 0.2f);
    // Knots starting a segment (t = 0) give their value exactly; the last knot ends the last
    // segment (t = 1), where the weights only sum to the value up to rounding.
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cr.evaluate(kKnots[i], 0.0f), values[i]);
        EXPECT_EQ(card.evaluate(kKnots[i], 0.0f), std::max(values[i], 0.0f));
    }
    EXPECT_NEAR(card.evaluate(kKnots[3], 0.0f), values[3], 1e-6f);
    // The Catmull-Rom spline reports its undershoot; the cardinal one does not.
    EXPECT_LT(cr.evaluate(1.0f, 0.0f), 0.0f);
    EXPECT_EQ(card.evaluate(1.1f, 0.0f), 0.0f);
}

TEST(KivCardinal1D, ExtrapolatesTheEndSegmentsOutsideTheRange) {
    const float knots[] = {0.0f, 1.0f, 2.0f};
    // With tension 0.5 at t = -0.5 the weights are (0.5625, 0.1875, 0.4375, -0.1875), applied
    // to the values 2, 2, 1, 1 (the first value repeated before the start).
    const float falling[] = {2.0f, 1.0f, 1.0f};
    const KivCardinal1D down(3, knots, falling, 0.5f);
    EXPECT_EQ(down.evaluate(-0.5f, 0.0f), 1.75f);
    // At t = -1 the weights are (2, -3, 3, -1): the values 1, 1, 0, 0 give -1, floored at 0.
    const float spike[] = {1.0f, 0.0f, 0.0f};
    const KivCardinal1D floored(3, knots, spike, 0.5f);
    EXPECT_EQ(floored.evaluate(-1.0f, 0.0f), 0.0f);
    for (float x = -50.0f; x < 50.0f; x += 0.5f) EXPECT_GE(floored.evaluate(x, 0.0f), 0.0f) << x;
    // At and beyond the last knot the last segment continues (t = 1 gives the last value).
    EXPECT_EQ(down.evaluate(2.0f, 0.0f), 1.0f);
    // At t = 2 the weights are (-1, 0, 2, 0): 2 before the segment and 1 at its end give 0.
    EXPECT_EQ(down.evaluate(3.0f, 0.0f), 0.0f);
}

TEST(KivCardinal2D, ReproducesGridNodesAndInterpolatesRowsLikeTheOneDimensionalSpline) {
    // A 3 x 4 grid (columns x, rows y) whose values are not symmetric, so that a mix-up of
    // columns and rows shows.
    const float xs[] = {0.0f, 10.0f, 30.0f};
    const float ys[] = {0.0f, 1.0f, 2.0f, 5.0f};
    float grid[12];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 3; ++i) grid[i + 3 * j] = static_cast<float>(i * 7 + j * 3 % 5) - 1.0f;
    const KivCardinal2D s(3, 4, xs, ys, grid, 0.2f);
    EXPECT_EQ(s.dimension(), 2);
    EXPECT_EQ(s.xmax(), 30.0f);
    EXPECT_EQ(s.ymax(), 5.0f);
    EXPECT_EQ(s.ymin(), 0.0f);
    EXPECT_EQ(s.find_x_knot(15.0f), 1);
    EXPECT_EQ(s.find_y_knot(4.0f), 2);
    EXPECT_EQ(s.value(2, 1), grid[2 + 3]);
    EXPECT_EQ(s.value(3, 0), 0.0f);  // outside the grid

    for (int j = 0; j < 4; ++j) {
        const KivCardinal1D row(3, xs, grid + 3 * j, 0.2f);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(s.evaluate(xs[i], ys[j]), std::max(grid[i + 3 * j], 0.0f), 1e-5f)
                << i << "," << j;
        for (float x : {-5.0f, 3.0f, 17.5f, 29.0f, 40.0f})
            EXPECT_NEAR(s.evaluate(x, ys[j]), row.evaluate(x, 0.0f), 1e-4f) << x << "," << j;
    }
    for (float y = -3.0f; y < 9.0f; y += 0.25f) EXPECT_GE(s.evaluate(-20.0f, y), 0.0f);
}

TEST(KivInterpolation, OwnsDeepCopiesOfItsTables) {
    float knots[] = {0.0f, 1.0f, 2.0f};
    double values[] = {1.0, 2.0, 0.5};
    auto original = std::make_unique<KivCardinal1D>(3, knots, values, 0.5f);
    const float atHalf = original->evaluate(0.5f, 0.0f);
    knots[1] = 1.5f;  // the spline keeps its own copy
    values[0] = 9.0;
    EXPECT_EQ(original->evaluate(0.5f, 0.0f), atHalf);

    KivCardinal1D copy(*original);
    const float other[] = {5.0f, 5.0f};
    KivCardinal1D assigned(2, knots, other, 0.1f);
    assigned = *original;
    original.reset();
    EXPECT_EQ(copy.evaluate(0.5f, 0.0f), atHalf);
    EXPECT_EQ(assigned.evaluate(0.5f, 0.0f), atHalf);
    EXPECT_EQ(assigned.tension(), 0.5f);
    EXPECT_EQ(copy.values()[2], 0.5f);

    // Splines are destroyed through their common interface.
    std::unique_ptr<KivInterpolate> base = std::make_unique<KivCardinal1D>(copy);
    EXPECT_EQ(base->evaluate(0.5f, 0.0f), atHalf);
}

TEST(KivInterpolation, TablesTooSmallOrMissingGiveConstantsWithoutReadingPastThem) {
    const float one = 4.0f;
    const float negative = -2.0f;
    EXPECT_EQ(KivCatmullRom1D(1, &one, &one).evaluate(9.0f, 0.0f), 4.0f);
    EXPECT_EQ(KivCardinal1D(1, &one, &negative, 0.5f).evaluate(9.0f, 0.0f), 0.0f);
    EXPECT_EQ(KivCardinal1D(0, nullptr, static_cast<const float*>(nullptr), 0.5f).count(), 0);
    EXPECT_EQ(KivCatmullRom1D(-3, &one, &one).evaluate(1.0f, 0.0f), 0.0f);
    EXPECT_EQ(KivCatmullRom1D(1, &one, &one).find_knot(4.0f), 0);
    EXPECT_EQ(KivCardinal2D(1, 1, &one, &one, &one, 0.5f).evaluate(0.0f, 0.0f), 4.0f);
    EXPECT_EQ(KivCardinal2D(2, 2, &one, &one, static_cast<const float*>(nullptr), 0.5f)
                  .evaluate(0.0f, 0.0f),
              0.0f);
    // Repeated knots give finite values instead of a division by zero.
    const float flat[] = {1.0f, 1.0f, 1.0f};
    const float vals[] = {1.0f, 2.0f, 3.0f};
    for (float x : {0.0f, 1.0f, 2.0f})
        EXPECT_TRUE(std::isfinite(KivCardinal1D(3, flat, vals, 0.5f).evaluate(x, 0.0f))) << x;
}

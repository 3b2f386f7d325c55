#include "engine/interpolation.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace {

// Copies n entries of a table, converting to float; a missing table or a non-positive count
// gives an empty one.
template <class V>
std::vector<float> copyTable(std::size_t n, const V* src) {
    std::vector<float> out;
    if (src == nullptr) return out;
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(src[i]);
    return out;
}

// First i with knots[i] <= x < knots[i + 1]. Outside the knots (and for NaN, which compares
// false everywhere) it answers the nearest end interval so that callers always get a segment
// whose both ends exist.
int findInterval(float x, int n, const float* knots) {
    for (int i = 0; i + 1 < n; ++i)
        if (knots[i] <= x && x < knots[i + 1]) return i;
    if (n >= 2 && x >= knots[n - 1]) return n - 2;
    return 0;
}

// Segment index and parameter of x on an axis of n >= 2 knots; x at or beyond an end lies on
// the end segment with t outside [0, 1].
void axisSegment(float x, int n, const float* knots, float lo, float hi, int& i, float& t) {
    if (x <= lo)
        i = 0;
    else if (x >= hi)
        i = n - 2;
    else
        i = findInterval(x, n, knots);
    i = std::clamp(i, 0, n - 2);
    const float width = knots[i + 1] - knots[i];
    // Knots are strictly increasing in any sound table; a repeated knot must not turn the
    // result into infinity or NaN, so such a segment is evaluated at its start.
    t = width > 0.0f ? (x - knots[i]) / width : 0.0f;
}

void fillCardinalBasis(float s, float (&m)[4][4]) {
    const float rows[4][4] = {
        {-s, 2.0f - s, s - 2.0f, s},
        {2.0f * s, s - 3.0f, 3.0f - 2.0f * s, -s},
        {-s, 0.0f, s, 0.0f},
        {0.0f, 1.0f, 0.0f, 0.0f},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] = rows[r][c];
}

// The four control-value weights: [t^3, t^2, t, 1] times the basis matrix.
void cardinalWeights(const float (&m)[4][4], float t, float (&w)[4]) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    for (int c = 0; c < 4; ++c) w[c] = t3 * m[0][c] + t2 * m[1][c] + t * m[2][c] + m[3][c];
}

// Answer of a table too small to interpolate: its single value, or 0 without any.
float constantOf(const std::vector<float>& values) { return values.empty() ? 0.0f : values[0]; }

}  // namespace

float KivInterpolate::ymin() const { return 0.0f; }
float KivInterpolate::ymax() const { return 0.0f; }
KivInterpolate::~KivInterpolate() = default;

// ---------------------------------------------------------------------------------------------

KivInterpolation1D::KivInterpolation1D(int n, const float* knots, const float* values) {
    if (n <= 0 || knots == nullptr || values == nullptr) return;
    count_ = n;
    knots_ = copyTable(static_cast<std::size_t>(n), knots);
    values_ = copyTable(static_cast<std::size_t>(n), values);
    xmin_ = knots_.front();
    xmax_ = knots_.back();
}

KivInterpolation1D::KivInterpolation1D(int n, const float* knots, const double* values) {
    if (n <= 0 || knots == nullptr || values == nullptr) return;
    count_ = n;
    knots_ = copyTable(static_cast<std::size_t>(n), knots);
    values_ = copyTable(static_cast<std::size_t>(n), values);
    xmin_ = knots_.front();
    xmax_ = knots_.back();
}

KivInterpolation1D::~KivInterpolation1D() = default;

int KivInterpolation1D::find_knot(float x) const { return findInterval(x, count_, knots_.data()); }

void KivInterpolation1D::segment(float x, int& i, float& t) const {
    axisSegment(x, count_, knots_.data(), xmin_, xmax_, i, t);
}

// ---------------------------------------------------------------------------------------------

namespace {
template <class V>
bool validGrid(int nx, int ny, const float* xKnots, const float* yKnots, const V* values) {
    return nx > 0 && ny > 0 && xKnots != nullptr && yKnots != nullptr && values != nullptr;
}
}  // namespace

KivInterpolation2D::KivInterpolation2D(int nx, int ny, const float* xKnots, const float* yKnots,
                                       const float* values) {
    if (!validGrid(nx, ny, xKnots, yKnots, values)) return;
    assign(nx, ny, xKnots, yKnots,
           copyTable(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny), values));
}

KivInterpolation2D::KivInterpolation2D(int nx, int ny, const float* xKnots, const float* yKnots,
                                       const double* values) {
    if (!validGrid(nx, ny, xKnots, yKnots, values)) return;
    assign(nx, ny, xKnots, yKnots,
           copyTable(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny), values));
}

void KivInterpolation2D::assign(int nx, int ny, const float* xKnots, const float* yKnots,
                                std::vector<float> values) {
    countX_ = nx;
    countY_ = ny;
    xKnots_ = copyTable(static_cast<std::size_t>(nx), xKnots);
    yKnots_ = copyTable(static_cast<std::size_t>(ny), yKnots);
    values_ = std::move(values);
    xmin_ = xKnots_.front();
    ymin_ = yKnots_.front();
    xmax_ = xKnots_.back();
    ymax_ = yKnots_.back();
}

KivInterpolation2D::~KivInterpolation2D() = default;

int KivInterpolation2D::find_x_knot(float x) const {
    return findInterval(x, countX_, xKnots_.data());
}

int KivInterpolation2D::find_y_knot(float y) const {
    return findInterval(y, countY_, yKnots_.data());
}

float KivInterpolation2D::value(int column, int row) const {
    if (column < 0 || column >= countX_ || row < 0 || row >= countY_) return 0.0f;
    return values_[static_cast<std::size_t>(column) +
                   static_cast<std::size_t>(row) * static_cast<std::size_t>(countX_)];
}

// ---------------------------------------------------------------------------------------------

KivCatmullRom1D::~KivCatmullRom1D() = default;

float KivCatmullRom1D::evaluate(float x, float) const {
    if (count_ < 2) return constantOf(values_);
    int i;
    float t;
    segment(x, i, t);
    const int n = count_;
    const float p0 = values_[static_cast<std::size_t>(std::max(i - 1, 0))];
    const float p1 = values_[static_cast<std::size_t>(i)];
    const float p2 = values_[static_cast<std::size_t>(i + 1)];
    const float p3 = values_[static_cast<std::size_t>(std::min(i + 2, n - 1))];
    const float t2 = t * t;
    const float t3 = t2 * t;
    return 0.5f * ((-t3 + 2.0f * t2 - t) * p0 + (3.0f * t3 - 5.0f * t2 + 2.0f) * p1 +
                   (-3.0f * t3 + 4.0f * t2 + t) * p2 + (t3 - t2) * p3);
}

// ---------------------------------------------------------------------------------------------

KivCardinal1D::KivCardinal1D(int n, const float* knots, const float* values, float tension)
    : KivInterpolation1D(n, knots, values), tension_(tension) {
    fillCardinalBasis(tension, basis_);
}

KivCardinal1D::KivCardinal1D(int n, const float* knots, const double* values, float tension)
    : KivInterpolation1D(n, knots, values), tension_(tension) {
    fillCardinalBasis(tension, basis_);
}

KivCardinal1D::~KivCardinal1D() = default;

float KivCardinal1D::evaluate(float x, float) const {
    if (count_ < 2) return std::max(constantOf(values_), 0.0f);
    int i;
    float t;
    segment(x, i, t);
    float w[4];
    cardinalWeights(basis_, t, w);
    const int n = count_;
    const float r = w[0] * values_[static_cast<std::size_t>(std::max(i - 1, 0))] +
                    w[1] * values_[static_cast<std::size_t>(i)] +
                    w[2] * values_[static_cast<std::size_t>(i + 1)] +
                    w[3] * values_[static_cast<std::size_t>(std::min(i + 2, n - 1))];
    return r < 0.0f ? 0.0f : r;
}

// ---------------------------------------------------------------------------------------------

KivCardinal2D::KivCardinal2D(int nx, int ny, const float* xKnots, const float* yKnots,
                             const float* values, float tension)
    : KivInterpolation2D(nx, ny, xKnots, yKnots, values), tension_(tension) {
    fillCardinalBasis(tension, basis_);
}

KivCardinal2D::KivCardinal2D(int nx, int ny, const float* xKnots, const float* yKnots,
                             const double* values, float tension)
    : KivInterpolation2D(nx, ny, xKnots, yKnots, values), tension_(tension) {
    fillCardinalBasis(tension, basis_);
}

KivCardinal2D::~KivCardinal2D() = default;

float KivCardinal2D::evaluate(float x, float y) const {
    if (countX_ < 2 || countY_ < 2) {
        // A single column or row has nothing to interpolate across; answer its first node.
        return std::max(constantOf(values_), 0.0f);
    }
    int ix, iy;
    float tx, ty;
    axisSegment(x, countX_, xKnots_.data(), xmin_, xmax_, ix, tx);
    axisSegment(y, countY_, yKnots_.data(), ymin_, ymax_, iy, ty);
    float wx[4], wy[4];
    cardinalWeights(basis_, tx, wx);
    cardinalWeights(basis_, ty, wy);
    const int cols[4] = {std::max(ix - 1, 0), ix, std::min(ix + 1, countX_ - 1),
                         std::min(ix + 2, countX_ - 1)};
    const int rows[4] = {std::max(iy - 1, 0), iy, std::min(iy + 1, countY_ - 1),
                         std::min(iy + 2, countY_ - 1)};
    float r = 0.0f;
    for (int k = 0; k < 4; ++k) {
        float across = 0.0f;
        for (int m = 0; m < 4; ++m) across += wx[m] * value(cols[m], rows[k]);
        r += wy[k] * across;
    }
    return r < 0.0f ? 0.0f : r;
}

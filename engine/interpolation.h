#pragma once
// Interpolating splines over tabulated data: one value per knot (1D) or per grid node (2D).
// The goniometric light evaluates cardinal splines over its candela tables by angle.
//
// Every object owns copies of its knot and value arrays. A spline needs at least two knots in
// each dimension to interpolate; a smaller (or missing) table is kept empty and evaluates to a
// constant: its single value, or 0 when it has none.
#include <vector>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

class KIV_API KivInterpolate {
public:
    virtual int dimension() const = 0;
    virtual float xmin() const = 0;
    virtual float xmax() const = 0;
    virtual float ymin() const;
    virtual float ymax() const;
    virtual float evaluate(float x, float y) const = 0;
    // Declared after the operations so that it takes the slot after them; virtual so that a
    // spline can be destroyed through this interface.
    virtual ~KivInterpolate();
};

class KIV_API KivInterpolation1D : public KivInterpolate {
public:
    // The arrays hold n entries each and are copied.
    KivInterpolation1D(int n, const float* knots, const float* values);
    KivInterpolation1D(int n, const float* knots, const double* values);
    ~KivInterpolation1D() override;

    int dimension() const override { return 1; }
    float xmin() const override { return xmin_; }
    float xmax() const override { return xmax_; }

    // The interval i with knots[i] <= x < knots[i + 1]. Outside the knots it answers the
    // nearest end interval (0 below and for NaN, count - 2 from the last knot on).
    int find_knot(float x) const;

    int count() const { return count_; }
    const float* knots() const { return knots_.data(); }
    const float* values() const { return values_.data(); }

protected:
    // Segment i and its parameter t for x, with x at or beyond an end placed on the end
    // segment (t then falls outside [0, 1], which extrapolates that segment). Needs count >= 2.
    void segment(float x, int& i, float& t) const;

    KivLong count_ = 0;
    std::vector<float> knots_;
    std::vector<float> values_;
    float xmin_ = 0.0f;
    float xmax_ = 0.0f;
};

class KIV_API KivInterpolation2D : public KivInterpolate {
public:
    // values holds nx * ny entries, column i of row j at index i + j * nx; all arrays are copied.
    KivInterpolation2D(int nx, int ny, const float* xKnots, const float* yKnots,
                       const float* values);
    KivInterpolation2D(int nx, int ny, const float* xKnots, const float* yKnots,
                       const double* values);
    ~KivInterpolation2D() override;

    int dimension() const override { return 2; }
    float xmin() const override { return xmin_; }
    float xmax() const override { return xmax_; }
    float ymin() const override { return ymin_; }
    float ymax() const override { return ymax_; }

    // Interval searches over the x and y knots, answering like KivInterpolation1D::find_knot.
    int find_x_knot(float x) const;
    int find_y_knot(float y) const;
    // The value of grid node (column, row); 0 for a node outside the grid.
    float value(int column, int row) const;

    int countX() const { return countX_; }
    int countY() const { return countY_; }

protected:
    KivLong countX_ = 0;
    KivLong countY_ = 0;
    std::vector<float> xKnots_;
    std::vector<float> yKnots_;
    std::vector<float> values_;
    float xmin_ = 0.0f;
    float ymin_ = 0.0f;
    float xmax_ = 0.0f;
    float ymax_ = 0.0f;

private:
    // Takes copies of the knots and the already converted values.
    void assign(int nx, int ny, const float* xKnots, const float* yKnots,
                std::vector<float> values);
};

// Catmull-Rom spline through the knot values. Meant for xmin <= x < xmax; outside, the end
// segment is extrapolated. The result may be negative.
class KIV_API KivCatmullRom1D : public KivInterpolation1D {
public:
    using KivInterpolation1D::KivInterpolation1D;
    float evaluate(float x, float y) const override;
    ~KivCatmullRom1D() override;
};

// Cardinal spline with tension s (0.5 gives Catmull-Rom weights). Outside the range the end
// segments are extrapolated; a negative result is answered as 0.
class KIV_API KivCardinal1D : public KivInterpolation1D {
public:
    KivCardinal1D(int n, const float* knots, const float* values, float tension);
    KivCardinal1D(int n, const float* knots, const double* values, float tension);
    float evaluate(float x, float y) const override;
    ~KivCardinal1D() override;

    float tension() const { return tension_; }

protected:
    float tension_;
    // Rows for t^3, t^2, t and 1; columns for the control values P0..P3.
    float basis_[4][4];
};

class KIV_API KivCardinal2D : public KivInterpolation2D {
public:
    KivCardinal2D(int nx, int ny, const float* xKnots, const float* yKnots, const float* values,
                  float tension);
    KivCardinal2D(int nx, int ny, const float* xKnots, const float* yKnots, const double* values,
                  float tension);
    float evaluate(float x, float y) const override;
    ~KivCardinal2D() override;

    float tension() const { return tension_; }

protected:
    float tension_;
    float basis_[4][4];
};

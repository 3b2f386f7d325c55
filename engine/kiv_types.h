#pragma once
// Value types exchanged by value across the flat interfaces of both libraries. Their layouts
// are part of that interface: four floats for colours, points and vectors, three for texture
// coordinates, sixteen for a matrix and six for a boundary.
#include <cmath>
#include <cstdint>

// The interface's success flags and handles-as-numbers are 32-bit integers on every platform.
using KivLong = std::int32_t;

// Energies below this count as zero.
inline constexpr float kKivEnergyEpsilon = 1e-10f;
// Stands for "no value" and for infinity.
inline constexpr float kKivInfinity = 1e38f;
inline constexpr float kKivPi = 3.1415927f;

namespace kiv::detail {
// Shared arithmetic of the three four-float types. Only the first three components take part;
// every produced value carries 1 as its fourth component.
template <class T>
struct Quad {
    constexpr friend T operator+(const T& a, const T& b) { return T::make(a.c0() + b.c0(), a.c1() + b.c1(), a.c2() + b.c2()); }
    constexpr friend T operator-(const T& a, const T& b) { return T::make(a.c0() - b.c0(), a.c1() - b.c1(), a.c2() - b.c2()); }
    constexpr friend T operator*(const T& a, float s) { return T::make(a.c0() * s, a.c1() * s, a.c2() * s); }
    constexpr friend T operator*(float s, const T& a) { return T::make(s * a.c0(), s * a.c1(), s * a.c2()); }
    constexpr friend T operator/(const T& a, float s) {
        const float inv = 1.0f / s;
        return T::make(a.c0() * inv, a.c1() * inv, a.c2() * inv);
    }
    constexpr friend T operator+(const T& a, float s) { return T::make(a.c0() + s, a.c1() + s, a.c2() + s); }
    constexpr friend T operator-(const T& a, float s) { return T::make(a.c0() - s, a.c1() - s, a.c2() - s); }
    constexpr friend T operator-(const T& a) { return T::make(-a.c0(), -a.c1(), -a.c2()); }
    constexpr T& operator+=(const T& b) { return self() = self() + b; }
    constexpr T& operator-=(const T& b) { return self() = self() - b; }
    constexpr T& operator*=(float s) { return self() = self() * s; }
    constexpr T& operator/=(float s) { return self() = self() / s; }

private:
    constexpr T& self() { return static_cast<T&>(*this); }
};
}  // namespace kiv::detail

struct KivColor : kiv::detail::Quad<KivColor> {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
    constexpr KivColor() = default;
    constexpr KivColor(float r_, float g_, float b_, float a_ = 1.0f) : r(r_), g(g_), b(b_), a(a_) {}
    static constexpr KivColor make(float x, float y, float z) { return {x, y, z, 1.0f}; }
    constexpr float c0() const { return r; }
    constexpr float c1() const { return g; }
    constexpr float c2() const { return b; }
    // Component-wise product and quotient of two colours.
    constexpr friend KivColor operator*(const KivColor& x, const KivColor& y) { return make(x.r * y.r, x.g * y.g, x.b * y.b); }
    constexpr friend KivColor operator/(const KivColor& x, const KivColor& y) { return make(x.r / y.r, x.g / y.g, x.b / y.b); }
    constexpr KivColor& operator*=(const KivColor& y) { return *this = *this * y; }
    using kiv::detail::Quad<KivColor>::operator*=;
};

struct KivVector : kiv::detail::Quad<KivVector> {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
    constexpr KivVector() = default;
    constexpr KivVector(float x_, float y_, float z_, float w_ = 1.0f) : x(x_), y(y_), z(z_), w(w_) {}
    static constexpr KivVector make(float a, float b, float c) { return {a, b, c, 1.0f}; }
    constexpr float c0() const { return x; }
    constexpr float c1() const { return y; }
    constexpr float c2() const { return z; }
};

struct KivPoint : kiv::detail::Quad<KivPoint> {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
    constexpr KivPoint() = default;
    constexpr KivPoint(float x_, float y_, float z_, float w_ = 1.0f) : x(x_), y(y_), z(z_), w(w_) {}
    static constexpr KivPoint make(float a, float b, float c) { return {a, b, c, 1.0f}; }
    constexpr float c0() const { return x; }
    constexpr float c1() const { return y; }
    constexpr float c2() const { return z; }
    // Points and directions mix where geometry needs it.
    constexpr friend KivPoint operator+(const KivPoint& p, const KivVector& v) { return make(p.x + v.x, p.y + v.y, p.z + v.z); }
    constexpr friend KivPoint operator-(const KivPoint& p, const KivVector& v) { return make(p.x - v.x, p.y - v.y, p.z - v.z); }
};

struct KivUvw {
    float u = 0.0f, v = 0.0f, w = 1.0f;
};

struct KivMatrix {
    // Element (r, c) is m[4r + c]; points transform as row vectors, so the rows of a frame
    // matrix are its three axes and its origin.
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    constexpr float& at(int r, int c) { return m[4 * r + c]; }
    constexpr float at(int r, int c) const { return m[4 * r + c]; }
};

struct KivBoundary {
    float xmin, xmax, ymin, ymax, zmin, zmax;
};

static_assert(sizeof(KivColor) == 16 && sizeof(KivPoint) == 16 && sizeof(KivVector) == 16);
static_assert(sizeof(KivUvw) == 12 && sizeof(KivMatrix) == 64 && sizeof(KivBoundary) == 24);

namespace kiv {

// Conversions between the four-float types keep all four components.
constexpr KivVector toVector(const KivPoint& p) { return {p.x, p.y, p.z, p.w}; }
constexpr KivPoint toPoint(const KivVector& v) { return {v.x, v.y, v.z, v.w}; }
constexpr KivVector vectorBetween(const KivPoint& from, const KivPoint& to) {
    return KivVector::make(to.x - from.x, to.y - from.y, to.z - from.z);
}

template <class A, class B>
constexpr float dot(const A& a, const B& b) {
    return a.c0() * b.c0() + a.c1() * b.c1() + a.c2() * b.c2();
}
inline KivVector cross(const KivVector& a, const KivVector& b) {
    return KivVector::make(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
template <class A>
inline float length(const A& a) {
    return std::sqrt(dot(a, a));
}
// Scaled by the reciprocal of the length; a zero vector stays zero.
template <class A>
inline A normalise(const A& a) {
    const float len = length(a);
    if (len == 0.0f) return A::make(0.0f, 0.0f, 0.0f);
    const float inv = 1.0f / len;
    return A::make(a.c0() * inv, a.c1() * inv, a.c2() * inv);
}
template <class A>
constexpr A negate(const A& a) {
    return A::make(-a.c0(), -a.c1(), -a.c2());
}
inline float clampf(float c, float lo, float hi) {
    if (c >= hi) return hi;
    if (c <= lo) return lo;
    return c;
}
inline KivColor clamp(const KivColor& c, float lo, float hi) {
    return KivColor::make(clampf(c.r, lo, hi), clampf(c.g, lo, hi), clampf(c.b, lo, hi));
}
// Half the length of cross(p1 - p0, p2 - p1).
inline float triangleArea(const KivPoint& p0, const KivPoint& p1, const KivPoint& p2) {
    return 0.5f * length(cross(vectorBetween(p0, p1), vectorBetween(p1, p2)));
}
template <class A>
constexpr A transform(const A& p, const KivMatrix& M) {
    const float* m = M.m;
    const float x = p.c0(), y = p.c1(), z = p.c2();
    const float w = p.w;
    A r;
    r.x = x * m[0] + y * m[4] + z * m[8] + w * m[12];
    r.y = x * m[1] + y * m[5] + z * m[9] + w * m[13];
    r.z = x * m[2] + y * m[6] + z * m[10] + w * m[14];
    r.w = x * m[3] + y * m[7] + z * m[11] + w * m[15];
    return r;
}
// Inverse of a frame whose upper 3x3 block is a rotation: the block transposed, and the origin
// row replaced by the negated origin expressed in the rotated axes.
inline KivMatrix rigidInverse(const KivMatrix& M) {
    KivMatrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.at(i, j) = M.at(j, i);
    const float ox = M.at(3, 0), oy = M.at(3, 1), oz = M.at(3, 2);
    for (int j = 0; j < 3; ++j)
        r.at(3, j) = -(ox * M.at(j, 0) + oy * M.at(j, 1) + oz * M.at(j, 2));
    r.at(0, 3) = r.at(1, 3) = r.at(2, 3) = 0.0f;
    r.at(3, 3) = 1.0f;
    return r;
}

}  // namespace kiv

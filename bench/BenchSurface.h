// The default surface of the window (its four coordinate formulas and its
// domain bounds), written once as engine texts and once as C++ templates that
// the benchmarks instantiate with plain doubles and with hand-written
// forward-mode dual numbers, the native peers of the compiled code.
#pragma once

#include <array>
#include <cmath>
#include <string>

namespace velmora::bench {

// The window's initial input.
inline const std::array<std::string, 4> kDefaultSurface = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)"};
inline const std::array<std::string, 4> kDefaultBounds = {"0", "2 pi", "0", "2.2"};

// ---- a value with its first and second derivative along a curve ------------
struct Dual {
    double v, d1, d2;
};
inline Dual operator+(Dual a, Dual b) { return {a.v + b.v, a.d1 + b.d1, a.d2 + b.d2}; }
inline Dual operator-(Dual a, Dual b) { return {a.v - b.v, a.d1 - b.d1, a.d2 - b.d2}; }
inline Dual operator*(Dual a, Dual b) {
    return {a.v * b.v, a.d1 * b.v + a.v * b.d1, a.d2 * b.v + 2 * a.d1 * b.d1 + a.v * b.d2};
}
inline Dual operator*(double k, Dual b) { return {k * b.v, k * b.d1, k * b.d2}; }
inline Dual operator-(double k, Dual b) { return {k - b.v, -b.d1, -b.d2}; }
inline Dual cos(Dual a) {
    const double s = std::sin(a.v), c = std::cos(a.v);
    return {c, -s * a.d1, -c * a.d1 * a.d1 - s * a.d2};
}
inline Dual sin(Dual a) {
    const double s = std::sin(a.v), c = std::cos(a.v);
    return {s, c * a.d1, -s * a.d1 * a.d1 + c * a.d2};
}

// ---- a value with its gradient and Hessian in (u, v) ----------------------------
struct Jet2 {
    double f, fu, fv, fuu, fuv, fvv;
};
inline Jet2 operator+(const Jet2& a, const Jet2& b) {
    return {a.f + b.f, a.fu + b.fu, a.fv + b.fv, a.fuu + b.fuu, a.fuv + b.fuv, a.fvv + b.fvv};
}
inline Jet2 operator-(const Jet2& a, const Jet2& b) {
    return {a.f - b.f, a.fu - b.fu, a.fv - b.fv, a.fuu - b.fuu, a.fuv - b.fuv, a.fvv - b.fvv};
}
inline Jet2 operator*(const Jet2& a, const Jet2& b) {
    return {a.f * b.f,
            a.fu * b.f + a.f * b.fu,
            a.fv * b.f + a.f * b.fv,
            a.fuu * b.f + 2 * a.fu * b.fu + a.f * b.fuu,
            a.fuv * b.f + a.fu * b.fv + a.fv * b.fu + a.f * b.fuv,
            a.fvv * b.f + 2 * a.fv * b.fv + a.f * b.fvv};
}
inline Jet2 operator*(double k, const Jet2& a) { return {k * a.f, k * a.fu, k * a.fv, k * a.fuu, k * a.fuv, k * a.fvv}; }
inline Jet2 operator-(double k, const Jet2& a) { return {k - a.f, -a.fu, -a.fv, -a.fuu, -a.fuv, -a.fvv}; }
// g(a) from g(x), g'(x), g''(x) at x = a.f: the chain rule of second order.
inline Jet2 Chain(const Jet2& a, double g, double g1, double g2) {
    return {g, g1 * a.fu, g1 * a.fv, g2 * a.fu * a.fu + g1 * a.fuu, g2 * a.fu * a.fv + g1 * a.fuv,
            g2 * a.fv * a.fv + g1 * a.fvv};
}
inline Jet2 cos(const Jet2& a) {
    const double s = std::sin(a.f), c = std::cos(a.f);
    return Chain(a, c, -s, -c);
}
inline Jet2 sin(const Jet2& a) {
    const double s = std::sin(a.f), c = std::cos(a.f);
    return Chain(a, s, c, -s);
}

// ---- the coordinate formulas, for any of the number types above -----------------
using std::cos;
using std::sin;
template <class T> T X(T u, T v) { return (1 - 0.1 * cos(v)) * cos(u) + 0.1 * sin(u) * sin(v); }
template <class T> T Y(T u, T v) { return (1 - 0.1 * cos(v)) * sin(u) - 0.1 * cos(u) * sin(v); }
template <class T> T Z(T u, T v) { return (1 - 0.4 * cos(v)) * cos(2 * u) + 0.8 * sin(2 * u) * sin(v); }
template <class T> T W(T u, T v) { return (1 - 0.4 * cos(v)) * sin(2 * u) - 0.8 * cos(2 * u) * sin(v); }
template <class T> T UV(T u, T v) { return u * v; }

}  // namespace velmora::bench

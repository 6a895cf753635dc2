// Plain geometric value types shared by every layer of the engine, and the
// marker value that geometry functions return where a quantity is undefined.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace velmora {

using Vector2 = std::array<double, 2>;   // a point or vector of the domain (u, v)
using Vector3 = std::array<double, 3>;
using Vector4 = std::array<double, 4>;   // a point or vector of R^4 (x, y, z, w)
using Matrix2 = std::array<std::array<double, 2>, 2>;  // row-major
using Matrix3 = std::array<std::array<double, 3>, 3>;  // row-major

struct Vector2Int {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Vector2Int&) const = default;
};

// Returned instead of a number where a geometric quantity has no value; callers
// compare against it exactly.
inline constexpr double UndefinedValue = 1511724757.0;

// A quantity that the arithmetic left without a value (infinite or NaN) is
// undefined.
inline double OrUndefined(double value) { return std::isfinite(value) ? value : UndefinedValue; }

// Nearest integer, ties to even (the rounding used for every pixel coordinate).
// Values beyond the int range saturate instead of being undefined behaviour.
inline int RoundHalfEven(double x) {
    if (!(x == x)) return 0;
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(std::nearbyint(x));
}

}  // namespace velmora

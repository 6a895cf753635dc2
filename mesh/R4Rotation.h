// Rotations of R^4 by six angles, one in each coordinate plane. A rotation
// in the plane of axes i < j by the angle a carries e_i to cos a e_i + sin a e_j
// and e_j to -sin a e_i + cos a e_j, leaving the other two axes fixed; the six
// are applied in the order xy, xz, xw, yz, yw, zw (xy first).
#pragma once

#include "platform/VelmoraTypes.h"

#include <array>
#include <optional>
#include <string_view>

namespace velmora {

using Matrix4 = std::array<std::array<double, 4>, 4>;  // row-major

enum class TPlane : int { XY = 0, XZ, XW, YZ, YW, ZW };
inline constexpr int kPlanes = 6;

// "xy", "xz", "xw", "yz", "yw", "zw".
const char* PlaneName(TPlane plane);
std::optional<TPlane> PlaneFromName(std::string_view name);
// The two axes (0 = x ... 3 = w) of a plane, the first the smaller.
std::array<int, 2> PlaneAxes(TPlane plane);

// Angles in degrees, indexed by TPlane.
struct TPlaneAngles {
    std::array<double, kPlanes> degrees{};
    double& operator[](TPlane p) { return degrees[static_cast<int>(p)]; }
    double operator[](TPlane p) const { return degrees[static_cast<int>(p)]; }
    bool operator==(const TPlaneAngles&) const = default;
};

Matrix4 Identity4();
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
Matrix4 Transpose(const Matrix4& a);
Vector4 Apply(const Matrix4& m, const Vector4& p);

// The rotation by `degrees` in one plane.
Matrix4 PlaneRotation(TPlane plane, double degrees);
// The six plane rotations composed, xy applied first.
Matrix4 RotationOf(const TPlaneAngles& angles);

}  // namespace velmora

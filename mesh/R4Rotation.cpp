#include "mesh/R4Rotation.h"

#include <cmath>
#include <numbers>

namespace velmora {

namespace {
constexpr std::array<const char*, kPlanes> kNames{"xy", "xz", "xw", "yz", "yw", "zw"};
constexpr std::array<std::array<int, 2>, kPlanes> kAxes{{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}};
}  // namespace

const char* PlaneName(TPlane plane) { return kNames.at(static_cast<int>(plane)); }

std::optional<TPlane> PlaneFromName(std::string_view name) {
    for (int i = 0; i < kPlanes; ++i)
        if (name == kNames[i]) return static_cast<TPlane>(i);
    return std::nullopt;
}

std::array<int, 2> PlaneAxes(TPlane plane) { return kAxes.at(static_cast<int>(plane)); }

Matrix4 Identity4() {
    Matrix4 m{};
    for (int i = 0; i < 4; ++i) m[i][i] = 1;
    return m;
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 m{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) m[i][j] += a[i][k] * b[k][j];
    return m;
}

Matrix4 Transpose(const Matrix4& a) {
    Matrix4 m{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] = a[j][i];
    return m;
}

Vector4 Apply(const Matrix4& m, const Vector4& p) {
    Vector4 q{};
    for (int i = 0; i < 4; ++i) q[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3] * p[3];
    return q;
}

Matrix4 PlaneRotation(TPlane plane, double degrees) {
    const auto [i, j] = PlaneAxes(plane);
    const double a = degrees * std::numbers::pi / 180;
    const double c = std::cos(a), s = std::sin(a);
    Matrix4 m = Identity4();
    // Column i is the image of e_i, column j that of e_j.
    m[i][i] = c;
    m[j][i] = s;
    m[i][j] = -s;
    m[j][j] = c;
    return m;
}

Matrix4 RotationOf(const TPlaneAngles& angles) {
    Matrix4 m = Identity4();
    for (int k = 0; k < kPlanes; ++k) m = Multiply(PlaneRotation(static_cast<TPlane>(k), angles.degrees[k]), m);
    return m;
}

}  // namespace velmora

// The rotation of R^4 and the three projections, against hand-derived values.
#include "mesh/Projection4D.h"
#include "mesh/R4Rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace velmora {
namespace {

constexpr double kDeg = std::numbers::pi / 180;

TPlaneAngles RandomAngles(std::mt19937& rng) {
    std::uniform_real_distribution<double> angle(-180, 180);
    TPlaneAngles a;
    for (double& d : a.degrees) d = angle(rng);
    return a;
}

double Determinant(const Matrix4& m) {
    // Laplace along the first row of 3 x 3 minors.
    const auto minor3 = [&](int skip) {
        int c[3], n = 0;
        for (int k = 0; k < 4; ++k)
            if (k != skip) c[n++] = k;
        return m[1][c[0]] * (m[2][c[1]] * m[3][c[2]] - m[2][c[2]] * m[3][c[1]]) -
               m[1][c[1]] * (m[2][c[0]] * m[3][c[2]] - m[2][c[2]] * m[3][c[0]]) +
               m[1][c[2]] * (m[2][c[0]] * m[3][c[1]] - m[2][c[1]] * m[3][c[0]]);
    };
    return m[0][0] * minor3(0) - m[0][1] * minor3(1) + m[0][2] * minor3(2) - m[0][3] * minor3(3);
}

TEST(Rotation, IsOrthogonalWithDeterminantOne) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 50; ++trial) {
        const Matrix4 r = RotationOf(RandomAngles(rng));
        const Matrix4 rrt = Multiply(r, Transpose(r));
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_NEAR(rrt[i][j], i == j ? 1 : 0, 1e-14);
        EXPECT_NEAR(Determinant(r), 1, 1e-13);
    }
}

TEST(Rotation, ComposesAsItShould) {
    // Angles in one plane add up; a turn and its opposite cancel.
    for (int p = 0; p < kPlanes; ++p) {
        const TPlane plane = static_cast<TPlane>(p);
        const Matrix4 twice = Multiply(PlaneRotation(plane, 25), PlaneRotation(plane, 40));
        const Matrix4 once = PlaneRotation(plane, 65);
        const Matrix4 back = Multiply(PlaneRotation(plane, -33), PlaneRotation(plane, 33));
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                EXPECT_NEAR(twice[i][j], once[i][j], 1e-15);
                EXPECT_NEAR(back[i][j], i == j ? 1 : 0, 1e-15);
            }
    }
    // A quarter turn in the xw plane carries x to w and w to -x.
    const Vector4 xw = Apply(PlaneRotation(TPlane::XW, 90), {1, 0, 0, 0});
    EXPECT_NEAR(xw[3], 1, 1e-15);
    EXPECT_NEAR(xw[0], 0, 1e-15);
    EXPECT_NEAR(Apply(PlaneRotation(TPlane::XW, 90), {0, 0, 0, 1})[0], -1, 1e-15);
    // xy first, then xz: e_x -> (cos a, sin a, 0, 0) -> (cos a cos b, sin a, cos a sin b, 0).
    TPlaneAngles angles;
    angles[TPlane::XY] = 30;
    angles[TPlane::XZ] = 50;
    const Vector4 ex = Apply(RotationOf(angles), {1, 0, 0, 0});
    EXPECT_NEAR(ex[0], std::cos(30 * kDeg) * std::cos(50 * kDeg), 1e-15);
    EXPECT_NEAR(ex[1], std::sin(30 * kDeg), 1e-15);
    EXPECT_NEAR(ex[2], std::cos(30 * kDeg) * std::sin(50 * kDeg), 1e-15);
    EXPECT_NEAR(ex[3], 0, 1e-15);
    // Rotations in planes of x, y, z leave w where it is.
    const Matrix4 r = RotationOf(TPlaneAngles{{10, 20, 0, 30, 0, 0}});
    EXPECT_EQ(Apply(r, {0, 0, 0, 2})[3], 2);
    EXPECT_EQ(Apply(r, {1, 2, 3, 0})[3], 0);
}

TEST(Rotation, PlanesByName) {
    EXPECT_EQ(PlaneFromName("yw"), TPlane::YW);
    EXPECT_EQ(std::string(PlaneName(TPlane::ZW)), "zw");
    EXPECT_FALSE(PlaneFromName("wx"));
    EXPECT_EQ(PlaneAxes(TPlane::YZ), (std::array<int, 2>{1, 2}));
}

TEST(Projection, ThreeKindsAtHandDerivedPoints) {
    const Vector4 q{0.3, -0.2, 0.4, 0.5};
    const double R = 2;
    EXPECT_EQ(*ProjectRotated(q, TProjectionKind::Orthographic, R), (Vector3{0.3, -0.2, 0.4}));
    // From (0,0,0,6): scale 6/(6 - 0.5).
    const Vector3 p = *ProjectRotated(q, TProjectionKind::Perspective, R);
    EXPECT_NEAR(p[0], 0.3 * 6 / 5.5, 1e-15);
    EXPECT_NEAR(p[2], 0.4 * 6 / 5.5, 1e-15);
    EXPECT_FALSE(ProjectRotated({0, 0, 0, 6}, TProjectionKind::Perspective, R));
    // On the 3-sphere of radius R the stereographic image is R (x, y, z)/(R - w).
    const Vector4 s{0.6 * R, 0, 0.48 * R, 0.64 * R};  // 0.36 + 0.2304 + 0.4096 = 1
    const Vector3 st = *ProjectRotated(s, TProjectionKind::Stereographic, R);
    EXPECT_NEAR(st[0], R * s[0] / (R - s[3]), 1e-14);
    EXPECT_NEAR(st[2], R * s[2] / (R - s[3]), 1e-14);
    // The equator keeps its place; the pole and its neighbourhood have no image.
    EXPECT_NEAR((*ProjectRotated({0, 2, 0, 0}, TProjectionKind::Stereographic, R))[1], 2, 1e-15);
    EXPECT_FALSE(ProjectRotated({0, 0, 0, R}, TProjectionKind::Stereographic, R));
    EXPECT_FALSE(ProjectRotated({0.01, 0, 0, R}, TProjectionKind::Stereographic, R));
}

TEST(Projection, NamesAndShades) {
    EXPECT_EQ(ProjectionFromName("stereographic"), TProjectionKind::Stereographic);
    EXPECT_FALSE(ProjectionFromName("Orthographic"));
    EXPECT_EQ(ColouringFromName("depth"), TColouring::FourthCoordinate);
    // The fourth coordinate spans the whole ramp: -R at one end, R at the other.
    EXPECT_EQ(FourthCoordinateShade(-3, 3), 0);
    EXPECT_EQ(FourthCoordinateShade(3, 3), 511);
    EXPECT_EQ(FourthCoordinateShade(0, 3), 256);
    const TColouringPalette depth = ColouringPalette(TColouring::FourthCoordinate);
    EXPECT_NE(depth[0], depth[511]);
    const TColouringPalette plain = ColouringPalette(TColouring::Plain);
    EXPECT_EQ(plain[0], kPlainSurfaceColour);
    EXPECT_EQ(plain[300], kPlainSurfaceColour);
}

}  // namespace
}  // namespace velmora

#include "geometry/VectorMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

using namespace velmora;

namespace {

// Leibniz expansion over the 24 permutations: independent of the elimination.
double LeibnizDet(const std::array<Vector4, 4>& m) {
    std::array<int, 4> perm{0, 1, 2, 3};
    double total = 0;
    do {
        int inversions = 0;
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                if (perm[i] > perm[j]) ++inversions;
        double term = inversions % 2 ? -1.0 : 1.0;
        for (int i = 0; i < 4; ++i) term *= m[i][perm[i]];
        total += term;
    } while (std::next_permutation(perm.begin(), perm.end()));
    return total;
}

Vector4 RandomVector(std::mt19937& rng) {
    std::uniform_real_distribution<double> d(-2, 2);
    return {d(rng), d(rng), d(rng), d(rng)};
}

}  // namespace

TEST(VectorMath, DotAndNorm) {
    const Vector4 a{1, 2, 3, 4}, b{-1, 0.5, 2, -0.25};
    EXPECT_DOUBLE_EQ(Dot4(a, b), -1 + 1 + 6 - 1);
    EXPECT_DOUBLE_EQ(NormSquared4(a), 30);
}

TEST(VectorMath, DeterminantMatchesLeibnizExpansion) {
    std::mt19937 rng(7);
    for (int n = 0; n < 200; ++n) {
        std::array<Vector4, 4> m{RandomVector(rng), RandomVector(rng), RandomVector(rng), RandomVector(rng)};
        EXPECT_NEAR(Determinant4(m[0], m[1], m[2], m[3]), LeibnizDet(m), 1e-12 * 64);
    }
}

TEST(VectorMath, DeterminantPivotingAndSingularCases) {
    // Zeros on the diagonal force row exchanges (each one flips the sign).
    const Vector4 e0{1, 0, 0, 0}, e1{0, 1, 0, 0}, e2{0, 0, 1, 0}, e3{0, 0, 0, 1};
    EXPECT_DOUBLE_EQ(Determinant4(e0, e1, e2, e3), 1);
    EXPECT_DOUBLE_EQ(Determinant4(e1, e0, e2, e3), -1);
    EXPECT_DOUBLE_EQ(Determinant4(e1, e2, e3, e0), -1);
    EXPECT_DOUBLE_EQ(Determinant4(e3, e2, e1, e0), 1);
    // A zero first column, and a zero second column after elimination: 0.
    const Vector4 z1{0, 1, 2, 3}, z2{0, 4, 5, 6}, z3{0, 7, 8, 10}, z4{0, -1, 2, 1};
    EXPECT_EQ(Determinant4(z1, z2, z3, z4), 0.0);
    const Vector4 r1{1, 2, 3, 4}, r2{2, 4, 1, 0}, r3{3, 6, 5, 1}, r4{-1, -2, 0, 2};
    EXPECT_EQ(Determinant4(r1, r2, r3, r4), 0.0);
    // Two equal rows.
    EXPECT_NEAR(Determinant4(r1, r2, r1, e3), 0.0, 1e-14);
    // Scaling one row scales the determinant.
    const Vector4 a{2, -1, 0.5, 3}, b{1, 1, -2, 0}, c{0.5, 4, 1, -1}, d{-3, 2, 2, 1};
    const Vector4 a3{6, -3, 1.5, 9};
    EXPECT_NEAR(Determinant4(a3, b, c, d), 3 * Determinant4(a, b, c, d), 1e-12);
}

TEST(VectorMath, CrossProductRepresentsTheDeterminant) {
    std::mt19937 rng(11);
    for (int n = 0; n < 50; ++n) {
        const Vector4 U = RandomVector(rng), V = RandomVector(rng), W = RandomVector(rng), Y = RandomVector(rng);
        const Vector4 X = CrossProductR4(U, V, W);
        EXPECT_NEAR(Dot4(X, Y), LeibnizDet({Y, U, V, W}), 1e-11);
        EXPECT_NEAR(Dot4(X, U), 0, 1e-11);
        EXPECT_NEAR(Dot4(X, V), 0, 1e-11);
        EXPECT_NEAR(Dot4(X, W), 0, 1e-11);
    }
    // Of the last three basis vectors: e0 (det(e0, e1, e2, e3) = 1).
    const Vector4 X = CrossProductR4({0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
    EXPECT_EQ(X, (Vector4{1, 0, 0, 0}));
}

TEST(VectorMath, SafeArcTan2) {
    const double pi = std::numbers::pi;
    EXPECT_DOUBLE_EQ(SafeArcTan2(1, 1), pi / 4);
    EXPECT_DOUBLE_EQ(SafeArcTan2(0, -1), pi);
    EXPECT_DOUBLE_EQ(SafeArcTan2(-0.0, -1), pi);  // the range is (-pi, pi]
    EXPECT_DOUBLE_EQ(SafeArcTan2(-1, -1), -3 * pi / 4);
    // |x| <= 1e-15: +-pi/2 for moderate y, 0 otherwise.
    EXPECT_DOUBLE_EQ(SafeArcTan2(2, 1e-15), pi / 2);
    EXPECT_DOUBLE_EQ(SafeArcTan2(-2, 0), -pi / 2);
    EXPECT_EQ(SafeArcTan2(0, 0), 0.0);
    EXPECT_EQ(SafeArcTan2(2e10, 0), 0.0);
    EXPECT_EQ(SafeArcTan2(-2e10, 1e-16), 0.0);
    EXPECT_DOUBLE_EQ(SafeArcTan2(1, 2e-15), std::atan2(1, 2e-15));
}

TEST(VectorMath, HypotAvoidsOverflow) {
    EXPECT_EQ(Hypot(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(Hypot(3, -4), 5);
    EXPECT_DOUBLE_EQ(Hypot(-4, 3), 5);
    EXPECT_DOUBLE_EQ(Hypot(1e300, 1e300), 1e300 * std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(Hypot(1e-300, 1e-300), 1e-300 * std::sqrt(2.0));
}

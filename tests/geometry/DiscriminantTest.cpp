// The expanded discriminants against the product of squared root differences,
// with the roots found independently by a Durand-Kerner iteration.
#include "PolynomialTestSupport.h"
#include "geometry/HigherDegreeDirections.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <vector>

using namespace velmora;
using velmora::testing::FromRoots;
using Complex = std::complex<double>;

namespace {

// All complex roots of coeffs[0] x^n + ... + coeffs[n] (Durand-Kerner).
std::vector<Complex> DurandKerner(const std::vector<double>& coeffs) {
    const int n = static_cast<int>(coeffs.size()) - 1;
    std::vector<Complex> roots(n);
    const Complex seed(0.4, 0.9);
    for (int i = 0; i < n; ++i) roots[i] = std::pow(seed, i);
    auto eval = [&](Complex x) {
        Complex v = coeffs[0];
        for (int i = 1; i <= n; ++i) v = v * x + coeffs[i];
        return v;
    };
    for (int iter = 0; iter < 2000; ++iter) {
        double change = 0;
        for (int i = 0; i < n; ++i) {
            Complex denom = coeffs[0];
            for (int j = 0; j < n; ++j)
                if (j != i) denom *= roots[i] - roots[j];
            const Complex step = eval(roots[i]) / denom;
            roots[i] -= step;
            change = std::max(change, std::abs(step));
        }
        if (change < 1e-15) break;
    }
    return roots;
}

// a^(2n-2) prod_(i<j) (r_i - r_j)^2.
Complex ProductDiscriminant(const std::vector<double>& coeffs) {
    const auto roots = DurandKerner(coeffs);
    const int n = static_cast<int>(roots.size());
    Complex value = std::pow(Complex(coeffs[0]), 2 * n - 2);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) value *= (roots[i] - roots[j]) * (roots[i] - roots[j]);
    return value;
}

}  // namespace

TEST(Discriminants, QuarticMatchesProductOfRootDifferences) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> coef(-2, 2), lead(0.5, 2);
    for (int n = 0; n < 200; ++n) {
        const std::vector<double> c{(n % 2 ? -1 : 1) * lead(rng), coef(rng), coef(rng), coef(rng), coef(rng)};
        const Complex expected = ProductDiscriminant(c);
        const double got = QuarticDiscriminant(c[0], c[1], c[2], c[3], c[4]);
        EXPECT_NEAR(expected.imag(), 0, 1e-6 * std::max(1.0, std::abs(expected)));
        EXPECT_NEAR(got, expected.real(), 1e-7 * std::max(1.0, std::abs(expected))) << "case " << n;
    }
}

TEST(Discriminants, QuinticMatchesProductOfRootDifferences) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> coef(-2, 2), lead(0.5, 2);
    for (int n = 0; n < 200; ++n) {
        const std::vector<double> c{(n % 2 ? -1 : 1) * lead(rng), coef(rng), coef(rng), coef(rng), coef(rng),
                                    coef(rng)};
        const Complex expected = ProductDiscriminant(c);
        const double got = QuinticDiscriminant(c[0], c[1], c[2], c[3], c[4], c[5]);
        EXPECT_NEAR(got, expected.real(), 1e-7 * std::max(1.0, std::abs(expected))) << "case " << n;
    }
}

TEST(Discriminants, KnownValuesAndScaling) {
    // x^4 - 1: roots 1, -1, i, -i; product of squared differences = -256.
    EXPECT_DOUBLE_EQ(QuarticDiscriminant(1, 0, 0, 0, -1), -256);
    // x^5 - x = x (x^4 - 1): roots 0, +-1, +-i.
    EXPECT_DOUBLE_EQ(QuinticDiscriminant(1, 0, 0, 0, -1, 0), -256);
    // x^5 + f: 3125 f^4.
    EXPECT_DOUBLE_EQ(QuinticDiscriminant(1, 0, 0, 0, 0, 2), 3125 * 16);
    // Homogeneous of degree 2n - 2 in the coefficients.
    const double d4 = QuarticDiscriminant(0.7, -1.1, 0.3, 0.9, -0.4);
    EXPECT_NEAR(QuarticDiscriminant(1.4, -2.2, 0.6, 1.8, -0.8), 64 * d4, 1e-12 * 64 * std::abs(d4) + 1e-12);
    // Reversing the coefficients of a quartic keeps its discriminant.
    EXPECT_NEAR(QuarticDiscriminant(-0.4, 0.9, 0.3, -1.1, 0.7), d4, 1e-13);
    // A double root gives 0.
    const auto c = FromRoots(1.5, {1, 1, -2, 0.5, 3});
    EXPECT_NEAR(QuinticDiscriminant(c[0], c[1], c[2], c[3], c[4], c[5]), 0, 1e-9);
}

TEST(Discriminants, VanishingLeadingCoefficient) {
    // With a = 0 the quartic discriminant is b^2 times the cubic one.
    const double b = 0.8, c = -1.3, d = 0.4, e = 0.9;
    const double cubic = 18 * b * c * d * e - 4 * c * c * c * e + c * c * d * d -
                         4 * b * d * d * d - 27 * b * b * e * e;
    EXPECT_NEAR(QuarticDiscriminant(0, b, c, d, e), b * b * cubic, 1e-12);
}

TEST(Discriminants, SignRules) {
    // Quartic: 4 or 0 real roots -> positive, 2 -> negative.
    auto q4 = [](const std::vector<double>& c) { return QuarticDiscriminant(c[0], c[1], c[2], c[3], c[4]); };
    EXPECT_GT(q4(FromRoots(2, {-1.5, -0.2, 0.7, 2})), 0);
    EXPECT_LT(q4({1, 0, 0, 0, -3}), 0);           // x^4 - 3: two real roots
    EXPECT_GT(q4({1, 0, 2, 0, 1.5}), 0);          // x^4 + 2x^2 + 1.5: none
    EXPECT_LT(q4({-1, 0.5, 2, -0.3, 0.1}), 0);    // two real roots
    // Quintic: 5 or 1 real roots -> positive, 3 -> negative.
    auto q5 = [](const std::vector<double>& c) { return QuinticDiscriminant(c[0], c[1], c[2], c[3], c[4], c[5]); };
    EXPECT_GT(q5(FromRoots(-0.5, {-2, -1, 0.1, 0.8, 3})), 0);
    EXPECT_GT(q5({1, 0, 0, 0, 1, 1}), 0);         // x^5 + x + 1: one real root
    EXPECT_LT(q5({1, 0, 0, 0, -2, 0.5}), 0);      // three real roots
}

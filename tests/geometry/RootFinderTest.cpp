// Polynomial operations and the Sturm root isolation of the higher-degree
// direction fields, on polynomials with known roots.
#include "PolynomialTestSupport.h"
#include "geometry/HigherDegreeDirections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

using namespace velmora;
using velmora::testing::FromRoots;

namespace {

Polynomial5 Poly(const std::vector<double>& coeffs) {
    Polynomial5 p;
    p.degree = static_cast<int>(coeffs.size()) - 1;
    for (std::size_t i = 0; i < coeffs.size(); ++i) p.c[i + 1] = coeffs[i];
    return p;
}

// A root finder on an unbuilt surface: the polynomial is set directly.
struct Finder {
    TEngineSet engines;
    TLocalGeometry surface{engines};
    THigherDegreeDirections solver{surface};

    // The roots x in list order (an entry (0, 1) is the root at infinity).
    std::vector<double> Roots(const std::vector<double>& coeffs, int curveClass = 7) {
        solver.P = Poly(coeffs);
        double sum = 1e-15;
        for (int i = 1; i <= 5; ++i) sum += std::fabs(solver.P.c[i]);
        solver.epsilon = 1e-12 * sum;
        solver.FindDirections(LineClassOfTag(curveClass));
        std::vector<double> roots;
        for (int k = 1; k <= solver.list.count; ++k) {
            const DirectionEntry& e = solver.list.entries[k];
            EXPECT_NEAR(e.x * e.x + e.y * e.y, 1, 1e-15);
            roots.push_back(e.x == 0 ? std::numeric_limits<double>::infinity() : e.y / e.x);
        }
        return roots;
    }
};

void ExpectRoots(const std::vector<double>& got, const std::vector<double>& expected, double tol = 1e-9) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (std::isinf(expected[i]))
            EXPECT_TRUE(std::isinf(got[i])) << i;
        else
            EXPECT_NEAR(got[i], expected[i], tol) << i;
    }
}

}  // namespace

TEST(PolynomialOperations, EvaluateStripAndDerivative) {
    const Polynomial5 p = Poly({2, -3, 0, 1});  // 2x^3 - 3x^2 + 1
    EXPECT_DOUBLE_EQ(EvaluatePolynomial(p, 2), 16 - 12 + 1);
    Polynomial5 q = Poly({1e-14, -1e-13, 4, 5});
    EXPECT_EQ(StripPolynomial(q, 1e-12), 2);
    EXPECT_EQ(q.degree, 1);
    EXPECT_DOUBLE_EQ(q.c[1], 4);
    EXPECT_DOUBLE_EQ(q.c[2], 5);
    Polynomial5 z = Poly({0, 0});
    EXPECT_EQ(StripPolynomial(z, 0), 2);
    EXPECT_EQ(z.degree, -1);
    EXPECT_EQ(EvaluatePolynomial(z, 3), 0);
    const Polynomial5 d = NegatedDerivative(p);  // -(6x^2 - 6x)
    EXPECT_EQ(d.degree, 2);
    EXPECT_DOUBLE_EQ(d.c[1], -6);
    EXPECT_DOUBLE_EQ(d.c[2], 6);
    EXPECT_DOUBLE_EQ(d.c[3], 0);
}

TEST(PolynomialOperations, DivisionRemainderAndQuotient) {
    // x^4 - 1 = (x^2 + 1)(x^2 - 1) + 0;  x^3 + 2x + 5 = x (x^2 + 1) + (x + 5).
    const Polynomial5 a = Poly({1, 0, 0, 0, -1}), b = Poly({1, 0, 1});
    const Polynomial5 r = NegatedRemainder(a, b, 1e-14);
    EXPECT_EQ(r.degree, -1);
    const Polynomial5 q = PolynomialQuotient(a, b, 1e-14);
    ASSERT_EQ(q.degree, 2);
    EXPECT_DOUBLE_EQ(q.c[1], 1);
    EXPECT_DOUBLE_EQ(q.c[2], 0);  // a power skipped by stripping
    EXPECT_DOUBLE_EQ(q.c[3], -1);
    const Polynomial5 r2 = NegatedRemainder(Poly({1, 0, 2, 5}), b, 1e-14);
    ASSERT_EQ(r2.degree, 1);
    EXPECT_DOUBLE_EQ(r2.c[1], -1);
    EXPECT_DOUBLE_EQ(r2.c[2], -5);
    // Divisor of higher degree: the remainder is the dividend, negated.
    const Polynomial5 r3 = NegatedRemainder(Poly({3, 1}), b, 1e-14);
    ASSERT_EQ(r3.degree, 1);
    EXPECT_DOUBLE_EQ(r3.c[1], -3);
    EXPECT_DOUBLE_EQ(r3.c[2], -1);
    // (2x^5 - x^3 + 4)/(x^2 - 3): check q b + r = a at a few points.
    const Polynomial5 a5 = Poly({2, 0, -1, 0, 0, 4}), b2 = Poly({1, 0, -3});
    const Polynomial5 q5 = PolynomialQuotient(a5, b2, 1e-14), r5 = NegatedRemainder(a5, b2, 1e-14);
    for (double x : {-2.0, -0.3, 0.5, 1.7})
        EXPECT_NEAR(EvaluatePolynomial(q5, x) * EvaluatePolynomial(b2, x) - EvaluatePolynomial(r5, x),
                    EvaluatePolynomial(a5, x), 1e-12);
}

TEST(PolynomialOperations, AngularFormAndItsDerivative) {
    const Polynomial5 p = Poly({0.5, -1.2, 0.3, 2.0, -0.7, 1.1});
    for (double theta : {-1.2, -0.4, 0.1, 0.9, 1.4, 2.5}) {
        const double c = std::cos(theta);
        EXPECT_NEAR(AngularForm(p, theta), std::pow(c, 5) * EvaluatePolynomial(p, std::tan(theta)), 1e-12);
        const double h = 1e-6;
        const double fd = (AngularForm(p, theta + h) - AngularForm(p, theta - h)) / (2 * h);
        EXPECT_NEAR(AngularForm(AngularDerivative(p), theta), fd, 1e-7);
    }
    const Polynomial5 quartic = Poly({1.3, 0.2, -2, 0.4, 0.9});
    for (double theta : {-0.8, 0.3, 1.9}) {
        const double h = 1e-6;
        const double fd = (AngularForm(quartic, theta + h) - AngularForm(quartic, theta - h)) / (2 * h);
        EXPECT_NEAR(AngularForm(AngularDerivative(quartic), theta), fd, 1e-7);
    }
}

TEST(SturmRoots, SimpleRootsInAscendingOrder) {
    auto f = std::make_unique<Finder>();
    ExpectRoots(f->Roots(FromRoots(1.5, {-2, -0.5, 0.3, 1, 4})), {-2, -0.5, 0.3, 1, 4});
    ExpectRoots(f->Roots(FromRoots(-0.02, {-30, -0.01, 0.01, 7, 55})), {-30, -0.01, 0.01, 7, 55}, 1e-7);
    ExpectRoots(f->Roots(FromRoots(3, {-1, 0.25, 2})), {-1, 0.25, 2});
    // Roots at the midpoint of the first interval (0) and at +-1.
    ExpectRoots(f->Roots(FromRoots(1, {-1, 0, 1, 2})), {-1, 0, 1, 2});
    // x^5 + x + 1 has a single real root.
    const auto one = f->Roots({1, 0, 0, 0, 1, 1});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_NEAR(std::pow(one[0], 5) + one[0] + 1, 0, 1e-10);
    // No real root at all.
    EXPECT_TRUE(f->Roots({1, 0, 2, 0, 1.5}).empty());
}

TEST(SturmRoots, DoubleRootIsIsolatedButNotListed) {
    // (x - 1)^2 (x + 2)(x - 3)(x + 0.5): S_0 is divided by the common factor;
    // P keeps its sign across x = 1, so that root is not reported.
    auto f = std::make_unique<Finder>();
    ExpectRoots(f->Roots(FromRoots(1, {1, 1, -2, 3, -0.5})), {-2, -0.5, 3});
    // A triple root together with simple ones: odd multiplicity changes sign.
    const auto r = f->Roots(FromRoots(2, {0.5, 0.5, 0.5, -1, 2}));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NEAR(r[0], -1, 1e-9);
    EXPECT_NEAR(r[1], 0.5, 1e-4);
    EXPECT_NEAR(r[2], 2, 1e-9);
}

TEST(SturmRoots, RootsCloserThanTheResolutionAreNotReported) {
    auto f = std::make_unique<Finder>();
    ExpectRoots(f->Roots(FromRoots(1, {0.3, 0.3 + 2e-6, -1.7, 2.4})), {-1.7, 2.4});
    // Farther apart they are separated.
    ExpectRoots(f->Roots(FromRoots(1, {0.3, 0.3 + 1e-3, -1.7, 2.4})), {-1.7, 0.3, 0.3 + 1e-3, 2.4}, 1e-8);
}

TEST(SturmRoots, VanishingLeadingCoefficientGivesTheDirectionAtInfinity) {
    auto f = std::make_unique<Finder>();
    // 0 x^4 + (x + 1)(x - 2)(x - 0.5): Jt first, then the cubic's roots.
    auto cubic = FromRoots(1, {-1, 2, 0.5});
    cubic.insert(cubic.begin(), 0.0);
    ExpectRoots(f->Roots(cubic, 5), {INFINITY, -1, 0.5, 2});
    // For class 5 the deviation of Jt is |H - B|^2 (all products are 0 here).
    EXPECT_EQ(f->solver.list.entries[1].x, 0);
    EXPECT_EQ(f->solver.list.entries[1].y, 1);
    // Quintic with q5 = 0: the coordinate direction (0, 1).
    auto quartic = FromRoots(2, {-3, -1, 1, 3});
    quartic.insert(quartic.begin(), 0.0);
    ExpectRoots(f->Roots(quartic, 7), {INFINITY, -3, -1, 1, 3});
}

TEST(SturmRoots, LowDegreesUseClosedForms) {
    auto f = std::make_unique<Finder>();
    // 0 x^4 + 0 x^3 + (x - 1)^2: a quadratic with zero discriminant -> one root.
    ExpectRoots(f->Roots({0, 0, 1, -2, 1}), {INFINITY, 1}, 0);
    ExpectRoots(f->Roots({0, 0, 2, 1, -1}), {INFINITY, 0.5, -1}, 1e-15);  // larger root first
    EXPECT_EQ(f->Roots({0, 0, 1, 0, 1}).size(), 1u);                        // only infinity
    ExpectRoots(f->Roots({0, 0, 0, 4, -1}), {INFINITY, 0.25}, 0);
    // The zero polynomial defines no direction.
    EXPECT_TRUE(f->Roots({0, 0, 0, 0, 0}).empty());
    EXPECT_TRUE(f->Roots({0, 0, 0, 0, 0, 0}).empty());
    // A non-zero constant quintic form c cos^5: the only direction is (0, 1).
    ExpectRoots(f->Roots({0, 0, 0, 0, 0, 3}), {INFINITY});
}

TEST(SturmRoots, SortingByDeviationValue) {
    auto f = std::make_unique<Finder>();
    auto& list = f->solver.list;
    const double values[] = {0.4, -2, 7, 0.4, 1};
    list.count = 5;
    for (int k = 1; k <= 5; ++k) list.entries[k] = {static_cast<double>(k), 0, values[k - 1]};
    f->solver.SortDirections();
    for (int k = 2; k <= 5; ++k) EXPECT_LE(list.entries[k - 1].value, list.entries[k].value);
    EXPECT_EQ(list.entries[1].x, 2);
    EXPECT_EQ(list.entries[5].x, 3);
}

// The test of a quantity that vanishes on the whole domain, against surfaces
// whose identically vanishing invariants are known in closed form: a complex
// curve of C^2 = R^4 is minimal (H = 0) with a circle for curvature ellipse;
// a surface inside a hyperplane R^3 has H, B and C on one normal line; a
// plane has no curvature at all. Generic surfaces vanish nowhere.
#include "geometry/DomainVanishing.h"

#include "SurfaceTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace velmora {
namespace {

using testing::MakeSurface;

const Vector2 kMin{0, 0}, kMax{6.283185307179586, 2.2};

std::set<TInvariantKind> VanishingInvariants(const TLocalGeometry& s, const Vector2& lo, const Vector2& hi) {
    std::set<TInvariantKind> kinds;
    for (int k = 0; k < kInvariantKinds; ++k)
        if (InvariantVanishes(s, static_cast<TInvariantKind>(k), lo, hi)) kinds.insert(static_cast<TInvariantKind>(k));
    return kinds;
}

std::set<TLineClass> VanishingFamilies(const TLocalGeometry& s, const Vector2& lo, const Vector2& hi) {
    std::set<TLineClass> classes;
    for (int c = 1; c < kLineClassCount; ++c)
        if (DirectionsVanish(s, static_cast<TLineClass>(c), lo, hi)) classes.insert(static_cast<TLineClass>(c));
    return classes;
}

TEST(DomainVanishing, AComplexCurveIsMinimalWithACircleForEllipse) {
    // (u + iv, (u + iv)^2): H = 0 and |II(v,v)| the same in every direction.
    const auto c = MakeSurface({"u", "v", "u^2-v^2", "2 u v"});
    EXPECT_EQ(VanishingInvariants(c->s, kMin, kMax),
              (std::set<TInvariantKind>{TInvariantKind::DiscrNormalDeviation, TInvariantKind::DiscrLateralDeviation,
                                        TInvariantKind::DiscrStrongPrincipal}));
    // Curvature lines need a major axis, classes 2 to 4 need H, 5 and 6 a
    // deviation that changes with the direction; the strong principal quintic
    // does not vanish (its discriminant does).
    EXPECT_EQ(VanishingFamilies(c->s, kMin, kMax),
              (std::set<TLineClass>{TLineClass::Curvature, TLineClass::Asymptotic, TLineClass::MeanCurvature,
                                    TLineClass::Principal, TLineClass::ExtremalNormalDeviation,
                                    TLineClass::ExtremalLateralDeviation}));
    // Scaled up a thousandfold the noise is a thousand times larger and still noise.
    const auto big = MakeSurface({"1000 u", "1000 v", "1000 (u^2-v^2)", "2000 u v"});
    EXPECT_TRUE(InvariantVanishes(big->s, TInvariantKind::DiscrStrongPrincipal, kMin, kMax));
    EXPECT_TRUE(DirectionsVanish(big->s, TLineClass::Principal, kMin, kMax));
    EXPECT_FALSE(InvariantVanishes(big->s, TInvariantKind::GaussCurvature, kMin, kMax));
}

TEST(DomainVanishing, ASurfaceInAHyperplaneHasItsEllipseOnTheNormalLine) {
    // In R^3 the ellipse is a segment through the origin's line, along H:
    // semiumbilical, H along the axis and the origin on the segment's line.
    const auto paraboloid = MakeSurface({"u", "v", "u^2 + 2 v^2 + u v^2", "0"});
    const Vector2 lo{-1, -1}, hi{1, 1};
    const std::set<TInvariantKind> kinds = VanishingInvariants(paraboloid->s, lo, hi);
    EXPECT_TRUE(kinds.count(TInvariantKind::OrientedAreaBC));
    EXPECT_TRUE(kinds.count(TInvariantKind::AngleHMajorAxis));
    EXPECT_TRUE(kinds.count(TInvariantKind::OriginDepth));
    EXPECT_FALSE(kinds.count(TInvariantKind::GaussCurvature));
}

TEST(DomainVanishing, APlaneHasNothingButExactZeros) {
    const auto plane = MakeSurface({"u", "v", "u + v", "2 u - v"});
    for (int k = 0; k < kInvariantKinds; ++k) {
        const TInvariantKind kind = static_cast<TInvariantKind>(k);
        // The angle has no value where there is no major axis.
        if (kind == TInvariantKind::AngleHMajorAxis) continue;
        EXPECT_TRUE(InvariantVanishes(plane->s, kind, kMin, kMax)) << k;
    }
}

TEST(DomainVanishing, GenericSurfacesVanishNowhere) {
    const auto torus = MakeSurface(testing::DefaultSurfaceTexts());
    EXPECT_TRUE(VanishingInvariants(torus->s, kMin, kMax).empty());
    EXPECT_TRUE(VanishingFamilies(torus->s, kMin, kMax).empty());
    // A Monge form with terms of every order up to three.
    const auto monge = MakeSurface({"u", "v", "(u^2 - v^2)/2 + u^3/6 - u v^2/3 + 0.2 v^3",
                                    "u v + 0.3 u^3 - 0.25 u^2 v + 0.1 v^3"});
    const Vector2 lo{-1, -0.8}, hi{1, 0.9};
    EXPECT_TRUE(VanishingInvariants(monge->s, lo, hi).empty());
    EXPECT_TRUE(VanishingFamilies(monge->s, lo, hi).empty());
    // A surface a million times smaller keeps its invariants: the test is
    // relative to the size of their terms.
    const auto small = MakeSurface({"0.000001 u", "0.000001 v", "0.000001 (u^2 + 2 v^2)", "0.000001 (u v + 0.5 v^3 + u^2 v)"});
    EXPECT_TRUE(VanishingInvariants(small->s, {-1, -1}, {1, 1}).empty());
    EXPECT_TRUE(VanishingFamilies(small->s, {-1, -1}, {1, 1}).empty());
}

TEST(DomainVanishing, UndefinedSamplesAreSkippedAndAllUndefinedIsNotVanishing) {
    int calls = 0;
    const auto undefined = [&](const Vector2&) {
        ++calls;
        return TScaledValue{};
    };
    EXPECT_FALSE(VanishesOnDomain(undefined, kMin, kMax));
    EXPECT_EQ(calls, 100);
    // Zero where defined, undefined (or failing) elsewhere: vanishes.
    const auto half = [](const Vector2& p) -> TScaledValue {
        if (p[0] < 1) throw std::runtime_error("no value");
        if (p[1] < 1) return {};
        return {1e-20, 1};
    };
    EXPECT_TRUE(VanishesOnDomain(half, kMin, kMax));
    // One sample above rounding is enough to vanish nowhere.
    const auto one = [](const Vector2& p) -> TScaledValue {
        return {p[0] > 5.9 && p[1] > 2 ? 1e-6 : 0.0, 1};
    };
    EXPECT_FALSE(VanishesOnDomain(one, kMin, kMax));
    // A scale that overflowed says nothing.
    EXPECT_FALSE(WithinRounding({0, std::numeric_limits<double>::infinity()}));
}

TEST(DomainVanishing, TheSamplesAreTheCentresOfATenByTenGrid) {
    const std::vector<Vector2> samples = DomainSamples({-1, 0}, {1, 10});
    ASSERT_EQ(samples.size(), 100u);
    EXPECT_DOUBLE_EQ(samples[0][0], -0.9);
    EXPECT_DOUBLE_EQ(samples[0][1], 0.5);
    EXPECT_DOUBLE_EQ(samples[1][1], 1.5);  // v inner
    EXPECT_DOUBLE_EQ(samples[10][0], -0.7);
    EXPECT_DOUBLE_EQ(samples[99][0], 0.9);
    EXPECT_DOUBLE_EQ(samples[99][1], 9.5);
}

}  // namespace
}  // namespace velmora

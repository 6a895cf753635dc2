// Special points over whole surfaces: the sum of the indices on a closed
// torus, the default surface (none at all), and the sets that are not
// isolated - curves and the whole domain - on surfaces whose invariants
// vanish along curves or everywhere.
#include "PointsTestSupport.h"

#include <cmath>
#include <numbers>

namespace velmora {
namespace {

using pointtest::PointsOf;
using pointtest::SetsOf;
using pointtest::Surface;
using pointtest::kGenericTorus;

constexpr double kTwoPi = 2 * std::numbers::pi;

TEST(WholeSurfaces, OnAClosedTorusTheIndicesOfEveryFieldSumToZero) {
    // Poincare-Hopf: a line field with isolated singular points on a torus
    // (Euler characteristic 0) has indices summing to 0. The fields of the
    // curvature, mean curvature and principal lines are defined at every
    // other point; the asymptotic lines are not (they do not exist at
    // elliptic points), so the theorem says nothing about them.
    const Surface torus(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi});
    for (const TLineClass field : {TLineClass::Curvature, TLineClass::MeanCurvature, TLineClass::Principal}) {
        const TSpecialPointsResult r = torus.Find(field);
        EXPECT_TRUE(r.sets.empty());
        EXPECT_FALSE(r.capped || r.stopped);
        ASSERT_GE(r.points.size(), 4u) << "class " << static_cast<int>(field);
        double sum = 0;
        int positive = 0;
        for (const TSpecialPoint& p : r.points) {
            EXPECT_TRUE(IsSingularFor(p.kind, field));
            EXPECT_EQ(p.field, field);
            ASSERT_TRUE(p.IndexMeasured()) << SpecialKindName(p.kind) << " at " << p.at[0] << ", " << p.at[1];
            sum += p.index;
            positive += p.index > 0;
            // A generic point: index +-1/4 (curvature lines) or +-1/2, and a
            // number of separatrices of the parity the index allows.
            const double unit = field == TLineClass::Curvature ? 0.25 : 0.5;
            EXPECT_EQ(std::fabs(p.index), unit);
            EXPECT_EQ(p.separatrices % 2, 1);
            EXPECT_FALSE(p.type.empty());
        }
        EXPECT_EQ(sum, 0) << "class " << static_cast<int>(field);
        EXPECT_GT(positive, 0);
    }
    // The same points with every kind at once, each measured on its own field.
    const TSpecialPointsResult all = torus.Find(TLineClass::CoordinateLines);
    EXPECT_EQ(PointsOf(all, TSpecialKind::Axiumbilic).size(), torus.Find(TLineClass::Curvature).points.size());
    EXPECT_EQ(PointsOf(all, TSpecialKind::PrincipalSingular).size() + PointsOf(all, TSpecialKind::Minimal).size(),
              torus.Find(TLineClass::Principal).points.size());
    for (const TSpecialPoint& p : all.points) EXPECT_EQ(p.field, MeasuredField(p.kind, TLineClass::CoordinateLines));
}

TEST(WholeSurfaces, TheDefaultSurfaceHasNoSpecialPoints) {
    // Its invariants depend on v alone (rotations of R^4 carry it onto itself
    // while shifting u), so any special point would come with the whole line
    // v = const; but no pair of equations vanishes at one v: bb - cc stays
    // above 0.09, hb below zero, and jhb and jhc vanish at different v.
    for (const double vMax : {2.2, kTwoPi}) {
        const Surface s({"(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
                         "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)"},
                        {0, 0}, {kTwoPi, vMax});
        const TSpecialPointsResult r = s.Find(TLineClass::CoordinateLines, kSpecialPointCells);
        EXPECT_TRUE(r.points.empty()) << r.points.size() << " points, the first at " << r.points[0].at[1];
        EXPECT_TRUE(r.sets.empty());
        EXPECT_FALSE(r.capped || r.stopped);
    }
}

TEST(WholeSurfaces, ATorusInThreeSpaceIsInflectedEverywhereAndMinimalAlongTwoCircles) {
    // A torus of revolution in R^3 x {0}: H, B and C all lie along the
    // normal of R^3, so every point is an inflection point, and
    // hb = (k1^2 - k2^2)/4, hc = 0. H = 0 where k1 = cos v/(1 + 0.8 cos v)
    // equals -k2 = -1/0.8: cos v = -1/1.6, two circles v = const - curves of
    // minimal points, one polyline each, never as many points.
    const Surface torus({"(1 + 0.8 cos(v)) cos(u)", "(1 + 0.8 cos(v)) sin(u)", "0.8 sin(v)", "0"}, {0, 0},
                        {kTwoPi, kTwoPi});
    const TSpecialPointsResult r = torus.Find(TLineClass::CoordinateLines);
    EXPECT_TRUE(r.points.empty());
    const std::vector<TSpecialSet> inflection = SetsOf(r, TSpecialKind::Inflection);
    ASSERT_EQ(inflection.size(), 1u);
    EXPECT_TRUE(inflection[0].everywhere);
    EXPECT_TRUE(inflection[0].curve.empty());

    const std::vector<TSpecialSet> minimal = SetsOf(r, TSpecialKind::Minimal);
    ASSERT_EQ(minimal.size(), 2u);
    const double v1 = std::acos(-1 / 1.6), v2 = kTwoPi - v1;
    for (const TSpecialSet& s : minimal) {
        EXPECT_FALSE(s.everywhere);
        ASSERT_GE(s.curve.size(), 100u);
        const double v = std::fabs(s.curve[0][1] - v1) < 0.01 ? v1 : v2;
        double uMin = kTwoPi, uMax = 0;
        for (const Vector2& p : s.curve) {
            EXPECT_NEAR(p[1], v, 1e-6);
            uMin = std::min(uMin, p[0]);
            uMax = std::max(uMax, p[0]);
        }
        // Across the whole domain, ordered along the circle.
        EXPECT_LT(uMin, 0.05);
        EXPECT_GT(uMax, kTwoPi - 0.05);
        for (std::size_t i = 1; i < s.curve.size(); ++i) EXPECT_LT(std::fabs(s.curve[i][0] - s.curve[i - 1][0]), 0.1);
    }
    EXPECT_TRUE(SetsOf(r, TSpecialKind::PrincipalSingular).empty());  // hb = 0 only where H = 0
    EXPECT_TRUE(SetsOf(r, TSpecialKind::Axiumbilic).empty());         // no umbilics
}

TEST(WholeSurfaces, WholeDomainsOfOneKind) {
    {
        // The Clifford torus: II(e, e) and II(Je, Je) are orthogonal unit
        // normals, so H.B = (1 - 1)/4 = 0 and C = 0 everywhere.
        const Surface clifford({"cos(u)", "sin(u)", "cos(v)", "sin(v)"}, {0, 0}, {kTwoPi, kTwoPi});
        const TSpecialPointsResult r = clifford.Find(TLineClass::Principal);
        EXPECT_TRUE(r.points.empty());
        ASSERT_EQ(r.sets.size(), 1u);
        EXPECT_EQ(r.sets[0].kind, TSpecialKind::PrincipalSingular);
        EXPECT_TRUE(r.sets[0].everywhere);
    }
    {
        // A holomorphic curve (u + i v, (u + i v)^2): minimal, and its
        // curvature ellipse is a circle at every point.
        const Surface holomorphic({"u", "v", "u^2 - v^2", "2 u v"}, {-1, -1}, {1, 1});
        const TSpecialPointsResult r = holomorphic.Find(TLineClass::CoordinateLines);
        EXPECT_TRUE(r.points.empty());
        ASSERT_EQ(SetsOf(r, TSpecialKind::Axiumbilic).size(), 1u);
        EXPECT_TRUE(SetsOf(r, TSpecialKind::Axiumbilic)[0].everywhere);
        ASSERT_EQ(SetsOf(r, TSpecialKind::Minimal).size(), 1u);
        EXPECT_TRUE(SetsOf(r, TSpecialKind::Minimal)[0].everywhere);
        EXPECT_TRUE(SetsOf(r, TSpecialKind::Inflection).empty());  // its equations vanish only with H
    }
}

TEST(WholeSurfaces, ZerosAlongACurveWithoutAnIdenticallyVanishingEquationFormOneSet) {
    // Z = (u^2 - v^2)/2 + v^3/6, W = u v + u v^3/6: H = (v/2)(1, u) to first
    // order, so both components of H vanish on the line v = 0 and neither
    // elsewhere: a curve of minimal points where the Jacobian of the pair has
    // rank one.
    const Surface s({"u", "v", "0.5 (u^2 - v^2) + v^3/6", "u v + u v^3/6"}, {-1, -1}, {1, 1});
    const TSpecialPointsResult r = s.Find(TLineClass::MeanCurvature);
    EXPECT_TRUE(PointsOf(r, TSpecialKind::Minimal).empty());
    const std::vector<TSpecialSet> minimal = SetsOf(r, TSpecialKind::Minimal);
    ASSERT_EQ(minimal.size(), 1u);
    const std::vector<Vector2>& curve = minimal[0].curve;
    ASSERT_GE(curve.size(), 50u);
    for (const Vector2& p : curve) EXPECT_NEAR(p[1], 0, 1e-9);
    EXPECT_LT(std::min(curve.front()[0], curve.back()[0]), -0.95);
    EXPECT_GT(std::max(curve.front()[0], curve.back()[0]), 0.95);
}

}  // namespace
}  // namespace velmora

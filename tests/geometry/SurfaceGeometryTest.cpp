// Frame, H, B, C and the invariants on surfaces whose geometry is known by hand
// or computed independently.
#include "SurfaceTestSupport.h"
#include "geometry/HigherDegreeDirections.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace velmora;
using namespace velmora::testing;

namespace {

void ExpectVector(const Vector4& got, const Vector4& expected, double tol = 1e-12) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], expected[i], tol) << "component " << i;
}

const Vector2 kDefaultPoints[] = {{1.3, 0.9}, {0.4, 1.7}, {4.0, 0.3}, {2.5, 2.0}, {5.9, 1.1}};

}  // namespace

TEST(SurfaceGeometry, GraphOfQuadraticsAtTheOrigin) {
    // (u, v, f, g): at the origin t = e1, Jt = e2 and II is the pair of Hessians.
    // f_uu = 3, f_uv = -0.8, f_vv = 0.5; g_uu = -1, g_uv = 1.2, g_vv = 1.8.
    auto g = MakeSurface({"u", "v", "1.5*u^2 - 0.8*u*v + 0.25*v^2", "-0.5*u^2 + 1.2*u*v + 0.9*v^2"});
    const TLocalGeometry& s = g->s;
    const std::optional<TLocalFrame> frame = s.Frame({0, 0});
    ASSERT_TRUE(frame.has_value());
    const TLocalFrame& f = *frame;
    EXPECT_EQ(f.p, (Vector2{0, 0}));
    ExpectVector(f.x, {0, 0, 0, 0});
    ExpectVector(f.xuu, {0, 0, 3, -1});
    ExpectVector(f.t, {1, 0, 0, 0});
    ExpectVector(f.Jt, {0, 1, 0, 0});
    ExpectVector(f.vH, {0, 0, 1.75, 0.4});
    ExpectVector(f.vB, {0, 0, 1.25, -1.4});
    ExpectVector(f.vC, {0, 0, -0.8, 1.2});
    EXPECT_NEAR(f.guu, 1, 1e-15);
    EXPECT_NEAR(f.guv, 0, 1e-15);
    EXPECT_NEAR(f.gvv, 1, 1e-15);
    EXPECT_NEAR(f.hh, 3.2225, 1e-12);
    EXPECT_NEAR(f.bb, 3.5225, 1e-12);
    EXPECT_NEAR(f.cc, 2.08, 1e-12);
    EXPECT_NEAR(f.bc, 1.25 * -0.8 + -1.4 * 1.2, 1e-12);
    EXPECT_NEAR(f.hb, 1.75 * 1.25 + 0.4 * -1.4, 1e-12);
    EXPECT_NEAR(f.hc, 1.75 * -0.8 + 0.4 * 1.2, 1e-12);
    EXPECT_NEAR(f.nh, std::sqrt(3.2225), 1e-12);
    // Det(X, e1, e2, Y) = X3 Y4 - X4 Y3 in the normal plane (e3, e4).
    EXPECT_NEAR(f.jhb, 1.25 * 0.4 + 1.4 * 1.75, 1e-12);
    EXPECT_NEAR(f.jhc, -0.8 * 0.4 - 1.2 * 1.75, 1e-12);
    EXPECT_NEAR(f.jbc, -0.8 * -1.4 - 1.2 * 1.25, 1e-12);
    // The first fundamental form alone, and the third derivatives (all zero).
    const TFirstFundamentalForm fff = s.FirstFundamentalForm({0.5, -1});
    EXPECT_NEAR(fff.guu, 1 + std::pow(3 * 0.5 + 0.8, 2) + std::pow(-1 * 0.5 - 1.2, 2), 1e-12);
    EXPECT_NEAR(fff.guv, (3 * 0.5 + 0.8) * (-0.8 * 0.5 - 0.5) + (-1 * 0.5 - 1.2) * (1.2 * 0.5 - 1.8), 1e-12);
    EXPECT_NEAR(fff.gvv, 1 + std::pow(-0.8 * 0.5 - 0.5, 2) + std::pow(1.2 * 0.5 - 1.8, 2), 1e-12);
    const std::optional<TThirdDerivatives> third = s.ThirdDerivatives({0.5, -1});
    ASSERT_TRUE(third.has_value());
    ExpectVector(third->xuuv, {0, 0, 0, 0});
    // Gauss equation: <II(e,e), II(Je,Je)> - |II(e,Je)|^2.
    EXPECT_NEAR(s.GaussCurvature({0, 0}), 3 * 0.5 + -1 * 1.8 - 0.64 - 1.44, 1e-12);
    EXPECT_NEAR(s.JBdotC({0, 0}), -0.38, 1e-12);
    EXPECT_NEAR(s.EllipseArea({0, 0}), 0.38, 1e-12);
}

TEST(SurfaceGeometry, DefaultSurfaceAgainstAnIndependentComputation) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    const TLocalGeometry& s = g->s;
    for (const Vector2& p : kDefaultPoints) {
        SCOPED_TRACE(::testing::Message() << "at " << p[0] << ", " << p[1]);
        const auto ref = ReferenceGeometry::FromFunction(DefaultSurfacePoint, p[0], p[1]);
        TInvariants inv;
        ASSERT_TRUE(s.ComputeInvariants(p, inv));
        const TLocalFrame f = FrameAt(s, p);
        ExpectVector(f.x, DefaultSurfacePoint(p[0], p[1]), 1e-12);
        // The frame agrees with Gram-Schmidt of the finite-difference derivatives.
        ExpectVector(f.t, ref.e, 1e-7);
        ExpectVector(f.Jt, ref.f, 1e-7);
        // Gauss equation with an orthonormal normal basis.
        EXPECT_NEAR(inv.KGauss, ref.GaussCurvature(), 1e-5);
        EXPECT_NEAR(s.GaussCurvature(p), ref.GaussCurvature(), 1e-5);
        // Mean curvature vector as half the trace of II.
        const Vector4 H = ref.MeanCurvatureVector();
        ExpectVector(f.vH, H, 1e-5);
        EXPECT_NEAR(inv.longH, Norm(H), 1e-5);
        // Half axes of the sampled ellipse II(w, w), |w| = 1.
        double a = 0, b = 0;
        ref.EllipseAxes(a, b);
        EXPECT_NEAR(inv.halfMajorAxis, a, 1e-5);
        EXPECT_NEAR(inv.halfMinorAxis, b, 1e-5);
        EXPECT_NEAR(s.EllipseArea(p), a * b, 1e-5);
        EXPECT_NEAR(std::fabs(s.JBdotC(p)), a * b, 1e-5);
        // Depth: half major axis minus that of the confocal ellipse through the
        // origin, (|H + c V| + |H - c V|)/2 with the foci H +- c V, c^2 = a^2 - b^2.
        const double focal = std::sqrt(std::max(0.0, a * a - b * b));
        const Vector4 axis = ref.MajorAxis();
        const double A = (Norm(Add(H, axis, focal)) + Norm(Add(H, axis, -focal))) / 2;
        EXPECT_NEAR(inv.depth, a - A, 1e-5);
        // alpha: |sin| of the angle between H and the major axis.
        const double cosine = Dot(H, axis) / Norm(H);
        EXPECT_NEAR(inv.alpha, std::sqrt(std::max(0.0, 1 - cosine * cosine)), 1e-4);
        EXPECT_NEAR(std::fabs(s.AngleHEllipse(p)), inv.alpha, 1e-12);
        // The other depth: -H = alpha B + beta C, depth 1 - |(alpha, beta)|.
        TInvariants crossValues;
        TDirectionCross cross;
        ASSERT_TRUE(s.ComputeCross(p, TLineClass::CoordinateLines, 1.0, crossValues, cross));
        const double b1 = Dot(f.vB, ref.n1), b2 = Dot(f.vB, ref.n2), c1 = Dot(f.vC, ref.n1), c2 = Dot(f.vC, ref.n2);
        const double h1 = -Dot(f.vH, ref.n1), h2 = -Dot(f.vH, ref.n2), det = b1 * c2 - b2 * c1;
        const double alpha = (h1 * c2 - h2 * c1) / det, beta = (b1 * h2 - b2 * h1) / det;
        EXPECT_NEAR(crossValues.depth, 1 - std::hypot(alpha, beta), 1e-9);
        EXPECT_EQ(crossValues.depth > 0, inv.depth > 0);
        EXPECT_EQ(s.DepthOfOrigin(p) > 0, inv.depth > 0);
        // Both routes give the same half axes, |H| and K.
        EXPECT_NEAR(crossValues.halfMajorAxis, inv.halfMajorAxis, 1e-12);
        EXPECT_NEAR(crossValues.halfMinorAxis, inv.halfMinorAxis, 1e-12);
        EXPECT_NEAR(crossValues.KGauss, inv.KGauss, 1e-12);
        EXPECT_NEAR(crossValues.longH, inv.longH, 1e-12);
        EXPECT_EQ(crossValues.discrNormDev, inv.discrNormDev);
        EXPECT_EQ(crossValues.discrStrPpal, inv.discrStrPpal);
        // The data-panel discriminants are those of the scalar functions.
        EXPECT_EQ(inv.discrNormDev, s.DiscriminantExtremalNormDevDirs(p));
        EXPECT_EQ(inv.discrLatDev, s.DiscriminantExtremalLatDevDirs(p));
        EXPECT_EQ(inv.discrStrPpal, s.DiscriminantStrongPrincipalLines(p));
    }
}

TEST(SurfaceGeometry, CircularEllipse) {
    // (u, v, 1.5u^2 - 0.5v^2, uv): H = (0,0,1,0), B = (0,0,2,0), C = (0,0,0,2),
    // a circle of radius 2 around H with the origin inside.
    auto g = MakeSurface({"u", "v", "1.5*u^2 - 0.5*v^2", "2*u*v"});
    TLocalGeometry& s = g->s;
    TInvariants inv;
    ASSERT_TRUE(s.ComputeInvariants({0, 0}, inv));
    EXPECT_NEAR(inv.halfMajorAxis, 2, 1e-12);
    EXPECT_NEAR(inv.halfMinorAxis, 2, 1e-12);
    EXPECT_EQ(inv.alpha, UndefinedValue);
    EXPECT_EQ(s.AngleHEllipse({0, 0}), UndefinedValue);
    // Confocal ellipse through the origin: a circle of radius |H| = 1.
    EXPECT_NEAR(inv.depth, 1, 1e-12);
    TInvariants crossValues;
    TDirectionCross cross;
    ASSERT_TRUE(s.ComputeCross({0, 0}, TLineClass::CoordinateLines, 1.0, crossValues, cross));
    EXPECT_NEAR(crossValues.depth, 0.5, 1e-12);  // -H = B/2
    EXPECT_EQ(crossValues.alpha, UndefinedValue);
    EXPECT_GT(s.DepthOfOrigin({0, 0}), 0);
    // No curvature directions on a circle; no asymptotic ones with the origin inside.
    Vector2 tangent{7, 7};
    double phi = 0.3;
    EXPECT_EQ(s.Directions({0, 0}, TLineClass::Curvature, tangent, phi), 0);
    EXPECT_EQ(s.Directions({0, 0}, TLineClass::Asymptotic, tangent, phi), 0);
    EXPECT_EQ(phi, 0.3);
    EXPECT_EQ(tangent, (Vector2{7, 7}));
    EXPECT_FALSE(s.ComputeCross({0, 0}, TLineClass::Curvature, 1.0, crossValues, cross));
    EXPECT_FALSE(s.ComputeCross({0, 0}, TLineClass::Asymptotic, 1.0, crossValues, cross));
}

TEST(SurfaceGeometry, DegenerateEllipses) {
    // A segment (B parallel to C): (u, v, u^2 + uv, 0).
    auto seg = MakeSurface({"u", "v", "u^2 + u*v", "0"});
    TInvariants inv, crossValues;
    TDirectionCross cross;
    ASSERT_TRUE(seg->s.ComputeInvariants({0, 0}, inv));
    EXPECT_NEAR(inv.halfMinorAxis, 0, 1e-7);
    EXPECT_NEAR(seg->s.EllipseArea({0, 0}), 0, 1e-12);
    ASSERT_TRUE(seg->s.ComputeCross({0, 0}, TLineClass::CoordinateLines, 1.0, crossValues, cross));
    EXPECT_EQ(crossValues.depth, -1.0);

    // H long, ellipse tiny: depth = -|H| exactly.
    auto tiny = MakeSurface({"u", "v", "100*u^2 + 100*v^2 + 0.01*u*v", "0.001*u^2"});
    ASSERT_TRUE(tiny->s.ComputeInvariants({0, 0}, inv));
    EXPECT_EQ(inv.depth, -FrameAt(tiny->s, {0, 0}).nh);
    EXPECT_NEAR(inv.longH, std::hypot(200, 0.001), 1e-12);

    // The origin on the ellipse: (u, v, -v^2, uv) has H = -B.
    auto on = MakeSurface({"u", "v", "-v^2", "u*v"});
    ASSERT_TRUE(on->s.ComputeInvariants({0, 0}, inv));
    EXPECT_NEAR(inv.depth, 0, 1e-12);
    ASSERT_TRUE(on->s.ComputeCross({0, 0}, TLineClass::CoordinateLines, 1.0, crossValues, cross));
    EXPECT_NEAR(crossValues.depth, 0, 1e-12);
    EXPECT_NEAR(on->s.DepthOfOrigin({0, 0}), 0, 1e-12);

    // A plane: the ellipse is the origin itself.
    auto plane = MakeSurface({"u", "v", "u + v", "2*u - v"});
    ASSERT_TRUE(plane->s.ComputeInvariants({0.3, -0.2}, inv));
    EXPECT_EQ(inv.depth, 0);
    EXPECT_EQ(inv.KGauss, 0);
    EXPECT_EQ(inv.halfMajorAxis, 0);
    EXPECT_EQ(inv.alpha, UndefinedValue);
    EXPECT_EQ(inv.discrNormDev, 0);
    EXPECT_EQ(inv.discrLatDev, 0);
    // Every direction is principal; the field still answers t, foliation 2.
    Vector2 tangent{};
    double phi = UndefinedValue;
    EXPECT_EQ(plane->s.Directions({0.3, -0.2}, TLineClass::Principal, tangent, phi), 2);
    EXPECT_EQ(phi, 0);
}

TEST(SurfaceGeometry, CliffordTorus) {
    auto g = MakeSurface({"cos(u)", "sin(u)", "cos(v)", "sin(v)"});
    const TLocalGeometry& s = g->s;
    for (const Vector2& p : kDefaultPoints) {
        TInvariants inv;
        ASSERT_TRUE(s.ComputeInvariants(p, inv));
        EXPECT_NEAR(inv.KGauss, 0, 1e-12);  // flat
        const TLocalFrame f = FrameAt(s, p);
        EXPECT_NEAR(f.hh, 0.5, 1e-12);
        EXPECT_NEAR(f.bb, 0.5, 1e-12);
        EXPECT_NEAR(f.cc, 0, 1e-12);
        EXPECT_NEAR(inv.halfMajorAxis, std::sqrt(0.5), 1e-12);
        EXPECT_NEAR(inv.halfMinorAxis, 0, 1e-7);
        EXPECT_NEAR(inv.depth, std::sqrt(0.5) - 1, 1e-12);
        EXPECT_NEAR(s.EllipseArea(p), 0, 1e-12);
        TInvariants crossValues;
        TDirectionCross cross;
        ASSERT_TRUE(s.ComputeCross(p, TLineClass::CoordinateLines, 1.0, crossValues, cross));
        EXPECT_EQ(crossValues.depth, -1.0);
        // II(w, w) runs along the segment B: the asymptotic directions are the
        // coordinate directions, the mean curvature directions bisect them.
        Vector2 tangent{};
        double first = UndefinedValue, second = -UndefinedValue, mean = UndefinedValue;
        ASSERT_NE(s.Directions(p, TLineClass::Asymptotic, tangent, first), 0);
        ASSERT_NE(s.Directions(p, TLineClass::Asymptotic, tangent, second), 0);
        EXPECT_NEAR(std::min(first, second), 0, 1e-12);
        EXPECT_NEAR(std::max(first, second), std::numbers::pi / 2, 1e-12);
        ASSERT_NE(s.Directions(p, TLineClass::MeanCurvature, tangent, mean), 0);
        EXPECT_NEAR(mean, std::numbers::pi / 4, 1e-12);
        EXPECT_NEAR(tangent[0], std::sqrt(0.5), 1e-12);
        EXPECT_NEAR(tangent[1], std::sqrt(0.5), 1e-12);
    }
}

TEST(SurfaceGeometry, DegeneratePointsHaveNoValues) {
    // f_u = 0 at u = 0, and f_u parallel to f_v everywhere.
    auto cusp = MakeSurface({"u^3", "v", "u^2*v", "0"});
    auto line = MakeSurface({"u + v", "(u + v)^2", "sin(u + v)", "0"});
    for (auto* s : {&cusp->s, &line->s}) {
        const Vector2 p{0, 0.5};
        TInvariants inv;
        TDirectionCross cross;
        EXPECT_FALSE(s->Frame(p).has_value());
        EXPECT_FALSE(s->ComputeInvariants(p, inv));
        for (int c = 0; c <= 7; ++c) EXPECT_FALSE(s->ComputeCross(p, LineClassOfTag(c), 1.0, inv, cross));
        EXPECT_EQ(s->DepthOfOrigin(p), UndefinedValue);
        EXPECT_EQ(s->AngleHEllipse(p), UndefinedValue);
        EXPECT_EQ(s->EllipseArea(p), UndefinedValue);
        EXPECT_EQ(s->GaussCurvature(p), UndefinedValue);
        EXPECT_EQ(s->JHdotB(p), UndefinedValue);
        EXPECT_EQ(s->JBdotC(p), UndefinedValue);
        EXPECT_EQ(s->DiscriminantExtremalNormDevDirs(p), UndefinedValue);
        EXPECT_EQ(s->DiscriminantExtremalLatDevDirs(p), UndefinedValue);
        EXPECT_EQ(s->DiscriminantStrongPrincipalLines(p), UndefinedValue);
        for (int c = 1; c <= 4; ++c) {
            Vector2 tangent{3, 4};
            double phi = 1.0;
            EXPECT_EQ(s->Directions(p, LineClassOfTag(c), tangent, phi), 0);
            EXPECT_EQ(phi, 1.0);
        }
        THigherDegreeDirections solver(*s);
        DirectionList list;
        list.count = 3;
        for (int c = 5; c <= 7; ++c) {
            EXPECT_FALSE(solver.HigherDegreeDirections(LineClassOfTag(c), list, p));
            EXPECT_EQ(list.count, 3);  // untouched
        }
    }
}

TEST(SurfaceGeometry, ReparametrisationKeepsTheInvariants) {
    // u -> 2u + 1 preserves orientation: |H|, the axes, K, the depth, alpha
    // and the oriented area are unchanged at corresponding points.
    auto g = MakeSurface(DefaultSurfaceTexts());
    auto r = MakeSurface(DefaultSurfaceTexts("(2*u+1)"));
    for (const Vector2& p : kDefaultPoints) {
        const Vector2 q{(p[0] - 1) / 2, p[1]};
        TInvariants a, b;
        ASSERT_TRUE(g->s.ComputeInvariants(p, a));
        ASSERT_TRUE(r->s.ComputeInvariants(q, b));
        EXPECT_NEAR(b.longH, a.longH, 1e-11);
        EXPECT_NEAR(b.halfMajorAxis, a.halfMajorAxis, 1e-11);
        EXPECT_NEAR(b.halfMinorAxis, a.halfMinorAxis, 1e-11);
        EXPECT_NEAR(b.KGauss, a.KGauss, 1e-10);
        EXPECT_NEAR(b.depth, a.depth, 1e-10);
        EXPECT_NEAR(b.alpha, a.alpha, 1e-9);
        EXPECT_NEAR(r->s.JBdotC(q), g->s.JBdotC(p), 1e-10);
        // N and L are built from the frame products only.
        EXPECT_NEAR(b.discrNormDev, a.discrNormDev, 1e-8 * (1 + std::fabs(a.discrNormDev)));
        EXPECT_NEAR(b.discrLatDev, a.discrLatDev, 1e-8 * (1 + std::fabs(a.discrLatDev)));
        // The tangent frame in R^4 is the same.
        const TLocalFrame fr = FrameAt(r->s, q), fg = FrameAt(g->s, p);
        ExpectVector(fr.t, fg.t, 1e-12);
        ExpectVector(fr.Jt, fg.Jt, 1e-12);
    }
}

TEST(SurfaceGeometry, RepeatedComputationIsBitIdentical) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    const TLocalGeometry& s = g->s;
    TInvariants first, second, other;
    ASSERT_TRUE(s.ComputeInvariants({1.3, 0.9}, first));
    ASSERT_TRUE(s.ComputeInvariants({4.0, 0.3}, other));
    ASSERT_TRUE(s.ComputeInvariants({1.3, 0.9}, second));
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
    const double k1 = s.GaussCurvature({1.3, 0.9});
    s.DepthOfOrigin({4.0, 0.3});
    EXPECT_EQ(s.GaussCurvature({1.3, 0.9}), k1);
    // The frame itself, around a frame at another point and a failed one.
    const TLocalFrame a = FrameAt(s, {1.3, 0.9});
    FrameAt(s, {4.0, 0.3});
    EXPECT_FALSE(s.Frame({1.3, std::numeric_limits<double>::quiet_NaN()}).has_value());
    const TLocalFrame b = FrameAt(s, {1.3, 0.9});
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

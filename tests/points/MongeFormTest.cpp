// Special points of Monge forms f = (u, v, Z(u, v), W(u, v)) with a known
// point at the origin. At the origin the metric is Euclidean, t = e_u,
// Jt = e_v, and the normal plane is the (z, w) plane; to first order in
// (u, v) the normal vectors are, in (z, w) components,
//   H = ((Z_uu + Z_vv)/2, (W_uu + W_vv)/2), B = ((Z_uu - Z_vv)/2, (W_uu - W_vv)/2),
//   C = (Z_uv, W_uv)
// (the tilt of the tangent plane changes them only at second order). So the
// quadratic part of Z and W fixes the kind of the origin and the cubic part
// the linear terms of its equations, from which the index follows: a field
// whose angle is arg(w)/m for a linear w = a z + b conj(z) (z = u + i v) has
// index +1/m when |a| > |b| and -1/m when |a| < |b|. The separatrices are
// the rays where the angle equals the ray's angle modulo the field's
// symmetry, i.e. the roots of Im(exp(-i m alpha) w(exp(i alpha))) with a
// positive real part; their number is stated for each case.
#include "PointsTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora {
namespace {

using pointtest::PointsOf;
using pointtest::Surface;

constexpr double kSide = 0.3;

// " + c term" or " - |c| term", c with all its digits.
std::string Term(double c, const std::string& term) {
    char text[64];
    std::snprintf(text, sizeof text, " %c %.17g ", c < 0 ? '-' : '+', std::fabs(c));
    return text + term;
}

Surface Monge(const std::string& z, const std::string& w) {
    return Surface({"u", "v", z, w}, {-kSide, -kSide}, {kSide, kSide});
}

// The point of `kind` nearest the origin, which must be the origin to 1e-9 of
// the domain's size. (The terms of higher order make further points
// farther out.)
TSpecialPoint OriginPoint(const TSpecialPointsResult& r, TSpecialKind kind) {
    const std::vector<TSpecialPoint> found = PointsOf(r, kind);
    EXPECT_FALSE(found.empty()) << SpecialKindName(kind);
    if (found.empty()) return {};
    const auto distance = [](const TSpecialPoint& p) { return std::hypot(p.at[0], p.at[1]); };
    const TSpecialPoint nearest = *std::min_element(
        found.begin(), found.end(), [&](const auto& a, const auto& b) { return distance(a) < distance(b); });
    const double span = std::hypot(2 * kSide, 2 * kSide);
    EXPECT_LE(distance(nearest), 1e-9 * span) << SpecialKindName(kind);
    return nearest;
}

// Z = (u^2 + v^2)/4 + (u^2 - v^2)/2 + k u^3/6, W = u v + m v^3/6: H = (1/2, 0),
// B = (1, 0), C = (0, 1) at the origin, a circle: axiumbilic. To first order
// bb - cc = 2 dB_z - 2 dC_w = k u and 2 bc = 2 (dC_z + dB_w) = -m v, so
// (bb - cc) + 2 i bc = k u - i m v = a z + b conj(z), a = (k - m)/2, b = (k + m)/2.
// The major axes of the ellipse lie at 4 theta = arg(w): the curvature lines
// form a cross of index +-1/4, and a ray alpha is a separatrix where
// w(exp(i alpha)) exp(-4 i alpha) is positive.
Surface Axiumbilic(double k, double m) {
    return Monge("0.25 (u^2 + v^2) + 0.5 (u^2 - v^2)" + Term(k, "u^3/6"), "u v" + Term(m, "v^3/6"));
}

TEST(MongeForms, AxiumbilicPointsAndTheirPatterns) {
    {
        // k = 1, m = -1: w = z, index +1/4; exp(-3 i alpha) > 0 at alpha = 0,
        // 2 pi/3, 4 pi/3: three separatrices.
        const TSpecialPoint p = OriginPoint(Axiumbilic(1, -1).Find(TLineClass::Curvature), TSpecialKind::Axiumbilic);
        EXPECT_EQ(p.field, TLineClass::Curvature);
        EXPECT_EQ(p.index, 0.25);
        EXPECT_EQ(p.separatrices, 3);
        EXPECT_EQ(p.type, "E3");
    }
    {
        // k = m = 1: w = conj(z), index -1/4; exp(-5 i alpha) > 0 at the five
        // angles 2 pi j/5.
        const TSpecialPoint p = OriginPoint(Axiumbilic(1, 1).Find(TLineClass::Curvature), TSpecialKind::Axiumbilic);
        EXPECT_EQ(p.index, -0.25);
        EXPECT_EQ(p.separatrices, 5);
        EXPECT_EQ(p.type, "E5");
    }
    {
        // k = 0.2, m = -1.8: w = z - 0.8 conj(z), index +1/4, and the strong
        // conjugate term bends the field: -sin 3 alpha + 0.8 sin 5 alpha has
        // five roots with a positive real part. (The count of a cross of
        // index +1/4 is odd: the angle between field and ray turns by
        // 2 pi (1/4 - 1) along the loop, three levels pi/2 apart net.)
        const TSpecialPoint p =
            OriginPoint(Axiumbilic(0.2, -1.8).Find(TLineClass::Curvature), TSpecialKind::Axiumbilic);
        EXPECT_EQ(p.index, 0.25);
        EXPECT_EQ(p.separatrices, 5);
        EXPECT_EQ(p.type, "E5");
    }
}

// Z = (u^2 + v^2)/2 + c30 u^3 + c12 u v^2, W = (u^2 - v^2)/2: H = (1, 0),
// B = (0, 1), C = 0 at the origin, H normal to B and C: principal-singular.
// To first order hb = H.dB = dB_z = (3 c30 - c12) u and hc = H.dC = dC_z =
// 2 c12 v. The principal lines lie at 2 theta = arg(hb + i hc): index +-1/2;
// a ray alpha is a separatrix where w(exp(i alpha)) exp(-2 i alpha) > 0.
Surface PrincipalSingular(double c30, double c12) {
    return Monge("0.5 (u^2 + v^2)" + Term(c30, "u^3") + Term(c12, "u v^2"), "0.5 (u^2 - v^2)");
}

TEST(MongeForms, PrincipalSingularLemonMonstarAndStar) {
    {
        // c30 = c12 = 1/2: w = u + i v = z, index +1/2; exp(-i alpha) > 0 at
        // alpha = 0 only: one separatrix, a lemon.
        const TSpecialPoint p =
            OriginPoint(PrincipalSingular(0.5, 0.5).Find(TLineClass::Principal), TSpecialKind::PrincipalSingular);
        EXPECT_EQ(p.field, TLineClass::Principal);
        EXPECT_EQ(p.index, 0.5);
        EXPECT_EQ(p.separatrices, 1);
        EXPECT_EQ(p.type, "lemon");
    }
    {
        // c30 = 5/12, c12 = 3/4: w = 0.5 u + 1.5 i v = z - 0.5 conj(z), index
        // +1/2; Im = sin alpha (1.5 sin^2 alpha - 0.5 cos^2 alpha) vanishes on
        // the lines at 0 and +-30 degrees, each with one positive ray: three
        // separatrices, a monstar.
        const TSpecialPoint p = OriginPoint(PrincipalSingular(5.0 / 12, 0.75).Find(TLineClass::Principal),
                                            TSpecialKind::PrincipalSingular);
        EXPECT_EQ(p.index, 0.5);
        EXPECT_EQ(p.separatrices, 3);
        EXPECT_EQ(p.type, "monstar");
    }
    {
        // c30 = 1/6, c12 = -1/2: w = u - i v = conj(z), index -1/2;
        // exp(-3 i alpha) > 0 at three angles: a star.
        const TSpecialPoint p = OriginPoint(PrincipalSingular(1.0 / 6, -0.5).Find(TLineClass::Principal),
                                            TSpecialKind::PrincipalSingular);
        EXPECT_EQ(p.index, -0.5);
        EXPECT_EQ(p.separatrices, 3);
        EXPECT_EQ(p.type, "star");
    }
}

// Z = (u^2 + v^2)/2 + b (u^2 - v^2)/2, W = q1 u^3/6 + u v^2/2: H = (1, 0),
// B = (b, 0), C = 0 at the origin, all on the z axis: an inflection point, the
// origin inside the segment [1 - |b|, 1 + |b|] when |b| > 1. To first order
// jhb = Bz dHw - dBw Hz = K u with K = ((b - 1) q1 + (b + 1))/2, and
// jhc = -dCw = -v. The mean curvature lines lie at 2 theta = arg(jhc - i jhb)
// = arg(-v - i K u): index -1/2 for K > 0, +1/2 for K < 0.
Surface Inflection(double b, double q1) {
    return Monge("0.5 (u^2 + v^2)" + Term(b / 2, "(u^2 - v^2)"), "0.5 u v^2" + Term(q1, "u^3/6"));
}

TEST(MongeForms, InflectionPointsOnTheMeanCurvatureAndAsymptoticFields) {
    {
        // b = 1/2, q1 = 0: K = 3/4; -v - 0.75 i u = i (0.125 z - 0.875 conj z),
        // index -1/2, with three positive rays: a star.
        const Surface s = Inflection(0.5, 0);
        const TSpecialPoint p = OriginPoint(s.Find(TLineClass::MeanCurvature), TSpecialKind::Inflection);
        EXPECT_EQ(p.field, TLineClass::MeanCurvature);
        ASSERT_TRUE(p.origin.has_value());
        EXPECT_EQ(*p.origin, TOriginSide::Outside);
        EXPECT_EQ(p.index, -0.5);
        EXPECT_EQ(p.separatrices, 3);
        EXPECT_EQ(p.type, "star");
        // Outside the segment the point is surrounded by hyperbolic points:
        // the asymptotic lines have an index there, that of
        // psi = arg(jhb + i jhc) = arg(K u - i v) halved (the other term of
        // their angle, arcsin(jbc/|JH|), does not turn).
        const TSpecialPoint a = OriginPoint(s.Find(TLineClass::Asymptotic), TSpecialKind::Inflection);
        EXPECT_EQ(a.field, TLineClass::Asymptotic);
        EXPECT_EQ(a.index, -0.5);
    }
    {
        // b = 1/2, q1 = 6: K = -3/4, index +1/2 on both fields; -v + 0.75 i u
        // = i (0.875 z - 0.125 conj z) has one positive ray: a lemon.
        const Surface s = Inflection(0.5, 6);
        const TSpecialPoint p = OriginPoint(s.Find(TLineClass::MeanCurvature), TSpecialKind::Inflection);
        EXPECT_EQ(p.index, 0.5);
        EXPECT_EQ(p.separatrices, 1);
        EXPECT_EQ(p.type, "lemon");
        EXPECT_EQ(OriginPoint(s.Find(TLineClass::Asymptotic), TSpecialKind::Inflection).index, 0.5);
    }
    {
        // b = 2: the origin lies inside the segment; the point is on the
        // parabolic locus, elliptic points (without asymptotic directions) lie
        // on one side, so the asymptotic field has no index there; the mean
        // curvature field still has one.
        const Surface s = Inflection(2, 0);
        const TSpecialPoint a = OriginPoint(s.Find(TLineClass::Asymptotic), TSpecialKind::Inflection);
        ASSERT_TRUE(a.origin.has_value());
        EXPECT_EQ(*a.origin, TOriginSide::Inside);
        EXPECT_TRUE(std::isnan(a.index));
        EXPECT_EQ(a.separatrices, -1);
        EXPECT_EQ(a.type, "");
        EXPECT_TRUE(OriginPoint(s.Find(TLineClass::MeanCurvature), TSpecialKind::Inflection).IndexMeasured());
    }
}

// Z = (u^2 - v^2)/2 + u^3/6, W = u v + v^3/6: H = 0, B = (1, 0), C = (0, 1) at
// the origin - minimal, and axiumbilic too. dH = (u/2, v/2): hb + i hc = z/2
// (principal lines: index +1/2, one separatrix); jhb = B_z dH_w = v/2 and
// jhc = -C_w dH_z = -u/2, so jhc - i jhb = -z/2 (mean curvature lines: index
// +1/2, the one positive ray of -exp(-i alpha) at alpha = pi).
TEST(MongeForms, AMinimalPointIsFoundForBothOfItsFieldsAndWithEveryKind) {
    const Surface s = Monge("0.5 (u^2 - v^2) + u^3/6", "u v + v^3/6");
    for (const TLineClass field : {TLineClass::MeanCurvature, TLineClass::Principal}) {
        const TSpecialPoint p = OriginPoint(s.Find(field), TSpecialKind::Minimal);
        EXPECT_EQ(p.field, field);
        EXPECT_EQ(p.index, 0.5);
        EXPECT_EQ(p.separatrices, 1);
        EXPECT_EQ(p.type, "lemon");
    }
    // Every kind: the origin as a minimal point (measured on the mean
    // curvature lines) and as an axiumbilic one (on the curvature lines).
    const TSpecialPointsResult all = s.Find(TLineClass::CoordinateLines);
    EXPECT_EQ(OriginPoint(all, TSpecialKind::Minimal).field, TLineClass::MeanCurvature);
    EXPECT_EQ(OriginPoint(all, TSpecialKind::Axiumbilic).field, TLineClass::Curvature);
    EXPECT_TRUE(PointsOf(all, TSpecialKind::PrincipalSingular).empty());
    EXPECT_TRUE(all.sets.empty());
}

}  // namespace
}  // namespace velmora

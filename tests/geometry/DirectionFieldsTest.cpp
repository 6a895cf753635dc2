// Directions of the seven line classes: the defining geometric conditions
// checked on the vectors of the frame, the continuation rule, foliations, the
// higher-degree directions and the cross at a point.
#include "SurfaceTestSupport.h"
#include "geometry/HigherDegreeDirections.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr double kPi = std::numbers::pi;
const Vector2 kPoints[] = {{1.3, 0.9}, {0.4, 1.7}, {4.0, 0.3}, {2.5, 2.0}, {5.9, 1.1}};

// The reference geometry from the derivatives of the surface at p.
ReferenceGeometry AtPoint(const TLocalGeometry& s, const Vector2& p) {
    const TLocalFrame f = FrameAt(s, p);
    ReferenceGeometry g;
    g.xu = f.xu;
    g.xv = f.xv;
    g.xuu = f.xuu;
    g.xuv = f.xuv;
    g.xvv = f.xvv;
    g.Complete();
    return g;
}

double Cross2(const ReferenceGeometry& g, const Vector4& a, const Vector4& b) {
    return Dot(a, g.n1) * Dot(b, g.n2) - Dot(a, g.n2) * Dot(b, g.n1);
}

// The defining condition of class c at angle theta (zero on its directions),
// and a scale for its tolerance.
double Condition(const ReferenceGeometry& g, int c, double theta, double& scale) {
    const Vector4 H = g.MeanCurvatureVector();
    const Vector4 II = g.SecondForm(theta);
    const Vector4 dII = g.SecondFormDerivative(theta);
    scale = Dot(dII, dII) + Dot(H, H) + Dot(II, II);
    switch (c) {
        case 1: return 2 * Dot(Add(II, H, -1), dII);  // |II - H| extremal: a vertex
        case 2: return Cross2(g, II, dII);            // the line through 0 touches the ellipse
        case 3: return Cross2(g, Add(II, H, -1), H);  // II - H parallel to H
        default: return Dot(H, dII);                  // H . II extremal
    }
}

// Deviation of classes 5 and 6 from the vectors: |II|^2 and II . II(w, Jw).
double Deviation(const ReferenceGeometry& g, int c, double theta) {
    const Vector4 II = g.SecondForm(theta);
    if (c == 5) return Dot(II, II);
    return Dot(II, g.SecondFormDerivative(theta)) / 2;  // II(w, Jw) = (1/2) d/dtheta II(w, w)
}

double Reduce(double theta, double period) {
    double a = std::fmod(theta, period);
    if (a < 0) a += period;
    if (period - a < 1e-9) a = 0;
    return a;
}

// Distance of two angles modulo period.
double Gap(double a, double b, double period) {
    const double d = Reduce(a - b, period);
    return std::min(d, period - d);
}

std::string Swapped(std::string text) {
    for (char& ch : text) ch = ch == 'u' ? 'v' : ch == 'v' ? 'u' : ch;
    return text;
}

}  // namespace

TEST(Directions, NearestCandidateAcrossTheWrap) {
    // (u, v, u^2 - g uv, u^2 + v^2) with g = cot 1.4: B = (1, 0), C = (-g, 0) in
    // (e3, e4), so atan2(2 bc, bb - cc) = 2.8 - pi and the base angle is 0.7.
    char text[64];
    std::snprintf(text, sizeof text, "u^2 - %.17g*u*v", 1 / std::tan(1.4));
    auto g = MakeSurface({"u", "v", text, "u^2 + v^2"});
    TLocalGeometry& s = g->s;
    Vector2 tangent{};
    double phi = UndefinedValue;
    ASSERT_NE(s.Directions({0, 0}, TLineClass::Curvature, tangent, phi), 0);
    EXPECT_NEAR(phi, 0.7 + kPi / 4, 1e-12);  // the first direction
    phi = 0.01;
    ASSERT_NE(s.Directions({0, 0}, TLineClass::Curvature, tangent, phi), 0);
    EXPECT_NEAR(phi, 0.7 + 7 * kPi / 4, 1e-12);
    phi = 0.7 + 0.38;  // nearer to beta than to beta + pi/4
    s.Directions({0, 0}, TLineClass::Curvature, tangent, phi);
    EXPECT_NEAR(phi, 0.7, 1e-12);
    phi = 0.7 + 0.40;
    s.Directions({0, 0}, TLineClass::Curvature, tangent, phi);
    EXPECT_NEAR(phi, 0.7 + kPi / 4, 1e-12);
    phi = 6.27;  // nearer to beta + 7 pi/4 than to beta + 2 pi
    s.Directions({0, 0}, TLineClass::Curvature, tangent, phi);
    EXPECT_NEAR(phi, 0.7 + 7 * kPi / 4, 1e-12);
    phi = 0.7 + 2 * kPi + 0.05;  // outside [0, 2 pi): the same candidate as 0.75
    s.Directions({0, 0}, TLineClass::Curvature, tangent, phi);
    EXPECT_NEAR(phi, 0.7, 1e-12);
}

TEST(Directions, ClassesOneToFourSatisfyTheirEquations) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    TLocalGeometry& s = g->s;
    for (const Vector2& p : kPoints) {
        const ReferenceGeometry ref = AtPoint(s, p);
        const TLocalFrame f = FrameAt(s, p);
        for (int c = 1; c <= 4; ++c) {
            SCOPED_TRACE(::testing::Message() << "class " << c << " at " << p[0] << ", " << p[1]);
            const double step = c == 1 ? kPi / 4 : kPi / 2;
            const int n = c == 1 ? 8 : 4;
            Vector2 tangent{};
            double phi = UndefinedValue;
            const uint8_t f0 = s.Directions(p, LineClassOfTag(c), tangent, phi);
            if (f0 == 0) {
                EXPECT_EQ(c, 2) << "only asymptotic directions may be missing";
                continue;
            }
            std::vector<double> candidates;
            if (c == 2) {
                double second = -UndefinedValue;
                Vector2 t2{};
                ASSERT_NE(s.Directions(p, TLineClass::Asymptotic, t2, second), 0);
                candidates = {phi, second, phi + kPi, second + kPi};
            } else {
                for (int k = 0; k < n; ++k) candidates.push_back(Reduce(phi + k * step, 2 * kPi));
            }
            for (double target : candidates) {
                double theta = target + 0.01;  // a nearby angle selects the candidate
                const uint8_t fol = s.Directions(p, LineClassOfTag(c), tangent, theta);
                ASSERT_NE(fol, 0);
                EXPECT_LT(Gap(theta, target, 2 * kPi), 1e-9);
                double scale = 0;
                const double condition = Condition(ref, c, theta, scale);
                EXPECT_NEAR(condition, 0, 1e-12 * scale);
                // The tangent is the unit vector cos theta t + sin theta Jt.
                const Vector4 w = Add(Scale(f.xu, tangent[0]), f.xv, tangent[1]);
                const Vector4 expected = Add(Scale(f.t, std::cos(theta)), f.Jt, std::sin(theta));
                for (int i = 0; i < 4; ++i) EXPECT_NEAR(w[i], expected[i], 1e-12);
                // A repeated call is a fixed point.
                double again = theta;
                Vector2 tangent2{};
                EXPECT_EQ(s.Directions(p, LineClassOfTag(c), tangent2, again), fol);
                EXPECT_EQ(again, theta);
                EXPECT_EQ(tangent2, tangent);
                // The opposite direction belongs to the same foliation.
                double opposite = Reduce(theta + kPi, 2 * kPi);
                EXPECT_EQ(s.Directions(p, LineClassOfTag(c), tangent2, opposite), fol);
                EXPECT_NEAR(tangent2[0], -tangent[0], 1e-12);
                EXPECT_NEAR(tangent2[1], -tangent[1], 1e-12);
            }
        }
    }
}

TEST(Directions, FoliationsAlternateBetweenNeighbouringDirections) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    TLocalGeometry& s = g->s;
    for (const Vector2& p : kPoints) {
        for (int c : {1, 3, 4}) {
            const double step = c == 1 ? kPi / 4 : kPi / 2;
            Vector2 tangent{};
            double phi = UndefinedValue;
            ASSERT_NE(s.Directions(p, LineClassOfTag(c), tangent, phi), 0);
            uint8_t previous = 0;
            for (int k = 0; k < (c == 1 ? 8 : 4); ++k) {
                double theta = Reduce(phi + k * step, 2 * kPi);
                const uint8_t fol = s.Directions(p, LineClassOfTag(c), tangent, theta);
                if (k > 0) {
                    EXPECT_NE(fol, previous) << "class " << c;
                }
                previous = fol;
            }
        }
        // The first asymptotic direction is foliation 1, the second foliation 2.
        Vector2 tangent{};
        double first = UndefinedValue, second = -UndefinedValue;
        if (s.Directions(p, TLineClass::Asymptotic, tangent, first) != 0) {
            EXPECT_EQ(s.Directions(p, TLineClass::Asymptotic, tangent, first), 1);
            EXPECT_EQ(s.Directions(p, TLineClass::Asymptotic, tangent, second), 2);
        }
    }
}

TEST(Directions, OtherClassesHaveNoLowDegreeField) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    Vector2 tangent{1, 2};
    double phi = 0.5;
    for (int c : {0, 5, 6, 7, 8, -1}) EXPECT_EQ(g->s.Directions({1.3, 0.9}, LineClassOfTag(c), tangent, phi), 0);
    EXPECT_EQ(phi, 0.5);
}

TEST(HigherDegreeDirections, ExtremalDeviationDirections) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    TLocalGeometry& s = g->s;
    THigherDegreeDirections solver(s);
    for (const Vector2& p : kPoints) {
        const ReferenceGeometry ref = AtPoint(s, p);
        for (int c : {5, 6}) {
            SCOPED_TRACE(::testing::Message() << "class " << c << " at " << p[0] << ", " << p[1]);
            DirectionList list;
            ASSERT_TRUE(solver.HigherDegreeDirections(LineClassOfTag(c), list, p));
            ASSERT_TRUE(list.count == 2 || list.count == 4) << list.count;
            const double discriminant =
                c == 5 ? s.DiscriminantExtremalNormDevDirs(p) : s.DiscriminantExtremalLatDevDirs(p);
            EXPECT_EQ(list.count == 4, discriminant > 0);
            for (int k = 1; k <= list.count; ++k) {
                const DirectionEntry& e = list.entries[k];
                const double theta = std::atan2(e.y, e.x);
                const double h = 1e-4;
                const double d0 = Deviation(ref, c, theta);
                const double dPlus = Deviation(ref, c, theta + h), dMinus = Deviation(ref, c, theta - h);
                // A critical point of the deviation, with the value listed.
                EXPECT_NEAR(e.value, d0, 1e-8 * (1 + std::fabs(d0)));
                EXPECT_NEAR((dPlus - dMinus) / (2 * h), 0, 1e-6 * (1 + std::fabs(d0)));
                if (k > 1) {
                    EXPECT_LE(list.entries[k - 1].value, e.value);
                }
                // Sorted: the first half are minima, the second half maxima.
                const bool minimum = dPlus + dMinus - 2 * d0 > 0;
                EXPECT_EQ(minimum, k <= list.count / 2) << "entry " << k;
                // Minima are foliation 2, maxima foliation 1, in both senses.
                const uint8_t fol = solver.FoliationOfDirection(LineClassOfTag(c), {e.x, e.y}, p);
                EXPECT_EQ(fol, minimum ? 2 : 1);
                EXPECT_EQ(solver.FoliationOfDirection(LineClassOfTag(c), {-e.x, -e.y}, p), fol);
                // Newton's method from a nearby angle returns to the direction.
                double start = theta + 0.02;
                Vector2 direction{};
                EXPECT_EQ(solver.NewtonDirection(LineClassOfTag(c), start, direction, p), fol);
                EXPECT_LT(Gap(start, theta, kPi), 1e-8);
                const auto coords = ref.Coordinates(start);
                EXPECT_NEAR(direction[0], coords[0], 1e-10);
                EXPECT_NEAR(direction[1], coords[1], 1e-10);
                EXPECT_NEAR(solver.lastSin, std::sin(start), 1e-15);
                // Its colour code is its rank (two directions: 1 and 4).
                const int code = solver.ClassifyExtremal(LineClassOfTag(c), p, std::sin(theta), std::cos(theta));
                EXPECT_EQ(code, list.count == 2 && k == 2 ? 4 : k);
            }
        }
    }
}

TEST(HigherDegreeDirections, StrongPrincipalQuinticRootsAndSymmetry) {
    // Points with three directions (default surface), one and five (graphs).
    struct Case {
        std::array<std::string, 4> texts;
        std::vector<Vector2> points;
    };
    const Case cases[] = {
        {DefaultSurfaceTexts(), {std::begin(kPoints), std::end(kPoints)}},
        {{"u", "v", "0.5*u^2 + 0.4*u*v - 0.3*v^2 + u^3 - 2*u^2*v + 0.3*u*v^2 + 0.7*v^3",
          "-0.2*u^2 + 0.6*u*v + 0.5*v^2 + 0.4*u^3 + u^2*v - 0.5*u*v^2 - 0.2*v^3"},
         {{0.3, 0.2}, {0, 0}}},
        {{"u", "v", "sin(u)*cos(v)", "exp(0.3*u)*v + u*v^2"}, {{1, 1}, {0.3, 0.2}}}};
    std::array<int, 6> seen{};
    for (const Case& test : cases) {
        auto g = MakeSurface(test.texts);
        std::array<std::string, 4> swappedTexts;
        for (int i = 0; i < 4; ++i) swappedTexts[i] = Swapped(test.texts[i]);
        auto swapped = MakeSurface(swappedTexts);
        THigherDegreeDirections solver(g->s);
        for (const Vector2& p : test.points) {
            Polynomial5 q, r;
            ASSERT_TRUE(StrongPrincipalQuintic(g->s, p, q));
            ASSERT_TRUE(StrongPrincipalQuintic(swapped->s, {p[1], p[0]}, r));
            // Exchanging u and v reverses the coefficients.
            double size = 0;
            for (int i = 1; i <= 6; ++i) size += std::fabs(q.c[i]);
            for (int i = 1; i <= 6; ++i) EXPECT_NEAR(r.c[i], q.c[7 - i], 1e-12 * size);
            // Every listed direction (du, dv) is a root of the quintic form.
            DirectionList list;
            ASSERT_TRUE(solver.HigherDegreeDirections(TLineClass::StrongPrincipal, list, p));
            EXPECT_EQ(list.count % 2, 1);
            ++seen[list.count];
            const double discriminant = g->s.DiscriminantStrongPrincipalLines(p);
            EXPECT_EQ(list.count == 3, discriminant < 0);
            for (int k = 1; k <= list.count; ++k) {
                const DirectionEntry& e = list.entries[k];
                EXPECT_NEAR(e.x * e.x + e.y * e.y, 1, 1e-15);
                EXPECT_NEAR(AngularForm(q, std::atan2(e.y, e.x)), 0, 1e-9 * size);
                Vector2 direction{};
                double theta = std::atan2(e.y, e.x) - 0.01;
                EXPECT_EQ(solver.NewtonDirection(TLineClass::StrongPrincipal, theta, direction, p), 1);
                EXPECT_LT(Gap(theta, std::atan2(e.y, e.x), kPi), 1e-8);
                EXPECT_EQ(solver.FoliationOfDirection(TLineClass::StrongPrincipal, {e.x, e.y}, p), 1);
            }
        }
    }
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[3], 0);
    EXPECT_GT(seen[5], 0);
}

TEST(HigherDegreeDirections, QuinticOfACubicGraphAtTheOrigin) {
    // At the origin of (u, v, f, g) the metric is the identity and the
    // Christoffel terms vanish, so Q only involves brackets [V, X] = V_f X_g - V_g X_f
    // of Va = x_uv, Vb = x_vv - x_uu, Vc = -x_uv with the third derivatives.
    auto g = MakeSurface({"u", "v", "0.5*u^2 + 0.4*u*v - 0.3*v^2 + u^3 - 2*u^2*v + 0.3*u*v^2 + 0.7*v^3",
                          "-0.2*u^2 + 0.6*u*v + 0.5*v^2 + 0.4*u^3 + u^2*v - 0.5*u*v^2 - 0.2*v^3"});
    using P2 = std::array<double, 2>;
    const P2 xuv{0.4, 0.6}, vb{-0.6 - 1, 1.0 + 0.4};
    const P2 xuuu{6, 2.4}, xuuv{-4, 2}, xuvv{0.6, -1}, xvvv{4.2, -1.2};
    auto br = [](const P2& a, const P2& b) { return a[0] * b[1] - a[1] * b[0]; };
    const double expected[6] = {
        br(xuv, xuuu),
        3 * br(xuv, xuuv) + br(vb, xuuu),
        3 * br(vb, xuuv) - br(xuv, xuuu) + 3 * br(xuv, xuvv),
        -3 * br(xuv, xuuv) + 3 * br(vb, xuvv) + br(xuv, xvvv),
        br(vb, xvvv) - 3 * br(xuv, xuvv),
        -br(xuv, xvvv)};
    Polynomial5 q;
    ASSERT_TRUE(StrongPrincipalQuintic(g->s, {0, 0}, q));
    EXPECT_EQ(q.degree, 5);
    for (int k = 0; k <= 5; ++k) EXPECT_NEAR(q.c[6 - k], expected[k], 1e-12) << "q" << k;
}

TEST(DirectionCross, SegmentsAlongTheDirections) {
    auto g = MakeSurface(DefaultSurfaceTexts());
    TLocalGeometry& s = g->s;
    const Vector2 p{1.3, 0.9};
    const TLocalFrame f = FrameAt(s, p);
    const double span = 6.65, k = 0.025 * span;
    TInvariants values;
    TDirectionCross cross;
    ASSERT_TRUE(s.ComputeCross(p, TLineClass::CoordinateLines, span, values, cross));
    EXPECT_EQ(cross.count, 0);
    EXPECT_EQ(cross.curvesParts, 0);
    for (int c = 1; c <= 4; ++c) {
        if (!s.ComputeCross(p, LineClassOfTag(c), span, values, cross)) {
            EXPECT_EQ(c, 2);
            continue;
        }
        EXPECT_EQ(cross.count, c == 1 ? 4 : 2);
        EXPECT_EQ(cross.curvesParts, -1);
        for (int j = 0; j < cross.count; ++j) {
            const auto& [a, b] = cross.segments[j];
            EXPECT_NEAR((a[0] + b[0]) / 2, p[0], 1e-14);
            EXPECT_NEAR((a[1] + b[1]) / 2, p[1], 1e-14);
            const double du = (b[0] - a[0]) / 2, dv = (b[1] - a[1]) / 2;
            EXPECT_NEAR(std::hypot(du, dv), k, 1e-14);
            // Parallel to the coordinates of a direction of the class.
            double theta = std::atan2(dv * std::sqrt(f.guu * f.gvv - f.guv * f.guv) / f.guu,
                                      du + dv * f.guv / f.guu);  // back to the frame angle
            Vector2 tangent{};
            double chosen = Reduce(theta, 2 * kPi);
            ASSERT_NE(s.Directions(p, LineClassOfTag(c), tangent, chosen), 0);
            EXPECT_LT(Gap(chosen, theta, kPi), 1e-9) << "class " << c << " segment " << j;
        }
    }
    THigherDegreeDirections solver(s);
    for (int c = 5; c <= 7; ++c) {
        ASSERT_TRUE(s.ComputeCross(p, LineClassOfTag(c), span, values, cross));
        DirectionList list;
        solver.HigherDegreeDirections(LineClassOfTag(c), list, p);
        EXPECT_EQ(cross.curvesParts, 2 * list.count);
        ASSERT_EQ(cross.count, list.count);
        for (int j = 0; j < cross.count; ++j) {
            const auto& e = list.entries[j + 1];
            const auto& [a, b] = cross.segments[j];
            Vector2 d{(b[0] - a[0]) / 2, (b[1] - a[1]) / 2};
            if (c == 7) {
                EXPECT_NEAR(d[0], e.x, 1e-15);
                EXPECT_NEAR(d[1], e.y, 1e-15);
            } else {
                // The coordinates of x t + y Jt, not rescaled.
                const Vector4 w = Add(Scale(f.xu, d[0]), f.xv, d[1]);
                const Vector4 expected = Add(Scale(f.t, e.x), f.Jt, e.y);
                for (int i = 0; i < 4; ++i) EXPECT_NEAR(w[i], expected[i], 1e-12);
            }
        }
    }
}

// Loci of the default surface: every stored point lies on the zero set.
#include "curves/ImplicitCurveTracer.h"
#include "tests/curves/TestSurfaces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

namespace velmora {
namespace {

struct LocusRun {
    std::vector<std::vector<Vector2>> polylines;
    double scale = 0;  // mean |F| over a 10 x 10 grid
};

LocusRun TraceLocus(tracertest::TestSurface& s, const R2ToR1Function& f) {
    LocusRun run;
    auto tracer = std::make_unique<TImplicitCurveTracer>();
    tracer->ComputeImplicitCurve(
        f,
        [&](const Vector2& p, int key) {
            if (key == 1 || run.polylines.empty()) run.polylines.emplace_back();
            run.polylines.back().push_back(p);
        },
        s.map.min2D, s.map.max2D, 40, 464, s.map.radius2D);
    int n = 0;
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) {
            const double v = f({s.map.min2D[0] + (i + 0.5) * s.map.edges2D[0] / 10,
                                s.map.min2D[1] + (j + 0.5) * s.map.edges2D[1] / 10});
            if (v != UndefinedValue) run.scale += std::fabs(v), ++n;
        }
    run.scale /= n;
    return run;
}

void ExpectOnZeroSet(tracertest::TestSurface& s, const R2ToR1Function& f, const LocusRun& run) {
    ASSERT_FALSE(run.polylines.empty());
    std::size_t points = 0;
    for (const auto& line : run.polylines)
        for (std::size_t i = 0; i < line.size(); ++i) {
            const Vector2& p = line[i];
            double depth = 0;
            EXPECT_TRUE(s.map.InRange(depth, p));
            // The last point of a pass may have been pulled back onto the
            // border along its step; every other point was corrected onto F = 0.
            if (i + 1 == line.size() && depth < 1e-7) continue;
            const double v = f(p);
            ASSERT_NE(v, UndefinedValue);
            EXPECT_LT(std::fabs(v), 1e-9 * run.scale) << p[0] << "," << p[1];
            ++points;
        }
    EXPECT_GT(points, 100u);
}

TEST(Loci, ParabolicLocusOfTheDefaultSurfaceLiesOnItsZeroSet) {
    tracertest::TestSurface s = tracertest::DefaultSurface();
    TLocalGeometry& g = *s.surface;
    R2ToR1Function f = [&](const Vector2& p) { return g.DepthOfOrigin(p); };
    ExpectOnZeroSet(s, f, TraceLocus(s, f));
}

TEST(Loci, ZeroGaussCurvatureLocusOfTheDefaultSurfaceLiesOnItsZeroSet) {
    tracertest::TestSurface s = tracertest::DefaultSurface();
    TLocalGeometry& g = *s.surface;
    R2ToR1Function f = [&](const Vector2& p) { return g.GaussCurvature(p); };
    const LocusRun run = TraceLocus(s, f);
    ExpectOnZeroSet(s, f, run);
    // The curve separates signs: small steps across it change the sign of K.
    const auto& line = run.polylines.front();
    ASSERT_GT(line.size(), 3u);
    const Vector2 p = line[line.size() / 2], q = line[line.size() / 2 + 1];
    const Vector2 n = {-(q[1] - p[1]), q[0] - p[0]};
    const double h = 1e-3 / std::hypot(n[0], n[1]);
    const double a = f({p[0] + h * n[0], p[1] + h * n[1]}), b = f({p[0] - h * n[0], p[1] - h * n[1]});
    EXPECT_LT(a * b, 0);
}

// |sin| of the angle between H and the major axis of the curvature ellipse at
// p, with the axis taken as the eigenvector of the larger eigenvalue of the
// Gram matrix of B and C (not through the arc tangent that the locus function
// uses, whose branch cut flips the axis).
double SineHToMajorAxis(const TLocalGeometry& surface, const Vector2& p) {
    const std::optional<TLocalFrame> frame = surface.Frame(p);
    if (!frame) return -1;
    const TLocalFrame& g = *frame;
    const double half = (g.bb - g.cc) / 2;
    const double lambda = (g.bb + g.cc) / 2 + std::hypot(half, g.bc);
    // (bc, lambda - bb) and (lambda - cc, bc) both span the eigenspace; take
    // the longer one.
    double e0 = g.bc, e1 = lambda - g.bb;
    if (std::hypot(lambda - g.cc, g.bc) > std::hypot(e0, e1)) e0 = lambda - g.cc, e1 = g.bc;
    double hv = 0, hh = 0, vv = 0;
    for (int k = 0; k < 4; ++k) {
        const double v = e0 * g.vB[k] + e1 * g.vC[k];
        hv += g.vH[k] * v;
        hh += g.vH[k] * g.vH[k];
        vv += v * v;
    }
    return std::sqrt(std::fabs(1 - hv * hv / (hh * vv)));
}

TEST(Loci, TheHParallelToMajorAxisLocusNeverFollowsAFlipOfTheAxis) {
    // Where bc changes sign with bb < cc the major-axis vector of the locus
    // function turns round, and its signed sine jumps across a curve on which
    // H is far from parallel to the axis. That curve is no zero.
    tracertest::TestSurface s({"u", "v", "u^2 + 2 v^2", "u v + 0.5 v^3 + u^2 v"}, {-1, -1}, {1, 1});
    TLocalGeometry& g = *s.surface;
    R2ToR1Function f = [&](const Vector2& p) { return g.AngleHEllipse(p); };
    // The flip is there: a change of sign of F that bisection pins down to
    // two points 1e-12 apart on which |F| stays above 0.5.
    bool jump = false;
    for (int i = 0; i < 40 && !jump; ++i)
        for (int j = 0; j < 40 && !jump; ++j) {
            Vector2 a = {-0.99 + 0.05 * i, -0.99 + 0.05 * j}, b = {a[0], a[1] + 0.05};
            double fa = f(a), fb = f(b);
            if (fa == UndefinedValue || fb == UndefinedValue || fa * fb >= 0) continue;
            while (b[1] - a[1] > 1e-12) {
                const Vector2 m = {a[0], (a[1] + b[1]) / 2};
                const double fm = f(m);
                if (fm == UndefinedValue) break;
                (fm * fa > 0 ? a : b) = m;
                (fm * fa > 0 ? fa : fb) = fm;
            }
            jump = b[1] - a[1] <= 1e-12 && std::fabs(fa) > 0.5 && std::fabs(fb) > 0.5;
        }
    ASSERT_TRUE(jump);

    const LocusRun run = TraceLocus(s, f);
    ASSERT_FALSE(run.polylines.empty());
    std::size_t checked = 0;
    for (const auto& line : run.polylines)
        for (std::size_t i = 0; i < line.size(); ++i) {
            double depth = 0;
            s.map.InRange(depth, line[i]);
            if (i + 1 == line.size() && depth < 1e-7) continue;  // pulled back onto the border
            const double sine = SineHToMajorAxis(g, line[i]);
            ASSERT_GE(sine, 0);
            EXPECT_LT(sine, 1e-6) << line[i][0] << "," << line[i][1];
            ++checked;
        }
    EXPECT_GT(checked, 300u);
}

TEST(Loci, TracingTwiceGivesTheSamePolylines) {
    tracertest::TestSurface s = tracertest::DefaultSurface();
    TLocalGeometry& g = *s.surface;
    R2ToR1Function f = [&](const Vector2& p) { return g.JBdotC(p); };
    const LocusRun first = TraceLocus(s, f), second = TraceLocus(s, f);
    EXPECT_EQ(first.polylines, second.polylines);
}

}  // namespace
}  // namespace velmora

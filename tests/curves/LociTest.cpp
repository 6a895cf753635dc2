// Loci of the default surface: every stored point lies on the zero set.
#include "curves/FImplicitCurveLine.h"
#include "tests/curves/TestSurfaces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace velmora {
namespace {

struct LocusRun {
    std::vector<std::vector<Vector2>> polylines;
    double scale = 0;  // mean |F| over a 10 x 10 grid
};

LocusRun TraceLocus(tracertest::TestSurface& s, const R2ToR1Function& f) {
    LocusRun run;
    auto tracer = std::make_unique<TImplicitCurveLine>();
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
    TParametrizationR2R4& g = *s.surface;
    R2ToR1Function f = [&](const Vector2& p) { return g.DepthOfOrigin(p); };
    ExpectOnZeroSet(s, f, TraceLocus(s, f));
}

TEST(Loci, ZeroGaussCurvatureLocusOfTheDefaultSurfaceLiesOnItsZeroSet) {
    tracertest::TestSurface s = tracertest::DefaultSurface();
    TParametrizationR2R4& g = *s.surface;
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

TEST(Loci, TracingTwiceGivesTheSamePolylines) {
    tracertest::TestSurface s = tracertest::DefaultSurface();
    TParametrizationR2R4& g = *s.surface;
    R2ToR1Function f = [&](const Vector2& p) { return g.JBdotC(p); };
    const LocusRun first = TraceLocus(s, f), second = TraceLocus(s, f);
    EXPECT_EQ(first.polylines, second.polylines);
}

}  // namespace
}  // namespace velmora

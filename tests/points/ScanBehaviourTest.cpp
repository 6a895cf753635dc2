// What the scan promises besides the mathematics of the points: each point
// satisfies its equations when they are computed independently, degenerate
// metrics are a kind of their own, bad input never crashes it, the cap, the
// stop, the progress, the end callback, and the same result whatever the
// number of workers.
#include "PointsTestSupport.h"
#include "tests/geometry/SurfaceTestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <thread>

namespace velmora {
namespace {

using pointtest::PointsOf;
using pointtest::SetsOf;
using pointtest::Surface;
using pointtest::kGenericTorus;

constexpr double kTwoPi = 2 * std::numbers::pi;

// The same torus in C++, for derivatives by finite differences.
Vector4 GenericTorusPoint(double u, double v) {
    return {(1 - 0.1 * std::cos(v)) * std::cos(u) + 0.1 * std::sin(u) * std::sin(v),
            (1 - 0.1 * std::cos(v)) * std::sin(u) - 0.1 * std::cos(u) * std::sin(v),
            (1 - 0.4 * std::cos(v)) * std::cos(2 * u) + 0.8 * std::sin(2 * u) * std::sin(v) + 0.2 * std::cos(u + v),
            (1 - 0.4 * std::cos(v)) * std::sin(2 * u) - 0.8 * std::cos(2 * u) * std::sin(v) +
                0.15 * std::sin(u - 2 * v)};
}

// |a - (a.n) n| for a unit n: the part of a off the line of n.
double OffLine(const Vector4& a, const Vector4& n) {
    return testing::Norm(testing::Add(a, n, -testing::Dot(a, n)));
}

TEST(ScanBehaviour, EveryPointSatisfiesItsEquationsComputedFromFiniteDifferences) {
    // H, B and C from central differences of the coordinates (an orthonormal
    // normal basis, the second fundamental form by sampling), not from the
    // compiled derivatives or the frame the scan used.
    const Surface torus(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi});
    const TSpecialPointsResult r = torus.Find(TLineClass::CoordinateLines);
    ASSERT_GE(r.points.size(), 20u);
    for (const TSpecialPoint& p : r.points) {
        const auto g = testing::ReferenceGeometry::FromFunction(GenericTorusPoint, p.at[0], p.at[1]);
        const Vector4 H = g.MeanCurvatureVector();
        Vector4 B, C;
        g.EllipseVectors(B, C);
        const double h = testing::Norm(H), b = testing::Norm(B), c = testing::Norm(C);
        const double scale = h + b + c;
        SCOPED_TRACE(std::string(SpecialKindName(p.kind)) + " at " + std::to_string(p.at[0]) + ", " +
                     std::to_string(p.at[1]));
        switch (p.kind) {
            case TSpecialKind::Axiumbilic:  // |B| = |C|, B orthogonal to C
                EXPECT_LT(std::fabs(b * b - c * c), 1e-6 * scale * scale);
                EXPECT_LT(std::fabs(testing::Dot(B, C)), 1e-6 * scale * scale);
                break;
            case TSpecialKind::Inflection: {  // B and C on the line of H != 0
                ASSERT_GT(h, 1e-3 * scale);
                const Vector4 n = testing::Scale(H, 1 / h);
                EXPECT_LT(OffLine(B, n), 1e-6 * scale);
                EXPECT_LT(OffLine(C, n), 1e-6 * scale);
                break;
            }
            case TSpecialKind::Minimal: EXPECT_LT(h, 1e-6 * scale); break;
            case TSpecialKind::PrincipalSingular:  // H != 0 normal to B and C
                ASSERT_GT(h, 1e-3 * scale);
                EXPECT_LT(std::fabs(testing::Dot(H, B)), 1e-6 * scale * scale);
                EXPECT_LT(std::fabs(testing::Dot(H, C)), 1e-6 * scale * scale);
                break;
            case TSpecialKind::Degenerate: ADD_FAILURE() << "an immersed torus"; break;
        }
    }
}

TEST(ScanBehaviour, DegenerateMetricsAreAKindOfTheirOwn) {
    {
        // f_u = (2u, 2v, 3u^2, 0) and f_v = (-2v, 2u, 0, 3v^2) both vanish at
        // the origin only.
        const Surface s({"u^2 - v^2", "2 u v", "u^3", "v^3"}, {-1, -1}, {1, 1});
        for (const TLineClass c : {TLineClass::CoordinateLines, TLineClass::Curvature, TLineClass::Principal}) {
            const std::vector<TSpecialPoint> degenerate = PointsOf(s.Find(c), TSpecialKind::Degenerate);
            ASSERT_EQ(degenerate.size(), 1u);
            EXPECT_LT(std::hypot(degenerate[0].at[0], degenerate[0].at[1]), 1e-6);
            EXPECT_EQ(degenerate[0].field, TLineClass::CoordinateLines);
            EXPECT_FALSE(degenerate[0].IndexMeasured());
            EXPECT_EQ(degenerate[0].separatrices, -1);
            EXPECT_EQ(degenerate[0].type, "");
        }
    }
    {
        // Polar coordinates on a cone: f_u = 0 along the whole edge v = 0, a
        // curve of degenerate points.
        const Surface cone({"v cos(u)", "v sin(u)", "v", "0.3 v^2 sin(2u)"}, {0, 0}, {kTwoPi, 1});
        const TSpecialPointsResult r = cone.Find(TLineClass::Curvature);
        EXPECT_TRUE(PointsOf(r, TSpecialKind::Degenerate).empty());
        const std::vector<TSpecialSet> edge = SetsOf(r, TSpecialKind::Degenerate);
        ASSERT_EQ(edge.size(), 1u);
        ASSERT_GE(edge[0].curve.size(), 50u);
        for (const Vector2& p : edge[0].curve) EXPECT_EQ(p[1], 0);
    }
    {
        // f_u and f_v parallel everywhere.
        const Surface line({"u + v", "u + v", "0", "(u + v)^2"}, {-1, -1}, {1, 1});
        const TSpecialPointsResult r = line.Find(TLineClass::Curvature);
        EXPECT_TRUE(r.points.empty());
        ASSERT_EQ(r.sets.size(), 1u);
        EXPECT_EQ(r.sets[0].kind, TSpecialKind::Degenerate);
        EXPECT_TRUE(r.sets[0].everywhere);
    }
}

TEST(ScanBehaviour, BadInputNeverCrashesTheScan) {
    // Undefined halves, poles, overflowing and huge values, NaN from the
    // formulas' clamps: whatever is found is a finite point inside the domain.
    const std::array<std::array<std::string, 4>, 6> surfaces = {{
        {"u", "v", "ln(u)", "u v"},
        {"u", "v", "1/u", "1/(u^2 + v^2)"},
        {"u", "v", "exp(exp(20 u))", "v^3"},
        {"10^300 u", "10^300 v", "10^300 u^2", "v"},
        {"u", "v", "sqrt(u) + arcsin(3 v)", "tan(20 u) v"},
        {"0", "0", "0", "0"},
    }};
    for (const auto& texts : surfaces) {
        const Surface s(texts, {-1, -1}, {1, 1});
        const TSpecialPointsResult r = s.Find(TLineClass::CoordinateLines, 60);
        EXPECT_FALSE(r.stopped) << texts[2];
        for (const TSpecialPoint& p : r.points) {
            EXPECT_TRUE(std::isfinite(p.at[0]) && std::isfinite(p.at[1]));
            EXPECT_TRUE(p.at[0] >= -1 && p.at[0] <= 1 && p.at[1] >= -1 && p.at[1] <= 1);
        }
        for (const TSpecialSet& set : r.sets)
            for (const Vector2& q : set.curve) EXPECT_TRUE(std::isfinite(q[0]) && std::isfinite(q[1]));
    }
    // A constant map has no frame anywhere: degenerate everywhere.
    const Surface point({"0", "0", "0", "0"}, {-1, -1}, {1, 1});
    const TSpecialPointsResult r = point.Find(TLineClass::Principal, 50);
    ASSERT_EQ(r.sets.size(), 1u);
    EXPECT_TRUE(r.sets[0].everywhere);
}

TEST(ScanBehaviour, RefusesWhatItCannotScan) {
    const Surface torus(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi});
    TSpecialPointScan scan;
    // The extremal deviation and strong principal lines have no special points here.
    for (const int c : {5, 6, 7, 8}) {
        EXPECT_TRUE(SpecialKindsOf(LineClassOfTag(c)).empty());
        EXPECT_THROW(scan.Start(torus.Sets(), torus.lo, torus.hi, LineClassOfTag(c)), std::invalid_argument);
    }
    EXPECT_THROW(scan.Start({}, torus.lo, torus.hi, TLineClass::Curvature), std::invalid_argument);
    EXPECT_THROW(scan.Start(torus.Sets(), {0, 0}, {0, 1}, TLineClass::Curvature), std::invalid_argument);
    EXPECT_FALSE(scan.Running());
}

TEST(ScanBehaviour, TheCapKeepsTheFirstPointsByVThenU) {
    const Surface torus(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi});
    const TSpecialPointsResult all = torus.Find(TLineClass::Curvature);
    ASSERT_GT(all.points.size(), 5u);
    EXPECT_FALSE(all.capped);
    TSpecialPointOptions options;
    options.cells = 200;
    options.maxPoints = 5;
    const TSpecialPointsResult capped = FindSpecialPoints(torus.Sets(), torus.lo, torus.hi, TLineClass::Curvature, options);
    EXPECT_TRUE(capped.capped);
    ASSERT_EQ(capped.points.size(), 5u);
    std::vector<Vector2> lowest;
    for (const TSpecialPoint& p : all.points) lowest.push_back(p.at);
    std::sort(lowest.begin(), lowest.end(), [](const Vector2& a, const Vector2& b) { return a[1] < b[1]; });
    for (const TSpecialPoint& p : capped.points) EXPECT_LE(p.at[1], lowest[4][1]);
    // The cap of the program.
    EXPECT_EQ(SpecialPointsCapMessage(), "More than 10000 special points: the first 10000 are shown");
}

TEST(ScanBehaviour, AStopEndsTheScanWithAnIncompleteResult) {
    const Surface torus(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi});
    {
        std::stop_source stop;
        stop.request_stop();
        TSpecialPointOptions options;
        options.cells = 2000;
        const TSpecialPointsResult r =
            FindSpecialPoints(torus.Sets(), torus.lo, torus.hi, TLineClass::CoordinateLines, options, stop.get_token());
        EXPECT_TRUE(r.stopped);
        EXPECT_TRUE(r.points.empty());
    }
    {
        // Asked to stop while it scans a fine grid: the callback still runs,
        // once, and the workers end within a row.
        std::atomic<int> ends{0};
        TSpecialPointScan scan;
        TSpecialPointOptions options;
        options.cells = 4000;
        scan.Start(torus.Sets(), torus.lo, torus.hi, TLineClass::CoordinateLines, options, [&] { ++ends; });
        EXPECT_TRUE(scan.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        scan.Terminate();
        scan.Wait();
        EXPECT_FALSE(scan.Running());
        EXPECT_EQ(ends.load(), 1);
        const TSpecialPointProgress progress = scan.Progress();
        EXPECT_LT(progress.rowsDone, progress.rows);
        EXPECT_TRUE(scan.TakeResult().stopped);
    }
}

TEST(ScanBehaviour, ProgressAndResultDoNotDependOnTheWorkers) {
    const Surface one(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi}, 1);
    const Surface three(kGenericTorus, {0, 0}, {kTwoPi, kTwoPi}, 3);
    TSpecialPointScan scan;
    std::atomic<int> ends{0};
    TSpecialPointOptions options;
    options.cells = 150;
    scan.Start(three.Sets(), three.lo, three.hi, TLineClass::CoordinateLines, options, [&] { ++ends; });
    scan.Wait();
    EXPECT_EQ(ends.load(), 1);
    const TSpecialPointProgress p = scan.Progress();
    EXPECT_EQ(p.rowsDone, 150);
    EXPECT_EQ(p.rows, 150);
    EXPECT_EQ(p.refined, p.candidates);
    EXPECT_EQ(p.measured, p.toMeasure);
    EXPECT_EQ(p.Fraction(), 1.0);
    const TSpecialPointsResult byThree = scan.TakeResult();
    const TSpecialPointsResult byOne = FindSpecialPoints(one.Sets(), one.lo, one.hi, TLineClass::CoordinateLines, options);
    ASSERT_EQ(byThree.points.size(), byOne.points.size());
    ASSERT_FALSE(byOne.points.empty());
    for (std::size_t i = 0; i < byOne.points.size(); ++i) {
        EXPECT_EQ(byThree.points[i].at, byOne.points[i].at);  // bit for bit
        EXPECT_EQ(byThree.points[i].kind, byOne.points[i].kind);
        EXPECT_EQ(byThree.points[i].type, byOne.points[i].type);
    }
}

}  // namespace
}  // namespace velmora

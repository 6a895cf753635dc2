// The implicit-curve tracer on analytic functions whose zero sets are known,
// and its parts: the gradient, the tangent, the corrector and the flags.
#include "curves/CellFlags.h"
#include "curves/ImplicitCurveTracer.h"
#include "curves/ZeroSetCorrector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace velmora {
namespace {

using Polyline = std::vector<Vector2>;

// Collects the polylines that the tracer stores.
struct Recorder {
    std::vector<Polyline> lines;
    int calls = 0;
    StoreSegmentProcedure2D Proc() {
        return [this](const Vector2& p, int key) {
            ++calls;
            if (key == 1 || lines.empty()) lines.emplace_back();
            lines.back().push_back(p);
        };
    }
};

// The tracer and the flags hold a 465 x 465 grid: keep them off the stack.
std::unique_ptr<TImplicitCurveTracer> MakeTracer() { return std::make_unique<TImplicitCurveTracer>(); }

constexpr double kPi = 3.14159265358979323846;

double RadiusFor(const Vector2& lo, const Vector2& hi) {
    return std::hypot(hi[0] - lo[0], hi[1] - lo[1]) / 1096;
}

Recorder Trace(TImplicitCurveTracer& tracer, R2ToR1Function f, Vector2 lo, Vector2 hi, int pp = 40, int flags = 464) {
    Recorder rec;
    tracer.ComputeImplicitCurve(std::move(f), rec.Proc(), lo, hi, pp, flags, RadiusFor(lo, hi));
    return rec;
}

TEST(ImplicitCurve, VerticalLineIsOneSegmentStoredAsTwoPolylinesFromOneSeed) {
    const double u0 = 0.7371;
    const Vector2 lo{0, -1}, hi{2, 1.5};
    auto tracer = MakeTracer();
    Recorder rec = Trace(*tracer, [&](const Vector2& p) { return p[0] - u0; }, lo, hi);
    ASSERT_EQ(rec.lines.size(), 2u);
    const Polyline& down = rec.lines[0];
    const Polyline& up = rec.lines[1];
    EXPECT_EQ(down.front(), up.front());  // both passes start at the seed
    for (const auto& line : rec.lines)
        for (const auto& p : line) EXPECT_NEAR(p[0], u0, 1e-12);
    // The first pass goes against the tangent (-grad rotated: downwards here),
    // the second along it; each runs monotonically to the border and its last
    // point is pulled back to just inside it.
    for (std::size_t i = 1; i < down.size(); ++i) EXPECT_LT(down[i][1], down[i - 1][1]);
    for (std::size_t i = 1; i < up.size(); ++i) EXPECT_GT(up[i][1], up[i - 1][1]);
    EXPECT_GE(down.back()[1], lo[1]);
    EXPECT_LT(down.back()[1] - lo[1], 1e-7);
    EXPECT_LE(up.back()[1], hi[1]);
    EXPECT_LT(hi[1] - up.back()[1], 1e-7);
    // Predictor steps are 3 to 5 radius long (gradient 1: 11/3 radius, damped by 0.8).
    const double r = RadiusFor(lo, hi);
    for (const auto& line : rec.lines)
        for (std::size_t i = 1; i + 1 < line.size(); ++i) {
            const double step = std::fabs(line[i][1] - line[i - 1][1]);
            EXPECT_NEAR(step, 0.8 * r * 11.0 / 3.0, 1e-9);
        }
}

TEST(ImplicitCurve, CircleIsTracedOnce) {
    const Vector2 c{0.3, -0.2};
    const double rad = 0.55;
    const Vector2 lo{-1, -1}, hi{1, 1};
    const double r = RadiusFor(lo, hi);
    auto tracer = MakeTracer();
    Recorder rec = Trace(
        *tracer, [&](const Vector2& p) { return std::hypot(p[0] - c[0], p[1] - c[1]) - rad; }, lo, hi);
    ASSERT_GE(rec.lines.size(), 2u);
    for (const auto& line : rec.lines)
        for (const auto& p : line) EXPECT_NEAR(std::hypot(p[0] - c[0], p[1] - c[1]), rad, 1e-12);
    // The first seed's two passes go once around: the first pass all the way
    // until it runs into its own flagged cells, the second only a few steps.
    auto angle = [&](const Vector2& p) {
        double a = std::atan2(p[1] - c[1], p[0] - c[0]) * 180 / kPi;
        return a < 0 ? a + 360 : a;
    };
    std::vector<bool> covered(360, false);
    double length = 0;
    for (int k = 0; k < 2; ++k) {
        const auto& line = rec.lines[k];
        for (std::size_t i = 0; i < line.size(); ++i) {
            covered[static_cast<int>(angle(line[i])) % 360] = true;
            if (i > 0) length += std::hypot(line[i][0] - line[i - 1][0], line[i][1] - line[i - 1][1]);
        }
    }
    for (int deg = 0; deg < 360; ++deg) EXPECT_TRUE(covered[deg]) << "degree " << deg;
    EXPECT_GT(length, 2 * kPi * rad);
    EXPECT_LT(length, 2 * kPi * rad + 20 * 5 * r);
    EXPECT_EQ(rec.lines[0].front(), rec.lines[1].front());
    // Later seeds lie in fine cells that the walks between steps stepped over
    // diagonally; their passes stop after meeting flagged cells twice, so they
    // only retrace a few steps.
    for (std::size_t k = 2; k < rec.lines.size(); ++k) EXPECT_LE(rec.lines[k].size(), 16u) << k;
}

TEST(ImplicitCurve, FunctionsWithoutZerosStoreNothing) {
    const Vector2 lo{-2, -1}, hi{3, 4};
    auto tracer = MakeTracer();
    EXPECT_EQ(Trace(*tracer, [](const Vector2&) { return 1.0; }, lo, hi).calls, 0);
    EXPECT_EQ(Trace(*tracer, [](const Vector2& p) { return p[0] * p[0] + p[1] * p[1] + 0.5; }, lo, hi).calls, 0);
    EXPECT_EQ(Trace(*tracer, [](const Vector2&) { return UndefinedValue; }, lo, hi).calls, 0);
    EXPECT_EQ(Trace(*tracer, [](const Vector2&) { return std::nan(""); }, lo, hi).calls, 0);
    // A zero set just outside the rectangle.
    EXPECT_EQ(Trace(*tracer, [](const Vector2& p) { return p[0] - 3.01; }, lo, hi).calls, 0);
}

TEST(ImplicitCurve, AJumpOfSignIsNoZero) {
    const Vector2 lo{-1, -1}, hi{1, 1};
    auto tracer = MakeTracer();
    // F rises towards u = 0.3 from -0.01 on the left and from +0.01 on the
    // right: Newton's steps are drawn across the jump, but there is no zero;
    // nor does the jump loosen the tolerance of the corrections after it.
    const auto jump = [](const Vector2& p) { return p[0] - 0.3 + (p[0] < 0.3 ? -0.01 : 0.01); };
    EXPECT_EQ(Trace(*tracer, jump, lo, hi).calls, 0);
    // The same jump beside a true zero set, the line v = 0.5: only the line.
    Recorder rec = Trace(*tracer, [&](const Vector2& p) { return p[1] < 0 ? jump(p) : p[1] - 0.5; }, lo, hi);
    ASSERT_FALSE(rec.lines.empty());
    for (const auto& line : rec.lines)
        for (const auto& p : line) EXPECT_NEAR(p[1], 0.5, 1e-12) << p[0];
    // Below a curved zero set (Newton stops as soon as |F| is below the
    // tolerance, so a loosened one would show) the points stay as close to
    // it: the jumps met first leave the tolerance as it was.
    const auto curved = [&](const Vector2& p) { return p[1] < 0 ? jump(p) : std::exp(p[1] - 0.5) - 1; };
    Recorder beside = Trace(*tracer, curved, lo, hi);
    ASSERT_FALSE(beside.lines.empty());
    for (const auto& line : beside.lines)
        for (const auto& p : line) EXPECT_NEAR(p[1], 0.5, 1e-13) << p[0];
}

TEST(ImplicitCurve, UndefinedRegionsAreNeverAccepted) {
    // The line u = 0.25 exists only where v > 0: nothing is stored below.
    const Vector2 lo{-1, -1}, hi{1, 1};
    auto tracer = MakeTracer();
    Recorder rec = Trace(
        *tracer, [](const Vector2& p) { return p[1] > 0 ? p[0] - 0.25 : UndefinedValue; }, lo, hi);
    ASSERT_FALSE(rec.lines.empty());
    for (const auto& line : rec.lines)
        for (const auto& p : line) {
            EXPECT_GT(p[1], 0);
            EXPECT_NEAR(p[0], 0.25, 1e-12);
        }
}

TEST(ImplicitCurve, GridSizesAreClampedTo40And464) {
    const Vector2 lo{0, 0}, hi{1, 1};
    auto f = [](const Vector2& p) { return (p[0] - 0.5) * (p[0] - 0.5) + (p[1] - 0.4) * (p[1] - 0.4) - 0.09; };
    auto tracer = MakeTracer();
    // 100 and 1000 trace exactly as 40 and 464; other grids give other seeds.
    Recorder clamped = Trace(*tracer, f, lo, hi, 100, 1000);
    Recorder plain = Trace(*tracer, f, lo, hi, 40, 464);
    ASSERT_EQ(clamped.lines.size(), plain.lines.size());
    for (std::size_t i = 0; i < plain.lines.size(); ++i) EXPECT_EQ(clamped.lines[i], plain.lines[i]);
    EXPECT_NE(Trace(*tracer, f, lo, hi, 39, 464).lines, plain.lines);
    EXPECT_NE(Trace(*tracer, f, lo, hi, 40, 463).lines, plain.lines);
    // No cells at all: nothing to scan, and no division by zero.
    EXPECT_EQ(Trace(*tracer, f, lo, hi, 0, 464).calls, 0);
    EXPECT_EQ(Trace(*tracer, f, lo, hi, 40, 0).calls, 0);
    EXPECT_EQ(Trace(*tracer, f, hi, lo).calls, 0);  // empty rectangle
}

TEST(ImplicitCurve, SeedAtACriticalPointIsAnIsolatedPoint) {
    // With 3 coarse cells on [-3, 3] the middle sample of the middle cell is
    // exactly the origin, where F = u^2 + v^2 vanishes with its gradient.
    auto tracer = MakeTracer();
    Recorder rec = Trace(*tracer, [](const Vector2& p) { return p[0] * p[0] + p[1] * p[1]; }, {-3, -3}, {3, 3}, 3, 464);
    bool found = false;
    for (const auto& line : rec.lines)
        if (line.size() == 1 && line[0] == Vector2{0, 0}) found = true;
    EXPECT_TRUE(found);
}

TEST(ImplicitCurve, CrossingLinesAreBothTraced) {
    const Vector2 lo{-1, -1}, hi{1, 1};
    auto tracer = MakeTracer();
    Recorder rec = Trace(*tracer, [](const Vector2& p) { return (p[0] - 0.2) * (p[1] + 0.3); }, lo, hi);
    // Points lie on one of the two lines; each line is covered from border to border.
    double vLo = 1, vHi = -1, uLo = 1, uHi = -1;
    for (const auto& line : rec.lines)
        for (const auto& p : line) {
            const bool onVertical = std::fabs(p[0] - 0.2) < 1e-9;
            const bool onHorizontal = std::fabs(p[1] + 0.3) < 1e-9;
            EXPECT_TRUE(onVertical || onHorizontal) << p[0] << "," << p[1];
            if (onVertical) vLo = std::min(vLo, p[1]), vHi = std::max(vHi, p[1]);
            if (onHorizontal) uLo = std::min(uLo, p[0]), uHi = std::max(uHi, p[0]);
        }
    EXPECT_LT(vLo, -0.99);
    EXPECT_GT(vHi, 0.99);
    EXPECT_LT(uLo, -0.99);
    EXPECT_GT(uHi, 0.99);
}

TEST(ImplicitCurveParts, NumericGradientIsExactForCubics) {
    const R2ToR1Function f = [](const Vector2& p) { return p[0] * p[0] * p[0] + 2 * p[0] * p[1] * p[1] + p[1]; };
    for (const Vector2 p : {Vector2{0.3, -1.2}, Vector2{2.0, 0.5}, Vector2{-0.7, 0.0}}) {
        const Vector2 g = NumericGradient(f, p);
        EXPECT_NEAR(g[0], 3 * p[0] * p[0] + 2 * p[1] * p[1], 1e-9);
        EXPECT_NEAR(g[1], 4 * p[0] * p[1] + 1, 1e-9);
    }
}

TEST(ImplicitCurveParts, TangentIsPerpendicularAndBetween3And5Radius) {
    const double radius = 0.01;
    for (const double slope : {1e-12, 1e-3, 1.0, 1e3, 1e9}) {
        const R2ToR1Function f = [slope](const Vector2& p) { return slope * (0.6 * p[0] + 0.8 * p[1]); };
        Vector2 t{};
        ASSERT_TRUE(LevelCurveTangent(NumericGradient(f, {0.1, 0.2}), radius, t));
        EXPECT_NEAR(0.6 * t[0] + 0.8 * t[1], 0, 1e-13 * std::hypot(t[0], t[1]));
        const double len = std::hypot(t[0], t[1]);
        EXPECT_GE(len, 3 * 0.01 * (1 - 1e-9));
        EXPECT_LE(len, 5 * 0.01 * (1 + 1e-9));
        if (slope == 1e-12) {
            EXPECT_NEAR(len, 0.03, 1e-9);
        }
        if (slope == 1e9) {
            EXPECT_NEAR(len, 0.05, 1e-9);
        }
        // The tangent is the gradient turned by +90 degrees.
        EXPECT_GT(-0.8 * t[0] + 0.6 * t[1], 0);
    }
    const R2ToR1Function constant = [](const Vector2&) { return 2.0; };
    Vector2 t{};
    EXPECT_FALSE(LevelCurveTangent(NumericGradient(constant, {0, 0}), radius, t));
}

TEST(ImplicitCurveParts, CorrectionBisectsWhenNewtonJumpsOverTheZero) {
    // F = sign(x) sqrt|x| with x = u - 0.3: Newton's step lands at the mirror
    // point every time, so only the bisection can find the zero.
    const R2ToR1Function f = [](const Vector2& p) {
        const double x = p[0] - 0.3;
        return x >= 0 ? std::sqrt(x) : -std::sqrt(-x);
    };
    TZeroSetCorrector zeros(f, {-1, -1}, {1, 1}, {0.1, 0.1});
    EXPECT_EQ(zeros.Tolerance(), 1e-14);
    Vector2 x{};
    ASSERT_TRUE(zeros.Correct({0.31, 0.5}, {0.31, 0.5}, true, x));
    EXPECT_NEAR(x[0], 0.3, 1e-20 + 1e-15);
    EXPECT_EQ(x[1], 0.5);
    // Too far away: the first step is longer than 0.27 of the cell diagonal.
    EXPECT_FALSE(TZeroSetCorrector(f, {-1, -1}, {1, 1}, {0.1, 0.1}).Correct({0.325, 0.5}, {0.32, 0.5}, true, x));
    // A step that leaves the rectangle fails.
    TZeroSetCorrector outside([](const Vector2& p) { return p[0] - 1.005; }, {-1, -1}, {1, 1}, {0.1, 0.1});
    EXPECT_FALSE(outside.Correct({0.99, 0.0}, {0.99, 0.0}, true, x));
}

TEST(ImplicitCurveParts, CorrectionAcrossTheChordKeepsItsDirection) {
    // Chord from r to x0 along the u axis: the correction moves along v only.
    TZeroSetCorrector zeros([](const Vector2& p) { return p[1] - 0.1 * p[0] - 0.05; }, {-1, -1}, {1, 1},
                            {0.05, 0.05});
    Vector2 x{};
    ASSERT_TRUE(zeros.Correct({0.2, 0.06}, {0.19, 0.06}, false, x));
    EXPECT_EQ(x[0], 0.2);
    EXPECT_NEAR(x[1], 0.07, 1e-15);
}

TEST(ImplicitCurveParts, AJumpOfSignLeavesTheToleranceAsItWas) {
    // Across u = 0.3, F jumps from -0.01 to +0.01: the bisection ends at the
    // jump with |F| far above a zero's, and refuses it without loosening the
    // tolerance.
    TZeroSetCorrector zeros([](const Vector2& p) { return p[0] - 0.3 + (p[0] < 0.3 ? -0.01 : 0.01); }, {-1, -1},
                            {1, 1}, {0.05, 0.05});
    const double before = zeros.Tolerance();
    EXPECT_LE(before, 1e-14);
    Vector2 x{};
    EXPECT_FALSE(zeros.Correct({0.295, 0.0}, {0.295, 0.0}, true, x));
    EXPECT_EQ(zeros.Tolerance(), before);
}

TEST(ImplicitCurveParts, TheToleranceFollowsTheScaleOfF) {
    // From the mean |F| over the rectangle: a millionth of it, never more
    // than 1e-14, and never more than a thousandth of the defined values'
    // mean (values undefined on part of the rectangle do not count there).
    const auto scaled = [](double k) { return [k](const Vector2& p) { return k * (p[0] + 2); }; };
    EXPECT_EQ(TZeroSetCorrector(scaled(1), {-1, -1}, {1, 1}, {0.1, 0.1}).Tolerance(), 1e-14);
    // The samples lie at u = -0.9, -0.7, ..., 0.9, ten of each: |F| sums to
    // 200 k (plus 1e-15 that every sum starts from), the largest is 2.9 k,
    // and the mean divides by 101.
    const double tiny = TZeroSetCorrector(scaled(1e-12), {-1, -1}, {1, 1}, {0.1, 0.1}).Tolerance();
    EXPECT_NEAR(tiny, (1e-15 + 197.1e-12) / 101 * 1e-6, 1e-30);
    // Undefined where u > 0: the mean of the defined values (75 k in all, the
    // largest 1.9 k, divided by 1 + 50) bounds the tolerance by a thousandth.
    const R2ToR1Function half = [](const Vector2& p) { return p[0] < 0 ? 1e-12 * (p[0] + 2) : UndefinedValue; };
    EXPECT_NEAR(TZeroSetCorrector(half, {-1, -1}, {1, 1}, {0.1, 0.1}).Tolerance(), (1e-15 + 73.1e-12) / 51 * 1e-3,
                1e-27);
}

TEST(CellFlags, MarkCellLineFlagsTheCellsBetween) {
    auto flags = std::make_unique<TCellFlags>();
    // (0,0) -> (4,1): cells (1,0), (2,0) (0.5 rounds to even), (3,1), (4,1).
    EXPECT_FALSE(flags->MarkCellLine(0, 0, 4, 1));
    std::vector<std::pair<int, int>> flagged;
    for (int a = 0; a < 6; ++a)
        for (int b = 0; b < 6; ++b)
            if (flags->Flagged(a, b)) flagged.emplace_back(a, b);
    const std::vector<std::pair<int, int>> expected{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}};
    EXPECT_EQ(flagged, expected);
    // Walking back over them meets flagged cells; a fresh steep walk does not.
    EXPECT_TRUE(flags->MarkCellLine(4, 1, 0, 0));
    EXPECT_FALSE(flags->MarkCellLine(10, 10, 11, 14));
    for (int b = 11; b <= 14; ++b) EXPECT_TRUE(flags->Flagged(b < 13 ? 10 : 11, b)) << b;
    EXPECT_FALSE(flags->MarkCellLine(20, 20, 20, 20));
    EXPECT_TRUE(flags->Flagged(20, 20));
    // Cells outside the grid are ignored rather than written.
    EXPECT_FALSE(flags->MarkCellLine(463, 0, 470, 0));
    EXPECT_TRUE(flags->Flagged(464, 0));
    EXPECT_FALSE(flags->Flagged(465, 0));
    EXPECT_FALSE(flags->Flagged(-1, 0));
}

TEST(CellFlags, CellsOfPointsAndAReset) {
    auto flags = std::make_unique<TCellFlags>();
    flags->Reset({-1, 2}, {0.5, 0.25});
    int a = 0, b = 0;
    flags->CellOf({0.3, 2.6}, a, b);  // (1.3 / 0.5, 0.6 / 0.25) = (2.6, 2.4)
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 2);
    flags->CellOf({-1.1, 1.99}, a, b);  // left of and below the grid: negative cells
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
    flags->CellOf({std::nan(""), 1e300}, a, b);  // far outside every grid, no overflow
    EXPECT_LT(a, 0);
    EXPECT_GT(b, TCellFlags::kMaxCells);
    flags->Set(3, 4, true);
    EXPECT_TRUE(flags->Flagged(3, 4));
    flags->Reset({0, 0}, {1, 1});
    EXPECT_FALSE(flags->Flagged(3, 4));
}

}  // namespace
}  // namespace velmora

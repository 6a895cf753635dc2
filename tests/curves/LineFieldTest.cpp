// Integral curves of the line fields on surfaces whose lines are known.
#include "curves/LineFieldTracer.h"
#include "curves/HigherDegreeLineTracer.h"
#include "tests/curves/TestSurfaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <limits>
#include <stdexcept>

namespace velmora {
namespace {

using tracertest::DefaultSurface;
using tracertest::Paraboloid;
using tracertest::Recorder;
using tracertest::TestSurface;
using tracertest::TraceInto;

constexpr double kPi = 3.14159265358979323846;

bool IsRadial(const Recorder::Curve& c, const Vector2& start, double tol) {
    for (const auto& p : c.points)
        if (std::fabs(p[0] * start[1] - p[1] * start[0]) > tol) return false;
    return true;
}

bool IsCircle(const Recorder::Curve& c, double rho, double tol) {
    for (const auto& p : c.points)
        if (std::fabs(std::hypot(p[0], p[1]) - rho) > tol) return false;
    return true;
}

// Total turn of a curve about the origin.
double Turn(const Recorder::Curve& c) {
    double total = 0;
    for (std::size_t i = 1; i < c.points.size(); ++i) {
        double d = std::atan2(c.points[i][1], c.points[i][0]) - std::atan2(c.points[i - 1][1], c.points[i - 1][0]);
        if (d > kPi) d -= 2 * kPi;
        if (d < -kPi) d += 2 * kPi;
        total += d;
    }
    return total;
}

TEST(LineField, PrincipalLinesOfARevolutionSurfaceAreMeridiansAndParallels) {
    TestSurface s = Paraboloid();
    const Vector2 start{0.5, 0.2};
    const double rho = std::hypot(start[0], start[1]);
    for (int curveClass : {1, 4}) {
        Recorder host;
        EXPECT_EQ(TraceInto(host, s, curveClass == 1 ? 8 : 4, LineClassOfTag(curveClass), start).end,
                  TTraceEnd::Finished);
        ASSERT_EQ(host.curves.size(), curveClass == 1 ? 8u : 4u) << curveClass;
        int radial = 0, circles = 0;
        for (const auto& c : host.curves) {
            EXPECT_EQ(c.points.front(), start);
            ASSERT_GT(c.points.size(), 3u);
            // The first step tells the kind: along the radius or across it.
            const Vector2 d = {c.points[1][0] - start[0], c.points[1][1] - start[1]};
            const double along = std::fabs(d[0] * start[0] + d[1] * start[1]) / (std::hypot(d[0], d[1]) * rho);
            if (along > 0.999) {
                ++radial;
                EXPECT_TRUE(IsRadial(c, start, 1e-6)) << "class " << curveClass;
            } else if (along < 0.05) {  // a chord of a circle, nearly across the radius
                ++circles;
                EXPECT_TRUE(IsCircle(c, rho, 1e-5)) << "class " << curveClass;
                // Closed: it ends after one turn, near its start.
                EXPECT_NEAR(std::fabs(Turn(c)), 2 * kPi, 0.05);
                const auto& end = c.points.back();
                EXPECT_LT(std::hypot(end[0] - start[0], end[1] - start[1]), 10 * s.map.maxSegLen);
            }
        }
        EXPECT_EQ(radial, 2) << curveClass;
        EXPECT_EQ(circles, 2) << curveClass;
    }
}

TEST(LineField, AMeridianRunsToTheBorderOrToTheUmbilic) {
    TestSurface s = Paraboloid();
    const Vector2 start{0.5, 0.2};
    Recorder host;
    TraceInto(host, s, 4, TLineClass::Principal, start);
    for (const auto& c : host.curves) {
        if (!IsRadial(c, start, 1e-6)) continue;
        const auto& end = c.points.back();
        double depth = 0;
        s.map.InRange(depth, end);
        const bool atBorder = depth < 0.05 * s.map.radius2D * 4 + 1e-12;
        const bool atUmbilic = std::hypot(end[0], end[1]) < 0.05;
        EXPECT_TRUE(atBorder || atUmbilic) << end[0] << "," << end[1];
        EXPECT_GE(depth, 0);  // never stored outside the domain
    }
}

TEST(LineField, OutcomesWhereThereIsNoDirection) {
    TestSurface s = Paraboloid();
    {
        Recorder host;
        const TTraceOutcome outcome = TraceInto(host, s, 8, TLineClass::Curvature, {0, 0});  // the umbilic
        EXPECT_TRUE(host.curves.empty());
        EXPECT_EQ(outcome.end, TTraceEnd::NoDirection);
        EXPECT_EQ(outcome.lineClass, TLineClass::Curvature);
    }
    {
        // The curvature ellipse of a surface in R^3 is a segment on a line
        // through the origin: no asymptotic directions in R^4 to follow
        // anywhere (their form vanishes on the whole domain).
        Recorder host;
        const TTraceOutcome outcome = TraceInto(host, s, 4, TLineClass::Asymptotic, {0.3, 0.4});
        EXPECT_TRUE(host.curves.empty());
        EXPECT_EQ(outcome.end, TTraceEnd::FormVanishes);
        EXPECT_EQ(outcome.lineClass, TLineClass::Asymptotic);
    }
    {
        // A trace that ran says so; class 0 has no direction field and draws nothing.
        Recorder host;
        const TTraceOutcome outcome = TraceInto(host, s, 4, TLineClass::Principal, {0.3, 0.4});
        EXPECT_EQ(outcome.end, TTraceEnd::Finished);
        EXPECT_EQ(outcome.lineClass, TLineClass::Principal);
        EXPECT_EQ(host.curves.size(), 4u);
        Recorder none;
        EXPECT_EQ(TraceInto(none, s, 4, TLineClass::CoordinateLines, {0.3, 0.4}).end, TTraceEnd::NoDirection);
        EXPECT_TRUE(none.curves.empty());
    }
}

TEST(LineField, FoliationMaskFiltersBranches) {
    TestSurface s = Paraboloid();
    const Vector2 start{-0.3, 0.45};
    std::vector<Recorder::Curve> byMask[4];
    for (int mask = 0; mask <= 3; ++mask) {
        Recorder host;
        TraceInto(host, s, 4, TLineClass::Principal, start, static_cast<uint8_t>(mask));
        byMask[mask] = host.curves;
    }
    EXPECT_TRUE(byMask[0].empty());
    ASSERT_EQ(byMask[1].size(), 2u);
    ASSERT_EQ(byMask[2].size(), 2u);
    ASSERT_EQ(byMask[3].size(), 4u);
    // Each foliation is one family: the direction and its opposite.
    const double rho = std::hypot(start[0], start[1]);
    const bool oneRadial = IsRadial(byMask[1][0], start, 1e-6);
    for (const auto& c : byMask[1]) EXPECT_EQ(IsRadial(c, start, 1e-6), oneRadial);
    for (const auto& c : byMask[2]) {
        EXPECT_EQ(IsRadial(c, start, 1e-6), !oneRadial);
        if (oneRadial) {
            EXPECT_TRUE(IsCircle(c, rho, 1e-5));
        }
    }
    // Both foliations together draw the same curves, in branch order.
    int matched = 0;
    for (const auto& c : byMask[3])
        for (int mask = 1; mask <= 2; ++mask)
            for (const auto& d : byMask[mask]) matched += c.points == d.points;
    EXPECT_EQ(matched, 4);
}

TEST(LineField, StopRequestEndsTheTraceWithin30Steps) {
    TestSurface s = Paraboloid();
    // The stop is requested at the 40th piece; the tracer looks at it when its
    // step count next reaches a multiple of 30.
    Recorder host;
    long long requestedAt = -1;
    std::size_t piecesAtRequest = 0;
    host.onPiece = [&](Recorder& r, const TCurvePiece& piece) {
        if (r.steps.size() + 1 == 40) {
            requestedAt = piece.step;
            piecesAtRequest = r.steps.size();
            r.stop.request_stop();
        }
    };
    const TTraceOutcome outcome = TraceInto(host, s, 8, TLineClass::Curvature, {0.5, 0.2});
    ASSERT_GE(requestedAt, 0);
    EXPECT_EQ(outcome.end, TTraceEnd::Stopped);
    EXPECT_EQ(outcome.steps, 30 * (requestedAt / 30 + 1));
    // The pieces after the request come from the steps before that count only.
    EXPECT_GT(host.steps.size(), piecesAtRequest);
    for (std::size_t k = piecesAtRequest; k < host.steps.size(); ++k) EXPECT_LT(host.steps[k], outcome.steps);
    EXPECT_FALSE(host.curves.empty());

    // A stop requested before the trace: it ends when the count reaches 30.
    Recorder early;
    early.stop.request_stop();
    const TTraceOutcome first = TraceInto(early, s, 8, TLineClass::Curvature, {0.5, 0.2});
    EXPECT_EQ(first.end, TTraceEnd::Stopped);
    EXPECT_EQ(first.steps, 30);
    ASSERT_FALSE(early.steps.empty());
    EXPECT_LT(early.steps.back(), 30);

    // Without a stop the trace goes on to its end.
    Recorder free;
    const TTraceOutcome all = TraceInto(free, s, 8, TLineClass::Curvature, {0.5, 0.2});
    EXPECT_EQ(all.end, TTraceEnd::Finished);
    EXPECT_GT(all.steps, outcome.steps);
    std::size_t pieces = 0, freePieces = 0;
    for (const auto& c : host.curves) pieces += c.points.size();
    for (const auto& c : free.curves) freePieces += c.points.size();
    EXPECT_LT(pieces, freePieces);
    // The pieces carry the step count, which never falls.
    EXPECT_TRUE(std::is_sorted(free.steps.begin(), free.steps.end()));
    EXPECT_LE(free.steps.back(), all.steps);
}

TEST(LineField, AnErrorHaltsTheTraceAndKeepsWhatWasHandedOver) {
    // An error raised while storing ends the trace as Halted; what was handed
    // over stays.
    TestSurface s = Paraboloid();
    Recorder failing;
    int calls = 0;
    failing.onPiece = [&](Recorder&, const TCurvePiece&) {
        if (++calls == 20) throw std::runtime_error("drawing failed");
    };
    const TTraceOutcome outcome = TraceInto(failing, s, 4, TLineClass::Principal, {0.5, 0.2});
    EXPECT_EQ(outcome.end, TTraceEnd::Halted);
    EXPECT_GT(outcome.steps, 1);
    std::size_t stored = 0;
    for (const auto& c : failing.curves) stored += c.points.size();
    EXPECT_EQ(stored, 19u);

    // The same in the higher-degree families.
    TestSurface d = DefaultSurface();
    Recorder failingHigher;
    calls = 0;
    failingHigher.onPiece = failing.onPiece;
    EXPECT_EQ(TraceInto(failingHigher, d, 8, TLineClass::ExtremalNormalDeviation, {1.3, 0.9}).end,
              TTraceEnd::Halted);
    stored = 0;
    for (const auto& c : failingHigher.curves) stored += c.points.size();
    EXPECT_EQ(stored, 19u);
}

TEST(LineField, BranchStartingOnTheBorderPointingOutwardsKeepsOnlyItsStart) {
    TestSurface s = Paraboloid();
    // On the border u = 1 the radial direction outwards leaves the domain at once.
    const Vector2 start{1.0, 0.0};
    Recorder host;
    TraceInto(host, s, 4, TLineClass::Principal, start);
    int single = 0;
    for (const auto& c : host.curves) {
        if (c.points.size() == 1) ++single;
        for (const auto& p : c.points) EXPECT_LE(p[0], 1.0);
    }
    EXPECT_GE(single, 1);
}

TEST(HigherDegreeLineTracer, ExtremalLinesCarryColourCodesAndStartAtThePoint) {
    TestSurface s = tracertest::DefaultSurface();
    const Vector2 start{1.3, 0.9};
    for (int curveClass : {5, 6}) {
        Recorder host;
        EXPECT_EQ(TraceInto(host, s, 8, LineClassOfTag(curveClass), start).end, TTraceEnd::Finished);
        ASSERT_FALSE(host.curves.empty()) << curveClass;
        THigherDegreeDirections lines(*s.surface);
        DirectionList list;
        ASSERT_TRUE(lines.HigherDegreeDirections(LineClassOfTag(curveClass), list, start));
        // Every branch begins with a curve at the start point; colour changes
        // start further curves at the point where the nature changes.
        int starts = 0;
        for (const auto& c : host.curves) {
            EXPECT_GE(c.colour, 0);
            EXPECT_LE(c.colour, 4);
            starts += c.points.front() == start;
            double depth = 0;
            for (const auto& p : c.points) EXPECT_TRUE(s.map.InRange(depth, p));
        }
        EXPECT_EQ(starts, 2 * list.count) << curveClass;
        if (list.count == 2) {
            EXPECT_EQ(host.curves.front().colour, 1);
        }
    }
}

TEST(HigherDegreeLineTracer, StrongPrincipalLinesAreColour5AndNeedFoliationOne) {
    TestSurface s = tracertest::DefaultSurface();
    const Vector2 start{2.0, 1.1};
    Recorder host;
    TraceInto(host, s, 10, TLineClass::StrongPrincipal, start);
    ASSERT_FALSE(host.curves.empty());
    std::size_t longest = 0;
    for (const auto& c : host.curves) {
        EXPECT_EQ(c.colour, 5);
        longest = std::max(longest, c.points.size());
    }
    EXPECT_GT(longest, 10u);
    // With foliation 1 hidden no branch advances beyond its start point.
    Recorder hidden;
    TraceInto(hidden, s, 10, TLineClass::StrongPrincipal, start, 2);
    THigherDegreeDirections lines(*s.surface);
    DirectionList list;
    ASSERT_TRUE(lines.HigherDegreeDirections(TLineClass::StrongPrincipal, list, start));
    EXPECT_EQ(host.curves.size(), 2u * list.count);
    EXPECT_EQ(hidden.curves.size(), 2u * list.count);
    for (const auto& c : hidden.curves) EXPECT_EQ(c.points.size(), 1u);
}

TEST(HigherDegreeLineTracer, StopRequestEndsTheTraceWithin30AttemptsOfABranch) {
    TestSurface s = tracertest::DefaultSurface();
    const Vector2 start{1.3, 0.9};
    Recorder free;
    ASSERT_EQ(TraceInto(free, s, 8, TLineClass::ExtremalNormalDeviation, start).end, TTraceEnd::Finished);
    // Requested before the trace: the first branch ends at its 30th attempt.
    Recorder early;
    early.stop.request_stop();
    const TTraceOutcome outcome = TraceInto(early, s, 8, TLineClass::ExtremalNormalDeviation, start);
    EXPECT_EQ(outcome.end, TTraceEnd::Stopped);
    EXPECT_EQ(outcome.steps, 30);
    ASSERT_FALSE(early.curves.empty());
    EXPECT_EQ(early.curves.front().points.front(), start);
    // What it handed over is the beginning of the whole trace.
    ASSERT_LT(early.curves.front().points.size(), free.curves.front().points.size());
    for (std::size_t k = 0; k < early.curves.front().points.size(); ++k)
        EXPECT_EQ(early.curves.front().points[k], free.curves.front().points[k]);
}

// Runs body on a thread of its own and ends the whole test program with a
// failure if it has not returned after `seconds` (a hang cannot be joined).
void FailsIfItHangs(double seconds, const std::function<void()>& body) {
    auto done = std::async(std::launch::async, body);
    if (done.wait_for(std::chrono::duration<double>(seconds)) != std::future_status::ready) {
        ADD_FAILURE() << "the call did not return within " << seconds << " s";
        std::fflush(stdout);
        std::_Exit(1);
    }
    done.get();
}

TEST(LineField, AnInfiniteDomainTracesNothingAndReturns) {
    // An infinite bound gives infinite step scales: halving cannot shrink
    // them, and no stop request is looked at inside the halving.
    TestSurface s = DefaultSurface();
    s.map.Setup({0, 0}, {std::numeric_limits<double>::infinity(), 2.2});
    for (TLineClass c : {TLineClass::Curvature, TLineClass::Principal, TLineClass::ExtremalNormalDeviation,
                         TLineClass::StrongPrincipal}) {
        Recorder host;
        FailsIfItHangs(20, [&] { TraceInto(host, s, HalfBranches(c), c, {1.2, 0.8}); });
        EXPECT_TRUE(host.curves.empty());
    }
}

}  // namespace
}  // namespace velmora

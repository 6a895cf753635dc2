// Lines traced by a session: every piece goes into the session's curves in
// the colour of its curve and is then shown to the target; the outcome and
// the stop request pass through.
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <set>
#include <stop_token>
#include <string>
#include <vector>

namespace velmora {
namespace {

// A target that draws nothing and records what it was shown.
struct RecordingTarget {
    struct Shown {
        Vector2 from, to;
        TColor colour;
    };
    std::vector<Shown> shown;
    TColor picker = 0x2468AC;
    int coloursAsked = 0;

    TLineTraceTarget Target() {
        TLineTraceTarget target;
        target.curveColour = [this] {
            ++coloursAsked;
            return picker;
        };
        target.show = [this](const TCurvePiece& piece, TColor colour) { shown.push_back({piece.from, piece.to, colour}); };
        return target;
    }
};

int StoredPoints(const TDrawingStores& st) {
    int n = 0;
    for (const Curve& c : st.lines()) n += static_cast<int>(c.pts.size());
    return n;
}

TEST(SessionTracing, CurvatureLinesAreStoredFromTheClickedPointInThePickersColour) {
    TSurfaceSession s(0);
    RecordingTarget host;
    const Vector2 start{0.5, 0.3};
    EXPECT_FALSE(s.TraceLines(8, TLineClass::Curvature, start, 3, host.Target()));  // nothing before a read
    s.SetInputTexts({"u", "v", "u^2 + v^2", "0", "-1", "1", "-1", "1"});
    ASSERT_TRUE(s.ReadData().ok);
    // Coordinate lines are not traced.
    EXPECT_FALSE(s.TraceLines(0, TLineClass::CoordinateLines, start, 3, host.Target()));

    const auto outcome = s.TraceLines(8, TLineClass::Curvature, start, 3, host.Target());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->end, TTraceEnd::Finished);
    const TDrawingStores& st = s.Stores();
    ASSERT_GE(st.lines().size(), 2u);
    for (const Curve& c : st.lines()) {
        EXPECT_EQ(c.c, host.picker);
        ASSERT_GE(c.pts.size(), 2u);
        EXPECT_EQ(c.pts[0], start);  // each half-branch starts at the clicked point
    }
    // Every stored point was shown, in its curve's colour, as the end of a piece.
    ASSERT_EQ(static_cast<int>(host.shown.size()), StoredPoints(st));
    EXPECT_EQ(host.shown[0].from, host.shown[0].to);
    EXPECT_EQ(host.shown.back().to, st.CurrentCurve()->pts.back());
    for (const auto& piece : host.shown) EXPECT_EQ(piece.colour, host.picker);
    // The picker's colour is asked once a curve.
    EXPECT_EQ(host.coloursAsked, static_cast<int>(st.lines().size()));

    // One foliation only: fewer curves, and Ctrl+Z-style erasing goes curve by curve.
    const std::size_t both = st.lines().size();
    s.Stores().InitializeLines();
    ASSERT_TRUE(s.TraceLines(8, TLineClass::Curvature, start, 1, host.Target()));
    EXPECT_GT(st.lines().size(), 0u);
    EXPECT_LT(st.lines().size(), both);
}

TEST(SessionTracing, ExtremalDeviationCurvesTakeTheColoursOfTheirClasses) {
    TSurfaceSession s(0);
    ASSERT_TRUE(s.ReadData().ok);
    RecordingTarget host;
    ASSERT_TRUE(s.TraceLines(8, TLineClass::ExtremalNormalDeviation, {1.0, 1.0}, 3, host.Target()));
    const TDrawingStores& st = s.Stores();
    ASSERT_FALSE(st.lines().empty());
    const std::set<TColor> classColours{0xDD00DD, 0xFF8800, 0x00DD00, 0x0000FF};
    for (const Curve& c : st.lines()) EXPECT_TRUE(classColours.count(c.c));
    for (const auto& piece : host.shown) EXPECT_TRUE(classColours.count(piece.colour));
}

TEST(SessionTracing, AStopKeepsWhatWasStoredAndSaysSo) {
    TSurfaceSession s(0);
    ASSERT_TRUE(s.ReadData().ok);
    RecordingTarget host;
    std::stop_source stop;
    TLineTraceTarget target = host.Target();
    const auto show = target.show;
    target.show = [&](const TCurvePiece& piece, TColor colour) {
        show(piece, colour);
        if (host.shown.size() == 50) stop.request_stop();
    };
    const auto outcome = s.TraceLines(8, TLineClass::Curvature, {1.2, 0.8}, 3, target, stop.get_token());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->end, TTraceEnd::Stopped);
    EXPECT_EQ(outcome->steps % 30, 0);
    EXPECT_GE(host.shown.size(), 50u);
    EXPECT_EQ(static_cast<int>(host.shown.size()), StoredPoints(s.Stores()));

    // A point without directions: nothing stored, and the outcome says which kind.
    s.Stores().InitializeLines();
    s.SetInputTexts({"u", "v", "u^2 + v^2", "0", "-1", "1", "-1", "1"});
    ASSERT_TRUE(s.ReadData().ok);
    const auto umbilic = s.TraceLines(8, TLineClass::Curvature, {0, 0}, 3, host.Target());
    ASSERT_TRUE(umbilic);
    EXPECT_EQ(umbilic->end, TTraceEnd::NoDirection);
    EXPECT_EQ(umbilic->lineClass, TLineClass::Curvature);
    EXPECT_TRUE(s.Stores().lines().empty());
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// A locus trace ends at a stop request and keeps what it stored; a token
// whose stop is never requested traces the locus as a trace without one.
TEST(SessionTracing, ALocusTraceEndsAtAStopRequest) {
    TSurfaceSession s(0);
    ASSERT_TRUE(s.ReadData().ok);
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature));
    const wireKnots full = s.Stores().loci()[3];
    ASSERT_GT(full.size(), 100u);

    std::stop_source never;
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature, never.get_token()));
    ASSERT_EQ(s.Stores().loci()[3].size(), full.size());
    for (std::size_t i = 0; i < full.size(); ++i) {
        EXPECT_EQ(s.Stores().loci()[3][i].key, full[i].key);
        EXPECT_EQ(s.Stores().loci()[3][i].pos, full[i].pos);
    }

    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature, stopped.get_token()));
    EXPECT_TRUE(s.Stores().loci()[3].empty());
}

}  // namespace
}  // namespace velmora

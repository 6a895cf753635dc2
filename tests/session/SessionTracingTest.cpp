// Lines traced through a session's tracer host: every piece goes into the
// session's curves in the colour of its curve and is handed to the target.
#include "session/SessionTracerHost.h"
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace velmora {
namespace {

// A target that draws nothing and records what it was shown.
class RecordingTarget : public TSessionTracerHost {
public:
    using TSessionTracerHost::TSessionTracerHost;

    void ProcessMessages() override {}
    bool StopRequested() const override { return false; }
    void ClearStop() override {}
    void SetStatusText(const std::string& text) override { status = text; }
    void SetPenWidth(int) override {}
    void SavePen() override {}
    void RestorePen() override {}

    struct Shown {
        Vector2 from, to;
        TColor colour;
    };
    std::vector<Shown> shown;
    std::string status;
    TColor picker = 0x2468AC;

protected:
    TColor CurveColour() const override { return picker; }
    void DrawSegment(const Vector2& vec1, const Vector2& vec2, TColor colour) override {
        shown.push_back({vec1, vec2, colour});
    }
};

int StoredPoints(const TDrawingStores& st) {
    int n = 0;
    for (const Curve& c : st.lines()) n += static_cast<int>(c.pts.size());
    return n;
}

TEST(SessionTracing, CurvatureLinesAreStoredFromTheClickedPointInThePickersColour) {
    TSurfaceSession s(0);
    RecordingTarget host(s);
    const Vector2 start{0.5, 0.3};
    EXPECT_FALSE(s.TraceLines(host, 8, TLineClass::Curvature, start, 3));  // nothing before a read
    s.SetInputTexts({"u", "v", "u^2 + v^2", "0", "-1", "1", "-1", "1"});
    ASSERT_TRUE(s.ReadData().ok);
    EXPECT_FALSE(s.TraceLines(host, 0, TLineClass::CoordinateLines, start, 3));  // coordinate lines are not traced

    ASSERT_TRUE(s.TraceLines(host, 8, TLineClass::Curvature, start, 3));
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

    // One foliation only: fewer curves, and Ctrl+Z-style erasing goes curve by curve.
    const std::size_t both = st.lines().size();
    s.Stores().InitializeLines();
    ASSERT_TRUE(s.TraceLines(host, 8, TLineClass::Curvature, start, 1));
    EXPECT_GT(st.lines().size(), 0u);
    EXPECT_LT(st.lines().size(), both);
}

TEST(SessionTracing, ExtremalDeviationCurvesTakeTheColoursOfTheirClasses) {
    TSurfaceSession s(0);
    ASSERT_TRUE(s.ReadData().ok);
    RecordingTarget host(s);
    ASSERT_TRUE(s.TraceLines(host, 8, TLineClass::ExtremalNormalDeviation, {1.0, 1.0}, 3));
    const TDrawingStores& st = s.Stores();
    ASSERT_FALSE(st.lines().empty());
    const std::set<TColor> classColours{0xDD00DD, 0xFF8800, 0x00DD00, 0x0000FF};
    for (const Curve& c : st.lines()) EXPECT_TRUE(classColours.count(c.c));
    for (const auto& piece : host.shown) EXPECT_TRUE(classColours.count(piece.colour));
}

}  // namespace
}  // namespace velmora

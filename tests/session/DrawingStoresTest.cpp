// The stores of loci, curves and coordinate points: growth, pieces, colours,
// erasing the last curve, and a locus traced into its store by the session.
#include "session/DrawingStores.h"
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

TEST(LocusStores, GrowByFiftyPastTheirHundredKnots) {
    TDrawingStores s;
    for (int k = 0; k < kLociCount; ++k) {
        EXPECT_EQ(s.loci()[k].size(), 100u);
        EXPECT_EQ(s.lociData()[k].last, -1);
    }
    EXPECT_EQ(s.lociOption(), TLocusKind::GaussCurvature);
    ASSERT_TRUE(s.BeginLocus(TLocusKind::DiscrNormalDeviation));
    for (int k = 0; k <= 100; ++k) s.AddLocusSegment({double(k), -double(k)}, k % 10 == 0 ? 1 : 0);
    EXPECT_EQ(s.lociData()[4].last, 100);
    EXPECT_EQ(s.loci()[4].size(), 150u);
    for (int k = 101; k <= 150; ++k) s.AddLocusSegment({double(k), 0}, 0);
    EXPECT_EQ(s.loci()[4].size(), 200u);
    // Every knot kept its key and point across the growth.
    EXPECT_EQ(s.loci()[4][0].key, 1);
    EXPECT_EQ(s.loci()[4][99].key, 0);
    EXPECT_EQ(s.loci()[4][100].key, 1);
    EXPECT_EQ(s.loci()[4][57].pos, (Vector2{57, -57}));
    // The other kinds are untouched.
    EXPECT_EQ(s.lociData()[3].last, -1);
}

TEST(LocusStores, ATraceOfTheSameKindReplacesTheEarlierOne) {
    TDrawingStores s;
    s.BeginLocus(TLocusKind::OriginDepth);
    for (int k = 0; k < 200; ++k) s.AddLocusSegment({1, 2}, 0);
    s.BeginLocus(TLocusKind::OrientedAreaBC);
    s.AddLocusSegment({3, 4}, 1);
    s.BeginLocus(TLocusKind::OriginDepth);
    EXPECT_EQ(s.lociData()[0].last, -1);
    EXPECT_EQ(s.loci()[0].size(), 100u);
    EXPECT_EQ(s.lociData()[1].last, 0);  // another kind stays
    // Kinds outside 0..6 are refused and the knots keep their store.
    EXPECT_FALSE(s.BeginLocus(static_cast<TLocusKind>(7)));
    EXPECT_FALSE(s.BeginLocus(static_cast<TLocusKind>(-1)));
    EXPECT_EQ(s.lociOption(), TLocusKind::OriginDepth);
    s.InitializeLoci();
    EXPECT_EQ(s.lociData()[1].last, -1);
}

TEST(LocusStores, PiecesSplitAtKeyOneAndEndAtTheLastKnot) {
    TDrawingStores s;
    EXPECT_TRUE(s.LocusPieces(TLocusKind::GaussCurvature).empty());
    s.BeginLocus(TLocusKind::GaussCurvature);
    // A first knot without key 1 still starts a piece; the room past the last
    // stored knot (100 knots) is never read as points.
    const int keys[] = {0, 0, 1, 0, 0, 1};
    for (int k = 0; k < 6; ++k) s.AddLocusSegment({double(k), 1}, keys[k]);
    const auto pieces = s.LocusPieces(TLocusKind::GaussCurvature);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (std::vector<Vector2>{{0, 1}, {1, 1}}));
    EXPECT_EQ(pieces[1], (std::vector<Vector2>{{2, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(pieces[2], (std::vector<Vector2>{{5, 1}}));
    EXPECT_TRUE(s.LocusPieces(TLocusKind::OriginDepth).empty());
    EXPECT_TRUE(s.LocusPieces(static_cast<TLocusKind>(9)).empty());
}

TEST(CurveStores, KeyOneStartsACurveInItsOwnColour) {
    TDrawingStores s;
    s.AddLineSegment({0, 0}, 1, 0x0000FF);
    for (int k = 1; k <= 100; ++k) s.AddLineSegment({double(k), 0}, 0, 0x00FF00);  // colour of later keys ignored
    s.AddLineSegment({0, 1}, 1, 0xFF0000);
    s.AddLineSegment({1, 1}, 0, 0);
    const CurvesArray& lines = s.lines();
    ASSERT_EQ(lines.last, 1);
    EXPECT_EQ(lines.cc.size(), 5u);  // room for the current curve and four more
    for (std::size_t i = 2; i < lines.cc.size(); ++i) EXPECT_EQ(lines.cc[i].last, -1);
    EXPECT_EQ(lines.cc[0].c, 0x0000FFu);
    EXPECT_EQ(lines.cc[0].last, 100);
    EXPECT_EQ(lines.cc[0].pts.size(), 200u);  // 100 points, then 100 more past the end
    EXPECT_EQ(lines.cc[0].pts[100], (Vector2{100, 0}));
    EXPECT_EQ(lines.cc[1].c, 0xFF0000u);
    EXPECT_EQ(lines.cc[1].last, 1);
    EXPECT_EQ(lines.cc[1].pts.size(), 100u);
    EXPECT_EQ(s.CurrentCurve(), &lines.cc[1]);
    // Past five curves the array grows to the new last + 5.
    for (int c = 2; c <= 5; ++c) s.AddLineSegment({0, 0}, 1, c);
    EXPECT_EQ(lines.cc.size(), 10u);
}

TEST(CurveStores, APointWithoutACurveStartsOne) {
    TDrawingStores s;
    EXPECT_EQ(s.CurrentCurve(), nullptr);
    s.AddLineSegment({1, 2}, 0, 0x123456);
    ASSERT_EQ(s.lines().last, 0);
    EXPECT_EQ(s.lines().cc[0].c, 0x123456u);
    EXPECT_EQ(s.lines().cc[0].last, 0);
}

TEST(CurveStores, EraseLastLineRemovesOneCurveAtATime) {
    TDrawingStores s;
    for (int c = 0; c < 3; ++c) {
        s.AddLineSegment({double(c), 0}, 1, 0x10 * c);
        s.AddLineSegment({double(c), 1}, 0, 0);
    }
    s.AddCoordinatePoint({0.5, 0.5});
    ASSERT_TRUE(s.EraseLastLine());
    EXPECT_EQ(s.lines().last, 1);
    EXPECT_EQ(s.lines().cc[2].last, -1);
    EXPECT_TRUE(s.lines().cc[2].pts.empty());
    EXPECT_EQ(s.lines().cc[1].last, 1);  // the one before stays whole
    // A new curve takes the freed place with its own colour and points.
    s.AddLineSegment({9, 9}, 1, 0xABCDEF);
    EXPECT_EQ(s.lines().cc[2].c, 0xABCDEFu);
    EXPECT_EQ(s.lines().cc[2].last, 0);
    EXPECT_EQ(s.lines().cc[2].pts[0], (Vector2{9, 9}));
    EXPECT_TRUE(s.EraseLastLine());
    EXPECT_TRUE(s.EraseLastLine());
    EXPECT_TRUE(s.EraseLastLine());
    EXPECT_FALSE(s.EraseLastLine());
    EXPECT_EQ(s.lines().last, -1);
    // Coordinate lines are never erased this way.
    EXPECT_EQ(s.coordLines().last, 0);
}

TEST(CurveStores, ExtremalCurvesTakeTheColourOfTheirClass) {
    TDrawingStores s;
    const TColor picker = 0x123456;
    const TColor expected[] = {picker, 0xDD00DD, 0xFF8800, 0x00DD00, 0x0000FF, picker};
    for (int cl = 0; cl <= 5; ++cl) s.AddLineSegmentExtremals({0, double(cl)}, 1, cl, picker);
    for (int cl = 0; cl <= 5; ++cl) EXPECT_EQ(s.lines().cc[cl].c, expected[cl]) << cl;
    // A following point keeps the curve's colour whatever class it carries.
    s.AddLineSegmentExtremals({1, 5}, 0, 1, picker);
    EXPECT_EQ(s.lines().cc[5].c, picker);
    EXPECT_EQ(s.lines().cc[5].last, 1);
}

TEST(CoordinateStores, GrowByFourAndEmptyWithTheLines) {
    TDrawingStores s;
    for (int k = 0; k < 5; ++k) s.AddCoordinatePoint({double(k), 1});
    EXPECT_EQ(s.coordLines().last, 4);
    EXPECT_EQ(s.coordLines().pts.size(), 8u);  // 4 after the first point, 8 after the fifth
    EXPECT_EQ(s.coordLines().pts[4], (Vector2{4, 1}));
    s.AddLineSegment({0, 0}, 1, 0);
    s.InitializeLines();
    EXPECT_EQ(s.coordLines().last, -1);
    EXPECT_EQ(s.lines().last, -1);
    EXPECT_TRUE(s.lines().cc.empty());
}

// The zero Gauss curvature locus of the default surface, traced by the session.
TEST(SessionLocus, ATraceFillsItsStoreWithPointsOfTheZeroSet) {
    TSurfaceSession s(0);
    EXPECT_FALSE(s.TraceLocus(TLocusKind::GaussCurvature));  // nothing before a read
    ASSERT_TRUE(s.ReadData().ok);
    EXPECT_FALSE(s.TraceLocus(static_cast<TLocusKind>(7)));
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature));
    const TDrawingStores& st = s.Stores();
    const int last = st.lociData()[3].last;
    ASSERT_GT(last, 10);
    EXPECT_EQ(st.loci()[3][0].key, 1);
    EXPECT_EQ(st.lociOption(), TLocusKind::GaussCurvature);
    int onZeroSet = 0, pieces = 0;
    for (int k = 0; k <= last; ++k) {
        pieces += st.loci()[3][k].key == 1;
        double depth = 0;
        EXPECT_TRUE(s.Map().InRange(depth, st.loci()[3][k].pos));
        onZeroSet += std::fabs(s.Surface().GaussCurvature(st.loci()[3][k].pos)) < 1e-6;
    }
    // Only the ends of the pieces, pulled back onto the border, may lie off it.
    EXPECT_GE(onZeroSet, last + 1 - 2 * pieces);
    // Traced again: the same knots, stored once.
    const wireKnots first(st.loci()[3].begin(), st.loci()[3].begin() + last + 1);
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature));
    ASSERT_EQ(st.lociData()[3].last, last);
    for (int k = 0; k <= last; ++k) EXPECT_EQ(st.loci()[3][k].pos, first[k].pos);
    for (int kind = 0; kind < kLociCount; ++kind) {
        if (kind == 3) continue;
        EXPECT_EQ(st.lociData()[kind].last, -1);
    }
}

}  // namespace
}  // namespace velmora

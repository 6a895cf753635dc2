// The stores of loci, curves and coordinate points: contents, pieces, colours,
// erasing the last curve, and a locus traced into its store by the session.
#include "session/DrawingStores.h"
#include "session/OutcomeText.h"
#include "session/SurfaceSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>

namespace velmora {
namespace {

TEST(LocusStores, KeepEveryKnotOfTheirKindInOrder) {
    TDrawingStores s;
    for (int k = 0; k < kLociCount; ++k) EXPECT_TRUE(s.loci()[k].empty());
    EXPECT_EQ(s.lociOption(), TLocusKind::GaussCurvature);
    ASSERT_TRUE(s.BeginLocus(TLocusKind::DiscrNormalDeviation));
    for (int k = 0; k <= 150; ++k) s.AddLocusSegment({double(k), -double(k)}, k % 10 == 0 ? 1 : 0);
    ASSERT_EQ(s.loci()[4].size(), 151u);
    // Every knot kept its key and point, however many were stored.
    EXPECT_EQ(s.loci()[4][0].key, 1);
    EXPECT_EQ(s.loci()[4][99].key, 0);
    EXPECT_EQ(s.loci()[4][100].key, 1);
    EXPECT_EQ(s.loci()[4][57].pos, (Vector2{57, -57}));
    EXPECT_EQ(s.loci()[4][150].pos, (Vector2{150, -150}));
    // The other kinds are untouched.
    EXPECT_TRUE(s.loci()[3].empty());
}

// The 3D view redraws its lifted curves when the revision moves: every change
// of a store moves it, a whole locus handed over by a worker too.
TEST(LocusStores, EveryChangeMovesTheRevision) {
    TDrawingStores s;
    uint64_t seen = s.Revision();
    const auto moved = [&] {
        const bool changed = s.Revision() != seen;
        seen = s.Revision();
        return changed;
    };
    s.SetLocus(TLocusKind::GaussCurvature, {{1, {0, 0}}, {0, {1, 1}}});
    EXPECT_TRUE(moved());
    s.BeginLocus(TLocusKind::OriginDepth);
    EXPECT_TRUE(moved());
    s.AddLocusSegment({1, 2}, 1);
    EXPECT_TRUE(moved());
    s.AddLineSegment({0, 0}, 1, 0);
    EXPECT_TRUE(moved());
    s.AddCoordinatePoint({0.5, 0.5});
    EXPECT_TRUE(moved());
    s.InitializeLines();
    EXPECT_TRUE(moved());
    s.InitializeLoci();
    EXPECT_TRUE(moved());
    EXPECT_FALSE(moved());
}

TEST(LocusStores, ATraceOfTheSameKindReplacesTheEarlierOne) {
    TDrawingStores s;
    s.BeginLocus(TLocusKind::OriginDepth);
    for (int k = 0; k < 200; ++k) s.AddLocusSegment({1, 2}, 0);
    s.BeginLocus(TLocusKind::OrientedAreaBC);
    s.AddLocusSegment({3, 4}, 1);
    s.BeginLocus(TLocusKind::OriginDepth);
    EXPECT_TRUE(s.loci()[0].empty());
    EXPECT_EQ(s.loci()[1].size(), 1u);  // another kind stays
    // Kinds outside 0..6 are refused and the knots keep their store.
    EXPECT_FALSE(s.BeginLocus(static_cast<TLocusKind>(7)));
    EXPECT_FALSE(s.BeginLocus(static_cast<TLocusKind>(-1)));
    EXPECT_EQ(s.lociOption(), TLocusKind::OriginDepth);
    s.InitializeLoci();
    EXPECT_TRUE(s.loci()[1].empty());
}

TEST(LocusStores, PiecesSplitAtKeyOneAndEndAtTheLastKnot) {
    TDrawingStores s;
    EXPECT_TRUE(s.LocusPieces(TLocusKind::GaussCurvature).empty());
    s.BeginLocus(TLocusKind::GaussCurvature);
    // A first knot without key 1 still starts a piece.
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
    for (int k = 1; k <= 150; ++k) s.AddLineSegment({double(k), 0}, 0, 0x00FF00);  // colour of later keys ignored
    s.AddLineSegment({0, 1}, 1, 0xFF0000);
    s.AddLineSegment({1, 1}, 0, 0);
    const std::vector<Curve>& lines = s.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].c, 0x0000FFu);
    ASSERT_EQ(lines[0].pts.size(), 151u);
    EXPECT_EQ(lines[0].pts[100], (Vector2{100, 0}));
    EXPECT_EQ(lines[0].pts[150], (Vector2{150, 0}));
    EXPECT_EQ(lines[1].c, 0xFF0000u);
    EXPECT_EQ(lines[1].pts, (std::vector<Vector2>{{0, 1}, {1, 1}}));
    EXPECT_EQ(s.CurrentCurve(), &lines[1]);
    // Many curves: each keeps its colour and points.
    for (int c = 2; c <= 9; ++c) s.AddLineSegment({double(c), 0}, 1, c);
    ASSERT_EQ(s.lines().size(), 10u);
    for (int c = 2; c <= 9; ++c) {
        EXPECT_EQ(s.lines()[c].c, static_cast<TColor>(c));
        EXPECT_EQ(s.lines()[c].pts, (std::vector<Vector2>{{double(c), 0}}));
    }
}

TEST(CurveStores, APointWithoutACurveStartsOne) {
    TDrawingStores s;
    EXPECT_EQ(s.CurrentCurve(), nullptr);
    s.AddLineSegment({1, 2}, 0, 0x123456);
    ASSERT_EQ(s.lines().size(), 1u);
    EXPECT_EQ(s.lines()[0].c, 0x123456u);
    EXPECT_EQ(s.lines()[0].pts.size(), 1u);
}

TEST(CurveStores, EraseLastLineRemovesOneCurveAtATime) {
    TDrawingStores s;
    for (int c = 0; c < 3; ++c) {
        s.AddLineSegment({double(c), 0}, 1, 0x10 * c);
        s.AddLineSegment({double(c), 1}, 0, 0);
    }
    s.AddCoordinatePoint({0.5, 0.5});
    ASSERT_TRUE(s.EraseLastLine());
    ASSERT_EQ(s.lines().size(), 2u);
    EXPECT_EQ(s.lines()[1].pts.size(), 2u);  // the one before stays whole
    // A new curve takes the freed place with its own colour and points.
    s.AddLineSegment({9, 9}, 1, 0xABCDEF);
    ASSERT_EQ(s.lines().size(), 3u);
    EXPECT_EQ(s.lines()[2].c, 0xABCDEFu);
    EXPECT_EQ(s.lines()[2].pts, (std::vector<Vector2>{{9, 9}}));
    EXPECT_TRUE(s.EraseLastLine());
    EXPECT_TRUE(s.EraseLastLine());
    EXPECT_TRUE(s.EraseLastLine());
    EXPECT_FALSE(s.EraseLastLine());
    EXPECT_TRUE(s.lines().empty());
    EXPECT_EQ(s.CurrentCurve(), nullptr);
    // Coordinate lines are never erased this way.
    EXPECT_EQ(s.coordLines().size(), 1u);
}

TEST(CurveStores, ExtremalCurvesTakeTheColourOfTheirClass) {
    TDrawingStores s;
    const TColor picker = 0x123456;
    const TColor expected[] = {picker, 0xDD00DD, 0xFF8800, 0x00DD00, 0x0000FF, picker};
    for (int cl = 0; cl <= 5; ++cl) s.AddLineSegmentExtremals({0, double(cl)}, 1, cl, picker);
    for (int cl = 0; cl <= 5; ++cl) EXPECT_EQ(s.lines()[cl].c, expected[cl]) << cl;
    // A following point keeps the curve's colour whatever class it carries.
    s.AddLineSegmentExtremals({1, 5}, 0, 1, picker);
    EXPECT_EQ(s.lines()[5].c, picker);
    EXPECT_EQ(s.lines()[5].pts.size(), 2u);
}

TEST(CoordinateStores, KeepTheirPointsAndEmptyWithTheLines) {
    TDrawingStores s;
    for (int k = 0; k < 5; ++k) s.AddCoordinatePoint({double(k), 1});
    ASSERT_EQ(s.coordLines().size(), 5u);
    EXPECT_EQ(s.coordLines()[4], (Vector2{4, 1}));
    s.AddLineSegment({0, 0}, 1, 0);
    s.InitializeLines();
    EXPECT_TRUE(s.coordLines().empty());
    EXPECT_TRUE(s.lines().empty());
}

// The zero Gauss curvature locus of the default surface, traced by the session.
TEST(SessionLocus, ATraceFillsItsStoreWithPointsOfTheZeroSet) {
    TSurfaceSession s(0);
    EXPECT_FALSE(s.TraceLocus(TLocusKind::GaussCurvature));  // nothing before a read
    ASSERT_TRUE(s.ReadData().ok);
    EXPECT_FALSE(s.TraceLocus(static_cast<TLocusKind>(7)));
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature));
    const TDrawingStores& st = s.Stores();
    const int last = static_cast<int>(st.loci()[3].size()) - 1;
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
    const wireKnots first = st.loci()[3];
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature));
    ASSERT_EQ(static_cast<int>(st.loci()[3].size()), last + 1);
    for (int k = 0; k <= last; ++k) EXPECT_EQ(st.loci()[3][k].pos, first[k].pos);
    for (int kind = 0; kind < kLociCount; ++kind) {
        if (kind == 3) continue;
        EXPECT_TRUE(st.loci()[kind].empty());
    }
}

// The complex curve (z, z^2): H = 0 and a circle for ellipse everywhere, so
// the discriminants vanish identically; the Gauss curvature
// -4 / (1 + 4|z|^2)^2 vanishes nowhere, and the depth of the origin nowhere either.
TEST(SessionLocus, AnInvariantThatVanishesEverywhereHasNoLocus) {
    TSurfaceSession s(0);
    s.SetInputTexts({"u", "v", "u^2-v^2", "2 u v", "-1", "1", "-1", "1"});
    ASSERT_TRUE(s.ReadData().ok);
    for (TLocusKind kind : {TLocusKind::DiscrNormalDeviation, TLocusKind::DiscrLateralDeviation,
                            TLocusKind::DiscrStrongPrincipal}) {
        // An earlier trace of the kind goes: what is shown is the outcome.
        s.Stores().BeginLocus(kind);
        s.Stores().AddLocusSegment({0, 0}, 1);
        EXPECT_EQ(s.TraceLocus(kind), TLocusEnd::Vanishes);
        EXPECT_TRUE(s.Stores().loci()[static_cast<int>(kind)].empty());
    }
    EXPECT_EQ(LocusTraceText(s.TraceLocusWith(s.MainEngines(), TLocusKind::DiscrStrongPrincipal)),
              "The discriminant of the strong principal directions vanishes on the whole domain");
    EXPECT_EQ(s.TraceLocus(TLocusKind::GaussCurvature), TLocusEnd::Finished);
    EXPECT_TRUE(s.Stores().loci()[3].empty());  // K < 0 everywhere: no zero set, and no noise
    EXPECT_TRUE(s.DirectionsVanish(TLineClass::MeanCurvature));
    EXPECT_FALSE(s.DirectionsVanish(TLineClass::StrongPrincipal));
}

// A stop before the first cell keeps nothing and says how far the scan came;
// a worker's engine set traces what the session's own set traces.
TEST(SessionLocus, AWorkerSetTracesTheSameKnotsAndAStopEndsTheScan) {
    TSurfaceSession s(1);
    ASSERT_TRUE(s.ReadData().ok);
    ASSERT_TRUE(s.TraceLocus(TLocusKind::GaussCurvature));
    const wireKnots own = s.Stores().loci()[3];
    int reports = 0;
    const TLocusTrace worker = s.TraceLocusWith(*s.WorkerSets()[0], TLocusKind::GaussCurvature, {},
                                                [&](int done, int cells) {
                                                    EXPECT_LE(done, cells);
                                                    ++reports;
                                                });
    EXPECT_EQ(worker.end, TLocusEnd::Finished);
    EXPECT_EQ(worker.cellsDone, 1600);
    EXPECT_GT(reports, 100);
    ASSERT_EQ(worker.knots.size(), own.size());
    for (std::size_t k = 0; k < own.size(); ++k) {
        EXPECT_EQ(worker.knots[k].key, own[k].key);
        EXPECT_EQ(worker.knots[k].pos, own[k].pos);
    }
    std::stop_source stop;
    int cellsSeen = 0;
    const TLocusTrace stopped =
        s.TraceLocusWith(s.MainEngines(), TLocusKind::GaussCurvature, stop.get_token(), [&](int done, int) {
            cellsSeen = done;
            if (done >= 400) stop.request_stop();
        });
    EXPECT_EQ(stopped.end, TLocusEnd::Stopped);
    EXPECT_EQ(cellsSeen, 400);
    EXPECT_LT(stopped.knots.size(), own.size());
    EXPECT_EQ(LocusTraceText(stopped), "Locus stopped: 400 of 1600 cells scanned");
}

}  // namespace
}  // namespace velmora

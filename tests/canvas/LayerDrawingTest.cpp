// The layers of the domain drawn from a surface session into a rectangle that
// is neither the main panel nor square: the map onto the rectangle, the
// pieces of a locus, the coordinate lines across the rectangle, the curves in
// their colours, and the background stretched onto it.
#include "canvas/LayerDrawing.h"
#include "session/SurfaceSession.h"
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QImage>

namespace velmora {
namespace {

// The unit square onto the rectangle (50, 20)-(250, 120) of a 300 x 200 image:
// ku = 200, kv = 100, (u, v) -> (50 + 200 u, 120 - 100 v).
class LayerDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        session.SetInputTexts({"u", "v", "0", "0", "0", "1", "0", "1"});
        ASSERT_TRUE(session.ReadData().ok);
        image.fill(0xFFFFFFFFu);
    }
    TColor At(int x, int y) const { return ColourOfPixel(image.pixel(x, y)); }

    TSurfaceSession session{0};
    QImage image{300, 200, QImage::Format_RGB32};
    TCanvas canvas{&image};
    const TRect r{50, 20, 250, 120};
};

TEST_F(LayerDrawingTest, TheRectangleMapKeepsVUpwards) {
    const TRectMap m(session.Map(), r);
    EXPECT_EQ(m.X({0.25, 0}), 100);
    EXPECT_EQ(m.Y({0, 0.75}), 45);
    EXPECT_EQ(m.X({0, 0}), 50);
    EXPECT_EQ(m.Y({0, 0}), 120);
    EXPECT_EQ(m.X({1, 1}), 250);
    EXPECT_EQ(m.Y({1, 1}), 20);
}

TEST_F(LayerDrawingTest, ALocusIsDrawnPieceByPieceInSilver) {
    TDrawingStores& st = session.Stores();
    st.BeginLocus(TLocusKind::DiscrLateralDeviation);
    st.AddLocusSegment({0.1, 0.2}, 1);
    st.AddLocusSegment({0.3, 0.2}, 0);
    st.AddLocusSegment({0.6, 0.2}, 1);
    st.AddLocusSegment({0.8, 0.2}, 0);
    DrawLocus(session, canvas, r, false, TLocusKind::DiscrLateralDeviation);
    EXPECT_EQ(At(70, 100), kLocusColour);
    EXPECT_EQ(At(109, 100), kLocusColour);
    EXPECT_EQ(At(140, 100), clWhite);  // no line between the pieces
    EXPECT_EQ(At(170, 100), kLocusColour);
    EXPECT_EQ(At(209, 100), kLocusColour);
    EXPECT_EQ(At(210, 100), clWhite);  // the last pixel of a line is left out
    // A store of fewer than three knots draws nothing; nor does another kind.
    image.fill(0xFFFFFFFFu);
    st.BeginLocus(TLocusKind::OrientedAreaBC);
    st.AddLocusSegment({0.1, 0.5}, 1);
    st.AddLocusSegment({0.9, 0.5}, 0);
    DrawLocus(session, canvas, r, false, TLocusKind::OrientedAreaBC);
    DrawLocus(session, canvas, r, false, TLocusKind::OriginDepth);
    DrawLocus(session, canvas, r, false, static_cast<TLocusKind>(7));
    EXPECT_EQ(At(150, 70), clWhite);
}

TEST_F(LayerDrawingTest, CoordinateLinesCrossTheRectangleAndCurvesKeepTheirColours) {
    TDrawingStores& st = session.Stores();
    st.AddCoordinatePoint({0.25, 0.75});
    st.AddLineSegment({0.1, 0.5}, 1, 0x0000FF);
    st.AddLineSegment({0.9, 0.5}, 0, 0);
    st.AddLineSegment({0.5, 0.1}, 1, 0xFF0000);  // a curve of one point
    DrawLines(session, canvas, r);
    EXPECT_EQ(At(50, 45), kCoordLineColour);
    EXPECT_EQ(At(249, 45), kCoordLineColour);
    EXPECT_EQ(At(49, 45), clWhite);
    EXPECT_EQ(At(250, 45), clWhite);
    EXPECT_EQ(At(100, 20), kCoordLineColour);
    EXPECT_EQ(At(100, 119), kCoordLineColour);
    EXPECT_EQ(At(100, 19), clWhite);
    EXPECT_EQ(At(100, 120), clWhite);
    EXPECT_EQ(At(70, 70), 0x0000FFu);
    EXPECT_EQ(At(229, 70), 0x0000FFu);
    EXPECT_EQ(At(69, 70), clWhite);
    EXPECT_EQ(At(150, 110), clWhite);
}

TEST_F(LayerDrawingTest, NothingBeforeARead) {
    TSurfaceSession unread(0);
    unread.Stores().AddCoordinatePoint({0.5, 0.5});
    DrawLines(unread, canvas, r);
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 300; x += 7) ASSERT_EQ(At(x, y), clWhite);
}

TEST_F(LayerDrawingTest, TheBackgroundIsStretchedOntoTheRectangle) {
    QImage bm(2, 2, QImage::Format_RGB32);
    bm.setPixel(0, 0, PixelOfColour(0x112233));
    bm.setPixel(1, 0, PixelOfColour(0x445566));
    bm.setPixel(0, 1, PixelOfColour(0x778899));
    bm.setPixel(1, 1, PixelOfColour(0xAABBCC));
    DrawBackground(canvas, r, bm);
    EXPECT_EQ(At(60, 30), 0x112233u);
    EXPECT_EQ(At(240, 30), 0x445566u);
    EXPECT_EQ(At(60, 110), 0x778899u);
    EXPECT_EQ(At(240, 110), 0xAABBCCu);
    EXPECT_EQ(At(49, 30), clWhite);
    EXPECT_EQ(At(250, 110), clWhite);
    // Same size: a plain copy at the rectangle's corner.
    DrawBackground(canvas, {5, 6, 7, 8}, bm);
    EXPECT_EQ(At(6, 7), 0xAABBCCu);
}

}  // namespace
}  // namespace velmora

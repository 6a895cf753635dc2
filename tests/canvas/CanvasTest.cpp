#include "canvas/Canvas.h"
#include "canvas/PaintBox.h"
#include "TestApp.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

QImage WhiteImage(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    return img;
}

int CountNonWhite(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != 0xFFFFFFFFu;
    return n;
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }
};

}  // namespace

TEST(ColourValues, RedIsInTheLowByteOfAColourAndTheThirdOfAPixel) {
    EXPECT_EQ(PixelOfColour(clRed), 0xFFFF0000u);
    EXPECT_EQ(PixelOfColour(clBlue), 0xFF0000FFu);
    EXPECT_EQ(ColourOfPixel(0xFF123456u), 0x563412u);
    EXPECT_EQ(ToQColor(0x563412u), QColor(0x12, 0x34, 0x56));
}

TEST_F(CanvasTest, LineToLeavesOutTheEndPixel) {
    QImage img = WhiteImage(20, 20);
    TCanvas c(&img);
    c.MoveTo(2, 3);
    c.LineTo(7, 3);
    EXPECT_EQ(CountNonWhite(img), 5);
    EXPECT_EQ(img.pixel(2, 3), 0xFF000000u);
    EXPECT_EQ(img.pixel(6, 3), 0xFF000000u);
    EXPECT_EQ(img.pixel(7, 3), 0xFFFFFFFFu);
    EXPECT_EQ(c.PenPos(), QPoint(7, 3));
    c.LineTo(7, 3);  // zero length: nothing
    EXPECT_EQ(CountNonWhite(img), 5);
    // Leftwards and upwards the start pixel is drawn and the end pixel left out.
    c.MoveTo(7, 8);
    c.LineTo(2, 8);
    EXPECT_EQ(img.pixel(7, 8), 0xFF000000u);
    EXPECT_EQ(img.pixel(3, 8), 0xFF000000u);
    EXPECT_EQ(img.pixel(2, 8), 0xFFFFFFFFu);
    c.MoveTo(15, 18);
    c.LineTo(15, 10);
    EXPECT_EQ(img.pixel(15, 18), 0xFF000000u);
    EXPECT_EQ(img.pixel(15, 10), 0xFFFFFFFFu);
    EXPECT_EQ(CountNonWhite(img), 5 + 5 + 8);
}

TEST_F(CanvasTest, APolylineInXorModeHasNoGapsAtItsJoints) {
    QImage img = WhiteImage(30, 30);
    TCanvas c(&img);
    c.penMode = TPenMode::pmXor;
    c.penColor = clWhite;  // XOR with white turns white pixels black
    c.MoveTo(2, 2);
    c.LineTo(20, 2);
    c.LineTo(20, 20);
    c.LineTo(2, 20);
    c.LineTo(2, 2);
    EXPECT_EQ(CountNonWhite(img), 4 * 18);
    EXPECT_EQ(img.pixel(20, 2), 0xFF000000u);
    EXPECT_EQ(img.pixel(2, 20), 0xFF000000u);
}

TEST_F(CanvasTest, LinesFarOutsideAreClippedToTheImage) {
    QImage img = WhiteImage(50, 40);
    TCanvas c(&img);
    c.MoveTo(-100000, 20);
    c.LineTo(100000, 20);
    EXPECT_EQ(CountNonWhite(img), 50);
    // A steep line crossing the image: one pixel per row.
    c.MoveTo(10, -50000);
    c.LineTo(12, 50000);
    EXPECT_EQ(img.pixel(11, 0), 0xFF000000u);
    int inColumn = 0;
    for (int y = 0; y < 40; ++y) inColumn += img.pixel(11, y) == 0xFF000000u && y != 20;
    EXPECT_EQ(inColumn, 39);
}

TEST_F(CanvasTest, XorModesDrawnTwiceRestoreThePicture) {
    QImage img = WhiteImage(40, 40);
    TCanvas c(&img);
    c.penColor = 0x3366CC;
    c.MoveTo(0, 0);
    c.LineTo(39, 20);  // something under the XOR lines
    const QImage before = img.copy();
    for (TPenMode mode : {TPenMode::pmXor, TPenMode::pmNotXor}) {
        c.penMode = mode;
        c.penColor = 0x12AB34;
        for (int pass = 0; pass < 2; ++pass) {
            c.MoveTo(3, 30);
            c.LineTo(35, 1);
            c.MoveTo(5, 5);
            c.LineTo(30, 33);
        }
        EXPECT_TRUE(img == before);
    }
    // XOR on white shows the complement; NOT-XOR on white shows the colour.
    c.penMode = TPenMode::pmXor;
    c.penColor = clGreen;
    c.MoveTo(0, 39);
    c.LineTo(10, 39);
    EXPECT_EQ(ColourOfPixel(img.pixel(1, 39)), 0xFF00FFu);
    c.penMode = TPenMode::pmNotXor;
    c.penColor = 0x12AB34;
    c.MoveTo(0, 37);
    c.LineTo(10, 37);
    EXPECT_EQ(ColourOfPixel(img.pixel(1, 37)), 0x12AB34u);
    EXPECT_EQ(img.pixel(1, 37) >> 24, 0xFFu);
}

TEST_F(CanvasTest, EllipseStaysInsideItsHalfOpenRectangle) {
    QImage img = WhiteImage(20, 20);
    TCanvas c(&img);
    c.penColor = clBlack;
    c.brushColor = clRed;
    c.Ellipse(13, 13, 7, 7);  // corners in either order
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (x < 7 || x > 12 || y < 7 || y > 12) {
                EXPECT_EQ(img.pixel(x, y), 0xFFFFFFFFu) << x << "," << y;
            }
    EXPECT_EQ(ColourOfPixel(img.pixel(10, 10)), clRed);
    EXPECT_EQ(img.pixel(10, 7), 0xFF000000u);
}

TEST_F(CanvasTest, FillRectAndDrawCopyPixels) {
    QImage img = WhiteImage(10, 10);
    TCanvas c(&img);
    c.brushColor = clBlue;
    c.FillRect({2, 2, 5, 4});
    EXPECT_EQ(CountNonWhite(img), 6);
    EXPECT_EQ(c.Pixel(4, 3), clBlue);
    EXPECT_EQ(c.Pixel(5, 3), clWhite);
    QImage small(2, 2, QImage::Format_RGB32);
    small.fill(PixelOfColour(clGreen));
    c.Draw(8, 8, small);
    EXPECT_EQ(c.Pixel(9, 9), clGreen);
    EXPECT_EQ(c.Pixel(10, 10), clBlack);  // outside the image
}

TEST_F(CanvasTest, PaintBoxKeepsItsPictureInTheBackingImage) {
    TPaintBox box(30, 20, clWhite);
    EXPECT_EQ(box.size(), QSize(30, 20));
    EXPECT_EQ(box.Picture().format(), QImage::Format_RGB32);
    box.Canvas().penColor = clRed;
    box.Canvas().MoveTo(0, 10);
    box.Canvas().LineTo(30, 10);
    EXPECT_EQ(box.Canvas().Pixel(29, 10), clRed);
    const QImage grabbed = box.grab().toImage();
    EXPECT_EQ(ColourOfPixel(grabbed.pixel(15, 10)), clRed);
}

// ---- an image of device pixel ratio 2 (a high-density screen) -----------------------

namespace {

QImage WhiteImage2x(int logicalW, int logicalH) {
    QImage img = WhiteImage(2 * logicalW, 2 * logicalH);
    img.setDevicePixelRatio(2);
    return img;
}

}  // namespace

TEST_F(CanvasTest, AtRatioTwoASlantedLineFollowsDeviceStepsAndXorTwiceRestores) {
    QImage img = WhiteImage2x(40, 40);
    TCanvas c(&img);
    c.penColor = 0x3366CC;
    c.FillRect({5, 5, 30, 12});
    const QImage before = img.copy();
    c.penMode = TPenMode::pmNotXor;
    c.penColor = 0x00FF00;
    for (int pass = 0; pass < 2; ++pass) {
        c.MoveTo(1, 1);
        c.LineTo(31, 16);  // slope 1/2
        if (pass == 0) {
            // Twice as many steps as at ratio 1, two device pixels across each.
            int changed = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) changed += img.pixel(x, y) != before.pixel(x, y);
            EXPECT_EQ(changed, 2 * 30 * 2);
            // The line passes the device pixel of its logical middle (16, 8.5).
            EXPECT_NE(img.pixel(32, 17), before.pixel(32, 17));
        }
    }
    EXPECT_EQ(img, before);
}

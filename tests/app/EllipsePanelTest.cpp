#include "WindowFixture.h"
#include "tests/session/NormalPlaneFrame.h"

#include <cmath>

using namespace velmora;

namespace {

// A normal plane spanned by the third and fourth axes of R^4 over the tangent
// plane of the first two: e1 = e3 and e2 = CrossProductR4(t, Jt, e3) = -e4.
class EllipsePanelTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(W().ReadData());
    }

    // H = h e3; B = (b1 e3 - b2 e4); C = (c1 e3 - c2 e4), in the panel's
    // normal-plane coordinates (e1, e2).
    void SetPoint(double h, double b1, double b2, double c1, double c2) {
        W().EllipsePanel().ComputeEllipse(velmora::testing::NormalPlaneFrame(h, b1, b2, c1, c2));
        W().EllipsePanel().DrawEllipse();
    }

    const TEllipseLayout& F() { return W().EllipsePanel().FigureLayout(); }
    void Freeze() {
        if (!W().panelsFrozen()) TapCtrl();
    }
    void Release() {
        if (W().panelsFrozen()) TapCtrl();
    }

    TColor At(int x, int y) const { return ColourOfPixel(window->EllipsePanel().EllipseBox()->Picture().pixel(x, y)); }
    int CountInRow(int y, int x0, int x1, TColor c) const {
        int n = 0;
        for (int x = x0; x < x1; ++x) n += At(x, y) == c;
        return n;
    }
    int CountInColumn(int x, int y0, int y1, TColor c) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) n += At(x, y) == c;
        return n;
    }
};

constexpr TColor kGreen = 0x00FF00, kBlue = 0xFF0000, kRed = 0x0000FF, kAqua = 0xFFFF00, kSilver = 0xC0C0C0;

}  // namespace

TEST_F(EllipsePanelTest, OriginOutsideTheCircleSitsAtTheLeftMargin) {
    // h = 2, half axes 0.5 (along e1) and 0.25; a = sqrt(0.3125) < h.
    // (The layout numbers themselves are checked with the figure's own tests.)
    SetPoint(2, 0.5, 0, 0, 0.25);
    const double a = std::sqrt(0.3125);
    const double sc = 224 * 0.9 / (2 + a);
    const double cx = 11.2 + sc * 2;

    // H: green from the centre to the origin pixel 11 (the end pixel is left out).
    EXPECT_EQ(At(12, 120), kGreen);
    EXPECT_EQ(At(10, 120), clWhite);
    EXPECT_GT(CountInRow(120, 12, 110, kGreen), 90);
    // The ellipse vertex at t = pi/2 and the circle vertices right and at the top.
    EXPECT_EQ(At(RoundHalfEven(cx), RoundHalfEven(120 + sc * 0.25)), kBlue);
    EXPECT_EQ(At(RoundHalfEven(cx + sc * a), 120), kAqua);
    EXPECT_EQ(At(RoundHalfEven(cx), RoundHalfEven(120 - sc * a)), kAqua);
    // Scale bar from (11, 5) to (112, 5).
    EXPECT_EQ(At(11, 5), kSilver);
    EXPECT_EQ(At(111, 5), kSilver);
    EXPECT_EQ(At(10, 5), clWhite);
    // The whole picture fits in 90 % of the width.
    EXPECT_EQ(CountInColumn(223, 0, 240, kBlue) + CountInColumn(223, 0, 240, kAqua), 0);
}

TEST_F(EllipsePanelTest, ZeroMeanCurvatureCentresTheEllipse) {
    SetPoint(0, 0.5, 0, 0, 0.3);
    const double sc = F().sc();
    EXPECT_EQ(At(RoundHalfEven(112 + sc * 0.5), 120), kBlue);
    EXPECT_EQ(At(RoundHalfEven(112 - sc * 0.5), 120), kBlue);
    EXPECT_EQ(At(RoundHalfEven(112 + sc * std::sqrt(0.34)), 120), kAqua);
    EXPECT_EQ(CountInRow(120, 0, 224, kGreen), 0);  // H is a point
}

TEST_F(EllipsePanelTest, ASegmentEllipseHasTheTwoPolarsAsFocalConic) {
    // H = e1, B = 0.5 e1, C = 0: the segment from 0.5 to 1.5 on the e1 axis.
    // Polars of its ends: the vertical lines x = 11.2 + sc/1.5 and 11.2 + sc/0.5.
    SetPoint(1, 0.5, 0, 0, 0);
    const double sc = 224 * 0.9 / 1.5;
    ASSERT_DOUBLE_EQ(F().sc(), sc);
    const int x1 = RoundHalfEven(11.2 + sc / 1.5);  // 101; the other polar is off the panel
    // The red polar spans the panel's height; only H and the circle, drawn
    // after it or across it, cover a few of its pixels.
    EXPECT_EQ(CountInColumn(x1, 0, 240, clWhite), 0);
    EXPECT_GE(CountInColumn(x1, 0, 240, kRed), 236);
    EXPECT_EQ(At(x1 + 2, 200), clWhite);
    EXPECT_GE(RoundHalfEven(11.2 + sc / 0.5), 224);  // the far polar lies beyond the panel's right edge

    // Up: the conic goes 1.5 times farther from the origin.
    PressKey(Qt::Key_Up);
    // This polar runs under the scale text, whose cell is filled white.
    const int x2 = RoundHalfEven(11.2 + 1.5 * sc / 1.5);
    EXPECT_GE(CountInColumn(x2, 20, 240, kRed), 217);
    EXPECT_EQ(CountInColumn(x1, 0, 240, kRed), 0);
}

TEST_F(EllipsePanelTest, NoNormalBasisLeavesThePanelBlank) {
    SetPoint(2, 0.5, 0, 0, 0.25);
    SetPoint(0, 0, 0, 0, 0);
    EXPECT_EQ(F().sc(), 0);
    EXPECT_EQ(CountInRow(120, 0, 224, kBlue) + CountInRow(120, 0, 224, kGreen), 0);
    EXPECT_EQ(CountInRow(5, 0, 224, kSilver), 0);
}

TEST_F(EllipsePanelTest, FrozenPanelsProjectTheEllipseOnThePointerLine) {
    // With H = 0 the origin is the integer pixel (112, 120).
    SetPoint(0, 0.5, 0, 0, 0.3);
    Freeze();
    const QImage plain = W().EllipsePanel().EllipseBox()->Picture().copy();
    MoveOver(W().EllipsePanel().EllipseBox(), 112, 120);
    EXPECT_TRUE(W().EllipsePanel().EllipseBox()->Picture() == plain);

    // h = 2, B = 0.5 e1, C = 0.25 e2; pointer straight above the origin pixel.
    // The ellipse points with extreme projection on that line are (2, -+0.25);
    // their feet are (0, -+0.25): two horizontal tangents at rows 120 -+ 0.25 sc,
    // and the vertical line from 0.25 below the origin up to the pointer.
    SetPoint(2, 0.5, 0, 0, 0.25);
    const double sc = F().sc();
    const int ox = RoundHalfEven(F().h0());
    ASSERT_EQ(ox, 11);
    MoveOver(W().EllipsePanel().EllipseBox(), ox, 40);
    EXPECT_GE(CountInColumn(ox, 41, RoundHalfEven(120 + 0.25 * sc), kSilver), 95);
    EXPECT_EQ(At(ox, 30), clWhite);
    const int top = RoundHalfEven(120 - 0.25 * sc), bottom = RoundHalfEven(120 + 0.25 * sc);
    // The origin is at 11.2, the pointer at 11: the line leans a little, and
    // the tangents with it, by at most one row along their length.
    const int right = RoundHalfEven(F().centerX()) - 1;
    EXPECT_GE(CountInRow(top, 12, right, kSilver) + CountInRow(top + 1, 12, right, kSilver), 150);
    EXPECT_GE(CountInRow(bottom, 12, right, kSilver) + CountInRow(bottom - 1, 12, right, kSilver), 150);
    EXPECT_EQ(CountInRow(top - 3, 12, 150, kSilver), 0);

    // Not frozen: moves over the ellipse panel do nothing.
    Release();
    W().EllipsePanel().DrawEllipse();
    const QImage again = W().EllipsePanel().EllipseBox()->Picture().copy();
    MoveOver(W().EllipsePanel().EllipseBox(), ox, 40);
    EXPECT_TRUE(W().EllipsePanel().EllipseBox()->Picture() == again);
}

TEST_F(EllipsePanelTest, AMouseMoveDrawsTheEllipseOfTheSurfacePoint) {
    MoveOverMainPanel(300, 200);
    const std::optional<TLocalFrame> s = W().Session().Surface().Frame(W().FromWindowToR2(300, 200));
    ASSERT_TRUE(s.has_value());
    ASSERT_GT(F().sc(), 0);
    const TEllipseFigure& figure = F().Figure();
    EXPECT_DOUBLE_EQ(figure.h(), s->nh);
    EXPECT_NEAR(Dot4(figure.e1(), figure.e1()), 1, 1e-12);
    EXPECT_NEAR(Dot4(figure.e2(), figure.e2()), 1, 1e-12);
    EXPECT_NEAR(Dot4(figure.e1(), figure.e2()), 0, 1e-12);
    // B and C lie in the plane of e1, e2.
    EXPECT_NEAR(figure.b1() * figure.b1() + figure.b2() * figure.b2(), s->bb, 1e-9 * (1 + s->bb));
    EXPECT_NEAR(figure.c1() * figure.c1() + figure.c2() * figure.c2(), s->cc, 1e-9 * (1 + s->cc));
    EXPECT_GT(CountInRow(120, 0, 224, kAqua) + CountInRow(120, 0, 224, kBlue), 0);
}

namespace {

// Pixels of the ellipse panel in [x0, x1) x [y0, y1) dark enough to read
// as text (every channel below 0x70; the panel's lines are lighter or coloured).
int DarkIn(const QImage& picture, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const QRgb p = picture.pixel(x, y);
            n += qRed(p) < 0x70 && qGreen(p) < 0x70 && qBlue(p) < 0x70;
        }
    return n;
}

}  // namespace

TEST_F(EllipsePanelTest, TheNumbersAreSolidAndNoLineCrossesTheKAndHText) {
    // The red polar x = 101 of the segment case runs down the whole panel,
    // through the scale number's row and the K and H text's rows.
    SetPoint(1, 0.5, 0, 0, 0);
    const QImage& picture = W().EllipsePanel().EllipseBox()->Picture();
    EXPECT_GT(DarkIn(picture, 117, 2, 224, 14), 20);
    Freeze();
    MoveOver(W().EllipsePanel().EllipseBox(), 60, 60);
    const int textWidth = W().EllipsePanel().EllipseBox()->Canvas().TextWidth(QStringLiteral("K= 0.123456;  H= 0.123456"));
    ASSERT_GT(11 + textWidth, 110);
    EXPECT_GT(DarkIn(picture, 11, 224, 11 + textWidth, 238), 60);
    EXPECT_GE(CountInColumn(101, 140, 220, kRed), 70);
    const int textHeight = W().EllipsePanel().EllipseBox()->Canvas().TextHeight(QStringLiteral("K"));
    EXPECT_EQ(CountInColumn(101, 224, 224 + textHeight, kRed), 0);
}

// The window on a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2, set
// before the application starts): the panels keep their logical sizes and
// the map of the domain, while their pictures - the background, the lines,
// the ellipse panel, the picker's disc - have a device pixel of their own
// for every device pixel of the screen.
#include "tests/app/ExpectedBackground.h"
#include "tests/app/WindowFixture.h"

#include <QtGlobal>

using namespace velmora;

namespace {

class HiDpiWindowTest : public WindowTest {
protected:
    void SetUp() override {
        qputenv("QT_SCALE_FACTOR", "2");
        TestApp();
        if (qApp->devicePixelRatio() != 2) GTEST_SKIP() << "the platform does not scale by QT_SCALE_FACTOR";
        WindowTest::SetUp();
        CreateWindow(2);
    }
    const QImage& Panel() const { return window->MainPanel().MainBox()->Picture(); }
};

TEST_F(HiDpiWindowTest, ThePanelsKeepTheirLogicalSizeWithTwiceThePixels) {
    EXPECT_EQ(W().MainPanel().MainBox()->size(), QSize(548, 548));
    EXPECT_EQ(Panel().size(), QSize(1096, 1096));
    EXPECT_EQ(Panel().devicePixelRatio(), 2);
    EXPECT_EQ(W().MainPanel().bm().size(), QSize(1096, 1096));
    EXPECT_EQ(W().EllipsePanel().EllipseBox()->size(), QSize(224, 240));
    EXPECT_EQ(W().EllipsePanel().EllipseBox()->Picture().size(), QSize(448, 480));
    EXPECT_EQ(picker->HSBox->Picture().size(), QSize(328, 328));
    EXPECT_EQ(picker->HSBm.size(), QSize(328, 328));
    EXPECT_EQ(C().FunctionValues1->geometry(), QRect(556, 2, 225, 204));
    // The pointer maps onto the domain as at ratio 1.
    ASSERT_TRUE(W().ReadData());
    EXPECT_EQ(W().FromR2toWindow(W().Session().Map().FromWindowToR2(300, 200)), (Vector2Int{300, 200}));
    MoveOverMainPanel(274, 100);
    EXPECT_TRUE(DataRows()[0].startsWith("u =3.14159265")) << DataRows()[0].toStdString();
}

TEST_F(HiDpiWindowTest, TheBackgroundIsComputedForEveryDevicePixel) {
    ASSERT_TRUE(ReadSurface(kSurface));
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    ExpectedBackground expected;
    int unlikeNeighbours = 0;
    for (int y = 0; y < 1096; y += 73) {
        for (int x = 0; x < 1096; x += 73) {
            const TColor want = expected.At(TBackgroundType::GaussCurvature, x, y, 1096, 1096);
            EXPECT_EQ(ColourOfPixel(Panel().pixel(x, y)), want) << x << "," << y;
            // Not a picture of 548 pixels enlarged: a device pixel may differ
            // from the other device pixel of its logical pixel.
            unlikeNeighbours += want != expected.At(TBackgroundType::GaussCurvature, x ^ 1, y, 1096, 1096);
        }
    }
    EXPECT_GT(unlikeNeighbours, 0);
}

TEST_F(HiDpiWindowTest, LinesAreTwoDevicePixelsWideAndTheCrossLeavesNoTrace) {
    ASSERT_TRUE(W().ReadData());
    ClickMainPanel(100, 200);  // coordinate lines through that pixel
    for (int x : {0, 500, 1095}) {
        EXPECT_EQ(ColourOfPixel(Panel().pixel(x, 400)), ColourOfPixel(Panel().pixel(x, 401))) << x;
        EXPECT_NE(ColourOfPixel(Panel().pixel(x, 400)), clWhite) << x;
        EXPECT_EQ(ColourOfPixel(Panel().pixel(x, 399)), clWhite) << x;
        EXPECT_EQ(ColourOfPixel(Panel().pixel(x, 402)), clWhite) << x;
    }
    const QImage before = Panel().copy();
    C().lineItems[1]->trigger();
    MoveOverMainPanel(300, 300);
    EXPECT_NE(Panel(), before);  // the cross of the curvature directions
    MoveOver(C().FunctionValues1, 5, 5);
    MoveOver(W().centralWidget(), 700, 620);
    EXPECT_EQ(Panel(), before);
}

}  // namespace

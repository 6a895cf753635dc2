// The Loci and Foliations menus and clicks on the main panel, checked on the
// panel's pixels: loci traced once per kind and kept apart from the lines,
// curves in the picker's colour at their start, Ctrl+Z, the foliation filter,
// points without directions, Stop during a trace and closing during one.
#include "WindowFixture.h"

#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <set>

using namespace velmora;

namespace {

constexpr TColor kSilver = 0xC0C0C0;

class LociAndLinesTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(W().ReadData());
    }
    const TDrawingStores& Stores() { return W().Session().Stores(); }
    int Curves() { return static_cast<int>(Stores().lines().size()); }
    // Panel pixels of the stored points of a curve, away from its ends and the
    // panel's border, that no other curve passes within 2 pixels of.
    std::vector<Vector2Int> OwnPixels(int curve) {
        std::vector<Vector2Int> own;
        const std::vector<Curve>& lines = Stores().lines();
        const Curve& c = lines[curve];
        for (int k = 1; k < static_cast<int>(c.pts.size()) - 2; ++k) {
            const Vector2Int p = W().FromR2toWindow(c.pts[k]);
            bool shared = p.x < 2 || p.y < 2 || p.x > 545 || p.y > 545;
            for (int i = 0; i < static_cast<int>(lines.size()) && !shared; ++i) {
                if (i == curve) continue;
                for (std::size_t j = 0; j < lines[i].pts.size() && !shared; ++j) {
                    const Vector2Int q = W().FromR2toWindow(lines[i].pts[j]);
                    shared = std::abs(q.x - p.x) <= 2 && std::abs(q.y - p.y) <= 2;
                }
            }
            if (!shared) own.push_back(p);
        }
        return own;
    }
};

TEST_F(LociAndLinesTest, ALocusTracedTwiceIsStoredOnceAndDrawnInSilver) {
    C().lociItems[0]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_FALSE(W().busy());
    const wireKnots first = Stores().loci()[0];
    ASSERT_GT(first.size(), 100u);
    C().lociItems[0]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Stores().loci()[0].size(), first.size());
    for (std::size_t k = 0; k < first.size(); ++k) {
        ASSERT_EQ(Stores().loci()[0][k].key, first[k].key);
        ASSERT_EQ(Stores().loci()[0][k].pos, first[k].pos);
    }
    // The knots inside the panel are silver on it.
    int onPanel = 0, silver = 0;
    for (const wireKnot& knot : first) {
        const Vector2Int p = W().FromR2toWindow(knot.pos);
        if (p.x < 0 || p.y < 0 || p.x >= 548 || p.y >= 548) continue;
        ++onPanel;
        silver += PanelPixel(p.x, p.y) == kSilver;
    }
    EXPECT_GT(silver, onPanel * 9 / 10);
}

TEST_F(LociAndLinesTest, LociSurviveErasingTheLinesAndGoWithEraseLoci) {
    for (QAction* item : C().lociItems) {
        item->trigger();
        ASSERT_TRUE(WaitUntilIdle());
    }
    for (int k = 0; k < kLociCount; ++k) EXPECT_GE(Stores().loci()[k].size(), 3u) << k;
    picker->curveColor = 0x123456;
    C().lineItems[1]->trigger();
    ClickMainPanel(150, 300);
    C().lineItems[0]->trigger();
    ClickMainPanel(400, 100);
    const int silver = CountPanelPixels(kSilver);
    ASSERT_GT(silver, 1000);
    ASSERT_GT(CountPanelPixels(0x123456), 100);
    ASSERT_GT(CountPanelPixels(0xCCCCCC), 100);

    C().Erasetheselines1->trigger();
    EXPECT_EQ(Curves(), 0);
    EXPECT_TRUE(Stores().coordLines().empty());
    EXPECT_EQ(CountPanelPixels(0x123456), 0);
    EXPECT_EQ(CountPanelPixels(0xCCCCCC), 0);
    EXPECT_GE(CountPanelPixels(kSilver), silver);  // what the lines covered shows again

    // Erasing the loci redraws the lines stored since.
    C().lineItems[1]->trigger();
    ClickMainPanel(150, 300);
    C().EraseLoci1->trigger();
    EXPECT_EQ(CountPanelPixels(kSilver), 0);
    for (int k = 0; k < kLociCount; ++k) EXPECT_TRUE(Stores().loci()[k].empty());
    EXPECT_GT(CountPanelPixels(0x123456), 100);
}

TEST_F(LociAndLinesTest, EachCurveKeepsThePickersColourOfItsStartAfterARepaint) {
    C().lineItems[1]->trigger();
    picker->curveColor = 0x0000C8;
    ClickMainPanel(150, 300);
    const int firstTrace = Curves();
    ASSERT_GT(firstTrace, 1);
    picker->curveColor = 0xC80000;
    ClickMainPanel(420, 120);
    ASSERT_GT(Curves(), firstTrace);
    for (int i = 0; i < Curves(); ++i) EXPECT_EQ(Stores().lines()[i].c, i < firstTrace ? 0x0000C8u : 0xC80000u);
    W().OnPaint();
    EXPECT_GT(CountPanelPixels(0x0000C8), 200);
    EXPECT_GT(CountPanelPixels(0xC80000), 200);
}

TEST_F(LociAndLinesTest, CtrlZRemovesOneHalfBranch) {
    C().lineItems[1]->trigger();
    picker->curveColor = 0x0000C8;
    ClickMainPanel(150, 300);
    const int n = Curves();
    ASSERT_GE(n, 4);
    const std::vector<Vector2Int> own = OwnPixels(n - 1);
    ASSERT_GT(own.size(), 10u);
    for (const Vector2Int& p : own) ASSERT_EQ(PanelPixel(p.x, p.y), 0x0000C8u);
    const int before = CountPanelPixels(0x0000C8);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Curves(), n - 1);
    for (const Vector2Int& p : own) EXPECT_NE(PanelPixel(p.x, p.y), 0x0000C8u);
    EXPECT_GT(CountPanelPixels(0x0000C8), before / 3);

    // Extremal deviation lines: one single-coloured piece at a time.
    C().Erasetheselines1->trigger();
    C().lineItems[5]->trigger();
    MoveOverMainPanel(150, 301);  // the directions at the pointer fix the half-branches
    ClickMainPanel(150, 300);
    const std::set<TColor> classColours{0xDD00DD, 0xFF8800, 0x00DD00, 0x0000FF};
    const int pieces = Curves();
    ASSERT_GE(pieces, 2);
    for (int i = 0; i < pieces; ++i) EXPECT_TRUE(classColours.count(Stores().lines()[i].c)) << i;
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Curves(), pieces - 1);
}

TEST_F(LociAndLinesTest, WithBothFoliationsHiddenAClickDrawsNothing) {
    C().lineItems[1]->trigger();
    C().ShowFoliationOne1->trigger();
    C().ShowFoliationTwo1->trigger();
    MoveOverMainPanel(150, 301);
    ClickMainPanel(150, 300);
    EXPECT_EQ(Curves(), 0);
    EXPECT_EQ(CountPanelPixels(clWhite), 548 * 548);
    // One foliation: fewer half-branches than both.
    C().ShowFoliationOne1->trigger();
    ClickMainPanel(150, 300);
    const int one = Curves();
    EXPECT_GT(one, 0);
    C().ShowFoliationTwo1->trigger();
    ClickMainPanel(150, 300);
    EXPECT_GT(Curves() - one, one);
}

TEST_F(LociAndLinesTest, AClickWithoutDirectionsGivesTheTracersMessageAndStoresNothing) {
    // Where the origin of the normal plane lies inside the curvature ellipse
    // the surface has no asymptotic directions.
    int row = -1;
    for (int y = 0; y < 548 && row < 0; y += 4)
        if (W().Session().Surface().DepthOfOrigin(W().FromWindowToR2(300, y)) > 0.05) row = y;
    ASSERT_GE(row, 0);
    C().lineItems[2]->trigger();
    ClickMainPanel(300, row);
    EXPECT_EQ(W().InfoText(), "There are no asymptotic lines by that point");
    EXPECT_EQ(Curves(), 0);
    EXPECT_FALSE(W().busy());

    // The umbilic of a paraboloid has no curvature directions.
    ASSERT_TRUE(ReadSurface({"u", "v", "u^2 + v^2", "0", "-1", "1", "-1", "1"}));
    C().lineItems[1]->trigger();
    ClickMainPanel(274, 274);
    EXPECT_EQ(W().InfoText(), "That point was umbilical or without principal directions");
    EXPECT_EQ(Curves(), 0);
    EXPECT_EQ(CountPanelPixels(clWhite), 548 * 548);
}

TEST_F(LociAndLinesTest, StopEndsALineTraceAndKeepsWhatWasTraced) {
    C().lineItems[1]->trigger();
    ClickMainPanel(150, 300);
    const int full = Curves();
    C().Erasetheselines1->trigger();
    // Stop is pressed at the first message processing, 30 steps in.
    QTimer::singleShot(0, C().EnterButton, &QPushButton::click);
    ClickMainPanel(150, 300);
    EXPECT_FALSE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_GE(Curves(), 1);
    EXPECT_LT(Curves(), full);
    EXPECT_EQ(W().InfoText(), "Lines stopped after 30 steps");
    EXPECT_GT(CountPanelPixels(picker->curveColor), 10);
}

TEST_F(LociAndLinesTest, ATraceDrawsInItsColourAndGivesThePanelsPenBack) {
    TCanvas& canvas = W().MainPanel().Canvas();
    canvas.penColor = 0x345678;
    canvas.penWidth = 4;
    canvas.penMode = TPenMode::pmNotXor;
    C().lineItems[1]->trigger();
    picker->curveColor = 0x0000C8;
    ClickMainPanel(150, 300);
    ASSERT_GT(Curves(), 1);
    EXPECT_EQ(canvas.penColor, 0x345678u);
    EXPECT_EQ(canvas.penWidth, 4);
    EXPECT_EQ(canvas.penMode, TPenMode::pmNotXor);
    // Drawn in pmCopy, not in the saved pen's mode: the stored points away
    // from the others show the curve's colour itself.
    const std::vector<Vector2Int> own = OwnPixels(0);
    ASSERT_GT(own.size(), 10u);
    for (const Vector2Int& p : own) EXPECT_EQ(PanelPixel(p.x, p.y), 0x0000C8u);
    EXPECT_EQ(W().InfoText(), "");
}

TEST_F(LociAndLinesTest, ClosingTheWindowDuringATraceEndsIt) {
    W().show();
    C().lineItems[1]->trigger();
    QTimer::singleShot(0, window.get(), &QWidget::close);
    ClickMainPanel(150, 300);
    EXPECT_FALSE(W().isVisible());
    EXPECT_FALSE(W().busy());
    EXPECT_TRUE(W().InfoText().startsWith("Lines stopped after"));
    DestroyWindow();
}

}  // namespace

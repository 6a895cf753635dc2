// Show Special Points in the window: the search under the watch, the markers
// on the panel where the points are, the data panel over a marker, the item
// that takes them away, Stop, a new line class, and a class without points.
#include "WindowFixture.h"

#include "canvas/LayerDrawing.h"
#include "session/SurfaceSession.h"

#include <QPushButton>

using namespace velmora;

namespace {

// A Monge form over [-0.3, 0.3]^2 whose curvature ellipse is a circle at the
// origin with (bb - cc) + 2 i bc = u + i v to first order: an axiumbilic
// point of index +1/4 with three separatrices (E3), at the panel's centre.
const std::array<const char*, 8> kE3 = {"u", "v", "0.25 (u^2 + v^2) + 0.5 (u^2 - v^2) + u^3/6", "u v - v^3/6",
                                        "-0.3", "0.3", "-0.3", "0.3"};

// A closed torus with points of every kind, slow enough to be stopped.
const std::array<const char*, 8> kTorus = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v) + 0.2 cos(u + v)",
    "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v) + 0.15 sin(u - 2v)", "0", "2 pi", "0", "2 pi"};

constexpr TColor kE3Green = 0x00A000;  // red in the low byte: (0, 160, 0)

class SpecialPointsTest : public WindowTest {
protected:
    QAction* Item() const { return C().ShowSpecialPoints1; }
    // The panel pixel of the point of the domain.
    QPoint Pixel(const Vector2& p) {
        const TRectMap m(W().Session().Map(), W().MainPanel().rctMain());
        return {m.X(p), m.Y(p)};
    }
};

TEST_F(SpecialPointsTest, TheMarkerShowsWhereThePointIsAndHoverListsIt) {
    ASSERT_TRUE(ReadSurface(kE3));
    C().lineItems[1]->trigger();  // curvature lines
    Item()->trigger();
    EXPECT_TRUE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Stop");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(Item()->isChecked());
    const TSpecialPointsResult* found = W().Session().SpecialPoints();
    ASSERT_NE(found, nullptr);
    ASSERT_FALSE(found->points.empty());
    EXPECT_TRUE(W().InfoText().contains("special point")) << W().InfoText().toStdString();

    const QPoint centre = Pixel({0, 0});
    EXPECT_EQ(PanelPixel(centre.x(), centre.y()), kE3Green);
    // Hovering within a few pixels of the marker lists the point.
    MoveOverMainPanel(centre.x() + 2, centre.y() - 1);
    const std::vector<QString> rows = DataRows();
    EXPECT_EQ(rows[2], "Point =axiumbilic");
    EXPECT_EQ(rows[3], "Index =+1/4");
    EXPECT_EQ(rows[4], "Separatrices =3");
    EXPECT_EQ(rows[5], "Type =E3");
    EXPECT_EQ(rows[6], "Field =Curvature Lines");
    // Away from it the data panel shows the invariants again.
    MoveOverMainPanel(centre.x() + 60, centre.y() + 60);
    EXPECT_FALSE(DataRows()[2].startsWith("Point ="));

    // A repaint draws the markers again.
    W().OnPaint();
    EXPECT_EQ(PanelPixel(centre.x(), centre.y()), kE3Green);

    // The item again takes them away.
    Item()->trigger();
    EXPECT_FALSE(Item()->isChecked());
    EXPECT_EQ(W().Session().SpecialPoints(), nullptr);
    EXPECT_NE(PanelPixel(centre.x(), centre.y()), kE3Green);
}

TEST_F(SpecialPointsTest, StopLeavesNoMarkersAndSaysComputationHalted) {
    CreateWindow(1);
    ASSERT_TRUE(ReadSurface(kTorus));
    Item()->trigger();
    ASSERT_TRUE(W().busy());
    C().EnterButton->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_EQ(W().InfoText(), "Computation halted");
    EXPECT_FALSE(Item()->isChecked());
    EXPECT_EQ(W().Session().SpecialPoints(), nullptr);
}

TEST_F(SpecialPointsTest, AnotherLineClassSearchesAgainAndClassesWithoutPointsSaySo) {
    ASSERT_TRUE(ReadSurface(kTorus));
    C().lineItems[1]->trigger();
    Item()->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_NE(W().Session().SpecialPoints(), nullptr);
    EXPECT_EQ(W().Session().SpecialPoints()->lineClass, TLineClass::Curvature);
    for (const TSpecialPoint& p : W().Session().SpecialPoints()->points) EXPECT_EQ(p.kind, TSpecialKind::Axiumbilic);

    C().lineItems[4]->trigger();  // principal lines: searched for at once
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_NE(W().Session().SpecialPoints(), nullptr);
    EXPECT_EQ(W().Session().SpecialPoints()->lineClass, TLineClass::Principal);
    EXPECT_TRUE(Item()->isChecked());

    C().lineItems[6]->trigger();  // a class whose fields have no special points here
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_FALSE(Item()->isChecked());
    EXPECT_EQ(W().Session().SpecialPoints(), nullptr);
    EXPECT_TRUE(W().InfoText().startsWith("Special points are found for the line classes 1 to 4"));

    // Reading the surface again searches again for the chosen class.
    C().lineItems[3]->trigger();
    Item()->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(ReadSurface(kE3));
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_NE(W().Session().SpecialPoints(), nullptr);
    EXPECT_EQ(W().Session().SpecialPoints()->lineClass, TLineClass::MeanCurvature);
}

TEST_F(SpecialPointsTest, DestroyingTheWindowWhileTheSearchRunsStopsIt) {
    ASSERT_TRUE(ReadSurface(kTorus));
    Item()->trigger();
    ASSERT_TRUE(W().busy());
    QApplication::processEvents();
    DestroyWindow();
}

}  // namespace

// View > "Surface in 3D" as a person uses it: the window follows "Enter",
// the background and the drawings, shows the main panel's mouse point, a
// click on the surface shows that point in the main window, Export Image
// writes the view, and the window is remembered between runs.
#include "app/SurfaceWindow.h"
#include "tests/app/WindowFixture.h"
#include "view3d/SurfaceGLWidget.h"

#include <QImage>
#include <QMouseEvent>

#include <cmath>
#include <filesystem>

namespace velmora {
namespace {

class SurfaceWindowTest : public WindowTest {
protected:
    TSurfaceWindow& Open() {
        EXPECT_TRUE(C().SurfaceIn3D1->isEnabled());
        C().SurfaceIn3D1->trigger();
        TSurfaceWindow* w = W().SurfaceWindow();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    const std::array<const char*, 8> kGraph{"u", "v", "0", "u^3/3 + v^2/2", "-1", "1", "-1", "1"};
};

TEST_F(SurfaceWindowTest, FollowsEnterTheBackgroundAndTheDrawings) {
    ASSERT_TRUE(ReadSurface(kGraph));
    TSurfaceWindow& s = Open();
    ASSERT_TRUE(s.isVisible());
    ASSERT_TRUE(s.Scene().HasMesh());
    EXPECT_EQ(s.Scene().Mesh().columns, kDefaultMeshSide);
    EXPECT_FALSE(s.Scene().Mesh().invariantKind);
    // Without a background the surface is plain.
    EXPECT_EQ(s.Scene().View().colouring, TColouring::Plain);

    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(s.Refresh());
    EXPECT_EQ(s.Scene().Mesh().invariantKind, TInvariantKind::GaussCurvature);
    EXPECT_EQ(s.Scene().View().colouring, TColouring::Invariant);

    EXPECT_EQ(s.Scene().Lines().Segments(), 0u);
    C().lociItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    s.Refresh();
    EXPECT_GT(s.Scene().Lines().Segments(), 10u);

    // A new surface after "Enter": sampled anew, the drawings gone.
    ASSERT_TRUE(ReadSurface({"u", "v", "u v", "0", "0", "2", "0", "3"}));
    s.Refresh();
    EXPECT_DOUBLE_EQ(s.Scene().Mesh().max2D[1], 3);
    EXPECT_EQ(s.Scene().Lines().Segments(), 0u);
}

TEST_F(SurfaceWindowTest, TheMousePointIsAMarkerAndAClickShowsThePointInTheMainWindow) {
    ASSERT_TRUE(ReadSurface(kGraph));
    TSurfaceWindow& s = Open();
    s.resize(700, 500);
    ASSERT_TRUE(RunEventsUntil([&] { return s.View().width() > 100; }));
    // The marker follows the mouse over the main panel: three segments.
    MoveOverMainPanel(274, 274);
    EXPECT_EQ(s.Scene().Lines().Segments(), 3u);

    // A click in the middle of the view: the camera looks at the centre of
    // the surface, (0, 0, 0, 1/3) of the point (0, 0) (u^3/3 + v^2/2 spans 0 .. 5/6 in w).
    TSurfaceGLWidget& view = s.View();
    const QPoint middle(view.width() / 2, view.height() / 2);
    const std::optional<Vector2> seen = view.PointAt(middle);
    ASSERT_TRUE(seen);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(middle), view.mapToGlobal(QPointF(middle)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(middle), view.mapToGlobal(QPointF(middle)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &release);
    // The data panel shows that point, as if the mouse were there.
    const QString u = W().Controls().FunctionValues1->RowText(0);
    ASSERT_TRUE(u.startsWith(QStringLiteral("u =")));
    EXPECT_NEAR(u.mid(3).trimmed().toDouble(), (*seen)[0], 1e-3);
    EXPECT_NEAR(W().Controls().FunctionValues1->RowText(1).mid(3).trimmed().toDouble(), (*seen)[1], 1e-3);
    // The orthographic picture is the square (u, v) centred on (0, 0): the
    // middle of the view is near u = 0, v = 0 (the camera looks down at it).
    EXPECT_LT(std::hypot((*seen)[0], (*seen)[1]), 0.6);
}

TEST_F(SurfaceWindowTest, ShiftDragTurnsTheXwAndYwPlanesAndTheSlidersFollow) {
    ASSERT_TRUE(ReadSurface(kGraph));
    TSurfaceWindow& s = Open();
    TSurfaceGLWidget& view = s.View();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
        QMouseEvent e(type, QPointF(at), view.mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, mods);
        QApplication::sendEvent(&view, &e);
    };
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::ShiftModifier);
    send(QEvent::MouseMove, {160, 80}, Qt::LeftButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonRelease, {160, 80}, Qt::NoButton, Qt::ShiftModifier);
    EXPECT_NEAR(s.Scene().View().angles[TPlane::XW], 30, 1e-9);
    EXPECT_NEAR(s.Scene().View().angles[TPlane::YW], 10, 1e-9);
    EXPECT_EQ(s.Choice().view.angles[TPlane::XW], 30);
    // Ctrl+drag turns zw; a plain drag orbits without turning R^4.
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::ControlModifier);
    send(QEvent::MouseMove, {140, 100}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_NEAR(s.Scene().View().angles[TPlane::ZW], 20, 1e-9);
    const TCamera before = s.Scene().camera;
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseMove, {150, 100}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_NE(s.Scene().camera.yaw, before.yaw);
    EXPECT_NEAR(s.Scene().View().angles[TPlane::ZW], 20, 1e-9);
    s.Reset();
    EXPECT_EQ(s.Scene().View().angles, TPlaneAngles{});
    EXPECT_EQ(s.Scene().camera, TCamera{});
}

TEST_F(SurfaceWindowTest, ExportImageWritesThePngOfTheChosenSize) {
    ASSERT_TRUE(ReadSurface(kGraph));
    TSurfaceWindow& s = Open();
    TestFolder dir;
    const QString path = QString::fromStdString((dir / "view.png").string());
    dialogs->saveAnswers.push_back(path);
    dialogs->sizeAnswers.push_back(320);
    s.OnExportImage();
    EXPECT_EQ(dialogs->saveFilter, QStringLiteral("PNG image (*.png)"));
    EXPECT_EQ(s.StatusText(), QStringLiteral("Image saved as %1").arg(path));
    const QImage png(path);
    EXPECT_EQ(png.size(), QSize(320, 320));
    // A name that is no PNG is refused; nothing is written.
    EXPECT_FALSE(s.ExportImage(QString::fromStdString((dir / "view.svg").string()), 320));
    EXPECT_FALSE(std::filesystem::exists(dir / "view.svg"));
}

TEST_F(SurfaceWindowTest, RememberedBetweenRuns) {
    ASSERT_TRUE(ReadSurface(kGraph));
    TSurfaceWindow& s = Open();
    TSurfaceViewChoice choice;
    choice.view.projection = TProjectionKind::Stereographic;
    choice.view.colouring = TColouring::FourthCoordinate;
    choice.view.angles[TPlane::XW] = 45;
    choice.meshSide = 120;
    s.SetChoice(choice);
    W().SaveDesktopSettings();
    CreateWindow(2);  // a new run
    TSurfaceWindow* again = W().SurfaceWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(again->Choice().view.projection, TProjectionKind::Stereographic);
    EXPECT_EQ(again->Choice().view.colouring, TColouring::FourthCoordinate);
    EXPECT_EQ(again->Choice().view.angles[TPlane::XW], 45);
    EXPECT_EQ(again->Choice().meshSide, 120);
}

}  // namespace
// The 3D window first opens beside the main window: right of it where the
// screen has room, left of it where only that side has, else as far right as
// it fits, its top level with the main window's and never off the screen.
TEST(SurfaceWindowPlace, BesideTheMainWindowWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(900, 640);
    const QRect main(10, 20, 790, 700);  // x 10 .. 799
    EXPECT_EQ(PlaceBesideWindow(main, size, screen), QPoint(800, 20));
    const QRect mainRight(1000, 50, 790, 700);  // no room to its right
    EXPECT_EQ(PlaceBesideWindow(mainRight, size, screen), QPoint(100, 50));
    const QRect narrow(0, 0, 1280, 1024);  // room on neither side
    EXPECT_EQ(PlaceBesideWindow(QRect(0, 0, 790, 700), size, narrow), QPoint(380, 0));
    // A main window low on the screen: the top is moved up so the window fits.
    EXPECT_EQ(PlaceBesideWindow(QRect(10, 900, 790, 100), size, screen), QPoint(800, 440));
    // A screen smaller than the window: its top left corner.
    EXPECT_EQ(PlaceBesideWindow(QRect(0, 0, 300, 200), size, QRect(0, 0, 800, 600)), QPoint(0, 0));
}

}  // namespace velmora

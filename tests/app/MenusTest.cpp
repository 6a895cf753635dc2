#include "WindowFixture.h"
#include "view3d/OffscreenRenderer.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace velmora;

namespace {

QAction* Item(TMainWindow& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

struct Expected {
    const char* name;
    const char* caption;
    int tag;
};

void CheckItems(TMainWindow& w, std::initializer_list<Expected> items) {
    for (const Expected& e : items) {
        QAction* a = Item(w, e.name);
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->text(), QString::fromLatin1(e.caption)) << e.name;
        EXPECT_EQ(a->data().toInt(), e.tag) << e.name;
    }
}

}  // namespace

TEST_F(WindowTest, TheMenuBarHoldsTheSixMenus) {
    QStringList titles;
    for (QAction* a : W().menuBar()->actions()) titles << a->text().remove('&');
    EXPECT_EQ(titles, QStringList({"File", "Edit", "Loci", "Backgrounds", "Foliations", "View"}));
}

TEST_F(WindowTest, MenuItemsCarryTheirCaptionsTagsAndShortcuts) {
    CheckItems(W(), {{"Open1", "&Open...", 0}, {"Save1", "&Save", 0}, {"SaveAs1", "Save As...", 0},
                     {"Print1", "&Print...", 0}, {"Manual1", "Manual", 0}, {"Exit1", "E&xit", 0}});
    CheckItems(W(), {{"New1", "&New", 0}});
    // The File menu shows its shortcuts.
    EXPECT_EQ(C().New1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(C().Open1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(C().Save1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(C().Print1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(C().Exit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(C().Cut1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(C().Copy1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(C().Paste1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    CheckItems(W(), {{"ParabolicLocus1", "Parabolic Locus", 0},
                     {"SemiumbilicalLocus1", "Semiumbilical Locus", 1},
                     {"HEllipseLocus1", "H ||  Ellipse  Locus", 2},
                     {"VanishingGK", "Zero Gauss Curv. Locus", 3},
                     {"ZeroDiscrNormalDeviation1", "Zero Discr extremal  normal Deviation", 4},
                     {"ZeroDiscrLateralDeviation1", "Zero Discr extremal lateral Deviation", 5},
                     {"ZeroDiscrStrongPpalLines1", "Zero Discr Strong Ppal Lines", 6},
                     {"EraseLoci1", "Erase these Loci", 14}});
    CheckItems(W(), {{"ColorbyOrigininEllipse1", "Color by Origin in Ellipse", 0},
                     {"ColorbyBxC1", "Color by BxC", 1},
                     {"ColorbyangleHMajorAxis1", "Color by angle H - Major Axis", 2},
                     {"ColorbyGaussCurv1", "Color by Gauss Curv.", 3},
                     {"Discrmaxnormaldeviation1", "Color by Discr extr norm deviation", 4},
                     {"Discrmaxlateraldeviation1", "Color by Discr extr lat deviation", 5},
                     {"ColorbyDiscrStrongPpalDirs1", "Color by Discr Strong Ppal Dirs", 6},
                     {"EraseBackground1", "Erase Background", 17}});
    CheckItems(W(), {{"CoordinateLines1", "Coordinate Lines", 0},
                     {"CurvatureLines1", "Curvature Lines", 1},
                     {"AsymptoticLines1", "Asymptotic Lines", 2},
                     {"MeanCurvatureLines1", "Mean Curvature Lines", 3},
                     {"Ppal1", "Principal Lines", 4},
                     {"ExtremalNormalDeviationLines1", "Extremal normal deviation  Lines", 5},
                     {"ExtremalLateralDeviationLines1", "Extremal lateral deviation Lines", 6},
                     {"StrongPrincipalLines1", "Strong Principal Lines", 7},
                     {"Erasetheselines1", "Erase these lines", 15},
                     {"ShowFoliationOne1", "Show Foliation One", 16},
                     {"ShowFoliationTwo1", "Show Foliation Two", 17}});
    CheckItems(W(), {{"ColorPalette1", "Color Palette", 0}});
    for (QAction* a : C().lociItems) EXPECT_FALSE(a->isCheckable());
    EXPECT_TRUE(C().ShowFoliationOne1->isChecked());
    EXPECT_TRUE(C().ShowFoliationTwo1->isChecked());
}

TEST_F(WindowTest, LineItemsSetTheKindAndTheNumberOfHalfBranches) {
    ASSERT_TRUE(W().ReadData());
    const int parts[8] = {0, 8, 4, 4, 4, 8, 8, 10};
    for (int tag = 0; tag < 8; ++tag) {
        C().lineItems[tag]->trigger();
        EXPECT_EQ(W().linesOption(), LineClassOfTag(tag));
        EXPECT_EQ(W().curvesParts(), parts[tag]);
        for (QAction* a : C().lineItems) EXPECT_EQ(a->isChecked(), a == C().lineItems[tag]);
        EXPECT_EQ(C().ShowFoliationOne1->isEnabled(), tag != 7);
        EXPECT_EQ(C().ShowFoliationTwo1->isEnabled(), tag != 7);
    }
}

TEST_F(WindowTest, ShowFoliationItemsToggleTheirBits) {
    EXPECT_EQ(W().showFoliations(), 3);
    C().ShowFoliationOne1->trigger();
    EXPECT_FALSE(C().ShowFoliationOne1->isChecked());
    EXPECT_EQ(W().showFoliations(), 2);
    C().ShowFoliationTwo1->trigger();
    EXPECT_EQ(W().showFoliations(), 0);
    C().ShowFoliationOne1->trigger();
    EXPECT_EQ(W().showFoliations(), 1);
    // They act while busy as well.
    W().BeginWatch();
    C().ShowFoliationTwo1->trigger();
    EXPECT_EQ(W().showFoliations(), 3);
    W().EndWatch();
}

TEST_F(WindowTest, ColorPaletteShowsThePicker) {
    EXPECT_FALSE(picker->isVisible());
    C().ColorPalette1->trigger();
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->windowTitle(), "Color Picker");
}

TEST_F(WindowTest, EditItemsWorkOnTheFocusedEdit) {
    W().show();
    W().activateWindow();
    C().xEdit->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != C().xEdit) GTEST_SKIP() << "no keyboard focus on this platform";
    C().xEdit->selectAll();
    C().Copy1->trigger();
    C().yEdit->setFocus();
    QApplication::processEvents();
    C().yEdit->selectAll();
    C().Paste1->trigger();
    EXPECT_EQ(C().yEdit->text(), kDefaultTexts[0]);
}

namespace {

// View > "Surface in 3D" needs OpenGL in a window: where none can be had (the
// window tests run on Qt's offscreen platform, which draws no OpenGL widget)
// the item is disabled and says why; nothing else in the window changes.
TEST_F(WindowTest, SurfaceIn3DSaysWhenThereIsNoOpenGL) {
    QAction* item = C().SurfaceIn3D1;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->objectName(), "SurfaceIn3D1");
    QString reason;
    if (OpenGLWindowsAvailable(&reason)) {
        EXPECT_TRUE(item->isEnabled());
        EXPECT_EQ(item->text(), "Surface in 3D");
        return;
    }
    EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(item->text(), "Surface in 3D (no OpenGL here)");
    EXPECT_EQ(item->statusTip(), QString::fromLatin1(kNoOpenGL));
    EXPECT_EQ(reason, QString::fromLatin1(kNoOpenGL));
    item->trigger();  // a disabled item does nothing
    EXPECT_EQ(W().SurfaceWindow(), nullptr);
    EXPECT_TRUE(C().ColorPalette1->isEnabled());
}

}  // namespace

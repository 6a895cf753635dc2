// The main menu: items with their captions, Tags and shortcuts, the enabled
// and checked states, and the commands that act on the window's options.
#include "app/MainWindow.h"

#include "app/FieldLengthGuard.h"
#include "picker/ColourPicker.h"
#include "view3d/OffscreenRenderer.h"

#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace velmora {

namespace {

struct MenuItemDef {
    const char* name;
    const char* caption;
    int tag;
};

constexpr MenuItemDef kLociItems[kLociCount] = {
    {"ParabolicLocus1", "Parabolic Locus", 0},
    {"SemiumbilicalLocus1", "Semiumbilical Locus", 1},
    {"HEllipseLocus1", "H ||  Ellipse  Locus", 2},
    {"VanishingGK", "Zero Gauss Curv. Locus", 3},
    {"ZeroDiscrNormalDeviation1", "Zero Discr extremal  normal Deviation", 4},
    {"ZeroDiscrLateralDeviation1", "Zero Discr extremal lateral Deviation", 5},
    {"ZeroDiscrStrongPpalLines1", "Zero Discr Strong Ppal Lines", 6},
};

constexpr MenuItemDef kBackgroundItems[kBackgroundKinds] = {
    {"ColorbyOrigininEllipse1", "Color by Origin in Ellipse", 0},
    {"ColorbyBxC1", "Color by BxC", 1},
    {"ColorbyangleHMajorAxis1", "Color by angle H - Major Axis", 2},
    {"ColorbyGaussCurv1", "Color by Gauss Curv.", 3},
    {"Discrmaxnormaldeviation1", "Color by Discr extr norm deviation", 4},
    {"Discrmaxlateraldeviation1", "Color by Discr extr lat deviation", 5},
    {"ColorbyDiscrStrongPpalDirs1", "Color by Discr Strong Ppal Dirs", 6},
};

constexpr MenuItemDef kLineItems[kLineKinds] = {
    {"CoordinateLines1", "Coordinate Lines", 0},
    {"CurvatureLines1", "Curvature Lines", 1},
    {"AsymptoticLines1", "Asymptotic Lines", 2},
    {"MeanCurvatureLines1", "Mean Curvature Lines", 3},
    {"Ppal1", "Principal Lines", 4},
    {"ExtremalNormalDeviationLines1", "Extremal normal deviation  Lines", 5},
    {"ExtremalLateralDeviationLines1", "Extremal lateral deviation Lines", 6},
    {"StrongPrincipalLines1", "Strong Principal Lines", 7},
};

// Adds an item. Qt flips the check of a checkable item before its handler
// runs; the handler decides the check itself, so the flip is undone first.
// An item of a group (one choice of many, shown with a radio mark) gets its
// check from the window's options after the handler instead (`checks`):
// the group has already moved the check, and a command that did nothing
// must not leave it moved.
QAction* AddItem(QMenu* menu, const char* name, const char* caption, int tag, bool checkable,
                 std::function<void()> handler, QActionGroup* group = nullptr, std::function<void()> checks = {}) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setData(tag);
    a->setCheckable(checkable);
    if (group) group->addAction(a);
    QObject::connect(a, &QAction::triggered, menu,
                     [a, checkable, group, handler = std::move(handler), checks = std::move(checks)] {
                         if (checkable && !group) {
                             const QSignalBlocker block(a);
                             a->setChecked(!a->isChecked());
                         }
                         handler();
                         if (checks) checks();
                     });
    return a;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* m = bar->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

QLineEdit* FocusedEdit() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }

}  // namespace

void TMainWindow::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    ui.File1 = AddMenu(bar, "File1", "&File");
    ui.New1 = AddItem(ui.File1, "New1", "&New", 0, false, Command([this] { OnNew(); }));
    ui.New1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ui.Open1 = AddItem(ui.File1, "Open1", "&Open...", 0, false, Command([this] { OnOpen(); }));
    ui.Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ui.OpenRecent1 = ui.File1->addMenu(QStringLiteral("Open &Recent"));
    ui.OpenRecent1->setObjectName(QStringLiteral("OpenRecent1"));
    ui.OpenRecent1->menuAction()->setObjectName(QStringLiteral("OpenRecent1"));
    ui.Save1 = AddItem(ui.File1, "Save1", "&Save", 0, false, Command([this] { OnSave(); }));
    ui.Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ui.SaveAs1 = AddItem(ui.File1, "SaveAs1", "Save As...", 0, false, Command([this] { OnSaveAs(); }));
    ui.File1->addSeparator();
    ui.Print1 = AddItem(ui.File1, "Print1", "&Print...", 0, false, Command([this] { OnPrint(); }));
    ui.Print1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    ui.ExportImage1 =
        AddItem(ui.File1, "ExportImage1", "&Export Image...", 0, false, Command([this] { OnExportImage(); }));
    ui.File1->addSeparator();
    ui.Manual1 = AddItem(ui.File1, "Manual1", "Manual", 0, false, [this] { Manual1Click(); });
    ui.File1->addSeparator();
    ui.Exit1 = AddItem(ui.File1, "Exit1", "E&xit", 0, false, Command([this] { OnExit(); }));
    ui.Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    ui.Edit1 = AddMenu(bar, "Edit1", "&Edit");
    ui.Cut1 = AddItem(ui.Edit1, "Cut1", "Cu&t", 0, false, [] {
        if (QLineEdit* e = FocusedEdit()) e->cut();
    });
    ui.Cut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    ui.Copy1 = AddItem(ui.Edit1, "Copy1", "&Copy", 0, false, [] {
        if (QLineEdit* e = FocusedEdit()) e->copy();
    });
    ui.Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    ui.Paste1 = AddItem(ui.Edit1, "Paste1", "&Paste", 0, false, [this] {
        // An input edit takes no more than a field holds: nothing is cut.
        QLineEdit* e = FocusedEdit();
        if (!e) return;
        if (e->maxLength() == static_cast<int>(kMaxFieldLength) && fieldGuard_)
            fieldGuard_->Paste(e);
        else
            e->paste();
    });
    ui.Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    ui.Loci1 = AddMenu(bar, "Loci1", "&Loci");
    for (int i = 0; i < kLociCount; ++i) {
        const int tag = kLociItems[i].tag;
        ui.lociItems[i] = AddItem(ui.Loci1, kLociItems[i].name, kLociItems[i].caption, tag, false,
                                  Command([this, tag] { OnLocusItem(tag); }));
    }
    ui.Loci1->addSeparator();
    ui.EraseLoci1 =
        AddItem(ui.Loci1, "EraseLoci1", "Erase these Loci", 14, false, Command([this] { OnEraseLoci(); }));

    const auto checks = [this] { ShowChosenItems(); };
    ui.Backgrounds1 = AddMenu(bar, "Backgrounds1", "&Backgrounds");
    ui.backgroundGroup = new QActionGroup(ui.Backgrounds1);
    ui.backgroundGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int i = 0; i < kBackgroundKinds; ++i) {
        const int tag = kBackgroundItems[i].tag;
        ui.backgroundItems[i] =
            AddItem(ui.Backgrounds1, kBackgroundItems[i].name, kBackgroundItems[i].caption, tag, true,
                    Command([this, tag] { OnColorByFunction(tag); }), ui.backgroundGroup, checks);
    }
    ui.Backgrounds1->addSeparator();
    ui.EraseBackground1 = AddItem(ui.Backgrounds1, "EraseBackground1", "Erase Background", 17, false,
                                  Command([this] { OnEraseBackground(); }));

    ui.Foliations1 = AddMenu(bar, "Foliations1", "F&oliations");
    ui.lineGroup = new QActionGroup(ui.Foliations1);
    ui.lineGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int i = 0; i < kLineKinds; ++i) {
        const int tag = kLineItems[i].tag;
        ui.lineItems[i] = AddItem(ui.Foliations1, kLineItems[i].name, kLineItems[i].caption, tag, true,
                                  Command([this, tag] { OnLineItem(tag); }), ui.lineGroup, checks);
    }
    ui.lineItems[0]->setChecked(true);
    ui.Foliations1->addSeparator();
    ui.Erasetheselines1 = AddItem(ui.Foliations1, "Erasetheselines1", "Erase these lines", 15, false,
                                  Command([this] { OnEraseCurves(); }));
    ui.Foliations1->addSeparator();
    ui.ShowFoliationOne1 = AddItem(ui.Foliations1, "ShowFoliationOne1", "Show Foliation One", 16, true,
                                [this] { OnShowFoliations(16); });
    ui.ShowFoliationTwo1 = AddItem(ui.Foliations1, "ShowFoliationTwo1", "Show Foliation Two", 17, true,
                                [this] { OnShowFoliations(17); });
    ui.ShowFoliationOne1->setChecked(true);
    ui.ShowFoliationTwo1->setChecked(true);
    ui.Foliations1->addSeparator();
    ui.ShowSpecialPoints1 = AddItem(ui.Foliations1, "ShowSpecialPoints1", "Show Special Points", 18, true,
                                    [this] { OnShowSpecialPoints(); });

    ui.View1 = AddMenu(bar, "View1", "&View");
    ui.ColorPalette1 = AddItem(ui.View1, "ColorPalette1", "Color Palette", 0, false, [this] { OnViewPalette(); });
    ui.SurfaceIn3D1 = AddItem(ui.View1, "SurfaceIn3D1", "Surface in 3D", 0, false, [this] { OnViewSurface3D(); });
    if (QString reason; !OpenGLWindowsAvailable(&reason)) {
        ui.SurfaceIn3D1->setText(QStringLiteral("Surface in 3D (no OpenGL here)"));
        ui.SurfaceIn3D1->setStatusTip(reason);
        ui.SurfaceIn3D1->setToolTip(reason);
        ui.SurfaceIn3D1->setEnabled(false);
    }

    // The menus in the font of the controls.
    bar->setFont(InterfaceFont(12));
    for (QMenu* m : bar->findChildren<QMenu*>()) m->setFont(InterfaceFont(12));
}

std::function<void()> TMainWindow::Command(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
        // A command that cannot start now leaves the status of the running one.
        if (!CommandsBlocked()) SetInfoText(QString());
        handler();
    };
}

void TMainWindow::ManageMenus() {
    if (busy()) return;
    ui.Save1->setEnabled(session.alreadyParsed() && session.dirty());
    for (QAction* a : {ui.SaveAs1, ui.Print1, ui.ExportImage1}) a->setEnabled(session.alreadyParsed());
    for (QMenu* m : {ui.Loci1, ui.Backgrounds1, ui.Foliations1}) m->menuAction()->setEnabled(session.alreadyParsed());
    ShowChosenItems();
    // The strong principal lines have no two foliations to choose from.
    ui.ShowFoliationOne1->setEnabled(linesOption_ != TLineClass::StrongPrincipal);
    ui.ShowFoliationTwo1->setEnabled(linesOption_ != TLineClass::StrongPrincipal);
}

void TMainWindow::ShowChosenItems() {
    for (QAction* a : ui.backgroundItems)
        a->setChecked(backgroundType_ && static_cast<int>(*backgroundType_) == a->data().toInt());
    for (QAction* a : ui.lineItems)
        if (linesOption_ == LineClassOfTag(a->data().toInt())) a->setChecked(true);
}

void TMainWindow::OnViewPalette() {
    if (!linePalette) return;
    linePalette->show();
    linePalette->raise();
    linePalette->activateWindow();
}

}  // namespace velmora

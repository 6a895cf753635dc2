// The main menu: items with their captions, Tags and shortcuts, the enabled
// and checked states, and the commands that act on the window's options.
#include "app/FVelmora4.h"

#include "picker/FLinePalette.h"

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

constexpr MenuItemDef kBackgroundItems[7] = {
    {"ColorbyOrigininEllipse1", "Color by Origin in Ellipse", 0},
    {"ColorbyBxC1", "Color by BxC", 1},
    {"ColorbyangleHMajorAxis1", "Color by angle H - Major Axis", 2},
    {"ColorbyGaussCurv1", "Color by Gauss Curv.", 3},
    {"Discrmaxnormaldeviation1", "Color by Discr extr norm deviation", 4},
    {"Discrmaxlateraldeviation1", "Color by Discr extr lat deviation", 5},
    {"ColorbyDiscrStrongPpalDirs1", "Color by Discr Strong Ppal Dirs", 6},
};

constexpr MenuItemDef kLineItems[8] = {
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
QAction* AddItem(QMenu* menu, const char* name, const char* caption, int tag, bool checkable,
                 std::function<void()> handler) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setData(tag);
    a->setCheckable(checkable);
    QObject::connect(a, &QAction::triggered, menu, [a, checkable, handler = std::move(handler)] {
        if (checkable) {
            const QSignalBlocker block(a);
            a->setChecked(!a->isChecked());
        }
        handler();
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

void TVelmora4::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    // The commands whose work is not part of the window yet (documents,
    // printing, the manual, loci, backgrounds, erasing curves) are present
    // with their captions and Tags and return without doing anything.
    const auto none = [] {};

    File1 = AddMenu(bar, "File1", "&File");
    Open1 = AddItem(File1, "Open1", "&Open...", 0, false, none);
    Save1 = AddItem(File1, "Save1", "&Save", 0, false, none);
    SaveAs1 = AddItem(File1, "SaveAs1", "Save As...", 0, false, none);
    File1->addSeparator();
    Print1 = AddItem(File1, "Print1", "&Print...", 0, false, none);
    File1->addSeparator();
    Manual1 = AddItem(File1, "Manual1", "Manual", 0, false, none);
    File1->addSeparator();
    Exit1 = AddItem(File1, "Exit1", "E&xit", 0, false, [this] { OnExit(); });

    Edit1 = AddMenu(bar, "Edit1", "&Edit");
    Cut1 = AddItem(Edit1, "Cut1", "Cu&t", 0, false, [] {
        if (QLineEdit* e = FocusedEdit()) e->cut();
    });
    Cut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    Copy1 = AddItem(Edit1, "Copy1", "&Copy", 0, false, [] {
        if (QLineEdit* e = FocusedEdit()) e->copy();
    });
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste1 = AddItem(Edit1, "Paste1", "&Paste", 0, false, [] {
        if (QLineEdit* e = FocusedEdit()) e->paste();
    });
    Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    Loci1 = AddMenu(bar, "Loci1", "&Loci");
    for (int i = 0; i < kLociCount; ++i)
        lociItems[i] = AddItem(Loci1, kLociItems[i].name, kLociItems[i].caption, kLociItems[i].tag, false, none);
    Loci1->addSeparator();
    EraseLoci1 = AddItem(Loci1, "EraseLoci1", "Erase these Loci", 14, false, none);

    Backgrounds1 = AddMenu(bar, "Backgrounds1", "&Backgrounds");
    for (int i = 0; i < 7; ++i)
        backgroundItems[i] = AddItem(Backgrounds1, kBackgroundItems[i].name, kBackgroundItems[i].caption,
                                     kBackgroundItems[i].tag, true, none);
    Backgrounds1->addSeparator();
    EraseBackground1 = AddItem(Backgrounds1, "EraseBackground1", "Erase Background", 17, false, none);

    Foliations1 = AddMenu(bar, "Foliations1", "F&oliations");
    for (int i = 0; i < 8; ++i) {
        const int tag = kLineItems[i].tag;
        lineItems[i] = AddItem(Foliations1, kLineItems[i].name, kLineItems[i].caption, tag, true,
                               [this, tag] { OnLineItem(tag); });
    }
    lineItems[0]->setChecked(true);
    Foliations1->addSeparator();
    Erasetheselines1 = AddItem(Foliations1, "Erasetheselines1", "Erase these lines", 15, false, none);
    Foliations1->addSeparator();
    ShowFoliationOne1 = AddItem(Foliations1, "ShowFoliationOne1", "Show Foliation One", 16, true,
                                [this] { OnShowFoliations(16); });
    ShowFoliationTwo1 = AddItem(Foliations1, "ShowFoliationTwo1", "Show Foliation Two", 17, true,
                                [this] { OnShowFoliations(17); });
    ShowFoliationOne1->setChecked(true);
    ShowFoliationTwo1->setChecked(true);

    View1 = AddMenu(bar, "View1", "&View");
    ColorPalette1 = AddItem(View1, "ColorPalette1", "Color Palette", 0, false, [this] { OnViewPalette(); });
}

void TVelmora4::ManageMenus() {
    if (busy) return;
    Save1->setEnabled(alreadyParsed && dirty);
    for (QAction* a : {SaveAs1, Print1}) a->setEnabled(alreadyParsed);
    for (QMenu* m : {Loci1, Backgrounds1, Foliations1}) m->menuAction()->setEnabled(alreadyParsed);
    for (QAction* a : backgroundItems) a->setChecked(backgroundType == a->data().toInt());
    for (QAction* a : lineItems) a->setChecked(linesOption == a->data().toInt());
    ShowFoliationOne1->setEnabled(linesOption != 7);
    ShowFoliationTwo1->setEnabled(linesOption != 7);
}

void TVelmora4::OnLineItem(int tag) {
    if (busy) return;
    linesOption = tag;
    switch (tag) {
        case 0: curvesParts = 0; break;
        case 1:
        case 5:
        case 6: curvesParts = 8; break;
        case 7: curvesParts = 10; break;
        default: curvesParts = 4; break;
    }
    ManageMenus();
}

void TVelmora4::OnShowFoliations(int tag) {
    QAction* item = tag == 16 ? ShowFoliationOne1 : tag == 17 ? ShowFoliationTwo1 : nullptr;
    if (!item) return;
    item->setChecked(!item->isChecked());
    showFoliations = static_cast<uint8_t>(2 * (ShowFoliationTwo1->isChecked() ? 1 : 0) +
                                          (ShowFoliationOne1->isChecked() ? 1 : 0));
}

void TVelmora4::OnViewPalette() {
    if (!linePalette) return;
    linePalette->show();
    linePalette->raise();
    linePalette->activateWindow();
}

void TVelmora4::OnExit() {
    if (busy) return;
    close();
}

}  // namespace velmora

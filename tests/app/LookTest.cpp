// The window as a well-kept Qt program: one interface font for menus and
// controls, radio marks for the choices of one of many, a data table
// without an empty strip under its last row, and the program's icon.
#include "WindowFixture.h"

#include <QActionGroup>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

using namespace velmora;

namespace {

TEST_F(WindowTest, MenusAndControlsShareOneFont) {
    const QFont controls = C().InfoBar->font();
    EXPECT_EQ(W().menuBar()->font().family(), controls.family());
    EXPECT_EQ(W().menuBar()->font().pixelSize(), controls.pixelSize());
    // The windows carry the program's icon.
    EXPECT_FALSE(W().windowIcon().pixmap(48, 48).isNull());
    for (QMenu* menu : W().menuBar()->findChildren<QMenu*>()) {
        EXPECT_EQ(menu->font().family(), controls.family()) << menu->objectName().toStdString();
        EXPECT_EQ(menu->font().pixelSize(), controls.pixelSize()) << menu->objectName().toStdString();
    }
}

TEST_F(WindowTest, TheLineKindAndTheBackgroundAreChoicesOfOneWithRadioMarks) {
    ASSERT_TRUE(W().ReadData());
    for (QAction* a : C().lineItems) {
        ASSERT_NE(a->actionGroup(), nullptr);
        EXPECT_EQ(a->actionGroup()->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
    }
    for (QAction* a : C().backgroundItems) {
        ASSERT_NE(a->actionGroup(), nullptr);
        // No background at all is a choice too.
        EXPECT_EQ(a->actionGroup()->exclusionPolicy(), QActionGroup::ExclusionPolicy::ExclusiveOptional);
    }
    // The loci are drawn together: no group.
    for (QAction* a : C().lociItems) EXPECT_EQ(a->actionGroup(), nullptr);

    // Choosing the same kind twice keeps it chosen.
    C().lineItems[2]->trigger();
    C().lineItems[2]->trigger();
    EXPECT_EQ(C().lineGroup->checkedAction(), C().lineItems[2]);
    // A choice made while a background is computed does nothing: the mark stays.
    C().backgroundItems[6]->trigger();
    ASSERT_TRUE(W().busy());
    C().lineItems[4]->trigger();
    C().backgroundItems[1]->trigger();
    EXPECT_EQ(C().lineGroup->checkedAction(), C().lineItems[2]);
    EXPECT_EQ(C().backgroundGroup->checkedAction(), C().backgroundItems[6]);
    W().OnEnterButton();
    ASSERT_TRUE(WaitUntilIdle());
    C().EraseBackground1->trigger();
    EXPECT_EQ(C().backgroundGroup->checkedAction(), nullptr);
}

TEST_F(WindowTest, TheDataTableEndsWithItsLastRow) {
    W().show();
    QApplication::processEvents();
    TValueList* table = C().FunctionValues1;
    EXPECT_EQ(table->geometry(), QRect(556, 2, 225, 204));
    const int last = table->rowCount() - 1;
    EXPECT_EQ(table->rowViewportPosition(last) + table->rowHeight(last), table->viewport()->height());
    EXPECT_GE(table->rowHeight(0), 16);
    EXPECT_GE(table->horizontalHeader()->height(), 15);
    for (int r = 1; r <= last; ++r) EXPECT_EQ(table->rowHeight(r), table->rowHeight(0));
}

}  // namespace

#include "WindowFixture.h"

#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include <cmath>
#include <numbers>

using namespace velmora;

namespace {

void SetFields(TVelmora4& w, const char* const texts[8]) {
    QLineEdit* const edits[8] = {w.xEdit, w.yEdit, w.zEdit, w.wEdit, w.uMinEdit, w.uMaxEdit, w.vMinEdit, w.vMaxEdit};
    for (int i = 0; i < 8; ++i) edits[i]->setText(QString::fromUtf8(texts[i]));
}

}  // namespace

TEST_F(WindowTest, StartsUnreadWithTheDefaultSurfaceInTheEdits) {
    EXPECT_EQ(W().windowTitle(), "VelmoraR4");
    EXPECT_EQ(W().xEdit->text(), kDefaultTexts[0]);
    EXPECT_EQ(W().wEdit->text(), kDefaultTexts[3]);
    EXPECT_EQ(W().uMaxEdit->text(), "2 pi");
    EXPECT_EQ(W().vMaxEdit->text(), "2.2");
    EXPECT_FALSE(W().alreadyParsed);
    EXPECT_EQ(W().InputStrs[0], "vm4");
    EXPECT_EQ(W().InputStrs[1], "Quorvel Dastimaro-Ulbenki");
    EXPECT_EQ(W().InputStrs[3], "8");
    EXPECT_EQ(W().numOfCPU, LogicalProcessorCount());
    EXPECT_EQ(static_cast<int>(W().threadSets.size()), W().numOfCPU);
    EXPECT_EQ(W().bm.size(), QSize(548, 548));
    EXPECT_EQ(W().bm.format(), QImage::Format_RGB32);
    // Mouse moves before the first read do nothing.
    MoveOverMainPanel(300, 300);
    EXPECT_EQ(W().FunctionValues1->RowText(0), "u =");
}

TEST_F(WindowTest, EnterOnTheDefaultSurfaceSucceedsAndEnablesTheMenus) {
    W().InfoBar->setEnabled(true);
    W().Loci1->menuAction()->setEnabled(false);  // as if an earlier state had disabled them
    ASSERT_TRUE(W().ReadData());
    EXPECT_TRUE(W().alreadyParsed);
    EXPECT_TRUE(W().dirty);
    EXPECT_TRUE(beeps.empty());
    EXPECT_EQ(W().InfoText(), "");
    EXPECT_TRUE(W().Save1->isEnabled());
    EXPECT_TRUE(W().SaveAs1->isEnabled());
    EXPECT_TRUE(W().Print1->isEnabled());
    EXPECT_TRUE(W().Loci1->menuAction()->isEnabled());
    EXPECT_TRUE(W().Backgrounds1->menuAction()->isEnabled());
    EXPECT_TRUE(W().Foliations1->menuAction()->isEnabled());
    EXPECT_TRUE(W().lineItems[0]->isChecked());
    for (QAction* a : W().backgroundItems) EXPECT_FALSE(a->isChecked());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(W().InputStrs[4 + i], kDefaultTexts[i]) << i;

    // The map of [0, 2 pi] x [0, 2.2] onto the 548-pixel square.
    const double span = std::hypot(2 * std::numbers::pi, 2.2);
    EXPECT_DOUBLE_EQ(W().map.span2D, span);
    EXPECT_DOUBLE_EQ(W().map.radius2D, span / 1096);
    EXPECT_DOUBLE_EQ(W().map.maxSegLen, 5 * span / 1096);
    EXPECT_DOUBLE_EQ(W().map.cX, 548 / (2 * std::numbers::pi));
    EXPECT_DOUBLE_EQ(W().map.cY, 548 / 2.2);
    EXPECT_DOUBLE_EQ(W().map.qx, 0.0);
    EXPECT_DOUBLE_EQ(W().map.qy, 548.0);
    const Vector2 topLeft = W().FromWindowToR2(0, 0);
    EXPECT_NEAR(topLeft[0], 0, 1e-12);
    EXPECT_NEAR(topLeft[1], 2.2, 1e-12);
}

TEST_F(WindowTest, AWideFlatDomainStillFillsTheSquare) {
    const char* texts[8] = {"u", "v", "u v", "u - v", "0", "10", "0", "1"};
    SetFields(W(), texts);
    ASSERT_TRUE(W().ReadData());
    EXPECT_DOUBLE_EQ(W().map.cX, 54.8);
    EXPECT_DOUBLE_EQ(W().map.cY, 548);
}

TEST_F(WindowTest, EachKindOfBadFieldFailsWithTheToneAndTheStatusText) {
    struct Case {
        int field;
        const char* text;
    };
    const Case cases[] = {
        {0, "   "},                // blank
        {1, ""},                   // empty
        {2, "cos(u) + $"},         // illegal character
        {3, "u +"},                // syntax
        {0, "sine(u)"},            // unknown name
        {1, "(u + v"},             // parentheses
        {2, "u \xE2\x88\x99 v"},   // outside Latin-1: becomes an illegal character
        {3, "u \xC2\xB7 v"},       // a Latin-1 character that is not in the language
        {4, "u"},                  // a bound with a variable
        {5, "\t "},                // blank bound
        {7, "(2"},                 // bound parentheses
    };
    for (const Case& c : cases) {
        SetFields(W(), kDefaultTexts);
        ASSERT_TRUE(W().ReadData());
        QLineEdit* const edits[8] = {W().xEdit, W().yEdit, W().zEdit, W().wEdit,
                                     W().uMinEdit, W().uMaxEdit, W().vMinEdit, W().vMaxEdit};
        edits[c.field]->setText(QString::fromUtf8(c.text));
        beeps.clear();
        EXPECT_FALSE(W().ReadData()) << c.text;
        EXPECT_EQ(W().InfoText(), "Error reading an edit field") << c.text;
        ASSERT_EQ(beeps.size(), 1u) << c.text;
        EXPECT_EQ(beeps[0], std::make_pair(100, 100));
        EXPECT_FALSE(W().alreadyParsed);
        // No input is lost: the edit keeps what was typed (trimmed).
        EXPECT_EQ(edits[c.field]->text(), QString::fromUtf8(c.text).trimmed()) << c.text;
    }
}

TEST_F(WindowTest, BoundsMustIncrease) {
    const char* reversed[8] = {kDefaultTexts[0], kDefaultTexts[1], kDefaultTexts[2], kDefaultTexts[3],
                               "2 pi", "0", "0", "2.2"};
    SetFields(W(), reversed);
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(W().InfoText(), "Error reading an edit field");

    const char* equalU[8] = {"u", "v", "u", "v", "1", "2/2", "0", "1"};
    SetFields(W(), equalU);
    EXPECT_FALSE(W().ReadData());
    const char* equalV[8] = {"u", "v", "u", "v", "0", "1", "cos(0)", "1"};
    SetFields(W(), equalV);
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(beeps.size(), 3u);

    // Bounds read before the failing check stay read.
    EXPECT_DOUBLE_EQ(W().map.min2D[0], 0);
    EXPECT_DOUBLE_EQ(W().map.max2D[0], 1);
    EXPECT_DOUBLE_EQ(W().map.min2D[1], 1);
    EXPECT_DOUBLE_EQ(W().map.max2D[1], 1);

    const char* good[8] = {"u", "v", "u", "v", "0", "1", "-1", "cos(pi/sqrt(5))"};
    SetFields(W(), good);
    EXPECT_TRUE(W().ReadData());
    EXPECT_DOUBLE_EQ(W().map.max2D[1], std::cos(std::numbers::pi / std::sqrt(5.0)));
}

TEST_F(WindowTest, BlanksAroundAFieldAreTrimmedAndWhatWasReadStaysDone) {
    const char* texts[8] = {"  u \t", "\tv", "u*v ", "x", "0", "1", "0", "1"};  // "x" is not a variable
    SetFields(W(), texts);
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(W().xEdit->text(), "u");
    EXPECT_EQ(W().yEdit->text(), "v");
    EXPECT_EQ(W().zEdit->text(), "u*v");
    EXPECT_EQ(W().InputStrs[4], "u");
    EXPECT_EQ(W().InputStrs[6], "u*v");
    EXPECT_EQ(W().InputStrs[7], "");
    W().wEdit->setText(" u+v ");
    EXPECT_TRUE(W().ReadData());
    EXPECT_EQ(W().InputStrs[7], "u+v");
}

TEST_F(WindowTest, AFailedReadKeepsTheMenusButBlocksTheSurfaceCommands) {
    ASSERT_TRUE(W().ReadData());
    MoveOverMainPanel(300, 300);
    const auto shown = DataRows();
    W().uMinEdit->setText("9");
    EXPECT_FALSE(W().ReadData());
    EXPECT_TRUE(W().Loci1->menuAction()->isEnabled());  // ManageMenus is not run
    MoveOverMainPanel(310, 310);
    EXPECT_EQ(DataRows(), shown);
    EXPECT_FALSE(W().OnKeyDownInForm(Qt::Key_Up, Qt::NoModifier, false));
}

TEST_F(WindowTest, EnterButtonReadsAndStopsWhileBusy) {
    W().EnterButton->click();
    EXPECT_TRUE(W().alreadyParsed);
    W().BeginWatch();
    EXPECT_EQ(W().EnterButton->text(), "Stop");
    EXPECT_FALSE(W().stop);
    W().xEdit->setText("u +");
    W().EnterButton->click();  // Stop: the fields are not read
    EXPECT_TRUE(W().stop);
    EXPECT_TRUE(W().alreadyParsed);
    EXPECT_FALSE(W().ReadData());
    EXPECT_TRUE(beeps.empty());
    W().EndWatch();
    EXPECT_EQ(W().EnterButton->text(), "Enter");
    EXPECT_FALSE(W().busy);
}

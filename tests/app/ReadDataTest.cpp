#include "WindowFixture.h"

#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include <cmath>
#include <numbers>

using namespace velmora;

namespace {

void SetFields(TMainWindow& w, const char* const texts[8]) {
    QLineEdit* const edits[8] = {w.Controls().xEdit, w.Controls().yEdit, w.Controls().zEdit, w.Controls().wEdit, w.Controls().uMinEdit, w.Controls().uMaxEdit, w.Controls().vMinEdit, w.Controls().vMaxEdit};
    for (int i = 0; i < 8; ++i) edits[i]->setText(QString::fromUtf8(texts[i]));
}

}  // namespace

TEST_F(WindowTest, StartsUnreadWithTheDefaultSurfaceInTheEdits) {
    EXPECT_EQ(W().windowTitle(), "VelmoraR4");
    EXPECT_EQ(C().xEdit->text(), kDefaultTexts[0]);
    EXPECT_EQ(C().wEdit->text(), kDefaultTexts[3]);
    EXPECT_EQ(C().uMaxEdit->text(), "2 pi");
    EXPECT_EQ(C().vMaxEdit->text(), "2.2");
    EXPECT_FALSE(W().Session().alreadyParsed());
    EXPECT_EQ(W().Session().InputStrs()[0], "vm4");
    EXPECT_EQ(W().Session().InputStrs()[1], "Quorvel Dastimaro-Ulbenki");
    EXPECT_EQ(W().Session().InputStrs()[3], "8");
    EXPECT_EQ(W().Session().numOfCPU(), LogicalProcessorCount());
    EXPECT_EQ(static_cast<int>(W().Session().WorkerSets().size()), W().Session().numOfCPU());
    EXPECT_EQ(W().MainPanel().bm().size(), QSize(548, 548));
    EXPECT_EQ(W().MainPanel().bm().format(), QImage::Format_RGB32);
    // Mouse moves before the first read do nothing.
    MoveOverMainPanel(300, 300);
    EXPECT_EQ(C().FunctionValues1->RowText(0), "u =");
}

TEST_F(WindowTest, EnterOnTheDefaultSurfaceSucceedsAndEnablesTheMenus) {
    C().InfoBar->setEnabled(true);
    C().Loci1->menuAction()->setEnabled(false);  // as if an earlier state had disabled them
    ASSERT_TRUE(W().ReadData());
    EXPECT_TRUE(W().Session().alreadyParsed());
    EXPECT_TRUE(W().Session().dirty());
    EXPECT_TRUE(beeps.empty());
    EXPECT_EQ(W().InfoText(), "");
    EXPECT_TRUE(C().Save1->isEnabled());
    EXPECT_TRUE(C().SaveAs1->isEnabled());
    EXPECT_TRUE(C().Print1->isEnabled());
    EXPECT_TRUE(C().Loci1->menuAction()->isEnabled());
    EXPECT_TRUE(C().Backgrounds1->menuAction()->isEnabled());
    EXPECT_TRUE(C().Foliations1->menuAction()->isEnabled());
    EXPECT_TRUE(C().lineItems[0]->isChecked());
    for (QAction* a : C().backgroundItems) EXPECT_FALSE(a->isChecked());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(W().Session().InputStrs()[4 + i], kDefaultTexts[i]) << i;

    // The map of [0, 2 pi] x [0, 2.2] onto the 548-pixel square.
    const double span = std::hypot(2 * std::numbers::pi, 2.2);
    EXPECT_DOUBLE_EQ(W().Session().Map().span2D, span);
    EXPECT_DOUBLE_EQ(W().Session().Map().radius2D, span / 1096);
    EXPECT_DOUBLE_EQ(W().Session().Map().maxSegLen, 5 * span / 1096);
    EXPECT_DOUBLE_EQ(W().Session().Map().cX, 548 / (2 * std::numbers::pi));
    EXPECT_DOUBLE_EQ(W().Session().Map().cY, 548 / 2.2);
    EXPECT_DOUBLE_EQ(W().Session().Map().qx, 0.0);
    EXPECT_DOUBLE_EQ(W().Session().Map().qy, 548.0);
    const Vector2 topLeft = W().FromWindowToR2(0, 0);
    EXPECT_NEAR(topLeft[0], 0, 1e-12);
    EXPECT_NEAR(topLeft[1], 2.2, 1e-12);
}

TEST_F(WindowTest, AWideFlatDomainStillFillsTheSquare) {
    const char* texts[8] = {"u", "v", "u v", "u - v", "0", "10", "0", "1"};
    SetFields(W(), texts);
    ASSERT_TRUE(W().ReadData());
    EXPECT_DOUBLE_EQ(W().Session().Map().cX, 54.8);
    EXPECT_DOUBLE_EQ(W().Session().Map().cY, 548);
}

TEST_F(WindowTest, EachKindOfBadFieldFailsWithTheToneAndTheStatusText) {
    struct Case {
        int field;
        const char* text;
        const char* message;  // after "Error reading an edit field: "
    };
    const Case cases[] = {
        {0, "   ", "x(u,v): An edit field is blank"},                                  // blank
        {1, "", "y(u,v): An edit field is blank"},                                     // empty
        {2, "cos(u) + $", "z(u,v): You have used an illegal character."},              // illegal character
        {3, "u +", "w(u,v): There is a sintax fault in the formula."},                 // syntax
        {0, "sine(u)", "x(u,v): You mispelled a function or variable"},                // unknown name
        {1, "(u + v", "y(u,v): Check the parentheses, please."},                       // parentheses
        {2, "u \xE2\x88\x99 v", "z(u,v): You have used an illegal character."},     // outside Latin-1
        {3, "u \xC2\xB7 v", "w(u,v): You have used an illegal character."},          // Latin-1, not in the language
        {4, "u", "uMin: You have used an illegal character."},                         // a bound with a variable
        {5, "\t ", "uMax: An edit field is blank"},                                   // blank bound
        {7, "(2", "vMax: Check the parentheses, please."},                             // bound parentheses
    };
    for (const Case& c : cases) {
        SetFields(W(), kDefaultTexts);
        ASSERT_TRUE(W().ReadData());
        QLineEdit* const edits[8] = {C().xEdit, C().yEdit, C().zEdit, C().wEdit,
                                     C().uMinEdit, C().uMaxEdit, C().vMinEdit, C().vMaxEdit};
        edits[c.field]->setText(QString::fromUtf8(c.text));
        beeps.clear();
        EXPECT_FALSE(W().ReadData()) << c.text;
        // The old text and tone, then the field and the engine's reason.
        EXPECT_EQ(W().InfoText(), QStringLiteral("Error reading an edit field: ") + QString::fromUtf8(c.message))
            << c.text;
        ASSERT_EQ(beeps.size(), 1u) << c.text;
        EXPECT_EQ(beeps[0], std::make_pair(100, 100));
        EXPECT_FALSE(W().Session().alreadyParsed());
        // No input is lost: the edit keeps what was typed (trimmed).
        EXPECT_EQ(edits[c.field]->text(), QString::fromUtf8(c.text).trimmed()) << c.text;
    }
}

TEST_F(WindowTest, BoundsMustIncrease) {
    const char* reversed[8] = {kDefaultTexts[0], kDefaultTexts[1], kDefaultTexts[2], kDefaultTexts[3],
                               "2 pi", "0", "0", "2.2"};
    SetFields(W(), reversed);
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(W().InfoText(), "Error reading an edit field: uMax: The minimum of 'u' must be less than its maximum");

    const char* equalU[8] = {"u", "v", "u", "v", "1", "2/2", "0", "1"};
    SetFields(W(), equalU);
    EXPECT_FALSE(W().ReadData());
    const char* equalV[8] = {"u", "v", "u", "v", "0", "1", "cos(0)", "1"};
    SetFields(W(), equalV);
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(beeps.size(), 3u);

    // Bounds read before the failing check stay read.
    EXPECT_DOUBLE_EQ(W().Session().Map().min2D[0], 0);
    EXPECT_DOUBLE_EQ(W().Session().Map().max2D[0], 1);
    EXPECT_DOUBLE_EQ(W().Session().Map().min2D[1], 1);
    EXPECT_DOUBLE_EQ(W().Session().Map().max2D[1], 1);

    const char* good[8] = {"u", "v", "u", "v", "0", "1", "-1", "cos(pi/sqrt(5))"};
    SetFields(W(), good);
    EXPECT_TRUE(W().ReadData());
    EXPECT_DOUBLE_EQ(W().Session().Map().max2D[1], std::cos(std::numbers::pi / std::sqrt(5.0)));
}

TEST_F(WindowTest, BlanksAroundAFieldAreTrimmedAndWhatWasReadStaysDone) {
    const char* texts[8] = {"  u \t", "\tv", "u*v ", "x", "0", "1", "0", "1"};  // "x" is not a variable
    SetFields(W(), texts);
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(C().xEdit->text(), "u");
    EXPECT_EQ(C().yEdit->text(), "v");
    EXPECT_EQ(C().zEdit->text(), "u*v");
    EXPECT_EQ(W().Session().InputStrs()[4], "u");
    EXPECT_EQ(W().Session().InputStrs()[6], "u*v");
    EXPECT_EQ(W().Session().InputStrs()[7], "");
    C().wEdit->setText(" u+v ");
    EXPECT_TRUE(W().ReadData());
    EXPECT_EQ(W().Session().InputStrs()[7], "u+v");
}

TEST_F(WindowTest, AFailedReadKeepsTheMenusButBlocksTheSurfaceCommands) {
    ASSERT_TRUE(W().ReadData());
    MoveOverMainPanel(300, 300);
    const auto shown = DataRows();
    C().uMinEdit->setText("9");
    EXPECT_FALSE(W().ReadData());
    EXPECT_TRUE(C().Loci1->menuAction()->isEnabled());  // ManageMenus is not run
    MoveOverMainPanel(310, 310);
    EXPECT_EQ(DataRows(), shown);
    EXPECT_FALSE(W().OnKeyDownInForm(Qt::Key_Up, Qt::NoModifier, false));
}

TEST_F(WindowTest, EnterButtonReadsAndStopsWhileBusy) {
    C().EnterButton->click();
    EXPECT_TRUE(W().Session().alreadyParsed());
    W().BeginWatch();
    EXPECT_EQ(C().EnterButton->text(), "Stop");
    EXPECT_FALSE(W().stop());
    C().xEdit->setText("u +");
    C().EnterButton->click();  // Stop: the fields are not read
    EXPECT_TRUE(W().stop());
    EXPECT_TRUE(W().Session().alreadyParsed());
    EXPECT_FALSE(W().ReadData());
    EXPECT_TRUE(beeps.empty());
    W().EndWatch();
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_FALSE(W().busy());
}

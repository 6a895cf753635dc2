// What the window says and keeps while a user works: long fields are refused
// by name instead of cut, a field that cannot be read gets the cursor, a
// surface whose values overflow says so, invariants that vanish everywhere
// are reported instead of drawn, the status text of one command goes when
// the next starts, and a locus is traced while the window goes on.
#include "WindowFixture.h"

#include "session/SurfaceSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// The complex curve (z, z^2): a circle for ellipse and H = 0 everywhere.
const std::array<const char*, 8> kComplexCurve = {"u", "v", "u^2-v^2", "2 u v", "-1", "1", "-1", "1"};

void PasteKey(QLineEdit* edit) {
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(edit, &paste);
}

}  // namespace

TEST_F(WindowTest, APasteLongerThanAFieldTakesIsRefusedByNameNotCut) {
    for (QLineEdit* edit : C().InputEdits()) EXPECT_EQ(edit->maxLength(), 65536);
    // 56,000 characters go in whole and are read.
    QString sum = QStringLiteral("u");
    while (sum.size() + 2 <= 56000) sum += QStringLiteral("+1");
    QApplication::clipboard()->setText(sum);
    C().zEdit->selectAll();
    PasteKey(C().zEdit);
    EXPECT_EQ(C().zEdit->text(), sum);
    EXPECT_TRUE(W().ReadData()) << W().InfoText().toStdString();

    // 70,000 do not fit: nothing is inserted, and the status bar says why.
    QApplication::clipboard()->setText(QString(70000, QLatin1Char('1')));
    C().zEdit->setText(QStringLiteral("u v"));
    C().zEdit->selectAll();
    PasteKey(C().zEdit);
    EXPECT_EQ(C().zEdit->text(), "u v");
    EXPECT_EQ(W().InfoText(), "z(u,v) takes at most 65536 characters: nothing was inserted (the text would have 70000)");
    // The same through Edit > Paste on the focused edit.
    W().show();
    W().activateWindow();
    C().wEdit->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() == C().wEdit) {
        W().SetInfoText(QString());
        C().Paste1->trigger();
        EXPECT_EQ(C().wEdit->text().toStdString(), kDefaultTexts[3]);
        EXPECT_TRUE(W().InfoText().startsWith("w(u,v) takes at most 65536 characters")) << W().InfoText().toStdString();
    }
}

TEST_F(WindowTest, TheFieldThatCannotBeReadGetsTheCursor) {
    W().show();
    W().activateWindow();
    C().xEdit->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != C().xEdit) GTEST_SKIP() << "no keyboard focus on this platform";
    C().vMinEdit->setText("10^400");
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(W().InfoText(), "Error reading an edit field: vMin: The minimum of 'v' is not a finite number");
    EXPECT_EQ(QApplication::focusWidget(), C().vMinEdit);
    C().vMinEdit->setText("0");
    C().zEdit->setText("sin(");
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(QApplication::focusWidget(), C().zEdit);
}

TEST_F(WindowTest, ValuesThatOverflowEverywhereAreAnErrorNotADeadPanel) {
    std::array<const char*, 8> texts = {kDefaultTexts[0], kDefaultTexts[1], kDefaultTexts[2], "10^400 u v",
                                        "0",              "2 pi",           "0",              "2.2"};
    beeps.clear();
    EXPECT_FALSE(ReadSurface(texts));
    EXPECT_EQ(W().InfoText(), "Error reading an edit field: The values of w(u,v) are not finite numbers on the domain");
    EXPECT_EQ(beeps.size(), 1u);
    EXPECT_FALSE(W().Session().alreadyParsed());
}

TEST_F(WindowTest, InvariantsThatVanishEverywhereAreReportedNotDrawn) {
    ASSERT_TRUE(ReadSurface(kComplexCurve));
    const char* const vanishes = "The discriminant of the strong principal directions vanishes on the whole domain";
    C().lociItems[6]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), vanishes);
    EXPECT_TRUE(W().Session().Stores().loci()[6].empty());
    EXPECT_EQ(CountPanelPixels(0xC0C0C0), 0);

    // The background is the colour of zero wherever it is defined, no speckle.
    C().backgroundItems[6]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), vanishes);
    const TColor zero = PanelPixel(274, 274);
    EXPECT_EQ(CountPanelPixels(zero) + CountPanelPixels(0xFFFFFF), 548 * 548);

    // A family without directions anywhere says so where a click would trace it.
    C().lineItems[3]->trigger();
    ClickMainPanel(200, 300);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(),
              "There are no mean curvature lines: the form of their directions vanishes on the whole domain");
    EXPECT_TRUE(W().Session().Stores().lines().empty());
}

TEST_F(WindowTest, TheStatusOfACommandGoesWhenTheNextStarts) {
    ASSERT_TRUE(W().ReadData());
    C().backgroundItems[3]->trigger();
    W().OnEnterButton();  // Stop
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_TRUE(W().InfoText().startsWith("Background: ")) << W().InfoText().toStdString();
    C().EraseBackground1->trigger();
    EXPECT_EQ(W().InfoText(), QString());

    W().SetInfoText(QStringLiteral("Image saved as /tmp/k.png"));
    C().EraseLoci1->trigger();
    EXPECT_EQ(W().InfoText(), QString());
}

TEST_F(WindowTest, ALocusIsTracedWhileTheWindowGoesOnAndStopKeepsWhatWasFound) {
    ASSERT_TRUE(W().ReadData());
    // The knots a trace on this thread gives, for comparison.
    TSurfaceSession reference(0);
    ASSERT_TRUE(reference.ReadData().ok);
    ASSERT_TRUE(reference.TraceLocus(TLocusKind::GaussCurvature));

    C().lociItems[3]->trigger();
    EXPECT_TRUE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Stop");
    // Meanwhile no command that would use the engines starts.
    C().backgroundItems[3]->trigger();
    EXPECT_FALSE(W().Background().Running());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), QString());
    const wireKnots& knots = W().Session().Stores().loci()[3];
    ASSERT_EQ(knots.size(), reference.Stores().loci()[3].size());
    for (std::size_t k = 0; k < knots.size(); ++k) {
        EXPECT_EQ(knots[k].key, reference.Stores().loci()[3][k].key);
        EXPECT_EQ(knots[k].pos, reference.Stores().loci()[3][k].pos);
    }

    // Stopped at once: the status bar says how far the scan came.
    C().lociItems[6]->trigger();
    ASSERT_TRUE(W().busy());
    W().OnEnterButton();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(W().InfoText().startsWith("Locus stopped: ")) << W().InfoText().toStdString();
    EXPECT_TRUE(W().InfoText().endsWith(" of 1600 cells scanned")) << W().InfoText().toStdString();
}

TEST_F(ScriptedWindowTest, APageThatCapsTheBackgroundSaysSo) {
    ASSERT_TRUE(W().ReadData());
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    dialogs->configure = [](TPageSetupDialog& form) {
        form.ColorBackCheck->setChecked(true);
        form.ResolutionEdit->setText(QStringLiteral("1200"));
        return true;
    };
    // A page of 5 cm at 600 dots per inch: 1181 dots wide, of which the
    // background may take nine tenths at most.
    const QString pdf = PathOf("page.pdf");
    dialogs->setupPrinter = [pdf](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QSizeF(50, 50), QPageSize::Millimeter));
        p.setFullPage(true);
        return true;
    };
    C().Print1->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    const QString text = W().InfoText();
    EXPECT_TRUE(text.startsWith("The page background has ")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(" pixels per line, the most this page takes (1200 were asked)")) << text.toStdString();
    const int side = text.section(QLatin1Char(' '), 4, 4).toInt();
    EXPECT_GT(side, 500);
    EXPECT_LT(side, 1200);
    EXPECT_TRUE(std::filesystem::exists(dir / "page.pdf"));
}

TEST_F(WindowTest, ClosingWhileALocusIsTracedStopsItAndLeavesTheWindowIdle) {
    W().show();
    ASSERT_TRUE(W().ReadData());
    C().lociItems[6]->trigger();
    ASSERT_TRUE(W().busy());
    dialogs->confirmAnswers = {TConfirmAnswer::No};
    EXPECT_TRUE(W().close());
    EXPECT_FALSE(W().busy());
    EXPECT_FALSE(W().Locus().Running());
    // Its end, if it was on its way, changes nothing.
    QApplication::processEvents();
    EXPECT_TRUE(W().Session().Stores().loci()[6].empty());
    W().show();
    C().lociItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_GT(W().Session().Stores().loci()[3].size(), 3u);
}

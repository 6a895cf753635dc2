// File > Print... through the page dialog and the system print dialog,
// printing into a PDF file as Qt's print dialog offers; and File > Manual.
#include "WindowFixture.h"
#include "session/SurfaceInput.h"
#include "tests/TestFolder.h"

#include "app/ManualWindow.h"
#include "app/ResourceStrings.h"
#include "tests/printing/PdfPages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace velmora;

namespace {

// A printer that writes an A4 PDF file without margins.
std::function<bool(QPrinter&)> PrintToPdf(const QString& path, int copies) {
    return [path, copies](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(path);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setFullPage(true);
        p.setCopyCount(copies);
        return true;
    };
}

}  // namespace

TEST_F(ScriptedWindowTest, PrintingIntoAPdfFileGivesOnePagePerCopy) {
    REQUIRE_POPPLER();
    ASSERT_TRUE(W().ReadData());
    dialogs->configure = [](TPageSetupDialog& form) {
        form.ColorBackCheck->setChecked(false);
        return true;
    };
    dialogs->setupPrinter = PrintToPdf(PathOf("page.pdf"), 2);
    C().Print1->trigger();
    EXPECT_EQ(dialogs->pages, 1);
    EXPECT_EQ(dialogs->printers, 1);
    EXPECT_EQ(W().PrintSettings().prTitle, "VelmoraR4");  // the caption, proposed by the dialog
    // The pages are drawn on a thread of their own.
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_FALSE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_EQ(W().InfoText(), QString());

    const std::filesystem::path pdf = dir / "page.pdf";
    ASSERT_EQ(pdfpages::PageCount(pdf), 2);
    for (int n : {1, 2}) {
        // The page of the printing tests: the frame at x 40 and 786, y 166 and 912 at 100 dpi.
        const pdfpages::Page page = pdfpages::Render(pdf, n, 100);
        EXPECT_TRUE(page.DarkNear(40, 500, 3) && page.DarkNear(786, 500, 3)) << "page " << n;
        EXPECT_TRUE(page.DarkNear(400, 166, 3) && page.DarkNear(400, 912, 3)) << "page " << n;
        EXPECT_GT(page.DarkIn(300, 125, 527, 163), 20) << "the title on page " << n;
        EXPECT_GT(page.DarkIn(100, 915, 727, 1040), 200) << "the equations on page " << n;
    }
}

// The page of a surface with the Gauss-curvature background chosen, the page
// background computed by the window's workers at `resolution` pixels.
class PageBackgroundTest : public ScriptedWindowTest {
protected:
    void PrintWithBackground(int resolution) {
        CreateWindow(2);
        ASSERT_TRUE(W().ReadData());
        W().OnColorByFunction(3);
        ASSERT_TRUE(WaitUntilIdle());
        dialogs->configure = [resolution](TPageSetupDialog& form) {
            form.ColorBackCheck->setChecked(true);
            form.ResolutionEdit->setText(QString::number(resolution));
            return true;
        };
        dialogs->setupPrinter = PrintToPdf(PathOf("page.pdf"), 1);
        C().Print1->trigger();
    }
};

TEST_F(PageBackgroundTest, TheWorkersColourThePageAndTheirLastEndPrintsIt) {
    REQUIRE_POPPLER();
    PrintWithBackground(300);
    EXPECT_TRUE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Printing");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_EQ(W().InfoText(), QString());

    const pdfpages::Page page = pdfpages::Render(dir / "page.pdf", 1, 100);
    ASSERT_EQ(page.width, 827);
    // The page's square (41.3, 167)-(785, 910.7) shows what the panel's 548
    // pixels show at the same place of the domain.
    const QImage& bm = W().MainPanel().bm();
    int agreeing = 0, compared = 0;
    for (int py = 20; py < 548; py += 60) {
        for (int px = 20; px < 548; px += 60) {
            const int x = 41 + (px * 744 + 274) / 548 + 1, y = 167 + (py * 744 + 274) / 548 + 1;
            const QRgb want = bm.pixel(px, py);
            ++compared;
            agreeing += page.At(x, y).Near({qRed(want), qGreen(want), qBlue(want)}, 30) ? 1 : 0;
        }
    }
    EXPECT_GE(agreeing, compared - 2);
    EXPECT_TRUE(page.DarkNear(40, 500) && page.DarkNear(786, 500));
}

TEST_F(PageBackgroundTest, StopWhileThePageIsColouredCancelsThePrint) {
    PrintWithBackground(5000);
    ASSERT_TRUE(W().Background().Running());
    C().EnterButton->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), res::PrintingCancelled);
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_FALSE(std::filesystem::exists(dir / "page.pdf")) << "no blank page is left";
    // The window works again.
    EXPECT_TRUE(W().ReadData());
}

TEST_F(PageBackgroundTest, ClosingWhileThePageIsColouredStopsTheWorkersFirst) {
    W().show();
    PrintWithBackground(5000);
    W().show();
    ASSERT_TRUE(W().Background().Running());
    EXPECT_TRUE(W().close());  // the unsaved input is discarded ("No")
    EXPECT_FALSE(W().isVisible());
    // The workers were stopped within a row each, long before the 4462 rows.
    EXPECT_LT(W().Background().RowsDone(), 4000);
    // Their ends, handed over before the close, find no page to finish.
    QApplication::processEvents();
    EXPECT_FALSE(std::filesystem::exists(dir / "page.pdf")) << "no blank page is left";
    DestroyWindow();
}

TEST_F(ScriptedWindowTest, CancellingEitherDialogPrintsNothing) {
    C().Print1->trigger();  // no surface yet: nothing is asked
    EXPECT_EQ(dialogs->pages, 0);

    ASSERT_TRUE(W().ReadData());
    C().Print1->trigger();  // the page dialog is cancelled
    EXPECT_EQ(W().InfoText(), res::PrintingCancelled);
    EXPECT_EQ(dialogs->printers, 0);

    W().SetInfoText(QString());
    dialogs->configure = [](TPageSetupDialog&) { return true; };
    C().Print1->trigger();  // the print dialog is cancelled: no message
    EXPECT_EQ(dialogs->printers, 1);
    EXPECT_EQ(W().InfoText(), QString());
    EXPECT_FALSE(W().busy());
}

TEST_F(ScriptedWindowTest, APrinterThatCannotBeginReportsAnError) {
    ASSERT_TRUE(W().ReadData());
    dialogs->configure = [](TPageSetupDialog&) { return true; };
    dialogs->setupPrinter = PrintToPdf("/proc/velmora-no-such-place/page.pdf", 1);
    C().Print1->trigger();
    EXPECT_EQ(W().InfoText(), res::ErrorInPrinting);
    EXPECT_FALSE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
}

TEST_F(ScriptedWindowTest, TheTitleProposedIsTheNameOfTheDocument) {
    std::ofstream(PathOf("flat torus.vm4").toStdString()) << "cos(u)\nsin(u)\ncos(v)\nsin(v)\n0\n2 pi\n0\n2 pi\n";
    ASSERT_TRUE(W().OpenDocument(PathOf("flat torus.vm4")));
    QString proposed;
    dialogs->configure = [&](TPageSetupDialog& form) {
        proposed = form.TitleEdit->text();
        return false;
    };
    C().Print1->trigger();
    EXPECT_EQ(proposed, "flat torus");
}

TEST_F(WindowTest, TheManualShowsItsHeaderAndTheWholeText) {
    C().Manual1->trigger();
    TManualWindow& m = W().Manual();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.windowTitle(), "Manual");
    EXPECT_EQ(m.titleLabel->text(), "Velmora4");
    EXPECT_EQ(m.NPLabel->text(), "Version 1.6,  November 12, 2009");
    EXPECT_EQ(m.Label2->text(), "Geometry of surfaces in R^4");
    EXPECT_EQ(m.Label1->text(), "Manual");
    EXPECT_EQ(m.titleLabel->font().pixelSize(), 19);
    EXPECT_EQ(m.NPLabel->font().pixelSize(), 13);
    EXPECT_TRUE(m.titleLabel->font().bold());
    EXPECT_EQ(m.titleLabel->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
    EXPECT_EQ(m.Label2->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    EXPECT_EQ(m.size(), QSize(417, 454));

    QPlainTextEdit* text = m.RichEdit1;
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
    EXPECT_EQ(text->font().pixelSize(), 11);
    const QString manual = text->toPlainText();
    EXPECT_EQ(manual, ManualText());
    for (const char* heading : {"1. THE CURVATURE ELLIPSE", "2. TYPING THE SURFACE", "3. THE DOMAIN",
                                "4. WHAT THE PROGRAM SHOWS", "5. THE ORTHOGONAL BASIS", "6. THE LOCI",
                                "7. THE FILE MENU", "8. THE VIEW MENU", "9. THANKS"})
        EXPECT_TRUE(manual.contains(QString::fromLatin1(heading))) << heading;
    // It states the limit of a field that both front ends apply, and does not
    // promise one depth for every family.
    EXPECT_TRUE(manual.contains(QStringLiteral("A field holds at most %1 characters").arg(kMaxFieldLength)));
    EXPECT_FALSE(manual.contains(QStringLiteral("two ways with the same sign and the same zero:")));

    // The text grows with the window.
    m.resize(600, 700);
    QApplication::processEvents();
    EXPECT_EQ(text->geometry(), QRect(8, 88, 592, 611));

    // While busy the item does nothing.
    m.hide();
    W().BeginWatch();
    C().Manual1->trigger();
    EXPECT_FALSE(m.isVisible());
    W().EndWatch();
}

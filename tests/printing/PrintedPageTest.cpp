// The printed page on an A4 PDF page at 600 dots per inch (4960 x 7016
// printer pixels): the layout worked out by hand from the page's rules, and
// the pages themselves looked at through poppler - frame, title, equations,
// curves, loci, the page background and the copies.
#include "printing/PageSetupDialog.h"
#include "printing/Printing.h"
#include "session/SurfaceSession.h"
#include "tests/TestFolder.h"
#include "tests/canvas/TestApp.h"
#include "tests/printing/PdfPages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <gtest/gtest.h>


#include <filesystem>
#include <memory>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class PrintedPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(session.ReadData().ok);
    }

    std::unique_ptr<QPdfWriter> Writer(const char* name, QPageSize size = QPageSize(QPageSize::A4), int dpi = 600) {
        auto w = std::make_unique<QPdfWriter>(QString::fromStdString((dir / name).string()));
        w->setResolution(dpi);
        w->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
        return w;
    }

    TSurfaceSession session{0};
    TestFolder folder{"velmora-page"};
    const fs::path& dir = folder.path();
};

TEST_F(PrintedPageTest, TheDefaultSurfaceIsLaidOutUnderItsTitle) {
    // The fonts are measured on a PDF page at 600 dots per inch; the page is
    // the printer page 4960 x 7016 pixels (Qt's A4 in whole points is 4958 wide).
    auto writer = Writer("layout.pdf");
    TPageLayout layout;
    const int maxWidth = 4960 * 9 / 10;
    layout.LayoutTitle(QStringLiteral("A torus"), maxWidth, writer.get());
    layout.LayoutText(QString(), true, session.InputStrs(), maxWidth, writer.get());
    layout.ComputePageLayout(4960, 7016);

    ASSERT_EQ(layout.textBlocks[0].lines, QStringList{"A torus"});
    EXPECT_EQ(layout.textBlocks[1].lines, QStringList{"x(u,v) = (1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)"});
    EXPECT_EQ(layout.textBlocks[4].lines, QStringList{"w(u,v) = (1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)"});
    EXPECT_EQ(layout.textBlocks[5].lines, QStringList{"0 < u < 2 pi ,   0 < v < 2.2"});
    // Title: s = sqrt(3464) 1.524 + 18.456 = 108.152, step 1.3 s, (1 + 0.5) steps.
    EXPECT_EQ(layout.titleHeight, 211);
    // Text: s = sqrt(3464) 1.27 + 15.38 = 90.127, five lines, (5 + 1.5) steps.
    EXPECT_EQ(layout.textHeight, 762);
    // d = min(7016 * 9 div 10 - 211 - 762, 4464) = 4464, centred; the frame d div 512 = 8 wider.
    EXPECT_EQ(layout.pageRect, (TRect{248, 1000, 4712, 5464}));
    EXPECT_EQ(layout.frameRect, (TRect{240, 992, 4720, 5472}));
}

TEST_F(PrintedPageTest, AWideFormulaWrapsAndAFreeTextReplacesTheEquations) {
    auto writer = Writer("wrap.pdf");
    TDocumentLines lines = session.InputStrs();
    // Only the "+" can break it: the points are decimal points.
    std::string longFormula;
    for (int i = 0; i < 150; ++i) longFormula += "+2.5u";
    lines[4] = "cos(u)" + longFormula;
    TPageLayout layout;
    layout.LayoutText(QString(), true, lines, 4464, writer.get());
    const QStringList& x = layout.textBlocks[1].lines;
    ASSERT_GT(x.size(), 1);
    EXPECT_TRUE(x[0].startsWith("x(u,v) = cos(u)+2.5u"));
    for (qsizetype i = 1; i < x.size(); ++i) EXPECT_TRUE(x[i].startsWith("   +2.5u")) << x[i].toStdString();
    EXPECT_LE(layout.textBlocks[1].width, 4464);
    EXPECT_EQ(x.join(QString()).count(QStringLiteral("2.5u")), 150);

    layout.LayoutText(QStringLiteral("Figure 3."), false, lines, 4464, writer.get());
    EXPECT_EQ(layout.textBlocks[1].lines, QStringList{"   Figure 3."});
    for (int i = 2; i <= 5; ++i) EXPECT_TRUE(layout.textBlocks[i].lines.isEmpty());
    layout.LayoutText(QString(), false, lines, 4464, writer.get());
    EXPECT_EQ(layout.textHeight, 0);
}

TEST_F(PrintedPageTest, PagesAndSquaresUnderAThousandPixelsStillGetASquare) {
    TPageLayout layout;
    QImage small(300, 400, QImage::Format_RGB32);
    layout.LayoutTitle(QStringLiteral("Title"), 270, &small);
    layout.LayoutText(QString(), true, session.InputStrs(), 270, &small);
    layout.ComputePageLayout(300, 400);
    EXPECT_GT(layout.titleHeight, 0);
    EXPECT_GT(layout.pageRect.Width(), 0);
    EXPECT_EQ(layout.pageRect.Width(), layout.pageRect.Height());
    // Texts taller than the page leave a square of one pixel, not an inverted one.
    layout.textHeight = 1000;
    layout.ComputePageLayout(300, 400);
    EXPECT_EQ(layout.pageRect.Width(), 1);
    EXPECT_EQ(layout.pageRect.Height(), 1);
}

// What the curves look like: a black curve along v = 1.1 from u = 1 to u = 5
// and a locus along u = pi (stored by hand, so that their place on the page is known).
void StoreFigure(TSurfaceSession& s) {
    s.Stores().AddLineSegment({1, 1.1}, 1, clBlack);
    for (double u = 1.5; u <= 5; u += 0.5) s.Stores().AddLineSegment({u, 1.1}, 0, clBlack);
    s.Stores().BeginLocus(TLocusKind::OriginDepth);
    s.Stores().AddLocusSegment({3.14159, 0.2}, 1);
    s.Stores().AddLocusSegment({3.14159, 1.0}, 0);
    s.Stores().AddLocusSegment({3.14159, 2.0}, 0);
}

// Qt's A4 page at 600 dots per inch is 4958 x 7016 pixels: the square is
// (248, 1002)-(4710, 5464) and its frame (240, 994)-(4718, 5472). At 100 dots
// per inch a printer pixel is 1/6 of a pixel: the frame is at x 40 and 786.3,
// y 165.7 and 912, the square from (41.3, 167) to (785, 910.7).
void ExpectFramedPage(const pdfpages::Page& page, const char* what) {
    ASSERT_EQ(page.width, 827) << what;  // 595 points
    EXPECT_TRUE(page.DarkNear(40, 500) && page.DarkNear(786, 500)) << what << ": the sides of the frame";
    EXPECT_TRUE(page.DarkNear(400, 165) && page.DarkNear(400, 912)) << what << ": the top and bottom";
    EXPECT_FALSE(page.DarkNear(20, 500, 5)) << what << ": outside the frame";
    EXPECT_GT(page.DarkIn(300, 130, 527, 165), 20) << what << ": the title above the frame";
    EXPECT_GT(page.DarkIn(100, 915, 727, 1040), 200) << what << ": the equations under the frame";
    // The curve at v = 1.1: y = 167 + 743.7 (1 - 1.1/2.2) = 538.8.
    EXPECT_TRUE(page.DarkNear(300, 539) && page.DarkNear(600, 539)) << what << ": the curve";
    // The locus in silver at u = pi: x = 41.3 + 743.7/2 = 413.2, 7 pixels wide.
    const pdfpages::Rgb locus = page.At(413, 400);
    EXPECT_TRUE(locus.Grey() && locus.r > 150 && locus.r < 230) << what << ": the locus " << locus.r;
}

TEST_F(PrintedPageTest, TwoCopiesGiveTwoPagesWithTextsFrameAndDrawing) {
    REQUIRE_POPPLER();
    StoreFigure(session);
    {
        auto writer = Writer("copies.pdf");
        TPrintSettings settings;
        settings.prTitle = QStringLiteral("Two copies");
        TPrintJob job(*writer, 2, session, settings, -1);
        EXPECT_EQ(job.StartPrint({}), TPrintJob::TStart::Finished);
    }
    const fs::path pdf = dir / "copies.pdf";
    ASSERT_EQ(pdfpages::PageCount(pdf), 2);
    for (int n : {1, 2}) {
        const pdfpages::Page page = pdfpages::Render(pdf, n, 100);
        ExpectFramedPage(page, n == 1 ? "page 1" : "page 2");
        EXPECT_TRUE(page.At(200, 300).White()) << "no background was asked for";
    }
}

TEST_F(PrintedPageTest, ThePageBitmapIsStretchedOntoTheSquare) {
    REQUIRE_POPPLER();
    StoreFigure(session);
    QSize coloured;
    {
        auto writer = Writer("bitmap.pdf");
        TPrintSettings settings;
        settings.prTitle = QStringLiteral("Background");
        settings.PrintBackground = true;
        settings.prResolution = 300;
        TPrintJob job(*writer, 1, session, settings, 3);
        // The colouring: the upper half (v above the middle) red, the lower blue.
        const auto colour = [&](QImage& bm) {
            coloured = bm.size();
            for (int y = 0; y < bm.height(); ++y)
                for (int x = 0; x < bm.width(); ++x) bm.setPixel(x, y, y < bm.height() / 2 ? 0xFFFF0000u : 0xFF0000FFu);
            return true;
        };
        ASSERT_EQ(job.StartPrint(colour), TPrintJob::TStart::AwaitingBackground);
        EXPECT_TRUE(job.printingBackground());
        EXPECT_EQ(job.pageBitmap().size(), QSize(300, 300));
        EXPECT_TRUE(job.FinishPrint());
        EXPECT_FALSE(job.printingBackground());
        EXPECT_TRUE(job.pageBitmap().isNull());
    }
    EXPECT_EQ(coloured, QSize(300, 300));
    const pdfpages::Page page = pdfpages::Render(dir / "bitmap.pdf", 1, 100);
    ExpectFramedPage(page, "with background");
    EXPECT_TRUE(page.At(100, 250).Near({255, 0, 0}, 40));
    EXPECT_TRUE(page.At(700, 800).Near({0, 0, 255}, 40));
    EXPECT_TRUE(page.At(20, 250).White()) << "the background stays inside the square";
}

TEST_F(PrintedPageTest, ABackgroundIsOnlyComputedWhenOneIsChosenAndFitsThePage) {
    TPrintSettings settings;
    settings.PrintBackground = true;
    int calls = 0;
    QSize side;
    const auto colour = [&](QImage& bm) {
        ++calls;
        side = bm.size();
        return false;  // could not start: the page is printed without it
    };
    {
        auto writer = Writer("none.pdf");
        TPrintJob job(*writer, 1, session, settings, -1);
        EXPECT_EQ(job.StartPrint(colour), TPrintJob::TStart::Finished);
    }
    EXPECT_EQ(calls, 0);
    {
        // A resolution above the width of the page is cut to 9/10 of it.
        auto writer = Writer("small.pdf", QPageSize(QPageSize::A4), 72);
        settings.prResolution = 5000;
        TPrintJob job(*writer, 1, session, settings, 0);
        EXPECT_EQ(job.StartPrint(colour), TPrintJob::TStart::Finished);
        // ... and that is said, not done silently.
        EXPECT_EQ(job.ResolutionCapText(),
                  "The page background has 535 pixels per line, the most this page takes (5000 were asked)");
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(side, QSize(595 * 9 / 10, 595 * 9 / 10));
    {
        // A resolution the page takes says nothing.
        auto writer = Writer("fits.pdf", QPageSize(QPageSize::A4), 72);
        settings.prResolution = 535;
        TPrintJob job(*writer, 1, session, settings, 0);
        EXPECT_EQ(job.StartPrint(colour), TPrintJob::TStart::Finished);
        EXPECT_EQ(job.ResolutionCapText(), QString());
        calls = 1;
    }
    {
        auto writer = Writer("zero.pdf");
        TPrintJob job(*writer, 0, session, settings, 0);
        EXPECT_EQ(job.StartPrint(colour), TPrintJob::TStart::Failed);
    }
    EXPECT_EQ(calls, 1);
}

TEST(PageDialog, TheResolutionIsAWholeNumberFromOneTo5000) {
    EXPECT_EQ(ReadPrintResolution("1200"), 1200);
    EXPECT_EQ(ReadPrintResolution(" 300 "), 300);
    EXPECT_EQ(ReadPrintResolution("5000"), 5000);
    EXPECT_EQ(ReadPrintResolution("5001"), 5000);
    EXPECT_EQ(ReadPrintResolution("123456789012345"), 5000);
    for (const char* bad : {"", "abc", "12.5", "1e3", "0", "-300", "+", "٣٠٠"})
        EXPECT_EQ(ReadPrintResolution(QString::fromUtf8(bad)), 1200) << bad;
}

TEST(PageDialog, OkReadsTheChoicesAndShowsTheResolutionTaken) {
    TestApp();
    QString caption = QStringLiteral("torus");
    TPageSetupDialog form([&] { return caption; });
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Configure printed page"));
    EXPECT_TRUE(form.ColorBackCheck->isChecked());
    EXPECT_EQ(form.FootTextIndex(), 0);
    EXPECT_EQ(form.ResolutionEdit->text(), QStringLiteral("1200"));
    form.OnActivate();
    EXPECT_EQ(form.TitleEdit->text(), QStringLiteral("torus"));

    form.SubTextEdit->setText(QStringLiteral("ignored"));
    form.ResolutionEdit->setText(QStringLiteral("9000"));
    form.ColorBackCheck->setChecked(false);
    form.OnOKButton();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.ResolutionEdit->text(), QStringLiteral("5000"));
    EXPECT_EQ(form.Settings().prResolution, 5000);
    EXPECT_FALSE(form.Settings().PrintBackground);
    EXPECT_TRUE(form.Settings().PrintEquations);
    EXPECT_EQ(form.Settings().prSubText, QString());  // only a chosen free text is kept
    EXPECT_EQ(form.Settings().prTitle, QStringLiteral("torus"));

    caption = QStringLiteral("sphere");
    form.OnActivate();
    form.SetFootTextIndex(1);
    form.SubTextEdit->setText(QStringLiteral("Figure 2"));
    form.ResolutionEdit->setText(QStringLiteral("many"));
    form.OnOKButton();
    EXPECT_EQ(form.ResolutionEdit->text(), QStringLiteral("1200"));
    EXPECT_EQ(form.Settings().prTitle, QStringLiteral("sphere"));
    EXPECT_FALSE(form.Settings().PrintEquations);
    EXPECT_EQ(form.Settings().prSubText, QStringLiteral("Figure 2"));
}

}  // namespace
}  // namespace velmora

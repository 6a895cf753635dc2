// velmora4-cli print and --doc as a user runs them: the page in the PDF file
// (pages, frame, title, lines, the background where the background command
// puts it), the free text, and failures that exit 2 with one line.
#include "CliRunner.h"
#include "tests/TestFolder.h"
#include "tests/printing/PdfPages.h"

#include <QImage>

#include <gtest/gtest.h>


#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class CliPrintTest : public ::testing::Test {
protected:
    CliRun Cli(const std::string& args) const { return RunCli(args, dir); }
    std::string In(const char* name) const { return "'" + (dir / name).string() + "'"; }

    TestFolder folder{"velmora-cli-print"};
    const fs::path& dir = folder.path();
};

TEST_F(CliPrintTest, ThePageHoldsTheFrameTitleLinesAndTheBackgroundOfTheSurface) {
    REQUIRE_POPPLER();
    const CliRun r = Cli("print --pdf " + In("page.pdf") +
                      " --title 'Gauss curvature' --locus 3 --lines 1 --from 1.2,0.8 --background 3 --resolution 300"
                      " --threads 2 --copies 2");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(pdfpages::PageCount(dir / "page.pdf"), 2);
    // The same background as a picture of its own.
    ASSERT_EQ(Cli("background --type 3 --size 300,300 --threads 2 --png " + In("k.png")).status, 0);
    QImage expected((dir / "k.png").string().c_str());
    ASSERT_EQ(expected.size(), QSize(300, 300));

    for (int n : {1, 2}) {
        const pdfpages::Page page = pdfpages::Render(dir / "page.pdf", n, 100);
        ASSERT_EQ(page.width, 827);
        // Frame at x 40 and 786, y 166 and 912 (A4 at 600 dpi seen at 100).
        EXPECT_TRUE(page.DarkNear(40, 300) && page.DarkNear(786, 300)) << n;
        EXPECT_TRUE(page.DarkNear(400, 166) && page.DarkNear(400, 912)) << n;
        EXPECT_GT(page.DarkIn(300, 125, 527, 163), 20) << "title on page " << n;
        // The curvature lines cross at the start point (1.2, 0.8): x = 41.3 +
        // 743.7 1.2/(2 pi) = 183.4, y = 167 + 743.7 (1 - 0.8/2.2) = 640.2.
        EXPECT_TRUE(page.DarkNear(183, 640)) << "curves on page " << n;
        // The background: the square is 743.7 pixels for the 300 of the picture.
        int compared = 0, agreeing = 0;
        for (int by = 10; by < 300; by += 40) {
            for (int bx = 10; bx < 300; bx += 40) {
                const int x = 41 + (bx * 744 + 372) / 300 + 1, y = 167 + (by * 744 + 372) / 300 + 1;
                const pdfpages::Rgb got = page.At(x, y);
                if (got.Near({192, 192, 192}, 12)) continue;  // the locus passes there
                const QRgb want = expected.pixel(bx, by);
                ++compared;
                agreeing += got.Near({qRed(want), qGreen(want), qBlue(want)}, 30) ? 1 : 0;
            }
        }
        EXPECT_GT(compared, 50) << n;
        EXPECT_GE(agreeing, compared - 4) << "background on page " << n;  // a curve may cross a few
        EXPECT_TRUE(page.At(20, 400).White()) << n;
    }
}

TEST_F(CliPrintTest, AFreeTextTakesThePlaceOfTheEquations) {
    REQUIRE_POPPLER();
    ASSERT_EQ(Cli("print --pdf " + In("eq.pdf")).status, 0);
    const CliRun r = Cli("print --pdf " + In("text.pdf") + " --text 'Figure 1'");
    ASSERT_EQ(r.status, 0) << r.err;
    const pdfpages::Page eq = pdfpages::Render(dir / "eq.pdf", 1, 100);
    const pdfpages::Page text = pdfpages::Render(dir / "text.pdf", 1, 100);
    // Five lines of equations under the frame, or one short line.
    EXPECT_GT(eq.DarkIn(100, 990, 727, 1050), 50);
    EXPECT_EQ(text.DarkIn(100, 990, 727, 1050), 0);
    EXPECT_GT(text.DarkIn(300, 915, 527, 960), 20);
    EXPECT_LT(text.DarkIn(0, 915, 827, 960), eq.DarkIn(0, 915, 827, 960));
    // No title was given: nothing above the frame.
    EXPECT_EQ(text.DarkIn(0, 0, 827, 160), 0);
}

TEST_F(CliPrintTest, FailuresExitTwoWithOneLine) {
    CliRun r = Cli("print --pdf /proc/velmora-none/page.pdf");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("Cannot write /proc/velmora-none/page.pdf: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    fs::create_directories(dir / "folder.pdf");
    r = Cli("print --pdf " + In("folder.pdf"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("it is not a regular file"), std::string::npos) << r.err;

    r = Cli("print --pdf " + In("x.pdf") + " --lines 1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "every --lines CLASS needs its --from U,V, in the same order\n");
    EXPECT_FALSE(fs::exists(dir / "x.pdf"));

    r = Cli("print --pdf " + In("x.pdf") + " --v 1,1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "The minimum of 'v' must be less than its maximum\n");
    EXPECT_FALSE(fs::exists(dir / "x.pdf"));
}

TEST_F(CliPrintTest, TheDocumentOptionRefusesWhatTheWindowRefuses) {
    std::ofstream(dir / "short.vm4") << "u\nv\n";
    CliRun r = Cli("invariants --at 1,1 --doc " + In("short.vm4"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "short.vm4 has fewer than eight lines: it is not a Velmora4 document\n");
    r = Cli("locus --kind 3 --doc " + In(""));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, dir.filename().string() + " is a folder, not a document\n");

    // LF line ends and the older layout read as the window reads them.
    std::ofstream(dir / "old.vm4") << "u\nv\nu v\nu^2\n-1\n1\n-1\n1\n";
    r = Cli("invariants --at 0.5,0.5 --doc " + In("old.vm4"));
    EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace

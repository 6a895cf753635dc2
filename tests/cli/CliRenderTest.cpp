// velmora4-cli render as a user runs it: the PNG is the background command's
// picture at the size asked for, the SVG holds one path per polyline the
// locus and lines commands report, the PDF is one square page, and failures
// exit 2 with one line and no file.
#include "CliRunner.h"
#include "tests/TestFolder.h"
#include "tests/printing/PdfPages.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class CliRenderTest : public ::testing::Test {
protected:
    CliRun Cli(const std::string& args) const { return RunCli(args, dir); }
    std::string In(const char* name) const { return "'" + (dir / name).string() + "'"; }

    TestFolder folder{"velmora-cli-render"};
    const fs::path& dir = folder.path();
};

// The JSON lines of a command's output that hold at least two points.
int Polylines(const std::string& out) {
    std::istringstream lines(out);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) n += line.find("],[") != std::string::npos ? 1 : 0;
    return n;
}

int Paths(const fs::path& svg) {
    QFile file(QString::fromStdString(svg.string()));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    QXmlStreamReader xml(&file);
    int n = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("path")) ++n;
    return xml.hasError() ? -1 : n;
}

TEST_F(CliRenderTest, ThePngIsTheBackgroundOfTheSurfaceAtTheSizeAsked) {
    CliRun r = Cli("render --out " + In("k.png") + " --size 333 --background gauss --threads 2");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(Cli("background --type 3 --size 333,333 --threads 1 --png " + In("b.png")).status, 0);
    const QImage figure(QString::fromStdString((dir / "k.png").string()));
    const QImage background(QString::fromStdString((dir / "b.png").string()));
    ASSERT_EQ(figure.size(), QSize(333, 333));
    EXPECT_EQ(figure.convertToFormat(QImage::Format_RGB32), background.convertToFormat(QImage::Format_RGB32));
}

TEST_F(CliRenderTest, TheSvgHoldsOnePathPerLocusPieceCurveAndCoordinateLine) {
    const std::string surface = " --x 'u' --y 'v' --z 'u^2 + u v' --w 'v^3/3 + u^2 v' --u -1,1 --v -1,2";
    const CliRun locus = Cli("locus --kind 3" + surface);
    const CliRun lines = Cli("lines --class 1 --from 0.3,0.4" + surface);
    ASSERT_EQ(locus.status, 0) << locus.err;
    ASSERT_EQ(lines.status, 0) << lines.err;
    const int expected = Polylines(locus.out) + Polylines(lines.out) + 2;
    ASSERT_GT(Polylines(locus.out), 0);
    ASSERT_GT(Polylines(lines.out), 1);

    const CliRun r = Cli("render --out " + In("f.svg") + " --size 400 --background 3 --locus gauss" + surface +
                         " --lines 1 --from 0.3,0.4 --lines 0 --from=-0.5,0.5 --colour 3366cc");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Paths(dir / "f.svg"), expected);
    // The curves keep the colour given (Qt writes it in lower case).
    EXPECT_NE(SlurpFile(dir / "f.svg").find("#3366cc"), std::string::npos);
}

TEST_F(CliRenderTest, ThePdfIsOneSquarePage) {
    if (!pdfpages::HavePoppler()) GTEST_SKIP() << "pdfinfo (Debian's poppler-utils) is not installed";
    const CliRun r = Cli("render --out " + In("f.pdf") + " --size 300 --locus 0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(pdfpages::PageCount(dir / "f.pdf"), 1);
    const pdfpages::Page page = pdfpages::Render(dir / "f.pdf", 1, 72);
    EXPECT_EQ(page.width, 300);
    EXPECT_EQ(page.height, 300);
}

TEST_F(CliRenderTest, FailuresExitTwoWithOneLineAndNoFile) {
    CliRun r = Cli("render --out " + In("f.jpg"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Cannot write " + (dir / "f.jpg").string() + ": the name must end in .png, .svg or .pdf\n");

    fs::create_directories(dir / "folder.png");
    r = Cli("render --out " + In("folder.png") + " --size 64");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Cannot write " + (dir / "folder.png").string() + ": it is not a regular file\n");

    r = Cli("render --out /dev/full --size 64");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Cannot write /dev/full: it is not a regular file\n");

    r = Cli("render --out " + In("none/f.svg") + " --size 64");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("Cannot write " + (dir / "none/f.svg").string() + ": ", 0), 0u) << r.err;

    r = Cli("render --out " + In("f.png") + " --size 8");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    r = Cli("render --out ''");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("is empty"), std::string::npos) << r.err;
    r = Cli("render --out " + In("f.png") + " --lines 1 --from 7,1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--from: 7,1 lies outside the domain"), std::string::npos) << r.err;
    r = Cli("render --out " + In("f.png") + " --v 1,1");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "The minimum of 'v' must be less than its maximum\n");
    // Only the folder made above is there.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir))
        entries += e.path().filename() != "out.txt" && e.path().filename() != "err.txt";
    EXPECT_EQ(entries, 1);
}

}  // namespace

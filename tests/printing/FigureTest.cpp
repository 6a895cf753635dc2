// Figure files of the domain: the SVG drawing with one path per locus piece,
// coordinate line and curve over the background picture, the one-page PDF
// with the PNG's picture, and writes that fail without touching an earlier
// file. (The PNG's background colours are checked where the window exports.)
#include "printing/Figure.h"

#include "background/BackgroundThreads.h"
#include "session/SurfaceSession.h"
#include "tests/TestFolder.h"
#include "tests/canvas/TestApp.h"
#include "tests/printing/PdfPages.h"

#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A surface whose Gauss curvature changes along u and v, over [-1, 1] x [-1, 2].
constexpr std::array<const char*, 8> kSurface = {"u", "v", "u^2 + u v", "v^3/3 + u^2 v", "-1", "1", "-1", "2"};

class FigureTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        TInputTexts texts;
        for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = kSurface[i];
        session.SetInputTexts(texts);
        ASSERT_TRUE(session.ReadData().ok);
    }

    // The Gauss curvature background of side n, coloured by the workers.
    QImage Background(int n) {
        QImage bm(n, n, QImage::Format_RGB32);
        bm.fill(0xFFFFFFFFu);
        TBackgroundWorkers workers;
        workers.Start({bm.bits(), static_cast<std::ptrdiff_t>(bm.bytesPerLine()), n, n}, session.Map().min2D,
                      session.Map().max2D, TBackgroundType::GaussCurvature, session.WorkerSets());
        workers.Wait();
        return bm;
    }

    // Two pieces of one locus, two curves (and one of a single point, which
    // draws nothing) and one coordinate point with its two lines: six paths.
    void StoreDrawing() {
        TDrawingStores& st = session.Stores();
        st.BeginLocus(TLocusKind::GaussCurvature);
        st.AddLocusSegment({-0.8, 1.5}, 1);
        st.AddLocusSegment({-0.4, 1.6}, 0);
        st.AddLocusSegment({0.0, 1.5}, 0);
        st.AddLocusSegment({0.2, -0.5}, 1);
        st.AddLocusSegment({0.6, -0.6}, 0);
        st.AddLineSegment({-0.9, 0.0}, 1, 0x0000FF);
        st.AddLineSegment({-0.5, 0.4}, 0, 0);
        st.AddLineSegment({-0.1, 0.2}, 0, 0);
        st.AddLineSegment({0.3, 1.8}, 1, 0x00FF00);
        st.AddLineSegment({0.8, 1.0}, 0, 0);
        st.AddLineSegment({0.5, 0.5}, 1, 0xFF0000);
        st.AddCoordinatePoint({0.5, 0.25});
    }

    QString PathOf(const char* name) const { return QString::fromStdString((dir / name).string()); }

    TSurfaceSession session{2};
    TestFolder folder{"velmora-figure"};
    const fs::path& dir = folder.path();
};

// The elements of an SVG file by name.
int CountElements(const QString& path, const QString& name, bool* wellFormed) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    QXmlStreamReader xml(&file);
    int n = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name) ++n;
    *wellFormed = !xml.hasError();
    return n;
}

TEST_F(FigureTest, AnSvgHoldsOnePathPerPieceLineAndCurveOverOnePicture) {
    StoreDrawing();
    const QImage bm = Background(200);
    ASSERT_TRUE(WriteFigure(PathOf("f.svg"), 800, session, &bm));
    bool wellFormed = false;
    EXPECT_EQ(CountElements(PathOf("f.svg"), QStringLiteral("path"), &wellFormed), 2 + 2 + 2);
    EXPECT_TRUE(wellFormed);
    EXPECT_EQ(CountElements(PathOf("f.svg"), QStringLiteral("image"), &wellFormed), 1);
    QSvgRenderer svg(PathOf("f.svg"));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, 800, 800));

    // Without a background, only the paths.
    ASSERT_TRUE(WriteFigure(PathOf("bare.svg"), 300, session, nullptr));
    EXPECT_EQ(CountElements(PathOf("bare.svg"), QStringLiteral("image"), &wellFormed), 0);
    EXPECT_EQ(CountElements(PathOf("bare.svg"), QStringLiteral("path"), &wellFormed), 6);
}

// The numbers of the "d" attributes of the paths of an SVG file.
std::vector<double> PathNumbers(const QString& path) {
    QFile file(path);
    std::vector<double> numbers;
    if (!file.open(QIODevice::ReadOnly)) return numbers;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QStringLiteral("path")) continue;
        const QString d = xml.attributes().value(QStringLiteral("d")).toString();
        for (const QString& token : d.split(QRegularExpression(QStringLiteral("[^-0-9.e]+")), Qt::SkipEmptyParts))
            numbers.push_back(token.toDouble());
    }
    return numbers;
}

TEST_F(FigureTest, VectorFiguresKeepTheExactCoordinatesOfTheCurves) {
    // The domain [-1, 1] x [-1, 2] on a square of 300: (u, v) lies at
    // (150 + 150 u, 200 - 100 v).
    session.Stores().AddLineSegment({-0.123, 0.4567}, 1, 0x0000FF);
    session.Stores().AddLineSegment({0.3331, -0.25}, 0, 0);
    ASSERT_TRUE(WriteFigure(PathOf("f.svg"), 300, session, nullptr));
    const std::vector<double> numbers = PathNumbers(PathOf("f.svg"));
    const auto has = [&numbers](double x) {
        return std::any_of(numbers.begin(), numbers.end(), [x](double n) { return std::fabs(n - x) < 0.01; });
    };
    EXPECT_TRUE(has(131.55) && has(154.33) && has(199.965) && has(225)) << numbers.size();
    // Rounded to pixels they would be 132, 154 and 200.
    EXPECT_FALSE(has(132));
    EXPECT_FALSE(has(200));
}

// "Pages:" and "Page size:" as pdfinfo reports them.
struct PdfInfo {
    int pages = -1;
    double width = 0, height = 0;
};

PdfInfo Info(const fs::path& pdf) {
    PdfInfo info;
    const std::string command = "pdfinfo '" + pdf.string() + "' 2>/dev/null";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return info;
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
        std::sscanf(line, "Pages: %d", &info.pages);
        std::sscanf(line, "Page size: %lf x %lf", &info.width, &info.height);
    }
    ::pclose(p);
    return info;
}

TEST_F(FigureTest, APdfIsOneSquarePageWithTheSamePicture) {
    if (!pdfpages::HavePoppler()) GTEST_SKIP() << "pdfinfo and pdftoppm (Debian's poppler-utils) are not installed";
    constexpr int n = 240;
    StoreDrawing();
    const QImage bm = Background(n);
    ASSERT_TRUE(WriteFigure(PathOf("f.pdf"), n, session, &bm));
    const PdfInfo info = Info(dir / "f.pdf");
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.width, n, 0.01);
    EXPECT_NEAR(info.height, n, 0.01);
    // At 72 dots per inch a point is a pixel: the background where the PNG has it.
    ASSERT_TRUE(WriteFigure(PathOf("f.png"), n, session, &bm));
    const QImage png(PathOf("f.png"));
    const pdfpages::Page page = pdfpages::Render(dir / "f.pdf", 1, 72);
    ASSERT_EQ(page.width, n);
    for (auto [x, y] : {std::pair{200, 200}, std::pair{30, 120}, std::pair{60, 200}}) {
        const QRgb want = png.pixel(x, y);
        EXPECT_TRUE(page.At(x, y).Near({qRed(want), qGreen(want), qBlue(want)}, 24)) << x << "," << y;
    }
}

TEST_F(FigureTest, AWriteThatCannotBeDoneSaysWhyAndLeavesTheEarlierFile) {
    const QString kept = PathOf("kept.png");
    ASSERT_TRUE(WriteFigure(kept, 64, session, nullptr));
    const auto contents = [&kept] {
        QFile f(kept);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray original = contents();
    TFigureWrite w = WriteFigure(kept, 8, session, nullptr);
    EXPECT_EQ(w.message, "Cannot write " + kept + ": the size must be 16 to 5000");
    EXPECT_EQ(contents(), original);
    w = WriteFigure(PathOf("fig.jpg"), 64, session, nullptr);
    EXPECT_EQ(w.message, "Cannot write " + PathOf("fig.jpg") + ": the name must end in .png, .svg or .pdf");
    // A folder or a device is never written over.
    fs::create_directory(dir / "folder.svg");
    w = WriteFigure(PathOf("folder.svg"), 64, session, nullptr);
    EXPECT_EQ(w.message, "Cannot write " + PathOf("folder.svg") + ": it is not a regular file");
    EXPECT_FALSE(WriteFigure(QStringLiteral("/dev/full"), 64, session, nullptr));
    w = WriteFigure(PathOf("missing/fig.png"), 64, session, nullptr);
    EXPECT_TRUE(w.message.startsWith("Cannot write " + PathOf("missing/fig.png") + ": ")) << w.message.toStdString();
    // Nothing but the kept file and the folder is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace velmora

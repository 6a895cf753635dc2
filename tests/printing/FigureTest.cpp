// Figure files of the domain: the PNG picture at its size with the
// background's colours where the surface's geometry puts them, the SVG
// drawing with one path per locus piece, coordinate line and curve over the
// picture, the one-page PDF, and writes that fail without touching an
// earlier file.
#include "printing/Figure.h"

#include "canvas/LayerDrawing.h"

#include "background/BackgroundThreads.h"
#include "background/Palette.h"
#include "formula/FunctionParserBytes_64_XE2.h"
#include "geometry/EngineSet.h"
#include "geometry/FParametrizationR2R4.h"
#include "session/SurfaceSession.h"
#include "tests/TestFolder.h"
#include "tests/canvas/TestApp.h"
#include "tests/printing/PdfPages.h"

#include <QFile>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A surface whose Gauss curvature changes along u and v, over [-1, 1] x [-1, 2].
constexpr std::array<const char*, 8> kSurface = {"u", "v", "u^2 + u v", "v^3/3 + u^2 v", "-1", "1", "-1", "2"};

// The palette entry of a value, written out from the colouring rule: w = 2d,
// g = 255 |w| / (|w| + 1), entry 255 - g for w > 0 and 256 + g otherwise,
// rounded half to even.
int PaletteEntry(double d) {
    const double w = 2 * d, g = 255 * std::abs(w) / (std::abs(w) + 1);
    return static_cast<int>(std::nearbyint(w > 0 ? 255 - g : 256 + g));
}

class FigureTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        session.SetInputTexts({kSurface[0], kSurface[1], kSurface[2], kSurface[3], kSurface[4], kSurface[5], kSurface[6], kSurface[7]});
        ASSERT_TRUE(session.ReadData().ok);
        own.Build({kSurface[0], kSurface[1], kSurface[2], kSurface[3]}, parser);
        geometry = std::make_unique<TParametrizationR2R4>(own);
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

    // The colour of pixel (x, y) of an n x n figure of the Gauss curvature,
    // from engines of our own: column 0 is u = -1, column n - 1 u = 1, row 0
    // v = 2 and row n - 1 v = -1.
    TColor Expected(int x, int y, int n) {
        const double d = geometry->GaussCurvature({-1 + 2.0 * x / (n - 1), 2 - 3.0 * y / (n - 1)});
        return d == UndefinedValue ? clWhite : BackgroundPalette()[PaletteEntry(d)];
    }

    // Two pieces of one locus, two curves (and one of a single point, which
    // draws nothing) and one coordinate point: five paths.
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
    TFunctionParserBytes_64 parser;
    TEngineSet own;
    std::unique_ptr<TParametrizationR2R4> geometry;
    TestFolder folder{"velmora-figure"};
    const fs::path& dir = folder.path();
};

TEST_F(FigureTest, APngHasItsSizeAndTheBackgroundsColoursWhereTheGeometryPutsThem) {
    constexpr int n = 301;
    const QImage bm = Background(n);
    ASSERT_TRUE(WriteFigure(PathOf("k.png"), n, session, &bm));
    const QImage png(PathOf("k.png"));
    ASSERT_EQ(png.size(), QSize(n, n));
    int coloured = 0;
    for (int y = 0; y < n; y += 25) {
        for (int x = 0; x < n; x += 25) {
            const TColor want = Expected(x, y, n);
            EXPECT_EQ(ColourOfPixel(png.pixel(x, y)), want) << x << "," << y;
            coloured += want != clWhite;
        }
    }
    EXPECT_GT(coloured, 100);
    // The corners are the corners of the domain.
    EXPECT_EQ(ColourOfPixel(png.pixel(n - 1, n - 1)), Expected(n - 1, n - 1, n));
    EXPECT_EQ(ColourOfPixel(png.pixel(0, n - 1)), Expected(0, n - 1, n));
}

TEST_F(FigureTest, CurvesAndLociAreDrawnOverTheBackgroundWithThePagesPens) {
    constexpr int n = 500;
    StoreDrawing();
    const QImage bm = Background(n);
    ASSERT_TRUE(WriteFigure(PathOf("all.png"), n, session, &bm));
    const QImage png(PathOf("all.png"));
    // The page's map: 500/2 pixels per unit of u and 500/3 of v, v upwards.
    const auto x = [](double u) { return static_cast<int>(std::lround(250 * (u + 1))); };
    const auto y = [](double v) { return static_cast<int>(std::lround(500 * (2 - v) / 3)); };
    // The middle of the first locus piece, (-0.6, 1.55), in a silver pen of
    // 500/100 = 5 pixels.
    int silver = 0;
    for (int dy = -8; dy <= 8; ++dy) silver += ColourOfPixel(png.pixel(x(-0.6), y(1.55) + dy)) == kLocusColour;
    EXPECT_EQ(ColourOfPixel(png.pixel(x(-0.6), y(1.55))), kLocusColour);
    EXPECT_GE(silver, 4);
    EXPECT_LE(silver, 6);
    // The coordinate lines through (0.5, 0.25), one pixel wide.
    EXPECT_EQ(ColourOfPixel(png.pixel(x(0.5), 50)), kCoordLineColour);
    EXPECT_NE(ColourOfPixel(png.pixel(x(0.5) + 1, 50)), kCoordLineColour);
    EXPECT_EQ(ColourOfPixel(png.pixel(50, y(0.25))), kCoordLineColour);
    // The blue curve starts at (-0.9, 0); the red one of a single point draws nothing.
    EXPECT_EQ(ColourOfPixel(png.pixel(x(-0.9), y(0))), 0x0000FFu);
    EXPECT_EQ(ColourOfPixel(png.pixel(x(0.5) + 2, y(0.5))), Expected(x(0.5) + 2, y(0.5), n));
    EXPECT_EQ(ColourOfPixel(png.pixel(400, 400)), Expected(400, 400, n));
}

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
    // At 72 dots per inch a point is a pixel: the page is the picture.
    ASSERT_TRUE(WriteFigure(PathOf("f.png"), n, session, &bm));
    const QImage png(PathOf("f.png"));
    const pdfpages::Page page = pdfpages::Render(dir / "f.pdf", 1, 72);
    ASSERT_EQ(page.width, n);
    ASSERT_EQ(page.height, n);
    int compared = 0, agreeing = 0;
    for (int y = 3; y < n; y += 11) {
        for (int x = 3; x < n; x += 11) {
            const QRgb want = png.pixel(x, y);
            ++compared;
            agreeing += page.At(x, y).Near({qRed(want), qGreen(want), qBlue(want)}, 24) ? 1 : 0;
        }
    }
    // Edges of the stretched picture and of the curves may fall a pixel apart.
    EXPECT_GE(agreeing, compared * 9 / 10);
}

TEST_F(FigureTest, AWriteThatCannotBeDoneSaysWhyAndLeavesTheEarlierFile) {
    const QString kept = PathOf("kept.png");
    ASSERT_TRUE(WriteFigure(kept, 64, session, nullptr));
    QFile f(kept);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray original = f.readAll();
    f.close();

    TFigureWrite w = WriteFigure(kept, 8, session, nullptr);
    EXPECT_FALSE(w);
    EXPECT_EQ(w.message, "Cannot write " + kept + ": the size must be 16 to 5000");
    w = WriteFigure(PathOf("fig.jpg"), 64, session, nullptr);
    EXPECT_FALSE(w);
    EXPECT_EQ(w.message, "Cannot write " + PathOf("fig.jpg") + ": the name must end in .png, .svg or .pdf");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), original);
    f.close();

    // A folder or a device is never written over.
    fs::create_directory(dir / "folder.svg");
    w = WriteFigure(PathOf("folder.svg"), 64, session, nullptr);
    EXPECT_EQ(w.message, "Cannot write " + PathOf("folder.svg") + ": it is not a regular file");
    EXPECT_TRUE(fs::is_directory(dir / "folder.svg"));
    w = WriteFigure(QStringLiteral("/dev/full"), 64, session, nullptr);
    EXPECT_FALSE(w);
    // A file in a folder that does not exist.
    w = WriteFigure(PathOf("missing/fig.png"), 64, session, nullptr);
    EXPECT_FALSE(w);
    EXPECT_TRUE(w.message.startsWith("Cannot write " + PathOf("missing/fig.png") + ": ")) << w.message.toStdString();
    EXPECT_FALSE(fs::exists(dir / "missing"));
    // A folder that cannot be written to (root writes anywhere).
    if (::geteuid() != 0) {
        fs::create_directory(dir / "locked");
        fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        w = WriteFigure(PathOf("locked/fig.pdf"), 64, session, nullptr);
        EXPECT_TRUE(w.message.startsWith("Cannot write " + PathOf("locked/fig.pdf") + ": ")) << w.message.toStdString();
        fs::permissions(dir / "locked", fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(dir / "locked"));
        fs::remove(dir / "locked");
    }
    // Nothing but the kept file and the folder were left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 2);
}

TEST_F(FigureTest, TheFormatIsTheExtensionInAnyCase) {
    EXPECT_EQ(FigureFormatOf(QStringLiteral("a/b.PNG")), TFigureFormat::Png);
    EXPECT_EQ(FigureFormatOf(QStringLiteral("b.Svg")), TFigureFormat::Svg);
    EXPECT_EQ(FigureFormatOf(QStringLiteral("b.pdf")), TFigureFormat::Pdf);
    EXPECT_FALSE(FigureFormatOf(QStringLiteral("png")));
    EXPECT_FALSE(FigureFormatOf(QStringLiteral("b.png.txt")));
}

}  // namespace
}  // namespace velmora

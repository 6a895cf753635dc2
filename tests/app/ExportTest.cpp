// File > "Export Image...": the dialogs it asks, the PNG with the background
// computed anew at the size chosen while the window stays responsive, the
// same picture as velmora4-cli render of the same document, Stop, and writes
// that fail reported in the status bar.
#include "ExpectedBackground.h"
#include "WindowFixture.h"

#include "printing/Figure.h"

#include <QDir>
#include <QImage>
#include <QPushButton>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace velmora;

namespace {

namespace fs = std::filesystem;

class ExportTest : public ScriptedWindowTest {
protected:
    void SetUp() override {
        ScriptedWindowTest::SetUp();
        CreateWindow(2);
        ASSERT_TRUE(ReadSurface(kSurface));
    }
    // Export Image answered with a file and a size.
    void Export(const char* name, int size) {
        dialogs->saveAnswers = {PathOf(name)};
        dialogs->sizeAnswers = {size};
        C().ExportImage1->trigger();
    }
    QString Saved(const char* name) const {
        return QStringLiteral("Image saved as ") + QDir::toNativeSeparators(PathOf(name));
    }
    ExpectedBackground expected;
};

TEST_F(ExportTest, TheDialogsOfferTheThreeTypesAndRememberTheFolderAndSize) {
    Export("plain.svg", 300);
    EXPECT_EQ(dialogs->saveTitle, "Export Image");
    EXPECT_EQ(dialogs->saveFilter, "PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
    EXPECT_EQ(dialogs->saveSuffix, "png");
    EXPECT_EQ(dialogs->proposedSize, kDefaultFigureSize);
    EXPECT_EQ(dialogs->sizeRange, std::make_pair(16, 5000));
    // The file is written on a thread of its own, under the watch.
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), Saved("plain.svg"));
    EXPECT_TRUE(fs::is_regular_file(dir / "plain.svg"));
    EXPECT_FALSE(W().busy());

    // The next export starts in the folder of the last and proposes the last
    // size; cancelled at the size, it writes nothing.
    dialogs->saveAnswers = {PathOf("none.png")};
    dialogs->sizeAnswers = {std::nullopt};
    C().ExportImage1->trigger();
    EXPECT_EQ(dialogs->dialogFolder, QString::fromStdString(dir.string()));
    EXPECT_EQ(dialogs->proposedSize, 300);
    EXPECT_FALSE(fs::exists(dir / "none.png"));
}

TEST_F(ExportTest, ThePngHasTheSizeChosenAndTheBackgroundComputedForIt) {
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    Export("k.png", 700);
    // The workers colour the figure's own picture; the window waits in the watch.
    EXPECT_TRUE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Stop");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), Saved("k.png"));
    const QImage png(PathOf("k.png"));
    ASSERT_EQ(png.size(), QSize(700, 700));
    for (int y = 0; y < 700; y += 63)
        for (int x = 0; x < 700; x += 63)
            EXPECT_EQ(ColourOfPixel(png.pixel(x, y)), expected.At(TBackgroundType::GaussCurvature, x, y, 700, 700))
                << x << "," << y;
    EXPECT_EQ(ColourOfPixel(png.pixel(699, 699)), expected.At(TBackgroundType::GaussCurvature, 699, 699, 700, 700));
    // The panel keeps its own picture of 548 pixels.
    EXPECT_EQ(PanelPixel(547, 547), expected.At(TBackgroundType::GaussCurvature, 547, 547));
}

TEST_F(ExportTest, StopWritesNothing) {
    C().backgroundItems[6]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    Export("stopped.png", 3000);
    ASSERT_TRUE(W().busy());
    W().OnEnterButton();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().InfoText(), "Export cancelled");
    EXPECT_FALSE(fs::exists(dir / "stopped.png"));
}

TEST_F(ExportTest, AFailedWriteIsReportedInTheStatusBar) {
    fs::create_directory(dir / "folder.png");
    Export("folder.png", 100);
    EXPECT_EQ(W().InfoText(), "Cannot write " + PathOf("folder.png") + ": it is not a regular file");
    EXPECT_FALSE(W().busy());
    // With a background the file is written when the workers are done: a
    // folder gone meanwhile is reported then.
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    fs::create_directory(dir / "gone");
    Export("gone/k.pdf", 600);
    ASSERT_TRUE(W().busy());
    fs::remove(dir / "gone");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(W().InfoText().startsWith("Cannot write " + PathOf("gone/k.pdf") + ": ")) << W().InfoText().toStdString();
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

#ifdef VELMORA_CLI
// velmora4-cli with arguments (quoted for the shell); its exit status.
int RunCli(const std::string& args) {
    const std::string command = std::string("'") + VELMORA_CLI + "' " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

TEST_F(ExportTest, TheCliRendersTheSamePictureAsTheWindowExportsForADocument) {
    const fs::path doc = dir / "surface.vm4";
    {
        std::ofstream out(doc);
        for (const char* text : kSurface) out << text << "\r\n";
    }
    ASSERT_TRUE(W().OpenDocument(QString::fromStdString(doc.string())));
    C().lociItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    C().lineItems[1]->trigger();
    ClickMainPanel(300, 200);
    ASSERT_TRUE(WaitUntilIdle());
    C().lineItems[0]->trigger();
    ClickMainPanel(100, 400);  // coordinate lines
    ASSERT_GT(W().Session().Stores().lines().size(), 1u);
    Export("window.png", 450);
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(W().InfoText(), Saved("window.png"));

    const Vector2 curves = W().Session().Map().FromWindowToR2(300, 200);
    const Vector2 coords = W().Session().Map().FromWindowToR2(100, 400);
    const TColor c = W().CurveColor();
    char args[512];
    std::snprintf(args, sizeof args,
                  "render --out '%s' --size 450 --doc '%s' --locus 3 --background 3 --lines 1 --from=%.17g,%.17g "
                  "--lines 0 --from=%.17g,%.17g --colour %02X%02X%02X",
                  (dir / "cli.png").c_str(), doc.c_str(), curves[0], curves[1], coords[0], coords[1], c & 0xFF,
                  (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    ASSERT_EQ(RunCli(args), 0) << args;
    const QImage window = QImage(PathOf("window.png")).convertToFormat(QImage::Format_RGB32);
    const QImage cli = QImage(PathOf("cli.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(window.size(), QSize(450, 450));
    EXPECT_TRUE(window == cli);
    // The curves and the locus are there, not only the background.
    int drawn = 0;
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 450; ++x) drawn += ColourOfPixel(window.pixel(x, y)) == c;
    EXPECT_GT(drawn, 100);
}
#endif

}  // namespace

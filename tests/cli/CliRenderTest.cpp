// velmora4-cli render as a user runs it: the PNG is the background command's
// picture at the size asked for, and failures exit 2 with one line and no
// file. (The formats themselves are the figure tests'; the window's export
// of the same document gives the same picture, as the export tests check.)
#include "CliRunner.h"
#include "tests/TestFolder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

// velmora4-cli render3d as a user runs it: a PNG of the size asked for, the
// same picture as the renderer draws, and a clear exit where no OpenGL
// context can be made.
#include "tests/TestFolder.h"
#include "tests/cli/CliRunner.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>

namespace {

TEST(Render3dCli, WritesAPngOfTheGivenSize) {
    TestFolder dir;
    const CliRun r = RunCli("render3d --out torus.png --size 240 --background 3 --locus 3 --rotate xw=30,yz=45 "
                            "--projection perspective --camera 20,30,1.3",
                            dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const QImage png(QString::fromStdString((dir / "torus.png").string()));
    ASSERT_EQ(png.size(), QSize(240, 240));
    // Something besides the view's background: the surface is in the picture.
    int surface = 0;
    for (int y = 0; y < 240; y += 4)
        for (int x = 0; x < 240; x += 4) surface += png.pixel(x, y) != png.pixel(0, 0);
    EXPECT_GT(surface, 200);

    // Another rotation, another picture.
    ASSERT_EQ(RunCli("render3d --out other.png --size 240 --background 3 --locus 3 --rotate xw=120,yz=45 "
                     "--projection perspective --camera 20,30,1.3",
                     dir.path())
                  .status,
              0);
    EXPECT_NE(QImage(QString::fromStdString((dir / "other.png").string())), png);
}

TEST(Render3dCli, RefusesWhatItCannotDraw) {
    TestFolder dir;
    for (const char* args : {"render3d --out a.svg", "render3d --out a.png --rotate xq=3",
                             "render3d --out a.png --projection fisheye", "render3d --out a.png --colour-by invariant",
                             "render3d --out a.png --camera 10"}) {
        const CliRun r = RunCli(args, dir.path());
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err, "") << args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a.png"));
}

TEST(Render3dCli, WithoutOpenGLExitsTwoWithOneLine) {
    TestFolder dir;
    // No display to reach: Qt's offscreen platform makes no OpenGL context.
    const CliRun r = RunCli("render3d --out none.png --size 64", dir.path(), "", true);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("No OpenGL context can be made here"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "none.png"));
}

}  // namespace

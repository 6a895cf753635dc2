// velmora4-cli reads its surface as the window does: a bound that is not a
// finite number fails with status 2 and one line on standard error, instead
// of a picture of nothing.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class CliSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("velmora-cli-test-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(CliSurfaceTest, AnInfiniteBoundFailsWithOneLineAndNoPicture) {
    const fs::path png = dir / "x.png";
    const CliRun r = RunCli("background --u '0,10^400' --type 3 --size 16,16 --png '" + png.string() + "'", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "The maximum of 'u' is not a finite number\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(png));
}

TEST_F(CliSurfaceTest, TheReadsMessagesReachEveryTracingCommand) {
    CliRun r = RunCli("locus --kind 3 --v '1,1'", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "The minimum of 'v' must be less than its maximum\n");
    r = RunCli("lines --class 1 --from 1,1 --x '   '", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "An edit field is blank\n");
    r = RunCli("locus --kind 0 --u '10^(-320),2*10^(-320)'", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "The bounds of 'u' are too close together or too far apart\n");
}

TEST_F(CliSurfaceTest, AGoodSurfaceStillGivesItsPicture) {
    const fs::path png = dir / "ok.png";
    const CliRun r = RunCli("background --u ' 0 , 2 pi ' --type 3 --size 16,16 --threads 2 --png '" + png.string() + "'",
                         dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(png));
    EXPECT_GT(fs::file_size(png), 0u);
}

}  // namespace

// velmora4-cli reads its surface as the window does: a bound that is not a
// finite number fails with status 2 and one line on standard error, instead
// of a picture of nothing.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
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

TEST_F(CliSurfaceTest, InvariantsTakesTheDomainAndRefusesAPointOutsideIt) {
    CliRun r = RunCli("invariants --u=-1,1 --v=-1,1 --x u --y v --z 'u v' --w 0 --at=-0.5,0.5", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"u\":-0.5,\"v\":0.5,\"ok\":true", 0), 0u) << r.out;
    r = RunCli("invariants --u=-1,1 --at=-1.5,0.5", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "velmora4-cli invariants: --at: -1.5,0.5 lies outside the domain [-1, 1] x [0, 2.2]\n");
    EXPECT_EQ(r.out, "");
}

// A document whose field holds a formula of n characters: 1 + 1 + ... + 1.
fs::path LongDocument(const fs::path& dir, std::size_t n) {
    std::string sum = "u";
    while (sum.size() + 2 <= n) sum += "+1";
    sum.resize(n, ' ');
    const fs::path doc = dir / ("long" + std::to_string(n) + ".vm4");
    std::ofstream out(doc, std::ios::binary);
    out << "u\r\nv\r\n" << sum << "\r\n0\r\n0\r\n1\r\n0\r\n1\r\n";
    return doc;
}

TEST_F(CliSurfaceTest, AFieldTakesAsManyCharactersAsInTheWindow) {
    // 56,000 characters are read; past 65536 the field is refused by name.
    CliRun r = RunCli("invariants --at 0.5,0.5 --doc '" + LongDocument(dir, 56000).string() + "'", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    r = RunCli("invariants --at 0.5,0.5 --doc '" + LongDocument(dir, 70001).string() + "'", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "z(u,v) is longer than the limit of 65536 characters\n");
}

TEST_F(CliSurfaceTest, AnInvariantThatVanishesEverywhereHasNoLocusAndSaysSo) {
    // On the complex curve (z, z^2) the discriminants vanish identically.
    const std::string curve = " --x u --y v --z 'u^2-v^2' --w '2 u v' --u=-1,1 --v=-1,1";
    CliRun r = RunCli("locus --kind strong-principal" + curve, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "The discriminant of the strong principal directions vanishes on the whole domain\n");
    // A family without directions anywhere traces nothing and says so.
    r = RunCli("lines --class 3 --from 0.2,0.3" + curve, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "There are no mean curvature lines: the form of their directions vanishes on the whole domain\n");
}

}  // namespace

// Every bad input to velmora4-cli exits with status 2 and one clear line on
// standard error - never with CLI11's own codes, several lines, Qt's notes, or
// success: empty options, points that are no numbers or lie outside the
// domain, infinite bounds, files that cannot be written or are no documents,
// usage errors, formulas that start with "-", characters outside the language.
#include "CliRunner.h"
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class CliFailuresTest : public ::testing::Test {
protected:
    // A run that must fail with one line containing `part`.
    void ExpectFailure(const std::string& args, const std::string& part) {
        const CliRun r = RunCli(args, folder.path());
        EXPECT_EQ(r.status, 2) << args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
        EXPECT_EQ(r.err.back(), '\n') << args;
        EXPECT_NE(r.err.find(part), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
    TestFolder folder{"velmora-cli-failures"};
};

TEST_F(CliFailuresTest, EmptyOptionsAreRefusedNotTakenForTheDefault) {
    ExpectFailure("locus --kind 3 --x ''", "--x: is empty: give a formula");
    ExpectFailure("invariants --at 1,1 --w ''", "--w: is empty");
    ExpectFailure("locus --kind 3 --u ''", "--u: is empty");
    ExpectFailure("invariants --at 1,1 --doc ''", "--doc: is empty: give a file");
    ExpectFailure("background --type 3 --size 8,8 --png ''", "--png: is empty: give a file");
    ExpectFailure("print --pdf ''", "--pdf: is empty");
}

TEST_F(CliFailuresTest, PointsMustBeFiniteAndInsideTheDomain) {
    ExpectFailure("eval u --at nan,1", "'nan' is not a finite number");
    ExpectFailure("partials u --at 1,inf", "'inf' is not a finite number");
    ExpectFailure("invariants --at 1e400,1", "'1e400' is not a number");
    ExpectFailure("lines --class 1 --from nan,1", "'nan' is not a finite number");
    ExpectFailure("lines --class 1 --from 9,1", "--from: 9,1 lies outside the domain [0, 6.283185307179586] x [0, 2.2]");
    ExpectFailure("lines --class 1 --from=-0.5,1 --u 0,1", "lies outside the domain");
    ExpectFailure("print --pdf page.pdf --lines 0 --from 1,5", "--from: 1,5 lies outside the domain");
    EXPECT_FALSE(fs::exists(folder / "page.pdf"));
    // On the border is inside.
    EXPECT_EQ(RunCli("lines --class 1 --from 0,0 --max-points 50", folder.path()).status, 0);
}

TEST_F(CliFailuresTest, BoundsThatAreNoFiniteNumbers) {
    ExpectFailure("locus --kind 3 --u '0,10^400'", "The maximum of 'u' is not a finite number");
    ExpectFailure("lines --class 1 --from 1,1 --v '-exp(1000)*exp(1000)*10^300,1'", "is not a finite number");
}

TEST_F(CliFailuresTest, FilesThatCannotBeWrittenAreFailures) {
    ExpectFailure("background --type 3 --size 8,8 --png /dev/full", "Cannot write /dev/full: it is not a regular file");
    ExpectFailure("background --type 3 --size 8,8 --png " + folder.path().string(), "it is not a regular file");
    ExpectFailure("background --type 3 --size 8,8 --png /nonexistent-folder/k.png", "Cannot write /nonexistent-folder/k.png");
    ExpectFailure("print --pdf /dev/full", "Cannot write /dev/full: it is not a regular file");
    // Standard output that cannot take the results.
    const CliRun r = RunCli("eval 'sin(u)' --at 1,2", folder.path(), "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "velmora4-cli: the output could not be written: No space left on device\n");
}

TEST_F(CliFailuresTest, DocumentsAreReadBoundedAndOnlyFromFiles) {
    ExpectFailure("invariants --at 1,1 --doc /dev/zero", "zero is not a regular file");
    ExpectFailure("invariants --at 1,1 --doc " + folder.path().string(), "is a folder");
    // A 400 MB document (sparse, so that the test writes nothing) is refused at once.
    const fs::path huge = folder / "huge.vm4";
    const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 400LL << 20), 0);
    ::close(fd);
    ExpectFailure("invariants --at 1,1 --doc " + huge.string(), "huge.vm4 is larger than 1 MiB");
}

TEST_F(CliFailuresTest, UsageErrorsAreOneLineAndStatusTwo) {
    ExpectFailure("", "a subcommand is required: eval, invariants, partials");
    ExpectFailure("frobnicate --at 1,1", "unknown subcommand 'frobnicate'; the subcommands are eval,");
    ExpectFailure("eval", "velmora4-cli eval: the formula is missing");
    ExpectFailure("eval u", "velmora4-cli eval: --at is required");
    ExpectFailure("eval u --at 1,2 --frob 3", "velmora4-cli eval:");
    ExpectFailure("locus --kind 99", "'99' is not an invariant");
    ExpectFailure("lines --class 9 --from 1,1", "velmora4-cli lines: --class:");
    ExpectFailure("lines --class 1 --from 1", "expected two numbers separated by a comma");
    ExpectFailure("background --type 3", "--png is required");
    // --help and --version still succeed.
    EXPECT_EQ(RunCli("--version", folder.path()).status, 0);
    EXPECT_EQ(RunCli("eval --help", folder.path()).status, 0);
}

TEST_F(CliFailuresTest, AFormulaThatStartsWithAMinusGoesAfterTheSeparator) {
    ExpectFailure("eval -u^2 --at 1,2", "a formula that starts with \"-\" goes after --");
    ExpectFailure("partials --at 1,2", "the formula is missing; a formula that starts with \"-\" goes after --");
    const CliRun r = RunCli("eval --at 1,2 -- '-u^2'", folder.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"u\":1,\"v\":2,\"value\":-1,\"d1\":-2,\"d2\":-2}\n");
    EXPECT_EQ(RunCli("locus --kind 3 --x=-u", folder.path()).status, 0);
}

TEST_F(CliFailuresTest, CharactersOutsideTheLanguageAreRefusedByEveryCommand) {
    ExpectFailure("partials 'u@v' --at 1,2", "You have used an illegal character.");
    ExpectFailure("partials \"$(printf 'u*\\377\\030')\" --at 1,2", "You have used an illegal character.");
    ExpectFailure("const '2@3'", "You have used an illegal character.");
    ExpectFailure("eval 'u@v' --at 1,2", "You have used an illegal character.");
    // What only the symbolic engine spells is no formula of the language.
    ExpectFailure("partials 'sgn(u)' --at 1,2", "You mispelled a function or variable");
}

TEST_F(CliFailuresTest, QtHasNothingToSayOnStandardError) {
    // A picture written where it can: nothing but the result.
    const CliRun r = RunCli("background --type 3 --size 8,8 --png k.png", folder.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::exists(folder / "k.png"));
}

}  // namespace

// The README's velmora4-cli examples, taken from README.md itself and run as
// written (in a folder of their own): each succeeds, says nothing on
// standard error and writes JSON lines or its file.
#include "CliRunner.h"
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The command lines of the README's first sh block after "## The command-line
// companion", with continuation lines joined and comments dropped.
std::vector<std::string> ReadmeExamples() {
    std::ifstream readme(VELMORA_README);
    std::vector<std::string> commands;
    std::string line, pending;
    bool section = false, block = false;
    while (std::getline(readme, line)) {
        if (line.rfind("## The command-line companion", 0) == 0) section = true;
        if (!section) continue;
        if (line.rfind("```", 0) == 0) {
            if (block) break;
            block = true;
            continue;
        }
        if (!block) continue;
        if (const auto hash = line.find(" # "); hash != std::string::npos) line.erase(hash);
        const bool continued = !line.empty() && line.back() == '\\';
        if (continued) line.pop_back();
        pending += line;
        if (!continued) {
            if (pending.find_first_not_of(' ') != std::string::npos) commands.push_back(pending);
            pending.clear();
        }
    }
    return commands;
}

TEST(CliReadme, EveryExampleRunsAsWritten) {
    const std::vector<std::string> commands = ReadmeExamples();
    ASSERT_GE(commands.size(), 8u);
    for (std::string command : commands) {
        ASSERT_EQ(command.rfind("velmora4-cli ", 0), 0u) << command;
        // The large picture of the README is made smaller: the same command otherwise.
        if (const auto size = command.find("--size 548,548"); size != std::string::npos)
            command.replace(size, 14, "--size 48,48");
        TestFolder folder("velmora-cli-readme");
        const CliRun r = RunCli(command.substr(13), folder.path());
        EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
        EXPECT_EQ(r.err, "") << command;
        // Every command prints JSON lines but print and render, which write their file only.
        if (command.rfind("velmora4-cli print", 0) != 0 && command.rfind("velmora4-cli render", 0) != 0) {
            ASSERT_FALSE(r.out.empty()) << command;
            EXPECT_EQ(r.out.front(), '{') << command;
            EXPECT_EQ(r.out.back(), '\n') << command;
        }
        if (command.find("--png k.png") != std::string::npos) {
            EXPECT_TRUE(std::filesystem::exists(folder / "k.png"));
        }
        if (command.find("--pdf page.pdf") != std::string::npos) {
            EXPECT_TRUE(std::filesystem::exists(folder / "page.pdf"));
        }
        if (command.find("--out fig.svg") != std::string::npos) {
            EXPECT_TRUE(std::filesystem::exists(folder / "fig.svg"));
        }
    }
}

}  // namespace

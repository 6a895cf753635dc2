// Runs the built velmora4-cli as a user runs it, through the shell, and
// collects its exit status and both output streams.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct CliRun {
    int status = -1;
    std::string out, err;
};

inline std::string SlurpFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the CLI with arguments (already quoted for the shell); the output goes
// through files in dir (standard output to `stdoutPath` instead when given);
// with withoutDisplay: the CLI runs with no X display to reach.
inline CliRun RunCli(const std::string& args, const std::filesystem::path& dir, const std::string& stdoutPath = "",
                     bool withoutDisplay = false) {
    const std::filesystem::path out = dir / "out.txt", err = dir / "err.txt";
    const std::string command = "cd '" + dir.string() + "' && " + (withoutDisplay ? "env -u DISPLAY " : "") + "'" +
                                VELMORA_CLI + "' " + args + " >'" +
                                (stdoutPath.empty() ? out.string() : stdoutPath) + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    CliRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = SlurpFile(out);
    r.err = SlurpFile(err);
    return r;
}

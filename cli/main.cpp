// velmora4-cli: the command-line companion of Velmora4. One subcommand per job;
// results as JSON, one object per line. Every failure - a formula or input the
// engine refuses, a command line it cannot read, output it cannot write - ends
// with status 2 and one line on standard error.
#include "cli/CliCommon.h"
#include "cli/Registry.h"

#include <QString>
#include <QtGlobal>

#include <clocale>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

namespace velmora::cli {

std::map<int, SubcommandSetup>& Subcommands() {
    static std::map<int, SubcommandSetup> list;
    return list;
}

namespace {

// The subcommand called `name`, or null.
CLI::App* FindSubcommand(CLI::App& app, const std::string& name) {
    for (CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        if (sub->get_name() == name) return sub;
    return nullptr;
}

std::string SubcommandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (!names.empty()) names += ", ";
        names += sub->get_name();
    }
    return names;
}

// The one line that reports an unreadable command line.
std::string UsageMessage(CLI::App& app, int argc, char** argv, const CLI::ParseError& error) {
    // The subcommand given, if any: the first argument that names one.
    CLI::App* sub = nullptr;
    std::string firstWord;
    for (int i = 1; i < argc && sub == nullptr; ++i) {
        const std::string arg = argv[i];
        if (arg.empty() || arg[0] == '-') continue;
        if (firstWord.empty()) firstWord = arg;
        sub = FindSubcommand(app, arg);
    }
    if (sub == nullptr) {
        const std::string list = SubcommandNames(app);
        if (!firstWord.empty()) return "unknown subcommand '" + firstWord + "'; the subcommands are " + list;
        return "a subcommand is required: " + list + " (velmora4-cli --help)";
    }
    const std::string name = "velmora4-cli " + sub->get_name();
    std::string message = error.what();
    for (char& c : message)
        if (c == '\n') c = ' ';
    // A formula (or a value) that starts with "-" reads as an option unless it
    // follows "--" (or is joined to its option by "=").
    bool strayDash = false;
    bool afterSeparator = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") afterSeparator = true;
        if (afterSeparator || arg.size() < 2 || arg[0] != '-' || arg == "--") continue;
        const std::string option = arg.substr(0, arg.find('='));
        if (option != "-h" && option != "--help" && sub->get_option_no_throw(option) == nullptr) strayDash = true;
    }
    const bool formulaMissing = dynamic_cast<const CLI::RequiredError*>(&error) != nullptr &&
                                (message.find("formula") != std::string::npos || message.find("text") != std::string::npos);
    if (formulaMissing)
        return name + ": the formula is missing; a formula that starts with \"-\" goes after --, as in " + name +
               " ... -- '-u^2'";
    if (strayDash)
        message += " (a formula that starts with \"-\" goes after --, a value that starts with \"-\" as --OPTION=VALUE)";
    return name + ": " + message;
}

int Fail(const std::string& line) {
    std::cerr << line << std::endl;
    return 2;
}

}  // namespace
}  // namespace velmora::cli

int main(int argc, char** argv) {
    using namespace velmora::cli;
    std::setlocale(LC_ALL, "C");
    // Qt's own notes (an empty file name, the runtime folder of a session...)
    // are no output of a command: each failure is reported by the command, once.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) std::cerr << message.toStdString() << std::endl;
    });
    CLI::App app{"velmora4-cli - numbers and figures of surfaces in R^4 from the Velmora4 engine"};
    app.set_version_flag("-v,--version", std::string("velmora4-cli ") + VELMORA_VERSION);
    app.require_subcommand(1);
    for (auto& [place, setup] : Subcommands()) setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help, --version
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        return Fail(UsageMessage(app, argc, argv, error));
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
    // The results are written only when they have all reached standard output.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Fail(std::string("velmora4-cli: the output could not be written: ") + std::strerror(errno));
    return 0;
}

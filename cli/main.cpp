// velmora4-cli: the command-line companion of Velmora4. One subcommand per job;
// results as JSON, one object per line; engine errors on standard error with
// exit status 2.
#include "cli/Registry.h"

#include <clocale>
#include <string>

namespace velmora::cli {
std::vector<SubcommandSetup>& Subcommands() {
    static std::vector<SubcommandSetup> list;
    return list;
}
}  // namespace velmora::cli

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    CLI::App app{"velmora4-cli - numbers and figures of surfaces in R^4 from the Velmora4 engine"};
    app.set_version_flag("-v,--version", std::string("velmora4-cli ") + VELMORA_VERSION);
    app.require_subcommand(1);
    for (auto& setup : velmora::cli::Subcommands()) setup(app);
    CLI11_PARSE(app, argc, argv);
    return 0;
}

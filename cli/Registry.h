// Subcommands of velmora4-cli register themselves here from their own source
// files, so that each job lives in one file.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <vector>

namespace velmora::cli {

using SubcommandSetup = std::function<void(CLI::App& app)>;

std::vector<SubcommandSetup>& Subcommands();

struct SubcommandRegistrar {
    explicit SubcommandRegistrar(SubcommandSetup setup) { Subcommands().push_back(std::move(setup)); }
};

}  // namespace velmora::cli

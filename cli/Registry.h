// Subcommands of velmora4-cli register themselves here from their own source
// files, so that each job lives in one file.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <map>
#include <vector>

namespace velmora::cli {

using SubcommandSetup = std::function<void(CLI::App& app)>;

// The setups by their place in the help's list of subcommands (the order in
// which files are initialised is not the order of that list).
std::map<int, SubcommandSetup>& Subcommands();

struct SubcommandRegistrar {
    SubcommandRegistrar(int place, SubcommandSetup setup) { Subcommands().emplace(place, std::move(setup)); }
};

}  // namespace velmora::cli

// The one exception type of the engines: it carries the exact English message
// that the window (or the command-line companion) reports.
#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

class VelmoraError : public std::runtime_error {
public:
    explicit VelmoraError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace velmora

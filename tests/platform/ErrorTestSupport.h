// The message of the engine error an action throws, for tests of messages.
#pragma once

#include "platform/VelmoraError.h"

#include <string>

namespace velmora::test {

// The message of the VelmoraError thrown by f, or "" when none is thrown.
template <typename F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const VelmoraError& e) {
        return e.what();
    }
    return "";
}

}  // namespace velmora::test

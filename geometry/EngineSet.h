// The compiled engines of one thread: the four derivative evaluators and the
// four symbolic-derivative objects of the coordinates x, y, z, w. The window
// owns one set for the main thread and one per background worker; no set is
// ever used by two threads. A set must not move once built (its code embeds
// the addresses of its tables).
#pragma once

#include "evaluator/FEvaluatorBytes_64_XE2.h"
#include "formula/FunctionParserBytes_64_XE2.h"
#include "symbolic/FunctionAndPartDerivs_64.h"

#include <array>
#include <string>

namespace velmora {

struct TEngineSet {
    FourEvaluators sds;  // x, y, z, w: value, first and second derivatives
    FourFPD spds;        // x, y, z, w: partial derivatives up to order three

    TEngineSet() = default;
    TEngineSet(const TEngineSet&) = delete;
    TEngineSet& operator=(const TEngineSet&) = delete;

    // Parses and compiles the four coordinate texts (variables "uv") with the
    // given parser; throws the first engine error.
    void Build(const std::array<std::string, 4>& texts, TFunctionParserBytes_64& parser);
};

}  // namespace velmora

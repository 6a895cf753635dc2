// TFunctionAndPartDerivs_64: a formula and all its partial derivatives up to
// the third order, derived symbolically as encoded text, simplified while being
// converted to postfix, and compiled into one block of native code each.
#pragma once

#include "formula/InfByteArrays.h"
#include "formula/X87Emitter.h"
#include "platform/CompiledFunction.h"
#include "platform/ExecutableMemory.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

class TFunctionAndPartDerivs_64 {
public:
    TFunctionAndPartDerivs_64();  // Create
    TFunctionAndPartDerivs_64(const TFunctionAndPartDerivs_64&) = delete;
    TFunctionAndPartDerivs_64& operator=(const TFunctionAndPartDerivs_64&) = delete;

    // Throws VelmoraError with the exact message on any fault.
    void ParseNewText(const std::string& t, const std::string& vars, const std::string& pars, bool codify,
                      bool withPDs);

    // The compiled derivative with multi-index (i, j, k), 0 = no further
    // derivative: (0,0,0) f, (1,0,0) f_u, (1,2,0) f_uv, (1,1,2) f_uuv ...
    const RealFunction& FF(int i, int j, int k) const;
    // Calls FF(i, j, k) at the variable values `args` (argNum of them).
    double EvaluateFF(int i, int j, int k, const double* args) const { return FF(i, j, k)(args, argNum); }

    double EvaluateActorList(const std::string& str);
    void UpdateParameters(const std::vector<double>& values);

    int32_t argNum = 0, parNum = 0;
    std::string uReduced;   // encoded reduced formula (byte string)
    std::string actorList;  // last postfix program built
    std::array<double, 254> data{};
    uint8_t endFD = 40;
    int64_t tirar = 0;

    // ... the owner of this class adds the remaining fields and operations.
};

using FourFPD = std::array<TFunctionAndPartDerivs_64, 4>;

// Value of a formula without variables ("2 pi", "cos(pi/sqrt(5))"); throws the
// parse error otherwise.
double EvaluateConstantFormula(const std::string& text);

}  // namespace velmora

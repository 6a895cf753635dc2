// TFunctionParserBytes_64: the formula language of the coordinate formulas.
// ParseNewText turns a text into a postfix program `actorList` over the
// constant table `data`, and optionally compiles it into native code `Fv`.
//
// Postfix tokens (one or four bytes): "1", "p", "#", "+", "-", "*", "/",
// function codes "A".."S", and four-byte operands 0xFF, kind, hi, lo where kind
// 1 = variable number lo, 2 = parameter in slot lo of `data`, 3 = literal in
// slot hi*256+lo of `data`.
#pragma once

#include "formula/InfByteArrays.h"
#include "formula/X87Emitter.h"
#include "platform/CompiledFunction.h"
#include "platform/ExecutableMemory.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct WrittenFunction {
    const char* t;  // a spelling, upper case
    uint8_t by;     // its one-letter code
};

inline constexpr uint8_t kTokenPrefix = 0xFF;
inline constexpr uint8_t kTokenVariable = 1;
inline constexpr uint8_t kTokenParameter = 2;
inline constexpr uint8_t kTokenLiteral = 3;

class TFunctionParserBytes_64 {
public:
    TFunctionParserBytes_64();  // Create
    TFunctionParserBytes_64(const TFunctionParserBytes_64&) = delete;
    TFunctionParserBytes_64& operator=(const TFunctionParserBytes_64&) = delete;
    ~TFunctionParserBytes_64() = default;  // Destroy: the block and arrays are owned

    // Parses `text`; throws VelmoraError with the exact message on any fault.
    void ParseNewText(const std::string& text, const std::string& vars, const std::string& pars,
                      bool allowIntegrals, bool codify, const std::vector<double>& minCorner = {},
                      const std::vector<double>& maxCorner = {});

    // Upper bound (exact) of the code length for the current actorList.
    int32_t EstimateCodeSize() const;

    // Value of the compiled function at the variable values `args` (argNum of them).
    double Evaluate(const double* args) const { return Fv(args, argNum); }

    // ---- state read by the derivative evaluator and the tests ---------------
    std::string rawText;
    std::string uFormula;
    std::string allowedVars, allowedPars, allVars;
    uint16_t endParam = 5;
    ByteArray actorList;
    int32_t argNum = 0, parNum = 0;
    int32_t lastIntegral1 = -1, lastIntegral2 = -1;
    uint16_t endFD = 5, endVD = 5;
    int32_t vaNum = 0;
    std::vector<double> data;  // the constant table (32 slots after Create)
    RealFunction Fv;

    // Code generation state.
    X87CodeGen gen;  // lastPreserved, emptyRegisters, fCode
    ExecutableBlock FBlock;
    int32_t FBlockLength = 0;

    static const std::vector<WrittenFunction>& functionNames();
};

}  // namespace velmora

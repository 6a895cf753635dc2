// TFormulaCompiler: the formula language of the coordinate formulas.
// ParseNewText turns a text into a postfix program over a constant table, and
// optionally compiles it into native code, published in a mapping of the
// compiler's own.
//
// Postfix tokens (one or four bytes): "1", "p", "#", "+", "-", "*", "/",
// function codes "A".."S", and four-byte operands 0xFF, kind, hi, lo where kind
// 1 = variable number lo, 2 = parameter in slot lo of the table, 3 = literal
// in slot hi*256+lo of the table.
//
// Integrals ("INT", "INTEGRAL", code "S") are refused unless the options allow
// them; then the code "S" reaches the postfix program, which the code
// generator refuses as a function it cannot analyse.
#pragma once

#include "formula/CodeBuffer.h"
#include "formula/ReducedForm.h"
#include "formula/X87Emitter.h"
#include "platform/CodeArea.h"
#include "platform/CompiledFunction.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
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

// Messages of the formula language.
inline constexpr const char* kBadVariablesMessage = "The allowed variables must be in the range 'p' to 'z'.";
inline constexpr const char* kBadParameterSetMessage = "Bad parameter set";
inline constexpr const char* kEmptyFieldMessage = "Some field may be empty";
inline constexpr const char* kIllegalCharacterMessage = "You have used an illegal character.";
inline constexpr const char* kParenthesesMessage = "Check the parentheses, please.";
inline constexpr const char* kReducesToNothingMessage = "Formula reduces to nothing";
inline constexpr const char* kMiswrittenNumberMessage = "A number is miswritten.";
inline constexpr const char* kIntegralsMessage = "Integrals inside integrals are not allowed";
inline constexpr const char* kMisspelledMessage = "You mispelled a function or variable";
inline constexpr const char* kSyntaxFaultMessage = "There is a sintax fault in the formula.";
// Limits that keep every table and the compiler's own stack bounded.
inline constexpr const char* kNumberTooLargeMessage = "A number is too large.";
inline constexpr const char* kExponentTooLargeMessage = "An integer exponent is too large.";
inline constexpr const char* kFormulaTooLongMessage = "The formula is too long.";
inline constexpr const char* kNestedTooDeeplyMessage = "The formula is nested too deeply.";
inline constexpr const char* kNotCompiledMessage = "The formula has not been compiled.";

// The bounds behind kFormulaTooLongMessage and kNestedTooDeeplyMessage: the
// reduced form may hold at most kMaxReducedTokens tokens (integer powers copy
// their base), brackets nest at most kMaxNesting deep (the postfix conversion
// recurses on them), and the constant table is indexed by 16 bits.
inline constexpr std::size_t kMaxReducedTokens = 1u << 16;
inline constexpr int kMaxNesting = 1000;
inline constexpr int kMaxDataSlots = 65536;

// The characters a formula may contain: letters, digits, the three decimal
// points "'", ",", ".", brackets of three kinds, the operators + - * / \ ^,
// ";" and the blanks space, tab, line feed and carriage return. Any other is
// "You have used an illegal character." in both formula engines.
constexpr bool IsFormulaCharacter(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
        case '\'': case ',': case '.': case '(': case '[': case '{': case ')': case ']': case '}':
        case '*': case '+': case '-': case '/': case '\\': case '^': case ';':
        case ' ': case '\t': case '\n': case '\r':
            return true;
        default:
            return false;
    }
}

// The value-only function of a postfix program of this language, from
// prologue to epilogue, reading the table `data` (the parser's Fv and the
// derivative evaluator's ff). Throws kFailedAnalysisMessage for a token it
// cannot compile.
void EmitValueFunction(X87CodeGen& gen, const ByteArray& program, int argNum, const double* data);
// Length of that code, counting 6 bytes for every four-byte operand: exact for
// literals, an upper bound for variables and parameters (their loads take 2
// or 3 bytes). Throws kFailedAnalysisMessage for an unknown token and
// kTooManyPendingMessage past the spill frame, before any code is written.
int32_t EstimateValueCodeSize(const ByteArray& program);

// What ParseNewText does besides parsing, e.g. {.compile = true}.
struct FormulaParseOptions {
    bool allowIntegrals = false;  // "INT" and "INTEGRAL" reach the program instead of being refused
    bool compile = false;         // native code of the value, for Evaluate
};

class TFormulaCompiler final : public CodeAreaMember {
public:
    // An empty parser whose table holds the clamp constants.
    TFormulaCompiler();
    ~TFormulaCompiler() = default;  // the code and the arrays are owned

    // Parses `text` in the variables `vars` and parameters `pars` (letters p
    // to z); throws VelmoraError with the exact message on any fault. The
    // corners of the variables' domain are for integrals.
    void ParseNewText(const std::string& text, const std::string& vars, const std::string& pars,
                      const FormulaParseOptions& options = {}, const std::vector<double>& minCorner = {},
                      const std::vector<double>& maxCorner = {});

    // Length of the code of the current program (EstimateValueCodeSize).
    int32_t EstimateCodeSize() const { return EstimateValueCodeSize(actorList); }

    // Value of the compiled function at the variable values `args` (one per variable).
    // Throws kNotCompiledMessage when the last parse did not end with code.
    double Evaluate(const double* args) const;
    // Sets the first values.size() parameters (in the order of `pars`); nothing
    // when there are more values than parameters.
    void UpdateParameters(const std::vector<double>& values);

    // ---- what the last parse left, for the engines that build on it ----------
    // The postfix program and the constant table it reads: the clamp values in
    // slots 0 to 5, the parameters from slot 6, the literals after them up to
    // LastConstantSlot(), then two working slots per level of the evaluation
    // stack (StackDepth() levels) for the derivative code.
    const ByteArray& Program() const { return actorList; }
    const std::vector<double>& Table() const { return data; }
    int32_t Variables() const { return argNum; }
    int32_t Parameters() const { return parNum; }
    int32_t LastConstantSlot() const { return endFD; }
    int32_t StackDepth() const { return vaNum; }
    // The compiled value function and its bytes (unassigned and empty without code).
    const RealFunction& ValueFunction() const { return Fv; }
    std::span<const uint8_t> ValueCode() const {
        return {static_cast<const uint8_t*>(Fv.code), Fv.Assigned() ? codeLength : 0};
    }

    static const std::vector<WrittenFunction>& functionNames();
    // Code of a function spelling (upper case), '?' when it is not in the table.
    static uint8_t FunctionCode(const std::string& name);

    // ---- publication of the code (CodeAreaMember) -----------------------------
    const StagedCode& Staged() const override { return staged; }
    void Install(const std::shared_ptr<const CodeMapping>& mapping, const uint8_t* code) noexcept override;
    void Discard() noexcept override;

private:
    const std::shared_ptr<const CodeMapping>& CurrentMapping() const override { return mapping; }
    void Forget() noexcept override;

    // The stages of ParseNewText, in order.
    void NormalizeText();                                      // rawText -> uFormula
    ReducedForm ReduceFormula(bool allowIntegrals);            // uFormula -> reduced form
    static void CheckSyntax(const ReducedForm& reduced);
    void ExpandIntegerPowers(ReducedForm& reduced) const;
    static ByteArray ToPostfix(const ReducedForm& reduced);
    static int32_t DeepestStackLevel(const ByteArray& program);
    void GenerateCode();                                       // actorList -> Fv

    std::string rawText;
    std::string uFormula;
    std::string allowedVars, allowedPars, allVars;
    uint16_t endParam = 5;
    ByteArray actorList;
    int32_t argNum = 0, parNum = 0;
    uint16_t endFD = 5;
    int32_t vaNum = 0;
    std::vector<double> data;  // the constant table (32 slots before the first parse)
    RealFunction Fv;
    std::size_t codeLength = 0;  // of Fv

    X87CodeGen gen;
    StagedCode staged;                          // the code of this parse, before publication
    std::shared_ptr<const CodeMapping> mapping; // where Fv lives
};

}  // namespace velmora

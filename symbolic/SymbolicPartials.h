// TSymbolicPartials: a formula and all its partial derivatives up to
// the third order, derived symbolically as encoded text, simplified while being
// converted to postfix, and compiled into one block of native code each.
//
// Every expression is kept as an encoded byte string: one-byte tokens ("+",
// "*", "(", function letters "A".."X", "0", "1", "p", ...) and two-byte tokens
// 0xFF k (operand k: variable k when 1 <= k <= argNum, otherwise the value
// data[k]) and 0xFE x (function letter x, only in uFormula). No scan ever
// splits a two-byte token.
//
// The blocks of a parse are staged and published together: in a mapping of
// the object's own, or in its engine set's code area while the set is built.
// Until then the blocks of the last published parse stay callable, with a copy
// of the constant table of their own: a parse that fails, or whose code is
// never published, leaves them as they were.
#pragma once

#include "formula/X87Emitter.h"
#include "platform/CodeArea.h"
#include "platform/CompiledFunction.h"
#include "symbolic/SymbolicCodegen.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora {

// What ParseNewText compiles, e.g. {.compile = true, .withPartials = true}.
struct SymbolicParseOptions {
    bool compile = false;       // the block of the formula itself
    bool withPartials = false;  // the blocks of all partial derivatives up to the third order
};

class TSymbolicPartials final : public CodeAreaMember {
public:
    TSymbolicPartials();  // the constant table filled, no block
    ~TSymbolicPartials() = default;  // the code and the arrays are owned

    // Parses `t` in the variables `vars` and parameters `pars` (letters p to
    // z) and compiles what the options ask for. Throws VelmoraError with the
    // exact message on any fault; the object then keeps the blocks it had.
    void ParseNewText(const std::string& t, const std::string& vars, const std::string& pars,
                      const SymbolicParseOptions& options = {});

    // The compiled derivative with multi-index (i, j, k), 0 = no further
    // derivative: (0,0,0) f, (1,0,0) f_u, (1,2,0) f_uv, (1,1,2) f_uuv ...
    // An index outside the variables of the published parse gives an
    // unassigned reference.
    const RealFunction& FF(int i, int j, int k) const;
    // Calls FF(i, j, k) at the variable values `args` (one per variable); NaN
    // when the published parse has not compiled that derivative.
    double EvaluateFF(int i, int j, int k, const double* args) const {
        const RealFunction& g = FF(i, j, k);
        return g.Assigned() ? g(args, codeArgNum) : NotCompiledValue();
    }
    // The bytes of the block FF(i, j, k) (empty when it is not compiled).
    std::span<const uint8_t> BlockCode(int i, int j, int k) const;
    // The estimated size of all blocks of the last parse with partial
    // derivatives (0 after a parse without them).
    int64_t TotalCodeBytes() const { return totalCodeBytes; }

    // Sets the first values.size() parameters (in the order of `pars`); nothing
    // when there are more values than parameters.
    void UpdateParameters(const std::vector<double>& values);

    // ---- publication of the blocks (CodeAreaMember) ---------------------------
    const StagedCode& Staged() const override { return staged; }
    void Install(const std::shared_ptr<const CodeMapping>& mapping, const uint8_t* code) noexcept override;
    void Discard() noexcept override;

private:
    friend double EvaluateConstantFormula(const std::string& text);

    const std::shared_ptr<const CodeMapping>& CurrentMapping() const override { return mapping; }
    void Forget() noexcept override;
    static double NotCompiledValue();

    // ---- front end: text to validated encoded formula ------------------------
    void Tokenize();                                   // rawText -> uFormula
    std::string NormalizeText(const std::string& upper) const;
    void EncodeVariables();                            // uFormula -> uReduced
    // 0 when the syntax is sound, 1 for an empty formula, 2 for any other fault.
    static int CheckSyntax(const std::string& s);
    void ReadNumber(std::size_t& i, char& prev);
    std::string ReadName(std::size_t& i);
    std::string ResolveFunctionName(const std::string& letters);
    std::string LettersToVariables(const std::string& letters);

    // ---- rewriting into the reduced alphabet ---------------------------------
    std::string ConvertPowers(std::string s);
    // True when `exponent` is an integer written as a number (in brackets or
    // not, after a unary minus or not), the exponents the formula language
    // expands into products of squares; its value goes to n.
    bool IntegerExponent(const std::string& exponent, double& n);
    static std::string ExpandMinusAndDivide(std::string s);

    // ---- symbolic differentiation by variable v ------------------------------
    std::string DeriveSum(const std::string& s, int v) const;
    std::string DeriveProduct(const std::string& s, int v) const;
    std::string DerivePower(const std::string& s, int v) const;
    std::string DeriveAtom(const std::string& s, int v) const;
    std::string DeriveFunction(uint8_t letter, const std::string& arg, int v) const;

    // ---- postfix conversion with constant folding ----------------------------
    std::string PostfixSum(const std::string& s);
    std::string PostfixProduct(const std::string& s);
    std::string FactorBA(const std::string& s);
    std::string AtomString(const std::string& s);
    void FoldConstant(std::string& r);
    // EvaluateActorList with the values of this parse remembered: the same
    // constant program always gives the same value while the table slots it
    // reads keep theirs, which holds from one parse start to the next.
    double ConstantValue(const std::string& program);
    // The value of a postfix program without variables: its code, run by the
    // x87 interpreter.
    double EvaluateActorList(const std::string& str);

    // ---- blocks ---------------------------------------------------------------
    int Slot(int i, int j, int k) const { return (i * (argNum + 1) + j) * (argNum + 1) + k; }
    void BuildFuncAssigner();
    void BuildPDs();
    std::string DeriveAndCompile(int b, int v, const std::string& text);
    // Compiles a program as block b of this parse, to be published with the others.
    void StageBlock(int b, const std::string& program);
    SymbolicBlock BlockKind() const { return derivativeCode ? SymbolicBlock::Derivative : SymbolicBlock::Value; }
    // Puts x in the next free slot of data (41..253) and returns its index.
    uint8_t AppendConstant(double x);

    // ---- the parse -----------------------------------------------------------------
    std::string rawText;      // the text; during parsing its upper-cased, normalised form
    std::string uFormula;     // tokenised formula, variables still as letters
    std::string allowedVars;  // upper-case variable letters in declaration order
    std::string allowedPars;  // upper-case parameter letters
    std::string allVars;      // allowedVars + allowedPars
    bool reduceConsts = false;  // fold constant sub-programs (true when allVars is not empty)
    int32_t depth = 0;          // parenthesis depth while tokenising
    std::string uReduced;       // encoded reduced formula (byte string)
    std::string actorList;      // last postfix program built
    int32_t argNum = 0, parNum = 0;
    uint8_t endFD = 40;         // last used slot of data
    SymbolicTable data{};
    std::bitset<256> usedVarsAndParams;  // declared letters that occur in the formula
    // Set while the derivative blocks are converted and compiled: arctanh
    // outside (-1, 1) is then +-1e100, as in the derivative code of the
    // formula language, whose value and derivatives the geometry combines
    // with these blocks; the value block keeps the value code's +-230.
    bool derivativeCode = false;
    std::unordered_map<std::string, double> constantValues;

    // ---- the blocks of the parse, before publication ----------------------------
    X87CodeGen gen;                      // the block being written
    std::vector<int32_t> FuncAssigner;   // (argNum+1)^3 block numbers, see Slot()
    int32_t lastBlock = 0;
    std::vector<int32_t> FBlockLengths;  // the size estimated for each block
    int64_t totalCodeBytes = 0;          // their sum after a parse with derivatives
    StagedCode staged;                   // the blocks of this parse
    std::vector<int64_t> stagedOffsets;  // where each block starts in `staged` (-1: not compiled)
    std::vector<int32_t> stagedLengths;  // and its length
    std::shared_ptr<SymbolicTable> stagedTable;  // the table the staged blocks read, filled when the parse ends
    int32_t stagedArgNum = 0;
    // The references the staged blocks will take by multi-index, sized by the
    // parse and filled on installation (which must not allocate).
    std::vector<RealFunction> stagedFf;
    std::vector<std::span<const uint8_t>> stagedFfCode;

    // ---- the published blocks: their mapping, the table they read, the number
    // of variables of their parse and the references by multi-index ------------
    std::shared_ptr<const CodeMapping> mapping;
    std::shared_ptr<SymbolicTable> codeTable;
    int32_t codeArgNum = 0;
    std::vector<RealFunction> ff;
    std::vector<std::span<const uint8_t>> ffCode;
};

using FourSymbolicPartials = std::array<TSymbolicPartials, 4>;

// Value of a formula without variables ("2 pi", "cos(pi/sqrt(5))"); throws the
// parse error otherwise.
double EvaluateConstantFormula(const std::string& text);

}  // namespace velmora

// The object, its constant table, the numbering of the derivative blocks and
// the order in which they are derived and compiled.
#include "symbolic/SymbolicPartials.h"

#include "formula/X87Interpreter.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace velmora {

using namespace symbolic;

TSymbolicPartials::TSymbolicPartials() : endFD(kLastPredefinedSlot), data(InitialSymbolicTable()) {}

double TSymbolicPartials::NotCompiledValue() { return std::numeric_limits<double>::quiet_NaN(); }

namespace {

// The position of a multi-index among the (n+1)^3 of n variables, or -1.
int64_t MultiIndexSlot(int i, int j, int k, int n) {
    if (i < 0 || j < 0 || k < 0 || i > n || j > n || k > n) return -1;
    return (static_cast<int64_t>(i) * (n + 1) + j) * (n + 1) + k;
}

}  // namespace

const RealFunction& TSymbolicPartials::FF(int i, int j, int k) const {
    static const RealFunction unassigned{};
    const int64_t slot = MultiIndexSlot(i, j, k, codeArgNum);
    return slot >= 0 && static_cast<std::size_t>(slot) < ff.size() ? ff[static_cast<std::size_t>(slot)] : unassigned;
}

std::span<const uint8_t> TSymbolicPartials::BlockCode(int i, int j, int k) const {
    const int64_t slot = MultiIndexSlot(i, j, k, codeArgNum);
    return slot >= 0 && static_cast<std::size_t>(slot) < ffCode.size() ? ffCode[static_cast<std::size_t>(slot)]
                                                                       : std::span<const uint8_t>{};
}

uint8_t TSymbolicPartials::AppendConstant(double x) {
    if (endFD >= kLastSlot) throw VelmoraError(kMsgTooManyConstants);
    ++endFD;
    data[endFD] = x;
    return endFD;
}

namespace {

// Upper-cased declared letters, each once; every letter must be one of P..Z.
std::string DeclaredLetters(const std::string& letters, const std::string& excluded) {
    std::string out;
    for (char c : letters) {
        char u = c;
        if (u >= 'a' && u <= 'z') u = static_cast<char>(u - 'a' + 'A');
        if (u < 'P' || u > 'Z' || excluded.find(u) != std::string::npos) throw VelmoraError(kMsgVariableRange);
        if (out.find(u) == std::string::npos) out += u;
    }
    return out;
}

}  // namespace

void TSymbolicPartials::ParseNewText(const std::string& t, const std::string& vars, const std::string& pars,
                                     const SymbolicParseOptions& options) {
    // The blocks of the last published parse stay callable until this parse
    // publishes its own: they read a table of their own.
    rawText = t;
    usedVarsAndParams.reset();
    Discard();
    uFormula.clear();
    uReduced.clear();
    actorList.clear();
    totalCodeBytes = 0;
    constantValues.clear();  // slots from 41 on take new values in this parse

    allowedVars = DeclaredLetters(vars, "");
    argNum = static_cast<int32_t>(allowedVars.size());
    allowedPars = DeclaredLetters(pars, allowedVars);
    parNum = static_cast<int32_t>(allowedPars.size());
    allVars = allowedVars + allowedPars;
    reduceConsts = !allVars.empty();

    // Parameters start at 0; the constants of this parse start at 41.
    for (int k = 0; k < parNum; ++k) data[kFirstParameterSlot + k] = 0.0;
    endFD = kLastPredefinedSlot;

    BuildFuncAssigner();
    const auto blocks = static_cast<std::size_t>(lastBlock) + 1;
    FBlockLengths.assign(blocks, 0);
    stagedOffsets.assign(blocks, -1);
    stagedLengths.assign(blocks, 0);
    stagedFf.assign(FuncAssigner.size(), RealFunction{});
    stagedFfCode.assign(FuncAssigner.size(), {});
    stagedArgNum = argNum;
    stagedTable = std::make_shared<SymbolicTable>();

    try {
        // Text to validated encoded formula.
        Tokenize();
        EncodeVariables();
        if (CheckSyntax(uReduced) != 0) throw VelmoraError(kMsgSyntax);
        CheckTextLimits(uReduced);

        // The reduced alphabet: no "-", "/", "#"; powers as D, W, X, "~" or exp(E ln B).
        uReduced = ConvertPowers(uReduced);
        uReduced = ExpandMinusAndDivide(uReduced);
        CheckTextLimits(uReduced);

        actorList = PostfixSum(uReduced);
        if (options.compile) StageBlock(0, actorList);
        if (options.withPartials) {
            BuildPDs();
            totalCodeBytes = 0;
            for (int32_t length : FBlockLengths) totalCodeBytes += length;
        }
        *stagedTable = data;  // every constant of the parse is in
    } catch (...) {
        Discard();
        throw;
    }
    if (staged.Empty()) {
        // Nothing compiled: no block of an earlier formula stays callable.
        Discard();
        Forget();
        return;
    }
    PublishOrEnlist();
}

void TSymbolicPartials::Forget() noexcept {
    std::fill(ff.begin(), ff.end(), RealFunction{});
    std::fill(ffCode.begin(), ffCode.end(), std::span<const uint8_t>{});
    mapping.reset();
    codeTable.reset();
}

void TSymbolicPartials::Discard() noexcept {
    staged.Clear();
    std::fill(stagedOffsets.begin(), stagedOffsets.end(), -1);
    stagedTable.reset();
}

void TSymbolicPartials::Install(const std::shared_ptr<const CodeMapping>& where, const uint8_t* code) noexcept {
    // Every multi-index of a compiled block refers to it.
    for (std::size_t slot = 0; slot < FuncAssigner.size() && slot < stagedFf.size(); ++slot) {
        const int32_t b = FuncAssigner[slot];
        const int64_t offset = b >= 0 ? stagedOffsets[static_cast<std::size_t>(b)] : -1;
        if (offset < 0) {
            stagedFf[slot] = RealFunction{};
            stagedFfCode[slot] = {};
        } else {
            stagedFf[slot] = RealFunction{code + offset, nullptr};
            stagedFfCode[slot] = {code + offset, static_cast<std::size_t>(stagedLengths[static_cast<std::size_t>(b)])};
        }
    }
    ff.swap(stagedFf);
    ffCode.swap(stagedFfCode);
    mapping = where;
    codeTable = std::move(stagedTable);
    codeArgNum = stagedArgNum;
    Discard();
}

void TSymbolicPartials::BuildFuncAssigner() {
    const int n = argNum;
    FuncAssigner.assign(static_cast<std::size_t>((n + 1) * (n + 1) * (n + 1)), -1);
    auto at = [&](int i, int j, int k) -> int32_t& { return FuncAssigner[static_cast<std::size_t>(Slot(i, j, k))]; };
    int b = 0;
    at(0, 0, 0) = b;
    for (int i = 1; i <= n; ++i) at(i, 0, 0) = ++b;
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j) {
            ++b;
            at(i, j, 0) = b;
            at(j, i, 0) = b;
        }
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j)
            for (int l = j; l <= n; ++l) {
                ++b;
                at(i, j, l) = b;
                at(i, l, j) = b;
                at(j, i, l) = b;
                at(j, l, i) = b;
                at(l, i, j) = b;
                at(l, j, i) = b;
            }
    lastBlock = b;
}

void TSymbolicPartials::BuildPDs() {
    auto block = [&](int i, int j, int k) { return FuncAssigner[static_cast<std::size_t>(Slot(i, j, k))]; };
    const std::string d0 = uReduced;
    // Each derivative is taken from the text of the one below it: f_uv is the
    // v-derivative of f_u, f_uuv the v-derivative of f_uu.
    for (int i = 1; i <= argNum; ++i) {
        const std::string d1 = DeriveAndCompile(block(i, 0, 0), i, d0);
        for (int j = i; j <= argNum; ++j) {
            const std::string d2 = DeriveAndCompile(block(i, j, 0), j, d1);
            for (int l = j; l <= argNum; ++l) DeriveAndCompile(block(i, j, l), l, d2);
        }
    }
}

std::string TSymbolicPartials::DeriveAndCompile(int b, int v, const std::string& text) {
    // A variable that does not occur in the formula gives the constant 0
    // without looking at the text.
    const auto letter = static_cast<uint8_t>(allVars[static_cast<std::size_t>(v - 1)]);
    std::string derivative = usedVarsAndParams.test(letter) ? DeriveSum(text, v) : std::string("0");
    CheckTextLimits(derivative);
    derivativeCode = true;
    try {
        actorList = PostfixSum(derivative);
        StageBlock(b, actorList);
    } catch (...) {
        derivativeCode = false;
        throw;
    }
    derivativeCode = false;
    return derivative;
}

double TSymbolicPartials::ConstantValue(const std::string& program) {
    // The value code and the derivative code may fold a program differently.
    const std::string key = (derivativeCode ? "d" : "v") + program;
    if (const auto known = constantValues.find(key); known != constantValues.end()) return known->second;
    const double x = EvaluateActorList(program);
    constantValues.emplace(key, x);
    return x;
}

void TSymbolicPartials::StageBlock(int b, const std::string& program) {
    const auto index = static_cast<std::size_t>(b);
    FBlockLengths[index] = EstimateSymbolicBlockSize(program, BlockKind());
    EmitSymbolicBlock(gen, program, argNum, stagedTable->data(), BlockKind());
    const std::size_t offset = staged.Reserve(static_cast<std::size_t>(gen.Length()));
    gen.Code().PlaceAt(staged.At(offset), 0);
    stagedOffsets[index] = static_cast<int64_t>(offset);
    stagedLengths[index] = gen.Length();
}

double TSymbolicPartials::EvaluateActorList(const std::string& str) {
    EstimateSymbolicBlockSize(str, BlockKind());  // refuses what cannot be compiled before anything is written
    EmitSymbolicBlock(gen, str, argNum, data.data(), BlockKind());
    // The programs run here have no variables; a zeroed array stands in for
    // the empty argument array so that a stray variable load stays inside it.
    static const std::array<double, 16> noArguments{};
    return RunX87Code(gen.Code().Data(), static_cast<std::size_t>(gen.Length()), noArguments.data());
}

void TSymbolicPartials::UpdateParameters(const std::vector<double>& values) {
    if (values.empty() || values.size() > static_cast<std::size_t>(parNum)) return;
    for (std::size_t i = 0; i < values.size(); ++i) {
        data[kFirstParameterSlot + i] = values[i];
        if (codeTable) (*codeTable)[kFirstParameterSlot + i] = values[i];
    }
}

double EvaluateConstantFormula(const std::string& text) {
    // The code of the formula, run by the x87 interpreter: the value the
    // compiled block would give, without mapping executable memory.
    auto temporary = std::make_unique<TSymbolicPartials>();
    temporary->ParseNewText(text, "", "");
    return temporary->EvaluateActorList(temporary->actorList);
}

}  // namespace velmora

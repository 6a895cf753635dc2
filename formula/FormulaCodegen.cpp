// Native code of a parsed formula: the postfix program mapped onto the x87
// register stack, staged and published in the compiler's own mapping (written
// over the previous one when that is large enough).
#include "formula/FormulaCompiler.h"

#include "platform/VelmoraError.h"

namespace velmora {

namespace {

bool IsBinaryOperator(uint8_t t) { return t == '+' || t == '-' || t == '*' || t == '/'; }

struct OperandRef {
    uint8_t kind;
    int index;
};

OperandRef ReadOperand(const ByteArray& program, std::size_t i) {
    if (i + 3 >= program.size()) throw VelmoraError(kFailedAnalysisMessage);
    return {program[i + 1], program[i + 2] * 256 + program[i + 3]};
}

}  // namespace

int32_t EstimateValueCodeSize(const ByteArray& program) {
    X87SizeEstimate estimate(1);
    estimate.Add(kPrologueSize);
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t t = program[i];
        if (t == kTokenPrefix) {
            ReadOperand(program, i);
            estimate.Operand(6);
            i += 3;
        } else if (t == '1' || t == 'p') {
            estimate.Operand(2);
        } else if (IsBinaryOperator(t)) {
            estimate.Operator(t);
        } else {
            const int need = X87CodeGen::FunctionNeed(t);
            if (need < 0) throw VelmoraError(kFailedAnalysisMessage);
            estimate.EnsureFree(need);
            estimate.Add(X87CodeGen::FunctionSize(t));
        }
    }
    estimate.Add(kEpilogueSize);
    return static_cast<int32_t>(estimate.size);
}

void EmitValueFunction(X87CodeGen& gen, const ByteArray& program, int argNum, const double* data) {
    gen.Prologue(data);
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t t = program[i];
        if (t == kTokenPrefix) {
            const OperandRef op = ReadOperand(program, i);
            switch (op.kind) {
                case kTokenVariable:
                    if (op.index < 1 || op.index > argNum) throw VelmoraError(kFailedAnalysisMessage);
                    gen.PushVariable(op.index);
                    break;
                case kTokenParameter: gen.PushParameterSlot(op.index); break;
                case kTokenLiteral: gen.PushTableSlot(op.index); break;
                default: throw VelmoraError(kFailedAnalysisMessage);
            }
            i += 3;
        } else if (t == '1') {
            gen.PushOne();
        } else if (t == 'p') {
            gen.PushPi();
        } else if (IsBinaryOperator(t)) {
            gen.Operator(t);
        } else {
            gen.Function(t);
        }
    }
    gen.Epilogue();
}

void TFormulaCompiler::GenerateCode() {
    EstimateCodeSize();  // refuses an unknown token before any code is written
    gen.Begin(1);
    EmitValueFunction(gen, actorList, argNum, data.data());
    codeLength = static_cast<std::size_t>(gen.Length());
    gen.Code().PlaceAt(staged.At(staged.Reserve(codeLength)), 0);
    PublishOrEnlist();
}

void TFormulaCompiler::Install(const std::shared_ptr<const CodeMapping>& where, const uint8_t* code) noexcept {
    mapping = where;
    Fv = RealFunction{code, this};
    Discard();
}

void TFormulaCompiler::Discard() noexcept { staged.Clear(); }

void TFormulaCompiler::Forget() noexcept {
    Fv = RealFunction{};
    mapping.reset();
}

}  // namespace velmora

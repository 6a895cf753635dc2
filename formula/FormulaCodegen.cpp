// Native code of a parsed formula: the postfix program mapped onto the x87
// register stack, with the size of the block computed beforehand so that one
// allocation suffices.
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

int32_t TFormulaCompiler::EstimateCodeSize() const {
    X87SizeEstimate estimate(1);
    estimate.Add(kPrologueSize);
    for (std::size_t i = 0; i < actorList.size(); ++i) {
        const uint8_t t = actorList[i];
        if (t == kTokenPrefix) {
            ReadOperand(actorList, i);
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
    FBlockLength = EstimateCodeSize();
    gen.Begin(1);
    EmitValueFunction(gen, actorList, argNum, data.data());

    // A block from an earlier compilation is reused when it is long enough.
    if (FBlock.Empty() || FBlock.Capacity() < static_cast<std::size_t>(gen.Length())) {
        FBlock.Allocate(static_cast<std::size_t>(gen.Length()));
    } else {
        FBlock.MakeWritable();
    }
    gen.Code().PlaceAt(FBlock.Data(), 0);
    FBlock.MakeExecutable();
    Fv.code = FBlock.Data();
    Fv.ctx = this;
}

}  // namespace velmora

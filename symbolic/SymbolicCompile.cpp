// Compilation of a postfix program into x87 code: the operand loads,
// operators and value-only functions of the formula language, plus the
// sequences of this engine: sign, reciprocal, change of sign, cube, fourth
// power, the derivatives of ln and abs, the power "^" of a positive base and
// the integer power "~". The functions the formula language also has are
// compiled with its own sequences and clamps, so that both engines describe
// the same surface.
#include "symbolic/SymbolicCodegen.h"

#include "formula/X87Emitter.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"

#include <array>
#include <numbers>

namespace velmora {

using namespace symbolic;

namespace {

// -1, 0, 1 (0 also when unordered).
void SeqSign(X87CodeGen& g) {
    Label nonzero, done;
    g.fldz();
    g.fcomi_st(1);         // 0 vs x
    g.fstp_st(1);
    g.jcc(JumpCond::NotEqual, nonzero);
    g.jmp(done);
    g.Bind(nonzero);
    g.fstp_st(0);
    g.fld1();
    g.jcc(JumpCond::Below, done);
    g.fchs();
    g.Bind(done);
}

// 1/x, and x itself when x = 0.
void SeqReciprocal(X87CodeGen& g) {
    Label done;
    g.fldz();
    g.fcomip_st(1);
    g.jcc(JumpCond::Equal, done);
    g.fld1();
    g.fdivrp(1);
    g.Bind(done);
}

// The derivative of ln: 1/x when x > 0 (and for NaN, like ln itself), else 0.
void SeqDerivativeOfLn(X87CodeGen& g) {
    Label positive, done;
    g.fldz();
    g.fcomip_st(1);        // 0 vs x
    g.jcc(JumpCond::Below, positive);
    g.fstp_st(0);
    g.fldz();
    g.jmp(done);
    g.Bind(positive);
    g.fld1();
    g.fdivrp(1);
    g.Bind(done);
}

// The derivative of abs: -1 when x < 0, else 1 (also at 0 and for NaN).
void SeqDerivativeOfAbs(X87CodeGen& g) {
    Label done;
    g.fldz();
    g.fcomip_st(1);        // 0 vs x; the flags survive the loads below
    g.fstp_st(0);
    g.fld1();
    g.jcc(JumpCond::BelowOrEqual, done);
    g.fchs();
    g.Bind(done);
}

// Base x in ST0, exponent y in ST1: 0 when x = 0, else 2^(y log2 x).
void SeqPower(X87CodeGen& g) {
    Label nonzero, done;
    g.fldz();
    g.fcomip_st(1);
    g.jcc(JumpCond::NotEqual, nonzero);
    g.fstp_st(1);
    g.jmp(done);
    g.Bind(nonzero);
    g.fyl2x();
    g.SeqPow2();
    g.Bind(done);
}

// Base x in ST0, integer exponent y in ST1: x^|y| by squaring along the bits
// of |y| from the highest, r := r r and r := r x for a bit 1, which is the
// product of squares the formula language writes for x^|y|; then 1/r (0 when
// r = 0) for y < 0. The bits come from |y| = s 2^e (1 <= s < 2): e + 1 rounds,
// each taking the leading bit of s off and doubling the rest. An exponent of
// 2^230 or more (never produced) runs 231 rounds, so the loop always ends.
void SeqIntegerPower(X87CodeGen& g) {
    Label bounded, loop, bitClear, finished, nonNegative;
    g.fld_st(1);
    g.fabs();              // m = |y|; x, y below it
    g.fxtract();           // s, e (m = 0: s = 0, e = -inf)
    g.fld_qword_rax_disp8(8 * kSlot230);
    g.fcomip_st(2);        // 230 vs e
    g.jcc(JumpCond::Above, bounded);
    g.fld_qword_rax_disp8(8 * kSlot230);
    g.fstp_st(2);          // e := 230
    g.Bind(bounded);
    g.fld1();              // r = 1; s, e, x, y below it
    g.Bind(loop);
    g.fldz();
    g.fcomip_st(3);        // 0 vs e
    g.jcc(JumpCond::Above, finished);
    g.fmul_st0_st(0);      // r r
    g.fld1();
    g.fcomip_st(2);        // 1 vs s
    g.jcc(JumpCond::Above, bitClear);
    g.fmul_st0_st(3);      // r x
    g.fld1();
    g.fsubp(2);            // s - 1
    g.Bind(bitClear);
    g.fld_st(1);
    g.faddp(2);            // 2 s
    g.fld1();
    g.fsubp(3);            // e - 1
    g.jmp(loop);
    g.Bind(finished);
    g.fstp_st(1);
    g.fstp_st(1);
    g.fstp_st(1);          // r, y
    g.fldz();
    g.fcomip_st(2);        // 0 vs y
    g.jcc(JumpCond::BelowOrEqual, nonNegative);
    g.fld1();
    g.fxch_st(1);
    g.SeqDivide();         // 1/r
    g.Bind(nonNegative);
    g.fstp_st(1);
}

// Free registers the integer power needs above its base and exponent.
constexpr int kIntegerPowerNeed = 4;

// arctanh in the derivative blocks: 1e100 and -1e100 outside (-1, 1), the
// value the derivative code takes there (the value code takes 230 and -230).
void SeqDerivativeCodeArcTanh(X87CodeGen& g) { g.SeqArcTanh(kSlotHuge, kSlotMinusHuge); }

int DerivativeCodeArcTanhSize() {
    static const int size = [] {
        X87CodeGen g;
        g.Begin(1);
        SeqDerivativeCodeArcTanh(g);
        return g.Length();
    }();
    return size;
}

bool IsOwnFunction(uint8_t c) {
    switch (AsFn(c)) {
        case Fn::Sign: case Fn::Reciprocal: case Fn::ChangeSign: case Fn::Cube: case Fn::FourthPower:
        case Fn::DerivativeOfLn: case Fn::DerivativeOfAbs:
            return true;
        default:
            return false;
    }
}

bool IsSharedFunction(uint8_t c) { return !IsOwnFunction(c) && X87CodeGen::FunctionNeed(c) >= 0; }

// Free registers each of this engine's functions needs above its argument.
int OwnNeed(uint8_t c) {
    switch (AsFn(c)) {
        case Fn::ChangeSign: case Fn::FourthPower: return 0;
        default: return 1;  // sign, reciprocal, cube, the derivatives of ln and abs
    }
}

void EmitOwnFunction(X87CodeGen& g, uint8_t c) {
    switch (AsFn(c)) {
        case Fn::Sign: SeqSign(g); break;
        case Fn::DerivativeOfLn: SeqDerivativeOfLn(g); break;
        case Fn::DerivativeOfAbs: SeqDerivativeOfAbs(g); break;
        case Fn::Reciprocal: SeqReciprocal(g); break;
        case Fn::ChangeSign: g.fchs(); break;
        case Fn::Cube: g.fld_st(0); g.fmul_st0_st(0); g.fmulp(1); break;
        default: g.fmul_st0_st(0); g.fmul_st0_st(0); break;  // fourth power
    }
}

// Sizes of the sequences, measured by emitting them once.
template <typename Emit>
int MeasuredSize(Emit emit) {
    X87CodeGen g;
    g.Begin(1);
    emit(g);
    return g.Length();
}

int OwnSize(uint8_t c) {
    static const std::array<int, 256> sizes = [] {
        std::array<int, 256> table{};
        for (int b = 0; b < 256; ++b)
            if (IsOwnFunction(static_cast<uint8_t>(b)))
                table[static_cast<std::size_t>(b)] =
                    MeasuredSize([b](X87CodeGen& g) { EmitOwnFunction(g, static_cast<uint8_t>(b)); });
        return table;
    }();
    return sizes[c];
}

int PowerSize() {
    static const int size = MeasuredSize(SeqPower);
    return size;
}

int IntegerPowerSize() {
    static const int size = MeasuredSize(SeqIntegerPower);
    return size;
}

// The first spill of a derivative block goes to slot 5.
constexpr uint8_t kFirstPreserved = 4;

}  // namespace

SymbolicTable InitialSymbolicTable() {
    // The first six slots hold the clamp values of the formula language's
    // table, read by the sequences the two engines share.
    SymbolicTable data{};
    data[0] = -230.0;
    data[1] = 1e100;
    data[2] = -1e100;
    data[3] = 1e-100;
    data[4] = -1e-100;
    data[kSlotLn] = 230.0;
    data[kSlotHalfPi] = std::numbers::pi / 2;
    for (int k = 1; k <= 5; ++k) {
        data[22 + k] = k;          // 23..27: 1..5
        data[27 + k] = -k;         // 28..32: -1..-5
    }
    for (int k = 2; k <= 5; ++k) {
        data[31 + k] = 1.0 / k;    // 33..36: 1/2..1/5
        data[35 + k] = -1.0 / k;   // 37..40: -1/2..-1/5
    }
    return data;
}

int32_t EstimateSymbolicBlockSize(const std::string& program, SymbolicBlock kind) {
    X87SizeEstimate est(kFirstPreserved);
    est.Add(kPrologueSize);
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t c = Byte(program, i);
        if (c == kOperandPrefix) {
            if (i + 1 >= program.size() || Byte(program, i + 1) > kLastSlot)
                throw VelmoraError(kFailedAnalysisMessage);
            est.Operand(6);
            ++i;
        } else if (c == '0' || c == '1' || c == 'p') {
            est.Operand(2);
        } else if (c == '+' || c == '-' || c == '*' || c == '/') {
            est.Operator(c);
        } else if (c == '^' || c == '~') {
            est.ReloadIfNeeded();
            est.EnsureFree(c == '^' ? 1 : kIntegerPowerNeed);
            est.Add(c == '^' ? PowerSize() : IntegerPowerSize());
            est.BinaryOperatorDone();
        } else if (IsSharedFunction(c)) {
            est.EnsureFree(X87CodeGen::FunctionNeed(c));
            est.Add(kind == SymbolicBlock::Derivative && AsFn(c) == Fn::ArcTanh ? DerivativeCodeArcTanhSize()
                                                                                : X87CodeGen::FunctionSize(c));
        } else if (IsOwnFunction(c)) {
            est.EnsureFree(OwnNeed(c));
            est.Add(OwnSize(c));
        } else {
            throw VelmoraError(kFailedAnalysisMessage);
        }
    }
    est.Add(kEpilogueSize);
    if (est.size > INT32_MAX) throw VelmoraError(kMsgTooLarge);
    return static_cast<int32_t>(est.size);
}

void EmitSymbolicBlock(X87CodeGen& gen, const std::string& program, int argNum, const double* table,
                       SymbolicBlock kind) {
    gen.Begin(kFirstPreserved);
    gen.Prologue(table);
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t c = Byte(program, i);
        if (c == kOperandPrefix) {
            if (i + 1 >= program.size() || Byte(program, i + 1) > kLastSlot)
                throw VelmoraError(kFailedAnalysisMessage);
            const int k = Byte(program, ++i);
            if (k >= 1 && k <= argNum) {
                gen.PushVariable(k);
            } else {
                gen.PushTableSlot(k);
            }
        } else if (c == '0') {
            gen.PushZero();
        } else if (c == '1') {
            gen.PushOne();
        } else if (c == 'p') {
            gen.PushPi();
        } else if (c == '+' || c == '-' || c == '*' || c == '/') {
            gen.Operator(c);
        } else if (c == '^' || c == '~') {
            // The exponent was pushed first: ST0 is the base, ST1 the exponent.
            if (gen.emptyRegisters == 7) gen.ReloadSpilled();
            if (c == '^') {
                gen.EnsureFree(1);
                SeqPower(gen);
            } else {
                gen.EnsureFree(kIntegerPowerNeed);
                SeqIntegerPower(gen);
            }
            ++gen.emptyRegisters;
        } else if (kind == SymbolicBlock::Derivative && AsFn(c) == Fn::ArcTanh) {
            gen.EnsureFree(X87CodeGen::FunctionNeed(c));
            SeqDerivativeCodeArcTanh(gen);
        } else if (IsSharedFunction(c)) {
            gen.Function(c);
        } else if (IsOwnFunction(c)) {
            gen.EnsureFree(OwnNeed(c));
            EmitOwnFunction(gen, c);
        } else {
            throw VelmoraError(kFailedAnalysisMessage);
        }
    }
    gen.Epilogue();
}

}  // namespace velmora

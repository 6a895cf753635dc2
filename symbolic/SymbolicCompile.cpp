// Compilation of a postfix program into a block of x87 code: the shared
// operand loads, operators and value-only functions, plus the sequences of
// this engine (unclamped exp, sinh, cosh, tanh; arctanh with 0 outside
// (-1, 1); sign, reciprocal, change of sign, cube, fourth power, the power
// "^" of a positive base and the integer power "~").
#include "formula/X87Emitter.h"
#include "platform/Platform.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/FunctionAndPartDerivs_64.h"

#include <array>
#include <cstring>

namespace velmora {

using namespace symbolic;

namespace {

// e^x: t = x log2 e, 2^(t - round t) scaled by 2^round(t); no clamp.
constexpr uint8_t kExp[] = {0xD9, 0xEA, 0xDE, 0xC9, 0xD9, 0xC0, 0xD9, 0xFC, 0xD9, 0xC9, 0xD8,
                            0xE1, 0xD9, 0xF0, 0xD9, 0xE8, 0xDE, 0xC1, 0xD9, 0xFD, 0xDD, 0xD9};
// After e^x: (e - 1/e)/2.
constexpr uint8_t kSinhTail[] = {0xD9, 0xC0, 0xD9, 0xE8, 0xDE, 0xF1, 0xDE, 0xE9, 0xD9, 0xE8, 0xD8, 0xC0, 0xDE, 0xF9};
// After e^x: (e + 1/e)/2.
constexpr uint8_t kCoshTail[] = {0xD9, 0xC0, 0xD9, 0xE8, 0xDE, 0xF1, 0xDE, 0xC1, 0xD9, 0xE8, 0xD8, 0xC0, 0xDE, 0xF9};
// After E = e^(2x): (E - 1)/(E + 1).
constexpr uint8_t kTanhTail[] = {0xD9, 0xC0, 0xD9, 0xE8, 0xDC, 0xC1, 0xDE, 0xEA, 0xDE, 0xF9};
// ln((1 + x)/(1 - x))/2 when |x| < 1, else 0.
constexpr uint8_t kArctanh[] = {0xD9, 0xC0, 0xD9, 0xE1, 0xD9, 0xE8, 0xDF, 0xF1, 0x77, 0x06, 0xDD, 0xD9, 0xD8, 0xE0,
                                0xEB, 0x1A, 0xD9, 0xC9, 0xDD, 0xD9, 0xD9, 0xC0, 0xD9, 0xE8, 0xDC, 0xC1, 0xDE, 0xE2,
                                0xDE, 0xF1, 0xD9, 0xED, 0xD9, 0xC9, 0xD9, 0xF1, 0xD9, 0xE8, 0xD8, 0xC0, 0xDE, 0xF9};
// -1, 0, 1 (0 also when unordered).
constexpr uint8_t kSign[] = {0xD9, 0xEE, 0xDB, 0xF1, 0xDD, 0xD9, 0x75, 0x02, 0xEB,
                             0x08, 0xDD, 0xD8, 0xD9, 0xE8, 0x72, 0x02, 0xD9, 0xE0};
// 1/x, and x itself when x = 0.
constexpr uint8_t kReciprocal[] = {0xD9, 0xEE, 0xDF, 0xF1, 0x74, 0x04, 0xD9, 0xE8, 0xDE, 0xF1};
constexpr uint8_t kChangeSign[] = {0xD9, 0xE0};
constexpr uint8_t kCube[] = {0xD9, 0xC0, 0xD8, 0xC8, 0xDE, 0xC9};
constexpr uint8_t kFourth[] = {0xD8, 0xC8, 0xD8, 0xC8};
// Base x in ST0, exponent y in ST1: 0 when x = 0, else 2^(y log2 x).
constexpr uint8_t kPower[] = {0xD9, 0xEE, 0xDF, 0xF1, 0x75, 0x04, 0xDD, 0xD9, 0xEB, 0x14,
                              0xD9, 0xF1, 0xD9, 0xC0, 0xD9, 0xFC, 0xD9, 0xC9, 0xD8, 0xE1,
                              0xD9, 0xF0, 0xD9, 0xE8, 0xDE, 0xC1, 0xD9, 0xFD, 0xDD, 0xD9};
// Base x in ST0, integer exponent y in ST1: 0 when x = 0; for y < 0 x := 1/x,
// y := |y|; then a := 1 and a := a x while y >= 1, y := y - 1.
constexpr uint8_t kIntegerPower[] = {0xD9, 0xEE, 0xDF, 0xF1, 0x75, 0x04, 0xDD, 0xD9, 0xEB, 0x24, 0xD9, 0xEE,
                                     0xDF, 0xF2, 0x76, 0x0A, 0xD9, 0xE8, 0xDE, 0xF1, 0xD9, 0xC9, 0xD9, 0xE1,
                                     0xD9, 0xC9, 0xD9, 0xE8, 0xD9, 0xE8, 0xDF, 0xF3, 0x77, 0x08, 0xD8, 0xC9,
                                     0xD9, 0xE8, 0xDE, 0xEB, 0xEB, 0xF2, 0xDD, 0xD9, 0xDD, 0xD9};

template <std::size_t N>
void Emit(X87CodeGen& gen, const uint8_t (&bytes)[N]) {
    gen.fCode.Write(bytes, static_cast<int32_t>(N));
}

bool IsOwnFunction(uint8_t c) { return std::strchr("CHIJQTUVWX", c) != nullptr && c != 0; }
bool IsSharedFunction(uint8_t c) { return std::strchr("#ABDEFGKLMNOPR", c) != nullptr && c != 0; }

// Free registers each function needs above its argument, and its size.
int OwnNeed(uint8_t c) {
    switch (c) {
        case 'V': case 'X': return 0;
        case 'T': case 'U': case 'W': return 1;
        default: return 2;  // C H I J Q
    }
}

int OwnSize(uint8_t c) {
    switch (c) {
        case 'C': return sizeof kExp;
        case 'H': return sizeof kExp + sizeof kSinhTail;
        case 'I': return sizeof kExp + sizeof kCoshTail;
        case 'J': return 2 + sizeof kExp + sizeof kTanhTail;
        case 'Q': return sizeof kArctanh;
        case 'T': return sizeof kSign;
        case 'U': return sizeof kReciprocal;
        case 'V': return sizeof kChangeSign;
        case 'W': return sizeof kCube;
        default: return sizeof kFourth;  // X
    }
}

void EmitOwnFunction(X87CodeGen& gen, uint8_t c) {
    switch (c) {
        case 'C': Emit(gen, kExp); break;
        case 'H': Emit(gen, kExp); Emit(gen, kSinhTail); break;
        case 'I': Emit(gen, kExp); Emit(gen, kCoshTail); break;
        case 'J': gen.fadd_st0_st(0); Emit(gen, kExp); Emit(gen, kTanhTail); break;  // e^(2x)
        case 'Q': Emit(gen, kArctanh); break;
        case 'T': Emit(gen, kSign); break;
        case 'U': Emit(gen, kReciprocal); break;
        case 'V': Emit(gen, kChangeSign); break;
        case 'W': Emit(gen, kCube); break;
        default: Emit(gen, kFourth); break;  // X
    }
}

// The first spill of a derivative block goes to slot 5.
constexpr uint8_t kFirstPreserved = 4;

}  // namespace

int32_t TFunctionAndPartDerivs_64::EstimateCodeSize(const std::string& program) const {
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
        } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^' || c == '~') {
            est.ReloadIfNeeded();
            switch (c) {
                case '/': est.EnsureFree(1); est.Add(16); break;
                case '^': est.EnsureFree(1); est.Add(sizeof kPower); break;
                case '~': est.EnsureFree(2); est.Add(sizeof kIntegerPower); break;
                default: est.Add(2); break;
            }
            est.BinaryOperatorDone();
        } else if (IsSharedFunction(c)) {
            est.EnsureFree(X87CodeGen::FunctionNeed(c));
            est.Add(X87CodeGen::FunctionSize(c));
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

void TFunctionAndPartDerivs_64::EmitProgram(const std::string& program) {
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t c = Byte(program, i);
        if (c == kOperandPrefix) {
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
                Emit(gen, kPower);
            } else {
                gen.EnsureFree(2);
                Emit(gen, kIntegerPower);
            }
            ++gen.emptyRegisters;
        } else if (IsSharedFunction(c)) {
            gen.Function(c);
        } else if (IsOwnFunction(c)) {
            gen.EnsureFree(OwnNeed(c));
            EmitOwnFunction(gen, c);
        } else {
            throw VelmoraError(kFailedAnalysisMessage);
        }
    }
}

void TFunctionAndPartDerivs_64::Compile(ExecutableBlock& block, RealFunction& reference, int32_t& length,
                                        const std::string& program) {
    reference = RealFunction{};
    length = EstimateCodeSize(program);  // refuses unknown symbols before anything is written
    // A block that is large enough is written again; otherwise a new one is mapped.
    if (!block.Empty() && block.Capacity() >= static_cast<std::size_t>(length)) {
        block.MakeWritable();
    } else {
        block.Allocate(static_cast<std::size_t>(length));
    }
    gen.Begin(block.Data(), length, kFirstPreserved);
    gen.Prologue(data.data());
    EmitProgram(program);
    gen.Epilogue();
    block.MakeExecutable();
    if (gen.Length() > length) Beep(100, 100);  // cannot happen: the writer refuses first
    reference = RealFunction{block.Data(), nullptr};
}

}  // namespace velmora

// Compiler of a postfix program into a native function that returns the value
// of the formula and writes derivatives of it into the table: along a curve
// (first, or first and second derivative) or, as a jet, all first and second
// partial derivatives at once.
//
// Every value on the evaluation stack carries channels: the value, the first
// derivatives, the second derivatives. The program is run at compile time on
// a model of the stack, and each channel of each entry is known to be 0, known
// to be 1 (the derivative of a variable by itself) or held somewhere: a
// constant known at compile time (derivatives zero, folded when an operation
// has only constant operands), a parameter slot of the table, a variable (read
// from the argument array when used), XMM registers or the frame slot of its
// stack depth. Arithmetic is emitted inline in SSE2 and leaves out every term
// with a channel known to be 0. The transcendental functions call the kernels
// of DerivativeKernels.h for their value and derivative factors, and the chain
// rule is applied inline; one call serves every use of the same function of
// the same argument, and one sine-and-cosine call both functions. Every XMM
// register is caller-saved, so register values are stored to their slots
// before a call.
//
// The generated function has the calling convention of CompiledFunction.h. It
// returns f and stores each derivative channel in its slot of the table.
#pragma once

#include "evaluator/SseEmitter.h"
#include "formula/CodeBuffer.h"
#include "platform/CodeArea.h"

#include <array>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace velmora {

inline constexpr const char* kUndigestedPowerMessage = "Undigested power symbol";

inline constexpr int kMaxJetVariables = 3;
inline constexpr int kMaxChannels = 1 + kMaxJetVariables + kMaxJetVariables * (kMaxJetVariables + 1) / 2;

// The channels a compiled function carries and where their results go.
struct DerivativeLayout {
    int channels = 1;  // the value and the derivative channels
    int firsts = 0;    // first-order channels 1..firsts
    // Channel of the second derivative by first-order channels a and b (1-based), -1 when not carried.
    std::array<std::array<int8_t, kMaxJetVariables + 1>, kMaxJetVariables + 1> second{};
    // Along a curve every variable brings all its channels from the argument
    // array (x, d, e); in a jet variable i has derivative 1 in channel i.
    bool curve = true;
    std::array<int32_t, kMaxChannels> resultSlot{};  // table slot of channel c >= 1

    // Value and first derivative along a curve (order 1), and the second (order 2).
    static DerivativeLayout Curve(int order, int firstDerivativeSlot, int secondDerivativeSlot);
    // Value, gradient and Hessian in `variables` variables; the derivatives
    // go to consecutive slots from `firstSlot`: the gradient, then the Hessian
    // row by row, upper triangle.
    static DerivativeLayout Jet(int variables, int firstSlot);
};

struct DerivativeProgram {
    const ByteArray* actorList = nullptr;
    const std::vector<double>* data = nullptr;  // the evaluator's own table (address built into the code)
    int argNum = 0;
};

class DerivativeCodeGen {
public:
    DerivativeCodeGen(const DerivativeProgram& program, const DerivativeLayout& layout);

    // Compiles into `code` and returns the offset of the entry point there.
    // Throws VelmoraError for bytes that are not tokens of the program.
    std::size_t Generate(StagedCode& code);

    // Greatest stack depth of a postfix program; throws for a malformed one
    // (unknown byte, "^", operand token out of range, missing operands).
    static int CheckProgram(const ByteArray& actorList, int argNum, std::size_t dataSlots);

private:
    enum class Ch : uint8_t { Zero, One, Held };
    struct Entry {
        enum class Kind : uint8_t { Known, Param, Var, Reg, Mem } kind = Kind::Known;
        std::array<Ch, kMaxChannels> ch{};  // what each channel is (all Zero: a constant)
        double known = 0;     // Known: the value
        int index = 0;        // Param: data slot; Var: variable number (1-based)
        std::array<int, kMaxChannels> reg{};  // Reg: the register of each held channel
        int32_t home = 0;     // Mem: frame displacement of the slot
        int id = -1;          // value number: equal ids hold bitwise equal values
    };
    // A channel as an operand: known 0, known 1, or an SSE operand.
    struct Val {
        Ch k = Ch::Zero;
        SseOperand at{};
    };
    // Where a function's value and derivative factors are, with their signs.
    struct Factors {
        int32_t slot = 0;
        std::array<int, 3> offset{};  // of f, g1, g2 in the slot
        std::array<bool, 3> negated{};
    };

    // Value numbering: the same operation on the same operands gets the same
    // number, so that repeated functions of one argument share a call.
    int Intern(int op, int64_t a, int64_t b);
    int KnownId(double value);
    Entry KnownEntry(double value);

    Val ValueOf(const Entry& x, int c);
    SseOperand Opd(const Entry& x, int c);
    int32_t Home(int depth) const { return 8 * layout_.channels * (depth - 1); }
    bool Constant(const Entry& x) const { return x.kind == Entry::Kind::Known; }

    // ---- registers ---------------------------------------------------------------
    int Alloc();
    void Free(int r);
    void Release(const Entry& x);
    void SpillEntry(Entry& x, int depth);
    void SpillDeepest();
    void SpillAll();
    int RegistersOf(const Entry& x) const;
    // Makes `needed` registers available without spilling inside the
    // operation: stack entries go to their slots, and the operands (entries at
    // the given depths) too when that is not enough.
    void Reserve(int needed, Entry* a, int depthA, Entry* b, int depthB);

    // ---- channel arithmetic (-1: the result is known to be 0) ------------------
    int Load(const Val& x);
    int Mul(const Val& x, const Val& y);
    void AddTo(int& acc, int term);
    void SubFrom(int& acc, int term);
    void Negate(int r);
    void Twice(int r);

    // ---- the program ---------------------------------------------------------------
    void PushOperand(const uint8_t* token);
    void Binary(uint8_t op);
    Entry AddSub(uint8_t op, const Entry& a, const Entry& b);
    Entry Multiply(const Entry& a, const Entry& b);
    Entry Divide(const Entry& a, const Entry& b);
    void NegateTop();
    void SquareTop();
    void AbsTop();
    void Function(uint8_t code);
    Factors FunctionFactors(uint8_t code, Entry& x, int depth);
    Entry ChainRule(const Entry& x, const Factors& f);
    void StoreResult();

    // The second-order channels with their first-order pair, in channel order.
    struct SecondChannel {
        int c, a, b;
    };
    std::vector<SecondChannel> seconds_;

    DerivativeProgram program_;
    DerivativeLayout layout_;
    SseEmitter e_;
    std::vector<Entry> stack_;
    bool used_[16] = {};
    int zeroPool_ = 0, onePool_ = 0;
    std::map<std::tuple<int, int64_t, int64_t>, int> ids_;
    std::map<std::pair<int, int>, int32_t> factorSlots_;  // (kernel kind, argument id) -> slot
    int32_t nextFactorSlot_ = 0;
};

}  // namespace velmora

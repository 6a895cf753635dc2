// Compiler of a postfix program into a native function that returns the value
// of the formula and writes its first (and second) derivative along a curve.
//
// The program is run at compile time on a model of the evaluation stack. Each
// stack entry is a value with its derivatives (two or three channels) and is
// one of: a constant known at compile time (derivatives zero, folded when an
// operation has only constant operands), a parameter slot of the table, a
// variable (read from the argument array when used), a value in XMM registers
// or a value stored in the frame slot of its stack depth. Arithmetic is emitted
// inline in SSE2 with the derivative terms of zero channels left out; the
// transcendental functions call the kernels of DerivativeKernels.h, which work
// in place on the frame slot of their argument. Every XMM register is
// caller-saved, so register values are stored to their slots before a call.
// Sine and cosine are the exception: one call computes both for an argument
// and keeps them in a frame slot, and the chain rule is emitted inline, so
// that cos(u) and sin(u) in one formula cost a single library call.
//
// The generated function has the calling convention of CompiledFunction.h.
// It returns f and stores f' in data[endFD+1] and f'' in data[endVD+1].
#pragma once

#include "evaluator/SseEmitter.h"
#include "formula/InfByteArrays.h"
#include "platform/ExecutableMemory.h"

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace velmora {

inline constexpr const char* kUndigestedPowerMessage = "Undigested power symbol";

struct DerivativeProgram {
    const ByteArray* actorList = nullptr;
    const std::vector<double>* data = nullptr;  // the evaluator's own table (address built into the code)
    int argNum = 0;
    int endFD = 0;
    int endVD = 0;
};

class DerivativeCodeGen {
public:
    // channels = 2: value and first derivative (vv); 3: also the second (aa).
    DerivativeCodeGen(const DerivativeProgram& program, int channels);

    // Compiles into `block` (allocated here with exactly the needed length).
    // Returns the entry point; `length` receives the block length.
    // Throws VelmoraError for bytes that are not tokens of the program.
    const void* Generate(ExecutableBlock& block, int32_t& length);

    // Greatest stack depth of a postfix program; throws for a malformed one
    // (unknown byte, "^", operand token out of range, missing operands).
    static int CheckProgram(const ByteArray& actorList, int argNum, std::size_t dataSlots);

private:
    struct Entry {
        enum class Kind : uint8_t { Known, Param, Var, Reg, Mem } kind = Kind::Known;
        bool zero = true;     // derivatives are identically zero
        double known = 0;     // Known: the value
        int index = 0;        // Param: data slot; Var: variable number (1-based)
        int reg[3] = {-1, -1, -1};
        int32_t home = 0;     // Mem: frame displacement of the slot
        int id = -1;          // value number: equal ids hold bitwise equal values
    };

    // Value numbering: the same operation on the same operands gets the same
    // number, so that sine and cosine of one argument share a library call.
    int Intern(int op, int64_t a, int64_t b);
    int KnownId(double value);

    bool HasChannel(const Entry& x, int c) const { return c == 0 || !x.zero; }
    SseOperand Opd(const Entry& x, int c);
    int32_t Home(int depth) const { return 8 * channels_ * (depth - 1); }

    int Alloc();
    void Free(int r);
    void Release(const Entry& x);
    void SpillEntry(Entry& x, int depth);
    void SpillDeepest();
    void SpillAll();

    int Load(const SseOperand& src);
    int Product(const SseOperand& x, const SseOperand& y);

    void PushOperand(const uint8_t* token);
    void Binary(uint8_t op);
    void AddSub(uint8_t op, const Entry& a, const Entry& b, Entry& r);
    void Multiply(const Entry& a, const Entry& b, Entry& r);
    void Divide(const Entry& a, const Entry& b, Entry& r);
    void Negate();
    void Square();
    void Abs();
    void CallKernel(uint8_t code);
    void SineCosine(uint8_t code);
    void StoreResult();

    DerivativeProgram program_;
    int channels_;
    SseEmitter e_;
    std::vector<Entry> stack_;
    bool used_[16] = {};
    int zeroPool_ = 0, onePool_ = 0;
    std::map<std::tuple<int, int64_t, int64_t>, int> ids_;
    std::map<int, int32_t> sineCosine_;  // argument id -> frame slot holding (sin, cos)
    int32_t nextSineCosine_ = 0;
};

}  // namespace velmora

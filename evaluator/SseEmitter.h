// Emitter of SSE2 scalar-double machine code for the derivative evaluator.
//
// The derivative functions keep their values in XMM registers and call small
// C++ kernels for the transcendental functions, so they follow the System V
// calling convention: RBX holds the address of the constant table, R14 the
// argument array, RBP the bottom of the frame; all three are callee-saved.
// Constants that the code needs (sign mask, 0, pi, folded values) live in a
// pool at the start of the executable block and are addressed RIP-relative.
//
// Code is written into a growable buffer; StageInto() lays out pool and code
// as one piece of staged code of exactly the right size and patches the RIP
// displacements (they stay right wherever the piece is published).
#pragma once

#include "formula/CodeBuffer.h"
#include "platform/CodeArea.h"
#include "platform/ExecutableMemory.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace velmora {

// General-purpose registers used as memory bases.
enum class Gpr : uint8_t { Rax = 0, Rcx = 1, Rdx = 2, Rbx = 3, Rsp = 4, Rbp = 5, Rsi = 6, Rdi = 7, R14 = 14 };

// A source operand of an SSE instruction: a register, [base + disp32] or a pool constant.
struct SseOperand {
    enum class Kind : uint8_t { Reg, Mem, Pool } kind = Kind::Reg;
    int reg = 0;          // Reg: xmm number
    Gpr base = Gpr::Rbx;  // Mem
    int32_t disp = 0;     // Mem
    int pool = 0;         // Pool: byte offset of the constant in the pool

    static SseOperand Xmm(int r) { return {Kind::Reg, r, Gpr::Rbx, 0, 0}; }
    static SseOperand At(Gpr base, int32_t disp) { return {Kind::Mem, 0, base, disp, 0}; }
    static SseOperand Constant(int poolOffset) { return {Kind::Pool, 0, Gpr::Rbx, 0, poolOffset}; }
};

class SseEmitter {
public:
    SseEmitter();

    // ---- constant pool (16-byte aligned entries where needed) --------------
    // Offset of a scalar constant, shared between equal bit patterns.
    int PoolScalar(double value);
    // Offset of the 16-byte mask with only the sign bit of the low lane set.
    int PoolSignMask() const { return 0; }

    // ---- scalar double arithmetic: dst := dst op src ------------------------
    void movsd_load(int dst, const SseOperand& src);  // dst := src (register copies use movapd)
    void movsd_store(Gpr base, int32_t disp, int src);
    void addsd(int dst, const SseOperand& src) { Arith(0x58, dst, src); }
    void mulsd(int dst, const SseOperand& src) { Arith(0x59, dst, src); }
    void subsd(int dst, const SseOperand& src) { Arith(0x5C, dst, src); }
    void divsd(int dst, const SseOperand& src) { Arith(0x5E, dst, src); }
    void sqrtsd(int dst, const SseOperand& src) { Arith(0x51, dst, src); }
    void xorpd(int dst, const SseOperand& src) { Packed(0x57, dst, src); }
    void andpd(int dst, const SseOperand& src) { Packed(0x54, dst, src); }
    void ucomisd(int a, const SseOperand& b) { Packed(0x2E, a, b); }
    // dst := all ones when dst < src (ordered), else 0 (cmpltsd).
    void cmpltsd(int dst, const SseOperand& src);
    void zero(int dst) { xorpd(dst, SseOperand::Xmm(dst)); }

    // ---- integer instructions for frame and calls ---------------------------
    // push rbp; push rbx; push r14; sub rsp, frame; mov rbp, rsp;
    // mov rbx, imm64 (data); mov r14, rdx (arguments).
    void Prologue(const double* data, int32_t frameBytes);
    // lea rsp, [rbp + frame]; pop r14; pop rbx; pop rbp; ret.
    void Epilogue(int32_t frameBytes);
    // lea rdi, [rbp + disp]; mov rax, imm64; call rax.
    void CallWithFramePointer(const void* function, int32_t disp);

    // ---- forward jumps (rel32) ----------------------------------------------
    // Emits a conditional jump (0x84 = je/jz, 0x8A = jp ...) or jmp with a
    // placeholder; Bind() makes it jump to the current position.
    int JumpIf(uint8_t cc32);
    int Jump();
    void Bind(int jumpSite);

    int32_t Length() const { return static_cast<int32_t>(code_.size()); }
    const ByteArray& Code() const { return code_; }

    // Size of the finished block: the pool (padded to 16 bytes) plus the code.
    int32_t BlockLength() const;
    // Appends pool and code to `out` as one piece of BlockLength() bytes with
    // the RIP-relative displacements patched; returns the offset of the entry
    // point there (the first byte after the pool).
    std::size_t StageInto(StagedCode& out) const;
    // The same in a block of its own, made executable; returns the entry point.
    const void* Finish(ExecutableBlock& block) const;

private:
    void Bytes(std::initializer_list<uint8_t> bytes) { code_.insert(code_.end(), bytes); }
    void Int32(int32_t v);
    void Int64(uint64_t v);
    // prefix [REX] 0F op modrm...: the operand forms of the SSE instructions.
    void Encode(uint8_t prefix, uint8_t op, int reg, const SseOperand& rm, int immBytes);
    void Arith(uint8_t op, int dst, const SseOperand& src) { Encode(0xF2, op, dst, src, 0); }
    void Packed(uint8_t op, int dst, const SseOperand& src) { Encode(0x66, op, dst, src, 0); }

    struct PoolFixup {
        int32_t dispAt;      // position of the disp32 in the code
        int32_t nextInsn;    // position of the following instruction
        int poolOffset;
    };
    ByteArray code_;
    std::vector<uint8_t> pool_;  // raw bytes of the constant pool
    std::vector<PoolFixup> fixups_;
};

}  // namespace velmora

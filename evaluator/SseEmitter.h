// Emitter of SSE2 scalar-double machine code for the derivative evaluator.
//
// The derivative functions keep their values in XMM registers and call small
// C++ kernels for the transcendental functions, so they follow the System V
// calling convention: RBX holds the address of the constant table, R14 the
// argument array, RBP the bottom of the frame; all three are callee-saved.
// Constants that the code needs (sign mask, 0, pi, folded values) live in a
// pool at the start of the piece of code and are addressed RIP-relative.
//
// Code is written into the x86 code buffer the x87 emitter uses too;
// StageInto() lays out pool and code as one piece of staged code of exactly
// the right size and writes the RIP displacements (they stay right wherever
// the piece is published).
#pragma once

#include "formula/CodeBuffer.h"
#include "platform/CodeArea.h"

#include <cstdint>
#include <vector>

namespace velmora {

// A source operand of an SSE instruction: an XMM register or a memory operand
// ([base + disp32], or a pool constant reached RIP-relative).
struct SseOperand {
    bool isRegister = true;
    int reg = 0;     // the xmm number of a register operand
    MemOperand mem;  // a memory operand

    static SseOperand Xmm(int r) { return {true, r, {}}; }
    static SseOperand At(Gpr base, int32_t disp) { return {false, 0, MemOperand::Disp32(base, disp)}; }
    static SseOperand Constant(int poolOffset) { return {false, 0, MemOperand::Rip(poolOffset)}; }
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

    // ---- jumps (rel32) to labels, bound before or after -----------------------
    // A conditional jump (0x84 = je/jz, 0x8A = jp ...) or jmp.
    void JumpIf(uint8_t cc32, Label& target) { code_.JumpNear({0x0F, cc32}, target); }
    void Jump(Label& target) { code_.JumpNear({0xE9}, target); }
    void Bind(Label& label) { code_.Bind(label); }

    int32_t Length() const { return code_.Length(); }
    // The code as written, RIP-relative displacements still 0.
    ByteArray Code() const { return code_.Bytes(); }

    // Size of the finished piece: the pool (padded to 16 bytes) plus the code.
    int32_t BlockLength() const;
    // Appends pool and code to `out` as one piece of BlockLength() bytes with
    // the RIP-relative displacements written; returns the offset of the entry
    // point there (the first byte after the pool).
    std::size_t StageInto(StagedCode& out) const;

private:
    // prefix [REX] 0F op modrm...: the operand forms of the SSE instructions.
    void Encode(uint8_t prefix, uint8_t op, int reg, const SseOperand& rm, int immBytes);
    void Arith(uint8_t op, int dst, const SseOperand& src) { Encode(0xF2, op, dst, src, 0); }
    void Packed(uint8_t op, int dst, const SseOperand& src) { Encode(0x66, op, dst, src, 0); }

    CodeBuffer code_;
    std::vector<uint8_t> pool_;  // raw bytes of the constant pool
};

}  // namespace velmora

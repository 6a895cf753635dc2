// Emitter of x87 machine code for compiled formulas.
//
// A compiled formula is a leaf function: RAX holds the address of the constant
// table, RDX the address of the argument array, RBP the bottom of a 416-byte
// frame whose upper part holds spilled values. Values live on the x87 register
// stack; when all eight registers are taken the deepest value is spilled to the
// frame and reloaded when an operator needs it as its left operand.
//
// `X87CodeGen` writes the instructions into its code buffer (one small
// function per instruction form, and labels for the jumps, so the sequences
// read like assembly), keeps the register accounting and emits the function
// sequences shared by the formula engines. The sizes of the sequences are
// measured by emitting them once, never listed by hand. `X87SizeEstimate` runs
// the same accounting without writing, for the size rules of the formula
// parser and the symbolic engine.
#pragma once

#include "formula/FunctionCodes.h"
#include "formula/CodeBuffer.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace velmora {

// Frame layout: spill slot L (L >= 2) is [RBP + 416 - 8L]; slot 52 is [RBP + 0],
// the last one inside the frame.
inline constexpr int kFrameSize = 416;
inline constexpr int kLastSpillSlot = 52;
inline constexpr int kPrologueSize = 21;
inline constexpr int kEpilogueSize = 17;
inline constexpr const char* kTooManyPendingMessage =
    "The formula is too deeply nested to be compiled: too many values are pending at once.";

// Slots of the clamp constants at the start of a formula parser's table (its layout:
// 0 = -230, 1 = 1e100, 2 = -1e100, 3 = 1e-100, 4 = -1e-100, 5 = 230).
inline constexpr int kSlotMinus230 = 0;
inline constexpr int kSlotHuge = 1;
inline constexpr int kSlotMinusHuge = 2;
inline constexpr int kSlotTiny = 3;
inline constexpr int kSlot230 = 5;

enum class JumpCond : uint8_t {
    Below = 0x72,         // CF = 1
    AboveOrEqual = 0x73,  // CF = 0
    Equal = 0x74,         // ZF = 1
    NotEqual = 0x75,      // ZF = 0
    BelowOrEqual = 0x76,  // CF = 1 or ZF = 1
    Above = 0x77,         // CF = 0 and ZF = 0
    Parity = 0x7A,        // PF = 1 (unordered)
};

class X87CodeGen {
public:
    uint8_t lastPreserved = 1;   // last occupied spill slot; 1 when nothing is spilled
    uint8_t emptyRegisters = 8;  // free x87 registers at the current point

    X87CodeGen() { code_.Reserve(1024, 0); }  // a coordinate formula fits without growing
    // Starts a new function in an empty buffer with an empty x87 stack.
    void Begin(uint8_t firstPreserved);
    // The code written since Begin.
    const CodeBuffer& Code() const { return code_; }
    int32_t Length() const { return code_.Length(); }

    // ---- raw bytes --------------------------------------------------------
    void Bytes(std::initializer_list<uint8_t> bytes) { code_.Append(bytes); }
    void Byte(uint8_t b) { code_.Byte(b); }
    void Int32(int32_t v) { code_.Int32(v); }

    // ---- instruction forms ------------------------------------------------
    void fld1() { Bytes({0xD9, 0xE8}); }
    void fldz() { Bytes({0xD9, 0xEE}); }
    void fldpi() { Bytes({0xD9, 0xEB}); }
    void fldl2e() { Bytes({0xD9, 0xEA}); }
    void fldln2() { Bytes({0xD9, 0xED}); }
    void fchs() { Bytes({0xD9, 0xE0}); }
    void fabs() { Bytes({0xD9, 0xE1}); }
    void fsqrt() { Bytes({0xD9, 0xFA}); }
    void fsin() { Bytes({0xD9, 0xFE}); }
    void fcos() { Bytes({0xD9, 0xFF}); }
    void fsincos() { Bytes({0xD9, 0xFB}); }
    void fptan() { Bytes({0xD9, 0xF2}); }
    void fpatan() { Bytes({0xD9, 0xF3}); }
    void fyl2x() { Bytes({0xD9, 0xF1}); }
    void f2xm1() { Bytes({0xD9, 0xF0}); }
    void fscale() { Bytes({0xD9, 0xFD}); }
    void frndint() { Bytes({0xD9, 0xFC}); }
    void fprem() { Bytes({0xD9, 0xF8}); }
    void fdecstp() { Bytes({0xD9, 0xF6}); }
    void fxtract() { Bytes({0xD9, 0xF4}); }  // ST0 = significand (1 <= |s| < 2), exponent below it

    void fld_st(int i) { Bytes({0xD9, static_cast<uint8_t>(0xC0 + i)}); }
    void fxch_st(int i) { Bytes({0xD9, static_cast<uint8_t>(0xC8 + i)}); }
    void fstp_st(int i) { Bytes({0xDD, static_cast<uint8_t>(0xD8 + i)}); }
    void ffree_st(int i) { Bytes({0xDD, static_cast<uint8_t>(0xC0 + i)}); }

    // ST0 := ST0 op ST(i)
    void fadd_st0_st(int i) { Bytes({0xD8, static_cast<uint8_t>(0xC0 + i)}); }
    void fmul_st0_st(int i) { Bytes({0xD8, static_cast<uint8_t>(0xC8 + i)}); }
    void fsub_st0_st(int i) { Bytes({0xD8, static_cast<uint8_t>(0xE0 + i)}); }   // ST0 - STi
    void fsubr_st0_st(int i) { Bytes({0xD8, static_cast<uint8_t>(0xE8 + i)}); }  // STi - ST0
    void fdiv_st0_st(int i) { Bytes({0xD8, static_cast<uint8_t>(0xF0 + i)}); }   // ST0 / STi
    void fdivr_st0_st(int i) { Bytes({0xD8, static_cast<uint8_t>(0xF8 + i)}); }  // STi / ST0
    // ST(i) := ST(i) op ST0
    void fadd_st_st0(int i) { Bytes({0xDC, static_cast<uint8_t>(0xC0 + i)}); }
    void fmul_st_st0(int i) { Bytes({0xDC, static_cast<uint8_t>(0xC8 + i)}); }
    void fsubr_st_st0(int i) { Bytes({0xDC, static_cast<uint8_t>(0xE0 + i)}); }  // ST0 - STi
    void fsub_st_st0(int i) { Bytes({0xDC, static_cast<uint8_t>(0xE8 + i)}); }   // STi - ST0
    void fdivr_st_st0(int i) { Bytes({0xDC, static_cast<uint8_t>(0xF0 + i)}); }  // ST0 / STi
    void fdiv_st_st0(int i) { Bytes({0xDC, static_cast<uint8_t>(0xF8 + i)}); }   // STi / ST0
    // ST(i) := ST(i) op ST0, then pop
    void faddp(int i = 1) { Bytes({0xDE, static_cast<uint8_t>(0xC0 + i)}); }
    void fmulp(int i = 1) { Bytes({0xDE, static_cast<uint8_t>(0xC8 + i)}); }
    void fsubrp(int i = 1) { Bytes({0xDE, static_cast<uint8_t>(0xE0 + i)}); }  // ST0 - STi
    void fsubp(int i = 1) { Bytes({0xDE, static_cast<uint8_t>(0xE8 + i)}); }   // STi - ST0
    void fdivrp(int i = 1) { Bytes({0xDE, static_cast<uint8_t>(0xF0 + i)}); }  // ST0 / STi
    void fdivp(int i = 1) { Bytes({0xDE, static_cast<uint8_t>(0xF8 + i)}); }   // STi / ST0
    // Compare ST0 with ST(i) into EFLAGS (CF: ST0 < STi, ZF: equal; all three set when unordered).
    void fcomi_st(int i) { Bytes({0xDB, static_cast<uint8_t>(0xF0 + i)}); }
    void fcomip_st(int i) { Bytes({0xDF, static_cast<uint8_t>(0xF0 + i)}); }

    // Memory operands: fld qword [m] (DD /0), fstp qword [m] (DD /3).
    void fld_qword(const MemOperand& m) { Byte(0xDD); code_.ModRM(0, m); }
    void fstp_qword(const MemOperand& m) { Byte(0xDD); code_.ModRM(3, m); }
    // The forms the engines write.
    void fld_qword_rdx(int disp8) { fld_qword(MemOperand::Shortest(Gpr::Rdx, disp8)); }  // DD 02 / DD 42 disp8
    void fld_qword_rdx_disp32(int32_t disp) { fld_qword(MemOperand::Disp32(Gpr::Rdx, disp)); }  // DD 82 disp32
    void fld_qword_rax0() { fld_qword(MemOperand::Shortest(Gpr::Rax, 0)); }                   // DD 00
    void fld_qword_rax_disp8(int disp8) { fld_qword(MemOperand::Disp8(Gpr::Rax, disp8)); }    // DD 40 disp8
    void fld_qword_rax_disp32(int32_t disp) { fld_qword(MemOperand::Disp32(Gpr::Rax, disp)); }  // DD 80 disp32
    void fld_qword_rbp_disp32(int32_t disp) { fld_qword(MemOperand::Disp32(Gpr::Rbp, disp)); }  // DD 85 disp32
    void fstp_qword_rbp_disp32(int32_t disp) { fstp_qword(MemOperand::Disp32(Gpr::Rbp, disp)); }  // DD 9D disp32

    // Short jumps (8-bit displacement) to a label, bound before or after.
    void jcc(JumpCond cond, Label& target) { code_.JumpShort(static_cast<uint8_t>(cond), target); }
    void jmp(Label& target) { code_.JumpShort(0xEB, target); }
    // The label is here: jumps written before it now reach it.
    void Bind(Label& label) { code_.Bind(label); }

    // ---- frame --------------------------------------------------------------
    void Prologue(const double* data);  // 21 bytes; RAX := address of data[0]
    void Epilogue();                    // 17 bytes; result ST0 -> XMM0

    // ---- register accounting -------------------------------------------------
    // Spills the deepest register values until at least k registers are free.
    void EnsureFree(int k);
    // Reloads the most recently spilled value below the single register value.
    void ReloadSpilled();

    // ---- operands (with their accounting) ------------------------------------
    void PushOne();
    void PushPi();
    void PushZero();
    void PushVariable(int i);        // variable i >= 1: argument i-1
    void PushParameterSlot(int j);   // data[j], 8-bit displacement
    void PushTableSlot(int k);       // data[k], 32-bit displacement (DD 00 for k = 0)

    // ---- value-only sequences shared by the engines ------------------------
    // Binary operators "+", "-", "*", "/" with their accounting.
    void Operator(uint8_t op);
    // Functions "#" and "A".."R" of the formula language (value only), with
    // EnsureFree(need) first. Throws kFailedAnalysisMessage for other bytes.
    void Function(uint8_t code);

    // The sequences themselves, without accounting (ST0 = x in, result out).
    void SeqDivide();            // ST1/ST0, 0 when ST0 is 0 or unordered
    void SeqReduce2Pi();         // partial remainder of x by 2 pi
    void SeqReducePi();          // partial remainder of x by pi
    void SeqPow2();              // 2^t: 2^(t - round t) scaled by 2^(round t); no clamp
    void SeqExpBlock();          // clamped 2^t
    void SeqLn();                // ln x = ln 2 log2 x, for x > 0
    void SeqHalve();             // x / 2
    void SeqSinhCoshOfExp(bool sinh);  // e = e^x in, (e - 1/e)/2 or (e + 1/e)/2 out
    void SeqTanhOfExp2();        // E = e^(2x) in, (E - 1)/(E + 1) out
    void SeqCompareAbsWithOne(); // EFLAGS of (abs(x) vs 1), x kept
    // ln((1+x)/(1-x))/2 when |x| < 1, else the table slot `negativeClamp`
    // when x < 0 and `positiveClamp` otherwise.
    void SeqArcTanh(int positiveClamp, int negativeClamp);
    void LoadClampSlot(int k);  // fld qword [rax + 8k], 8-bit displacement (DD 00 for slot 0), no accounting
    void SeqFunction(Fn code);

    // Need (extra free registers) and size in bytes of each value-only function.
    static int FunctionNeed(uint8_t code);   // -1 for an unknown byte
    static int FunctionSize(uint8_t code);   // -1 for an unknown byte; measured once
    // Size of the sequence of "+", "-", "*" or "/" without reload or spill; measured once.
    static int OperatorSize(uint8_t op);

private:
    static int32_t SpillDisp(int slot) { return kFrameSize - 8 * slot; }
    void SpillTopToNextSlot();

    CodeBuffer code_;
};

// Size simulation with the same accounting as X87CodeGen: used by the engines'
// size estimates. Also refuses programs that would spill past the frame.
class X87SizeEstimate {
public:
    explicit X87SizeEstimate(int firstPreserved) : lastPreserved(firstPreserved) {}

    int emptyRegisters = 8;
    int lastPreserved;
    int64_t size = 0;

    void Add(int64_t bytes) { size += bytes; }
    void EnsureFree(int k);
    // 8 bytes when only one value is in registers (then one register fewer).
    void ReloadIfNeeded();
    void Operand(int bytes);   // EnsureFree(1) + bytes, one register taken
    // "+", "-", "*", "/" as X87CodeGen::Operator writes them: the reload of a
    // spilled left operand, a free register for the division, the sequence.
    void Operator(uint8_t op);
    void BinaryOperatorDone() { ++emptyRegisters; }

private:
    void Spill();
};

}  // namespace velmora

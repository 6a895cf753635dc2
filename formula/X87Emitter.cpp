#include "formula/X87Emitter.h"

#include "platform/VelmoraError.h"

namespace velmora {

void X87CodeGen::Begin(uint8_t* block, int32_t length, uint8_t firstPreserved) {
    fCode = InfBArray(block, length);
    lastPreserved = firstPreserved;
    emptyRegisters = 8;
}

void X87CodeGen::Int32(int32_t v) {
    const auto b = Int32Bytes(v);
    fCode.Write(b.data(), 4);
}

void X87CodeGen::fld_qword_rdx(int disp8) {
    if (disp8 == 0) {
        Bytes({0xDD, 0x02});
    } else {
        Bytes({0xDD, 0x42, static_cast<uint8_t>(disp8)});
    }
}

void X87CodeGen::fld_qword_rax_disp8(int disp8) { Bytes({0xDD, 0x40, static_cast<uint8_t>(disp8)}); }

void X87CodeGen::fld_qword_rax_disp32(int32_t disp) {
    Bytes({0xDD, 0x80});
    Int32(disp);
}

void X87CodeGen::fst_qword_rax_disp32(int32_t disp) {
    Bytes({0xDD, 0x90});
    Int32(disp);
}

void X87CodeGen::fstp_qword_rax_disp32(int32_t disp) {
    Bytes({0xDD, 0x98});
    Int32(disp);
}

void X87CodeGen::fld_qword_rbp_disp32(int32_t disp) {
    Bytes({0xDD, 0x85});
    Int32(disp);
}

void X87CodeGen::fstp_qword_rbp_disp32(int32_t disp) {
    Bytes({0xDD, 0x9D});
    Int32(disp);
}

void X87CodeGen::Prologue(const double* data) {
    Bytes({0x55});                                      // push rbp
    Bytes({0x48, 0x81, 0xEC, 0xA0, 0x01, 0x00, 0x00});  // sub rsp, 416
    Bytes({0x48, 0x89, 0xE5});                          // mov rbp, rsp
    Bytes({0x48, 0xB8});                                // mov rax, imm64
    const auto a = AddressBytes(data);
    fCode.Write(a.data(), 8);
    emptyRegisters = 8;
}

void X87CodeGen::Epilogue() {
    Bytes({0xDD, 0x5D, 0x10});                          // fstp qword [rbp+16]
    Bytes({0xF2, 0x0F, 0x10, 0x45, 0x10});              // movsd xmm0, [rbp+16]
    Bytes({0x48, 0x8D, 0xA5, 0xA0, 0x01, 0x00, 0x00});  // lea rsp, [rbp+416]
    Bytes({0x5D});                                      // pop rbp
    Bytes({0xC3});                                      // ret
}

void X87CodeGen::SpillTopToNextSlot() {
    if (lastPreserved + 1 > kLastSpillSlot) throw VelmoraError(kTooManyPendingMessage);
    ++lastPreserved;
    fstp_qword_rbp_disp32(SpillDisp(lastPreserved));
}

void X87CodeGen::EnsureFree(int k) {
    if (emptyRegisters >= k) return;
    if (emptyRegisters == 0) {
        // Eight values in registers: rotate the deepest to the top, store and pop it.
        fdecstp();
        SpillTopToNextSlot();
        emptyRegisters = 1;
    }
    while (emptyRegisters < k) {
        if (emptyRegisters == 7) {
            // A single value in registers: store and pop it.
            SpillTopToNextSlot();
            emptyRegisters = 8;
        } else {
            // Copy the deepest value out and free its register.
            const int deepest = 7 - emptyRegisters;
            fld_st(deepest);
            SpillTopToNextSlot();
            ffree_st(deepest);
            ++emptyRegisters;
        }
    }
}

void X87CodeGen::ReloadSpilled() {
    fld_qword_rbp_disp32(SpillDisp(lastPreserved));
    fxch_st(1);
    --lastPreserved;
    --emptyRegisters;
}

void X87CodeGen::PushOne() {
    EnsureFree(1);
    fld1();
    --emptyRegisters;
}

void X87CodeGen::PushPi() {
    EnsureFree(1);
    fldpi();
    --emptyRegisters;
}

void X87CodeGen::PushZero() {
    EnsureFree(1);
    fldz();
    --emptyRegisters;
}

void X87CodeGen::PushVariable(int i) {
    EnsureFree(1);
    const int disp = 8 * (i - 1);
    if (disp <= 127) {
        fld_qword_rdx(disp);
    } else {
        Bytes({0xDD, 0x82});  // fld qword [rdx + disp32]; beyond the reach of an 8-bit displacement
        Int32(disp);
    }
    --emptyRegisters;
}

void X87CodeGen::PushParameterSlot(int j) {
    EnsureFree(1);
    if (8 * j <= 127) {
        fld_qword_rax_disp8(8 * j);
    } else {
        fld_qword_rax_disp32(8 * j);  // slots past 15 are out of reach of an 8-bit displacement
    }
    --emptyRegisters;
}

void X87CodeGen::PushTableSlot(int k) {
    EnsureFree(1);
    if (k == 0) {
        fld_qword_rax0();
    } else {
        fld_qword_rax_disp32(8 * k);
    }
    --emptyRegisters;
}

void X87CodeGen::Operator(uint8_t op) {
    if (emptyRegisters == 7) ReloadSpilled();
    switch (op) {
        case '+': faddp(1); break;
        case '-': fsubp(1); break;
        case '*': fmulp(1); break;
        case '/':
            EnsureFree(1);
            SeqDivide();
            break;
        default: throw VelmoraError(kFailedAnalysisMessage);
    }
    ++emptyRegisters;
}

void X87CodeGen::Function(uint8_t code) {
    const int need = FunctionNeed(code);
    if (need < 0) throw VelmoraError(kFailedAnalysisMessage);
    EnsureFree(need);
    SeqFunction(code);
}

// ST1 / ST0; when the divisor compares equal to 0 (or unordered) both are
// dropped and 0 is pushed instead.
void X87CodeGen::SeqDivide() {
    fldz();
    fcomip_st(1);
    jcc(JumpCond::Equal, 4);
    fdivp(1);
    jmp_short(6);
    fstp_st(0);
    fstp_st(0);
    fldz();
}

void X87CodeGen::SeqReduce2Pi() {
    fldpi();
    fadd_st0_st(0);
    fxch_st(1);
    fprem();
    fstp_st(1);
}

void X87CodeGen::SeqReducePi() {
    fldpi();
    fxch_st(1);
    fprem();
    fstp_st(1);
}

// 2^t for t in ST0, clamped: 1e100 when t > 230, 1e-100 when t < -230.
void X87CodeGen::SeqExpBlock() {
    fld_st(0);
    fabs();
    fld_qword_rax_disp8(8 * kSlot230);
    fcomip_st(1);          // 230 vs |t|
    fstp_st(0);
    jcc(JumpCond::Below, 20);
    // n := round(t), f := t - n, 2^f * 2^n
    fld_st(0);
    frndint();
    fxch_st(1);
    fsub_st0_st(1);
    f2xm1();
    fld1();
    faddp(1);
    fscale();
    fstp_st(1);
    jmp_short(16);
    // |t| > 230
    fldz();
    fcomip_st(1);          // 0 vs t
    fstp_st(0);
    jcc(JumpCond::Below, 5);
    fld_qword_rax_disp8(8 * kSlotTiny);
    jmp_short(3);
    fld_qword_rax_disp8(8 * kSlotHuge);
}

// Leaves x in ST0 and the flags of the comparison of |x| with 1.
void X87CodeGen::SeqCompareAbsWithOne() {
    fld1();
    fld_st(1);
    fabs();
    fcomip_st(1);          // |x| vs 1
    fstp_st(0);
}

void X87CodeGen::SeqFunction(uint8_t code) {
    switch (code) {
        case '#': fchs(); break;
        case 'A': SeqReduce2Pi(); fcos(); break;
        case 'B': SeqReduce2Pi(); fsin(); break;
        case 'C': fldl2e(); fmulp(1); SeqExpBlock(); break;
        case 'D': fmul_st0_st(0); break;
        case 'E':  // sqrt, 0 unless x > 0
            fldz();
            fcomip_st(1);
            jcc(JumpCond::Below, 6);
            fstp_st(0);
            fldz();
            jmp_short(2);
            fsqrt();
            break;
        case 'F':  // ln, -230 unless x > 0
            fldz();
            fcomip_st(1);
            jcc(JumpCond::Below, 9);
            fstp_st(0);
            fld_qword_rax_disp8(8 * kSlot230);
            fchs();
            jmp_short(6);
            fldln2();
            fxch_st(1);
            fyl2x();
            break;
        case 'G': SeqReducePi(); fptan(); fstp_st(0); break;
        case 'H':  // (e - 1/e)/2
        case 'I':  // (e + 1/e)/2
            fldl2e();
            fmulp(1);
            SeqExpBlock();
            fld_st(0);
            fld1();
            fdivrp(1);
            if (code == 'H') fsubp(1); else faddp(1);
            fld1();
            fadd_st0_st(0);
            fdivp(1);
            break;
        case 'J':  // (e^2 - 1)/(e^2 + 1)
            fldl2e();
            fmulp(1);
            SeqExpBlock();
            fld_st(0);
            fmulp(1);
            fld_st(0);
            fld1();
            fadd_st_st0(1);
            fsubp(2);
            fdivp(1);
            break;
        case 'K':  // arcsin: atan2(x, sqrt(1-x^2)) unless |x| > 1
            SeqCompareAbsWithOne();
            jcc(JumpCond::Above, 14);
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            fsubrp(1);
            fsqrt();
            fpatan();
            jmp_short(20);
            fldz();
            fcomip_st(1);      // 0 vs x
            fstp_st(0);
            fld1();
            fchs();
            fldpi();
            fscale();          // pi * 2^-1
            fstp_st(1);
            jcc(JumpCond::Below, 2);
            fchs();
            break;
        case 'L':  // arccos: atan2(sqrt(1-x^2), x) unless |x| > 1
            SeqCompareAbsWithOne();
            jcc(JumpCond::Above, 16);
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            fsubrp(1);
            fsqrt();
            fxch_st(1);
            fpatan();
            jmp_short(14);
            fldz();
            fcomip_st(1);      // 0 vs x
            fstp_st(0);
            fldz();
            jcc(JumpCond::Below, 4);
            fstp_st(0);
            fldpi();
            break;
        case 'M': fld1(); fpatan(); break;
        case 'N': fabs(); break;
        case 'O':  // cot: cos r / sin r, 0 when sin r is 0
            SeqReducePi();
            fsincos();
            fxch_st(1);
            SeqDivide();
            break;
        case 'P':  // arccosh: ln(x + sqrt(x^2 - 1)) unless 1 > x
            fld1();
            fcomip_st(1);      // 1 vs x
            jcc(JumpCond::Above, 20);
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            fsubp(1);
            fsqrt();
            faddp(1);
            fldln2();
            fxch_st(1);
            fyl2x();
            jmp_short(4);
            fstp_st(0);
            fldz();
            break;
        case 'Q':  // arctanh: ln((1+x)/(1-x))/2 when |x| < 1, else -230 / 230
            fld_st(0);
            fabs();
            fld1();
            fcomip_st(1);      // 1 vs |x|
            jcc(JumpCond::Above, 19);
            fstp_st(0);
            fldz();
            fcomip_st(1);      // 0 vs x
            fstp_st(0);
            jcc(JumpCond::Above, 5);
            fld_qword_rax_disp8(8 * kSlot230);
            jmp_short(2);
            fld_qword_rax0();
            jmp_short(26);
            fxch_st(1);
            fstp_st(1);
            fld1();
            fadd_st0_st(1);
            fld1();
            fsubrp(2);
            fdivrp(1);
            fldln2();
            fxch_st(1);
            fyl2x();
            fld1();
            fadd_st0_st(0);
            fdivp(1);
            break;
        case 'R':  // arcsinh: sign(x) ln(|x| + sqrt(x^2 + 1)), sign compared first
            fldz();
            fcomip_st(1);      // 0 vs x; the flags survive the x87 arithmetic below
            fabs();
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            faddp(1);
            fsqrt();
            faddp(1);
            fldln2();
            fxch_st(1);
            fyl2x();
            jcc(JumpCond::BelowOrEqual, 2);
            fchs();
            break;
        default: throw VelmoraError(kFailedAnalysisMessage);
    }
}

int X87CodeGen::FunctionNeed(uint8_t code) {
    switch (code) {
        case '#': case 'D': case 'N': return 0;
        case 'A': case 'B': case 'E': case 'F': case 'G': case 'M': return 1;
        case 'C': case 'H': case 'I': case 'J': case 'K': case 'L': case 'O': case 'P': case 'Q': case 'R':
            return 2;
        default: return -1;
    }
}

int X87CodeGen::FunctionSize(uint8_t code) {
    switch (code) {
        case '#': case 'D': case 'N': return 2;
        case 'A': case 'B': case 'G': return 12;
        case 'C': return 53;
        case 'E': return 14;
        case 'F': return 21;
        case 'H': case 'I': case 'J': return 67;
        case 'K': return 46;
        case 'L': return 42;
        case 'M': return 4;
        case 'O': case 'R': return 28;
        case 'P': return 30;
        case 'Q': return 55;
        default: return -1;
    }
}

void X87SizeEstimate::Spill() {
    if (lastPreserved + 1 > kLastSpillSlot) throw VelmoraError(kTooManyPendingMessage);
    ++lastPreserved;
}

void X87SizeEstimate::EnsureFree(int k) {
    if (emptyRegisters >= k) return;
    if (emptyRegisters == 0) {
        size += 8;
        Spill();
        emptyRegisters = 1;
    }
    while (emptyRegisters < k) {
        if (emptyRegisters == 7) {
            size += 6;
            emptyRegisters = 8;
        } else {
            size += 10;
            ++emptyRegisters;
        }
        Spill();
    }
}

void X87SizeEstimate::ReloadIfNeeded() {
    if (emptyRegisters == 7) {
        size += 8;
        --emptyRegisters;
        --lastPreserved;
    }
}

void X87SizeEstimate::Operand(int bytes) {
    EnsureFree(1);
    size += bytes;
    --emptyRegisters;
}

}  // namespace velmora

#include "formula/X87Emitter.h"

#include "platform/VelmoraError.h"

namespace velmora {

void X87CodeGen::Begin(uint8_t firstPreserved) {
    code_.Clear();
    lastPreserved = firstPreserved;
    emptyRegisters = 8;
}

void X87CodeGen::Prologue(const double* data) {
    Bytes({0x55});                                      // push rbp
    Bytes({0x48, 0x81, 0xEC, 0xA0, 0x01, 0x00, 0x00});  // sub rsp, 416
    Bytes({0x48, 0x89, 0xE5});                          // mov rbp, rsp
    Bytes({0x48, 0xB8});                                // mov rax, imm64
    code_.Int64(reinterpret_cast<uint64_t>(data));
    emptyRegisters = 8;
}

void X87CodeGen::Epilogue() {
    fstp_qword(MemOperand::Shortest(Gpr::Rbp, 16));     // fstp qword [rbp+16]
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
        fld_qword_rdx_disp32(disp);  // beyond the reach of an 8-bit displacement
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
    SeqFunction(AsFn(code));
}

// ST1 / ST0; when the divisor compares equal to 0 (or unordered) both are
// dropped and 0 is pushed instead.
void X87CodeGen::SeqDivide() {
    Label byZero, done;
    fldz();
    fcomip_st(1);
    jcc(JumpCond::Equal, byZero);
    fdivp(1);
    jmp(done);
    Bind(byZero);
    fstp_st(0);
    fstp_st(0);
    fldz();
    Bind(done);
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

void X87CodeGen::SeqPow2() {
    fld_st(0);
    frndint();
    fxch_st(1);
    fsub_st0_st(1);        // t - n, n below it
    f2xm1();
    fld1();
    faddp(1);
    fscale();
    fstp_st(1);
}

// 2^t for t in ST0, clamped: 1e100 when t > 230, 1e-100 when t < -230.
void X87CodeGen::SeqExpBlock() {
    Label clamped, tiny, done;
    fld_st(0);
    fabs();
    fld_qword_rax_disp8(8 * kSlot230);
    fcomip_st(1);          // 230 vs |t|
    fstp_st(0);
    jcc(JumpCond::Below, clamped);
    SeqPow2();
    jmp(done);
    Bind(clamped);
    fldz();
    fcomip_st(1);          // 0 vs t
    fstp_st(0);
    jcc(JumpCond::Below, tiny);
    fld_qword_rax_disp8(8 * kSlotTiny);
    jmp(done);
    Bind(tiny);
    fld_qword_rax_disp8(8 * kSlotHuge);
    Bind(done);
}

void X87CodeGen::SeqLn() {
    fldln2();
    fxch_st(1);
    fyl2x();
}

void X87CodeGen::SeqHalve() {
    fld1();
    fadd_st0_st(0);
    fdivp(1);
}

void X87CodeGen::SeqSinhCoshOfExp(bool sinh) {
    fld_st(0);
    fld1();
    fdivrp(1);             // 1/e, e below it
    if (sinh) {
        fsubp(1);
    } else {
        faddp(1);
    }
    SeqHalve();
}

void X87CodeGen::SeqTanhOfExp2() {
    fld_st(0);
    fld1();
    fadd_st_st0(1);        // E + 1
    fsubp(2);              // E - 1
    fdivp(1);
}

void X87CodeGen::LoadClampSlot(int k) {
    if (k == 0) {
        fld_qword_rax0();
    } else {
        fld_qword_rax_disp8(8 * k);
    }
}

void X87CodeGen::SeqArcTanh(int positiveClamp, int negativeClamp) {
    Label inside, negative, clamped, done;
    fld_st(0);
    fabs();
    fld1();
    fcomip_st(1);      // 1 vs |x|
    jcc(JumpCond::Above, inside);
    fstp_st(0);
    fldz();
    fcomip_st(1);      // 0 vs x
    fstp_st(0);
    jcc(JumpCond::Above, negative);
    LoadClampSlot(positiveClamp);
    jmp(clamped);
    Bind(negative);
    LoadClampSlot(negativeClamp);
    Bind(clamped);
    jmp(done);
    Bind(inside);
    fxch_st(1);
    fstp_st(1);
    fld1();
    fadd_st0_st(1);
    fld1();
    fsubrp(2);
    fdivrp(1);
    SeqLn();
    SeqHalve();
    Bind(done);
}

// Leaves x in ST0 and the flags of the comparison of |x| with 1.
void X87CodeGen::SeqCompareAbsWithOne() {
    fld1();
    fld_st(1);
    fabs();
    fcomip_st(1);          // |x| vs 1
    fstp_st(0);
}

void X87CodeGen::SeqFunction(Fn code) {
    switch (code) {
        case Fn::UnaryMinus: fchs(); break;
        case Fn::Cos: SeqReduce2Pi(); fcos(); break;
        case Fn::Sin: SeqReduce2Pi(); fsin(); break;
        case Fn::Exp: fldl2e(); fmulp(1); SeqExpBlock(); break;
        case Fn::Square: fmul_st0_st(0); break;
        case Fn::Sqrt: {  // 0 unless x > 0
            Label positive, done;
            fldz();
            fcomip_st(1);
            jcc(JumpCond::Below, positive);
            fstp_st(0);
            fldz();
            jmp(done);
            Bind(positive);
            fsqrt();
            Bind(done);
            break;
        }
        case Fn::Ln: {  // -230 unless x > 0
            Label positive, done;
            fldz();
            fcomip_st(1);
            jcc(JumpCond::Below, positive);
            fstp_st(0);
            fld_qword_rax_disp8(8 * kSlot230);
            fchs();
            jmp(done);
            Bind(positive);
            SeqLn();
            Bind(done);
            break;
        }
        case Fn::Tan: SeqReducePi(); fptan(); fstp_st(0); break;
        case Fn::Sinh:
        case Fn::Cosh:
            fldl2e();
            fmulp(1);
            SeqExpBlock();
            SeqSinhCoshOfExp(code == Fn::Sinh);
            break;
        case Fn::Tanh:  // (e^2 - 1)/(e^2 + 1)
            fldl2e();
            fmulp(1);
            SeqExpBlock();
            fld_st(0);
            fmulp(1);
            SeqTanhOfExp2();
            break;
        case Fn::ArcSin: {  // atan2(x, sqrt(1-x^2)) unless |x| > 1, else +-pi/2
            Label outside, done;
            SeqCompareAbsWithOne();
            jcc(JumpCond::Above, outside);
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            fsubrp(1);
            fsqrt();
            fpatan();
            jmp(done);
            Bind(outside);
            fldz();
            fcomip_st(1);      // 0 vs x
            fstp_st(0);
            fld1();
            fchs();
            fldpi();
            fscale();          // pi * 2^-1
            fstp_st(1);
            jcc(JumpCond::Below, done);
            fchs();
            Bind(done);
            break;
        }
        case Fn::ArcCos: {  // atan2(sqrt(1-x^2), x) unless |x| > 1, else 0 or pi
            Label outside, done;
            SeqCompareAbsWithOne();
            jcc(JumpCond::Above, outside);
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            fsubrp(1);
            fsqrt();
            fxch_st(1);
            fpatan();
            jmp(done);
            Bind(outside);
            fldz();
            fcomip_st(1);      // 0 vs x
            fstp_st(0);
            fldz();
            jcc(JumpCond::Below, done);
            fstp_st(0);
            fldpi();
            Bind(done);
            break;
        }
        case Fn::ArcTan: fld1(); fpatan(); break;
        case Fn::Abs: fabs(); break;
        case Fn::Cot:  // cos r / sin r, 0 when sin r is 0
            SeqReducePi();
            fsincos();
            fxch_st(1);
            SeqDivide();
            break;
        case Fn::ArcCosh: {  // ln(x + sqrt(x^2 - 1)) unless 1 > x, else 0
            Label below, done;
            fld1();
            fcomip_st(1);      // 1 vs x
            jcc(JumpCond::Above, below);
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            fsubp(1);
            fsqrt();
            faddp(1);
            SeqLn();
            jmp(done);
            Bind(below);
            fstp_st(0);
            fldz();
            Bind(done);
            break;
        }
        case Fn::ArcTanh: SeqArcTanh(kSlot230, kSlotMinus230); break;  // -230 / 230 outside (-1, 1)
        case Fn::ArcSinh: {  // sign(x) ln(|x| + sqrt(x^2 + 1)), sign compared first
            Label done;
            fldz();
            fcomip_st(1);      // 0 vs x; the flags survive the x87 arithmetic below
            fabs();
            fld_st(0);
            fmul_st0_st(0);
            fld1();
            faddp(1);
            fsqrt();
            faddp(1);
            SeqLn();
            jcc(JumpCond::BelowOrEqual, done);
            fchs();
            Bind(done);
            break;
        }
        default: throw VelmoraError(kFailedAnalysisMessage);
    }
}

int X87CodeGen::FunctionNeed(uint8_t code) {
    switch (AsFn(code)) {
        case Fn::UnaryMinus: case Fn::Square: case Fn::Abs:
            return 0;
        case Fn::Cos: case Fn::Sin: case Fn::Sqrt: case Fn::Ln:
        case Fn::Tan: case Fn::ArcTan:
            return 1;
        case Fn::Exp: case Fn::Sinh: case Fn::Cosh: case Fn::Tanh:
        case Fn::ArcSin: case Fn::ArcCos: case Fn::Cot: case Fn::ArcCosh:
        case Fn::ArcTanh: case Fn::ArcSinh:
            return 2;
        default:
            return -1;
    }
}

int X87CodeGen::FunctionSize(uint8_t code) {
    static const std::array<int16_t, 256> sizes = [] {
        std::array<int16_t, 256> table{};
        for (int c = 0; c < 256; ++c) {
            table[static_cast<std::size_t>(c)] = -1;
            if (FunctionNeed(static_cast<uint8_t>(c)) < 0) continue;
            X87CodeGen gen;
            gen.Begin(1);
            gen.SeqFunction(AsFn(static_cast<uint8_t>(c)));
            table[static_cast<std::size_t>(c)] = static_cast<int16_t>(gen.Length());
        }
        return table;
    }();
    return sizes[code];
}

int X87CodeGen::OperatorSize(uint8_t op) {
    static const int divide = [] {
        X87CodeGen gen;
        gen.Begin(1);
        gen.SeqDivide();
        return gen.Length();
    }();
    static const int arithmetic = [] {
        X87CodeGen gen;
        gen.Begin(1);
        gen.faddp(1);
        return gen.Length();
    }();
    return op == '/' ? divide : arithmetic;
}

void X87SizeEstimate::Operator(uint8_t op) {
    ReloadIfNeeded();
    if (op == '/') EnsureFree(1);
    Add(X87CodeGen::OperatorSize(op));
    BinaryOperatorDone();
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

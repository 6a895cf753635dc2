// Every instruction form of the x87 emitter with the bytes it writes, one line
// each; the labels of the short jumps, forward and backward, with any number
// of jumps waiting for one label; and the measured sizes of the sequences,
// which must be exactly what they write.
#include "formula/X87Emitter.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace velmora::test {
namespace {

using Bytes = std::vector<uint8_t>;

struct Form {
    const char* text;
    std::function<void(X87CodeGen&)> emit;
    Bytes bytes;
};

#define FORM(call, ...) Form{#call, [](X87CodeGen& g) { g.call; }, Bytes{__VA_ARGS__}}

const std::vector<Form>& Forms() {
    static const std::vector<Form> forms = {
        FORM(fld1(), 0xD9, 0xE8),
        FORM(fldz(), 0xD9, 0xEE),
        FORM(fldpi(), 0xD9, 0xEB),
        FORM(fldl2e(), 0xD9, 0xEA),
        FORM(fldln2(), 0xD9, 0xED),
        FORM(fchs(), 0xD9, 0xE0),
        FORM(fabs(), 0xD9, 0xE1),
        FORM(fsqrt(), 0xD9, 0xFA),
        FORM(fsin(), 0xD9, 0xFE),
        FORM(fcos(), 0xD9, 0xFF),
        FORM(fsincos(), 0xD9, 0xFB),
        FORM(fptan(), 0xD9, 0xF2),
        FORM(fpatan(), 0xD9, 0xF3),
        FORM(fyl2x(), 0xD9, 0xF1),
        FORM(f2xm1(), 0xD9, 0xF0),
        FORM(fscale(), 0xD9, 0xFD),
        FORM(frndint(), 0xD9, 0xFC),
        FORM(fprem(), 0xD9, 0xF8),
        FORM(fdecstp(), 0xD9, 0xF6),
        FORM(fld_st(3), 0xD9, 0xC3),
        FORM(fxch_st(1), 0xD9, 0xC9),
        FORM(fstp_st(1), 0xDD, 0xD9),
        FORM(ffree_st(6), 0xDD, 0xC6),
        FORM(fadd_st0_st(0), 0xD8, 0xC0),
        FORM(fmul_st0_st(1), 0xD8, 0xC9),
        FORM(fsub_st0_st(1), 0xD8, 0xE1),
        FORM(fsubr_st0_st(2), 0xD8, 0xEA),
        FORM(fdiv_st0_st(3), 0xD8, 0xF3),
        FORM(fdivr_st0_st(1), 0xD8, 0xF9),
        FORM(fadd_st_st0(1), 0xDC, 0xC1),
        FORM(fmul_st_st0(2), 0xDC, 0xCA),
        FORM(fsubr_st_st0(1), 0xDC, 0xE1),
        FORM(fsub_st_st0(3), 0xDC, 0xEB),
        FORM(fdivr_st_st0(1), 0xDC, 0xF1),
        FORM(fdiv_st_st0(2), 0xDC, 0xFA),
        FORM(faddp(), 0xDE, 0xC1),
        FORM(fmulp(), 0xDE, 0xC9),
        FORM(fsubrp(2), 0xDE, 0xE2),
        FORM(fsubp(3), 0xDE, 0xEB),
        FORM(fdivrp(), 0xDE, 0xF1),
        FORM(fdivp(), 0xDE, 0xF9),
        FORM(fcomi_st(1), 0xDB, 0xF1),
        FORM(fcomip_st(3), 0xDF, 0xF3),
        FORM(fld_qword_rdx(0), 0xDD, 0x02),
        FORM(fld_qword_rdx(16), 0xDD, 0x42, 0x10),
        FORM(fld_qword_rdx_disp32(0x200), 0xDD, 0x82, 0x00, 0x02, 0x00, 0x00),
        FORM(fld_qword_rax0(), 0xDD, 0x00),
        FORM(fld_qword_rax_disp8(40), 0xDD, 0x40, 0x28),
        FORM(fld_qword_rax_disp32(0x148), 0xDD, 0x80, 0x48, 0x01, 0x00, 0x00),
        FORM(fld_qword_rbp_disp32(392), 0xDD, 0x85, 0x88, 0x01, 0x00, 0x00),
        FORM(fstp_qword_rbp_disp32(400), 0xDD, 0x9D, 0x90, 0x01, 0x00, 0x00),
        FORM(Prologue(nullptr), 0x55, 0x48, 0x81, 0xEC, 0xA0, 0x01, 0x00, 0x00, 0x48, 0x89, 0xE5, 0x48, 0xB8, 0, 0, 0, 0,
             0, 0, 0, 0),
        FORM(Epilogue(), 0xDD, 0x5D, 0x10, 0xF2, 0x0F, 0x10, 0x45, 0x10, 0x48, 0x8D, 0xA5, 0xA0, 0x01, 0x00, 0x00,
             0x5D, 0xC3),
    };
    return forms;
}

#undef FORM

Bytes Emit(const std::function<void(X87CodeGen&)>& emit) {
    X87CodeGen g;
    g.Begin(1);
    emit(g);
    return g.Code().Bytes();
}

TEST(X87Encoding, EveryInstructionFormWritesItsBytes) {
    for (const Form& form : Forms()) EXPECT_EQ(Emit(form.emit), form.bytes) << form.text;
}

TEST(X87Encoding, LabelsPatchForwardJumpsAndReachBackward) {
    // Two forward jumps to one label, then a backward jump over both.
    const Bytes code = Emit([](X87CodeGen& g) {
        Label top, out;
        g.Bind(top);
        g.jcc(JumpCond::Equal, out);
        g.fld1();
        g.jcc(JumpCond::Parity, out);
        g.fchs();
        g.Bind(out);
        g.jmp(top);
    });
    EXPECT_EQ(code, (Bytes{0x74, 0x06, 0xD9, 0xE8, 0x7A, 0x02, 0xD9, 0xE0, 0xEB, 0xF6}));
    // A jump with nowhere to land: patched when the label comes, before or after.
    const Bytes each = Emit([](X87CodeGen& g) {
        Label here;
        g.jcc(JumpCond::Below, here);
        g.jcc(JumpCond::AboveOrEqual, here);
        g.jcc(JumpCond::BelowOrEqual, here);
        g.jcc(JumpCond::Above, here);
        g.Bind(here);
        g.jcc(JumpCond::NotEqual, here);
    });
    EXPECT_EQ(each, (Bytes{0x72, 0x06, 0x73, 0x04, 0x76, 0x02, 0x77, 0x00, 0x75, 0xFE}));
}

TEST(X87Encoding, AJumpBeyondAShortDisplacementIsRefused) {
    EXPECT_THROW(Emit([](X87CodeGen& g) {
                     Label far;
                     g.jmp(far);
                     for (int i = 0; i < 64; ++i) g.fld1();
                     g.Bind(far);
                 }),
                 VelmoraError);
    // 127 bytes ahead is the farthest a short jump reaches.
    const Bytes farthest = Emit([](X87CodeGen& g) {
        Label near;
        g.jmp(near);
        for (int i = 0; i < 62; ++i) g.fld1();
        g.fld_qword_rdx(8);
        g.Bind(near);
    });
    EXPECT_EQ(farthest[1], 127);
}

TEST(X87Encoding, TheMeasuredSizesAreWhatTheSequencesWrite) {
    for (int c = 0; c < 256; ++c) {
        if (X87CodeGen::FunctionNeed(static_cast<uint8_t>(c)) < 0) continue;
        const auto emit = [c](X87CodeGen& g) { g.SeqFunction(AsFn(static_cast<uint8_t>(c))); };
        EXPECT_EQ(static_cast<int>(Emit(emit).size()), X87CodeGen::FunctionSize(static_cast<uint8_t>(c)))
            << static_cast<char>(c);
    }
    EXPECT_EQ(static_cast<int>(Emit([](X87CodeGen& g) { g.SeqDivide(); }).size()), X87CodeGen::OperatorSize('/'));
    EXPECT_EQ(static_cast<int>(Emit([](X87CodeGen& g) { g.fsubp(1); }).size()), X87CodeGen::OperatorSize('-'));
}

TEST(X87Encoding, AnyNumberOfJumpsMayWaitForOneLabel) {
    // Twelve forward jumps to one label, each over the rest: every one lands
    // on the label, which is bound after them all.
    const Bytes code = Emit([](X87CodeGen& g) {
        Label end;
        for (int i = 0; i < 12; ++i) {
            g.jcc(i % 2 == 0 ? JumpCond::Parity : JumpCond::Below, end);
            g.fld1();
        }
        g.Bind(end);
        g.fchs();
    });
    ASSERT_EQ(code.size(), 12u * 4 + 2);
    for (std::size_t i = 0; i < 12; ++i) {
        const std::size_t site = 4 * i + 1;
        EXPECT_EQ(site + 1 + code[site], 48u) << "jump " << i;
    }
}

}  // namespace
}  // namespace velmora::test

// Every instruction form of the SSE2 emitter with the bytes it writes, one line
// each (constants of the pool are reached RIP-relative; their displacement is
// written when the code is staged), and the staging of pool and code.
#include "evaluator/SseEmitter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace velmora {
namespace {

struct Form {
    const char* text;
    std::function<void(SseEmitter&)> emit;
    ByteArray bytes;
};

#define FORM(call, ...) Form{#call, [](SseEmitter& e) { e.call; }, ByteArray{__VA_ARGS__}}

const SseOperand kRbp8 = SseOperand::At(Gpr::Rbp, 8);
const SseOperand kR14 = SseOperand::At(Gpr::R14, 0x10);

TEST(SseEncoding, EveryInstructionFormWritesItsBytes) {
    const Form forms[] = {
        FORM(movsd_load(1, SseOperand::Xmm(8)), 0x66, 0x41, 0x0F, 0x28, 0xC8),
        FORM(movsd_load(9, kR14), 0xF2, 0x45, 0x0F, 0x10, 0x8E, 0x10, 0x00, 0x00, 0x00),
        FORM(movsd_load(2, SseOperand::Constant(0)), 0xF2, 0x0F, 0x10, 0x15, 0x00, 0x00, 0x00, 0x00),
        FORM(movsd_store(Gpr::Rbx, 0x40, 10), 0xF2, 0x44, 0x0F, 0x11, 0x93, 0x40, 0x00, 0x00, 0x00),
        FORM(movsd_store(Gpr::Rsp, 8, 0), 0xF2, 0x0F, 0x11, 0x84, 0x24, 0x08, 0x00, 0x00, 0x00),
        FORM(addsd(0, SseOperand::Xmm(12)), 0xF2, 0x41, 0x0F, 0x58, 0xC4),
        FORM(mulsd(3, kRbp8), 0xF2, 0x0F, 0x59, 0x9D, 0x08, 0x00, 0x00, 0x00),
        FORM(subsd(15, SseOperand::Xmm(15)), 0xF2, 0x45, 0x0F, 0x5C, 0xFF),
        FORM(divsd(4, SseOperand::Xmm(5)), 0xF2, 0x0F, 0x5E, 0xE5),
        FORM(sqrtsd(6, SseOperand::Xmm(7)), 0xF2, 0x0F, 0x51, 0xF7),
        FORM(xorpd(1, SseOperand::Xmm(2)), 0x66, 0x0F, 0x57, 0xCA),
        FORM(andpd(11, SseOperand::Xmm(1)), 0x66, 0x44, 0x0F, 0x54, 0xD9),
        FORM(ucomisd(0, SseOperand::Xmm(9)), 0x66, 0x41, 0x0F, 0x2E, 0xC1),
        FORM(cmpltsd(2, SseOperand::Xmm(3)), 0xF2, 0x0F, 0xC2, 0xD3, 0x01),
        FORM(zero(13), 0x66, 0x45, 0x0F, 0x57, 0xED),
        FORM(Prologue(nullptr, 0x30), 0x55, 0x53, 0x41, 0x56, 0x48, 0x81, 0xEC, 0x30, 0x00, 0x00, 0x00, 0x48, 0x89,
             0xE5, 0x48, 0xBB, 0, 0, 0, 0, 0, 0, 0, 0, 0x49, 0x89, 0xD6),
        FORM(Epilogue(0x30), 0x48, 0x8D, 0xA5, 0x30, 0x00, 0x00, 0x00, 0x41, 0x5E, 0x5B, 0x5D, 0xC3),
        FORM(CallWithFramePointer(nullptr, 0x20), 0x48, 0x8D, 0xBD, 0x20, 0x00, 0x00, 0x00, 0x48, 0xB8, 0, 0, 0, 0, 0,
             0, 0, 0, 0xFF, 0xD0),
        Form{"JumpIf(0x84, here); Bind(here)", [](SseEmitter& e) { Label here; e.JumpIf(0x84, here); e.Bind(here); },
             ByteArray{0x0F, 0x84, 0x00, 0x00, 0x00, 0x00}},
        Form{"Jump(here); Bind(here)", [](SseEmitter& e) { Label here; e.Jump(here); e.Bind(here); },
             ByteArray{0xE9, 0x00, 0x00, 0x00, 0x00}},
        Form{"Bind(back); Jump(back)", [](SseEmitter& e) { Label back; e.Bind(back); e.Jump(back); },
             ByteArray{0xE9, 0xFB, 0xFF, 0xFF, 0xFF}},
    };
    for (const Form& form : forms) {
        SseEmitter e;
        form.emit(e);
        EXPECT_EQ(e.Code(), form.bytes) << form.text;
    }
}

TEST(SseEncoding, StagingPatchesTheConstantsAndTheJumps) {
    SseEmitter e;
    const int one = e.PoolScalar(1.0);
    EXPECT_EQ(e.PoolScalar(1.0), one);  // equal constants share their place
    Label over;
    e.JumpIf(0x84, over);
    e.movsd_load(0, SseOperand::Constant(one));  // 8 bytes, its displacement at 8
    e.Bind(over);
    StagedCode staged;
    staged.Reserve(3);  // something before: the piece starts at 16
    const std::size_t entry = e.StageInto(staged);
    const std::size_t pool = 16, poolBytes = 32;  // sign mask (16) and 1.0, padded to 32
    EXPECT_EQ(entry, pool + poolBytes);
    EXPECT_EQ(staged.Size(), pool + poolBytes + 14);
    const uint8_t* code = staged.Bytes() + entry;
    int32_t rel = 0;
    std::memcpy(&rel, code + 2, 4);
    EXPECT_EQ(rel, 8);  // over the load
    std::memcpy(&rel, code + 10, 4);
    EXPECT_EQ(code + 14 + rel, staged.Bytes() + pool + one);  // RIP-relative to the pool entry
    double value = 0;
    std::memcpy(&value, staged.Bytes() + pool + one, 8);
    EXPECT_EQ(value, 1.0);
}

#undef FORM

}  // namespace
}  // namespace velmora

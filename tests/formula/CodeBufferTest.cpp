// The x86 code buffer: a bound on what it holds with the exact message, the
// memory operands in their encodings, labels reached forward (any number of
// jumps waiting) and backward in both jump widths, the RIP-relative operands
// placed beside their constants; and the growable byte string helpers.
#include "formula/CodeBuffer.h"
#include "tests/platform/ErrorTestSupport.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace velmora {
namespace {

using test::MessageOf;

TEST(CodeBuffer, WritesUpToItsCapacityAndRefusesMore) {
    CodeBuffer a(5);
    EXPECT_EQ(a.Length(), 0);
    a.Append({1, 2, 3});
    a.Byte(4);
    a.Byte(5);
    EXPECT_EQ(a.Length(), 5);
    EXPECT_EQ(MessageOf([&] { a.Byte(6); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(MessageOf([&] { a.Append({6}); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(MessageOf([&] { a.Int32(6); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(a.Bytes(), (ByteArray{1, 2, 3, 4, 5})) << "nothing written past the capacity";
    a.Clear();
    a.Append({7, 8, 9, 10});
    EXPECT_EQ(MessageOf([&] { a.Append({11, 12}); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(a.Bytes(), (ByteArray{7, 8, 9, 10}));
}

ByteArray Encoded(int regField, const MemOperand& m) {
    CodeBuffer b;
    b.ModRM(regField, m);
    return b.Bytes();
}

TEST(CodeBuffer, MemoryOperandsInTheirWidths) {
    // Shortest: no displacement, 8 bits, 32 bits; rbp always has one, rsp and r12 a SIB byte.
    EXPECT_EQ(Encoded(0, MemOperand::Shortest(Gpr::Rdx, 0)), (ByteArray{0x02}));
    EXPECT_EQ(Encoded(0, MemOperand::Shortest(Gpr::Rdx, 8)), (ByteArray{0x42, 0x08}));
    EXPECT_EQ(Encoded(0, MemOperand::Shortest(Gpr::Rdx, -128)), (ByteArray{0x42, 0x80}));
    EXPECT_EQ(Encoded(0, MemOperand::Shortest(Gpr::Rdx, 128)), (ByteArray{0x82, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Encoded(3, MemOperand::Shortest(Gpr::Rbp, 0)), (ByteArray{0x5D, 0x00}));
    EXPECT_EQ(Encoded(1, MemOperand::Shortest(Gpr::Rsp, 0)), (ByteArray{0x0C, 0x24}));
    EXPECT_EQ(Encoded(2, MemOperand::Shortest(Gpr::R12, 16)), (ByteArray{0x54, 0x24, 0x10}));
    EXPECT_EQ(Encoded(2, MemOperand::Shortest(Gpr::R13, 0)), (ByteArray{0x55, 0x00}));
    // Fixed widths, as instruction forms of the engines ask for them.
    EXPECT_EQ(Encoded(0, MemOperand::Disp8(Gpr::Rax, 0)), (ByteArray{0x40, 0x00}));
    EXPECT_EQ(MessageOf([] { Encoded(0, MemOperand::Disp8(Gpr::Rax, 128)); }), "I did fail in analysing the function.");
    EXPECT_EQ(Encoded(0, MemOperand::Disp32(Gpr::Rax, 48)), (ByteArray{0x80, 0x30, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Encoded(7, MemOperand::Disp32(Gpr::R14, -8)), (ByteArray{0xBE, 0xF8, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(MemOperand::Disp32(Gpr::R14, 0).RexB(), 1);
    EXPECT_EQ(MemOperand::Disp32(Gpr::Rbx, 0).RexB(), 0);
    // RIP-relative: the displacement waits for the code to be placed.
    EXPECT_EQ(Encoded(2, MemOperand::Rip(16)), (ByteArray{0x15, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(MemOperand::Rip(16).RexB(), 0);
}

TEST(CodeBuffer, ManyJumpsWaitForOneLabelInBothWidths) {
    CodeBuffer b;
    Label end, start;
    b.Bind(start);
    for (int i = 0; i < 20; ++i) {
        if (i % 2 == 0) {
            b.JumpShort(0x74, end);  // je rel8
        } else {
            b.JumpNear({0x0F, 0x8A}, end);  // jp rel32
        }
    }
    EXPECT_FALSE(end.Bound());
    b.Bind(end);
    EXPECT_EQ(end.Position(), 10 * 2 + 10 * 6);
    b.JumpNear({0xE9}, start);  // backward
    b.JumpShort(0xEB, end);     // backward, to the label bound above
    const ByteArray& code = b.Bytes();
    std::size_t at = 0;
    for (int i = 0; i < 20; ++i) {
        if (i % 2 == 0) {
            ASSERT_EQ(code[at], 0x74);
            EXPECT_EQ(static_cast<int>(at) + 2 + static_cast<int8_t>(code[at + 1]), end.Position()) << i;
            at += 2;
        } else {
            ASSERT_EQ(code[at + 1], 0x8A);
            int32_t rel = 0;
            std::memcpy(&rel, code.data() + at + 2, 4);
            EXPECT_EQ(static_cast<int>(at) + 6 + rel, end.Position()) << i;
            at += 6;
        }
    }
    int32_t back = 0;
    std::memcpy(&back, code.data() + at + 1, 4);
    EXPECT_EQ(static_cast<int>(at) + 5 + back, 0);
    EXPECT_EQ(static_cast<int>(at) + 5 + 2 + static_cast<int8_t>(code[at + 6]), end.Position());
}

TEST(CodeBuffer, AShortJumpOutOfReachIsAFaultOfTheEmitter) {
    CodeBuffer b;
    Label far;
    b.JumpShort(0xEB, far);
    for (int i = 0; i < 128; ++i) b.Byte(0x90);
    EXPECT_EQ(MessageOf([&] { b.Bind(far); }), "I did fail in analysing the function.");
    CodeBuffer c;
    Label back;
    c.Bind(back);
    for (int i = 0; i < 127; ++i) c.Byte(0x90);
    EXPECT_EQ(MessageOf([&] { c.JumpShort(0xEB, back); }), "I did fail in analysing the function.");
}

TEST(CodeBuffer, PlacingTheCodeWritesTheRipDisplacements) {
    // movsd xmm0, [rip + c]; cmpltsd xmm1, [rip + c] (an immediate after the displacement).
    CodeBuffer b;
    b.Append({0xF2, 0x0F, 0x10});
    b.ModRM(0, MemOperand::Rip(8));
    b.Append({0xF2, 0x0F, 0xC2});
    b.ModRM(1, MemOperand::Rip(0), 1);
    b.Byte(0x01);
    ASSERT_EQ(b.Length(), 17);
    // The constants 32 bytes before the code.
    uint8_t placed[17] = {};
    b.PlaceAt(placed, -32);
    int32_t rel = 0;
    std::memcpy(&rel, placed + 4, 4);
    EXPECT_EQ(8 + rel, -32 + 8);  // measured from the end of the first instruction
    std::memcpy(&rel, placed + 12, 4);
    EXPECT_EQ(17 + rel, -32 + 0);  // from the end of the second, past its immediate
    EXPECT_EQ(placed[16], 0x01);
    EXPECT_EQ(b.Bytes()[4], 0x00) << "the buffer itself keeps its placeholders";
}

TEST(ByteArrayHelpers, GrowCopyAndEncode) {
    ByteArray a;
    EXPECT_EQ(AppendByte(a, 7), 0);
    EXPECT_EQ(AppendByte(a, 8), 1);
    const uint8_t more[] = {9, 10};
    AppendBytes(a, more, 2);
    PrependByte(a, 6);
    PrependBytes(a, more, 2);
    EXPECT_EQ(a, (ByteArray{9, 10, 6, 7, 8, 9, 10}));
    EXPECT_EQ(CopyBytes(a.data(), 2, 3), (ByteArray{6, 7, 8}));
    EXPECT_TRUE(CopyBytes(a.data(), 2, 0).empty());
    EXPECT_TRUE(CopyBytes(a.data(), 2, -4).empty());

    EXPECT_EQ(Int32Bytes(416), (std::array<uint8_t, 4>{0xA0, 0x01, 0x00, 0x00}));
    EXPECT_EQ(Int32Bytes(-2), (std::array<uint8_t, 4>{0xFE, 0xFF, 0xFF, 0xFF}));
    const auto address = AddressBytes(reinterpret_cast<const void*>(uintptr_t{0x0102030405060708}));
    EXPECT_EQ(address, (std::array<uint8_t, 8>{8, 7, 6, 5, 4, 3, 2, 1}));
}

}  // namespace
}  // namespace velmora

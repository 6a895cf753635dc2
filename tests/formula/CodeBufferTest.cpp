// The byte buffers: a bounded writer that refuses to overrun its storage with
// the two exact messages, and the growable byte string helpers.
#include "formula/CodeBuffer.h"
#include "tests/platform/ErrorTestSupport.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velmora {
namespace {

using test::MessageOf;

TEST(TCodeBuffer, WritesUpToItsCapacityAndRefusesMore) {
    uint8_t storage[6] = {};
    TCodeBuffer a(storage, 5);
    EXPECT_EQ(a.h, -1);
    EXPECT_EQ(a.bigH, 4);
    a.Write({1, 2, 3});
    a.AddByte(4);
    a.AddByte(5);
    EXPECT_EQ(a.Length(), 5);
    EXPECT_EQ(MessageOf([&] { a.AddByte(6); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(MessageOf([&] { a.Write({6}); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(storage[5], 0) << "nothing written past the capacity";
    EXPECT_EQ(a.h, 4);
}

TEST(TCodeBuffer, InsertAndDeleteMoveTheTail) {
    uint8_t storage[8] = {};
    TCodeBuffer a(storage, 8);
    a.Write({1, 2, 5});
    const uint8_t middle[] = {3, 4};
    a.Insert(2, middle, 2);
    EXPECT_EQ(std::string(storage, storage + a.Length()), std::string({1, 2, 3, 4, 5}));
    a.Insert(5, middle, 1);  // at the end
    a.Insert(0, middle, 0);  // nothing
    EXPECT_EQ(std::string(storage, storage + a.Length()), std::string({1, 2, 3, 4, 5, 3}));
    EXPECT_EQ(MessageOf([&] { a.Insert(7, middle, 1); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(MessageOf([&] { a.Insert(-1, middle, 1); }), "Wrong attempt to write on an open array");
    EXPECT_EQ(MessageOf([&] { a.Insert(0, middle, 3); }), "Wrong attempt to write on an open array");

    a.Delete(1, 2);
    EXPECT_EQ(std::string(storage, storage + a.Length()), std::string({1, 4, 5, 3}));
    a.Delete(3, 3);
    EXPECT_EQ(a.Length(), 3);
    EXPECT_EQ(MessageOf([&] { a.Delete(2, 3); }), "Wrong attempt to delete from an open array");
    EXPECT_EQ(MessageOf([&] { a.Delete(2, 1); }), "Wrong attempt to delete from an open array");
    EXPECT_EQ(MessageOf([&] { a.Delete(-1, 0); }), "Wrong attempt to delete from an open array");
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

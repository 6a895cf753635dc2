// Executable blocks: mapped read-write for writing, switched to read-execute
// for calling (never both), movable, released with their owner.
#include "MemoryTestSupport.h"
#include "platform/ExecutableMemory.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace velmora {
namespace {

using test::ProtectionOf;

// mov eax, 42; ret
const uint8_t kReturn42[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};

TEST(ExecutableBlock, AllocatesWholePagesReadWrite) {
    ExecutableBlock b;
    EXPECT_TRUE(b.Empty());
    b.Allocate(100);
    ASSERT_FALSE(b.Empty());
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    EXPECT_EQ(b.Size(), 100u);
    EXPECT_EQ(b.Capacity(), page);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.Data()) % page, 0u);
    EXPECT_EQ(ProtectionOf(b.Data()).substr(0, 3), "rw-");
    b.Allocate(page + 1);
    EXPECT_EQ(b.Capacity(), 2 * page);
}

TEST(ExecutableBlock, SwitchesBetweenWritableAndExecutable) {
    ExecutableBlock b;
    b.Allocate(sizeof kReturn42);
    std::memcpy(b.Data(), kReturn42, sizeof kReturn42);
    b.MakeExecutable();
    EXPECT_EQ(ProtectionOf(b.Data()).substr(0, 3), "r-x");
    auto entry = reinterpret_cast<int (*)()>(b.Data());
    EXPECT_EQ(entry(), 42);

    b.MakeWritable();
    EXPECT_EQ(ProtectionOf(b.Data()).substr(0, 3), "rw-");
    b.Data()[1] = 7;
    b.MakeExecutable();
    EXPECT_EQ(entry(), 7);
}

TEST(ExecutableBlock, MovesOwnershipAndReleases) {
    ExecutableBlock a;
    a.Allocate(64);
    uint8_t* const mapped = a.Data();
    ExecutableBlock b(std::move(a));
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(b.Data(), mapped);

    ExecutableBlock c;
    c.Allocate(64);
    uint8_t* const other = c.Data();
    c = std::move(b);  // releases c's own block
    EXPECT_EQ(c.Data(), mapped);
    EXPECT_EQ(ProtectionOf(other), "");

    c.Release();
    EXPECT_TRUE(c.Empty());
    EXPECT_EQ(c.Capacity(), 0u);
    EXPECT_EQ(ProtectionOf(mapped), "");
    c.Release();  // twice is harmless
    {
        ExecutableBlock scoped;
        scoped.Allocate(10);
        scoped.MakeExecutable();
        scoped.MakeWritable();
        EXPECT_NO_THROW(scoped.MakeExecutable());
    }
    ExecutableBlock empty;
    EXPECT_NO_THROW(empty.MakeExecutable());
    EXPECT_NO_THROW(empty.MakeWritable());
}

}  // namespace
}  // namespace velmora

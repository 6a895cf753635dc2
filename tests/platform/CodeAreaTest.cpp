// Staged code and its publication: pieces at 16-byte boundaries, a published
// mapping read+execute after exactly one protection change and released with
// its last holder, refused calls reported as engine errors, and a code area
// that publishes the code of all its members at once.
#include "ErrorTestSupport.h"
#include "MemoryTestSupport.h"
#include "platform/CodeArea.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace velmora {
namespace {

using test::MemoryCallRecorder;
using test::MessageOf;
using test::ProtectionOf;

// A member whose code is "mov eax, value; ret".
class ReturnsValue final : public CodeAreaMember {
public:
    void Build(uint8_t value) {
        staged_.Clear();
        const uint8_t code[] = {0xB8, value, 0x00, 0x00, 0x00, 0xC3};
        const std::size_t at = staged_.Reserve(sizeof code);
        std::memcpy(staged_.At(at), code, sizeof code);
        PublishOrEnlist();
    }
    int Call() const { return reinterpret_cast<int (*)()>(const_cast<uint8_t*>(entry_))(); }
    const uint8_t* Entry() const { return entry_; }
    int discards = 0;

    const StagedCode& Staged() const override { return staged_; }
    void Install(const std::shared_ptr<const CodeMapping>& mapping, const uint8_t* code) noexcept override {
        mapping_ = mapping;
        entry_ = code;
        staged_.Clear();
    }
    void Discard() noexcept override {
        staged_.Clear();
        ++discards;
    }

protected:
    const std::shared_ptr<const CodeMapping>& CurrentMapping() const override { return mapping_; }
    void Forget() noexcept override {
        mapping_.reset();
        entry_ = nullptr;
    }

private:
    StagedCode staged_;
    std::shared_ptr<const CodeMapping> mapping_;
    const uint8_t* entry_ = nullptr;
};


TEST(StagedCode, PiecesStartAtSixteenByteBoundaries) {
    StagedCode code;
    EXPECT_TRUE(code.Empty());
    EXPECT_EQ(code.Reserve(5), 0u);
    EXPECT_EQ(code.Reserve(20), 16u);
    EXPECT_EQ(code.Size(), 36u);
    code.Trim(16, 3);
    EXPECT_EQ(code.Size(), 19u);
    EXPECT_EQ(code.Reserve(1), 32u);
    code.Clear();
    EXPECT_TRUE(code.Empty());
}

TEST(CodeMapping, PublishesWithOneProtectionChangeAndUnmapsWithTheLastHolder) {
    MemoryCallRecorder calls;
    const uint8_t code[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};  // mov eax, 42; ret
    auto mapping = CodeMapping::Publish(sizeof code, [&](uint8_t* to) {
        EXPECT_EQ(ProtectionOf(to).substr(0, 3), "rw-");  // written while not executable
        std::memcpy(to, code, sizeof code);
    });
    EXPECT_EQ(calls.Count(MemoryCall::Map), 1);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadExecute), 1);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadWrite), 0);
    EXPECT_EQ(ProtectionOf(mapping->Base()).substr(0, 3), "r-x");
    EXPECT_EQ(reinterpret_cast<int (*)()>(const_cast<uint8_t*>(mapping->Base()))(), 42);

    const uint8_t* base = mapping->Base();
    auto second = mapping;
    mapping.reset();
    EXPECT_EQ(ProtectionOf(base).substr(0, 3), "r-x");
    EXPECT_EQ(calls.Count(MemoryCall::Unmap), 0);
    second.reset();
    EXPECT_EQ(ProtectionOf(base), "");
    EXPECT_EQ(calls.Count(MemoryCall::Unmap), 1);
}

TEST(CodeMapping, RefusedCallsAreEngineErrorsAndLeaveNothingMapped) {
    MemoryCallRecorder calls;
    StagedCode code;
    code.Reserve(64);
    calls.Refuse(MemoryCall::Map);
    EXPECT_EQ(MessageOf([&] { CodeMapping::Publish(code); }), kMapFailedMessage);
    calls.Refuse(MemoryCall::MakeReadExecute);
    calls.Reset();
    EXPECT_EQ(MessageOf([&] { CodeMapping::Publish(code); }), kMakeExecutableFailedMessage);
    EXPECT_EQ(calls.Count(MemoryCall::Map), 1);
    EXPECT_EQ(calls.Count(MemoryCall::Unmap), 1);  // the writable mapping did not survive
    calls.RefuseNothing();
    EXPECT_EQ(MessageOf([&] { CodeMapping::Publish(code); }), "");
}

TEST(CodeArea, MembersPublishAloneOutsideABuildAndTogetherWithinOne) {
    MemoryCallRecorder calls;
    TCodeArea area;
    ReturnsValue a, b, loner;
    a.AttachTo(&area);
    b.AttachTo(&area);
    // Outside a build every member publishes its own code at once.
    a.Build(1);
    EXPECT_EQ(a.Call(), 1);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadExecute), 1);

    calls.Reset();
    area.Open();
    a.Build(2);
    b.Build(3);
    loner.Build(4);  // not a member: publishes at once
    EXPECT_EQ(a.Call(), 1) << "the previous code stays until the build is committed";
    EXPECT_EQ(b.Entry(), nullptr);
    area.Commit();
    EXPECT_FALSE(area.IsOpen());
    EXPECT_EQ(a.Call(), 2);
    EXPECT_EQ(b.Call(), 3);
    EXPECT_EQ(loner.Call(), 4);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadExecute), 2);  // the loner's and the area's
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadWrite), 0);
    // Both members share the area's mapping.
    const uint8_t* base = area.Mapping()->Base();
    for (const ReturnsValue* m : {&a, &b}) {
        EXPECT_GE(m->Entry(), base);
        EXPECT_LT(m->Entry(), base + area.Mapping()->Size());
    }
}

TEST(CodeArea, AnAbandonedOrRefusedBuildDiscardsEveryStagedCode) {
    MemoryCallRecorder calls;
    TCodeArea area;
    ReturnsValue a, b;
    a.AttachTo(&area);
    b.AttachTo(&area);
    area.Open();
    a.Build(5);
    b.Build(6);
    area.Commit();

    area.Open();
    a.Build(7);
    area.Abandon();
    EXPECT_EQ(a.discards, 1);
    EXPECT_EQ(a.Call(), 5);

    area.Open();
    a.Build(8);
    b.Build(9);
    calls.Refuse(MemoryCall::MakeReadExecute);
    EXPECT_EQ(MessageOf([&] { area.Commit(); }), kMakeExecutableFailedMessage);
    calls.RefuseNothing();
    EXPECT_EQ(a.discards, 2);
    EXPECT_EQ(b.discards, 1);
    EXPECT_FALSE(area.IsOpen());
    // The code of the last commit is still mapped and callable.
    EXPECT_EQ(a.Call(), 5);
    EXPECT_EQ(b.Call(), 6);
    EXPECT_FALSE(test::AnyWritableExecutableMapping());
}

TEST(CodeArea, AMemberAloneWritesItsNextCodeOverItsOwnMapping) {
    MemoryCallRecorder calls;
    ReturnsValue alone;
    alone.Build(10);
    const uint8_t* first = alone.Entry();
    calls.Reset();
    alone.Build(11);
    EXPECT_EQ(alone.Entry(), first);
    EXPECT_EQ(alone.Call(), 11);
    EXPECT_EQ(calls.Count(MemoryCall::Map), 0);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadWrite), 1);
    EXPECT_EQ(calls.Count(MemoryCall::MakeReadExecute), 1);
    EXPECT_EQ(ProtectionOf(first).substr(0, 3), "r-x");

    // A refused protection change loses the old code: nothing refers to it.
    calls.Refuse(MemoryCall::MakeReadExecute);
    EXPECT_EQ(MessageOf([&] { alone.Build(12); }), kMakeExecutableFailedMessage);
    calls.RefuseNothing();
    EXPECT_EQ(alone.Entry(), nullptr);
    EXPECT_EQ(ProtectionOf(first), "");
    alone.Build(13);
    EXPECT_EQ(alone.Call(), 13);

    // Code an area published is shared: a member rebuilt alone maps anew.
    TCodeArea area;
    ReturnsValue member;
    member.AttachTo(&area);
    area.Open();
    member.Build(14);
    area.Commit();
    const uint8_t* shared = member.Entry();
    calls.Reset();
    member.Build(15);
    EXPECT_NE(member.Entry(), shared);
    EXPECT_EQ(calls.Count(MemoryCall::Map), 1);
    EXPECT_EQ(member.Call(), 15);
    EXPECT_EQ(ProtectionOf(shared).substr(0, 3), "r-x") << "still held by the area";
}

}  // namespace
}  // namespace velmora

// Code that a test assembles with an emitter, published through the path the
// engines use (staged code copied into a mapping that one protection change
// makes read+execute), so that it can be called.
#pragma once

#include "formula/CodeBuffer.h"
#include "platform/CodeArea.h"
#include "platform/CompiledFunction.h"

#include <cstddef>
#include <memory>
#include <span>

namespace velmora::test {

class PublishedCode {
public:
    // The piece of `staged` whose entry point is at `entry`.
    PublishedCode(const StagedCode& staged, std::size_t entry)
        : mapping_(CodeMapping::Publish(staged)), entry_(mapping_->Base() + entry), size_(staged.Size() - entry) {}
    // Code without constants of its own (the x87 emitter's).
    explicit PublishedCode(const CodeBuffer& code) : PublishedCode(Stage(code), 0) {}

    RealFunction Function() const { return {entry_, nullptr}; }
    double operator()(const double* args, intptr_t count) const { return Function()(args, count); }
    // The bytes from the entry point on, as published.
    std::span<const uint8_t> Bytes() const { return {entry_, size_}; }

private:
    static StagedCode Stage(const CodeBuffer& code) {
        StagedCode staged;
        code.PlaceAt(staged.At(staged.Reserve(static_cast<std::size_t>(code.Length()))), 0);
        return staged;
    }

    std::shared_ptr<const CodeMapping> mapping_;
    const uint8_t* entry_;
    std::size_t size_;
};

}  // namespace velmora::test

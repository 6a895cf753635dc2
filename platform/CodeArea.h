// Machine code is assembled in ordinary memory and then published: copied
// into a fresh mapping that one protection change makes read+execute and that
// is never written again. Code assembled this way must not depend on where it
// lands: its jumps are relative, its own constants are addressed relative to
// the instruction pointer, and tables outside it by absolute address.
//
// An object that compiles code (an evaluator, a symbolic-derivative object)
// stages its code and publishes it in a mapping of its own; or, while the code
// area it belongs to is building, leaves it to the area, which publishes the
// code of all its members in one mapping when the build is committed.
#pragma once

#include "platform/ExecutableMemory.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace velmora {

// Code waiting for publication: pieces at 16-byte boundaries.
class StagedCode {
public:
    // Starts a piece of `size` bytes after the others; returns its offset.
    std::size_t Reserve(std::size_t size);
    // Keeps the first `used` bytes of the last piece, which starts at `offset`.
    void Trim(std::size_t offset, std::size_t used);
    uint8_t* At(std::size_t offset) { return bytes_.data() + offset; }
    const uint8_t* Bytes() const { return bytes_.data(); }
    std::size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }
    void Clear() { bytes_.clear(); }

private:
    std::vector<uint8_t> bytes_;
};

// One published mapping, shared by the objects whose code it holds: it stays
// mapped until the last of them lets it go.
class CodeMapping {
public:
    // Maps `size` bytes read-write, lets `write` fill them and makes them
    // read+execute. Throws VelmoraError when mapping or protecting fails (the
    // memory is then released).
    static std::shared_ptr<const CodeMapping> Publish(std::size_t size, const std::function<void(uint8_t*)>& write);
    static std::shared_ptr<const CodeMapping> Publish(const StagedCode& code);
    // Whether `sole` is held by no one else and has room for `size` bytes.
    static bool Rewritable(const std::shared_ptr<const CodeMapping>& sole, std::size_t size);
    // Writes `code` over a rewritable mapping, made writable and then
    // read+execute again. Throws VelmoraError when a protection change fails:
    // what the mapping held is then lost.
    static void Rewrite(const std::shared_ptr<const CodeMapping>& sole, const StagedCode& code);

    const uint8_t* Base() const { return block_.Data(); }
    std::size_t Size() const { return block_.Capacity(); }  // bytes mapped (whole pages)

private:
    ExecutableBlock block_;
};

class TCodeArea;

// An object whose code a code area may publish.
class CodeAreaMember {
public:
    CodeAreaMember() = default;
    CodeAreaMember(const CodeAreaMember&) = delete;
    CodeAreaMember& operator=(const CodeAreaMember&) = delete;

    // The code area this object belongs to (nullptr: none).
    void AttachTo(TCodeArea* area) { area_ = area; }
    TCodeArea* Area() const { return area_; }

    // The code staged by the last build, not yet published.
    virtual const StagedCode& Staged() const = 0;
    // The staged code now starts at `code` in `mapping`: make it callable.
    virtual void Install(const std::shared_ptr<const CodeMapping>& mapping, const uint8_t* code) noexcept = 0;
    // The build of the area failed: forget the staged code.
    virtual void Discard() noexcept = 0;

protected:
    ~CodeAreaMember() = default;
    // After a build has staged its code: publishes it at once in a mapping of
    // this object's own (written over the previous one when the object alone
    // holds it and it is large enough), or, while the area is building, leaves
    // it to the area.
    void PublishOrEnlist();
    // The mapping the object's current code lives in.
    virtual const std::shared_ptr<const CodeMapping>& CurrentMapping() const = 0;
    // Drops every reference to the current code (it is being overwritten and
    // may be lost).
    virtual void Forget() noexcept = 0;

private:
    TCodeArea* area_ = nullptr;
};

// The code area of a group of objects (an engine set).
class TCodeArea {
public:
    TCodeArea() = default;
    TCodeArea(const TCodeArea&) = delete;
    TCodeArea& operator=(const TCodeArea&) = delete;
    // Members outliving the area keep the code they have.
    ~TCodeArea() { Abandon(); }

    // From here to Commit or Abandon, members stage their code for the area.
    void Open();
    bool IsOpen() const { return open_; }
    void Enlist(CodeAreaMember& member);
    // Publishes the code of every enlisted member in one mapping and installs
    // it. On failure every staged code is discarded and the error passed on.
    void Commit();
    // Commit in two steps, so that several areas change all or none: Publish
    // maps and protects the code of the enlisted members without installing
    // it (on failure nothing changes and the error is passed on); Install
    // gives every member its code and cannot fail.
    std::shared_ptr<const CodeMapping> Publish();
    void Install(const std::shared_ptr<const CodeMapping>& published) noexcept;
    // Discards the staged code of every enlisted member.
    void Abandon() noexcept;

    // The mapping of the last commit (empty before the first one).
    const std::shared_ptr<const CodeMapping>& Mapping() const { return mapping_; }

private:
    bool open_ = false;
    std::vector<CodeAreaMember*> members_;
    std::vector<std::size_t> offsets_;  // of the members' code in the published mapping
    std::shared_ptr<const CodeMapping> mapping_;
};

}  // namespace velmora

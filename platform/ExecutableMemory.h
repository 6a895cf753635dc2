// Executable memory for compiled formulas. A block is mapped read-write while
// code is written into it and switched to read-execute before it is called;
// it is never writable and executable at the same time.
//
// Every mapping, protection change and release of such memory goes through
// this unit, and a hook may watch each call and make it fail (tests count the
// protection changes and inject failures through it).
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

enum class MemoryCall : uint8_t { Map, MakeReadExecute, MakeReadWrite, Unmap };
// Called before each call with its kind and its length in bytes; a hook that
// answers false makes a mapping or protection change fail (an unmapping
// happens anyway). Installed process-wide; nullptr removes it.
using MemoryCallHook = bool (*)(MemoryCall call, std::size_t bytes);
void SetMemoryCallHook(MemoryCallHook hook);

inline constexpr const char* kMapFailedMessage = "Not enough memory to compile the formula";
inline constexpr const char* kMakeExecutableFailedMessage = "Could not make compiled code executable";
inline constexpr const char* kMakeWritableFailedMessage = "Could not make compiled code writable";

class ExecutableBlock {
public:
    ExecutableBlock() = default;
    ExecutableBlock(const ExecutableBlock&) = delete;
    ExecutableBlock& operator=(const ExecutableBlock&) = delete;
    ExecutableBlock(ExecutableBlock&& other) noexcept;
    ExecutableBlock& operator=(ExecutableBlock&& other) noexcept;
    ~ExecutableBlock();

    // Releases any previous mapping and maps at least `size` bytes, read-write.
    // Throws VelmoraError when the system refuses the memory.
    void Allocate(std::size_t size);
    // Read-write again (to regenerate code into a block that is large enough).
    void MakeWritable();
    // Read-execute: the code may now be called.
    void MakeExecutable();
    void Release() noexcept;

    uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }       // the size asked for
    std::size_t Capacity() const { return mapped_; } // whole pages mapped
    bool Empty() const { return data_ == nullptr; }

private:
    uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;
};

}  // namespace velmora

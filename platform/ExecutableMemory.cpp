#include "platform/ExecutableMemory.h"

#include "platform/VelmoraError.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <utility>

namespace velmora {

namespace {

std::atomic<MemoryCallHook> memoryCallHook{nullptr};

// False when the hook refuses the call.
bool Allowed(MemoryCall call, std::size_t bytes) {
    const MemoryCallHook hook = memoryCallHook.load(std::memory_order_acquire);
    return hook == nullptr || hook(call, bytes);
}

std::size_t PageSize() {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return page;
}

void Protect(uint8_t* data, std::size_t bytes, MemoryCall call) {
    const bool executable = call == MemoryCall::MakeReadExecute;
    const int protection = executable ? PROT_READ | PROT_EXEC : PROT_READ | PROT_WRITE;
    if (!Allowed(call, bytes) || mprotect(data, bytes, protection) != 0)
        throw VelmoraError(executable ? kMakeExecutableFailedMessage : kMakeWritableFailedMessage);
}

}  // namespace

void SetMemoryCallHook(MemoryCallHook hook) { memoryCallHook.store(hook, std::memory_order_release); }

ExecutableBlock::ExecutableBlock(ExecutableBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ExecutableBlock& ExecutableBlock::operator=(ExecutableBlock&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

ExecutableBlock::~ExecutableBlock() { Release(); }

void ExecutableBlock::Allocate(std::size_t size) {
    Release();
    const std::size_t page = PageSize();
    const std::size_t mapped = ((size == 0 ? 1 : size) + page - 1) / page * page;
    if (!Allowed(MemoryCall::Map, mapped)) throw VelmoraError(kMapFailedMessage);
    // The pages are written at once: populating them here is cheaper than a fault each.
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) throw VelmoraError(kMapFailedMessage);
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    mapped_ = mapped;
}

void ExecutableBlock::MakeWritable() {
    if (data_) Protect(data_, mapped_, MemoryCall::MakeReadWrite);
}

void ExecutableBlock::MakeExecutable() {
    if (data_) Protect(data_, mapped_, MemoryCall::MakeReadExecute);
}

void ExecutableBlock::Release() noexcept {
    if (data_) {
        Allowed(MemoryCall::Unmap, mapped_);
        munmap(data_, mapped_);
    }
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

}  // namespace velmora

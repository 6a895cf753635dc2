#include "platform/ExecutableMemory.h"

#include "platform/VelmoraError.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace velmora {

namespace {
std::size_t PageSize() {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return page;
}
}  // namespace

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
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw VelmoraError("Not enough memory to compile the formula");
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    mapped_ = mapped;
}

void ExecutableBlock::MakeWritable() {
    if (data_ && mprotect(data_, mapped_, PROT_READ | PROT_WRITE) != 0)
        throw VelmoraError("Could not make compiled code writable");
}

void ExecutableBlock::MakeExecutable() {
    if (data_ && mprotect(data_, mapped_, PROT_READ | PROT_EXEC) != 0)
        throw VelmoraError("Could not make compiled code executable");
}

void ExecutableBlock::Release() noexcept {
    if (data_) munmap(data_, mapped_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = 0;
}

}  // namespace velmora

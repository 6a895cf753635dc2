#include "formula/CodeBuffer.h"

#include "platform/VelmoraError.h"

#include <cstring>

namespace velmora {

void TCodeBuffer::Write(const uint8_t* bytes, int32_t n) {
    if (n <= 0) return;
    if (static_cast<int64_t>(h) + n > bigH) throw VelmoraError(kWriteOnOpenArrayMessage);
    std::memcpy(arr + h + 1, bytes, static_cast<std::size_t>(n));
    h += n;
}

void TCodeBuffer::Write(std::initializer_list<uint8_t> bytes) {
    Write(bytes.begin(), static_cast<int32_t>(bytes.size()));
}

void TCodeBuffer::AddByte(uint8_t b) {
    if (h >= bigH) throw VelmoraError(kWriteOnOpenArrayMessage);
    arr[++h] = b;
}

void TCodeBuffer::Insert(int32_t p, const uint8_t* bytes, int32_t count) {
    if (count <= 0) return;
    if (p < 0 || p > h + 1 || static_cast<int64_t>(h) + count > bigH)
        throw VelmoraError(kWriteOnOpenArrayMessage);
    std::memmove(arr + p + count, arr + p, static_cast<std::size_t>(h + 1 - p));
    std::memcpy(arr + p, bytes, static_cast<std::size_t>(count));
    h += count;
}

void TCodeBuffer::Delete(int32_t p, int32_t q) {
    if (p < 0 || p > q || q > h) throw VelmoraError(kDeleteFromOpenArrayMessage);
    std::memmove(arr + p, arr + q + 1, static_cast<std::size_t>(h - q));
    h -= q - p + 1;
}

int32_t AppendByte(ByteArray& a, uint8_t b) {
    a.push_back(b);
    return static_cast<int32_t>(a.size()) - 1;
}

void AppendBytes(ByteArray& a, const uint8_t* bytes, std::size_t n) { a.insert(a.end(), bytes, bytes + n); }

void PrependByte(ByteArray& a, uint8_t b) { a.insert(a.begin(), b); }

void PrependBytes(ByteArray& a, const uint8_t* bytes, std::size_t n) { a.insert(a.begin(), bytes, bytes + n); }

ByteArray CopyBytes(const uint8_t* source, int32_t s, int32_t count) {
    if (count <= 0) return {};
    return ByteArray(source + s, source + s + count);
}

std::array<uint8_t, 4> Int32Bytes(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
            static_cast<uint8_t>(u >> 24)};
}

std::array<uint8_t, 8> AddressBytes(const void* address) {
    const auto u = reinterpret_cast<uint64_t>(address);
    std::array<uint8_t, 8> r{};
    for (int i = 0; i < 8; ++i) r[i] = static_cast<uint8_t>(u >> (8 * i));
    return r;
}

}  // namespace velmora

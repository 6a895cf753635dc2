// Byte buffers through which machine code and encoded formulas are written.
// TCodeBuffer writes into storage it does not own and refuses to overrun it;
// ByteArray is an owned, growable byte string.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace velmora {

inline constexpr const char* kWriteOnOpenArrayMessage = "Wrong attempt to write on an open array";
inline constexpr const char* kDeleteFromOpenArrayMessage = "Wrong attempt to delete from an open array";

using ByteArray = std::vector<uint8_t>;

struct TCodeBuffer {
    int32_t h = -1;       // index of the last byte written; -1 when empty
    int32_t bigH = -1;    // index of the last usable byte (capacity - 1)
    uint8_t* arr = nullptr;

    TCodeBuffer() = default;
    TCodeBuffer(uint8_t* storage, int32_t capacity) : h(-1), bigH(capacity - 1), arr(storage) {}

    int32_t Length() const { return h + 1; }

    // Copies n bytes after h.
    void Write(const uint8_t* bytes, int32_t n);
    void Write(std::initializer_list<uint8_t> bytes);
    // Appends one byte.
    void AddByte(uint8_t b);
    // Inserts `count` bytes at index p, moving arr[p..h] up; nothing when count <= 0.
    void Insert(int32_t p, const uint8_t* bytes, int32_t count);
    // Removes indexes p..q, moving arr[q+1..h] down.
    void Delete(int32_t p, int32_t q);
};

// Growable-array helpers with the semantics of the engine's byte strings.
int32_t AppendByte(ByteArray& a, uint8_t b);  // returns the new last index
void AppendBytes(ByteArray& a, const uint8_t* bytes, std::size_t n);
void PrependByte(ByteArray& a, uint8_t b);
void PrependBytes(ByteArray& a, const uint8_t* bytes, std::size_t n);
// Exactly `count` bytes from index s of `source` (empty when count <= 0).
ByteArray CopyBytes(const uint8_t* source, int32_t s, int32_t count);

// Little-endian encodings used when emitting code.
std::array<uint8_t, 4> Int32Bytes(int32_t value);
std::array<uint8_t, 8> AddressBytes(const void* address);

}  // namespace velmora

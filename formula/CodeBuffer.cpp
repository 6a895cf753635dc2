#include "formula/CodeBuffer.h"

#include "platform/VelmoraError.h"

#include <algorithm>
#include <cstring>

namespace velmora {

void CodeBuffer::Clear() {
    size_ = 0;
    ripSites_.clear();
}

void CodeBuffer::Reserve(std::size_t bytes, std::size_t ripOperands) {
    if (bytes > allocated_) Grow(bytes - size_);
    ripSites_.reserve(ripOperands);
}

void CodeBuffer::Grow(std::size_t n) {
    const std::size_t wanted = std::max({size_ + n, 2 * allocated_, std::size_t{64}});
    auto grown = std::make_unique_for_overwrite<uint8_t[]>(wanted);
    if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
    data_ = std::move(grown);
    allocated_ = wanted;
}

void CodeBuffer::Overflow() { throw VelmoraError(kWriteOnOpenArrayMessage); }

void CodeBuffer::ModRM(int regField, const MemOperand& m, int immediateBytes) {
    const auto reg = static_cast<uint8_t>((regField & 7) << 3);
    if (m.ripRelative) {
        uint8_t* to = Room(5);
        to[0] = static_cast<uint8_t>(0x05 | reg);  // mod 00, rm 101: [rip + disp32]
        Little(to + 1, 0, 4);
        const int32_t at = Length() - 4;
        ripSites_.push_back({at, at + 4 + immediateBytes, m.disp});
        return;
    }
    const int rm = static_cast<int>(m.base) & 7;
    // Bytes of displacement. rbp and r13 have no form without one; rsp and
    // r12 need a SIB byte.
    int dispBytes = 4;
    switch (m.width) {
        case MemOperand::Disp::Byte:
            // An 8-bit form asked for a displacement out of its reach: a fault of the emitter.
            if (m.disp < -128 || m.disp > 127) throw VelmoraError(kFailedAnalysisMessage);
            dispBytes = 1;
            break;
        case MemOperand::Disp::Dword: dispBytes = 4; break;
        case MemOperand::Disp::Shortest:
            dispBytes = (m.disp == 0 && rm != 5) ? 0 : (m.disp >= -128 && m.disp <= 127) ? 1 : 4;
            break;
    }
    const bool sib = rm == 4;
    uint8_t* to = Room(static_cast<std::size_t>(1 + (sib ? 1 : 0) + dispBytes));
    *to++ = static_cast<uint8_t>((dispBytes == 0 ? 0x00 : dispBytes == 1 ? 0x40 : 0x80) | reg | rm);
    if (sib) *to++ = 0x24;  // the base alone
    Little(to, static_cast<uint32_t>(m.disp), dispBytes);
}

void CodeBuffer::Patch(int32_t at, uint8_t width, int64_t rel) {
    // The sequences are short: a farther short jump would be a fault of the emitter.
    if (width == 1 && (rel < -128 || rel > 127)) throw VelmoraError(kFailedAnalysisMessage);
    Little(data_.get() + at, static_cast<uint64_t>(rel), width);
}

void CodeBuffer::Displacement(Label& target, uint8_t width) {
    const int32_t at = Length();
    Little(Room(width), 0, width);
    if (target.Bound()) {
        Patch(at, width, static_cast<int64_t>(target.position_) - (at + width));
    } else {
        target.waiting_.push_back({at, width});
    }
}

void CodeBuffer::JumpShort(uint8_t opcode, Label& target) {
    Byte(opcode);
    Displacement(target, 1);
}

void CodeBuffer::JumpNear(std::initializer_list<uint8_t> opcode, Label& target) {
    Append(opcode);
    Displacement(target, 4);
}

void CodeBuffer::Bind(Label& label) {
    label.position_ = Length();
    for (const Label::Site& site : label.waiting_)
        Patch(site.at, site.width, static_cast<int64_t>(label.position_) - (site.at + site.width));
    label.waiting_.clear();
}

void CodeBuffer::PlaceAt(uint8_t* to, int64_t constantsOrigin) const {
    if (size_ > 0) std::memcpy(to, data_.get(), size_);
    for (const RipSite& site : ripSites_) {
        const auto b = Int32Bytes(static_cast<int32_t>(constantsOrigin + site.target - site.next));
        std::memcpy(to + site.at, b.data(), b.size());
    }
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
    for (std::size_t i = 0; i < 8; ++i) r[i] = static_cast<uint8_t>(u >> (8 * i));
    return r;
}

}  // namespace velmora

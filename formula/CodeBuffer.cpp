#include "formula/CodeBuffer.h"

#include "platform/VelmoraError.h"

#include <cstring>

namespace velmora {

void CodeBuffer::Clear() {
    bytes_.clear();
    ripSites_.clear();
}

void CodeBuffer::Reserve(std::size_t n) {
    if (n > capacity_ - bytes_.size()) throw VelmoraError(kWriteOnOpenArrayMessage);
}

void CodeBuffer::Byte(uint8_t b) {
    Reserve(1);
    bytes_.push_back(b);
}

void CodeBuffer::Append(const uint8_t* bytes, std::size_t n) {
    Reserve(n);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
}

void CodeBuffer::Int32(int32_t v) {
    const auto b = Int32Bytes(v);
    Append(b.data(), b.size());
}

void CodeBuffer::Int64(uint64_t v) {
    std::array<uint8_t, 8> b{};
    for (std::size_t i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    Append(b.data(), b.size());
}

void CodeBuffer::ModRM(int regField, const MemOperand& m, int immediateBytes) {
    const auto reg = static_cast<uint8_t>((regField & 7) << 3);
    if (m.ripRelative) {
        Byte(static_cast<uint8_t>(0x05 | reg));  // mod 00, rm 101: [rip + disp32]
        const int32_t at = Length();
        Int32(0);
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
    const uint8_t mod = dispBytes == 0 ? 0x00 : dispBytes == 1 ? 0x40 : 0x80;
    Byte(static_cast<uint8_t>(mod | reg | rm));
    if (rm == 4) Byte(0x24);  // SIB: the base alone
    if (dispBytes == 1) {
        Byte(static_cast<uint8_t>(static_cast<int8_t>(m.disp)));
    } else if (dispBytes == 4) {
        Int32(m.disp);
    }
}

void CodeBuffer::Patch(int32_t at, uint8_t width, int64_t rel) {
    if (width == 1) {
        // The sequences are short: a farther jump would be a fault of the emitter.
        if (rel < -128 || rel > 127) throw VelmoraError(kFailedAnalysisMessage);
        bytes_[static_cast<std::size_t>(at)] = static_cast<uint8_t>(static_cast<int8_t>(rel));
    } else {
        const auto b = Int32Bytes(static_cast<int32_t>(rel));
        std::memcpy(bytes_.data() + at, b.data(), b.size());
    }
}

void CodeBuffer::Displacement(Label& target, uint8_t width) {
    const int32_t at = Length();
    for (uint8_t i = 0; i < width; ++i) Byte(0);
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
    std::memcpy(to, bytes_.data(), bytes_.size());
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

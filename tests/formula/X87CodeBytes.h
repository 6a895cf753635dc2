// The bytes of the frame and of the table loads of the x87 code, written out
// by hand for the tests of the formula compiler and of the symbolic engine.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace velmora::test {

using Bytes = std::vector<uint8_t>;

// push rbp; sub rsp, 416; mov rbp, rsp; mov rax, data.
inline Bytes Prologue(const double* data) {
    Bytes b = {0x55, 0x48, 0x81, 0xEC, 0xA0, 0x01, 0x00, 0x00, 0x48, 0x89, 0xE5, 0x48, 0xB8};
    uint64_t address;
    std::memcpy(&address, &data, sizeof address);
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(address >> (8 * i)));
    return b;
}

// fstp qword [rbp+16]; movsd xmm0, [rbp+16]; lea rsp, [rbp+416]; pop rbp; ret.
inline const Bytes kEpilogue = {0xDD, 0x5D, 0x10, 0xF2, 0x0F, 0x10, 0x45, 0x10, 0x48,
                                0x8D, 0xA5, 0xA0, 0x01, 0x00, 0x00, 0x5D, 0xC3};

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// fld qword [rax + 8 slot] with a 32-bit displacement, as the code reads the
// table slots of literals (and every slot but 0 in the symbolic engine).
inline Bytes LoadSlot(int slot) {
    const auto d = static_cast<uint32_t>(8 * slot);
    return {0xDD, 0x80, static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8), 0, 0};
}

}  // namespace velmora::test

#include "evaluator/SseEmitter.h"

#include <bit>
#include <cstring>

namespace velmora {

namespace {
constexpr int kPoolAlign = 16;
int32_t RoundUp(int32_t n, int32_t to) { return (n + to - 1) / to * to; }
}  // namespace

SseEmitter::SseEmitter() {
    code_.Reserve(2048, 64);  // a derivative function of a coordinate formula fits without growing
    // Pool entry 0: the sign mask of the low lane, 16 bytes for xorpd/andpd.
    const uint64_t sign = 0x8000000000000000ULL;
    const uint64_t none = 0;
    pool_.resize(16);
    std::memcpy(pool_.data(), &sign, 8);
    std::memcpy(pool_.data() + 8, &none, 8);
}

int SseEmitter::PoolScalar(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    for (std::size_t off = 16; off + 8 <= pool_.size(); off += 8) {
        uint64_t have = 0;
        std::memcpy(&have, pool_.data() + off, 8);
        if (have == bits) return static_cast<int>(off);
    }
    const int off = static_cast<int>(pool_.size());
    pool_.resize(pool_.size() + 8);
    std::memcpy(pool_.data() + off, &bits, 8);
    return off;
}

void SseEmitter::Encode(uint8_t prefix, uint8_t op, int reg, const SseOperand& rm, int immBytes) {
    code_.Byte(prefix);
    const int rex = ((reg >> 3) << 2) | (rm.isRegister ? rm.reg >> 3 : rm.mem.RexB());
    if (rex) code_.Byte(static_cast<uint8_t>(0x40 | rex));
    code_.Append({0x0F, op});
    if (rm.isRegister) {
        code_.ModRMRegister(reg, rm.reg);
    } else {
        code_.ModRM(reg, rm.mem, immBytes);
    }
}

void SseEmitter::movsd_load(int dst, const SseOperand& src) {
    if (src.isRegister) {
        if (src.reg != dst) Encode(0x66, 0x28, dst, src, 0);  // movapd: no partial-register merge
    } else {
        Encode(0xF2, 0x10, dst, src, 0);
    }
}

void SseEmitter::movsd_store(Gpr base, int32_t disp, int src) {
    Encode(0xF2, 0x11, src, SseOperand::At(base, disp), 0);
}

void SseEmitter::cmpltsd(int dst, const SseOperand& src) {
    Encode(0xF2, 0xC2, dst, src, 1);
    code_.Byte(0x01);  // predicate LT (ordered)
}

void SseEmitter::Prologue(const double* data, int32_t frameBytes) {
    code_.Append({0x55});                    // push rbp
    code_.Append({0x53});                    // push rbx
    code_.Append({0x41, 0x56});              // push r14
    code_.Append({0x48, 0x81, 0xEC});        // sub rsp, imm32
    code_.Int32(frameBytes);
    code_.Append({0x48, 0x89, 0xE5});        // mov rbp, rsp
    code_.Append({0x48, 0xBB});              // mov rbx, imm64
    code_.Int64(reinterpret_cast<uint64_t>(data));
    code_.Append({0x49, 0x89, 0xD6});        // mov r14, rdx
}

void SseEmitter::Epilogue(int32_t frameBytes) {
    code_.Append({0x48, 0x8D});              // lea rsp, [rbp + disp32]
    code_.ModRM(4, MemOperand::Disp32(Gpr::Rbp, frameBytes));
    code_.Append({0x41, 0x5E});              // pop r14
    code_.Append({0x5B});                    // pop rbx
    code_.Append({0x5D});                    // pop rbp
    code_.Append({0xC3});                    // ret
}

void SseEmitter::CallWithFramePointer(const void* function, int32_t disp) {
    code_.Append({0x48, 0x8D});              // lea rdi, [rbp + disp32]
    code_.ModRM(7, MemOperand::Disp32(Gpr::Rbp, disp));
    code_.Append({0x48, 0xB8});              // mov rax, imm64
    code_.Int64(reinterpret_cast<uint64_t>(function));
    code_.Append({0xFF, 0xD0});              // call rax
}

int32_t SseEmitter::BlockLength() const {
    return RoundUp(static_cast<int32_t>(pool_.size()), kPoolAlign) + Length();
}

std::size_t SseEmitter::StageInto(StagedCode& out) const {
    const int32_t poolBytes = RoundUp(static_cast<int32_t>(pool_.size()), kPoolAlign);
    const std::size_t piece = out.Reserve(static_cast<std::size_t>(BlockLength()));
    uint8_t* base = out.At(piece);
    std::memset(base, 0, static_cast<std::size_t>(poolBytes));
    std::memcpy(base, pool_.data(), pool_.size());
    code_.PlaceAt(base + poolBytes, -poolBytes);
    return piece + static_cast<std::size_t>(poolBytes);
}

}  // namespace velmora

#include "evaluator/SseEmitter.h"

#include <bit>
#include <cstring>

namespace velmora {

namespace {
constexpr int kPoolAlign = 16;
int32_t RoundUp(int32_t n, int32_t to) { return (n + to - 1) / to * to; }
}  // namespace

SseEmitter::SseEmitter() {
    code_.reserve(2048);
    fixups_.reserve(64);
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

void SseEmitter::Int32(int32_t v) {
    const auto b = Int32Bytes(v);
    code_.insert(code_.end(), b.begin(), b.end());
}

void SseEmitter::Int64(uint64_t v) {
    for (int i = 0; i < 8; ++i) code_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void SseEmitter::Encode(uint8_t prefix, uint8_t op, int reg, const SseOperand& rm, int immBytes) {
    uint8_t bytes[10];
    int n = 0;
    bytes[n++] = prefix;
    int rex = (reg >> 3) << 2;
    if (rm.kind == SseOperand::Kind::Reg) rex |= rm.reg >> 3;
    if (rm.kind == SseOperand::Kind::Mem) rex |= static_cast<int>(rm.base) >> 3;
    if (rex) bytes[n++] = static_cast<uint8_t>(0x40 | rex);
    bytes[n++] = 0x0F;
    bytes[n++] = op;
    int32_t disp = 0;
    bool hasDisp = false;
    switch (rm.kind) {
        case SseOperand::Kind::Reg:
            bytes[n++] = static_cast<uint8_t>(0xC0 | ((reg & 7) << 3) | (rm.reg & 7));
            break;
        case SseOperand::Kind::Mem: {
            const int b = static_cast<int>(rm.base) & 7;
            bytes[n++] = static_cast<uint8_t>(0x80 | ((reg & 7) << 3) | b);
            if (b == 4) bytes[n++] = 0x24;  // SIB: base only
            disp = rm.disp;
            hasDisp = true;
            break;
        }
        case SseOperand::Kind::Pool: {
            bytes[n++] = static_cast<uint8_t>(0x05 | ((reg & 7) << 3));  // [rip + disp32], written when staged
            const auto at = static_cast<int32_t>(code_.size()) + n;
            fixups_.push_back({at, at + 4 + immBytes, rm.pool});
            hasDisp = true;
            break;
        }
    }
    if (hasDisp) {
        const auto d = Int32Bytes(disp);
        for (uint8_t b : d) bytes[n++] = b;
    }
    code_.insert(code_.end(), bytes, bytes + n);
}

void SseEmitter::movsd_load(int dst, const SseOperand& src) {
    if (src.kind == SseOperand::Kind::Reg) {
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
    code_.push_back(0x01);  // predicate LT (ordered)
}

void SseEmitter::Prologue(const double* data, int32_t frameBytes) {
    Bytes({0x55});                    // push rbp
    Bytes({0x53});                    // push rbx
    Bytes({0x41, 0x56});              // push r14
    Bytes({0x48, 0x81, 0xEC});        // sub rsp, imm32
    Int32(frameBytes);
    Bytes({0x48, 0x89, 0xE5});        // mov rbp, rsp
    Bytes({0x48, 0xBB});              // mov rbx, imm64
    Int64(reinterpret_cast<uint64_t>(data));
    Bytes({0x49, 0x89, 0xD6});        // mov r14, rdx
}

void SseEmitter::Epilogue(int32_t frameBytes) {
    Bytes({0x48, 0x8D, 0xA5});        // lea rsp, [rbp + disp32]
    Int32(frameBytes);
    Bytes({0x41, 0x5E});              // pop r14
    Bytes({0x5B});                    // pop rbx
    Bytes({0x5D});                    // pop rbp
    Bytes({0xC3});                    // ret
}

void SseEmitter::CallWithFramePointer(const void* function, int32_t disp) {
    Bytes({0x48, 0x8D, 0xBD});        // lea rdi, [rbp + disp32]
    Int32(disp);
    Bytes({0x48, 0xB8});              // mov rax, imm64
    Int64(reinterpret_cast<uint64_t>(function));
    Bytes({0xFF, 0xD0});              // call rax
}

int SseEmitter::JumpIf(uint8_t cc32) {
    Bytes({0x0F, cc32});
    const int site = Length();
    Int32(0);
    return site;
}

int SseEmitter::Jump() {
    Bytes({0xE9});
    const int site = Length();
    Int32(0);
    return site;
}

void SseEmitter::Bind(int jumpSite) {
    const auto rel = Int32Bytes(Length() - (jumpSite + 4));
    std::memcpy(code_.data() + jumpSite, rel.data(), 4);
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
    uint8_t* code = base + poolBytes;
    std::memcpy(code, code_.data(), code_.size());
    for (const PoolFixup& f : fixups_) {
        const auto rel = Int32Bytes(f.poolOffset - (poolBytes + f.nextInsn));
        std::memcpy(code + f.dispAt, rel.data(), 4);
    }
    return piece + static_cast<std::size_t>(poolBytes);
}

const void* SseEmitter::Finish(ExecutableBlock& block) const {
    StagedCode staged;
    const std::size_t entry = StageInto(staged);
    block.Allocate(staged.Size());
    std::memcpy(block.Data(), staged.Bytes(), staged.Size());
    block.MakeExecutable();
    return block.Data() + entry;
}

}  // namespace velmora

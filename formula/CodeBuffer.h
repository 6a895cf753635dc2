// The x86-64 code buffer shared by the emitters of the engines (x87 for the
// formula compiler, the derivative evaluator's value code and the symbolic
// blocks; SSE2 for the derivative code): bytes appended in order, labels that
// jumps reach forward or backward (a jump written before its label is bound is
// patched when it is), and the memory operands [base + displacement] and
// [rip + displacement] with their ModRM encoding. Also the growable byte
// string of the engines' encoded formulas and its helpers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

namespace velmora {

inline constexpr const char* kWriteOnOpenArrayMessage = "Wrong attempt to write on an open array";
// A fault of an emitter (an unknown token, a short jump out of reach) as the
// formula engines report it.
inline constexpr const char* kFailedAnalysisMessage = "I did fail in analysing the function.";

using ByteArray = std::vector<uint8_t>;

// General-purpose registers, numbered as in their encodings.
enum class Gpr : uint8_t {
    Rax = 0, Rcx = 1, Rdx = 2, Rbx = 3, Rsp = 4, Rbp = 5, Rsi = 6, Rdi = 7,
    R8 = 8, R9 = 9, R10 = 10, R11 = 11, R12 = 12, R13 = 13, R14 = 14, R15 = 15,
};

// A memory operand: [base + disp], or [rip + disp] for a constant placed beside
// the code (disp is then the constant's offset among those constants, turned
// into the displacement when the code is placed). The width of the
// displacement is chosen by the caller where an instruction form fixes it.
struct MemOperand {
    enum class Disp : uint8_t {
        Shortest,  // none when 0 (unless the base needs one), 8 bits when it fits, else 32
        Byte,      // always 8 bits (a displacement out of their reach is refused)
        Dword,     // always 32 bits
    };
    Gpr base = Gpr::Rax;
    int32_t disp = 0;
    Disp width = Disp::Shortest;
    bool ripRelative = false;

    static constexpr MemOperand Shortest(Gpr base, int32_t disp) { return {base, disp, Disp::Shortest, false}; }
    static constexpr MemOperand Disp8(Gpr base, int32_t disp) { return {base, disp, Disp::Byte, false}; }
    static constexpr MemOperand Disp32(Gpr base, int32_t disp) { return {base, disp, Disp::Dword, false}; }
    static constexpr MemOperand Rip(int32_t target) { return {Gpr::Rax, target, Disp::Dword, true}; }

    // The REX.B bit the base register needs (0 or 1).
    constexpr int RexB() const { return ripRelative ? 0 : static_cast<int>(base) >> 3; }
};

class CodeBuffer;

// A jump target. Jumps to a label that is not bound yet wait in it (any number
// of them) and are patched when it is bound; jumps after that reach it at once.
class Label {
public:
    Label() = default;
    Label(const Label&) = delete;  // a copy would patch the waiting jumps twice or never
    Label& operator=(const Label&) = delete;

    bool Bound() const { return position_ >= 0; }
    int32_t Position() const { return position_; }

private:
    friend class CodeBuffer;
    struct Site {
        int32_t at;     // position of the displacement
        uint8_t width;  // 1 or 4 bytes
    };
    int32_t position_ = -1;
    std::vector<Site> waiting_;
};

class CodeBuffer {
public:
    // The largest code a buffer holds: positions are 32-bit.
    static constexpr std::size_t kMaxBytes = std::numeric_limits<int32_t>::max();

    explicit CodeBuffer(std::size_t capacity = kMaxBytes) : capacity_(capacity) {}
    CodeBuffer(CodeBuffer&&) noexcept = default;
    CodeBuffer& operator=(CodeBuffer&&) noexcept = default;

    // Empties the buffer (labels bound to it must not be used again).
    void Clear();
    // Room for `bytes` of code and `ripOperands` RIP-relative operands
    // without growing (a hint: the buffer grows as needed anyway).
    void Reserve(std::size_t bytes, std::size_t ripOperands);

    int32_t Length() const { return static_cast<int32_t>(size_); }
    const uint8_t* Data() const { return data_.get(); }
    ByteArray Bytes() const { return ByteArray(data_.get(), data_.get() + size_); }

    // ---- raw bytes: past the capacity nothing is written and
    // kWriteOnOpenArrayMessage is thrown --------------------------------------
    void Byte(uint8_t b) { *Room(1) = b; }
    void Append(std::initializer_list<uint8_t> bytes) { Append(bytes.begin(), bytes.size()); }
    void Append(const uint8_t* bytes, std::size_t n) {
        uint8_t* to = Room(n);
        for (std::size_t i = 0; i < n; ++i) to[i] = bytes[i];  // a few bytes: shorter than a call of memcpy
    }
    void Int32(int32_t v) { Little(Room(4), static_cast<uint32_t>(v), 4); }
    void Int64(uint64_t v) { Little(Room(8), v, 8); }

    // ---- operands ---------------------------------------------------------------
    // The ModRM byte with `regField` (the register or the opcode extension),
    // the SIB byte the base needs and the displacement of `m`.
    // `immediateBytes` is the size of an immediate that follows in the same
    // instruction (a RIP-relative displacement is measured from its end).
    // Throws kFailedAnalysisMessage for an 8-bit displacement out of reach.
    void ModRM(int regField, const MemOperand& m, int immediateBytes = 0);
    // The ModRM byte of a register operand.
    void ModRMRegister(int regField, int rm) { Byte(static_cast<uint8_t>(0xC0 | ((regField & 7) << 3) | (rm & 7))); }

    // ---- jumps ------------------------------------------------------------------
    // `opcode` with an 8-bit displacement to `target` (Jcc rel8 0x70+cc, JMP rel8 0xEB).
    // A displacement out of 8-bit reach throws kFailedAnalysisMessage.
    void JumpShort(uint8_t opcode, Label& target);
    // `opcode` (one or two bytes) with a 32-bit displacement to `target`
    // (Jcc rel32 0F 80+cc, JMP rel32 E9).
    void JumpNear(std::initializer_list<uint8_t> opcode, Label& target);
    // The label is here: the jumps waiting for it now reach it.
    void Bind(Label& label);

    // ---- placing the code ---------------------------------------------------------
    // Copies the code to `to` and writes every RIP-relative displacement so
    // that offset 0 of the constants lies `constantsOrigin` bytes from the
    // first byte of the code (negative when they come before it).
    void PlaceAt(uint8_t* to, int64_t constantsOrigin) const;

private:
    void Displacement(Label& target, uint8_t width);
    void Patch(int32_t at, uint8_t width, int64_t rel);
    // The next n bytes, to be written; throws kWriteOnOpenArrayMessage
    // unless they fit.
    uint8_t* Room(std::size_t n) {
        if (n > capacity_ - size_) Overflow();
        if (n > allocated_ - size_) Grow(n);
        uint8_t* at = data_.get() + size_;
        size_ += n;
        return at;
    }
    [[noreturn]] static void Overflow();
    void Grow(std::size_t n);
    // The low `bytes` bytes of v, least significant first.
    static void Little(uint8_t* to, uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) to[i] = static_cast<uint8_t>(v >> (8 * i));
    }

    struct RipSite {
        int32_t at;        // position of the displacement
        int32_t next;      // position of the next instruction
        int32_t target;    // offset among the constants
    };
    std::unique_ptr<uint8_t[]> data_;
    std::size_t size_ = 0, allocated_ = 0;
    std::vector<RipSite> ripSites_;
    std::size_t capacity_;
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

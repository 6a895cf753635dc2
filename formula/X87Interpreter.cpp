#include "formula/X87Interpreter.h"

#include "formula/X87Emitter.h"
#include "platform/VelmoraError.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace velmora {

namespace {

// The transcendental instructions themselves, so that their results are the
// hardware's. The stack-register constraints: "t" is ST0, "u" ST1.
long double X87Constant(uint8_t modrm) {
    long double r;
    switch (modrm) {
        case 0xEB: asm("fldpi" : "=t"(r)); break;
        case 0xEA: asm("fldl2e" : "=t"(r)); break;
        default: asm("fldln2" : "=t"(r)); break;  // 0xED
    }
    return r;
}
long double Fsqrt(long double x) { asm("fsqrt" : "+t"(x)); return x; }
long double Fsin(long double x) { asm("fsin" : "+t"(x)); return x; }
long double Fcos(long double x) { asm("fcos" : "+t"(x)); return x; }
long double F2xm1(long double x) { asm("f2xm1" : "+t"(x)); return x; }
long double Frndint(long double x) { asm("frndint" : "+t"(x)); return x; }
long double Fscale(long double x, long double n) { asm("fscale" : "+t"(x) : "u"(n)); return x; }
long double Fprem(long double x, long double divisor) { asm("fprem" : "+t"(x) : "u"(divisor)); return x; }
// ST1 op ST0 with a pop: the result replaces ST1.
long double Fpatan(long double st1, long double st0) {
    long double r;
    asm("fpatan" : "=t"(r) : "0"(st0), "u"(st1) : "st(1)");
    return r;
}
long double Fyl2x(long double st1, long double st0) {
    long double r;
    asm("fyl2x" : "=t"(r) : "0"(st0), "u"(st1) : "st(1)");
    return r;
}
// The significand replaces x and the exponent goes below it.
void Fxtract(long double x, long double& significand, long double& exponent) {
    asm("fxtract" : "=t"(significand), "=u"(exponent) : "0"(x));
}
void Fsincos(long double x, long double& sine, long double& cosine) {
    asm("fsincos" : "=t"(cosine), "=u"(sine) : "0"(x));
}
void Fptan(long double x, long double& tangent, long double& one) { asm("fptan" : "=t"(one), "=u"(tangent) : "0"(x)); }

// fsin, fcos, fsincos and fptan leave an operand beyond 2^63 unchanged (and push nothing).
bool TrigonometricRange(long double x) { return !(std::isfinite(x) && std::fabs(x) >= 0x1p63L); }

// The value a masked invalid operation leaves: the negative quiet NaN.
const long double kIndefinite = -std::numeric_limits<long double>::quiet_NaN();

class Machine {
public:
    Machine(const uint8_t* code, std::size_t length, const double* args) : code_(code), length_(length), args_(args) {
        empty_.fill(true);
    }

    double Run() {
        while (pc_ < length_) {
            if (Step()) return result_;
        }
        throw VelmoraError(kFailedAnalysisMessage);
    }

private:
    // ---- the register stack --------------------------------------------------
    long double& Reg(int i) { return reg_[static_cast<std::size_t>((top_ + i) & 7)]; }
    bool Empty(int i) const { return empty_[static_cast<std::size_t>((top_ + i) & 7)]; }
    // A read of an empty register is a masked stack fault: the indefinite NaN.
    long double St(int i) { return Empty(i) ? kIndefinite : Reg(i); }
    void Set(int i, long double v) {
        Reg(i) = v;
        empty_[static_cast<std::size_t>((top_ + i) & 7)] = false;
    }
    void Push(long double v) {
        top_ = (top_ - 1) & 7;
        Set(0, Empty(0) ? v : kIndefinite);  // a push onto a full register is a masked stack fault
    }
    void Pop() {
        empty_[static_cast<std::size_t>(top_)] = true;
        top_ = (top_ + 1) & 7;
    }
    void Compare(long double a, long double b) {
        const bool unordered = std::isnan(a) || std::isnan(b);
        zf_ = unordered || a == b;
        pf_ = unordered;
        cf_ = unordered || a < b;
    }

    // ---- operands --------------------------------------------------------------
    uint8_t Next() {
        if (pc_ >= length_) throw VelmoraError(kFailedAnalysisMessage);
        return code_[pc_++];
    }
    void Expect(uint8_t byte) {
        if (Next() != byte) throw VelmoraError(kFailedAnalysisMessage);
    }
    int32_t NextInt32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Next()) << (8 * i);
        return static_cast<int32_t>(v);
    }
    uint64_t NextInt64() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(Next()) << (8 * i);
        return v;
    }
    static double Load(const uint8_t* address) {
        double d;
        std::memcpy(&d, address, sizeof d);
        return d;
    }
    uint8_t* Frame(int32_t disp) {
        if (disp < 0 || disp + 8 > static_cast<int32_t>(frame_.size())) throw VelmoraError(kFailedAnalysisMessage);
        return frame_.data() + disp;
    }
    void StoreToFrame(int32_t disp, long double v) {
        const double d = static_cast<double>(v);
        std::memcpy(Frame(disp), &d, sizeof d);
    }
    void JumpIf(bool taken) {
        const auto rel = static_cast<int8_t>(Next());
        if (taken) pc_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pc_) + rel);
    }

    // ST(dst) := ST(dst) op ST(src) for the arithmetic group of D8 / DC / DE.
    void Arithmetic(int group, int dst, int src) {
        const long double a = St(dst), b = St(src);
        long double r;
        switch (group) {
            case 0: r = a + b; break;
            case 1: r = a * b; break;
            case 4: r = a - b; break;
            case 5: r = b - a; break;
            case 6: r = a / b; break;
            case 7: r = b / a; break;
            default: throw VelmoraError(kFailedAnalysisMessage);
        }
        Set(dst, r);
    }

    void EscapeD9(uint8_t m) {
        if (m >= 0xC0 && m <= 0xC7) {
            Push(St(m - 0xC0));
            return;
        }
        if (m >= 0xC8 && m <= 0xCF) {
            const long double a = St(0), b = St(m - 0xC8);
            Set(0, b);
            Set(m - 0xC8, a);
            return;
        }
        switch (m) {
            case 0xE0: Set(0, -St(0)); break;
            case 0xE1: Set(0, std::fabs(St(0))); break;
            case 0xE8: Push(1.0L); break;
            case 0xEE: Push(0.0L); break;
            case 0xEA: case 0xEB: case 0xED: Push(X87Constant(m)); break;
            case 0xF0: Set(0, F2xm1(St(0))); break;
            case 0xF1: Set(1, Fyl2x(St(1), St(0))); Pop(); break;
            case 0xF2: case 0xFB:  // fptan, fsincos: the result below a pushed 1 or cosine
                if (TrigonometricRange(St(0))) {
                    long double below, top;
                    if (m == 0xF2) {
                        Fptan(St(0), below, top);
                    } else {
                        Fsincos(St(0), below, top);
                    }
                    Set(0, below);
                    Push(top);
                }
                break;
            case 0xF3: Set(1, Fpatan(St(1), St(0))); Pop(); break;
            case 0xF4: {  // fxtract
                long double significand, exponent;
                Fxtract(St(0), significand, exponent);
                Set(0, exponent);
                Push(significand);
                break;
            }
            case 0xF6: top_ = (top_ - 1) & 7; break;  // fdecstp
            case 0xF8: Set(0, Fprem(St(0), St(1))); break;
            case 0xFA: Set(0, Fsqrt(St(0))); break;
            case 0xFC: Set(0, Frndint(St(0))); break;
            case 0xFD: Set(0, Fscale(St(0), St(1))); break;
            case 0xFE: if (TrigonometricRange(St(0))) Set(0, Fsin(St(0))); break;
            case 0xFF: if (TrigonometricRange(St(0))) Set(0, Fcos(St(0))); break;
            default: throw VelmoraError(kFailedAnalysisMessage);
        }
    }

    void EscapeDD(uint8_t m) {
        if (m >= 0xC0 && m <= 0xC7) {  // ffree
            empty_[static_cast<std::size_t>((top_ + m - 0xC0) & 7)] = true;
            return;
        }
        if (m >= 0xD8 && m <= 0xDF) {  // fstp st(i)
            Set(m - 0xD8, St(0));
            Pop();
            return;
        }
        switch (m) {
            case 0x00: Push(Load(rax_)); break;
            case 0x40: Push(Load(rax_ + static_cast<int8_t>(Next()))); break;
            case 0x80: Push(Load(rax_ + NextInt32())); break;
            case 0x02: Push(args_[0]); break;
            case 0x42: Push(Load(reinterpret_cast<const uint8_t*>(args_) + static_cast<int8_t>(Next()))); break;
            case 0x82: Push(Load(reinterpret_cast<const uint8_t*>(args_) + NextInt32())); break;
            case 0x85: Push(Load(Frame(NextInt32()))); break;
            case 0x9D: StoreToFrame(NextInt32(), St(0)); Pop(); break;
            case 0x5D: StoreToFrame(static_cast<int8_t>(Next()), St(0)); Pop(); break;
            default: throw VelmoraError(kFailedAnalysisMessage);
        }
    }

    // Carries out one instruction; true at the return.
    bool Step() {
        const uint8_t op = Next();
        switch (op) {
            case 0x55: return false;  // push rbp
            case 0x5D: return false;  // pop rbp
            case 0xC3: return true;   // ret
            case 0x48:  // the frame and table set-up of the prologue and the epilogue
                switch (Next()) {
                    case 0x81: Expect(0xEC); NextInt32(); break;   // sub rsp, imm32
                    case 0x89: Expect(0xE5); break;                // mov rbp, rsp
                    case 0x8D: Expect(0xA5); NextInt32(); break;   // lea rsp, [rbp + disp32]
                    case 0xB8:                                     // mov rax, imm64
                        rax_ = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(NextInt64()));
                        break;
                    default: throw VelmoraError(kFailedAnalysisMessage);
                }
                return false;
            case 0xF2:  // movsd xmm0, [rbp + disp8]
                Expect(0x0F);
                Expect(0x10);
                Expect(0x45);
                result_ = Load(Frame(static_cast<int8_t>(Next())));
                return false;
            case 0xD8: {
                const uint8_t m = Next();
                if (m < 0xC0) throw VelmoraError(kFailedAnalysisMessage);
                Arithmetic((m >> 3) & 7, 0, m & 7);
                return false;
            }
            case 0xDC: case 0xDE: {
                const uint8_t m = Next();
                if (m < 0xC0) throw VelmoraError(kFailedAnalysisMessage);
                // With ST(i) as destination, the subtraction and division groups swap their roles.
                int group = (m >> 3) & 7;
                if (group >= 4) group ^= 1;
                Arithmetic(group, m & 7, 0);
                if (op == 0xDE) Pop();
                return false;
            }
            case 0xD9: EscapeD9(Next()); return false;
            case 0xDD: EscapeDD(Next()); return false;
            case 0xDB: case 0xDF: {  // fcomi / fcomip st(i)
                const uint8_t m = Next();
                if (m < 0xF0 || m > 0xF7) throw VelmoraError(kFailedAnalysisMessage);
                Compare(St(0), St(m - 0xF0));
                if (op == 0xDF) Pop();
                return false;
            }
            case 0x72: JumpIf(cf_); return false;
            case 0x73: JumpIf(!cf_); return false;
            case 0x74: JumpIf(zf_); return false;
            case 0x75: JumpIf(!zf_); return false;
            case 0x76: JumpIf(cf_ || zf_); return false;
            case 0x77: JumpIf(!cf_ && !zf_); return false;
            case 0x7A: JumpIf(pf_); return false;
            case 0xEB: JumpIf(true); return false;
            default: throw VelmoraError(kFailedAnalysisMessage);
        }
    }

    const uint8_t* code_;
    std::size_t length_;
    const double* args_;
    std::size_t pc_ = 0;
    const uint8_t* rax_ = nullptr;
    std::array<long double, 8> reg_{};
    std::array<bool, 8> empty_{};
    int top_ = 0;
    bool zf_ = false, pf_ = false, cf_ = false;
    std::array<uint8_t, kFrameSize> frame_{};
    double result_ = 0;
};

}  // namespace

double RunX87Code(const uint8_t* code, std::size_t length, const double* args) {
    return Machine(code, length, args).Run();
}

}  // namespace velmora

#include "evaluator/DerivativeCodeGen.h"

#include "evaluator/DerivativeKernels.h"
#include "formula/FunctionParserBytes_64_XE2.h"
#include "formula/X87Emitter.h"
#include "platform/VelmoraError.h"

#include <bit>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr uint8_t kJe = 0x84;  // ZF = 1: equal, and also unordered after ucomisd

// Highest table slot a parameter token may name: the value-only code loads
// parameters with an 8-bit displacement.
constexpr int kLastParameterSlot = 15;

bool IsOperator(uint8_t b) { return b == '+' || b == '-' || b == '*' || b == '/'; }
bool IsInlineFunction(uint8_t b) { return b == '#' || b == 'D' || b == 'N'; }

// The quotient of the formulas: 0 when the divisor is 0 (or not a number).
double Quotient(double u, double w) { return (w < 0 || w > 0) ? u / w : 0.0; }

}  // namespace

DerivativeCodeGen::DerivativeCodeGen(const DerivativeProgram& program, int channels)
    : program_(program), channels_(channels) {}

int DerivativeCodeGen::CheckProgram(const ByteArray& list, int argNum, std::size_t dataSlots) {
    int depth = 0, maxDepth = 0;
    const std::size_t n = list.size();
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t b = list[i];
        if (b == kTokenPrefix) {
            if (i + 3 >= n) throw VelmoraError(kFailedAnalysisMessage);
            const uint8_t kind = list[i + 1];
            const int index = list[i + 2] * 256 + list[i + 3];
            bool ok = false;
            if (kind == kTokenVariable) ok = index >= 1 && index <= argNum;
            if (kind == kTokenParameter)
                ok = index >= 6 && index <= kLastParameterSlot && static_cast<std::size_t>(index) < dataSlots;
            if (kind == kTokenLiteral) ok = static_cast<std::size_t>(index) < dataSlots;
            if (!ok) throw VelmoraError(kFailedAnalysisMessage);
            i += 3;
            maxDepth = std::max(maxDepth, ++depth);
        } else if (b == '1' || b == 'p') {
            maxDepth = std::max(maxDepth, ++depth);
        } else if (IsOperator(b)) {
            if (depth < 2) throw VelmoraError(kFailedAnalysisMessage);
            --depth;
        } else if (IsInlineFunction(b) || KernelFor(b, 3) != nullptr) {
            if (depth < 1) throw VelmoraError(kFailedAnalysisMessage);
        } else if (b == '^') {
            throw VelmoraError(kUndigestedPowerMessage);
        } else {
            throw VelmoraError(kFailedAnalysisMessage);
        }
    }
    if (depth != 1) throw VelmoraError(kFailedAnalysisMessage);
    return maxDepth;
}

// ---- value numbers ---------------------------------------------------------------

namespace {
constexpr int kIdKnown = 256, kIdVariable = 257, kIdParameter = 258;

void SineAndCosine(double* t) {
    const double u = t[0];
    t[0] = std::sin(u);
    t[1] = std::cos(u);
}
}  // namespace

int DerivativeCodeGen::Intern(int op, int64_t a, int64_t b) {
    const auto key = std::make_tuple(op, a, b);
    const auto it = ids_.find(key);
    if (it != ids_.end()) return it->second;
    const int id = static_cast<int>(ids_.size());
    ids_.emplace(key, id);
    return id;
}

int DerivativeCodeGen::KnownId(double value) {
    return Intern(kIdKnown, static_cast<int64_t>(std::bit_cast<uint64_t>(value)), 0);
}

// ---- operands and registers ---------------------------------------------------

SseOperand DerivativeCodeGen::Opd(const Entry& x, int c) {
    switch (x.kind) {
        case Entry::Kind::Known: return SseOperand::Constant(e_.PoolScalar(x.known));
        case Entry::Kind::Param: return SseOperand::At(Gpr::Rbx, 8 * x.index);
        case Entry::Kind::Var: return SseOperand::At(Gpr::R14, 8 * (x.index - 1 + c * program_.argNum));
        case Entry::Kind::Reg: return SseOperand::Xmm(x.reg[c]);
        case Entry::Kind::Mem: return SseOperand::At(Gpr::Rbp, x.home + 8 * c);
    }
    return {};
}

int DerivativeCodeGen::Alloc() {
    for (;;) {
        for (int r = 0; r < 16; ++r) {
            if (!used_[r]) {
                used_[r] = true;
                return r;
            }
        }
        SpillDeepest();
    }
}

void DerivativeCodeGen::Free(int r) {
    if (r >= 0) used_[r] = false;
}

void DerivativeCodeGen::Release(const Entry& x) {
    if (x.kind != Entry::Kind::Reg) return;
    for (int c = 0; c < channels_; ++c) Free(x.reg[c]);
}

void DerivativeCodeGen::SpillEntry(Entry& x, int depth) {
    if (x.kind != Entry::Kind::Reg) return;
    const int32_t home = Home(depth);
    for (int c = 0; c < channels_; ++c)
        if (HasChannel(x, c)) e_.movsd_store(Gpr::Rbp, home + 8 * c, x.reg[c]);
    Release(x);
    x.kind = Entry::Kind::Mem;
    x.home = home;
}

void DerivativeCodeGen::SpillDeepest() {
    for (std::size_t i = 0; i < stack_.size(); ++i) {
        if (stack_[i].kind == Entry::Kind::Reg) {
            SpillEntry(stack_[i], static_cast<int>(i) + 1);
            return;
        }
    }
    // Every operation needs at most 11 registers besides the stack entries.
    throw VelmoraError(kFailedAnalysisMessage);
}

void DerivativeCodeGen::SpillAll() {
    for (std::size_t i = 0; i < stack_.size(); ++i) SpillEntry(stack_[i], static_cast<int>(i) + 1);
}

int DerivativeCodeGen::Load(const SseOperand& src) {
    const int r = Alloc();
    e_.movsd_load(r, src);
    return r;
}

int DerivativeCodeGen::Product(const SseOperand& x, const SseOperand& y) {
    const int r = Load(x);
    e_.mulsd(r, y);
    return r;
}

// ---- the program --------------------------------------------------------------

const void* DerivativeCodeGen::Generate(ExecutableBlock& block, int32_t& length) {
    const ByteArray& list = *program_.actorList;
    const int maxDepth = CheckProgram(list, program_.argNum, program_.data->size());
    // Frame: one slot per stack depth, then one (sin, cos) pair per sine or cosine.
    int trig = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == kTokenPrefix) i += 3;
        else if (list[i] == 'A' || list[i] == 'B') ++trig;
    }
    nextSineCosine_ = (8 * channels_ * maxDepth + 15) / 16 * 16;
    const int32_t frame = std::max<int32_t>(16, nextSineCosine_ + 16 * trig);
    zeroPool_ = e_.PoolScalar(0.0);
    onePool_ = e_.PoolScalar(1.0);

    e_.Prologue(program_.data->data(), frame);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const uint8_t b = list[i];
        if (b == kTokenPrefix) {
            PushOperand(&list[i]);
            i += 3;
        } else if (b == '1' || b == 'p') {
            Entry x;
            x.known = b == '1' ? 1.0 : std::numbers::pi;
            x.id = KnownId(x.known);
            stack_.push_back(x);
        } else if (IsOperator(b)) {
            Binary(b);
        } else if (b == '#') {
            Negate();
        } else if (b == 'D') {
            Square();
        } else if (b == 'N') {
            Abs();
        } else if (b == 'A' || b == 'B') {
            SineCosine(b);
        } else {
            CallKernel(b);
        }
    }
    StoreResult();
    e_.Epilogue(frame);
    length = e_.BlockLength();
    return e_.Finish(block);
}

void DerivativeCodeGen::PushOperand(const uint8_t* token) {
    const int index = token[2] * 256 + token[3];
    Entry x;
    switch (token[1]) {
        case kTokenVariable:
            x.kind = Entry::Kind::Var;
            x.zero = false;
            x.index = index;
            x.id = Intern(kIdVariable, index, 0);
            break;
        case kTokenParameter:
            x.kind = Entry::Kind::Param;
            x.index = index;
            x.id = Intern(kIdParameter, index, 0);
            break;
        default:  // literal: its value never changes after the copy of the table
            x.known = (*program_.data)[static_cast<std::size_t>(index)];
            x.id = KnownId(x.known);
            break;
    }
    stack_.push_back(x);
}

void DerivativeCodeGen::Binary(uint8_t op) {
    const Entry b = stack_.back();
    stack_.pop_back();
    const Entry a = stack_.back();
    stack_.pop_back();
    Entry r;
    if (a.kind == Entry::Kind::Known && b.kind == Entry::Kind::Known) {
        switch (op) {
            case '+': r.known = a.known + b.known; break;
            case '-': r.known = a.known - b.known; break;
            case '*': r.known = a.known * b.known; break;
            default: r.known = Quotient(a.known, b.known); break;
        }
        r.id = KnownId(r.known);
        stack_.push_back(r);
        return;
    }
    r.id = Intern(op, a.id, b.id);
    r.kind = Entry::Kind::Reg;
    r.zero = a.zero && b.zero;
    switch (op) {
        case '+':
        case '-': AddSub(op, a, b, r); break;
        case '*': Multiply(a, b, r); break;
        default: Divide(a, b, r); break;
    }
    Release(a);
    Release(b);
    stack_.push_back(r);
}

void DerivativeCodeGen::AddSub(uint8_t op, const Entry& a, const Entry& b, Entry& r) {
    for (int c = 0; c < channels_; ++c) {
        if (!HasChannel(r, c)) continue;
        if (HasChannel(a, c)) {
            r.reg[c] = Load(Opd(a, c));
            if (HasChannel(b, c)) {
                if (op == '+') e_.addsd(r.reg[c], Opd(b, c)); else e_.subsd(r.reg[c], Opd(b, c));
            }
        } else {
            r.reg[c] = Load(Opd(b, c));
            if (op == '-') e_.xorpd(r.reg[c], SseOperand::Constant(e_.PoolSignMask()));
        }
    }
}

// (u w, u' w + u w', u'' w + 2 u' w' + u w'')
void DerivativeCodeGen::Multiply(const Entry& a, const Entry& b, Entry& r) {
    r.reg[0] = Product(Opd(a, 0), Opd(b, 0));
    if (r.zero) return;
    if (a.zero || b.zero) {
        const Entry& k = a.zero ? a : b;  // the factor without derivatives
        const Entry& x = a.zero ? b : a;
        for (int c = 1; c < channels_; ++c) r.reg[c] = Product(Opd(x, c), Opd(k, 0));
        return;
    }
    r.reg[1] = Product(Opd(a, 1), Opd(b, 0));
    const int t = Product(Opd(a, 0), Opd(b, 1));
    e_.addsd(r.reg[1], SseOperand::Xmm(t));
    Free(t);
    if (channels_ == 3) {
        r.reg[2] = Product(Opd(a, 2), Opd(b, 0));
        const int t2 = Product(Opd(a, 0), Opd(b, 2));
        e_.addsd(r.reg[2], SseOperand::Xmm(t2));
        Free(t2);
        const int t3 = Product(Opd(a, 1), Opd(b, 1));
        e_.addsd(t3, SseOperand::Xmm(t3));
        e_.addsd(r.reg[2], SseOperand::Xmm(t3));
        Free(t3);
    }
}

// q = u/w, q' = (u' - q w')/w, q'' = (u'' - q w'' - 2 w' q')/w; all zero when w is 0.
void DerivativeCodeGen::Divide(const Entry& a, const Entry& b, Entry& r) {
    const bool constantDivisor = b.kind == Entry::Kind::Known;
    if (constantDivisor && !(b.known < 0 || b.known > 0)) {
        r.kind = Entry::Kind::Known;
        r.known = 0;
        r.zero = true;
        r.id = KnownId(0);
        return;
    }
    // Every register is taken before the branch, so that no spill code lands
    // on only one of the two paths.
    for (int c = 0; c < channels_; ++c) r.reg[c] = HasChannel(r, c) ? Alloc() : -1;
    const int inv = r.zero ? -1 : Alloc();
    const int t = (r.zero || channels_ < 3 || b.zero) ? -1 : Alloc();
    int w = -1;
    bool ownW = false;
    if (b.kind == Entry::Kind::Reg) {
        w = b.reg[0];
    } else {
        w = Load(Opd(b, 0));
        ownW = true;
    }
    int toZero = -1;
    if (!constantDivisor) {
        e_.ucomisd(w, SseOperand::Constant(zeroPool_));
        toZero = e_.JumpIf(kJe);
    }
    const int q = r.reg[0];
    e_.movsd_load(q, Opd(a, 0));
    e_.divsd(q, SseOperand::Xmm(w));
    if (!r.zero) {
        e_.movsd_load(inv, SseOperand::Constant(onePool_));
        e_.divsd(inv, SseOperand::Xmm(w));
        for (int c = 1; c < channels_; ++c) {
            const int rc = r.reg[c];
            if (b.zero) {
                e_.movsd_load(rc, Opd(a, c));  // u^(c) / w
            } else {
                e_.movsd_load(rc, SseOperand::Xmm(q));  // - q w^(c)
                e_.mulsd(rc, Opd(b, c));
                e_.xorpd(rc, SseOperand::Constant(e_.PoolSignMask()));
                if (!a.zero) e_.addsd(rc, Opd(a, c));  // + u^(c)
                if (c == 2) {  // - 2 w' q'
                    e_.movsd_load(t, Opd(b, 1));
                    e_.mulsd(t, SseOperand::Xmm(r.reg[1]));
                    e_.addsd(t, SseOperand::Xmm(t));
                    e_.subsd(rc, SseOperand::Xmm(t));
                }
            }
            e_.mulsd(rc, SseOperand::Xmm(inv));
        }
    }
    if (toZero >= 0) {
        const int done = e_.Jump();
        e_.Bind(toZero);
        for (int c = 0; c < channels_; ++c)
            if (r.reg[c] >= 0) e_.zero(r.reg[c]);
        e_.Bind(done);
    }
    Free(inv);
    Free(t);
    if (ownW) Free(w);
}

void DerivativeCodeGen::Negate() {
    Entry& x = stack_.back();
    if (x.kind == Entry::Kind::Known) {
        x.known = -x.known;
        x.id = KnownId(x.known);
        return;
    }
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.zero = x.zero;
    r.id = Intern('#', x.id, -1);
    for (int c = 0; c < channels_; ++c) {
        if (!HasChannel(r, c)) continue;
        r.reg[c] = Load(Opd(x, c));
        e_.xorpd(r.reg[c], SseOperand::Constant(e_.PoolSignMask()));
    }
    Release(x);
    x = r;
}

// (u^2, 2 u u', 2 (u'^2 + u u''))
void DerivativeCodeGen::Square() {
    Entry& x = stack_.back();
    if (x.kind == Entry::Kind::Known) {
        x.known = x.known * x.known;
        x.id = KnownId(x.known);
        return;
    }
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.zero = x.zero;
    r.id = Intern('D', x.id, -1);
    r.reg[0] = Product(Opd(x, 0), Opd(x, 0));
    if (!r.zero) {
        r.reg[1] = Product(Opd(x, 0), Opd(x, 1));
        e_.addsd(r.reg[1], SseOperand::Xmm(r.reg[1]));
        if (channels_ == 3) {
            r.reg[2] = Product(Opd(x, 1), Opd(x, 1));
            const int t = Product(Opd(x, 0), Opd(x, 2));
            e_.addsd(r.reg[2], SseOperand::Xmm(t));
            e_.addsd(r.reg[2], SseOperand::Xmm(r.reg[2]));
            Free(t);
        }
    }
    Release(x);
    x = r;
}

// (u, u', u'') when u >= 0, all negated when u < 0: the sign bit of the
// comparison mask is XORed into every channel.
void DerivativeCodeGen::Abs() {
    Entry& x = stack_.back();
    if (x.kind == Entry::Kind::Known) {
        if (x.known < 0) x.known = -x.known;
        x.id = KnownId(x.known);
        return;
    }
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.zero = x.zero;
    r.id = Intern('N', x.id, -1);
    for (int c = 0; c < channels_; ++c) r.reg[c] = HasChannel(r, c) ? Load(Opd(x, c)) : -1;
    const int m = Alloc();
    e_.movsd_load(m, SseOperand::Xmm(r.reg[0]));
    e_.cmpltsd(m, SseOperand::Constant(zeroPool_));
    e_.andpd(m, SseOperand::Constant(e_.PoolSignMask()));
    for (int c = 0; c < channels_; ++c)
        if (r.reg[c] >= 0) e_.xorpd(r.reg[c], SseOperand::Xmm(m));
    Free(m);
    Release(x);
    x = r;
}

void DerivativeCodeGen::CallKernel(uint8_t code) {
    const DerivativeKernel kernel = KernelFor(code, channels_);
    Entry x = stack_.back();
    stack_.pop_back();
    if (x.kind == Entry::Kind::Known) {
        // A function of a constant is a constant: evaluate it now with the
        // same kernel the code would call.
        double t[3] = {x.known, 0, 0};
        kernel(t);
        x.known = t[0];
        x.id = KnownId(x.known);
        stack_.push_back(x);
        return;
    }
    SpillAll();
    const int depth = static_cast<int>(stack_.size()) + 1;
    const int32_t home = Home(depth);
    if (x.kind != Entry::Kind::Mem || x.home != home) {
        for (int c = 0; c < channels_; ++c) {
            if (!HasChannel(x, c)) continue;
            if (x.kind == Entry::Kind::Reg) {
                e_.movsd_store(Gpr::Rbp, home + 8 * c, x.reg[c]);
            } else {
                const int t = Load(Opd(x, c));
                e_.movsd_store(Gpr::Rbp, home + 8 * c, t);
                Free(t);
            }
        }
        Release(x);
    }
    if (x.zero) {
        // The kernel reads the derivative channels: they are zero.
        const int z = Alloc();
        e_.zero(z);
        for (int c = 1; c < channels_; ++c) e_.movsd_store(Gpr::Rbp, home + 8 * c, z);
        Free(z);
    }
    e_.CallWithFramePointer(reinterpret_cast<const void*>(kernel), home);
    Entry r;
    r.kind = Entry::Kind::Mem;
    r.zero = x.zero;
    r.home = home;
    r.id = Intern(code, x.id, -1);
    stack_.push_back(r);
}

// cos: (c, -s u', -c u'^2 - s u''); sin: (s, c u', -s u'^2 + c u''), with s and
// c from the slot of the argument's value number, computed on first use.
void DerivativeCodeGen::SineCosine(uint8_t code) {
    if (stack_.back().kind == Entry::Kind::Known) {
        CallKernel(code);
        return;
    }
    auto cached = sineCosine_.find(stack_.back().id);
    if (cached == sineCosine_.end()) {
        // Every register is caller-saved: the stack, argument included, goes
        // to its slots; the argument's value is copied to a new pair slot.
        SpillAll();
        const int32_t slot = nextSineCosine_;
        nextSineCosine_ += 16;
        const int t = Load(Opd(stack_.back(), 0));
        e_.movsd_store(Gpr::Rbp, slot, t);
        Free(t);
        e_.CallWithFramePointer(reinterpret_cast<const void*>(&SineAndCosine), slot);
        cached = sineCosine_.emplace(stack_.back().id, slot).first;
    }
    const Entry x = stack_.back();
    stack_.pop_back();
    const SseOperand S = SseOperand::At(Gpr::Rbp, cached->second);
    const SseOperand C = SseOperand::At(Gpr::Rbp, cached->second + 8);
    const SseOperand sign = SseOperand::Constant(e_.PoolSignMask());
    const bool isCos = code == 'A';
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.zero = x.zero;
    r.id = Intern(code, x.id, -1);
    r.reg[0] = Load(isCos ? C : S);
    if (!r.zero) {
        r.reg[1] = Product(isCos ? S : C, Opd(x, 1));
        if (isCos) e_.xorpd(r.reg[1], sign);
        if (channels_ == 3) {
            // cos: -(c u'^2 + s u''); sin: c u'' - s u'^2
            r.reg[2] = Product(Opd(x, 1), Opd(x, 1));
            e_.mulsd(r.reg[2], isCos ? C : S);
            const int t = Product(isCos ? S : C, Opd(x, 2));
            if (isCos) {
                e_.addsd(r.reg[2], SseOperand::Xmm(t));
                e_.xorpd(r.reg[2], sign);
            } else {
                e_.subsd(t, SseOperand::Xmm(r.reg[2]));
                Free(r.reg[2]);
                r.reg[2] = t;
            }
            if (isCos) Free(t);
        }
    }
    Release(x);
    stack_.push_back(r);
}

void DerivativeCodeGen::StoreResult() {
    Entry x = stack_.back();
    const int32_t slot[3] = {0, 8 * (program_.endFD + 1), 8 * (program_.endVD + 1)};
    for (int c = 1; c < channels_; ++c) {
        int t;
        bool own = true;
        if (!HasChannel(x, c)) {
            t = Alloc();
            e_.zero(t);
        } else if (x.kind == Entry::Kind::Reg) {
            t = x.reg[c];
            own = false;
        } else {
            t = Load(Opd(x, c));
        }
        e_.movsd_store(Gpr::Rbx, slot[c], t);
        if (own) Free(t);
    }
    e_.movsd_load(0, Opd(x, 0));
}

}  // namespace velmora

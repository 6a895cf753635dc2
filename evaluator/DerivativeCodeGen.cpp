#include "evaluator/DerivativeCodeGen.h"

#include "evaluator/DerivativeKernels.h"
#include "formula/FormulaCompiler.h"
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

// Bytes of frame per function call: its value and derivative factors.
constexpr int32_t kFactorSlotBytes = 32;

bool IsOperator(uint8_t b) { return b == '+' || b == '-' || b == '*' || b == '/'; }
bool IsInlineFunction(uint8_t b) {
    return b == Code(Fn::UnaryMinus) || b == Code(Fn::Square) || b == Code(Fn::Abs);
}
bool IsSineOrCosine(uint8_t b) { return b == Code(Fn::Sin) || b == Code(Fn::Cos); }

// The quotient of the formulas: 0 when the divisor is 0 (or not a number).
double Quotient(double u, double w) { return (w < 0 || w > 0) ? u / w : 0.0; }

// Value numbers of the leaves; the operators and functions use their bytes.
constexpr int kIdKnown = 256, kIdVariable = 257, kIdParameter = 258, kSineAndCosine = 259;

}  // namespace

DerivativeLayout DerivativeLayout::Curve(int order, int firstDerivativeSlot, int secondDerivativeSlot) {
    DerivativeLayout l;
    for (auto& row : l.second) row.fill(-1);
    l.curve = true;
    l.firsts = 1;
    l.channels = 1 + order;
    l.resultSlot[1] = firstDerivativeSlot;
    if (order == 2) {
        l.second[1][1] = 2;
        l.resultSlot[2] = secondDerivativeSlot;
    }
    return l;
}

DerivativeLayout DerivativeLayout::Jet(int variables, int firstSlot) {
    DerivativeLayout l;
    for (auto& row : l.second) row.fill(-1);
    l.curve = false;
    l.firsts = variables;
    int c = 1;
    for (; c <= variables; ++c) l.resultSlot[static_cast<std::size_t>(c)] = firstSlot + c - 1;
    for (int a = 1; a <= variables; ++a) {
        for (int b = a; b <= variables; ++b, ++c) {
            l.second[a][b] = l.second[b][a] = static_cast<int8_t>(c);
            l.resultSlot[static_cast<std::size_t>(c)] = firstSlot + c - 1;
        }
    }
    l.channels = c;
    return l;
}

DerivativeCodeGen::DerivativeCodeGen(const DerivativeProgram& program, const DerivativeLayout& layout)
    : program_(program), layout_(layout) {
    for (int a = 1; a <= layout_.firsts; ++a)
        for (int b = a; b <= layout_.firsts; ++b)
            if (layout_.second[a][b] >= 0) seconds_.push_back({layout_.second[a][b], a, b});
}

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
        } else if (IsInlineFunction(b) || KernelFor(b) != nullptr) {
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

DerivativeCodeGen::Entry DerivativeCodeGen::KnownEntry(double value) {
    Entry x;
    x.ch[0] = Ch::Held;
    x.known = value;
    x.id = KnownId(value);
    return x;
}

// ---- operands and registers ---------------------------------------------------

DerivativeCodeGen::Val DerivativeCodeGen::ValueOf(const Entry& x, int c) {
    const Ch k = x.ch[static_cast<std::size_t>(c)];
    if (k != Ch::Held) return {k, {}};
    return {k, Opd(x, c)};
}

SseOperand DerivativeCodeGen::Opd(const Entry& x, int c) {
    switch (x.kind) {
        case Entry::Kind::Known: return SseOperand::Constant(e_.PoolScalar(x.known));
        case Entry::Kind::Param: return SseOperand::At(Gpr::Rbx, 8 * x.index);
        case Entry::Kind::Var:
            return SseOperand::At(Gpr::R14, 8 * (x.index - 1 + (layout_.curve ? c * program_.argNum : 0)));
        case Entry::Kind::Reg: return SseOperand::Xmm(x.reg[static_cast<std::size_t>(c)]);
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
    for (int c = 0; c < layout_.channels; ++c)
        if (x.ch[static_cast<std::size_t>(c)] == Ch::Held) Free(x.reg[static_cast<std::size_t>(c)]);
}

int DerivativeCodeGen::RegistersOf(const Entry& x) const {
    if (x.kind != Entry::Kind::Reg) return 0;
    int n = 0;
    for (int c = 0; c < layout_.channels; ++c) n += x.ch[static_cast<std::size_t>(c)] == Ch::Held;
    return n;
}

void DerivativeCodeGen::SpillEntry(Entry& x, int depth) {
    if (x.kind != Entry::Kind::Reg) return;
    const int32_t home = Home(depth);
    for (int c = 0; c < layout_.channels; ++c)
        if (x.ch[static_cast<std::size_t>(c)] == Ch::Held)
            e_.movsd_store(Gpr::Rbp, home + 8 * c, x.reg[static_cast<std::size_t>(c)]);
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
    // Reserve keeps enough registers free for every operation.
    throw VelmoraError(kFailedAnalysisMessage);
}

void DerivativeCodeGen::SpillAll() {
    for (std::size_t i = 0; i < stack_.size(); ++i) SpillEntry(stack_[i], static_cast<int>(i) + 1);
}

void DerivativeCodeGen::Reserve(int needed, Entry* a, int depthA, Entry* b, int depthB) {
    auto available = [&] {
        int n = 0;
        for (bool u : used_) n += !u;
        for (const Entry& x : stack_) n += RegistersOf(x);
        return n;
    };
    if (b != nullptr && available() < needed) SpillEntry(*b, depthB);
    if (a != nullptr && available() < needed) SpillEntry(*a, depthA);
}

// ---- channel arithmetic --------------------------------------------------------------

int DerivativeCodeGen::Load(const Val& x) {
    if (x.k == Ch::Zero) return -1;
    const int r = Alloc();
    e_.movsd_load(r, x.k == Ch::One ? SseOperand::Constant(onePool_) : x.at);
    return r;
}

int DerivativeCodeGen::Mul(const Val& x, const Val& y) {
    if (x.k == Ch::Zero || y.k == Ch::Zero) return -1;
    if (x.k == Ch::One) return Load(y);
    const int r = Load(x);
    if (y.k == Ch::Held) e_.mulsd(r, y.at);
    return r;
}

void DerivativeCodeGen::AddTo(int& acc, int term) {
    if (term < 0) return;
    if (acc < 0) {
        acc = term;
        return;
    }
    e_.addsd(acc, SseOperand::Xmm(term));
    Free(term);
}

void DerivativeCodeGen::SubFrom(int& acc, int term) {
    if (term < 0) return;
    if (acc < 0) {
        Negate(term);
        acc = term;
        return;
    }
    e_.subsd(acc, SseOperand::Xmm(term));
    Free(term);
}

void DerivativeCodeGen::Negate(int r) { e_.xorpd(r, SseOperand::Constant(e_.PoolSignMask())); }

void DerivativeCodeGen::Twice(int r) {
    if (r >= 0) e_.addsd(r, SseOperand::Xmm(r));
}

// ---- the program --------------------------------------------------------------

std::size_t DerivativeCodeGen::Generate(StagedCode& code) {
    const ByteArray& list = *program_.actorList;
    const int maxDepth = CheckProgram(list, program_.argNum, program_.data->size());
    if (!layout_.curve && program_.argNum > layout_.firsts) throw VelmoraError(kFailedAnalysisMessage);
    // Frame: one slot per stack depth, then the factors of each function call.
    int calls = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == kTokenPrefix) {
            i += 3;
        } else if (KernelFor(list[i]) != nullptr) {
            ++calls;
        }
    }
    nextFactorSlot_ = (8 * layout_.channels * maxDepth + 15) / 16 * 16;
    const int32_t frame = std::max<int32_t>(16, nextFactorSlot_ + kFactorSlotBytes * calls);
    zeroPool_ = e_.PoolScalar(0.0);
    onePool_ = e_.PoolScalar(1.0);

    e_.Prologue(program_.data->data(), frame);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const uint8_t b = list[i];
        if (b == kTokenPrefix) {
            PushOperand(&list[i]);
            i += 3;
        } else if (b == '1' || b == 'p') {
            stack_.push_back(KnownEntry(b == '1' ? 1.0 : std::numbers::pi));
        } else if (IsOperator(b)) {
            Binary(b);
        } else if (b == Code(Fn::UnaryMinus)) {
            NegateTop();
        } else if (b == Code(Fn::Square)) {
            SquareTop();
        } else if (b == Code(Fn::Abs)) {
            AbsTop();
        } else {
            Function(b);
        }
    }
    StoreResult();
    e_.Epilogue(frame);
    return e_.StageInto(code);
}

void DerivativeCodeGen::PushOperand(const uint8_t* token) {
    const int index = token[2] * 256 + token[3];
    Entry x;
    x.ch[0] = Ch::Held;
    switch (token[1]) {
        case kTokenVariable:
            x.kind = Entry::Kind::Var;
            x.index = index;
            x.id = Intern(kIdVariable, index, 0);
            if (layout_.curve) {
                for (int c = 1; c < layout_.channels; ++c) x.ch[static_cast<std::size_t>(c)] = Ch::Held;
            } else {
                x.ch[static_cast<std::size_t>(index)] = Ch::One;
            }
            break;
        case kTokenParameter:
            x.kind = Entry::Kind::Param;
            x.index = index;
            x.id = Intern(kIdParameter, index, 0);
            break;
        default:  // literal: its value never changes after the copy of the table
            x = KnownEntry((*program_.data)[static_cast<std::size_t>(index)]);
            break;
    }
    stack_.push_back(x);
}

void DerivativeCodeGen::Binary(uint8_t op) {
    Entry b = stack_.back();
    stack_.pop_back();
    Entry a = stack_.back();
    stack_.pop_back();
    if (Constant(a) && Constant(b)) {
        switch (op) {
            case '+': stack_.push_back(KnownEntry(a.known + b.known)); break;
            case '-': stack_.push_back(KnownEntry(a.known - b.known)); break;
            case '*': stack_.push_back(KnownEntry(a.known * b.known)); break;
            default: stack_.push_back(KnownEntry(Quotient(a.known, b.known))); break;
        }
        return;
    }
    const int depth = static_cast<int>(stack_.size()) + 1;
    Reserve(layout_.channels + 4, &a, depth, &b, depth + 1);
    Entry r;
    switch (op) {
        case '+':
        case '-': r = AddSub(op, a, b); break;
        case '*': r = Multiply(a, b); break;
        default: r = Divide(a, b); break;
    }
    if (r.id < 0) r.id = Intern(op, a.id, b.id);
    Release(a);
    Release(b);
    stack_.push_back(r);
}

// Channel by channel: a +- b.
DerivativeCodeGen::Entry DerivativeCodeGen::AddSub(uint8_t op, const Entry& a, const Entry& b) {
    Entry r;
    r.kind = Entry::Kind::Reg;
    for (int c = 0; c < layout_.channels; ++c) {
        const Val x = ValueOf(a, c), y = ValueOf(b, c);
        int acc = Load(x);
        if (y.k != Ch::Zero) {
            const SseOperand by = y.k == Ch::One ? SseOperand::Constant(onePool_) : y.at;
            if (acc < 0) {
                acc = Load(y);
                if (op == '-') Negate(acc);
            } else if (op == '+') {
                e_.addsd(acc, by);
            } else {
                e_.subsd(acc, by);
            }
        }
        r.ch[static_cast<std::size_t>(c)] = acc < 0 ? Ch::Zero : Ch::Held;
        r.reg[static_cast<std::size_t>(c)] = acc;
    }
    return r;
}

// (a b)_i = a_i b + a b_i;  (a b)_ij = a_ij b + a b_ij + a_i b_j + a_j b_i.
DerivativeCodeGen::Entry DerivativeCodeGen::Multiply(const Entry& a, const Entry& b) {
    Entry r;
    r.kind = Entry::Kind::Reg;
    auto set = [&](int c, int reg) {
        r.ch[static_cast<std::size_t>(c)] = reg < 0 ? Ch::Zero : Ch::Held;
        r.reg[static_cast<std::size_t>(c)] = reg;
    };
    set(0, Mul(ValueOf(a, 0), ValueOf(b, 0)));
    for (int c = 1; c <= layout_.firsts; ++c) {
        int acc = Mul(ValueOf(a, c), ValueOf(b, 0));
        AddTo(acc, Mul(ValueOf(a, 0), ValueOf(b, c)));
        set(c, acc);
    }
    for (const SecondChannel& s : seconds_) {
        int acc = Mul(ValueOf(a, s.c), ValueOf(b, 0));
        AddTo(acc, Mul(ValueOf(a, 0), ValueOf(b, s.c)));
        int cross = Mul(ValueOf(a, s.a), ValueOf(b, s.b));
        if (s.a == s.b) {
            Twice(cross);
        } else {
            AddTo(cross, Mul(ValueOf(a, s.b), ValueOf(b, s.a)));
        }
        AddTo(acc, cross);
        set(s.c, acc);
    }
    return r;
}

// q = a/w; q_i = (a_i - q w_i)/w; q_ij = (a_ij - q w_ij - w_i q_j - w_j q_i)/w;
// all zero when w is 0.
DerivativeCodeGen::Entry DerivativeCodeGen::Divide(const Entry& a, const Entry& b) {
    const bool constantDivisor = Constant(b);
    if (constantDivisor && !(b.known < 0 || b.known > 0)) return KnownEntry(0);
    const std::size_t n = static_cast<std::size_t>(layout_.channels);
    auto held = [](const Entry& x, int c) { return x.ch[static_cast<std::size_t>(c)] != Ch::Zero; };
    // Which channels of the quotient can be other than 0.
    std::array<bool, kMaxChannels> live{};
    live[0] = true;
    for (int c = 1; c <= layout_.firsts; ++c) live[static_cast<std::size_t>(c)] = held(a, c) || held(b, c);
    bool crossTerms = false;
    for (const SecondChannel& s : seconds_) {
        const bool cross = (held(b, s.a) && live[static_cast<std::size_t>(s.b)]) ||
                           (held(b, s.b) && live[static_cast<std::size_t>(s.a)]);
        crossTerms = crossTerms || cross;
        live[static_cast<std::size_t>(s.c)] = held(a, s.c) || held(b, s.c) || cross;
    }
    bool anyDerivative = false;
    for (std::size_t c = 1; c < n; ++c) anyDerivative = anyDerivative || live[c];

    // Every register is taken before the branch, so that no spill code lands
    // on only one of the two paths.
    Entry r;
    r.kind = Entry::Kind::Reg;
    for (std::size_t c = 0; c < n; ++c) {
        r.ch[c] = live[c] ? Ch::Held : Ch::Zero;
        r.reg[c] = live[c] ? Alloc() : -1;
    }
    const int inv = anyDerivative ? Alloc() : -1;
    const int t1 = crossTerms ? Alloc() : -1;
    const int t2 = crossTerms ? Alloc() : -1;
    int w = -1;
    bool ownW = false;
    if (b.kind == Entry::Kind::Reg) {
        w = b.reg[0];
    } else {
        w = Alloc();
        e_.movsd_load(w, Opd(b, 0));
        ownW = true;
    }
    Label toZero, done;
    if (!constantDivisor) {
        e_.ucomisd(w, SseOperand::Constant(zeroPool_));
        e_.JumpIf(kJe, toZero);
    }
    const SseOperand one = SseOperand::Constant(onePool_);
    auto operand = [&](const Entry& x, int c) { return x.ch[static_cast<std::size_t>(c)] == Ch::One ? one : Opd(x, c); };
    // t := w_i q_j (false when a factor is 0).
    auto product = [&](int t, int i, int j) {
        if (!held(b, i) || !live[static_cast<std::size_t>(j)]) return false;
        e_.movsd_load(t, SseOperand::Xmm(r.reg[static_cast<std::size_t>(j)]));
        if (b.ch[static_cast<std::size_t>(i)] == Ch::Held) e_.mulsd(t, Opd(b, i));
        return true;
    };
    const int q = r.reg[0];
    e_.movsd_load(q, Opd(a, 0));
    e_.divsd(q, SseOperand::Xmm(w));
    if (anyDerivative) {
        e_.movsd_load(inv, one);
        e_.divsd(inv, SseOperand::Xmm(w));
    }
    // rc := a_c - q w_c (for the first-order channels, and the start of the second-order ones).
    auto start = [&](int c) {
        const int rc = r.reg[static_cast<std::size_t>(c)];
        if (!held(b, c)) {
            if (held(a, c)) {
                e_.movsd_load(rc, operand(a, c));
                return true;
            }
            return false;
        }
        e_.movsd_load(rc, SseOperand::Xmm(q));
        if (b.ch[static_cast<std::size_t>(c)] == Ch::Held) e_.mulsd(rc, Opd(b, c));
        Negate(rc);
        if (held(a, c)) e_.addsd(rc, operand(a, c));
        return true;
    };
    for (int c = 1; c <= layout_.firsts; ++c) {
        if (!live[static_cast<std::size_t>(c)]) continue;
        start(c);
        e_.mulsd(r.reg[static_cast<std::size_t>(c)], SseOperand::Xmm(inv));
    }
    for (const SecondChannel& s : seconds_) {
        const int rc = r.reg[static_cast<std::size_t>(s.c)];
        if (rc < 0) continue;
        const bool begun = start(s.c);
        bool cross = product(t1, s.a, s.b);
        if (s.a == s.b) {
            if (cross) e_.addsd(t1, SseOperand::Xmm(t1));
        } else if (product(t2, s.b, s.a)) {
            if (cross) {
                e_.addsd(t1, SseOperand::Xmm(t2));
            } else {
                e_.movsd_load(t1, SseOperand::Xmm(t2));
                cross = true;
            }
        }
        if (cross) {
            if (begun) {
                e_.subsd(rc, SseOperand::Xmm(t1));
            } else {
                e_.movsd_load(rc, SseOperand::Xmm(t1));
                Negate(rc);
            }
        }
        e_.mulsd(rc, SseOperand::Xmm(inv));
    }
    if (!constantDivisor) {
        e_.Jump(done);
        e_.Bind(toZero);
        for (std::size_t c = 0; c < n; ++c)
            if (r.reg[c] >= 0) e_.zero(r.reg[c]);
        e_.Bind(done);
    }
    Free(inv);
    Free(t1);
    Free(t2);
    if (ownW) Free(w);
    return r;
}

void DerivativeCodeGen::NegateTop() {
    Entry x = stack_.back();
    stack_.pop_back();
    if (Constant(x)) {
        stack_.push_back(KnownEntry(-x.known));
        return;
    }
    const int depth = static_cast<int>(stack_.size()) + 1;
    Reserve(layout_.channels + 4, &x, depth, nullptr, 0);
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.id = Intern(Code(Fn::UnaryMinus), x.id, -1);
    for (int c = 0; c < layout_.channels; ++c) {
        const int reg = Load(ValueOf(x, c));
        if (reg >= 0) Negate(reg);
        r.ch[static_cast<std::size_t>(c)] = reg < 0 ? Ch::Zero : Ch::Held;
        r.reg[static_cast<std::size_t>(c)] = reg;
    }
    Release(x);
    stack_.push_back(r);
}

// (u^2)_i = 2 u u_i;  (u^2)_ij = 2 (u_i u_j + u u_ij).
void DerivativeCodeGen::SquareTop() {
    Entry x = stack_.back();
    stack_.pop_back();
    if (Constant(x)) {
        stack_.push_back(KnownEntry(x.known * x.known));
        return;
    }
    const int depth = static_cast<int>(stack_.size()) + 1;
    Reserve(layout_.channels + 4, &x, depth, nullptr, 0);
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.id = Intern(Code(Fn::Square), x.id, -1);
    auto set = [&](int c, int reg) {
        r.ch[static_cast<std::size_t>(c)] = reg < 0 ? Ch::Zero : Ch::Held;
        r.reg[static_cast<std::size_t>(c)] = reg;
    };
    set(0, Mul(ValueOf(x, 0), ValueOf(x, 0)));
    for (int c = 1; c <= layout_.firsts; ++c) {
        const int reg = Mul(ValueOf(x, 0), ValueOf(x, c));
        Twice(reg);
        set(c, reg);
    }
    for (const SecondChannel& s : seconds_) {
        int acc = Mul(ValueOf(x, s.a), ValueOf(x, s.b));
        AddTo(acc, Mul(ValueOf(x, 0), ValueOf(x, s.c)));
        Twice(acc);
        set(s.c, acc);
    }
    Release(x);
    stack_.push_back(r);
}

// Every channel as it is when u >= 0, negated when u < 0: the sign bit of the
// comparison mask is XORed into each.
void DerivativeCodeGen::AbsTop() {
    Entry x = stack_.back();
    stack_.pop_back();
    if (Constant(x)) {
        stack_.push_back(KnownEntry(x.known < 0 ? -x.known : x.known));
        return;
    }
    const int depth = static_cast<int>(stack_.size()) + 1;
    Reserve(layout_.channels + 4, &x, depth, nullptr, 0);
    Entry r;
    r.kind = Entry::Kind::Reg;
    r.id = Intern(Code(Fn::Abs), x.id, -1);
    for (int c = 0; c < layout_.channels; ++c) {
        const int reg = Load(ValueOf(x, c));
        r.ch[static_cast<std::size_t>(c)] = reg < 0 ? Ch::Zero : Ch::Held;
        r.reg[static_cast<std::size_t>(c)] = reg;
    }
    const int m = Alloc();
    e_.movsd_load(m, SseOperand::Xmm(r.reg[0]));
    e_.cmpltsd(m, SseOperand::Constant(zeroPool_));
    e_.andpd(m, SseOperand::Constant(e_.PoolSignMask()));
    for (int c = 0; c < layout_.channels; ++c)
        if (r.reg[static_cast<std::size_t>(c)] >= 0) e_.xorpd(r.reg[static_cast<std::size_t>(c)], SseOperand::Xmm(m));
    Free(m);
    Release(x);
    stack_.push_back(r);
}

void DerivativeCodeGen::Function(uint8_t code) {
    Entry x = stack_.back();
    stack_.pop_back();
    if (Constant(x)) {
        // A function of a constant is a constant: evaluate it now with the
        // same kernel the code would call.
        double t[3] = {x.known, 0, 0};
        if (IsSineOrCosine(code)) {
            SineAndCosine(t);
            stack_.push_back(KnownEntry(code == Code(Fn::Sin) ? t[0] : t[1]));
        } else {
            KernelFor(code)(t);
            stack_.push_back(KnownEntry(t[0]));
        }
        return;
    }
    const int depth = static_cast<int>(stack_.size()) + 1;
    const Factors f = FunctionFactors(code, x, depth);
    Reserve(layout_.channels + 4, &x, depth, nullptr, 0);
    Entry r = ChainRule(x, f);
    r.id = Intern(code, x.id, -1);
    Release(x);
    stack_.push_back(r);
}

// Value and derivative factors of a function of x in a frame slot: computed
// by a kernel call on the first use, reused for every later use with the same
// argument. Sine and cosine share one slot holding (sin, cos).
DerivativeCodeGen::Factors DerivativeCodeGen::FunctionFactors(uint8_t code, Entry& x, int depth) {
    const bool trigonometric = IsSineOrCosine(code);
    const auto key = std::make_pair(trigonometric ? kSineAndCosine : static_cast<int>(code), x.id);
    auto cached = factorSlots_.find(key);
    if (cached == factorSlots_.end()) {
        // Every register is caller-saved: the stack and the argument go to
        // their slots; the argument's value is copied to the factor slot.
        SpillAll();
        SpillEntry(x, depth);
        const int32_t slot = nextFactorSlot_;
        nextFactorSlot_ += kFactorSlotBytes;
        const int t = Load(ValueOf(x, 0));
        e_.movsd_store(Gpr::Rbp, slot, t);
        Free(t);
        const DerivativeKernel kernel = trigonometric ? &SineAndCosine : KernelFor(code);
        e_.CallWithFramePointer(reinterpret_cast<const void*>(kernel), slot);
        cached = factorSlots_.emplace(key, slot).first;
    }
    Factors f;
    f.slot = cached->second;
    if (!trigonometric) {
        f.offset = {0, 8, 16};
    } else if (code == Code(Fn::Cos)) {  // (cos, -sin, -cos)
        f.offset = {8, 0, 8};
        f.negated = {false, true, true};
    } else {  // (sin, cos, -sin)
        f.offset = {0, 8, 0};
        f.negated = {false, false, true};
    }
    return f;
}

// f(x) with f_i = g1 x_i and f_ij = g2 x_i x_j + g1 x_ij.
DerivativeCodeGen::Entry DerivativeCodeGen::ChainRule(const Entry& x, const Factors& f) {
    auto factor = [&](int k) -> Val {
        return {Ch::Held, SseOperand::At(Gpr::Rbp, f.slot + f.offset[static_cast<std::size_t>(k)])};
    };
    Entry r;
    r.kind = Entry::Kind::Reg;
    auto set = [&](int c, int reg) {
        r.ch[static_cast<std::size_t>(c)] = reg < 0 ? Ch::Zero : Ch::Held;
        r.reg[static_cast<std::size_t>(c)] = reg;
    };
    set(0, Load(factor(0)));
    for (int c = 1; c <= layout_.firsts; ++c) {
        const int reg = Mul(factor(1), ValueOf(x, c));
        if (reg >= 0 && f.negated[1]) Negate(reg);
        set(c, reg);
    }
    for (const SecondChannel& s : seconds_) {
        int p = Mul(factor(2), ValueOf(x, s.a));
        if (p >= 0) {
            const Val xb = ValueOf(x, s.b);
            if (xb.k == Ch::Zero) {
                Free(p);
                p = -1;
            } else if (xb.k == Ch::Held) {
                e_.mulsd(p, xb.at);
            }
        }
        const int q = Mul(factor(1), ValueOf(x, s.c));
        int acc = -1;
        if (f.negated[2] == f.negated[1]) {
            acc = p;
            AddTo(acc, q);
            if (acc >= 0 && f.negated[1]) Negate(acc);
        } else if (f.negated[2]) {  // g1 x_ij - |g2| x_i x_j
            acc = q;
            SubFrom(acc, p);
        } else {
            acc = p;
            SubFrom(acc, q);
        }
        set(s.c, acc);
    }
    return r;
}

void DerivativeCodeGen::StoreResult() {
    const Entry x = stack_.back();
    for (int c = 1; c < layout_.channels; ++c) {
        const int32_t slot = 8 * layout_.resultSlot[static_cast<std::size_t>(c)];
        const Ch k = x.ch[static_cast<std::size_t>(c)];
        if (k == Ch::Held && x.kind == Entry::Kind::Reg) {
            e_.movsd_store(Gpr::Rbx, slot, x.reg[static_cast<std::size_t>(c)]);
            continue;
        }
        const int t = Alloc();
        if (k == Ch::Zero) {
            e_.zero(t);
        } else {
            e_.movsd_load(t, k == Ch::One ? SseOperand::Constant(onePool_) : Opd(x, c));
        }
        e_.movsd_store(Gpr::Rbx, slot, t);
        Free(t);
    }
    e_.movsd_load(0, Opd(x, 0));
}

}  // namespace velmora

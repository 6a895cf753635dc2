// From the reduced form to the postfix program: the syntax check, the
// expansion of integer powers into products of squares, and the conversion by
// precedence levels (sums, products, powers, atoms).
#include "formula/FormulaCompiler.h"

#include "platform/VelmoraError.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

enum TokenClass { kOpen = 0, kClose = 1, kOperator = 2, kMinus = 3, kConstant = 4, kVariable = 5, kFunction = 6,
                  kOther = 7 };

TokenClass ClassOf(ReducedToken t) {
    if (IsOperandToken(t)) {
        switch (OperandKind(t)) {
            case kTokenVariable: return kVariable;
            case kTokenParameter: case kTokenLiteral: return kConstant;
            default: return kOther;
        }
    }
    switch (t) {
        case '(': return kOpen;
        case ')': return kClose;
        case '+': case '-': case '*': case '/': case '^': case ';': return kOperator;
        case '#': return kMinus;
        case '1': case 'p': return kConstant;
        default: return IsFunctionCode(t) ? kFunction : kOther;
    }
}

bool IsAdditive(ReducedToken t) { return t == '+' || t == '-'; }
bool IsMultiplicative(ReducedToken t) { return t == '*' || t == '/'; }

// Index of the bracket matching each bracket (the form is balanced here).
std::vector<std::size_t> MatchBrackets(const ReducedForm& r) {
    std::vector<std::size_t> match(r.size(), 0);
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (r[i] == '(') {
            open.push_back(i);
            if (open.size() > static_cast<std::size_t>(kMaxNesting)) throw VelmoraError(kNestedTooDeeplyMessage);
        } else if (r[i] == ')') {
            match[i] = open.back();
            match[open.back()] = i;
            open.pop_back();
        }
    }
    return match;
}

void AppendToken(ByteArray& out, ReducedToken t) {
    if (IsOperandToken(t)) {
        const uint16_t index = OperandIndex(t);
        out.insert(out.end(), {kTokenPrefix, OperandKind(t), static_cast<uint8_t>(index >> 8),
                               static_cast<uint8_t>(index)});
    } else {
        out.push_back(static_cast<uint8_t>(t));
    }
}

// E(b, m): b^m as nested squares, "D(" E(b, m div 2) ")" and a last factor b when m is odd.
void AppendPowerProduct(ReducedForm& out, const ReducedForm& base, int64_t m) {
    if (m == 0) {
        out.push_back('1');
    } else if (m == 1) {
        out.insert(out.end(), base.begin(), base.end());
    } else {
        out.push_back('D');
        out.push_back('(');
        AppendPowerProduct(out, base, m / 2);
        out.push_back(')');
        if (m % 2 == 1) {
            out.push_back('*');
            out.insert(out.end(), base.begin(), base.end());
        }
    }
}

// Number of tokens AppendPowerProduct writes.
std::size_t PowerProductLength(std::size_t baseLength, int64_t m) {
    if (m == 0) return 1;
    if (m == 1) return baseLength;
    return 3 + PowerProductLength(baseLength, m / 2) + (m % 2 == 1 ? 1 + baseLength : 0);
}

// The precedence levels of the postfix conversion over the reduced form.
class PostfixWriter {
public:
    explicit PostfixWriter(const ReducedForm& r) : r_(r), match_(MatchBrackets(r)) {}

    void Sum(std::size_t a, std::size_t b, ByteArray& out) const { Level(a, b, out, IsAdditive, &PostfixWriter::Product); }
    void Product(std::size_t a, std::size_t b, ByteArray& out) const {
        Level(a, b, out, IsMultiplicative, &PostfixWriter::Power);
    }

    // f1 ^ f2 ^ ... ^ fk: exp(fk * ln(... exp(f2 * ln(f1)))), exponent pushed first.
    void Power(std::size_t a, std::size_t b, ByteArray& out) const {
        if (a >= b) return;
        const bool negated = r_[a] == '#';
        if (negated) ++a;
        ByteArray result;
        std::size_t start = a;
        bool first = true;
        for (std::size_t i = a; i <= b; i = Next(i)) {
            if (i < b && r_[i] != '^') continue;
            if (first) {
                Atom(start, i, result);
                first = false;
            } else {
                ByteArray step;
                Atom(start, i, step);
                step.insert(step.end(), result.begin(), result.end());
                step.insert(step.end(), {'F', '*', 'C'});
                result = std::move(step);
            }
            start = i + 1;
            if (i == b) break;
        }
        out.insert(out.end(), result.begin(), result.end());
        if (negated) out.push_back('#');
    }

    // Brackets, function applications and operands; any other token (a stray
    // ";") is copied for the code generator to refuse.
    void Atom(std::size_t a, std::size_t b, ByteArray& out) const {
        while (a < b) {
            const ReducedToken t = r_[a];
            if (t == '(') {
                Sum(a + 1, match_[a], out);
                a = match_[a] + 1;
            } else if (IsFunctionCode(t) && a + 1 < b && r_[a + 1] == '(') {
                Sum(a + 2, match_[a + 1], out);
                out.push_back(static_cast<uint8_t>(t));
                a = match_[a + 1] + 1;
            } else {
                AppendToken(out, t);
                ++a;
            }
        }
    }

private:
    using LevelFn = void (PostfixWriter::*)(std::size_t, std::size_t, ByteArray&) const;

    // Next index at the same depth (a bracket is skipped whole).
    std::size_t Next(std::size_t i) const { return (i < r_.size() && r_[i] == '(') ? match_[i] + 1 : i + 1; }

    // Cuts [a, b) at the operators `isCut` of depth 0, left associative.
    template <typename Cut>
    void Level(std::size_t a, std::size_t b, ByteArray& out, Cut isCut, LevelFn lower) const {
        if (a >= b) return;
        std::size_t start = a;
        ReducedToken op = 0;
        for (std::size_t i = a;; i = Next(i)) {
            if (i < b && !isCut(r_[i])) continue;
            (this->*lower)(start, std::min(i, b), out);
            if (op != 0) out.push_back(static_cast<uint8_t>(op));
            if (i >= b) break;
            op = r_[i];
            start = i + 1;
        }
    }

    const ReducedForm& r_;
    std::vector<std::size_t> match_;
};

}  // namespace

void TFormulaCompiler::CheckSyntax(const ReducedForm& reduced) {
    TokenClass before = kOpen;
    for (const ReducedToken t : reduced) {
        const TokenClass c = ClassOf(t);
        bool fault = c == kOther;
        switch (before) {
            case kOpen: fault |= c == kClose || c == kOperator; break;
            case kOperator: case kMinus: fault |= c == kClose || c == kOperator || c == kMinus; break;
            case kClose: case kConstant: case kVariable: fault |= c != kClose && c != kOperator; break;
            case kFunction: fault |= t != '('; break;
            default: break;
        }
        if (fault) throw VelmoraError(kSyntaxFaultMessage);
        before = c;
    }
    if (before != kClose && before != kConstant && before != kVariable) throw VelmoraError(kSyntaxFaultMessage);
}

void TFormulaCompiler::ExpandIntegerPowers(ReducedForm& r) const {
    // `out` is the form before the scan position, already rewritten; the base
    // of a power is at its end, the exponent still in `r`.
    ReducedForm out;
    out.reserve(r.size());
    std::size_t i = 0;
    while (i < r.size()) {
        if (r[i] != '^') {
            out.push_back(r[i++]);
            continue;
        }
        // Exponent [i+1, e): up to an operator of depth 0 or an unmatched ")".
        std::size_t e = i + 1;
        for (int depth = 0; e < r.size(); ++e) {
            const ReducedToken t = r[e];
            if (t == '(') {
                ++depth;
            } else if (t == ')') {
                if (depth == 0) break;
                --depth;
            } else if (depth == 0 && (IsAdditive(t) || IsMultiplicative(t) || t == '^')) {
                break;
            }
        }
        std::size_t a = i + 1, b = e;
        while (b - a >= 2 && r[a] == '(' && r[b - 1] == ')') {
            ++a;
            --b;
        }
        const bool negative = a < b && r[a] == '#';
        const std::size_t p = negative ? a + 1 : a;
        double value = 0.0;
        bool integer = false;
        if (b - p == 1) {
            if (r[p] == '1') {
                value = 1.0;
                integer = true;
            } else if (IsOperandToken(r[p]) && OperandKind(r[p]) == kTokenLiteral) {
                value = data[OperandIndex(r[p])];
                integer = value == std::floor(value);
            }
        }
        if (!integer) {
            out.push_back(r[i++]);
            continue;
        }
        // The exponent must be a 32-bit integer.
        if (value > (negative ? 2147483648.0 : 2147483647.0)) throw VelmoraError(kExponentTooLargeMessage);
        const int64_t n = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);

        // Base: back to an operator or "#" of depth 0, or an unmatched "(".
        std::size_t s = out.size();
        for (int depth = 0; s > 0; --s) {
            const ReducedToken t = out[s - 1];
            if (t == ')') {
                ++depth;
            } else if (t == '(') {
                if (depth == 0) break;
                --depth;
            } else if (depth == 0 && (IsAdditive(t) || IsMultiplicative(t) || t == '^' || t == '#')) {
                break;
            }
        }
        const ReducedForm base(out.begin() + static_cast<std::ptrdiff_t>(s), out.end());
        // A ";" is no operator of a formula: inside a base it would vanish
        // with it (u;v^0 would be 1) instead of being refused as elsewhere.
        if (std::find(base.begin(), base.end(), ReducedToken{';'}) != base.end())
            throw VelmoraError(kFailedAnalysisMessage);
        const std::size_t length = PowerProductLength(base.size(), n < 0 ? -n : n) + (n < 0 ? 6 : 2);
        if (s + length + (r.size() - e) > kMaxReducedTokens) throw VelmoraError(kFormulaTooLongMessage);
        out.resize(s);
        if (n >= 0) {
            out.push_back('(');
            AppendPowerProduct(out, base, n);
            out.push_back(')');
        } else {
            out.insert(out.end(), {'(', '1', '/', '('});
            AppendPowerProduct(out, base, -n);
            out.insert(out.end(), {')', ')'});
        }
        i = e;
    }
    r = std::move(out);
}

ByteArray TFormulaCompiler::ToPostfix(const ReducedForm& reduced) {
    ByteArray out;
    out.reserve(reduced.size() * 2);
    PostfixWriter(reduced).Sum(0, reduced.size(), out);
    return out;
}

int32_t TFormulaCompiler::DeepestStackLevel(const ByteArray& program) {
    int32_t depth = 0, deepest = 0;
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t t = program[i];
        if (t == kTokenPrefix || t == '1' || t == 'p') {
            ++depth;
            if (t == kTokenPrefix) i += 3;
        } else if (t == '+' || t == '-' || t == '*' || t == '/' || t == '^') {
            --depth;
        }
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

}  // namespace velmora

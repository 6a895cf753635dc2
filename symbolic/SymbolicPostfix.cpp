// Conversion of a reduced expression into a postfix program, level by level
// (sum, product, power, atom). Terms equal to 0 and factors equal to 1 are
// dropped, a factor 0 collapses its product, and every sub-program without
// variables or parameters is replaced by one constant token whose value is
// computed by compiling and running it.
#include "platform/Platform.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/SymbolicPartials.h"

#include <vector>

namespace velmora {

using namespace symbolic;

namespace {


bool IsPowerOperator(char c) { return c == '^' || c == '~'; }

}  // namespace

std::string TSymbolicPartials::PostfixSum(const std::string& s) {
    if (s.empty()) return "0";
    const std::vector<std::string> terms = SplitTopLevel(Unwrapped(s), '+');
    if (terms.size() == 1) return PostfixProduct(terms[0]);
    std::string result = PostfixProduct(terms[0]);
    if (result == "0") result.clear();
    for (std::size_t k = 1; k < terms.size(); ++k) {
        const std::string p = PostfixProduct(terms[k]);
        if (p == "0") continue;
        if (result.empty()) {
            result = p;
        } else {
            result += p;
            result += '+';
        }
    }
    FoldConstant(result);
    return result.empty() ? "0" : result;
}

std::string TSymbolicPartials::PostfixProduct(const std::string& s) {
    std::string result;
    if (std::string inner = StripParentheses(s); !inner.empty()) {
        result = PostfixSum(inner);
    } else {
        const std::vector<std::string> factors = SplitTopLevel(s, '*');
        if (factors.size() == 1) {
            result = FactorBA(s);
        } else {
            // F1*F2*...*Fn is F1 times the product of the rest, so the program is
            // F1 (F2 (... Fn *) *) * and trailing constant factors fold together.
            // The factors are converted left to right and stop at the first 0;
            // the products are then formed, and folded, from the right.
            std::vector<std::string> programs;
            programs.reserve(factors.size());
            for (const std::string& factor : factors) {
                programs.push_back(FactorBA(factor));
                if (programs.back() == "0") return "0";
            }
            result = programs.back();
            FoldConstant(result);
            for (std::size_t k = programs.size() - 1; k-- > 0;) {
                const std::string& a = programs[k];
                if (a == "1") {
                    // result unchanged
                } else if (result == "0") {
                    // stays 0
                } else if (result == "1") {
                    result = a;
                } else {
                    result = a + result + "*";
                }
                if (k > 0 && !result.empty()) FoldConstant(result);
            }
        }
    }
    if (!result.empty()) FoldConstant(result);
    return result.empty() ? "0" : result;
}

std::string TSymbolicPartials::FactorBA(const std::string& s) {
    if (std::string inner = StripParentheses(s); !inner.empty()) return PostfixSum(inner);
    const TopLevelStop stop = NextTopLevelOperator(s, 0, "^~");
    if (!IsPowerOperator(stop.op)) return AtomString(s);

    // The exponent is pushed first, the base last.
    const std::string a = AtomString(s.substr(0, stop.end));
    if (a == "0") return "0";
    const std::string exponent = s.substr(stop.end + 1);
    const char o = stop.op;
    if (exponent.size() >= 3) {
        if (IsPowerOperator(NextTopLevelOperator(exponent, 0, "^~").op)) throw VelmoraError(kMsgFactorBA);
        const std::string b = PostfixSum(exponent);
        if (b == "0") return "1";
        if (b == "1") return a;
        return b + a + o;
    }
    const std::string b = AtomString(exponent);
    if (a == "1") return "1";
    if (b == "0") return "1";
    if (b == "1") return a;
    return b + a + o;
}

std::string TSymbolicPartials::AtomString(const std::string& s) {
    if (std::string inner = StripParentheses(s); !inner.empty()) return PostfixSum(inner);
    std::string r;
    if (s == "0" || s == "1" || s == "p" || (s.size() == 2 && IsPrefix(Byte(s, 0)))) {
        r = s;
    } else if (!s.empty() && Byte(s, 0) >= 'A' && Byte(s, 0) <= 'Z') {
        if (s.size() < 3 || s[1] != '(' || s.back() != ')') throw VelmoraError(kMsgAssertion);
        if (Byte(s, 0) == Code(Fn::Integral)) throw VelmoraError(kMsgAtomString);
        r = PostfixSum(s.substr(2, s.size() - 3));
        r += s[0];
    } else {
        Beep(100, 100);
        r.assign(1, '0');
    }
    FoldConstant(r);
    return r;
}

void TSymbolicPartials::FoldConstant(std::string& r) {
    if (!reduceConsts || r.empty() || IsSingleToken(r) || ContainsVariableOrParameter(r)) return;
    const double x = ConstantValue(r);
    if (x == 1.0 || x == 0.0) {
        r.assign(1, x == 1.0 ? '1' : '0');
    } else {
        // Any equal constant already in the table is reused.
        for (int j = kFirstConstantSlot; j <= endFD; ++j) {
            if (data[j] == x) {
                r = Operand(j);
                return;
            }
        }
        r = Operand(AppendConstant(x));
    }
}

}  // namespace velmora

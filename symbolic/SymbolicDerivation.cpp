// Symbolic differentiation of a reduced expression by one variable. The
// derivative is again an encoded expression in the reduced alphabet, built by
// fixed templates; only the parts that are exactly "0" or "1" are simplified
// here, everything else is left to the postfix conversion.
#include "formula/FunctionCodes.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/SymbolicPartials.h"

namespace velmora {

using namespace symbolic;

namespace {

// Every text built here is bounded, so that a formula whose derivatives
// explode is refused before it exhausts memory.
std::string Bounded(std::string s) {
    if (s.size() > kMaxTextLength) throw VelmoraError(kMsgTooLarge);
    return s;
}

std::string Prod(const std::string& x, const std::string& y) {
    if (x == "0" || y == "0") return "0";
    if (x == "1" && y == "1") return "1";
    if (x == "1") return y;
    if (y == "1") return x;
    return Bounded("(" + x + ")*(" + y + ")");
}

std::string Sum(const std::string& x, const std::string& y) {
    if (x == "1" && y == "1") return Operand(kSlotTwo);
    return Bounded(x + "+" + y);
}


}  // namespace

std::string TSymbolicPartials::DeriveSum(const std::string& s, int v) const {
    if (s.empty()) return "0";
    if (std::string inner = StripParentheses(s); !inner.empty()) return DeriveSum(inner, v);
    std::string result;
    for (const std::string& term : SplitTopLevel(s, '+')) {
        const std::string d = DeriveProduct(term, v);
        if (d == "0") continue;
        if (!result.empty()) result += '+';
        result += d;
        if (result.size() > kMaxTextLength) throw VelmoraError(kMsgTooLarge);
    }
    return result.empty() ? "0" : result;
}

std::string TSymbolicPartials::DeriveProduct(const std::string& s, int v) const {
    if (s.empty()) throw VelmoraError(kMsgSyntax);
    if (std::string inner = StripParentheses(s); !inner.empty()) return DeriveSum(inner, v);
    const std::vector<std::string> factors = SplitTopLevel(s, '*');
    if (factors.size() == 1) return DerivePower(s, v);
    for (const std::string& factor : factors)
        if (factor.empty()) throw VelmoraError(kMsgSyntax);

    // P is the product so far, R its derivative.
    std::string p = factors[0];
    std::string r = DerivePower(p, v);
    for (std::size_t k = 1; k < factors.size(); ++k) {
        const std::string& f = factors[k];
        const std::string d = DerivePower(f, v);
        if (p == "0" || d == "0") {
            r = Prod(r, f);
        } else if (r == "0" || f == "0") {
            r = Prod(p, d);
        } else {
            r = Sum(Prod(r, f), Prod(p, d));
        }
        if (f == "0") {
            p = "0";
        } else if (f != "1") {
            p = Bounded("(" + f + ")*(" + p + ")");
        }
    }
    return r;
}

std::string TSymbolicPartials::DerivePower(const std::string& s, int v) const {
    if (std::string inner = StripParentheses(s); !inner.empty()) return DeriveSum(inner, v);
    const TopLevelStop stop = NextTopLevelOperator(s, 0, "^~");
    if (stop.op != '^' && stop.op != '~') return DeriveAtom(s, v);

    // (A^B)' = B A' A^(B-1) + B' ln(A) A^B, terms that vanish left out.
    const std::string a = s.substr(0, stop.end);
    const std::string o(1, stop.op);
    const std::string b = s.substr(stop.end + 1);
    const std::string da = DeriveAtom(a, v);
    const std::string db = DeriveSum(b, v);
    if (da == "0" && db == "0") return "0";

    std::string logTerm;  // B' ln(A) A^B
    if (db == "1") {
        logTerm = "F(" + a + ")*" + s;
    } else if (db != "0") {
        logTerm = "(" + db + ")*F(" + a + ")*" + s;
    }
    std::string powerTerm;  // B A' A^(B-1)
    if (da == "1") {
        powerTerm = "(" + b + ")*" + a + o + "(" + b + "+V(1))";
    } else if (da != "0") {
        powerTerm = "(" + b + ")*(" + da + ")*" + a + o + "(" + b + "+V(1))";
    }
    if (logTerm.empty()) return Bounded(powerTerm);
    if (powerTerm.empty()) return Bounded(logTerm);
    return Bounded(logTerm + "+" + powerTerm);
}

std::string TSymbolicPartials::DeriveAtom(const std::string& s, int v) const {
    if (std::string inner = StripParentheses(s); !inner.empty()) return DeriveSum(inner, v);
    if (s == "0") return "0";
    if (!s.empty() && Byte(s, 0) == kFunctionPrefix) throw VelmoraError(kMsgIntegrals);
    if (s.size() >= 3 && Byte(s, 0) >= 'A' && Byte(s, 0) <= 'Z' && s[1] == '(')
        return DeriveFunction(Byte(s, 0), s.substr(1), v);
    int k = 0;
    if (IsOperandToken(s, k)) return k == v ? "1" : "0";
    return "0";  // "1", "p"
}

std::string TSymbolicPartials::DeriveFunction(uint8_t letter, const std::string& arg, int v) const {
    const std::string g = Unwrapped(arg);
    const std::string dg = DeriveSum(g, v);
    if (dg == "0") return "0";
    const bool unit = dg == "1";
    // The general template multiplies by the inner derivative (chain rule);
    // the unit template is the same without that factor.
    auto chain = [&](const std::string& outer) { return unit ? outer : outer + "*(" + dg + ")"; };
    std::string d;
    switch (AsFn(letter)) {
        case Fn::Cos: d = chain("V(B(" + g + "))"); break;
        case Fn::Sin: d = chain("A(" + g + ")"); break;
        case Fn::Exp: d = chain("C(" + g + ")"); break;
        case Fn::Square: d = chain(Operand(kSlotTwo) + "*(" + g + ")"); break;
        case Fn::Sqrt: d = chain(Operand(kSlotHalf) + "*U(E(" + g + "))"); break;
        // 1/g where ln is not clamped, 0 where it is (g <= 0).
        case Fn::Ln: d = unit ? "Y(" + g + ")" : "(" + dg + ")*Y(" + g + ")"; break;
        case Fn::Tan: d = chain("(1+D(G(" + g + ")))"); break;
        case Fn::Sinh: d = chain("I(" + g + ")"); break;
        case Fn::Cosh: d = chain("H(" + g + ")"); break;
        case Fn::Tanh: d = chain("(1+V(D(J(" + g + "))))"); break;
        case Fn::ArcSin: d = unit ? "U(E(1+V(D(" + g + "))))" : "(" + dg + ")*U(E(1+V(D(" + g + "))))"; break;
        case Fn::ArcCos: d = unit ? "V(U(E(1+V(D(" + g + ")))))" : "V(" + dg + ")*U(E(1+V(D(" + g + "))))"; break;
        case Fn::ArcTan: d = unit ? "U(1+D(" + g + "))" : "(" + dg + ")*U(1+D(" + g + "))"; break;
        // sign(g), with 1 at g = 0.
        case Fn::Abs: d = chain("Z(" + g + ")"); break;
        // -(1 + cot^2 g) = -1/sin^2 g, and 0 where cot is clamped (sin g = 0).
        case Fn::Cot: d = unit ? "V(Y(D(B(" + g + "))))" : "V(" + dg + ")*Y(D(B(" + g + ")))"; break;
        // 1/sqrt((g - 1)(g + 1)) for g > 1, and 0 where arccosh is clamped.
        case Fn::ArcCosh: {
            const std::string root = "E(Y(" + g + "+V(1))*Y(" + g + "+1))";
            d = unit ? root : "(" + dg + ")*" + root;
            break;
        }
        // 1/(1 - g^2) for |g| < 1, and 0 where arctanh is clamped.
        case Fn::ArcTanh: d = unit ? "Y(1+V(D(" + g + ")))" : "(" + dg + ")*Y(1+V(D(" + g + ")))"; break;
        case Fn::ArcSinh: d = unit ? "U(E(1+D(" + g + ")))" : "(" + dg + ")*U(E(1+D(" + g + ")))"; break;
        case Fn::Reciprocal: d = unit ? "V(U(D(" + g + ")))" : "V(" + dg + ")*U(D(" + g + "))"; break;
        case Fn::ChangeSign: d = unit ? "V(1)" : "V(" + dg + ")"; break;
        case Fn::Cube: d = chain(Operand(kSlotThree) + "*D(" + g + ")"); break;
        case Fn::FourthPower: d = chain(Operand(kSlotFour) + "*W(" + g + ")"); break;
        case Fn::DerivativeOfLn: d = chain("V(D(Y(" + g + ")))"); break;  // -1/g^2 for g > 0, else 0
        default: d = "0"; break;  // S integral, T sign, Z and anything else
    }
    return Bounded(d);
}

}  // namespace velmora

// Rewriting of the encoded formula into the reduced alphabet. Powers are read
// as the formula language reads them: an integer literal exponent becomes a
// square, cube, fourth power or integer power "~" (values those of its product
// of squares), and every other power B^E is exp(E ln B) with that language's
// clamped exp and ln, a tower a^b^c being (a^b)^c. Subtraction, division and
// unary minus become sums and products with V (change of sign) and U
// (reciprocal).
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/SymbolicPartials.h"

#include <cmath>
#include <cstring>

namespace velmora {

using namespace symbolic;

namespace {

bool IsPower(char c) { return c == '^' || c == '~'; }

// The base of the power whose "^" is at index p: back to an operator or "#"
// of depth 0, or an unmatched "(".
std::size_t BaseStart(const std::string& s, std::size_t p) { return OperandStart(s, p - 1, "#*+-/^~"); }

// The end of the exponent of the power whose "^" is at index p: up to an
// operator of depth 0 or an unmatched ")".
std::size_t ExponentEnd(const std::string& s, std::size_t p) { return NextTopLevelOperator(s, p + 1, "*+-/^~").end; }

}  // namespace

std::string TSymbolicPartials::ConvertPowers(std::string s) {
    // Integer powers first, left to right: in a tower a^2^3 the first power is
    // the base of the second, in a^b^2 the exponent b^2 is one.
    for (std::size_t i = 0; i < s.size();) {
        if (IsPrefix(Byte(s, i))) {
            i += 2;
            continue;
        }
        double n = 0.0;
        const std::size_t end = s[i] == '^' && i > 0 ? ExponentEnd(s, i) : 0;
        if (end == 0 || !IntegerExponent(s.substr(i + 1, end - i - 1), n)) {
            ++i;
            continue;
        }
        if (!(n >= -2147483648.0 && n <= 2147483647.0)) throw VelmoraError(kMsgExponent);
        const std::size_t b = BaseStart(s, i);
        const std::string base = s.substr(b, i - b);
        std::string replacement;
        if (n == 0) {
            replacement = "1";
        } else if (n == 1) {
            replacement = base;
        } else if (n == 2) {
            replacement = "D(" + base + ")";
        } else if (n == 3) {
            replacement = "W(" + base + ")";
        } else if (n == 4) {
            replacement = "X(" + base + ")";
        } else {
            int j = kFirstConstantSlot;
            while (j <= endFD && data[j] != n) ++j;
            if (j > endFD) j = AppendConstant(n);
            replacement = base + "~" + Operand(j);
        }
        // Within a tower the result is one operand of the next power.
        if ((b > 0 && IsPower(s[b - 1])) || (end < s.size() && IsPower(s[end]))) replacement = "(" + replacement + ")";
        s.replace(b, end - b, replacement);
        i = b + replacement.size();
    }
    // Every other power B^E is exp(E ln B), the exponent pushed first. The
    // scan goes on inside the replacement, where powers in brackets remain,
    // and a power that follows takes the whole replacement as its base.
    for (std::size_t i = 0; i < s.size();) {
        if (IsPrefix(Byte(s, i))) {
            i += 2;
            continue;
        }
        if (s[i] != '^' || i == 0) {
            ++i;
            continue;
        }
        const std::size_t end = ExponentEnd(s, i);
        const std::size_t b = BaseStart(s, i);
        const std::string replacement =
            "C((" + s.substr(i + 1, end - i - 1) + ")*F(" + s.substr(b, i - b) + "))";
        s.replace(b, end - b, replacement);
        i = b;
    }
    return s;
}

bool TSymbolicPartials::IntegerExponent(const std::string& exponent, double& n) {
    // Whole bracket pairs around it aside, the exponent is one number token
    // (or "0", "1"), optionally after a unary minus, whose value is whole.
    std::string e = Unwrapped(exponent);
    const bool negative = !e.empty() && e.front() == '#';
    if (negative) e.erase(0, 1);
    double value = 0.0;
    int j = 0;
    if (e == "0" || e == "1") {
        value = e == "0" ? 0.0 : 1.0;
    } else if (IsOperandToken(e, j) && j >= kFirstConstantSlot) {
        value = data[j];
    } else {
        return false;  // a variable, a parameter, pi or an expression
    }
    if (value != std::trunc(value)) return false;
    n = negative ? -value : value;
    return true;
}

std::string TSymbolicPartials::ExpandMinusAndDivide(std::string s) {
    std::size_t p = 0;
    while (p < s.size()) {
        const uint8_t b = Byte(s, p);
        if (IsPrefix(b)) {
            p += 2;
            continue;
        }
        if (b != '#' && b != '-' && b != '/') {
            ++p;
            continue;
        }
        // The right operand reaches the next "*", "+", "-", "/" at its level.
        const TopLevelStop stop = NextTopLevelOperator(s, p + 1, "*+-/");
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(stop.end), ')');
        const char* replacement = b == '#' ? "V(" : (b == '-' ? "+V(" : "*U(");
        s.replace(p, 1, replacement);
        p += std::strlen(replacement);  // go on inside the operand
    }
    return s;
}

}  // namespace velmora

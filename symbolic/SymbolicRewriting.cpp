// Rewriting of the encoded formula into the reduced alphabet: powers become
// squares, cubes, fourth powers, integer powers "~" or the real power
// |B|^E cos((pi/2)(1 - sign B) E); subtraction, division and unary minus become
// sums and products with V (change of sign) and U (reciprocal).
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/FunctionAndPartDerivs_64.h"

#include <cmath>
#include <cstring>

namespace velmora {

using namespace symbolic;

namespace {

// Restores the folding switch when the exponent test is done.
class FoldingOff {
public:
    explicit FoldingOff(bool& flag) : flag_(flag), saved_(flag) { flag_ = false; }
    ~FoldingOff() { flag_ = saved_; }
    FoldingOff(const FoldingOff&) = delete;
    FoldingOff& operator=(const FoldingOff&) = delete;

private:
    bool& flag_;
    bool saved_;
};

}  // namespace

std::string TFunctionAndPartDerivs_64::ConvertPowers(std::string s) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (IsPrefix(Byte(s, i))) {
            i += 2;
            continue;
        }
        if (s[i] != '^' || i == 0 || i + 1 >= s.size()) {
            ++i;
            continue;
        }
        // Exponent: a tower a^b^c is one power with the exponent b*c.
        std::string exponent;
        int towerSize = 0;
        std::size_t start = i + 1;
        TopLevelStop stop{};
        for (;;) {
            stop = NextTopLevelOperator(s, start, "*+-/^~");
            if (towerSize > 0) exponent += '*';
            exponent += s.substr(start, stop.end - start);
            ++towerSize;
            if ((stop.op != '^' && stop.op != '~') || stop.end == s.size()) break;
            start = stop.end + 1;
        }
        const std::size_t end = stop.end;
        const std::size_t b = OperandStart(s, i - 1, "#*+-/^~");
        const std::string base = s.substr(b, i - b);

        // Powers inside the exponent are rewritten first, so that every "^"
        // left in the result has an absolute value as its base.
        exponent = ConvertPowers(exponent);

        std::string replacement;
        double n = 0.0;
        if (IntegerExponent(exponent, n)) {
            if (b > 0 && (s[b - 1] == '^' || s[b - 1] == '~')) throw VelmoraError(kMsgConvertPowers);
            if (!(std::fabs(n) <= 2147483647.0)) throw VelmoraError(kMsgExponent);
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
        } else {
            // B^E = |B|^E cos((pi/2)(1 - sign B) E): B^E for B > 0, and the real
            // part |B|^E cos(pi E) of the principal value for B < 0.
            const std::string powerExponent = towerSize > 1 ? "(" + exponent + ")" : exponent;
            replacement = "N(" + base + ")^" + powerExponent + "*A(" + Operand(kSlotHalfPi) + "*(1+V(T(" + base +
                          ")))*" + exponent + ")";
        }
        s.replace(b, end - b, replacement);
        i = b + replacement.size();
    }
    return s;
}

bool TFunctionAndPartDerivs_64::IntegerExponent(const std::string& exponent, double& n) {
    const std::string e = Unwrapped(exponent);
    if (e == "0" || e == "1") {
        n = e == "0" ? 0.0 : 1.0;
        return true;
    }
    int j = 0;
    if (IsOperandToken(e, j)) {
        if (j < kFirstConstantSlot) return false;  // a variable or a parameter
        n = data[j];
        return n == std::trunc(n);
    }
    if (ContainsVariableOrParameter(exponent)) return false;
    double x = 0.0;
    {
        FoldingOff noFolding(reduceConsts);
        x = ConstantValue(PostfixSum(ExpandMinusAndDivide(exponent)));
    }
    n = x;
    return x == std::trunc(x);
}

std::string TFunctionAndPartDerivs_64::ExpandMinusAndDivide(std::string s) {
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

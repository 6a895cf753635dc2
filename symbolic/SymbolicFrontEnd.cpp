// From the typed text to the validated encoded formula: upper-casing and
// normalisation, tokenising (numbers, names, implicit products), encoding of
// the variables and the syntax check.
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/SymbolicPartials.h"

#include <charconv>
#include <string_view>

namespace velmora {

using namespace symbolic;

namespace {

constexpr std::string_view kSixOperators = "*+-/^~";
constexpr std::string_view kAfterNoProduct = "#(*+-/;^~";  // no implicit product after these

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(uint8_t c) { return c >= 'A' && c <= 'Z'; }
bool IsSeparator(uint8_t c) { return c == '\'' || c == ',' || c == '.'; }
bool In(std::string_view set, uint8_t c) { return set.find(static_cast<char>(c)) != std::string_view::npos; }

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Whether the last character before index i that is not a blank is a digit.
bool LastNonBlankIsDigit(const std::string& s, std::size_t i) {
    while (i > 0 && IsBlank(Byte(s, i - 1))) --i;
    return i > 0 && IsDigit(Byte(s, i - 1));
}

// Whether the number starting at index i is the base of a power ("2^u").
bool NumberIsPowerBase(const std::string& s, std::size_t i) {
    while (i < s.size() && (IsDigit(Byte(s, i)) || IsSeparator(Byte(s, i)))) ++i;
    return i < s.size() && s[i] == '^';
}

// Upper case of a text of the formula language; a character the language
// does not know is refused, as the formula parser refuses it (an encoded
// operand byte included: typed text never carries one).
// True when the pluses and blanks from s[i] on are followed by an operand or a
// minus.
bool SignsBeforeOperand(const std::string& s, std::size_t i) {
    while (i < s.size() && (s[i] == '+' || IsBlank(static_cast<uint8_t>(s[i])))) ++i;
    if (i == s.size()) return false;
    const auto c = static_cast<uint8_t>(s[i]);
    return IsDigit(c) || IsLetter(c) || IsSeparator(c) || In("([{-", c);
}

std::string UpperCase(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (!IsFormulaCharacter(c)) throw VelmoraError(kMsgIllegal);
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace

std::string TSymbolicPartials::NormalizeText(const std::string& s) const {
    std::string out;
    out.reserve(s.size());
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t c = Byte(s, i);
        switch (c) {
            case '\t': case '\n': case '\r': case ' ':
                // Blanks vanish, except that a space right before a digit whose
                // last non-blank predecessor is a digit is a product: "2 3" is
                // 2*3, while "2" tab "3" is 23.
                if (c == ' ' && i + 1 < n && IsDigit(Byte(s, i + 1)) && LastNonBlankIsDigit(s, i)) out += '*';
                continue;
            case '[': case '{':
                out += '(';
                continue;
            case ']': case '}':
                // An empty bracket pair vanishes.
                if (!out.empty() && out.back() == '(' &&
                    !(out.size() >= 2 && IsPrefix(static_cast<uint8_t>(out[out.size() - 2]))))
                    out.pop_back();
                else
                    out += ')';
                continue;
            case '\\':
                out += '/';
                continue;
            default:
                break;
        }
        // Pluses at the start or after an opening bracket are no operators:
        // before an operand or a minus any number of them vanish, as in the
        // formula language ("+++v" is v); alone they stay, and are refused.
        if (c == '+' && (out.empty() || out.back() == '(') && SignsBeforeOperand(s, i)) continue;
        if (c == '-' && (i == 0 || s[i - 1] == '(')) {
            out += '#';
            continue;
        }
        if (In(kSixOperators, c) && i + 1 < n && In(kSixOperators, Byte(s, i + 1))) {
            if (i + 2 < n && In(kSixOperators, Byte(s, i + 2))) throw VelmoraError(kMsgBadSequence);
            const std::string_view replacement = OperatorPair(s[i], s[i + 1]);
            if (replacement.empty()) throw VelmoraError(kMsgBadSequence);
            out += replacement;
            ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

void TSymbolicPartials::Tokenize() {
    rawText = NormalizeText(UpperCase(rawText));
    if (rawText.empty()) throw VelmoraError(kMsgEmpty);

    const std::string& s = rawText;
    const std::size_t n = s.size();
    uFormula.clear();
    char prev = '(';
    depth = 0;
    auto implicitProduct = [&] {
        if (!In(kAfterNoProduct, static_cast<uint8_t>(prev))) uFormula += '*';
    };

    std::size_t i = 0;
    while (i < n && depth >= 0) {
        const uint8_t c = Byte(s, i);
        if (c == '#') {
            // A negative number, unless the number is the base of a power:
            // -2^2 is -(2^2).
            if (i + 1 < n && IsDigit(Byte(s, i + 1)) && !NumberIsPowerBase(s, i + 1)) {
                ReadNumber(i, prev);
            } else {
                uFormula += '#';
                prev = '#';
                ++i;
            }
        } else if (IsSeparator(c)) {
            throw VelmoraError(kMsgNumber);  // a decimal separator outside a number
        } else if (c == '(') {
            implicitProduct();
            uFormula += '(';
            prev = '(';
            ++depth;
            ++i;
        } else if (c == ')') {
            if (In("(*+-/;^~", static_cast<uint8_t>(prev))) throw VelmoraError(kMsgSyntax);
            uFormula += ')';
            prev = ')';
            --depth;
            ++i;
        } else if (c == ';') {
            uFormula += ';';
            prev = ';';
            ++i;
        } else if (In("*+-/^", c)) {
            // A pair of operators stands for one (or for an operator and a
            // sign), which then follows the rules of a single one: "(+ -u)"
            // is -u and "+ +2" is 2, as the formula language reads them.
            std::string_view ops = std::string_view(s).substr(i, 1);
            std::size_t width = 1;
            if (i + 1 < n && In(kSixOperators, Byte(s, i + 1))) {
                if (i + 2 < n && In(kSixOperators, Byte(s, i + 2))) throw VelmoraError(kMsgBadSequence);
                ops = OperatorPair(s[i], s[i + 1]);
                if (ops.empty()) throw VelmoraError(kMsgBadSequence);
                width = 2;
            }
            const bool atEnd = i + width == n;
            for (const char op : ops) {
                switch (op) {
                    case '*': case '/':
                        if (prev == '(' || prev == ';') throw VelmoraError(kMsgSyntax);
                        uFormula += op;
                        prev = op;
                        break;
                    case '+':
                        if (!In("(*+-/;^~", static_cast<uint8_t>(prev))) {
                            uFormula += '+';
                            prev = '+';
                        }  // otherwise a unary plus, dropped
                        break;
                    case '-':
                        prev = (prev == '(') ? '#' : '-';
                        uFormula += prev;
                        break;
                    case '#':  // the sign of what follows an operator
                        uFormula += '#';
                        prev = '#';
                        break;
                    default:  // '^'
                        if (atEnd || prev == '(' || prev == ';') throw VelmoraError(kMsgSyntax);
                        uFormula += '^';
                        prev = '^';
                        break;
                }
            }
            i += width;
        } else if (IsDigit(c)) {
            implicitProduct();
            if (c == '1' && i + 1 < n && !IsDigit(Byte(s, i + 1)) && !IsSeparator(Byte(s, i + 1))) {
                uFormula += '1';
                prev = '1';
                ++i;
            } else {
                ReadNumber(i, prev);
            }
        } else if (IsLetter(c)) {
            implicitProduct();
            const std::string name = ReadName(i);
            uFormula += name;
            if (!name.empty()) prev = name.back();
        } else {
            throw VelmoraError(kMsgIllegal);  // UpperCase has let no other character through
        }
    }

    // A trailing operator is dropped ("u+" is u).
    if (!uFormula.empty()) {
        const std::size_t last = uFormula.size() - 1;
        const bool secondByte = last >= 1 && IsPrefix(static_cast<uint8_t>(uFormula[last - 1]));
        if (!secondByte && In("*+-/;^~", static_cast<uint8_t>(uFormula[last]))) uFormula.pop_back();
    }
    if (depth != 0) throw VelmoraError(kMsgParentheses);
}

void TSymbolicPartials::ReadNumber(std::size_t& i, char& prev) {
    const std::string& s = rawText;
    const std::size_t n = s.size();
    std::string text;
    if (s[i] == '#') {
        text = "-";
        ++i;
    }
    bool separator = false;
    while (i < n) {
        const uint8_t c = Byte(s, i);
        if (IsDigit(c)) {
            text += static_cast<char>(c);
        } else if (IsSeparator(c)) {
            if (separator) throw VelmoraError(kMsgNumber);
            separator = true;
            text += '.';
        } else {
            break;
        }
        ++i;
    }
    prev = '1';
    if (i == n && text.back() == '.') {
        // Ends the text right after a separator: left as written (and refused later).
        uFormula += text;
        return;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) throw VelmoraError(kMsgNumber);
    if (value == 0.0) {
        uFormula += '0';
    } else if (value == 1.0) {
        uFormula += '1';
    } else {
        // Only the predefined constants are shared; every other number takes a new slot.
        for (int k = kFirstConstantSlot; k <= kLastPredefinedSlot; ++k) {
            if (data[k] == value) {
                uFormula += Operand(k);
                return;
            }
        }
        uFormula += Operand(AppendConstant(value));
    }
}

std::string TSymbolicPartials::ReadName(std::size_t& i) {
    const std::string& s = rawText;
    const std::size_t n = s.size();
    std::string word;
    while (i < n) {
        const uint8_t c = Byte(s, i);
        if (c == 'P') {
            if (i + 1 == n) {
                word += 'P';
                ++i;
                return LettersToVariables(word);
            }
            if (s[i + 1] == 'I') {
                if (i + 2 < n && s[i + 2] == 'N') {
                    word += "PIN";
                    i += 3;
                    continue;
                }
                // "PI" is the constant pi.
                i += 2;
                if (word.empty()) return "p";
                return LettersToVariables(word) + "*p";
            }
            word += 'P';
            ++i;
        } else if (IsLetter(c)) {
            word += static_cast<char>(c);
            ++i;
        } else if (c == '(') {
            ++i;
            ++depth;
            return ResolveFunctionName(word);
        } else {
            break;
        }
    }
    return LettersToVariables(word);
}

std::string TSymbolicPartials::ResolveFunctionName(const std::string& letters) {
    // The longest suffix that is a function name wins: "UCH(" is u*cosh(.
    const std::size_t n = letters.size();
    if (n >= 2) {
        for (std::size_t i = 0; i + 2 <= n; ++i) {
            const uint8_t code = FunctionCode(std::string_view(letters).substr(i));
            if (code == '?') continue;
            if (code == Code(Fn::Integral)) throw VelmoraError(kMsgIntegrals);
            std::string call{static_cast<char>(kFunctionPrefix), static_cast<char>(code), '('};
            if (i == 0) return call;
            return LettersToVariables(letters.substr(0, i)) + "*" + call;
        }
    }
    return LettersToVariables(letters) + "*(";
}

std::string TSymbolicPartials::LettersToVariables(const std::string& letters) {
    std::string out;
    for (char c : letters) {
        if (allVars.find(c) == std::string::npos) throw VelmoraError(kMsgIllegal);
        usedVarsAndParams.set(static_cast<uint8_t>(c));
        if (!out.empty()) out += '*';
        out += c;
    }
    return out;
}

void TSymbolicPartials::EncodeVariables() {
    const std::string& s = uFormula;
    uReduced.clear();
    for (std::size_t i = 0; i < s.size();) {
        const uint8_t c = Byte(s, i);
        if (c == kFunctionPrefix) {
            if (i + 1 >= s.size()) throw VelmoraError(kMsgIllegal);
            if (Byte(s, i + 1) == Code(Fn::Integral)) throw VelmoraError(kMsgIntegrals);
            uReduced += s[i + 1];
            i += 2;
        } else if (c == kOperandPrefix) {
            uReduced += s.substr(i, 2);
            i += 2;
        } else if (const auto p = allVars.find(static_cast<char>(c)); IsLetter(c) && p != std::string::npos) {
            const int position = static_cast<int>(p) + 1;
            uReduced += Operand(position <= argNum ? position : position - argNum + 11);
            ++i;
        } else if (In("#()*+-/01^p", c)) {
            uReduced += static_cast<char>(c);
            ++i;
        } else {
            throw VelmoraError(kMsgIllegal);
        }
    }
}

int TSymbolicPartials::CheckSyntax(const std::string& s) {
    if (s.empty()) return 1;  // "Formula reduces to nothing"
    auto classOf = [&](std::size_t i) -> int {
        const uint8_t b = Byte(s, i);
        if (IsPrefix(b)) return 4;
        if (b == '(') return 0;
        if (b == ')') return 1;
        if (In("*+-/;^", b)) return 2;
        if (b == '#') return 3;
        if (b == '0' || b == '1' || b == 'p') return 4;
        if (b >= 'q' && b <= 'z') return 5;
        if (IsLetter(b)) return 6;
        return 7;
    };
    // Allowed successors of each class, as bit sets of classes.
    constexpr int allowed[7] = {
        0b1111001,  // "(" and the start: ( # operand lower letter
        0b0000110,  // ")": ) operator
        0b1110001,  // operator: ( operand lower upper
        0b1110001,  // "#"
        0b0000110,  // operand: ) operator
        0b0000110,  // lower-case letter
        0b0000001,  // function letter: (
    };
    int previous = 0;
    for (std::size_t i = 0; i < s.size(); i += TokenLength(s, i)) {
        const int c = classOf(i);
        if (c == 7 || !(allowed[previous] & (1 << c))) return 2;
        previous = c;
    }
    return (allowed[previous] & (1 << 1)) ? 0 : 2;  // as if a ")" followed
}

}  // namespace velmora

// Normalisation of the typed text and its reduction to tokens: numbers become
// table slots, names become functions, variables, parameters and pi, and the
// implicit products of the written form become explicit.
#include "formula/FormulaCompiler.h"

#include "platform/VelmoraError.h"

#include <algorithm>
#include <charconv>

namespace velmora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// Value of a decimal numeral without exponent ("123", "0.25"). A numeral too
// large for a double is refused; one too small for it is zero.
double NumeralValue(const std::string& text) {
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        const bool hasIntegerPart = std::any_of(first, std::find(first, last, '.'), [](char c) { return c != '0'; });
        if (hasIntegerPart) throw VelmoraError(kNumberTooLargeMessage);
        return 0.0;
    }
    if (ec != std::errc() || ptr != last) throw VelmoraError(kMiswrittenNumberMessage);
    return value;
}

}  // namespace

void TFormulaCompiler::NormalizeText() {
    for (char& c : rawText)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (rawText.empty()) throw VelmoraError(kEmptyFieldMessage);

    std::string out;
    out.reserve(rawText.size() * 2);
    int depth = 0;
    char source = '(';   // last emitted character
    char previous = '(';  // previous character of the text
    auto emit = [&](char c) {
        out.push_back(c);
        source = c;
    };
    for (const char c : rawText) {
        switch (c) {
            case '\'': case ',': case '.': emit('.'); break;
            case '(': case '[': case '{':
                if (source == ')' || IsDigit(source)) emit('*');
                emit('(');
                ++depth;
                break;
            case ')': case ']': case '}':
                emit(')');
                --depth;
                break;
            case '*':
                if (source == '*') {  // "**" is the power sign
                    out.back() = '^';
                    source = '^';
                } else {
                    emit('*');
                }
                break;
            case '+':
                if (source != '(') emit('+');
                break;
            case '-': emit(source == '(' ? '#' : '-'); break;
            case '/': case '\\': emit('/'); break;
            case ';': case '^': emit(c); break;
            case ' ': case '\t': case '\n': case '\r': break;
            default:
                if (!IsFormulaCharacter(c)) throw VelmoraError(kIllegalCharacterMessage);
                if (IsDigit(c)) {
                    if (source == ')' || IsLetter(source) || (IsDigit(source) && previous == ' ')) emit('*');
                    emit(c);
                } else {  // a letter: IsFormulaCharacter has let nothing else through
                    if (source == ')' || IsDigit(source) || (IsLetter(source) && previous == ' ')) emit('*');
                    emit(c);
                }
        }
        previous = c;
        if (depth < 0) break;
    }
    if (depth != 0) throw VelmoraError(kParenthesesMessage);
    uFormula = std::move(out);
}

ReducedForm TFormulaCompiler::ReduceFormula(bool allowIntegrals) {
    const std::string& s = uFormula;
    const std::size_t n = s.size();
    ReducedForm reduced;
    reduced.reserve(6 * n);

    std::size_t i = 0;
    while (i < n) {
        const char c = s[i];
        if (c == '.') throw VelmoraError(kMiswrittenNumberMessage);

        if (IsDigit(c)) {
            // Digits with at most one inner decimal point.
            const std::size_t start = i;
            bool point = false;
            for (; i < n && (IsDigit(s[i]) || s[i] == '.'); ++i) {
                if (s[i] == '.') {
                    if (point) throw VelmoraError(kMiswrittenNumberMessage);
                    point = true;
                }
            }
            if (s[i - 1] == '.') throw VelmoraError(kMiswrittenNumberMessage);
            const double value = NumeralValue(s.substr(start, i - start));
            if (value == 1.0) {
                reduced.push_back('1');
                continue;
            }
            // Each literal gets its own slot, in order of appearance.
            if (endFD + 1 >= kMaxDataSlots) throw VelmoraError(kFormulaTooLongMessage);
            ++endFD;
            if (endFD >= data.size()) data.resize(static_cast<std::size_t>(endFD) + 16);
            data[endFD] = value;
            reduced.push_back(MakeOperandToken(kTokenLiteral, endFD));
            continue;
        }

        if (!IsLetter(c)) {
            reduced.push_back(static_cast<uint8_t>(c));
            ++i;
            continue;
        }

        // A name: the longest run of letters.
        const std::size_t start = i;
        while (i < n && IsLetter(s[i])) ++i;
        const std::size_t end = i;
        const bool followed = i < n && s[i] == '(';

        // A function name may end the run; the letters before it multiply it.
        uint8_t function = 0;
        std::size_t lettersEnd = end;
        if (followed && end - start > 1) {
            for (std::size_t k = start; k < end; ++k) {
                const uint8_t code = FunctionCode(s.substr(k, end - k));
                if (code == '?') continue;
                if (code == Code(Fn::Integral) && !allowIntegrals) throw VelmoraError(kIntegralsMessage);
                function = code;
                lettersEnd = k;
                break;
            }
        }

        // The other letters, read from the right: variables, parameters and pi.
        ReducedForm factors;
        std::size_t j = lettersEnd;
        while (j > start) {
            const char letter = s[j - 1];
            if (letter == 'I' && j - 1 > start && s[j - 2] == 'P') {
                factors.push_back('p');
                j -= 2;
                continue;
            }
            const std::size_t pos = allVars.find(letter);
            if (pos == std::string::npos)
                throw VelmoraError(j == lettersEnd ? kMisspelledMessage : kSyntaxFaultMessage);
            const auto position = static_cast<int>(pos) + 1;
            factors.push_back(position <= argNum
                                  ? MakeOperandToken(kTokenVariable, static_cast<uint16_t>(position))
                                  : MakeOperandToken(kTokenParameter, static_cast<uint16_t>(5 + position - argNum)));
            --j;
        }
        for (auto f = factors.rbegin(); f != factors.rend(); ++f) {
            if (f != factors.rbegin()) reduced.push_back('*');
            reduced.push_back(*f);
        }
        if (function != 0) {
            if (!factors.empty()) reduced.push_back('*');
            reduced.push_back(function);
        } else if (followed) {
            // A bracket after variables or pi multiplies them.
            reduced.push_back('*');
        }
    }
    if (reduced.size() > kMaxReducedTokens) throw VelmoraError(kFormulaTooLongMessage);
    return reduced;
}

}  // namespace velmora

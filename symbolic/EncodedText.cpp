#include "symbolic/EncodedText.h"

#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <algorithm>
#include <array>

namespace velmora::symbolic {

namespace {

// The letters A to S are spelled as in the formula language of the coordinate
// formulas (its table is searched first); this engine adds T to X.
constexpr std::array<WrittenFunction, 6> extraFunctionNames{{
    {"SGN", Code(Fn::Sign)},
    {"SIGN", Code(Fn::Sign)},
    {"INV", Code(Fn::Reciprocal)},
    {"CHS", Code(Fn::ChangeSign)},
    {"CUBE", Code(Fn::Cube)},
    {"QUAD", Code(Fn::FourthPower)},
}};

struct OperatorPairEntry {
    char first, second;
    const char* replacement;
};

constexpr std::array<OperatorPairEntry, 11> operatorPairs{{
    {'+', '+', "+"},
    {'+', '-', "-"},
    {'-', '+', "-"},
    {'-', '-', "+"},
    {'*', '+', "*"},
    {'*', '-', "*#"},
    {'*', '*', "^"},
    {'/', '+', "/"},
    {'/', '-', "/#"},
    {'^', '+', "^"},
    {'^', '-', "^#"},
}};

bool InSet(std::string_view set, uint8_t b) { return set.find(static_cast<char>(b)) != std::string_view::npos; }

// True when byte i is the second half of a two-byte token.
bool IsSecondByte(const std::string& s, std::size_t i) { return i >= 1 && IsPrefix(Byte(s, i - 1)); }

}  // namespace

uint8_t FunctionCode(std::string_view name) {
    const uint8_t shared = TFormulaCompiler::FunctionCode(std::string(name));
    if (shared != '?') return shared;
    for (const auto& entry : extraFunctionNames)
        if (name == entry.t) return entry.by;
    return '?';
}

std::string_view OperatorPair(char first, char second) {
    for (const auto& entry : operatorPairs)
        if (entry.first == first && entry.second == second) return entry.replacement;
    return {};
}

bool ContainsVariableOrParameter(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); i += TokenLength(s, i))
        if (Byte(s, i) == kOperandPrefix && i + 1 < s.size() && Byte(s, i + 1) < kFirstConstantSlot) return true;
    return false;
}

std::string StripParentheses(const std::string& s) {
    int d = 0;
    int m = -1;  // smallest depth of a token other than a parenthesis
    for (std::size_t i = 0; i < s.size(); i += TokenLength(s, i)) {
        const uint8_t b = Byte(s, i);
        if (b == '(') {
            ++d;
        } else if (b == ')') {
            --d;
        } else {
            if (m < 0 || d < m) m = d;
            if (m == 0) return {};
        }
    }
    if (m <= 0 || s.size() < 2 * static_cast<std::size_t>(m)) return {};
    const std::size_t n = s.size();
    for (std::size_t j = 0; j < static_cast<std::size_t>(m); ++j) {
        if (s[j] != '(' || s[n - 1 - j] != ')' || IsSecondByte(s, n - 1 - j)) return {};
    }
    return s.substr(m, n - 2 * m);
}

TopLevelStop NextTopLevelOperator(const std::string& s, std::size_t from, std::string_view set) {
    int d = 0;
    std::size_t i = from;
    while (i < s.size()) {
        const uint8_t b = Byte(s, i);
        if (IsPrefix(b)) {
            i += 2;
            continue;
        }
        if (b == '(') {
            ++d;
        } else if (b == ')') {
            if (d == 0) return {i, ')'};
            --d;
        } else if (d == 0 && InSet(set, b)) {
            return {i, static_cast<char>(b)};
        }
        ++i;
    }
    return {s.size(), '?'};
}

std::size_t OperandStart(const std::string& s, std::size_t last, std::string_view set) {
    int d = 0;
    std::ptrdiff_t i = static_cast<std::ptrdiff_t>(last);
    while (i >= 0) {
        if (IsSecondByte(s, static_cast<std::size_t>(i))) {
            i -= 2;
            continue;
        }
        const uint8_t b = Byte(s, static_cast<std::size_t>(i));
        if (b == ')') {
            ++d;
        } else if (b == '(') {
            if (d == 0) return static_cast<std::size_t>(i) + 1;
            --d;
        } else if (d == 0 && InSet(set, b)) {
            return static_cast<std::size_t>(i) + 1;
        }
        --i;
    }
    return 0;
}

std::vector<std::string> SplitTopLevel(const std::string& s, char op) {
    std::vector<std::string> parts;
    const char set[2] = {op, '\0'};
    std::size_t start = 0;
    for (;;) {
        const TopLevelStop stop = NextTopLevelOperator(s, start, std::string_view(set, 1));
        parts.push_back(s.substr(start, stop.end - start));
        if (stop.op != op) break;
        start = stop.end + 1;
    }
    return parts;
}

int NestingDepth(const std::string& s) {
    int d = 0, maxDepth = 0;
    for (std::size_t i = 0; i < s.size(); i += TokenLength(s, i)) {
        const uint8_t b = Byte(s, i);
        if (b == '(') maxDepth = std::max(maxDepth, ++d);
        else if (b == ')') --d;
    }
    return maxDepth;
}

void CheckTextLimits(const std::string& s) {
    if (s.size() > kMaxTextLength) throw VelmoraError(kMsgTooLarge);
    if (NestingDepth(s) > kMaxNesting) throw VelmoraError(kMsgTooDeep);
}

}  // namespace velmora::symbolic

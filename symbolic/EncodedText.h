// The encoded text of the symbolic engine: tokens, the tables of names and
// operator pairs, the scanning operations shared by the rewriting, the
// derivation and the postfix conversion, and the engine's messages.
//
// Positions are 0-based. A two-byte token starts with 0xFF (operand) or 0xFE
// (function name in the tokenised text); its second byte is never 0xFF or 0xFE
// (operand numbers stop at 253), so a byte preceded by 0xFF or 0xFE is always
// the second half of a token, also when scanning backwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::symbolic {

inline constexpr uint8_t kOperandPrefix = 0xFF;
inline constexpr uint8_t kFunctionPrefix = 0xFE;

// Slots of the constant table.
// Slots 0 to 5 are the clamp values of the formula language: -230, 1e100,
// -1e100, 1e-100, -1e-100, 230.
inline constexpr int kSlotLn = 5;          // 230: ln x = -230 for x <= 0
inline constexpr int kSlotHalfPi = 6;      // pi/2
inline constexpr int kFirstParameterSlot = 12;
inline constexpr int kFirstConstantSlot = 23;  // 1..5, -1..-5, 1/2..1/5, -1/2..-1/5
inline constexpr int kLastPredefinedSlot = 40;
inline constexpr int kLastSlot = 253;
inline constexpr int kSlotTwo = 24, kSlotThree = 25, kSlotFour = 26, kSlotHalf = 33;

// Messages of the engine.
inline constexpr const char* kMsgVariableRange = "The allowed variables must be in the range 'p' to 'z'.";
inline constexpr const char* kMsgEmpty = "Some field may be empty";
inline constexpr const char* kMsgBadSequence = "Bad sequence of + - * / ^";
inline constexpr const char* kMsgSyntax = "There is a syntax fault in the formula.";
inline constexpr const char* kMsgNumber = "A number is miswritten.";
inline constexpr const char* kMsgIllegal = "You have used an illegal character.";
inline constexpr const char* kMsgIntegrals = "No integrals allowed";
inline constexpr const char* kMsgParentheses = "Check the parentheses, please.";
inline constexpr const char* kMsgConvertPowers = "In convert powers";
inline constexpr const char* kMsgFactorBA = "In FactorBA";
inline constexpr const char* kMsgAssertion = "Assertion failure";
inline constexpr const char* kMsgAtomString = "AtomString";
// Limits of this implementation.
inline constexpr const char* kMsgTooManyConstants = "The formula and its derivatives need more than 213 constants.";
inline constexpr const char* kMsgTooLarge = "The derivatives of this formula grow too large to be compiled.";
inline constexpr const char* kMsgTooDeep = "The formula is nested too deeply.";
inline constexpr const char* kMsgExponent = "An integer exponent must lie between -2147483647 and 2147483647.";

// A derivative text (or reduced formula) may hold at most this many bytes and
// nest parentheses at most this deep; the derivation and the conversion to
// postfix recurse along the nesting.
inline constexpr std::size_t kMaxTextLength = 1u << 18;  // 256 KiB
inline constexpr int kMaxNesting = 300;

// The token {k}.
inline std::string Operand(int k) {
    return std::string{static_cast<char>(kOperandPrefix), static_cast<char>(k)};
}

inline uint8_t Byte(const std::string& s, std::size_t i) { return static_cast<uint8_t>(s[i]); }
inline bool IsPrefix(uint8_t b) { return b == kOperandPrefix || b == kFunctionPrefix; }
// Length of the token starting at i (1 or 2).
inline std::size_t TokenLength(const std::string& s, std::size_t i) {
    return (IsPrefix(Byte(s, i)) && i + 1 < s.size()) ? 2 : 1;
}
// True when s is exactly one token.
inline bool IsSingleToken(const std::string& s) {
    return s.size() == 1 || (s.size() == 2 && IsPrefix(Byte(s, 0)));
}
// True when s is exactly the operand token {k} (sets k).
inline bool IsOperandToken(const std::string& s, int& k) {
    if (s.size() != 2 || Byte(s, 0) != kOperandPrefix) return false;
    k = Byte(s, 1);
    return true;
}
// True when s holds an operand token {k} with k < 23 (a variable or a parameter).
bool ContainsVariableOrParameter(const std::string& s);

// Letter code of a written function name ("COS" -> 'A'), '?' when unknown.
uint8_t FunctionCode(std::string_view name);
// Replacement of two adjacent operators, empty when the pair is not allowed.
std::string_view OperatorPair(char first, char second);

// Let m be the smallest parenthesis depth of the tokens of s other than "("
// and ")": when m > 0, s without its m enclosing pairs, else "" (s is not
// enclosed).
std::string StripParentheses(const std::string& s);
// StripParentheses(s), or s itself when that is empty.
inline std::string Unwrapped(const std::string& s) {
    std::string inner = StripParentheses(s);
    return inner.empty() ? s : inner;
}

struct TopLevelStop {
    std::size_t end;  // index of the character found (end of the operand); s.size() at the end
    char op;          // the character of the set, ')' for an unmatched ")", '?' at the end
};
// Scans from `from` for the first character of `set` at depth 0, or a ")"
// that closes a group opened before `from`.
TopLevelStop NextTopLevelOperator(const std::string& s, std::size_t from, std::string_view set);
// Scans backwards from index `last` (the last byte of an operand) to a
// character of `set` at depth 0 or an unmatched "("; returns the index just
// after it, or 0.
std::size_t OperandStart(const std::string& s, std::size_t last, std::string_view set);

// The pieces of s between its top-level occurrences of `op`.
std::vector<std::string> SplitTopLevel(const std::string& s, char op);

// Greatest parenthesis depth of s.
int NestingDepth(const std::string& s);
// Throws kMsgTooLarge / kMsgTooDeep when a text exceeds the limits above.
void CheckTextLimits(const std::string& s);

}  // namespace velmora::symbolic

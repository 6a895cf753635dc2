#include "RandomFormula.h"

#include <array>
#include <cctype>

namespace velmora::test {

namespace {
// Spellings of the functions "#".."R" (INT is never allowed in this system).
constexpr std::array<const char*, 42> kNames = {
    "cos",    "sin",     "sen",    "exp",   "sqr",     "sqrt",    "ln",    "log",     "tg",      "tan",   "sh",
    "sinh",   "ch",      "cosh",   "th",    "tanh",    "arcsen",  "asen",  "arcsin",  "asin",    "arccos", "acos",
    "arcos",  "arctg",   "arctan", "atan",  "abs",     "cotg",    "cotan", "cot",     "argch",   "acosh", "argcosh",
    "arccosh", "arctanh", "argtanh", "argth", "atanh", "arcsinh", "asinh", "argsh",   "argsinh"};
constexpr std::array<const char*, 12> kLiterals = {"2", "3", "0.5", "1,5", "2.25", "7", "0.1", "10", "1.0", "0'75", "1", "4"};
constexpr std::array<const char*, 4> kOperators = {"+", "-", "*", "/"};
}  // namespace

std::string RandomFormula::FunctionName() {
    std::string name = kNames[static_cast<std::size_t>(Pick(static_cast<int>(kNames.size())))];
    switch (Pick(3)) {
        case 0: break;
        case 1:
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            break;
        default: name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0]))); break;
    }
    return name;
}

std::string RandomFormula::Leaf() {
    const int k = Pick(20);
    if (k < 9) return Pick(2) ? "u" : "v";
    if (k < 17) return kLiterals[static_cast<std::size_t>(Pick(static_cast<int>(kLiterals.size())))];
    if (k < 19) return "pi";
    return "1";
}

std::string RandomFormula::Node(int depth) {
    if (depth <= 0 || Chance(0.2)) return Leaf();
    const int k = Pick(100);
    if (k < 36) {
        const std::string op = kOperators[static_cast<std::size_t>(Pick(4))];
        return "(" + Node(depth - 1) + ")" + op + "(" + Node(depth - 1) + ")";
    }
    if (k < 62) return FunctionName() + "(" + Node(depth - 1) + ")";
    if (k < 68) return "(-(" + Node(depth - 1) + "))";
    if (k < 78) {
        static constexpr std::array<const char*, 8> kExponents = {"^2", "^3", "^5", "^0", "^1", "^(-1)", "^(-2)", "**2"};
        return "(" + Node(depth - 1) + ")" + kExponents[static_cast<std::size_t>(Pick(8))];
    }
    if (k < 84) {
        // A general power: a non-integer or variable exponent, through exp and ln.
        static constexpr std::array<const char*, 4> kExponents = {"^0.5", "^1.5", "^(u)", "^(v*0.5)"};
        if (Chance(0.5)) return "(" + Node(depth - 1) + ")^(" + Node(depth - 1) + ")";
        return "(" + Node(depth - 1) + ")" + kExponents[static_cast<std::size_t>(Pick(4))];
    }
    if (k < 90) return "(" + Node(depth - 1) + ")(" + Node(depth - 1) + ")";  // implicit product
    if (k < 94) return "2" + std::string(Pick(2) ? "u" : "v");
    // Nine pending values: the x87 code spills and reloads.
    return "1+(2+(3+(4+(5+(6+(7+(8+(9+(" + Node(depth - 1) + ")))))))))";
}

std::string RandomFormula::Next(int depth) { return Node(depth); }

}  // namespace velmora::test

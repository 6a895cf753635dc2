// Helpers shared by the formula tests: compile-and-evaluate in one call, a
// readable rendering of postfix programs, and message expectations.
#pragma once

#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::test {

// Compiles `formula` in the variables u, v and returns its value at (u, v).
inline double ValueAt(const std::string& formula, double u, double v = 0.0) {
    TFormulaCompiler parser;
    parser.ParseNewText(formula, "uv", "", {.compile = true});
    const double args[2] = {u, v};
    return parser.Evaluate(args);
}

// Postfix program as text: "u", "v" for variables 1 and 2, "P<slot>" for a
// parameter, "L<slot>" for a literal, the one-byte tokens as themselves.
inline std::string Render(const ByteArray& program) {
    std::string s;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (!s.empty()) s += ' ';
        if (program[i] == kTokenPrefix && i + 3 < program.size()) {
            const int index = program[i + 2] * 256 + program[i + 3];
            switch (program[i + 1]) {
                case kTokenVariable: s += index == 1 ? "u" : index == 2 ? "v" : "x" + std::to_string(index); break;
                case kTokenParameter: s += "P" + std::to_string(index); break;
                case kTokenLiteral: s += "L" + std::to_string(index); break;
                default: s += "?"; break;
            }
            i += 3;
        } else {
            s += static_cast<char>(program[i]);
        }
    }
    return s;
}

inline std::string PostfixOf(const std::string& formula, const std::string& vars = "uv") {
    TFormulaCompiler parser;
    parser.ParseNewText(formula, vars, "");
    return Render(parser.Program());
}

// The message of the VelmoraError that parsing throws, or "" when it succeeds.
inline std::string ParseMessage(const std::string& formula, const std::string& vars = "uv",
                                const std::string& pars = "", bool codify = true) {
    TFormulaCompiler parser;
    try {
        parser.ParseNewText(formula, vars, pars, {.compile = codify});
    } catch (const VelmoraError& e) {
        return e.what();
    }
    return "";
}

}  // namespace velmora::test

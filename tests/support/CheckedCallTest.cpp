// The calling-convention check of the fuzz targets: it notices each way a
// callee can break the convention, and the code of every engine keeps it.
#include "CheckedCall.h"
#include "PublishedCode.h"
#include "RandomFormula.h"

#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "symbolic/SymbolicPartials.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora::test {
namespace {

// Runs hand-assembled machine code through the check; returns the violation.
std::string ViolationOf(const std::vector<uint8_t>& code) {
    CodeBuffer buffer;
    buffer.Append(code.data(), code.size());
    const PublishedCode published(buffer);
    std::string violation;
    const double args[2] = {0, 0};
    CallChecking(reinterpret_cast<CompiledEntry>(const_cast<uint8_t*>(published.Bytes().data())), nullptr, 1, args,
                 violation);
    return violation;
}

TEST(CheckedCall, EachBrokenRuleIsNoticed) {
    EXPECT_EQ(ViolationOf({0xC3}), "");  // ret
    EXPECT_EQ(ViolationOf({0x48, 0xC7, 0xC3, 0x01, 0x00, 0x00, 0x00, 0xC3}),
              "the compiled code did not keep rbx");  // mov rbx, 1
    EXPECT_EQ(ViolationOf({0x48, 0x31, 0xED, 0xC3}), "the compiled code did not keep rbp");  // xor rbp, rbp
    EXPECT_EQ(ViolationOf({0x49, 0xC7, 0xC4, 0x01, 0x00, 0x00, 0x00, 0x49, 0xC7, 0xC7, 0x02, 0x00, 0x00, 0x00, 0xC3}),
              "the compiled code did not keep r12, r15");
    // fldcw of 0x27F (53-bit mantissa) through the stack.
    EXPECT_EQ(ViolationOf({0x48, 0x83, 0xEC, 0x08, 0x66, 0xC7, 0x04, 0x24, 0x7F, 0x02, 0xD9, 0x2C, 0x24, 0x48, 0x83,
                           0xC4, 0x08, 0xC3}),
              "the compiled code did not keep the x87 control word");
    // The rounding bits of MXCSR flipped.
    EXPECT_EQ(ViolationOf({0x48, 0x83, 0xEC, 0x08, 0x0F, 0xAE, 0x1C, 0x24, 0x81, 0x34, 0x24, 0x00, 0x60, 0x00, 0x00,
                           0x0F, 0xAE, 0x14, 0x24, 0x48, 0x83, 0xC4, 0x08, 0xC3}),
              "the compiled code did not keep MXCSR");
    // fld1 left on the x87 stack.
    EXPECT_EQ(ViolationOf({0xD9, 0xE8, 0xC3}), "the compiled code did not keep an empty x87 stack");
    asm volatile("emms");  // the value left there is dropped
}

// Every function the engines compile, with spills (values pending beyond the
// eight registers), the integer power's loop and the derivative code's calls
// of its kernels: value, curve, jet and symbolic blocks keep the convention.
TEST(CheckedCall, TheEnginesCodeKeepsTheConvention) {
    RandomFormula gen(4242);
    std::vector<std::string> texts = {
        "1+(2+(3+(4+(5+(6+(7+(8+(9+sin(u*cos(v+tan(u/3)))))))))))",
        "u^2147483647 + v^(-7) + arctanh(u*v) + exp(400*u) + abs(u)*ln(v) + cot(u) + arccosh(v+2)",
        "sinh(u)*cosh(v)/tanh(u+v) - arcsin(u/4) + arccos(v/5) + arctan(u) + arcsinh(v) + sqrt(u*u+v) + sqr(u)",
    };
    for (int i = 0; i < 60; ++i) texts.push_back(gen.Next(1 + i % 5));
    const double points[][6] = {{0.7, 0.3, 1, 0, 0, 0}, {-1.3, 2.5, 0.5, -1, 0.25, 0.5}, {0, 0, 1, 1, 0, 0}};
    for (const std::string& text : texts) {
        TFormulaCompiler parser;
        parser.ParseNewText(text, "uv", "", {.compile = true});
        TJetEvaluator evaluator;
        evaluator.Build(parser);
        TSymbolicPartials symbolic;
        try {
            symbolic.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true});
        } catch (const std::exception&) {
            continue;  // a formula beyond the symbolic engine's limits
        }
        std::vector<std::pair<RealFunction, intptr_t>> functions = {
            {parser.ValueFunction(), 2},
            {evaluator.Function(JetFunction::Value), 2},
            {evaluator.Function(JetFunction::FirstAlongCurve), 4},
            {evaluator.Function(JetFunction::SecondAlongCurve), 6},
            {evaluator.Function(JetFunction::Jet), 2}};
        // The ten blocks: f, f_u, f_v, f_uu, f_uv, f_vv, f_uuu, f_uuv, f_uvv, f_vvv.
        const int blocks[10][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 2, 0},
                                   {2, 2, 0}, {1, 1, 1}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}};
        for (const auto& b : blocks) functions.push_back({symbolic.FF(b[0], b[1], b[2]), 2});
        for (const auto& [function, count] : functions) {
            ASSERT_TRUE(function.Assigned()) << text;
            for (const auto& p : points) {
                std::string violation;
                CallChecking(reinterpret_cast<CompiledEntry>(const_cast<void*>(function.code)), function.ctx, count - 1, p,
                             violation);
                EXPECT_EQ(violation, "") << text;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::test

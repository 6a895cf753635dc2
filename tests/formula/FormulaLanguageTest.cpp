// The formula language: what is accepted, how it reads, and the exact message
// of every refusal.
#include "FormulaTestSupport.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace velmora::test {
namespace {

constexpr double kPi = std::numbers::pi;

struct Refusal {
    const char* text;
    const char* message;
    const char* vars = "uv";
    const char* pars = "";
};

TEST(FormulaMessages, EveryRefusalCarriesItsExactMessage) {
    const std::vector<Refusal> cases = {
        {"u", "The allowed variables must be in the range 'p' to 'z'.", "ua"},
        {"u", "Bad parameter set", "uv", "u"},
        {"u", "Bad parameter set", "uv", "a"},
        {"", "Some field may be empty"},
        {"u$v", "You have used an illegal character."},
        {"u\xE9", "You have used an illegal character."},  // a Latin-1 letter
        {"((u)", "Check the parentheses, please."},
        {"u)", "Check the parentheses, please."},
        {"u)+(v", "Check the parentheses, please."},
        {"   ", "Formula reduces to nothing"},
        {"+", "Formula reduces to nothing"},
        {".5", "A number is miswritten."},
        {"5.", "A number is miswritten."},
        {"1.2.3", "A number is miswritten."},
        {"1,234.54", "A number is miswritten."},
        {"u+5.v", "A number is miswritten."},
        {"int(u)", "Integrals inside integrals are not allowed"},
        {"INTEGRAL(u)", "Integrals inside integrals are not allowed"},
        {"uint(v)", "Integrals inside integrals are not allowed"},
        {"e^u", "You mispelled a function or variable"},
        {"x", "You mispelled a function or variable"},
        {"sin u", "You mispelled a function or variable"},
        {"0.762E-12", "You mispelled a function or variable"},
        {"xu", "There is a sintax fault in the formula."},
        {"u*-v", "There is a sintax fault in the formula."},
        {"u^-2", "There is a sintax fault in the formula."},
        {"u+", "There is a sintax fault in the formula."},
        {"()", "There is a sintax fault in the formula."},
        {"2*/u", "There is a sintax fault in the formula."},
        {"--u", "There is a sintax fault in the formula."},
        {"sin+u", "You mispelled a function or variable"},
        {"u;v", "I did fail in analysing the function."},
    };
    for (const Refusal& c : cases)
        EXPECT_EQ(ParseMessage(c.text, c.vars, c.pars), c.message) << "formula \"" << c.text << "\"";
}

TEST(FormulaMessages, StrayListSeparatorIsRefusedOnlyByTheCodeGenerator) {
    EXPECT_EQ(ParseMessage("u;v", "uv", "", false), "");
    EXPECT_EQ(PostfixOf("u;v"), "u ; v");
    // Inside the base of an integer power it would vanish with the base
    // (u;v^0 was 1): it is refused there already, compiled or not.
    for (const char* text : {"u;v^0", "u;(u2)^0u+5", "(u;v)^3"}) {
        EXPECT_EQ(ParseMessage(text, "uv", "", false), "I did fail in analysing the function.") << text;
        EXPECT_EQ(ParseMessage(text), "I did fail in analysing the function.") << text;
    }
}

TEST(FormulaMessages, VariablesAndParametersAreCaseInsensitive) {
    EXPECT_EQ(ParseMessage("U*s+t", "Uv", "St"), "");
    EXPECT_EQ(ParseMessage("p*q", "", "PQ"), "");
}

TEST(ImplicitProducts, JuxtapositionMultiplies) {
    const double u = 1.7, v = -0.6;
    EXPECT_DOUBLE_EQ(ValueAt("2u", u, v), 2 * u);
    EXPECT_DOUBLE_EQ(ValueAt("u2", u, v), 2 * u);
    EXPECT_DOUBLE_EQ(ValueAt("2 u", u, v), 2 * u);
    EXPECT_DOUBLE_EQ(ValueAt("uv", u, v), u * v);
    EXPECT_DOUBLE_EQ(ValueAt("u v", u, v), u * v);
    EXPECT_DOUBLE_EQ(ValueAt("(u)(v)", u, v), u * v);
    EXPECT_DOUBLE_EQ(ValueAt("2(u+1)", u, v), 2 * (u + 1));
    EXPECT_DOUBLE_EQ(ValueAt("u(v)", u, v), u * v);
    EXPECT_DOUBLE_EQ(ValueAt("u(v+1)", u, v), u * (v + 1));
    EXPECT_DOUBLE_EQ(ValueAt("(u+1)2", u, v), (u + 1) * 2);
    EXPECT_DOUBLE_EQ(ValueAt("sin(u)cos(v)", u, v), std::sin(u) * std::cos(v));
    EXPECT_DOUBLE_EQ(ValueAt("usin(v)", u, v), u * std::sin(v));
    EXPECT_DOUBLE_EQ(ValueAt("2cos(u)", u, v), 2 * std::cos(u));
    EXPECT_DOUBLE_EQ(ValueAt("uvcos(u)", u, v), u * v * std::cos(u));
}

TEST(ImplicitProducts, OnlyTheSpaceSeparatesNumbers) {
    EXPECT_EQ(ValueAt("2 3", 0), 6);
    EXPECT_EQ(ValueAt("2\t3", 0), 23);
    EXPECT_EQ(ValueAt("2\r\n3", 0), 23);
    EXPECT_EQ(ValueAt("2 .5", 0), 2.5);
    EXPECT_EQ(ValueAt("1 2 3", 0), 6);
}

TEST(FunctionNames, LongestSuffixWinsAndSpellingsAgree) {
    const double u = 0.4, v = 0.3;
    EXPECT_DOUBLE_EQ(ValueAt("cosh(u)", u, v), std::cosh(u));
    EXPECT_DOUBLE_EQ(ValueAt("ucosh(v)", u, v), u * std::cosh(v));
    EXPECT_DOUBLE_EQ(ValueAt("vsinh(u)", u, v), v * std::sinh(u));
    EXPECT_DOUBLE_EQ(ValueAt("Cos(U)", u, v), std::cos(u));
    EXPECT_DOUBLE_EQ(ValueAt("COS(u)", u, v), std::cos(u));
    EXPECT_DOUBLE_EQ(ValueAt("[u+v]*{2}", u, v), (u + v) * 2);

    // Every spelling of the table reaches its function.
    const std::vector<std::pair<std::string, double>> spellings = {
        {"COS", std::cos(u)},    {"SIN", std::sin(u)},     {"SEN", std::sin(u)},     {"EXP", std::exp(u)},
        {"SQR", u * u},          {"SQRT", std::sqrt(u)},   {"LN", std::log(u)},      {"LOG", std::log(u)},
        {"TG", std::tan(u)},     {"TAN", std::tan(u)},     {"SH", std::sinh(u)},     {"SINH", std::sinh(u)},
        {"CH", std::cosh(u)},    {"COSH", std::cosh(u)},   {"TH", std::tanh(u)},     {"TANH", std::tanh(u)},
        {"ARCSEN", std::asin(u)}, {"ASEN", std::asin(u)},  {"ARCSIN", std::asin(u)}, {"ASIN", std::asin(u)},
        {"ARCCOS", std::acos(u)}, {"ACOS", std::acos(u)},  {"ARCOS", std::acos(u)},  {"ARCTG", std::atan(u)},
        {"ARCTAN", std::atan(u)}, {"ATAN", std::atan(u)},  {"ABS", std::fabs(u)},    {"COTG", 1 / std::tan(u)},
        {"COTAN", 1 / std::tan(u)}, {"COT", 1 / std::tan(u)}, {"ARCTANH", std::atanh(u)}, {"ARGTANH", std::atanh(u)},
        {"ARGTH", std::atanh(u)}, {"ATANH", std::atanh(u)}, {"ARCSINH", std::asinh(u)}, {"ASINH", std::asinh(u)},
        {"ARGSH", std::asinh(u)}, {"ARGSINH", std::asinh(u)},
    };
    for (const auto& [name, expected] : spellings)
        EXPECT_NEAR(ValueAt(name + "(u)", u, v), expected, 1e-14) << name;
    for (const std::string name : {"ARGCH", "ACOSH", "ARGCOSH", "ARCCOSH"})
        EXPECT_NEAR(ValueAt(name + "(u+1)", u, v), std::acosh(u + 1), 1e-14) << name;
    EXPECT_EQ(TFormulaCompiler::functionNames().size(), 44u);
    EXPECT_EQ(TFormulaCompiler::FunctionCode("INTEGRAL"), 'S');
    EXPECT_EQ(TFormulaCompiler::FunctionCode("E"), '?');
}

TEST(NamedConstant, PiInAllItsForms) {
    const double u = 0.9;
    EXPECT_DOUBLE_EQ(ValueAt("pi", u), kPi);
    EXPECT_DOUBLE_EQ(ValueAt("PI", u), kPi);
    EXPECT_DOUBLE_EQ(ValueAt("2pi", u), 2 * kPi);
    EXPECT_DOUBLE_EQ(ValueAt("upi", u), u * kPi);
    EXPECT_DOUBLE_EQ(ValueAt("piu", u), kPi * u);
    EXPECT_EQ(PostfixOf("upi"), "u p *");
    // "PI" is pi even when P is a variable.
    EXPECT_EQ(PostfixOf("pi", "p"), "p");
    EXPECT_EQ(PostfixOf("p", "p"), "u");
}

TEST(SignsAndPowers, UnarySignsAndPowerRules) {
    const double u = 1.3, v = 0.7;
    EXPECT_DOUBLE_EQ(ValueAt("+u", u), u);
    EXPECT_DOUBLE_EQ(ValueAt("(+u)", u), u);
    EXPECT_DOUBLE_EQ(ValueAt("-u", u), -u);
    EXPECT_DOUBLE_EQ(ValueAt("(-u)", u), -u);
    EXPECT_DOUBLE_EQ(ValueAt("v-u-1", u, v), v - u - 1);
    EXPECT_DOUBLE_EQ(ValueAt("u/v/2", u, v), u / v / 2);
    EXPECT_DOUBLE_EQ(ValueAt("u**2", u), u * u);
    EXPECT_DOUBLE_EQ(ValueAt("u* *2", u), u * u);
    EXPECT_DOUBLE_EQ(ValueAt("u^2^3", u), std::pow(u * u, 3));
    EXPECT_DOUBLE_EQ(ValueAt("-u^2", u), -(u * u));
    EXPECT_DOUBLE_EQ(ValueAt("u^(-1)", u), 1 / u);
    EXPECT_DOUBLE_EQ(ValueAt("u^(-2)", u), 1 / (u * u));
    EXPECT_DOUBLE_EQ(ValueAt("u^((3))", u), u * u * u);
    EXPECT_DOUBLE_EQ(ValueAt("u^2.0", u), u * u);
    EXPECT_DOUBLE_EQ(ValueAt("sin(u)^2", u), std::sin(u) * std::sin(u));
    EXPECT_DOUBLE_EQ(ValueAt("2u^3", u), 2 * u * u * u);
    EXPECT_NEAR(ValueAt("u^13", u), std::pow(u, 13), 1e-13);
    EXPECT_NEAR(ValueAt("(u+v)^(-5)", u, v), std::pow(u + v, -5), 1e-15);
    for (double x : {-2.0, 0.0, 3.5}) {
        EXPECT_EQ(ValueAt("u^0", x), 1);
        EXPECT_EQ(ValueAt("u^1", x), x);
        EXPECT_EQ(ValueAt("u^1+v", x, 2), x + 2);
    }
    // Non-integer and variable exponents: exp(exponent * ln(base)).
    EXPECT_NEAR(ValueAt("u^0.5", u), std::sqrt(u), 1e-15);
    EXPECT_NEAR(ValueAt("2^u", u), std::pow(2, u), 1e-15);
    EXPECT_NEAR(ValueAt("u^v", u, v), std::pow(u, v), 1e-15);
    EXPECT_NEAR(ValueAt("-u^v", u, v), -std::pow(u, v), 1e-15);
    EXPECT_NEAR(ValueAt("u^v^2", u, v), std::pow(u, v * v), 1e-15);  // the integer power binds first
    EXPECT_NEAR(ValueAt("u^2^v", u, v), std::pow(u * u, v), 1e-15);
    EXPECT_NEAR(ValueAt("u^v^u", u, v), std::pow(std::pow(u, v), u), 1e-15);  // left associative
    // A real power of 0 takes the logarithm's clamp: exp(2 * -230) is below the exponential's range.
    EXPECT_EQ(ValueAt("u^v", 0, 2), 1e-100);
}

TEST(PostfixPrograms, OrderOfOperationsAndOperands) {
    EXPECT_EQ(PostfixOf("u+v*2"), "u v L6 * +");
    EXPECT_EQ(PostfixOf("u-v-1"), "u v - 1 -");
    EXPECT_EQ(PostfixOf("u/v*u"), "u v / u *");
    EXPECT_EQ(PostfixOf("-u*v"), "u # v *");
    EXPECT_EQ(PostfixOf("u^v"), "v u F * C");
    EXPECT_EQ(PostfixOf("-u^v"), "v u F * C #");
    EXPECT_EQ(PostfixOf("u^2"), "u D");
    EXPECT_EQ(PostfixOf("u^5"), "u D D u *");
    EXPECT_EQ(PostfixOf("u^(-2)"), "1 u D /");
    EXPECT_EQ(PostfixOf("u^0"), "1");
    EXPECT_EQ(PostfixOf("sin(u+v)"), "u v + B");
    EXPECT_EQ(PostfixOf("2u"), "L6 u *");
}

TEST(ConstantTable, LiteralsParametersAndWorkingSlots) {
    TFormulaCompiler p;
    ASSERT_EQ(p.Table().size(), 32u);
    const std::vector<double> clamps = {-230, 1e100, -1e100, 1e-100, -1e-100, 230};
    EXPECT_EQ(std::vector<double>(p.Table().begin(), p.Table().begin() + 6), clamps);

    // One slot per literal occurrence, none for the value 1.
    p.ParseNewText("2*u+2", "uv", "");
    EXPECT_EQ(p.Parameters(), 0);
    EXPECT_EQ(p.LastConstantSlot(), 7);
    EXPECT_EQ(p.Table()[6], 2);
    EXPECT_EQ(p.Table()[7], 2);
    EXPECT_EQ(p.StackDepth(), 2);
    EXPECT_EQ(p.LastConstantSlot() + p.StackDepth(), 9);
    EXPECT_EQ(p.Table().size(), 7u + 2 * 2 + 1);
    p.ParseNewText("1*u+1.0", "uv", "");
    EXPECT_EQ(p.LastConstantSlot(), 5);
    EXPECT_EQ(Render(p.Program()), "1 u * 1 +");

    // Parameters take the slots from 6 on, zeroed by every parse; literals follow.
    p.ParseNewText("s*u+3.25", "uv", "st", {.compile = true});
    EXPECT_EQ(p.Variables(), 2);
    EXPECT_EQ(p.Parameters(), 2);
    EXPECT_EQ(p.LastConstantSlot(), 8);
    EXPECT_EQ(p.Table()[8], 3.25);
    EXPECT_EQ(Render(p.Program()), "P6 u * L8 +");
    EXPECT_EQ(p.Table()[6], 0);
    p.UpdateParameters({4});  // the compiled code reads the parameter from the table
    const double args[2] = {2, 0};
    EXPECT_EQ(p.Evaluate(args), 11.25);

    // A new parse keeps the clamps and sizes the table exactly.
    p.ParseNewText("((u))", "uv", "");
    EXPECT_EQ(std::vector<double>(p.Table().begin(), p.Table().begin() + 6), clamps);
    EXPECT_EQ(p.Table().size(), 5u + 2 * 1 + 1);
}

TEST(ConstantTable, StackDepthCountsPendingValues) {
    TFormulaCompiler p;
    p.ParseNewText("1+(2+(3+(4+(5+(6+(7+(8+(9+u))))))))", "uv", "");
    EXPECT_EQ(p.StackDepth(), 10);
    p.ParseNewText("sin(u)*v+exp(u)", "uv", "");
    EXPECT_EQ(p.StackDepth(), 2);
    p.ParseNewText("-u", "uv", "");
    EXPECT_EQ(p.StackDepth(), 1);
}

TEST(ConstantTable, ElevenParametersReachPastTheShortDisplacement) {
    // Without variables every letter p..z may be a parameter; z lives in slot 16.
    TFormulaCompiler p;
    p.ParseNewText("z-p", "", "pqrstuvwxyz", {.compile = true});
    EXPECT_EQ(p.Parameters(), 11);
    p.UpdateParameters({1.5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5});
    EXPECT_EQ(p.Evaluate(nullptr), 3.5);
    // z is loaded with a 32-bit displacement (6 bytes), p with an 8-bit one (3 bytes).
    EXPECT_EQ(p.EstimateCodeSize() - static_cast<int32_t>(p.ValueCode().size()), 3);
}

TEST(ConstantTable, NumbersAreReadWithADecimalPoint) {
    EXPECT_EQ(ValueAt("1,5", 0), 1.5);
    EXPECT_EQ(ValueAt("1'5", 0), 1.5);
    EXPECT_EQ(ValueAt("0.2345", 0), 0.2345);
    EXPECT_EQ(ValueAt("28/7.0", 0), 4);
    // Too small for a double is zero; too large is refused.
    EXPECT_EQ(ValueAt("u+0." + std::string(400, '0') + "1", 3), 3);
    EXPECT_EQ(ParseMessage("1" + std::string(400, '0')), "A number is too large.");
}

TEST(Limits, BoundsTheLanguageLeavesOpen) {
    EXPECT_EQ(ParseMessage("u^10000000000"), "An integer exponent is too large.");
    EXPECT_EQ(ParseMessage("u^(-2147483649)"), "An integer exponent is too large.");
    EXPECT_EQ(ParseMessage("u^2147483648"), "An integer exponent is too large.");
    EXPECT_EQ(ValueAt("u^(-2147483648)", -1), 1);
    EXPECT_EQ(ValueAt("u^2147483647", -1), -1);
    EXPECT_EQ(ValueAt("u^(-2147483647)", 1), 1);

    // Chained powers multiply their base; the reduced form is bounded.
    std::string chain = "u";
    for (int i = 0; i < 30; ++i) chain += "^3";
    EXPECT_EQ(ParseMessage(chain), "The formula is too long.");
    // A tower of large integer exponents (found by fuzzing) would copy its
    // base into hundreds of thousands of tokens, a second to compile each time.
    EXPECT_EQ(ParseMessage("u^3415^39^44^15^3973415^39734734"), "The formula is too long.");

    EXPECT_EQ(ParseMessage(std::string(1001, '(') + "u" + std::string(1001, ')')),
              "The formula is nested too deeply.");
    EXPECT_EQ(ValueAt(std::string(1000, '(') + "u" + std::string(1000, ')'), 2), 2);

    // Literal slots are indexed by 16 bits.
    std::string sum = "2";
    for (int i = 0; i < 70000; ++i) sum += "+2";
    EXPECT_EQ(ParseMessage(sum, "uv", "", false), "The formula is too long.");
}

TEST(Reparse, AFailedParseLeavesNoCallableCode) {
    TFormulaCompiler p;
    p.ParseNewText("u+1", "uv", "", {.compile = true});
    EXPECT_TRUE(p.ValueFunction().Assigned());
    EXPECT_THROW(p.ParseNewText("u+", "uv", "", {.compile = true}), VelmoraError);
    EXPECT_FALSE(p.ValueFunction().Assigned());
    const double args[2] = {1, 2};
    try {
        p.Evaluate(args);
        FAIL() << "evaluated a formula that failed to parse";
    } catch (const VelmoraError& e) {
        EXPECT_STREQ(e.what(), "The formula has not been compiled.");
    }
    p.ParseNewText("v*3", "uv", "", {.compile = true});
    EXPECT_EQ(p.Evaluate(args), 6);
}

}  // namespace
}  // namespace velmora::test

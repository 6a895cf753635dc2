// Rewriting into the reduced alphabet: powers (integer, general, towers, powers
// inside exponents) and the expansion of minus signs and divisions, shown by
// the code a text compiles to beside the code of its rewritten form, and by
// values beside those of the formula language.
#include "SymbolicTestSupport.h"

#include "formula/FormulaCompiler.h"
#include "symbolic/EncodedText.h"

#include <cmath>
#include <numbers>

namespace velmora::test {
namespace {

// The value of a formula as the formula language computes it (the parser's own code).
double LanguageValue(const std::string& text, double u, double v) {
    TFormulaCompiler parser;
    parser.ParseNewText(text, "uv", "", {.compile = true});
    const double args[2] = {u, v};
    return parser.Evaluate(args);
}

TEST(SymbolicRewriting, IntegerExponentsBecomeSquaresCubesAndIntegerPowers) {
    EXPECT_EQ(Body("u^2"), Body("sqr(u)"));
    EXPECT_EQ(Body("u^3"), Body("cube(u)"));
    EXPECT_EQ(Body("u^4"), Body("quad(u)"));
    EXPECT_EQ(Body("u^0"), Body("1"));
    EXPECT_EQ(Body("u^1"), Body("u"));
    EXPECT_EQ(Body("u^((2))"), Body("sqr(u)"));
    EXPECT_EQ(Body("u^2.0"), Body("sqr(u)"));
    EXPECT_EQ(Body("sin(u)^2"), Body("sqr(sin(u))"));  // the base is a whole function application
    EXPECT_EQ(Body("2u^2+v"), Body("2*sqr(u)+v"));
    EXPECT_EQ(Body("-u^2"), Body("chs(sqr(u))"));      // -u^2 is -(u^2)
    EXPECT_EQ(Body("(u+v)^3"), Body("cube(u+v)"));
    // Other integers are integer powers, with the values of the formula
    // language's product of squares, also of a negative base; an exponent
    // written twice is the same power.
    for (const char* text : {"u^5", "u^(-1)", "u^7+v^7", "u^(-6)*v^9"}) {
        for (const double u : {-1.75, -0.5, 0.0, 1.25, 3.0})
            EXPECT_EQ(ValueAt(text, u, u - 1), LanguageValue(text, u, u - 1)) << text << " at u = " << u;
    }
    EXPECT_EQ(ValueAt("u^5", -2, 0), -32);
    EXPECT_EQ(ValueAt("u^(-1)", -4, 0), -0.25);
    EXPECT_EQ(ValueAt("u^7+v^7", -1, 2), 127);
}

TEST(SymbolicRewriting, OnlyANumberWrittenAsTheExponentIsAnIntegerPower) {
    // As in the formula language, an exponent computed from numbers makes a
    // general power, exp(E ln B): for a negative base ln B is -230, so
    // (-2)^(1+1) is exp(-460), clamped to 1e-100, while (-2)^2 is 4.
    EXPECT_EQ(Body("u^(1+1)"), Body("exp((1+1)*ln(u))"));
    EXPECT_EQ(ValueAt("u^(1+1)", -2, 0), 1e-100);
    EXPECT_EQ(ValueAt("u^2", -2, 0), 4);
    EXPECT_NEAR(ValueAt("u^(1+1)", 3, 0), 9, 1e-14);
    EXPECT_EQ(ValueAt("u^(1+1)", -2, 0), LanguageValue("u^(1+1)", -2, 0));
    // A negative literal exponent, in brackets, is one; a minus before a
    // bracket is not.
    EXPECT_EQ(ValueAt("u^(-2)", -4, 0), 0.0625);
    EXPECT_EQ(Body("u^(-(2))"), Body("exp((-(2))*ln(u))"));
}

TEST(SymbolicRewriting, OtherPowersAreExpOfExponentTimesLn) {
    EXPECT_EQ(Body("u^v"), Body("exp(v*ln(u))"));
    EXPECT_EQ(Body("u^0.5"), Body("exp(0.5*ln(u))"));
    EXPECT_EQ(Body("u^pi"), Body("exp(pi*ln(u))"));
    EXPECT_EQ(Body("u^(v+1)"), Body("exp((v+1)*ln(u))"));
    EXPECT_EQ(Body("-u^v"), Body("-exp(v*ln(u))"));
    EXPECT_NEAR(ValueAt("u^v", 2, 0.7), std::pow(2, 0.7), 1e-15);
    // A base at or below 0 has ln -230: e^(-230 E), clamped beyond |E| ln 2... as
    // the formula language computes it (not a real part of a complex power).
    EXPECT_NEAR(ValueAt("u^v", -2, 0.5), std::exp(-115.0), 1e-64);
    EXPECT_EQ(ValueAt("u^v", 0, 1), 1e-100);   // e^-230 is past the clamp
    EXPECT_EQ(ValueAt("u^v", 0, -1), 1e100);
    EXPECT_NEAR(EvaluateConstantFormula("(-8)^(1/3)"), std::exp(-230.0 / 3), 1e-47);
    EXPECT_EQ(EvaluateConstantFormula("(-2)^3"), -8);
    EXPECT_EQ(EvaluateConstantFormula("(-2)^(-2)"), 0.25);
    // exp itself is clamped as in the formula language: 1e100 past about 159.4.
    EXPECT_EQ(EvaluateConstantFormula("2^exp(1000)"), 1e100);
    EXPECT_EQ(EvaluateConstantFormula("exp(1000)"), 1e100);
    for (const char* text : {"u^v", "u^0.5", "(u-v)^(u*v)", "2^u^v", "(-u)^pi"}) {
        for (const double u : {-1.5, 0.0, 0.5, 2.5})
            EXPECT_EQ(ValueAt(text, u, 0.75), LanguageValue(text, u, 0.75)) << text << " at u = " << u;
    }
}

TEST(SymbolicRewriting, TowersAreReadFromTheLeftAfterTheIntegerPowers) {
    // a^2^3 is (a^2)^3; a^b^2 is a^(b^2); a^b^c is (a^b)^c.
    EXPECT_EQ(Body("u^2^3"), Body("cube(sqr(u))"));
    EXPECT_EQ(Body("u^v^2"), Body("exp(sqr(v)*ln(u))"));
    EXPECT_EQ(Body("u^v^u"), Body("exp(u*ln(exp(v*ln(u))))"));
    EXPECT_EQ(Body("u^5^v"), Body("exp(v*ln(u^5))"));
    EXPECT_NEAR(ValueAt("u^2^3", 1.5, 0), std::pow(1.5, 6), 1e-13);
    EXPECT_NEAR(ValueAt("u^v^2", 1.7, 0.6), std::pow(1.7, 0.36), 1e-14);
    EXPECT_NEAR(ValueAt("2^u^v", 0.5, 3), std::pow(std::pow(2, 0.5), 3), 1e-14);
    for (const char* text : {"u^2^3", "u^v^2", "u^v^u", "(u+2)^2^v", "u^3^(-1)", "v^u^5"})
        EXPECT_EQ(ValueAt(text, 1.3, 0.7), LanguageValue(text, 1.3, 0.7)) << text;
}

TEST(SymbolicRewriting, AMinusBeforeANumberThatIsABaseNegatesThePower) {
    // -2^2 is -(2^2) as in the formula language, also at the start of a bracket.
    EXPECT_EQ(EvaluateConstantFormula("-2^2"), -4);
    EXPECT_EQ(EvaluateConstantFormula("(-3^2)"), -9);
    EXPECT_EQ(EvaluateConstantFormula("(-3)^2"), 9);
    EXPECT_EQ(EvaluateConstantFormula("-2^3+1"), -7);
    EXPECT_NEAR(ValueAt("-2^u", 3, 0), -8, 1e-14);
    EXPECT_EQ(Body("-2*u"), Body("(-2)*u"));  // elsewhere a negative number
    EXPECT_EQ(ValueAt("-2*u", 3, 0), -6);
}

TEST(SymbolicRewriting, IntegerPowersTakeTimeByTheBitsOfTheExponent) {
    // Integer exponents fit in 32 bits as in the formula language; the power
    // squares along the bits, so the largest of them folds and evaluates at
    // once, with the values of the formula language's product of squares.
    const std::string message = MessageOf([] {
        TSymbolicPartials f;
        f.ParseNewText("u^10000000000", "uv", "", {.compile = true, .withPartials = true});
    });
    EXPECT_EQ(message, "An integer exponent must lie between -2147483647 and 2147483647.");
    EXPECT_EQ(Body("u^2147483647"), Body("u^(2147483647)"));
    EXPECT_EQ(EvaluateConstantFormula("0.5^2147483647"), 0);
    EXPECT_EQ(EvaluateConstantFormula("(-1)^2147483647"), -1);
    EXPECT_EQ(EvaluateConstantFormula("1.0000001^2147483647"), LanguageValue("1.0000001^2147483647", 0, 0));
    EXPECT_EQ(EvaluateConstantFormula("2^(-2147483648)"), 0);
    TSymbolicPartials f;
    f.ParseNewText("u^2147483647 + v^(-2147483647)", "uv", "", {.compile = true, .withPartials = true});
    for (const double u : {1.0, -1.0, 1.00000001, 0.99999999, 0.0}) {
        const double at[2] = {u, u == 0 ? 2.0 : u};
        const double language = LanguageValue("u^2147483647 + v^(-2147483647)", at[0], at[1]);
        EXPECT_EQ(f.EvaluateFF(0, 0, 0, at), language) << u;
        // f_u = n u^(n-1), also by squaring.
        EXPECT_EQ(f.EvaluateFF(1, 0, 0, at), 2147483647 * LanguageValue("u^2147483646", at[0], 0)) << u;
    }
}

TEST(SymbolicRewriting, MinusAndDivisionBecomeChangeOfSignAndReciprocal) {
    EXPECT_EQ(Body("u-v*w", {0, 0, 0}, "uvw"), Body("u+chs(v)*w", {0, 0, 0}, "uvw"));
    EXPECT_EQ(Body("u/v/w", {0, 0, 0}, "uvw"), Body("u*inv(v)*inv(w)", {0, 0, 0}, "uvw"));
    EXPECT_EQ(Body("-u*v"), Body("chs(u)*v"));
    EXPECT_EQ(Body("u-v-u"), Body("u+chs(v)+chs(u)"));
    EXPECT_EQ(Body("u/v^2"), Body("u*inv(sqr(v))"));
    EXPECT_EQ(Body("u/v^5"), Body("u*inv(v^5)"));
    EXPECT_EQ(Body("u/(v-1)"), Body("u*inv((v+chs(1)))"));
    EXPECT_EQ(Body("u/sin(v-u)"), Body("u*inv(sin(v+chs(u)))"));
    // The rewriting works on the encoded text: a slot whose number is the byte
    // of "-" or "/" is never taken for an operator. The fifth number written
    // lives in slot 45 ("-"), the seventh in 47 ("/").
    EXPECT_NEAR(ValueAt("6+6+6+6+7-8+9/u-6", 3, 0), 24 + 7 - 8 + 3 - 6, 1e-14);
    EXPECT_NEAR(ValueAt("6+6+6+6+7/u-8+9-u", 2, 0), 24 + 3.5 - 8 + 9 - 2, 1e-14);
    EXPECT_NEAR(ValueAt("u-v/u-v", 2, 3), 2 - 1.5 - 3, 1e-15);
}

}  // namespace
}  // namespace velmora::test

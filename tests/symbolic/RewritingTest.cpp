// Rewriting into the reduced alphabet: powers (integer, general, towers, powers
// inside exponents) and the expansion of minus signs and divisions.
#include "SymbolicTestSupport.h"

#include "formula/FormulaCompiler.h"
#include "symbolic/EncodedText.h"

#include <cmath>
#include <numbers>

namespace velmora::test {
namespace {

TEST(SymbolicRewriting, IntegerExponentsBecomeSquaresCubesAndIntegerPowers) {
    EXPECT_EQ(Reduced("u^2"), "D(u)");
    EXPECT_EQ(Reduced("u^3"), "W(u)");
    EXPECT_EQ(Reduced("u^4"), "X(u)");
    EXPECT_EQ(Reduced("u^0"), "1");
    EXPECT_EQ(Reduced("u^1"), "u");
    EXPECT_EQ(Reduced("u^5"), "u~{27}");
    EXPECT_EQ(Reduced("u^(-1)"), "u~{28}");
    EXPECT_EQ(Reduced("u^((2))"), "D(u)");
    EXPECT_EQ(Reduced("u^2.0"), "D(u)");
    EXPECT_EQ(Reduced("sin(u)^2"), "D(B(u))");  // the base is a whole function application
    EXPECT_EQ(Reduced("2u^2+v"), "{24}*D(u)+v");
    EXPECT_EQ(Reduced("-u^2"), "V(D(u))");      // -u^2 is -(u^2)
    EXPECT_EQ(Reduced("(u+v)^3"), "W((u+v))");
    // Each number written takes a slot, but an integer exponent reuses the
    // first equal value of the table.
    TSymbolicPartials f;
    f.ParseNewText("u^7+v^7", "uv", "");
    EXPECT_EQ(Show(f.uReduced), "u~{41}+v~{41}");
    EXPECT_EQ(f.data[41], 7);
    EXPECT_EQ(f.data[42], 7);
    EXPECT_EQ(f.endFD, 42);
}

// The value of a formula as the formula language computes it (the parser's own code).
double LanguageValue(const std::string& text, double u, double v) {
    TFormulaCompiler parser;
    parser.ParseNewText(text, "uv", "", {.compile = true});
    const double args[2] = {u, v};
    return parser.Evaluate(args);
}

TEST(SymbolicRewriting, OnlyANumberWrittenAsTheExponentIsAnIntegerPower) {
    // As in the formula language, an exponent computed from numbers makes a
    // general power, exp(E ln B): for a negative base ln B is -230, so
    // (-2)^(1+1) is exp(-460), clamped to 1e-100, while (-2)^2 is 4.
    EXPECT_EQ(Reduced("u^(1+1)"), "C(((1+1))*F(u))");
    EXPECT_EQ(ValueAt("u^(1+1)", -2, 0), 1e-100);
    EXPECT_EQ(ValueAt("u^2", -2, 0), 4);
    EXPECT_NEAR(ValueAt("u^(1+1)", 3, 0), 9, 1e-14);
    EXPECT_EQ(ValueAt("u^(1+1)", -2, 0), LanguageValue("u^(1+1)", -2, 0));
    // A negative literal exponent, in brackets, is one; a minus before a
    // bracket is not.
    EXPECT_EQ(ValueAt("u^(-2)", -4, 0), 0.0625);
    EXPECT_EQ(Reduced("u^(-(2))"), "C(((V(({24}))))*F(u))");
}

TEST(SymbolicRewriting, OtherPowersAreExpOfExponentTimesLn) {
    EXPECT_EQ(Reduced("u^v"), "C((v)*F(u))");
    EXPECT_EQ(Reduced("u^0.5"), "C(({33})*F(u))");
    EXPECT_EQ(Reduced("u^pi"), "C((p)*F(u))");
    EXPECT_EQ(Reduced("u^(v+1)"), "C(((v+1))*F(u))");
    EXPECT_EQ(Reduced("-u^v"), "V(C((v)*F(u)))");
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
    EXPECT_EQ(Reduced("u^2^3"), "W((D(u)))");
    EXPECT_EQ(Reduced("u^v^2"), "C(((D(v)))*F(u))");
    EXPECT_EQ(Reduced("u^v^u"), "C((u)*F(C((v)*F(u))))");
    EXPECT_EQ(Reduced("u^5^v"), "C((v)*F((u~{27})))");
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
    EXPECT_EQ(Reduced("-2*u"), "{29}*u");  // elsewhere a negative number
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
    EXPECT_EQ(Reduced("u^2147483647"), "u~{41}");
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
    EXPECT_EQ(Reduced("u-v*w", "uvw"), "u+V(v)*{3}");
    EXPECT_EQ(Reduced("u/v/w", "uvw"), "u*U(v)*U({3})");
    EXPECT_EQ(Reduced("-u*v"), "V(u)*v");
    EXPECT_EQ(Reduced("u-v-u"), "u+V(v)+V(u)");
    EXPECT_EQ(Reduced("u/v^2"), "u*U(D(v))");
    EXPECT_EQ(Reduced("u/v^5"), "u*U(v~{27})");
    EXPECT_EQ(Reduced("u/(v-1)"), "u*U((v+V(1)))");
    EXPECT_EQ(Reduced("u/sin(v-u)"), "u*U(B(v+V(u)))");
    // The rewriting works on the encoded text: a slot whose number is the byte
    // of "-" or "/" is never taken for an operator.
    EXPECT_EQ(Show(TSymbolicPartials::ExpandMinusAndDivide(Enc("{45}-{47}/u"))), "{45}+V({47})*U(u)");
    EXPECT_NEAR(ValueAt("u-v/u-v", 2, 3), 2 - 1.5 - 3, 1e-15);
}

}  // namespace
}  // namespace velmora::test

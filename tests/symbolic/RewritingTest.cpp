// Rewriting into the reduced alphabet: powers (integer, general, towers, powers
// inside exponents) and the expansion of minus signs and divisions.
#include "SymbolicTestSupport.h"

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
    EXPECT_EQ(Reduced("u^-1"), "u~{28}");
    EXPECT_EQ(Reduced("u^(1+1)"), "D(u)");       // the exponent is evaluated
    EXPECT_EQ(Reduced("u^(2*pi/pi)"), "D(u)");
    EXPECT_EQ(Reduced("sin(u)^2"), "D(B(u))");  // the base is a whole function application
    EXPECT_EQ(Reduced("2u^2+v"), "{24}*D(u)+v");
    EXPECT_EQ(Reduced("-u^2"), "V(D(u))");      // -u^2 is -(u^2)
    EXPECT_EQ(Reduced("(u+v)^3"), "W((u+v))");
    // Each number written takes a slot, but an integer exponent reuses the
    // first equal value of the table.
    TFunctionAndPartDerivs_64 f;
    f.ParseNewText("u^7+v^7", "uv", "", false, false);
    EXPECT_EQ(Show(f.uReduced), "u~{41}+v~{41}");
    EXPECT_EQ(f.data[41], 7);
    EXPECT_EQ(f.data[42], 7);
    EXPECT_EQ(f.endFD, 42);
    f.ParseNewText("u^(3+3)+v^(4+2)", "uv", "", false, false);
    EXPECT_EQ(Show(f.uReduced), "u~{41}+v~{41}");
    EXPECT_EQ(f.endFD, 41);
}

TEST(SymbolicRewriting, OtherExponentsTakeTheSignFactorForm) {
    EXPECT_EQ(Reduced("u^v"), "N(u)^v*A({6}*(1+V(T(u)))*v)");
    EXPECT_EQ(Reduced("u^0.5"), "N(u)^{33}*A({6}*(1+V(T(u)))*{33})");
    EXPECT_EQ(Reduced("u^pi"), "N(u)^p*A({6}*(1+V(T(u)))*p)");
    EXPECT_EQ(Reduced("u^(v+1)"), "N(u)^(v+1)*A({6}*(1+V(T(u)))*(v+1))");
    // B^E for B > 0; the real part |B|^E cos(pi E) of the principal value for B < 0.
    EXPECT_NEAR(ValueAt("u^v", 2, 0.7), std::pow(2, 0.7), 1e-15);
    EXPECT_NEAR(ValueAt("u^v", -2, 0.7), std::pow(2, 0.7) * std::cos(0.7 * std::numbers::pi), 1e-14);
    EXPECT_NEAR(EvaluateConstantFormula("(-8)^(1/3)"), 1.0, 1e-15);
    EXPECT_EQ(EvaluateConstantFormula("(-2)^3"), -8);
    EXPECT_EQ(EvaluateConstantFormula("(-2)^-2"), 0.25);
    EXPECT_EQ(ValueAt("u^v", 0, 0.5), 0);
}

TEST(SymbolicRewriting, TowersMultiplyTheirExponents) {
    TFunctionAndPartDerivs_64 f;
    f.ParseNewText("u^2^3", "uv", "", true, false);
    EXPECT_EQ(Show(f.uReduced), "u~{41}");
    EXPECT_EQ(f.data[41], 6);
    const double args[2] = {1.5, 0};
    EXPECT_NEAR(f.EvaluateFF(0, 0, 0, args), std::pow(1.5, 6), 1e-13);

    EXPECT_EQ(Reduced("u^v^2"), "N(u)^(v*{24})*A({6}*(1+V(T(u)))*v*{24})");
    EXPECT_NEAR(ValueAt("u^v^2", 1.7, 0.6), std::pow(1.7, 1.2), 1e-14);
    EXPECT_NEAR(ValueAt("2^u^v", 0.5, 3), 2 * std::sqrt(2), 1e-14);
}

TEST(SymbolicRewriting, PowersInsideAnExponentAreRewrittenToo) {
    // Every "^" left has an absolute value as its base, also inside exponents,
    // so a negative base there does not turn the result into NaN.
    EXPECT_EQ(Reduced("u^(v^2)"), "N(u)^(D(v))*A({6}*(1+V(T(u)))*(D(v)))");
    EXPECT_NEAR(ValueAt("u^(v^2)", 2, -1.5), std::pow(2, 2.25), 1e-14);
    EXPECT_NEAR(ValueAt("u^(v^0.5)", 2, 2.25), std::pow(2, 1.5), 1e-14);
    EXPECT_NEAR(ValueAt("u^((-2)^2)", 1.5, 0), std::pow(1.5, 4), 1e-14);
    EXPECT_EQ(Reduced("u^((-2)^2)"), "X(u)");
}

TEST(SymbolicRewriting, IntegerExponentsBeyond32BitsAreRefused) {
    // The integer power multiplies |exponent| times; beyond 32 bits it would
    // not end (y - 1 == y), so such formulas are refused.
    const std::string message = MessageOf([] {
        TFunctionAndPartDerivs_64 f;
        f.ParseNewText("u^10000000000", "uv", "", true, true);
    });
    EXPECT_EQ(message, "An integer exponent must lie between -2147483647 and 2147483647.");
    EXPECT_EQ(MessageOf([] { EvaluateConstantFormula("2^exp(1000)"); }), message);
    EXPECT_EQ(Reduced("u^2147483647"), "u~{41}");
    EXPECT_EQ(Reduced("u^-2147483647"), "u~{41}");
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
    EXPECT_EQ(Show(TFunctionAndPartDerivs_64::ExpandMinusAndDivide(Enc("{45}-{47}/u"))), "{45}+V({47})*U(u)");
    EXPECT_NEAR(ValueAt("u-v/u-v", 2, 3), 2 - 1.5 - 3, 1e-15);
}

}  // namespace
}  // namespace velmora::test

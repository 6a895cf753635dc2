// Postfix conversion: removal of neutral terms and factors, the order of the
// program, and the folding of constant sub-programs into table slots.
#include "SymbolicTestSupport.h"

#include "platform/Platform.h"
#include "symbolic/EncodedText.h"

#include <cmath>

namespace velmora::test {
namespace {

class SymbolicPostfix : public ::testing::Test {
protected:
    // Variables declared: constant sub-programs are folded.
    void SetUp() override { f.ParseNewText("u", "uv", ""); }
    std::string P(const std::string& readable) { return Show(f.PostfixSum(Enc(readable))); }
    TSymbolicPartials f;
};

TEST_F(SymbolicPostfix, NeutralTermsAndFactorsDisappear) {
    EXPECT_EQ(P("u+0"), "u");
    EXPECT_EQ(P("0+u"), "u");
    EXPECT_EQ(P("0+0"), "0");
    EXPECT_EQ(P("u*1"), "u");
    EXPECT_EQ(P("1*u"), "u");
    EXPECT_EQ(P("u*0"), "0");
    EXPECT_EQ(P("0*u"), "0");
    EXPECT_EQ(P("u^1"), "u");
    EXPECT_EQ(P("u^0"), "1");
    EXPECT_EQ(P("0^u"), "0");
    EXPECT_EQ(P("1^{25}"), "1");
    EXPECT_EQ(P(""), "0");
    EXPECT_EQ(P("((u+v))*((v))"), "uv+v*");
    EXPECT_EQ(P("A(u)+B(v)*u"), "uAvBu*+");
    EXPECT_EQ(P("N(u)^v"), "vuN^");
    EXPECT_EQ(P("u~({27}+V(1))"), "{26}u~");  // the exponent 5-1 folds to 4
    EXPECT_EQ(f.endFD, 40);
}

TEST_F(SymbolicPostfix, ProductsNestToTheRightSoOnlyTrailingConstantsFold) {
    EXPECT_EQ(P("u*({24}+{25})"), "u{27}*");  // 2+3 folds to the predefined 5
    const std::string six = P("u*{24}*{25}");
    EXPECT_EQ(six, "u{41}*");
    EXPECT_EQ(f.data[41], 6);
    EXPECT_EQ(P("{24}*{25}*u"), "{24}{25}u**");
    // A folded value already in the table is reused.
    EXPECT_EQ(P("{24}*{25}"), "{41}");
    EXPECT_EQ(P("{25}*{24}+u"), "{41}u+");
    EXPECT_EQ(f.endFD, 41);
}

TEST_F(SymbolicPostfix, FoldsToZeroOrOneDropTheirTermOrFactor) {
    EXPECT_EQ(P("u*({24}+V(1))"), "u");
    EXPECT_EQ(P("u+({24}+V({24}))"), "u");
    EXPECT_EQ(P("u*A(0)"), "u");
    // A first factor that folds to 0 ends the product before the rest is converted:
    // the sine of 2 in the rest would otherwise take a slot.
    EXPECT_EQ(P("(1+V(1))*u*B({24})"), "0");
    EXPECT_EQ(f.endFD, 40);
    EXPECT_EQ(P("u*B({24})"), "u{41}*");
    EXPECT_NEAR(f.data[41], std::sin(2.0), 1e-16);
}

TEST(SymbolicPostfixFolding, WithoutVariablesNothingIsFolded) {
    TSymbolicPartials f;
    f.ParseNewText("2*3", "", "", {.compile = true});
    EXPECT_FALSE(f.reduceConsts);
    EXPECT_EQ(Show(f.actorList), "{24}{25}*");
    f.ParseNewText("2*3", "u", "", {.compile = true});
    EXPECT_EQ(Show(f.actorList), "{41}");
    // Parameters are never folded: their values change after compilation.
    f.ParseNewText("u*t*2*3", "u", "t", {.compile = true});
    EXPECT_EQ(Show(f.actorList), "u{12}{41}**");
}

TEST(SymbolicPostfixFolding, InternalFaultsAndUnexpectedAtoms) {
    TSymbolicPartials f;
    f.ParseNewText("u", "uv", "");
    EXPECT_EQ(MessageOf([&] { f.AtomString("A"); }), "Assertion failure");
    EXPECT_EQ(MessageOf([&] { f.AtomString(Enc("S(u)")); }), "AtomString");
    EXPECT_EQ(MessageOf([&] { f.FactorBA(Enc("u^v~{24}")); }), "In FactorBA");
    int beeps = 0;
    SetBeepHandler([&](int hz, int ms) {
        if (hz == 100 && ms == 100) ++beeps;
    });
    EXPECT_EQ(f.AtomString("q"), "0");
    SetBeepHandler(nullptr);
    EXPECT_EQ(beeps, 1);
}

}  // namespace
}  // namespace velmora::test

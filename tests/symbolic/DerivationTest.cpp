// Symbolic differentiation: the derivative texts of the product, power and
// function rules, and the refusal of formulas whose derivatives explode.
#include "SymbolicTestSupport.h"

#include "symbolic/EncodedText.h"

#include <chrono>

namespace velmora::test {
namespace {

class SymbolicDerivation : public ::testing::Test {
protected:
    void SetUp() override { f.ParseNewText("u*v", "uv", ""); }
    std::string D(const std::string& readable, int variable) { return Show(f.DeriveSum(Enc(readable), variable)); }
    TSymbolicPartials f;
};

TEST_F(SymbolicDerivation, ProductRuleKeepsOnlyTheTermsThatDoNotVanish) {
    EXPECT_EQ(D("u*u", 1), "u+u");
    EXPECT_EQ(D("u*v", 1), "v");
    EXPECT_EQ(D("u*v", 2), "u");
    EXPECT_EQ(D("u*u", 2), "0");
    EXPECT_EQ(D("u*u*u", 1), "(u+u)*(u)+(u)*(u)");
    EXPECT_EQ(D("{24}*u*v", 1), "({24})*(v)");
    EXPECT_EQ(D("0*u", 1), "0");
    EXPECT_EQ(D("(u+v)*(u)", 1), "(u)+(u+v)");
    EXPECT_EQ(D("u+v+{24}", 1), "1");
    EXPECT_EQ(D("", 1), "0");
}

TEST_F(SymbolicDerivation, FunctionTemplates) {
    EXPECT_EQ(D("D(u)", 1), "{24}*(u)");
    EXPECT_EQ(D("J({24}*u)", 1), "(1+V(D(J({24}*u))))*({24})");
    EXPECT_EQ(D("N(u)", 1), "Z(u)");
    EXPECT_EQ(D("Z(u)", 1), "0");
    EXPECT_EQ(D("T(u)", 1), "0");
    EXPECT_EQ(D("A(v)", 1), "0");
    EXPECT_EQ(D("A((u))", 1), "V(B(u))");  // the argument's own parentheses are removed

    // Every letter with a unit inner derivative (g = u) and a general one (g = u*v by u: v).
    const struct {
        char letter;
        const char* unit;
        const char* general;
    } table[] = {
        {'A', "V(B(u))", "V(B(u*v))*(v)"},
        {'B', "A(u)", "A(u*v)*(v)"},
        {'C', "C(u)", "C(u*v)*(v)"},
        {'D', "{24}*(u)", "{24}*(u*v)*(v)"},
        {'E', "{33}*U(E(u))", "{33}*U(E(u*v))*(v)"},
        {'F', "Y(u)", "(v)*Y(u*v)"},
        {'G', "(1+D(G(u)))", "(1+D(G(u*v)))*(v)"},
        {'H', "I(u)", "I(u*v)*(v)"},
        {'I', "H(u)", "H(u*v)*(v)"},
        {'J', "(1+V(D(J(u))))", "(1+V(D(J(u*v))))*(v)"},
        {'K', "U(E(1+V(D(u))))", "(v)*U(E(1+V(D(u*v))))"},
        {'L', "V(U(E(1+V(D(u)))))", "V(v)*U(E(1+V(D(u*v))))"},
        {'M', "U(1+D(u))", "(v)*U(1+D(u*v))"},
        {'N', "Z(u)", "Z(u*v)*(v)"},
        {'O', "V(Y(D(B(u))))", "V(v)*Y(D(B(u*v)))"},
        {'P', "E(Y(u+V(1))*Y(u+1))", "(v)*E(Y(u*v+V(1))*Y(u*v+1))"},
        {'Q', "Y(1+V(D(u)))", "(v)*Y(1+V(D(u*v)))"},
        {'R', "U(E(1+D(u)))", "(v)*U(E(1+D(u*v)))"},
        {'T', "0", "0"},
        {'U', "V(U(D(u)))", "V(v)*U(D(u*v))"},
        {'V', "V(1)", "V(v)"},
        {'W', "{25}*D(u)", "{25}*D(u*v)*(v)"},
        {'X', "{26}*W(u)", "{26}*W(u*v)*(v)"},
        {'Y', "V(D(Y(u)))", "V(D(Y(u*v)))*(v)"},
        {'Z', "0", "0"},
    };
    for (const auto& row : table) {
        const std::string l(1, row.letter);
        EXPECT_EQ(D(l + "(u)", 1), row.unit) << l;
        EXPECT_EQ(D(l + "(u*v)", 1), row.general) << l;
    }
}

TEST_F(SymbolicDerivation, PowerRule) {
    // Integer power: the exponent is constant, the new exponent is folded later.
    EXPECT_EQ(D("u~{27}", 1), "({27})*u~({27}+V(1))");
    EXPECT_EQ(D("A(u)~{27}", 1), "({27})*(V(B(u)))*A(u)~({27}+V(1))");
    // The general power of the alphabet: every combination of a constant and a
    // variable part (the rewriting writes powers as exp(E ln B), so only
    // encoded texts written by hand carry it).
    EXPECT_EQ(D("N(u)^v", 2), "F(N(u))*N(u)^v");
    EXPECT_EQ(D("N(u)^v", 1), "(v)*(Z(u))*N(u)^(v+V(1))");
    EXPECT_EQ(D("N(u)^u", 1), "F(N(u))*N(u)^u+(u)*(Z(u))*N(u)^(u+V(1))");
    EXPECT_EQ(D("N({24})^(u*v)", 1), "(v)*F(N({24}))*N({24})^(u*v)");
    EXPECT_EQ(D("N(v)^(u*v)", 2),
              "(u)*F(N(v))*N(v)^(u*v)+((u*v))*(Z(v))*N(v)^((u*v)+V(1))");
    EXPECT_EQ(D("N({24})^{25}", 1), "0");
    // exp(E ln B), as the rewriting writes B^E.
    EXPECT_EQ(D("C((v)*F(u))", 1), "C((v)*F(u))*(((v))*(Y(u)))");
}

TEST_F(SymbolicDerivation, VariablesThatDoNotOccurGiveZeroBlocks) {
    // "u^4" never mentions v: the v blocks are the constant 0 and no text is derived.
    TSymbolicPartials g;
    g.ParseNewText("u^4", "uv", "", {.compile = true, .withPartials = true});
    for (int b : {2, 4, 5, 7, 8, 9}) {
        EXPECT_EQ(g.FBlockLengths[b], 21 + 2 + 17) << b;  // prologue, fldz, epilogue
        const uint8_t* code = static_cast<const uint8_t*>(g.fs[b].code);
        EXPECT_EQ(code[21], 0xD9);
        EXPECT_EQ(code[22], 0xEE);
    }
    const double args[2] = {1.5, -2};
    EXPECT_NEAR(g.EvaluateFF(1, 1, 1, args), 24 * 1.5, 1e-13);
    EXPECT_EQ(g.EvaluateFF(2, 2, 2, args), 0);
}

TEST(SymbolicDerivationLimits, ExplodingDerivativesAreRefused) {
    // Each order copies the argument of every enclosing function: nine sines
    // around a sum of forty products give a third derivative of about 450 KB,
    // refused instead of compiled (or, for worse formulas, exhausting memory).
    std::string text;
    for (int k = 0; k < 40; ++k) text += (k ? "+u*v*" : "u*v*") + std::to_string(k + 2);
    for (int k = 0; k < 9; ++k) text = "sin(" + text + ")";
    TSymbolicPartials f;
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true}); }),
              "The derivatives of this formula grow too large to be compiled.");
    // The object is usable again afterwards.
    f.ParseNewText("u*v", "uv", "", {.compile = true, .withPartials = true});
    const double args[2] = {2, 3};
    EXPECT_EQ(f.EvaluateFF(1, 2, 0, args), 1);
}

TEST(SymbolicDerivationLimits, DeepNestingIsRefused) {
    std::string text = "u";
    for (int k = 0; k < 2000; ++k) text = "(" + text + ")";
    TSymbolicPartials f;
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true}); }), "The formula is nested too deeply.");
    std::string ok = "u";
    for (int k = 0; k < 200; ++k) ok = "(" + ok + ")";
    f.ParseNewText(ok, "uv", "", {.compile = true, .withPartials = true});
    const double args[2] = {2, 3};
    EXPECT_EQ(f.EvaluateFF(1, 0, 0, args), 1);
}

}  // namespace
}  // namespace velmora::test

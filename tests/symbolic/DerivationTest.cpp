// Symbolic differentiation: the blocks the product, power and function rules
// give (their code beside the code of the derivative written out, their
// values beside independent Taylor jets), and the refusal of formulas whose
// derivatives explode.
#include "SymbolicTestSupport.h"

#include <functional>

namespace velmora::test {
namespace {

constexpr std::array<int, 3> kByU{1, 0, 0};
constexpr std::array<int, 3> kByV{2, 0, 0};

TEST(SymbolicDerivation, ProductRuleKeepsOnlyTheTermsThatDoNotVanish) {
    EXPECT_EQ(Body("u*u", kByU), Body("u+u"));
    EXPECT_EQ(Body("u*v", kByU), Body("v"));
    EXPECT_EQ(Body("u*v", kByV), Body("u"));
    EXPECT_EQ(Body("u*u", kByV), Body("0"));
    EXPECT_EQ(Body("u*u*u", kByU), Body("(u+u)*(u)+(u)*(u)"));
    EXPECT_EQ(Body("2*u*v", kByU), Body("2*v"));
    EXPECT_EQ(Body("0*u", kByU), Body("0"));
    EXPECT_EQ(Body("(u+v)*(u)", kByU), Body("(u)+(u+v)"));
    EXPECT_EQ(Body("u+v+2", kByU), Body("1"));
}

// The first derivatives by u of a function of u and of u*v against the
// Taylor jets: every template of the function letters, with a unit and a
// general inner derivative; their own derivatives (the letters of the
// derivatives of ln and abs) in the second derivatives.
TEST(SymbolicDerivation, FunctionTemplates) {
    using Fn = std::function<Jet(const Jet&)>;
    const struct {
        const char* name;
        Fn f;
        double u, v;
    } table[] = {
        {"cos", [](const Jet& x) { return cos(x); }, 0.7, 0.4},
        {"sin", [](const Jet& x) { return sin(x); }, 0.7, 0.4},
        {"exp", [](const Jet& x) { return exp(x); }, 0.7, 0.4},
        {"sqr", [](const Jet& x) { return x * x; }, 0.7, 0.4},
        {"sqrt", [](const Jet& x) { return sqrt(x); }, 0.7, 0.4},
        {"ln", [](const Jet& x) { return log(x); }, 0.7, 0.4},
        {"tan", [](const Jet& x) { return tan(x); }, 0.7, 0.4},
        {"sinh", [](const Jet& x) { return sinh(x); }, 0.7, 0.4},
        {"cosh", [](const Jet& x) { return cosh(x); }, 0.7, 0.4},
        {"tanh", [](const Jet& x) { return tanh(x); }, 0.7, 0.4},
        {"arcsin", [](const Jet& x) { return asin(x); }, 0.7, 0.4},
        {"arccos", [](const Jet& x) { return acos(x); }, 0.7, 0.4},
        {"arctan", [](const Jet& x) { return atan(x); }, 0.7, 0.4},
        {"abs", [](const Jet& x) { return fabs(x); }, -0.7, 0.4},
        {"cot", [](const Jet& x) { return cot(x); }, 0.7, 0.4},
        {"arccosh", [](const Jet& x) { return acosh(x); }, 2.5, 0.8},
        {"arctanh", [](const Jet& x) { return atanh(x); }, 0.7, 0.4},
        {"arcsinh", [](const Jet& x) { return asinh(x); }, 0.7, 0.4},
        {"sgn", [](const Jet& x) { return sgn(x); }, -0.7, 0.4},
        {"inv", [](const Jet& x) { return inv(x); }, 0.7, 0.4},
        {"chs", [](const Jet& x) { return -x; }, 0.7, 0.4},
        {"cube", [](const Jet& x) { return ipow(x, 3); }, 0.7, 0.4},
        {"quad", [](const Jet& x) { return ipow(x, 4); }, 0.7, 0.4},
    };
    for (const auto& row : table) {
        for (const bool general : {false, true}) {
            const std::string text = std::string(row.name) + (general ? "(u*v)" : "(u)");
            TSymbolicPartials f;
            f.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true});
            const Jet u = Jet::U(row.u), v = Jet::V(row.v);
            const Jet jet = row.f(general ? u * v : u);
            const double args[2] = {row.u, row.v};
            for (const auto& m : kMultiIndexes) {
                const double want = jet.Derivative(m);
                EXPECT_NEAR(f.EvaluateFF(m[0], m[1], m[2], args), want, 1e-12 * std::max(1.0, std::fabs(want)))
                    << text << " by " << m[0] << m[1] << m[2];
            }
        }
    }
    // A function of a variable that does not change: 0.
    EXPECT_EQ(Body("cos(v)", kByU), Body("0"));
    EXPECT_EQ(Body("sgn(u)", kByU), Body("0"));
    EXPECT_EQ(Body("abs(u)", {1, 1, 0}), Body("0"));
}

TEST(SymbolicDerivation, PowerRule) {
    // Integer power: the exponent is constant, the new one folded; the
    // values are those of the products of squares.
    for (const double u : {-1.5, 0.0, 0.75, 2.0}) {
        const double at[2] = {u, 0};
        TSymbolicPartials p;
        p.ParseNewText("u^5", "uv", "", {.compile = true, .withPartials = true});
        EXPECT_EQ(p.EvaluateFF(1, 0, 0, at), 5 * u * u * u * u) << u;
        EXPECT_EQ(p.EvaluateFF(1, 1, 1, at), 60 * u * u) << u;
    }
    const double args[2] = {1.5, 0.5};
    TSymbolicPartials f;
    f.ParseNewText("cos(u)^5 + v^u", "uv", "", {.compile = true, .withPartials = true});
    const Jet jet = ipow(cos(Jet::U(args[0])), 5) + pow(Jet::V(args[1]), Jet::U(args[0]));
    for (const auto& m : kMultiIndexes) {
        const double want = jet.Derivative(m);
        EXPECT_NEAR(f.EvaluateFF(m[0], m[1], m[2], args), want, 1e-12 * std::max(1.0, std::fabs(want)))
            << m[0] << m[1] << m[2];
    }
}

TEST(SymbolicDerivation, VariablesThatDoNotOccurGiveZeroBlocks) {
    // "u^4" never mentions v: the v blocks are the constant 0 and no text is derived.
    TSymbolicPartials g;
    g.ParseNewText("u^4", "uv", "", {.compile = true, .withPartials = true});
    for (const auto& m : {std::array<int, 3>{2, 0, 0}, {1, 2, 0}, {2, 2, 0}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}}) {
        const std::span<const uint8_t> code = g.BlockCode(m[0], m[1], m[2]);
        ASSERT_EQ(code.size(), 21u + 2 + 17) << m[0] << m[1] << m[2];  // prologue, fldz, epilogue
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
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true}); }),
              "The formula is nested too deeply.");
    std::string ok = "u";
    for (int k = 0; k < 200; ++k) ok = "(" + ok + ")";
    f.ParseNewText(ok, "uv", "", {.compile = true, .withPartials = true});
    const double args[2] = {2, 3};
    EXPECT_EQ(f.EvaluateFF(1, 0, 0, args), 1);
}

}  // namespace
}  // namespace velmora::test

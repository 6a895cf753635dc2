// The symbolic blocks against the derivative evaluator, an independent engine
// (its own parser, forward propagation of derivatives along a curve): f_u, f_v,
// f_uu, f_uv, f_vv directly, and the four third derivatives against central
// differences of the evaluator's second derivatives. Both engines read every
// formula of the language alike, so random formulas over the whole language
// must agree wherever the rounding-error model can judge.
#include "SymbolicTestSupport.h"

#include "EngineComparison.h"
#include "RandomFormula.h"

#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"

#include <cmath>
#include <random>
#include <vector>

namespace velmora::test {
namespace {

// Formulas both languages read alike, at points away from every clamp edge
// (the evaluator's general power is exp(E ln B), so bases stay positive).
const char* const kFormulas[] = {
    "sin(u)*cos(v)",
    "exp(u*v) + ln(u+2) - sqrt(v+3)",
    "sqr(u-v) + tan(u/2+v/3)",
    "sinh(u)*cosh(v) - tanh(u*v)",
    "arcsin(u/2)*arccos(v/3) + arctan(u*v)",
    "abs(u-v)*v + cot(u+1)",
    "arccosh(u*u+2) + arctanh(v/2) + arcsinh(u*v-1)",
    "u^5*v^(-3) + (u+v)^7 - 2/(u*u+v*v)",
    "u^v + (u+2)^(v*v) + u^0.5 + 3^(u-v)",
    // Towers differ between the two languages when the last exponent is an
    // integer (the evaluator's parser reads (u+1)^v^2 as (u+1)^(v^2)), so the
    // tower here ends in a variable exponent.
    "(u+1)^(v*2) + u^2^3 + (u+2)^2^v",
    "(u*v+1)*(u-v)*(2+sin(u*v))/(v+2)",
    "-u^2*v + (-v)^3 - 1/(u*u+v*v) + 2^(-u)",
    "sin(cos(exp(u*v/3)))*ln(2+sin(u+v))",
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)",
    "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)",
    "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)",
};

const double kPointList[][2] = {{0.7, 0.3}, {1.3, -0.4}, {0.45, 1.1}, {1.8, 0.9}};

struct EvaluatorDerivatives {
    double f, fu, fv, fuu, fuv, fvv;
};

EvaluatorDerivatives FromEvaluator(TJetEvaluator& ev, double u, double v) {
    EvaluatorDerivatives d{};
    const double alongU[4] = {u, v, 1, 0}, alongV[4] = {u, v, 0, 1};
    const Vector2 fu = ev.FirstD(alongU);
    const Vector2 fv = ev.FirstD(alongV);
    d.f = fu[0];
    d.fu = fu[1];
    d.fv = fv[1];
    const double uu[6] = {u, v, 1, 0, 0, 0}, vv[6] = {u, v, 0, 1, 0, 0}, both[6] = {u, v, 1, 1, 0, 0};
    d.fuu = ev.SecondD(uu)[2];
    d.fvv = ev.SecondD(vv)[2];
    d.fuv = (ev.SecondD(both)[2] - d.fuu - d.fvv) / 2;
    return d;
}

double Scale(double x) { return std::max(1.0, std::fabs(x)); }

TEST(SymbolicCrossEngine, BlocksAgreeWithTheDerivativeEvaluator) {
    const double h = 1e-4;
    for (const char* text : kFormulas) {
        TFormulaCompiler parser;
        ASSERT_NO_THROW(parser.ParseNewText(text, "uv", "", {.compile = true})) << text;
        TJetEvaluator ev;
        ev.Build(parser);
        TSymbolicPartials f;
        ASSERT_NO_THROW(f.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true})) << text;

        for (const auto& p : kPointList) {
            const double u = p[0], v = p[1];
            const double args[2] = {u, v};
            auto block = [&](int i, int j, int k) { return f.EvaluateFF(i, j, k, args); };
            const EvaluatorDerivatives e = FromEvaluator(ev, u, v);
            const std::string where = std::string(text) + " at (" + std::to_string(u) + ", " + std::to_string(v) + ")";

            EXPECT_NEAR(block(0, 0, 0), e.f, 1e-9 * Scale(e.f)) << where;
            EXPECT_NEAR(block(1, 0, 0), e.fu, 1e-9 * Scale(e.fu)) << "fu " << where;
            EXPECT_NEAR(block(2, 0, 0), e.fv, 1e-9 * Scale(e.fv)) << "fv " << where;
            EXPECT_NEAR(block(1, 1, 0), e.fuu, 1e-9 * Scale(e.fuu)) << "fuu " << where;
            EXPECT_NEAR(block(1, 2, 0), e.fuv, 1e-9 * Scale(e.fuv)) << "fuv " << where;
            EXPECT_NEAR(block(2, 2, 0), e.fvv, 1e-9 * Scale(e.fvv)) << "fvv " << where;

            const EvaluatorDerivatives uPlus = FromEvaluator(ev, u + h, v), uMinus = FromEvaluator(ev, u - h, v);
            const EvaluatorDerivatives vPlus = FromEvaluator(ev, u, v + h), vMinus = FromEvaluator(ev, u, v - h);
            const double fuuu = (uPlus.fuu - uMinus.fuu) / (2 * h);
            const double fuuv = (vPlus.fuu - vMinus.fuu) / (2 * h);
            const double fuvv = (uPlus.fvv - uMinus.fvv) / (2 * h);
            const double fvvv = (vPlus.fvv - vMinus.fvv) / (2 * h);
            EXPECT_NEAR(block(1, 1, 1), fuuu, 1e-6 * Scale(fuuu)) << "fuuu " << where;
            EXPECT_NEAR(block(1, 1, 2), fuuv, 1e-6 * Scale(fuuv)) << "fuuv " << where;
            EXPECT_NEAR(block(1, 2, 2), fuvv, 1e-6 * Scale(fuvv)) << "fuvv " << where;
            EXPECT_NEAR(block(2, 2, 2), fvvv, 1e-6 * Scale(fvvv)) << "fvvv " << where;
        }
    }
}

struct Engines {
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    TSymbolicPartials symbolic;
    void Parse(const std::string& text) {
        parser.ParseNewText(text, "uv", "");
        evaluator.Build(parser);
        symbolic.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true});
    }
};

TEST(SymbolicCrossEngine, RandomFormulasOverTheWholeLanguageAgree) {
    RandomFormula gen(97531);
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> x(-2.5, 2.5);
    Engines e;
    int compared = 0, skipped = 0, refused = 0;
    for (int i = 0; i < 500 && !HasFailure(); ++i) {
        const std::string text = gen.Next(1 + i % 5);
        try {
            e.Parse(text);
        } catch (const VelmoraError& error) {
            ++refused;  // only the limits of the symbolic engine may refuse
            EXPECT_TRUE(std::string(error.what()).find("grow too large") != std::string::npos ||
                        std::string(error.what()).find("213 constants") != std::string::npos)
                << text << ": " << error.what();
            continue;
        }
        for (int k = 0; k < 6; ++k) {
            // Whole numbers and zero too: the edges of abs, sqrt, ln, cot lie there.
            double u = x(rng), v = x(rng);
            if (k == 0) u = std::round(u);
            if (k == 1) v = 0;
            const Verdict verdict = CompareSymbolicWithEvaluator(e.parser, e.evaluator, e.symbolic, u, v);
            EXPECT_TRUE(verdict) << text << " at (" << u << ", " << v << "): " << verdict.failure;
            ++(verdict.compared ? compared : skipped);
        }
    }
    EXPECT_LT(refused, 25);
    EXPECT_GT(compared, 4 * skipped) << compared << " compared, " << skipped << " skipped";
}

// Formulas where the two readings used to part: towers ending in an integer,
// general powers of negative bases, the exp clamp, arctanh outside (-1, 1),
// the derivatives of clamped functions and of abs at 0, a tab between digits,
// a minus before a number that is a base.
TEST(SymbolicCrossEngine, FormulasTheTwoLanguagesOnceReadApart) {
    const char* texts[] = {
        "u^v^2",          "(u+2)^v^3 + u^2^v",   "(u-3)^v + v^(u*0.5)",  "(-2)^u + u^(1+1)",
        "exp(200*u*v)",   "sinh(170 u) - cosh(v*180)", "tanh(400*u)", "arctanh(u*v) + arctanh(3*u)",
        "ln(u) + ln(-v)", "arccosh(u+v) * arccosh(-3*u)", "cot(u*v)", "abs(u)*v + abs(v)^3",
        "2\t3*u + 4 5*v", "-2^u + u*(-3^2)", "sqrt(u) + arcsin(2u)",
        // Signs split by blanks: a pair of operators that stands for a sign.
        "+ +v", "v*(+ -u)", "u + (+ +v)", "+++v", "u*(+ + +v)",
    };
    const double points[][2] = {{0.7, 0.3}, {-1.3, -0.4}, {0.0, 1.1}, {1.8, 0.0}, {-0.45, 2.5}, {2.0, -1.5}};
    Engines e;
    int compared = 0;
    for (const char* text : texts) {
        ASSERT_NO_THROW(e.Parse(text)) << text;
        for (const auto& p : points) {
            const Verdict verdict = CompareSymbolicWithEvaluator(e.parser, e.evaluator, e.symbolic, p[0], p[1]);
            EXPECT_TRUE(verdict) << text << " at (" << p[0] << ", " << p[1] << "): " << verdict.failure;
            compared += verdict.compared;
        }
    }
    EXPECT_GT(compared, 60);
}

}  // namespace
}  // namespace velmora::test

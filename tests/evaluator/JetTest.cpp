// The jet function: value, gradient and Hessian in one pass. Hand-derived
// cases with the clamps of the derivative table, then random and deep
// formulas against the reference interpreter run along (1,0), (0,1) and (1,1),
// the mixed derivative by polarisation, within the rounding-error model.
#include "ErrorBound.h"
#include "RandomFormula.h"

#include "evaluator/JetEvaluator.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <span>

namespace velmora {
namespace {

using test::EvaluateWithBounds;
using test::WithinBound;

struct Compiled {
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    explicit Compiled(const std::string& text) {
        parser.ParseNewText(text, "uv", "");
        evaluator.Build(parser);
    }
    TSecondOrderJet At(double u, double v) {
        const double at[2] = {u, v};
        return evaluator.SecondOrderJet(at);
    }
};

void ExpectJet(const TSecondOrderJet& j, double f, double fu, double fv, double fuu, double fuv, double fvv,
               double tolerance = 0) {
    EXPECT_NEAR(j.f, f, tolerance);
    EXPECT_NEAR(j.fu, fu, tolerance);
    EXPECT_NEAR(j.fv, fv, tolerance);
    EXPECT_NEAR(j.fuu, fuu, tolerance);
    EXPECT_NEAR(j.fuv, fuv, tolerance);
    EXPECT_NEAR(j.fvv, fvv, tolerance);
}

TEST(JetTest, HandDerivedValuesAndClamps) {
    ExpectJet(Compiled("u*v").At(2, 3), 6, 3, 2, 0, 1, 0);
    ExpectJet(Compiled("u^2*v - 3v^3").At(2, -1), -1, -4, -5, -2, 4, 18);
    const double u = 0.7, v = -1.1;
    ExpectJet(Compiled("sin(u)*cos(v)").At(u, v), std::sin(u) * std::cos(v), std::cos(u) * std::cos(v),
              -std::sin(u) * std::sin(v), -std::sin(u) * std::cos(v), -std::cos(u) * std::sin(v),
              -std::sin(u) * std::cos(v), 1e-15);
    const double e = std::exp(u * v);
    ExpectJet(Compiled("exp(u*v)").At(u, v), e, v * e, u * e, v * v * e, (1 + u * v) * e, u * u * e, 1e-15);
    ExpectJet(Compiled("u/(v*v+1)").At(u, v), u / (v * v + 1), 1 / (v * v + 1), -2 * u * v / std::pow(v * v + 1, 2), 0,
              -2 * v / std::pow(v * v + 1, 2), u * (6 * v * v - 2) / std::pow(v * v + 1, 3), 1e-15);
    // Division by zero, and functions outside their domains: clamp values, no derivatives.
    ExpectJet(Compiled("u/(v-1)").At(2, 1), 0, 0, 0, 0, 0, 0);
    ExpectJet(Compiled("sqrt(u*v)").At(0, 5), 0, 0, 0, 0, 0, 0);
    ExpectJet(Compiled("ln(u+v)").At(-1, 0.5), -230, 0, 0, 0, 0, 0);
    ExpectJet(Compiled("arctanh(u*v)").At(1, 1), 1e100, 0, 0, 0, 0, 0);
    ExpectJet(Compiled("arcsin(u+v)").At(1, 1), std::acos(-1.0) / 2, 0, 0, 0, 0, 0);
    // A clamped exponential keeps its factor.
    ExpectJet(Compiled("exp(u+v)").At(150, 50), 1e100, 1e100, 1e100, 1e100, 1e100, 1e100);
    // abs changes the sign of every channel below 0.
    ExpectJet(Compiled("abs(u*u*v)").At(2, -3), 12, 12, -4, 6, -4, 0);
    // Constants and a formula without v.
    ExpectJet(Compiled("sin(2)*cos(pi/3)").At(0.3, 0.4), std::sin(2.0) * 0.5, 0, 0, 0, 0, 0, 1e-15);
    ExpectJet(Compiled("u^3").At(2, 9), 8, 12, 0, 12, 0, 0);
}

TEST(JetTest, OnlyFormulasInTwoVariablesHaveAJet) {
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    parser.ParseNewText("u*v*w", "uvw", "");
    evaluator.Build(parser);
    const double at[3] = {1, 2, 3};
    ExpectJet(evaluator.SecondOrderJet(at), 0, 0, 0, 0, 0, 0);
    // Its hh is there all the same: gradient then Hessian, upper triangle.
    EXPECT_EQ(evaluator.Function(JetFunction::Jet)(at, 3), 6);
    const std::span<const double> d = evaluator.JetDerivatives();
    EXPECT_EQ(std::vector<double>(d.begin(), d.end()), (std::vector<double>{6, 3, 2, 0, 3, 2, 0, 1, 0}));
    TJetEvaluator unbuilt;
    ExpectJet(unbuilt.SecondOrderJet(at), 0, 0, 0, 0, 0, 0);
}

struct Tally {
    int compared = 0, skipped = 0;
};

// The jet at (u, v) against the reference along (1,0), (0,1) and (1,1).
void CheckJet(const TFormulaCompiler& parser, TJetEvaluator& evaluator, ReferenceEvaluator& reference,
              double u, double v, Tally& tally) {
    const double along[3][6] = {{u, v, 1, 0, 0, 0}, {u, v, 0, 1, 0, 0}, {u, v, 1, 1, 0, 0}};
    test::BoundResult bound[3];
    Vector3 ref[3];
    for (int k = 0; k < 3; ++k) {
        bound[k] = EvaluateWithBounds(parser.Program(), parser.Table(), 2, along[k], false);
        if (bound[k].ambiguous) {
            ++tally.skipped;
            return;
        }
        ref[k] = reference.Derivatives(along[k]);
    }
    ++tally.compared;
    const double at[2] = {u, v};
    const TSecondOrderJet j = evaluator.SecondOrderJet(at);
    SCOPED_TRACE(testing::Message() << "at u=" << u << " v=" << v);
    EXPECT_TRUE(WithinBound(j.f, ref[0][0], bound[0].jet.m0)) << j.f << " vs " << ref[0][0];
    EXPECT_TRUE(WithinBound(j.fu, ref[0][1], bound[0].jet.m1)) << j.fu << " vs " << ref[0][1];
    EXPECT_TRUE(WithinBound(j.fuu, ref[0][2], bound[0].jet.m2)) << j.fuu << " vs " << ref[0][2];
    EXPECT_TRUE(WithinBound(j.fv, ref[1][1], bound[1].jet.m1)) << j.fv << " vs " << ref[1][1];
    EXPECT_TRUE(WithinBound(j.fvv, ref[1][2], bound[1].jet.m2)) << j.fvv << " vs " << ref[1][2];
    const double fuv = (ref[2][2] - ref[0][2] - ref[1][2]) / 2;
    const double m = (bound[0].jet.m2 + bound[1].jet.m2 + bound[2].jet.m2) / 2;
    EXPECT_TRUE(WithinBound(j.fuv, fuv, m)) << j.fuv << " vs " << fuv;
}

TEST(JetTest, RandomAndDeepFormulasAgreeWithTheReference) {
    test::RandomFormula gen(99173);
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> x(-2, 2);
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    ReferenceEvaluator reference;
    Tally tally;
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) texts.push_back(gen.Next(1 + i % 6));
    // Deep formulas keep many six-channel values pending at once.
    for (const char* deep : {"1+(2+(3+(4+(5+(6+(7+(8+(9+u*v))))))))",
                             "u*(v+(u*(v+(u*(v+(u*(v+(u*(v+sin(u*cos(v+tan(u/3))))))))))))",
                             "(u+(v/(u+(v/(u+(v/(u+(v/(u+(v/(3+u)))))))))))",
                             "cosh(u/(1+(v*v/(2+(u*u/(3+(v*v/(4+(u*u/(5+(v*v)))))))))))",
                             "(u*v+1)*(u-v+2)*(u*u+v)*(v*v-u)*(u+v*v*u)/(1+u*u*v*v)"})
        texts.push_back(deep);
    for (const std::string& text : texts) {
        SCOPED_TRACE("formula: " + text);
        parser.ParseNewText(text, "uv", "");
        evaluator.Build(parser);
        reference.Load(parser);
        for (int k = 0; k < 8 && !HasFailure(); ++k) CheckJet(parser, evaluator, reference, x(rng), x(rng), tally);
        if (HasFailure()) break;
    }
    EXPECT_GT(tally.compared, 4 * tally.skipped) << tally.compared << " compared, " << tally.skipped << " skipped";
}

}  // namespace
}  // namespace velmora

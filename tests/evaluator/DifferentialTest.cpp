// Random formulas, given as text to the parser, run four ways: the parser's
// Fv, the evaluator's ff, vv and aa, and the reference interpreter. Values and
// derivatives must agree within the rounding-error model of ErrorBound.h.
#include "EngineComparison.h"
#include "RandomFormula.h"

#include "evaluator/JetEvaluator.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <gtest/gtest.h>

#include <random>

namespace velmora {
namespace {

struct Tally {
    int formulas = 0, compared = 0, skipped = 0;
};

// Compares every engine at `points` random points of one parsed formula.
void CheckFormula(const std::string& text, TFormulaCompiler& parser, TJetEvaluator& evaluator,
                  ReferenceEvaluator& reference, std::mt19937_64& rng, int points, Tally& tally) {
    SCOPED_TRACE("formula: " + text);
    evaluator.Build(parser);
    reference.Load(parser);
    std::uniform_real_distribution<double> x(-2, 2), d(-1.5, 1.5), e(-1, 1);
    for (int k = 0; k < points; ++k) {
        const double args[6] = {x(rng), x(rng), d(rng), d(rng), e(rng), e(rng)};
        const test::Verdict verdict = test::CompareCompiledWithReference(parser, evaluator, reference, args);
        EXPECT_TRUE(verdict) << verdict.failure << " at u=" << args[0] << " v=" << args[1] << " d=(" << args[2]
                             << "," << args[3] << ") e=(" << args[4] << "," << args[5] << ")";
        ++(verdict.compared ? tally.compared : tally.skipped);
    }
    ++tally.formulas;
}

TEST(DifferentialTest, RandomFormulasAgreeAcrossEngines) {
    test::RandomFormula gen(20240611);
    std::mt19937_64 rng(7);
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    ReferenceEvaluator reference;
    Tally tally;
    int refused = 0;
    for (int i = 0; i < 600 && !HasFailure(); ++i) {
        const std::string text = gen.Next(1 + i % 6);
        try {
            parser.ParseNewText(text, "uv", "", {.compile = true});
        } catch (const VelmoraError& e) {
            // Only the spill frame limit may refuse a generated text.
            ADD_FAILURE() << "parser refused " << text << ": " << e.what();
            ++refused;
            continue;
        }
        CheckFormula(text, parser, evaluator, reference, rng, 12, tally);
    }
    EXPECT_EQ(refused, 0);
    // Most points must be comparable, or the test would prove little.
    EXPECT_GT(tally.compared, 4 * tally.skipped) << tally.compared << " compared, " << tally.skipped << " skipped";
    RecordProperty("compared", tally.compared);
    RecordProperty("skipped", tally.skipped);
}

// Deep formulas: every operator with long chains, so that left operands are
// spilled and reloaded, and functions need free registers while seven or more
// values are pending.
TEST(DifferentialTest, DeepFormulasThatSpill) {
    const char* texts[] = {
        "1+(2+(3+(4+(5+(6+(7+(8+(9+u))))))))",
        "u-(v-(u*(v-(u/(2-(v*(3-(u-(v+(u*v))))))))))",
        "1+(2+(3+(4+(5+(6+exp(u))))))",
        "u*(v+(u*(v+(u*(v+(u*(v+(u*(v+sin(u*cos(v+tan(u/3))))))))))))",
        "(u+(v/(u+(v/(u+(v/(u+(v/(u+(v/(3+u)))))))))))",
        "1/(2/(3/(4/(5/(6/(7/(8/(9/(u*u+1)))))))))",
        "sqrt(2+(u*(v-(u*(v-(u*(v-(u*(v-(arctan(u)*arcsinh(v)))))))))))",
        "cosh(u/(1+(v*v/(2+(u*u/(3+(v*v/(4+(u*u/(5+(v*v)))))))))))",
    };
    std::mt19937_64 rng(11);
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    ReferenceEvaluator reference;
    Tally tally;
    for (const char* text : texts) {
        parser.ParseNewText(text, "uv", "", {.compile = true});
        EXPECT_GE(parser.StackDepth(), 7) << text;
        CheckFormula(text, parser, evaluator, reference, rng, 40, tally);
    }
    EXPECT_GT(tally.compared, 4 * tally.skipped);
}

// A product that leaves the range of double: 0.3^704 is about 1e-368, below
// the least subnormal double (4.9e-324), so the reference computes 0 where the
// x87's wider exponent keeps a number. Both are honest; the model must not
// compare them (found by fuzzing: the first two texts), yet still compare the
// same formula where the power stays in range (0.6^704 is about 1e-156).
TEST(DifferentialTest, ProductsBelowTheRangeOfDoubleAreNotCompared) {
    const struct {
        const char* text;
        double v;
        bool inRange;
    } cases[] = {
        {"33^47440.5\\370.79V^704\\723", 0.3, false},
        {"4532v^827v 1827^61 12.34334", 0.3, false},
        {"v^704 10^150", 0.3, false},        // 1e-184 squared
        {"v^400/10^150 10^200", 0.3, false},  // 7e-210 divided by 1e150
        {"v^704 10^150", 0.6, true},
    };
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    ReferenceEvaluator reference;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        parser.ParseNewText(c.text, "uv", "", {.compile = true});
        evaluator.Build(parser);
        reference.Load(parser);
        const double args[6] = {0.7, c.v, 1, 0, 0, 0};
        const test::Verdict verdict = test::CompareCompiledWithReference(parser, evaluator, reference, args);
        EXPECT_TRUE(verdict) << verdict.failure;
        EXPECT_EQ(verdict.compared, c.inRange);
        if (!c.inRange) {
            EXPECT_EQ(reference.Value(args), 0.0);
            EXPECT_NE(evaluator.Value(args), 0.0);
        }
    }
}

}  // namespace
}  // namespace velmora

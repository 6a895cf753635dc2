// The symbolic engine: any text parsed with every partial derivative up to
// the third order, every block called. Where the formula language accepts the
// text too, the blocks must agree with its engines (value, first and second
// derivatives within the rounding-error model, third derivatives with central
// differences of the second), and the symbolic engine may refuse it only at
// one of its own limits. A text without variables is a bound: its value must
// be the formula language's.
//
// Input: the formula, then a line "u v".
#include "EngineComparison.h"
#include "ErrorBound.h"
#include "FuzzInput.h"

#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"
#include "symbolic/EncodedText.h"
#include "symbolic/SymbolicPartials.h"

#include <cstring>

using namespace velmora;

namespace {

// The messages with which the symbolic engine may refuse a formula the
// formula language accepts: limits of its tables, texts and frame.
bool IsSymbolicLimit(const char* message) {
    for (const char* limit : {symbolic::kMsgTooManyConstants, symbolic::kMsgTooLarge, symbolic::kMsgTooDeep,
                              kTooManyPendingMessage})
        if (std::strcmp(message, limit) == 0) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::InitializeFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = fuzz::Lines(data, size, 2);
    const std::string& text = lines[0];
    const std::vector<double> point = fuzz::Numbers(lines[1], 2, 1e4, {0.7, 0.3});
    static TSymbolicPartials symbolic;
    static TFormulaCompiler parser;
    static TJetEvaluator evaluator;

    std::string symbolicRefusal;
    try {
        symbolic.ParseNewText(text, "uv", "", {.compile = true, .withPartials = true});
        for (int i = 0; i <= 2; ++i)
            for (int j = 0; j <= 2; ++j)
                for (int k = 0; k <= 2; ++k) (void)symbolic.EvaluateFF(i, j, k, point.data());
    } catch (const VelmoraError& e) {
        symbolicRefusal = e.what();
    }
    bool language = true;
    try {
        parser.ParseNewText(text, "uv", "");
        evaluator.Build(parser);
    } catch (const VelmoraError&) {
        language = false;
    }
    if (language && !symbolicRefusal.empty() && !IsSymbolicLimit(symbolicRefusal.c_str()))
        fuzz::Fail(text + ": the formula language reads it, the symbolic engine refuses it: " + symbolicRefusal);
    if (language && symbolicRefusal.empty()) {
        const test::Verdict verdict = test::CompareSymbolicWithEvaluator(parser, evaluator, symbolic, point[0], point[1]);
        if (!verdict) fuzz::Fail(text + " at " + fuzz::Written(point) + ": " + verdict.failure);
    }

    // A bound: the value of a text without variables.
    double bound = 0;
    try {
        bound = EvaluateConstantFormula(text);
    } catch (const VelmoraError&) {
        return 0;
    }
    if (!language) return 0;
    const double anywhere[6] = {0, 0, 0, 0, 0, 0};
    const test::BoundResult b = test::EvaluateWithBounds(parser.Program(), parser.Table(), 2, anywhere, true);
    const double value = evaluator.Value(anywhere);
    if (!b.ambiguous && !test::WithinBound(bound, value, b.jet.m0))
        fuzz::Fail(text + ": the bound's value " + fuzz::Written({bound}) + " against the formula language's " +
                   fuzz::Written({value}));
    return 0;
}

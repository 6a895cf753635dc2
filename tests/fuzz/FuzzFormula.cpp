// The formula language's compiler: any text through the parser, the value
// code, the derivative evaluator and the reference interpreter. Whatever the
// parser accepts, the compiled value, first and second derivatives along a
// curve must agree with the interpreter within the rounding-error model, and
// the jet function with the curve functions.
//
// Input: the formula, then a line "u v du dv eu ev".
#include "EngineComparison.h"
#include "ErrorBound.h"
#include "FuzzInput.h"

#include "evaluator/JetEvaluator.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <cmath>

using namespace velmora;

namespace {
constexpr std::size_t kLongProgram = 20000;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::InitializeFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = fuzz::Lines(data, size, 2);
    const std::vector<double> args = fuzz::Numbers(lines[1], 6, 1e4, {0.7, 0.3, 1, 0, 0, 0});
    static TFormulaCompiler parser;
    static TJetEvaluator evaluator;
    static ReferenceEvaluator reference;
    try {
        parser.ParseNewText(lines[0], "uv", "", {.compile = true});
        evaluator.Build(parser);
        reference.Load(parser);
    } catch (const VelmoraError&) {
        return 0;  // refused with a message: nothing to compare
    }
    // Integer powers of integer powers copy their bases: programs of hundreds of
    // thousands of tokens are compiled above, but comparing them would take
    // seconds per input.
    if (parser.Program().size() > kLongProgram) return 0;
    const test::Verdict verdict = test::CompareCompiledWithReference(parser, evaluator, reference, args.data());
    if (!verdict) fuzz::Fail(lines[0] + " at " + fuzz::Written(args) + ": " + verdict.failure);

    // The jet: value, gradient and Hessian in one pass, against aa along
    // (1,0), (0,1) and (1,1) where the model judges.
    const double at[2] = {args[0], args[1]};
    const TSecondOrderJet jet = evaluator.SecondOrderJet(at);
    const double alongU[6] = {args[0], args[1], 1, 0, 0, 0}, alongV[6] = {args[0], args[1], 0, 1, 0, 0};
    const test::BoundResult bu = test::EvaluateWithBounds(parser.Program(), parser.Table(), 2, alongU, false);
    const test::BoundResult bv = test::EvaluateWithBounds(parser.Program(), parser.Table(), 2, alongV, false);
    if (bu.ambiguous || bv.ambiguous) return 0;
    const Vector3 u = evaluator.SecondD(alongU), v = evaluator.SecondD(alongV);
    const struct {
        const char* what;
        double got, want, magnitude;
    } checks[] = {{"jet f", jet.f, u[0], bu.jet.m0},      {"jet f_u", jet.fu, u[1], bu.jet.m1},
                  {"jet f_v", jet.fv, v[1], bv.jet.m1},   {"jet f_uu", jet.fuu, u[2], bu.jet.m2},
                  {"jet f_vv", jet.fvv, v[2], bv.jet.m2}};
    for (const auto& c : checks)
        if (!test::WithinBound(c.got, c.want, c.magnitude))
            fuzz::Fail(lines[0] + " at " + fuzz::Written(args) + ": " + c.what + " " + fuzz::Written({c.got}) +
                       " against " + fuzz::Written({c.want}));
    return 0;
}

// Differential checks between the engines that compile a formula, shared by
// the test suites and the fuzz targets: the formula language's compiled code
// (the parser's Fv, the evaluator's ff, vv and aa) against its reference
// interpreter, and the symbolic engine's ten blocks against the formula
// language's engines. Agreement is judged by the rounding-error model of
// ErrorBound.h; points where that model cannot judge are skipped.
#pragma once

#include "platform/VelmoraTypes.h"

#include <string>

namespace velmora {
class TFormulaCompiler;
class TJetEvaluator;
class ReferenceEvaluator;
class TSymbolicPartials;
}  // namespace velmora

namespace velmora::test {

struct Verdict {
    bool compared = false;  // false: the model cannot judge this point
    std::string failure;    // what disagreed; empty when everything agreed
    explicit operator bool() const { return failure.empty(); }
};

// At args = (u, v, du, dv, eu, ev): the parser's Fv (when it has code) and
// the evaluator's ff give the same bits, vv and aa the same value and first
// derivative, and the three agree with the reference interpreter. The
// evaluator must have been built from the parser, the reference loaded from it.
Verdict CompareCompiledWithReference(const TFormulaCompiler& parser, TJetEvaluator& evaluator,
                                     ReferenceEvaluator& reference, const double args[6]);

// At (u, v): the symbolic block of the value against the evaluator's ff, the
// first and second partial derivatives against the evaluator's, and the four
// third derivatives against central differences of the evaluator's second
// derivatives (extrapolated from two steps, and only where the two steps
// agree). All three engines must hold the same formula in u and v.
Verdict CompareSymbolicWithEvaluator(const TFormulaCompiler& parser, TJetEvaluator& evaluator,
                                     const TSymbolicPartials& symbolic, double u, double v);

}  // namespace velmora::test

// First-order rounding-error magnitudes of a postfix program, for comparing
// two honest implementations of the same formula (x87 extended precision,
// SSE2 double, the reference interpreter).
//
// Alongside each value and derivative the model carries M, such that any
// implementation that rounds each operation (and each library function) to
// within an ulp or two lies within about eps * M of the exact result: M sums
// |intermediate| times the sensitivity of the result to it. Where the program
// takes a branch whose condition is within that distance of its edge (a
// divisor near 0, an argument near a domain edge, abs near 0, a clamp
// threshold), or where values leave the range in which double and extended
// precision behave alike, the point is marked ambiguous and not compared.
#pragma once

#include "formula/CodeBuffer.h"

#include <vector>

namespace velmora::test {

struct BoundedJet {
    double v = 0, d1 = 0, d2 = 0;  // computed in double, reference semantics
    double m0 = 0, m1 = 0, m2 = 0;  // error magnitudes
};

struct BoundResult {
    BoundedJet jet;
    bool ambiguous = false;
    // An exponential (exp, sinh, cosh) was clamped: its derivatives keep the
    // clamped value as their factor, so they are not the derivatives of the
    // value along the curve.
    bool expClamped = false;
    // The largest magnitude of a value or derivative on the stack, and the
    // smallest nonzero magnitude of a value.
    double largest = 0, smallest = 0;
    // The largest error magnitude of a value or derivative on the stack.
    double largestMagnitude = 0;
};

// Runs the program at args = (x, d, e) (argNum each). valueOnly selects the
// clamps of the value-only code.
BoundResult EvaluateWithBounds(const ByteArray& program, const std::vector<double>& data, int argNum,
                               const double* args, bool valueOnly);

// |a - b| <= 1e-12 |b| + kSlack eps m (both NaN, or equal infinities, agree).
bool WithinBound(double a, double b, double m);

}  // namespace velmora::test

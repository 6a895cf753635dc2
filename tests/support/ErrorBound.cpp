#include "ErrorBound.h"

#include "evaluator/DerivativeKernels.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::test {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
// Ulps allowed per unit of magnitude: library functions (x87 or C) are within
// an ulp or two, and two implementations may err in opposite directions.
constexpr double kSlack = 16;
// Beyond this the extended exponent range of the x87 and double part ways.
constexpr double kRangeLimit = 1e250;
constexpr double kSmallLimit = 1e-250;

using Jet = ReferenceEvaluator::Jet;

struct Factors {
    double g1 = 0, g2 = 0, g3 = 0;
    // Absolute error magnitudes of computing f, g1, g2 themselves, beyond the
    // backward-stable |f|, |g1|, |g2|: cancellation inside the function.
    double extraF = 0, extraG1 = 0, extraG2 = 0;
    bool flat = false;
    // A clamped exponential: the value does not move with the argument, but
    // the derivatives still carry the clamped factors g1, g2 (the chain rule
    // applied to the argument's derivatives), so their errors propagate.
    bool clampedFactors = false;
};

// Beyond this the x87 reduces trigonometric arguments only partially (and
// fsin leaves arguments of 2^63 and more unchanged): its result is no sine.
constexpr double kTrigReductionLimit = 1e15;

constexpr double kFactorOverflowLimit = 1e60;
constexpr double kDivisorLimit = 1e150;

bool Near(double distance, double magnitude) { return std::fabs(distance) <= 4 * kSlack * kEps * magnitude; }

// A product of nonzero numbers below the smallest magnitude at which double and
// extended precision agree: in double it may round to a subnormal or to 0 while
// the x87 keeps it (0.3^704 squared out of 8.8e-185). Formed in long double,
// which holds any product of a few doubles exactly enough to tell.
bool Tiny(long double product) { return product != 0 && std::fabs(product) < kSmallLimit; }

// Derivative factors at u (the reference's value semantics decide the branch);
// sets `ambiguous` when the branch is within rounding distance of its edge.
Factors FactorsAt(uint8_t code, double u, double mu, bool valueOnly, bool& ambiguous, bool& expClamped) {
    Factors f;
    const double thr = ExpClampThreshold();
    auto expEdge = [&] {
        if (Near(std::fabs(u) - thr, mu + thr)) ambiguous = true;
        const bool clamped = !(std::fabs(u) < thr);
        if (clamped && code != 'J') expClamped = true;
        return clamped;
    };
    if ((code == 'A' || code == 'B' || code == 'G' || code == 'O') && !(std::fabs(u) < kTrigReductionLimit))
        ambiguous = true;
    // The reference forms the second derivative factors of these from u^2,
    // squared once more for arctan: beyond this they overflow to 0 or NaN.
    if ((code == 'M' || code == 'P' || code == 'R') && !(std::fabs(u) < kFactorOverflowLimit)) ambiguous = true;
    switch (code) {
        case '#': f.g1 = -1; break;
        case 'A': f.g1 = -std::sin(u); f.g2 = -std::cos(u); f.g3 = std::sin(u); break;
        case 'B': f.g1 = std::cos(u); f.g2 = -std::sin(u); f.g3 = -std::cos(u); break;
        case 'C': {
            f.clampedFactors = expEdge();
            f.g1 = f.g2 = ClampedExp(u);
            f.g3 = f.clampedFactors ? 0 : f.g1;
            break;
        }
        case 'D': f.g1 = 2 * u; f.g2 = 2; break;
        case 'E':
            if (Near(u, mu)) ambiguous = true;
            if (!(u > 0)) { f.flat = true; break; }
            f.g1 = 0.5 / std::sqrt(u); f.g2 = -f.g1 / (2 * u); f.g3 = -1.5 * f.g2 / u;
            break;
        case 'F':
            if (Near(u, mu)) ambiguous = true;
            if (!(u > 0)) { f.flat = true; break; }
            f.g1 = 1 / u; f.g2 = -1 / (u * u); f.g3 = 2 / (u * u * u);
            break;
        case 'G': {
            if (Near(std::cos(u), mu)) ambiguous = true;
            const double t = std::tan(u), w = 1 + t * t;
            f.g1 = w; f.g2 = 2 * t * w; f.g3 = w * (2 + 6 * t * t);
            break;
        }
        case 'H':
        case 'I': {
            const bool clamped = expEdge();
            if (clamped) {
                const double e = ClampedExp(u);
                const double s = e / 2 - 0.5 / e, c = e / 2 + 0.5 / e;
                f.clampedFactors = true;
                f.g1 = code == 'H' ? c : s;
                f.g2 = code == 'H' ? s : c;
                break;
            }
            const double s = std::sinh(u), c = std::cosh(u);
            f.g1 = code == 'H' ? c : s;
            f.g2 = code == 'H' ? s : c;
            f.g3 = f.g1;
            f.extraF = c;  // e/2 - 1/(2e) cancels near 0
            f.extraG1 = c;
            f.extraG2 = c;
            break;
        }
        case 'J': {
            if (expEdge()) break;
            const double t = std::tanh(u), w = 1 - t * t;
            f.g1 = w; f.g2 = -2 * t * w; f.g3 = w * (6 * t * t - 2);
            f.extraF = 1;  // (e^2 - 1)/(e^2 + 1) cancels near 0
            f.extraG1 = 2; f.extraG2 = 4;
            break;
        }
        case 'K':
        case 'L': {
            if (Near(std::fabs(u) - 1, mu)) ambiguous = true;
            if (!(std::fabs(u) < 1)) { f.flat = true; break; }
            const double w = (1 - u) * (1 + u), s = code == 'K' ? 1 : -1;
            f.g1 = s / std::sqrt(w); f.g2 = s * u / (w * std::sqrt(w)); f.g3 = s * (1 + 2 * u * u) / (w * w * std::sqrt(w));
            break;
        }
        case 'M': {
            const double w = 1 + u * u;
            f.g1 = 1 / w; f.g2 = -2 * u / (w * w); f.g3 = (6 * u * u - 2) / (w * w * w);
            break;
        }
        case 'N':
            if (Near(u, mu)) ambiguous = true;
            f.g1 = u < 0 ? -1 : 1;
            break;
        case 'O': {
            if (Near(std::sin(u), mu)) ambiguous = true;
            if (std::sin(u) == 0) { f.flat = true; break; }
            const double k = std::cos(u) / std::sin(u), w = 1 + k * k;
            f.g1 = -w; f.g2 = 2 * k * w; f.g3 = -w * (2 + 6 * k * k);
            break;
        }
        case 'P': {
            if (Near(u - 1, mu)) ambiguous = true;
            if (!(u > 1)) { f.flat = true; break; }
            const double w = (u - 1) * (u + 1);
            f.g1 = 1 / std::sqrt(w); f.g2 = -u / (w * std::sqrt(w)); f.g3 = (2 * u * u + 1) / (w * w * std::sqrt(w));
            break;
        }
        case 'Q': {
            if (Near(std::fabs(u) - 1, mu)) ambiguous = true;
            if (!(std::fabs(u) < 1)) { f.flat = true; break; }
            const double w = (1 - u) * (1 + u);
            f.g1 = 1 / w; f.g2 = 2 * u / (w * w); f.g3 = (2 + 6 * u * u) / (w * w * w);
            f.extraF = 1;  // the x87 form takes ln of (1+u)/(1-u), a number near 1 for small u
            break;
        }
        case 'R': {
            const double w = u * u + 1;
            f.g1 = 1 / std::sqrt(w); f.g2 = -u / (w * std::sqrt(w)); f.g3 = (2 * u * u - 1) / (w * w * std::sqrt(w));
            f.extraF = 1;  // the x87 form takes ln of |u| + sqrt(u^2+1), a number near 1 for small u
            break;
        }
        default: break;
    }
    (void)valueOnly;
    return f;
}

BoundedJet ApplyFunction(uint8_t code, const BoundedJet& x, bool valueOnly, bool& ambiguous, bool& expClamped) {
    const Jet r = ReferenceEvaluator::Function(code, Jet{x.v, x.d1, x.d2}, valueOnly);
    const Factors g = FactorsAt(code, x.v, x.m0, valueOnly, ambiguous, expClamped);
    BoundedJet y{r.v, r.d1, r.d2, 0, 0, 0};
    if (g.flat) {
        y.m0 = std::fabs(r.v);
        return y;
    }
    const double a1 = std::fabs(x.d1), a2 = std::fabs(x.d2);
    const double g1 = std::fabs(g.g1), g2 = std::fabs(g.g2), g3 = std::fabs(g.g3);
    // The value of a square, and the chain rule's products g1 d1, g2 d1^2, g1 d2.
    const long double d1 = x.d1;
    if ((code == 'D' && Tiny(static_cast<long double>(x.v) * x.v)) || Tiny(g.g1 * d1) || Tiny(g.g2 * d1 * d1) ||
        Tiny(static_cast<long double>(g.g1) * x.d2))
        ambiguous = true;
    // The sensitivity of the factors to an error of the argument (none when clamped).
    const double m0 = g.clampedFactors ? 0 : x.m0;
    y.m0 = g1 * m0 + std::fabs(r.v) + g.extraF;
    y.m1 = g1 * x.m1 + a1 * (g2 * m0 + g1 + g.extraG1) + std::fabs(r.d1);
    y.m2 = 2 * g2 * a1 * x.m1 + a1 * a1 * (g3 * m0 + g2 + g.extraG2) + g1 * x.m2 + a2 * (g2 * m0 + g1 + g.extraG1) +
           std::fabs(r.d2);
    return y;
}

BoundedJet ApplyOperator(uint8_t op, const BoundedJet& a, const BoundedJet& b, bool& ambiguous) {
    const Jet r = ReferenceEvaluator::Operator(op, Jet{a.v, a.d1, a.d2}, Jet{b.v, b.d1, b.d2});
    BoundedJet y{r.v, r.d1, r.d2, 0, 0, 0};
    const double av = std::fabs(a.v), a1 = std::fabs(a.d1), a2 = std::fabs(a.d2);
    const double bv = std::fabs(b.v), b1 = std::fabs(b.d1), b2 = std::fabs(b.d2);
    switch (op) {
        case '+':
        case '-':
            y.m0 = a.m0 + b.m0 + std::fabs(r.v);
            y.m1 = a.m1 + b.m1 + std::fabs(r.d1);
            y.m2 = a.m2 + b.m2 + std::fabs(r.d2);
            break;
        case '*': {
            // The terms of the product rule.
            const long double av0 = a.v, a10 = a.d1, a20 = a.d2;
            if (Tiny(av0 * b.v) || Tiny(a10 * b.v) || Tiny(av0 * b.d1) || Tiny(a20 * b.v) || Tiny(a10 * b.d1) ||
                Tiny(av0 * b.d2))
                ambiguous = true;
            y.m0 = bv * a.m0 + av * b.m0 + std::fabs(r.v);
            y.m1 = bv * a.m1 + a1 * b.m0 + av * b.m1 + b1 * a.m0 + a1 * bv + av * b1 + std::fabs(r.d1);
            y.m2 = bv * a.m2 + a2 * b.m0 + 2 * b1 * a.m1 + 2 * a1 * b.m1 + av * b.m2 + b2 * a.m0 + a2 * bv +
                   2 * a1 * b1 + av * b2 + std::fabs(r.d2);
            break;
        }
        default: {
            if (Near(b.v, b.m0)) ambiguous = true;
            // The terms of the quotient rule, q = a / b: a/b, a'/b, a''/b, q b', q' b', q b''.
            const long double inverse = b.v != 0 ? 1.0L / b.v : 0.0L;
            if (Tiny(a.v * inverse) || Tiny(a.d1 * inverse) || Tiny(a.d2 * inverse) ||
                Tiny(static_cast<long double>(r.v) * b.d1) || Tiny(static_cast<long double>(r.d1) * b.d1) ||
                Tiny(static_cast<long double>(r.v) * b.d2))
                ambiguous = true;
            // The second derivative of a quotient divides by the divisor squared.
            if (std::fabs(b.v) > kDivisorLimit || (b.v != 0 && std::fabs(b.v) < 1 / kDivisorLimit)) ambiguous = true;
            if (b.v == 0 || std::isnan(b.v)) break;
            const double q = std::fabs(r.v), q1 = std::fabs(r.d1), q2 = std::fabs(r.d2);
            y.m0 = (a.m0 + q * b.m0) / bv + q;
            y.m1 = (a.m1 + q * b.m1 + b1 * y.m0 + q1 * b.m0 + a1 + q * b1) / bv + q1;
            y.m2 = (a.m2 + q * b.m2 + b2 * y.m0 + 2 * b1 * y.m1 + 2 * q1 * b.m1 + q2 * b.m0 + a2 + q * b2 + 2 * b1 * q1) / bv +
                   q2;
            break;
        }
    }
    return y;
}

bool OutOfRange(const BoundedJet& j) {
    for (double x : {j.v, j.d1, j.d2, j.m0, j.m1, j.m2}) {
        if (!std::isfinite(x) || std::fabs(x) > kRangeLimit) return true;
    }
    for (double x : {j.v, j.d1, j.d2})
        if (x != 0 && std::fabs(x) < kSmallLimit) return true;
    return false;
}

}  // namespace

BoundResult EvaluateWithBounds(const ByteArray& program, const std::vector<double>& data, int argNum,
                               const double* args, bool valueOnly) {
    std::vector<BoundedJet> stack;
    BoundResult result;
    for (std::size_t i = 0; i < program.size(); ++i) {
        const uint8_t b = program[i];
        if (b == kTokenPrefix) {
            const int index = program[i + 2] * 256 + program[i + 3];
            BoundedJet j;
            if (program[i + 1] == kTokenVariable) {
                j.v = args[index - 1];
                j.d1 = args[argNum + index - 1];
                j.d2 = args[2 * argNum + index - 1];
            } else {
                j.v = data[static_cast<std::size_t>(index)];
            }
            j.m0 = std::fabs(j.v);
            j.m1 = std::fabs(j.d1);
            j.m2 = std::fabs(j.d2);
            stack.push_back(j);
            i += 3;
        } else if (b == '1' || b == 'p') {
            const double v = b == '1' ? 1.0 : 3.141592653589793;
            stack.push_back(BoundedJet{v, 0, 0, v, 0, 0});
        } else if (b == '+' || b == '-' || b == '*' || b == '/') {
            const BoundedJet r = stack.back();
            stack.pop_back();
            stack.back() = ApplyOperator(b, stack.back(), r, result.ambiguous);
        } else {
            stack.back() = ApplyFunction(b, stack.back(), valueOnly, result.ambiguous, result.expClamped);
        }
        if (OutOfRange(stack.back())) result.ambiguous = true;
        const BoundedJet& top = stack.back();
        result.largest = std::max({result.largest, std::fabs(top.v), std::fabs(top.d1), std::fabs(top.d2)});
        if (top.v != 0 && (result.smallest == 0 || std::fabs(top.v) < result.smallest)) result.smallest = std::fabs(top.v);
        result.largestMagnitude = std::max({result.largestMagnitude, top.m0, top.m1, top.m2});
    }
    result.jet = stack.back();
    return result;
}

bool WithinBound(double a, double b, double m) {
    if (std::isnan(a) && std::isnan(b)) return true;
    if (std::isinf(a) || std::isinf(b)) return a == b;
    return std::fabs(a - b) <= 1e-12 * std::fabs(b) + kSlack * kEps * m;
}

}  // namespace velmora::test

#include "curves/ZeroSetCorrector.h"

#include "curves/IntegrationStep.h"
#include "geometry/DomainVanishing.h"
#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

Vector2 Add(const Vector2& a, const Vector2& b) { return {a[0] + b[0], a[1] + b[1]}; }
Vector2 Scale(double s, const Vector2& a) { return {s * a[0], s * a[1]}; }
double Dot(const Vector2& a, const Vector2& b) { return a[0] * b[0] + a[1] * b[1]; }

// A Newton iteration whose steps keep shrinking by at least 10 % has long
// reached any attainable tolerance after this many steps.
constexpr int kMaxNewtonSteps = 400;

}  // namespace

double DefinedValue(const R2ToR1Function& f, const Vector2& p) {
    const double value = f(p);
    return std::isfinite(value) ? value : UndefinedValue;
}

Vector2 NumericGradient(const R2ToR1Function& f, const Vector2& p) {
    constexpr double h = 2e-4;
    Vector2 g{};
    for (int axis = 0; axis < 2; ++axis) {
        Vector2 q = p;
        q[axis] = p[axis] + h;
        const double fp1 = DefinedValue(f, q);
        q[axis] = p[axis] + 2 * h;
        const double fp2 = DefinedValue(f, q);
        q[axis] = p[axis] - h;
        const double fm1 = DefinedValue(f, q);
        q[axis] = p[axis] - 2 * h;
        const double fm2 = DefinedValue(f, q);
        g[axis] = (8 * (fp1 - fm1) + fm2 - fp2) / 0.0024;
    }
    return g;
}

bool LevelCurveTangent(const Vector2& gradient, double radius, Vector2& tangent) {
    const double gamma = Hypot(gradient[0], gradient[1]);
    if (!(gamma > 1e-24) || !std::isfinite(gamma)) return false;
    const double delta = radius * (5 * gamma + 6) / (gamma * (gamma + 2));
    tangent = {-delta * gradient[1], delta * gradient[0]};
    return true;
}

TZeroSetCorrector::TZeroSetCorrector(R2ToR1Function f, const Vector2& minCorner, const Vector2& maxCorner,
                                     const Vector2& cellSize)
    : f_(std::move(f)) {
    for (int axis = 0; axis < 2; ++axis) {
        halfEdges_[axis] = (maxCorner[axis] - minCorner[axis]) / 2;
        center_[axis] = (maxCorner[axis] + minCorner[axis]) / 2;
    }
    firstStepLimit_ = 0.3 * Hypot(cellSize[0], cellSize[1]);

    // Scale of F: a robust mean of |F| over the centres of a 10 x 10 grid (the
    // largest value left out), from which the zero tolerances are derived.
    // The limit on a zero takes the same mean over the defined values only,
    // so that a function undefined on part of the rectangle keeps it.
    double sum = 1e-15, largest = 0;
    double definedSum = 1e-15, definedLargest = 0;
    int failed = 0, defined = 0;
    for (const Vector2& p : DomainSamples(minCorner, maxCorner)) {
        double value;
        try {
            value = f_(p);
        } catch (...) {
            ++failed;
            continue;
        }
        if (!std::isfinite(value)) {
            ++failed;
            continue;
        }
        sum += std::fabs(value);
        largest = std::max(largest, std::fabs(value));
        if (value == UndefinedValue) continue;
        definedSum += std::fabs(value);
        definedLargest = std::max(definedLargest, std::fabs(value));
        ++defined;
    }
    const double scale = (sum - largest) / (101 - failed);
    scaleF_ = (definedSum - definedLargest) / (1 + defined);
    minErr_ = scale * 1e-32;
    verySmallF_ = std::min(std::max(scale * 1e-32, scale * 1e-6), 1e-14);
}

double TZeroSetCorrector::Margin(const Vector2& p) const { return velmora::Margin(p, center_, halfEdges_); }

double TZeroSetCorrector::Tolerance() const { return std::min(verySmallF_, kZeroShareOfScale * scaleF_); }

bool TZeroSetCorrector::Bisect(const Vector2& p, const Vector2& d, double mu1, double fP, double fX, Vector2& point) {
    double lo = 0, hi = mu1, fLo = fP, fHi = fX;
    double f = fX;
    point = Add(p, Scale(mu1, d));
    for (int i = 0; i < 100 && fLo * fHi < 0; ++i) {
        const double mu = (lo + hi) / 2;
        point = Add(p, Scale(mu, d));
        f = Value(point);
        if (f == fLo || f == fHi) {
            // The interval no longer resolves F. Where |F| is small against
            // its scale this is the rounding noise of a zero, and the
            // tolerance follows what F can tell apart here; otherwise F jumps
            // across this point without a zero, and the point is refused
            // without loosening the tolerance for the points to come.
            if (std::fabs(f) <= kZeroShareOfScale * scaleF_) verySmallF_ = 10 * std::fabs(f);
            break;
        }
        if (std::fabs(f) < Tolerance()) break;
        if ((f > 0) == (fLo > 0)) {
            lo = mu;
            fLo = f;
        } else {
            hi = mu;
            fHi = f;
        }
    }
    return std::fabs(f) <= Tolerance();
}

bool TZeroSetCorrector::Correct(const Vector2& x0, const Vector2& r, bool useGradient, Vector2& result) {
    // Across the chord r -> x0 the direction is fixed; along the gradient it
    // is recomputed at every Newton point.
    Vector2 d = {x0[1] - r[1], r[0] - x0[0]};
    double f = Value(x0);
    if (f == UndefinedValue) return false;
    double sum = std::fabs(f);
    int n = 1;
    if (std::fabs(f) < Tolerance()) {
        result = x0;
        return true;
    }
    double lambda = firstStepLimit_;
    Vector2 p = x0;
    bool ok = false;
    for (int iteration = 0;; ++iteration) {
        if (iteration >= kMaxNewtonSteps) return false;
        const Vector2 g = Gradient(p);
        if (useGradient) d = g;
        const double s = Dot(g, d);
        if (!(std::fabs(s) >= 1e-64)) return false;
        const double mu = -f / s;
        const Vector2 delta = Scale(mu, d);
        const Vector2 x = Add(p, delta);
        const double len = Hypot(delta[0], delta[1]);
        const double f1 = Value(x);
        if (f1 == UndefinedValue || Margin(x) < 0) return false;
        sum += std::fabs(f1);
        n += 1;
        if (std::fabs(f1) < Tolerance()) {
            result = x;
            ok = true;
            break;
        }
        if (len <= 0.9 * lambda && f1 * f < -1e-64) {
            // The step jumped over the zero: pin it down on the segment p -> x.
            ok = Bisect(p, d, mu, f, f1, result);
            break;
        }
        if (!(len <= 0.9 * lambda)) return false;  // the steps do not shrink
        lambda = len;
        f = f1;
        p = x;
    }
    if (ok) verySmallF_ = std::min(std::max(minErr_, 0.1 * sum / n), 1e-14);
    return ok;
}

}  // namespace velmora

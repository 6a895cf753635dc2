// Newton's method onto the zero set of a function known only by its values:
// the five-point gradient, the tangent of a level curve, and the correction
// of a point onto F = 0 along a line, with the tolerance of a zero that it
// learns from the corrections that succeed.
#pragma once

#include "platform/VelmoraTypes.h"

#include <functional>
#include <limits>

namespace velmora {

// A scalar function of a domain point (a geometry function bound to its object).
using R2ToR1Function = std::function<double(const Vector2&)>;

// The value of f at p; a value that is not a number cannot be near zero and
// counts as UndefinedValue.
double DefinedValue(const R2ToR1Function& f, const Vector2& p);

// Five-point central differences with the absolute step 2e-4.
Vector2 NumericGradient(const R2ToR1Function& f, const Vector2& p);

// The tangent of the level curve with this gradient: the gradient turned by
// +90 degrees, of length between 3 radius (weak gradient) and 5 radius
// (strong gradient); false where the gradient vanishes.
bool LevelCurveTangent(const Vector2& gradient, double radius, Vector2& tangent);

class TZeroSetCorrector {
public:
    // F over the rectangle [minCorner, maxCorner], whose coarse cells have the
    // size cellSize: a Newton step may be at most 0.3 of a cell's diagonal.
    // F is sampled at the centres of a 10 x 10 grid for the scale of its
    // values, from which the tolerance of a zero starts; an error raised by
    // F there skips that sample.
    TZeroSetCorrector(R2ToR1Function f, const Vector2& minCorner, const Vector2& maxCorner, const Vector2& cellSize);

    double Value(const Vector2& p) const { return DefinedValue(f_, p); }
    Vector2 Gradient(const Vector2& p) const { return NumericGradient(f_, p); }

    // Newton's method along a line from x0: along the gradient when
    // useGradient (recomputed at every point), otherwise across the chord
    // r -> x0 (fixed). Refines by bisection where a step jumps over the zero.
    // Fails where F is undefined, a step leaves the rectangle or the steps do
    // not shrink. A success adapts the tolerance to the values met.
    bool Correct(const Vector2& x0, const Vector2& r, bool useGradient, Vector2& result);

    // The largest |F| of a zero now: the learnt tolerance, and never more than
    // a small share of the scale of F.
    double Tolerance() const;

private:
    bool Bisect(const Vector2& p, const Vector2& d, double mu1, double fP, double fX, Vector2& point);
    double Margin(const Vector2& p) const;

    // The largest |F| / scaleF of a zero. Where F jumps across a curve (a
    // value defined up to sign, such as the angle to an axis whose direction
    // flips) the bisection ends at the jump with |F| of the order of the
    // scale, and the jump is refused; rounding noise of a true zero lies many
    // orders of magnitude below.
    static constexpr double kZeroShareOfScale = 1e-3;

    R2ToR1Function f_;
    Vector2 center_{}, halfEdges_{};
    double firstStepLimit_ = 0;  // 0.3 of the diagonal of a coarse cell
    double verySmallF_ = 0;      // |F| below it counts as zero; adapted as corrections succeed
    double minErr_ = 0;          // lower bound of verySmallF_
    // A robust mean of |F| over the defined samples: no point where |F| is
    // not small against it is ever taken for a zero.
    double scaleF_ = std::numeric_limits<double>::infinity();
};

}  // namespace velmora

// TImplicitCurveTracer: traces the zero set {F(u, v) = 0} of a scalar function
// inside a rectangle of the domain, knowing nothing about F but its values.
// A coarse grid of cells is searched for points near the zero set, each is
// projected onto it, and from every such seed the curve is followed in both
// senses by predictor-corrector steps. A fine grid of flags keeps every piece
// of curve from being traced twice. F may answer UndefinedValue where it has
// no value; such points are never accepted.
//
// An instance holds the state of one trace; each caller (thread) owns its own.
#pragma once

#include "platform/VelmoraTypes.h"

#include <array>
#include <functional>
#include <limits>

namespace velmora {

// A scalar function of a domain point (a geometry function bound to its object).
using R2ToR1Function = std::function<double(const Vector2&)>;
using MapR2R1 = R2ToR1Function;
// A vector function of a domain point.
using R2toR2Function = std::function<Vector2(const Vector2&)>;
// Receives the traced polylines: key 1 starts a new polyline at currentX,
// key 0 continues the current one to currentX.
using StoreSegmentProcedure2D = std::function<void(const Vector2& currentX, int key)>;

class TImplicitCurveTracer {
public:
    static constexpr int kMaxPpLine = 40;
    static constexpr int kMaxFlagsPLine = 464;

    TImplicitCurveTracer();
    // The gradient function refers to this instance: no copies.
    TImplicitCurveTracer(const TImplicitCurveTracer&) = delete;
    TImplicitCurveTracer& operator=(const TImplicitCurveTracer&) = delete;

    // Scans the rectangle [minCorner0, maxCorner0] with ppLine0 x ppLine0
    // coarse cells (at most 40) and a flag grid of flagsPLine0 x flagsPLine0
    // cells (at most 464), and hands every piece of the zero set of theF0 to
    // Store0. radius0 is the scale of the predictor steps. Errors raised by F
    // during the seed search are passed on; errors inside a trace end that trace.
    void ComputeImplicitCurve(R2ToR1Function theF0, StoreSegmentProcedure2D Store0, const Vector2& minCorner0,
                              const Vector2& maxCorner0, int ppLine0, int flagsPLine0, double radius0);

    // ---- building blocks (public so that they can be checked on their own) ----
    // Five-point central differences with the absolute step 2e-4.
    Vector2 NumericGradient(const Vector2& p) const;
    // Tangent perpendicular to the gradient, of length between 3 and 5 radius;
    // false where the gradient vanishes.
    bool TangentAt(const Vector2& p, Vector2& tangent) const;
    // Newton's method along a line from x0: along the gradient when useGradient,
    // otherwise across the chord r -> x0. Adapts verySmallF on success.
    bool CorrectToCurve(const Vector2& x0, const Vector2& r, bool useGradient, Vector2& result);
    // Predictor (damped tangent step) and corrector; keeps the sense of tangent.
    bool AdvanceOnCurve(const Vector2& x, Vector2& tangent, Vector2& next);
    // Flags the fine cells on the line from one cell to another; true when a
    // cell on the way (not the first) was already flagged.
    bool MarkCellLine(int a, int b, int a1, int b1);
    // Margin of a point: positive inside the rectangle, negative outside.
    double Margin(const Vector2& p) const;
    // Fine cell of a point.
    void FineCell(const Vector2& p, int& a, int& b) const;
    bool Flagged(int a, int b) const;

    // ---- state (declaration order of the mathematics) -------------------------
    R2ToR1Function theF;
    R2toR2Function theFGrad;
    StoreSegmentProcedure2D Store;
    std::array<std::array<bool, kMaxFlagsPLine + 1>, kMaxFlagsPLine + 1> alreadyUsed{};
    std::array<double, 4> coordRatios{};                       // [1..3] used
    std::array<std::array<double, kMaxPpLine + 1>, 3> coordVert{};  // [1..2][0..40] used
    Vector2 minCorner{}, maxCorner{};
    Vector2 step2D{}, flagStep{};
    Vector2 halfEdges{}, center{};
    int ppLine = 0;
    int flagsPLine = 0;
    double verySmallF = 0;
    double radius = 0;
    double minErr = 0;
    // The scale of F over the rectangle (a robust mean of |F|, found at the
    // start of every trace; infinite until then). No point where |F| is not
    // small against it is ever taken for a zero.
    double scaleF = kNoScale;

    static constexpr double kNoScale = std::numeric_limits<double>::infinity();
    // The largest |F| / scaleF of a zero. Where F jumps across a curve (a
    // value defined up to sign, such as the angle to an axis whose direction
    // flips) the bisection ends at the jump with |F| of the order of the
    // scale, and the jump is refused; rounding noise of a true zero lies many
    // orders of magnitude below.
    static constexpr double kZeroShareOfScale = 1e-3;
    // The tolerance a zero must meet: verySmallF, and never more than the
    // share of the scale above.
    double ZeroTolerance() const;

private:
    bool FindSeed(int i, int j, Vector2& seed);
    void TraceFromSeed(const Vector2& x, int a, int b);
    bool Bisect(const Vector2& p, const Vector2& d, double mu1, double fP, double fX, Vector2& point);
    void SetFlag(int a, int b, bool value);
    double ValueAt(const Vector2& p) const;
};

}  // namespace velmora

// Refinement of a candidate point onto a common zero of the two equations of
// its kind, by Newton's method on the pair, and of a degenerate point onto a
// zero of f_u ^ f_v by the Gauss-Newton method on its six components.
//
// The Jacobian of a pair comes from central differences of the equations
// (four more frames): Newton's iteration converges to the zero of the
// equations whatever small error its Jacobian has - an error of relative
// size e only turns each step's quadratic gain into a factor e - so the
// accuracy of a point is that of the equations' values, which the compiled
// derivatives give to rounding. The steps (1e-3 of a grid cell) keep the
// truncation error of the differences near 1e-6 of the Jacobian where the
// equations vary over a cell, and their rounding error near 1e-10. Where a
// difference point has no frame (the rim of an undefined region) the step
// falls back to one-sided differences, a secant step. Where the Jacobian is
// singular - the zeros form a curve - the step is the least-squares step of
// least length, which still converges onto the curve.
#pragma once

#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"
#include "points/PointEquations.h"

#include <cmath>
#include <optional>

namespace velmora {

// The grid of a scan, for the sizes of steps and the region a point must lie in.
struct TRefineFrame {
    Vector2 minCorner{}, maxCorner{};
    Vector2 cell{};  // size of a grid cell in u and v
};

struct TPairRoot {
    Vector2 at{};
    // The Jacobian of the equations at the point is regular (its determinant
    // above 1e-6 of the square of its size): an isolated zero.
    bool regular = false;
    // A zero of the equations where the kind's condition fails (H vanishes:
    // a minimal point, which the equations of inflection and
    // principal-singular points share): not a point of the kind.
    bool excluded = false;
};

// The 2 x 2 matrix of partial derivatives [d f1/du, d f1/dv; d f2/du, d f2/dv].
struct TPairJacobian {
    double a = 0, b = 0, c = 0, d = 0;
    double Determinant() const { return a * d - b * c; }
    double SquaredSize() const { return a * a + b * b + c * c + d * d; }
    bool Regular() const { return std::fabs(Determinant()) > 1e-6 * SquaredSize(); }
};

// The equations of kind at p (a frame is computed there); none without one.
std::optional<TEquationPair> EquationsAt(const TLocalGeometry& geometry, TSpecialKind kind, int axis, const Vector2& p);
// Their Jacobian at p by central differences with steps h (one-sided where a
// difference point has no frame); `atP` are the equations at p.
std::optional<TPairJacobian> PairJacobian(const TLocalGeometry& geometry, TSpecialKind kind, int axis,
                                          const Vector2& p, const TEquationPair& atP, const Vector2& h);

// Newton's method from start (within a few cells of it) onto a zero of the
// pair of kind; the point must lie inside the rectangle and both equations
// must vanish there within 1e-8 of their scale. A zero where H vanishes and
// the kind needs it not to is returned marked as excluded. None when it does
// not converge to a zero.
std::optional<TPairRoot> RefinePair(const TLocalGeometry& geometry, TSpecialKind kind, int axis,
                                    const Vector2& start, const TRefineFrame& grid);

// Gauss-Newton from start onto a point where f_u and f_v are parallel (the
// six components of f_u ^ f_v vanish; their derivatives come from the second
// derivatives of f). The result is the point of least |f_u ^ f_v|^2 near
// start, accepted when the metric is degenerate there (guu gvv - guv^2 at
// most 1e-12, as the frame requires) and it lies inside the rectangle.
std::optional<Vector2> RefineDegenerate(const TLocalGeometry& geometry, const Vector2& start,
                                        const TRefineFrame& grid);

}  // namespace velmora

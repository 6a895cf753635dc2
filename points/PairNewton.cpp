#include "points/PairNewton.h"

#include "geometry/VectorMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr int kMaxIterations = 50;
// Steps end when they are this small, in cells (a cell is a 548th of the
// domain's side: 1e-9 cells is well below 1e-9 of the domain).
constexpr double kConvergedStep = 1e-9;
// A step is at most one cell long; an iteration that wanders this many cells
// from its start gives up (the zero, if any, is another cell's).
constexpr double kMaxWander = 3;
// Both equations vanish within this share of their scale at an accepted zero.
constexpr double kResidualShare = 1e-8;
// Steps in a row that do not halve the equations before Newton's method gives up.
constexpr int kMaxStalled = 6;
// Difference steps, in cells.
constexpr double kDifferenceStep = 1e-3;

// Length of a displacement measured in cells.
double CellLength(const Vector2& d, const Vector2& cell) { return std::hypot(d[0] / cell[0], d[1] / cell[1]); }

bool Inside(const Vector2& p, const TRefineFrame& grid) {
    return p[0] >= grid.minCorner[0] && p[0] <= grid.maxCorner[0] && p[1] >= grid.minCorner[1] &&
           p[1] <= grid.maxCorner[1];
}

// The step x solving the 2 x 2 least-squares problem [a b; c d] x = -r: the
// Newton step where the matrix is regular, otherwise the least-squares step
// of least length along its larger singular direction. False when the matrix
// is zero.
bool SolveStep(const TPairJacobian& J, double r1, double r2, Vector2& x) {
    if (J.Regular()) {
        const double det = J.Determinant();
        x = {-(J.d * r1 - J.b * r2) / det, -(-J.c * r1 + J.a * r2) / det};
        return std::isfinite(x[0]) && std::isfinite(x[1]);
    }
    // J^T J = [p q; q s]; its larger eigenvalue and eigenvector.
    const double p = J.a * J.a + J.c * J.c, q = J.a * J.b + J.c * J.d, s = J.b * J.b + J.d * J.d;
    const double lambda = (p + s) / 2 + std::hypot((p - s) / 2, q);
    if (!(lambda > 0) || !std::isfinite(lambda)) return false;
    Vector2 v = std::fabs(q) > 0 ? Vector2{lambda - s, q} : (p >= s ? Vector2{1, 0} : Vector2{0, 1});
    const double length = std::hypot(v[0], v[1]);
    v = {v[0] / length, v[1] / length};
    // x = -v (v . J^T r) / lambda.
    const double g = v[0] * (J.a * r1 + J.c * r2) + v[1] * (J.b * r1 + J.d * r2);
    x = {-v[0] * g / lambda, -v[1] * g / lambda};
    return std::isfinite(x[0]) && std::isfinite(x[1]);
}

// The step limited to one cell.
void LimitStep(Vector2& step, const Vector2& cell) {
    const double length = CellLength(step, cell);
    if (length > 1) step = {step[0] / length, step[1] / length};
}

}  // namespace

std::optional<TEquationPair> EquationsAt(const TLocalGeometry& geometry, TSpecialKind kind, int axis,
                                         const Vector2& p) {
    const std::optional<TLocalFrame> frame = geometry.Frame(p);
    TEquationPair e;
    if (!frame || !KindEquations(*frame, kind, axis, e)) return std::nullopt;
    return e;
}

std::optional<TPairJacobian> PairJacobian(const TLocalGeometry& geometry, TSpecialKind kind, int axis,
                                          const Vector2& p, const TEquationPair& atP, const Vector2& h) {
    TPairJacobian J;
    for (int axisOfDomain = 0; axisOfDomain < 2; ++axisOfDomain) {
        Vector2 plus = p, minus = p;
        plus[axisOfDomain] += h[axisOfDomain];
        minus[axisOfDomain] -= h[axisOfDomain];
        const std::optional<TEquationPair> ep = EquationsAt(geometry, kind, axis, plus);
        const std::optional<TEquationPair> em = EquationsAt(geometry, kind, axis, minus);
        double d1 = 0, d2 = 0;
        if (ep && em) {
            d1 = (ep->f1 - em->f1) / (2 * h[axisOfDomain]);
            d2 = (ep->f2 - em->f2) / (2 * h[axisOfDomain]);
        } else if (ep) {
            d1 = (ep->f1 - atP.f1) / h[axisOfDomain];
            d2 = (ep->f2 - atP.f2) / h[axisOfDomain];
        } else if (em) {
            d1 = (atP.f1 - em->f1) / h[axisOfDomain];
            d2 = (atP.f2 - em->f2) / h[axisOfDomain];
        } else {
            return std::nullopt;
        }
        if (axisOfDomain == 0) {
            J.a = d1;
            J.c = d2;
        } else {
            J.b = d1;
            J.d = d2;
        }
    }
    if (!std::isfinite(J.SquaredSize())) return std::nullopt;
    return J;
}

std::optional<TPairRoot> RefinePair(const TLocalGeometry& geometry, TSpecialKind kind, int axis,
                                    const Vector2& start, const TRefineFrame& grid) {
    const Vector2 h{kDifferenceStep * grid.cell[0], kDifferenceStep * grid.cell[1]};
    Vector2 p = start;
    // Near a zero every step shrinks the equations; where they do not halve
    // for several steps running there is none to converge to.
    double best = std::numeric_limits<double>::infinity();
    int stalled = 0;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        const std::optional<TEquationPair> e = EquationsAt(geometry, kind, axis, p);
        if (!e) return std::nullopt;
        const double size = std::hypot(e->f1, e->f2);
        if (size < 0.5 * best) {
            best = size;
            stalled = 0;
        } else if (++stalled > kMaxStalled) {
            return std::nullopt;
        }
        const std::optional<TPairJacobian> J = PairJacobian(geometry, kind, axis, p, *e, h);
        if (!J) return std::nullopt;
        Vector2 step{};
        if (!SolveStep(*J, e->f1, e->f2, step)) break;  // a zero Jacobian: test the point as it is
        LimitStep(step, grid.cell);
        p = {p[0] + step[0], p[1] + step[1]};
        if (CellLength({p[0] - start[0], p[1] - start[1]}, grid.cell) > kMaxWander) return std::nullopt;
        if (CellLength(step, grid.cell) <= kConvergedStep) break;
    }

    if (!Inside(p, grid)) return std::nullopt;
    const std::optional<TLocalFrame> frame = geometry.Frame(p);
    TEquationPair e;
    if (!frame || !KindEquations(*frame, kind, axis, e)) return std::nullopt;
    if (!PairVanishes(e, EquationScale(*frame, kind), kResidualShare)) return std::nullopt;
    const std::optional<TPairJacobian> J = PairJacobian(geometry, kind, axis, p, e, h);
    return TPairRoot{p, J && J->Regular(), !KindConditionHolds(*frame, kind)};
}

namespace {

// The six components of f_u ^ f_v and their derivatives in u and v.
struct TWedge {
    std::array<double, 6> m{}, mu{}, mv{};
};

TWedge WedgeOf(const TSurfaceDerivatives& d) {
    TWedge w;
    int k = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j, ++k) {
            w.m[k] = d.xu[i] * d.xv[j] - d.xu[j] * d.xv[i];
            w.mu[k] = d.xuu[i] * d.xv[j] + d.xu[i] * d.xuv[j] - d.xuu[j] * d.xv[i] - d.xu[j] * d.xuv[i];
            w.mv[k] = d.xuv[i] * d.xv[j] + d.xu[i] * d.xvv[j] - d.xuv[j] * d.xv[i] - d.xu[j] * d.xvv[i];
        }
    return w;
}

bool AllFinite(const TWedge& w) {
    for (int k = 0; k < 6; ++k)
        if (!std::isfinite(w.m[k]) || !std::isfinite(w.mu[k]) || !std::isfinite(w.mv[k])) return false;
    return true;
}

}  // namespace

std::optional<Vector2> RefineDegenerate(const TLocalGeometry& geometry, const Vector2& start,
                                        const TRefineFrame& grid) {
    Vector2 p = start;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        const TWedge w = WedgeOf(geometry.Derivatives(p));
        if (!AllFinite(w)) return std::nullopt;
        // The Gauss-Newton step solves the normal equations (W^T W) x = -W^T m
        // of the 6 x 2 system W x = -m (W the derivatives of m).
        TPairJacobian normal;
        double g1 = 0, g2 = 0;
        for (int k = 0; k < 6; ++k) {
            normal.a += w.mu[k] * w.mu[k];
            normal.b += w.mu[k] * w.mv[k];
            normal.d += w.mv[k] * w.mv[k];
            g1 += w.mu[k] * w.m[k];
            g2 += w.mv[k] * w.m[k];
        }
        normal.c = normal.b;
        Vector2 step{};
        if (!SolveStep(normal, g1, g2, step)) break;
        LimitStep(step, grid.cell);
        p = {p[0] + step[0], p[1] + step[1]};
        if (CellLength({p[0] - start[0], p[1] - start[1]}, grid.cell) > kMaxWander) return std::nullopt;
        if (CellLength(step, grid.cell) <= kConvergedStep) break;
    }
    if (!Inside(p, grid)) return std::nullopt;
    const TSurfaceDerivatives d = geometry.Derivatives(p);
    const double guu = Dot4(d.xu, d.xu), guv = Dot4(d.xu, d.xv), gvv = Dot4(d.xv, d.xv);
    const double delta = guu * gvv - guv * guv;
    if (!std::isfinite(delta) || delta > 1e-12) return std::nullopt;
    return p;
}

}  // namespace velmora

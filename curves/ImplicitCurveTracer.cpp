#include "curves/ImplicitCurveTracer.h"

#include "curves/IntegrationStep.h"
#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace velmora {

namespace {

// Trunc(x) for x >= 0, Trunc(x) - 1 below zero; huge arguments saturate far
// outside every grid instead of overflowing the integer.
int CellIndex(double x) {
    if (!(x == x)) return -1000000;
    x = std::clamp(x, -1e9, 1e9);
    const int t = static_cast<int>(x);
    return x >= 0 ? t : t - 1;
}

Vector2 Add(const Vector2& a, const Vector2& b) { return {a[0] + b[0], a[1] + b[1]}; }
Vector2 Sub(const Vector2& a, const Vector2& b) { return {a[0] - b[0], a[1] - b[1]}; }
Vector2 Scale(double s, const Vector2& a) { return {s * a[0], s * a[1]}; }
double Dot(const Vector2& a, const Vector2& b) { return a[0] * b[0] + a[1] * b[1]; }

// A Newton iteration whose steps keep shrinking by at least 10 % has long
// reached any attainable tolerance after this many steps.
constexpr int kMaxNewtonSteps = 400;

}  // namespace

TImplicitCurveTracer::TImplicitCurveTracer() {
    coordRatios[1] = 1.0 / 6;
    coordRatios[2] = 0.5;
    coordRatios[3] = 5.0 / 6;
    theFGrad = [this](const Vector2& p) { return NumericGradient(p); };
}

double TImplicitCurveTracer::ValueAt(const Vector2& p) const {
    const double f = theF(p);
    // A value that is not a number cannot be near zero: treat it as undefined.
    return std::isfinite(f) ? f : UndefinedValue;
}

double TImplicitCurveTracer::Margin(const Vector2& p) const { return velmora::Margin(p, center, halfEdges); }

void TImplicitCurveTracer::FineCell(const Vector2& p, int& a, int& b) const {
    a = CellIndex((p[0] - minCorner[0]) / flagStep[0]);
    b = CellIndex((p[1] - minCorner[1]) / flagStep[1]);
}

bool TImplicitCurveTracer::Flagged(int a, int b) const {
    if (a < 0 || b < 0 || a > kMaxFlagsPLine || b > kMaxFlagsPLine) return false;
    return alreadyUsed[a][b];
}

void TImplicitCurveTracer::SetFlag(int a, int b, bool value) {
    if (a < 0 || b < 0 || a > kMaxFlagsPLine || b > kMaxFlagsPLine) return;
    alreadyUsed[a][b] = value;
}

Vector2 TImplicitCurveTracer::NumericGradient(const Vector2& p) const {
    constexpr double h = 2e-4;
    Vector2 g{};
    for (int axis = 0; axis < 2; ++axis) {
        Vector2 q = p;
        q[axis] = p[axis] + h;
        const double fp1 = ValueAt(q);
        q[axis] = p[axis] + 2 * h;
        const double fp2 = ValueAt(q);
        q[axis] = p[axis] - h;
        const double fm1 = ValueAt(q);
        q[axis] = p[axis] - 2 * h;
        const double fm2 = ValueAt(q);
        g[axis] = (8 * (fp1 - fm1) + fm2 - fp2) / 0.0024;
    }
    return g;
}

bool TImplicitCurveTracer::TangentAt(const Vector2& p, Vector2& tangent) const {
    const Vector2 g = theFGrad(p);
    const double gamma = Hypot(g[0], g[1]);
    if (!(gamma > 1e-24) || !std::isfinite(gamma)) return false;
    const double delta = radius * (5 * gamma + 6) / (gamma * (gamma + 2));
    tangent = {-delta * g[1], delta * g[0]};
    return true;
}

double TImplicitCurveTracer::ZeroTolerance() const {
    return std::min(verySmallF, kZeroShareOfScale * scaleF);
}

bool TImplicitCurveTracer::Bisect(const Vector2& p, const Vector2& d, double mu1, double fP, double fX,
                                Vector2& point) {
    double lo = 0, hi = mu1, fLo = fP, fHi = fX;
    double f = fX;
    point = Add(p, Scale(mu1, d));
    for (int i = 0; i < 100 && fLo * fHi < 0; ++i) {
        const double mu = (lo + hi) / 2;
        point = Add(p, Scale(mu, d));
        f = ValueAt(point);
        if (f == fLo || f == fHi) {
            // The interval no longer resolves F. Where |F| is small against
            // its scale this is the rounding noise of a zero, and the
            // tolerance follows what F can tell apart here; otherwise F jumps
            // across this point without a zero, and the point is refused
            // without loosening the tolerance for the points to come.
            if (std::fabs(f) <= kZeroShareOfScale * scaleF) verySmallF = 10 * std::fabs(f);
            break;
        }
        if (std::fabs(f) < ZeroTolerance()) break;
        if ((f > 0) == (fLo > 0)) {
            lo = mu;
            fLo = f;
        } else {
            hi = mu;
            fHi = f;
        }
    }
    return std::fabs(f) <= ZeroTolerance();
}

bool TImplicitCurveTracer::CorrectToCurve(const Vector2& x0, const Vector2& r, bool useGradient, Vector2& result) {
    // Across the chord r -> x0 the direction is fixed; along the gradient it
    // is recomputed at every Newton point.
    Vector2 d = {x0[1] - r[1], r[0] - x0[0]};
    double f = ValueAt(x0);
    if (f == UndefinedValue) return false;
    double sum = std::fabs(f);
    int n = 1;
    if (std::fabs(f) < ZeroTolerance()) {
        result = x0;
        return true;
    }
    double lambda = 0.3 * Hypot(step2D[0], step2D[1]);
    Vector2 p = x0;
    bool ok = false;
    for (int iteration = 0;; ++iteration) {
        if (iteration >= kMaxNewtonSteps) return false;
        const Vector2 g = theFGrad(p);
        if (useGradient) d = g;
        const double s = Dot(g, d);
        if (!(std::fabs(s) >= 1e-64)) return false;
        const double mu = -f / s;
        const Vector2 delta = Scale(mu, d);
        const Vector2 x = Add(p, delta);
        const double len = Hypot(delta[0], delta[1]);
        const double f1 = ValueAt(x);
        if (f1 == UndefinedValue || Margin(x) < 0) return false;
        sum += std::fabs(f1);
        n += 1;
        if (std::fabs(f1) < ZeroTolerance()) {
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
    if (ok) verySmallF = std::min(std::max(minErr, 0.1 * sum / n), 1e-14);
    return ok;
}

bool TImplicitCurveTracer::AdvanceOnCurve(const Vector2& x, Vector2& tangent, Vector2& next) {
    Vector2 t1{};
    if (!TangentAt(x, t1)) return false;
    if (Dot(t1, tangent) < 0) t1 = Scale(-1, t1);
    double damping = 1;
    for (int attempt = 0; attempt < 8; ++attempt) {
        damping *= 0.8;
        const Vector2 y = Add(x, Scale(damping, t1));
        Vector2 corrected{};
        if (CorrectToCurve(y, x, false, corrected)) {
            tangent = t1;
            next = corrected;
            return true;
        }
    }
    return false;
}

bool TImplicitCurveTracer::MarkCellLine(int a, int b, int a1, int b1) {
    SetFlag(a, b, true);
    if (a == a1 && b == b1) return false;
    bool met = false;
    auto visit = [&](int ca, int cb) {
        if (Flagged(ca, cb))
            met = true;
        else
            SetFlag(ca, cb, true);
    };
    const int da = a1 - a, db = b1 - b;
    if (std::abs(da) < std::abs(db)) {
        const int sign = db > 0 ? 1 : -1;
        for (int e = sign;; e += sign) {
            visit(RoundHalfEven(a + static_cast<double>(da) / db * e), b + e);
            if (b + e == b1) break;
        }
    } else {
        const int sign = da > 0 ? 1 : -1;
        for (int e = sign;; e += sign) {
            visit(a + e, RoundHalfEven(b + static_cast<double>(db) / da * e));
            if (a + e == a1) break;
        }
    }
    return met;
}

bool TImplicitCurveTracer::FindSeed(int i, int j, Vector2& seed) {
    double best = 1e30;
    Vector2 bestPoint{};
    bool found = false;
    for (int k = 1; k <= 3; ++k)
        for (int l = 1; l <= 3; ++l) {
            const Vector2 p = {coordVert[1][i] + step2D[0] * coordRatios[k],
                               coordVert[2][j] + step2D[1] * coordRatios[l]};
            const double f = std::fabs(ValueAt(p));
            if (f < best) {
                best = f;
                bestPoint = p;
                found = true;
            }
        }
    if (!found) return false;
    return CorrectToCurve(bestPoint, bestPoint, true, seed);
}

void TImplicitCurveTracer::TraceFromSeed(const Vector2& x, int a, int b) {
    Vector2 t0{};
    if (!TangentAt(x, t0)) {
        Store(x, 1);  // a critical point of F on the zero set: an isolated point
        return;
    }
    if (Margin(x) >= 0) {
        for (int pass = 0; pass < 2; ++pass) {
            Vector2 dir = pass == 0 ? Scale(-1, t0) : t0;
            Store(x, 1);
            Vector2 cur = x;
            int ca = a, cb = b;
            int revisits = 0, smallMoves = 0;
            bool clipped = false;
            Vector2 next{};
            if (AdvanceOnCurve(cur, dir, next)) {
                for (;;) {
                    const double mNext = Margin(next);
                    if (mNext < 0) {
                        // Pull the point back onto the border along the step.
                        const double mCur = Margin(cur);
                        next = Add(cur, Scale((mCur - 1e-8) / (mCur - mNext), Sub(next, cur)));
                        if (!(Margin(next) >= 0)) return;  // cannot be brought inside: end the trace
                        clipped = true;
                    }
                    Store(next, 0);
                    int na = 0, nb = 0;
                    FineCell(next, na, nb);
                    bool goOn;
                    if (std::abs(na - ca) + std::abs(nb - cb) > 1) {
                        if (MarkCellLine(ca, cb, na, nb))
                            ++revisits;
                        else
                            revisits = 0;
                        smallMoves = 0;
                        goOn = revisits < 2 && !clipped;
                    } else {
                        ++smallMoves;
                        goOn = smallMoves < 50 && !clipped;
                    }
                    ca = na;
                    cb = nb;
                    cur = next;
                    if (!goOn) break;
                    if (!AdvanceOnCurve(cur, dir, next)) break;
                }
            }
            SetFlag(a, b, false);  // the second pass must be able to leave the seed cell
        }
    }
    SetFlag(a, b, true);
}

void TImplicitCurveTracer::ComputeImplicitCurve(R2ToR1Function theF0, StoreSegmentProcedure2D Store0,
                                              const Vector2& minCorner0, const Vector2& maxCorner0, int ppLine0,
                                              int flagsPLine0, double radius0) {
    theF = std::move(theF0);
    Store = std::move(Store0);
    theFGrad = [this](const Vector2& p) { return NumericGradient(p); };
    minCorner = minCorner0;
    maxCorner = maxCorner0;
    ppLine = std::min(ppLine0, kMaxPpLine);
    flagsPLine = std::min(flagsPLine0, kMaxFlagsPLine);
    radius = radius0;
    // Without cells, or without an area to scan, there is nothing to trace.
    if (ppLine < 1 || flagsPLine < 1 || !theF || !Store) return;
    if (!(maxCorner[0] > minCorner[0]) || !(maxCorner[1] > minCorner[1])) return;

    for (int axis = 0; axis < 2; ++axis) {
        halfEdges[axis] = (maxCorner[axis] - minCorner[axis]) / 2;
        center[axis] = (maxCorner[axis] + minCorner[axis]) / 2;
        step2D[axis] = 2 * halfEdges[axis] / ppLine;
        flagStep[axis] = 2 * halfEdges[axis] / flagsPLine;
        coordVert[axis + 1][0] = minCorner[axis];
        for (int j = 1; j <= ppLine; ++j) coordVert[axis + 1][j] = coordVert[axis + 1][j - 1] + step2D[axis];
    }
    for (auto& row : alreadyUsed) row.fill(false);

    // Scale of F: a robust mean of |F| over the centres of a 10 x 10 grid (the
    // largest value left out), from which the zero tolerances are derived.
    // The limit on a zero takes the same mean over the defined values only,
    // so that a function undefined on part of the rectangle keeps it.
    double sum = 1e-15, largest = 0;
    double definedSum = 1e-15, definedLargest = 0;
    int failed = 0, defined = 0;
    for (int i = 1; i <= 10; ++i)
        for (int j = 1; j <= 10; ++j) {
            const Vector2 p = {minCorner[0] + (2 * i - 1) * halfEdges[0] / 10,
                               minCorner[1] + (2 * j - 1) * halfEdges[1] / 10};
            double f;
            try {
                f = theF(p);
            } catch (...) {
                ++failed;
                continue;
            }
            if (!std::isfinite(f)) {
                ++failed;
                continue;
            }
            sum += std::fabs(f);
            largest = std::max(largest, std::fabs(f));
            if (f == UndefinedValue) continue;
            definedSum += std::fabs(f);
            definedLargest = std::max(definedLargest, std::fabs(f));
            ++defined;
        }
    const double scale = (sum - largest) / (101 - failed);
    scaleF = (definedSum - definedLargest) / (1 + defined);
    minErr = scale * 1e-32;
    verySmallF = std::min(std::max(scale * 1e-32, scale * 1e-6), 1e-14);

    for (int i = 0; i < ppLine; ++i)
        for (int j = 0; j < ppLine; ++j) {
            Vector2 seed{};
            if (!FindSeed(i, j, seed)) continue;
            int a = 0, b = 0;
            FineCell(seed, a, b);
            if (a < 0 || b < 0 || a >= flagsPLine || b >= flagsPLine || alreadyUsed[a][b]) continue;
            try {
                TraceFromSeed(seed, a, b);
            } catch (...) {
                SetFlag(a, b, true);
            }
        }
}

}  // namespace velmora

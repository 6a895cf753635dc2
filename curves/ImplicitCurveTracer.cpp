#include "curves/ImplicitCurveTracer.h"

#include "curves/IntegrationStep.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace velmora {

namespace {

Vector2 Add(const Vector2& a, const Vector2& b) { return {a[0] + b[0], a[1] + b[1]}; }
Vector2 Sub(const Vector2& a, const Vector2& b) { return {a[0] - b[0], a[1] - b[1]}; }
Vector2 Scale(double s, const Vector2& a) { return {s * a[0], s * a[1]}; }
double Dot(const Vector2& a, const Vector2& b) { return a[0] * b[0] + a[1] * b[1]; }

}  // namespace

double TImplicitCurveTracer::Margin(const Vector2& p) const { return velmora::Margin(p, center_, halfEdges_); }

bool TImplicitCurveTracer::TangentAt(const Vector2& p, Vector2& tangent) const {
    return LevelCurveTangent(zeros_->Gradient(p), radius_, tangent);
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
        if (zeros_->Correct(y, x, false, corrected)) {
            tangent = t1;
            next = corrected;
            return true;
        }
    }
    return false;
}

bool TImplicitCurveTracer::FindSeed(int i, int j, Vector2& seed) {
    double best = 1e30;
    Vector2 bestPoint{};
    bool found = false;
    for (const double ru : kSeedSamples)
        for (const double rv : kSeedSamples) {
            const Vector2 p = {coordVert_[0][i] + step2D_[0] * ru, coordVert_[1][j] + step2D_[1] * rv};
            const double f = std::fabs(zeros_->Value(p));
            if (f < best) {
                best = f;
                bestPoint = p;
                found = true;
            }
        }
    if (!found) return false;
    return zeros_->Correct(bestPoint, bestPoint, true, seed);
}

void TImplicitCurveTracer::TraceFromSeed(const Vector2& x, int a, int b) {
    Vector2 t0{};
    if (!TangentAt(x, t0)) {
        store_(x, 1);  // a critical point of F on the zero set: an isolated point
        return;
    }
    if (Margin(x) >= 0) {
        for (int pass = 0; pass < 2; ++pass) {
            Vector2 dir = pass == 0 ? Scale(-1, t0) : t0;
            store_(x, 1);
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
                    store_(next, 0);
                    int na = 0, nb = 0;
                    flags_.CellOf(next, na, nb);
                    bool goOn;
                    if (std::abs(na - ca) + std::abs(nb - cb) > 1) {
                        if (flags_.MarkCellLine(ca, cb, na, nb))
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
            flags_.Set(a, b, false);  // the second pass must be able to leave the seed cell
        }
    }
    flags_.Set(a, b, true);
}

bool TImplicitCurveTracer::ComputeImplicitCurve(R2ToR1Function theF0, StoreSegmentProcedure2D Store0,
                                                const Vector2& minCorner0, const Vector2& maxCorner0, int ppLine0,
                                                int flagsPLine0, double radius0, std::stop_token stop,
                                                const TProgress& progress) {
    zeros_.reset();
    store_ = std::move(Store0);
    ppLine_ = std::min(ppLine0, kMaxPpLine);
    flagsPLine_ = std::min(flagsPLine0, kMaxFlagsPLine);
    radius_ = radius0;
    // Without cells, or without an area to scan, there is nothing to trace.
    if (ppLine_ < 1 || flagsPLine_ < 1 || !theF0 || !store_) return true;
    if (!(maxCorner0[0] > minCorner0[0]) || !(maxCorner0[1] > minCorner0[1])) return true;

    Vector2 flagStep{};
    for (int axis = 0; axis < 2; ++axis) {
        halfEdges_[axis] = (maxCorner0[axis] - minCorner0[axis]) / 2;
        center_[axis] = (maxCorner0[axis] + minCorner0[axis]) / 2;
        step2D_[axis] = 2 * halfEdges_[axis] / ppLine_;
        flagStep[axis] = 2 * halfEdges_[axis] / flagsPLine_;
        coordVert_[axis][0] = minCorner0[axis];
        for (int j = 1; j <= ppLine_; ++j) coordVert_[axis][j] = coordVert_[axis][j - 1] + step2D_[axis];
    }
    flags_.Reset(minCorner0, flagStep);
    zeros_.emplace(std::move(theF0), minCorner0, maxCorner0, step2D_);

    const int cells = ppLine_ * ppLine_;
    for (int i = 0; i < ppLine_; ++i)
        for (int j = 0; j < ppLine_; ++j) {
            // The cells scanned before this one are told first, so that a
            // stop at once still says how many there are.
            if (progress) progress(i * ppLine_ + j, cells);
            if (stop.stop_requested()) return false;
            Vector2 seed{};
            if (!FindSeed(i, j, seed)) continue;
            int a = 0, b = 0;
            flags_.CellOf(seed, a, b);
            if (a < 0 || b < 0 || a >= flagsPLine_ || b >= flagsPLine_ || flags_.Flagged(a, b)) continue;
            try {
                TraceFromSeed(seed, a, b);
            } catch (...) {
                flags_.Set(a, b, true);
            }
        }
    if (progress) progress(cells, cells);
    return true;
}

}  // namespace velmora

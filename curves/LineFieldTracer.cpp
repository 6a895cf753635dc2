#include "curves/LineFieldTracer.h"

#include "curves/HigherDegreeLineTracer.h"
#include "curves/IntegrationStep.h"
#include "geometry/DomainVanishing.h"
#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

// The integration of the branches of one call. The direction angle phi is
// carried from evaluation to evaluation: it keeps a branch on its foliation
// and its sense of travel.
class LineFieldTracer {
public:
    LineFieldTracer(TLocalGeometry& surface, const TDomainMap& map, TLineClass curveClass, const TSegmentSink& sink,
                    std::stop_token stop)
        : surface_(surface), map_(map), curveClass_(curveClass), sink_(sink), stop_(std::move(stop)) {}

    TTraceEnd Run(int nCurves, const Vector2& start, uint8_t foliations) {
        minStep_ = 0.05 * map_.radius2D;
        phi_ = UndefinedValue;
        Vector2 d0{};
        if (surface_.Directions(start, curveClass_, d0, phi_) == 0) return TTraceEnd::NoDirection;
        for (int i = 1; i <= nCurves; ++i) {
            if (curveClass_ == TLineClass::Asymptotic && i == 3) phi_ = -UndefinedValue;  // the second asymptotic direction
            const uint8_t f = surface_.Directions(start, curveClass_, d0, phi_);
            const double phi0 = phi_;
            if ((f & foliations) != 0) {
                if (!TraceBranch(start, d0)) return TTraceEnd::Stopped;
            }
            // Next start: the oriented directions 45 (class 1), 90 (classes 3
            // and 4) or 180 degrees (class 2) further on.
            phi_ = phi0 + (curveClass_ == TLineClass::Curvature ? kPi / 4 : curveClass_ == TLineClass::Asymptotic ? kPi : kPi / 2);
            if (phi_ > kTwoPi) phi_ -= kTwoPi;
        }
        return TTraceEnd::Finished;
    }

    long long Steps() const { return stepCounter_; }

private:
    // The three-stage step from pos with length h; on acceptance pos, h (the
    // proposal for the next step), hUsed and L (the length of the increment)
    // are updated.
    bool ThreeStageStep(Vector2& pos, double& h, double& hUsed, double& L) {
        const double phiStart = phi_;
        const auto direction = [this](const Vector2& p, Vector2& k) {
            return surface_.Directions(p, curveClass_, k, phi_);
        };
        if (step_.Stages(pos, h, direction) == 0) return false;
        // The error is relative to the size of the domain, with a share for
        // the turn of the direction over the step.
        const double dPhi = std::fabs(phi_ - phiStart);
        const double e = (step_.Error(h) + 1e-7) / map_.span2D + g0_ * std::min(dPhi, std::fabs(kTwoPi - dPhi));
        if (!(e < kStepTolerance)) return false;
        const double factor = StepFactor(e, 0.5, 2.0);
        hUsed = h;
        h = factor * h;
        pos = step_.End(pos, hUsed, L);
        return true;
    }

    // True when the piece a -> b passes within 2 radius2D of the start point.
    bool Closes(const Vector2& a, const Vector2& b, const Vector2& start) const {
        const Vector2 w = {b[0] - a[0], b[1] - a[1]};
        const Vector2 s = {start[0] - a[0], start[1] - a[1]};
        const double aw = s[0] * w[0] + s[1] * w[1];
        const double ww = w[0] * w[0] + w[1] * w[1];
        if (!(aw > 0 && aw < ww)) return false;
        return std::sqrt(std::fabs(s[0] * s[0] + s[1] * s[1] - aw * aw / ww)) < 2 * map_.radius2D;
    }

    // Follows one branch from start in the direction d0; false when the stop
    // request ended the call.
    bool TraceBranch(const Vector2& start, const Vector2& d0) {
        sink_({start, start, true, 0, stepCounter_});
        double h = 5 * map_.radius2D / Hypot(d0[0], d0[1]);
        double hUsed = h;
        Vector2 pos = start;
        bool firstStepDrawn = false, closed = false;
        double m = 0, L = 0;
        do {
            const Vector2 saved = pos;
            ++stepCounter_;
            if (stepCounter_ % 30 == 0 && stop_.stop_requested()) return false;
            bool ok;
            do {
                pos = saved;
                ok = ThreeStageStep(pos, h, hUsed, L);
                m = Margin(pos, map_.center2D, map_.halfEdges2D);
                if (!ok || m <= 0) {
                    h = hUsed * 0.5;
                    hUsed = h;
                    const Vector2& k1 = step_.k1();
                    L = std::fabs(h) * (std::fabs(k1[0]) + std::fabs(k1[1]));
                }
            } while ((!ok || m <= 0) && L >= minStep_ && std::isfinite(h));
            // Halving shrinks any finite step below the minimum; an infinite
            // one cannot shrink, and the branch ends.
            if (!std::isfinite(h)) return true;
            if (L >= minStep_) {
                const double pieces = L / map_.maxSegLen + 1;
                const int n = std::isfinite(pieces) ? static_cast<int>(std::min(pieces, 1e6)) : 1;
                Vector2 prev = saved;
                for (int j = 1; j <= n; ++j) {
                    const Vector2 p = step_.Interpolate(saved, hUsed, static_cast<double>(j) / n);
                    sink_({prev, p, false, 0, stepCounter_});
                    if (firstStepDrawn && Closes(prev, p, start)) closed = true;
                    prev = p;
                }
                firstStepDrawn = true;
            }
        } while (m > 0 && L >= minStep_ && !closed);
        return true;
    }

    TLocalGeometry& surface_;
    const TDomainMap& map_;
    const TLineClass curveClass_;
    const TSegmentSink& sink_;
    const std::stop_token stop_;
    const double g0_ = 0.009 / kPi;  // weight of the change of direction in the error
    double minStep_ = 0;
    double phi_ = UndefinedValue;
    TThreeStageStep step_{TCubicRounding::Quotients};
    long long stepCounter_ = 1;  // counts the steps of the whole call
};

}  // namespace

TTraceOutcome DrawLineField(TLocalGeometry& surface, const TDomainMap& map, int nCurves, TLineClass curveClass,
                            const Vector2& start, uint8_t foliations, const TSegmentSink& sink, std::stop_token stop) {
    TTraceOutcome outcome;
    outcome.lineClass = curveClass;
    if (!map.Traceable()) return outcome;
    // Where every direction would be one of the class, the directions found
    // are rounding noise: nothing is traced from them.
    try {
        if (DirectionsVanish(surface, curveClass, map.min2D, map.max2D)) {
            outcome.end = TTraceEnd::FormVanishes;
            return outcome;
        }
    } catch (...) {
        outcome.end = TTraceEnd::Halted;
        return outcome;
    }
    if (IsHigherDegree(curveClass)) {
        THigherDegreeDirections lines(surface);
        return DrawHigherDegreeLines(lines, map, curveClass, start, foliations, sink, std::move(stop));
    }
    LineFieldTracer tracer(surface, map, curveClass, sink, std::move(stop));
    try {
        outcome.end = tracer.Run(nCurves, start, foliations);
    } catch (...) {
        outcome.end = TTraceEnd::Halted;
    }
    outcome.steps = tracer.Steps();
    return outcome;
}

}  // namespace velmora

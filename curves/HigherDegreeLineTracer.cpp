// Integration of the higher-degree line fields: the same three-stage scheme as
// for the fields of classes 1 to 4, with the direction followed by Newton's
// method on the angular form of the direction polynomial.
#include "curves/HigherDegreeLineTracer.h"

#include "curves/IntegrationStep.h"
#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

// Shrinking the step by at least half each time, the error (of order h^3)
// falls below any tolerance long before this.
constexpr int kMaxStepRepeats = 200;

class HigherDegreeTracer {
public:
    HigherDegreeTracer(THigherDegreeDirections& lines, const TDomainMap& map, TLineClass curveClass,
                       const TSegmentSink& sink, std::stop_token stop)
        : lines_(lines), map_(map), curveClass_(curveClass), sink_(sink), stop_(std::move(stop)) {}

    TTraceEnd Run(const Vector2& start, uint8_t foliations) {
        if (!lines_.BuildDirectionPolynomial(curveClass_, start)) return TTraceEnd::NoDirection;
        lines_.FindDirections(curveClass_);
        if (IsExtremalDeviation(curveClass_)) lines_.SortDirections();
        const DirectionList list = lines_.list;
        if (list.count <= 0) return TTraceEnd::NoDirection;

        for (int j = 1; j <= 2 * list.count; ++j) {
            const DirectionEntry& e = list.entries[(j + 1) / 2];
            const Vector2 dir = j % 2 == 0 ? Vector2{-e.x, -e.y} : Vector2{e.x, e.y};
            double theta = SafeArcTan2(dir[1], dir[0]);
            const bool extremal = IsExtremalDeviation(curveClass_);
            if (extremal && (lines_.FoliationOfDirection(curveClass_, dir, start) & foliations) == 0) continue;
            int cl = 5;
            if (extremal) cl = list.count == 2 ? (j <= 2 ? 1 : 4) : (j + 1) / 2;
            if (!TraceBranch(start, theta, cl, foliations)) return TTraceEnd::Stopped;
        }
        return TTraceEnd::Finished;
    }

    long long Steps() const { return steps_; }

private:
    // Result: 0 when a direction failed, else the third stage's foliation;
    // err is the step's error (1e20 when it failed).
    uint8_t ThreeStageStep(const Vector2& pos, double h, double& theta, double& err) {
        err = 1e20;
        const uint8_t r = step_.Stages(pos, h, [&](const Vector2& p, Vector2& k) {
            return lines_.NewtonDirection(curveClass_, theta, k, p);
        });
        if (r != 0) err = step_.Error(h) + 1.3e-12;
        return r;
    }

    // The first step length of a branch from start in the direction theta.
    double InitialStep(const Vector2& start, double& theta) {
        Vector2 d{};
        if (lines_.NewtonDirection(curveClass_, theta, d, start) == 0) return UndefinedValue;
        const double h0 = map_.radius2D / Hypot(d[0], d[1]);
        double err = 0;
        ThreeStageStep(start, h0, theta, err);
        return h0 * StepFactor(err, 0.1, 5.0);
    }

    // Steps from pos, shrinking h until the error is small; a direction of a
    // hidden foliation fails the step. On success pos, hUsed, h and L are updated.
    bool AdaptiveStep(Vector2& pos, double& h, double& hUsed, double& L, double& theta, uint8_t foliations) {
        bool ok = false;
        double err = 0;
        for (int repeat = 0; repeat < kMaxStepRepeats; ++repeat) {
            const uint8_t r = ThreeStageStep(pos, h, theta, err);
            ok = (r & foliations) != 0 && std::isfinite(err);
            if (ok) {
                const double factor = StepFactor(err, 0.5, 2.0);
                hUsed = h;
                h = factor * h;
            }
            if (!ok || err < kStepTolerance) break;
        }
        if (!ok || !(err < kStepTolerance)) return false;
        pos = step_.End(pos, hUsed, L);
        return true;
    }

    // False when the stop request ended the whole routine.
    bool TraceBranch(const Vector2& start, double theta, int cl, uint8_t foliations) {
        double h = InitialStep(start, theta);
        double hUsed = h;
        Vector2 pos = start;
        sink_({start, start, true, cl, steps_});
        int n = 1;
        const double radius = map_.radius2D;
        for (;;) {
            const Vector2 saved = pos;
            double L = 0, m = 0;
            bool ok = false;
            do {
                ++n;
                ++steps_;
                if (n % 30 == 0 && stop_.stop_requested()) return false;
                pos = saved;
                ok = AdaptiveStep(pos, h, hUsed, L, theta, foliations);
                m = Margin(pos, map_.center2D, map_.halfEdges2D);
                if (!ok || m <= 0) {
                    h = hUsed * 0.5;
                    hUsed = h;
                    const Vector2& k3 = step_.k3();
                    L = std::fabs(h) * Hypot(k3[0], k3[1]);
                    // The branch cannot advance (an infinite step cannot shrink).
                    if (!(L >= 0.02 * radius) || !std::isfinite(h)) return true;
                }
            } while (!ok || m <= 0);

            const double piecesValue = L / map_.maxSegLen + 1;
            const int pieces = std::isfinite(piecesValue) ? std::max(1, RoundHalfEven(std::min(piecesValue, 1e6))) : 1;
            Vector2 prev = saved;
            for (int j = 1; j <= pieces; ++j) {
                const Vector2 p = step_.Interpolate(saved, hUsed, static_cast<double>(j) / pieces);
                sink_({prev, p, false, cl, steps_});
                prev = p;
            }
            if (IsExtremalDeviation(curveClass_)) {
                // The curve changes colour where the nature of its direction changes.
                const int cl1 = lines_.ClassifyExtremal(curveClass_, prev, lines_.lastSin, lines_.lastCos);
                if (cl1 != cl) {
                    cl = cl1;
                    sink_({prev, prev, true, cl, steps_});
                }
            }
            if (L < 0.01 * radius || n > 3000) return true;
        }
    }

    THigherDegreeDirections& lines_;
    const TDomainMap& map_;
    const TLineClass curveClass_;
    const TSegmentSink& sink_;
    const std::stop_token stop_;
    TThreeStageStep step_{TCubicRounding::Products};
    long long steps_ = 1;  // the step attempts of the whole call, counted from 1
};

}  // namespace

TTraceOutcome DrawHigherDegreeLines(THigherDegreeDirections& lines, const TDomainMap& map, TLineClass curveClass,
                                    const Vector2& start, uint8_t foliations, const TSegmentSink& sink,
                                    std::stop_token stop) {
    TTraceOutcome outcome;
    outcome.lineClass = curveClass;
    if (!IsHigherDegree(curveClass) || !map.Traceable()) return outcome;
    HigherDegreeTracer tracer(lines, map, curveClass, sink, std::move(stop));
    try {
        outcome.end = tracer.Run(start, foliations);
    } catch (...) {
        outcome.end = TTraceEnd::Halted;
    }
    outcome.steps = tracer.Steps();
    return outcome;
}

}  // namespace velmora

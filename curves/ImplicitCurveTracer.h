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

#include "curves/CellFlags.h"
#include "curves/ZeroSetCorrector.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <functional>
#include <optional>
#include <stop_token>

namespace velmora {

// Receives the traced polylines: key 1 starts a new polyline at currentX,
// key 0 continues the current one to currentX.
using StoreSegmentProcedure2D = std::function<void(const Vector2& currentX, int key)>;

class TImplicitCurveTracer {
public:
    static constexpr int kMaxPpLine = 40;
    static constexpr int kMaxFlagsPLine = TCellFlags::kMaxCells;

    // After each coarse cell: the cells scanned so far and all cells.
    using TProgress = std::function<void(int cellsDone, int cells)>;

    // Scans the rectangle [minCorner0, maxCorner0] with ppLine0 x ppLine0
    // coarse cells (at most 40) and a flag grid of flagsPLine0 x flagsPLine0
    // cells (at most 464), and hands every piece of the zero set of theF0 to
    // Store0. radius0 is the scale of the predictor steps. Errors raised by F
    // during the seed search are passed on; errors inside a trace end that trace.
    // The stop token is looked at before each coarse cell; false when it ended
    // the scan (what was handed over stays handed over).
    bool ComputeImplicitCurve(R2ToR1Function theF0, StoreSegmentProcedure2D Store0, const Vector2& minCorner0,
                              const Vector2& maxCorner0, int ppLine0, int flagsPLine0, double radius0,
                              std::stop_token stop = {}, const TProgress& progress = {});

private:
    bool FindSeed(int i, int j, Vector2& seed);
    void TraceFromSeed(const Vector2& x, int a, int b);
    // Tangent of the zero set at p, 3 to 5 radius long; false where the gradient vanishes.
    bool TangentAt(const Vector2& p, Vector2& tangent) const;
    // Predictor (damped tangent step) and corrector; keeps the sense of tangent.
    bool AdvanceOnCurve(const Vector2& x, Vector2& tangent, Vector2& next);
    double Margin(const Vector2& p) const;

    // Positions of the seed samples inside a coarse cell, along each axis.
    static constexpr std::array<double, 3> kSeedSamples = {1.0 / 6, 0.5, 5.0 / 6};

    StoreSegmentProcedure2D store_;
    std::optional<TZeroSetCorrector> zeros_;  // F and the tolerance of a zero, for one trace
    TCellFlags flags_;
    std::array<std::array<double, kMaxPpLine + 1>, 2> coordVert_{};  // coarse grid lines of u and of v
    Vector2 step2D_{};                                               // coarse cell size
    Vector2 halfEdges_{}, center_{};
    int ppLine_ = 0;
    int flagsPLine_ = 0;
    double radius_ = 0;
};

}  // namespace velmora

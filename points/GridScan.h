// The first pass of the special point scan, run by each worker on its band of
// grid rows: the equations of every kind at the vertices of the grid, the
// cells where both equations of a kind change sign or nearly vanish (the
// candidates that Newton's method refines), the vertices where the metric is
// degenerate, and tallies of how often each equation vanishes within
// rounding (which tells the kinds whose equations vanish on the whole domain).
#pragma once

#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"
#include "points/SpecialPoint.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <stop_token>
#include <vector>

namespace velmora {

// The kinds with two equations, as indices 0..3 (the degenerate points are
// found from the metric alone).
inline constexpr int kEquationKinds = 4;

// The grid over the rectangle: cells x cells cells, vertices (i, j) for
// i, j = 0..cells.
struct TScanGrid {
    Vector2 minCorner{}, maxCorner{};
    int cells = 1;
    Vector2 Cell() const {
        return {(maxCorner[0] - minCorner[0]) / cells, (maxCorner[1] - minCorner[1]) / cells};
    }
    // The last vertex of a row or column is the corner itself.
    Vector2 Vertex(int i, int j) const;
};

// How often, over the vertices with a frame, the equations of a kind vanish
// within rounding of their scale.
struct TKindTally {
    long long considered = 0;  // vertices with a frame
    long long vanish1 = 0, vanish2 = 0;
    long long vanishBoth = 0;  // both, where H does not vanish if the kind needs it
    // Minimal points: how often each coordinate axis gave the normal frame.
    std::array<long long, 4> axisChosen{};

    void Add(const TKindTally& other);
};

// A cell whose corners let a zero of the kind's pair lie in it.
struct TCandidate {
    TSpecialKind kind = TSpecialKind::Axiumbilic;
    Vector2 start{};  // the centre of the cell
    int axis = 0;     // the normal frame of a minimal point
};

struct TBandScan {
    std::vector<TCandidate> candidates;
    std::array<TKindTally, kEquationKinds> tallies{};
    // Vertices (i, j) where the metric is degenerate.
    std::vector<std::array<int, 2>> degenerate;
    long long defined = 0;  // vertices with a frame
    // Candidates of a kind were left out beyond the limit of a band.
    std::array<bool, kEquationKinds> overflow{};

    void Add(TBandScan&& other);
};

// At most this many candidates of one kind are kept from one band.
inline constexpr std::size_t kMaxCandidatesPerBand = 100000;

// Scans cell rows firstRow..lastRow (vertex rows firstRow..lastRow + 1) for
// the kinds given; counts the vertex rows it owns (firstRow..lastRow, and the
// last row of the grid when lastRow is the grid's last) in the tallies.
// Stops between rows when asked; adds one to rowsDone per cell row.
void ScanBand(const TLocalGeometry& geometry, const TScanGrid& grid, const std::vector<TSpecialKind>& kinds,
              int firstRow, int lastRow, std::stop_token stop, std::atomic<int>& rowsDone, TBandScan& out);

// What the tallies say about a kind.
enum class TKindMode {
    Points,      // isolated points (and curves where the Jacobian is singular)
    Everywhere,  // both equations vanish on the whole domain
    Curves,      // one equation vanishes on the whole domain: the zero set of the other
    Nothing,     // both vanish, but only where H does: no point of the kind
};
struct TKindPlan {
    TSpecialKind kind = TSpecialKind::Axiumbilic;
    TKindMode mode = TKindMode::Points;
    int traced = 1;  // Curves: the equation (1 or 2) whose zero set is traced
    int axis = 0;    // minimal points: the normal frame of that equation
};
// A share of at least this of the vertices makes "the whole domain".
inline constexpr double kWholeDomainShare = 0.9;
TKindPlan PlanKind(TSpecialKind kind, const TKindTally& tally);

}  // namespace velmora

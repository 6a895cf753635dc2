#include "points/GridScan.h"

#include "geometry/VectorMath.h"
#include "points/PointEquations.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

// A corner value within this share of its scale counts as nearly zero.
constexpr double kNearZero = 1e-6;

int KindIndex(TSpecialKind kind) { return static_cast<int>(kind); }

// What a cell test needs of a vertex.
struct TVertexValues {
    bool defined = false;     // a frame was built
    bool degenerate = false;  // no frame: the metric is degenerate
    bool hNonZero = false;
    double scale = 0;         // the curvature scale
    std::array<TEquationPair, kEquationKinds> pairs{};  // minimal: in the frame of the best axis
    int bestAxis = 0;
    std::array<TEquationPair, 4> minimalByAxis{};
    std::array<bool, 4> axisUsable{};
};

double ScaleOf(const TVertexValues& v, TSpecialKind kind) {
    return kind == TSpecialKind::Minimal ? std::sqrt(v.scale) : v.scale;
}

TVertexValues Evaluate(const TLocalGeometry& geometry, const Vector2& p, const std::array<bool, kEquationKinds>& active) {
    TVertexValues v;
    const std::optional<TLocalFrame> frame = geometry.Frame(p);
    if (!frame) {
        // The frame is refused where the metric is degenerate or a value is
        // not a finite number; only the first is a point of the surface.
        const TSurfaceDerivatives d = geometry.Derivatives(p);
        const double guu = Dot4(d.xu, d.xu), guv = Dot4(d.xu, d.xv), gvv = Dot4(d.xv, d.xv);
        const double delta = guu * gvv - guv * guv;
        const bool finite = std::isfinite(delta) && std::isfinite(Dot4(d.xuu, d.xuu)) &&
                            std::isfinite(Dot4(d.xuv, d.xuv)) && std::isfinite(Dot4(d.xvv, d.xvv));
        v.degenerate = finite && delta <= 1e-12;
        return v;
    }
    const TLocalFrame& f = *frame;
    v.defined = true;
    v.scale = CurvatureScale(f);
    v.hNonZero = KindConditionHolds(f, TSpecialKind::Inflection);
    for (int k = 0; k < kEquationKinds; ++k) {
        const auto kind = static_cast<TSpecialKind>(k);
        if (!active[k] || kind == TSpecialKind::Minimal) continue;
        KindEquations(f, kind, 0, v.pairs[k]);
    }
    if (active[KindIndex(TSpecialKind::Minimal)]) {
        v.bestAxis = BestNormalAxis(f);
        const std::array<std::optional<TEquationPair>, 4> byAxis = MinimalEquationsByAxis(f);
        for (int axis = 0; axis < 4; ++axis) {
            v.axisUsable[axis] = byAxis[axis].has_value();
            if (byAxis[axis]) v.minimalByAxis[axis] = *byAxis[axis];
        }
        v.pairs[KindIndex(TSpecialKind::Minimal)] = v.minimalByAxis[v.bestAxis];
    }
    return v;
}

void Tally(const TVertexValues& v, const std::array<bool, kEquationKinds>& active, TBandScan& out) {
    if (!v.defined) return;
    ++out.defined;
    for (int k = 0; k < kEquationKinds; ++k) {
        if (!active[k]) continue;
        const auto kind = static_cast<TSpecialKind>(k);
        TKindTally& t = out.tallies[k];
        const TEquationPair& e = v.pairs[k];
        const double tolerance = kRoundingZero * ScaleOf(v, kind);
        const bool z1 = std::fabs(e.f1) <= tolerance, z2 = std::fabs(e.f2) <= tolerance;
        ++t.considered;
        t.vanish1 += z1;
        t.vanish2 += z2;
        const bool needsH = kind == TSpecialKind::Inflection || kind == TSpecialKind::PrincipalSingular;
        t.vanishBoth += z1 && z2 && (!needsH || v.hNonZero);
        if (kind == TSpecialKind::Minimal) ++t.axisChosen[v.bestAxis];
    }
}

// One equation over the four corners changes sign, or nearly vanishes at one.
bool MayVanish(const std::array<double, 4>& f, const std::array<double, 4>& scale) {
    double lo = f[0], hi = f[0];
    for (int c = 0; c < 4; ++c) {
        lo = std::min(lo, f[c]);
        hi = std::max(hi, f[c]);
        if (std::fabs(f[c]) <= kNearZero * scale[c]) return true;
    }
    return lo <= 0 && hi >= 0;
}

// The cell with corners a, b (lower row) and c, d (upper row) may hold a zero of the kind.
bool CellMayHold(TSpecialKind kind, const std::array<const TVertexValues*, 4>& corner, int& axis) {
    for (const TVertexValues* v : corner)
        if (!v->defined) return false;
    const int k = KindIndex(kind);
    std::array<double, 4> f1{}, f2{}, scale{};
    axis = 0;
    if (kind == TSpecialKind::Minimal) {
        // One normal frame for the whole cell, from its first corner.
        axis = corner[0]->bestAxis;
        for (const TVertexValues* v : corner)
            if (!v->axisUsable[axis]) return false;
    }
    for (int c = 0; c < 4; ++c) {
        const TEquationPair& e = kind == TSpecialKind::Minimal ? corner[c]->minimalByAxis[axis] : corner[c]->pairs[k];
        f1[c] = e.f1;
        f2[c] = e.f2;
        scale[c] = ScaleOf(*corner[c], kind);
    }
    return MayVanish(f1, scale) && MayVanish(f2, scale);
}

}  // namespace

Vector2 TScanGrid::Vertex(int i, int j) const {
    const Vector2 cell = Cell();
    return {i >= cells ? maxCorner[0] : minCorner[0] + i * cell[0],
            j >= cells ? maxCorner[1] : minCorner[1] + j * cell[1]};
}

void TKindTally::Add(const TKindTally& o) {
    considered += o.considered;
    vanish1 += o.vanish1;
    vanish2 += o.vanish2;
    vanishBoth += o.vanishBoth;
    for (int a = 0; a < 4; ++a) axisChosen[a] += o.axisChosen[a];
}

void TBandScan::Add(TBandScan&& o) {
    candidates.insert(candidates.end(), o.candidates.begin(), o.candidates.end());
    for (int k = 0; k < kEquationKinds; ++k) tallies[k].Add(o.tallies[k]);
    degenerate.insert(degenerate.end(), o.degenerate.begin(), o.degenerate.end());
    defined += o.defined;
    for (int k = 0; k < kEquationKinds; ++k) overflow[k] = overflow[k] || o.overflow[k];
}

void ScanBand(const TLocalGeometry& geometry, const TScanGrid& grid, const std::vector<TSpecialKind>& kinds,
              int firstRow, int lastRow, std::stop_token stop, std::atomic<int>& rowsDone, TBandScan& out) {
    std::array<bool, kEquationKinds> active{};
    for (const TSpecialKind kind : kinds)
        if (kind != TSpecialKind::Degenerate) active[KindIndex(kind)] = true;
    const int n = grid.cells;
    const Vector2 cell = grid.Cell();
    std::vector<TVertexValues> below(n + 1), above(n + 1);
    std::array<std::size_t, kEquationKinds> kept{};

    const auto evaluateRow = [&](int j, std::vector<TVertexValues>& row) {
        // The band owns its first vertex row and those up to its last cell
        // row; the grid's top row belongs to the band that ends there.
        const bool owned = j <= lastRow || j == n;
        for (int i = 0; i <= n; ++i) {
            row[i] = Evaluate(geometry, grid.Vertex(i, j), active);
            if (!owned) continue;
            Tally(row[i], active, out);
            if (row[i].degenerate) out.degenerate.push_back({i, j});
        }
    };

    if (firstRow > lastRow) return;
    evaluateRow(firstRow, below);
    for (int j = firstRow; j <= lastRow; ++j) {
        if (stop.stop_requested()) return;
        evaluateRow(j + 1, above);
        for (int i = 0; i < n; ++i) {
            const std::array<const TVertexValues*, 4> corner = {&below[i], &below[i + 1], &above[i], &above[i + 1]};
            for (int k = 0; k < kEquationKinds; ++k) {
                if (!active[k]) continue;
                const auto kind = static_cast<TSpecialKind>(k);
                int axis = 0;
                if (!CellMayHold(kind, corner, axis)) continue;
                if (kept[k] >= kMaxCandidatesPerBand) {
                    out.overflow[k] = true;
                    continue;
                }
                ++kept[k];
                const Vector2 lower = grid.Vertex(i, j);
                out.candidates.push_back({kind, {lower[0] + cell[0] / 2, lower[1] + cell[1] / 2}, axis});
            }
        }
        std::swap(below, above);
        rowsDone.fetch_add(1, std::memory_order_relaxed);
    }
}

TKindPlan PlanKind(TSpecialKind kind, const TKindTally& t) {
    TKindPlan plan;
    plan.kind = kind;
    if (t.considered == 0) return plan;
    const double whole = kWholeDomainShare * static_cast<double>(t.considered);
    const bool zero1 = static_cast<double>(t.vanish1) >= whole;
    const bool zero2 = static_cast<double>(t.vanish2) >= whole;
    if (kind == TSpecialKind::Minimal)
        plan.axis = static_cast<int>(std::max_element(t.axisChosen.begin(), t.axisChosen.end()) - t.axisChosen.begin());
    if (zero1 && zero2) {
        plan.mode = static_cast<double>(t.vanishBoth) >= whole ? TKindMode::Everywhere : TKindMode::Nothing;
    } else if (zero1 || zero2) {
        plan.mode = TKindMode::Curves;
        plan.traced = zero1 ? 2 : 1;
    }
    return plan;
}

}  // namespace velmora

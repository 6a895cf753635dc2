#include "points/KindCurves.h"

#include "curves/ImplicitCurveTracer.h"
#include "points/PointChains.h"
#include "points/PointEquations.h"

#include <cmath>
#include <utility>

namespace velmora {

namespace {

// Points along a curve are thinned to one per this many cells.
constexpr double kChainSpacing = 0.75;
// The curve tracer steps 3 to 5 times the span of the domain / 1096, up to
// 3.6 cells of a 548-cell grid.
constexpr double kTracedLink = 6;

}  // namespace

std::vector<TSpecialSet> TraceKindCurves(const TLocalGeometry& geometry, const TKindPlan& plan, const TScanGrid& grid) {
    const TSpecialKind kind = plan.kind;
    const auto value = [&geometry, plan](const Vector2& p) {
        const std::optional<TLocalFrame> frame = geometry.Frame(p);
        TEquationPair e;
        if (!frame || !KindEquations(*frame, plan.kind, plan.axis, e)) return UndefinedValue;
        return OrUndefined(plan.traced == 1 ? e.f1 : e.f2);
    };
    std::vector<Vector2> traced;
    const auto store = [&traced](const Vector2& p, int) { traced.push_back(p); };
    const double span = std::hypot(grid.maxCorner[0] - grid.minCorner[0], grid.maxCorner[1] - grid.minCorner[1]);
    TImplicitCurveTracer tracer;
    tracer.ComputeImplicitCurve(value, store, grid.minCorner, grid.maxCorner, TImplicitCurveTracer::kMaxPpLine,
                                TImplicitCurveTracer::kMaxFlagsPLine, span / 1096);

    std::vector<Vector2> kept;
    for (const Vector2& p : traced) {
        const std::optional<TLocalFrame> frame = geometry.Frame(p);
        if (frame && KindConditionHolds(*frame, kind)) kept.push_back(p);
    }
    std::vector<TSpecialSet> sets;
    for (TSpecialSet& s : SetsAlongPoints(kind, kept, grid.Cell(), kTracedLink))
        if (s.curve.size() >= 2) sets.push_back(std::move(s));
    return sets;
}

std::vector<TSpecialSet> SetsAlongPoints(TSpecialKind kind, const std::vector<Vector2>& points, const Vector2& cell,
                                         double link) {
    std::vector<TSpecialSet> sets;
    for (std::vector<Vector2>& line : ChainPolylines(points, cell, kChainSpacing, link))
        sets.push_back({kind, false, std::move(line)});
    return sets;
}

}  // namespace velmora

// Sets of special points that are not isolated: the curves of a kind one of
// whose equations vanishes on the whole domain (traced as the zero set of
// the other one by the implicit curve tracer), and the polylines through
// points found along a curve.
#pragma once

#include "geometry/LocalGeometry.h"
#include "points/GridScan.h"
#include "points/SpecialPoint.h"

#include <vector>

namespace velmora {

// The zero set of the equation plan.traced of the kind over the grid's
// rectangle, without the points where the kind's condition (H != 0) fails;
// the tracer's coarse grid and step are those of the loci. The tracer hands a
// curve over in pieces that may overlap; the points of all pieces are joined
// again into one polyline per curve.
std::vector<TSpecialSet> TraceKindCurves(const TLocalGeometry& geometry, const TKindPlan& plan, const TScanGrid& grid);

// One set per polyline through points of one kind that lie along curves,
// points up to `link` cells apart joined.
std::vector<TSpecialSet> SetsAlongPoints(TSpecialKind kind, const std::vector<Vector2>& points, const Vector2& cell,
                                         double link = 2.5);

}  // namespace velmora

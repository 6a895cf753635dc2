// Clipping of a straight line to a rectangle, for lines that may pass far
// outside a panel (the polars drawn for a degenerate focal conic).
#pragma once

#include "picker/Canvas.h"

namespace velmora {

// The parameter interval [r0, r1] of the points (x0, y0) + r (dx, dy) of the
// line that lie in the integer rectangle r (left and top inclusive); an empty
// result is (1, 0). Directions with |dx| or |dy| at most 1e-8 count as parallel
// to an axis.
void ClipLine(double x0, double y0, double dx, double dy, const TRect& r, double& r0, double& r1);

}  // namespace velmora

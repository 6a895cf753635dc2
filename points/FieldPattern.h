// The pattern of a line field round one of its singular points, measured and
// not assumed: its index and its separatrices.
//
// Index: the direction of the field (its angle in the frame (t, Jt)) is
// continued along a small loop round the point, each step taking the
// direction of the field nearest to the one before, as a traced curve keeps
// its direction; the loop is sampled finely enough that no step turns by
// more than pi/32. The total turn over the loop, divided by 2 pi, is the
// index: a multiple of 1/4 for the curvature lines (their directions form
// crosses of two orthogonal lines) and of 1/2 for the other fields.
//
// Separatrices: the rays from the point along which the field (as a
// coordinate direction in the domain) is parallel to the ray, counted as the
// crossings of the multiples of pi by the angle between the continued line
// and the ray - for the curvature lines by each of the two lines of the
// cross, which the metric may keep from being orthogonal in the domain.
//
// Loops are ellipses p + r (cu cos a, cv sin a) with (cu, cv) the size of a
// grid cell, so that the count does not depend on the proportions of the
// domain (parallelism of a direction and a ray is kept by the scaling).
#pragma once

#include "geometry/LineClass.h"
#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"

#include <limits>

namespace velmora {

struct TFieldPattern {
    double index = std::numeric_limits<double>::quiet_NaN();  // NaN: the field is not defined all round
    int separatrices = -1;                                     // -1: not measured
    bool operator==(const TFieldPattern& o) const {
        return ((index == o.index) || (index != index && o.index != o.index)) && separatrices == o.separatrices;
    }
};

// The index and separatrices of the field of class (1 to 4) on the loop of
// radius r cells round p.
TFieldPattern FieldPatternOnLoop(const TLocalGeometry& geometry, TLineClass field, const Vector2& p,
                                 const Vector2& cell, double r);

// The pattern at p on loops of r, r/2 and r/4 cells: the first two
// consecutive radii that agree give it; where only the indices agree the
// separatrices are not measured (-1); otherwise nothing is.
TFieldPattern MeasureFieldPattern(const TLocalGeometry& geometry, TLineClass field, const Vector2& p,
                                  const Vector2& cell, double r);

}  // namespace velmora

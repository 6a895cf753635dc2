// The distinct directions of a line class at one point of the domain, as
// angles of lines in [0, pi): what velmora4-cli invariants prints and what the
// Python module returns, from one routine.
#pragma once

#include "geometry/LineClass.h"
#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"

#include <vector>

namespace velmora {

// The most directions a class can have at a point: 4 for curvature lines and
// the two extremal deviation families, 5 for strong principal lines, 2 for the
// others; 0 for a value that is no class of lines.
constexpr int MaxDirections(TLineClass c) {
    return IsLowDegree(c) || IsHigherDegree(c) ? HalfBranches(c) / 2 : 0;
}

// An angle reduced to [0, pi): the angle of a line.
double LineAngle(double theta);

// The directions of class c at p. For classes 1 to 6 the angle a of the unit
// tangent cos(a) t + sin(a) Jt in the frame at p, for class 7 that of the
// domain direction (cos a, sin a). Classes 1 to 4 as TLocalGeometry::Directions
// finds them (the first one, then the candidates one step away), in
// increasing order; classes 5 to 7 in the order of their direction list.
// Empty where the class has no direction at p, and for a value that is no
// class of lines.
std::vector<double> LineDirectionAngles(const TLocalGeometry& surface, const Vector2& p, TLineClass c);

}  // namespace velmora

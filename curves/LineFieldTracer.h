// Integral curves of the line fields of the surface through a clicked point:
// every branch of the field of classes 1 to 4 (curvature, asymptotic, mean
// curvature, principal lines) is followed in both senses with a three-stage
// step of adaptive length until it leaves the domain, closes on itself or can
// no longer advance; classes 5 to 7 go to DrawHigherDegreeLines. The curves
// are integrated in the parameter domain with the unit tangent's coordinates
// as right-hand side, so the curve parameter is arc length on the surface.
#pragma once

#include "curves/TracerHost.h"
#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"

#include <cstdint>

namespace velmora {

// nCurves: branch starts (8 for class 1, 4 for classes 2 to 4); thick: pen
// width 2 instead of 1; foliations: bit 1 = foliation 1, bit 2 = foliation 2.
// Every piece goes to host.AddAndDrawLineSegment; window messages are pumped
// every 30 steps and a stop request ends the call. The status text tells when
// the start point has no direction, or "Computation halted" after an error.
void DrawLineField(TTracerHost& host, TLocalGeometry& surface, int nCurves, TLineClass curveClass, bool thick,
                   const Vector2& start, uint8_t foliations);

}  // namespace velmora

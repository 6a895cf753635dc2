// Integral curves of the line fields of the surface through a clicked point:
// every branch of the field of classes 1 to 4 (curvature, asymptotic, mean
// curvature, principal lines) is followed in both senses with a three-stage
// step of adaptive length until it leaves the domain, closes on itself or can
// no longer advance; classes 5 to 7 go to DrawHigherDegreeLines. The curves
// are integrated in the parameter domain with the unit tangent's coordinates
// as right-hand side, so the curve parameter is arc length on the surface.
#pragma once

#include "curves/TraceSink.h"
#include "geometry/DomainMap.h"
#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"

#include <cstdint>
#include <stop_token>

namespace velmora {

// nCurves: branch starts (8 for class 1, 4 for classes 2 to 4); foliations:
// bit 1 = foliation 1, bit 2 = foliation 2; the map gives the domain and the
// step scales. Every piece goes to the sink as it is traced; the stop token
// is looked at every 30 steps, and a stop keeps what was handed over. Nothing
// is thrown: an error ends the trace as Halted. A class whose directions vanish
// on the whole domain (DirectionsVanish) traces nothing and ends as FormVanishes.
TTraceOutcome DrawLineField(TLocalGeometry& surface, const TDomainMap& map, int nCurves, TLineClass curveClass,
                            const Vector2& start, uint8_t foliations, const TSegmentSink& sink,
                            std::stop_token stop = {});

}  // namespace velmora

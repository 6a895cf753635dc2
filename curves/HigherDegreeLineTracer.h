// Integral curves of the higher-degree line fields (5 extremal normal
// deviation, 6 extremal lateral deviation, 7 strong principal lines) through a
// point, coloured by the nature of their direction.
#pragma once

#include "curves/TracerHost.h"
#include "geometry/HigherDegreeDirections.h"
#include "platform/VelmoraTypes.h"

#include <cstdint>

namespace velmora {

// Colour codes handed with each new curve: 1 minimal deviation, 2 relative
// minimum, 3 relative maximum, 4 maximal deviation (the extremal deviation
// families); 5 for every strong principal line.
void DrawHigherDegreeLines(TTracerHost& host, THigherDegreeDirections& lines, TLineClass curveClass,
                           const Vector2& start, uint8_t foliations);

}  // namespace velmora

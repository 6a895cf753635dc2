// Integral curves of the higher-degree line fields (5 extremal normal
// deviation, 6 extremal lateral deviation, 7 strong principal lines) through a
// point, coloured by the nature of their direction.
#pragma once

#include "curves/TraceSink.h"
#include "geometry/DomainMap.h"
#include "geometry/HigherDegreeDirections.h"
#include "platform/VelmoraTypes.h"

#include <cstdint>
#include <stop_token>

namespace velmora {

// Every curve begins with its colour code (TCurvePiece::colourCode): 1
// minimal deviation, 2 relative minimum, 3 relative maximum, 4 maximal
// deviation (the extremal deviation families); 5 for every strong principal
// line. The stop token is looked at every 30 step attempts of a branch.
// Nothing is thrown: an error ends the trace as Halted.
TTraceOutcome DrawHigherDegreeLines(THigherDegreeDirections& lines, const TDomainMap& map, TLineClass curveClass,
                                    const Vector2& start, uint8_t foliations, const TSegmentSink& sink,
                                    std::stop_token stop = {});

}  // namespace velmora

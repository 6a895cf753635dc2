// What a line tracer hands to its caller: every piece of the curves as soon
// as it is traced, and at the end an outcome that says how the trace ended.
// The tracer only integrates; storing, drawing, keeping a window live and
// wording the outcome are the caller's. A stop is asked for through a
// std::stop_token, which the tracers look at every 30 steps.
#pragma once

#include "geometry/LineClass.h"
#include "platform/VelmoraTypes.h"

#include <functional>

namespace velmora {

// One piece of a traced curve. A curve begins with a piece whose `from` and
// `to` are both its first point (newCurve); every further piece continues the
// current curve from the end of the piece before it.
struct TCurvePiece {
    Vector2 from{}, to{};
    bool newCurve = false;
    // The nature of the direction at the start of a curve of the higher-degree
    // families: 1 minimal deviation, 2 relative minimum, 3 relative maximum,
    // 4 maximal deviation, 5 strong principal line; 0 (the curves of classes 1
    // to 4, and a direction that could not be classified) takes the caller's
    // colour.
    int colourCode = 0;
    // The trace's step count when the piece was traced (it counts from 1).
    long long step = 0;
};

using TSegmentSink = std::function<void(const TCurvePiece&)>;

// How a trace ended.
enum class TTraceEnd {
    Finished,     // every branch ran to its end (the pieces traced, if any, were handed over)
    NoDirection,  // the start point has no direction of the class: nothing was traced
    FormVanishes, // the form of the class vanishes on the whole domain: no direction anywhere, nothing traced
    Halted,       // an error (of the arithmetic, an evaluation, or raised by the sink) ended it
    Stopped,      // the stop request ended it
};

struct TTraceOutcome {
    TTraceEnd end = TTraceEnd::Finished;
    TLineClass lineClass = TLineClass::CoordinateLines;  // the class traced (the kind of a missing direction)
    long long steps = 0;                                 // the step count when the trace ended
};

}  // namespace velmora

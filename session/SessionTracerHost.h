// The part of a line tracer's host that every target shares: the session's
// domain map, and every traced piece stored in the session's curves (a new
// curve in the picker's colour, or in the colour of its class for the
// higher-degree families). What a target does besides - drawing the piece on
// a panel, pumping window messages, the stop flag, the status text, the pen -
// is its own.
#pragma once

#include "curves/TracerHost.h"
#include "platform/Colour.h"

namespace velmora {

class TSurfaceSession;

class TSessionTracerHost : public TTracerHost {
public:
    explicit TSessionTracerHost(TSurfaceSession& session) : session_(session) {}

    const TDomainMap& Map() const override;
    // Store the piece (vec2 is the new point), then DrawSegment it in the
    // colour of its curve.
    void AddAndDrawLineSegment(const Vector2& vec1, const Vector2& vec2, uint8_t key) final;
    void AddAndDrawLineSegmentExtremals(const Vector2& vec1, const Vector2& vec2, uint8_t key, int cl) final;

protected:
    // The colour of new curves without a class colour (the picker's).
    virtual TColor CurveColour() const = 0;
    // Shows a stored piece; a new curve's first call has vec1 = vec2.
    virtual void DrawSegment(const Vector2& vec1, const Vector2& vec2, TColor colour) {}

    TSurfaceSession& session_;
};

}  // namespace velmora

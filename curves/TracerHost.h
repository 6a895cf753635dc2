// What the curve tracers need from the window that shows the main panel: the
// domain map, storing and drawing pieces of curves, pumping window messages,
// the stop request and the status text. The window implements it; tests use a
// recorder.
#pragma once

#include "geometry/DomainMap.h"
#include "platform/VelmoraTypes.h"

#include <cstdint>
#include <string>

namespace velmora {

class TTracerHost {
public:
    virtual ~TTracerHost() = default;

    virtual const TDomainMap& Map() const = 0;

    // key 1: begin a new curve at vec1 (vec1 = vec2); key 0: add and draw vec1 -> vec2.
    virtual void AddAndDrawLineSegment(const Vector2& vec1, const Vector2& vec2, uint8_t key) = 0;
    // The same for the higher-degree families; cl is the colour code of a new curve.
    virtual void AddAndDrawLineSegmentExtremals(const Vector2& vec1, const Vector2& vec2, uint8_t key,
                                                int cl) = 0;

    // Lets the window process pending messages (repaints, the Stop button).
    virtual void ProcessMessages() = 0;
    // The window's `stop` flag.
    virtual bool StopRequested() const = 0;
    virtual void ClearStop() = 0;

    // The status bar text.
    virtual void SetStatusText(const std::string& text) = 0;

    // Pen of the main panel: width for the curves; saved and restored around a trace.
    virtual void SetPenWidth(int width) = 0;
    virtual void SavePen() = 0;
    virtual void RestorePen() = 0;
};

}  // namespace velmora

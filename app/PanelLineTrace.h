// A line trace seen on the main panel as it goes: every piece that the
// session stores is drawn at once in the colour of its curve, and every 30
// pieces the window processes its pending messages, so that repaints and the
// Stop button work during the trace; a long trace shows its step count in
// the status bar. The panel's pen is given back when the trace is over.
#pragma once

#include "canvas/Canvas.h"
#include "curves/TraceSink.h"
#include "geometry/DomainMap.h"
#include "session/SurfaceSession.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace velmora {

class TMainPanel;

class TPanelLineTrace {
public:
    // Pieces are mapped onto the panel by `map`; curveColour is the picker's
    // colour, showStatus writes the status bar.
    TPanelLineTrace(TMainPanel& panel, const TDomainMap& map, std::function<TColor()> curveColour,
                    std::function<void(const QString&)> showStatus);
    ~TPanelLineTrace();
    TPanelLineTrace(const TPanelLineTrace&) = delete;
    TPanelLineTrace& operator=(const TPanelLineTrace&) = delete;

    // What the session's trace hands its pieces to; valid while this object lives.
    TLineTraceTarget Target();

private:
    void Show(const TCurvePiece& piece, TColor colour);
    void KeepLive(long long step);

    TMainPanel& panel_;
    const TDomainMap& map_;
    std::function<TColor()> curveColour_;
    std::function<void(const QString&)> showStatus_;
    QElapsedTimer clock_;
    qint64 lastCount_ = 0;  // when the step count was last shown
    long long pieces_ = 0;
    struct {
        TColor colour = 0;
        int width = 1;
        TPenMode mode = TPenMode::pmCopy;
    } savedPen_;
};

// The status text of a line trace that has ended: why nothing was traced,
// an error, or where a stop ended it; empty (which clears a step count) when
// it ran to its end.
QString LineTraceStatus(const TTraceOutcome& outcome);

}  // namespace velmora

// The line tracers' host in the window: every traced piece is stored in the
// session's curves and drawn at once on the main panel in the colour of its
// curve; window messages are processed every 30 steps, so that repaints and
// the Stop button work during a trace, and a long trace shows its step count
// in the status bar.
#pragma once

#include "canvas/Canvas.h"
#include "session/SessionTracerHost.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace velmora {

class TMainPanel;
class TWatch;

class TPanelTracerHost : public TSessionTracerHost {
public:
    TPanelTracerHost(TSurfaceSession& session, TMainPanel& panel, TWatch& watch, std::function<TColor()> curveColour,
                     std::function<void(const QString&)> showStatus);

    void ProcessMessages() override;
    bool StopRequested() const override;
    void ClearStop() override;
    void SetStatusText(const std::string& text) override;
    void SetPenWidth(int width) override;
    void SavePen() override;
    void RestorePen() override;

    // The Stop button ended the trace.
    bool Stopped() const { return stopped_; }
    // Steps taken so far (counted in the thirties at which messages are processed).
    long long Steps() const { return 30 * pumps_; }
    // The status bar shows the step count (the tracer wrote nothing since).
    bool ShowsStepCount() const { return showsCount_; }

protected:
    TColor CurveColour() const override { return curveColour_(); }
    void DrawSegment(const Vector2& vec1, const Vector2& vec2, TColor colour) override;

private:
    TMainPanel& panel_;
    TWatch& watch_;
    std::function<TColor()> curveColour_;
    std::function<void(const QString&)> showStatus_;
    QElapsedTimer clock_;
    qint64 lastCount_ = 0;  // when the step count was last shown
    long long pumps_ = 0;
    bool stopped_ = false;
    bool showsCount_ = false;
    struct {
        TColor colour = 0;
        int width = 1;
        TPenMode mode = TPenMode::pmCopy;
    } savedPen_;
};

}  // namespace velmora

#include "app/PanelTracerHost.h"

#include "app/MainPanel.h"
#include "app/Watch.h"
#include "session/SurfaceSession.h"

#include <QCoreApplication>

namespace velmora {

namespace {

// A trace that has run this long shows its step count, renewed this often.
constexpr qint64 kLongTraceMs = 300;
constexpr qint64 kCountIntervalMs = 100;

}  // namespace

TPanelTracerHost::TPanelTracerHost(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                                   std::function<TColor()> curveColour, std::function<void(const QString&)> showStatus)
    : TSessionTracerHost(session),
      panel_(panel),
      watch_(watch),
      curveColour_(std::move(curveColour)),
      showStatus_(std::move(showStatus)) {
    clock_.start();
}

void TPanelTracerHost::ProcessMessages() {
    ++pumps_;
    const qint64 now = clock_.elapsed();
    if (now >= kLongTraceMs && now - lastCount_ >= kCountIntervalMs) {
        showStatus_(QStringLiteral("Lines: %1 steps").arg(Steps()));
        showsCount_ = true;
        lastCount_ = now;
    }
    QCoreApplication::processEvents();
}

bool TPanelTracerHost::StopRequested() const { return watch_.stop(); }

void TPanelTracerHost::ClearStop() {
    watch_.ClearStop();
    stopped_ = true;
}

void TPanelTracerHost::SetStatusText(const std::string& text) {
    showStatus_(QString::fromStdString(text));
    showsCount_ = false;
}

void TPanelTracerHost::SetPenWidth(int width) { panel_.Canvas().penWidth = width; }

void TPanelTracerHost::SavePen() {
    const TCanvas& c = panel_.Canvas();
    savedPen_ = {c.penColor, c.penWidth, c.penMode};
}

void TPanelTracerHost::RestorePen() {
    TCanvas& c = panel_.Canvas();
    c.penColor = savedPen_.colour;
    c.penWidth = savedPen_.width;
    c.penMode = savedPen_.mode;
}

void TPanelTracerHost::DrawSegment(const Vector2& vec1, const Vector2& vec2, TColor colour) {
    TCanvas& c = panel_.Canvas();
    c.penColor = colour;
    c.penMode = TPenMode::pmCopy;
    const Vector2Int a = Map().FromR2toWindow(vec1);
    const Vector2Int b = Map().FromR2toWindow(vec2);
    c.MoveTo(a.x, a.y);
    c.LineTo(b.x, b.y);
}

}  // namespace velmora

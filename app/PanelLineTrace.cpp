#include "app/PanelLineTrace.h"

#include "app/MainPanel.h"
#include "app/ResourceStrings.h"
#include "session/OutcomeText.h"

#include <QCoreApplication>

namespace velmora {

namespace {

// A trace that has run this long shows its step count, renewed this often.
constexpr qint64 kLongTraceMs = 300;
constexpr qint64 kCountIntervalMs = 100;
// Pending messages are processed after this many pieces.
constexpr long long kPiecesBetweenMessages = 30;

}  // namespace

TPanelLineTrace::TPanelLineTrace(TMainPanel& panel, const TDomainMap& map, std::function<TColor()> curveColour,
                                 std::function<void(const QString&)> showStatus)
    : panel_(panel), map_(map), curveColour_(std::move(curveColour)), showStatus_(std::move(showStatus)) {
    TCanvas& c = panel_.Canvas();
    savedPen_ = {c.penColor, c.penWidth, c.penMode};
    c.penWidth = 1;  // curves are traced thin on the screen
    clock_.start();
}

TPanelLineTrace::~TPanelLineTrace() {
    TCanvas& c = panel_.Canvas();
    c.penColor = savedPen_.colour;
    c.penWidth = savedPen_.width;
    c.penMode = savedPen_.mode;
}

TLineTraceTarget TPanelLineTrace::Target() {
    TLineTraceTarget target;
    target.curveColour = curveColour_;
    target.show = [this](const TCurvePiece& piece, TColor colour) { Show(piece, colour); };
    return target;
}

void TPanelLineTrace::Show(const TCurvePiece& piece, TColor colour) {
    TCanvas& c = panel_.Canvas();
    c.penColor = colour;
    c.penMode = TPenMode::pmCopy;
    const Vector2Int a = map_.FromR2toWindow(piece.from);
    const Vector2Int b = map_.FromR2toWindow(piece.to);
    c.MoveTo(a.x, a.y);
    c.LineTo(b.x, b.y);
    if (++pieces_ % kPiecesBetweenMessages == 0) KeepLive(piece.step);
}

void TPanelLineTrace::KeepLive(long long step) {
    const qint64 now = clock_.elapsed();
    if (now >= kLongTraceMs && now - lastCount_ >= kCountIntervalMs) {
        showStatus_(QString::fromLatin1(res::LinesSteps).arg(step));
        lastCount_ = now;
    }
    QCoreApplication::processEvents();
}

QString LineTraceStatus(const TTraceOutcome& outcome) {
    if (outcome.end == TTraceEnd::Stopped) return QString::fromLatin1(res::LinesStopped).arg(outcome.steps);
    return QString::fromStdString(LineTraceText(outcome));
}

}  // namespace velmora

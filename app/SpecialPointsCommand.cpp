#include "app/SpecialPointsCommand.h"

#include "app/MainPanel.h"
#include "app/ResourceStrings.h"
#include "app/Watch.h"
#include "session/SurfaceSession.h"

#include <QMetaObject>

#include <cmath>
#include <exception>

namespace velmora {

namespace {

constexpr int kProgressIntervalMs = 80;

}  // namespace

QString SpecialPointsSummary(const TSpecialPointsResult& result) {
    QStringList parts;
    const std::size_t points = result.points.size();
    std::size_t curves = 0;
    for (const TSpecialSet& set : result.sets)
        if (!set.everywhere) ++curves;
    if (points == 0 && curves == 0 && result.sets.empty()) return QStringLiteral("No special points");
    if (points > 0 || curves == 0)
        parts << (points == 1 ? QStringLiteral("1 special point") : QStringLiteral("%1 special points").arg(points));
    if (curves > 0)
        parts << (curves == 1 ? QStringLiteral("1 curve of special points")
                              : QStringLiteral("%1 curves of special points").arg(curves));
    for (const TSpecialSet& set : result.sets)
        if (set.everywhere) parts << QString::fromStdString(EverywhereMessage(set.kind));
    if (result.capped) parts << QString::fromStdString(SpecialPointsCapMessage());
    return parts.join(QStringLiteral("; "));
}

TSpecialPointsCommand::TSpecialPointsCommand(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                                             std::function<void(const QString&)> showStatus,
                                             std::function<void(bool shown)> finished)
    : session_(session), panel_(panel), watch_(watch), showStatus_(std::move(showStatus)),
      finished_(std::move(finished)) {
    progress_.setInterval(kProgressIntervalMs);
    connect(&progress_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

TSpecialPointsCommand::~TSpecialPointsCommand() { StopAndWait(); }

bool TSpecialPointsCommand::Start(TLineClass lineClass) {
    if (!HasSpecialPoints(lineClass)) {
        showStatus_(QString::fromLatin1(kNoSpecialPointsOfClass));
        return false;
    }
    watch_.BeginWatch();
    const unsigned run = ++run_;
    try {
        scan_.Start(session_.ScanSets(), session_.Map().min2D, session_.Map().max2D, lineClass, {},
                    [this, run] {
                        // On a worker thread: hand the end to the GUI thread.
                        QMetaObject::invokeMethod(this, [this, run] { HandleDone(run); }, Qt::QueuedConnection);
                    },
                    watch_.StopToken());
    } catch (const std::exception& e) {
        ++run_;
        watch_.EndWatch();
        showStatus_(QStringLiteral("The special points could not be searched for: %1").arg(QString::fromLocal8Bit(e.what())));
        return false;
    }
    running_ = true;
    ShowProgress();
    progress_.start();
    return true;
}

void TSpecialPointsCommand::HandleDone(unsigned run) {
    if (run != run_ || !running_) return;
    progress_.stop();
    scan_.Wait();
    running_ = false;
    TSpecialPointsResult result = scan_.TakeResult();
    const bool shown = !result.stopped;
    if (shown) {
        showStatus_(SpecialPointsSummary(result));
        session_.StoreSpecialPoints(std::move(result));
    } else {
        // Markers of an incomplete search would tell of points that are not all there.
        session_.ClearSpecialPoints();
        showStatus_(QString::fromLatin1(res::ComputationHalted));
    }
    panel_.Repaint(session_);
    watch_.EndWatch();
    if (finished_) finished_(shown);
}

void TSpecialPointsCommand::StopAndWait() {
    progress_.stop();
    scan_.Terminate();
    scan_.Wait();
    running_ = false;
}

void TSpecialPointsCommand::ShowProgress() {
    const int percent = static_cast<int>(std::floor(100 * scan_.Progress().Fraction()));
    showStatus_(QStringLiteral("Special points: %1%").arg(percent));
}

}  // namespace velmora

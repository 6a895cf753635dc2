#include "app/LocusCommand.h"

#include "app/MainPanel.h"
#include "app/Watch.h"
#include "canvas/LayerDrawing.h"
#include "platform/Platform.h"
#include "session/OutcomeText.h"

#include <QMetaObject>

#include <system_error>
#include <utility>

namespace velmora {

namespace {

// The status bar counts the cells at least this often.
constexpr int kProgressIntervalMs = 80;

}  // namespace

TLocusCommand::TLocusCommand(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                             std::function<void(const QString&)> showStatus)
    : session_(session), panel_(panel), watch_(watch), showStatus_(std::move(showStatus)) {
    progress_.setTimerType(Qt::PreciseTimer);
    progress_.setInterval(kProgressIntervalMs);
    connect(&progress_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

TLocusCommand::~TLocusCommand() { StopAndWait(); }

bool TLocusCommand::Start(TLocusKind kind) {
    if (running_ || !session_.alreadyParsed() || !IsInvariantKind(kind)) return false;
    const std::vector<TEngineSet*> sets = session_.WorkerSets();
    if (sets.empty() || !sets[0]) return false;
    TEngineSet& engines = *sets[0];

    watch_.BeginWatch();
    stop_ = std::stop_source();
    forwardStop_.emplace(watch_.StopToken(), [this] { stop_.request_stop(); });
    cellsDone_ = 0;
    cells_ = 0;
    trace_ = TLocusTrace{};
    trace_.kind = kind;
    const unsigned run = ++run_;
    running_ = true;
    try {
        thread_ = StartThread([this, &engines, kind, run] {
            TLocusTrace trace = session_.TraceLocusWith(engines, kind, stop_.get_token(), [this](int done, int cells) {
                cellsDone_.store(done, std::memory_order_relaxed);
                cells_.store(cells, std::memory_order_relaxed);
            });
            trace_ = std::move(trace);
            // The end goes to the GUI thread; a command destroyed meanwhile drops it.
            QMetaObject::invokeMethod(this, [this, run] { Finish(run); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error& e) {
        running_ = false;
        forwardStop_.reset();
        watch_.EndWatch();
        showStatus_(QStringLiteral("The locus could not be started: %1").arg(QString::fromLocal8Bit(e.what())));
        return false;
    }
    ShowProgress();
    progress_.start();
    return true;
}

void TLocusCommand::ShowProgress() {
    const int cells = cells_.load(std::memory_order_relaxed);
    if (cells == 0) return;
    showStatus_(QStringLiteral("Locus: %1 of %2 cells").arg(cellsDone_.load(std::memory_order_relaxed)).arg(cells));
}

void TLocusCommand::Finish(unsigned run) {
    if (run != run_ || !running_) return;
    progress_.stop();
    // The worker has handed its trace over; only its thread is left to join.
    if (thread_.joinable()) thread_.join();
    running_ = false;
    forwardStop_.reset();
    const TLocusKind kind = trace_.kind;
    const QString text = QString::fromStdString(LocusTraceText(trace_));
    session_.StoreLocus(std::move(trace_));
    trace_ = TLocusTrace{};
    DrawLocus(session_, panel_.Canvas(), panel_.rctMain(), false, kind);
    showStatus_(text);
    watch_.EndWatch();
}

void TLocusCommand::StopAndWait() {
    progress_.stop();
    stop_.request_stop();
    if (thread_.joinable()) thread_.join();
    // An end already on its way to the GUI thread belongs to a run that is
    // over; the trace is dropped, and the window is idle again.
    const bool wasRunning = running_;
    if (running_) ++run_;
    running_ = false;
    forwardStop_.reset();
    if (wasRunning) watch_.EndWatch();
}

}  // namespace velmora

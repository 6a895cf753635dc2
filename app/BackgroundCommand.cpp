#include "app/BackgroundCommand.h"

#include "app/MainPanel.h"
#include "app/Watch.h"
#include "session/OutcomeText.h"
#include "session/SurfaceSession.h"

#include <QImage>
#include <QMetaObject>

#include <algorithm>
#include <exception>

namespace velmora {

namespace {

// The panel shows the rows done so far at least this often.
constexpr int kProgressIntervalMs = 80;

}  // namespace

TBackgroundCommand::TBackgroundCommand(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                                       std::function<void(const QString&)> showStatus)
    : session_(session), panel_(panel), watch_(watch), showStatus_(std::move(showStatus)) {
    progress_.setTimerType(Qt::PreciseTimer);
    progress_.setInterval(kProgressIntervalMs);
    connect(&progress_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

TBackgroundCommand::~TBackgroundCommand() { StopAndWait(); }

bool TBackgroundCommand::ColorByFunction(QImage& target, TBackgroundType type) {
    watch_.BeginWatch();
    if (thrNumber_ != 0) {
        // Workers of an earlier start still run: they are asked to end, and
        // the end of the last one leaves the watch.
        workers_.Terminate();
        return true;
    }
    ++run_;
    target_ = &target;
    type_ = type;
    onPanel_ = &target == &panel_.bm();
    rows_ = target.height();
    const bool usable = !target.isNull() && target.format() == QImage::Format_RGB32;
    // The panel is white at once; any other target is filled by the workers,
    // each its own rows (a page bitmap may hold tens of millions of pixels).
    if (usable && onPanel_) target.fill(0xFFFFFFFFu);
    if (onPanel_) panel_.Repaint(session_);  // a white panel with the loci and lines over it

    thrNumber_ = 0;
    if (usable) {
        const TPixelView view{target.bits(), static_cast<std::ptrdiff_t>(target.bytesPerLine()), target.width(),
                              target.height()};
        const unsigned run = run_;
        try {
            workers_.Start(view, session_.Map().min2D, session_.Map().max2D, type, session_.WorkerSets(),
                           [this, run](int tag) {
                               // On the worker's thread: hand the end to the GUI thread.
                               QMetaObject::invokeMethod(
                                   this, [this, run, tag] { HandleThreadDone(run, tag); }, Qt::QueuedConnection);
                           });
            thrNumber_ = static_cast<int>(workers_.Count());
        } catch (const std::exception& e) {
            // The workers started so far were stopped; their ends belong to
            // a start that is over and are ignored.
            thrNumber_ = 0;
            showStatus_(QStringLiteral("The background could not be started: %1").arg(QString::fromLocal8Bit(e.what())));
        }
    }
    if (thrNumber_ == 0) {
        ++run_;
        target_ = nullptr;
        watch_.EndWatch();
        return false;
    }
    shownRows_.assign(workers_.Count(), 0);
    ShowProgress();
    progress_.start();
    return true;
}

bool TBackgroundCommand::ColourImage(QImage& target, TBackgroundType type, std::function<void()> finished) {
    SetPageFinishedHandler(std::move(finished));
    printingBackground = true;
    if (ColorByFunction(target, type)) return true;
    printingBackground = false;
    return false;
}

void TBackgroundCommand::HandleThreadDone(unsigned run, int tag) {
    if (run != run_ || thrNumber_ <= 0) return;
    if (--thrNumber_ > 0) return;
    progress_.stop();
    // Every worker has returned from its rows; only its thread is left to join.
    workers_.Wait();
    Finish();
}

void TBackgroundCommand::Finish() {
    const bool complete = RowsDone() == rows_;
    target_ = nullptr;
    if (printingBackground) {
        // The page (or figure) reports its own outcome in the status bar and
        // ends the watch when it is drawn.
        printingBackground = false;
        showStatus_(QString());
        if (pageFinished_)
            pageFinished_();
        else
            watch_.EndWatch();
        return;
    }
    panel_.Repaint(session_);
    // A stopped background leaves the count of its rows in the status bar; an
    // invariant that vanishes on the whole domain is said to.
    if (!complete)
        showStatus_(ProgressText());
    else
        showStatus_(workers_.Vanishing() ? QString::fromStdString(InvariantVanishesText(type_)) : QString());
    watch_.EndWatch();
}

void TBackgroundCommand::StopAndWait() {
    progress_.stop();
    workers_.Terminate();
    workers_.Wait();
}

std::vector<TRowBand> TBackgroundCommand::Bands() {
    std::vector<TRowBand> bands;
    for (std::size_t i = 0; i < workers_.Count(); ++i)
        bands.push_back({workers_.Worker(i).firstRow, workers_.Worker(i).lastRow});
    return bands;
}

int TBackgroundCommand::RowsDone() {
    int done = 0;
    for (std::size_t i = 0; i < workers_.Count(); ++i) done += workers_.Worker(i).RowsDone();
    return done;
}

QString TBackgroundCommand::ProgressText() {
    return QStringLiteral("Background: %1 of %2 rows").arg(RowsDone()).arg(rows_);
}

void TBackgroundCommand::ShowProgress() {
    showStatus_(ProgressText());
    if (onPanel_) ShowNewRows();
}

void TBackgroundCommand::ShowNewRows() {
    if (!target_) return;
    bool shown = false;
    for (std::size_t i = 0; i < workers_.Count() && i < shownRows_.size(); ++i) {
        TBackgroundThread& w = workers_.Worker(i);
        // Rows counted as done are written completely and no longer touched.
        const int done = w.RowsDone();
        if (done <= shownRows_[i]) continue;
        const int first = w.firstRow + shownRows_[i];
        const int count = done - shownRows_[i];
        panel_.Canvas().CopyRows(*target_, first, count);
        shownRows_[i] = done;
        shown = true;
    }
    if (!shown) return;
    panel_.RedrawLoci(session_);
    panel_.RedrawLines(session_);
}

}  // namespace velmora

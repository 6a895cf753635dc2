// The locus command: traces the zero set of one invariant over the whole
// domain on a worker thread, with the engine set of the first background
// worker, while the window stays usable under the watch ("Stop" ends the scan
// and keeps what was found; the status bar counts the cells scanned). The
// trace's end comes back to the GUI thread as a queued call, which stores the
// locus in the session, draws it and ends the watch. The knots are those of
// a trace on the GUI thread, knot for knot: the engine sets are compiled
// from the same texts.
#pragma once

#include "geometry/ScalarInvariants.h"
#include "session/SurfaceSession.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <optional>
#include <stop_token>
#include <thread>

namespace velmora {

class TMainPanel;
class TWatch;

class TLocusCommand : public QObject {
public:
    TLocusCommand(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                  std::function<void(const QString&)> showStatus);
    // Stops the trace and waits for it.
    ~TLocusCommand() override;

    // Starts the watch and the trace of `kind`; false (nothing started, the
    // window idle) when the session is unread or has no worker engine set, or
    // the thread could not be started.
    bool Start(TLocusKind kind);
    // A trace runs (its end not handled yet).
    bool Running() const { return running_; }
    // Closing: the trace is stopped and waited for; its end is not handled
    // (nothing is stored) and the watch ends.
    void StopAndWait();

private:
    // On the GUI thread, once the worker has returned.
    void Finish(unsigned run);
    void ShowProgress();

    TSurfaceSession& session_;
    TMainPanel& panel_;
    TWatch& watch_;
    std::function<void(const QString&)> showStatus_;

    QTimer progress_;
    std::atomic<int> cellsDone_{0};
    std::atomic<int> cells_{0};
    TLocusTrace trace_;  // written by the worker, read after it has ended
    bool running_ = false;
    unsigned run_ = 0;
    std::stop_source stop_;
    // The watch's Stop reaches the trace through this.
    std::optional<std::stop_callback<std::function<void()>>> forwardStop_;
    std::jthread thread_;  // last: joined before the state above goes
};

}  // namespace velmora

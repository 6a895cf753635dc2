// The "Show Special Points" command: finds the special points of the chosen
// line class on the session's worker engine sets, under the watch (the
// button reads "Stop", the status bar counts the progress, the window keeps
// repainting). The workers' end comes back to the GUI thread as a queued call;
// a complete result is stored in the session and drawn over the panel, a
// stopped one leaves no markers and says "Computation halted".
#pragma once

#include "geometry/LineClass.h"
#include "points/SpecialPointScan.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace velmora {

class TMainPanel;
class TSurfaceSession;
class TWatch;

// The status text of a result: how many points and curves, the kinds that
// cover the whole domain, and the cap.
QString SpecialPointsSummary(const TSpecialPointsResult& result);

class TSpecialPointsCommand : public QObject {
public:
    // `finished(shown)` runs on the GUI thread when a search has ended: shown
    // is true when its points are on the panel.
    TSpecialPointsCommand(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                          std::function<void(const QString&)> showStatus, std::function<void(bool shown)> finished);
    // Stops the workers and waits for them.
    ~TSpecialPointsCommand() override;

    // Starts the watch and the search for the points of lineClass. False
    // when nothing started: a class without special points (the status bar
    // says so) or a thread the system refused; the window is idle then.
    bool Start(TLineClass lineClass);
    // Closing: the workers are stopped and waited for.
    void StopAndWait();
    bool Running() const { return running_; }

private:
    void HandleDone(unsigned run);
    void ShowProgress();

    TSurfaceSession& session_;
    TMainPanel& panel_;
    TWatch& watch_;
    std::function<void(const QString&)> showStatus_;
    std::function<void(bool)> finished_;
    TSpecialPointScan scan_;
    QTimer progress_;
    unsigned run_ = 0;  // number of the current search; ends of earlier ones are ignored
    bool running_ = false;
};

}  // namespace velmora

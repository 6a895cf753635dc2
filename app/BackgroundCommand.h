// The background command: colours a target image - the main panel's
// background `bm`, or the bitmap of a printed page - by one invariant of the
// surface, with one worker thread per engine set of the session, each on its
// own band of rows. The workers' end notifications come back to the GUI
// thread as queued calls (HandleThreadDone), which count the running workers
// down without a lock; the last one shows the picture (or finishes the page)
// and ends the watch. While the workers run, a timer shows the rows done so
// far on the panel and the progress in the status bar.
#pragma once

#include "background/BackgroundThreads.h"
#include "geometry/ScalarInvariants.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QImage;

namespace velmora {

class TMainPanel;
class TSurfaceSession;
class TWatch;

class TBackgroundCommand : public QObject {
public:
    TBackgroundCommand(TSurfaceSession& session, TMainPanel& panel, TWatch& watch,
                       std::function<void(const QString&)> showStatus);
    // Stops the workers and waits for them.
    ~TBackgroundCommand() override;

    // Starts the watch and the workers on target (Format_RGB32), filled white
    // first. When workers of an earlier start still run, it starts none: it
    // asks those to stop and leaves the watch on until their ends have been
    // handled. True when workers run (the end of the last one finishes the
    // work); false when none could be started (the window is idle again, and
    // a thread the system refused is named in the status bar).
    bool ColorByFunction(QImage& target, TBackgroundType type);

    // Starts the workers on an image that is not the panel's (a printed
    // page, an exported figure): the end of the last one calls finished
    // instead of showing the picture, and leaves the watch on for it to end.
    // False when none could be started (the window is idle again).
    bool ColourImage(QImage& target, TBackgroundType type, std::function<void()> finished);

    // The end of worker `tag` of start number `run`, on the GUI thread. Ends
    // of an earlier start are ignored.
    void HandleThreadDone(unsigned run, int tag);

    // Stop: every worker ends after its current row.
    void Terminate() { workers_.Terminate(); }
    // Closing: every worker is stopped and waited for; their pending end
    // notifications are handled later, or dropped with this object.
    void StopAndWait();

    // Workers not yet finished (their ends not handled yet).
    int thrNumber() const { return thrNumber_; }
    bool Running() const { return thrNumber_ != 0; }

    // The workers compute the background of a printed page: the last end
    // calls the page-finished handler instead of showing the picture.
    bool printingBackground = false;
    void SetPageFinishedHandler(std::function<void()> handler) { pageFinished_ = std::move(handler); }

    // The bands of the workers of the last start, and the rows coloured so far.
    std::vector<TRowBand> Bands();
    int RowsDone();
    int Rows() const { return rows_; }

private:
    QString ProgressText();
    void ShowProgress();
    // The rows finished since the last call, copied from bm onto the panel,
    // with the loci and lines over them.
    void ShowNewRows();
    void Finish();

    TSurfaceSession& session_;
    TMainPanel& panel_;
    TWatch& watch_;
    std::function<void(const QString&)> showStatus_;
    std::function<void()> pageFinished_;

    TBackgroundWorkers workers_;
    QTimer progress_;
    QImage* target_ = nullptr;
    bool onPanel_ = false;     // the target is the panel's bm
    TBackgroundType type_ = TBackgroundType::GaussCurvature;  // of the current start
    int thrNumber_ = 0;
    unsigned run_ = 0;         // number of the current start
    int rows_ = 0;             // rows of the target
    std::vector<int> shownRows_;  // per worker: rows already shown on the panel
};

}  // namespace velmora

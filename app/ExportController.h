// File > "Export Image...": the file dialog, then the size dialog, then -
// when a background is chosen - the background computed anew at that size by
// the background workers while the window stays usable (Stop cancels), then
// the file: a PNG picture, or an SVG drawing or a PDF page with the curves as
// vector paths, drawn by the routine of the printed page and of
// velmora4-cli render (printing/Figure.h) on a thread of its own under the
// watch (drawing and compressing a large picture would pause the window).
#pragma once

#include "app/WorkerJob.h"
#include "geometry/ScalarInvariants.h"
#include "printing/Figure.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace velmora {

class TBackgroundCommand;
class TDialogs;
class TSettings;
class TSurfaceSession;
class TWatch;

class TExportController {
public:
    // window: the parent of the dialogs; settings: the folder and size
    // remembered between exports; showStatus: the window's status bar.
    TExportController(QWidget& window, const TSurfaceSession& session, TWatch& watch, TBackgroundCommand& background,
                      TSettings& settings, std::function<void(const QString&)> showStatus);
    TExportController(const TExportController&) = delete;
    TExportController& operator=(const TExportController&) = delete;

    // Asks for a file name (PNG, SVG or PDF) and a size, then exports.
    void Ask(TDialogs& dialogs, std::optional<TBackgroundType> backgroundType);
    // Writes the figure of side size into path under the watch; with a
    // background type, the workers compute it anew at that size first and
    // the file is written when the last one ends. False when it failed at
    // once; the outcome is told in the status bar when the file is written.
    bool Export(const QString& path, int size, std::optional<TBackgroundType> backgroundType);
    // Forgets an export whose background is being computed (nothing is
    // written); a file being written is waited for.
    void Cancel();
    // A figure is being written on its thread.
    bool Writing() const { return writer_.Running(); }

private:
    // The background of the pending export is done: the file is written.
    void Finish();
    // Writes the pending figure on its thread; the status follows.
    void Write();

    QWidget& window_;
    const TSurfaceSession& session_;
    TWatch& watch_;
    TBackgroundCommand& background_;
    TSettings& settings_;
    std::function<void(const QString&)> showStatus_;

    // The figure being exported while its background is computed.
    struct TPending {
        QString path;
        int size = 0;
        QImage bitmap;  // null: no background
        TFigureWrite written;  // set by the writing thread
    };
    std::unique_ptr<TPending> pending_;
    TWorkerJob writer_;  // last: waited for before the pending figure goes
};

}  // namespace velmora

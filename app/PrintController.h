// File > "Print...": the page dialog, then the system print dialog, then -
// when the page shows a background - the page background coloured anew by
// the background workers while the watch shows "Printing", then the page,
// drawn and handed to the printer on a thread of its own (the scaling of a
// large page bitmap would pause the window). The window asks for a print;
// this controller owns the page dialog, the printer and the print run until
// the page is drawn or given up.
#pragma once

#include "geometry/ScalarInvariants.h"
#include "app/WorkerJob.h"
#include "printing/Printing.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QImage;
class QPrinter;
class QWidget;

namespace velmora {

class TBackgroundCommand;
class TDialogs;
class TPageSetupDialog;
class TSurfaceSession;
class TWatch;

class TPrintController {
public:
    // window: the parent of the dialogs, whose caption the page dialog
    // proposes as the title; showStatus: the window's status bar.
    TPrintController(QWidget& window, const TSurfaceSession& session, TWatch& watch, TBackgroundCommand& background,
                     std::function<void(const QString&)> showStatus);
    ~TPrintController();  // a page not drawn is given up
    TPrintController(const TPrintController&) = delete;
    TPrintController& operator=(const TPrintController&) = delete;

    // Asks the page and print dialogs and prints the page, with the
    // background of `backgroundType` computed for it when the page dialog
    // asks for one. A cancelled page dialog says "Printing cancelled", a
    // printer that fails "Error in printing".
    void Print(TDialogs& dialogs, std::optional<TBackgroundType> backgroundType);

    // The page dialog, created on first use; its controls keep their values.
    TPageSetupDialog& PageDialog();
    // The choices of the last confirmed page dialog.
    const TPrintSettings& Settings() const { return settings_; }

    // Drops the print run and its printer, giving up a page not yet drawn
    // (a PDF file that would hold only a blank page is removed). Pages being
    // drawn are waited for.
    void Cancel();
    // The pages are being drawn on their thread.
    bool Drawing() const { return pages_.Running(); }

private:
    // Starts the workers on the page bitmap; false when the page goes without background.
    bool StartPageBackground(QImage& pageBitmap, TBackgroundType type);
    // The page background is coloured: the pages are drawn, or given up after Stop.
    void FinishPage();
    // Draws the pages on their thread; PagesDrawn follows on the GUI thread.
    void DrawPages();
    void PagesDrawn();
    void ShowPrinting();

    QWidget& window_;
    const TSurfaceSession& session_;
    TWatch& watch_;
    TBackgroundCommand& background_;
    std::function<void(const QString&)> showStatus_;

    std::unique_ptr<TPageSetupDialog> pageDialog_;
    TPrintSettings settings_;
    // The run refers to the printer, so it is declared after it and ends first.
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<TPrintJob> job_;
    bool pagesOk_ = false;  // written by the page thread, read after it
    TWorkerJob pages_;      // last: waited for before the run goes
};

}  // namespace velmora

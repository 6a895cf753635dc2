#include "app/PrintController.h"

#include "app/BackgroundCommand.h"
#include "app/Dialogs.h"
#include "app/ResourceStrings.h"
#include "app/Watch.h"
#include "printing/PageSetupDialog.h"

#include <QFile>
#include <QPrinter>
#include <QWidget>

namespace velmora {

namespace {

// The page fonts grow with the square of the drawing; they were made for a
// printer of this many dots per inch.
constexpr int kPrinterResolution = 600;

}  // namespace

TPrintController::TPrintController(QWidget& window, const TSurfaceSession& session, TWatch& watch,
                                   TBackgroundCommand& background, std::function<void(const QString&)> showStatus)
    : window_(window), session_(session), watch_(watch), background_(background), showStatus_(std::move(showStatus)) {}

TPrintController::~TPrintController() { Cancel(); }

TPageSetupDialog& TPrintController::PageDialog() {
    if (!pageDialog_)
        pageDialog_ = std::make_unique<TPageSetupDialog>([this] { return window_.windowTitle(); }, &window_);
    return *pageDialog_;
}

void TPrintController::ShowPrinting() { watch_.SetEnterButton(QString::fromLatin1(res::Printing), clRed); }

void TPrintController::Print(TDialogs& dialogs, std::optional<TBackgroundType> backgroundType) {
    TPageSetupDialog& form = PageDialog();
    if (!dialogs.ConfigurePage(form)) {
        showStatus_(QString::fromLatin1(res::PrintingCancelled));
        watch_.EndWatch();
        return;
    }
    settings_ = form.Settings();
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!dialogs.SetupPrinter(&window_, *printer_)) {
        printer_.reset();
        watch_.EndWatch();
        return;
    }

    window_.repaint();
    watch_.BeginWatch();
    ShowPrinting();
    printer_->setPageOrientation(QPageLayout::Portrait);
    printer_->setResolution(kPrinterResolution);
    // The copies are printed page by page, so the printer makes one of each.
    const int copies = printer_->copyCount();
    printer_->setCopyCount(1);
    const int type = backgroundType ? static_cast<int>(*backgroundType) : -1;
    job_ = std::make_unique<TPrintJob>(*printer_, copies, session_, settings_, type);
    const TPrintJob::TStart start = job_->StartPrint(
        [this, backgroundType](QImage& bitmap) { return backgroundType && StartPageBackground(bitmap, *backgroundType); },
        true);
    // The end of the last worker of the page background finishes the print
    // (FinishPage).
    if (start == TPrintJob::TStart::AwaitingBackground) return;
    if (start == TPrintJob::TStart::ReadyToFinish) {
        DrawPages();
        return;
    }
    showStatus_(QString::fromLatin1(res::ErrorInPrinting));
    Cancel();
    watch_.EndWatch();
}

bool TPrintController::StartPageBackground(QImage& pageBitmap, TBackgroundType type) {
    if (!background_.ColourImage(pageBitmap, type, [this] { FinishPage(); })) {
        // Without workers the page goes without background; the print goes on.
        watch_.BeginWatch();
        ShowPrinting();
        return false;
    }
    // The workers' watch shows "Stop"; the button tells what is under way.
    ShowPrinting();
    return true;
}

void TPrintController::FinishPage() {
    // The background command leaves the watch on: it ends with the pages.
    if (!job_) {
        watch_.EndWatch();
        return;
    }
    if (watch_.stop()) {
        // The button was pressed while the background was computed.
        showStatus_(QString::fromLatin1(res::PrintingCancelled));
        Cancel();
        watch_.EndWatch();
        return;
    }
    ShowPrinting();
    DrawPages();
}

void TPrintController::DrawPages() {
    pagesOk_ = false;
    TPrintJob* job = job_.get();
    if (!pages_.Start([this, job] { pagesOk_ = job->FinishPrint(); }, [this] { PagesDrawn(); })) {
        // Without a thread the pages are drawn here.
        pagesOk_ = job->FinishPrint();
        PagesDrawn();
    }
}

void TPrintController::PagesDrawn() {
    if (!pagesOk_)
        showStatus_(QString::fromLatin1(res::ErrorInPrinting));
    else if (job_)
        showStatus_(job_->ResolutionCapText());
    Cancel();
    watch_.EndWatch();
}

void TPrintController::Cancel() {
    pages_.Wait();
    if (job_ && job_->Active()) {
        // A page not drawn: the printer job is cancelled, and a PDF file
        // would hold only a blank page, so it goes.
        printer_->abort();
        job_->Abandon();
        if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty())
            QFile::remove(printer_->outputFileName());
    }
    job_.reset();
    printer_.reset();
}

}  // namespace velmora

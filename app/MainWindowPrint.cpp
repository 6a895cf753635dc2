// The printed page (laid out and drawn by printing/) and the manual window.
#include "app/MainWindow.h"

#include "app/ManualWindow.h"
#include "app/ResourceStrings.h"
#include "printing/PageSetupDialog.h"

#include <QFile>
#include <QPrinter>

namespace velmora {

namespace {

// The page fonts grow with the square of the drawing; they were made for a
// printer of this many dots per inch.
constexpr int kPrinterResolution = 600;

}  // namespace

TManualWindow& TMainWindow::Manual() {
    if (!manual_) manual_ = std::make_unique<TManualWindow>(this);
    return *manual_;
}

void TMainWindow::Manual1Click() {
    if (CommandsBlocked()) return;
    TManualWindow& manual = Manual();
    manual.show();
    manual.raise();
    manual.activateWindow();
}

TPageSetupDialog& TMainWindow::Form2() {
    if (!form2_) form2_ = std::make_unique<TPageSetupDialog>([this] { return windowTitle(); }, this);
    return *form2_;
}

void TMainWindow::OnPrint() {
    if (CommandsBlocked() || !session.alreadyParsed()) return;
    TPageSetupDialog& form = Form2();
    if (!dialogs_->ConfigurePage(form)) {
        SetInfoText(QString::fromLatin1(res::PrintingCancelled));
        EndWatch();
        return;
    }
    printSettings_ = form.Settings();
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!dialogs_->SetupPrinter(this, *printer_)) {
        printer_.reset();
        EndWatch();
        return;
    }

    repaint();
    BeginWatch();
    watch->SetEnterButton(QString::fromLatin1(res::Printing), clRed);
    printer_->setPageOrientation(QPageLayout::Portrait);
    printer_->setResolution(kPrinterResolution);
    // The copies are printed page by page, so the printer makes one of each.
    const int copies = printer_->copyCount();
    printer_->setCopyCount(1);
    const int type = backgroundType_ ? static_cast<int>(*backgroundType_) : -1;
    printJob_ = std::make_unique<TPrintJob>(*printer_, copies, session, printSettings_, type);
    const TPrintJob::TStart start = printJob_->StartPrint([this](QImage& bitmap) { return StartPageBackground(bitmap); });
    // The end of the last worker of the page background finishes the print
    // (FinishPagePrint) and the watch.
    if (start == TPrintJob::TStart::AwaitingBackground) return;
    if (start == TPrintJob::TStart::Failed) SetInfoText(QString::fromLatin1(res::ErrorInPrinting));
    CancelPrint();
    EndWatch();
}

bool TMainWindow::StartPageBackground(QImage& pageBitmap) {
    if (!ColourImageBackground(pageBitmap, [this] { FinishPagePrint(); })) {
        // Without workers the page goes without background; the print goes on.
        BeginWatch();
        watch->SetEnterButton(QString::fromLatin1(res::Printing), clRed);
        return false;
    }
    // The workers' watch shows "Stop"; the button tells what is under way.
    watch->SetEnterButton(QString::fromLatin1(res::Printing), clRed);
    return true;
}

void TMainWindow::FinishPagePrint() {
    if (!printJob_) return;
    if (stop()) {
        // The button was pressed while the background was computed.
        SetInfoText(QString::fromLatin1(res::PrintingCancelled));
    } else if (!printJob_->FinishPrint()) {
        SetInfoText(QString::fromLatin1(res::ErrorInPrinting));
    }
    CancelPrint();
}

void TMainWindow::CancelPrint() {
    if (printJob_ && printJob_->Active()) {
        // A page not drawn: the printer job is cancelled, and a PDF file
        // would hold only a blank page, so it goes.
        printer_->abort();
        printJob_->Abandon();
        if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty())
            QFile::remove(printer_->outputFileName());
    }
    printJob_.reset();
    printer_.reset();
}

}  // namespace velmora

// The manual window, and the printed page and Export Image handed to their
// controllers.
#include "app/MainWindow.h"

#include "app/ManualWindow.h"

namespace velmora {

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

void TMainWindow::OnPrint() {
    if (CommandsBlocked() || !session.alreadyParsed()) return;
    print_->Print(*dialogs_, backgroundType_);
}

void TMainWindow::OnExportImage() {
    if (CommandsBlocked() || !session.alreadyParsed()) return;
    export_->Ask(*dialogs_, backgroundType_);
}

bool TMainWindow::ExportImage(const QString& path, int size) {
    if (CommandsBlocked() || !session.alreadyParsed()) return false;
    return export_->Export(path, size, backgroundType_);
}

}  // namespace velmora

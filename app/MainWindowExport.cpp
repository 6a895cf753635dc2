// File > "Export Image...": the main panel's figure - the background, the
// loci, the coordinate lines and the curves - as a PNG picture, or as an SVG
// drawing or a PDF page with the curves as vector paths, at a chosen size.
// The background is computed anew at that size by the window's workers while
// the window stays usable; the figure is drawn by the routine of the printed
// page and of velmora4-cli render (printing/Figure.h).
#include "app/MainWindow.h"

#include "app/ResourceStrings.h"
#include "printing/Figure.h"

#include <QDir>

namespace velmora {

namespace {

const QString kExportTitle = QStringLiteral("Export Image");
const QString kExportFilter =
    QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
const QString kExportSuffix = QStringLiteral("png");

}  // namespace

void TMainWindow::OnExportImage() {
    if (CommandsBlocked() || !session.alreadyParsed()) return;
    const QString chosen = dialogs_->SaveFileName(this, kExportTitle, kExportFilter, kExportSuffix, settings_.LastFolder());
    if (chosen.isEmpty()) return;
    settings_.SetLastFolderOf(chosen);
    const std::optional<int> size = dialogs_->FigureSize(this, settings_.FigureSize(), kMinFigureSize, kMaxFigureSize);
    if (!size) return;
    settings_.SetFigureSize(*size);
    ExportImage(chosen, *size);
}

bool TMainWindow::ExportImage(const QString& path, int size) {
    if (CommandsBlocked() || !session.alreadyParsed()) return false;
    const QString shown = QDir::toNativeSeparators(path);
    // A name, size or place that cannot be written is refused before any work.
    if (const TFigureWrite target = CheckFigureTarget(path, size); !target) {
        SetInfoText(target.message);
        return false;
    }
    if (!backgroundType_) {
        const TFigureWrite written = WriteFigure(path, size, session, nullptr);
        SetInfoText(written ? QString::fromLatin1(res::ImageSaved).arg(shown) : written.message);
        return written.ok;
    }
    auto pending = std::make_unique<TPendingExport>();
    pending->path = path;
    pending->size = size;
    pending->bitmap = QImage(size, size, QImage::Format_RGB32);
    if (pending->bitmap.isNull()) {
        SetInfoText(QStringLiteral("Cannot write %1: no memory for a background of %2 x %2 pixels").arg(shown).arg(size));
        return false;
    }
    pendingExport_ = std::move(pending);
    if (!ColourImageBackground(pendingExport_->bitmap, [this] { FinishExport(); })) {
        pendingExport_.reset();
        SetInfoText(QStringLiteral("Cannot write %1: the background workers could not start").arg(shown));
        return false;
    }
    return true;
}

void TMainWindow::FinishExport() {
    if (!pendingExport_) return;
    const std::unique_ptr<TPendingExport> job = std::move(pendingExport_);
    if (stop()) {
        // Stop was pressed while the background was computed: nothing is written.
        SetInfoText(QString::fromLatin1(res::ExportCancelled));
        return;
    }
    const TFigureWrite written = WriteFigure(job->path, job->size, session, &job->bitmap);
    SetInfoText(written ? QString::fromLatin1(res::ImageSaved).arg(QDir::toNativeSeparators(job->path))
                        : written.message);
}

bool TMainWindow::ColourImageBackground(QImage& target, std::function<void()> finished) {
    SetPageBackgroundFinished(std::move(finished));
    SetPrintingBackground(true);
    if (ColorByFunction(target)) return true;
    SetPrintingBackground(false);
    return false;
}

}  // namespace velmora

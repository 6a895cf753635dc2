#include "app/ExportController.h"

#include "app/BackgroundCommand.h"
#include "app/Dialogs.h"
#include "app/ResourceStrings.h"
#include "app/Settings.h"
#include "app/Watch.h"

#include <QDir>

namespace velmora {

namespace {

const QString kExportTitle = QStringLiteral("Export Image");
const QString kExportFilter = QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
const QString kExportSuffix = QStringLiteral("png");

}  // namespace

TExportController::TExportController(QWidget& window, const TSurfaceSession& session, TWatch& watch,
                                     TBackgroundCommand& background, TSettings& settings,
                                     std::function<void(const QString&)> showStatus)
    : window_(window),
      session_(session),
      watch_(watch),
      background_(background),
      settings_(settings),
      showStatus_(std::move(showStatus)) {}

void TExportController::Ask(TDialogs& dialogs, std::optional<TBackgroundType> backgroundType) {
    const QString chosen =
        dialogs.SaveFileName(&window_, kExportTitle, kExportFilter, kExportSuffix, settings_.LastFolder());
    if (chosen.isEmpty()) return;
    settings_.SetLastFolderOf(chosen);
    const std::optional<int> size = dialogs.FigureSize(&window_, settings_.FigureSize(), kMinFigureSize, kMaxFigureSize);
    if (!size) return;
    settings_.SetFigureSize(*size);
    Export(chosen, *size, backgroundType);
}

bool TExportController::Export(const QString& path, int size, std::optional<TBackgroundType> backgroundType) {
    const QString shown = QDir::toNativeSeparators(path);
    // A name, size or place that cannot be written is refused before any work.
    if (const TFigureWrite target = CheckFigureTarget(path, size); !target) {
        showStatus_(target.message);
        return false;
    }
    auto pending = std::make_unique<TPending>();
    pending->path = path;
    pending->size = size;
    if (!backgroundType) {
        pending_ = std::move(pending);
        watch_.BeginWatch();
        Write();
        return true;
    }
    pending->bitmap = QImage(size, size, QImage::Format_RGB32);
    if (pending->bitmap.isNull()) {
        showStatus_(QStringLiteral("Cannot write %1: no memory for a background of %2 x %2 pixels").arg(shown).arg(size));
        return false;
    }
    pending_ = std::move(pending);
    if (!background_.ColourImage(pending_->bitmap, *backgroundType, [this] { Finish(); })) {
        pending_.reset();
        showStatus_(QStringLiteral("Cannot write %1: the background workers could not start").arg(shown));
        return false;
    }
    return true;
}

void TExportController::Finish() {
    // The background command leaves the watch on: it ends with the file.
    if (!pending_) {
        watch_.EndWatch();
        return;
    }
    if (watch_.stop()) {
        // Stop was pressed while the background was computed: nothing is written.
        pending_.reset();
        showStatus_(QString::fromLatin1(res::ExportCancelled));
        watch_.EndWatch();
        return;
    }
    Write();
}

void TExportController::Write() {
    TPending* job = pending_.get();
    const auto write = [this, job] {
        job->written = WriteFigure(job->path, job->size, session_, job->bitmap.isNull() ? nullptr : &job->bitmap);
        // Giving back the pages of a large picture takes a while: here, not on the GUI thread.
        job->bitmap = QImage();
    };
    const auto written = [this] {
        const std::unique_ptr<TPending> job = std::move(pending_);
        if (job)
            showStatus_(job->written ? QString::fromLatin1(res::ImageSaved).arg(QDir::toNativeSeparators(job->path))
                                     : job->written.message);
        watch_.EndWatch();
    };
    // Without a thread the file is written here.
    if (!writer_.Start(write, written)) {
        write();
        written();
    }
}

void TExportController::Cancel() {
    writer_.Wait();
    pending_.reset();
}

}  // namespace velmora

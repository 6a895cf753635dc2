// Documents: opening a document into the edits, saving the input last read,
// and the question before closing with unsaved input. The file format and the
// safe writing are the session's (session/Document.h).
#include "app/MainWindow.h"
#include "app/SurfaceWindow.h"

#include "session/Document.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

namespace velmora {

namespace {

const QString kOpenFilter = QStringLiteral("Velmora4 (*.vm4)");
const QString kSaveFilter = QStringLiteral("VelmoraR4 (*.vm4)");
const QString kSaveTitle = QStringLiteral("Save");
const QString kExtension = QStringLiteral("vm4");

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString LocalText(const std::string& text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

bool HasDocumentExtension(const QString& path) {
    return QFileInfo(path).suffix().compare(kExtension, Qt::CaseInsensitive) == 0;
}

}  // namespace

bool TMainWindow::FromDisk(const QString& path) {
    const TDocumentRead doc = ReadDocument(LocalPath(path));
    if (!doc) {
        SetInfoText(LocalText(doc.message));
        return false;
    }
    const auto edits = ui.InputEdits();
    for (int i = 0; i < kInputFields; ++i) {
        edits[i]->setText(QString::fromLatin1(doc.texts[i].data(), qsizetype(doc.texts[i].size())));
        edits[i]->setCursorPosition(0);
    }
    return true;
}

bool TMainWindow::ToDisk(const QString& path) {
    const TDocumentWrite written = WriteDocument(LocalPath(path), session.InputStrs());
    if (!written) {
        lastSaveFailure_ = LocalText(written.message);
        SetInfoText(lastSaveFailure_);
        return false;
    }
    // A report of an earlier failure is no longer true.
    if (!lastSaveFailure_.isEmpty() && InfoText() == lastSaveFailure_) SetInfoText(QString());
    lastSaveFailure_.clear();
    return true;
}

void TMainWindow::SetCaptionFromFile(const QString& path) {
    QString name = QFileInfo(path).fileName();
    if (HasDocumentExtension(name)) name.chop(4);
    setWindowTitle(name);
}

bool TMainWindow::OpenDocument(const QString& path) {
    if (CommandsBlocked()) return false;
    if (!FromDisk(path)) return false;
    Filename_ = path;
    settings_.AddRecentDocument(path);
    RebuildRecentMenu();
    ReadData();
    // The freshly read surface starts blank, also when its read failed.
    mainPanel.bm().fill(PixelOfColour(clWhite));
    mainPanel.Fill();
    mainPanel.ForgetCross();
    SetCaptionFromFile(path);
    session.SetDirty(false);
    ManageMenus();
    return true;
}

void TMainWindow::OnOpen() {
    if (CommandsBlocked()) return;
    QString chosen;
    do {
        chosen = dialogs_->OpenFileName(this, kOpenFilter, settings_.LastFolder());
        if (chosen.isEmpty()) return;
        settings_.SetLastFolderOf(chosen);
    } while (!HasDocumentExtension(chosen));
    OpenDocument(chosen);
}

TMainWindow::TSaveOutcome TMainWindow::SaveInput() {
    if (!session.alreadyParsed() || !session.dirty()) return TSaveOutcome::NothingToSave;
    if (Filename_.isEmpty()) return SaveInputAs();
    if (!ToDisk(Filename_)) return TSaveOutcome::Failed;
    session.SetDirty(false);
    ManageMenus();
    return TSaveOutcome::Saved;
}

TMainWindow::TSaveOutcome TMainWindow::SaveInputAs() {
    if (!session.alreadyParsed()) return TSaveOutcome::NothingToSave;
    const QString chosen = dialogs_->SaveFileName(this, kSaveTitle, kSaveFilter, kExtension, settings_.LastFolder());
    if (chosen.isEmpty()) return TSaveOutcome::Cancelled;
    settings_.SetLastFolderOf(chosen);
    // A name that could not be written to does not become the document's.
    if (!ToDisk(chosen)) return TSaveOutcome::Failed;
    Filename_ = chosen;
    settings_.AddRecentDocument(chosen);
    RebuildRecentMenu();
    session.SetDirty(false);
    ManageMenus();
    return TSaveOutcome::Saved;
}

void TMainWindow::OnSave() {
    if (CommandsBlocked()) return;
    SaveInput();
}

void TMainWindow::OnSaveAs() {
    if (CommandsBlocked()) return;
    SaveInputAs();
}

void TMainWindow::OnExit() {
    if (CommandsBlocked()) return;
    // A cancelled Save dialog still ends the program; a failed write does
    // not, so that the input is not lost with the message that says so.
    if (SaveInput() == TSaveOutcome::Failed) return;
    exitWithoutQuestion_ = true;
    close();
    exitWithoutQuestion_ = false;
}

bool TMainWindow::OnCloseQuery() {
    if (!session.dirty()) return true;
    switch (dialogs_->ConfirmSave(this)) {
        case TConfirmAnswer::No: return true;
        case TConfirmAnswer::Yes:
            // Writing the document does not touch the engines, so it may
            // happen while a long command runs.
            SaveInput();
            return !session.dirty();
        case TConfirmAnswer::Cancel: break;
    }
    return false;
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    if (!exitWithoutQuestion_ && !OnCloseQuery()) {
        event->ignore();
        return;
    }
    // The workers stop and are waited for before the page or figure they
    // colour is dropped.
    StopAllWork();
    print_->Cancel();
    export_->Cancel();
    SaveDesktopSettings();
    if (surfaceWindow_) surfaceWindow_->close();
    QMainWindow::closeEvent(event);
}

}  // namespace velmora

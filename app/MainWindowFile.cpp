// Documents: opening a document into the edits, saving the input last read,
// and the question before closing with unsaved input. The file format and the
// safe writing are the session's (session/Document.h).
#include "app/MainWindow.h"
#include "app/SurfaceWindow.h"

#include "app/ResourceStrings.h"
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
    // A text longer than a field takes is refused, as a read refuses it,
    // before any edit would cut it.
    for (int i = 0; i < kInputFields; ++i)
        if (TrimInput(doc.texts[i]).size() > kMaxFieldLength) {
            SetInfoText(QString::fromStdString(readmsg::TooLong(static_cast<TInputField>(i))));
            return false;
        }
    const auto edits = ui.InputEdits();
    for (int i = 0; i < kInputFields; ++i) {
        // Only blanks around a text may be longer than the edit takes.
        const std::string& text = doc.texts[i].size() > kMaxFieldLength ? TrimInput(doc.texts[i]) : doc.texts[i];
        edits[i]->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
        edits[i]->setCursorPosition(0);
    }
    RememberAppliedTexts(doc.texts);
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

void TMainWindow::OnNew() {
    if (CommandsBlocked() || !ConfirmDiscard()) return;
    const TInputTexts& texts = DefaultSurfaceTexts();
    const auto edits = ui.InputEdits();
    for (int i = 0; i < kInputFields; ++i) {
        edits[i]->setText(QString::fromLatin1(texts[i].data(), qsizetype(texts[i].size())));
        edits[i]->setCursorPosition(0);
    }
    RememberAppliedTexts(texts);
    Filename_.clear();
    setWindowTitle(QString::fromLatin1(res::MainCaption));
    ReadData();
    // Nothing of the default surface is unsaved work.
    session.SetDirty(false);
    ManageMenus();
}

void TMainWindow::OnOpen() {
    if (CommandsBlocked() || !ConfirmDiscard()) return;
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

TMainWindow::TSaveOutcome TMainWindow::SaveChanges() {
    if (EditsChanged()) {
        // What the edits show is what would be saved: it is read first. A
        // read refused now (a computation runs) or failing keeps it in the edits.
        if (CommandsBlocked()) {
            SetInfoText(QStringLiteral("The edits were changed: stop the computation and read them with Enter first"));
            return TSaveOutcome::Failed;
        }
        if (!ReadData()) return TSaveOutcome::Failed;
    }
    return SaveInput();
}

void TMainWindow::OnExit() {
    if (CommandsBlocked()) return;
    // A cancelled Save dialog still ends the program; a failed read or write
    // does not, so that the input is not lost with the message that says so.
    if (SaveChanges() == TSaveOutcome::Failed) return;
    exitWithoutQuestion_ = true;
    close();
    exitWithoutQuestion_ = false;
}

bool TMainWindow::OnCloseQuery() { return ConfirmDiscard(); }

bool TMainWindow::ConfirmDiscard() {
    if (!session.dirty() && !EditsChanged()) return true;
    switch (dialogs_->ConfirmSave(this)) {
        case TConfirmAnswer::No: return true;
        case TConfirmAnswer::Yes: {
            // Writing the document does not touch the engines, so it may
            // happen while a long command runs (reading changed edits may not).
            const TSaveOutcome saved = SaveChanges();
            return saved != TSaveOutcome::Failed && !session.dirty() && !EditsChanged();
        }
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

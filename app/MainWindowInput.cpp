// Reading the input ("Enter") and Stop: the edits' texts go to the surface session,
// which trims, checks and compiles them; the window shows the trimmed texts,
// sounds the tone on an error and starts afresh on success.
#include "app/MainWindow.h"

#include "app/ResourceStrings.h"
#include "platform/Platform.h"

#include <QLineEdit>

namespace velmora {

namespace {

// The 8-bit text handed to the engines. A character outside Latin-1 becomes
// "?", which the formula languages refuse as an illegal character. Every
// character of the edit is one byte of the text.
std::string EngineText(const QString& text) { return text.toLatin1().toStdString(); }

// Shows in the edit the part of its text that the session kept.
void ShowTrimmed(QLineEdit* edit) {
    const QString text = edit->text();
    const auto [first, last] = TrimRange(EngineText(text));
    if (first != 0 || last != static_cast<std::size_t>(text.size()))
        edit->setText(text.mid(static_cast<qsizetype>(first), static_cast<qsizetype>(last - first)));
}

}  // namespace

bool TMainWindow::ReadData() {
    if (CommandsBlocked()) return false;
    SetInfoText(QString());
    const auto edits = ui.InputEdits();
    for (int i = 0; i < kInputFields; ++i) session.SetInputText(i, EngineText(edits[i]->text()));
    const TReadResult read = session.ReadData();
    // The fields the read reached show trimmed, also when it failed later.
    for (int i = 0; i < read.fieldsTrimmed; ++i) ShowTrimmed(edits[i]);
    if (!read) {
        Beep(100, 100);
        // Which field, and the engine's own words; the cursor goes there.
        SetInfoText(QString::fromLatin1(res::ErrorReadingField) + QStringLiteral(": ") +
                    QString::fromStdString(read.FieldMessage()));
        if (read.failedField >= 0 && read.failedField < kInputFields) {
            QLineEdit* failed = edits[read.failedField];
            failed->setFocus(Qt::OtherFocusReason);
            failed->deselect();
        }
        return false;
    }
    RememberAppliedTexts(session.InputTexts());

    mainPanel.bm().fill(PixelOfColour(clWhite));
    mainPanel.Fill();
    mainPanel.ResetInteraction();
    watch->ClearStop();
    panelsFrozen_ = false;
    ellipsePanel.Reset();
    backgroundType_.reset();
    SetInfoText(QString());
    ManageMenus();
    // The special points shown are searched for anew on the surface read.
    if (ui.ShowSpecialPoints1->isChecked()) StartSpecialPoints();
    return true;
}

void TMainWindow::RememberAppliedTexts(const TInputTexts& texts) { appliedTexts_ = texts; }

bool TMainWindow::EditsChanged() const {
    // Blanks around a text are not a change: a read trims them.
    const auto edits = ui.InputEdits();
    for (int i = 0; i < kInputFields; ++i)
        if (TrimInput(EngineText(edits[i]->text())) != TrimInput(appliedTexts_[i])) return true;
    return false;
}

void TMainWindow::OnEnterButton() {
    if (busy()) {
        // The "Stop" button: a trace polls the flag; the background workers
        // end after their current row.
        watch->RequestStop();
        if (background->Running()) background->Terminate();
        return;
    }
    ReadData();
}

}  // namespace velmora

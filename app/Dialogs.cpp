#include "app/Dialogs.h"

#include "printing/LinesToPrintDlg.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace velmora {

QString TSystemDialogs::OpenFileName(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString TSystemDialogs::SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& defaultSuffix) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    // Replacing an existing file is not asked about: the document is the user's own.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool TSystemDialogs::ConfigurePage(TForm2& form) { return form.exec() == QDialog::Accepted; }

bool TSystemDialogs::SetupPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

TConfirmAnswer TSystemDialogs::ConfirmSave(QWidget* parent) {
    TYesNotCancel dialog(parent);
    return dialog.Ask();
}

}  // namespace velmora

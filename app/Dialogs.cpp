#include "app/Dialogs.h"

#include "printing/PageSetupDialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace velmora {

QString TSystemDialogs::OpenFileName(QWidget* parent, const QString& filter, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString TSystemDialogs::SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& defaultSuffix, const QString& folder) {
    QFileDialog dialog(parent, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    // A name typed without extension gets the one of the type chosen: the
    // first pattern of the filter, "*.svg" in "SVG drawing (*.svg)".
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch m = pattern.match(chosen);
        if (m.hasMatch()) dialog.setDefaultSuffix(m.captured(1));
    });
    // Replacing an existing file is not asked about: the document is the user's own.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<int> TSystemDialogs::FigureSize(QWidget* parent, int proposed, int min, int max) {
    bool ok = false;
    const int size = QInputDialog::getInt(
        parent, QStringLiteral("Export Image"),
        QStringLiteral("Side of the square image in pixels (%1 to %2):").arg(min).arg(max), proposed, min, max, 100, &ok);
    if (!ok) return std::nullopt;
    return size;
}

bool TSystemDialogs::ConfigurePage(TPageSetupDialog& form) { return form.exec() == QDialog::Accepted; }

bool TSystemDialogs::SetupPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

TConfirmAnswer TSystemDialogs::ConfirmSave(QWidget* parent) {
    TSaveChangesQuestion dialog(parent);
    return dialog.Ask();
}

}  // namespace velmora

#include "app/SaveChangesQuestion.h"

#include <QPushButton>

namespace velmora {

TSaveChangesQuestion::TSaveChangesQuestion(QWidget* parent) : QMessageBox(parent) {
    setObjectName(QStringLiteral("YesNotCancel"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Confirm"));
    setText(QStringLiteral("Do you want to save changes made?"));
    // Buttons of our own words: the standard ones would carry the toolkit's
    // texts ("&Yes") and translations.
    YesButton = addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
    YesButton->setObjectName(QStringLiteral("YesButton"));
    NoButton = addButton(QStringLiteral("No"), QMessageBox::NoRole);
    NoButton->setObjectName(QStringLiteral("NoButton"));
    CancelButton = addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    setDefaultButton(YesButton);
    // Escape and the close box answer Cancel.
    setEscapeButton(CancelButton);
}

TConfirmAnswer TSaveChangesQuestion::Answer() const {
    const QAbstractButton* clicked = clickedButton();
    if (clicked == YesButton) return TConfirmAnswer::Yes;
    if (clicked == NoButton) return TConfirmAnswer::No;
    return TConfirmAnswer::Cancel;
}

TConfirmAnswer TSaveChangesQuestion::Ask() {
    exec();
    return Answer();
}

}  // namespace velmora

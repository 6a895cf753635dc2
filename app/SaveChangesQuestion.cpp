#include "app/SaveChangesQuestion.h"

#include <QLabel>
#include <QPushButton>

namespace velmora {

TSaveChangesQuestion::TSaveChangesQuestion(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("YesNotCancel"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(323, 87);
    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setGeometry(16, 14, 291, 20);
    YesButton = new QPushButton(this);
    YesButton->setObjectName(QStringLiteral("YesButton"));
    YesButton->setGeometry(40, 48, 75, 26);
    YesButton->setDefault(true);
    NoButton = new QPushButton(QStringLiteral("No"), this);
    NoButton->setObjectName(QStringLiteral("NoButton"));
    NoButton->setGeometry(124, 48, 75, 26);
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(208, 48, 75, 26);
    connect(YesButton, &QPushButton::clicked, this, [this] { Choose(TConfirmAnswer::Yes); });
    connect(NoButton, &QPushButton::clicked, this, [this] { Choose(TConfirmAnswer::No); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { Choose(TConfirmAnswer::Cancel); });
    OnCreateYesNotCancelDialog();
}

void TSaveChangesQuestion::OnCreateYesNotCancelDialog() {
    setWindowTitle(QStringLiteral("Confirm"));
    MessageLabel->setText(QStringLiteral("Do you want to save changes made?"));
    YesButton->setText(QStringLiteral("Yes"));
    CancelButton->setText(QStringLiteral("Cancel"));
}

void TSaveChangesQuestion::Choose(TConfirmAnswer answer) {
    answer_ = answer;
    done(answer == TConfirmAnswer::Cancel ? QDialog::Rejected : QDialog::Accepted);
}

TConfirmAnswer TSaveChangesQuestion::Ask() {
    answer_ = TConfirmAnswer::Cancel;  // closing the window answers Cancel
    exec();
    return answer_;
}

}  // namespace velmora

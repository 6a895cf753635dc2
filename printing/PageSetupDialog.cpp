#include "printing/PageSetupDialog.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {

namespace {

// The dialog's width; its height follows from the controls.
constexpr int kDialogWidth = 568;
// The edits of the title and of the text start at the same column.
constexpr int kLabelColumn = 160;

}  // namespace

int ReadPrintResolution(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = (t.startsWith(u'+') || t.startsWith(u'-')) ? 1 : 0;
    if (i == t.size()) return kDefaultPrintResolution;
    for (qsizetype k = i; k < t.size(); ++k)
        if (t[k] < u'0' || t[k] > u'9') return kDefaultPrintResolution;
    if (t.startsWith(u'-')) return kDefaultPrintResolution;
    // Whole numbers too long for an int are above the limit as well.
    while (i < t.size() - 1 && t[i] == u'0') ++i;
    if (t.size() - i > 9) return kMaxPrintResolution;
    const int value = t.mid(i).toInt();
    if (value < 1) return kDefaultPrintResolution;
    return std::min(value, kMaxPrintResolution);
}

TPageSetupDialog::TPageSetupDialog(std::function<QString()> caption, QWidget* parent) : QDialog(parent), caption_(std::move(caption)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Configure printed page"));

    Label2 = new QLabel(QStringLiteral("Incluya, marcándolo, lo que desea aparezca en la página impresa:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);

    auto* titleLabel = new QLabel(QStringLiteral("Put the following title:"), this);
    titleLabel->setMinimumWidth(kLabelColumn);
    TitleEdit = new QLineEdit(this);
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));

    FootText = new QGroupBox(QStringLiteral("Text under the drawing"), this);
    FootText->setObjectName(QStringLiteral("FootText"));
    EquationsItem = new QRadioButton(QStringLiteral("Put the equations"), FootText);
    SubTextItem = new QRadioButton(QStringLiteral("Put the following text:"), FootText);
    SubTextItem->setMinimumWidth(kLabelColumn - 12);
    SubTextEdit = new QLineEdit(FootText);
    SubTextEdit->setObjectName(QStringLiteral("SubTextEdit"));
    EquationsItem->setChecked(true);
    auto* foot = new QGridLayout(FootText);
    foot->addWidget(EquationsItem, 0, 0, 1, 2);
    foot->addWidget(SubTextItem, 1, 0);
    foot->addWidget(SubTextEdit, 1, 1);
    foot->setColumnStretch(1, 1);

    ColorBackCheck = new QCheckBox(QStringLiteral("Mark if you want the colored background printed"), this);
    ColorBackCheck->setObjectName(QStringLiteral("ColorBackCheck"));
    ColorBackCheck->setChecked(true);

    auto* resolutionLabel = new QLabel(QStringLiteral("Pixels per line (no greater than 5000):"), this);
    ResolutionEdit = new QLineEdit(QString::number(kDefaultPrintResolution), this);
    ResolutionEdit->setObjectName(QStringLiteral("ResolutionEdit"));
    ResolutionEdit->setFixedWidth(72);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* button : {okButton, cancelButton}) button->setMinimumWidth(80);
    connect(okButton, &QPushButton::clicked, this, [this] { OnOKButton(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { OnCancelButton(); });

    auto* title = new QHBoxLayout;
    title->addWidget(titleLabel);
    title->addWidget(TitleEdit, 1);
    // The resolution belongs to the background: indented under its box.
    auto* resolution = new QHBoxLayout;
    resolution->addSpacing(20);
    resolution->addWidget(resolutionLabel);
    resolution->addWidget(ResolutionEdit);
    resolution->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 9);
    page->addWidget(Label2);
    page->addLayout(title);
    page->addWidget(FootText);
    page->addWidget(ColorBackCheck);
    page->addLayout(resolution);
    page->addLayout(buttons);
    // As tall as the controls need, and never resized by the user.
    const QSize needed = sizeHint();
    setFixedSize(std::max(kDialogWidth, needed.width()), needed.height());
}

int TPageSetupDialog::FootTextIndex() const { return SubTextItem->isChecked() ? 1 : 0; }

void TPageSetupDialog::SetFootTextIndex(int index) { (index == 1 ? SubTextItem : EquationsItem)->setChecked(true); }

void TPageSetupDialog::showEvent(QShowEvent* event) {
    OnActivate();
    QDialog::showEvent(event);
}

void TPageSetupDialog::OnActivate() {
    if (caption_) TitleEdit->setText(caption_());
}

void TPageSetupDialog::OnOKButton() {
    settings_.PrintBackground = ColorBackCheck->isChecked();
    settings_.PrintEquations = FootTextIndex() == 0;
    settings_.prTitle = TitleEdit->text();
    settings_.prSubText = settings_.PrintSubText() ? SubTextEdit->text() : QString();
    settings_.prResolution = ReadPrintResolution(ResolutionEdit->text());
    ResolutionEdit->setText(QString::number(settings_.prResolution));
    accept();
}

void TPageSetupDialog::OnCancelButton() { reject(); }

}  // namespace velmora

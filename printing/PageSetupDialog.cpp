#include "printing/PageSetupDialog.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace velmora {

namespace {

QLabel* AddLabel(QWidget* parent, const QString& text, int left, int top, bool bold = false) {
    auto* label = new QLabel(text, parent);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    label->move(left, top);
    label->adjustSize();
    return label;
}

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
    setFixedSize(568, 247);

    Label2 = AddLabel(this, QStringLiteral("Incluya, marcándolo, lo que desea aparezca en la página impresa:"), 16, 12,
                      true);
    Label2->setObjectName(QStringLiteral("Label2"));

    AddLabel(this, QStringLiteral("Put the following title:"), 16, 45);
    TitleEdit = new QLineEdit(this);
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
    TitleEdit->setGeometry(176, 41, 376, 23);

    FootText = new QGroupBox(QStringLiteral("Text under the drawing"), this);
    FootText->setObjectName(QStringLiteral("FootText"));
    FootText->setGeometry(16, 74, 536, 78);
    EquationsItem = new QRadioButton(QStringLiteral("Put the equations"), FootText);
    EquationsItem->setGeometry(12, 24, 200, 20);
    SubTextItem = new QRadioButton(QStringLiteral("Put the following text:"), FootText);
    SubTextItem->setGeometry(12, 50, 160, 20);
    SubTextEdit = new QLineEdit(FootText);
    SubTextEdit->setObjectName(QStringLiteral("SubTextEdit"));
    SubTextEdit->setGeometry(176, 48, 348, 23);
    EquationsItem->setChecked(true);

    ColorBackCheck = new QCheckBox(QStringLiteral("Mark if you want the colored background printed"), this);
    ColorBackCheck->setObjectName(QStringLiteral("ColorBackCheck"));
    ColorBackCheck->setGeometry(16, 162, 400, 20);
    ColorBackCheck->setChecked(true);

    AddLabel(this, QStringLiteral("Pixels per line (no greater than 5000):"), 36, 191);
    ResolutionEdit = new QLineEdit(QString::number(kDefaultPrintResolution), this);
    ResolutionEdit->setObjectName(QStringLiteral("ResolutionEdit"));
    ResolutionEdit->setGeometry(280, 187, 72, 23);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(376, 212, 80, 26);
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setGeometry(472, 212, 80, 26);
    connect(okButton, &QPushButton::clicked, this, [this] { OnOKButton(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { OnCancelButton(); });
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

#include "app/ManualWindow.h"

#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int kClientWidth = 417;
constexpr int kClientHeight = 454;
constexpr int kTextLeft = 8, kTextTop = 88;

// The first family of the list that the system has (the names the header was
// designed with, then metric-compatible and common faces).
QFont HeaderFont(const QStringList& families, int pixelSize) {
    QFont f;
    QStringList available;
    for (const QString& family : families)
        if (QFontDatabase::hasFamily(family)) available << family;
    f.setFamilies(available.isEmpty() ? families : available);
    f.setPixelSize(pixelSize);
    f.setBold(true);
    return f;
}

QLabel* AddLabel(QWidget* parent, const char* name, int left, int top, const QFont& font, const QColor& colour) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    return label;
}

}  // namespace

QString ManualText() {
    QFile file(QStringLiteral(":/velmora4/Manual.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

TManualWindow::TManualWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Manual"));
    resize(kClientWidth, kClientHeight);
    const QStringList sans{QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    titleLabel = AddLabel(this, "titleLabel", 8, 8, HeaderFont(sans, 19), QColor(0x80, 0, 0));
    NPLabel = AddLabel(this, "NPLabel", 164, 14, HeaderFont(sans, 13), QColor(0, 0, 0x80));
    Label2 = AddLabel(this, "Label2", 8, 36, HeaderFont(sans, 15), QColor(0, 0, 0x80));
    Label1 = AddLabel(this, "Label1", 8, 68, HeaderFont(sans, 15), Qt::black);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringList{QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                            QStringLiteral("DejaVu Sans Mono")});
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    fixed.setPixelSize(11);
    RichEdit1->setFont(fixed);
    RichEdit1->setPlainText(ManualText());
    // The text fills the window below the header and grows with it.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kTextLeft, kTextTop, 0, 1);
    layout->addWidget(RichEdit1);
    OnCreateForm();
}

void TManualWindow::OnCreateForm() {
    setWindowTitle(QStringLiteral("Manual"));
    Label1->setText(QStringLiteral("Manual"));
    titleLabel->setText(QStringLiteral("Velmora4"));
    NPLabel->setText(QStringLiteral("Version 1.6,  November 12, 2009"));
    Label2->setText(QStringLiteral("Geometry of surfaces in R^4"));
    for (QLabel* label : {titleLabel, NPLabel, Label2, Label1}) label->adjustSize();
}

}  // namespace velmora

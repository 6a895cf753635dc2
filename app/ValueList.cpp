#include "app/ValueList.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>

namespace velmora {

namespace {

constexpr int kMinRowHeight = 8;
constexpr int kMinTitleHeight = 15;

}  // namespace

TValueList::TValueList(int rows, QWidget* parent) : QTableWidget(rows, 2, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Function"), QStringLiteral("Value")});
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(kMinRowHeight);
    verticalHeader()->setDefaultSectionSize(16);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setFixedHeight(17);
    setColumnWidth(0, 111);
    setColumnWidth(1, 112);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    for (int r = 0; r < rows; ++r) {
        texts_.append(QString());
        for (int c = 0; c < 2; ++c) setItem(r, c, new QTableWidgetItem());
    }
}

void TValueList::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    FitRows();
}

void TValueList::FitRows() {
    const int rows = rowCount();
    if (rows == 0) return;
    const int room = height() - 2 * frameWidth();
    const int rowHeight = std::max(kMinRowHeight, (room - kMinTitleHeight) / rows);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int r = 0; r < rows; ++r) setRowHeight(r, rowHeight);
    horizontalHeader()->setFixedHeight(std::max(kMinTitleHeight, room - rows * rowHeight));
}

void TValueList::SetRow(int row, const QString& text) {
    if (row < 0 || row >= rowCount()) return;
    texts_[row] = text;
    item(row, 0)->setText(Label(row));
    item(row, 1)->setText(Value(row));
    FitValue(row);
}

int TValueList::ValueRoom() const {
    // The item's text is inset by the focus frame margin plus one pixel on each side.
    const int inset = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return columnWidth(1) - 2 * inset;
}

void TValueList::FitValue(int row) {
    constexpr int kSmallestPixelSize = 6;
    QFont f = font();
    const QString text = item(row, 1)->text();
    int size = f.pixelSize() > 0 ? f.pixelSize() : QFontMetrics(f).height();
    f.setPixelSize(size);
    while (size > kSmallestPixelSize && QFontMetrics(f).horizontalAdvance(text) > ValueRoom()) f.setPixelSize(--size);
    item(row, 1)->setFont(f);
}

QString TValueList::Label(int row) const {
    const QString t = RowText(row);
    const int eq = t.indexOf(QLatin1Char('='));
    return eq < 0 ? t : t.left(eq);
}

QString TValueList::Value(int row) const {
    const QString t = RowText(row);
    const int eq = t.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : t.mid(eq + 1);
}

}  // namespace velmora

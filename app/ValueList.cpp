#include "app/ValueList.h"

#include <QHeaderView>

namespace velmora {

TValueList::TValueList(int rows, QWidget* parent) : QTableWidget(rows, 2, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Function"), QStringLiteral("Value")});
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(8);
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
    setCornerButtonEnabled(false);
    for (int r = 0; r < rows; ++r) {
        texts_.append(QString());
        for (int c = 0; c < 2; ++c) setItem(r, c, new QTableWidgetItem());
    }
}

void TValueList::SetRow(int row, const QString& text) {
    if (row < 0 || row >= rowCount()) return;
    texts_[row] = text;
    item(row, 0)->setText(Label(row));
    item(row, 1)->setText(Value(row));
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

// The data panel: a two-column list of values under the titles "Function" and
// "Value". Each row is set as one text, a label followed at once by the
// number; the text before the first "=" shows in the first column and the
// rest in the second. A value too wide for its column is shown in a smaller
// font, so that every digit and the exponent stay readable. The rows fill
// the table to its bottom.
#pragma once

#include <QStringList>
#include <QTableWidget>

namespace velmora {

class TValueList : public QTableWidget {
public:
    TValueList(int rows, QWidget* parent = nullptr);

    void SetRow(int row, const QString& text);
    QString RowText(int row) const { return texts_.value(row); }
    QString Label(int row) const;
    QString Value(int row) const;
    // The width a value's text may take in its cell.
    int ValueRoom() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitValue(int row);
    // The rows share the table's height, the titles take what is left: no
    // empty strip stays under the last row.
    void FitRows();

    QStringList texts_;
};

}  // namespace velmora

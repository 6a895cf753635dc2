// Keeps the texts of the input edits within the length a field takes
// (kMaxFieldLength, the same in velmora4-cli) without cutting anything
// silently: an edit takes no more characters, and a paste, a drop or a key
// that would go past the limit is refused with a message in the status bar
// that names the field and the limit.
#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QLineEdit;

namespace velmora {

class TFieldLengthGuard : public QObject {
public:
    // edits in field order (x, y, z, w, uMin, uMax, vMin, vMax).
    TFieldLengthGuard(const std::array<QLineEdit*, 8>& edits, std::function<void(const QString&)> showStatus,
                      QObject* parent);

    // Pastes the clipboard into the edit (Edit > Paste, the paste keys, the
    // context menu); refused with the message when the text would grow past
    // the limit. True when it was pasted.
    bool Paste(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The edit's text with `inserted` characters in place of its selection
    // fits the limit; otherwise the message is shown.
    bool Fits(QLineEdit* edit, qsizetype inserted);
    int FieldOf(const QLineEdit* edit) const;

    std::array<QLineEdit*, 8> edits_;
    std::function<void(const QString&)> showStatus_;
};

}  // namespace velmora

// TSaveChangesQuestion: the stay-on-top question "Do you want to save changes
// made?" with the answers Yes (the default button), No and Cancel; closing
// it answers Cancel. A message box of the toolkit with the program's own words.
#pragma once

#include <QMessageBox>

class QPushButton;

namespace velmora {

enum class TConfirmAnswer { Yes, No, Cancel };

class TSaveChangesQuestion : public QMessageBox {
public:
    explicit TSaveChangesQuestion(QWidget* parent = nullptr);

    // The answer of the last showing (Cancel until one is given).
    TConfirmAnswer Answer() const;
    // Shows the question modally and returns the answer.
    TConfirmAnswer Ask();

    QPushButton* YesButton = nullptr;
    QPushButton* NoButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

}  // namespace velmora

// TSaveChangesQuestion: the small stay-on-top question "Do you want to save changes
// made?" with the answers Yes (the default button), No and Cancel; closing it
// answers Cancel.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace velmora {

enum class TConfirmAnswer { Yes, No, Cancel };

class TSaveChangesQuestion : public QDialog {
public:
    explicit TSaveChangesQuestion(QWidget* parent = nullptr);

    // The answer of the last showing (Cancel until one is given).
    TConfirmAnswer Answer() const { return answer_; }
    // Shows the question modally and returns the answer.
    TConfirmAnswer Ask();

    QLabel* MessageLabel = nullptr;
    QPushButton* YesButton = nullptr;
    QPushButton* NoButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    void OnCreateYesNotCancelDialog();
    void Choose(TConfirmAnswer answer);

    TConfirmAnswer answer_ = TConfirmAnswer::Cancel;
};

}  // namespace velmora

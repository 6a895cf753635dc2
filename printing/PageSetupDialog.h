// TPageSetupDialog, "Configure printed page": the title, the text under the drawing
// (the equations or a text of the user's), whether the coloured background is
// printed and at how many pixels per line. The controls keep their values
// between prints; the title is filled with the main window's caption each
// time the dialog is shown.
#pragma once

#include "printing/Printing.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmora {

class TPageSetupDialog : public QDialog {
public:
    // caption() gives the title proposed each time the dialog is shown.
    explicit TPageSetupDialog(std::function<QString()> caption, QWidget* parent = nullptr);

    // OnActivate: the title edit shows the caption.
    void OnActivate();
    // OnOKButton: reads the choices into Settings() (a resolution that is not
    // a whole number of at least 1 becomes 1200, one above 5000 becomes 5000,
    // and the edit shows the value taken) and closes with OK.
    void OnOKButton();
    // OnCancelButton: closes with Cancel.
    void OnCancelButton();

    // The choices read by the last OK.
    const TPrintSettings& Settings() const { return settings_; }

    QLabel* Label2 = nullptr;
    QLineEdit* ResolutionEdit = nullptr;
    QLineEdit* TitleEdit = nullptr;
    QGroupBox* FootText = nullptr;
    QRadioButton* EquationsItem = nullptr;  // FootText index 0
    QRadioButton* SubTextItem = nullptr;    // FootText index 1
    QLineEdit* SubTextEdit = nullptr;
    QCheckBox* ColorBackCheck = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    int FootTextIndex() const;
    void SetFootTextIndex(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<QString()> caption_;
    TPrintSettings settings_;
};

// The resolution of the page background read from its edit: a whole number
// from 1 to 5000; 5000 for a larger one; 1200 for anything else.
int ReadPrintResolution(const QString& text);

}  // namespace velmora

// TManualWindow: the window of the built-in manual - a header (the program's name,
// version and subject) over the read-only manual text in a fixed-width font,
// without word wrap, that grows with the window.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace velmora {

class TManualWindow : public QWidget {
public:
    explicit TManualWindow(QWidget* parent = nullptr);

    QLabel* titleLabel = nullptr;
    QLabel* NPLabel = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;

private:
    void OnCreateForm();
};

// The text of the manual, built into the program.
QString ManualText();

}  // namespace velmora

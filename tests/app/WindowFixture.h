// The main window and the colour picker as the program creates them, with the
// tone recorded instead of sounded, and helpers that deliver synthetic mouse
// and key events through Qt's event dispatch.
#pragma once

#include "app/FVelmora4.h"
#include "app/ValueList.h"
#include "picker/FLinePalette.h"
#include "platform/Platform.h"
#include "tests/canvas/TestApp.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <memory>
#include <utility>
#include <vector>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// The default surface of the window, as its edits show it at start.
inline const char* const kDefaultTexts[8] = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)",   "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)",
    "0", "2 pi", "0", "2.2"};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        velmora::SetBeepHandler([this](int hz, int ms) { beeps.emplace_back(hz, ms); });
        window = std::make_unique<velmora::TVelmora4>();
        picker = std::make_unique<velmora::TLinePalette>(window.get());
        window->SetLinePalette(picker.get());
    }
    void TearDown() override {
        picker.reset();
        window.reset();
        velmora::SetBeepHandler({});
    }

    velmora::TVelmora4& W() { return *window; }
    const velmora::TVelmora4Controls& C() const { return window->Controls(); }

    void MoveOver(QWidget* w, int x, int y, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    void MoveOverMainPanel(int x, int y) { MoveOver(W().MainPanel().MainBox(), x, y); }

    // A key press as the window's key preview sees it: delivered to the
    // focused control, or to the window when none has the focus.
    void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = window.get();
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &e);
    }

    std::vector<QString> DataRows() const {
        std::vector<QString> rows;
        for (int i = 0; i < 11; ++i) rows.push_back(window->Controls().FunctionValues1->RowText(i));
        return rows;
    }

    std::vector<std::pair<int, int>> beeps;
    std::unique_ptr<velmora::TVelmora4> window;
    std::unique_ptr<velmora::TLinePalette> picker;
};

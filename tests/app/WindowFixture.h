// The main window and the colour picker as the program creates them, with the
// tone recorded instead of sounded, the modal dialogs answered by a script,
// and helpers that deliver synthetic mouse and key events through Qt's event
// dispatch.
#pragma once

#include "ScriptedDialogs.h"
#include "app/MainWindow.h"
#include "app/ValueList.h"
#include "picker/ColourPicker.h"
#include "platform/Platform.h"
#include "tests/TestFolder.h"
#include "tests/canvas/TestApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ostream>
#include <memory>
#include <utility>
#include <vector>

// The default surface of the window, as its edits show it at start.
inline const char* const kDefaultTexts[8] = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)",   "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)",
    "0", "2 pi", "0", "2.2"};

// Runs the event loop (sleeping between events) until done() holds or 60
// seconds have passed; true when done() holds.
template <class Done>
bool RunEventsUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 60000) return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

class WindowTest : public ::testing::Test {
protected:
    // Every test starts without remembered settings (TestApp keeps them in
    // a folder of the test process).
    void SetUp() override {
        TestApp();
        ClearSettings();
        CreateWindow(velmora::LogicalProcessorCount());
    }
    static void ClearSettings() {
        QSettings store(velmora::TSettings().FileName(), QSettings::IniFormat);
        store.clear();
        store.sync();
    }
    // A window with numOfCPU engine sets and background workers.
    void CreateWindow(int numOfCPU) {
        TestApp();
        velmora::SetBeepHandler([this](int hz, int ms) { beeps.emplace_back(hz, ms); });
        DestroyWindow();
        window = std::make_unique<velmora::TMainWindow>(numOfCPU);
        picker = std::make_unique<velmora::TColourPicker>(window.get());
        window->SetLinePalette(picker.get());
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window->SetDialogs(std::move(scripted));
    }
    void TearDown() override {
        DestroyWindow();
        velmora::SetBeepHandler({});
    }
    // The picker first: the window owns it as a child as well.
    void DestroyWindow() {
        picker.reset();
        window.reset();
        dialogs = nullptr;
    }

    velmora::TMainWindow& W() { return *window; }
    const velmora::TMainWindowControls& C() const { return window->Controls(); }

    void MoveOver(QWidget* w, int x, int y, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    void MoveOverMainPanel(int x, int y) { MoveOver(W().MainPanel().MainBox(), x, y); }
    // A press of the left button on the main panel (and its release).
    void ClickMainPanel(int x, int y, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* box = W().MainPanel().MainBox();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), box->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                          Qt::LeftButton, mods);
        QApplication::sendEvent(box, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(x, y), box->mapToGlobal(QPointF(x, y)),
                            Qt::LeftButton, Qt::NoButton, mods);
        QApplication::sendEvent(box, &release);
    }

    // Types the eight texts into the edits and presses "Enter".
    bool ReadSurface(const std::array<const char*, 8>& texts) {
        const auto edits = C().InputEdits();
        for (int i = 0; i < 8; ++i) edits[i]->setText(QString::fromLatin1(texts[i]));
        return W().ReadData();
    }

    // Waits until the window has left the watch and no worker runs.
    bool WaitUntilIdle() {
        return RunEventsUntil([this] { return !W().busy() && !W().Background().Running(); });
    }

    // The colour of a pixel of the main panel as the user sees it.
    velmora::TColor PanelPixel(int x, int y) const {
        return velmora::ColourOfPixel(window->MainPanel().MainBox()->Picture().pixel(x, y));
    }
    int CountPanelPixels(velmora::TColor colour) const {
        const QImage& img = window->MainPanel().MainBox()->Picture();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += velmora::ColourOfPixel(img.pixel(x, y)) == colour;
        return n;
    }

    // A key press as the window's key preview sees it: delivered to the
    // focused control, or to the window when none has the focus.
    void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = window.get();
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &e);
    }

    // The Ctrl key pressed and released with nothing between: the tap that
    // freezes or releases the panels.
    void TapCtrl() {
        QWidget* target = QApplication::focusWidget();
        if (!target) target = window.get();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }

    std::vector<QString> DataRows() const {
        std::vector<QString> rows;
        for (int i = 0; i < 11; ++i) rows.push_back(window->Controls().FunctionValues1->RowText(i));
        return rows;
    }

    std::vector<std::pair<int, int>> beeps;
    std::unique_ptr<velmora::TMainWindow> window;
    std::unique_ptr<velmora::TColourPicker> picker;
    ScriptedDialogs* dialogs = nullptr;  // owned by the window
};

// A window test with a folder for its files.
class ScriptedWindowTest : public WindowTest {
protected:
    QString PathOf(const char* name) const { return QString::fromStdString((dir / name).string()); }

    TestFolder folder{"velmora-window"};
    const std::filesystem::path& dir = folder.path();
};

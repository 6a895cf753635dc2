// The program: the application object, the number locale, the tone of the
// engines, the windows, and the event loop until the main window closes.
#include "app/FVelmora4.h"
#include "picker/FLinePalette.h"
#include "platform/Platform.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // QApplication takes the number format from the environment; every number
    // text of the program uses ".".
    std::setlocale(LC_NUMERIC, "C");
    velmora::SetBeepHandler([](int, int) { QApplication::beep(); });
    try {
        velmora::TVelmora4 mainWindow;
        velmora::TLinePalette linePalette(&mainWindow);
        mainWindow.SetLinePalette(&linePalette);
        mainWindow.show();
        return app.exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora4: %s\n", e.what());
        return 1;
    }
}

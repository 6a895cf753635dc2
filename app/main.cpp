// The program: the application object, the number locale, the tone of the
// engines, the windows, and the event loop until the main window closes.
#include "app/MainWindow.h"
#include "picker/ColourPicker.h"
#include "platform/Platform.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

constexpr const char* kUsage =
    "Usage: velmora4 [OPTION]... [FILE.vm4]\n"
    "Velmora4 - an interactive workshop for the differential geometry of surfaces in R^4.\n"
    "Type the four coordinate formulas x(u,v), y(u,v), z(u,v), w(u,v) and the bounds of the\n"
    "domain, press Enter, and move the mouse over the square that shows the domain.\n"
    "\n"
    "  FILE.vm4         open this Velmora4 document at start (as File > Open... does)\n"
    "  -h, --help       show this help and exit\n"
    "  -v, --version    show the version and exit\n"
    "\n"
    "Qt's own options (for example -platform offscreen or -style Fusion) are accepted too.\n"
    "The manual is in the program (File > Manual); velmora4-cli drives the same engine from a shell.\n";

// --help and --version need no window: they are answered before the
// application object (and with it a display) exists. Returns -1 to go on.
int AnswerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("velmora4 %s\n", VELMORA_VERSION);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = AnswerInformationOptions(argc, argv); status >= 0) return status;
    QApplication app(argc, argv);
    // QApplication takes the number format from the environment; every number
    // text of the program uses ".".
    std::setlocale(LC_NUMERIC, "C");
    velmora::SetBeepHandler([](int, int) { QApplication::beep(); });
    // Every window and dialog in the font of the main window, with our icon.
    QApplication::setFont(velmora::InterfaceFont(12));
    QApplication::setWindowIcon(velmora::ProgramIcon());
    // What QApplication left of the arguments: at most one document.
    QStringList arguments = QApplication::arguments().mid(1);
    arguments.removeAll(QString());  // a launcher's empty file argument
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "velmora4: unknown option %s (see velmora4 --help)\n", qPrintable(argument));
            return 2;
        }
    }
    if (arguments.size() > 1) {
        std::fputs("velmora4: give at most one document to open (see velmora4 --help)\n", stderr);
        return 2;
    }
    try {
        velmora::TMainWindow mainWindow;
        velmora::TColourPicker linePalette(&mainWindow);
        mainWindow.SetLinePalette(&linePalette);
        mainWindow.Manual();
        mainWindow.PageSetupDialog();
        mainWindow.show();
        if (!arguments.isEmpty()) mainWindow.OpenDocument(arguments.constFirst());
        return app.exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora4: %s\n", e.what());
        return 1;
    }
}

// What the window remembers between runs (app/Settings.h): its position,
// the picker's colour, the 3D window and, for File > "Open Recent", the last
// documents.
#include "app/MainWindow.h"

#include "picker/ColourPicker.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace velmora {

void TMainWindow::SetLinePalette(TColourPicker* palette) {
    linePalette = palette;
    if (!linePalette) return;
    if (const std::optional<TPickerChoice> choice = settings_.PickerChoice())
        linePalette->Choose(choice->HSPt, choice->meterPos);
}

void TMainWindow::RestoreDesktopSettings() {
    // A position off every screen (a screen since removed) is not used.
    const std::optional<QPoint> position = settings_.WindowPosition();
    if (position && QGuiApplication::screenAt(*position)) move(*position);
    RestoreSurfaceWindow();
}

void TMainWindow::SaveDesktopSettings() {
    settings_.SetWindowPosition(pos());
    if (linePalette) settings_.SetPickerChoice({linePalette->HSPt, linePalette->meterPos});
    SaveSurfaceWindow();
}

void TMainWindow::RebuildRecentMenu() {
    QMenu* menu = ui.OpenRecent1;
    menu->clear();
    const QStringList documents = settings_.RecentDocuments();
    for (int i = 0; i < documents.size(); ++i) {
        const QString path = documents[i];
        // "&1 torus.vm4 - /home/ana/surfaces": the name first, then where it is.
        const QFileInfo info(path);
        QAction* a = menu->addAction(QStringLiteral("&%1 %2 - %3")
                                         .arg(i + 1)
                                         .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath())));
        a->setData(path);
        connect(a, &QAction::triggered, this, Command([this, path] { OnOpenRecent(path); }));
    }
    menu->menuAction()->setEnabled(!documents.isEmpty());
}

void TMainWindow::OnOpenRecent(const QString& path) {
    if (CommandsBlocked() || !ConfirmDiscard()) return;
    if (!OpenDocument(path) && !QFileInfo::exists(path)) {
        // The reader has said why in the status bar; a file that is gone
        // is not offered again.
        settings_.RemoveRecentDocument(path);
        RebuildRecentMenu();
    }
}

}  // namespace velmora

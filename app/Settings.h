// What the program remembers between runs, in Qt's settings store (on Linux
// ~/.config/Velmora4/velmora4.conf): the window's position, the folder of
// the last file dialog, the last five documents, the colour picker's choice,
// the size of the last exported image and the 3D window (open or not, where,
// its rotation, projection, colouring and mesh). Values that do not make sense
// (a hand-edited file, another version) are ignored, never trusted.
#pragma once

#include "platform/VelmoraTypes.h"

#include <QPoint>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <QByteArray>

#include <array>
#include <optional>

namespace velmora {

inline constexpr int kRecentDocuments = 5;

// The 3D window as it was left.
struct TSurfaceWindowState {
    bool open = false;
    QByteArray geometry;  // QWidget::saveGeometry
    int projection = 0;   // 0 orthographic, 1 perspective, 2 stereographic
    int colouring = 0;    // 0 the background's invariant, 1 the fourth coordinate, 2 plain
    std::array<double, 6> angles{};  // degrees in the planes xy xz xw yz yw zw
    int meshSide = 200;
};

// The point chosen in the picker's disc and the column of its meter.
struct TPickerChoice {
    Vector2Int HSPt;
    int meterPos = 0;
};

class TSettings {
public:
    // The store of the user (organisation "Velmora4", application "velmora4").
    TSettings();

    std::optional<QPoint> WindowPosition() const;
    void SetWindowPosition(QPoint position);

    // Empty until a file dialog chose something.
    QString LastFolder() const;
    // The folder of a file chosen in a dialog.
    void SetLastFolderOf(const QString& file);

    // Most recent first, at most kRecentDocuments, without repetitions.
    QStringList RecentDocuments() const;
    // path goes to the top (an entry of the same file moves there).
    void AddRecentDocument(const QString& path);
    void RemoveRecentDocument(const QString& path);

    std::optional<TPickerChoice> PickerChoice() const;
    void SetPickerChoice(const TPickerChoice& choice);

    // The side last given to Export Image (the default when none).
    int FigureSize() const;
    void SetFigureSize(int size);

    // None when nothing (or nothing usable) was kept.
    std::optional<TSurfaceWindowState> SurfaceWindowState() const;
    void SetSurfaceWindowState(const TSurfaceWindowState& state);

    // Where the values are kept.
    QString FileName() const { return store_.fileName(); }

private:
    void SetRecent(const QStringList& list);

    QSettings store_;
};

}  // namespace velmora

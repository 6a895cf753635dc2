// TSurfaceWindow: View > "Surface in 3D", a window beside the main one that
// shows the surface itself - sampled over U, turned in R^4, projected into
// R^3 and seen through a camera - coloured by the background's invariant, by
// the fourth coordinate or plainly, with the loci, curves and coordinate
// lines lifted onto it and the point under the mouse in the main panel as a
// marker. A click on the surface shows that point in the main window.
//
// The window follows the session by itself: after each "Enter", a change of
// background or of the mesh size it samples the surface anew on the
// session's worker engine sets (when no background worker uses them), and
// after each change of the drawings it lifts them anew.
#pragma once

#include "geometry/ScalarInvariants.h"
#include "mesh/SurfaceScene.h"

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTimer;

namespace velmora {

class TDialogs;
class TSettings;
class TSurfaceGLWidget;
class TSurfaceSession;

// What the window needs from the main window.
struct TSurfaceWindowHost {
    TSurfaceSession* session = nullptr;
    TSettings* settings = nullptr;
    // The worker engine sets are free (no background worker runs).
    std::function<bool()> enginesFree;
    std::function<std::optional<TBackgroundType>()> backgroundType;
    // Shows a domain point in the main window as if the mouse were there.
    std::function<void(const Vector2&)> showPoint;
    std::function<TDialogs&()> dialogs;
};

// What the window remembers between runs.
struct TSurfaceViewChoice {
    TView4D view;
    int meshSide = kDefaultMeshSide;
};

// Where a window of that (frame) size first goes beside the main window's
// frame: to its right where the screen's room allows, else to its left, else
// as far right as it fits; its top at the main window's, kept on the screen.
QPoint PlaceBesideWindow(const QRect& mainFrame, const QSize& size, const QRect& room);

class TSurfaceWindow : public QMainWindow {
public:
    explicit TSurfaceWindow(TSurfaceWindowHost host);
    ~TSurfaceWindow() override;

    // Samples and lifts anew what changed since the last look (also run by
    // the window's timer while it is shown). False when the mesh is due but
    // the engines are busy.
    bool Refresh();
    // The point under the mouse in the main panel (none: no marker).
    void SetMousePoint(std::optional<Vector2> p);

    const TSurfaceScene& Scene() const { return scene_; }
    TSurfaceGLWidget& View() { return *view_; }
    void SetChoice(const TSurfaceViewChoice& choice);
    TSurfaceViewChoice Choice() const;
    // The six angles back to 0 and the camera to its first view.
    void Reset();

    // File > "Export Image..." of this window: a PNG file name and a size.
    void OnExportImage();
    // The view drawn offscreen at size x size pixels into path; the outcome
    // in the window's status bar.
    bool ExportImage(const QString& path, int size);
    QString StatusText() const;

private:
    void CreateControls();
    void ApplyView();
    void ShowAngles();
    void SetStatus(const QString& text);

    TSurfaceWindowHost host_;
    TSurfaceScene scene_;
    TSurfaceGLWidget* view_ = nullptr;
    QComboBox* projection_ = nullptr;
    QComboBox* colouring_ = nullptr;
    QSpinBox* meshSide_ = nullptr;
    std::array<QSlider*, kPlanes> sliders_{};
    std::array<QLabel*, kPlanes> angleLabels_{};
    QTimer* timer_ = nullptr;

    // What the scene was made from.
    uint64_t readSeen_ = 0, drawingsSeen_ = ~uint64_t{0}, pointsSeen_ = ~uint64_t{0};
    std::optional<TBackgroundType> backgroundSeen_;
    int sideSeen_ = 0;
    bool meshDue_ = true;
};

}  // namespace velmora

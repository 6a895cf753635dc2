// The 3D view's drawing area: a QOpenGLWidget that draws a surface scene
// with the scene renderer and turns mouse drags into camera and R^4 moves:
//   drag               orbits the camera
//   Shift+drag         turns the xw plane (across) and the yw plane (up and down)
//   Ctrl+drag          turns the zw plane
//   right or middle drag  pans; the wheel zooms
//   a click (no drag)  picks the domain point under the pointer
#pragma once

#include "mesh/SurfaceScene.h"
#include "view3d/SceneRenderer.h"

#include <QOpenGLWidget>
#include <QPoint>

#include <functional>

namespace velmora {

class TSurfaceGLWidget : public QOpenGLWidget {
public:
    explicit TSurfaceGLWidget(TSurfaceScene& scene, QWidget* parent = nullptr);
    ~TSurfaceGLWidget() override;

    // Called after a drag turned a plane of R^4 (the scene already turned).
    std::function<void()> onAnglesChanged;
    // Called with the domain point picked by a click.
    std::function<void(const Vector2&)> onPick;

    // The domain point under a pixel of the widget (logical pixels).
    std::optional<Vector2> PointAt(QPoint position) const;

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TSurfaceScene& scene_;
    TSceneRenderer renderer_;
    QPoint last_, pressed_;
    bool dragged_ = false;
};

}  // namespace velmora

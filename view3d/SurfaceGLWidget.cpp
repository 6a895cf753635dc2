#include "view3d/SurfaceGLWidget.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

#include <cmath>

namespace velmora {

TSurfaceGLWidget::TSurfaceGLWidget(TSurfaceScene& scene, QWidget* parent) : QOpenGLWidget(parent), scene_(scene) {
    setMinimumSize(200, 200);
    setFocusPolicy(Qt::StrongFocus);
}

TSurfaceGLWidget::~TSurfaceGLWidget() {
    // The GL objects go while their context still exists.
    if (isValid()) {
        makeCurrent();
        renderer_.Release();
        doneCurrent();
    }
}

void TSurfaceGLWidget::initializeGL() {
    // The widget stays in its window: its context lives as long as it does,
    // and the destructor frees the GL objects.
    renderer_.Initialise();
}

void TSurfaceGLWidget::paintGL() {
    const qreal ratio = devicePixelRatioF();
    renderer_.Draw(scene_, static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio)),
                   static_cast<float>(1.5 * ratio));
}

std::optional<Vector2> TSurfaceGLWidget::PointAt(QPoint position) const {
    return scene_.Pick(position.x() + 0.5, position.y() + 0.5, width(), height());
}

void TSurfaceGLWidget::mousePressEvent(QMouseEvent* event) {
    last_ = pressed_ = event->position().toPoint();
    dragged_ = false;
}

void TSurfaceGLWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton) return;
    const QPoint p = event->position().toPoint();
    const QPoint d = p - last_;
    last_ = p;
    if ((p - pressed_).manhattanLength() > 3) dragged_ = true;
    if (!dragged_) return;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->buttons() & (Qt::RightButton | Qt::MiddleButton)) {
        scene_.camera.Pan(d.x(), d.y(), height());
    } else if (mods & (Qt::ShiftModifier | Qt::ControlModifier)) {
        TView4D view = scene_.View();
        const auto turn = [&view](TPlane plane, double by) {
            view.angles[plane] = std::remainder(view.angles[plane] + by, 360.0);
        };
        if (mods & Qt::ControlModifier) {
            turn(TPlane::ZW, 0.5 * (d.x() - d.y()));
        } else {
            turn(TPlane::XW, 0.5 * d.x());
            turn(TPlane::YW, -0.5 * d.y());
        }
        scene_.SetView(view);
        if (onAnglesChanged) onAnglesChanged();
    } else {
        scene_.camera.Orbit(d.x(), d.y());
    }
    update();
}

void TSurfaceGLWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragged_ && event->button() == Qt::LeftButton && onPick)
        if (const std::optional<Vector2> p = PointAt(event->position().toPoint())) onPick(*p);
    dragged_ = false;
}

void TSurfaceGLWidget::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    scene_.camera.Zoom(std::pow(1.15, steps));
    update();
}

}  // namespace velmora

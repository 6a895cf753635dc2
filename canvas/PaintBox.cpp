#include "canvas/PaintBox.h"

#include <QMouseEvent>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velmora {

int TPaintBox::DeviceScale() {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return std::max(1, static_cast<int>(std::lround(ratio)));
}

TPaintBox::TPaintBox(int width, int height, TColor background, QWidget* parent, int scale)
    : QWidget(parent),
      width_(width),
      height_(height),
      scale_(scale > 0 ? scale : DeviceScale()),
      image_(width * scale_, height * scale_, QImage::Format_RGB32),
      canvas_(&image_, [this] { update(); }) {
    image_.setDevicePixelRatio(scale_);
    image_.fill(PixelOfColour(background));
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // On a screen of another ratio than the picture's the copy is scaled.
    if (devicePixelRatio() != scale_) p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(0, 0, width_, height_), image_);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) onMouseMove(event);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) onMouseDown(event);
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    if (onMouseUp) onMouseUp(event);
}

}  // namespace velmora

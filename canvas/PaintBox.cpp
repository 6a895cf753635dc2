#include "canvas/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace velmora {

TPaintBox::TPaintBox(int width, int height, TColor background, QWidget* parent)
    : QWidget(parent),
      image_(width, height, QImage::Format_RGB32),
      canvas_(&image_, [this] { update(); }) {
    image_.fill(PixelOfColour(background));
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(QPoint(0, 0), image_);
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

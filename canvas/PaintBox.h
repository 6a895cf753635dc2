// A fixed-size paint box: a widget whose picture lives in a backing image.
// Every drawing operation goes through Canvas() into that image; painting the
// widget only copies the image to the screen, so what was drawn stays until it
// is drawn over. Mouse events are handed to the owner through callbacks.
#pragma once

#include "canvas/Canvas.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace velmora {

class TPaintBox : public QWidget {
public:
    TPaintBox(int width, int height, TColor background, QWidget* parent = nullptr);

    TCanvas& Canvas() { return canvas_; }
    const QImage& Picture() const { return image_; }
    TRect ClientRect() const { return {0, 0, image_.width(), image_.height()}; }

    // Owner's handlers (the event carries the buttons and modifiers).
    std::function<void(QMouseEvent*)> onMouseMove, onMouseDown, onMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage image_;
    TCanvas canvas_;
};

}  // namespace velmora

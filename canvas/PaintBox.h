// A fixed-size paint box: a widget whose picture lives in a backing image.
// Every drawing operation goes through Canvas() into that image; painting the
// widget only copies the image to the screen, so what was drawn stays until it
// is drawn over. Mouse events are handed to the owner through callbacks.
//
// The box has a fixed size in logical pixels; its image has `scale` device
// pixels per logical pixel (the highest device pixel ratio of the screens,
// 2 on a high-density screen), so that what is drawn is shown at the
// screen's full resolution rather than enlarged.
#pragma once

#include "canvas/Canvas.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace velmora {

class TPaintBox : public QWidget {
public:
    // scale 0: the application's device pixel ratio (DeviceScale()).
    TPaintBox(int width, int height, TColor background, QWidget* parent = nullptr, int scale = 0);

    // Device pixels per logical pixel of new pictures: the highest device
    // pixel ratio of the screens, rounded, at least 1.
    static int DeviceScale();
    int Scale() const { return scale_; }

    TCanvas& Canvas() { return canvas_; }
    const QImage& Picture() const { return image_; }
    TRect ClientRect() const { return {0, 0, width_, height_}; }

    // Owner's handlers (the event carries the buttons and modifiers).
    std::function<void(QMouseEvent*)> onMouseMove, onMouseDown, onMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int width_, height_, scale_;
    QImage image_;
    TCanvas canvas_;
};

}  // namespace velmora

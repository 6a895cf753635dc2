// The ellipse panel: a 224 x 240 paint box under the label "Curvature
// Ellipse" that draws the figure of the normal plane at the point last
// evaluated (the mathematics is TEllipseFigure's, the pixels TEllipseLayout's)
// - H in green, the ellipse in blue, the focal conic in red, the circumscribed
// circle in aqua, the scale bar and the projection in silver with their
// numbers in dark grey over every line - and the extra scale of the focal
// conic that the Up and Down keys change.
#pragma once

#include "app/EllipseLayout.h"
#include "canvas/Canvas.h"
#include "canvas/PaintBox.h"

class QWidget;

namespace velmora {

class TEllipsePanel {
public:
    static constexpr int kWidth = 224, kHeight = 240;

    // Creates the paint box as a child of parent.
    explicit TEllipsePanel(QWidget* parent);

    TPaintBox* EllipseBox() const { return box_; }
    const TRect& rctEllipse() const { return rctEllipse_; }
    const TEllipseLayout& FigureLayout() const { return layout_; }
    double sc() const { return layout_.sc(); }
    double ellFactor() const { return ellFactor_; }

    // The figure at the frame's point (without a basis of the normal plane,
    // none: the panel stays blank).
    void ComputeEllipse(const TLocalFrame& frame) { layout_.ComputeEllipse(frame); }
    // Clears the panel and draws the figure (blank where there is none).
    void DrawEllipse();
    // The focal conic at ellFactor times its size.
    void DrawFocalLocus();
    // Frozen panels: the figure redrawn with the projection on the line through
    // the origin and the pointer (X, Y). Does nothing before a first figure.
    void MoveInEllipsePanel(int X, int Y);
    // Repaint: the figure while the panels are frozen, else a blank panel.
    void PaintEllipsePanel(bool frozen);
    // Up and Down: the focal conic farther from or nearer to the origin.
    void ScaleFocalConic(double factor) { ellFactor_ *= factor; }
    // After a read: no figure until the next point, the conic at its own size.
    void Reset();

private:
    void Blank();
    // A number text of the panel at (x, y).
    void Text(int x, int y, const QString& text);

    TPaintBox* box_;
    TRect rctEllipse_{0, 0, kWidth, kHeight};
    TEllipseLayout layout_{kWidth, kHeight};
    double ellFactor_ = 1.0;
};

}  // namespace velmora

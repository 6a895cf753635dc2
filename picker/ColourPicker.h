// The colour picker: a tool window with a hue-saturation disc and, below it,
// a lightness strip (the meter) for the chosen hue and saturation. Dragging in
// the disc picks hue and saturation, dragging along the meter picks the
// lightness; `curveColor` is the colour shown at the chosen meter column and
// is the colour of new curves and of the direction cross on the main panel.
#pragma once

#include "background/Palette.h"
#include "canvas/Canvas.h"
#include "canvas/PaintBox.h"
#include "platform/VelmoraTypes.h"

#include <QImage>
#include <QWidget>

namespace velmora {

// Hue and saturation of a pixel of the disc with centre `centre`: the
// saturation is the distance to the centre over 80 pixels; the hue grows
// counter-clockwise from 0 at the right of the centre.
void DiscHueSaturation(Vector2Int centre, int x, int y, double& h, double& s);
// The same at a point between pixels (a device pixel of a high-density screen).
void DiscHueSaturation(Vector2Int centre, double x, double y, double& h, double& s);

class TColourPicker : public QWidget {
public:
    // The tool window with the disc and the meter drawn, over its owner.
    explicit TColourPicker(QWidget* aOwner = nullptr);
    ~TColourPicker() override = default;                // the bitmaps are owned values

    QWidget* own = nullptr;
    TPaintBox* HSBox = nullptr;
    TPaintBox* meterBox = nullptr;
    // The pictures, in logical pixels; at the boxes' device pixel ratio.
    QImage HSBm;     // the disc picture, 164 x 164
    QImage meterBm;  // the meter picture, 164 x 14
    TRect HSRect{0, 0, 164, 164};
    TRect meterRect{0, 0, 164, 14};
    Vector2Int HSctr{82, 82};
    Vector2Int HSPt{40, 40};
    int meterPos = 82;
    TColor curveColor = clBlack;

    // Chooses the disc point and the meter column (a choice kept from an
    // earlier run): the pictures and curveColor follow. False, and nothing
    // changes, when the point is outside the disc or the column outside the
    // meter.
    bool Choose(Vector2Int point, int column);

    void Initiate();
    void DrawHSPoint();
    void DrawMeterPt();
    void PaintHSBox();
    void OnPaintMeter();
    void OnPaintPicker();
    // Left button held: pick hue and saturation, or lightness.
    void MouseMoveInHSBox(Qt::MouseButtons buttons, int X, int Y);
    void MouseMoveInMeter(Qt::MouseButtons buttons, int X, int Y);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintDisc();
    TColor MeterColorAt(int x, int y) const;
    int MeterScale() const;
};

}  // namespace velmora

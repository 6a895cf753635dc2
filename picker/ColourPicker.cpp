#include "picker/ColourPicker.h"

#include "geometry/VectorMath.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {
constexpr int kDiscRadius = 80;
constexpr int kMeterColouredRows = 12;
constexpr TColor kDiscCentreGrey = 0x999999;
}  // namespace

void DiscHueSaturation(Vector2Int centre, int x, int y, double& h, double& s) {
    DiscHueSaturation(centre, double(x), double(y), h, s);
}

void DiscHueSaturation(Vector2Int centre, double x, double y, double& h, double& s) {
    s = std::hypot(centre.x - x, y - centre.y) / kDiscRadius;
    if (s > 0) {
        h = SafeArcTan2(y - centre.y, centre.x - x) / (2 * std::numbers::pi) + 0.5;
        h -= std::floor(h);
        h = std::clamp(h, 0.0, 1.0);
    } else {
        h = 0.5;
    }
}

TColourPicker::TColourPicker(QWidget* aOwner) : QWidget(aOwner, Qt::Tool), own(aOwner) {
    setWindowTitle(QStringLiteral("Color Picker"));
    setObjectName(QStringLiteral("LinePalette"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    resize(192, 216);
    setMinimumSize(192, 216);
    setMaximumSize(200, 220);

    // The disc.
    HSBox = new TPaintBox(164, 164, clWhite, this);
    HSBox->setObjectName(QStringLiteral("HSBox"));
    HSBox->move(14, 12);
    TCanvas& disc = HSBox->Canvas();
    disc.brushColor = clWhite;
    disc.brushSolid = true;
    disc.penColor = clWhite;
    // The pictures have the boxes' resolution.
    const int scale = HSBox->Scale();
    HSBm = QImage(HSRect.Width() * scale, HSRect.Height() * scale, QImage::Format_RGB32);
    HSBm.setDevicePixelRatio(scale);
    HSBm.fill(PixelOfColour(clWhite));
    HSctr = {HSRect.Width() / 2, HSRect.Height() / 2};
    HSPt = {40, 40};
    PaintDisc();

    // The meter.
    meterBox = new TPaintBox(164, 14, clWhite, this);
    meterBox->setObjectName(QStringLiteral("meterBox"));
    meterBox->move(14, 188);
    meterBox->Canvas().brushColor = clWhite;
    meterBm = QImage(meterRect.Width() * scale, meterRect.Height() * scale, QImage::Format_RGB32);
    meterBm.setDevicePixelRatio(scale);
    meterBm.fill(PixelOfColour(clWhite));
    meterPos = 82;

    Initiate();
    DrawMeterPt();
    curveColor = MeterColorAt(meterPos, 6);

    // The palette of the backgrounds is built with the same colour function.
    BackgroundPalette();

    HSBox->onMouseMove = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        MouseMoveInHSBox(e->buttons(), p.x(), p.y());
    };
    meterBox->onMouseMove = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        MouseMoveInMeter(e->buttons(), p.x(), p.y());
    };
    PaintHSBox();
    OnPaintMeter();
}

void TColourPicker::PaintDisc() {
    // Every device pixel is coloured at its own place, (i + 1/2)/scale - 1/2
    // in logical pixels (i itself at scale 1), so that the disc keeps its
    // round edge and smooth hues on a high-density screen.
    const double scale = HSBm.devicePixelRatio();
    const auto logical = [scale](int i) { return (i + 0.5) / scale - 0.5; };
    for (int row = 0; row < HSBm.height(); ++row) {
        auto* line = reinterpret_cast<uint32_t*>(HSBm.scanLine(row));
        for (int i = 0; i < HSBm.width(); ++i) {
            const double x = logical(i), y = logical(row);
            const double dist = std::hypot(HSctr.x - x, y - HSctr.y);
            if (dist > kDiscRadius) continue;
            if (dist != 0) {
                double h, s;
                DiscHueSaturation(HSctr, x, y, h, s);
                line[i] = 0xFF000000u | HLS(h, s, 0.6);
            } else {
                line[i] = 0xFF000000u | kDiscCentreGrey;
            }
        }
    }
}

TColor TColourPicker::MeterColorAt(int x, int y) const {
    const int scale = MeterScale();
    if (!meterBm.valid(x * scale, y * scale)) return clBlack;
    return ColourOfPixel(meterBm.pixel(x * scale, y * scale));
}

int TColourPicker::MeterScale() const { return std::max(1, static_cast<int>(std::lround(meterBm.devicePixelRatio()))); }

void TColourPicker::Initiate() {
    double h, s;
    DiscHueSaturation(HSctr, HSPt.x, HSPt.y, h, s);
    // One colour per logical column (the colour chosen is a column's).
    const int scale = MeterScale();
    const int width = meterRect.Width();
    for (int i = 0; i < width; ++i) {
        const uint32_t pixel = 0xFF000000u | HLS(h, s, double(i) / width);
        for (int row = 0; row < kMeterColouredRows * scale; ++row) {
            auto* line = reinterpret_cast<uint32_t*>(meterBm.scanLine(row));
            std::fill(line + i * scale, line + (i + 1) * scale, pixel);
        }
    }
}

bool TColourPicker::Choose(Vector2Int point, int column) {
    if (std::hypot(double(HSctr.x - point.x), double(point.y - HSctr.y)) > kDiscRadius) return false;
    if (column < meterRect.Left || column >= meterRect.Right) return false;
    HSPt = point;
    meterPos = column;
    Initiate();
    curveColor = MeterColorAt(meterPos, 5);
    PaintHSBox();
    OnPaintMeter();
    return true;
}

void TColourPicker::DrawHSPoint() {
    HSBox->Canvas().Ellipse(HSPt.x + 3, HSPt.y + 3, HSPt.x - 3, HSPt.y - 3);
}

void TColourPicker::DrawMeterPt() { meterBox->Canvas().Ellipse(meterPos + 3, 3, meterPos - 3, 9); }

void TColourPicker::PaintHSBox() {
    TCanvas& c = HSBox->Canvas();
    c.Draw(0, 0, HSBm);
    c.penMode = TPenMode::pmCopy;
    c.penColor = clWhite;
    c.brushColor = clBlack;
    c.brushSolid = true;
    DrawHSPoint();
}

void TColourPicker::OnPaintMeter() {
    meterBox->Canvas().Draw(0, 0, meterBm);
    DrawMeterPt();
}

void TColourPicker::OnPaintPicker() { Initiate(); }

void TColourPicker::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    OnPaintPicker();
}

void TColourPicker::MouseMoveInHSBox(Qt::MouseButtons buttons, int X, int Y) {
    if (!(buttons & Qt::LeftButton)) return;
    if (std::hypot(double(HSctr.x - X), double(Y - HSctr.y)) > kDiscRadius) return;
    HSBox->Canvas().Draw(0, 0, HSBm);
    HSPt = {X, Y};
    DrawHSPoint();
    Initiate();
    curveColor = MeterColorAt(meterPos, 5);
    OnPaintMeter();
}

void TColourPicker::MouseMoveInMeter(Qt::MouseButtons buttons, int X, int Y) {
    if (!(buttons & Qt::LeftButton) || X == meterPos) return;
    if (X < meterRect.Left || X >= meterRect.Right || Y < meterRect.Top || Y >= meterRect.Bottom) return;
    meterPos = X;
    curveColor = MeterColorAt(X, 5);
    meterBox->Canvas().Draw(0, 0, meterBm);
    DrawMeterPt();
}

}  // namespace velmora

#include "app/EllipsePanel.h"

#include "app/NumberFormat.h"

#include <QString>

namespace velmora {

namespace {

constexpr TColor kHColor = 0x00FF00;
constexpr TColor kEllipseColor = 0xFF0000;
constexpr TColor kFocalColor = 0x0000FF;
constexpr TColor kCircleColor = 0xFFFF00;
constexpr TColor kGreyColor = 0xC0C0C0;
// The numbers are written darker than the silver lines they belong to, so
// that they stay readable at their small size.
constexpr TColor kTextColor = 0x505050;

void Line(TCanvas& c, const TPixelSegment& s) {
    c.MoveTo(s.a.x, s.a.y);
    c.LineTo(s.b.x, s.b.y);
}

void Polyline(TCanvas& c, const TPixelPolyline& points) {
    if (points.empty()) return;
    c.MoveTo(points[0].x, points[0].y);
    for (std::size_t i = 1; i < points.size(); ++i) c.LineTo(points[i].x, points[i].y);
}

}  // namespace

TEllipsePanel::TEllipsePanel(QWidget* parent) : box_(new TPaintBox(kWidth, kHeight, clWhite, parent)) {
    box_->setObjectName(QStringLiteral("EllipseBox"));
    // A small fixed-width face; 10 pixels is the least that reads well.
    QFont f;
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")});
    f.setStyleHint(QFont::Monospace);
    f.setPixelSize(10);
    TCanvas& c = box_->Canvas();
    c.font = f;
    c.brushColor = clWhite;
    c.brushSolid = true;
}

void TEllipsePanel::Blank() {
    TCanvas& c = box_->Canvas();
    c.brushColor = clWhite;
    c.brushSolid = true;
    c.FillRect(rctEllipse_);
}

void TEllipsePanel::Reset() {
    layout_.Clear();
    ellFactor_ = 1.0;
}

void TEllipsePanel::DrawEllipse() {
    Blank();
    if (!layout_.Layout()) return;  // nothing to draw at a point without a normal basis

    TCanvas& c = box_->Canvas();
    c.penWidth = 1;
    c.penMode = TPenMode::pmCopy;
    c.penColor = kHColor;
    Line(c, layout_.HSegment());
    c.penColor = kEllipseColor;
    Polyline(c, layout_.EllipsePolygon());
    DrawFocalLocus();
    c.penColor = kCircleColor;
    Polyline(c, layout_.CirclePolygon());

    c.penColor = kGreyColor;
    Line(c, layout_.ScaleBar());
    const Vector2Int at = layout_.ScaleTextPos();
    Text(at.x, at.y, QString::fromStdString(EllipsePanelNumber(layout_.ScaleLength(), 7)));
}

void TEllipsePanel::Text(int x, int y, const QString& text) {
    // On a white cell of its own, over whatever the figure drew there.
    TCanvas& c = box_->Canvas();
    c.fontColor = kTextColor;
    c.brushColor = clWhite;
    c.brushSolid = true;
    c.TextOut(x, y, text);
}

void TEllipsePanel::DrawFocalLocus() {
    TCanvas& c = box_->Canvas();
    c.penColor = kFocalColor;
    c.penMode = TPenMode::pmCopy;
    for (const TPixelPolyline& piece : layout_.FocalConic(ellFactor_)) Polyline(c, piece);
}

void TEllipsePanel::MoveInEllipsePanel(int X, int Y) {
    if (layout_.sc() == 0) return;
    DrawEllipse();
    const auto projection = layout_.Projection(X, Y);
    if (!projection) return;
    TCanvas& c = box_->Canvas();
    c.penColor = kGreyColor;
    c.penMode = TPenMode::pmCopy;
    if (projection->hasSegments)
        for (const TPixelSegment& s : projection->segments) Line(c, s);
    // The text last, so that no line of the figure crosses it.
    const Vector2Int at = layout_.ProjectionTextPos();
    Text(at.x, at.y,
         QStringLiteral("K= ") + QString::fromStdString(EllipsePanelNumber(projection->K, 8)) +
             QStringLiteral(";  H= ") + QString::fromStdString(EllipsePanelNumber(projection->Hm, 8)));
}

void TEllipsePanel::PaintEllipsePanel(bool frozen) {
    if (frozen)
        DrawEllipse();
    else
        Blank();
}

}  // namespace velmora

// A drawing surface with the state and operations of a classic pen-and-brush
// canvas: a current pen (colour, width, mode) with a pen position for
// MoveTo/LineTo, a brush, a font, rectangle fills, ellipses, text, bitmap
// copies and pixel reads. It paints either into a backing QImage (the picture
// of a paint box on the screen) or through a QPainter that the caller holds
// open (a printer page).
//
// Lines of width 1 on an image are plotted pixel by pixel and leave out their
// last pixel, as a pen-position LineTo does, so that a polyline is made of
// consecutive half-open pieces whatever its direction. The XOR pen modes are
// raster operations on the colour bytes (the alpha byte stays opaque), which
// only an image supports; drawing the same line twice in either XOR mode
// restores the pixels exactly.
//
// An image whose device pixel ratio is s (2 on a high-density screen) is
// drawn on in logical pixels at full resolution: a one-pixel line runs
// between the device pixels of its end points and is s device pixels thick,
// so that it covers exactly the logical pixels of an axis-parallel line and
// follows a slanted one in device steps; text, ellipses and pictures of the
// same ratio are drawn by the painter at the device's resolution.
#pragma once

#include "canvas/Colour.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QPolygonF>
#include <QString>

#include <cstdint>
#include <functional>

class QPainter;

namespace velmora {

enum class TPenMode { pmCopy, pmXor, pmNotXor };

class TCanvas {
public:
    // Paints into *image (Format_RGB32); changed() runs after every operation
    // that altered pixels (a paint box uses it to schedule its repaint).
    explicit TCanvas(QImage* image, std::function<void()> changed = {});
    // Paints through a painter that stays active while the canvas is used.
    explicit TCanvas(QPainter* painter);

    // ---- state ---------------------------------------------------------------
    TColor penColor = clBlack;
    int penWidth = 1;
    TPenMode penMode = TPenMode::pmCopy;
    TColor brushColor = clWhite;
    bool brushSolid = true;  // false: clear brush (no fill, transparent text)
    QFont font;
    TColor fontColor = clBlack;

    QPoint PenPos() const { return penPos_; }

    // ---- drawing ---------------------------------------------------------------
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // The polyline through the points: on an image the pixels of MoveTo to
    // the first point and LineTo to each further one; through a painter one
    // path, so that a vector device (SVG, PDF) keeps it as one curve.
    // Fewer than two points draw nothing.
    void Polyline(const QPolygon& points);
    // The same through floating-point coordinates: through a painter they
    // reach the device as they are (a vector device keeps them); on an image
    // they are rounded to pixels first.
    void Polyline(const QPolygonF& points);
    // Ellipse inscribed in the rectangle with corners (x1, y1), (x2, y2), in
    // either order; the right and bottom edges are exclusive. Outlined with the
    // pen and filled with the brush.
    void Ellipse(int x1, int y1, int x2, int y2);
    // The closed polygon through the points, outlined with the pen and filled
    // with the brush (one path on a vector device).
    void Polygon(const QPolygon& points);
    // Fills the rectangle with the brush colour.
    void FillRect(const TRect& r);
    // Text with its cell's top-left corner at (x, y); with a solid brush the
    // cell background is filled with the brush colour.
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // Copies a picture with its top-left corner at (x, y).
    void Draw(int x, int y, const QImage& picture);
    // Copies device rows firstRow .. firstRow + count - 1 of a picture of the
    // canvas's own size and ratio onto the same rows.
    void CopyRows(const QImage& picture, int firstRow, int count);
    // Copies a whole picture stretched onto the rectangle.
    void StretchDraw(const TRect& r, const QImage& picture);
    // Colour of a pixel of the backing image (black when there is none or the
    // point is outside); at a ratio s, of the top-left device pixel of the
    // logical pixel.
    TColor Pixel(int x, int y) const;
    // Device pixels per logical pixel of the backing image (1 without one).
    int Scale() const;

    QImage* Image() const { return image_; }
    QPainter* Painter() const { return painter_; }

private:
    template <class F>
    void Paint(F&& draw);
    void SetupPen(QPainter& p) const;
    // The brush colour when the brush is solid, else no fill.
    void SetupBrush(QPainter& p) const;
    // Metrics of the font on the device painted on (a printer's differ from the screen's).
    QFontMetrics Metrics() const;
    void PlotLine(QPoint from, QPoint to);

    QImage* image_ = nullptr;
    QPainter* painter_ = nullptr;
    std::function<void()> changed_;
    QPoint penPos_{0, 0};
};

}  // namespace velmora

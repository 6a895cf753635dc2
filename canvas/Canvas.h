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
#pragma once

#include "canvas/Colour.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
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
    // Ellipse inscribed in the rectangle with corners (x1, y1), (x2, y2), in
    // either order; the right and bottom edges are exclusive. Outlined with the
    // pen and filled with the brush.
    void Ellipse(int x1, int y1, int x2, int y2);
    // Fills the rectangle with the brush colour.
    void FillRect(const TRect& r);
    // Text with its cell's top-left corner at (x, y); with a solid brush the
    // cell background is filled with the brush colour.
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // Copies a picture with its top-left corner at (x, y).
    void Draw(int x, int y, const QImage& picture);
    // Copies a whole picture stretched onto the rectangle.
    void StretchDraw(const TRect& r, const QImage& picture);
    // Colour of a pixel of the backing image (black when there is none or the
    // point is outside).
    TColor Pixel(int x, int y) const;

    QImage* Image() const { return image_; }
    QPainter* Painter() const { return painter_; }

private:
    template <class F>
    void Paint(F&& draw);
    void SetupPen(QPainter& p) const;
    // Metrics of the font on the device painted on (a printer's differ from the screen's).
    QFontMetrics Metrics() const;
    void PlotLine(QPoint from, QPoint to);

    QImage* image_ = nullptr;
    QPainter* painter_ = nullptr;
    std::function<void()> changed_;
    QPoint penPos_{0, 0};
};

}  // namespace velmora

#include "printing/FigureDrawing.h"

#include "canvas/LayerDrawing.h"
#include "canvas/PointMarkers.h"
#include "session/DrawingStores.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace velmora {

void DrawFigure(const TSurfaceSession& session, TCanvas& can, const TRect& r, const QImage* background,
                TPlacement placement) {
    QPainter* painter = can.Painter();
    if (painter) painter->setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::IntersectClip);
    if (background && !background->isNull()) DrawBitmapOnPage(can, r, *background);
    DrawCurvesOnPage(session, can, r, placement);
    if (painter) painter->setClipping(false);
}

void DrawCurvesOnPage(const TSurfaceSession& session, TCanvas& can, const TRect& r, TPlacement placement) {
    const int w = r.Right - r.Left;
    can.penMode = TPenMode::pmCopy;
    can.brushColor = clBlack;
    can.brushSolid = true;
    can.penWidth = std::max(1, w / 100);
    for (int kind = 0; kind < kLociCount; ++kind)
        DrawLocus(session, can, r, true, static_cast<TLocusKind>(kind), placement);
    can.penWidth = std::max(1, w / 500);
    DrawLines(session, can, r, placement);
    // Markers of the size they have on the panel of 548 pixels.
    DrawSpecialPoints(session, can, r, std::max(3, w / 137));
}

void DrawBitmapOnPage(TCanvas& can, const TRect& r, const QImage& bitmap) { DrawBackground(can, r, bitmap); }

}  // namespace velmora

// The square figure of the domain - the background, the stored loci, the
// coordinate lines, the stored curves and the special points - drawn onto
// any square. The printed
// page draws it inside its frame, a figure file fills its whole square with it.
#pragma once

#include "canvas/Canvas.h"
#include "canvas/LayerDrawing.h"

class QImage;

namespace velmora {

class TSurfaceSession;

// The figure onto the square r: the background (when one is given, else
// nothing) stretched onto r, then the loci with a pen of side/100 pixels and
// the coordinate lines and curves with a pen of side/500 pixels (at least
// one pixel each); through a painter nothing is drawn outside r. The points
// of the curves are placed as asked (whole pixels, or exact for a vector figure).
void DrawFigure(const TSurfaceSession& session, TCanvas& can, const TRect& r, const QImage* background,
                TPlacement placement = TPlacement::Pixels);

// The stored loci (pen width side/100), the coordinate lines and curves
// (pen width side/500) and the markers of the special points drawn onto the
// square r.
void DrawCurvesOnPage(const TSurfaceSession& session, TCanvas& can, const TRect& r,
                      TPlacement placement = TPlacement::Pixels);
// The page background stretched onto the square r.
void DrawBitmapOnPage(TCanvas& can, const TRect& r, const QImage& bitmap);

}  // namespace velmora

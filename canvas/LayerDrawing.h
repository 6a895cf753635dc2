// The layers of the picture of the domain, each drawn from a surface session
// into any canvas and rectangle: the background image, the stored loci, and
// the coordinate lines with the stored curves. The main panel, a printed page
// and an exported image all draw with these routines; a repaint draws the
// background, then the loci, then the lines.
#pragma once

#include "canvas/Canvas.h"
#include "geometry/DomainMap.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraTypes.h"
#include "session/DrawingStores.h"

class QImage;

namespace velmora {

class TSurfaceSession;


// The map of the domain onto the rectangle r: (u, v) goes to
// (ku u + ou, ov - kv v), rounded to the nearest pixel (ties to even) by X
// and Y, so that U fills r whatever its proportions and v grows upwards. For
// the main panel's rectangle this is the map of the panel.
struct TRectMap {
    double ku, kv, ou, ov;
    TRectMap(const TDomainMap& m, const TRect& r);
    double XF(const Vector2& p) const { return ku * p[0] + ou; }
    double YF(const Vector2& p) const { return ov - kv * p[1]; }
    int X(const Vector2& p) const { return RoundHalfEven(XF(p)); }
    int Y(const Vector2& p) const { return RoundHalfEven(YF(p)); }
};

// Where the points of the loci, curves and coordinate lines are placed:
// rounded to whole pixels (the screen, a PNG picture, the printed page), or
// exactly where they map (an SVG or PDF figure, whose curves stay smooth
// however far a reader zooms in).
enum class TPlacement { Pixels, Exact };

// One stored locus (kind 0..6) in silver, one polyline per piece; a store of
// fewer than three knots draws nothing. toPrint keeps the caller's pen width (else width 1).
void DrawLocus(const TSurfaceSession& session, TCanvas& can, const TRect& r, bool toPrint, TLocusKind kind,
               TPlacement placement = TPlacement::Pixels);

// The coordinate lines through every stored coordinate point, across r, and
// every stored curve in its own colour (a curve of one point draws nothing),
// each line and curve one polyline.
// Nothing before the session's first successful read.
void DrawLines(const TSurfaceSession& session, TCanvas& can, const TRect& r,
               TPlacement placement = TPlacement::Pixels);

// The background picture copied onto r (stretched when the sizes differ).
void DrawBackground(TCanvas& can, const TRect& r, const QImage& bm);

}  // namespace velmora

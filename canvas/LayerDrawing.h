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
// (round(ku u + ou), round(ov - kv v)), so that U fills r whatever its
// proportions and v grows upwards. For the main panel's rectangle this is the
// map of the panel.
struct TRectMap {
    double ku, kv, ou, ov;
    TRectMap(const TDomainMap& m, const TRect& r);
    int X(const Vector2& p) const { return RoundHalfEven(ku * p[0] + ou); }
    int Y(const Vector2& p) const { return RoundHalfEven(ov - kv * p[1]); }
};

// One stored locus (kind 0..6) in silver, one polyline per piece; a store of
// fewer than three knots draws nothing. toPrint keeps the caller's pen width (else width 1).
void DrawLocus(const TSurfaceSession& session, TCanvas& can, const TRect& r, bool toPrint, TLocusKind kind);

// The coordinate lines through every stored coordinate point, across r, and
// every stored curve in its own colour (a curve of one point draws nothing),
// each line and curve one polyline.
// Nothing before the session's first successful read.
void DrawLines(const TSurfaceSession& session, TCanvas& can, const TRect& r);

// The background picture copied onto r (stretched when the sizes differ).
void DrawBackground(TCanvas& can, const TRect& r, const QImage& bm);

}  // namespace velmora

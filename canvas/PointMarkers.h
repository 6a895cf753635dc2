// The layer of special points over the picture of the domain: a marker at
// each point - its shape by the sign of the index (a disc for a positive
// index, a triangle for a negative one, a square where it was not
// measured), its colour by the pattern of the lines round it - and the curves
// of points that are not isolated, in the colour of their kind. The main
// panel, the printed page and the figure files draw it with this routine,
// last, over the lines; the panel finds the marker under the pointer with it.
#pragma once

#include "canvas/Canvas.h"
#include "points/SpecialPoint.h"

#include <QPoint>

namespace velmora {

class TSurfaceSession;

enum class TMarkerShape { Disc, Triangle, Square };
TMarkerShape MarkerShape(const TSpecialPoint& point);

// The markers of the session's stored special points and their curves on the
// rectangle r, each marker 2 radius + 1 pixels wide (curves radius/2 wide, at
// least 2); nothing when none are stored.
void DrawSpecialPoints(const TSurfaceSession& session, TCanvas& can, const TRect& r, int radius);

// The stored point whose marker centre lies within `reach` pixels of pixel
// (the nearest one), on the rectangle r; null when there is none.
const TSpecialPoint* SpecialPointAt(const TSurfaceSession& session, const TRect& r, QPoint pixel, int reach);

}  // namespace velmora

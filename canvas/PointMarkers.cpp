#include "canvas/PointMarkers.h"

#include "canvas/LayerDrawing.h"
#include "session/SurfaceSession.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

TMarkerShape MarkerShape(const TSpecialPoint& point) {
    if (!point.IndexMeasured() || point.index == 0) return TMarkerShape::Square;
    return point.index > 0 ? TMarkerShape::Disc : TMarkerShape::Triangle;
}

void DrawSpecialPoints(const TSurfaceSession& session, TCanvas& can, const TRect& r, int radius) {
    const TSpecialPointsResult* found = session.SpecialPoints();
    if (!found || !session.alreadyParsed()) return;
    const TRectMap m(session.Map(), r);
    can.penMode = TPenMode::pmCopy;
    can.penWidth = std::max(2, radius / 2);
    for (const TSpecialSet& set : found->sets) {
        if (set.everywhere || set.curve.size() < 2) continue;
        QPolygon line;
        line.reserve(static_cast<qsizetype>(set.curve.size()));
        for (const Vector2& p : set.curve) line.append(QPoint(m.X(p), m.Y(p)));
        can.penColor = SpecialSetColour(set.kind);
        can.Polyline(line);
    }
    can.penWidth = 1;
    can.penColor = clBlack;
    can.brushSolid = true;
    for (const TSpecialPoint& point : found->points) {
        const int x = m.X(point.at), y = m.Y(point.at);
        can.brushColor = MarkerColour(point);
        switch (MarkerShape(point)) {
            case TMarkerShape::Disc: can.Ellipse(x - radius, y - radius, x + radius + 1, y + radius + 1); break;
            case TMarkerShape::Triangle:
                can.Polygon(QPolygon({QPoint(x, y - radius), QPoint(x + radius, y + radius), QPoint(x - radius, y + radius)}));
                break;
            case TMarkerShape::Square:
                can.Polygon(QPolygon({QPoint(x - radius, y - radius), QPoint(x + radius, y - radius),
                                      QPoint(x + radius, y + radius), QPoint(x - radius, y + radius)}));
                break;
        }
    }
}

const TSpecialPoint* SpecialPointAt(const TSurfaceSession& session, const TRect& r, QPoint pixel, int reach) {
    const TSpecialPointsResult* found = session.SpecialPoints();
    if (!found || !session.alreadyParsed()) return nullptr;
    const TRectMap m(session.Map(), r);
    const TSpecialPoint* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const TSpecialPoint& point : found->points) {
        const long long dx = m.X(point.at) - pixel.x(), dy = m.Y(point.at) - pixel.y();
        const long long d = dx * dx + dy * dy;
        if (d <= static_cast<long long>(reach) * reach && d < best) {
            best = d;
            nearest = &point;
        }
    }
    return nearest;
}

}  // namespace velmora

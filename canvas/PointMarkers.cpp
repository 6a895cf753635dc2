#include "canvas/PointMarkers.h"

#include "canvas/LayerDrawing.h"
#include "session/SurfaceSession.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

// Colour values hold red in the low byte.
constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

constexpr TColor kUnmeasured = Rgb(128, 128, 128);

}  // namespace

TColor MarkerColour(const TSpecialPoint& point) {
    if (point.kind == TSpecialKind::Degenerate) return clBlack;
    const std::string& t = point.type;
    if (t == "lemon") return Rgb(235, 200, 0);
    if (t == "monstar") return Rgb(240, 120, 0);
    if (t == "star") return Rgb(210, 0, 0);
    if (t == "E3") return Rgb(0, 160, 0);
    if (t == "E4") return Rgb(0, 170, 170);
    if (t == "E5") return Rgb(0, 90, 220);
    if (!t.empty()) return Rgb(150, 0, 200);  // E with another count
    return kUnmeasured;
}

TColor SpecialSetColour(TSpecialKind kind) {
    switch (kind) {
        case TSpecialKind::Axiumbilic: return Rgb(0, 160, 0);
        case TSpecialKind::Inflection: return Rgb(200, 0, 200);
        case TSpecialKind::Minimal: return Rgb(0, 90, 220);
        case TSpecialKind::PrincipalSingular: return Rgb(210, 0, 0);
        case TSpecialKind::Degenerate: return clBlack;
    }
    return clBlack;
}

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

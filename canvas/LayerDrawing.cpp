#include "canvas/LayerDrawing.h"

#include "session/SurfaceSession.h"

#include <QImage>
#include <QPolygon>

#include <algorithm>
#include <vector>

namespace velmora {

TRectMap::TRectMap(const TDomainMap& m, const TRect& r)
    : ku((r.Right - r.Left) / m.edges2D[0]),
      kv((r.Bottom - r.Top) / m.edges2D[1]),
      ou((r.Right + r.Left) / 2.0 - ku * m.center2D[0]),
      ov((r.Bottom + r.Top) / 2.0 + kv * m.center2D[1]) {}

namespace {

// The polyline through the domain points, placed on r as asked.
void DrawPolyline(TCanvas& can, const TRectMap& m, const std::vector<Vector2>& points, TPlacement placement) {
    if (placement == TPlacement::Exact) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(points.size()));
        for (const Vector2& p : points) polygon.append(QPointF(m.XF(p), m.YF(p)));
        can.Polyline(polygon);
        return;
    }
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Vector2& p : points) polygon.append(QPoint(m.X(p), m.Y(p)));
    can.Polyline(polygon);
}

}  // namespace

void DrawLocus(const TSurfaceSession& session, TCanvas& can, const TRect& r, bool toPrint, TLocusKind kind,
               TPlacement placement) {
    if (!IsInvariantKind(kind)) return;
    const int locusType = static_cast<int>(kind);
    const TDrawingStores& stores = session.Stores();
    const TRectMap m(session.Map(), r);
    can.penColor = kLocusColour;
    can.penMode = TPenMode::pmCopy;
    if (!toPrint) can.penWidth = 1;
    // A locus of fewer than three knots is not drawn.
    if (stores.loci()[locusType].size() < 3) return;
    for (const auto& piece : stores.LocusPieces(kind)) DrawPolyline(can, m, piece, placement);
}

void DrawLines(const TSurfaceSession& session, TCanvas& can, const TRect& r, TPlacement placement) {
    if (!session.alreadyParsed()) return;
    const TDrawingStores& stores = session.Stores();
    const TRectMap m(session.Map(), r);
    can.penMode = TPenMode::pmCopy;
    can.penColor = kCoordLineColour;
    for (const Vector2& p : stores.coordLines()) {
        if (placement == TPlacement::Exact) {
            can.Polyline(QPolygonF({QPointF(r.Left, m.YF(p)), QPointF(r.Right, m.YF(p))}));
            can.Polyline(QPolygonF({QPointF(m.XF(p), r.Top), QPointF(m.XF(p), r.Bottom)}));
            continue;
        }
        can.Polyline(QPolygon({QPoint(r.Left, m.Y(p)), QPoint(r.Right, m.Y(p))}));
        can.Polyline(QPolygon({QPoint(m.X(p), r.Top), QPoint(m.X(p), r.Bottom)}));
    }
    for (const Curve& curve : stores.lines()) {
        can.penColor = curve.c;
        if (curve.pts.size() < 2) continue;
        DrawPolyline(can, m, curve.pts, placement);
    }
}

void DrawBackground(TCanvas& can, const TRect& r, const QImage& bm) {
    if (bm.deviceIndependentSize() == QSizeF(r.Width(), r.Height()))
        can.Draw(r.Left, r.Top, bm);
    else
        can.StretchDraw(r, bm);
}

}  // namespace velmora

#include "canvas/LayerDrawing.h"

#include "session/SurfaceSession.h"

#include <QImage>
#include <QPolygon>

#include <algorithm>

namespace velmora {

TRectMap::TRectMap(const TDomainMap& m, const TRect& r)
    : ku((r.Right - r.Left) / m.edges2D[0]),
      kv((r.Bottom - r.Top) / m.edges2D[1]),
      ou((r.Right + r.Left) / 2.0 - ku * m.center2D[0]),
      ov((r.Bottom + r.Top) / 2.0 + kv * m.center2D[1]) {}

void DrawLocus(const TSurfaceSession& session, TCanvas& can, const TRect& r, bool toPrint, TLocusKind kind) {
    if (!IsInvariantKind(kind)) return;
    const int locusType = static_cast<int>(kind);
    const TDrawingStores& stores = session.Stores();
    const TRectMap m(session.Map(), r);
    can.penColor = kLocusColour;
    can.penMode = TPenMode::pmCopy;
    if (!toPrint) can.penWidth = 1;
    // A locus of fewer than three knots is not drawn.
    if (stores.loci()[locusType].size() < 3) return;
    for (const auto& piece : stores.LocusPieces(kind)) {
        QPolygon polygon;
        for (const Vector2& p : piece) polygon.append(QPoint(m.X(p), m.Y(p)));
        can.Polyline(polygon);
    }
}

void DrawLines(const TSurfaceSession& session, TCanvas& can, const TRect& r) {
    if (!session.alreadyParsed()) return;
    const TDrawingStores& stores = session.Stores();
    const TRectMap m(session.Map(), r);
    can.penMode = TPenMode::pmCopy;
    can.penColor = kCoordLineColour;
    for (const Vector2& p : stores.coordLines()) {
        can.Polyline(QPolygon({QPoint(r.Left, m.Y(p)), QPoint(r.Right, m.Y(p))}));
        can.Polyline(QPolygon({QPoint(m.X(p), r.Top), QPoint(m.X(p), r.Bottom)}));
    }
    for (const Curve& curve : stores.lines()) {
        can.penColor = curve.c;
        if (curve.pts.size() < 2) continue;
        QPolygon points;
        points.reserve(static_cast<qsizetype>(curve.pts.size()));
        for (const Vector2& p : curve.pts) points.append(QPoint(m.X(p), m.Y(p)));
        can.Polyline(points);
    }
}

void DrawBackground(TCanvas& can, const TRect& r, const QImage& bm) {
    if (bm.deviceIndependentSize() == QSizeF(r.Width(), r.Height()))
        can.Draw(r.Left, r.Top, bm);
    else
        can.StretchDraw(r, bm);
}

}  // namespace velmora

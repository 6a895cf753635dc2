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
    if (stores.lociData()[locusType].last <= 1) return;
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
    const PtArray& coordLines = stores.coordLines();
    const int lastCoord = std::min(coordLines.last, static_cast<int>(coordLines.pts.size()) - 1);
    for (int i = 0; i <= lastCoord; ++i) {
        const Vector2& p = coordLines.pts[i];
        can.Polyline(QPolygon({QPoint(r.Left, m.Y(p)), QPoint(r.Right, m.Y(p))}));
        can.Polyline(QPolygon({QPoint(m.X(p), r.Top), QPoint(m.X(p), r.Bottom)}));
    }
    const CurvesArray& lines = stores.lines();
    if (lines.last < 0 || static_cast<int>(lines.cc.size()) < lines.last + 1) return;
    for (int i = 0; i <= lines.last; ++i) {
        const Curve& curve = lines.cc[i];
        can.penColor = curve.c;
        if (curve.last <= 0 || static_cast<int>(curve.pts.size()) < curve.last + 1) continue;
        QPolygon points;
        points.reserve(curve.last + 1);
        for (int k = 0; k <= curve.last; ++k) points.append(QPoint(m.X(curve.pts[k]), m.Y(curve.pts[k])));
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

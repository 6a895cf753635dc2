#include "canvas/LayerDrawing.h"

#include "session/SurfaceSession.h"

#include <QImage>

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
    const wireKnots& knots = stores.loci()[locusType];
    const TRectMap m(session.Map(), r);
    can.penColor = kLocusColour;
    can.penMode = TPenMode::pmCopy;
    if (!toPrint) can.penWidth = 1;
    const int last = std::min(stores.lociData()[locusType].last, static_cast<int>(knots.size()) - 1);
    if (last <= 1) return;
    can.MoveTo(m.X(knots[0].pos), m.Y(knots[0].pos));
    for (int k = 1; k <= last; ++k) {
        if (knots[k].key == 1)
            can.MoveTo(m.X(knots[k].pos), m.Y(knots[k].pos));
        else
            can.LineTo(m.X(knots[k].pos), m.Y(knots[k].pos));
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
        can.MoveTo(r.Left, m.Y(p));
        can.LineTo(r.Right, m.Y(p));
        can.MoveTo(m.X(p), r.Top);
        can.LineTo(m.X(p), r.Bottom);
    }
    const CurvesArray& lines = stores.lines();
    if (lines.last < 0 || static_cast<int>(lines.cc.size()) < lines.last + 1) return;
    for (int i = 0; i <= lines.last; ++i) {
        const Curve& curve = lines.cc[i];
        can.penColor = curve.c;
        if (curve.last <= 0 || static_cast<int>(curve.pts.size()) < curve.last + 1) continue;
        can.MoveTo(m.X(curve.pts[0]), m.Y(curve.pts[0]));
        for (int k = 1; k <= curve.last; ++k) can.LineTo(m.X(curve.pts[k]), m.Y(curve.pts[k]));
    }
}

void DrawBackground(TCanvas& can, const TRect& r, const QImage& bm) {
    if (bm.width() == r.Width() && bm.height() == r.Height())
        can.Draw(r.Left, r.Top, bm);
    else
        can.StretchDraw(r, bm);
}

}  // namespace velmora

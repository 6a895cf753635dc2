// The stored drawings of the main panel: the loci (polylines of knots), the
// traced curves and the points of the coordinate lines, and their drawing into
// any canvas and rectangle (the panel, or a printed page).
#include "app/FVelmora4.h"

namespace velmora {

namespace {

constexpr int kLocusRoom = 100;
constexpr TColor kLocusColor = 0xC0C0C0;
constexpr TColor kCoordLineColor = 0xCCCCCC;

// The map of U onto the rectangle r: (u, v) -> (round(ku u + ou), round(ov - kv v)).
struct RectMap {
    double ku, kv, ou, ov;
    RectMap(const TDomainMap& m, const TRect& r)
        : ku((r.Right - r.Left) / m.edges2D[0]),
          kv((r.Bottom - r.Top) / m.edges2D[1]),
          ou((r.Right + r.Left) / 2.0 - ku * m.center2D[0]),
          ov((r.Bottom + r.Top) / 2.0 + kv * m.center2D[1]) {}
    int X(const Vector2& p) const { return RoundHalfEven(ku * p[0] + ou); }
    int Y(const Vector2& p) const { return RoundHalfEven(ov - kv * p[1]); }
};

}  // namespace

void TVelmora4::InitializeLoci() {
    for (int i = 0; i < kLociCount; ++i) {
        loci[i].assign(kLocusRoom, wireKnot{});
        lociData[i].last = -1;
    }
}

void TVelmora4::InitializeLines() {
    coordLines.last = -1;
    coordLines.pts.clear();
    lines.last = -1;
    lines.cc.clear();
}

bool TVelmora4::EraseLastLine() {
    if (lines.last < 0 || static_cast<int>(lines.cc.size()) < lines.last + 1) return false;
    Curve& curve = lines.cc[lines.last];
    curve.last = -1;
    curve.pts.clear();
    curve.pts.shrink_to_fit();
    --lines.last;
    return true;
}

void TVelmora4::DrawLocus(TCanvas& can, const TRect& r, bool toPrint, int locusType) {
    if (locusType < 0 || locusType >= kLociCount) return;
    const RectMap m(map, r);
    can.penColor = kLocusColor;
    can.penMode = TPenMode::pmCopy;
    if (!toPrint) can.penWidth = 1;
    const int last = std::min(lociData[locusType].last, static_cast<int>(loci[locusType].size()) - 1);
    if (last <= 1) return;
    const wireKnots& knots = loci[locusType];
    can.MoveTo(m.X(knots[0].pos), m.Y(knots[0].pos));
    for (int k = 1; k <= last; ++k) {
        if (knots[k].key == 1)
            can.MoveTo(m.X(knots[k].pos), m.Y(knots[k].pos));
        else
            can.LineTo(m.X(knots[k].pos), m.Y(knots[k].pos));
    }
}

void TVelmora4::RedrawLoci() {
    if (!alreadyParsed) return;
    for (int i = 0; i < kLociCount; ++i) DrawLocus(MainBox->Canvas(), rctMain, false, i);
}

void TVelmora4::DrawLines(TCanvas& can, const TRect& r) {
    if (!alreadyParsed) return;
    const RectMap m(map, r);
    can.penMode = TPenMode::pmCopy;
    can.penColor = kCoordLineColor;
    const int lastCoord = std::min(coordLines.last, static_cast<int>(coordLines.pts.size()) - 1);
    for (int i = 0; i <= lastCoord; ++i) {
        const Vector2& p = coordLines.pts[i];
        can.MoveTo(r.Left, m.Y(p));
        can.LineTo(r.Right, m.Y(p));
        can.MoveTo(m.X(p), r.Top);
        can.LineTo(m.X(p), r.Bottom);
    }
    if (lines.last < 0 || static_cast<int>(lines.cc.size()) < lines.last + 1) return;
    for (int i = 0; i <= lines.last; ++i) {
        const Curve& curve = lines.cc[i];
        can.penColor = curve.c;
        if (curve.last <= 0 || static_cast<int>(curve.pts.size()) < curve.last + 1) continue;
        can.MoveTo(m.X(curve.pts[0]), m.Y(curve.pts[0]));
        for (int k = 1; k <= curve.last; ++k) can.LineTo(m.X(curve.pts[k]), m.Y(curve.pts[k]));
    }
}

void TVelmora4::RedrawLines() {
    if (alreadyParsed) DrawLines(MainBox->Canvas(), rctMain);
}

void TVelmora4::DrawCoordinateLines(TCanvas& can, const Vector2& param) {
    can.penColor = kCoordLineColor;
    can.penMode = TPenMode::pmCopy;
    ++coordLines.last;
    if (coordLines.last >= static_cast<int>(coordLines.pts.size())) coordLines.pts.resize(coordLines.last + 4);
    coordLines.pts[coordLines.last] = param;
    const Vector2Int P = FromR2toWindow(param);
    can.MoveTo(0, P.y);
    can.LineTo(rctMain.Right, P.y);
    can.MoveTo(P.x, 0);
    can.LineTo(P.x, rctMain.Bottom);
}

}  // namespace velmora

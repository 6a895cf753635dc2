#include "app/MainPanel.h"

#include "canvas/LayerDrawing.h"
#include "canvas/PointMarkers.h"
#include "session/SurfaceSession.h"

#include <algorithm>
#include <cmath>

namespace velmora {

TMainPanel::TMainPanel(QWidget* parent)
    : box_(new TPaintBox(kMainPanelSize, kMainPanelSize, clWhite, parent)),
      // At the box's resolution: the workers colour every device pixel.
      bm_(kMainPanelSize * box_->Scale(), kMainPanelSize * box_->Scale(), QImage::Format_RGB32) {
    bm_.setDevicePixelRatio(box_->Scale());
    box_->setObjectName(QStringLiteral("MainBox"));
    box_->setCursor(Qt::CrossCursor);
    bm_.fill(PixelOfColour(clWhite));
    Fill();
}

void TMainPanel::Fill() {
    TCanvas& c = Canvas();
    c.brushColor = clWhite;
    c.brushSolid = true;
    c.FillRect(rctMain_);
}

void TMainPanel::Repaint(const TSurfaceSession& session) {
    DrawBackground(Canvas(), rctMain_, bm_);
    crossDrawn_ = false;
    RedrawLoci(session);
    RedrawLines(session);
}

void TMainPanel::RedrawLoci(const TSurfaceSession& session) {
    if (!session.alreadyParsed()) return;
    for (const TScalarInvariant& locus : ScalarInvariants()) DrawLocus(session, Canvas(), rctMain_, false, locus.kind);
}

void TMainPanel::RedrawLines(const TSurfaceSession& session) {
    if (!session.alreadyParsed()) return;
    DrawLines(session, Canvas(), rctMain_);
    DrawSpecialPoints(session, Canvas(), rctMain_, kMarkerRadius);
}

void TMainPanel::DrawCoordinateLines(const Vector2& param, const TDomainMap& map) {
    TCanvas& c = Canvas();
    c.penColor = kCoordLineColour;
    c.penMode = TPenMode::pmCopy;
    const Vector2Int P = map.FromR2toWindow(param);
    c.MoveTo(0, P.y);
    c.LineTo(rctMain_.Right, P.y);
    c.MoveTo(P.x, 0);
    c.LineTo(P.x, rctMain_.Bottom);
}

void TMainPanel::SetCross(const TDirectionCross& found, const TDomainMap& map) {
    const int n = std::clamp(found.count, 0, static_cast<int>(cross_.size()));
    for (int j = 0; j < n; ++j) {
        const Vector2Int a = map.FromR2toWindow(found.segments[j].first);
        const Vector2Int b = map.FromR2toWindow(found.segments[j].second);
        cross_[j] = {a.x, a.y, b.x, b.y};
    }
}

void TMainPanel::DrawCross(TColor colour, int curvesParts) {
    TCanvas& c = Canvas();
    if (crossDrawn_) {
        // Remove exactly what is on the panel: the same segments in the same
        // colour, even if the line kind or the picker colour changed since.
        c.penColor = drawnCross_.colour;
        c.penMode = TPenMode::pmNotXor;
        c.penWidth = 1;
        for (int i = 0; i < drawnCross_.count; ++i) {
            const TCrossSegment& s = drawnCross_.segments[i];
            c.MoveTo(s.x1, s.y1);
            c.LineTo(s.x2, s.y2);
        }
        crossDrawn_ = false;
        return;
    }
    c.penColor = colour;
    const int n = std::min(curvesParts / 2, static_cast<int>(cross_.size()));
    if (n <= 0) return;
    c.penMode = TPenMode::pmNotXor;
    c.penWidth = 1;
    for (int i = 0; i < n; ++i) {
        c.MoveTo(cross_[i].x1, cross_[i].y1);
        c.LineTo(cross_[i].x2, cross_[i].y2);
    }
    drawnCross_.colour = colour;
    drawnCross_.count = n;
    std::copy(cross_.begin(), cross_.begin() + n, drawnCross_.segments.begin());
    crossDrawn_ = true;
}

void TMainPanel::Press(QPoint p, bool shift) {
    firstPt_ = lastPt_ = p;
    drawOrthonLine_ = shift;
    if (!shift) return;
    TCanvas& c = Canvas();
    c.penColor = clGreen;
    c.penMode = TPenMode::pmNotXor;
    c.MoveTo(p.x(), p.y());
    c.LineTo(p.x(), p.y());
    c.penMode = TPenMode::pmCopy;
}

void TMainPanel::DragTo(QPoint p) {
    if (drawOrthonLine_) {
        // Move the rubber band: XOR off the old one, XOR on the new one.
        TCanvas& c = Canvas();
        c.penMode = TPenMode::pmXor;
        c.MoveTo(firstPt_.x(), firstPt_.y());
        c.LineTo(lastPt_.x(), lastPt_.y());
        c.MoveTo(firstPt_.x(), firstPt_.y());
        c.LineTo(p.x(), p.y());
        c.penMode = TPenMode::pmCopy;
    }
    lastPt_ = p;
}

void TMainPanel::FinishDrag(QPoint release, const TLocalGeometry& surface, const TDomainMap& map) {
    if (!drawOrthonLine_) return;
    TCanvas& c = Canvas();
    c.penColor = clGreen;
    c.penMode = TPenMode::pmXor;
    c.MoveTo(firstPt_.x(), firstPt_.y());
    c.LineTo(lastPt_.x(), lastPt_.y());
    c.penMode = TPenMode::pmCopy;
    c.MoveTo(firstPt_.x(), firstPt_.y());
    c.LineTo(lastPt_.x(), lastPt_.y());
    DrawOrthogonalVector(firstPt_, release, map.FromWindowToR2(firstPt_.x(), firstPt_.y()), surface, map);
    c.penMode = TPenMode::pmCopy;
    drawOrthonLine_ = false;
}

void TMainPanel::DrawOrthogonalVector(QPoint first, QPoint last, const Vector2& param,
                                      const TLocalGeometry& surface, const TDomainMap& map) {
    const auto [guu, guv, gvv] = surface.FirstFundamentalForm(param);
    const double a = std::sqrt(std::fabs(guu * gvv - guv * guv));
    if (!(a >= 1e-10)) return;
    // The first vector in parameter units, turned by a positive right angle in
    // the metric of the surface (same metric length).
    const double du = (last.x() - first.x()) / map.cX;
    const double dv = (first.y() - last.y()) / map.cY;
    const double wu = -(guv * du + gvv * dv) / a;
    const double wv = (guu * du + guv * dv) / a;
    TCanvas& c = Canvas();
    c.MoveTo(first.x(), first.y());
    c.LineTo(first.x() + RoundHalfEven(wu * map.cX), first.y() - RoundHalfEven(wv * map.cY));
}

void TMainPanel::ResetInteraction() {
    crossDrawn_ = false;
    drawOrthonLine_ = false;
}

}  // namespace velmora

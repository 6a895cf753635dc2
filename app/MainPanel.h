// The main panel: the 548 x 548 paint box that shows the domain U, the
// background picture `bm` under everything, the cross of line directions at
// the pointer (drawn by inverting pixels, so that drawing it twice removes it)
// and the rubber band of a Shift-drag. Repainting draws the layers from the
// session's stores.
#pragma once

#include "canvas/Canvas.h"
#include "canvas/PaintBox.h"
#include "geometry/DomainMap.h"
#include "geometry/LocalGeometry.h"

#include <QImage>
#include <QPoint>

#include <array>

class QWidget;

namespace velmora {

class TSurfaceSession;

// A segment of the direction cross, in panel pixels.
struct TCrossSegment {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class TMainPanel {
public:
    // Creates the paint box as a child of parent, and a white background.
    explicit TMainPanel(QWidget* parent);

    TPaintBox* MainBox() const { return box_; }
    TCanvas& Canvas() { return box_->Canvas(); }
    const TRect& rctMain() const { return rctMain_; }
    // The background picture, RGB32, the size of the panel at the box's
    // resolution (its device pixel ratio is the box's scale).
    QImage& bm() { return bm_; }
    const QImage& bm() const { return bm_; }

    // Fills the panel white (the stored drawings stay stored).
    void Fill();
    // OnPaint: the background, then the loci, then the coordinate lines and
    // curves and the special points, all from the session; the cross is gone
    // afterwards.
    void Repaint(const TSurfaceSession& session);
    void RedrawLoci(const TSurfaceSession& session);
    // The coordinate lines, the curves and the markers of the special points.
    void RedrawLines(const TSurfaceSession& session);
    // Half the side of a special point's marker, in pixels.
    static constexpr int kMarkerRadius = 4;
    // The two coordinate lines through param, across the panel, in light grey.
    void DrawCoordinateLines(const Vector2& param, const TDomainMap& map);

    // ---- the cross ----------------------------------------------------------------
    // The segments found at the pointer, in pixels (not drawn yet).
    void SetCross(const TDirectionCross& found, const TDomainMap& map);
    const std::array<TCrossSegment, 5>& cross() const { return cross_; }
    bool crossDrawn() const { return crossDrawn_; }
    // Toggles the cross: removes exactly what is on the panel (the segments
    // and colour it was drawn with), or draws the first curvesParts div 2
    // segments in the colour given.
    void DrawCross(TColor colour, int curvesParts);
    // The panel was repainted or cleared: no cross is on it.
    void ForgetCross() { crossDrawn_ = false; }

    // ---- Shift-drag: a vector and its orthogonal partner ------------------------
    QPoint firstPt() const { return firstPt_; }
    QPoint lastPt() const { return lastPt_; }
    bool drawOrthonLine() const { return drawOrthonLine_; }
    // A press at p; with Shift the rubber band starts there.
    void Press(QPoint p, bool shift);
    // A drag with the left button to p: the rubber band follows.
    void DragTo(QPoint p);
    // The release of a Shift-drag at `release`: the band becomes the first
    // vector, drawn for good, and the second one is drawn from the metric of
    // the surface at the press point.
    void FinishDrag(QPoint release, const TLocalGeometry& surface, const TDomainMap& map);
    // The second vector of the oriented basis at param: orthogonal to
    // first -> last and of the same length in the metric of the surface.
    void DrawOrthogonalVector(QPoint first, QPoint last, const Vector2& param, const TLocalGeometry& surface,
                              const TDomainMap& map);
    // A read starts afresh: no cross, no drag.
    void ResetInteraction();

private:
    TPaintBox* box_;
    TRect rctMain_{0, 0, kMainPanelSize, kMainPanelSize};
    QImage bm_;
    std::array<TCrossSegment, 5> cross_{};
    bool crossDrawn_ = false;
    // The cross as it is on the panel, so that removing it inverts exactly the
    // pixels that drawing it inverted.
    struct {
        TColor colour = 0;
        int count = 0;
        std::array<TCrossSegment, 5> segments{};
    } drawnCross_;
    QPoint firstPt_{200, 200}, lastPt_{200, 200};
    bool drawOrthonLine_ = false;
};

}  // namespace velmora

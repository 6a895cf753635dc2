// The pixels of the ellipse panel: the scale and place of the normal-plane
// figure (TEllipseFigure) in a panel of width x height pixels, and its pieces
// as pixel segments and polylines ready to draw. No Qt here: the panel draws
// what this lays out.
//
// A point x e1 + y e2 of the normal plane is at pixel (originX + sc x,
// originY + sc y): the second coordinate grows downwards on the screen. Pixel
// coordinates are rounded to the nearest integer, ties to even. The figure
// fills 90 % of the width: the circle and the origin centred, or the origin
// at the left margin when it lies outside the circle.
#pragma once

#include "geometry/LocalFrame.h"
#include "platform/VelmoraTypes.h"
#include "session/EllipseFigure.h"

#include <array>
#include <optional>
#include <vector>

namespace velmora {

struct TPixelSegment {
    Vector2Int a, b;
};
// A polyline: the pen moves to the first point and draws to each following one.
using TPixelPolyline = std::vector<Vector2Int>;

// The parameter interval [r0, r1] of the points (x0, y0) + r (dx, dy) of a line
// inside the integer rectangle [left, right) x [top, bottom); an empty result
// is (1, 0). A direction component of at most 1e-8 counts as zero.
void ClipLine(double x0, double y0, double dx, double dy, int left, int top, int right, int bottom, double& r0,
              double& r1);

// The projection of the ellipse on the line through the origin and a pointer.
struct TPixelProjection {
    double K = 0;   // Gauss curvature of the projected surface
    double Hm = 0;  // its mean curvature
    bool hasSegments = false;  // see TEllipseProjection
    std::array<TPixelSegment, 3> segments{};
};

class TEllipseLayout {
public:
    static constexpr int kPolygonSteps = 24;  // ellipse and circle

    // A panel of width x height pixels (the ellipse panel is 224 x 240).
    explicit TEllipseLayout(int width = 224, int height = 240) : W_(width), Hh_(height) {}

    // ComputeEllipse: the figure at the frame's point. Without a basis of the
    // normal plane sc := 0, the last figure stays, and the result is false.
    bool ComputeEllipse(const TLocalFrame& frame);
    // The layout of the panel: sc, the pixels of the centre and of the origin.
    // False (the panel stays blank) without a basis or for a figure of size
    // at most 1e-9.
    bool Layout();

    // ---- the pieces, valid after a successful Layout --------------------------
    TPixelSegment HSegment() const;          // from the centre to the origin
    TPixelPolyline EllipsePolygon() const;   // 25 points, t = k 2pi/24
    TPixelPolyline CirclePolygon() const;    // 25 points around the centre
    // Pieces of the focal conic at ellFactor times its size about the origin;
    // points far outside the panel are left out, lines clipped to it.
    std::vector<TPixelPolyline> FocalConic(double ellFactor) const;
    TPixelSegment ScaleBar() const;          // 100.8 pixels long, near the top
    double ScaleLength() const;              // the bar's length in the normal plane
    Vector2Int ScaleTextPos() const { return {117, 2}; }
    // The projection for the pointer pixel (X, Y); none when no figure is laid
    // out or the pointer is on the origin.
    std::optional<TPixelProjection> Projection(int X, int Y) const;
    Vector2Int ProjectionTextPos() const { return {11, 224}; }

    // ---- state ------------------------------------------------------------------
    bool HasBasis() const { return basis_; }
    const TEllipseFigure& Figure() const { return figure_; }
    double sc() const { return sc_; }
    double centerX() const { return centerX_; }
    double centerY() const { return centerY_; }
    double originX() const { return originX_; }
    double originY() const { return originY_; }
    double h0() const { return h0_; }
    double v0() const { return v0_; }
    int margin() const { return margin_; }
    // Forgets the figure (sc := 0): nothing is drawn until the next point.
    void Clear();

private:
    Vector2Int Pixel(const Vector2& q) const;  // normal-plane point -> pixel

    int W_, Hh_;
    bool basis_ = false;
    TEllipseFigure figure_;
    double sc_ = 0;
    double centerX_ = 0, centerY_ = 0, originX_ = 0, originY_ = 0, h0_ = 0, v0_ = 0;
    int margin_ = 0;
};

}  // namespace velmora

// The figure of the ellipse panel, as points and pixel coordinates: the
// normal plane of the surface at the point last evaluated, drawn in an
// orthonormal basis (e1, e2) with e1 along H (or B, or C when H vanishes);
// the mean curvature vector H, the curvature ellipse H + B cos t + C sin t, the
// circle through the corners of the rectangle around it, the focal conic (the
// inverse of the pedal curve of the ellipse about the origin), a scale bar,
// and, for a pointer on the panel, the projection of the ellipse onto the line
// through the origin and the pointer with the Gauss and mean curvature of the
// surface projected into the hyperplane spanned by the tangent plane and that
// normal direction.
//
// A point x e1 + y e2 of the normal plane is at pixel (originX + sc x,
// originY + sc y): the second coordinate grows downwards on the screen. Pixel
// coordinates are rounded to the nearest integer, ties to even.
#pragma once

#include "geometry/LocalFrame.h"
#include "platform/VelmoraTypes.h"

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
struct TEllipseProjection {
    double K = 0;   // Gauss curvature of the projected surface
    double Hm = 0;  // its mean curvature
    // The tangents to the ellipse perpendicular to the line, from the tangent
    // points to their feet on it, and the piece of the line that covers the
    // origin, the pointer and both feet. Absent when the ellipse is the point H.
    bool hasSegments = false;
    std::array<TPixelSegment, 3> segments{};
};

class TEllipseFigure {
public:
    static constexpr int kPolygonSteps = 24;  // ellipse and circle
    static constexpr int kConicSteps = 100;   // focal conic samples

    // A panel of width x height pixels (the ellipse panel is 224 x 240).
    explicit TEllipseFigure(int width = 224, int height = 240) : W_(width), Hh_(height) {}

    // ComputeEllipse: the basis and the components of H, B and C at the
    // frame's point. Without a basis (|H|, |B|, |C| all at most 1e-7)
    // sc := 0, nothing else changes, and the result is false.
    bool ComputeEllipse(const TLocalFrame& s);
    // The layout of the panel: sc, the pixels of the centre and of the origin.
    // False (the panel stays blank) without a basis or for a figure of size
    // at most 1e-9.
    bool Layout();

    // ---- the pieces, valid after a successful Layout --------------------------
    TPixelSegment HSegment() const;          // from the centre to the origin
    TPixelPolyline EllipsePolygon() const;   // 25 points, t = k 2pi/24
    TPixelPolyline CirclePolygon() const;    // 25 points around the centre
    // Pieces of the focal conic at ellFactor times its size about the origin;
    // a single point draws nothing.
    std::vector<TPixelPolyline> FocalConic(double ellFactor) const;
    TPixelSegment ScaleBar() const;          // 100.8 pixels long, near the top
    double ScaleLength() const;              // the bar's length in the normal plane
    Vector2Int ScaleTextPos() const { return {117, 2}; }
    // The projection for the pointer pixel (X, Y); none when no figure is laid
    // out or the pointer is on the origin.
    std::optional<TEllipseProjection> Projection(int X, int Y) const;
    Vector2Int ProjectionTextPos() const { return {11, 224}; }

    // ---- state ------------------------------------------------------------------
    bool HasBasis() const { return basis_; }
    const Vector4& e1() const { return e1_; }
    const Vector4& e2() const { return e2_; }
    double h() const { return h_; }
    double b1() const { return b1_; }
    double b2() const { return b2_; }
    double c1() const { return c1_; }
    double c2() const { return c2_; }
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
    Vector2Int Pixel(double x, double y) const;  // normal-plane point -> pixel

    int W_, Hh_;
    bool basis_ = false;
    Vector4 e1_{}, e2_{};
    double h_ = 0, b1_ = 0, b2_ = 0, c1_ = 0, c2_ = 0;
    // The quantities of the point the basis was built at.
    double nb_ = 0, nc_ = 0, bb_ = 0, cc_ = 0;
    Vector4 G11_{}, G12_{}, G22_{};
    double sc_ = 0;
    double centerX_ = 0, centerY_ = 0, originX_ = 0, originY_ = 0, h0_ = 0, v0_ = 0;
    int margin_ = 0;
};

}  // namespace velmora

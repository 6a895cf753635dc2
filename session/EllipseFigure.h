// The figure of the ellipse panel in the normal plane of the surface at a
// point, drawn in an orthonormal basis (e1, e2) with e1 along H (or B, or C
// when H vanishes): the mean curvature vector H, the curvature ellipse
// H + B cos t + C sin t, the circle through the corners of the rectangle
// around it, the focal conic (the inverse, in the unit circle about the
// origin, of the pedal curve of the ellipse) and, for a line through the
// origin, the projection of the ellipse onto it with the Gauss and mean
// curvature of the surface projected into the hyperplane spanned by the
// tangent plane and that normal direction.
//
// Everything here is in normal-plane coordinates (x, y) of x e1 + y e2; the
// panel chooses the scale and the pixels (app/EllipseLayout).
#pragma once

#include "geometry/LocalFrame.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace velmora {

// A sample of the focal conic: the foot Q of the perpendicular from the
// origin to a tangent line of the ellipse and g = |Q|^2; the conic's point is
// the inverse Q/g. The side of the tangent on which the origin lies changes
// where the conic passes through infinity (between the branches of a hyperbola).
struct TConicSample {
    Vector2 Q{};
    double g = 0;
    bool finite = false;  // g > 1e-8: the inverse is not at infinity
    bool side = false;
};

// The polar {X : X.P = 1} of a point P in the unit circle: the line through
// P/f, f = |P|^2, in the direction (-P.y, P.x).
struct TPolarLine {
    Vector2 P{};
    double f = 0;
};

struct TFocalConic {
    // The ellipse is a segment: the conic degenerates to the polars of its
    // ends (none of an end at the origin or after it; none for a point).
    bool degenerate = false;
    std::vector<TPolarLine> polars;
    // Otherwise samples at t = i 2pi/kConicSteps, i = 0 .. kConicSteps.
    std::vector<TConicSample> samples;
};

// The projection of the ellipse on a line through the origin.
struct TEllipseProjection {
    double K = 0;   // Gauss curvature of the projected surface
    double Hm = 0;  // its mean curvature
    // The tangents to the ellipse perpendicular to the line, from the tangent
    // points to their feet on it, and the piece of the line that covers the
    // origin, the pointer and both feet. Absent when the ellipse projects to
    // a point.
    bool hasSegments = false;
    std::array<std::pair<Vector2, Vector2>, 3> segments{};
};

class TEllipseFigure {
public:
    static constexpr int kConicSteps = 100;

    TEllipseFigure() = default;
    // The basis and the components of H, B and C at the frame's point; none
    // without a basis (|H|, |B|, |C| all at most 1e-7: the ellipse is a point
    // at the origin).
    static std::optional<TEllipseFigure> FromFrame(const TLocalFrame& frame);

    const Vector4& e1() const { return e1_; }
    const Vector4& e2() const { return e2_; }
    double h() const { return h_; }  // H = (h, 0)
    double b1() const { return b1_; }
    double b2() const { return b2_; }
    double c1() const { return c1_; }
    double c2() const { return c2_; }

    // The radius of the circle about H through the corners of the rectangle
    // around the ellipse (the square root of the sum of the squared half axes).
    double CircleRadius() const;
    // The length of the smallest interval of the e1 axis that holds the circle
    // and the origin.
    double Extent() const;
    // The origin lies outside the circle.
    bool OriginOutsideCircle() const { return h_ > CircleRadius(); }
    // The ellipse point at angle t minus H.
    Vector2 EllipseOffset(double t) const;
    TFocalConic FocalConic() const;
    // The projection on the line through the origin and the normal-plane
    // point (a, b); none when that point is at the origin or very near it
    // (|(a, b)|^2 <= 1e-7).
    std::optional<TEllipseProjection> Projection(double a, double b) const;

private:
    Vector4 e1_{}, e2_{};
    double h_ = 0, b1_ = 0, b2_ = 0, c1_ = 0, c2_ = 0;
    // The quantities of the point the basis was built at.
    double nb_ = 0, nc_ = 0, bb_ = 0, cc_ = 0;
    Vector4 G11_{}, G12_{}, G22_{};
};

}  // namespace velmora

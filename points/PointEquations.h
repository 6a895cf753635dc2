// The two scalar equations whose common zeros are the points of each kind,
// written from the products of the local geometry (a TLocalFrame), with the
// scale against which a value counts as zero:
//   axiumbilic          bb - cc = 0, 2 bc = 0          (B and C orthogonal, of equal length)
//   inflection          jhb = 0, jhc = 0, H != 0        (B and C parallel to H)
//   minimal             H.n1 = 0, H.n2 = 0              (n1, n2 an orthonormal frame of the normal plane)
//   principal-singular  hb = 0, hc = 0, H != 0          (H normal to B and C)
// H = 0 is one vector equation in the normal plane; its two components are
// taken in the frame (n1, n2) where n1 is the normal part of one coordinate
// axis e_a of R^4, normalised, and n2 completes (t, Jt, n1) to an oriented
// orthonormal frame (n2 . Y = Det(Y, t, Jt, n1)). As H is normal,
// H.n1 = H_a / |n1| and H.n2 = Det(H, t, Jt, e_a) / |n1|, the a-th component
// of -CrossProductR4(H, t, Jt) over |n1|: one product gives the frames of all
// four axes. Such a frame is smooth wherever its axis has a normal part, and
// one of the four axes always has a normal part of length at least 1/sqrt(2).
#pragma once

#include "geometry/LocalFrame.h"
#include "platform/VelmoraTypes.h"
#include "points/SpecialPoint.h"

#include <array>
#include <optional>

namespace velmora {

struct TEquationPair {
    double f1 = 0, f2 = 0;
};

// A value below this share of its scale is zero up to rounding.
inline constexpr double kRoundingZero = 1e-9;

// The components of H in the normal frame of each coordinate axis; none for
// an axis that is almost tangent (its normal part shorter than 0.1).
std::array<std::optional<TEquationPair>, 4> MinimalEquationsByAxis(const TLocalFrame& f);
// The axis with the longest normal part.
int BestNormalAxis(const TLocalFrame& f);

// The equations of `kind` at the frame's point; `axis` chooses the normal
// frame of the minimal points (ignored for the other kinds). False where the
// frame of a minimal point cannot be made with that axis, and for the
// degenerate kind (which has no frame).
bool KindEquations(const TLocalFrame& f, TSpecialKind kind, int axis, TEquationPair& out);

// The size of the curvature that the second derivatives could give at the
// point: (|f_uu|^2 + 2 |f_uv|^2 + |f_vv|^2) / (guu + gvv)^2. H, B and C are
// normal parts of these derivatives (scaled by the metric), so their rounding
// errors are measured against it.
double CurvatureScale(const TLocalFrame& f);
// The scale of the equations of a kind at f: the curvature scale for the
// products (curvature squared), its square root for the components of H.
double EquationScale(const TLocalFrame& f, TSpecialKind kind);
// Both equations vanish within `share` of their scale.
bool PairVanishes(const TEquationPair& e, double scale, double share = kRoundingZero);

// H is not zero, where the kind needs it (inflection and principal-singular
// points): |H|^2 above 1e-12 of the curvature scale. Always true for the other kinds.
bool KindConditionHolds(const TLocalFrame& f, TSpecialKind kind);

// At an inflection point H, B and C lie on one line and the ellipse is the
// segment H +- sqrt(|B|^2 + |C|^2) along it: the origin is inside it when
// |H|^2 < |B|^2 + |C|^2.
TOriginSide InflectionOriginSide(const TLocalFrame& f);

}  // namespace velmora

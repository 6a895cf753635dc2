// The scalar invariants of the curvature ellipse H + B cos t + C sin t at a
// point: half axes, |H|, the position of the origin relative to the ellipse
// (depth), the angle between H and the major axis, the Gauss curvature and the
// discriminants of the direction polynomials.
#include "geometry/LocalGeometry.h"
#include "geometry/ScalarInvariants.h"

#include <cmath>

namespace velmora {

namespace {

bool AllFinite(const TInvariants& v) {
    return std::isfinite(v.halfMajorAxis) && std::isfinite(v.halfMinorAxis) && std::isfinite(v.longH) &&
           std::isfinite(v.depth) && std::isfinite(v.alpha) && std::isfinite(v.KGauss) &&
           std::isfinite(v.discrNormDev) && std::isfinite(v.discrLatDev) && std::isfinite(v.discrStrPpal);
}

// |sin| of the angle between H and the major axis; undefined for a circle or a
// vanishing H or axis.
double AbsSineHMajorAxis(const TLocalFrame& f) {
    const double a = SignedSineHMajorAxis(f);
    return a == UndefinedValue ? UndefinedValue : std::fabs(a);
}

void SetDiscriminants(const TDiscriminants& d, TInvariants& out) {
    out.discrNormDev = d.normDev;
    out.discrLatDev = d.latDev;
    out.discrStrPpal = d.strPpal;
}

}  // namespace

TDiscriminants TLocalGeometry::Discriminants(const TLocalFrame& frame) const {
    return {OrUndefined(InvariantFromProducts(*this, frame, TInvariantKind::DiscrNormalDeviation)),
            OrUndefined(InvariantFromProducts(*this, frame, TInvariantKind::DiscrLateralDeviation)),
            OrUndefined(InvariantFromProducts(*this, frame, TInvariantKind::DiscrStrongPrincipal))};
}

bool InvariantsOfFrame(const TLocalFrame& f, const TDiscriminants& discriminants, TInvariants& out) {
    const double bb = f.bb, cc = f.cc, bc = f.bc, hb = f.hb, hc = f.hc, hh = f.hh;
    SetDiscriminants(discriminants, out);
    out.KGauss = hh - cc - bb;
    out.longH = f.nh;
    // d = difference of the squared half axes.
    const double d = Hypot(bb - cc, 2 * bc);
    out.halfMajorAxis = std::sqrt(std::fabs((bb + cc + d) / 2));
    out.halfMinorAxis = std::sqrt(std::fabs((bb + cc - d) / 2));
    if (hh * 1e-5 > bb + cc || d + bb + cc == 0) {
        // The ellipse is tiny compared with H, or it is the single point H (B = C
        // = 0, where the confocal formula below would be 0/0): the origin lies
        // at distance |H| outside it.
        out.depth = 0.0 - f.nh;  // (+0 rather than -0 for a flat point)
    } else {
        // A = half major axis of the ellipse confocal with the curvature ellipse
        // through the origin; depth > 0 when the origin lies inside.
        const double X =
            4 * (d * (hb * hb + hc * hc) + (hb * hb - hc * hc) * (bb - cc) + 4 * hb * hc * bc) / (d + bb + cc);
        const double q = hh + d;
        const double A = std::sqrt((q + std::sqrt(std::fabs(q * q - X))) * 0.5);
        out.depth = out.halfMajorAxis - A;
    }
    out.alpha = d < 1e-8 ? UndefinedValue : AbsSineHMajorAxis(f);
    return AllFinite(out);
}

bool CrossValuesOfFrame(const TLocalFrame& f, const TDiscriminants& discriminants, TInvariants& out) {
    const double bb = f.bb, cc = f.cc, bc = f.bc, hb = f.hb, hc = f.hc, hh = f.hh;
    SetDiscriminants(discriminants, out);
    out.KGauss = hh - bb - cc;
    // The same sign and zero set as the depth of ComputeInvariants: one minus
    // the radius of the origin in the affine coordinates of the ellipse
    // (-H = alpha B + beta C, radius sqrt(alpha^2 + beta^2)).
    const double D2 = bb * cc - bc * bc;
    out.depth = std::fabs(D2) < 1e-12 ? -1.0 : 1 - Hypot(hb * cc - hc * bc, hc * bb - hb * bc) / D2;
    out.longH = std::sqrt(std::fabs(hh));
    const double d = std::sqrt((bb - cc) * (bb - cc) + (2 * bc) * (2 * bc));
    out.halfMajorAxis = std::sqrt(std::fabs((bb + cc + d) / 2));
    out.halfMinorAxis = std::sqrt(std::fabs((bb + cc - d) / 2));
    out.alpha = d <= 1e-8 ? UndefinedValue : AbsSineHMajorAxis(f);
    return AllFinite(out);
}

bool TLocalGeometry::ComputeInvariants(const Vector2& par, TInvariants& out) const {
    const std::optional<TLocalFrame> frame = Frame(par);
    if (!frame) return false;
    return InvariantsOfFrame(*frame, Discriminants(*frame), out);
}

bool TLocalGeometry::ComputeCross(const Vector2& par, TLineClass cClass, double span2D, TInvariants& out,
                                  TDirectionCross& cross) const {
    cross = TDirectionCross{};
    if (cClass == TLineClass::CoordinateLines) cross.curvesParts = 0;
    const std::optional<TLocalFrame> frame = Frame(par);
    if (!frame) return false;
    if (!CrossValuesOfFrame(*frame, Discriminants(*frame), out)) return false;
    return CrossSegments(*frame, cClass, span2D, cross);
}

// ---- scalar functions of a point ----------------------------------------------------

double TLocalGeometry::DepthOfOrigin(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::OriginDepth, p);
}

double TLocalGeometry::AngleHEllipse(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::AngleHMajorAxis, p);
}

double TLocalGeometry::EllipseArea(const Vector2& p) const {
    const std::optional<TLocalFrame> f = Frame(p);
    if (!f) return UndefinedValue;
    return OrUndefined(std::sqrt(std::fabs(f->bb * f->cc - f->bc * f->bc)));
}

double TLocalGeometry::GaussCurvature(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::GaussCurvature, p);
}

double TLocalGeometry::JHdotB(const Vector2& p) const {
    const std::optional<TLocalFrame> f = Frame(p);
    if (!f) return UndefinedValue;
    return OrUndefined(f->jhb);
}

double TLocalGeometry::JBdotC(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::OrientedAreaBC, p);
}

double TLocalGeometry::DiscriminantExtremalNormDevDirs(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::DiscrNormalDeviation, p);
}

double TLocalGeometry::DiscriminantExtremalLatDevDirs(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::DiscrLateralDeviation, p);
}

double TLocalGeometry::DiscriminantStrongPrincipalLines(const Vector2& p) const {
    return LocusValue(*this, TInvariantKind::DiscrStrongPrincipal, p);
}

}  // namespace velmora

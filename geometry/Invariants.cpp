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
double AbsSineHMajorAxis(TLocalGeometry& s, const Vector2& p) {
    const double a = InvariantFromProducts(s, TInvariantKind::AngleHMajorAxis, p);
    return a == UndefinedValue ? UndefinedValue : std::fabs(a);
}

}  // namespace

void TLocalGeometry::DiscriminantsAtCurrentPoint(const Vector2& par, TInvariants& out) {
    out.discrNormDev = OrUndefined(InvariantFromProducts(*this, TInvariantKind::DiscrNormalDeviation, par));
    out.discrLatDev = OrUndefined(InvariantFromProducts(*this, TInvariantKind::DiscrLateralDeviation, par));
    out.discrStrPpal = OrUndefined(InvariantFromProducts(*this, TInvariantKind::DiscrStrongPrincipal, par));
}

bool TLocalGeometry::ComputeInvariants(const Vector2& par, TInvariants& out) {
    if (!ComputeHBCandProducts(par)) return false;
    DiscriminantsAtCurrentPoint(par, out);
    out.KGauss = InvariantFromProducts(*this, TInvariantKind::GaussCurvature, par);
    out.longH = nh;
    // d = difference of the squared half axes.
    const double d = Hypot(bb - cc, 2 * bc);
    out.halfMajorAxis = std::sqrt(std::fabs((bb + cc + d) / 2));
    out.halfMinorAxis = std::sqrt(std::fabs((bb + cc - d) / 2));
    if (hh * 1e-5 > bb + cc || d + bb + cc == 0) {
        // The ellipse is tiny compared with H, or it is the single point H (B = C
        // = 0, where the confocal formula below would be 0/0): the origin lies
        // at distance |H| outside it.
        out.depth = 0.0 - nh;  // (+0 rather than -0 for a flat point)
    } else {
        // A = half major axis of the ellipse confocal with the curvature ellipse
        // through the origin; depth > 0 when the origin lies inside.
        const double X =
            4 * (d * (hb * hb + hc * hc) + (hb * hb - hc * hc) * (bb - cc) + 4 * hb * hc * bc) / (d + bb + cc);
        const double q = hh + d;
        const double A = std::sqrt((q + std::sqrt(std::fabs(q * q - X))) * 0.5);
        out.depth = out.halfMajorAxis - A;
    }
    out.alpha = d < 1e-8 ? UndefinedValue : AbsSineHMajorAxis(*this, par);
    return AllFinite(out);
}

bool TLocalGeometry::ComputeCross(const Vector2& par, TLineClass cClass, double span2D, TInvariants& out,
                                        TDirectionCross& cross) {
    cross = TDirectionCross{};
    if (cClass == TLineClass::CoordinateLines) cross.curvesParts = 0;
    if (!ComputeHBCandProducts(par)) return false;
    DiscriminantsAtCurrentPoint(par, out);
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
    out.alpha = d <= 1e-8 ? UndefinedValue : AbsSineHMajorAxis(*this, par);
    if (!AllFinite(out)) return false;
    return CrossSegments(par, cClass, span2D, cross);
}

// ---- scalar functions of a point ----------------------------------------------------

double TLocalGeometry::DepthOfOrigin(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::OriginDepth, p);
}

double TLocalGeometry::AngleHEllipse(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::AngleHMajorAxis, p);
}

double TLocalGeometry::EllipseArea(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(std::sqrt(std::fabs(bb * cc - bc * bc)));
}

double TLocalGeometry::GaussCurvature(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::GaussCurvature, p);
}

double TLocalGeometry::JHdotB(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(jhb);
}

double TLocalGeometry::JBdotC(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::OrientedAreaBC, p);
}

double TLocalGeometry::DiscriminantExtremalNormDevDirs(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::DiscrNormalDeviation, p);
}

double TLocalGeometry::DiscriminantExtremalLatDevDirs(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::DiscrLateralDeviation, p);
}

double TLocalGeometry::DiscriminantStrongPrincipalLines(const Vector2& p) {
    return LocusValue(*this, TInvariantKind::DiscrStrongPrincipal, p);
}

}  // namespace velmora

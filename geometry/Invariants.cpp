// The scalar invariants of the curvature ellipse H + B cos t + C sin t at a
// point: half axes, |H|, the position of the origin relative to the ellipse
// (depth), the angle between H and the major axis, the Gauss curvature and the
// discriminants of the direction polynomials.
#include "curves/HigherDegreeLines.h"
#include "geometry/FParametrizationR2R4.h"

#include <cmath>

namespace velmora {

namespace {

// A quantity that the arithmetic left without a value is undefined.
double OrUndefined(double value) { return std::isfinite(value) ? value : UndefinedValue; }

bool AllFinite(const TInvariants& v) {
    return std::isfinite(v.halfMajorAxis) && std::isfinite(v.halfMinorAxis) && std::isfinite(v.longH) &&
           std::isfinite(v.depth) && std::isfinite(v.alpha) && std::isfinite(v.KGauss) &&
           std::isfinite(v.discrNormDev) && std::isfinite(v.discrLatDev) && std::isfinite(v.discrStrPpal);
}

// |sin| of the angle between H and the major axis, signed by the orientation
// of the normal plane; undefined for a circle or a vanishing H or axis.
double SignedAngleHMajorAxis(const TParametrizationR2R4& s) {
    const double tau = SafeArcTan2(2 * s.bc, s.bb - s.cc) / 2;
    const double ct = std::cos(tau), st = std::sin(tau);
    Vector4 V;
    for (int i = 0; i < 4; ++i) V[i] = ct * s.vB[i] + st * s.vC[i];
    const double D = Determinant4(V, s.t, s.Jt, s.vH);
    const double m = std::sqrt(NormSquared4(V)) * s.nh;
    return m > 1e-12 ? D / m : UndefinedValue;
}

}  // namespace

void TParametrizationR2R4::DiscriminantsAtCurrentPoint(const Vector2& par, TInvariants& out) {
    const Polynomial5 n = NormalDeviationQuartic(*this);
    out.discrNormDev = OrUndefined(QuarticDiscriminant(n.c[1], n.c[2], n.c[3], n.c[4], n.c[5]));
    const Polynomial5 l = LateralDeviationQuartic(*this);
    out.discrLatDev = OrUndefined(QuarticDiscriminant(l.c[1], l.c[2], l.c[3], l.c[4], l.c[5]));
    // The first and second derivatives of par are in place; add the third ones.
    Polynomial5 q;
    if (ThirdDerivativesFR2R4(par[0], par[1]) && StrongPrincipalQuinticFromDerivatives(*this, q))
        out.discrStrPpal = OrUndefined(QuinticDiscriminant(q.c[1], q.c[2], q.c[3], q.c[4], q.c[5], q.c[6]));
    else
        out.discrStrPpal = UndefinedValue;
}

bool TParametrizationR2R4::ComputeInvariants(const Vector2& par, TInvariants& out) {
    if (!ComputeHBCandProducts(par)) return false;
    DiscriminantsAtCurrentPoint(par, out);
    out.KGauss = hh - cc - bb;
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
    if (d < 1e-8) {
        out.alpha = UndefinedValue;
    } else {
        const double a = SignedAngleHMajorAxis(*this);
        out.alpha = a == UndefinedValue ? UndefinedValue : std::fabs(a);
    }
    return AllFinite(out);
}

bool TParametrizationR2R4::ComputeCross(const Vector2& par, int cClass, double span2D, TInvariants& out,
                                        TDirectionCross& cross) {
    cross = TDirectionCross{};
    if (cClass == 0) cross.curvesParts = 0;
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
    if (d <= 1e-8) {
        out.alpha = UndefinedValue;
    } else {
        const double a = SignedAngleHMajorAxis(*this);
        out.alpha = a == UndefinedValue ? UndefinedValue : std::fabs(a);
    }
    if (!AllFinite(out)) return false;
    return CrossSegments(par, cClass, span2D, cross);
}

// ---- scalar functions of a point ----------------------------------------------------

double TParametrizationR2R4::DepthOfOrigin(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(bb * cc - bc * bc - Hypot(hb * cc - hc * bc, hc * bb - hb * bc));
}

double TParametrizationR2R4::AngleHEllipse(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    if (Hypot(bb - cc, 2 * bc) < 1e-8) return UndefinedValue;
    return OrUndefined(SignedAngleHMajorAxis(*this));
}

double TParametrizationR2R4::EllipseArea(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(std::sqrt(std::fabs(bb * cc - bc * bc)));
}

double TParametrizationR2R4::GaussCurvature(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(hh - cc - bb);
}

double TParametrizationR2R4::JHdotB(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(jhb);
}

double TParametrizationR2R4::JBdotC(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    return OrUndefined(jbc);
}

double TParametrizationR2R4::DiscriminantExtremalNormDevDirs(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    const Polynomial5 n = NormalDeviationQuartic(*this);
    return OrUndefined(QuarticDiscriminant(n.c[1], n.c[2], n.c[3], n.c[4], n.c[5]));
}

double TParametrizationR2R4::DiscriminantExtremalLatDevDirs(const Vector2& p) {
    if (!ComputeHBCandProducts(p)) return UndefinedValue;
    const Polynomial5 l = LateralDeviationQuartic(*this);
    return OrUndefined(QuarticDiscriminant(l.c[1], l.c[2], l.c[3], l.c[4], l.c[5]));
}

double TParametrizationR2R4::DiscriminantStrongPrincipalLines(const Vector2& p) {
    Polynomial5 q;
    if (!StrongPrincipalQuintic(*this, p, q)) return UndefinedValue;
    return OrUndefined(QuinticDiscriminant(q.c[1], q.c[2], q.c[3], q.c[4], q.c[5], q.c[6]));
}

}  // namespace velmora

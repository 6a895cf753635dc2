#include "geometry/ScalarInvariants.h"

#include "geometry/DirectionPolynomials.h"
#include "geometry/VectorMath.h"

#include <cmath>

namespace velmora {

namespace {

constexpr std::array<TScalarInvariant, kInvariantKinds> kInvariants = {{
    {TInvariantKind::OriginDepth, "parabolic", "depth of the origin in the curvature ellipse", false},
    {TInvariantKind::OrientedAreaBC, "semiumbilical", "oriented area of B and C", false},
    {TInvariantKind::AngleHMajorAxis, "h-major-axis", "sine of the angle between H and the major axis", true},
    {TInvariantKind::GaussCurvature, "gauss", "Gauss curvature", false},
    {TInvariantKind::DiscrNormalDeviation, "normal-deviation",
     "discriminant of the extremal normal deviation directions", false},
    {TInvariantKind::DiscrLateralDeviation, "lateral-deviation",
     "discriminant of the extremal lateral deviation directions", false},
    {TInvariantKind::DiscrStrongPrincipal, "strong-principal", "discriminant of the strong principal directions",
     false},
}};

}  // namespace

const std::array<TScalarInvariant, kInvariantKinds>& ScalarInvariants() { return kInvariants; }

const TScalarInvariant& ScalarInvariant(TInvariantKind kind) { return kInvariants[static_cast<int>(kind)]; }

std::optional<TInvariantKind> InvariantKindFromName(std::string_view name) {
    for (const TScalarInvariant& entry : kInvariants) {
        const int k = static_cast<int>(entry.kind);
        if (name == entry.name || (name.size() == 1 && name[0] == '0' + k)) return entry.kind;
    }
    return std::nullopt;
}

double SignedSineHMajorAxis(const TLocalFrame& s) {
    // V = cos(tau) B + sin(tau) C is the major-axis vector; the sign is that of
    // Det(V, t, Jt, H).
    if (Hypot(s.bb - s.cc, 2 * s.bc) < 1e-8) return UndefinedValue;
    const double tau = SafeArcTan2(2 * s.bc, s.bb - s.cc) / 2;
    const double ct = std::cos(tau), st = std::sin(tau);
    Vector4 V;
    for (int i = 0; i < 4; ++i) V[i] = ct * s.vB[i] + st * s.vC[i];
    const double D = Determinant4(V, s.t, s.Jt, s.vH);
    const double m = std::sqrt(NormSquared4(V)) * s.nh;
    return m > 1e-12 ? D / m : UndefinedValue;
}

double InvariantFromProducts(const TLocalGeometry& surface, const TLocalFrame& s, TInvariantKind kind) {
    switch (kind) {
        case TInvariantKind::OriginDepth:
            return s.bb * s.cc - s.bc * s.bc - Hypot(s.hb * s.cc - s.hc * s.bc, s.hc * s.bb - s.hb * s.bc);
        case TInvariantKind::OrientedAreaBC: return s.jbc;
        case TInvariantKind::AngleHMajorAxis: return SignedSineHMajorAxis(s);
        case TInvariantKind::GaussCurvature: return s.hh - s.cc - s.bb;
        case TInvariantKind::DiscrNormalDeviation: {
            const Polynomial5 n = NormalDeviationQuartic(s);
            return QuarticDiscriminant(n.c[1], n.c[2], n.c[3], n.c[4], n.c[5]);
        }
        case TInvariantKind::DiscrLateralDeviation: {
            const Polynomial5 l = LateralDeviationQuartic(s);
            return QuarticDiscriminant(l.c[1], l.c[2], l.c[3], l.c[4], l.c[5]);
        }
        case TInvariantKind::DiscrStrongPrincipal: {
            // The frame holds the first and second derivatives of its point.
            const std::optional<TThirdDerivatives> third = surface.ThirdDerivatives(s.p);
            Polynomial5 q;
            if (!third || !StrongPrincipalQuinticFromDerivatives(s, *third, q)) return UndefinedValue;
            return QuinticDiscriminant(q.c[1], q.c[2], q.c[3], q.c[4], q.c[5], q.c[6]);
        }
    }
    return UndefinedValue;
}

double LocusValue(const TLocalGeometry& surface, TInvariantKind kind, const Vector2& p) {
    if (kind == TInvariantKind::DiscrStrongPrincipal) {
        // The quintic needs only the derivatives and the metric, not the frame.
        Polynomial5 q;
        if (!StrongPrincipalQuintic(surface, p, q)) return UndefinedValue;
        return OrUndefined(QuinticDiscriminant(q.c[1], q.c[2], q.c[3], q.c[4], q.c[5], q.c[6]));
    }
    const std::optional<TLocalFrame> frame = surface.Frame(p);
    if (!frame) return UndefinedValue;
    return OrUndefined(InvariantFromProducts(surface, *frame, kind));
}

double BackgroundValue(const TLocalGeometry& surface, TBackgroundType type, const Vector2& p) {
    const std::optional<TLocalFrame> frame = surface.Frame(p);
    if (!frame) return UndefinedValue;
    const double value = InvariantFromProducts(surface, *frame, type);
    if (value == UndefinedValue || !ScalarInvariant(type).backgroundMagnitude) return value;
    return std::fabs(value);
}

}  // namespace velmora

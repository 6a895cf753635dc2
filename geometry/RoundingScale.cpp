#include "geometry/RoundingScale.h"

#include "geometry/VectorMath.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora {

namespace {

// The largest coefficient of a polynomial, in absolute value.
double LargestCoefficient(const Polynomial5& p) {
    double largest = 0;
    for (int i = 1; i <= p.degree + 1; ++i) largest = std::max(largest, std::fabs(p.c[i]));
    return largest;
}

// The discriminant of p against the size of its terms: it is a homogeneous
// polynomial of degree 2n - 2 in the coefficients, so it is taken of the
// coefficients divided by the largest one (which also keeps it within the
// range of doubles however large the surface). Where the coefficients
// themselves are within rounding of the terms they come from
// (coefficientScale), every direction is a root and the discriminant vanishes
// with them.
TScaledValue ScaledDiscriminant(const Polynomial5& p, double coefficientScale) {
    const double largest = LargestCoefficient(p);
    if (WithinRounding({largest, coefficientScale})) return {0, 1};
    if (!(largest > 0) || !std::isfinite(largest)) return {};
    std::array<double, 7> c{};
    for (int i = 1; i <= p.degree + 1; ++i) c[i] = p.c[i] / largest;
    const double d = p.degree == 4 ? QuarticDiscriminant(c[1], c[2], c[3], c[4], c[5])
                                   : QuinticDiscriminant(c[1], c[2], c[3], c[4], c[5], c[6]);
    return {OrUndefined(d), 1};
}

double Norm(const Vector4& a) { return std::sqrt(NormSquared4(a)); }

}  // namespace

bool TScaledValue::Defined() const { return value != UndefinedValue && std::isfinite(value) && std::isfinite(scale); }

bool WithinRounding(const TScaledValue& v) { return v.Defined() && std::fabs(v.value) <= kRoundingShare * v.scale; }

double StrongPrincipalTermScale(const TSurfaceDerivatives& s, const TThirdDerivatives& third) {
    // The coefficients are sums of determinants of four of the vectors below,
    // each at most the product of their lengths: brackets of a third
    // derivative with a second derivative weighted by the metric, and products
    // of Christoffel terms with brackets of two second derivatives.
    const double n1 = std::max(Norm(s.xu), Norm(s.xv));
    const double n2 = std::max({Norm(s.xuu), Norm(s.xuv), Norm(s.xvv)});
    const double n3 = std::max({Norm(third.xuuu), Norm(third.xuuv), Norm(third.xuvv), Norm(third.xvvv)});
    return std::pow(n1, 6) * n2 * n3 + std::pow(n1, 13) * n2 * n2 * n2;
}

TScaledValue ScaledInvariant(const TLocalGeometry& surface, const TLocalFrame& f, TInvariantKind kind) {
    // H, B and C together: the size of the normal vectors every product is made of.
    const double r2 = f.hh + f.bb + f.cc;
    const bool discriminant = kind == TInvariantKind::DiscrNormalDeviation ||
                              kind == TInvariantKind::DiscrLateralDeviation ||
                              kind == TInvariantKind::DiscrStrongPrincipal;
    const double value = discriminant ? 0 : OrUndefined(InvariantFromProducts(surface, f, kind));
    switch (kind) {
        case TInvariantKind::OriginDepth: return {value, r2 * r2};
        case TInvariantKind::OrientedAreaBC:
        case TInvariantKind::GaussCurvature: return {value, r2};
        case TInvariantKind::AngleHMajorAxis: return {value, 1};
        case TInvariantKind::DiscrNormalDeviation: return ScaledDiscriminant(NormalDeviationQuartic(f), r2);
        case TInvariantKind::DiscrLateralDeviation: return ScaledDiscriminant(LateralDeviationQuartic(f), r2);
        case TInvariantKind::DiscrStrongPrincipal: {
            const std::optional<TThirdDerivatives> third = surface.ThirdDerivatives(f.p);
            Polynomial5 q;
            if (!third || !StrongPrincipalQuinticFromDerivatives(f, *third, q)) return {};
            return ScaledDiscriminant(q, StrongPrincipalTermScale(f, *third));
        }
    }
    return {};
}

TScaledValue DirectionForm(const TLocalGeometry& surface, const TLocalFrame& f, TLineClass lineClass) {
    const double r2 = f.hh + f.bb + f.cc;
    switch (lineClass) {
        case TLineClass::Curvature: return {Hypot(f.bb - f.cc, 2 * f.bc), r2};  // zero on a circle
        case TLineClass::Asymptotic:
        case TLineClass::MeanCurvature: return {Hypot(f.jhb, f.jhc), r2};
        case TLineClass::Principal: return {Hypot(f.hb, f.hc), r2};
        case TLineClass::ExtremalNormalDeviation: return {LargestCoefficient(NormalDeviationQuartic(f)), r2};
        case TLineClass::ExtremalLateralDeviation: return {LargestCoefficient(LateralDeviationQuartic(f)), r2};
        case TLineClass::StrongPrincipal: {
            const std::optional<TThirdDerivatives> third = surface.ThirdDerivatives(f.p);
            Polynomial5 q;
            if (!third || !StrongPrincipalQuinticFromDerivatives(f, *third, q)) return {};
            return {LargestCoefficient(q), StrongPrincipalTermScale(f, *third)};
        }
        case TLineClass::CoordinateLines: break;
    }
    return {1, 1};  // the coordinate lines always have their two directions
}

}  // namespace velmora

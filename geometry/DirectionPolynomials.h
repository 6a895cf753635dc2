// The direction polynomials of the higher-degree line families (extremal
// normal deviation, extremal lateral deviation, strong principal lines): the
// quartics N and L and the quintic Q built at a point, their discriminants,
// and the polynomial operations of the root finder (Horner evaluation, long
// division for Sturm sequences, the angular form used by Newton's method).
#pragma once

#include "geometry/LocalGeometry.h"
#include "geometry/LineClass.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>

namespace velmora {

// c[1] is the leading coefficient, c[degree + 1] the constant term; c[0] unused.
struct Polynomial5 {
    int32_t degree = 0;
    std::array<double, 7> c{};
};

struct DirectionEntry {
    double x = 0, y = 0, value = 0;
};

// Entries 1..count are used; entries[0] is unused.
struct DirectionList {
    int32_t count = 0;
    std::array<DirectionEntry, 6> entries{};
};

// The strong principal quintic Q at p (degree 5, c[1..6] = q5..q0) from the
// first, second and third derivatives; false when the metric degenerates.
bool StrongPrincipalQuintic(const TLocalGeometry& surface, const Vector2& p, Polynomial5& q);
// The same quintic from the derivatives of one point; false when the metric
// degenerates.
bool StrongPrincipalQuinticFromDerivatives(const TSurfaceDerivatives& derivatives, const TThirdDerivatives& third,
                                           Polynomial5& q);

// The quartics in x = tan(theta) whose roots are the directions of extremal
// normal deviation (N) and extremal lateral deviation (L), from the products
// of a frame.
Polynomial5 NormalDeviationQuartic(const TLocalFrame& frame);
Polynomial5 LateralDeviationQuartic(const TLocalFrame& frame);

// Discriminants a^(2n-2) prod (ri - rj)^2 as expanded integer polynomials.
double QuarticDiscriminant(double a, double b, double c, double d, double e);
double QuinticDiscriminant(double a, double b, double c, double d, double e, double f);

// ---- polynomial operations on Polynomial5 records ----------------------------
// Horner's rule from c[1]; the zero polynomial (degree -1) is 0 everywhere.
double EvaluatePolynomial(const Polynomial5& p, double x);
// Drops leading coefficients with |c| <= eps (down to degree -1, the zero
// polynomial); returns how many were dropped.
int StripPolynomial(Polynomial5& p, double eps);
// -P'.
Polynomial5 NegatedDerivative(const Polynomial5& p);
// -(A mod B) by long division, stripping with eps after every step.
Polynomial5 NegatedRemainder(const Polynomial5& a, const Polynomial5& b, double eps);
// The quotient of the same long division (zero coefficients where stripping
// skipped powers).
Polynomial5 PolynomialQuotient(const Polynomial5& a, const Polynomial5& b, double eps);
// The angular form F(theta) = cos^n(theta) P(tan theta) = sum c[k+1] sin^(n-k) cos^k.
double AngularForm(const Polynomial5& p, double theta);
// The polynomial whose angular form is dF/dtheta.
Polynomial5 AngularDerivative(const Polynomial5& p);
// The deviation of a tangent direction with angle theta, given cos 2theta and
// sin 2theta: |II(v,v)|^2 for extremal normal deviation, II(v,v).II(v,Jv) for
// extremal lateral deviation; 0 for every other class.
double DeviationValue(const TLocalFrame& frame, TLineClass curveClass, double cos2t, double sin2t);

}  // namespace velmora

// Operations on the direction polynomials: Horner evaluation, stripping of
// vanishing leading coefficients, derivative and long division (for Sturm
// sequences and for dividing out multiple roots), the angular form
// cos^n(theta) P(tan theta) and its derivative, and the deviation of a
// direction for the extremal deviation families.
#include "geometry/DirectionPolynomials.h"

#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

// ---- polynomial operations ------------------------------------------------------

double EvaluatePolynomial(const Polynomial5& p, double x) {
    if (p.degree < 0) return 0.0;
    double value = p.c[1];
    for (int i = 2; i <= p.degree + 1; ++i) value = value * x + p.c[i];
    return value;
}

int StripPolynomial(Polynomial5& p, double eps) {
    int dropped = 0;
    while (p.degree >= 0 && std::fabs(p.c[1]) <= eps) {
        for (int i = 1; i <= p.degree; ++i) p.c[i] = p.c[i + 1];
        p.c[p.degree + 1] = 0.0;
        --p.degree;
        ++dropped;
    }
    return dropped;
}

Polynomial5 NegatedDerivative(const Polynomial5& p) {
    Polynomial5 d;
    const int n = p.degree;
    if (n <= 0) {
        d.degree = -1;  // the derivative of a constant is the zero polynomial
        return d;
    }
    d.degree = n - 1;
    for (int i = 0; i < n; ++i) d.c[i + 1] = -(n - i) * p.c[i + 1];
    return d;
}

namespace {

// Long division of a by b. Each step subtracts q x^(deg a - deg b) b from a and
// strips a; q is recorded at that power in `quotient` when one is wanted.
// Leaves the remainder in a.
void LongDivision(Polynomial5& a, const Polynomial5& b, double eps, Polynomial5* quotient) {
    if (quotient) {
        *quotient = Polynomial5{};
        quotient->degree = a.degree - b.degree;
    }
    if (b.degree < 0) return;  // division by the zero polynomial: nothing to do
    const int quotientDegree = a.degree - b.degree;
    while (a.degree >= 0 && b.degree <= a.degree) {
        const double q = a.c[1] / b.c[1];
        if (quotient) {
            const int power = a.degree - b.degree;
            quotient->c[quotientDegree - power + 1] = q;
        }
        for (int i = 1; i <= b.degree; ++i) a.c[i] = a.c[i + 1] - q * b.c[i + 1];
        for (int i = b.degree + 1; i <= a.degree; ++i) a.c[i] = a.c[i + 1];
        a.c[a.degree + 1] = 0.0;
        --a.degree;
        StripPolynomial(a, eps);
    }
}

}  // namespace

Polynomial5 NegatedRemainder(const Polynomial5& a, const Polynomial5& b, double eps) {
    Polynomial5 r = a;
    LongDivision(r, b, eps, nullptr);
    if (r.degree >= 0)
        for (int i = 1; i <= r.degree + 1; ++i) r.c[i] = -r.c[i];
    return r;
}

Polynomial5 PolynomialQuotient(const Polynomial5& a, const Polynomial5& b, double eps) {
    Polynomial5 r = a, q;
    LongDivision(r, b, eps, &q);
    return q;
}

double AngularForm(const Polynomial5& p, double theta) {
    if (p.degree < 0) return 0.0;
    const double s = std::sin(theta), c = std::cos(theta);
    double b = p.c[1];
    double cosPower = 1.0;
    for (int i = 1; i <= p.degree; ++i) {
        cosPower *= c;
        b = b * s + p.c[i + 1] * cosPower;
    }
    return b;
}

Polynomial5 AngularDerivative(const Polynomial5& p) {
    Polynomial5 d;
    const int n = p.degree;
    d.degree = n;
    if (n <= 0) {
        // A constant form c cos^0 has derivative 0.
        d.degree = std::max(n, 0);
        return d;
    }
    d.c[1] = -p.c[2];
    d.c[n + 1] = p.c[n];
    for (int i = 1; i <= n - 1; ++i) d.c[i + 1] = (n - i + 1) * p.c[i] - (i + 1) * p.c[i + 2];
    return d;
}

double DeviationValue(const TLocalFrame& s, TLineClass curveClass, double cos2t, double sin2t) {
    switch (curveClass) {
        case TLineClass::ExtremalNormalDeviation:
            return s.hh + s.bb * cos2t * cos2t + s.cc * sin2t * sin2t + 2 * s.hb * cos2t + 2 * s.hc * sin2t +
                   2 * s.bc * sin2t * cos2t;
        case TLineClass::ExtremalLateralDeviation:
            return -s.hb * sin2t + s.hc * cos2t + (s.cc - s.bb) * cos2t * sin2t +
                   s.bc * (cos2t * cos2t - sin2t * sin2t);
        default:
            return 0.0;
    }
}

}  // namespace velmora

// The discriminants of the direction quartics and of the strong principal
// quintic, as the expanded integer polynomials in the coefficients:
// a^(2n-2) prod_(i<j) (r_i - r_j)^2 for the roots r_i of a x^n + ... .
#include "geometry/DirectionPolynomials.h"

namespace velmora {

double QuarticDiscriminant(double a, double b, double c, double d, double e) {
    const double a2 = a * a, a3 = a2 * a;
    const double b2 = b * b, b3 = b2 * b, b4 = b3 * b;
    const double c2 = c * c, c3 = c2 * c, c4 = c3 * c;
    const double d2 = d * d, d3 = d2 * d, d4 = d3 * d;
    const double e2 = e * e, e3 = e2 * e;
    return 256.0 * a3 * e3
           - 192.0 * a2 * b * d * e2
           - 128.0 * a2 * c2 * e2
           + 144.0 * a2 * c * d2 * e
           - 27.0 * a2 * d4
           + 144.0 * a * b2 * c * e2
           - 6.0 * a * b2 * d2 * e
           - 80.0 * a * b * c2 * d * e
           + 18.0 * a * b * c * d3
           + 16.0 * a * c4 * e
           - 4.0 * a * c3 * d2
           - 27.0 * b4 * e2
           + 18.0 * b3 * c * d * e
           - 4.0 * b3 * d3
           - 4.0 * b2 * c3 * e
           + b2 * c2 * d2;
}

double QuinticDiscriminant(double a, double b, double c, double d, double e, double f) {
    const double a2 = a * a, a3 = a2 * a, a4 = a3 * a;
    const double b2 = b * b, b3 = b2 * b, b4 = b3 * b, b5 = b4 * b;
    const double c2 = c * c, c3 = c2 * c, c4 = c3 * c, c5 = c4 * c;
    const double d2 = d * d, d3 = d2 * d, d4 = d3 * d, d5 = d4 * d;
    const double e2 = e * e, e3 = e2 * e, e4 = e3 * e, e5 = e4 * e;
    const double f2 = f * f, f3 = f2 * f, f4 = f3 * f;
    return 3125.0 * a4 * f4
           - 2500.0 * a3 * b * e * f3
           - 3750.0 * a3 * c * d * f3
           + 2000.0 * a3 * c * e2 * f2
           + 2250.0 * a3 * d2 * e * f2
           - 1600.0 * a3 * d * e3 * f
           + 256.0 * a3 * e5
           + 2000.0 * a2 * b2 * d * f3
           - 50.0 * a2 * b2 * e2 * f2
           + 2250.0 * a2 * b * c2 * f3
           - 2050.0 * a2 * b * c * d * e * f2
           + 160.0 * a2 * b * c * e3 * f
           - 900.0 * a2 * b * d3 * f2
           + 1020.0 * a2 * b * d2 * e2 * f
           - 192.0 * a2 * b * d * e4
           - 900.0 * a2 * c3 * e * f2
           + 825.0 * a2 * c2 * d2 * f2
           + 560.0 * a2 * c2 * d * e2 * f
           - 128.0 * a2 * c2 * e4
           - 630.0 * a2 * c * d3 * e * f
           + 144.0 * a2 * c * d2 * e3
           + 108.0 * a2 * d5 * f
           - 27.0 * a2 * d4 * e2
           - 1600.0 * a * b3 * c * f3
           + 160.0 * a * b3 * d * e * f2
           - 36.0 * a * b3 * e3 * f
           + 1020.0 * a * b2 * c2 * e * f2
           + 560.0 * a * b2 * c * d2 * f2
           - 746.0 * a * b2 * c * d * e2 * f
           + 144.0 * a * b2 * c * e4
           + 24.0 * a * b2 * d3 * e * f
           - 6.0 * a * b2 * d2 * e3
           - 630.0 * a * b * c3 * d * f2
           + 24.0 * a * b * c3 * e2 * f
           + 356.0 * a * b * c2 * d2 * e * f
           - 80.0 * a * b * c2 * d * e3
           - 72.0 * a * b * c * d4 * f
           + 18.0 * a * b * c * d3 * e2
           + 108.0 * a * c5 * f2
           - 72.0 * a * c4 * d * e * f
           + 16.0 * a * c4 * e3
           + 16.0 * a * c3 * d3 * f
           - 4.0 * a * c3 * d2 * e2
           + 256.0 * b5 * f3
           - 192.0 * b4 * c * e * f2
           - 128.0 * b4 * d2 * f2
           + 144.0 * b4 * d * e2 * f
           - 27.0 * b4 * e4
           + 144.0 * b3 * c2 * d * f2
           - 6.0 * b3 * c2 * e2 * f
           - 80.0 * b3 * c * d2 * e * f
           + 18.0 * b3 * c * d * e3
           + 16.0 * b3 * d4 * f
           - 4.0 * b3 * d3 * e2
           - 27.0 * b2 * c4 * f2
           + 18.0 * b2 * c3 * d * e * f
           - 4.0 * b2 * c3 * e3
           - 4.0 * b2 * c2 * d3 * f
           + b2 * c2 * d2 * e2;
}

}  // namespace velmora

// Vector routines of R^4 used by the geometry, the tracers and the panels.
#pragma once

#include "platform/VelmoraTypes.h"

namespace velmora {

double Dot4(const Vector4& a, const Vector4& b);
double NormSquared4(const Vector4& a);
// Determinant of the 4 x 4 matrix with rows r0..r3: Gaussian elimination with
// partial pivoting on the first two columns, then the remaining 2 x 2 block.
double Determinant4(const Vector4& r0, const Vector4& r1, const Vector4& r2, const Vector4& r3);
// The vector X with X . Y = Det(Y, U, V, W) for every Y.
Vector4 CrossProductR4(const Vector4& U, const Vector4& V, const Vector4& W);
// atan2 in (-pi, pi] when |x| > 1e-15; otherwise +-pi/2 for moderate y, else 0.
double SafeArcTan2(double y, double x);
// sqrt(a^2 + b^2) without overflow; 0 when both are 0.
double Hypot(double a, double b);

}  // namespace velmora

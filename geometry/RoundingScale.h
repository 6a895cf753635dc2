// How far a computed quantity is from zero against the rounding of its inputs.
// Every invariant and every direction form of the surface is computed from
// terms (products of H, B and C, or of the derivatives of f) far larger than
// itself where it vanishes: there the computed value is not zero but a few
// units in the last place of those terms, and its sign and zero set are
// noise. A scaled value carries the size of the terms beside the value, so
// that such noise is told apart from a small true value.
#pragma once

#include "geometry/DirectionPolynomials.h"
#include "geometry/LineClass.h"
#include "geometry/LocalGeometry.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraTypes.h"

namespace velmora {

struct TScaledValue {
    double value = UndefinedValue;  // UndefinedValue where the quantity has no value
    double scale = 0;               // the size of the terms it is computed from
    bool Defined() const;
};

// |value| is within rounding of zero: at most kRoundingShare of its scale.
// True values of a quantity that does not vanish are many orders of
// magnitude above that share on most of the domain; the noise of a quantity
// that vanishes stays many orders below it.
inline constexpr double kRoundingShare = 1e-9;
bool WithinRounding(const TScaledValue& v);

// The invariant of a kind at the frame's point (the value a locus traces and a
// background paints, the angle with its sign) with the size of its terms.
TScaledValue ScaledInvariant(const TLocalGeometry& surface, const TLocalFrame& frame, TInvariantKind kind);

// The form whose zeros are the directions of a line class (classes 1 to 7), as
// the size of its coefficients: where it is within rounding of zero, every
// direction is one of the class and none can be followed.
TScaledValue DirectionForm(const TLocalGeometry& surface, const TLocalFrame& frame, TLineClass lineClass);

// The size of the terms of the strong principal quintic of these derivatives.
double StrongPrincipalTermScale(const TSurfaceDerivatives& derivatives, const TThirdDerivatives& third);

}  // namespace velmora

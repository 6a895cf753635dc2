// The scalar invariants of the surface that the program traces as loci (their
// zero sets) and paints as backgrounds (their values), in one table by kind.
// The loci, the background workers and the command line all take their
// functions from here.
#pragma once

#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <optional>
#include <string_view>

namespace velmora {

// The values are the Tags of the Loci and Backgrounds menu items.
enum class TInvariantKind : int {
    OriginDepth = 0,             // depth of the origin in the ellipse: zero on the parabolic locus
    OrientedAreaBC = 1,          // Det(C, t, Jt, B): zero where the ellipse is a segment (semiumbilical)
    AngleHMajorAxis = 2,         // signed sine of the angle between H and the major axis
    GaussCurvature = 3,          // H.H - B.B - C.C
    DiscrNormalDeviation = 4,    // discriminant of the extremal normal deviation quartic
    DiscrLateralDeviation = 5,   // discriminant of the extremal lateral deviation quartic
    DiscrStrongPrincipal = 6,    // discriminant of the strong principal quintic
};
inline constexpr int kInvariantKinds = 7;

// The locus of kind k is the zero set of invariant k; the background of type k
// colours invariant k (the angle by its absolute value).
using TLocusKind = TInvariantKind;
using TBackgroundType = TInvariantKind;

struct TScalarInvariant {
    TInvariantKind kind;
    const char* name;         // a short name for the command line
    const char* description;  // what the value measures
    bool backgroundMagnitude; // the background colours |value|
};

// True for the seven kinds of the table (an enumeration value may hold any int).
constexpr bool IsInvariantKind(TInvariantKind kind) {
    return static_cast<int>(kind) >= 0 && static_cast<int>(kind) < kInvariantKinds;
}

const std::array<TScalarInvariant, kInvariantKinds>& ScalarInvariants();
const TScalarInvariant& ScalarInvariant(TInvariantKind kind);
// The kind named by its short name or by its number "0".."6".
std::optional<TInvariantKind> InvariantKindFromName(std::string_view name);

// The value of the invariant at the frame's point, from its products (the
// strong principal discriminant adds the third derivatives at frame.p, from
// the surface's engines). UndefinedValue where the quantity has no definite
// value; an overflow is returned as it came (infinite or NaN).
double InvariantFromProducts(const TLocalGeometry& surface, const TLocalFrame& frame, TInvariantKind kind);

// Sine of the angle between H and the major axis of the ellipse, signed by
// the orientation of the normal plane; UndefinedValue for a circle (no major
// axis) or a vanishing |V| |H|.
double SignedSineHMajorAxis(const TLocalFrame& frame);

// The value whose zero set is the locus of that kind: UndefinedValue where the
// frame cannot be built or the value is not a finite number.
double LocusValue(const TLocalGeometry& surface, TInvariantKind kind, const Vector2& p);

// The value a background of that type paints at p: UndefinedValue where the
// frame cannot be built; overflowed values as they came (the colour map
// takes infinities to its darkest entries and leaves NaN unpainted).
double BackgroundValue(const TLocalGeometry& surface, TBackgroundType type, const Vector2& p);

}  // namespace velmora

// Whether a quantity of the surface vanishes on the whole domain: the one
// test behind the loci, the backgrounds and the line families. Where an
// invariant is identically zero (H on a minimal surface, the discriminants of
// a surface whose ellipse is a circle everywhere) its computed values are
// rounding noise, and a locus of them would be a tangle of squiggles, a
// background speckle, and lines of its family zig-zags. The quantity is looked
// at on the grid where the implicit-curve tracer measures the size of F.
#pragma once

#include "geometry/LineClass.h"
#include "geometry/LocalGeometry.h"
#include "geometry/RoundingScale.h"
#include "geometry/ScalarInvariants.h"
#include "platform/VelmoraTypes.h"

#include <functional>
#include <vector>

namespace velmora {

// The centres of the cells of a 10 x 10 grid over the rectangle, the u index
// outer: (min.u + (2i - 1) halfEdge.u/10, min.v + (2j - 1) halfEdge.v/10).
std::vector<Vector2> DomainSamples(const Vector2& minCorner, const Vector2& maxCorner);

using TScaledFunction = std::function<TScaledValue(const Vector2&)>;

// f is defined at some sample of the domain and within rounding of zero at
// every sample where it is defined. An error raised by f skips its sample.
bool VanishesOnDomain(const TScaledFunction& f, const Vector2& minCorner, const Vector2& maxCorner);

// The invariant of a kind (the function of its locus and its background).
bool InvariantVanishes(const TLocalGeometry& surface, TInvariantKind kind, const Vector2& minCorner,
                       const Vector2& maxCorner);
// The form of the directions of a line class: every direction would be one
// of the family, so it has none to follow.
bool DirectionsVanish(const TLocalGeometry& surface, TLineClass lineClass, const Vector2& minCorner,
                      const Vector2& maxCorner);

}  // namespace velmora

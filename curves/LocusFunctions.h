// The scalar function whose zero set is the locus of a kind, bound to a
// surface object, in the form the implicit-curve tracer takes.
#pragma once

#include "curves/ZeroSetCorrector.h"
#include "geometry/LocalGeometry.h"
#include "geometry/ScalarInvariants.h"

namespace velmora {

// The function of the locus kind bound to `surface` (which must outlive it).
R2ToR1Function LocusFunction(const TLocalGeometry& surface, TLocusKind kind);

}  // namespace velmora

// The scalar functions of the surface whose zero sets are the seven loci:
// 0 parabolic (origin on the ellipse), 1 semiumbilical (ellipse a segment),
// 2 H parallel to the major axis, 3 zero Gauss curvature, 4 to 6 the zero sets
// of the discriminants of the extremal normal deviation, extremal lateral
// deviation and strong principal directions.
#pragma once

#include "curves/FImplicitCurveLine.h"
#include "geometry/FParametrizationR2R4.h"

namespace velmora {

inline constexpr int kLocusKinds = 7;

// The function of locus kind 0..6 bound to `surface` (which must outlive it);
// any other kind gives the strong principal discriminant.
R2ToR1Function LocusFunction(TParametrizationR2R4& surface, int kind);

}  // namespace velmora

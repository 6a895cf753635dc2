#include "curves/LocusFunctions.h"

namespace velmora {

R2ToR1Function LocusFunction(const TLocalGeometry& surface, TLocusKind kind) {
    return [s = &surface, kind](const Vector2& p) { return LocusValue(*s, kind, p); };
}

}  // namespace velmora

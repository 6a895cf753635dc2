#include "curves/LocusFunctions.h"

namespace velmora {

R2ToR1Function LocusFunction(TParametrizationR2R4& surface, int kind) {
    TParametrizationR2R4* s = &surface;
    switch (kind) {
        case 0: return [s](const Vector2& p) { return s->DepthOfOrigin(p); };
        case 1: return [s](const Vector2& p) { return s->JBdotC(p); };
        case 2: return [s](const Vector2& p) { return s->AngleHEllipse(p); };
        case 3: return [s](const Vector2& p) { return s->GaussCurvature(p); };
        case 4: return [s](const Vector2& p) { return s->DiscriminantExtremalNormDevDirs(p); };
        case 5: return [s](const Vector2& p) { return s->DiscriminantExtremalLatDevDirs(p); };
        default: return [s](const Vector2& p) { return s->DiscriminantStrongPrincipalLines(p); };
    }
}

}  // namespace velmora

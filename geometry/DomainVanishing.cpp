#include "geometry/DomainVanishing.h"

namespace velmora {

std::vector<Vector2> DomainSamples(const Vector2& minCorner, const Vector2& maxCorner) {
    const Vector2 halfEdges = {(maxCorner[0] - minCorner[0]) / 2, (maxCorner[1] - minCorner[1]) / 2};
    std::vector<Vector2> samples;
    samples.reserve(100);
    for (int i = 1; i <= 10; ++i)
        for (int j = 1; j <= 10; ++j)
            samples.push_back({minCorner[0] + (2 * i - 1) * halfEdges[0] / 10,
                               minCorner[1] + (2 * j - 1) * halfEdges[1] / 10});
    return samples;
}

bool VanishesOnDomain(const TScaledFunction& f, const Vector2& minCorner, const Vector2& maxCorner) {
    bool defined = false;
    for (const Vector2& p : DomainSamples(minCorner, maxCorner)) {
        TScaledValue v;
        try {
            v = f(p);
        } catch (...) {
            continue;
        }
        if (!v.Defined()) continue;
        if (!WithinRounding(v)) return false;
        defined = true;
    }
    return defined;
}

bool InvariantVanishes(const TLocalGeometry& surface, TInvariantKind kind, const Vector2& minCorner,
                       const Vector2& maxCorner) {
    if (!IsInvariantKind(kind)) return false;
    return VanishesOnDomain(
        [&](const Vector2& p) -> TScaledValue {
            const std::optional<TLocalFrame> frame = surface.Frame(p);
            return frame ? ScaledInvariant(surface, *frame, kind) : TScaledValue{};
        },
        minCorner, maxCorner);
}

bool DirectionsVanish(const TLocalGeometry& surface, TLineClass lineClass, const Vector2& minCorner,
                      const Vector2& maxCorner) {
    if (!IsLowDegree(lineClass) && !IsHigherDegree(lineClass)) return false;
    return VanishesOnDomain(
        [&](const Vector2& p) -> TScaledValue {
            const std::optional<TLocalFrame> frame = surface.Frame(p);
            return frame ? DirectionForm(surface, *frame, lineClass) : TScaledValue{};
        },
        minCorner, maxCorner);
}

}  // namespace velmora

// The colour functions of the backgrounds: each worker evaluates the invariant
// of the chosen type through a surface object bound to its own engine set.
#include "background/BackgroundThreads.h"

#include "geometry/DomainVanishing.h"

#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <cmath>

namespace velmora {

TColourFunction BackgroundFunction(TEngineSet& engines, TBackgroundType type, bool vanishes) {
    if (!IsInvariantKind(type)) return {};
    // The geometry holds only its binding to the engine set; each pixel's
    // frame lives on the worker's stack.
    if (vanishes)
        return [surface = TLocalGeometry(engines), type](const Vector2& p) {
            const double value = BackgroundValue(surface, type, p);
            return value == UndefinedValue || std::isnan(value) ? value : 0.0;
        };
    return [surface = TLocalGeometry(engines), type](const Vector2& p) { return BackgroundValue(surface, type, p); };
}

TBackgroundThread::TBackgroundThread(double cu0, double cv0, double qh0, double qv0, const TPixelView& bm0,
                                     int firstRow0, int lastRow0, TEngineSet& engines, TBackgroundType backgroundType)
    : TBackgroundThread(cu0, cv0, qh0, qv0, bm0, firstRow0, lastRow0, BackgroundFunction(engines, backgroundType)) {}

void TBackgroundWorkers::Start(const TPixelView& view, const Vector2& min2D, const Vector2& max2D, TBackgroundType type,
                               const std::vector<TEngineSet*>& engines, std::function<void(int tag)> onEnd) {
    Terminate();
    Wait();
    // Decided with the first set, before any worker uses it.
    vanishing_ = !engines.empty() && engines[0] &&
                 InvariantVanishes(TLocalGeometry(*engines[0]), type, min2D, max2D);
    std::vector<TColourFunction> functions;
    functions.reserve(engines.size());
    for (TEngineSet* set : engines)
        functions.push_back(set ? BackgroundFunction(*set, type, vanishing_) : TColourFunction{});
    StartWithFunctions(view, min2D, max2D, std::move(functions), std::move(onEnd));
}

}  // namespace velmora

// The colour functions of the backgrounds: each worker evaluates the invariant
// of the chosen type through a surface object bound to its own engine set.
#include "background/BackgroundThreads.h"

#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

namespace velmora {

TColourFunction BackgroundFunction(TEngineSet& engines, TBackgroundType type) {
    if (!IsInvariantKind(type)) return {};
    // The geometry holds only its binding to the engine set; each pixel's
    // frame lives on the worker's stack.
    return [surface = TLocalGeometry(engines), type](const Vector2& p) { return BackgroundValue(surface, type, p); };
}

TBackgroundThread::TBackgroundThread(double cu0, double cv0, double qh0, double qv0, const TPixelView& bm0,
                                     int firstRow0, int lastRow0, TEngineSet& engines, TBackgroundType backgroundType)
    : TBackgroundThread(cu0, cv0, qh0, qv0, bm0, firstRow0, lastRow0, BackgroundFunction(engines, backgroundType)) {}

void TBackgroundWorkers::Start(const TPixelView& view, const Vector2& min2D, const Vector2& max2D, TBackgroundType type,
                               const std::vector<TEngineSet*>& engines, std::function<void(int tag)> onEnd) {
    std::vector<TColourFunction> functions;
    functions.reserve(engines.size());
    for (TEngineSet* set : engines) functions.push_back(set ? BackgroundFunction(*set, type) : TColourFunction{});
    StartWithFunctions(view, min2D, max2D, std::move(functions), std::move(onEnd));
}

}  // namespace velmora

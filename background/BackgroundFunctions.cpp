// The colour functions of the backgrounds: each worker evaluates the invariant
// of the chosen type through a surface object bound to its own engine set.
#include "background/BackgroundThreads.h"

#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <memory>

namespace velmora {

namespace {

// The surface object of one worker. Every pixel rewrites its fields: aligned
// to whole cache lines so that two workers' objects never share one.
struct alignas(64) TWorkerGeometry {
    explicit TWorkerGeometry(TEngineSet& engines) : surface(engines) {}
    TLocalGeometry surface;
};

}  // namespace

TColourFunction BackgroundFunction(TEngineSet& engines, TBackgroundType type) {
    if (!IsInvariantKind(type)) return {};
    std::shared_ptr<TWorkerGeometry> geometry = std::make_shared<TWorkerGeometry>(engines);
    return [geometry, type](const Vector2& p) { return BackgroundValue(geometry->surface, type, p); };
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

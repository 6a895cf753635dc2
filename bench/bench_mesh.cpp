// The 3D view's CPU side on the window's default surface: sampling the
// 200 x 200 mesh on two workers (with and without the invariant of a
// background) and projecting it anew after a rotation of R^4.
#include "bench/BenchSurface.h"
#include "mesh/SurfaceScene.h"
#include "session/SurfaceSession.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace velmora {
namespace {

std::unique_ptr<TSurfaceSession> DefaultSession(int workers) {
    auto session = std::make_unique<TSurfaceSession>(workers);
    if (!session->ReadData().ok) throw std::runtime_error("the default surface cannot be read");
    return session;
}

void BM_MeshOnTwoWorkers(benchmark::State& state) {
    const auto session = DefaultSession(2);
    const std::optional<TInvariantKind> invariant =
        state.range(0) < 0 ? std::nullopt : std::optional(static_cast<TInvariantKind>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(SampleSessionMesh(*session, kDefaultMeshSide, invariant));
}
// -1: points only; 3: with the Gauss curvature; 6: with the strong principal discriminant.
// The CPU column counts both workers: on a machine of two idle processors the
// time is about half of it.
BENCHMARK(BM_MeshOnTwoWorkers)->Arg(-1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_ReprojectAfterRotation(benchmark::State& state) {
    const auto session = DefaultSession(2);
    TSurfaceScene scene;
    scene.SetMesh(*SampleSessionMesh(*session, kDefaultMeshSide, TInvariantKind::GaussCurvature));
    TView4D view;
    view.projection = static_cast<TProjectionKind>(state.range(0));
    double angle = 0;
    for (auto _ : state) {
        angle += 1;
        view.angles[TPlane::XW] = angle;
        scene.SetView(view);
        benchmark::DoNotOptimize(scene.Projected().positions.data());
    }
}
BENCHMARK(BM_ReprojectAfterRotation)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();

// Cost of the local geometry at one point of the default surface: the data
// panel values (every mouse move) and the direction cross of the strong
// principal lines (mouse moves with that class selected).
#include "geometry/HigherDegreeDirections.h"
#include "geometry/LocalGeometry.h"

#include "BenchSurface.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

using namespace velmora;

namespace {

struct DefaultSurface {
    TFormulaCompiler parser;
    TEngineSet engines;
    TLocalGeometry surface{engines};
    DefaultSurface() {
        engines.Build(bench::kDefaultSurface, parser);
    }
};

DefaultSurface& Surface() {
    static auto instance = std::make_unique<DefaultSurface>();
    return *instance;
}

const Vector2 kPoint{1.3, 0.9};

// The frame, H, B, C and their products at a point.
void BM_Frame(benchmark::State& state) {
    const TLocalGeometry& s = Surface().surface;
    for (auto _ : state) benchmark::DoNotOptimize(s.Frame(kPoint));
}
BENCHMARK(BM_Frame);

void BM_ComputeInvariants(benchmark::State& state) {
    TLocalGeometry& s = Surface().surface;
    TInvariants out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.ComputeInvariants(kPoint, out));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ComputeInvariants);

void BM_ComputeCross(benchmark::State& state) {
    TLocalGeometry& s = Surface().surface;
    const TLineClass cClass = static_cast<TLineClass>(state.range(0));
    TInvariants out;
    TDirectionCross cross;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.ComputeCross(kPoint, cClass, 6.65, out, cross));
        benchmark::DoNotOptimize(cross);
    }
}
BENCHMARK(BM_ComputeCross)->Arg(1)->Arg(5)->Arg(7);

void BM_Directions(benchmark::State& state) {
    TLocalGeometry& s = Surface().surface;
    Vector2 tangent{};
    for (auto _ : state) {
        double phi = 0.3;
        benchmark::DoNotOptimize(s.Directions(kPoint, TLineClass::Curvature, tangent, phi));
    }
}
BENCHMARK(BM_Directions);

void BM_NewtonDirection7(benchmark::State& state) {
    TLocalGeometry& s = Surface().surface;
    THigherDegreeDirections solver(s);
    DirectionList list;
    solver.HigherDegreeDirections(TLineClass::StrongPrincipal, list, kPoint);
    const double start = list.count > 0 ? std::atan2(list.entries[1].y, list.entries[1].x) : 0.0;
    Vector2 direction{};
    for (auto _ : state) {
        double theta = start + 1e-3;
        benchmark::DoNotOptimize(solver.NewtonDirection(TLineClass::StrongPrincipal, theta, direction, kPoint));
    }
}
BENCHMARK(BM_NewtonDirection7);

}  // namespace

BENCHMARK_MAIN();

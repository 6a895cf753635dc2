// Timings of the tracers and the background workers on the default surface:
//   BM_BackgroundGauss/S/N   Gauss-curvature background, S x S pixels, N workers
//   BM_Locus/K               the locus of kind K (0..6), points stored
//   BM_CurvatureLines/I      curvature lines from start point I, steps counted
#include "background/BackgroundThreads.h"
#include "curves/LineFieldTracer.h"
#include "curves/ImplicitCurveTracer.h"
#include "curves/LocusFunctions.h"
#include "curves/TraceSink.h"
#include "formula/FormulaCompiler.h"
#include "geometry/DomainMap.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include "BenchSurface.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

namespace velmora {
namespace {

using bench::kDefaultSurface;

TDomainMap DefaultMap() {
    TDomainMap map;
    map.Setup({0, 0}, {6.283185307179586, 2.2});
    return map;
}

std::vector<std::unique_ptr<TEngineSet>> BuildSets(int n) {
    TFormulaCompiler parser;
    std::vector<std::unique_ptr<TEngineSet>> sets;
    for (int i = 0; i < n; ++i) {
        sets.push_back(std::make_unique<TEngineSet>());
        sets.back()->Build(kDefaultSurface, parser);
    }
    return sets;
}

void BM_BackgroundGauss(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    auto sets = BuildSets(threads);
    std::vector<TEngineSet*> raw;
    for (auto& s : sets) raw.push_back(s.get());
    const TDomainMap map = DefaultMap();
    std::vector<uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    const TPixelView view{reinterpret_cast<uint8_t*>(pixels.data()), size * 4, size, size};
    for (auto _ : state) {
        TBackgroundWorkers workers;
        workers.Start(view, map.min2D, map.max2D, TBackgroundType::GaussCurvature, raw);
        workers.Wait();
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["pixels/s"] =
        benchmark::Counter(static_cast<double>(size) * size, benchmark::Counter::kIsIterationInvariantRate);
}
void BackgroundSettings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"size", "workers"})->Unit(benchmark::kMillisecond)->UseRealTime();
}
BENCHMARK(BM_BackgroundGauss)->Apply(BackgroundSettings)->Args({548, 1})->Args({548, 2})->MinTime(2.0);
BENCHMARK(BM_BackgroundGauss)->Apply(BackgroundSettings)->Args({5000, 1})->Args({5000, 2})->Iterations(1);

void BM_Locus(benchmark::State& state) {
    const TLocusKind kind = static_cast<TLocusKind>(state.range(0));
    auto sets = BuildSets(1);
    TLocalGeometry surface(*sets[0]);
    const TDomainMap map = DefaultMap();
    R2ToR1Function f = LocusFunction(surface, kind);
    long long evaluations = 0;
    R2ToR1Function counted = [&](const Vector2& p) {
        ++evaluations;
        return f(p);
    };
    auto tracer = std::make_unique<TImplicitCurveTracer>();
    long long points = 0, polylines = 0;
    for (auto _ : state) {
        points = polylines = evaluations = 0;
        tracer->ComputeImplicitCurve(
            counted,
            [&](const Vector2&, int key) {
                ++points;
                polylines += key == 1;
            },
            map.min2D, map.max2D, 40, 464, map.radius2D);
    }
    state.counters["points"] = static_cast<double>(points);
    state.counters["polylines"] = static_cast<double>(polylines);
    state.counters["F_evals"] = static_cast<double>(evaluations);
}
BENCHMARK(BM_Locus)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_CurvatureLines(benchmark::State& state) {
    static const Vector2 kStarts[3] = {{1.2, 0.8}, {3.5, 1.6}, {5.0, 0.3}};
    const Vector2 start = kStarts[state.range(0)];
    auto sets = BuildSets(1);
    TLocalGeometry surface(*sets[0]);
    const TDomainMap map = DefaultMap();
    long long curves = 0, pieces = 0, steps = 0;
    const TSegmentSink count = [&](const TCurvePiece& piece) {
        curves += piece.newCurve;
        pieces += !piece.newCurve;
    };
    for (auto _ : state) {
        curves = pieces = 0;
        steps = DrawLineField(surface, map, 8, TLineClass::Curvature, start, 3, count).steps;
    }
    state.counters["curves"] = static_cast<double>(curves);
    state.counters["pieces"] = static_cast<double>(pieces);
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_CurvatureLines)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();

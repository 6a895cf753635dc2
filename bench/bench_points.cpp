// Timings of the search for special points, every kind at once (line class
// 0), on a generic closed torus over [0, 2 pi]^2 - axiumbilic, inflection,
// minimal and principal-singular points all occur on it - and on the
// default surface (no points: the scan alone):
//   BM_SpecialPoints/C/N          generic torus, C grid cells a side, N workers
//   BM_SpecialPointsDefault/C/N   the window's default surface
// The window's grid is 548 cells a side, one per pixel of the main panel.
#include "formula/FormulaCompiler.h"
#include "geometry/EngineSet.h"
#include "points/SpecialPointScan.h"

#include "BenchSurface.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

const std::array<std::string, 4> kGenericTorus = {
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v) + 0.2 cos(u + v)",
    "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v) + 0.15 sin(u - 2v)"};
constexpr double kTwoPi = 6.283185307179586;

void Run(benchmark::State& state, const std::array<std::string, 4>& texts, const Vector2& hi) {
    const int cells = static_cast<int>(state.range(0));
    const int workers = static_cast<int>(state.range(1));
    TFormulaCompiler parser;
    std::vector<std::unique_ptr<TEngineSet>> sets;
    std::vector<TEngineSet*> raw;
    for (int i = 0; i < workers; ++i) {
        sets.push_back(std::make_unique<TEngineSet>());
        sets.back()->Build(texts, parser);
        raw.push_back(sets.back().get());
    }
    TSpecialPointOptions options;
    options.cells = cells;
    std::size_t points = 0;
    for (auto _ : state) {
        const TSpecialPointsResult r = FindSpecialPoints(raw, {0, 0}, hi, TLineClass::CoordinateLines, options);
        points = r.points.size();
        benchmark::DoNotOptimize(r.points.data());
    }
    state.counters["points"] = static_cast<double>(points);
}

void BM_SpecialPoints(benchmark::State& state) { Run(state, kGenericTorus, {kTwoPi, kTwoPi}); }
void BM_SpecialPointsDefault(benchmark::State& state) { Run(state, bench::kDefaultSurface, {kTwoPi, 2.2}); }

void Settings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"cells", "workers"})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}
BENCHMARK(BM_SpecialPoints)->Apply(Settings)->Args({548, 1})->Args({548, 2})->Args({200, 2});
BENCHMARK(BM_SpecialPointsDefault)->Apply(Settings)->Args({548, 2});

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();

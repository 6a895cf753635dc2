// Compile times:
//   BM_EnterDefaultSurface      everything "Enter" compiles on the default
//                               surface for a machine with two processors: the
//                               four formulas parsed once into value code, each
//                               built into the evaluators of the main set and
//                               the two worker sets, each parsed with all its
//                               partial derivatives by the symbolic objects of
//                               the three sets, and the four domain bounds.
//                               Target: 5 ms.
//   BM_CompileFormula/<f>       one formula into value code (Fv) and the
//                               derivative evaluator (ff, vv, aa): the peer of
//                               muparser's parse (bench_compile_muparser).
//                               Target: within 2x of it.
// Medians: --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "BenchSurface.h"
#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "geometry/EngineSet.h"
#include "symbolic/SymbolicPartials.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace velmora::bench {
namespace {

constexpr int kWorkerSets = 2;

void BM_EnterDefaultSurface(benchmark::State& state) {
    auto parser = std::make_unique<TFormulaCompiler>();
    std::vector<std::unique_ptr<TEngineSet>> sets;
    for (int k = 0; k <= kWorkerSets; ++k) sets.push_back(std::make_unique<TEngineSet>());
    std::vector<TEngineSet*> all;
    for (auto& set : sets) all.push_back(set.get());
    double bounds = 0;
    for (auto _ : state) {
        TEngineSetsBuild build(all);
        for (int i = 0; i < 4; ++i) {
            parser->ParseNewText(kDefaultSurface[i], "uv", "", {.compile = true});
            build.Coordinate(i, *parser, kDefaultSurface[i]);
        }
        build.Commit();
        for (const std::string& bound : kDefaultBounds) bounds += EvaluateConstantFormula(bound);
        benchmark::DoNotOptimize(bounds);
    }
}
BENCHMARK(BM_EnterDefaultSurface)->Unit(benchmark::kMillisecond);

void BM_CompileFormula(benchmark::State& state, const std::string& text) {
    auto parser = std::make_unique<TFormulaCompiler>();
    auto evaluator = std::make_unique<TJetEvaluator>();
    for (auto _ : state) {
        parser->ParseNewText(text, "uv", "", {.compile = true});
        evaluator->Build(*parser);
        benchmark::DoNotOptimize(evaluator->Function(JetFunction::SecondAlongCurve).code);
    }
}
BENCHMARK_CAPTURE(BM_CompileFormula, x, kDefaultSurface[0])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompileFormula, y, kDefaultSurface[1])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompileFormula, z, kDefaultSurface[2])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompileFormula, w, kDefaultSurface[3])->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();

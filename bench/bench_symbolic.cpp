// Time of the symbolic engine's parse with all partial derivatives up to the
// third order: each coordinate formula of the default surface, a formula of
// 200 characters, and the whole "Enter" of the window on a two-processor
// machine (each of the four formulas parsed once per processor plus once for
// the main thread: 12 parses). Also the cost of calling one compiled block.
//   bench_symbolic --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "symbolic/SymbolicPartials.h"

#include "BenchSurface.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>

namespace {

using velmora::TSymbolicPartials;
using velmora::bench::kDefaultSurface;

// 200 characters: products, quotients, integer and general powers, nine functions.
const std::string kLongFormula =
    "(2+cos(v))*cos(u)*exp(0.1*u*v) + sqrt(1+u^2+v^2)*sin(u-v)/(1+0.5*cosh(0.3*u)) - "
    "arctan(u*v/3)*ln(2+sin(u)^2) + (1+u*u)^0.5*tanh(v/2) - 0.25*u^3*v^2 + abs(u-v)*sin(2u+v)/(3+v^4) + "
    "cos(u*v)/(2+u*u) -u/5";

void BM_ParseWithPartials(benchmark::State& state, const std::string& text) {
    auto f = std::make_unique<TSymbolicPartials>();
    for (auto _ : state) {
        f->ParseNewText(text, "uv", "", {.compile = true, .withPartials = true});
        benchmark::DoNotOptimize(f->TotalCodeBytes());
    }
    state.counters["codeBytes"] = static_cast<double>(f->TotalCodeBytes());
}

BENCHMARK_CAPTURE(BM_ParseWithPartials, x_default, kDefaultSurface[0])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ParseWithPartials, y_default, kDefaultSurface[1])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ParseWithPartials, z_default, kDefaultSurface[2])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ParseWithPartials, w_default, kDefaultSurface[3])->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ParseWithPartials, formula_200_chars, kLongFormula)->Unit(benchmark::kMicrosecond);

// "Enter" on a two-processor machine: the main set and one set per processor.
void BM_EnterDefaultSurfaceTwoProcessors(benchmark::State& state) {
    std::array<std::array<std::unique_ptr<TSymbolicPartials>, 4>, 3> sets;
    for (auto& set : sets)
        for (auto& f : set) f = std::make_unique<TSymbolicPartials>();
    for (auto _ : state) {
        for (int i = 0; i < 4; ++i)
            for (auto& set : sets) set[static_cast<std::size_t>(i)]->ParseNewText(kDefaultSurface[i], "uv", "", {.compile = true, .withPartials = true});
    }
}
BENCHMARK(BM_EnterDefaultSurfaceTwoProcessors)->Unit(benchmark::kMillisecond);

// One call of a third-derivative block (the geometry calls four per coordinate).
void BM_CallThirdDerivative(benchmark::State& state) {
    auto f = std::make_unique<TSymbolicPartials>();
    f->ParseNewText(kDefaultSurface[2], "uv", "", {.compile = true, .withPartials = true});
    double args[2] = {0.7, 0.3};
    for (auto _ : state) {
        benchmark::DoNotOptimize(f->EvaluateFF(1, 1, 2, args));
        args[0] += 1e-9;
    }
}
BENCHMARK(BM_CallThirdDerivative);

}  // namespace

BENCHMARK_MAIN();

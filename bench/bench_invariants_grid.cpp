// The data-panel values over a 1000 x 1000 grid of the default surface's
// domain, the engine's own loop: one thread per worker engine set of a
// surface session, each with its surface object, taking ranges of points in
// turn and writing the nine values of each point into arrays. The Python
// module's s.invariants runs the same computation; bench/bench_python.py
// times it for the comparison.
#include "platform/Platform.h"
#include "session/SurfaceSession.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <numbers>
#include <thread>
#include <vector>

#include <time.h>

namespace velmora {
namespace {

constexpr std::size_t kSide = 1000;
constexpr std::size_t kRange = 2048;

void InvariantsOverGrid(const std::vector<TEngineSet*>& sets, const std::vector<double>& u,
                        const std::vector<double>& v, std::array<std::vector<double>, 9>& out) {
    const std::size_t n = u.size();
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> threads;
    for (TEngineSet* set : sets)
        threads.emplace_back([&, set] {
            const TLocalGeometry surface(*set);
            for (;;) {
                const std::size_t first = next.fetch_add(kRange);
                if (first >= n) return;
                for (std::size_t i = first; i < std::min(first + kRange, n); ++i) {
                    TInvariants inv;
                    if (!surface.ComputeInvariants({u[i], v[i]}, inv)) continue;
                    const double values[9] = {inv.halfMajorAxis, inv.halfMinorAxis, inv.longH,
                                              inv.depth,         inv.alpha,         inv.KGauss,
                                              inv.discrNormDev,  inv.discrLatDev,   inv.discrStrPpal};
                    for (int k = 0; k < 9; ++k) out[k][i] = values[k];
                }
            }
        });
}

// The processor time of the whole process (all threads), in seconds: on a
// machine shared with other work, the cost of a point that wall time hides.
double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void BM_InvariantsGrid1000(benchmark::State& state) {
    const int workers = state.range(0) > 0 ? static_cast<int>(state.range(0)) : LogicalProcessorCount();
    TSurfaceSession session(workers);
    if (!session.ReadData()) state.SkipWithError("the default surface could not be read");
    std::vector<double> u(kSide * kSide), v(kSide * kSide);
    for (std::size_t r = 0; r < kSide; ++r)
        for (std::size_t c = 0; c < kSide; ++c) {
            u[r * kSide + c] = 2 * std::numbers::pi * static_cast<double>(c) / (kSide - 1);
            v[r * kSide + c] = 2.2 * static_cast<double>(r) / (kSide - 1);
        }
    std::array<std::vector<double>, 9> out;
    for (auto& values : out) values.assign(u.size(), 0.0);
    const double cpuBefore = ProcessSeconds();
    for (auto _ : state) {
        InvariantsOverGrid(session.WorkerSets(), u, v, out);
        benchmark::DoNotOptimize(out[5].data());
    }
    const double cpu = ProcessSeconds() - cpuBefore;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(u.size()));
    state.counters["cpu_ns_per_point"] = 1e9 * cpu / (static_cast<double>(state.iterations()) * u.size());
    state.counters["threads"] = workers;
}
// Argument 0: one thread per logical processor; 1: a single thread.
BENCHMARK(BM_InvariantsGrid1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();

// The peer of BM_CompileFormula (bench_compile): muparser's parse of the same
// formulas, written in its syntax (explicit products, "sin"). muparser parses
// on the first evaluation after SetExpr, so one iteration is SetExpr and Eval.
// Built only when the muparser library is installed (libmuparser-dev).
#include <muParser.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

void BM_MuParserParse(benchmark::State& state, const std::string& text) {
    auto parser = std::make_unique<mu::Parser>();
    double u = 0.7, v = 0.3;
    parser->DefineVar("u", &u);
    parser->DefineVar("v", &v);
    for (auto _ : state) {
        parser->SetExpr(text);
        benchmark::DoNotOptimize(parser->Eval());
    }
}
BENCHMARK_CAPTURE(BM_MuParserParse, x, "(1-0.1*cos(v))*cos(u)+0.1*sin(u)*sin(v)")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MuParserParse, y, "(1-0.1*cos(v))*sin(u)-0.1*cos(u)*sin(v)")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MuParserParse, z, "(1-0.4*cos(v))*cos(2*u)+0.8*sin(2*u)*sin(v)")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MuParserParse, w, "(1-0.4*cos(v))*sin(2*u)-0.8*cos(2*u)*sin(v)")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

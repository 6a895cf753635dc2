// Cost of one evaluation of the compiled formulas, beside the same formulas
// compiled natively by the C++ compiler and beside the reference interpreter.
//
// For the four coordinates of the default surface and for u*v:
//   <f>/Fv               the parser's value-only x87 code
//   <f>/ff               the evaluator's value-only code (the same bytes)
//   <f>/FirstD           value and first derivative (vv)
//   <f>/SecondD          value, first and second derivative (aa)
//   <f>/Jet              value, gradient and Hessian in (u, v) (hh)
//   <f>/NativeValue      the formula as C++ (value only)
//   <f>/NativeDual       the formula as C++ on hand-written forward-mode dual
//                        numbers carrying first and second derivatives
//   <f>/NativeJet        the same on dual numbers carrying gradient and Hessian
//   <f>/ReferenceValue   the postfix interpreter, value
//   <f>/ReferenceSecondD the postfix interpreter, value and derivatives
// Targets: Fv within 2x of NativeValue, SecondD within 3x of NativeDual.
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true
// for medians.
#include "evaluator/JetEvaluator.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "BenchSurface.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

namespace {

using velmora::ReferenceEvaluator;
using velmora::TJetEvaluator;
using velmora::TFormulaCompiler;
using namespace velmora::bench;

// Points of the default domain [0, 2 pi] x [0, 2.2], visited in turn so that
// nothing is computed once for all iterations.
constexpr int kPoints = 64;
struct Points {
    std::array<std::array<double, 6>, kPoints> args{};
    Points() {
        for (int i = 0; i < kPoints; ++i) {
            const double u = 6.283185307179586 * (i * 37 % kPoints + 0.5) / kPoints;
            const double v = 2.2 * (i * 11 % kPoints + 0.5) / kPoints;
            args[i] = {u, v, 1, 1, 0, 0};
        }
    }
};
const Points points;

struct Case {
    std::string name;
    std::string text;
    double (*nativeValue)(double, double);
    Dual (*nativeDual)(Dual, Dual);
    Jet2 (*nativeJet)(Jet2, Jet2);
};

template <class F>
void Loop(benchmark::State& state, F&& f) {
    int i = 0;
    for (auto _ : state) {
        const double* a = points.args[i].data();
        i = (i + 1) & (kPoints - 1);
        benchmark::DoNotOptimize(a);
        auto r = f(a);
        benchmark::DoNotOptimize(r);
    }
}

void Register(const Case& c) {
    auto parser = std::make_shared<TFormulaCompiler>();
    parser->ParseNewText(c.text, "uv", "", {.compile = true});
    auto evaluator = std::make_shared<TJetEvaluator>();
    evaluator->Build(*parser);
    auto reference = std::make_shared<ReferenceEvaluator>();
    reference->Load(*parser);

    benchmark::RegisterBenchmark((c.name + "/Fv").c_str(), [parser](benchmark::State& s) {
        Loop(s, [&](const double* a) { return parser->Evaluate(a); });
    });
    benchmark::RegisterBenchmark((c.name + "/ff").c_str(), [evaluator](benchmark::State& s) {
        Loop(s, [&](const double* a) { return evaluator->Value(a); });
    });
    benchmark::RegisterBenchmark((c.name + "/FirstD").c_str(), [evaluator](benchmark::State& s) {
        Loop(s, [&](const double* a) { return evaluator->FirstD(a); });
    });
    benchmark::RegisterBenchmark((c.name + "/SecondD").c_str(), [evaluator](benchmark::State& s) {
        Loop(s, [&](const double* a) { return evaluator->SecondD(a); });
    });
    benchmark::RegisterBenchmark((c.name + "/Jet").c_str(), [evaluator](benchmark::State& s) {
        Loop(s, [&](const double* a) { return evaluator->SecondOrderJet(a); });
    });
    auto value = c.nativeValue;
    benchmark::RegisterBenchmark((c.name + "/NativeValue").c_str(), [value](benchmark::State& s) {
        Loop(s, [&](const double* a) { return value(a[0], a[1]); });
    });
    auto dual = c.nativeDual;
    benchmark::RegisterBenchmark((c.name + "/NativeDual").c_str(), [dual](benchmark::State& s) {
        Loop(s, [&](const double* a) {
            const Dual r = dual(Dual{a[0], a[2], a[4]}, Dual{a[1], a[3], a[5]});
            return std::array<double, 3>{r.v, r.d1, r.d2};
        });
    });
    auto jet = c.nativeJet;
    benchmark::RegisterBenchmark((c.name + "/NativeJet").c_str(), [jet](benchmark::State& s) {
        Loop(s, [&](const double* a) { return jet(Jet2{a[0], 1, 0, 0, 0, 0}, Jet2{a[1], 0, 1, 0, 0, 0}); });
    });
    benchmark::RegisterBenchmark((c.name + "/ReferenceValue").c_str(), [reference](benchmark::State& s) {
        Loop(s, [&](const double* a) { return reference->Value(a); });
    });
    benchmark::RegisterBenchmark((c.name + "/ReferenceSecondD").c_str(), [reference](benchmark::State& s) {
        Loop(s, [&](const double* a) { return reference->Derivatives(a); });
    });
}

}  // namespace

int main(int argc, char** argv) {
    // The coordinate formulas of the default surface of the main window.
    const Case cases[] = {
        {"x", kDefaultSurface[0], &X<double>, &X<Dual>, &X<Jet2>},
        {"y", kDefaultSurface[1], &Y<double>, &Y<Dual>, &Y<Jet2>},
        {"z", kDefaultSurface[2], &Z<double>, &Z<Dual>, &Z<Jet2>},
        {"w", kDefaultSurface[3], &W<double>, &W<Dual>, &W<Jet2>},
        {"uv", "u*v", &UV<double>, &UV<Dual>, &UV<Jet2>},
    };
    for (const Case& c : cases) Register(c);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

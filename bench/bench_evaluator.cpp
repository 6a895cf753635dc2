// Cost of one evaluation of the compiled formulas, beside the same formulas
// compiled natively by the C++ compiler and beside the reference interpreter.
//
// For the four coordinates of the default surface and for u*v:
//   <f>/Fv               the parser's value-only x87 code
//   <f>/ff               the evaluator's value-only code (the same bytes)
//   <f>/FirstD           value and first derivative (vv)
//   <f>/SecondD          value, first and second derivative (aa)
//   <f>/NativeValue      the formula as C++ (value only)
//   <f>/NativeDual       the formula as C++ on hand-written forward-mode dual
//                        numbers carrying first and second derivatives
//   <f>/ReferenceValue   the postfix interpreter, value
//   <f>/ReferenceSecondD the postfix interpreter, value and derivatives
// Targets: Fv within 2x of NativeValue, SecondD within 3x of NativeDual.
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true
// for medians.
#include "evaluator/FEvaluatorBytes_64_XE2.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FunctionParserBytes_64_XE2.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

namespace {

using velmora::ReferenceEvaluator;
using velmora::TEvaluatorBytes_64;
using velmora::TFunctionParserBytes_64;

// ---- dual numbers: value with first and second derivative along a curve ----
struct Dual {
    double v, d1, d2;
};
inline Dual operator+(Dual a, Dual b) { return {a.v + b.v, a.d1 + b.d1, a.d2 + b.d2}; }
inline Dual operator-(Dual a, Dual b) { return {a.v - b.v, a.d1 - b.d1, a.d2 - b.d2}; }
inline Dual operator*(Dual a, Dual b) {
    return {a.v * b.v, a.d1 * b.v + a.v * b.d1, a.d2 * b.v + 2 * a.d1 * b.d1 + a.v * b.d2};
}
inline Dual operator*(double k, Dual b) { return {k * b.v, k * b.d1, k * b.d2}; }
inline Dual operator-(double k, Dual b) { return {k - b.v, -b.d1, -b.d2}; }
inline Dual cos(Dual a) {
    const double s = std::sin(a.v), c = std::cos(a.v);
    return {c, -s * a.d1, -c * a.d1 * a.d1 - s * a.d2};
}
inline Dual sin(Dual a) {
    const double s = std::sin(a.v), c = std::cos(a.v);
    return {s, c * a.d1, -s * a.d1 * a.d1 + c * a.d2};
}

// ---- the formulas of the default surface, written once for both kinds -------
using std::cos;
using std::sin;
template <class T> T X(T u, T v) { return (1 - 0.1 * cos(v)) * cos(u) + 0.1 * sin(u) * sin(v); }
template <class T> T Y(T u, T v) { return (1 - 0.1 * cos(v)) * sin(u) - 0.1 * cos(u) * sin(v); }
template <class T> T Z(T u, T v) { return (1 - 0.4 * cos(v)) * cos(2 * u) + 0.8 * sin(2 * u) * sin(v); }
template <class T> T W(T u, T v) { return (1 - 0.4 * cos(v)) * sin(2 * u) - 0.8 * cos(2 * u) * sin(v); }
template <class T> T UV(T u, T v) { return u * v; }

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
    auto parser = std::make_shared<TFunctionParserBytes_64>();
    parser->ParseNewText(c.text, "uv", "", false, true);
    auto evaluator = std::make_shared<TEvaluatorBytes_64>();
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
        {"x", "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)", &X<double>, &X<Dual>},
        {"y", "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)", &Y<double>, &Y<Dual>},
        {"z", "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", &Z<double>, &Z<Dual>},
        {"w", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)", &W<double>, &W<Dual>},
        {"uv", "u*v", &UV<double>, &UV<Dual>},
    };
    for (const Case& c : cases) Register(c);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

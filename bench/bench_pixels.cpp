// Cost of one pixel of the Gauss-curvature background on the default surface:
//   BM_GaussPixel        the worker's path: the frame at (u, v) from the
//                        compiled evaluators, then K = hh - cc - bb
//   BM_GaussPixelNative  the same computation written by hand in C++: the four
//                        coordinates on forward-mode dual numbers carrying the
//                        gradient and the Hessian, then the same frame, normal
//                        parts, oriented areas, products and K
// Target: BM_GaussPixel within 1.5x of BM_GaussPixelNative. The counter
// "maxDiffK" is the largest difference of the two K over the points visited.
// Medians: --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "BenchSurface.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"
#include "geometry/VectorMath.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>

namespace velmora::bench {
namespace {

// Points spread over the default domain [0, 2 pi] x [0, 2.2], visited in turn.
constexpr int kPoints = 256;
struct Points {
    std::array<Vector2, kPoints> p{};
    Points() {
        for (int i = 0; i < kPoints; ++i)
            p[i] = {6.283185307179586 * (i * 37 % kPoints + 0.5) / kPoints, 2.2 * (i * 11 % kPoints + 0.5) / kPoints};
    }
};
const Points points;

// ---- the hand-written version ------------------------------------------------------
Vector4 Combine(double a, const Vector4& x, double b, const Vector4& y) {
    return {a * x[0] + b * y[0], a * x[1] + b * y[1], a * x[2] + b * y[2], a * x[3] + b * y[3]};
}

// The part of g normal to the orthonormal pair (t, Jt), times `scale`.
Vector4 Normal(const Vector4& g, const Vector4& t, const Vector4& Jt, double scale) {
    const double gt = Dot4(g, t), gJt = Dot4(g, Jt);
    Vector4 n;
    for (int i = 0; i < 4; ++i) n[i] = scale * (g[i] - gt * t[i] - gJt * Jt[i]);
    return n;
}

struct NativeFrame {
    double hh = 0, bb = 0, cc = 0, bc = 0, hb = 0, hc = 0, jhb = 0, jhc = 0, jbc = 0;
};

bool NativeGauss(const Vector2& p, NativeFrame& out) {
    const Jet2 u{p[0], 1, 0, 0, 0, 0}, v{p[1], 0, 1, 0, 0, 0};
    const Jet2 f[4] = {X(u, v), Y(u, v), Z(u, v), W(u, v)};
    Vector4 xu, xv, xuu, xuv, xvv;
    for (int i = 0; i < 4; ++i) {
        xu[i] = f[i].fu;
        xv[i] = f[i].fv;
        xuu[i] = f[i].fuu;
        xuv[i] = f[i].fuv;
        xvv[i] = f[i].fvv;
    }
    const double guu = Dot4(xu, xu), guv = Dot4(xu, xv), gvv = Dot4(xv, xv);
    const double delta = guu * gvv - guv * guv;
    if (!(delta > 1e-12)) return false;
    const double s = 1 / std::sqrt(guu), r = s / std::sqrt(delta);
    Vector4 t, Jt;
    for (int i = 0; i < 4; ++i) t[i] = s * xu[i];
    Jt = Combine(r * guu, xv, -r * guv, xu);
    // N = guu f_v - guv f_u; its derivative along u and along itself.
    const double a = Dot4(xu, xuu), b = Dot4(xu, xuv), k = Dot4(xu, xvv), d = Dot4(xv, xuu), e = Dot4(xv, xuv);
    const Vector4 g21 = Combine(guu, xuv, -guv, xuu);
    const Vector4 g12 = Combine(1, g21, 1, Combine(2 * a, xv, -(d + b), xu));
    const Vector4 inner = Combine(1, Combine(guu, xvv, -guv, xuv), 1, Combine(2 * b, xv, -(e + k), xu));
    const Vector4 g22 = Combine(guu, inner, -guv, g12);
    const Vector4 G11 = Normal(xuu, t, Jt, 1 / guu), G21 = Normal(g21, t, Jt, s * r);
    const Vector4 G12 = Normal(g12, t, Jt, s * r), G22 = Normal(g22, t, Jt, r * r);
    const Vector4 H = Combine(0.5, G11, 0.5, G22), B = Combine(0.5, G11, -0.5, G22), C = Combine(0.5, G12, 0.5, G21);
    out.jhb = Determinant4(B, t, Jt, H);
    out.jhc = Determinant4(C, t, Jt, H);
    out.jbc = Determinant4(C, t, Jt, B);
    out.hh = Dot4(H, H);
    out.bb = Dot4(B, B);
    out.cc = Dot4(C, C);
    out.bc = Dot4(B, C);
    out.hb = Dot4(H, B);
    out.hc = Dot4(H, C);
    return std::isfinite(out.hh) && std::isfinite(out.bb) && std::isfinite(out.cc);
}

double NativeGaussCurvature(const Vector2& p) {
    NativeFrame frame;
    if (!NativeGauss(p, frame)) return UndefinedValue;
    return frame.hh - frame.cc - frame.bb;
}

// ---- the engine ------------------------------------------------------------------------
struct DefaultSurface {
    TFormulaCompiler parser;
    TEngineSet engines;
    TLocalGeometry surface{engines};
    DefaultSurface() { engines.Build(kDefaultSurface, parser); }
};

double EngineGaussCurvature(const TLocalGeometry& s, const Vector2& p) {
    const std::optional<TLocalFrame> f = s.Frame(p);
    if (!f) return UndefinedValue;
    return f->hh - f->cc - f->bb;
}

void BM_GaussPixel(benchmark::State& state) {
    auto surface = std::make_unique<DefaultSurface>();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EngineGaussCurvature(surface->surface, points.p[i]));
        i = (i + 1) % kPoints;
    }
    double maxDiff = 0;
    for (const Vector2& p : points.p)
        maxDiff = std::max(maxDiff, std::fabs(EngineGaussCurvature(surface->surface, p) - NativeGaussCurvature(p)));
    state.counters["maxDiffK"] = maxDiff;
}
BENCHMARK(BM_GaussPixel);

void BM_GaussPixelNative(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vector2 p = points.p[i];
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(NativeGaussCurvature(p));
        i = (i + 1) % kPoints;
    }
}
BENCHMARK(BM_GaussPixelNative);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();

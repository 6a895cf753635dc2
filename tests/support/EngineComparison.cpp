#include "EngineComparison.h"

#include "ErrorBound.h"

#include "evaluator/JetEvaluator.h"
#include "evaluator/ReferenceEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "symbolic/SymbolicPartials.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

namespace velmora::test {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();

std::string Number(double x) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", x);
    return buffer;
}

// Records the first disagreement: `what` got `got`, the reference `want`.
void Expect(Verdict& verdict, bool agree, const std::string& what, double got, double want, double magnitude = 0) {
    if (agree || !verdict.failure.empty()) return;
    verdict.failure = what + ": " + Number(got) + " against " + Number(want);
    if (magnitude > 0) verdict.failure += " (error magnitude " + Number(magnitude) + ")";
}

bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// The evaluator's value and partial derivatives at (u, v), f_uv by polarisation.
struct Partials {
    double f = 0, fu = 0, fv = 0, fuu = 0, fuv = 0, fvv = 0;
};

Partials EvaluatorPartials(TJetEvaluator& ev, double u, double v) {
    Partials p;
    const double alongU[6] = {u, v, 1, 0, 0, 0}, alongV[6] = {u, v, 0, 1, 0, 0}, both[6] = {u, v, 1, 1, 0, 0};
    const Vector3 a = ev.SecondD(alongU), b = ev.SecondD(alongV), c = ev.SecondD(both);
    const double uv[2] = {u, v};
    p.f = ev.Value(uv);
    p.fu = a[1];
    p.fv = b[1];
    p.fuu = a[2];
    p.fvv = b[2];
    p.fuv = (c[2] - a[2] - b[2]) / 2;
    return p;
}

// The error magnitudes of the evaluator's partial derivatives at (u, v);
// false when the model cannot judge there, or, with `smooth` (for the third
// derivatives), when an exponential is clamped, so that the derivatives are
// no derivatives of the values nearby, or the scale is extreme.
struct Magnitudes {
    double f = 0, fu = 0, fv = 0, fuu = 0, fuv = 0, fvv = 0;
    double inner = 0;  // the largest magnitude met inside the program
};

// The symbolic blocks compute in extended precision but spill to doubles,
// and their third derivative texts form powers of the formula's intermediates
// that the evaluator never forms: beyond this scale either may leave the
// range of a double where the other does not.
constexpr double kSymbolicScaleLimit = 1e50;

bool MagnitudesAt(const TFormulaCompiler& parser, double u, double v, bool smooth, Magnitudes& m) {
    const double alongU[6] = {u, v, 1, 0, 0, 0}, alongV[6] = {u, v, 0, 1, 0, 0}, both[6] = {u, v, 1, 1, 0, 0};
    const BoundResult value = EvaluateWithBounds(parser.Program(), parser.Table(), 2, alongU, true);
    const BoundResult a = EvaluateWithBounds(parser.Program(), parser.Table(), 2, alongU, false);
    const BoundResult b = EvaluateWithBounds(parser.Program(), parser.Table(), 2, alongV, false);
    const BoundResult c = EvaluateWithBounds(parser.Program(), parser.Table(), 2, both, false);
    for (const BoundResult* r : {&value, &a, &b, &c}) {
        if (r->ambiguous) return false;
        if (smooth && (r->expClamped || r->largest > kSymbolicScaleLimit ||
                       (r->smallest != 0 && r->smallest < 1 / kSymbolicScaleLimit)))
            return false;
    }
    m.f = value.jet.m0;
    m.fu = a.jet.m1;
    m.fv = b.jet.m1;
    m.fuu = a.jet.m2;
    m.fvv = b.jet.m2;
    m.fuv = (a.jet.m2 + b.jet.m2 + c.jet.m2) / 2;
    for (const BoundResult* r : {&value, &a, &b, &c}) m.inner = std::max(m.inner, r->largestMagnitude);
    return true;
}

}  // namespace

Verdict CompareCompiledWithReference(const TFormulaCompiler& parser, TJetEvaluator& evaluator,
                                     ReferenceEvaluator& reference, const double args[6]) {
    Verdict verdict;
    // ff is the parser's code on a copy of its table: identical bits.
    const double ff = evaluator.Value(args);
    if (parser.ValueFunction().Assigned()) {
        const double fv = parser.Evaluate(args);
        Expect(verdict, SameBits(fv, ff), "Fv against ff", fv, ff);
    }
    const Vector3 aa = evaluator.SecondD(args);
    const double firstArgs[4] = {args[0], args[1], args[2], args[3]};
    const Vector2 vv = evaluator.FirstD(firstArgs);
    // The value and first derivative channels do the same operations in vv and aa.
    Expect(verdict, SameBits(vv[0], aa[0]), "vv value against aa value", vv[0], aa[0]);
    Expect(verdict, SameBits(vv[1], aa[1]), "vv f' against aa f'", vv[1], aa[1]);

    const BoundResult valueBound = EvaluateWithBounds(parser.Program(), parser.Table(), 2, args, true);
    const BoundResult derivBound = EvaluateWithBounds(parser.Program(), parser.Table(), 2, args, false);
    if (valueBound.ambiguous || derivBound.ambiguous) return verdict;
    verdict.compared = true;
    const double refValue = reference.Value(args);
    const Vector3 ref = reference.Derivatives(args);
    Expect(verdict, WithinBound(ff, refValue, valueBound.jet.m0), "ff against the reference", ff, refValue,
           valueBound.jet.m0);
    Expect(verdict, WithinBound(aa[0], ref[0], derivBound.jet.m0), "aa value against the reference", aa[0], ref[0],
           derivBound.jet.m0);
    Expect(verdict, WithinBound(aa[1], ref[1], derivBound.jet.m1), "aa f' against the reference", aa[1], ref[1],
           derivBound.jet.m1);
    Expect(verdict, WithinBound(aa[2], ref[2], derivBound.jet.m2), "aa f'' against the reference", aa[2], ref[2],
           derivBound.jet.m2);
    // The reference's own first-derivative mode is the same computation.
    const Vector2 refFirst = reference.FirstDerivative(firstArgs);
    Expect(verdict, SameBits(refFirst[0], ref[0]) || (std::isnan(refFirst[0]) && std::isnan(ref[0])),
           "reference first-derivative mode, value", refFirst[0], ref[0]);
    Expect(verdict, SameBits(refFirst[1], ref[1]) || (std::isnan(refFirst[1]) && std::isnan(ref[1])),
           "reference first-derivative mode, f'", refFirst[1], ref[1]);
    return verdict;
}

Verdict CompareSymbolicWithEvaluator(const TFormulaCompiler& parser, TJetEvaluator& evaluator,
                                     const TSymbolicPartials& symbolic, double u, double v) {
    Verdict verdict;
    Magnitudes m;
    if (!MagnitudesAt(parser, u, v, false, m)) return verdict;
    verdict.compared = true;
    const double at[2] = {u, v};
    auto block = [&](int i, int j, int k) { return symbolic.EvaluateFF(i, j, k, at); };
    const Partials e = EvaluatorPartials(evaluator, u, v);
    // The model keeps first-order terms; where they vanish (an exact zero in
    // one engine, such as the derivative of u/u) the products of two rounding
    // errors of the other are all that is left.
    const double secondOrder = 256 * kEps * kEps * m.inner * m.inner;
    auto agree = [&](double got, double want, double magnitude) {
        return WithinBound(got, want, magnitude) || std::fabs(got - want) <= secondOrder;
    };
    Expect(verdict, agree(block(0, 0, 0), e.f, m.f), "f", block(0, 0, 0), e.f, m.f);
    Expect(verdict, agree(block(1, 0, 0), e.fu, m.fu), "f_u", block(1, 0, 0), e.fu, m.fu);
    Expect(verdict, agree(block(2, 0, 0), e.fv, m.fv), "f_v", block(2, 0, 0), e.fv, m.fv);
    Expect(verdict, agree(block(1, 1, 0), e.fuu, m.fuu), "f_uu", block(1, 1, 0), e.fuu, m.fuu);
    Expect(verdict, agree(block(1, 2, 0), e.fuv, m.fuv), "f_uv", block(1, 2, 0), e.fuv, m.fuv);
    Expect(verdict, agree(block(2, 2, 0), e.fvv, m.fvv), "f_vv", block(2, 2, 0), e.fvv, m.fvv);
    if (!verdict.failure.empty()) return verdict;

    // Third derivatives: d/du and d/dv of f_uu and f_vv by central differences
    // with the steps h, h/2 and h/4, Richardson-extrapolated from the last two.
    // Every stencil point must be one the model judges, without a clamped
    // exponential; and the differences must converge as a smooth function's
    // do (a pole or a kink inside the stencil makes them stall).
    const double hu = 1e-4 * std::max(1.0, std::fabs(u)), hv = 1e-4 * std::max(1.0, std::fabs(v));
    struct Stencil {
        std::array<Partials, 3> plus, minus;  // at +-h, +-h/2, +-h/4
        double magnitude = 0;                 // largest error magnitude of f_uu, f_vv there
    };
    auto stencil = [&](double du, double dv, Stencil& s) {
        for (int k = 0; k < 3; ++k) {
            const double scale = 1.0 / (1 << k);
            for (const double sign : {1.0, -1.0}) {
                const double pu = u + sign * scale * du, pv = v + sign * scale * dv;
                Magnitudes mk;
                if (!MagnitudesAt(parser, pu, pv, true, mk)) return false;
                s.magnitude = std::max({s.magnitude, mk.fuu, mk.fvv});
                (sign > 0 ? s.plus : s.minus)[static_cast<std::size_t>(k)] = EvaluatorPartials(evaluator, pu, pv);
            }
        }
        return true;
    };
    Magnitudes here;
    Stencil alongU, alongV;
    if (!MagnitudesAt(parser, u, v, true, here) || !stencil(hu, 0, alongU) || !stencil(0, hv, alongV)) return verdict;
    const Partials centre = EvaluatorPartials(evaluator, u, v);
    auto check = [&](const char* what, double got, const Stencil& s, double h, double Partials::*second) {
        double d[3];
        for (std::size_t k = 0; k < 3; ++k) {
            const double step = h / (1 << k);
            d[k] = (s.plus[k].*second - s.minus[k].*second) / (2 * step);
        }
        const double extrapolated = (4 * d[2] - d[1]) / 3;
        const double rounding = 256 * kEps * s.magnitude / h;
        const double first = std::fabs(d[1] - d[0]), last = std::fabs(d[2] - d[1]);
        if (!std::isfinite(extrapolated) || !std::isfinite(got)) {
            Expect(verdict, std::isfinite(got) || !std::isfinite(extrapolated), what, got, extrapolated);
            return;
        }
        // Only where the model knows f'' to some eight digits can differences of it tell.
        if (!(rounding <= 1e-3 * std::max(std::fabs(extrapolated), std::fabs(centre.*second)))) return;
        // Converging as h^2 (the second change a quarter of the first), or already within rounding.
        if (last > 0.4 * first + rounding || last > 1e-3 * std::fabs(extrapolated) + rounding) return;
        // Smooth at the smallest step around the point itself: its curvature
        // there is small beside its slope (a pole or a kink at the point is not).
        const double nearPlus = s.plus[2].*second, nearMinus = s.minus[2].*second;
        const double bend = std::fabs(nearPlus - 2 * (centre.*second) + nearMinus);
        if (!(bend <= std::fabs(nearPlus - nearMinus) + 64 * kEps * s.magnitude)) return;
        const double tolerance = 4 * last + rounding + 1e-9 * std::fabs(extrapolated) + secondOrder;
        // A difference without a significant digit decides nothing.
        if (!(tolerance <= 0.1 * std::fabs(extrapolated) + 1e-6 * (s.magnitude + std::fabs(centre.*second)))) return;
        Expect(verdict, std::fabs(got - extrapolated) <= tolerance, what, got, extrapolated, tolerance);
    };
    check("f_uuu", block(1, 1, 1), alongU, hu, &Partials::fuu);
    check("f_uuv", block(1, 1, 2), alongV, hv, &Partials::fuu);
    check("f_uvv", block(1, 2, 2), alongU, hu, &Partials::fvv);
    check("f_vvv", block(2, 2, 2), alongV, hv, &Partials::fvv);
    return verdict;
}

}  // namespace velmora::test

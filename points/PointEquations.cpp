#include "points/PointEquations.h"

#include "geometry/VectorMath.h"

#include <cmath>

namespace velmora {

namespace {

// |normal part of e_axis|^2 = 1 - t_axis^2 - Jt_axis^2.
double NormalPartSquared(const TLocalFrame& f, int axis) {
    return 1 - f.t[axis] * f.t[axis] - f.Jt[axis] * f.Jt[axis];
}

}  // namespace

std::array<std::optional<TEquationPair>, 4> MinimalEquationsByAxis(const TLocalFrame& f) {
    std::array<std::optional<TEquationPair>, 4> pairs;
    // Det(H, t, Jt, Y) = -Det(Y, H, t, Jt) = -X.Y.
    const Vector4 X = CrossProductR4(f.vH, f.t, f.Jt);
    for (int axis = 0; axis < 4; ++axis) {
        const double squared = NormalPartSquared(f, axis);
        if (!(squared >= 0.01)) continue;
        const double length = std::sqrt(squared);
        pairs[axis] = TEquationPair{f.vH[axis] / length, -X[axis] / length};
    }
    return pairs;
}

int BestNormalAxis(const TLocalFrame& f) {
    int best = 0;
    for (int axis = 1; axis < 4; ++axis)
        if (NormalPartSquared(f, axis) > NormalPartSquared(f, best)) best = axis;
    return best;
}

bool KindEquations(const TLocalFrame& f, TSpecialKind kind, int axis, TEquationPair& out) {
    switch (kind) {
        case TSpecialKind::Axiumbilic: out = {f.bb - f.cc, 2 * f.bc}; return true;
        case TSpecialKind::Inflection: out = {f.jhb, f.jhc}; return true;
        case TSpecialKind::PrincipalSingular: out = {f.hb, f.hc}; return true;
        case TSpecialKind::Minimal: {
            if (axis < 0 || axis > 3) return false;
            const std::optional<TEquationPair> pair = MinimalEquationsByAxis(f)[axis];
            if (!pair) return false;
            out = *pair;
            return true;
        }
        case TSpecialKind::Degenerate: break;
    }
    return false;
}

double CurvatureScale(const TLocalFrame& f) {
    const double g = f.guu + f.gvv;
    const double second = NormSquared4(f.xuu) + 2 * NormSquared4(f.xuv) + NormSquared4(f.xvv);
    return g > 0 ? second / (g * g) : 0;
}

double EquationScale(const TLocalFrame& f, TSpecialKind kind) {
    const double s = CurvatureScale(f);
    return kind == TSpecialKind::Minimal ? std::sqrt(s) : s;
}

bool PairVanishes(const TEquationPair& e, double scale, double share) {
    const double tolerance = share * scale;
    return std::fabs(e.f1) <= tolerance && std::fabs(e.f2) <= tolerance;
}

bool KindConditionHolds(const TLocalFrame& f, TSpecialKind kind) {
    if (kind != TSpecialKind::Inflection && kind != TSpecialKind::PrincipalSingular) return true;
    return f.hh > 1e-12 * CurvatureScale(f);
}

TOriginSide InflectionOriginSide(const TLocalFrame& f) {
    return f.hh < f.bb + f.cc ? TOriginSide::Inside : TOriginSide::Outside;
}

}  // namespace velmora

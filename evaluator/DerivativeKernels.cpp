#include "evaluator/DerivativeKernels.h"

#include "formula/FunctionCodes.h"

#include <bit>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr double kHuge = 1e100;
constexpr double kTiny = 1e-100;
constexpr double kLnClamp = -230.0;

// log2(e) * u rounded to a 64-bit mantissa, as fldl2e; fmulp compute it.
long double TimesLog2e(double u) {
    long double t;
    asm("fldl2e\n\tfmulp" : "=t"(t) : "0"(static_cast<long double>(u)));
    return t;
}

// The smallest positive double u with u log2 e > 230 in extended precision.
double ComputeExpClampThreshold() {
    uint64_t lo = std::bit_cast<uint64_t>(159.0);  // 159 log2 e < 230
    uint64_t hi = std::bit_cast<uint64_t>(160.0);  // 160 log2 e > 230
    while (hi - lo > 1) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (TimesLog2e(std::bit_cast<double>(mid)) > 230.0L) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return std::bit_cast<double>(hi);
}

const double kExpThreshold = ComputeExpClampThreshold();

// Value and derivative factors of one function at u. `flat` marks a clamp:
// the result is f with zero derivatives.
struct Factors {
    double f = 0, g1 = 0, g2 = 0;
    bool flat = false;
};

Factors Flat(double f) { return {f, 0, 0, true}; }

bool ExpClamped(double u) { return !(std::fabs(u) < kExpThreshold); }

double ClampValue(double u) { return (u > 0 || u != u) ? kHuge : kTiny; }

template <Fn Code>
Factors Eval(double u) {
    if constexpr (Code == Fn::Cos) {
        const double s = std::sin(u), c = std::cos(u);
        return {c, -s, -c};
    } else if constexpr (Code == Fn::Sin) {
        const double s = std::sin(u), c = std::cos(u);
        return {s, c, -s};
    } else if constexpr (Code == Fn::Exp) {
        const double e = ClampedExp(u);
        return {e, e, e};
    } else if constexpr (Code == Fn::Sqrt) {
        if (!(u > 0)) return Flat(0);
        const double s = std::sqrt(u);
        const double g1 = 0.5 / s;
        return {s, g1, -g1 / (2 * u)};
    } else if constexpr (Code == Fn::Ln) {
        if (!(u > 0)) return Flat(kLnClamp);
        const double g1 = 1 / u;
        return {std::log(u), g1, -g1 * g1};
    } else if constexpr (Code == Fn::Tan) {
        const double t = std::tan(u);
        const double g1 = 1 + t * t;
        return {t, g1, 2 * t * g1};
    } else if constexpr (Code == Fn::Sinh || Code == Fn::Cosh) {
        double s, c;
        if (ExpClamped(u)) {
            const double e = ClampValue(u);
            s = e / 2 - 0.5 / e;
            c = e / 2 + 0.5 / e;
        } else {
            s = std::sinh(u);
            c = std::cosh(u);
        }
        if constexpr (Code == Fn::Sinh) return {s, c, s};
        return {c, s, c};
    } else if constexpr (Code == Fn::Tanh) {
        double t;
        if (ExpClamped(u)) {
            const double e2 = ClampValue(u) * ClampValue(u);
            t = (e2 - 1) / (e2 + 1);
        } else {
            t = std::tanh(u);
        }
        const double g1 = (1 - t) * (1 + t);
        return {t, g1, -2 * t * g1};
    } else if constexpr (Code == Fn::ArcSin || Code == Fn::ArcCos) {
        if (!(std::fabs(u) < 1)) {
            if constexpr (Code == Fn::ArcSin) return Flat(u > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2);
            return Flat(u > 0 ? 0.0 : std::numbers::pi);
        }
        const double r = std::sqrt((1 - u) * (1 + u));
        const double g1 = 1 / r;
        const double g2 = u * g1 * g1 * g1;
        if constexpr (Code == Fn::ArcSin) return {std::atan2(u, r), g1, g2};
        return {std::atan2(r, u), -g1, -g2};
    } else if constexpr (Code == Fn::ArcTan) {
        const double q = 1 / (1 + u * u);
        return {std::atan(u), q, -2 * u * q * q};
    } else if constexpr (Code == Fn::Cot) {
        const double s = std::sin(u), c = std::cos(u);
        if (!(s < 0 || s > 0)) return Flat(0);
        const double k = c / s;
        const double g1 = -(1 + k * k);
        return {k, g1, -2 * k * g1};
    } else if constexpr (Code == Fn::ArcCosh) {
        if (!(u > 1)) return Flat(0);
        const double g1 = 1 / std::sqrt((u - 1) * (u + 1));
        return {std::acosh(u), g1, -u * g1 * g1 * g1};
    } else if constexpr (Code == Fn::ArcTanh) {
        if (!(std::fabs(u) < 1)) return Flat(u >= 0 ? kHuge : -kHuge);
        const double g1 = 1 / ((1 - u) * (1 + u));
        return {0.5 * std::log1p(2 * u / (1 - u)), g1, 2 * u * g1 * g1};
    } else if constexpr (Code == Fn::ArcSinh) {
        const double g1 = 1 / std::sqrt(u * u + 1);
        return {std::asinh(u), g1, -u * g1 * g1 * g1};
    }
}

template <Fn Code>
void Kernel(double* t) {
    const Factors r = Eval<Code>(t[0]);
    t[0] = r.f;
    t[1] = r.flat ? 0.0 : r.g1;
    t[2] = r.flat ? 0.0 : r.g2;
}

}  // namespace

double ExpClampThreshold() { return kExpThreshold; }

double ClampedExp(double u) { return ExpClamped(u) ? ClampValue(u) : std::exp(u); }

DerivativeKernel KernelFor(uint8_t code) {
    switch (AsFn(code)) {
        case Fn::Cos: return &Kernel<Fn::Cos>;
        case Fn::Sin: return &Kernel<Fn::Sin>;
        case Fn::Exp: return &Kernel<Fn::Exp>;
        case Fn::Sqrt: return &Kernel<Fn::Sqrt>;
        case Fn::Ln: return &Kernel<Fn::Ln>;
        case Fn::Tan: return &Kernel<Fn::Tan>;
        case Fn::Sinh: return &Kernel<Fn::Sinh>;
        case Fn::Cosh: return &Kernel<Fn::Cosh>;
        case Fn::Tanh: return &Kernel<Fn::Tanh>;
        case Fn::ArcSin: return &Kernel<Fn::ArcSin>;
        case Fn::ArcCos: return &Kernel<Fn::ArcCos>;
        case Fn::ArcTan: return &Kernel<Fn::ArcTan>;
        case Fn::Cot: return &Kernel<Fn::Cot>;
        case Fn::ArcCosh: return &Kernel<Fn::ArcCosh>;
        case Fn::ArcTanh: return &Kernel<Fn::ArcTanh>;
        case Fn::ArcSinh: return &Kernel<Fn::ArcSinh>;
        default: return nullptr;
    }
}

void SineAndCosine(double* t) {
    const double u = t[0];
    t[0] = std::sin(u);
    t[1] = std::cos(u);
}

}  // namespace velmora

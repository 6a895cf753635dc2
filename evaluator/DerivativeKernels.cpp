#include "evaluator/DerivativeKernels.h"

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

template <uint8_t Code>
Factors Eval(double u) {
    if constexpr (Code == 'A') {
        const double s = std::sin(u), c = std::cos(u);
        return {c, -s, -c};
    } else if constexpr (Code == 'B') {
        const double s = std::sin(u), c = std::cos(u);
        return {s, c, -s};
    } else if constexpr (Code == 'C') {
        const double e = ClampedExp(u);
        return {e, e, e};
    } else if constexpr (Code == 'E') {
        if (!(u > 0)) return Flat(0);
        const double s = std::sqrt(u);
        const double g1 = 0.5 / s;
        return {s, g1, -g1 / (2 * u)};
    } else if constexpr (Code == 'F') {
        if (!(u > 0)) return Flat(kLnClamp);
        const double g1 = 1 / u;
        return {std::log(u), g1, -g1 * g1};
    } else if constexpr (Code == 'G') {
        const double t = std::tan(u);
        const double g1 = 1 + t * t;
        return {t, g1, 2 * t * g1};
    } else if constexpr (Code == 'H' || Code == 'I') {
        double s, c;
        if (ExpClamped(u)) {
            const double e = ClampValue(u);
            s = e / 2 - 0.5 / e;
            c = e / 2 + 0.5 / e;
        } else {
            s = std::sinh(u);
            c = std::cosh(u);
        }
        if constexpr (Code == 'H') return {s, c, s};
        return {c, s, c};
    } else if constexpr (Code == 'J') {
        double t;
        if (ExpClamped(u)) {
            const double e2 = ClampValue(u) * ClampValue(u);
            t = (e2 - 1) / (e2 + 1);
        } else {
            t = std::tanh(u);
        }
        const double g1 = (1 - t) * (1 + t);
        return {t, g1, -2 * t * g1};
    } else if constexpr (Code == 'K' || Code == 'L') {
        if (!(std::fabs(u) < 1)) {
            if constexpr (Code == 'K') return Flat(u > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2);
            return Flat(u > 0 ? 0.0 : std::numbers::pi);
        }
        const double r = std::sqrt((1 - u) * (1 + u));
        const double g1 = 1 / r;
        const double g2 = u * g1 * g1 * g1;
        if constexpr (Code == 'K') return {std::atan2(u, r), g1, g2};
        return {std::atan2(r, u), -g1, -g2};
    } else if constexpr (Code == 'M') {
        const double q = 1 / (1 + u * u);
        return {std::atan(u), q, -2 * u * q * q};
    } else if constexpr (Code == 'O') {
        const double s = std::sin(u), c = std::cos(u);
        if (!(s < 0 || s > 0)) return Flat(0);
        const double k = c / s;
        const double g1 = -(1 + k * k);
        return {k, g1, -2 * k * g1};
    } else if constexpr (Code == 'P') {
        if (!(u > 1)) return Flat(0);
        const double g1 = 1 / std::sqrt((u - 1) * (u + 1));
        return {std::acosh(u), g1, -u * g1 * g1 * g1};
    } else if constexpr (Code == 'Q') {
        if (!(std::fabs(u) < 1)) return Flat(u >= 0 ? kHuge : -kHuge);
        const double g1 = 1 / ((1 - u) * (1 + u));
        return {0.5 * std::log1p(2 * u / (1 - u)), g1, 2 * u * g1 * g1};
    } else if constexpr (Code == 'R') {
        const double g1 = 1 / std::sqrt(u * u + 1);
        return {std::asinh(u), g1, -u * g1 * g1 * g1};
    }
}

template <uint8_t Code, int Channels>
void Kernel(double* t) {
    const Factors r = Eval<Code>(t[0]);
    t[0] = r.f;
    if (r.flat) {
        t[1] = 0;
        if constexpr (Channels == 3) t[2] = 0;
        return;
    }
    const double d = t[1];
    t[1] = r.g1 * d;
    if constexpr (Channels == 3) t[2] = r.g2 * d * d + r.g1 * t[2];
}

template <int Channels>
DerivativeKernel KernelForChannels(uint8_t code) {
    switch (code) {
        case 'A': return &Kernel<'A', Channels>;
        case 'B': return &Kernel<'B', Channels>;
        case 'C': return &Kernel<'C', Channels>;
        case 'E': return &Kernel<'E', Channels>;
        case 'F': return &Kernel<'F', Channels>;
        case 'G': return &Kernel<'G', Channels>;
        case 'H': return &Kernel<'H', Channels>;
        case 'I': return &Kernel<'I', Channels>;
        case 'J': return &Kernel<'J', Channels>;
        case 'K': return &Kernel<'K', Channels>;
        case 'L': return &Kernel<'L', Channels>;
        case 'M': return &Kernel<'M', Channels>;
        case 'O': return &Kernel<'O', Channels>;
        case 'P': return &Kernel<'P', Channels>;
        case 'Q': return &Kernel<'Q', Channels>;
        case 'R': return &Kernel<'R', Channels>;
        default: return nullptr;
    }
}

}  // namespace

double ExpClampThreshold() { return kExpThreshold; }

double ClampedExp(double u) { return ExpClamped(u) ? ClampValue(u) : std::exp(u); }

DerivativeKernel KernelFor(uint8_t code, int channels) {
    if (channels == 2) return KernelForChannels<2>(code);
    if (channels == 3) return KernelForChannels<3>(code);
    return nullptr;
}

}  // namespace velmora

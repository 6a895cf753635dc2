// Helpers of the symbolic-engine tests: the code of the blocks of a formula,
// programs of the block compiler written by hand (readable encoded texts),
// and truncated Taylor polynomials in two variables (jets up to total degree
// 3) that give every partial derivative up to the third order by forward
// propagation, an independent computation to check the symbolic blocks
// against.
#pragma once

#include "platform/VelmoraError.h"
#include "symbolic/SymbolicCodegen.h"
#include "symbolic/SymbolicPartials.h"
#include "tests/platform/ErrorTestSupport.h"
#include "tests/support/PublishedCode.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace velmora::test {

// Readable form of an encoded text: {k} for 0xFF k, <x> for 0xFE x, u and v
// for the variables {1} and {2} when `letters` is set.
inline std::string Show(const std::string& s, bool letters = true) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c == 0xFF || c == 0xFE) && i + 1 < s.size()) {
            const auto k = static_cast<unsigned char>(s[++i]);
            if (c == 0xFE) {
                out += "<" + std::string(1, static_cast<char>(k)) + ">";
            } else if (letters && k == 1) {
                out += "u";
            } else if (letters && k == 2) {
                out += "v";
            } else {
                out += "{" + std::to_string(k) + "}";
            }
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Bytes of the prologue of a block: it holds the address of the table the
// block reads, which every parse has of its own.
inline constexpr std::size_t kPrologueBytes = 21;

// The code of block (i, j, k) after its prologue.
inline std::vector<uint8_t> BlockBody(const TSymbolicPartials& f, int i = 0, int j = 0, int k = 0) {
    const std::span<const uint8_t> code = f.BlockCode(i, j, k);
    if (code.size() < kPrologueBytes) return {};
    return std::vector<uint8_t>(code.begin() + kPrologueBytes, code.end());
}

// The code of the block (i, j, k) of `text` after its prologue: two texts
// with the same code were read into the same program.
inline std::vector<uint8_t> Body(const std::string& text, const std::array<int, 3>& index = {0, 0, 0},
                                 const std::string& vars = "uv") {
    TSymbolicPartials f;
    f.ParseNewText(text, vars, "", {.compile = true, .withPartials = index != std::array<int, 3>{0, 0, 0}});
    return BlockBody(f, index[0], index[1], index[2]);
}

// The code of a program written by hand, compiled by the engine's block
// compiler in two variables reading `table`.
inline std::vector<uint8_t> ProgramCode(const std::string& program, const SymbolicTable& table,
                                        SymbolicBlock kind = SymbolicBlock::Value) {
    X87CodeGen gen;
    EmitSymbolicBlock(gen, program, 2, table.data(), kind);
    return gen.Code().Bytes();
}

// The same, published to be called.
inline PublishedCode PublishedProgram(const std::string& program, const SymbolicTable& table) {
    X87CodeGen gen;
    EmitSymbolicBlock(gen, program, 2, table.data(), SymbolicBlock::Value);
    return PublishedCode(gen.Code());
}

// Value of the compiled formula (block 0) at (u, v).
inline double ValueAt(const std::string& text, double u, double v) {
    TSymbolicPartials f;
    f.ParseNewText(text, "uv", "", {.compile = true});
    const double args[2] = {u, v};
    return f.EvaluateFF(0, 0, 0, args);
}

// Encoded form of a readable text: {k} is the token 0xFF k, u/v/w the
// variables 1/2/3.
inline std::string Enc(const std::string& readable) {
    std::string out;
    for (std::size_t i = 0; i < readable.size(); ++i) {
        const char c = readable[i];
        if (c == '{') {
            const std::size_t close = readable.find('}', i);
            out += '\xFF';
            out += static_cast<char>(std::stoi(readable.substr(i + 1, close - i - 1)));
            i = close;
        } else if (c == 'u' || c == 'v' || c == 'w') {
            out += '\xFF';
            out += static_cast<char>(c == 'u' ? 1 : (c == 'v' ? 2 : 3));
        } else {
            out += c;
        }
    }
    return out;
}

// The nine partial derivatives and the value in the order of the blocks:
// f, f_u, f_v, f_uu, f_uv, f_vv, f_uuu, f_uuv, f_uvv, f_vvv.
inline constexpr std::array<std::array<int, 3>, 10> kMultiIndexes{{
    {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 2, 0}, {2, 2, 0}, {1, 1, 1}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}}};
inline constexpr std::array<const char*, 10> kDerivativeNames{"f",   "fu",   "fv",   "fuu",  "fuv",
                                                              "fvv", "fuuu", "fuuv", "fuvv", "fvvv"};

// A truncated Taylor polynomial sum c[i][j] du^i dv^j, i + j <= 3.
struct Jet {
    std::array<std::array<double, 4>, 4> c{};

    Jet() = default;
    Jet(double constant) { c[0][0] = constant; }  // NOLINT: constants mix freely with jets
    static Jet U(double u) {
        Jet j(u);
        j.c[1][0] = 1;
        return j;
    }
    static Jet V(double v) {
        Jet j(v);
        j.c[0][1] = 1;
        return j;
    }
    double value() const { return c[0][0]; }
    // The partial derivative d^(i+j) / du^i dv^j.
    double Partial(int i, int j) const {
        static constexpr double factorial[4] = {1, 1, 2, 6};
        return c[i][j] * factorial[i] * factorial[j];
    }
    // The derivative with the multi-index (a, b, c) of the engine (1 = u, 2 = v).
    double Derivative(const std::array<int, 3>& index) const {
        int i = 0, j = 0;
        for (int k : index) {
            if (k == 1) ++i;
            if (k == 2) ++j;
        }
        return Partial(i, j);
    }
};

inline Jet operator+(const Jet& a, const Jet& b) {
    Jet r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; i + j < 4; ++j) r.c[i][j] = a.c[i][j] + b.c[i][j];
    return r;
}
inline Jet operator-(const Jet& a) {
    Jet r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; i + j < 4; ++j) r.c[i][j] = -a.c[i][j];
    return r;
}
inline Jet operator-(const Jet& a, const Jet& b) { return a + (-b); }
inline Jet operator*(const Jet& a, const Jet& b) {
    Jet r;
    for (int i1 = 0; i1 < 4; ++i1)
        for (int j1 = 0; i1 + j1 < 4; ++j1)
            for (int i2 = 0; i1 + j1 + i2 < 4; ++i2)
                for (int j2 = 0; i1 + j1 + i2 + j2 < 4; ++j2) r.c[i1 + i2][j1 + j2] += a.c[i1][j1] * b.c[i2][j2];
    return r;
}

// g(a + h) = g(a) + g'(a) h + g''(a) h^2/2 + g'''(a) h^3/6 for the nilpotent part h.
inline Jet Compose(const Jet& x, double g0, double g1, double g2, double g3) {
    Jet h = x;
    h.c[0][0] = 0;
    const Jet h2 = h * h;
    const Jet h3 = h2 * h;
    return Jet(g0) + g1 * h + (g2 / 2) * h2 + (g3 / 6) * h3;
}

inline Jet inv(const Jet& x) {
    const double a = x.value();
    return Compose(x, 1 / a, -1 / (a * a), 2 / (a * a * a), -6 / (a * a * a * a));
}
inline Jet operator/(const Jet& a, const Jet& b) { return a * inv(b); }
inline Jet sin(const Jet& x) {
    const double s = std::sin(x.value()), c = std::cos(x.value());
    return Compose(x, s, c, -s, -c);
}
inline Jet cos(const Jet& x) {
    const double s = std::sin(x.value()), c = std::cos(x.value());
    return Compose(x, c, -s, -c, s);
}
inline Jet exp(const Jet& x) {
    const double e = std::exp(x.value());
    return Compose(x, e, e, e, e);
}
inline Jet log(const Jet& x) {
    const double a = x.value();
    return Compose(x, std::log(a), 1 / a, -1 / (a * a), 2 / (a * a * a));
}
inline Jet sqrt(const Jet& x) {
    const double a = x.value(), r = std::sqrt(a);
    return Compose(x, r, 0.5 / r, -0.25 / (a * r), 0.375 / (a * a * r));
}
inline Jet tan(const Jet& x) {
    const double t = std::tan(x.value()), s = 1 + t * t;
    return Compose(x, t, s, 2 * t * s, 2 * s * (1 + 3 * t * t));
}
inline Jet cot(const Jet& x) {
    const double c = 1 / std::tan(x.value()), s = 1 + c * c;
    return Compose(x, c, -s, 2 * c * s, -2 * s * (1 + 3 * c * c));
}
inline Jet sinh(const Jet& x) {
    const double s = std::sinh(x.value()), c = std::cosh(x.value());
    return Compose(x, s, c, s, c);
}
inline Jet cosh(const Jet& x) {
    const double s = std::sinh(x.value()), c = std::cosh(x.value());
    return Compose(x, c, s, c, s);
}
inline Jet tanh(const Jet& x) {
    const double t = std::tanh(x.value()), q = 1 - t * t;
    return Compose(x, t, q, -2 * t * q, -2 * q * (1 - 3 * t * t));
}
inline Jet asin(const Jet& x) {
    const double a = x.value(), w = 1 - a * a;
    return Compose(x, std::asin(a), std::pow(w, -0.5), a * std::pow(w, -1.5), (1 + 2 * a * a) * std::pow(w, -2.5));
}
inline Jet acos(const Jet& x) {
    const double a = x.value(), w = 1 - a * a;
    return Compose(x, std::acos(a), -std::pow(w, -0.5), -a * std::pow(w, -1.5), -(1 + 2 * a * a) * std::pow(w, -2.5));
}
inline Jet atan(const Jet& x) {
    const double a = x.value(), w = 1 + a * a;
    return Compose(x, std::atan(a), 1 / w, -2 * a / (w * w), (6 * a * a - 2) / (w * w * w));
}
inline Jet asinh(const Jet& x) {
    const double a = x.value(), w = 1 + a * a;
    return Compose(x, std::asinh(a), std::pow(w, -0.5), -a * std::pow(w, -1.5), (2 * a * a - 1) * std::pow(w, -2.5));
}
inline Jet acosh(const Jet& x) {
    const double a = x.value(), w = a * a - 1;
    return Compose(x, std::acosh(a), std::pow(w, -0.5), -a * std::pow(w, -1.5), (2 * a * a + 1) * std::pow(w, -2.5));
}
inline Jet atanh(const Jet& x) {
    const double a = x.value(), w = 1 - a * a;
    return Compose(x, std::atanh(a), 1 / w, 2 * a / (w * w), (2 + 6 * a * a) / (w * w * w));
}
inline Jet fabs(const Jet& x) { return x.value() < 0 ? -x : x; }
inline Jet sgn(const Jet& x) { return Jet(x.value() > 0 ? 1.0 : (x.value() < 0 ? -1.0 : 0.0)); }
inline Jet pow(const Jet& b, const Jet& e) { return exp(e * log(b)); }
inline Jet ipow(const Jet& b, int n) {
    Jet r(1.0);
    for (int k = 0; k < (n < 0 ? -n : n); ++k) r = r * b;
    return n < 0 ? inv(r) : r;
}

}  // namespace velmora::test

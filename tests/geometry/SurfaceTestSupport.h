// Surfaces built from formula texts, and an independent computation of the
// second-order geometry from derivatives obtained by finite differences of a
// C++ implementation of the same surface (orthonormal normal basis, matrices of
// the second fundamental form, the curvature ellipse by sampling).
#pragma once

#include "geometry/LocalGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <string>

namespace velmora::testing {

struct BuiltSurface {
    TFormulaCompiler parser;
    TEngineSet engines;
    TLocalGeometry s{engines};
};

inline std::unique_ptr<BuiltSurface> MakeSurface(const std::array<std::string, 4>& texts) {
    auto built = std::make_unique<BuiltSurface>();
    built->engines.Build(texts, built->parser);
    return built;
}

// The frame of the surface at p; a zero frame (and a test failure) where
// there is none.
inline TLocalFrame FrameAt(const TLocalGeometry& s, const Vector2& p) {
    const std::optional<TLocalFrame> f = s.Frame(p);
    EXPECT_TRUE(f.has_value()) << "no frame at " << p[0] << ", " << p[1];
    return f.value_or(TLocalFrame{});
}

// The default surface with the u of the formulas replaced by `u` (e.g. "(2*u+1)").
inline std::array<std::string, 4> DefaultSurfaceTexts(const std::string& u = "u") {
    return {"(1-0.1*cos(v))*cos(" + u + ") + 0.1*sin(" + u + ")*sin(v)",
            "(1-0.1*cos(v))*sin(" + u + ") - 0.1*cos(" + u + ")*sin(v)",
            "(1-0.4*cos(v))*cos(2*" + u + ") + 0.8*sin(2*" + u + ")*sin(v)",
            "(1-0.4*cos(v))*sin(2*" + u + ") - 0.8*cos(2*" + u + ")*sin(v)"};
}

inline Vector4 DefaultSurfacePoint(double u, double v) {
    return {(1 - 0.1 * std::cos(v)) * std::cos(u) + 0.1 * std::sin(u) * std::sin(v),
            (1 - 0.1 * std::cos(v)) * std::sin(u) - 0.1 * std::cos(u) * std::sin(v),
            (1 - 0.4 * std::cos(v)) * std::cos(2 * u) + 0.8 * std::sin(2 * u) * std::sin(v),
            (1 - 0.4 * std::cos(v)) * std::sin(2 * u) - 0.8 * std::cos(2 * u) * std::sin(v)};
}

inline Vector4 Add(const Vector4& a, const Vector4& b, double sb = 1) {
    return {a[0] + sb * b[0], a[1] + sb * b[1], a[2] + sb * b[2], a[3] + sb * b[3]};
}
inline Vector4 Scale(const Vector4& a, double s) { return {s * a[0], s * a[1], s * a[2], s * a[3]}; }
inline double Dot(const Vector4& a, const Vector4& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}
inline double Norm(const Vector4& a) { return std::sqrt(Dot(a, a)); }

// Second-order geometry at a point from the derivatives of the surface.
struct ReferenceGeometry {
    Vector4 xu{}, xv{}, xuu{}, xuv{}, xvv{};
    Vector4 e{}, f{};    // orthonormal tangent basis, oriented like (xu, xv)
    Vector4 n1{}, n2{};  // orthonormal normal basis
    double E = 0, F = 0, G = 0;

    // Derivatives by central differences of `surface`.
    static ReferenceGeometry FromFunction(const std::function<Vector4(double, double)>& surface, double u,
                                          double v) {
        ReferenceGeometry g;
        const double h = 1e-4, k = 2e-3;
        g.xu = Scale(Add(surface(u + h, v), surface(u - h, v), -1), 1 / (2 * h));
        g.xv = Scale(Add(surface(u, v + h), surface(u, v - h), -1), 1 / (2 * h));
        const Vector4 c = surface(u, v);
        // Fourth-order central second differences.
        auto second = [&](auto at) {
            const Vector4 p1 = at(k), m1 = at(-k), p2 = at(2 * k), m2 = at(-2 * k);
            Vector4 r;
            for (int i = 0; i < 4; ++i) r[i] = (-p2[i] + 16 * p1[i] - 30 * c[i] + 16 * m1[i] - m2[i]) / (12 * k * k);
            return r;
        };
        g.xuu = second([&](double d) { return surface(u + d, v); });
        g.xvv = second([&](double d) { return surface(u, v + d); });
        const Vector4 dd = second([&](double d) { return surface(u + d, v + d); });
        for (int i = 0; i < 4; ++i) g.xuv[i] = (dd[i] - g.xuu[i] - g.xvv[i]) / 2;
        g.Complete();
        return g;
    }

    // Frame and normal basis from xu .. xvv.
    void Complete() {
        E = Dot(xu, xu);
        F = Dot(xu, xv);
        G = Dot(xv, xv);
        e = Scale(xu, 1 / Norm(xu));
        f = Add(xv, e, -Dot(xv, e));
        f = Scale(f, 1 / Norm(f));
        // Gram-Schmidt of the coordinate axes, keeping the two largest residues.
        std::array<Vector4, 4> residues;
        for (int i = 0; i < 4; ++i) {
            Vector4 axis{0, 0, 0, 0};
            axis[i] = 1;
            residues[i] = Add(Add(axis, e, -Dot(axis, e)), f, -Dot(axis, f));
        }
        int best = 0;
        for (int i = 1; i < 4; ++i)
            if (Norm(residues[i]) > Norm(residues[best])) best = i;
        n1 = Scale(residues[best], 1 / Norm(residues[best]));
        int second = -1;
        double secondNorm = -1;
        for (int i = 0; i < 4; ++i) {
            if (i == best) continue;
            const Vector4 r = Add(residues[i], n1, -Dot(residues[i], n1));
            if (Norm(r) > secondNorm) {
                secondNorm = Norm(r);
                second = i;
            }
        }
        n2 = Add(residues[second], n1, -Dot(residues[second], n1));
        n2 = Scale(n2, 1 / Norm(n2));
    }

    Vector4 NormalPart(const Vector4& a) const {
        return Add(Scale(n1, Dot(a, n1)), n2, Dot(a, n2));
    }

    // Gauss equation: K = sum_k (L_k N_k - M_k^2) / (E G - F^2).
    double GaussCurvature() const {
        double k = 0;
        for (const Vector4& n : {n1, n2}) k += Dot(xuu, n) * Dot(xvv, n) - Dot(xuv, n) * Dot(xuv, n);
        return k / (E * G - F * F);
    }

    // Mean curvature vector: half the trace of II with respect to the metric.
    Vector4 MeanCurvatureVector() const {
        Vector4 h{0, 0, 0, 0};
        const double det = E * G - F * F;
        for (const Vector4& n : {n1, n2}) {
            const double L = Dot(xuu, n), M = Dot(xuv, n), N = Dot(xvv, n);
            h = Add(h, n, (E * N - 2 * F * M + G * L) / (2 * det));
        }
        return h;
    }

    // Coordinates (du, dv) of the unit tangent cos(theta) e + sin(theta) f.
    std::array<double, 2> Coordinates(double theta) const {
        const Vector4 w = Add(Scale(e, std::cos(theta)), f, std::sin(theta));
        const double a = Dot(w, xu), b = Dot(w, xv), det = E * G - F * F;
        return {(G * a - F * b) / det, (E * b - F * a) / det};
    }

    // II(w, w) of the unit tangent w at angle theta.
    Vector4 SecondForm(double theta) const {
        const auto d = Coordinates(theta);
        Vector4 raw;
        for (int i = 0; i < 4; ++i) raw[i] = d[0] * d[0] * xuu[i] + 2 * d[0] * d[1] * xuv[i] + d[1] * d[1] * xvv[i];
        return NormalPart(raw);
    }

    // Half axes of the ellipse theta -> II(w, w), by sampling.
    void EllipseAxes(double& a, double& b) const {
        const Vector4 h = MeanCurvatureVector();
        a = -1;
        b = 1e300;
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            const double r = Norm(Add(SecondForm(std::numbers::pi * i / n), h, -1));
            a = std::max(a, r);
            b = std::min(b, r);
        }
    }

    // II(w, w) - H = B' cos 2 theta + C' sin 2 theta (II is a quadratic form in
    // (cos theta, sin theta)): B' = (II(0) - II(pi/2))/2, C' = II(pi/4) - H.
    void EllipseVectors(Vector4& B, Vector4& C) const {
        const double pi = std::numbers::pi;
        B = Scale(Add(SecondForm(0), SecondForm(pi / 2), -1), 0.5);
        C = Add(SecondForm(pi / 4), MeanCurvatureVector(), -1);
    }

    // d/dtheta II(w, w) = 2 II(w, Jw).
    Vector4 SecondFormDerivative(double theta) const {
        Vector4 B, C;
        EllipseVectors(B, C);
        return Add(Scale(B, -2 * std::sin(2 * theta)), C, 2 * std::cos(2 * theta));
    }

    // Unit vector along the major axis: II(w, w) - H = B' cos 2t + C' sin 2t with
    // B' = (II(0) - II(pi/2))/2 and C' = II(pi/4) - H; the vertex maximises
    // |B' cos s + C' sin s|^2, at tan 2s = 2 B'.C' / (B'.B' - C'.C').
    Vector4 MajorAxis() const {
        Vector4 B, C;
        EllipseVectors(B, C);
        const double s = std::atan2(2 * Dot(B, C), Dot(B, B) - Dot(C, C)) / 2;
        const Vector4 V = Add(Scale(B, std::cos(s)), C, std::sin(s));
        return Scale(V, 1 / Norm(V));
    }
};

}  // namespace velmora::testing

#include "session/EllipseFigure.h"

#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {
constexpr double kTwoPi = 2 * std::numbers::pi;
}  // namespace

std::optional<TEllipseFigure> TEllipseFigure::FromFrame(const TLocalFrame& s) {
    Vector4 base;
    double length;
    if (s.nh > 1e-7) {
        base = s.vH;
        length = s.nh;
    } else if (s.nb > 1e-7) {
        base = s.vB;
        length = s.nb;
    } else if (s.nc > 1e-7) {
        base = s.vC;
        length = s.nc;
    } else {
        return std::nullopt;
    }
    TEllipseFigure f;
    f.h_ = s.nh;
    for (int i = 0; i < 4; ++i) f.e1_[i] = base[i] / length;
    f.e2_ = CrossProductR4(s.t, s.Jt, f.e1_);
    f.b1_ = Dot4(f.e1_, s.vB);
    f.b2_ = Dot4(f.e2_, s.vB);
    f.c1_ = Dot4(f.e1_, s.vC);
    f.c2_ = Dot4(f.e2_, s.vC);
    f.nb_ = s.nb;
    f.nc_ = s.nc;
    f.bb_ = s.bb;
    f.cc_ = s.cc;
    f.G11_ = s.G11;
    f.G12_ = s.G12;
    f.G22_ = s.G22;
    return f;
}

double TEllipseFigure::CircleRadius() const { return std::sqrt(bb_ + cc_); }

double TEllipseFigure::Extent() const {
    const double a = CircleRadius();
    const double lo = std::min(h_ - a, 0.0);
    const double hi = h_ + a;
    return std::max(2 * a, hi - lo);
}

Vector2 TEllipseFigure::EllipseOffset(double t) const {
    return {b1_ * std::cos(t) + c1_ * std::sin(t), b2_ * std::cos(t) + c2_ * std::sin(t)};
}

TFocalConic TEllipseFigure::FocalConic() const {
    TFocalConic conic;
    if (std::fabs(b1_ * c2_ - c1_ * b2_) < 1e-6) {
        // The ellipse is a segment: the conic degenerates to the polars of its ends.
        conic.degenerate = true;
        if (std::max(nb_, nc_) < 1e-8) return conic;
        const double a = std::sqrt(bb_ + cc_);
        double w1, w2;
        if (nb_ > nc_) {
            w1 = b1_ / nb_;
            w2 = b2_ / nb_;
        } else {
            w1 = c1_ / nc_;
            w2 = c2_ / nc_;
        }
        const Vector2 ends[2] = {{h_ + a * w1, a * w2}, {h_ - a * w1, -a * w2}};
        for (const Vector2& P : ends) {
            const double f = P[0] * P[0] + P[1] * P[1];
            if (f < 1e-16) break;
            conic.polars.push_back({P, f});
        }
        return conic;
    }

    // The foot of the perpendicular from the origin to each tangent line.
    conic.samples.reserve(kConicSteps + 1);
    for (int i = 0; i <= kConicSteps; ++i) {
        const double t = i * kTwoPi / kConicSteps;
        const double ct = std::cos(t), st = std::sin(t);
        const double Px = h_ + b1_ * ct + c1_ * st, Py = b2_ * ct + c2_ * st;
        const double Tx = -b1_ * st + c1_ * ct, Ty = -b2_ * st + c2_ * ct;
        const double f = -(Px * Tx + Py * Ty) / (Tx * Tx + Ty * Ty);
        const double Qx = Px + f * Tx, Qy = Py + f * Ty;
        const double g = Qx * Qx + Qy * Qy;
        conic.samples.push_back({{Qx, Qy}, g, g > 1e-8, Qx * Ty - Qy * Tx > 0});
    }
    return conic;
}

std::optional<TEllipseProjection> TEllipseFigure::Projection(double a, double b) const {
    Vector4 n;
    for (int i = 0; i < 4; ++i) n[i] = a * e1_[i] + b * e2_[i];
    const double nn = NormSquared4(n);
    if (nn <= 1e-7) return std::nullopt;
    const double len = std::sqrt(nn);
    for (double& x : n) x /= len;

    TEllipseProjection p;
    const double L = Dot4(n, G11_), M = Dot4(n, G12_), N = Dot4(n, G22_);
    p.K = L * N - M * M;
    p.Hm = (L + N) / 2;

    const double l = Hypot(a, b);
    a /= l;
    b /= l;
    // (n.B, n.C): the ellipse points with extreme projection on n.
    const double m = a * b1_ + b * b2_, o = a * c1_ + b * c2_;
    const double mo = Hypot(m, o);
    // When n is orthogonal to B and C the ellipse projects to a point and its
    // tangent points are undefined.
    if (!(mo > 0) || !std::isfinite(mo)) return p;
    const double tc = m / mo, uc = o / mo;
    const Vector2 P[2] = {{h_ + tc * b1_ + uc * c1_, tc * b2_ + uc * c2_},
                          {h_ - tc * b1_ - uc * c1_, -tc * b2_ - uc * c2_}};
    double E[2];
    for (int k = 0; k < 2; ++k) {
        const double D = -b * P[k][0] + a * P[k][1];
        const Vector2 foot{P[k][0] + D * b, P[k][1] - D * a};
        E[k] = a * P[k][0] + b * P[k][1];
        p.segments[k] = {P[k], foot};
    }
    const double lo = std::min({0.0, E[0], E[1]});
    const double hi = std::max({l, E[0], E[1]});
    p.segments[2] = {Vector2{lo * a, lo * b}, Vector2{hi * a, hi * b}};
    p.hasSegments = true;
    return p;
}

}  // namespace velmora

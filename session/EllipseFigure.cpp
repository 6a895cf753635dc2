#include "session/EllipseFigure.h"

#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace velmora {

namespace {
constexpr double kTwoPi = 2 * std::numbers::pi;
}  // namespace

void ClipLine(double x0, double y0, double dx, double dy, int left, int top, int right, int bottom, double& r0,
              double& r1) {
    r0 = 1;
    r1 = 0;
    const auto ordered = [](double a, double b) { return a <= b ? std::pair(a, b) : std::pair(b, a); };
    if (std::fabs(dx) > 1e-8) {
        const auto [ra, rb] = ordered((left - x0) / dx, (right - x0) / dx);
        if (std::fabs(dy) > 1e-8) {
            const auto [rc, rd] = ordered((top - y0) / dy, (bottom - y0) / dy);
            r0 = std::max(ra, rc);
            r1 = std::min(rb, rd);
        } else if (top <= y0 && y0 < bottom) {
            r0 = ra;
            r1 = rb;
        }
    } else if (left <= x0 && x0 < right && std::fabs(dy) > 1e-8) {
        const auto [rc, rd] = ordered((top - y0) / dy, (bottom - y0) / dy);
        r0 = rc;
        r1 = rd;
    }
}

bool TEllipseFigure::ComputeEllipse(const TLocalFrame& s) {
    h_ = s.nh;
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
        // The ellipse is a point at the origin: no basis of the normal plane.
        sc_ = 0;
        basis_ = false;
        return false;
    }
    for (int i = 0; i < 4; ++i) e1_[i] = base[i] / length;
    e2_ = CrossProductR4(s.t, s.Jt, e1_);
    b1_ = Dot4(e1_, s.vB);
    b2_ = Dot4(e2_, s.vB);
    c1_ = Dot4(e1_, s.vC);
    c2_ = Dot4(e2_, s.vC);
    nb_ = s.nb;
    nc_ = s.nc;
    bb_ = s.bb;
    cc_ = s.cc;
    G11_ = s.G11;
    G12_ = s.G12;
    G22_ = s.G22;
    basis_ = true;
    return true;
}

void TEllipseFigure::Clear() {
    sc_ = 0;
    basis_ = false;
}

bool TEllipseFigure::Layout() {
    if (!basis_) return false;
    const double a = std::sqrt(bb_ + cc_);  // radius of the circumscribed circle
    const double lo = std::min(h_ - a, 0.0);
    const double hi = h_ + a;
    const double d = std::max(2 * a, hi - lo);
    if (!(d > 1e-9)) return false;
    sc_ = W_ * 0.9 / d;
    centerY_ = Hh_ / 2;
    originY_ = Hh_ / 2.0;
    if (h_ > a) {
        // The origin lies outside the circle: it goes to the left margin.
        originX_ = W_ * 0.05;
        centerX_ = originX_ + sc_ * h_;
    } else {
        centerX_ = W_ / 2.0;
        originX_ = centerX_ - sc_ * h_;
    }
    h0_ = originX_;
    v0_ = centerY_;
    margin_ = RoundHalfEven(W_ * 0.05);
    return true;
}

Vector2Int TEllipseFigure::Pixel(double x, double y) const {
    return {RoundHalfEven(h0_ + sc_ * x), RoundHalfEven(v0_ + sc_ * y)};
}

TPixelSegment TEllipseFigure::HSegment() const {
    return {{RoundHalfEven(centerX_), RoundHalfEven(centerY_)}, {RoundHalfEven(originX_), RoundHalfEven(centerY_)}};
}

TPixelPolyline TEllipseFigure::EllipsePolygon() const {
    TPixelPolyline points;
    for (int k = 0; k <= kPolygonSteps; ++k) {
        const double t = k * kTwoPi / kPolygonSteps;
        points.push_back({RoundHalfEven(centerX_ + sc_ * (b1_ * std::cos(t) + c1_ * std::sin(t))),
                          RoundHalfEven(centerY_ + sc_ * (b2_ * std::cos(t) + c2_ * std::sin(t)))});
    }
    return points;
}

TPixelPolyline TEllipseFigure::CirclePolygon() const {
    const double r = sc_ * std::sqrt(bb_ + cc_);
    TPixelPolyline points{{RoundHalfEven(centerX_ + r), RoundHalfEven(centerY_)}};
    for (int k = 1; k <= kPolygonSteps; ++k) {
        const double t = k * kTwoPi / kPolygonSteps;
        points.push_back({RoundHalfEven(centerX_ + r * std::cos(t)), RoundHalfEven(centerY_ + r * std::sin(t))});
    }
    return points;
}

std::vector<TPixelPolyline> TEllipseFigure::FocalConic(double ellFactor) const {
    std::vector<TPixelPolyline> pieces;
    const double s = sc_ * ellFactor;

    if (std::fabs(b1_ * c2_ - c1_ * b2_) < 1e-6) {
        // The ellipse is a segment: the conic degenerates to the polars of its ends.
        if (std::max(nb_, nc_) < 1e-8) return pieces;
        const double a = std::sqrt(bb_ + cc_);
        double w1, w2;
        if (nb_ > nc_) {
            w1 = b1_ / nb_;
            w2 = b2_ / nb_;
        } else {
            w1 = c1_ / nc_;
            w2 = c2_ / nc_;
        }
        const double ends[2][2] = {{h_ + a * w1, a * w2}, {h_ - a * w1, -a * w2}};
        for (const auto& P : ends) {
            const double f = P[0] * P[0] + P[1] * P[1];
            if (f < 1e-16) break;
            const double qx = originX_ + s * P[0] / f, qy = originY_ + s * P[1] / f;
            const double dx = -P[1], dy = P[0];
            double r0, r1;
            ClipLine(qx, qy, dx, dy, 0, 0, W_, Hh_, r0, r1);
            if (r1 > r0)
                pieces.push_back({{RoundHalfEven(qx + r0 * dx), RoundHalfEven(qy + r0 * dy)},
                                  {RoundHalfEven(qx + r1 * dx), RoundHalfEven(qy + r1 * dy)}});
        }
        return pieces;
    }

    // The foot of the perpendicular from the origin to each tangent line,
    // inverted in the unit circle. The side of the tangent on which the origin
    // lies changes where the conic passes through infinity: a new piece starts
    // there, so that the two branches of a hyperbola are not joined. Far points
    // outside a guard rectangle are left out.
    bool prevInside = false, prevSide = false;
    for (int i = 0; i <= kConicSteps; ++i) {
        const double t = i * kTwoPi / kConicSteps;
        const double ct = std::cos(t), st = std::sin(t);
        const double Px = h_ + b1_ * ct + c1_ * st, Py = b2_ * ct + c2_ * st;
        const double Tx = -b1_ * st + c1_ * ct, Ty = -b2_ * st + c2_ * ct;
        const double f = -(Px * Tx + Py * Ty) / (Tx * Tx + Ty * Ty);
        const double Qx = Px + f * Tx, Qy = Py + f * Ty;
        const double g = Qx * Qx + Qy * Qy;
        const bool side = Qx * Ty - Qy * Tx > 0;
        bool inside = false;
        Vector2Int S{};
        if (g > 1e-8) {
            S = {RoundHalfEven(originX_ + s * Qx / g), RoundHalfEven(originY_ + s * Qy / g)};
            inside = S.x >= -100 * W_ && S.x < 101 * W_ && S.y >= -3 * Hh_ && S.y < 4 * Hh_;
        }
        if (i > 0 && prevInside && inside && side == prevSide)
            pieces.back().push_back(S);
        else if (inside)
            pieces.push_back({S});
        prevInside = inside;
        prevSide = side;
    }
    return pieces;
}

TPixelSegment TEllipseFigure::ScaleBar() const { return {{margin_, margin_ / 2}, {W_ / 2, margin_ / 2}}; }

double TEllipseFigure::ScaleLength() const { return W_ * 0.45 / sc_; }

std::optional<TEllipseProjection> TEllipseFigure::Projection(int X, int Y) const {
    if (sc_ == 0 || !basis_) return std::nullopt;
    double a = (X - h0_) / sc_, b = (Y - v0_) / sc_;
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
    const double P[2][2] = {{h_ + tc * b1_ + uc * c1_, tc * b2_ + uc * c2_},
                            {h_ - tc * b1_ - uc * c1_, -tc * b2_ - uc * c2_}};
    double E[2];
    for (int k = 0; k < 2; ++k) {
        const double D = -b * P[k][0] + a * P[k][1];
        const double fx = P[k][0] + D * b, fy = P[k][1] - D * a;  // foot on the line
        E[k] = a * P[k][0] + b * P[k][1];
        p.segments[k] = {Pixel(P[k][0], P[k][1]), Pixel(fx, fy)};
    }
    const double lo = std::min({0.0, E[0], E[1]});
    const double hi = std::max({l, E[0], E[1]});
    p.segments[2] = {Pixel(lo * a, lo * b), Pixel(hi * a, hi * b)};
    p.hasSegments = true;
    return p;
}

}  // namespace velmora

#include "app/EllipseLayout.h"

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

bool TEllipseLayout::ComputeEllipse(const TLocalFrame& frame) {
    std::optional<TEllipseFigure> figure = TEllipseFigure::FromFrame(frame);
    if (!figure) {
        sc_ = 0;
        basis_ = false;
        return false;
    }
    figure_ = *figure;
    basis_ = true;
    return true;
}

void TEllipseLayout::Clear() {
    sc_ = 0;
    basis_ = false;
}

bool TEllipseLayout::Layout() {
    if (!basis_) return false;
    const double d = figure_.Extent();
    if (!(d > 1e-9)) return false;
    sc_ = W_ * 0.9 / d;
    centerY_ = Hh_ / 2;
    originY_ = Hh_ / 2.0;
    if (figure_.OriginOutsideCircle()) {
        originX_ = W_ * 0.05;
        centerX_ = originX_ + sc_ * figure_.h();
    } else {
        centerX_ = W_ / 2.0;
        originX_ = centerX_ - sc_ * figure_.h();
    }
    h0_ = originX_;
    v0_ = centerY_;
    margin_ = RoundHalfEven(W_ * 0.05);
    return true;
}

Vector2Int TEllipseLayout::Pixel(const Vector2& q) const {
    return {RoundHalfEven(h0_ + sc_ * q[0]), RoundHalfEven(v0_ + sc_ * q[1])};
}

TPixelSegment TEllipseLayout::HSegment() const {
    return {{RoundHalfEven(centerX_), RoundHalfEven(centerY_)}, {RoundHalfEven(originX_), RoundHalfEven(centerY_)}};
}

TPixelPolyline TEllipseLayout::EllipsePolygon() const {
    TPixelPolyline points;
    for (int k = 0; k <= kPolygonSteps; ++k) {
        const Vector2 q = figure_.EllipseOffset(k * kTwoPi / kPolygonSteps);
        points.push_back({RoundHalfEven(centerX_ + sc_ * q[0]), RoundHalfEven(centerY_ + sc_ * q[1])});
    }
    return points;
}

TPixelPolyline TEllipseLayout::CirclePolygon() const {
    const double r = sc_ * figure_.CircleRadius();
    TPixelPolyline points{{RoundHalfEven(centerX_ + r), RoundHalfEven(centerY_)}};
    for (int k = 1; k <= kPolygonSteps; ++k) {
        const double t = k * kTwoPi / kPolygonSteps;
        points.push_back({RoundHalfEven(centerX_ + r * std::cos(t)), RoundHalfEven(centerY_ + r * std::sin(t))});
    }
    return points;
}

std::vector<TPixelPolyline> TEllipseLayout::FocalConic(double ellFactor) const {
    std::vector<TPixelPolyline> pieces;
    const double s = sc_ * ellFactor;
    const TFocalConic conic = figure_.FocalConic();

    // The polars of the ends of a segment, clipped to the panel.
    for (const TPolarLine& polar : conic.polars) {
        const Vector2& P = polar.P;
        const double qx = originX_ + s * P[0] / polar.f, qy = originY_ + s * P[1] / polar.f;
        const double dx = -P[1], dy = P[0];
        double r0, r1;
        ClipLine(qx, qy, dx, dy, 0, 0, W_, Hh_, r0, r1);
        if (r1 > r0)
            pieces.push_back({{RoundHalfEven(qx + r0 * dx), RoundHalfEven(qy + r0 * dy)},
                              {RoundHalfEven(qx + r1 * dx), RoundHalfEven(qy + r1 * dy)}});
    }

    // The samples of the conic, inverted and scaled. A new piece starts where
    // the origin changes sides of the tangent, so that the two branches of a
    // hyperbola are not joined; far points outside a guard rectangle are left
    // out of the drawing calls.
    bool prevInside = false, prevSide = false;
    for (std::size_t i = 0; i < conic.samples.size(); ++i) {
        const TConicSample& q = conic.samples[i];
        bool inside = false;
        Vector2Int S{};
        if (q.finite) {
            S = {RoundHalfEven(originX_ + s * q.Q[0] / q.g), RoundHalfEven(originY_ + s * q.Q[1] / q.g)};
            inside = S.x >= -100 * W_ && S.x < 101 * W_ && S.y >= -3 * Hh_ && S.y < 4 * Hh_;
        }
        if (i > 0 && prevInside && inside && q.side == prevSide)
            pieces.back().push_back(S);
        else if (inside)
            pieces.push_back({S});
        prevInside = inside;
        prevSide = q.side;
    }
    return pieces;
}

TPixelSegment TEllipseLayout::ScaleBar() const { return {{margin_, margin_ / 2}, {W_ / 2, margin_ / 2}}; }

double TEllipseLayout::ScaleLength() const { return W_ * 0.45 / sc_; }

std::optional<TPixelProjection> TEllipseLayout::Projection(int X, int Y) const {
    if (sc_ == 0 || !basis_) return std::nullopt;
    const std::optional<TEllipseProjection> p = figure_.Projection((X - h0_) / sc_, (Y - v0_) / sc_);
    if (!p) return std::nullopt;
    TPixelProjection pixels{p->K, p->Hm, p->hasSegments, {}};
    if (p->hasSegments)
        for (int k = 0; k < 3; ++k) pixels.segments[k] = {Pixel(p->segments[k].first), Pixel(p->segments[k].second)};
    return pixels;
}

}  // namespace velmora

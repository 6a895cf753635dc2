// The ellipse panel: the normal plane at the point last evaluated, with the
// mean curvature vector H, the curvature ellipse H + B cos t + C sin t, the
// circle through the corners of the rectangle around it, the focal conic and
// a scale bar; on frozen panels, the projection of the ellipse onto the line
// through the origin and the pointer with the curvatures of the projected
// surface.
#include "app/FVelmora4.h"

#include "app/ClipLine.h"
#include "app/NumberFormat.h"
#include "geometry/VectorsAndUtil.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr TColor kHColor = 0x00FF00;
constexpr TColor kEllipseColor = 0xFF0000;
constexpr TColor kFocalColor = 0x0000FF;
constexpr TColor kCircleColor = 0xFFFF00;
constexpr TColor kGreyColor = 0xC0C0C0;
constexpr double kTwoPi = 2 * std::numbers::pi;

void Line(TCanvas& c, double x1, double y1, double x2, double y2) {
    c.MoveTo(RoundHalfEven(x1), RoundHalfEven(y1));
    c.LineTo(RoundHalfEven(x2), RoundHalfEven(y2));
}

}  // namespace

void TVelmora4::ComputeEllipse() {
    const TParametrizationR2R4& s = *surface;
    h = s.nh;
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
        sc = 0;
        ellipseBasis = false;
        return;
    }
    for (int i = 0; i < 4; ++i) e1[i] = base[i] / length;
    e2 = CrossProductR4(s.t, s.Jt, e1);
    b1 = Dot4(e1, s.vB);
    b2 = Dot4(e2, s.vB);
    c1 = Dot4(e1, s.vC);
    c2 = Dot4(e2, s.vC);
    ellipseBasis = true;
}

void TVelmora4::DrawEllipse() {
    TCanvas& c = EllipseBox->Canvas();
    c.brushColor = clWhite;
    c.brushSolid = true;
    c.FillRect(rctEllipse);
    if (!ellipseBasis) return;  // nothing to draw at a point without a normal basis

    const TParametrizationR2R4& s = *surface;
    const double a = std::sqrt(s.bb + s.cc);  // radius of the circumscribed circle
    const double lo = std::min(h - a, 0.0);
    const double hi = h + a;
    const double d = std::max(2 * a, hi - lo);
    if (!(d > 1e-9)) return;
    const double W = rctEllipse.Right, Hh = rctEllipse.Bottom;
    sc = W * 0.9 / d;
    centerY = static_cast<int>(Hh) / 2;
    originY = Hh / 2;
    if (h > a) {
        originX = W * 0.05;
        centerX = originX + sc * h;
    } else {
        centerX = W / 2;
        originX = centerX - sc * h;
    }
    h0 = originX;
    v0 = centerY;

    c.penWidth = 1;
    c.penMode = TPenMode::pmCopy;
    c.penColor = kHColor;
    Line(c, centerX, centerY, originX, centerY);

    c.penColor = kEllipseColor;
    for (int k = 0; k <= 24; ++k) {
        const double t = k * kTwoPi / 24;
        const int x = RoundHalfEven(centerX + sc * (b1 * std::cos(t) + c1 * std::sin(t)));
        const int y = RoundHalfEven(centerY + sc * (b2 * std::cos(t) + c2 * std::sin(t)));
        if (k == 0)
            c.MoveTo(x, y);
        else
            c.LineTo(x, y);
    }

    DrawFocalLocus();

    c.penColor = kCircleColor;
    c.MoveTo(RoundHalfEven(centerX + sc * a), RoundHalfEven(centerY));
    for (int k = 1; k <= 24; ++k) {
        const double t = k * kTwoPi / 24;
        c.LineTo(RoundHalfEven(centerX + sc * a * std::cos(t)), RoundHalfEven(centerY + sc * a * std::sin(t)));
    }

    // Scale bar: 100.8 pixels and their length in the normal plane.
    margin = RoundHalfEven(W * 0.05);
    c.penColor = kGreyColor;
    c.MoveTo(margin, margin / 2);
    c.LineTo(rctEllipse.Right / 2, margin / 2);
    c.fontColor = kGreyColor;
    c.TextOut(117, 2, QString::fromStdString(EllipsePanelNumber(W * 0.45 / sc, 7)));
}

void TVelmora4::DrawFocalLocus() {
    TCanvas& c = EllipseBox->Canvas();
    const TParametrizationR2R4& surf = *surface;
    c.penColor = kFocalColor;
    c.penMode = TPenMode::pmCopy;
    const double s = sc * ellFactor;

    if (std::fabs(b1 * c2 - c1 * b2) < 1e-6) {
        // The ellipse is a segment: the conic degenerates to the polars of its ends.
        if (std::max(surf.nb, surf.nc) < 1e-8) return;
        const double a = std::sqrt(surf.bb + surf.cc);
        double w1, w2;
        if (surf.nb > surf.nc) {
            w1 = b1 / surf.nb;
            w2 = b2 / surf.nb;
        } else {
            w1 = c1 / surf.nc;
            w2 = c2 / surf.nc;
        }
        const double ends[2][2] = {{h + a * w1, a * w2}, {h - a * w1, -a * w2}};
        for (const auto& P : ends) {
            const double f = P[0] * P[0] + P[1] * P[1];
            if (f < 1e-16) return;
            const double qx = originX + s * P[0] / f, qy = originY + s * P[1] / f;
            const double dx = -P[1], dy = P[0];
            double r0, r1;
            ClipLine(qx, qy, dx, dy, rctEllipse, r0, r1);
            if (r1 > r0) Line(c, qx + r0 * dx, qy + r0 * dy, qx + r1 * dx, qy + r1 * dy);
        }
        return;
    }

    // The inverse of the pedal curve of the ellipse with respect to the origin.
    const int W = rctEllipse.Right, Hh = rctEllipse.Bottom;
    bool prevInside = false, prevSide = false;
    for (int i = 0; i <= 100; ++i) {
        const double t = i * kTwoPi / 100;
        const double ct = std::cos(t), st = std::sin(t);
        const double Px = h + b1 * ct + c1 * st, Py = b2 * ct + c2 * st;
        const double Tx = -b1 * st + c1 * ct, Ty = -b2 * st + c2 * ct;
        const double f = -(Px * Tx + Py * Ty) / (Tx * Tx + Ty * Ty);
        const double Qx = Px + f * Tx, Qy = Py + f * Ty;
        const double g = Qx * Qx + Qy * Qy;
        const bool side = Qx * Ty - Qy * Tx > 0;
        bool inside = false;
        int Sx = 0, Sy = 0;
        if (g > 1e-8) {
            Sx = RoundHalfEven(originX + s * Qx / g);
            Sy = RoundHalfEven(originY + s * Qy / g);
            inside = Sx >= -100 * W && Sx < 101 * W && Sy >= -3 * Hh && Sy < 4 * Hh;
        }
        if (i == 0) {
            if (inside) c.MoveTo(Sx, Sy);
        } else if (prevInside && inside && side == prevSide) {
            c.LineTo(Sx, Sy);
        } else if (inside) {
            c.MoveTo(Sx, Sy);
        }
        prevInside = inside;
        prevSide = side;
    }
}

void TVelmora4::MoveInEllipsePanel(int X, int Y) {
    if (!lockPtData || !alreadyParsed || busy || sc == 0) return;
    DrawEllipse();
    if (sc == 0) return;
    const TParametrizationR2R4& s = *surface;
    double a = (X - h0) / sc, b = (Y - v0) / sc;
    Vector4 n;
    for (int i = 0; i < 4; ++i) n[i] = a * e1[i] + b * e2[i];
    const double nn = NormSquared4(n);
    if (nn <= 1e-7) return;
    const double len = std::sqrt(nn);
    for (double& x : n) x /= len;

    // Curvatures of the surface projected into the hyperplane spanned by the
    // tangent plane and n.
    const double L = Dot4(n, s.G11), M = Dot4(n, s.G12), N = Dot4(n, s.G22);
    const double K = L * N - M * M;
    const double Hm = (L + N) / 2;
    TCanvas& c = EllipseBox->Canvas();
    c.penColor = kGreyColor;
    c.penMode = TPenMode::pmCopy;
    c.fontColor = kGreyColor;
    c.TextOut(11, 224, QStringLiteral("K= ") + QString::fromStdString(EllipsePanelNumber(K, 8)) +
                           QStringLiteral(";  H= ") + QString::fromStdString(EllipsePanelNumber(Hm, 8)));

    const double l = Hypot(a, b);
    a /= l;
    b /= l;
    const double m = a * b1 + b * b2, o = a * c1 + b * c2;
    const double mo = Hypot(m, o);
    // When n is orthogonal to B and C the ellipse projects to a point and its
    // tangent points are undefined: only the text is shown.
    if (!(mo > 0) || !std::isfinite(mo)) return;
    const double tc = m / mo, uc = o / mo;
    const double P[2][2] = {{h + tc * b1 + uc * c1, tc * b2 + uc * c2}, {h - tc * b1 - uc * c1, -tc * b2 - uc * c2}};
    double E[2];
    const auto px = [this](double x) { return h0 + sc * x; };
    const auto py = [this](double y) { return v0 + sc * y; };
    for (int k = 0; k < 2; ++k) {
        const double D = -b * P[k][0] + a * P[k][1];
        const double fx = P[k][0] + D * b, fy = P[k][1] - D * a;  // foot on the line
        E[k] = a * P[k][0] + b * P[k][1];
        Line(c, px(P[k][0]), py(P[k][1]), px(fx), py(fy));
    }
    const double lo = std::min({0.0, E[0], E[1]});
    const double hi = std::max({l, E[0], E[1]});
    Line(c, px(lo * a), py(lo * b), px(hi * a), py(hi * b));
}

void TVelmora4::PaintEllipsePanel() {
    if (lockPtData) {
        DrawEllipse();
        return;
    }
    TCanvas& c = EllipseBox->Canvas();
    c.brushColor = clWhite;
    c.brushSolid = true;
    c.FillRect(rctEllipse);
}

}  // namespace velmora

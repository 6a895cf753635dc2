// Derivatives of the surface, the first fundamental form, the orthonormal
// tangent frame (t, Jt) and the second fundamental form in the frame: the
// normal vectors H, B, C of the curvature ellipse and their products.
#include "geometry/LocalGeometry.h"

#include <cmath>

namespace velmora {

namespace {

bool AllFinite(const Vector4& a) {
    return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]) && std::isfinite(a[3]);
}

// a <- a - (a.t) t - (a.Jt) Jt, scaled: the normal part of a.
Vector4 NormalPart(const Vector4& a, double alongT, const Vector4& t, double alongJt, const Vector4& Jt,
                   double scale) {
    Vector4 n;
    for (int i = 0; i < 4; ++i) n[i] = scale * (a[i] - alongT * t[i] - alongJt * Jt[i]);
    return n;
}

}  // namespace

// Each coordinate's value and partial derivatives come from one pass of its
// evaluator's jet function.
void TLocalGeometry::PosFirstDerivativesFR2R4(double u, double v, Vector4& y, Vector4& yu, Vector4& yv) {
    const double at[2] = {u, v};
    for (int i = 0; i < 4; ++i) {
        const TSecondOrderJet j = engines_->evaluators[i].SecondOrderJet(at);
        y[i] = j.f;
        yu[i] = j.fu;
        yv[i] = j.fv;
    }
}

void TLocalGeometry::PosFirstAndSecondDerivativesFR2R4(double u, double v, Vector4& y, Vector4& yu,
                                                             Vector4& yv, Vector4& yuu, Vector4& yuv,
                                                             Vector4& yvv) {
    const double at[2] = {u, v};
    for (int i = 0; i < 4; ++i) {
        const TSecondOrderJet j = engines_->evaluators[i].SecondOrderJet(at);
        y[i] = j.f;
        yu[i] = j.fu;
        yv[i] = j.fv;
        yuu[i] = j.fuu;
        yuv[i] = j.fuv;
        yvv[i] = j.fvv;
    }
}

bool TLocalGeometry::ThirdDerivativesFR2R4(double u, double v) {
    const double args[2] = {u, v};
    for (int i = 0; i < 4; ++i) {
        const TSymbolicPartials& d = engines_->partials[i];
        xuuu[i] = d.EvaluateFF(1, 1, 1, args);
        xuuv[i] = d.EvaluateFF(1, 1, 2, args);
        xuvv[i] = d.EvaluateFF(1, 2, 2, args);
        xvvv[i] = d.EvaluateFF(2, 2, 2, args);
    }
    return AllFinite(xuuu) && AllFinite(xuuv) && AllFinite(xuvv) && AllFinite(xvvv);
}

void TLocalGeometry::PosFirstSecondThirdDerivativesFR2R4(double u, double v) {
    Vector4 value;
    PosFirstAndSecondDerivativesFR2R4(u, v, value, xu, xv, xuu, xuv, xvv);
    ThirdDerivativesFR2R4(u, v);
}

void TLocalGeometry::ComputeFff(const Vector2& p) {
    Vector4 value;
    PosFirstDerivativesFR2R4(p[0], p[1], value, xu, xv);
    guu = Dot4(xu, xu);
    guv = Dot4(xu, xv);
    gvv = Dot4(xv, xv);
}

bool TLocalGeometry::ComputeHBCandProducts(const Vector2& p) {
    // Derivatives. The compiled code never traps; a non-finite derivative is
    // what a faulting evaluation leaves, and ends the computation.
    Vector4 value;
    PosFirstAndSecondDerivativesFR2R4(p[0], p[1], value, xu, xv, xuu, xuv, xvv);
    if (!(AllFinite(xu) && AllFinite(xv) && AllFinite(xuu) && AllFinite(xuv) && AllFinite(xvv))) return false;

    // First fundamental form; the metric must be non-degenerate.
    guu = Dot4(xu, xu);
    guv = Dot4(xu, xv);
    gvv = Dot4(xv, xv);
    const double delta = guu * gvv - guv * guv;
    if (!(delta > 1e-12)) return false;

    // Frame: t = f_u/|f_u|, Jt along guu f_v - guv f_u (|.| = sqrt(guu delta)).
    const double s = 1.0 / std::sqrt(guu);
    const double r = s / std::sqrt(delta);
    for (int i = 0; i < 4; ++i) {
        t[i] = s * xu[i];
        Jt[i] = r * (guu * xv[i] - guv * xu[i]);
    }

    // Products of the raw derivatives.
    const double a = Dot4(xu, xuu), b = Dot4(xu, xuv), k = Dot4(xu, xvv);
    const double d = Dot4(xv, xuu), e = Dot4(xv, xuv);

    // Raw vectors: N = guu f_v - guv f_u is the unnormalised Je direction;
    // G12 = N_u and G22 = guu N_v - guv N_u its derivative along itself.
    for (int i = 0; i < 4; ++i) {
        G21[i] = guu * xuv[i] - guv * xuu[i];
        G11[i] = xuu[i];
        G12[i] = guu * xuv[i] - guv * xuu[i] + 2 * a * xv[i] - (d + b) * xu[i];
    }
    for (int i = 0; i < 4; ++i)
        G22[i] = guu * (guu * xvv[i] - guv * xuv[i] + 2 * b * xv[i] - (e + k) * xu[i]) - guv * G12[i];

    // Normal parts, scaled to the unit frame.
    const double jtG11 = Dot4(Jt, G11);
    const double tG12 = Dot4(t, G12), jtG12 = Dot4(Jt, G12);
    const double tG21 = Dot4(t, G21), jtG21 = Dot4(Jt, G21);
    const double tG22 = Dot4(t, G22), jtG22 = Dot4(Jt, G22);
    // G11 = f_uu / guu (a s = t.f_uu); the others carry the norms of f_u and N.
    for (int i = 0; i < 4; ++i) G11[i] = (G11[i] - (a * s) * t[i] - jtG11 * Jt[i]) / guu;
    G21 = NormalPart(G21, tG21, t, jtG21, Jt, s * r);
    G12 = NormalPart(G12, tG12, t, jtG12, Jt, s * r);
    G22 = NormalPart(G22, tG22, t, jtG22, Jt, r * r);

    // The curvature ellipse H + B cos + C sin.
    for (int i = 0; i < 4; ++i) {
        vH[i] = (G11[i] + G22[i]) / 2;
        vB[i] = (G11[i] - G22[i]) / 2;
        vC[i] = (G12[i] + G21[i]) / 2;
    }

    // Oriented areas in the normal plane (row order fixes the signs).
    jhb = Determinant4(vB, t, Jt, vH);
    jhc = Determinant4(vC, t, Jt, vH);
    jbc = Determinant4(vC, t, Jt, vB);

    // Inner products and norms.
    hh = Dot4(vH, vH);
    nh = std::sqrt(hh);
    bb = Dot4(vB, vB);
    nb = std::sqrt(bb);
    cc = Dot4(vC, vC);
    nc = std::sqrt(cc);
    bc = Dot4(vB, vC);
    hb = Dot4(vH, vB);
    hc = Dot4(vH, vC);
    return std::isfinite(hh) && std::isfinite(bb) && std::isfinite(cc) && std::isfinite(jhb) &&
           std::isfinite(jhc) && std::isfinite(jbc);
}

Vector2 TLocalGeometry::TangentCoordinates(double cosTheta, double sinTheta) const {
    const double rootGuu = std::sqrt(guu);
    const double rootDelta = std::sqrt(std::fabs(guu * gvv - guv * guv));
    return {cosTheta / rootGuu - sinTheta * guv / (rootGuu * rootDelta), sinTheta * rootGuu / rootDelta};
}

}  // namespace velmora

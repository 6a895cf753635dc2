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

// Each coordinate's value and partial derivatives come from one pass of its
// evaluator's jet function.
void FillDerivatives(TEngineSet& engines, const Vector2& p, TSurfaceDerivatives& d) {
    d.p = p;
    for (int i = 0; i < 4; ++i) {
        const TSecondOrderJet j = engines.evaluators[i].SecondOrderJet(p.data());
        d.x[i] = j.f;
        d.xu[i] = j.fu;
        d.xv[i] = j.fv;
        d.xuu[i] = j.fuu;
        d.xuv[i] = j.fuv;
        d.xvv[i] = j.fvv;
    }
}

bool ComputeFrame(TEngineSet& engines, const Vector2& p, TLocalFrame& f) {
    // Derivatives. The compiled code never traps; a non-finite derivative is
    // what a faulting evaluation leaves, and ends the computation.
    FillDerivatives(engines, p, f);
    const Vector4 &xu = f.xu, &xv = f.xv, &xuu = f.xuu, &xuv = f.xuv, &xvv = f.xvv;
    if (!(AllFinite(xu) && AllFinite(xv) && AllFinite(xuu) && AllFinite(xuv) && AllFinite(xvv))) return false;

    // First fundamental form; the metric must be non-degenerate.
    const double guu = f.guu = Dot4(xu, xu);
    const double guv = f.guv = Dot4(xu, xv);
    f.gvv = Dot4(xv, xv);
    const double delta = guu * f.gvv - guv * guv;
    if (!(delta > 1e-12)) return false;

    // Frame: t = f_u/|f_u|, Jt along guu f_v - guv f_u (|.| = sqrt(guu delta)).
    Vector4 &t = f.t, &Jt = f.Jt;
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
    Vector4 &G11 = f.G11, &G12 = f.G12, &G21 = f.G21, &G22 = f.G22;
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
    Vector4 &vH = f.vH, &vB = f.vB, &vC = f.vC;
    for (int i = 0; i < 4; ++i) {
        vH[i] = (G11[i] + G22[i]) / 2;
        vB[i] = (G11[i] - G22[i]) / 2;
        vC[i] = (G12[i] + G21[i]) / 2;
    }

    // Oriented areas in the normal plane (row order fixes the signs).
    f.jhb = Determinant4(vB, t, Jt, vH);
    f.jhc = Determinant4(vC, t, Jt, vH);
    f.jbc = Determinant4(vC, t, Jt, vB);

    // Inner products and norms.
    f.hh = Dot4(vH, vH);
    f.nh = std::sqrt(f.hh);
    f.bb = Dot4(vB, vB);
    f.nb = std::sqrt(f.bb);
    f.cc = Dot4(vC, vC);
    f.nc = std::sqrt(f.cc);
    f.bc = Dot4(vB, vC);
    f.hb = Dot4(vH, vB);
    f.hc = Dot4(vH, vC);
    return std::isfinite(f.hh) && std::isfinite(f.bb) && std::isfinite(f.cc) && std::isfinite(f.jhb) &&
           std::isfinite(f.jhc) && std::isfinite(f.jbc);
}

}  // namespace

TSurfaceDerivatives TLocalGeometry::Derivatives(const Vector2& p) const {
    TSurfaceDerivatives d;
    FillDerivatives(*engines_, p, d);
    return d;
}

std::optional<TThirdDerivatives> TLocalGeometry::ThirdDerivatives(const Vector2& p) const {
    std::optional<TThirdDerivatives> result(std::in_place);
    TThirdDerivatives& d = *result;
    for (int i = 0; i < 4; ++i) {
        const TSymbolicPartials& partials = engines_->partials[i];
        d.xuuu[i] = partials.EvaluateFF(1, 1, 1, p.data());
        d.xuuv[i] = partials.EvaluateFF(1, 1, 2, p.data());
        d.xuvv[i] = partials.EvaluateFF(1, 2, 2, p.data());
        d.xvvv[i] = partials.EvaluateFF(2, 2, 2, p.data());
    }
    if (!(AllFinite(d.xuuu) && AllFinite(d.xuuv) && AllFinite(d.xuvv) && AllFinite(d.xvvv))) result.reset();
    return result;
}

TFirstFundamentalForm TLocalGeometry::FirstFundamentalForm(const Vector2& p) const {
    const TSurfaceDerivatives d = Derivatives(p);
    return {Dot4(d.xu, d.xu), Dot4(d.xu, d.xv), Dot4(d.xv, d.xv)};
}

std::optional<TLocalFrame> TLocalGeometry::Frame(const Vector2& p) const {
    // One object, filled in place and returned as it is.
    std::optional<TLocalFrame> frame(std::in_place);
    if (!ComputeFrame(*engines_, p, *frame)) frame.reset();
    return frame;
}

Vector2 TangentCoordinates(const TLocalFrame& f, double cosTheta, double sinTheta) {
    const double rootGuu = std::sqrt(f.guu);
    const double rootDelta = std::sqrt(std::fabs(f.guu * f.gvv - f.guv * f.guv));
    return {cosTheta / rootGuu - sinTheta * f.guv / (rootGuu * rootDelta), sinTheta * rootGuu / rootDelta};
}

}  // namespace velmora

// The polynomials whose real roots are the directions of the higher-degree line
// families: the quartics N (extremal normal deviation) and L (extremal lateral
// deviation) in x = tan(theta), and the strong principal quintic Q in x = dv/du.
#include "geometry/DirectionPolynomials.h"
#include "geometry/VectorMath.h"

#include <cmath>

namespace velmora {

Polynomial5 NormalDeviationQuartic(const TLocalFrame& s) {
    // cos^4(theta) N(tan theta) is a quarter of d/dtheta |II(v,v)|^2.
    Polynomial5 n;
    n.degree = 4;
    n.c[1] = s.bc - s.hc;
    n.c[2] = 2 * (s.bb - s.hb - s.cc);
    n.c[3] = -6 * s.bc;
    n.c[4] = 2 * (s.cc - s.hb - s.bb);
    n.c[5] = s.bc + s.hc;
    return n;
}

Polynomial5 LateralDeviationQuartic(const TLocalFrame& s) {
    // cos^4(theta) L(tan theta) is half of d/dtheta II(v,v).II(v,Jv).
    Polynomial5 l;
    l.degree = 4;
    l.c[1] = s.hb + s.cc - s.bb;
    l.c[2] = 2 * (4 * s.bc - s.hc);
    l.c[3] = 6 * (s.bb - s.cc);
    l.c[4] = -2 * (4 * s.bc + s.hc);
    l.c[5] = s.cc - s.bb - s.hb;
    return l;
}

bool StrongPrincipalQuintic(const TLocalGeometry& surface, const Vector2& p, Polynomial5& q) {
    const TSurfaceDerivatives derivatives = surface.Derivatives(p);
    const std::optional<TThirdDerivatives> third = surface.ThirdDerivatives(p);
    if (!third) return false;
    return StrongPrincipalQuinticFromDerivatives(derivatives, *third, q);
}

bool StrongPrincipalQuinticFromDerivatives(const TSurfaceDerivatives& s, const TThirdDerivatives& third,
                                           Polynomial5& q) {
    const Vector4 &xu = s.xu, &xv = s.xv, &xuu = s.xuu, &xuv = s.xuv, &xvv = s.xvv;
    const double E = Dot4(xu, xu), F = Dot4(xu, xv), G = Dot4(xv, xv);
    const double W = std::sqrt(std::fabs(E * G - F * F));
    if (!(W > 0)) return false;
    const double E1 = W * E, F1 = W * F, G1 = W * G;

    Vector4 Va, Vb, Vc;
    for (int i = 0; i < 4; ++i) {
        Va[i] = E1 * xuv[i] - F1 * xuu[i];
        Vb[i] = E1 * xvv[i] - G1 * xuu[i];
        Vc[i] = F1 * xvv[i] - G1 * xuv[i];
    }

    // Christoffel terms, scaled.
    const double uuU = Dot4(xuu, xu), uuV = Dot4(xuu, xv);
    const double uvU = Dot4(xuv, xu), uvV = Dot4(xuv, xv);
    const double vvU = Dot4(xvv, xu), vvV = Dot4(xvv, xv);
    const double A11 = W * (G1 * uuU - F1 * uuV), B11 = W * (E1 * uuV - F1 * uuU);
    const double A12 = W * (G1 * uvU - F1 * uvV), B12 = W * (E1 * uvV - F1 * uvU);
    const double A22 = W * (G1 * vvU - F1 * vvV), B22 = W * (E1 * vvV - F1 * vvU);

    const double D1 = Determinant4(xu, xv, xuu, xuv);
    const double D2 = Determinant4(xu, xv, xuu, xvv);
    const double D3 = Determinant4(xu, xv, xuv, xvv);
    auto bracket = [&](const Vector4& V, const Vector4& X) { return Determinant4(xu, xv, V, X); };

    const double P1 = F1 * B11 + E1 * A11;
    const double P2 = F1 * (2 * B12 + A11) + 2 * E1 * A12 + G1 * B11;
    const double P3 = F1 * (2 * A12 + B22) + 2 * G1 * B12 + E1 * A22;
    const double P4 = F1 * A22 + G1 * B22;
    const double R1 = 2 * (E1 * A12 + F1 * B12) + F1 * A11 + G1 * B11;
    const double R2 = 2 * (G1 * B12 + F1 * A12) + F1 * B22 + E1 * A22;

    const double q0 = bracket(Va, third.xuuu) + 3 * P1 * D1;
    const double q1 = 3 * bracket(Va, third.xuuv) + bracket(Vb, third.xuuu) + 3 * P2 * D1 + 3 * P1 * D2;
    const double q2 = 3 * bracket(Vb, third.xuuv) + bracket(Vc, third.xuuu) + 3 * bracket(Va, third.xuvv) +
                      3 * P3 * D1 + 3 * R1 * D2 + 3 * P1 * D3;
    const double q3 = 3 * bracket(Vc, third.xuuv) + 3 * bracket(Vb, third.xuvv) + bracket(Va, third.xvvv) +
                      3 * P4 * D1 + 3 * R2 * D2 + 3 * P2 * D3;
    const double q4 = bracket(Vb, third.xvvv) + 3 * bracket(Vc, third.xuvv) + 3 * P4 * D2 + 3 * P3 * D3;
    const double q5 = bracket(Vc, third.xvvv) + 3 * P4 * D3;

    q = Polynomial5{};
    q.degree = 5;
    q.c[1] = q5;
    q.c[2] = q4;
    q.c[3] = q3;
    q.c[4] = q2;
    q.c[5] = q1;
    q.c[6] = q0;
    for (int i = 1; i <= 6; ++i)
        if (!std::isfinite(q.c[i])) return false;
    return true;
}

}  // namespace velmora

// The second-order geometry of the surface f(u, v) = (x, y, z, w) at one point
// of the domain, as plain values: the derivatives of f, the first fundamental
// form, the orthonormal tangent frame (t, Jt), the second fundamental form in
// that frame and the normal vectors H, B, C of the curvature ellipse
// t -> H + B cos t + C sin t with their products. TLocalGeometry computes
// them; the invariants, the direction fields and the ellipse figure read them.
#pragma once

#include "platform/VelmoraTypes.h"

namespace velmora {

// f and its partial derivatives up to order two at the domain point p.
struct TSurfaceDerivatives {
    Vector2 p{};
    Vector4 x{};                  // f(p)
    Vector4 xu{}, xv{};           // f_u, f_v
    Vector4 xuu{}, xuv{}, xvv{};  // f_uu, f_uv, f_vv
};

// The third partial derivatives at a point.
struct TThirdDerivatives {
    Vector4 xuuu{}, xuuv{}, xuvv{}, xvvv{};
};

// f_u.f_u, f_u.f_v, f_v.f_v.
struct TFirstFundamentalForm {
    double guu = 0, guv = 0, gvv = 0;
};

// With e = f_u/|f_u| and Je the unit tangent turned by +90 degrees in the
// orientation of (f_u, f_v), the second fundamental form II gives
// H = (II(e,e) + II(Je,Je))/2, B = (II(e,e) - II(Je,Je))/2, C = II(e,Je), and
// II(v,v) = H + B cos 2theta + C sin 2theta for v = cos theta e + sin theta Je.
struct TLocalFrame : TSurfaceDerivatives {
    double guu = 0, guv = 0, gvv = 0;  // the first fundamental form
    Vector4 t{}, Jt{};                 // e and Je
    Vector4 G11{};                     // II(e, e)
    Vector4 G12{}, G21{};              // II(e, Je), computed in two ways
    Vector4 G22{};                     // II(Je, Je)
    Vector4 vH{}, vB{}, vC{};          // H, B, C
    double nh = 0, nb = 0, nc = 0;     // |H|, |B|, |C|
    double hh = 0, bb = 0, cc = 0, bc = 0, hb = 0, hc = 0;
    // Oriented areas in the normal plane: Det(B, t, Jt, H), Det(C, t, Jt, H),
    // Det(C, t, Jt, B).
    double jhb = 0, jhc = 0, jbc = 0;
};

}  // namespace velmora

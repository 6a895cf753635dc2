// Frames built by hand for the ellipse figure: the tangent plane spanned by
// the first two axes of R^4 (t = e1, Jt = e2), the normal plane by the last
// two, and H, B, C (and the second fundamental form) set directly.
#pragma once

#include "geometry/LocalFrame.h"
#include "geometry/VectorMath.h"

#include <cmath>

namespace velmora::testing {

inline TLocalFrame NormalPlaneFrame(const Vector4& H, const Vector4& B, const Vector4& C) {
    TLocalFrame f;
    f.t = {1, 0, 0, 0};
    f.Jt = {0, 1, 0, 0};
    f.vH = H;
    f.vB = B;
    f.vC = C;
    f.hh = Dot4(H, H);
    f.nh = std::sqrt(f.hh);
    f.bb = Dot4(B, B);
    f.cc = Dot4(C, C);
    f.nb = std::sqrt(f.bb);
    f.nc = std::sqrt(f.cc);
    return f;
}

// H = h e3, B = b1 e3 - b2 e4, C = c1 e3 - c2 e4: with e1 = e3 and e2 = -e4
// (CrossProductR4(t, Jt, e3) = -e4) the components on the figure's basis
// (e1, e2) are (h, 0), (b1, b2), (c1, c2) (for h > 0, or for h = 0 and b1 > 0, b2 = 0).
inline TLocalFrame NormalPlaneFrame(double h, double b1, double b2, double c1, double c2) {
    return NormalPlaneFrame({0, 0, h, 0}, {0, 0, b1, -b2}, {0, 0, c1, -c2});
}

}  // namespace velmora::testing

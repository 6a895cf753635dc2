#include "app/ClipLine.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

void ClipLine(double x0, double y0, double dx, double dy, const TRect& r, double& r0, double& r1) {
    r0 = 1;
    r1 = 0;
    const auto ordered = [](double a, double b) { return a <= b ? std::pair(a, b) : std::pair(b, a); };
    if (std::fabs(dx) > 1e-8) {
        const auto [ra, rb] = ordered((r.Left - x0) / dx, (r.Right - x0) / dx);
        if (std::fabs(dy) > 1e-8) {
            const auto [rc, rd] = ordered((r.Top - y0) / dy, (r.Bottom - y0) / dy);
            r0 = std::max(ra, rc);
            r1 = std::min(rb, rd);
        } else if (r.Top <= y0 && y0 < r.Bottom) {
            r0 = ra;
            r1 = rb;
        }
    } else if (r.Left <= x0 && x0 < r.Right && std::fabs(dy) > 1e-8) {
        const auto [rc, rd] = ordered((r.Top - y0) / dy, (r.Bottom - y0) / dy);
        r0 = rc;
        r1 = rd;
    }
}

}  // namespace velmora

#include "background/Palette.h"

#include <cmath>

namespace velmora {

namespace {
double HueValue(double m1, double m2, double t) {
    if (t < 1.0 / 6) return m1 + (m2 - m1) * 6 * t;
    if (t < 0.5) return m2;
    if (t < 2.0 / 3) return m1 + (m2 - m1) * 6 * (2.0 / 3 - t);
    return m1;
}

uint32_t LowByte(double value) {
    return static_cast<uint32_t>(static_cast<int64_t>(std::nearbyint(value))) & 0xFFu;
}
}  // namespace

uint32_t HLS(double h, double s, double L) {
    const double m2 = L <= 0.5 ? 255 * L * (1 + s) : 255 * (L + s * (1 - L));
    const double m1 = 510 * L - m2;
    double t0 = h + 1.0 / 3;
    if (t0 > 1) t0 -= 1;
    const double t1 = h;
    double t2 = h - 1.0 / 3;
    if (t2 < 0) t2 += 1;
    return LowByte(HueValue(m1, m2, t0)) | (LowByte(HueValue(m1, m2, t1)) << 8) |
           (LowByte(HueValue(m1, m2, t2)) << 16);
}

void BuildPlt(Plt& pal, double h1, double h2) {
    for (int i = 0; i < 256; ++i) {
        const double L = 0.05 + i * (0.9 / 255);
        pal[i] = HLS(h1, 0.9, L);
        pal[511 - i] = HLS(h2, 0.9, L);
    }
}

const Plt& BackgroundPalette() {
    static const Plt palette = [] {
        Plt p{};
        BuildPlt(p, 0, 0.5);
        return p;
    }();
    return palette;
}

}  // namespace velmora

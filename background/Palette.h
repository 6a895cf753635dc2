// The HLS colour function of the colour picker and the 512-colour palette of
// the backgrounds that is built with it.
#pragma once

#include <array>
#include <cstdint>

namespace velmora {

// Colour values are packed c0 + 256 c1 + 65536 c2.
using Plt = std::array<uint32_t, 512>;

// Hue h in [0, 1), saturation s and lightness L in [0, 1]. Byte 0 follows the
// hue h + 1/3, byte 1 the hue h, byte 2 the hue h - 1/3; each rounded to the
// nearest integer (ties to even) and kept to its low 8 bits.
uint32_t HLS(double h, double s, double L);

// pal[i] = HLS(h1, 0.9, L_i), pal[511 - i] = HLS(h2, 0.9, L_i), L_i = 0.05 + i 0.9/255.
void BuildPlt(Plt& pal, double h1, double h2);

// The background palette, built once with BuildPlt(pal, 0, 0.5) on first use.
const Plt& BackgroundPalette();

}  // namespace velmora

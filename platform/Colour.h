// Colour values and 32-bit pixels. A colour value holds red in its low byte
// ($00BBGGRR); a pixel of a 32-bit bitmap holds blue in its low byte and an
// opaque alpha byte (0xFFRRGGBB). Every layer converts between the two here.
#pragma once

#include <cstdint>

namespace velmora {

using TColor = uint32_t;

// The opaque pixel that shows the colour value c.
inline constexpr uint32_t PixelOfColour(TColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// The colour value shown by a pixel (its alpha byte is ignored).
inline constexpr TColor ColourOfPixel(uint32_t pixel) {
    return ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
}

}  // namespace velmora

// The colour type of the drawing code: colour values with red in the low byte
// ($00BBGGRR, platform/Colour.h, where the conversion to and from 32-bit
// pixels lives), the named colours, the conversion to Qt, and the rectangle
// type of the canvas.
#pragma once

#include "platform/Colour.h"

#include <QColor>

namespace velmora {

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clGreen = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clNavy = 0x800000;

inline QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Rectangle given by its edges; Right and Bottom are exclusive.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

}  // namespace velmora

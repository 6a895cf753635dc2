// Number texts of the panels. Every text uses "." as decimal point whatever
// the process locale.
#pragma once

#include <string>

namespace velmora {

// Fixed notation with `digits` decimals after rounding to `precision`
// significant digits (one rounding, at whichever position comes first). When
// the integer part has more than `precision` digits the number is written in
// scientific notation: up to `precision` significant digits without trailing
// zeros, "E" and the exponent ("1.5E15", "-2E-3" style). A result that rounds to
// zero carries no sign. Not-a-number and infinities read "NAN", "INF", "-INF".
std::string FormatFixed(double value, int precision, int digits);

// Data panel: 10 decimals after rounding to 14 significant digits.
std::string DataPanelNumber(double value);

// Ellipse panel: fixed with 15 decimals at n + 2 significant digits, cut to its
// first n characters.
std::string EllipsePanelNumber(double value, int n);

}  // namespace velmora

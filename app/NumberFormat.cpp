#include "app/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace velmora {

namespace {

// Decimal digits and exponent of |value| rounded to `precision` significant
// digits: value = 0.d1d2d3... * 10^(exponent + 1).
void SignificantDigits(double value, int precision, std::string& digits, int& exponent) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                                   precision - 1);
    const std::string text(buf, res.ptr);
    const auto e = text.find('e');
    digits.clear();
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.') digits.push_back(text[i]);
    exponent = std::atoi(text.c_str() + e + 1);
}

bool AllZeroDigits(const std::string& s) {
    for (char ch : s)
        if (ch >= '1' && ch <= '9') return false;
    return true;
}

}  // namespace

std::string FormatFixed(double value, int precision, int digits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (precision < 1) precision = 1;
    if (digits < 0) digits = 0;

    std::string mant;
    int exponent = 0;
    if (value != 0) SignificantDigits(value, precision, mant, exponent);
    const bool negative = value < 0;

    std::string out;
    if (value != 0 && exponent + 1 > precision) {
        // Scientific: d.ddd without trailing zeros, then the exponent.
        while (mant.size() > 1 && mant.back() == '0') mant.pop_back();
        out = mant.substr(0, 1);
        if (mant.size() > 1) out += "." + mant.substr(1);
        out += "E" + std::to_string(exponent);
        return negative ? "-" + out : out;
    }
    if (value == 0 || exponent + 1 + digits <= precision) {
        // The last kept digit is the last decimal: round there.
        char buf[400];
        const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, digits);
        out.assign(buf, res.ptr);
    } else {
        // Round to `precision` significant digits, then pad the decimals with zeros.
        std::string intPart, fracPart;
        if (exponent >= 0) {
            intPart = mant.substr(0, exponent + 1);
            fracPart = mant.substr(exponent + 1);
        } else {
            intPart = "0";
            fracPart = std::string(-exponent - 1, '0') + mant;
        }
        fracPart.resize(digits, '0');
        out = digits > 0 ? intPart + "." + fracPart : intPart;
    }
    if (negative && !AllZeroDigits(out)) out = "-" + out;
    return out;
}

std::string DataPanelNumber(double value) { return FormatFixed(value, 14, 10); }

std::string EllipsePanelNumber(double value, int n) { return FormatFixed(value, n + 2, 15).substr(0, n); }

}  // namespace velmora

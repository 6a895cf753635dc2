// The texts of a printed page: the sizes of its two fonts, which grow with the
// square of the drawing, and the greedy wrapping of a text into lines that
// fit the width of the page without breaking a number or losing the operator
// at a break.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

class QPaintDevice;

namespace velmora {

// A wrapped text: its lines and the width of the widest, in printer pixels.
struct TextBlock {
    int width = 0;
    QStringList lines;
    void Clear() {
        width = 0;
        lines.clear();
    }
};

// Width of a text in printer pixels, in the font the text is printed in.
using TTextWidth = std::function<int(const QString&)>;

// Height of the title font (bold "Helvetica") and of the text font ("Arial")
// for a drawing of side `side` printer pixels:
//   title round(sqrt(side - 1000) 1.524 + 18.456), text round(sqrt(side - 1000) 1.27 + 15.38).
// Below 1000 pixels the root is taken as 0, so a small page gets the smallest
// fonts (18 and 15 pixels) instead of sizes that are not a number.
double TitleFontSize(int side);
double TextFontSize(int side);
int TitleFontHeight(int side);
int TextFontHeight(int side);

// The title font and the text font whose line height (ascent plus descent) on
// `device` is `height` pixels.
QFont TitleFont(int height, const QPaintDevice* device);
QFont TextFont(int height, const QPaintDevice* device);
// The width of texts in `font` on `device`.
TTextWidth TextWidthOn(const QFont& font, const QPaintDevice* device);

// Appends the lines of text to block, none wider than maxWidth where a break
// is possible. TAB, LF and CR become one blank (none after a blank). The first
// line starts with firstIndent blanks, every further line with nextIndent.
// A line is broken at the last break opportunity that fits: a blank or one of
// ) * + , - . / : ; = ] } (not a "." between two digits). At a blank or one
// of * + - / = the line ends before it and the next line starts with it (a
// blank is dropped); after the others the line ends with it. Without an
// opportunity the line ends before the character that does not fit. The last
// character of the text, and the first of each line, always stay on their
// line, even when it overflows.
void WrapText(TextBlock& block, const TTextWidth& width, const QString& text, int maxWidth, int firstIndent,
              int nextIndent);

}  // namespace velmora

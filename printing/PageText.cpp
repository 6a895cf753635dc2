#include "printing/PageText.h"

#include <QFontMetricsF>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

double RootAbove1000(int side) { return std::sqrt(std::max(0.0, side - 1000.0)); }

int RoundToInt(double s) { return static_cast<int>(std::lround(s)); }

// A font of the first family found (the page names "Helvetica" and "Arial";
// Liberation Sans has their metrics) whose ascent plus descent is `height`
// pixels on the device, as a printer font of that height is.
QFont PageFont(const QString& family, bool bold, int height, const QPaintDevice* device) {
    QFont font(QStringList{family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    height = std::max(height, 1);
    font.setPixelSize(height);
    const double cell = device ? QFontMetricsF(font, device).height() : QFontMetricsF(font).height();
    if (cell > 0) font.setPixelSize(std::max(1, RoundToInt(height * double(height) / cell)));
    return font;
}

bool IsCarriedBreak(QChar c) {
    return c == u' ' || c == u'*' || c == u'+' || c == u'-' || c == u'/' || c == u'=';
}

// A break opportunity at s[i]: a blank or a closing or separating character,
// but not the point of a decimal number.
bool IsBreakOpportunity(const QString& s, qsizetype i) {
    static const QString kBreaks = QStringLiteral(" )*+,-./:;=]}");
    const QChar c = s[i];
    if (!kBreaks.contains(c)) return false;
    if (c == u'.' && i > 0 && i + 1 < s.size() && s[i - 1].isDigit() && s[i + 1].isDigit()) return false;
    return true;
}

}  // namespace

double TitleFontSize(int side) { return RootAbove1000(side) * 1.524 + 18.456; }
double TextFontSize(int side) { return RootAbove1000(side) * 1.27 + 15.38; }
int TitleFontHeight(int side) { return RoundToInt(TitleFontSize(side)); }
int TextFontHeight(int side) { return RoundToInt(TextFontSize(side)); }

QFont TitleFont(int height, const QPaintDevice* device) {
    return PageFont(QStringLiteral("Helvetica"), true, height, device);
}

QFont TextFont(int height, const QPaintDevice* device) {
    return PageFont(QStringLiteral("Arial"), false, height, device);
}

TTextWidth TextWidthOn(const QFont& font, const QPaintDevice* device) {
    return [font, device](const QString& text) {
        const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
        return RoundToInt(metrics.horizontalAdvance(text));
    };
}

void WrapText(TextBlock& block, const TTextWidth& width, const QString& text, int maxWidth, int firstIndent,
              int nextIndent) {
    QString s;
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            if (!s.isEmpty() && !s.endsWith(u' ')) s += u' ';
        } else {
            s += c;
        }
    }
    if (s.isEmpty()) return;

    const auto add = [&](const QString& line) {
        block.lines << line;
        block.width = std::max(block.width, width(line));
    };
    QString prefix(std::max(firstIndent, 0), u' ');
    if (width(prefix + s) <= maxWidth) {
        add(prefix + s);
        return;
    }
    const QString indent(std::max(nextIndent, 0), u' ');
    qsizetype lineStart = 0;   // first character of s on the current line
    qsizetype breakAt = -1;    // last break opportunity of the current line
    int sum = width(prefix);
    for (qsizetype i = 0; i < s.size();) {
        const int w = width(QString(s[i]));
        const bool mustStay = i == s.size() - 1 || i == lineStart;
        if (sum + w > maxWidth && !mustStay) {
            if (breakAt >= 0) {
                const QChar b = s[breakAt];
                const bool carried = IsCarriedBreak(b);
                add(prefix + s.mid(lineStart, (carried ? breakAt : breakAt + 1) - lineStart));
                prefix = indent;
                if (carried && b != u' ') prefix += b;
                lineStart = i = breakAt + 1;
            } else {
                add(prefix + s.mid(lineStart, i - lineStart));
                prefix = indent;
                lineStart = i;
            }
            sum = width(prefix);
            breakAt = -1;
            continue;
        }
        sum += w;
        if (sum <= maxWidth && i > lineStart && IsBreakOpportunity(s, i)) breakAt = i;
        ++i;
    }
    add(prefix + s.mid(lineStart));
}

}  // namespace velmora

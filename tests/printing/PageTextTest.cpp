// The texts of the printed page: the font heights that grow with the square,
// and the wrapping rules, measured in a font where every character is 10
// pixels wide so that each break can be worked out by hand.
#include "printing/PageText.h"
#include "tests/canvas/TestApp.h"

#include <QFontMetricsF>
#include <QImage>

#include <gtest/gtest.h>

namespace velmora {
namespace {

int TenPerCharacter(const QString& s) { return 10 * int(s.size()); }

QStringList Wrap(const QString& text, int maxWidth, int firstIndent, int nextIndent, int* width = nullptr) {
    TextBlock block;
    WrapText(block, TenPerCharacter, text, maxWidth, firstIndent, nextIndent);
    if (width) *width = block.width;
    return block.lines;
}

TEST(PageText, FontHeightsOfAPageFourThousandFourHundredSixtyFourPixelsWide) {
    // round(sqrt(3464) 1.524 + 18.456) and round(sqrt(3464) 1.27 + 15.38).
    EXPECT_EQ(TitleFontHeight(4464), 108);
    EXPECT_EQ(TextFontHeight(4464), 90);
    EXPECT_EQ(TitleFontHeight(1000), 18);
    EXPECT_EQ(TextFontHeight(1000), 15);
    // Smaller squares keep the smallest fonts instead of a root of a negative number.
    for (int side : {999, 500, 1, 0, -20}) {
        EXPECT_EQ(TitleFontHeight(side), 18) << side;
        EXPECT_EQ(TextFontHeight(side), 15) << side;
    }
}

TEST(PageText, TheFontsHaveTheirHeightFromAscentToDescent) {
    TestApp();
    QImage device(100, 100, QImage::Format_RGB32);
    for (int height : {15, 90, 108}) {
        EXPECT_NEAR(QFontMetricsF(TitleFont(height, &device), &device).height(), height, 0.06 * height + 1);
        EXPECT_NEAR(QFontMetricsF(TextFont(height, &device), &device).height(), height, 0.06 * height + 1);
    }
    EXPECT_TRUE(TitleFont(108, &device).bold());
    EXPECT_FALSE(TextFont(90, &device).bold());
}

TEST(PageText, ATextThatFitsIsOneLineAfterItsIndent) {
    int width = 0;
    EXPECT_EQ(Wrap("u v", 60, 3, 0, &width), QStringList{"   u v"});
    EXPECT_EQ(width, 60);
    EXPECT_TRUE(Wrap("", 60, 3, 0).isEmpty());
    // TAB, LF and CR become one blank, none after a blank nor at the start.
    EXPECT_EQ(Wrap("\na\tb \r\n\tc\r", 200, 0, 0), QStringList{"a b c "});
}

TEST(PageText, ContinuationLinesStartWithTheirIndent) {
    // 0 1 2 ... the blanks are the last opportunities before each overflow.
    EXPECT_EQ(Wrap("aaa bbb ccc ddd", 80, 0, 3), (QStringList{"aaa bbb", "   ccc", "   ddd"}));
    int width = 0;
    Wrap("aaa bbb ccc ddd", 80, 0, 3, &width);
    EXPECT_EQ(width, 70);
}

TEST(PageText, ADecimalPointIsNeverABreak) {
    // "x = 12.5" reaches 75 pixels at the point; breaking there would give
    // "x = 12." and "5 + u": the line breaks at the blank before the number.
    EXPECT_EQ(Wrap("x = 12.5 + u", 75, 0, 0), (QStringList{"x =", "12.5 + u"}));
    // A point that ends a sentence is a break, and stays on its line.
    EXPECT_EQ(Wrap("ab.cdefgh", 50, 0, 0), (QStringList{"ab.", "cdefgh"}));
}

TEST(PageText, AnOperatorBreakPutsTheOperatorAtTheStartOfTheNextLine) {
    EXPECT_EQ(Wrap("aaaa+bbbb", 70, 0, 0), (QStringList{"aaaa", "+bbbb"}));
    EXPECT_EQ(Wrap("aaaa*bbbb", 70, 0, 3), (QStringList{"aaaa", "   *bbbb"}));
    EXPECT_EQ(Wrap("aa=b-cccc", 60, 0, 0), (QStringList{"aa=b", "-cccc"}));
    // Closing brackets and separators end their line.
    EXPECT_EQ(Wrap("f(u),g(v)", 70, 0, 0), (QStringList{"f(u),", "g(v)"}));
    EXPECT_EQ(Wrap("sin(u)cos(v)", 90, 0, 0), (QStringList{"sin(u)", "cos(v)"}));
}

TEST(PageText, WithoutABreakTheLineEndsBeforeTheCharacterThatDoesNotFit) {
    EXPECT_EQ(Wrap("abcdefghij", 50, 0, 0), (QStringList{"abcde", "fghij"}));
    // The last character stays even when it overflows.
    EXPECT_EQ(Wrap("abcdef", 50, 0, 0), QStringList{"abcdef"});
    // A page narrower than a character still ends: each line keeps its first
    // character, and the last one of the text.
    EXPECT_EQ(Wrap("abcd", 5, 0, 0), (QStringList{"a", "b", "cd"}));
    EXPECT_EQ(Wrap("a+b", 5, 0, 0), (QStringList{"a", "+b"}));
}

}  // namespace
}  // namespace velmora

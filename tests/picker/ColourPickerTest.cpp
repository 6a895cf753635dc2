#include "picker/ColourPicker.h"
#include "canvas/PaintBox.h"
#include "tests/canvas/TestApp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace velmora;

namespace {

// Packed HLS values worked out by hand from the colour function (bytes c0, c1, c2).
constexpr uint32_t Packed(uint32_t c0, uint32_t c1, uint32_t c2) { return c0 | (c1 << 8) | (c2 << 16); }

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }
};

}  // namespace

TEST(HLSColour, PrimaryAndGreyValues) {
    // Full saturation, lightness 1/2: m1 = 0, m2 = 255. Hue 0: byte 0 follows
    // the hue 1/3 (plateau), byte 1 the hue 0 (start of the rise), byte 2 the
    // hue 2/3 (floor).
    EXPECT_EQ(HLS(0, 1, 0.5), Packed(255, 0, 0));
    // Saturation 0 is grey at every hue.
    EXPECT_EQ(HLS(0.3, 0, 0.6), Packed(153, 153, 153));
    // Lightness 0 is black, lightness 1 white.
    EXPECT_EQ(HLS(0.7, 0.8, 0), 0u);
    EXPECT_EQ(HLS(0.7, 0.8, 1), Packed(255, 255, 255));
}

TEST(BackgroundPalette, EndsAndMiddleMatchTheColourFunction) {
    const Plt& pal = BackgroundPalette();
    // Hue 0 from lightness 0.05 up to 0.95, then hue 0.5 from 0.95 down to 0.05.
    EXPECT_EQ(pal[0], Packed(24, 1, 1));
    EXPECT_EQ(pal[255], Packed(254, 231, 231));
    EXPECT_EQ(pal[256], Packed(231, 254, 254));
    EXPECT_EQ(pal[511], Packed(1, 24, 24));
    EXPECT_EQ(pal[0], HLS(0, 0.9, 0.05));
    EXPECT_EQ(pal[511], HLS(0.5, 0.9, 0.05));
}

TEST(BackgroundPalette, EqualHuesGiveASymmetricPalette) {
    Plt pal{};
    BuildPlt(pal, 0.2, 0.2);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(pal[i], pal[511 - i]) << i;
    // Lightness rises along the first half.
    EXPECT_LT(pal[0] & 0xFF, pal[255] & 0xFF);
}

TEST(DiscPosition, HueGoesCounterClockwiseFromTheRight) {
    const Vector2Int c{82, 82};
    double h, s;
    DiscHueSaturation(c, 122, 82, h, s);
    EXPECT_DOUBLE_EQ(h, 0);
    EXPECT_DOUBLE_EQ(s, 0.5);
    DiscHueSaturation(c, 82, 42, h, s);  // above: y grows downwards
    EXPECT_DOUBLE_EQ(h, 0.25);
    DiscHueSaturation(c, 42, 82, h, s);
    EXPECT_DOUBLE_EQ(h, 0.5);
    DiscHueSaturation(c, 82, 162, h, s);
    EXPECT_DOUBLE_EQ(h, 0.75);
    EXPECT_DOUBLE_EQ(s, 1.0);
    DiscHueSaturation(c, 82, 82, h, s);
    EXPECT_DOUBLE_EQ(h, 0.5);
    EXPECT_DOUBLE_EQ(s, 0);
}

TEST_F(PickerTest, StartsWithTheHalfLightColourOfTheStartPoint) {
    TColourPicker picker;
    EXPECT_EQ(picker.windowTitle(), "Color Picker");
    EXPECT_EQ(picker.HSPt, (Vector2Int{40, 40}));
    EXPECT_EQ(picker.meterPos, 82);
    // Hue 0.375, saturation hypot(42, 42)/80, lightness 82/164 = 0.5 gives the
    // packed value (33, 222, 80); byte 2 is red on the screen, so the colour
    // value (red in the low byte) is $21DE50.
    EXPECT_EQ(picker.curveColor, 0x21DE50u);
    EXPECT_EQ(ColourOfPixel(picker.meterBm.pixel(82, 5)), 0x21DE50u);
}

TEST_F(PickerTest, DiscPictureHoldsTheColourFunctionAtLightness06) {
    TColourPicker picker;
    const QImage& disc = picker.HSBm;
    EXPECT_EQ(disc.pixel(82, 82), 0xFF999999u);           // the centre
    EXPECT_EQ(disc.pixel(0, 0), 0xFFFFFFFFu);             // outside the disc
    EXPECT_EQ(disc.pixel(162, 82), 0xFF000000u | HLS(0, 1, 0.6));  // right edge, radius 80
    EXPECT_EQ(disc.pixel(163, 82), 0xFFFFFFFFu);          // radius 81
    // Above the centre at half radius: hue 1/4, saturation 1/2.
    EXPECT_EQ(disc.pixel(82, 42), 0xFF000000u | HLS(0.25, 0.5, 0.6));
    // The marker on the box: black inside, white outline.
    EXPECT_EQ(picker.HSBox->Picture().pixel(40, 40), 0xFF000000u);
    EXPECT_EQ(picker.HSBox->Picture().pixel(40, 37), 0xFFFFFFFFu);
}

TEST_F(PickerTest, MeterRunsFromBlackToAlmostWhite) {
    TColourPicker picker;
    const QImage& m = picker.meterBm;
    double h, s;
    DiscHueSaturation(picker.HSctr, 40, 40, h, s);
    EXPECT_EQ(m.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(m.pixel(163, 11), 0xFF000000u | HLS(h, s, 163.0 / 164));
    EXPECT_EQ(m.pixel(10, 12), 0xFFFFFFFFu);  // rows 12 and 13 are not coloured
    EXPECT_EQ(m.pixel(10, 13), 0xFFFFFFFFu);
    // The meter marker is a white dot with a black outline at the chosen column.
    EXPECT_EQ(picker.meterBox->Picture().pixel(82, 6), 0xFFFFFFFFu);
    EXPECT_EQ(picker.meterBox->Picture().pixel(82, 3), 0xFF000000u);
}

TEST_F(PickerTest, DraggingOutsideTheDiscOrTheStripChangesNothing) {
    TColourPicker picker;
    const TColor start = picker.curveColor;
    picker.MouseMoveInHSBox(Qt::LeftButton, 82 + 81, 82);  // radius 81
    EXPECT_EQ(picker.HSPt, (Vector2Int{40, 40}));
    picker.MouseMoveInHSBox(Qt::NoButton, 100, 100);  // no button held
    EXPECT_EQ(picker.HSPt, (Vector2Int{40, 40}));
    picker.MouseMoveInMeter(Qt::LeftButton, 20, 14);  // below the strip
    picker.MouseMoveInMeter(Qt::LeftButton, 164, 5);  // right of it
    picker.MouseMoveInMeter(Qt::NoButton, 20, 5);
    EXPECT_EQ(picker.meterPos, 82);
    EXPECT_EQ(picker.curveColor, start);
}

TEST_F(PickerTest, MovingTheDiscPointKeepsTheLightness) {
    TColourPicker picker;
    picker.MouseMoveInHSBox(Qt::LeftButton, 82, 42);  // hue 1/4, saturation 1/2
    EXPECT_EQ(picker.HSPt, (Vector2Int{82, 42}));
    EXPECT_EQ(PixelOfColour(picker.curveColor), 0xFF000000u | HLS(0.25, 0.5, 0.5));
    // The old marker is gone from the box, the new one is drawn.
    EXPECT_EQ(picker.HSBox->Picture().pixel(40, 40), picker.HSBm.pixel(40, 40));
    EXPECT_EQ(picker.HSBox->Picture().pixel(82, 42), 0xFF000000u);

    picker.MouseMoveInMeter(Qt::LeftButton, 0, 5);  // leftmost column: black
    EXPECT_EQ(picker.meterPos, 0);
    EXPECT_EQ(picker.curveColor, 0u);
    picker.MouseMoveInMeter(Qt::LeftButton, 123, 2);
    EXPECT_EQ(PixelOfColour(picker.curveColor), 0xFF000000u | HLS(0.25, 0.5, 123.0 / 164));
    EXPECT_EQ(picker.meterBox->Picture().pixel(123, 6), 0xFFFFFFFFu);
    EXPECT_EQ(picker.meterBox->Picture().pixel(82, 6), picker.meterBm.pixel(82, 6));
}

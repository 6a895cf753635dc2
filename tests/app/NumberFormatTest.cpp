#include "app/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velmora;

TEST(DataPanelNumber, TenDecimalsAfterFourteenSignificantDigits) {
    EXPECT_EQ(DataPanelNumber(0), "0.0000000000");
    EXPECT_EQ(DataPanelNumber(1.5), "1.5000000000");
    EXPECT_EQ(DataPanelNumber(-2.25), "-2.2500000000");
    EXPECT_EQ(DataPanelNumber(1.0 / 3), "0.3333333333");
    EXPECT_EQ(DataPanelNumber(2.0 / 3), "0.6666666667");
    EXPECT_EQ(DataPanelNumber(6e-11), "0.0000000001");
    EXPECT_EQ(DataPanelNumber(-4e-11), "0.0000000000");  // rounds to zero: no sign
    // Beyond four integer digits the 14th significant digit is the last one.
    EXPECT_EQ(DataPanelNumber(123456.789012345678), "123456.7890123500");
    EXPECT_EQ(DataPanelNumber(-494592449.40843123), "-494592449.4084300000");
    EXPECT_EQ(DataPanelNumber(99999999999999.0), "99999999999999.0000000000");
    EXPECT_EQ(DataPanelNumber(9999.99999999999), "10000.0000000000");
}

TEST(DataPanelNumber, ScientificBeyondFourteenIntegerDigits) {
    EXPECT_EQ(DataPanelNumber(1e14), "1E14");
    EXPECT_EQ(DataPanelNumber(-123456789012346.0), "-1.2345678901235E14");
    EXPECT_EQ(DataPanelNumber(2.5e20), "2.5E20");
    EXPECT_EQ(DataPanelNumber(99999999999999.9), "1E14");  // rounds up into 15 digits
    EXPECT_EQ(DataPanelNumber(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(DataPanelNumber(std::nan("")), "NAN");
}

TEST(EllipsePanelNumber, FifteenDecimalsCutToTheWidth) {
    EXPECT_EQ(EllipsePanelNumber(0.123456789, 8), "0.123456");
    EXPECT_EQ(EllipsePanelNumber(12.5, 7), "12.5000");
    EXPECT_EQ(EllipsePanelNumber(-0.5, 8), "-0.50000");
    EXPECT_EQ(EllipsePanelNumber(0.000123456789, 8), "0.000123");
    EXPECT_EQ(EllipsePanelNumber(1234567890.0, 7), "1.23456");  // 10 integer digits > 9
}

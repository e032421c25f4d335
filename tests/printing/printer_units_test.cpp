// The printer device's arithmetic on made-up devices.
#include <gtest/gtest.h>

#include <cmath>

#include "printing/PrinterUnits.h"

namespace kp {
namespace {

const DeviceMetrics k600{600, 600, 15, 40};

TEST(PrinterUnits, UnitsToLogicalAndBack) {
    const UnitConverter cm(UOM_CM, k600);
    EXPECT_EQ(cm.ToLogical(2.54, Axis::Horizontal), 600);
    EXPECT_EQ(cm.ToLogical(1, Axis::Vertical), 236);  // 236.22
    EXPECT_EQ(cm.ToLogical(-1, Axis::Vertical), -236);
    // Back to the unit without rounding.
    EXPECT_NEAR(cm.FromLogical(236, Axis::Horizontal), 0.99907, 1e-5);
    const DeviceMetrics m{300, 600, 15, 40};
    EXPECT_EQ(UnitConverter(UOM_INCH, m).ToLogical(1.5, Axis::Horizontal), 450);
    EXPECT_EQ(UnitConverter(UOM_INCH, m).ToLogical(1.5, Axis::Vertical), 900);
    EXPECT_EQ(UnitConverter(UOM_MM, m).ToLogical(10, Axis::Horizontal), 118);  // 118.11
    EXPECT_EQ(UnitConverter(UOM_CHAR, m).ToLogical(3, Axis::Vertical), 120);
    EXPECT_EQ(UnitConverter(UOM_LOGICAL, m).ToLogical(77.5, Axis::Vertical), 78);
    EXPECT_FALSE(IsUnitOfMeasure(0));
    EXPECT_FALSE(IsUnitOfMeasure(6));
}

TEST(PrinterUnits, FontHeightAndCharacterCell) {
    EXPECT_EQ(FontHeightFor(12, 600), -100);
    EXPECT_EQ(FontHeightFor(11, 96), -15);  // 14.67
    // A proportional font's cell is half as wide again, rounded down.
    EXPECT_EQ(CharacterWidthFor(10, true), 15);
    EXPECT_EQ(CharacterWidthFor(11, true), 16);
    EXPECT_EQ(CharacterWidthFor(11, false), 11);
    const DeviceMetrics m{600, 600, CharacterWidthFor(10, true), 40};
    EXPECT_EQ(UnitConverter(UOM_CHAR, m).ToLogical(1, Axis::Horizontal), 15);
}

TEST(PrinterUnits, MarginsAreKeptInInches) {
    EXPECT_NEAR(UnitConverter(UOM_CM, k600).ToInches(2.54, Axis::Horizontal), 1.0, 1e-12);
    EXPECT_NEAR(UnitConverter(UOM_MM, k600).FromInches(1.0, Axis::Horizontal), 25.4, 1e-12);
    // Character cells: 40 logical units per row at 600 ppi.
    EXPECT_NEAR(UnitConverter(UOM_CHAR, k600).ToInches(15, Axis::Vertical), 1.0, 1e-12);
    EXPECT_NEAR(UnitConverter(UOM_CHAR, k600).FromInches(1.0, Axis::Vertical), 15.0, 1e-12);
    EXPECT_NEAR(UnitConverter(UOM_LOGICAL, k600).ToInches(300, Axis::Horizontal), 0.5, 1e-12);
    // Logical units read back whole.
    EXPECT_EQ(UnitConverter(UOM_LOGICAL, k600).FromInches(0.3337, Axis::Horizontal), 200.0);
}

TEST(PrinterUnits, WithoutAPrinterNothingDividesByZero) {
    const DeviceMetrics none{};
    for (int unit = UOM_INCH; unit <= UOM_LOGICAL; ++unit) {
        const UnitConverter c(unit, none);
        if (unit != UOM_LOGICAL) {
            EXPECT_EQ(c.ToLogical(3, Axis::Horizontal), 0) << unit;
            EXPECT_EQ(c.FromLogical(120, Axis::Vertical), 0.0) << unit;
        }
        EXPECT_TRUE(std::isfinite(c.FromInches(1.0, Axis::Vertical))) << unit;
        EXPECT_TRUE(std::isfinite(c.ToInches(2, Axis::Horizontal))) << unit;
    }
    EXPECT_EQ(UnitConverter(UOM_CHAR, none).FromInches(1.0, Axis::Vertical), 0.0);
    // A device with pixels but no font yet: character cells still give 0.
    const DeviceMetrics noFont{600, 600, 0, 0};
    EXPECT_EQ(UnitConverter(UOM_CHAR, noFont).FromLogical(600, Axis::Horizontal), 0.0);
}

TEST(PrinterUnits, DeviceCommentsAreLittleEndianRecords) {
    TextBoxComment c;
    c.alignment = 6;
    c.column = 600;
    c.row = -2;
    c.height = 81;
    const auto b = c.Bytes();
    EXPECT_EQ(b[0], 0xFE);
    EXPECT_EQ(b[1], 0xFF);
    EXPECT_EQ(b[8] | b[9] << 8, 600);
    EXPECT_EQ(b[15], 0xFF);  // -2
    TextBoxComment back;
    ASSERT_TRUE(TextBoxComment::Parse(b.data(), 24, back));
    EXPECT_EQ(back.row, -2);
    EXPECT_EQ(back.height, 81);
    EXPECT_FALSE(TextBoxComment::Parse(b.data(), 23, back));

    const auto bmp = BitmapComment(1200);
    EXPECT_EQ(bmp[0] | bmp[1] << 8 | bmp[2] << 16, 999999);
    EXPECT_EQ(bmp[4] | bmp[5] << 8, 1200);
    EXPECT_FALSE(TextBoxComment::Parse(bmp.data(), 8, back));
}

}  // namespace
}  // namespace kp

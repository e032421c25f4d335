// The printer device's arithmetic on made-up devices.
#include <gtest/gtest.h>

#include <cmath>

#include "printing/PrinterUnits.h"

namespace kp {
namespace {

const DeviceMetrics k600{600, 600, 15, 40};

TEST(PrinterUnits, CentimetresOnA600DpiDevice) {
    const UnitConverter cm(UOM_CM, k600);
    EXPECT_EQ(cm.ToLogical(2.54, Axis::Horizontal), 600);
    EXPECT_EQ(cm.ToLogical(1, Axis::Vertical), 236);  // 236.22
    EXPECT_EQ(cm.ToLogical(-1, Axis::Vertical), -236);
    EXPECT_NEAR(cm.FromLogical(600, Axis::Horizontal), 2.54, 1e-12);
    // Logical -> unit is not rounded.
    EXPECT_NEAR(cm.FromLogical(236, Axis::Horizontal), 0.99907, 1e-5);
}

TEST(PrinterUnits, EachUnitToLogical) {
    const DeviceMetrics m{300, 600, 15, 40};
    EXPECT_EQ(UnitConverter(UOM_INCH, m).ToLogical(1.5, Axis::Horizontal), 450);
    EXPECT_EQ(UnitConverter(UOM_INCH, m).ToLogical(1.5, Axis::Vertical), 900);
    EXPECT_EQ(UnitConverter(UOM_MM, m).ToLogical(25.4, Axis::Vertical), 600);
    EXPECT_EQ(UnitConverter(UOM_MM, m).ToLogical(10, Axis::Horizontal), 118);  // 118.11
    EXPECT_EQ(UnitConverter(UOM_CHAR, m).ToLogical(3, Axis::Horizontal), 45);
    EXPECT_EQ(UnitConverter(UOM_CHAR, m).ToLogical(3, Axis::Vertical), 120);
    EXPECT_EQ(UnitConverter(UOM_LOGICAL, m).ToLogical(77.5, Axis::Vertical), 78);
}

TEST(PrinterUnits, RoundTripThroughLogicalUnits) {
    for (int unit = UOM_INCH; unit <= UOM_LOGICAL; ++unit) {
        const UnitConverter c(unit, k600);
        for (long logical : {0L, 1L, 59L, 600L, 4961L}) {
            const double inUnit = c.FromLogical(static_cast<double>(logical), Axis::Horizontal);
            EXPECT_EQ(c.ToLogical(inUnit, Axis::Horizontal), logical) << "unit " << unit;
        }
    }
}

TEST(PrinterUnits, ProportionalFontWidensTheCharacterCell) {
    EXPECT_EQ(CharacterWidthFor(10, true), 15);
    EXPECT_EQ(CharacterWidthFor(11, true), 16);  // half rounded down
    EXPECT_EQ(CharacterWidthFor(11, false), 11);
    const DeviceMetrics m{600, 600, CharacterWidthFor(10, true), 40};
    EXPECT_EQ(UnitConverter(UOM_CHAR, m).ToLogical(1, Axis::Horizontal), 15);
}

TEST(PrinterUnits, FontHeightIsNegativePointsTimesPpiOver72) {
    EXPECT_EQ(FontHeightFor(12, 600), -100);
    EXPECT_EQ(FontHeightFor(10, 96), -13);  // 13.33
    EXPECT_EQ(FontHeightFor(11, 96), -15);  // 14.67
    EXPECT_EQ(FontHeightFor(12, 0), 0);
}

TEST(PrinterUnits, MarginsAreKeptInInches) {
    EXPECT_NEAR(UnitConverter(UOM_CM, k600).ToInches(2.54, Axis::Horizontal), 1.0, 1e-12);
    EXPECT_NEAR(UnitConverter(UOM_MM, k600).FromInches(1.0, Axis::Horizontal), 25.4, 1e-12);
    EXPECT_NEAR(UnitConverter(UOM_INCH, k600).ToInches(0.75, Axis::Vertical), 0.75, 1e-12);
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
        EXPECT_EQ(c.ToLogical(unit == UOM_LOGICAL ? 0 : 3, Axis::Horizontal), 0) << unit;
        if (unit != UOM_LOGICAL) {
            EXPECT_EQ(c.FromLogical(120, Axis::Vertical), 0.0) << unit;
        }
        const double back = c.FromInches(1.0, Axis::Vertical);
        EXPECT_TRUE(std::isfinite(back)) << unit;
        EXPECT_TRUE(std::isfinite(c.ToInches(2, Axis::Horizontal))) << unit;
    }
    EXPECT_EQ(UnitConverter(UOM_CHAR, none).FromInches(1.0, Axis::Vertical), 0.0);
    EXPECT_EQ(UnitConverter(UOM_LOGICAL, none).ToInches(300, Axis::Vertical), 0.0);
    // A device with pixels but no font yet: character cells still give 0.
    const DeviceMetrics noFont{600, 600, 0, 0};
    EXPECT_EQ(UnitConverter(UOM_CHAR, noFont).FromLogical(600, Axis::Horizontal), 0.0);
}

TEST(PrinterUnits, AlignmentCodes) {
    EXPECT_EQ(TextAlignFlags(2), 2u);  // right
    EXPECT_EQ(TextAlignFlags(1), 6u);  // centre
    EXPECT_EQ(TextAlignFlags(0), 0u);
    EXPECT_EQ(TextAlignFlags(4), 0u);
    EXPECT_EQ(DrawTextAlignment(4), 4);
    EXPECT_EQ(DrawTextAlignment(2), 2);
    EXPECT_EQ(DrawTextAlignment(3), 0);
    EXPECT_EQ(DrawTextAlignment(-1), 0);
    EXPECT_TRUE(IsUnitOfMeasure(1));
    EXPECT_TRUE(IsUnitOfMeasure(5));
    EXPECT_FALSE(IsUnitOfMeasure(0));
    EXPECT_FALSE(IsUnitOfMeasure(6));
}

TEST(PrinterUnits, DeviceCommentsAreLittleEndianRecords) {
    TextBoxComment c;
    c.alignment = 6;
    c.column = 600;
    c.row = -2;
    c.width = 91;
    c.height = 81;
    const auto b = c.Bytes();
    EXPECT_EQ(b[0], 0xFE);
    EXPECT_EQ(b[1], 0xFF);
    EXPECT_EQ(b[2], 0);
    EXPECT_EQ(b[8], 600 & 0xFF);
    EXPECT_EQ(b[9], 600 >> 8);
    EXPECT_EQ(b[12], 0xFE);  // -2
    EXPECT_EQ(b[15], 0xFF);
    TextBoxComment back;
    ASSERT_TRUE(TextBoxComment::Parse(b.data(), 24, back));
    EXPECT_EQ(back.marker, COMMENT_TEXT_START);
    EXPECT_EQ(back.row, -2);
    EXPECT_EQ(back.height, 81);
    EXPECT_FALSE(TextBoxComment::Parse(b.data(), 23, back));
    EXPECT_FALSE(TextBoxComment::Parse(nullptr, 24, back));

    const auto bmp = BitmapComment(1200);
    EXPECT_EQ(bmp[0] | bmp[1] << 8 | bmp[2] << 16, 999999);
    EXPECT_EQ(bmp[4] | bmp[5] << 8, 1200);
    EXPECT_FALSE(TextBoxComment::Parse(bmp.data(), 8, back));
}

TEST(PrinterUnits, TextWidthEstimate) {
    const UnitConverter cm(UOM_CM, k600);
    // Average width 15 logical units = 0.0635 cm; five characters.
    EXPECT_EQ(TextWidthEstimate(cm, cm.FromLogical(15, Axis::Horizontal), 5), 76);
    EXPECT_EQ(TextWidthEstimate(cm, 0.0, 5), 1);
}

}  // namespace
}  // namespace kp

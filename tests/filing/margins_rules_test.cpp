// The paragraph dialog's texts: indents shown in the word pad's unit and
// read back into twips, and the alignment box.
#include <gtest/gtest.h>

#include "platform/runtime/settings.h"
#include "wordpad/marginsRules.h"

namespace kp {
namespace {

class MarginTexts : public ::testing::Test {
  protected:
    void TearDown() override { ResetSettings(); }
};

TEST_F(MarginTexts, ShowTheValueInTheUnitFiveWideWithTwoDecimals) {
    EXPECT_EQ(MarginText(567 / 2, false), " 0.50 cm");
    EXPECT_EQ(MarginText(720, true), " 0.50 in");
    EXPECT_EQ(MarginText(0, false), " 0.00 cm");
    EXPECT_EQ(MarginText(2 * 567, false), " 2.00 cm");
    EXPECT_EQ(MarginText(14400, true), "10.00 in");
    EXPECT_EQ(MarginText(-567, false), "-1.00 cm");
    SetDecimalSep(',');
    EXPECT_EQ(MarginText(1134, false), " 2,00 cm");
}

TEST_F(MarginTexts, ReadTheLeadingNumberTimesTheUnit) {
    EXPECT_EQ(MarginTwips(" 0.50 cm", false), 284);  // 283.5 rounds away from zero
    EXPECT_EQ(MarginTwips(" 0.50 in", true), 720);
    EXPECT_EQ(MarginTwips("2", false), 1134);
    EXPECT_EQ(MarginTwips("1.5in", true), 2160);
    EXPECT_EQ(MarginTwips("-1 cm", false), -567);
    // The unit written in the text does not matter, the word pad's does.
    EXPECT_EQ(MarginTwips("1 in", false), 567);
    // No leading number: no indent.
    EXPECT_EQ(MarginTwips("cm", false), 0);
    EXPECT_EQ(MarginTwips("", true), 0);
    SetDecimalSep(',');
    EXPECT_EQ(MarginTwips(" 1,50 cm", false), 851);
}

TEST_F(MarginTexts, WhatIsShownReadsBackToTheSameIndent) {
    // Whole hundredths of the unit survive the two decimals exactly.
    for (long twips : {0L, 567L, 1134L, 2835L, -567L})
        EXPECT_EQ(MarginTwips(MarginText(twips, false), false), twips) << twips << " cm";
    for (long twips : {0L, 720L, 1440L, 2880L, 1008L})
        EXPECT_EQ(MarginTwips(MarginText(twips, true), true), twips) << twips << " in";
}

TEST_F(MarginTexts, HugeNumbersAreKeptWithinTheLimit) {
    EXPECT_EQ(MarginTwips("99999999999 cm", false), kMaxIndentTwips);
    EXPECT_EQ(MarginTwips("-99999999999", true), -kMaxIndentTwips);
}

TEST(Alignment, TextsAndCodes) {
    EXPECT_EQ(AlignmentText(1), "Left");
    EXPECT_EQ(AlignmentText(2), "Right");
    EXPECT_EQ(AlignmentText(3), "Centre");
    EXPECT_EQ(AlignmentText(0), "Centre");
    EXPECT_EQ(AlignmentCode("Left"), 1);
    EXPECT_EQ(AlignmentCode("left"), 1);
    EXPECT_EQ(AlignmentCode("RIGHT"), 2);
    EXPECT_EQ(AlignmentCode("rIgHt "), 2);
    EXPECT_EQ(AlignmentCode("Centre"), 3);
    EXPECT_EQ(AlignmentCode("Justify"), 3);
    EXPECT_EQ(AlignmentCode(""), 3);
    for (int code = 1; code <= 3; ++code)
        EXPECT_EQ(AlignmentCode(AlignmentText(code)), code);
}

}  // namespace
}  // namespace kp

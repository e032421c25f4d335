#include "platform/runtime/numbers.h"

#include <cmath>

#include "platform/runtime/usual.h"
#include "runtime_fixture.h"

using namespace kp;

using NumbersTest = RuntimeTest;

TEST_F(NumbersTest, FormatRoundsTheDecimalValueHalfAwayFromZero) {
    EXPECT_EQ(FormatNumber(2.675, 2), "2.68");  // the double is 2.67499999...
    EXPECT_EQ(FormatNumber(116.15, 2), "116.15");
    EXPECT_EQ(FormatNumber(232.68, 2), "232.68");
    EXPECT_EQ(FormatNumber(1.005, 2), "1.01");
    EXPECT_EQ(FormatNumber(-2.675, 2), "-2.68");
    EXPECT_EQ(FormatNumber(-0.004, 2), "0.00");
    EXPECT_EQ(FormatNumber(-0.0, 0), "0");
    EXPECT_EQ(FormatNumber(0.5, 0), "1");
    EXPECT_EQ(FormatNumber(-0.5, 0), "-1");
    EXPECT_EQ(FormatNumber(9.995, 2), "10.00");
    EXPECT_EQ(FormatNumber(999.5, 0), "1000");
    EXPECT_EQ(FormatNumber(0.000123, 5), "0.00012");
    EXPECT_EQ(FormatNumber(1234567.891, 2), "1234567.89");
    EXPECT_EQ(FormatNumber(1e20, 1), "100000000000000000000.0");
    EXPECT_EQ(FormatNumber(5, -1), "5");
    EXPECT_EQ(FormatNumber(0.1 + 0.2, 2), "0.30");
    // A tax computation of the kind the conversion does.
    EXPECT_EQ(FormatNumber(100.0 * 1.19 - 100.0, 2), "19.00");
    EXPECT_EQ(FormatNumber(1.0 / 0.0, 2), "inf");
}

TEST_F(NumbersTest, FormatAgreesWithDecimalRoundingOfThreeDecimalValues) {
    // k / 1000 prints as exactly the decimal k/1000, so two decimals must round
    // its last digit half away from zero, whatever the binary value is.
    for (int k = -200000; k <= 200000; k += 7) {
        const int mag = k < 0 ? -k : k;
        const int rounded = (mag + 5) / 10;  // in hundredths
        std::string want = std::to_string(rounded / 100) + "." + (rounded % 100 < 10 ? "0" : "") +
                           std::to_string(rounded % 100);
        if (k < 0 && rounded != 0)
            want = "-" + want;
        ASSERT_EQ(FormatNumber(k / 1000.0, 2), want) << k;
    }
}

TEST_F(NumbersTest, ValReadsTheLeadingNumber) {
    EXPECT_EQ(Val(""), 0.0);
    EXPECT_EQ(Val("   12.5"), 12.5);
    EXPECT_EQ(Val("-3"), -3.0);
    EXPECT_EQ(Val("+7x"), 7.0);
    EXPECT_EQ(Val("1.2.3"), 1.2);
    EXPECT_EQ(Val("12 34"), 12.0);
    EXPECT_EQ(Val("abc"), 0.0);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("1,5"), 1.0);
    SetDecimalSep(',');
    EXPECT_EQ(Val("1,5"), 1.5);
    EXPECT_EQ(Val("1.5"), 1.5);
    EXPECT_FALSE(std::signbit(Val("-0")));
}

TEST_F(NumbersTest, StrPadsAndRounds) {
    EXPECT_EQ(Str(2.675, 10, 2), "      2.68");
    EXPECT_EQ(Str(2.5), "         2.50");  // 10 digits + point + 2 decimals
    EXPECT_EQ(Str(42), "        42");
    EXPECT_EQ(Str(42, 5, 1), " 42.0");
    EXPECT_EQ(Str(-1.5, 4, 0), "  -2");
    EXPECT_EQ(Str(123456.0, 5, 0), "*****");
    EXPECT_EQ(Str(12.0, 2, 0), "12");
    SetDecimal(3);
    EXPECT_EQ(Str(1.0), "         1.000");
    SetDecimalSep(',');
    EXPECT_EQ(Str(1.25, 6, 2), "  1,25");
    EXPECT_EQ(NTrim(1.25), "1,250");
    EXPECT_EQ(NTrim(7), "7");
    EXPECT_EQ(NTrim(-7L), "-7");
    EXPECT_EQ(NTrim(Usual(Float{2.5, 1})), "2,5");
    EXPECT_EQ(NTrim(Usual(12)), "12");
    EXPECT_EQ(Str(Usual("x")), "");
    EXPECT_EQ(NTrim(Usual(INT32_MIN)), "-2147483648");  // wider than Str's 10
    EXPECT_EQ(NTrim(12345678901.5), "12345678901,500");
}

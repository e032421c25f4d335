#include "platform/runtime/transform.h"

#include "runtime_fixture.h"

using namespace kp;

using TransformTest = RuntimeTest;

TEST_F(TransformTest, NumberPictures) {
    EXPECT_EQ(Transform(64000, "@E 999,999"), " 64.000");
    EXPECT_EQ(Transform(65536000 / 1024, "@E 999,999"), " 64.000");
    EXPECT_EQ(Transform(1234567, "@E 999,999"), "*******");
    EXPECT_EQ(Transform(999, "@E 999,999"), "    999");
    EXPECT_EQ(Transform(7, "999"), "  7");
    EXPECT_EQ(Transform(2010, "####"), "2010");
    EXPECT_EQ(Transform(64000, "999,999"), " 64,000");
    EXPECT_EQ(Transform(-64000, "999,999"), "-64,000");
    EXPECT_EQ(Transform(-5, "999"), " -5");
    EXPECT_EQ(Transform(-500, "999"), "***");
    EXPECT_EQ(Transform(2.675, "999.99"), "  2.68");
    EXPECT_EQ(Transform(0.5, "999.99"), "  0.50");
    EXPECT_EQ(Transform(1234.5, "@E 9,999.99"), "1.234,50");
    EXPECT_EQ(Transform(0, "@Z 999"), "   ");
    EXPECT_EQ(Transform(5, "@B 999"), "5  ");
    EXPECT_EQ(Transform(-5, "@( 999"), " (5)");
    EXPECT_EQ(Transform(5, "999 %"), "  5 %");
    SetThousandSep('.');
    SetDecimalSep(',');
    EXPECT_EQ(Transform(1234.5, "9,999.99"), "1.234,50");
}

TEST_F(TransformTest, OtherTypes) {
    EXPECT_EQ(Transform(Usual("abc"), "@!"), "ABC");
    EXPECT_EQ(Transform(Usual("abcd"), "!XX"), "Abc");
    EXPECT_EQ(Transform(Usual("1234"), "@R 99-99"), "12-34");
    EXPECT_EQ(Transform(Usual(true), ""), "T");
    EXPECT_EQ(Transform(Usual(false), "Y"), "N");
    EXPECT_EQ(Transform(Usual(Float{3.14159, -1}), "9.99"), "3.14");
    EXPECT_EQ(Transform(Usual(12), ""), "        12");
    EXPECT_EQ(Transform(Usual(), "999"), "");
    SetDateCountry(5);
    SetCentury(true);
    EXPECT_EQ(Transform(Usual(Date::FromYMD(2010, 6, 15)), ""), "15.06.2010");
}

#include "platform/runtime/date.h"

#include "runtime_fixture.h"

using namespace kp;

using DateTest = RuntimeTest;

TEST_F(DateTest, FromYmdRejectsImpossibleDates) {
    EXPECT_TRUE(Date::FromYMD(2011, 2, 29).IsEmpty());
    EXPECT_FALSE(Date::FromYMD(2012, 2, 29).IsEmpty());
    EXPECT_TRUE(Date::FromYMD(1900, 2, 29).IsEmpty());   // century, not leap
    EXPECT_FALSE(Date::FromYMD(2000, 2, 29).IsEmpty());  // 400 years, leap
    EXPECT_TRUE(Date::FromYMD(2010, 13, 1).IsEmpty());
    EXPECT_TRUE(Date::FromYMD(2010, 4, 31).IsEmpty());
    EXPECT_TRUE(Date::FromYMD(0, 1, 1).IsEmpty());
    const Date d = Date::FromYMD(1496, 1, 1);
    EXPECT_EQ(d.Year(), 1496);
    EXPECT_EQ(d.Month(), 1);
    EXPECT_EQ(d.Day(), 1);
}

TEST_F(DateTest, ArithmeticAndWeekdays) {
    const Date d = Date::FromYMD(2010, 12, 31);
    EXPECT_EQ(d + 1, Date::FromYMD(2011, 1, 1));
    EXPECT_EQ(Date::FromYMD(2012, 3, 1) - 1, Date::FromYMD(2012, 2, 29));
    EXPECT_EQ(Date::FromYMD(2011, 1, 1) - Date::FromYMD(2010, 1, 1), 365);
    EXPECT_TRUE((Date() + 5).IsEmpty());
    EXPECT_EQ(Date() - d, 0);
    EXPECT_LT(Date(), d);                            // the empty date sorts first
    EXPECT_EQ(DoW(Date::FromYMD(1996, 10, 20)), 1);  // a Sunday
    EXPECT_EQ(DoW(Date::FromYMD(2009, 2, 1)), 1);
    EXPECT_EQ(DoW(Date::FromYMD(2010, 5, 1)), 7);  // a Saturday
    EXPECT_EQ(DoW(Date()), 0);
    EXPECT_EQ(CMonth(Date::FromYMD(2010, 3, 5)), "März");
    EXPECT_EQ(CMonth(Date::FromYMD(2010, 12, 5)), "Dezember");
    EXPECT_EQ(CDoW(Date::FromYMD(1996, 10, 20)), "Sonntag");
    EXPECT_EQ(CDoW(Date::FromYMD(1996, 10, 23)), "Mittwoch");
    EXPECT_EQ(CMonth(Date()), "");
    EXPECT_EQ(Date::FromJulianDay(Date::FromYMD(2029, 12, 31).JulianDay()).Day(), 31);
}

TEST_F(DateTest, GermanFormatReadsAndPrints) {
    German();
    EXPECT_EQ(GetDateFrmt(), "DD.MM.YYYY");
    EXPECT_TRUE(CToD("29.02.2011").IsEmpty());
    EXPECT_EQ(CToD("29.02.2012"), Date::FromYMD(2012, 2, 29));
    EXPECT_EQ(CToD("01.01.19"), Date::FromYMD(2019, 1, 1));
    EXPECT_EQ(CToD("01.01.20"), Date::FromYMD(1920, 1, 1));
    EXPECT_EQ(CToD("31.12.99"), Date::FromYMD(1999, 12, 31));
    EXPECT_EQ(DToC(Date()), "  .  .    ");
    EXPECT_TRUE(CToD("  .  .    ").IsEmpty());
    EXPECT_TRUE(CToD("").IsEmpty());
    EXPECT_TRUE(CToD("15.06.    ").IsEmpty());  // no year
    EXPECT_TRUE(CToD("32.01.2010").IsEmpty());
    EXPECT_TRUE(CToD("123.01.2010").IsEmpty());  // never read as 12.3.
    EXPECT_EQ(DToC(Date::FromYMD(2010, 6, 5)), "05.06.2010");
    EXPECT_EQ(CToD(" 5.6.2010"), Date::FromYMD(2010, 6, 5));
    for (Date d = Date::FromYMD(2011, 12, 25); d < Date::FromYMD(2012, 3, 5); d = d + 1) {
        EXPECT_EQ(CToD(DToC(d)), d);
    }
    SetCentury(false);
    EXPECT_EQ(DToC(Date::FromYMD(2010, 6, 5)), "05.06.10");
    EXPECT_EQ(DToC(Date()), "  .  .  ");
}

TEST_F(DateTest, CountriesOrderTheParts) {
    SetEpoch(1950);
    const Date d = Date::FromYMD(2010, 6, 5);
    const char* expected[9] = {nullptr,    "06/05/10", "10.06.05", "05/06/10", "05/06/10",
                               "05.06.10", "05-06-10", "10/06/05", "06-05-10"};
    for (int c = 1; c <= 8; ++c) {
        SetDateCountry(c);
        EXPECT_EQ(DToC(d), expected[c]) << c;
        EXPECT_EQ(CToD(expected[c]), d) << c;
    }
    SetCentury(true);
    EXPECT_EQ(DToC(d), "06-05-2010");
    SetDateCountry(2);
    EXPECT_EQ(DToC(d), "2010.06.05");  // the country keeps the century
    SetDateCountry(42);                // unknown: ignored
    EXPECT_EQ(GetDateFrmt(), "YYYY.MM.DD");
    SetDateFrmt("dd/mm/yy");
    EXPECT_EQ(GetDateFrmt(), "DD/MM/YY");
    EXPECT_FALSE(GetCentury());
    SetDateFrmt("YYYYMMDD");  // no separators: each part has its width
    EXPECT_EQ(CToD("20100605"), d);
}

TEST_F(DateTest, EpochPlacesTwoDigitYears) {
    SetDateCountry(5);
    EXPECT_EQ(CToD("01.01.19").Year(), 1919);  // default epoch 1900
    SetEpoch(1950);
    EXPECT_EQ(CToD("01.01.49").Year(), 2049);
    EXPECT_EQ(CToD("01.01.50").Year(), 1950);
    EXPECT_EQ(CToD("01.01.0049").Year(), 49);  // four digits are taken as they are
}

TEST_F(DateTest, SortableAndAnsiForms) {
    EXPECT_EQ(SToD("20100605"), Date::FromYMD(2010, 6, 5));
    EXPECT_TRUE(SToD("20110229").IsEmpty());
    EXPECT_TRUE(SToD("2010 605").IsEmpty());
    EXPECT_TRUE(SToD("201006").IsEmpty());
    EXPECT_EQ(DToS(Date::FromYMD(987, 6, 5)), "09870605");
    EXPECT_EQ(DToS(Date()), "        ");
    EXPECT_EQ(CToDAnsi("1496.01.01"), Date::FromYMD(1496, 1, 1));
    EXPECT_EQ(CToDAnsi("2029.12.31"), Date::FromYMD(2029, 12, 31));
    EXPECT_TRUE(CToDAnsi("2029.02.30").IsEmpty());
}

TEST_F(DateTest, TodayAndTime) {
    EXPECT_FALSE(Today().IsEmpty());
    EXPECT_GE(Today().Year(), 2024);
    EXPECT_EQ(Time().size(), 8u);
    SetTimeSep('.');
    SetAmPm(true);
    const std::string t = Time();
    EXPECT_EQ(t[2], '.');
    EXPECT_TRUE(t.ends_with(" am") || t.ends_with(" pm")) << t;
}

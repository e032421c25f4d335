// The international settings: what the locale items make of them.
#include <gtest/gtest.h>

#include <map>

#include "app/International.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "tests/app/test_support.h"

namespace kp {
namespace {

TEST(DateFormatFromLocale, OrderSeparatorAndYearWidth) {
    EXPECT_EQ(DateFormatFromLocale("1", ".", "dd.MM.yyyy"), "DD.MM.YYYY");
    EXPECT_EQ(DateFormatFromLocale("1", ".", "d.M.yy"), "DD.MM.YY");
    EXPECT_EQ(DateFormatFromLocale("2", "-", "yyyy-MM-dd"), "YYYY-MM-DD");
    EXPECT_EQ(DateFormatFromLocale("0", "/", "M/d/yyyy"), "MM/DD/YYYY");
    EXPECT_EQ(DateFormatFromLocale(std::nullopt, std::nullopt, std::nullopt), "MM/DD/YY");
}

const std::map<LocaleItem, std::string> kGerman = {{LocaleItem::SDecimal, ","},
                                                   {LocaleItem::SThousand, "."},
                                                   {LocaleItem::STime, ":"},
                                                   {LocaleItem::ITime, "1"},
                                                   {LocaleItem::S1159, ""},
                                                   {LocaleItem::S2359, ""},
                                                   {LocaleItem::IDate, "1"},
                                                   {LocaleItem::SDate, "."},
                                                   {LocaleItem::SShortDate, "dd.MM.yyyy"},
                                                   {LocaleItem::IDigits, "2"}};

LocaleReader From(const std::map<LocaleItem, std::string>& m) {
    return [&m](LocaleItem i) -> std::optional<std::string> {
        auto it = m.find(i);
        if (it == m.end())
            return std::nullopt;
        return it->second;
    };
}

TEST(WindowsInternational, GermanLocale) {
    InternationalValues v = WindowsInternational(From(kGerman));
    EXPECT_EQ(v.decimalSep, U',');
    EXPECT_EQ(v.thousandSep, U'.');
    EXPECT_EQ(v.timeSep, U':');
    EXPECT_FALSE(v.amPm);
    EXPECT_EQ(v.amExt, " ");
    EXPECT_EQ(v.dateFormat, "DD.MM.YYYY");
    EXPECT_EQ(v.decimals, 2);
    EXPECT_FALSE(v.century.has_value());
}

TEST(WindowsInternational, UnreadableItemsFallBack) {
    InternationalValues v = WindowsInternational([](LocaleItem) { return std::nullopt; });
    EXPECT_EQ(v.decimalSep, U'.');
    EXPECT_EQ(v.thousandSep, U',');
    EXPECT_TRUE(v.amPm);
    EXPECT_EQ(v.amExt, " am");
    EXPECT_EQ(v.pmExt, " pm");
    EXPECT_EQ(v.dateFormat, "MM/DD/YY");
    EXPECT_EQ(v.decimals, 2);
}

class SetInternationalTest : public ::testing::Test, public test::ErrorSysFixture {};

TEST_F(SetInternationalTest, SwitchesModesAndReportsTheOldOne) {
    EXPECT_EQ(SetInternational(Symbol(), From(kGerman)), Symbol("DORVAN"));
    EXPECT_EQ(SetInternational(Symbol("WINDOWS"), From(kGerman)), Symbol("DORVAN"));
    EXPECT_EQ(GetDecimalSep(), U',');
    EXPECT_EQ(GetThousandSep(), U'.');
    EXPECT_EQ(GetDateFrmt(), "DD.MM.YYYY");
    EXPECT_TRUE(GetDictionarySwitch());
    SetCentury(true);
    EXPECT_EQ(SetInternational(Symbol("DORVAN"), From(kGerman)), Symbol("WINDOWS"));
    EXPECT_EQ(GetDecimalSep(), U'.');
    EXPECT_FALSE(GetCentury());
    EXPECT_FALSE(GetInternationalSwitch());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SetInternationalTest, UnknownModeIsAnErrorAndChangesNothing) {
    SetInternational(Symbol("WINDOWS"), From(kGerman));
    host.answer = [](const test::FakeHost::Box&) { return 1; };
    EXPECT_EQ(SetInternational(Symbol("MARS"), From(kGerman)), Symbol("WINDOWS"));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("Subsystem: International\r\n"), std::string::npos);
    EXPECT_NE(host.boxes[0].text.find("Argument: MARS\r\n"), std::string::npos);
    EXPECT_EQ(GetDecimalSep(), U',');
}

}  // namespace
}  // namespace kp

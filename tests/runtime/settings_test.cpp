#include "platform/runtime/settings.h"

#include "platform/runtime/date.h"
#include "runtime_fixture.h"

using namespace kp;

using SettingsTest = RuntimeTest;

TEST_F(SettingsTest, SettersReturnThePreviousValue) {
    EXPECT_FALSE(SetDeleted(true));
    EXPECT_TRUE(GetDeleted());
    EXPECT_TRUE(SetExclusive(false));
    EXPECT_FALSE(GetExclusive());
    EXPECT_TRUE(SetAnsi(false));
    EXPECT_FALSE(GetAnsi());
    EXPECT_EQ(SetDecimalSep(','), U'.');
    EXPECT_EQ(SetThousandSep('.'), U',');
    EXPECT_EQ(SetTimeSep('.'), U':');
    EXPECT_EQ(GetTimeSep(), U'.');
    EXPECT_FALSE(SetAmPm(true));
    EXPECT_EQ(SetAMExt(""), " am");
    EXPECT_EQ(SetPMExt(""), " pm");
    EXPECT_EQ(GetPMExt(), "");
    EXPECT_FALSE(SetInternationalSwitch(true));
    EXPECT_FALSE(SetDictionarySwitch(true));
    EXPECT_TRUE(GetDictionarySwitch());
    EXPECT_EQ(SetDecimal(4), 2);
    EXPECT_EQ(GetDecimal(), 4);
    EXPECT_EQ(SetDigit(12), 10);
    EXPECT_TRUE(SetBeep(false));
    EXPECT_TRUE(SetErrorLog(false));
    EXPECT_FALSE(NetErr());
    EXPECT_FALSE(NetErr(true));
    EXPECT_TRUE(NetErr());
    EXPECT_EQ(SetDefault("C:\\KP"), "");
    EXPECT_EQ(SetDefaultDir("D:\\DATEN"), "");
    EXPECT_EQ(GetDefault(), "C:\\KP");
    EXPECT_EQ(GetDefaultDir(), "D:\\DATEN");
    SetEpoch(1920);
    SetDateCountry(5);
    ResetSettings();
    EXPECT_FALSE(GetDeleted());
    EXPECT_EQ(GetDecimalSep(), U'.');
    EXPECT_EQ(GetDefaultDir(), "");
    EXPECT_EQ(GetEpoch(), 1900);
    EXPECT_EQ(GetDateFrmt(), "MM/DD/YY");
}

#include <gtest/gtest.h>

#include "controls/DateEditor.h"
#include "editor_fixture.h"

using kp::Date;
using kp::DateEditor;
using kp::EditState;
using kp::KeyResult;

namespace {

constexpr unsigned kBackspace = 8;
const std::string kMask(kp::kBlankDateMask);

class DateEditorTest : public EditorTest {
  protected:
    const Date today = Date::FromYMD(2026, 12, 8);
    void Type(EditState& s, const std::string& keys) {
        for (char c : keys)
            ASSERT_EQ(DateEditor::Key(s, static_cast<unsigned char>(c), false, today),
                      KeyResult::Consumed);
    }
    std::string After(const std::string& text, char key, int caret = 0) {
        EditState s = At(text, caret);
        Type(s, std::string(1, key));
        return s.text;
    }
};

TEST_F(DateEditorTest, DigitsOverTheMaskSkipThePoints) {
    EditState s = At(kMask, 0);
    const int carets[] = {1, 3, 4, 6, 7, 8, 9, 10};
    const std::string digits = "15062010";
    for (size_t i = 0; i < digits.size(); ++i) {
        Type(s, digits.substr(i, 1));
        EXPECT_EQ(s.start, carets[i]) << i;
        EXPECT_EQ(s.finish, carets[i]);
    }
    EXPECT_EQ(s.text, "15.06.2010");
    // Past the last year digit a digit is swallowed.
    Type(s, "9");
    EXPECT_EQ(s, At("15.06.2010", 10));
    // A digit in front of a point goes behind it, overwriting.
    EditState t = At("15.06.2010", 2);
    Type(t, "7");
    EXPECT_EQ(t, At("15.76.2010", 4));
}

TEST_F(DateEditorTest, EmptyTextGetsTheMask) {
    EditState s = At("", 0);
    Type(s, "3");
    EXPECT_EQ(s, At("3 .  .    ", 1));
}

TEST_F(DateEditorTest, BackspaceBlanksOneDigitAndStepsOverPoints) {
    EditState s = At("15.06.2010", 10);
    ASSERT_EQ(DateEditor::Key(s, kBackspace, false, today), KeyResult::Consumed);
    EXPECT_EQ(s, At("15.06.201 ", 9));
    EditState p = At("15.06.2010", 3);
    DateEditor::Key(p, kBackspace, false, today);
    EXPECT_EQ(p, At("1 .06.2010", 1));
    EditState z = At("15.06.2010", 0);
    DateEditor::Key(z, kBackspace, false, today);
    EXPECT_EQ(z, At("15.06.2010", 0));
}

TEST_F(DateEditorTest, DeleteAndPointShiftDigitsLeftAcrossPoints) {
    EditState s = At("15.06.2010", 0);
    DateEditor::Key(s, 0x2E, true, today);
    EXPECT_EQ(s, At("50.62.010 ", 0));
    EXPECT_FALSE(DateEditor::IsValidDatum(s.text));
    // Typing "." is the same key.
    EditState dot = At("15.06.2010", 0);
    Type(dot, ".");
    EXPECT_EQ(dot, At("50.62.010 ", 0));
    // In front of a point Delete changes nothing.
    EditState p = At("15.06.2010", 2);
    DateEditor::Key(p, 0x2E, true, today);
    EXPECT_EQ(p.text, "15.06.2010");
}

TEST_F(DateEditorTest, SelectionIsBlankedToTheMask) {
    EditState s = Sel("15.06.2010", 1, 7);
    DateEditor::Key(s, kBackspace, false, today);
    EXPECT_EQ(s, At("1 .  . 010", 1));
    EditState d = Sel("15.06.2010", 0, 10);
    Type(d, "3");
    EXPECT_EQ(d, At("3 .  .    ", 1));
}

TEST_F(DateEditorTest, ShortcutKeys) {
    EXPECT_EQ(After("31.12.2010", '+'), "01.01.2011");
    EXPECT_EQ(After("31.12.2010", 'T'), "01.01.2011");
    EXPECT_EQ(After("01.03.2012", '-'), "29.02.2012");
    EXPECT_EQ(After("01.03.2012", 't'), "29.02.2012");
    EXPECT_EQ(After("31.01.2010", 'M'), "28.02.2010");
    EXPECT_EQ(After("31.03.2010", 'm'), "28.02.2010");
    EXPECT_EQ(After("29.02.2012", 'J'), "28.02.2013");
    EXPECT_EQ(After("15.06.2010", 'j'), "15.06.2009");
    EXPECT_EQ(After(kMask, '*'), "08.12.2026");
    EXPECT_EQ(After("15.06.2010", ' '), kMask);
    EXPECT_FALSE(DateEditor::IsValidDatum(kMask));
    // Upper and lower case differ; other letters do nothing.
    EXPECT_EQ(After("15.06.2010", 'x'), "15.06.2010");
    EXPECT_EQ(After("15.06.2010", 'D'), "15.06.2010");
}

TEST_F(DateEditorTest, ShortcutsOnTextThatIsNoDate) {
    // Day keys leave it alone, month and year keys blank it.
    EXPECT_EQ(After("31.02.2010", '+'), "31.02.2010");
    EXPECT_EQ(After("31.02.2010", 't'), "31.02.2010");
    EXPECT_EQ(After("31.02.2010", 'M'), kMask);
    EXPECT_EQ(After(kMask, 'j'), kMask);
}

TEST_F(DateEditorTest, ValidityOfTheText) {
    EXPECT_TRUE(DateEditor::IsValidDatum("15.06.2010"));
    EXPECT_TRUE(DateEditor::IsValidDatum("15.06.10  "));  // 8 characters, epoch 1920
    EXPECT_FALSE(DateEditor::IsValidDatum("31.02.2010"));
    EXPECT_FALSE(DateEditor::IsValidDatum("15.06.201 "));
    EXPECT_TRUE(DateEditor::IsBlank(kMask));
    EXPECT_FALSE(DateEditor::IsBlank("31.02.2010"));
}

TEST_F(DateEditorTest, KeypadSteppingNeedsADate) {
    EditState s = At("31.12.2010", 4);
    ASSERT_TRUE(DateEditor::StepDays(s, 1));
    EXPECT_EQ(s.text, "01.01.2011");
    ASSERT_TRUE(DateEditor::StepDays(s, -1));
    EXPECT_EQ(s.text, "31.12.2010");
    EditState blank = At(kMask, 0);
    EXPECT_FALSE(DateEditor::StepDays(blank, 1));
    EXPECT_EQ(blank.text, kMask);
    EXPECT_FALSE(DateEditor::StepDays(s, 1, true));
    EXPECT_EQ(s.text, "31.12.2010");
}

TEST_F(DateEditorTest, ReadOnlyTakesNoEdit) {
    for (unsigned key : {unsigned('1'), unsigned('+'), unsigned('M'), unsigned('*'), unsigned(' '),
                         kBackspace, 0x2Eu}) {
        EditState s = At("15.06.2010", 3);
        EXPECT_EQ(DateEditor::Key(s, key, false, today, true), KeyResult::Consumed);
        EXPECT_EQ(s, At("15.06.2010", 3)) << key;
    }
    EditState s = At("15.06.2010", 0);
    DateEditor::Key(s, 0x2E, true, today, true);
    EXPECT_EQ(s.text, "15.06.2010");
    EXPECT_FALSE(DateEditor::Paste(s, "01.01.2011", true).ok);
    EXPECT_EQ(s.text, "15.06.2010");
}

TEST_F(DateEditorTest, ClipboardKeys) {
    EditState s = Sel("15.06.2010", 0, 5);
    EXPECT_EQ(DateEditor::Key(s, kp::kCtrlC, false, today), KeyResult::PassOn);
    EXPECT_EQ(s, Sel("15.06.2010", 0, 5));
    EXPECT_EQ(DateEditor::DeleteSelection(s), KeyResult::Consumed);
    EXPECT_EQ(s, At("  .  .2010", 0));
}

TEST_F(DateEditorTest, PasteReformatsOrRefuses) {
    EditState s = At(kMask, 0);
    ASSERT_TRUE(DateEditor::Paste(s, " 5.7.2011 ").ok);
    EXPECT_EQ(s.text, "05.07.2011");
    const auto bad = DateEditor::Paste(s, "31.02.2010");
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.message.find("kein gültiges Datum"), std::string::npos);
    EXPECT_EQ(s.text, "05.07.2011");
    EXPECT_FALSE(DateEditor::Paste(s, "Hallo").ok);
    EXPECT_FALSE(DateEditor::Paste(s, "").ok);
}

TEST(DateAddMonth, MonthEndsLeapYearsAndYearWraps) {
    kp::ResetSettings();
    auto d = [](int y, int m, int dd) { return Date::FromYMD(y, m, dd); };
    EXPECT_EQ(kp::Date_AddMonth(d(2010, 1, 31), 1), d(2010, 2, 28));
    EXPECT_EQ(kp::Date_AddMonth(d(2012, 1, 31), 1), d(2012, 2, 29));
    EXPECT_EQ(kp::Date_AddMonth(d(2010, 3, 31), 1), d(2010, 4, 30));
    EXPECT_EQ(kp::Date_AddMonth(d(2010, 3, 31), -1), d(2010, 2, 28));
    EXPECT_EQ(kp::Date_AddMonth(d(2012, 2, 29), 12), d(2013, 2, 28));
    EXPECT_EQ(kp::Date_AddMonth(d(2012, 2, 29), 48), d(2016, 2, 29));
    EXPECT_EQ(kp::Date_AddMonth(d(2010, 12, 15), 1), d(2011, 1, 15));
    EXPECT_EQ(kp::Date_AddMonth(d(2011, 1, 15), -1), d(2010, 12, 15));
    EXPECT_EQ(kp::Date_AddMonth(d(2010, 5, 31), -27), d(2008, 2, 29));
    EXPECT_EQ(kp::Date_AddMonth(d(2010, 6, 15), 0), d(2010, 6, 15));
    EXPECT_TRUE(kp::Date_AddMonth(Date(), 3).IsEmpty());
}

}  // namespace

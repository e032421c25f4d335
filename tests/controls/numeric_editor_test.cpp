#include <gtest/gtest.h>

#include "controls/NumericEditor.h"
#include "editor_fixture.h"

using kp::EditState;
using kp::KeyResult;
using kp::NumericEditor;

namespace {

constexpr unsigned kBackspace = 8;

class NumericEditorTest : public EditorTest {
  protected:
    NumericEditorTest() { ed.SetLen(10, 2); }
    // Types a string key by key; every key must be consumed.
    void Type(EditState& s, const std::string& keys) {
        for (char c : keys)
            ASSERT_EQ(ed.Key(s, static_cast<unsigned char>(c), false), KeyResult::Consumed)
                << "key " << c << " on " << s.text;
    }
    KeyResult Del(EditState& s) { return ed.Key(s, 0x2E, true); }
    KeyResult Bs(EditState& s) { return ed.Key(s, kBackspace, false); }
    NumericEditor ed;
};

TEST_F(NumericEditorTest, LayoutFromSetLen) {
    EXPECT_EQ(ed.nIntLen(), 7u);
    EXPECT_EQ(ed.nDec(), 2u);
    NumericEditor whole;
    ASSERT_TRUE(whole.SetLen(5, 0));
    EXPECT_EQ(whole.nIntLen(), 5u);
    EXPECT_EQ(whole.Picture("12.7"), "12");
}

TEST_F(NumericEditorTest, SetLenRefusesLayoutsWithoutIntegerDigits) {
    NumericEditor n;
    ASSERT_TRUE(n.SetLen(8, 3));
    // Decimals at or above the width would wrap the integer limit round.
    EXPECT_FALSE(n.SetLen(2, 2));
    EXPECT_FALSE(n.SetLen(3, 5));
    EXPECT_FALSE(n.SetLen(3, 2));  // no room for a digit before the point
    EXPECT_FALSE(n.SetLen(0, 0));
    EXPECT_EQ(n.nIntLen(), 4u);
    EXPECT_EQ(n.nDec(), 3u);
    EXPECT_TRUE(n.SetLen(4, 2));
    EXPECT_EQ(n.nIntLen(), 1u);
}

TEST_F(NumericEditorTest, PictureExamples) {
    EXPECT_EQ(ed.Picture(""), "0.00");
    EXPECT_EQ(ed.Picture("-12.5"), "-12.50");
    EXPECT_EQ(ed.Picture("3.14159"), "3.14");
    EXPECT_EQ(ed.Picture("-"), "-0.00");
    // Integer digits are never cut, however many there are.
    EXPECT_EQ(ed.Picture("12345678"), "12345678.00");
    EXPECT_FALSE(ed.Fits("12345678.00"));
    EXPECT_TRUE(ed.Fits("-1234567.00"));
}

TEST_F(NumericEditorTest, TypingDigitsCommaAndDecimals) {
    EditState s = At(ed.Picture(""), 0);
    Type(s, "1");
    EXPECT_EQ(s, At("1.00", 1));
    Type(s, "2");
    EXPECT_EQ(s, At("12.00", 2));
    Type(s, "3");
    EXPECT_EQ(s, At("123.00", 3));
    Type(s, ",");
    EXPECT_EQ(s, At("123.00", 4));
    Type(s, "5");
    EXPECT_EQ(s, At("123.50", 5));
    // A third decimal pushes nothing into the integers and is dropped.
    Type(s, "07");
    EXPECT_EQ(s.text, "123.50");
}

TEST_F(NumericEditorTest, PointKeyJumpsBehindThePoint) {
    EditState s = At("123.00", 1);
    Type(s, ".");
    EXPECT_EQ(s, At("123.00", 4));
}

TEST_F(NumericEditorTest, LeadingZerosAndReplacingZero) {
    EditState s = At("0.00", 0);
    Type(s, "0");
    EXPECT_EQ(s, At("0.00", 0));
    Type(s, "5");
    EXPECT_EQ(s, At("5.00", 1));
    EditState neg = At("-0.00", 1);
    Type(neg, "0");
    EXPECT_EQ(neg.text, "-0.00");
    Type(neg, "7");
    EXPECT_EQ(neg, At("-7.00", 2));
}

TEST_F(NumericEditorTest, SignKeys) {
    EditState s = At("12.00", 2);
    Type(s, "-");
    EXPECT_EQ(s, At("-12.00", 3));
    Type(s, "-");
    EXPECT_EQ(s, At("-12.00", 3));
    Type(s, "+");
    EXPECT_EQ(s, At("12.00", 2));
    EditState atStart = At("-5.00", 0);
    Type(atStart, "3");  // digits go after the sign
    EXPECT_EQ(atStart, At("-35.00", 2));
}

TEST_F(NumericEditorTest, BlankClearsTheField) {
    EditState s = At("-4711.25", 3);
    Type(s, " ");
    EXPECT_EQ(s, At("0.00", 0));
}

TEST_F(NumericEditorTest, BackspaceAndDeleteAroundThePoint) {
    EditState s = At("123.50", 4);
    EXPECT_EQ(Bs(s), KeyResult::Consumed);
    EXPECT_EQ(s, At("123.50", 3));  // only moves in front of the point
    EditState d = At("123.50", 3);
    EXPECT_EQ(Del(d), KeyResult::Consumed);
    EXPECT_EQ(d, At("123.50", 3));  // the point is never removed
    EditState b = At("123.50", 3);
    EXPECT_EQ(Bs(b), KeyResult::Consumed);
    EXPECT_EQ(b, At("12.50", 2));
    EditState first = At("123.50", 0);
    EXPECT_EQ(Del(first), KeyResult::Consumed);
    EXPECT_EQ(first, At("23.50", 0));
    EditState start = At("123.50", 0);
    EXPECT_EQ(Bs(start), KeyResult::Consumed);
    EXPECT_EQ(start.text, "123.50");
    EditState only = At("7.00", 1);
    EXPECT_EQ(Bs(only), KeyResult::Consumed);
    EXPECT_EQ(only.text, "0.00");
}

TEST_F(NumericEditorTest, ExtraIntegerDigitIsRefusedNeverCut) {
    EditState s = At("1234567.00", 7);
    EXPECT_EQ(ed.Key(s, '8', false), KeyResult::Refused);
    EXPECT_EQ(s, At("1234567.00", 7));
    // In the middle it must not push the last digit out either.
    EditState mid = At("1234567.00", 3);
    EXPECT_EQ(ed.Key(mid, '9', false), KeyResult::Refused);
    EXPECT_EQ(mid.text, "1234567.00");
    // Decimals are still typed over.
    EditState dec = At("1234567.00", 8);
    Type(dec, "9");
    EXPECT_EQ(dec.text, "1234567.90");
    // Over a selection of integer digits the digit replaces them.
    EditState sel = Sel("1234567.00", 0, 2);
    Type(sel, "9");
    EXPECT_EQ(sel, At("934567.00", 1));
}

TEST_F(NumericEditorTest, WithoutDecimalsPointAndCommaAreIgnored) {
    NumericEditor whole;
    ASSERT_TRUE(whole.SetLen(6, 0));
    EditState s = At("12", 2);
    EXPECT_EQ(whole.Key(s, ',', false), KeyResult::Consumed);
    EXPECT_EQ(whole.Key(s, '.', false), KeyResult::Consumed);
    EXPECT_EQ(s, At("12", 2));
}

TEST_F(NumericEditorTest, LetterOverSelectionDeletesIt) {
    EditState s = Sel("123.50", 0, 2);
    Type(s, "x");
    EXPECT_EQ(s, At("3.50", 0));
}

TEST_F(NumericEditorTest, ClipboardKeysKeepTheSelection) {
    // Copy must copy: the edit control gets it, the digits stay.
    EditState s = Sel("123.50", 0, 3);
    EXPECT_EQ(ed.Key(s, kp::kCtrlC, false), KeyResult::PassOn);
    EXPECT_EQ(s, Sel("123.50", 0, 3));
    // Other control characters only format.
    EXPECT_EQ(ed.Key(s, 0x01, false), KeyResult::Consumed);
    EXPECT_EQ(s.text, "123.50");
    // Cutting removes the selection as Delete does.
    EditState cut = Sel("123.50", 0, 3);
    EXPECT_EQ(ed.DeleteSelection(cut), KeyResult::Consumed);
    EXPECT_EQ(cut, At("0.50", 0));
}

TEST_F(NumericEditorTest, ReadOnlyTakesNoEdit) {
    for (unsigned key : {unsigned('5'), unsigned('-'), unsigned(' '), kBackspace}) {
        EditState s = Sel("123.50", 1, 2);
        EXPECT_EQ(ed.Key(s, key, false, true), KeyResult::Consumed);
        EXPECT_EQ(s, Sel("123.50", 1, 2)) << key;
    }
    EditState d = At("123.50", 0);
    ed.Key(d, 0x2E, true, true);
    EXPECT_EQ(d.text, "123.50");
    EXPECT_EQ(ed.Key(d, kp::kCtrlC, false, true), KeyResult::PassOn);
    EXPECT_FALSE(ed.Paste(d, "9", true).ok);
    EXPECT_EQ(d.text, "123.50");
}

TEST_F(NumericEditorTest, ValueTextRoundsHalfAwayFromZero) {
    EXPECT_EQ(*ed.TextOf(123.5), "123.50");
    EXPECT_EQ(*ed.TextOf(2.675), "2.68");    // not 2.67 (binary value below)
    EXPECT_EQ(*ed.TextOf(-2.675), "-2.68");  // away from zero
    EXPECT_EQ(*ed.TextOf(3.14159), "3.14");
    EXPECT_EQ(*ed.TextOf(0.005), "0.01");
    EXPECT_EQ(*ed.TextOf(1234567.0), "1234567.00");
    // Too large: refused, never cut or shown as asterisks.
    EXPECT_FALSE(ed.TextOf(12345678.0));
    EXPECT_FALSE(ed.TextOf(9999999.995));  // rounds up to 8 digits
    NumericEditor three;
    ASSERT_TRUE(three.SetLen(8, 3));
    EXPECT_EQ(*three.TextOf(0.125), "0.125");  // three decimals stay three
    EXPECT_DOUBLE_EQ(NumericEditor::ValueOf("0.125"), 0.125);
    EXPECT_DOUBLE_EQ(NumericEditor::ValueOf("-123.50"), -123.5);
}

TEST_F(NumericEditorTest, PasteGoesThroughTheEditor) {
    EditState s = At("0.00", 0);
    ASSERT_TRUE(ed.Paste(s, " 1.234,567 ").ok);
    EXPECT_EQ(s, At("1234.57", 4));
    ASSERT_TRUE(ed.Paste(s, "-12.5").ok);
    EXPECT_EQ(s.text, "-12.50");
    ASSERT_TRUE(ed.Paste(s, "7,25").ok);
    EXPECT_EQ(s.text, "7.25");
    const auto letters = ed.Paste(s, "12a");
    EXPECT_FALSE(letters.ok);
    EXPECT_NE(letters.message.find("keine Zahl"), std::string::npos);
    EXPECT_EQ(s.text, "7.25");
    const auto big = ed.Paste(s, "12345678");
    EXPECT_FALSE(big.ok);
    EXPECT_NE(big.message.find("zu groß"), std::string::npos);
    EXPECT_EQ(s.text, "7.25");
    EXPECT_FALSE(ed.Paste(s, "").ok);
}

TEST(StrReplace, ReplacesLeftToRightWithoutLooping) {
    EXPECT_EQ(kp::Str_Replace("2010 6 5", " ", "0"), "20100605");
    EXPECT_EQ(kp::Str_Replace("abc", "", "x"), "abc");
    EXPECT_EQ(kp::Str_Replace("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(kp::Str_Replace("1.234.5", ".", ""), "12345");
}

}  // namespace

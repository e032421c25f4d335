#include "platform/runtime/strings.h"

#include "platform/runtime/utf8.h"
#include "runtime_fixture.h"

using namespace kp;

TEST(StringsTest, CaseCoversTheWindowsRepertoire) {
    EXPECT_EQ(AllTrim(Upper(" Wohngebäude ")), "WOHNGEBÄUDE");
    EXPECT_EQ(Upper("straße"), "STRAßE");  // ß has no one-letter capital
    EXPECT_EQ(Lower("ÄÖÜ ÉÈÊ ÇÑ Ø Å Æ"), "äöü éèê çñ ø å æ");
    EXPECT_EQ(Upper("œšžÿ"), "ŒŠŽŸ");
    EXPECT_EQ(Lower("ŒŠŽŸ"), "œšžÿ");
    EXPECT_EQ(Upper("×÷µ"), "×÷µ");  // not letters / no capital in the repertoire
    EXPECT_EQ(Upper("ąćęłńóśźż"), "ĄĆĘŁŃÓŚŹŻ");
    EXPECT_EQ(Upper("αβγ жизнь"), "ΑΒΓ ЖИЗНЬ");
    // Every 1252 letter maps back through its other case.
    for (char32_t c = 0xC0; c <= 0xFF; ++c) {
        if (c == 0xD7 || c == 0xF7 || c == 0xDF)
            continue;
        EXPECT_EQ(LowerChar(UpperChar(c)), LowerChar(c)) << static_cast<int>(c);
        EXPECT_NE(UpperChar(c), LowerChar(c)) << static_cast<int>(c);
    }
}

TEST(StringsTest, ProperCapitalisesWords) {
    EXPECT_EQ(Proper("hans MÜLLER-lüdenscheid"), "Hans Müller-Lüdenscheid");
    EXPECT_EQ(Proper("übersee 2b"), "Übersee 2b");
    EXPECT_EQ(Proper(""), "");
}

TEST(StringsTest, TrimsOnlyBlanks) {
    EXPECT_EQ(Trim("  a b  "), "  a b");
    EXPECT_EQ(RTrim("a\t "), "a\t");
    EXPECT_EQ(LTrim("  a b  "), "a b  ");
    EXPECT_EQ(AllTrim("   "), "");
}

TEST(StringsTest, CountsCharactersNotBytes) {
    const std::string s = "Größe";
    EXPECT_EQ(Len(s), 5u);
    EXPECT_EQ(Left(s, 3), "Grö");
    EXPECT_EQ(Right(s, 3), "öße");
    EXPECT_EQ(SubStr(s, 3, 2), "öß");
    EXPECT_EQ(SubStr(s, 4), "ße");
    EXPECT_EQ(SubStr(s, -2), "ße");
    EXPECT_EQ(SubStr(s, 0, 1), "G");
    EXPECT_EQ(SubStr(s, 9), "");
    EXPECT_EQ(Left(s, 0), "");
    EXPECT_EQ(Left(s, 99), s);
    EXPECT_EQ(At("ß", s), 4u);
    EXPECT_EQ(At("x", s), 0u);
    EXPECT_EQ(At("", s), 0u);
    EXPECT_EQ(RAt("ä", "äbäc"), 3u);
    EXPECT_EQ(PadL("ä", 3), "  ä");
    EXPECT_EQ(PadR("ä", 3, "·"), "ä··");
    EXPECT_EQ(PadC("ä", 4), " ä  ");
    EXPECT_EQ(PadR("äbcd", 2), "äb");
    EXPECT_EQ(Stuff("Größe", 3, 1, "oe"), "Groeße");
    EXPECT_EQ(Stuff("ab", 9, 1, "c"), "abc");
    // A malformed byte counts as one character and survives.
    const std::string bad =
        "a\xFF"
        "b";
    EXPECT_EQ(Len(bad), 3u);
    EXPECT_EQ(Upper(bad),
              "A\xFF"
              "B");
    EXPECT_EQ(Right(bad, 2),
              "\xFF"
              "b");
}

TEST(StringsTest, ReplaceAndRepeat) {
    EXPECT_EQ(StrTran("a,b,,c", ",", ";"), "a;b;;c");
    EXPECT_EQ(StrTran("aaa", "a", "aa"), "aaaaaa");  // never rescans what it inserted
    EXPECT_EQ(StrTran("a-b-c-d", "-", "+", 2, 1), "a-b+c-d");
    EXPECT_EQ(StrTran("abc", "", "x"), "abc");
    EXPECT_EQ(Replicate("ab", 3), "ababab");
    EXPECT_EQ(Replicate("ab", -1), "");
    EXPECT_EQ(Space(3), "   ");
    EXPECT_EQ(Chr(0xE4), "ä");
    EXPECT_EQ(Asc("€uro"), U'€');
    EXPECT_EQ(Asc(""), 0u);
}

TEST(StringsTest, WideConversionRoundTrips) {
    const std::string s = "Größe € 𝄞";
    const std::wstring w = Utf8ToWide(s);
    EXPECT_EQ(w.size(), sizeof(wchar_t) == 2 ? 10u : 9u);  // the clef is a surrogate pair
    EXPECT_EQ(WideToUtf8(w), s);
    EXPECT_EQ(WideToUtf8(Utf8ToWide("a\xC3")), "a\xEF\xBF\xBD");  // cut sequence -> U+FFFD
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                        // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                    // surrogate
    EXPECT_TRUE(IsValidUtf8("Größe"));
}

#include "platform/runtime/codepage.h"

#include "platform/runtime/utf8.h"
#include "runtime_fixture.h"

using namespace kp;

using CodePageTest = RuntimeTest;

TEST_F(CodePageTest, GermanLettersInEachCodePage) {
    // ä ö ü Ä Ö Ü ß
    EXPECT_EQ(CpToUtf8("\x84\x94\x81\x8E\x99\x9A\xE1", 850), "äöüÄÖÜß");
    EXPECT_EQ(CpToUtf8("\x84\x94\x81\x8E\x99\x9A\xE1", 437), "äöüÄÖÜß");
    EXPECT_EQ(CpToUtf8("\xE4\xF6\xFC\xC4\xD6\xDC\xDF\x80", 1252), "äöüÄÖÜß€");
    std::string out;
    ASSERT_TRUE(Utf8ToCp("WOHNGEBÄUDE", 850, out));
    EXPECT_EQ(out,
              "WOHNGEB\x8E"
              "UDE");
}

TEST_F(CodePageTest, EveryByteRoundTrips) {
    for (int cp : {437, 850, 1252}) {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        const std::string utf8 = CpToUtf8(all, cp);
        EXPECT_TRUE(IsValidUtf8(utf8));
        std::string back;
        ASSERT_TRUE(Utf8ToCp(utf8, cp, back)) << cp;
        EXPECT_EQ(back, all) << cp;
    }
}

TEST_F(CodePageTest, MissingCharacterIsReportedNotReplaced) {
    std::string out;
    size_t bad = 99;
    EXPECT_FALSE(Utf8ToCp("ab€c", 850, out, &bad));  // 850 has no euro sign
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(Utf8ToCp("x\xFFy", 1252, out, &bad));  // malformed UTF-8
    EXPECT_EQ(bad, 1u);
    EXPECT_FALSE(Utf8ToCp("Ø", 437, out));  // 850 has it, 437 not
    EXPECT_TRUE(Utf8ToCp("Ø", 850, out));
}

TEST_F(CodePageTest, CaseOfBytes) {
    EXPECT_EQ(CpUpper(0x84, 850), 0x8E);  // ä -> Ä
    EXPECT_EQ(CpLower(0x8E, 850), 0x84);
    EXPECT_EQ(CpUpper(0xE1, 850), 0xE1);  // ß stays
    EXPECT_EQ(CpUpper(0xE4, 1252), 0xC4);
    EXPECT_EQ(CpUpper(0xFF, 1252), 0x9F);  // ÿ -> Ÿ
    EXPECT_EQ(CpUpper(0x98, 850), 0x98);   // ÿ: 850 has no Ÿ
    EXPECT_EQ(CpUpper('a', 437), 'A');
    EXPECT_EQ(CpUpper(0x82, 437), 0x90);  // é -> É
}

TEST_F(CodePageTest, SettingsChooseTheTableCodePage) {
    SetAnsi(true);
    EXPECT_EQ(TableCodePage(), 1252);
    SetAnsi(false);
    EXPECT_EQ(TableCodePage(), 850);
    SetOemCodePage(437);
    EXPECT_EQ(TableCodePage(), 437);
    SetOemCodePage(866);  // unknown: falls back to 850
    EXPECT_EQ(OemCodePage(), 850);
}

TEST_F(CodePageTest, OemAnsiTextConversion) {
    // "Größe" written by a DOS program and read as if it were ANSI.
    const std::string misread = CpToUtf8(
        "Gr\x94\xE1"
        "e",
        1252);
    EXPECT_EQ(Oem2Ansi(misread), "Größe");
    EXPECT_EQ(Ansi2Oem("Größe"), misread);
    EXPECT_EQ(Oem2Ansi(Ansi2Oem("Müller & Söhne")), "Müller & Söhne");
    EXPECT_EQ(Oem2AnsiBytes("\x84"), "\xE4");
    EXPECT_EQ(Ansi2OemBytes("\xE4\x80"), "\x84?");  // no euro sign in 850
}

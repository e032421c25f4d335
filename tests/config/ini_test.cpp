// INI access: the name, scrambling, logic and splitting rules, and IniFile
// over real files through the Windows profile service.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/IniFile.h"
#include "config/funString.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {
namespace {

using Strings = std::vector<std::string>;

// ---- Rules

TEST(IniFullPath, IniIsAppendedLookingAtTheFileNameOnly) {
    EXPECT_EQ(IniFullPath("SETUP", "C", "KP\\DATEN"), "C:\\KP\\DATEN\\SETUP.INI");
    EXPECT_EQ(IniFullPath("SETUP.CFG", "C", "KP"), "C:\\KP\\SETUP.CFG");
    // A full stop in a directory name does not count.
    EXPECT_EQ(IniFullPath("C:\\V1.0\\SETUP", "D", "X"), "C:\\V1.0\\SETUP.INI");
    EXPECT_EQ(IniFullPath("C:\\V1.0\\SETUP.DAT", "D", "X"), "C:\\V1.0\\SETUP.DAT");
    EXPECT_EQ(IniFullPath("..\\conf.d\\kp", "D", "X"), "..\\conf.d\\kp.INI");
}

TEST(IniFullPath, OnlyABareNameGoesToTheCurrentDirectory) {
    EXPECT_EQ(IniFullPath("C:\\KP\\Shell.ini", "D", "X"), "C:\\KP\\Shell.ini");
    EXPECT_EQ(IniFullPath("sub\\Shell.ini", "D", "X"), "sub\\Shell.ini");
    EXPECT_EQ(IniFullPath("\\\\srv\\kp\\Shell.ini", "D", "X"), "\\\\srv\\kp\\Shell.ini");
    // In the root directory there is no empty directory name to add.
    EXPECT_EQ(IniFullPath("Shell.ini", "C", ""), "C:\\Shell.ini");
    // A current directory on a network share.
    EXPECT_EQ(IniFullPath("Shell.ini", "", "srv\\kp"), "\\\\srv\\kp\\Shell.ini");
}

TEST(IniCrypt, KnownValuesAndTheWrapAt255) {
    EXPECT_EQ(Crypt_Ini("AAA"), "BCD");
    EXPECT_EQ(Decrypt_Ini("BCD"), "AAA");
    EXPECT_EQ(Crypt_Ini(""), "");
    // ÿ (255) + 1 wraps to 1, never to 0; and it comes back as ÿ, not NUL.
    EXPECT_EQ(Crypt_Ini("ÿ"), std::string("\x01"));
    EXPECT_EQ(Decrypt_Ini(std::string("\x01")), "ÿ");
    // Umlauts scramble on their 1252 bytes: ä (0xE4) + 1 = 0xE5 (å).
    EXPECT_EQ(Crypt_Ini("ä"), "å");
}

TEST(IniCrypt, EveryByteAtEveryPositionComesBackAndIsChanged) {
    // Every 1252 character (1..255) at positions 1 to 600.
    std::string plain;
    for (int i = 0; i < 600; ++i)
        AppendUtf8(plain, CpToChar(static_cast<unsigned char>(i % 255 + 1), 1252));
    const std::string stored = Crypt_Ini(plain);
    EXPECT_EQ(Utf8Length(stored), 600u);
    EXPECT_EQ(Decrypt_Ini(stored), plain);
    size_t pos = 0, pos2 = 0;
    for (int i = 0; i < 600; ++i) {
        const char32_t a = DecodeUtf8(plain, pos), b = DecodeUtf8(stored, pos2);
        ASSERT_NE(b, 0u) << "position " << i + 1;
        if (i % 255 != 254) {  // the step 255 at position 255 changes nothing
            EXPECT_NE(a, b) << "position " << i + 1;
        }
    }
    // Past 255 the positions count from 1 again.
    const std::string a300(300, 'a');
    EXPECT_EQ(SubStr(Crypt_Ini(a300), 256, 3), Crypt_Ini("aaa"));
}

TEST(IniCrypt, CharactersOutside1252BecomeQuestionMarks) {
    EXPECT_EQ(Decrypt_Ini(Crypt_Ini("a\xE2\x82\xAC"
                                    "b")),
              "a€b");  // € is in 1252
    EXPECT_EQ(Decrypt_Ini(Crypt_Ini("Łódź")), "?ód?");
}

TEST(Usual2Logic, TrueWordsNumbersAndEverythingElse) {
    for (const char* yes : {"TRUE", "true", "Ja", "J", "1", "on", "EIN", "y", "Yes"})
        EXPECT_TRUE(Usual2Logic(Usual(yes))) << yes;
    for (const char* no :
         {"FALSE", "nein", "0", "2", "", "aus", "ja ", "jaja", "/", "_", "on_/_ja", "ein_/_on"})
        EXPECT_FALSE(Usual2Logic(Usual(no))) << no;
    EXPECT_TRUE(Usual2Logic(Usual(true)));
    EXPECT_FALSE(Usual2Logic(Usual(false)));
    EXPECT_TRUE(Usual2Logic(Usual(1)));
    EXPECT_TRUE(Usual2Logic(Usual(1.0)));
    EXPECT_FALSE(Usual2Logic(Usual(2)));
    EXPECT_FALSE(Usual2Logic(Usual(-1)));
    EXPECT_FALSE(Usual2Logic(Usual()));
    EXPECT_FALSE(Usual2Logic(Usual(Date::FromYMD(2010, 1, 1))));
}

TEST(String2Array, PiecesAreTrimmedAndOneMoreThanDelimiters) {
    EXPECT_EQ(String2Array("a, b ,c"), (Strings{"a", "b", "c"}));
    EXPECT_EQ(String2Array(""), (Strings{""}));
    EXPECT_EQ(String2Array("a,"), (Strings{"a", ""}));
    EXPECT_EQ(String2Array(",,"), (Strings{"", "", ""}));
    EXPECT_EQ(String2Array("  solo  "), (Strings{"solo"}));
    EXPECT_EQ(String2Array("x;y", ";"), (Strings{"x", "y"}));
    EXPECT_EQ(String2Array("Köln ;Düsseldorf", ";"), (Strings{"Köln", "Düsseldorf"}));
    EXPECT_EQ(String2Array("a<>b<c", "<>"), (Strings{"a", "b<c"}));
    EXPECT_EQ(String2Array("a,b", ""), (Strings{"a,b"}));
    EXPECT_EQ(String2Array(std::string("k1\0k2", 5), std::string_view("\0", 1)),
              (Strings{"k1", "k2"}));
}

TEST(IniRules, PathKeyListAndCutValues) {
    EXPECT_EQ(IniPath("c:\\daten"), "C:\\DATEN\\");
    EXPECT_EQ(IniPath("C:\\DATEN\\"), "C:\\DATEN\\");
    EXPECT_EQ(IniPath(""), "");  // not "\", the root of the drive

    const std::wstring keys(L"Laschen\0Lasche1\0Lasche2\0\0", 25);
    EXPECT_EQ(IniKeyList(keys, 24), (Strings{"Laschen", "Lasche1", "Lasche2"}));
    EXPECT_TRUE(IniKeyList(std::wstring(10, L'\0'), 0).empty());
    // A list cut by the buffer keeps the cut name as far as it came.
    const std::wstring cut(L"eins\0zw\0\0", 9);
    EXPECT_EQ(IniKeyList(cut, 7), (Strings{"eins", "zw"}));

    EXPECT_EQ(IniValueText(L"M\u00fcller"), "Müller");
    EXPECT_EQ(IniValueText(std::wstring(L"ab\xD83D", 3)), "ab");  // a cut surrogate pair
}

// ---- IniFile over files

class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("kpini-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string File(const std::string& name) const {
        return WideToUtf8((dir_ / std::filesystem::path(Utf8ToWide(name))).wstring());
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream f(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream f(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
        f << bytes;
    }
    std::filesystem::path dir_;
};

TEST_F(IniFileTest, TypedValuesGoAndComeBack) {
    IniFile ini(File("Typen.ini"));
    ini.WriteString("Allgemein", "Name", "Müller & Söhne")
        .WriteInt("Allgemein", "Minus", -1)
        .WriteInt("Allgemein", "Groß", 4000000000LL)
        .WriteLogic("Allgemein", "An", true)
        .WriteLogic("Allgemein", "Aus", false)
        .WriteStringUpper("Allgemein", "Ort", "düsseldorf")
        .WriteStringProper("Allgemein", "Straße", "AM GROSSEN MARKT")
        .WriteString("Allgemein", "Leer", "");
    EXPECT_EQ(ini.GetString("Allgemein", "Name"), "Müller & Söhne");
    EXPECT_EQ(ini.GetString("allgemein", "NAME"), "Müller & Söhne");  // no case
    EXPECT_EQ(ini.GetInt("Allgemein", "Minus"), -1);
    EXPECT_EQ(ini.GetString("Allgemein", "Groß"), "4000000000");
    EXPECT_EQ(ini.GetString("Allgemein", "An"), "TRUE");
    EXPECT_TRUE(ini.GetLogic("Allgemein", "An"));
    EXPECT_FALSE(ini.GetLogic("Allgemein", "Aus"));
    EXPECT_EQ(ini.GetString("Allgemein", "Ort"), "DÜSSELDORF");
    EXPECT_EQ(ini.GetString("Allgemein", "Straße"), "Am Grossen Markt");
    EXPECT_EQ(ini.GetStringUpper("Allgemein", "Name"), "MÜLLER & SÖHNE");
    EXPECT_EQ(ini.GetStringProper("Allgemein", "Ort"), "Düsseldorf");
    EXPECT_EQ(ini.GetString("Allgemein", "Leer"), "");
    // Absent things.
    EXPECT_EQ(ini.GetString("Allgemein", "Fehlt"), "");
    EXPECT_EQ(ini.GetString("Fehlt", "Name"), "");
    EXPECT_EQ(ini.GetInt("Allgemein", "Fehlt"), 0);
    EXPECT_FALSE(ini.GetLogic("Allgemein", "Fehlt"));
    EXPECT_EQ(ini.GetPath("Allgemein", "Fehlt"), "");
    EXPECT_EQ(IniFile(File("nichtda.ini")).GetString("a", "b"), "");
}

TEST_F(IniFileTest, FileIsWrittenInTheAnsiCodePage) {
    IniFile ini(File("Ansi.ini"));
    ini.WriteString("Adresse", "Ort", "Köln");
    const std::string bytes = Bytes(ini.FullPath());
    EXPECT_NE(bytes.find("Ort=K\xF6ln"), std::string::npos) << bytes;
    EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE");  // no UTF-16
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
}

TEST_F(IniFileTest, AUtf16FileStaysUtf16) {
    const std::string path = File("Unicode.ini");
    const std::wstring text = L"\xFEFF[A]\r\nName=\u0141\u00f3d\u017a\r\n";
    Put(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    IniFile ini(path);
    EXPECT_EQ(ini.GetString("A", "Name"), "Łódź");
    ini.WriteString("A", "Ort", "Köln");
    const std::string bytes = Bytes(path);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ini.GetString("A", "Ort"), "Köln");
    EXPECT_EQ(ini.GetString("A", "Name"), "Łódź");
}

TEST_F(IniFileTest, IntegersAsTheProfileServiceReadsThem) {
    const std::string path = File("Zahlen.ini");
    Put(path, "[Z]\r\nA=-1\r\nB= 42 \r\nC=17abc\r\nD=abc\r\nE=2147483648\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.GetInt("Z", "A"), -1);
    EXPECT_EQ(ini.GetInt("Z", "B"), 42);
    EXPECT_EQ(ini.GetInt("Z", "C"), 17);
    EXPECT_EQ(ini.GetInt("Z", "D"), 0);
    EXPECT_EQ(ini.GetInt("Z", "E"), INT32_MIN);  // the service's 32 bits
}

TEST_F(IniFileTest, PathsAndKeyListsOfSections) {
    const std::string path = File("Shell.ini");
    Put(path,
        "[Pfade]\r\nDaten=c:\\daten\r\nText=C:\\TEXT\\\r\nLeer=\r\n"
        "[dtaAdressen]\r\nLaschen=3\r\nLasche1=Adresse\r\nLasche2=Vertr\xE4"
        "ge\r\nLasche3=Notiz\r\n"
        "[Nichts]\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.GetPath("Pfade", "Daten"), "C:\\DATEN\\");
    EXPECT_EQ(ini.GetPath("Pfade", "Text"), "C:\\TEXT\\");
    EXPECT_EQ(ini.GetPath("Pfade", "Leer"), "");
    EXPECT_EQ(ini.GetSection("dtaAdressen"), (Strings{"Laschen", "Lasche1", "Lasche2", "Lasche3"}));
    EXPECT_EQ(ini.GetInt("dtaAdressen", "Laschen"), 3);
    EXPECT_EQ(ini.GetString("dtaAdressen", "Lasche2"), "Verträge");
    EXPECT_TRUE(ini.GetSection("Nichts").empty());
    EXPECT_TRUE(ini.GetSection("Fehlt").empty());
}

TEST_F(IniFileTest, LongKeyListsAreCutAtTheBuffer) {
    const std::string path = File("Viele.ini");
    std::string text = "[S]\r\n";
    for (int i = 0; i < 500; ++i)
        text += "Schluessel" + std::to_string(1000 + i) + "=x\r\n";
    Put(path, text);
    const Strings keys = IniFile(path).GetSection("S");
    // 15 characters a name with its terminator: about 4096 / 15 of them.
    ASSERT_GE(keys.size(), 270u);
    ASSERT_LE(keys.size(), 274u);
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string want = "Schluessel" + std::to_string(1000 + i);
        EXPECT_EQ(want.rfind(keys[i], 0), 0u) << keys[i];  // the last one may be cut
        EXPECT_FALSE(keys[i].empty());
    }
}

TEST_F(IniFileTest, LongValuesAreCutAtTheBuffer) {
    IniFile ini(File("Lang.ini"));
    std::string longValue;
    for (int i = 0; i < 3000; ++i)
        longValue += static_cast<char>('a' + i % 26);
    ini.WriteString("L", "Wert", longValue);
    EXPECT_EQ(ini.GetString("L", "Wert"), longValue.substr(0, kIniValueBuffer - 1));
    // Umlauts count as one character each, not as their UTF-8 bytes.
    std::string umlauts;
    for (int i = 0; i < 2100; ++i)
        umlauts += "ä";
    ini.WriteString("L", "Umlaute", umlauts);
    EXPECT_EQ(Utf8Length(ini.GetString("L", "Umlaute")), kIniValueBuffer - 1);
}

TEST_F(IniFileTest, ScrambledValuesSurviveTheFile) {
    IniFile ini(File("Geheim.ini"));
    // 300 characters whose scrambled form has no line break.
    std::string longSecret;
    for (int i = 0; i < 300; ++i) {
        const int code = 'x' + i % 255 + 1 - (('x' + i % 255 + 1) > 255 ? 255 : 0);
        longSecret += code == 10 || code == 13 ? 'z' : 'x';
    }
    const Strings secrets = {"Passwort",    "ÿÿÿ",      "ä ö ü ß", " blank am Rand ",
                             "\"zitiert\"", longSecret, ""};
    for (size_t i = 0; i < secrets.size(); ++i) {
        const std::string key = "K" + std::to_string(i);
        ini.WriteStringCrypt("Zugang", key, secrets[i]);
        EXPECT_EQ(ini.GetStringCrypt("Zugang", key), secrets[i]) << key;
        if (!secrets[i].empty()) {
            EXPECT_NE(ini.GetString("Zugang", key), secrets[i]);
        }
    }
    // Scrambled texts that begin with a quote ("!" at position 1 gives '"')
    // or end with a blank (ß = 223 at position 64: 223 + 64 - 255 = 32) would
    // lose those characters to the profile service's trimming.
    ASSERT_EQ(Crypt_Ini("!x").substr(0, 1), "\"");
    const std::string endsBlank = std::string(63, 'a') + "ß";
    ASSERT_EQ(Crypt_Ini(endsBlank).back(), ' ');
    for (const std::string& edge : Strings{"!x", "!", endsBlank, "!" + endsBlank}) {
        ini.WriteStringCrypt("Zugang", "Rand", edge);
        EXPECT_EQ(ini.GetStringCrypt("Zugang", "Rand"), edge) << edge;
    }
}

TEST_F(IniFileTest, LineBreaksAreRefusedAndLeaveTheFileWhole) {
    std::vector<std::string> errors;
    auto old = ErrorBlock([&](std::shared_ptr<Error> e) {
        errors.push_back(e->Operation + ": " + e->Description);
        return Usual(false);
    });
    const std::string path = File("Umbruch.ini");
    IniFile ini(path);
    ini.WriteString("A", "k", "vorher");
    const std::string before = Bytes(path);
    ini.WriteString("A", "k", "eins\r\n[B]\r\nzwei=2");
    ini.WriteString("A", "k\nx", "v");
    // ü (252) at position 13 scrambles to a line feed: 252 + 13 - 255 = 10.
    ini.WriteStringCrypt("A", "k", "123456789012ü");
    ErrorBlock(old);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(ini.GetString("A", "k"), "vorher");
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[2].rfind("WriteStringCrypt", 0), 0u) << errors[2];
}

TEST_F(IniFileTest, DeletingEntriesAndSections) {
    const std::string path = File("Loeschen.ini");
    IniFile ini(path);
    ini.WriteString("A", "eins", "1").WriteString("A", "zwei", "2").WriteString("B", "x", "y");
    const std::string before = Bytes(path);
    ini.DeleteEntry("A", "fehlt");
    EXPECT_EQ(Bytes(path), before);
    ini.DeleteEntry("A", "eins");
    EXPECT_EQ(ini.GetSection("A"), (Strings{"zwei"}));
    ini.DeleteSection("A");
    EXPECT_TRUE(ini.GetSection("A").empty());
    EXPECT_EQ(ini.GetString("B", "x"), "y");
}

TEST_F(IniFileTest, OemValuesAreConvertedBothWays) {
    IniFile ini(File("Oem.ini"));
    ini.WriteStringOem("O", "Ort", "Köln");
    EXPECT_EQ(ini.GetString("O", "Ort"), Ansi2Oem("Köln"));
    EXPECT_EQ(ini.GetStringOem("O", "Ort"), "Köln");
}

TEST_F(IniFileTest, BareNamesLiveInTheCurrentDirectory) {
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    IniFile ini("SETUP");
    ini.WriteString("S", "k", "v");
    std::filesystem::current_path(old);
    EXPECT_EQ(ini.FileName(), "SETUP");
    EXPECT_EQ(ini.Extension(), ".INI");
    EXPECT_EQ(ini.Drive().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "SETUP.INI"));
    EXPECT_EQ(IniFile(File("SETUP.INI")).GetString("S", "k"), "v");

    WinIniFile win;
    EXPECT_EQ(win.FileName() + win.Extension(), "win.ini");
    EXPECT_FALSE(win.Drive().empty());
}

TEST(IniNames, CharactersThatWouldBreakTheLineAreNotNames) {
    for (const char* ok : {"Allgemein", "Straßen", "Lasche 1", "a.b-c_d", "100%"})
        EXPECT_TRUE(IniNameAllowed(ok)) << ok;
    for (const char* bad : {"A]", "[A", "A=B", ";A", "A;", "A\r", "A\nB", "]\r\n[B"})
        EXPECT_FALSE(IniNameAllowed(bad)) << bad;
}

TEST_F(IniFileTest, BadSectionAndKeyNamesAreRefusedAndLeaveTheFileWhole) {
    std::vector<std::string> errors;
    auto old = ErrorBlock([&](std::shared_ptr<Error> e) {
        errors.push_back(e->Operation + ": " + e->Description);
        return Usual(false);
    });
    const std::string path = File("Namen.ini");
    IniFile ini(path);
    ini.WriteString("A", "k", "vorher");
    ini.WriteString("B", "x", "1");
    const std::string before = Bytes(path);
    ini.WriteString("A]\r\n[B", "x", "2");  // would put x=2 into section B
    ini.WriteString("A", "k=x", "v");       // would read back as k = "x=v"
    ini.WriteString("A", ";k", "v");
    ini.WriteInt("[B]", "x", 3);
    ini.DeleteEntry("A", "k=");
    ini.DeleteSection("B]");
    ErrorBlock(old);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(ini.GetString("A", "k"), "vorher");
    EXPECT_EQ(ini.GetString("B", "x"), "1");
    ASSERT_EQ(errors.size(), 6u);
    EXPECT_NE(errors[0].find("Abschnittsname"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("Schlüsselname"), std::string::npos) << errors[1];
    EXPECT_EQ(errors[5].rfind("DeleteSection", 0), 0u) << errors[5];
}

}  // namespace
}  // namespace kp

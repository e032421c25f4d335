// The word pad's rules without a window: document keys, running numbers in
// DokName.dbf with two programs at once, saving and closing decisions, and
// the filing date of a registered letter.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "wordpad/DokName.h"
#include "wordpad/LetterFile.h"
#include "tests/common/temp_folder.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

class TempDir : public test::TempFolder {
  public:
    TempDir() : TempFolder("kp_wordpad_") {}
};

std::string Get(DBServer& db, const char* field) {
    return Trim(db.FieldGet(Symbol(field)).AsString());
}

// ---- document keys

TEST(DokKey, CustomerKeySplitsIntoNumberInitialsAndYear) {
    DokKey k = ParseDokKey("K001132HM2010");
    EXPECT_EQ(k.typ, DokTyp::Kunde);
    EXPECT_EQ(k.key, "001132HM2010");
    EXPECT_EQ(k.ordner, "Texte\\Kunden\\");
    EXPECT_EQ(k.order, 1);
    EXPECT_EQ(k.adressNr, "001132");
    EXPECT_EQ(k.initial, "HM");
    EXPECT_EQ(k.jahr, "2010");
    EXPECT_EQ(k.KundenKey(), "001132HM2010");
    EXPECT_EQ(k.GesellKey(), "");
}

TEST(DokKey, InsurerKeyHasAShortNameOfAnyLength) {
    DokKey k = ParseDokKey("G0042MUSTER2010");
    EXPECT_EQ(k.typ, DokTyp::Gesell);
    EXPECT_EQ(k.order, 2);
    EXPECT_EQ(k.ordner, "Texte\\Gesell\\");
    EXPECT_EQ(k.gesNr, "0042");
    EXPECT_EQ(k.gKurz, "MUSTER");
    EXPECT_EQ(k.jahr, "2010");
    EXPECT_EQ(k.GesellKey(), "0042MUSTER2010");
}

TEST(DokKey, BrokerKeyOfSeventeenCharactersGivesElevenForTheNumber) {
    for (const char* prefix : {"V", "B"}) {
        DokKey k = ParseDokKey(std::string(prefix) + "12345678901XY2011");
        EXPECT_EQ(k.typ, DokTyp::Vermitt);
        EXPECT_EQ(k.order, 3);
        EXPECT_EQ(k.ordner, "Texte\\Vermitt\\");
        EXPECT_EQ(k.vermittNr, "12345678901");
        EXPECT_EQ(k.initial, "XY");
        EXPECT_EQ(k.jahr, "2011");
    }
}

TEST(DokKey, OtherOrMissingTypeGivesALetterWithoutKey) {
    for (const char* value : {"", "X001132HM2010", "K", "k001132HM2010"}) {
        DokKey k = ParseDokKey(value);
        EXPECT_FALSE(k.HasKey()) << value;
        EXPECT_EQ(k.key, "") << value;
        EXPECT_EQ(k.ordner, "") << value;
    }
}

TEST(DokKey, ShortKeysDoNotReadPastTheirEnd) {
    DokKey g = ParseDokKey("G004");
    EXPECT_EQ(g.gesNr, "004");
    EXPECT_EQ(g.gKurz, "");
    DokKey v = ParseDokKey("V12");
    EXPECT_EQ(v.vermittNr, "");
    EXPECT_EQ(DokBaseName("001132HM2010", 10), "001132HM2010_0010");
}

// ---- running numbers

class DokNumbers : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        Table::Create(dir_.Folder() + "DokName.dbf",
                      {{"ADRESSNR", 'C', 6, 0},
                       {"INITIAL", 'C', 2, 0},
                       {"GESNR", 'C', 4, 0},
                       {"GKURZ", 'C', 10, 0},
                       {"VERMITTNR", 'C', 12, 0},
                       {"JAHR", 'C', 4, 0},
                       {"DOKLFDNR", 'C', 4, 0}},
                      850);
        DBServer db(dir_.Folder() + "DokName.dbf");
        ASSERT_TRUE(db.CreateIndex(dir_.Folder() + "DokName.ntx", "ADRESSNR+INITIAL+JAHR"));
        ASSERT_TRUE(db.CreateIndex(dir_.Folder() + "DokName2.ntx", "GESNR+TRIM(GKURZ)+JAHR"));
        ASSERT_TRUE(db.CreateIndex(dir_.Folder() + "DokName3.ntx", "TRIM(VERMITTNR)+INITIAL+JAHR"));
    }
    // The table as a word pad opens it.
    std::unique_ptr<DBServer> Open() {
        auto db = std::make_unique<DBServer>(dir_.Folder() + "DokName.dbf");
        EXPECT_TRUE(db->SetIndex(dir_.Folder() + "DokName.ntx"));
        EXPECT_TRUE(db->SetIndex(dir_.Folder() + "DokName2.ntx"));
        EXPECT_TRUE(db->SetIndex(dir_.Folder() + "DokName3.ntx"));
        return db;
    }
    void AddCustomer(const std::string& nr, const std::string& ini, const std::string& jahr,
                     const std::string& lfd) {
        auto db = Open();
        ASSERT_TRUE(db->Append());
        db->FieldPut(Symbol("ADRESSNR"), Usual(nr));
        db->FieldPut(Symbol("INITIAL"), Usual(ini));
        db->FieldPut(Symbol("JAHR"), Usual(jahr));
        db->FieldPut(Symbol("DOKLFDNR"), Usual(lfd));
        ASSERT_TRUE(db->Commit());
    }
    // {record number: DOKLFDNR} of the live records.
    std::map<uint32_t, std::string> Live() {
        std::map<uint32_t, std::string> out;
        DBServer db(dir_.Folder() + "DokName.dbf");
        for (db.GoTop(); !db.EoF(); db.Skip(1))
            if (!db.Deleted())
                out[db.RecNo()] = Get(db, "DOKLFDNR");
        return out;
    }
    TempDir dir_;
};

TEST_F(DokNumbers, FirstLetterAppendsTheAddresseeWithNumberOne) {
    auto db = Open();
    DokNumberResult r = ReserveDokNumber(*db, ParseDokKey("G0042MUSTER2010"));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.number, 1);
    EXPECT_EQ(r.dokName, "0042MUSTER2010_0001");
    db.reset();
    DBServer check(dir_.Folder() + "DokName.dbf");
    ASSERT_EQ(check.RecCount(), 1u);
    check.GoTop();
    EXPECT_EQ(Get(check, "GESNR"), "0042");
    EXPECT_EQ(Get(check, "GKURZ"), "MUSTER");
    EXPECT_EQ(Get(check, "JAHR"), "2010");
    EXPECT_EQ(Get(check, "DOKLFDNR"), "0001");
    EXPECT_EQ(Get(check, "ADRESSNR"), "");
}

TEST_F(DokNumbers, KnownAddresseeCountsOnWithLeadingZeros) {
    AddCustomer("001132", "HM", "2010", "0009");
    auto db = Open();
    DokNumberResult r = ReserveDokNumber(*db, ParseDokKey("K001132HM2010"));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.dokName, "001132HM2010_0010");
    r = ReserveDokNumber(*db, ParseDokKey("K001132HM2010"));
    EXPECT_EQ(r.dokName, "001132HM2010_0011");
    EXPECT_EQ(Live().size(), 1u);
}

TEST_F(DokNumbers, AKeyThatOnlyBeginsLikeAnotherGetsItsOwnRecord) {
    // A broker "12" must not count on broker "123"'s record, nor a customer
    // key without initials on one with.
    {
        auto db = Open();
        ASSERT_TRUE(ReserveDokNumber(*db, ParseDokKey("V123HM2010")).ok);
        ASSERT_TRUE(ReserveDokNumber(*db, ParseDokKey("V123HM2010")).ok);
    }
    AddCustomer("100001", "HM", "2010", "0005");
    auto db = Open();
    DokNumberResult v = ReserveDokNumber(*db, ParseDokKey("V12HM2010"));
    EXPECT_EQ(v.dokName, "12HM2010_0001");
    DokNumberResult k = ReserveDokNumber(*db, ParseDokKey("K100001"));
    ASSERT_TRUE(k.ok) << k.message;
    EXPECT_EQ(k.dokName, "100001_0001");
    EXPECT_EQ(ReserveDokNumber(*db, ParseDokKey("K100001HM2010")).dokName, "100001HM2010_0006");
}

TEST_F(DokNumbers, NumberNineThousandNineHundredNinetyNineIsTheLast) {
    AddCustomer("001132", "HM", "2010", "9998");
    auto db = Open();
    EXPECT_EQ(ReserveDokNumber(*db, ParseDokKey("K001132HM2010")).dokName, "001132HM2010_9999");
    DokNumberResult r = ReserveDokNumber(*db, ParseDokKey("K001132HM2010"));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("9999"), std::string::npos) << r.message;
    db.reset();
    EXPECT_EQ(Live().begin()->second, "9999");  // not wrapped to "0000"
}

TEST_F(DokNumbers, TwoWordPadsTakeNumbersInTurn) {
    auto a = Open();
    auto b = Open();
    const DokKey k = ParseDokKey("K001132HM2010");
    EXPECT_EQ(ReserveDokNumber(*a, k).number, 1);
    EXPECT_EQ(ReserveDokNumber(*b, k).number, 2);
    EXPECT_EQ(ReserveDokNumber(*a, k).number, 3);
    a.reset();
    b.reset();
    auto live = Live();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live.begin()->second, "0003");
}

TEST_F(DokNumbers, TwoNewAddresseesAtTheSameMomentStillGetDifferentNumbers) {
    // Both programs miss the addressee; the second appends while the first
    // is between its seek and its own append.
    auto a = Open();
    auto b = Open();
    const DokKey k = ParseDokKey("G0042MUSTER2010");
    DokNumberResult fromB;
    DokNumberResult fromA = ReserveDokNumber(*a, k, [&] { fromB = ReserveDokNumber(*b, k); });
    ASSERT_TRUE(fromA.ok) << fromA.message;
    ASSERT_TRUE(fromB.ok) << fromB.message;
    EXPECT_NE(fromA.dokName, fromB.dokName);
    EXPECT_EQ(fromB.number, 1);
    EXPECT_EQ(fromA.number, 2);
    a.reset();
    b.reset();
    // One live record for the addressee, holding the last number.
    auto live = Live();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live.begin()->second, "0002");
    // And the next letter goes on from there.
    auto c = Open();
    EXPECT_EQ(ReserveDokNumber(*c, k).number, 3);
}

TEST_F(DokNumbers, AKeyTooWideForItsFieldsIsRefusedWithoutARecord) {
    auto db = Open();
    DokNumberResult r = ReserveDokNumber(*db, ParseDokKey("G0042EINVIELZULANGERNAME2010"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    db.reset();
    EXPECT_TRUE(Live().empty());
}

// ---- saving and closing

// Answers the questions as the test says and records what was done.
class FakeHost : public LetterHost {
  public:
    std::optional<std::string> AskFileName(const std::string& defaultName,
                                           const std::string& folder) override {
        proposed.push_back(defaultName);
        askedFolder = folder;
        return answerName;
    }
    bool FileExists(const std::string& file) override { return existing.count(file) > 0; }
    bool ConfirmOverwrite(const std::string&) override {
        ++overwriteAsked;
        return answerOverwrite;
    }
    bool WriteLetter(const std::string& file) override {
        events.push_back("write");
        if (!writeWorks)
            return false;
        written.push_back(file);
        return true;
    }
    void Named(const std::string& file) override { filed.push_back(file); }
    RegisterState HoldRegister(const std::string& file) override {
        events.push_back("hold");
        if (registerUnavailable)
            return RegisterState::Unavailable;
        return registered.count(file) > 0 ? RegisterState::Held : RegisterState::NotRegistered;
    }
    void DateRegister(bool written) override { events.push_back(written ? "date" : "release"); }
    void Refuse(const std::string& message) override { refusals.push_back(message); }
    int AskSaveChanges() override {
        ++closeAsked;
        return answerClose;
    }

    std::optional<std::string> answerName;
    bool answerOverwrite = false;
    bool writeWorks = true;
    int answerClose = LetterFile::kCancel;
    bool registerUnavailable = false;
    std::map<std::string, bool> existing, registered;
    std::vector<std::string> proposed, written, filed, events, refusals;
    std::string askedFolder;
    int overwriteAsked = 0, closeAsked = 0;
};

TEST(LetterSave, CancelledNameDialogWritesNothingAndKeepsTheChange) {
    LetterFile letter("", "001132HM2010_0001", "D:\\Daten\\Texte\\Kunden\\");
    letter.Changed(true);
    FakeHost host;  // cancels
    EXPECT_FALSE(letter.Save(host));
    EXPECT_TRUE(host.written.empty());  // no "Unbenannt" anywhere
    EXPECT_TRUE(letter.Changed());
    EXPECT_TRUE(letter.IsNew());
    EXPECT_EQ(letter.FileName(), "Unbenannt");
    EXPECT_EQ(host.askedFolder, "D:\\Daten\\Texte\\Kunden\\");
}

TEST(LetterSave, NewLetterIsNamedOnceAndFiled) {
    LetterFile letter("", "001132HM2010_0001", "T\\");
    letter.Changed(true);
    FakeHost host;
    host.answerName = "T\\001132HM2010_0001.RTF";
    ASSERT_TRUE(letter.Save(host));
    EXPECT_EQ(host.proposed, std::vector<std::string>{"001132HM2010_0001.RTF"});
    EXPECT_EQ(host.written, std::vector<std::string>{"T\\001132HM2010_0001.RTF"});
    EXPECT_EQ(host.filed, host.written);
    EXPECT_FALSE(letter.Changed());
    EXPECT_FALSE(letter.IsNew());
    // Filed now: the next save writes to the same file and files nothing.
    host.registered["T\\001132HM2010_0001.RTF"] = true;
    letter.Changed(true);
    ASSERT_TRUE(letter.Save(host));
    EXPECT_EQ(host.proposed.size(), 1u);
    EXPECT_EQ(host.written.size(), 2u);
    EXPECT_EQ(host.filed.size(), 1u);
}

TEST(LetterSave, ExtensionIsAddedOnceHoweverOftenSaveAsIsUsed) {
    LetterFile letter("", "001132HM2010_0001", "T\\");
    FakeHost host;
    letter.SaveAs(host);
    letter.SaveAs(host);
    host.answerName = "T\\x.rtf";
    letter.SaveAs(host);
    EXPECT_EQ(host.proposed, std::vector<std::string>(3, "001132HM2010_0001.RTF"));
    EXPECT_EQ(WithRtfExtension("brief.rtf"), "brief.rtf");
    EXPECT_EQ(WithRtfExtension(""), "");
}

TEST(LetterSave, RefusedOverwriteLeavesTheFileAndKeepsTheChange) {
    LetterFile letter("", "A_0001", "T\\");
    letter.Changed(true);
    FakeHost host;
    host.answerName = "T\\A_0001.RTF";
    host.existing["T\\A_0001.RTF"] = true;
    EXPECT_FALSE(letter.SaveAs(host));
    EXPECT_EQ(host.overwriteAsked, 1);
    EXPECT_TRUE(host.written.empty());
    EXPECT_TRUE(letter.Changed());
    host.answerOverwrite = true;
    EXPECT_TRUE(letter.SaveAs(host));
    EXPECT_EQ(host.written.size(), 1u);
}

TEST(LetterSave, AFailedWriteKeepsTheChangeAndTheOldName) {
    LetterFile letter("C:\\Briefe\\alt.rtf", "", "");
    letter.Changed(true);
    FakeHost host;
    host.registered["C:\\Briefe\\alt.rtf"] = true;
    host.writeWorks = false;
    EXPECT_FALSE(letter.Save(host));
    EXPECT_TRUE(letter.Changed());
    host.answerName = "C:\\Briefe\\neu.rtf";
    EXPECT_FALSE(letter.SaveAs(host));
    EXPECT_EQ(letter.FileName(), "C:\\Briefe\\alt.rtf");
    EXPECT_TRUE(host.filed.empty());
}

TEST(LetterSave, AFileNamedUnbenanntIsAnOpenedFileNotANewLetter) {
    LetterFile letter("Unbenannt", "", "");
    EXPECT_FALSE(letter.IsNew());
    FakeHost host;
    host.registered["Unbenannt"] = true;
    letter.Changed(true);
    ASSERT_TRUE(letter.Save(host));
    EXPECT_TRUE(host.proposed.empty());
    EXPECT_EQ(host.written, std::vector<std::string>{"Unbenannt"});
}

TEST(LetterSave, AFiledLetterIsDatedOnlyAfterItsFileWasWritten) {
    LetterFile letter("C:\\Briefe\\alt.rtf", "", "");
    FakeHost host;
    host.registered["C:\\Briefe\\alt.rtf"] = true;
    host.writeWorks = false;
    EXPECT_FALSE(letter.Save(host));
    EXPECT_EQ(host.events, (std::vector<std::string>{"hold", "write", "release"}));
    host.writeWorks = true;
    host.events.clear();
    EXPECT_TRUE(letter.Save(host));
    EXPECT_EQ(host.events, (std::vector<std::string>{"hold", "write", "date"}));
}

TEST(LetterSave, ARegisterThatCannotBeReadStopsTheSaveAndFilesNothingAgain) {
    LetterFile letter("C:\\Briefe\\alt.rtf", "", "");
    letter.Changed(true);
    FakeHost host;
    host.registerUnavailable = true;  // told by the host
    host.answerName = "C:\\Briefe\\zweit.rtf";
    EXPECT_FALSE(letter.Save(host));
    EXPECT_TRUE(host.proposed.empty());  // no name asked: that would file it twice
    EXPECT_TRUE(host.written.empty());
    EXPECT_TRUE(host.filed.empty());
    EXPECT_TRUE(letter.Changed());
}

TEST(LetterSave, AProtectedLetterIsNeverWrittenOverItsFile) {
    LetterFile letter("C:\\Briefe\\alt.rtf", "", "");
    letter.Protect("nicht vollständig gelesen");
    letter.Changed(true);
    FakeHost host;
    host.registered["C:\\Briefe\\alt.rtf"] = true;
    host.answerName = "c:\\briefe\\ALT.RTF";  // the same file, otherwise written
    host.answerOverwrite = true;
    EXPECT_FALSE(letter.Save(host));
    EXPECT_TRUE(host.written.empty());
    EXPECT_EQ(host.refusals.size(), 2u);  // told on Save, and the name refused
    EXPECT_EQ(host.refusals[0], "nicht vollständig gelesen");
    EXPECT_TRUE(letter.Changed());
    host.answerName = "C:\\Briefe\\neu.rtf";
    EXPECT_TRUE(letter.Save(host));
    EXPECT_EQ(host.written, std::vector<std::string>{"C:\\Briefe\\neu.rtf"});
    EXPECT_EQ(letter.FileName(), "C:\\Briefe\\neu.rtf");
    // The new file is the letter now; the old one stays refused.
    host.registered["C:\\Briefe\\neu.rtf"] = true;
    EXPECT_TRUE(letter.Save(host));
    EXPECT_EQ(host.written.size(), 2u);
    host.answerName = "C:\\Briefe\\alt.rtf";
    EXPECT_FALSE(letter.SaveAs(host));
    EXPECT_EQ(host.written.size(), 2u);
}

TEST(LetterClose, UnchangedClosesWithoutAsking) {
    LetterFile letter("", "A_0001", "");
    FakeHost host;
    EXPECT_TRUE(letter.QueryClose(host));
    EXPECT_EQ(host.closeAsked, 0);
}

TEST(LetterClose, ChangesAskAndStayOpenUnlessSavedOrDiscarded) {
    LetterFile letter("", "A_0001", "");
    letter.Changed(true);
    FakeHost host;
    host.answerClose = LetterFile::kCancel;
    EXPECT_FALSE(letter.QueryClose(host));
    EXPECT_TRUE(letter.Changed());
    host.answerClose = LetterFile::kYes;  // but the name dialog is cancelled
    EXPECT_FALSE(letter.QueryClose(host));
    EXPECT_TRUE(letter.Changed());
    host.writeWorks = false;  // or the write fails
    host.answerName = "A_0001.RTF";
    EXPECT_FALSE(letter.QueryClose(host));
    host.writeWorks = true;
    EXPECT_TRUE(letter.QueryClose(host));
    EXPECT_EQ(host.written.size(), 1u);
    letter.Changed(true);
    host.answerClose = LetterFile::kNo;
    EXPECT_TRUE(letter.QueryClose(host));
    EXPECT_EQ(host.written.size(), 1u);
    EXPECT_EQ(host.closeAsked, 5);
}

// ---- the filing date

class FiledDate : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        const std::string p = dir_.Folder();
        Table::Create(p + "DokVW.dbf",
                      {{"DOKNR", 'N', 8, 0},
                       {"ADRESSNR", 'C', 6, 0},
                       {"GESELL", 'C', 15, 0},
                       {"VERMITTNR", 'C', 12, 0},
                       {"DATUM", 'D', 8, 0},
                       {"DOKTITEL", 'C', 60, 0},
                       {"ABLAGE", 'C', 120, 0}},
                      850);
        {
            DBServer db(p + "DokVW.dbf");
            Add(db, 1, "C:\\D\\Texte\\Kunden\\A_0001.RTF.alt");
            Add(db, 2, "C:\\D\\Texte\\Kunden\\A_0001.RTF");
            db.Commit();
            const char* keys[] = {"ADRESSNR+DTOS(DATUM)",
                                  "UPPER(GESELL)+DTOS(DATUM)",
                                  "VERMITTNR+DTOS(DATUM)",
                                  "DTOS(DATUM)",
                                  "ABLAGE",
                                  "UPPER(DOKTITEL)",
                                  "DOKNR"};
            const char* files[] = {"DokVW.ntx",  "DokVW2.ntx", "DokVW3.ntx", "DokVW4.ntx",
                                   "DokVW5.ntx", "DokVW6.ntx", "DokVW7.ntx"};
            for (int i = 0; i < 7; ++i)
                ASSERT_TRUE(db.CreateIndex(p + files[i], keys[i]));
        }
        Table::Create(p + "TextVor.dbf",
                      {{"VORNR", 'N', 6, 0},
                       {"VORTYP", 'C', 1, 0},
                       {"TXTVLTITEL", 'C', 60, 0},
                       {"DATUM", 'D', 8, 0},
                       {"ABLAGE", 'C', 120, 0}},
                      850);
        DBServer tv(p + "TextVor.dbf");
        tv.Append();
        tv.FieldPut(Symbol("VORNR"), Usual(1));
        tv.FieldPut(Symbol("ABLAGE"), Usual(std::string("C:\\D\\Texte\\Kunden\\Vorlage.RTF")));
        tv.FieldPut(Symbol("DATUM"), Usual(Date::FromYMD(2010, 1, 1)));
        tv.Commit();
        const char* keys[] = {"UPPER(TXTVLTITEL)", "VORTYP+UPPER(TXTVLTITEL)", "ABLAGE", "VORNR"};
        const char* files[] = {"TextVor.ntx", "TextVor2.ntx", "TextVor3.ntx", "TextVor4.ntx"};
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(tv.CreateIndex(p + files[i], keys[i]));
    }
    static void Add(DBServer& db, int nr, const std::string& ablage) {
        db.Append();
        db.FieldPut(Symbol("DOKNR"), Usual(nr));
        db.FieldPut(Symbol("ADRESSNR"), Usual(std::string("001132")));
        db.FieldPut(Symbol("DATUM"), Usual(Date::FromYMD(2010, 1, 11)));
        db.FieldPut(Symbol("ABLAGE"), Usual(ablage));
    }
    Date DatumOf(const char* table, uint32_t rec) {
        DBServer db(dir_.Folder() + table);
        db.GoTo(rec);
        return db.FieldGet(Symbol("DATUM")).AsDate();
    }
    TempDir dir_;
};

TEST_F(FiledDate, OnlyTheExactNameIsDatedAndTheDateOrderFollows) {
    const Date today = Date::FromYMD(2026, 12, 8);
    ASSERT_TRUE(RefreshFiledDate(dir_.Folder(), "C:\\D\\Texte\\Kunden\\A_0001.RTF", today));
    EXPECT_EQ(DatumOf("DokVW.dbf", 1), Date::FromYMD(2010, 1, 11));  // the longer name
    EXPECT_EQ(DatumOf("DokVW.dbf", 2), today);
    // The date order (DokVW4) finds the letter under its new date: the
    // index was written along with the record.
    DBServer db(dir_.Folder() + "DokVW.dbf");
    ASSERT_TRUE(db.SetIndex(dir_.Folder() + "DokVW4.ntx"));
    EXPECT_TRUE(db.Seek(Usual(std::string("20261208"))));
    EXPECT_EQ(db.RecNo(), 2u);
    EXPECT_FALSE(db.Seek(Usual(std::string("20100111"))) && db.RecNo() == 2u);
}

TEST_F(FiledDate, ATemplateIsDatedInTextVorAndAnUnknownNameNowhere) {
    const Date today = Date::FromYMD(2026, 12, 8);
    EXPECT_TRUE(RefreshFiledDate(dir_.Folder(), "C:\\D\\Texte\\Kunden\\Vorlage.RTF  ", today));
    EXPECT_EQ(DatumOf("TextVor.dbf", 1), today);
    EXPECT_FALSE(RefreshFiledDate(dir_.Folder(), "C:\\D\\Texte\\Kunden\\A_0001", today));
    EXPECT_FALSE(RefreshFiledDate(dir_.Folder(), "C:\\D\\Texte\\Kunden\\Neu.RTF", today));
    EXPECT_EQ(DatumOf("DokVW.dbf", 2), Date::FromYMD(2010, 1, 11));
}

TEST_F(FiledDate, ARegisterOrIndexThatCannotBeOpenedIsNotTakenForNotRegistered) {
    const std::string p = dir_.Folder();
    fs::rename(p + "DokVW5.ntx", p + "DokVW5.weg");
    {
        FiledRecord filed(p, "C:\\D\\Texte\\Kunden\\A_0001.RTF");
        EXPECT_EQ(filed.State(), RegisterState::Unavailable);
        EXPECT_NE(filed.Message().find("DokVW5.ntx"), std::string::npos) << filed.Message();
    }
    fs::rename(p + "DokVW5.weg", p + "DokVW5.ntx");
    fs::rename(p + "TextVor.dbf", p + "TextVor.weg");
    FiledRecord filed(p, "C:\\D\\Texte\\Kunden\\Neu.RTF");
    EXPECT_EQ(filed.State(), RegisterState::Unavailable);
    EXPECT_NE(filed.Message().find("TextVor.dbf"), std::string::npos) << filed.Message();
    // Found in DokVW.dbf, the template register is not needed.
    FiledRecord found(p, "C:\\D\\Texte\\Kunden\\A_0001.RTF");
    EXPECT_EQ(found.State(), RegisterState::Held);
}

TEST_F(FiledDate, ARecordAnotherWorkstationHoldsStopsTheSaveAndIsNotDated) {
    const std::string p = dir_.Folder();
    DBServer other(p + "DokVW.dbf");
    other.GoTo(2);
    ASSERT_TRUE(other.RLock());
    const ErrorBlockFn before =
        ErrorBlock([](std::shared_ptr<Error>) { return Usual(false); });  // no retry
    {
        FiledRecord filed(p, "C:\\D\\Texte\\Kunden\\A_0001.RTF");
        EXPECT_EQ(filed.State(), RegisterState::Unavailable);
        EXPECT_NE(filed.Message().find("Arbeitsplatz"), std::string::npos) << filed.Message();
        EXPECT_FALSE(filed.Date(Date::FromYMD(2026, 12, 8)));
    }
    ErrorBlock(before);
    other.Commit();
    EXPECT_EQ(DatumOf("DokVW.dbf", 2), Date::FromYMD(2010, 1, 11));
    // Held, the record waits for the letter's write before it is dated.
    FiledRecord filed(p, "C:\\D\\Texte\\Kunden\\A_0001.RTF");
    ASSERT_EQ(filed.State(), RegisterState::Held);
    EXPECT_EQ(DatumOf("DokVW.dbf", 2), Date::FromYMD(2010, 1, 11));
    EXPECT_TRUE(filed.Date(Date::FromYMD(2026, 12, 8)));
    EXPECT_EQ(DatumOf("DokVW.dbf", 2), Date::FromYMD(2026, 12, 8));
}

TEST_F(FiledDate, TheTablesAreClosedAfterwards) {
    ASSERT_TRUE(RefreshFiledDate(dir_.Folder(), "C:\\D\\Texte\\Kunden\\A_0001.RTF",
                                 Date::FromYMD(2026, 12, 8)));
    // Exclusive opens succeed only when no handle is left open.
    SetExclusive(true);
    DBServer dokVW(dir_.Folder() + "DokVW.dbf");
    DBServer textVor(dir_.Folder() + "TextVor.dbf");
    SetExclusive(false);
    EXPECT_TRUE(dokVW.Used());
    EXPECT_TRUE(textVor.Used());
}

}  // namespace
}  // namespace kp

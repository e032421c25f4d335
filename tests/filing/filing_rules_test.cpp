// What the document-information dialog shows and files: the box texts, the
// records it writes to DokVW.dbf, TextVor.dbf and DatWV.dbf, the refusals
// that leave every table untouched, and the numbering under a lock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "app/funVelto.h"
#include "platform/data/check.h"
#include "platform/data/dbf.h"
#include "platform/runtime/strings.h"
#include "tests/data/proc.h"
#include "tests/filing/filing_fixture.h"
#include "wordpad/DokName.h"

namespace kp {
namespace {

using test::OpenSuiteTable;
using test::SuiteDir;

TEST(DateiName, TakesThePartAfterTheLastBackslashElseAfterTheFirstColon) {
    EXPECT_EQ(DateiName("C:\\KP\\DATEN\\Texte\\Kunden\\001132HM2010_0001.RTF"),
              "001132HM2010_0001.RTF");
    EXPECT_EQ(DateiName("A:BRIEF.RTF"), "BRIEF.RTF");
    EXPECT_EQ(DateiName("A:B:C.RTF"), "B:C.RTF");  // the first colon
    EXPECT_EQ(DateiName("BRIEF.RTF"), "BRIEF.RTF");
    EXPECT_EQ(DateiName("C:\\KP\\"), "");
    EXPECT_EQ(DateiName(""), "");
    // Forward slashes are no separator of the suite's paths.
    EXPECT_EQ(DateiName("Texte/Kunden/A.RTF"), "Texte/Kunden/A.RTF");
}

TEST(BoxTexts, DokAufrufTypeLetterChoosesTheAddressee) {
    EXPECT_EQ(ParseDokAufruf("K001132").cKunde, "001132");
    EXPECT_EQ(ParseDokAufruf("G0042").cGesell, "0042");
    EXPECT_EQ(ParseDokAufruf("B1003").cVermittler, "1003");
    EXPECT_EQ(ParseDokAufruf("V1003").cVermittler, "1003");
    for (const char* other : {"", "X001132", "k001132"}) {
        const DokAufruf a = ParseDokAufruf(other);
        EXPECT_TRUE(a.cKunde.empty() && a.cGesell.empty() && a.cVermittler.empty()) << other;
    }
}

TEST(BoxTexts, PersonTextJoinsTrimmedPartsWithSingleBlanks) {
    EXPECT_EQ(PersonText("Herr   ", "Dr.  ", "  Walter ", "Görtz    "), "Herr Dr. Walter Görtz");
    EXPECT_EQ(PersonText("Frau", "", "Heike", "Lindner"), "Frau Heike Lindner");
    EXPECT_EQ(PersonText("", "   ", "", ""), "");
}

TEST(BoxTexts, KeysAreTheFirstCharactersOfTheTrimmedBoxText) {
    EXPECT_EQ(BoxKey("  001132 Meier      Hans", kKundenNrLen), "001132");
    EXPECT_EQ(BoxKey("12", kKundenNrLen), "12");
    EXPECT_EQ(BoxKey(" ", kKundenNrLen), "");
    EXPECT_EQ(BoxKey("HANSEATICA LEBEN KRANKEN 0042", kGesellLen), "HANSEATICA LEBE");
    EXPECT_EQ(BoxKey("1001         Kowalski", kVermittNrLen), "1001        ");
    EXPECT_EQ(BoxKey("Müller-Lüdenscheidt", 6), "Müller");  // characters, not bytes
    EXPECT_EQ(VorlageTyp("Gesellschaften"), "G");
    EXPECT_EQ(VorlageTyp("  Betreuer"), "B");
    EXPECT_EQ(VorlageTyp(" "), "");
    EXPECT_EQ(VorlageTypen().size(), 4u);
}

class Filing : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ProgramSettings();
        dokVW = OpenSuiteTable(dir, "DokVW.dbf");
        textVor = OpenSuiteTable(dir, "TextVor.dbf");
        datWV = OpenSuiteTable(dir, "DatWV.dbf");
        adressen = OpenSuiteTable(dir, "Adressen.dbf");
        vermitt = OpenSuiteTable(dir, "Vermitt.dbf");
        gesellA = OpenSuiteTable(dir, "GesellA.dbf");
        ASSERT_TRUE(dokVW && textVor && datWV && adressen && vermitt && gesellA);
        in.cAblage = dir.Path() + "Texte\\Kunden\\001132HM2010_0009.RTF";
        in.cUrsprung = "Kunden";
        in.heute = Date::FromYMD(2010, 6, 15);
    }
    void TearDown() override { ResetSettings(); }

    DateiInfoTabellen Tables() {
        return {dokVW.get(), textVor.get(), datWV.get(), adressen.get(), vermitt.get()};
    }
    // Record counts of the three registers, deleted records included.
    std::vector<uint32_t> Counts() {
        return {dokVW->RecCount(), textVor->RecCount(), datWV->RecCount()};
    }
    static std::string Field(DBServer& s, const char* name) {
        return Trim(s.FieldGet(Symbol(name)).AsText());
    }
    // The first customer and the first listed broker, as their boxes show them.
    std::string FirstCustomerEntry() {
        adressen->SetOrder(1);
        adressen->GoTop();
        return KundenEntry(*adressen);
    }

    SuiteDir dir;
    std::unique_ptr<DBServer> dokVW, textVor, datWV, adressen, vermitt, gesellA;
    DateiInfoEingabe in;
};

TEST_F(Filing, ListsHoldEveryInsurerAndOnlyTheBrokersNotMarkedActive) {
    gesellA->SetOrder(2);
    const auto insurers = GesellList(*gesellA);
    EXPECT_EQ(insurers.size(), gesellA->RecCount());
    // Order 2 is by GESNR: the list ends with each record's number.
    for (size_t i = 1; i < insurers.size(); ++i)
        EXPECT_LT(Right(insurers[i - 1], 4), Right(insurers[i], 4));

    vermitt->SetOrder(2);
    const auto brokers = VermittList(*vermitt);
    ASSERT_EQ(brokers.size(), 2u);  // the demo has two of eight with AKTIV false
    EXPECT_EQ(Left(brokers[0], 4), "1004");
    EXPECT_EQ(Left(brokers[1], 4), "1008");
    EXPECT_EQ(AllTrim(SubStr(brokers[0], 14, 30)), "Pöhlmann");
}

TEST_F(Filing, CustomerAndBrokerAreFoundOnlyByTheirWholeNumber) {
    const std::string entry = FirstCustomerEntry();
    const std::string nr = Left(entry, 6);
    adressen->SetOrder(1);
    adressen->Seek(Usual(nr));
    const std::string expected = PersonText(*adressen);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(KundeText(*adressen, BoxKey(entry, kKundenNrLen)), expected);
    // A number that only begins the real one names nobody.
    EXPECT_EQ(KundeText(*adressen, Left(nr, 3)), "");
    EXPECT_EQ(KundeText(*adressen, ""), "");
    EXPECT_EQ(VermittlerText(*vermitt, "1003        "), "Herr Dr. Walter Görtz");
    EXPECT_EQ(VermittlerText(*vermitt, "100"), "");
}

TEST_F(Filing, DokAufrufKeyGivesTheBoxTextOfExactlyThatAddressee) {
    const std::string entry = FirstCustomerEntry();
    EXPECT_EQ(KundenEintrag(*adressen, Left(entry, 6)), entry);
    EXPECT_EQ(KundenEintrag(*adressen, Left(entry, 2)), "");
    EXPECT_EQ(KundenEintrag(*adressen, ""), "");
    const std::string broker = VermittEintrag(*vermitt, "1004");
    EXPECT_EQ(Left(broker, 4), "1004");
    EXPECT_NE(broker.find("Pöhlmann"), std::string::npos);
    EXPECT_EQ(VermittEintrag(*vermitt, "10"), "");
    gesellA->SetOrder(2);
    gesellA->GoTop();
    const std::string firstInsurer = GesellEntry(*gesellA);
    const std::string gesnr = Right(firstInsurer, 4);
    EXPECT_EQ(GesellEintrag(*gesellA, gesnr), firstInsurer);
    EXPECT_EQ(GesellEintrag(*gesellA, "9999"), "");
}

// The shell names the filing dialog's addressee after the new letter's key:
// each type's number must be what the dialog's seek finds.
TEST_F(Filing, ANewLettersKeyNamesTheAddresseeTheDialogFinds) {
    const std::string entry = FirstCustomerEntry();
    const std::string kunde = DokAufrufFor(ParseDokKey("K" + Left(entry, 6) + "HM2010"));
    EXPECT_EQ(kunde, "K" + Left(entry, 6));
    EXPECT_EQ(KundenEintrag(*adressen, ParseDokAufruf(kunde).cKunde), entry);

    gesellA->SetOrder(2);
    gesellA->GoTop();
    const std::string insurer = GesellEntry(*gesellA);
    const std::string gkurz = Field(*gesellA, "GKURZ");
    gesellA->SetOrder(1);  // the dialog's seek picks its order itself
    const std::string gesell = DokAufrufFor(ParseDokKey("G" + Right(insurer, 4) + gkurz + "2010"));
    EXPECT_EQ(gesell, "G" + Right(insurer, 4));
    EXPECT_EQ(GesellEintrag(*gesellA, ParseDokAufruf(gesell).cGesell), insurer);

    for (const char* type : {"V", "B"}) {
        const std::string broker = DokAufrufFor(ParseDokKey(std::string(type) + "1004HM2010"));
        EXPECT_EQ(broker, "V1004");
        const std::string box = VermittEintrag(*vermitt, ParseDokAufruf(broker).cVermittler);
        EXPECT_EQ(Left(box, 4), "1004");
        EXPECT_NE(box.find("Pöhlmann"), std::string::npos);
    }
    EXPECT_EQ(DokAufrufFor(ParseDokKey("X000289HM2010")), "");
}

TEST_F(Filing, DocumentWithResubmissionWritesBothRecords) {
    dokVW->SetOrder(7);
    const bool hidden = SetDeleted(false);
    dokVW->GoBottom();
    const int32_t highest = dokVW->FieldGet(Symbol("DOKNR")).AsLong();
    SetDeleted(hidden);
    const auto before = Counts();

    in.kundeBox = FirstCustomerEntry();
    in.gesellBox = "HANSEATICA LEBEN KRANKEN 0042";
    in.betreuerBox = "1003         Görtz                          Walter";
    in.versandart = "Brief";
    in.verssparte = "HAUSRAT";
    in.titel = "  Kündigung Hausrat  ";
    in.wiedervorlage = true;
    in.wvDatum = "01.07.2010";
    in.wvGrund = " Antwort abwarten ";
    const AblageErgebnis r = DateiAblegen(Tables(), in);
    ASSERT_TRUE(r.ok) << r.meldung;
    EXPECT_EQ(r.dokNr, highest + 1);
    EXPECT_TRUE(r.wiedervorlage);
    EXPECT_EQ(Counts(), (std::vector<uint32_t>{before[0] + 1, before[1], before[2] + 1}));

    dokVW->GoTo(dokVW->RecCount());
    EXPECT_EQ(dokVW->FieldGet(Symbol("DOKNR")).AsLong(), highest + 1);
    EXPECT_EQ(Field(*dokVW, "DURSPRUNG"), "Kunden");
    EXPECT_EQ(Field(*dokVW, "ADRESSNR"), Left(in.kundeBox, 6));
    EXPECT_EQ(Field(*dokVW, "KUNDE"), KundeText(*adressen, Left(in.kundeBox, 6)));
    EXPECT_EQ(Field(*dokVW, "GESELL"), "HANSEATICA LEBE");
    EXPECT_EQ(Field(*dokVW, "VERMITTNR"), "1003");
    EXPECT_EQ(Field(*dokVW, "VERMITTLER"), "Herr Dr. Walter Görtz");
    EXPECT_EQ(Field(*dokVW, "VERSANDART"), "Brief");
    EXPECT_EQ(Field(*dokVW, "VERSSPARTE"), "HAUSRAT");
    EXPECT_EQ(dokVW->FieldGet(Symbol("DATUM")).AsDate(), in.heute);
    EXPECT_EQ(Field(*dokVW, "DOKNAME"), "001132HM2010_0009.RTF");
    EXPECT_EQ(Field(*dokVW, "DOKTITEL"), "Kündigung Hausrat");
    EXPECT_EQ(Field(*dokVW, "ABLAGE"), in.cAblage);
    EXPECT_EQ(dokVW->FieldGet(Symbol("WVDATUM")).AsDate(), Date::FromYMD(2010, 7, 1));
    // The word pad finds the letter by its full name in order 5.
    dokVW->SetOrder(5);
    EXPECT_TRUE(dokVW->Seek(Usual(in.cAblage)));

    datWV->GoTo(datWV->RecCount());
    EXPECT_EQ(datWV->FieldGet(Symbol("TAG")).AsDate(), Date::FromYMD(2010, 7, 1));
    EXPECT_EQ(Field(*datWV, "WV"), "001132HM2010_0009.RTF");
    EXPECT_EQ(Field(*datWV, "WVGRUND"), "Antwort abwarten");
    EXPECT_EQ(Field(*datWV, "DURSPRUNG"), "Kunden");
    EXPECT_EQ(Field(*datWV, "DABLAGE"), in.cAblage);
    EXPECT_EQ(datWV->FieldGet(Symbol("DDOKNR")).AsLong(), highest + 1);
}

TEST_F(Filing, EmptyBoxesFileEmptyTextsAndAnUnknownNumberNoName) {
    in.kundeBox = "99999x Niemand";
    const AblageErgebnis r = DateiAblegen(Tables(), in);
    ASSERT_TRUE(r.ok) << r.meldung;
    dokVW->GoTo(dokVW->RecCount());
    EXPECT_EQ(Field(*dokVW, "ADRESSNR"), "99999x");
    EXPECT_EQ(Field(*dokVW, "KUNDE"), "");
    EXPECT_EQ(Field(*dokVW, "VERMITTNR"), "");
    EXPECT_EQ(Field(*dokVW, "VERMITTLER"), "");
    EXPECT_TRUE(dokVW->FieldGet(Symbol("WVDATUM")).AsDate().IsEmpty());
}

TEST_F(Filing, EmptyRegisterStartsAtOneAndNumbersFollowEachOther) {
    dokVW->Close();
    ASSERT_TRUE(demo::WriteEmptySuiteTable(dir.Path(), "DokVW.dbf"));
    dokVW = OpenSuiteTable(dir, "DokVW.dbf");
    for (int32_t expected = 1; expected <= 3; ++expected) {
        const AblageErgebnis r = DateiAblegen(Tables(), in);
        ASSERT_TRUE(r.ok) << r.meldung;
        EXPECT_EQ(r.dokNr, expected);
    }
    EXPECT_EQ(dokVW->RecCount(), 3u);
}

TEST_F(Filing, DeletedHighestNumberIsNotGivenAgain) {
    const AblageErgebnis first = DateiAblegen(Tables(), in);
    ASSERT_TRUE(first.ok);
    dokVW->GoTo(dokVW->RecCount());
    ASSERT_TRUE(dokVW->Delete());
    dokVW->Commit();
    const AblageErgebnis second = DateiAblegen(Tables(), in);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.dokNr, first.dokNr + 1);
}

TEST_F(Filing, TemplateGoesToTheTemplateRegisterOnlyEvenWithResubmissionTicked) {
    textVor->SetOrder(4);
    textVor->GoBottom();
    const int32_t highest = textVor->FieldGet(Symbol("VORNR")).AsLong();
    const auto before = Counts();
    in.vorlage = true;
    in.vorlageTyp = "Gesellschaften";
    in.titel = "Rundschreiben Beitragsanpassung";
    in.wiedervorlage = true;  // ticked before the template: no resubmission
    in.wvDatum = "  .  .    ";
    const AblageErgebnis r = DateiAblegen(Tables(), in);
    ASSERT_TRUE(r.ok) << r.meldung;
    EXPECT_EQ(r.vorNr, highest + 1);
    EXPECT_FALSE(r.wiedervorlage);
    EXPECT_EQ(Counts(), (std::vector<uint32_t>{before[0], before[1] + 1, before[2]}));
    textVor->GoTo(textVor->RecCount());
    EXPECT_EQ(textVor->FieldGet(Symbol("VORNR")).AsLong(), highest + 1);
    EXPECT_EQ(Field(*textVor, "VORTYP"), "G");
    EXPECT_EQ(Field(*textVor, "TXTVLDATEI"), "001132HM2010_0009.RTF");
    EXPECT_EQ(Field(*textVor, "TXTVLTITEL"), "Rundschreiben Beitragsanpassung");
    EXPECT_EQ(textVor->FieldGet(Symbol("DATUM")).AsDate(), in.heute);
    EXPECT_EQ(Field(*textVor, "ABLAGE"), in.cAblage);
}

TEST_F(Filing, RefusalsLeaveEveryTableAsItWas) {
    const auto before = Counts();
    struct Case {
        const char* what;
        std::function<void(DateiInfoEingabe&)> change;
        const char* messagePart;
    };
    const std::vector<Case> cases{
        {"resubmission without a date", [](DateiInfoEingabe& e) { e.wiedervorlage = true; },
         "gültiges Datum"},
        {"resubmission with an impossible date",
         [](DateiInfoEingabe& e) {
             e.wiedervorlage = true;
             e.wvDatum = "31.02.2010";
         },
         "gültiges Datum"},
        {"file name longer than ABLAGE",
         [](DateiInfoEingabe& e) { e.cAblage = "C:\\" + std::string(130, 'x') + "\\A.RTF"; },
         "zu lang"},
        {"title with a character code page 850 lacks",
         [](DateiInfoEingabe& e) { e.titel = "Rechnung über 100 €"; }, "€"},
        {"template named too long",
         [](DateiInfoEingabe& e) {
             e.vorlage = true;
             e.cAblage = "C:\\" + std::string(61, 'v') + ".RTF";
         },
         "Dateiname"},
    };
    for (const Case& c : cases) {
        DateiInfoEingabe e = in;
        c.change(e);
        const AblageErgebnis r = DateiAblegen(Tables(), e);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_NE(r.meldung.find(c.messagePart), std::string::npos) << c.what << ": " << r.meldung;
        EXPECT_EQ(Counts(), before) << c.what;
    }
}

TEST_F(Filing, RegisterThatCouldNotBeOpenedIsToldNotWrittenTo) {
    DateiInfoTabellen t = Tables();
    t.datWV = nullptr;
    in.wiedervorlage = true;
    in.wvDatum = "01.07.2010";
    const auto before = Counts();
    AblageErgebnis r = DateiAblegen(t, in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.meldung.find("DatWV.dbf"), std::string::npos) << r.meldung;
    dokVW->Close();
    r = DateiAblegen(Tables(), in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.meldung.find("DokVW.dbf"), std::string::npos) << r.meldung;
    EXPECT_EQ(DBServer(dir.File("DokVW.dbf")).RecCount(), before[0]);
    EXPECT_EQ(datWV->RecCount(), before[2]);
}

TEST_F(Filing, TextsWiderThanTheirFieldAreCutBeforeTheAppend) {
    in.titel = std::string(70, 'T');
    in.versandart = "Einschreiben mit Rückschein";  // 27 of 20
    in.wiedervorlage = true;
    in.wvDatum = "01.07.2010";
    in.wvGrund = std::string(65, 'g');
    const AblageErgebnis r = DateiAblegen(Tables(), in);
    ASSERT_TRUE(r.ok) << r.meldung;
    dokVW->GoTo(dokVW->RecCount());
    EXPECT_EQ(Field(*dokVW, "DOKTITEL"), std::string(60, 'T'));
    EXPECT_EQ(Field(*dokVW, "VERSANDART"), "Einschreiben mit Rüc");
    EXPECT_EQ(dokVW->FieldGet(Symbol("DOKNR")).AsLong(), r.dokNr);  // not a blank record
    datWV->GoTo(datWV->RecCount());
    EXPECT_EQ(Field(*datWV, "WVGRUND"), std::string(60, 'g'));
}

TEST_F(Filing, NumberLockOfAnotherWorkstationHoldsFilingBack) {
    const auto before = Counts();
    {
        auto other = NumberLock::Acquire(dokVW->FullPath(), 0);
        ASSERT_TRUE(other.has_value());
        // The lock lies beyond the shared scheme: readers and appends go on.
        DBServer second(dir.File("DokVW.dbf"));
        ASSERT_TRUE(second.Append());
        second.FieldPut(Symbol("DOKTITEL"), Usual("von nebenan"));
        ASSERT_TRUE(second.Commit());
        second.Delete();
        second.Commit();

        const AblageErgebnis r = DateiAblegen(Tables(), in, 100);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.meldung.find("anderer Arbeitsplatz"), std::string::npos) << r.meldung;
        EXPECT_EQ(dokVW->RecCount(), before[0] + 1);  // only the neighbour's record
    }
    const AblageErgebnis r = DateiAblegen(Tables(), in, 100);
    EXPECT_TRUE(r.ok) << r.meldung;
}

TEST_F(Filing, TwoWorkstationsFilingAtOnceNeverShareANumber) {
    dokVW->SetOrder(7);
    SetDeleted(false);
    dokVW->GoBottom();
    const int32_t highest = dokVW->FieldGet(Symbol("DOKNR")).AsLong();
    SetDeleted(true);
    const uint32_t before = dokVW->RecCount();
    constexpr int kEach = 15;
    // The folder without its closing separator: a Windows command line
    // would read a backslash before the closing quote as an escape.
    const std::string folder = dir.File("");
    const std::string arg = folder.substr(0, folder.size() - 1);
    auto a = test::Process::Start("filing_helper", {arg, "A", std::to_string(kEach)});
    auto b = test::Process::Start("filing_helper", {arg, "B", std::to_string(kEach)});
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Wait(), 0);
    EXPECT_EQ(b->Wait(), 0);

    ASSERT_EQ(dokVW->RecCount(), before + 2 * kEach);
    std::set<int32_t> numbers;
    std::set<int32_t> datWVNumbers;
    for (uint32_t rec = before + 1; rec <= dokVW->RecCount(); ++rec) {
        dokVW->GoTo(rec);
        numbers.insert(dokVW->FieldGet(Symbol("DOKNR")).AsLong());
    }
    EXPECT_EQ(numbers.size(), static_cast<size_t>(2 * kEach));
    EXPECT_EQ(*numbers.begin(), highest + 1);
    EXPECT_EQ(*numbers.rbegin(), highest + 2 * kEach);
    // Each resubmission names its own letter's number.
    for (uint32_t rec = 1; rec <= datWV->RecCount(); ++rec) {
        datWV->GoTo(rec);
        if (Left(Field(*datWV, "WVGRUND"), 7) == "Helfer ")
            datWVNumbers.insert(datWV->FieldGet(Symbol("DDOKNR")).AsLong());
    }
    EXPECT_EQ(datWVNumbers, numbers);
}

// ---- a register without all its indexes

TEST_F(Filing, ARegisterWithoutAllItsIndexesIsRefusedNotNumberedInAnotherOrder) {
    // Without DokVW7.ntx the highest DOKNR would be read in another order
    // (and handed out twice); without DokVW3.ntx that index would miss the
    // letter and every later order would shift.
    for (const char* missing : {"DokVW7.ntx", "DokVW3.ntx"}) {
        auto partial = std::make_unique<DBServer>(dir.File("DokVW.dbf"));
        for (const char* x : kDokVWIndexes)
            if (std::string(x) != missing)
                partial->SetIndex(dir.File(x));
        DateiInfoTabellen t = Tables();
        t.dokVW = partial.get();
        const uint32_t before = partial->RecCount();
        const AblageErgebnis r = DateiAblegen(t, in);
        EXPECT_FALSE(r.ok) << missing;
        EXPECT_NE(r.meldung.find(missing), std::string::npos) << r.meldung;
        EXPECT_EQ(partial->RecCount(), before) << missing;
    }
    auto partial = std::make_unique<DBServer>(dir.File("TextVor.dbf"));
    for (const char* x : {"TextVor.ntx", "TextVor2.ntx", "TextVor3.ntx"})
        partial->SetIndex(dir.File(x));
    DateiInfoTabellen t = Tables();
    t.textVor = partial.get();
    in.vorlage = true;
    const uint32_t before = partial->RecCount();
    const AblageErgebnis r = DateiAblegen(t, in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.meldung.find("TextVor4.ntx"), std::string::npos) << r.meldung;
    EXPECT_EQ(partial->RecCount(), before);
}

// ---- two workstations and killed programs

// The folder without its closing separator: a Windows command line would
// read a backslash before the closing quote as an escape.
std::string FolderArg(const SuiteDir& dir) {
    const std::string folder = dir.File("");
    return folder.substr(0, folder.size() - 1);
}

// Every live record of a table, as stored.
std::multiset<std::string> LiveRecords(const std::string& dbf) {
    std::multiset<std::string> live;
    DBServer db(dbf);
    const uint32_t n = db.RecCount(), size = db.RecSize();
    std::vector<char> buf(static_cast<size_t>(size) * (n + 1));
    const uint32_t got = db.ReadRecords(1, n, buf.data());
    for (uint32_t i = 0; i < got; ++i) {
        std::string rec(buf.data() + static_cast<size_t>(i) * size, size);
        if (rec[0] != '*')
            live.insert(rec);
    }
    return live;
}

// The table and its indexes as `kpdb check` sees them, and no blank live
// record in it.
void ExpectSound(const SuiteDir& dir, const std::string& file) {
    for (const demo::SuiteTable& t : demo::SuiteTables()) {
        if (t.file != file)
            continue;
        std::vector<std::string> ntx;
        for (const demo::SuiteIndex& x : t.indexes)
            ntx.push_back(dir.File(x.file));
        const CheckReport rep = CheckTable(dir.File(file), ntx, 850);
        EXPECT_TRUE(rep.Ok()) << file << ": " << rep.faults[0];
    }
    for (const std::string& rec : LiveRecords(dir.File(file)))
        EXPECT_NE(rec.find_first_not_of(' '), std::string::npos) << file << ": blank live record";
}

TEST_F(Filing, TwoWorkstationsNumberingNewAddresseesAtOnceGetOneRecordEach) {
    constexpr int kCustomers = 40;
    for (int round = 0; round < 2; ++round) {
        const int first = 700000 + 1000 * round;
        const std::string go = dir.File("go" + std::to_string(round));
        const std::string outA = dir.File("a" + std::to_string(round));
        const std::string outB = dir.File("b" + std::to_string(round));
        auto a =
            test::Process::Start("filing_helper", {"numbers", FolderArg(dir), std::to_string(first),
                                                   std::to_string(kCustomers), go, outA});
        auto b =
            test::Process::Start("filing_helper", {"numbers", FolderArg(dir), std::to_string(first),
                                                   std::to_string(kCustomers), go, outB});
        ASSERT_TRUE(a && b);
        test::SleepMillis(300);
        std::ofstream(go) << "go";
        EXPECT_EQ(a->Wait(), 0);
        EXPECT_EQ(b->Wait(), 0);
        std::map<int, std::multiset<int>> numbers;
        for (const std::string& out : {outA, outB}) {
            std::ifstream in(out);
            int customer = 0, number = 0;
            while (in >> customer >> number)
                numbers[customer].insert(number);
        }
        ASSERT_EQ(numbers.size(), static_cast<size_t>(kCustomers));
        for (const auto& [customer, got] : numbers)
            EXPECT_EQ(got, (std::multiset<int>{1, 2})) << customer;
    }
    // One live record per addressee, holding the last number; no claim left.
    DBServer dokName(dir.File("DokName.dbf"));
    int perAddressee = 0;
    for (dokName.GoTop(); !dokName.EoF(); dokName.Skip(1)) {
        const std::string nr = Field(dokName, "ADRESSNR");
        if (nr.size() == 6 && nr[0] == '7' && !dokName.Deleted()) {
            ++perAddressee;
            EXPECT_EQ(Field(dokName, "DOKLFDNR"), "0002") << nr;
        }
    }
    EXPECT_EQ(perAddressee, 2 * kCustomers);
    ExpectSound(dir, "DokName.dbf");
}

TEST_F(Filing, AProgramKilledWhileNumberingOrFilingLeavesNothingTheNextOneTripsOver) {
    for (auto* s : {&dokVW, &textVor, &datWV})
        (*s)->Close();
    const char* const tables[] = {"DokName.dbf", "DokVW.dbf", "DatWV.dbf"};
    std::map<std::string, std::multiset<std::string>> before;
    for (const char* t : tables)
        before[t] = LiveRecords(dir.File(t));
    std::mt19937 random(20101);
    // The first program is killed right between its appends and commits,
    // the others at random moments of numbering and filing.
    for (int round = 0; round < 6; ++round) {
        const std::string ready = dir.File("ready" + std::to_string(round));
        auto helper = test::Process::Start(
            "filing_helper", round == 0
                                 ? std::vector<std::string>{"abandon", FolderArg(dir), ready}
                                 : std::vector<std::string>{"forever", FolderArg(dir),
                                                            "K" + std::to_string(round), ready});
        ASSERT_TRUE(helper);
        for (int i = 0; i < 1500 && !test::FileExists(ready); ++i)
            test::SleepMillis(10);
        if (round > 0)
            test::SleepMillis(static_cast<int>(random() % 400));
        helper->Kill();
        helper->Wait();

        // The next numbering and filing go on as if nothing had happened.
        {
            auto dokName = OpenSuiteTable(dir, "DokName.dbf");
            const DokNumberResult n = ReserveDokNumber(
                *dokName, ParseDokKey("K" + std::to_string(800000 + round) + "HM2010"));
            EXPECT_TRUE(n.ok) << n.message;
            EXPECT_EQ(n.number, 1);
            auto regVW = OpenSuiteTable(dir, "DokVW.dbf");
            auto regWV = OpenSuiteTable(dir, "DatWV.dbf");
            DateiInfoTabellen t = Tables();
            t.dokVW = regVW.get();
            t.datWV = regWV.get();
            in.wiedervorlage = true;
            in.wvDatum = "01.07.2010";
            in.cAblage = dir.Path() + "Texte\\Kunden\\nach" + std::to_string(round) + ".RTF";
            const AblageErgebnis r = DateiAblegen(t, in);
            EXPECT_TRUE(r.ok) << r.meldung;
        }
        for (const char* t : tables) {
            ExpectSound(dir, t);
            // What was there before is there unchanged.
            const auto now = LiveRecords(dir.File(t));
            for (const std::string& rec : before[t])
                EXPECT_EQ(now.count(rec), before[t].count(rec)) << t << ": " << rec;
        }
        // Every letter number once.
        std::set<int32_t> numbers;
        DBServer vw(dir.File("DokVW.dbf"));
        for (vw.GoTop(); !vw.EoF(); vw.Skip(1))
            EXPECT_TRUE(numbers.insert(vw.FieldGet(Symbol("DOKNR")).AsLong()).second)
                << vw.FieldGet(Symbol("DOKNR")).AsLong();
        // One live record per addressee.
        std::set<std::string> keys;
        DBServer dn(dir.File("DokName.dbf"));
        for (dn.GoTop(); !dn.EoF(); dn.Skip(1)) {
            const std::string key = Field(dn, "ADRESSNR") + Field(dn, "INITIAL") +
                                    Field(dn, "GESNR") + Field(dn, "GKURZ") +
                                    Field(dn, "VERMITTNR") + Field(dn, "JAHR");
            EXPECT_TRUE(keys.insert(key).second) << key;
        }
    }
#ifdef KP_FILING_OUT
    // For a reader that is not ours.
    const std::filesystem::path out = std::filesystem::path(KP_FILING_OUT) / "killed";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    for (const char* t : tables)
        std::filesystem::copy_file(dir.File(t), out / t);
#endif
}

}  // namespace
}  // namespace kp

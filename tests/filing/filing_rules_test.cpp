// What the document-information dialog shows and files: the box texts, the
// records it writes to DokVW.dbf, TextVor.dbf and DatWV.dbf, the refusals
// that leave every table untouched, and the numbering under a lock.
#include <gtest/gtest.h>

#include <set>

#include "app/funVelto.h"
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

}  // namespace
}  // namespace kp

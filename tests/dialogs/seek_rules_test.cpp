// The search rules: which records the record search, the contract search
// and the full-text search find, and the entries of their hit lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dialogs/seekRules.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "tests/common/temp_folder.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

class TempDir : public test::TempFolder {
  public:
    TempDir() : TempFolder("kp_seek_") {}
};

struct Address {
    const char* nr;
    const char* vname;
    const char* nname;
};

class SeekRules : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
    }
    void TearDown() override { SetDeleted(false); }

    // Adressen.dbf with the surname order and the address-number order.
    std::unique_ptr<DBServer> Addresses(const std::vector<Address>& rows) {
        const std::string path = dir_.File("Adressen.dbf");
        Table::Create(path,
                      {{"ADRESSNR", 'C', 6, 0},
                       {"VNAME", 'C', 30, 0},
                       {"NNAME", 'C', 30, 0},
                       {"STRASSE", 'C', 30, 0},
                       {"PLZ", 'C', 5, 0},
                       {"ORT", 'C', 30, 0}},
                      850);
        auto db = std::make_unique<DBServer>(path);
        for (const Address& a : rows) {
            db->Append();
            db->FieldPut(Symbol("ADRESSNR"), Usual(std::string(a.nr)));
            db->FieldPut(Symbol("VNAME"), Usual(std::string(a.vname)));
            db->FieldPut(Symbol("NNAME"), Usual(std::string(a.nname)));
            db->FieldPut(Symbol("STRASSE"), Usual(std::string("Hauptstr. 1")));
            db->FieldPut(Symbol("PLZ"), Usual(std::string("50667")));
            db->FieldPut(Symbol("ORT"), Usual(std::string("Köln")));
        }
        db->Commit();
        EXPECT_TRUE(db->CreateIndex(dir_.File("Adressnr.ntx"), "ADRESSNR"));
        EXPECT_TRUE(db->CreateIndex(dir_.File("Adrename.ntx"), "UPPER(NNAME+VNAME)"));
        return db;
    }

    // Vertrag.dbf with its two orders; contract i gets the given numbers.
    std::unique_ptr<DBServer> Contracts(
        const std::vector<std::pair<std::string, std::string>>& rows) {
        const std::string path = dir_.File("Vertrag.dbf");
        Table::Create(path,
                      {{"VERSNR", 'C', 15, 0},
                       {"ADRESSNR", 'C', 6, 0},
                       {"NNAME", 'C', 25, 0},
                       {"ORT_S_FZKZ", 'C', 25, 0}},
                      850);
        auto db = std::make_unique<DBServer>(path);
        int i = 0;
        for (const auto& [versnr, ort] : rows) {
            db->Append();
            db->FieldPut(Symbol("VERSNR"), Usual(versnr));
            db->FieldPut(Symbol("ADRESSNR"), Usual(PadL(std::to_string(100000 + i++), 6)));
            db->FieldPut(Symbol("NNAME"), Usual(std::string("Schulz")));
            db->FieldPut(Symbol("ORT_S_FZKZ"), Usual(ort));
        }
        db->Commit();
        EXPECT_TRUE(db->CreateIndex(dir_.File("Vertrag5.ntx"), "VERSNR"));
        EXPECT_TRUE(db->CreateIndex(dir_.File("Vertrag6.ntx"), "ORT_S_FZKZ"));
        return db;
    }

    TempDir dir_;
};

const std::vector<Address> kPeople{
    {"100001", "Hans", "Schmidt"}, {"100002", "Anna", "Müller"}, {"100003", "Karl", "MÜNCH"},
    {"100004", "Eva", "Meier"},    {"100005", "Jörg", "Mühle"},  {"100006", "Otto", "Muth"},
};

TEST_F(SeekRules, SurnamePrefixListsEveryMatchInNameOrder) {
    auto db = Addresses(kPeople);
    db->SetOrder(2);
    const SurnameSearch s = FindSurnames(*db, "MÜ");
    EXPECT_TRUE(s.letterFound);
    ASSERT_EQ(s.hits.size(), 3u);
    // Name order: MÜHLE, MÜLLER, MÜNCH; each entry starts with the number.
    EXPECT_EQ(s.hits[0].substr(0, 6), "100005");
    EXPECT_EQ(s.hits[1], "100002  Anna Müller Hauptstr. 1 50667 Köln");
    EXPECT_EQ(s.hits[2].substr(0, 6), "100003");
}

TEST_F(SeekRules, SurnameLetterWithoutMatchAndMissingLetter) {
    auto db = Addresses(kPeople);
    db->SetOrder(2);
    const SurnameSearch none = FindSurnames(*db, "MX");
    EXPECT_TRUE(none.letterFound);  // the empty list is shown
    EXPECT_TRUE(none.hits.empty());
    const SurnameSearch missing = FindSurnames(*db, "QUAST");
    EXPECT_FALSE(missing.letterFound);
    // A term longer than the surname field matches no surname.
    EXPECT_TRUE(FindSurnames(*db, "SCHMIDT" + std::string(30, 'X')).hits.empty());
}

TEST_F(SeekRules, ContractSearchCapsTheListAtOneHundred) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < 150; ++i)
        rows.emplace_back("47-" + PadL(std::to_string(i), 4, "0"), "K-AB " + std::to_string(i));
    rows.emplace_back("99-1", "Berlin");
    auto db = Contracts(rows);
    db->SetOrder(1);
    const ContractSearch many = FindContracts(*db, true, "47-");
    EXPECT_TRUE(many.found && many.several);
    ASSERT_EQ(many.hits.size(), kContractHitLimit);
    ASSERT_EQ(many.recNos.size(), kContractHitLimit);
    EXPECT_EQ(many.hits[0], "100000  Schulz                     47-0000");
    EXPECT_EQ(many.hits[99].substr(0, 6), "100099");
    EXPECT_EQ(many.firstRecNo, 1u);

    const ContractSearch one = FindContracts(*db, true, "99");
    EXPECT_TRUE(one.found);
    EXPECT_FALSE(one.several);
    EXPECT_TRUE(one.hits.empty());
    EXPECT_EQ(one.firstAdressNr, "100150");
    EXPECT_EQ(one.firstRecNo, 151u);

    EXPECT_FALSE(FindContracts(*db, true, "12").found);
}

TEST_F(SeekRules, ContractSearchByPlaceShowsNumberAndPlace) {
    auto db = Contracts({{"11-1", "Berlin-Mitte"}, {"11-2", "Bonn"}, {"11-3", "Berlin"}});
    db->SetOrder(2);
    const ContractSearch s = FindContracts(*db, false, "Berlin");
    ASSERT_TRUE(s.several);
    ASSERT_EQ(s.hits.size(), 2u);
    EXPECT_EQ(s.hits[0], "100002  Schulz                     11-3           Berlin");
    EXPECT_EQ(s.recNos, (std::vector<uint32_t>{3, 1}));
}

TEST_F(SeekRules, FullTextFindsNamePartsInAnyCaseInTableOrder) {
    auto db = Addresses({{"1", "Heizungsbau", "Müller GmbH"},
                         {"2", "Anna", "Schmidt"},
                         {"3", "MÜLLER", "Anlagen"},
                         {"4", "Klaus", "Kleinmüller"}});
    const auto hits = FindContaining(*db, "MÜLLER", true);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0], "1       Heizungsbau Müller GmbH Hauptstr. 1 50667 Köln");
    EXPECT_EQ(hits[1].substr(0, 6), "3     ");
    EXPECT_EQ(hits[2].substr(0, 6), "4     ");
    EXPECT_TRUE(db->EoF());
    EXPECT_TRUE(FindContaining(*db, "ZZZ", true).empty());
}

TEST_F(SeekRules, FullTextRestStartsAtTheCurrentRecordAndEndsAtTheEnd) {
    auto db =
        Addresses({{"1", "Anna", "Berg"}, {"2", "Bernd", "Berger"}, {"3", "Otto", "Bergmann"}});
    db->SetOrder(0);
    db->GoTo(2);
    const auto rest = FindContaining(*db, "BERG", false);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].substr(0, 1), "2");
    // After an unsuccessful or finished search the rest is empty; the whole
    // table is searched again from the top.
    EXPECT_TRUE(db->EoF());
    EXPECT_TRUE(FindContaining(*db, "BERG", false).empty());
    EXPECT_EQ(FindContaining(*db, "BERG", true).size(), 3u);
    // In an index order the rest follows that order.
    db->SetOrder(1);
    db->Seek(Usual(std::string("2")));
    EXPECT_EQ(FindContaining(*db, "BERG", false).size(), 2u);
    EXPECT_TRUE(db->EoF());
}

TEST_F(SeekRules, FullTextSkipsDeletedRecordsWhenTheyAreHidden) {
    auto db = Addresses({{"1", "Anna", "Berg"}, {"2", "Bernd", "Berger"}});
    db->GoTo(1);
    db->Delete();
    db->Commit();
    EXPECT_EQ(FindContaining(*db, "BERG", true).size(), 2u);
    SetDeleted(true);
    const auto hits = FindContaining(*db, "BERG", true);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].substr(0, 1), "2");
}

}  // namespace
}  // namespace kp

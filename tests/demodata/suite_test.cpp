// The suite's demo tables: they open through the data server, their
// indexes check out and find what the library seeks, the contract table is
// the one the plain generator writes, and the letters they register exist.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/data/check.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "tools/demodata/demodata.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}
fs::path Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}
std::string Bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class SuiteTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SetOemCodePage(850);
        SetAnsi(false);
        SetDeleted(false);
        SetExclusive(false);
        static std::atomic<int> n{0};
        dir_ = new fs::path(
            fs::temp_directory_path() /
            ("kpsuite-" +
             std::to_string(fs::file_time_type::clock::now().time_since_epoch().count() %
                            1000000007) +
             "-" + std::to_string(++n)));
        fs::create_directories(*dir_);
        summary_ = demo::WriteSuite(Utf8(*dir_ / "Daten"), 120, 3);
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(*dir_, ec);
        delete dir_;
    }
    static std::string File(const std::string& name) { return Utf8(*dir_ / "Daten" / name); }
    // A server on a table with all its indexes of the suite, in order.
    static std::unique_ptr<DBServer> Open(const std::string& table) {
        auto db = std::make_unique<DBServer>(File(table));
        EXPECT_TRUE(db->Used()) << table;
        for (const auto& t : demo::SuiteTables()) {
            if (t.file != table)
                continue;
            for (const auto& index : t.indexes) {
                EXPECT_TRUE(db->SetIndex(index.file)) << index.file;
            }
        }
        return db;
    }
    static std::string Text(DBServer& db, const char* field) {
        return Trim(db.FieldGet(Symbol(field)).AsString());
    }

    static fs::path* dir_;
    static demo::SuiteSummary summary_;
};
fs::path* SuiteTest::dir_ = nullptr;
demo::SuiteSummary SuiteTest::summary_;

TEST_F(SuiteTest, ContractTableIsThePlainGeneratorsByteForByte) {
    const fs::path plain = *dir_ / "Plain";
    fs::create_directories(plain);
    const demo::Summary s = demo::WriteVertrag(Utf8(plain), 120, 3);
    EXPECT_EQ(s.records, summary_.vertrag.records);
    EXPECT_EQ(s.row1, summary_.vertrag.row1);
    for (const char* f : {"Vertrag.DBF", "Vertrag.DBT", "Vertrag5.ntx", "Vertrag6.ntx"})
        EXPECT_EQ(Bytes(plain / f), Bytes(*dir_ / "Daten" / f)) << f;
}

TEST_F(SuiteTest, EveryTableAndIndexPassesTheCheck) {
    const auto tables = demo::SuiteTables();
    ASSERT_EQ(tables.size(), 8u);
    for (const auto& t : tables) {
        std::vector<std::string> ntx;
        for (const auto& index : t.indexes)
            ntx.push_back(File(index.file));
        const CheckReport rep = CheckTable(File(t.file), ntx, 850);
        EXPECT_TRUE(rep.Ok()) << t.file << ": " << (rep.faults.empty() ? "" : rep.faults[0]);
        EXPECT_GT(rep.records, 0u) << t.file;
        for (uint64_t keys : rep.indexKeys)
            EXPECT_EQ(keys, rep.records) << t.file;
    }
    EXPECT_EQ(summary_.adressen, summary_.kunden + 24);  // 120 / 5 prospects
    EXPECT_EQ(summary_.gesell, 12u);
    EXPECT_EQ(summary_.vermitt, 8u);
    EXPECT_EQ(summary_.dokVW, 6u);
    EXPECT_EQ(summary_.letters, 9u);
}

TEST_F(SuiteTest, EveryContractsCustomerIsAnAddress) {
    DBServer vertrag(File("Vertrag.DBF"));
    auto adressen = Open("Adressen.dbf");
    ASSERT_TRUE(adressen->SetOrder(1));
    std::set<std::string> numbers;
    for (vertrag.GoTop(); !vertrag.EoF(); vertrag.Skip()) {
        const std::string nr = Text(vertrag, "ADRESSNR");
        numbers.insert(nr);
        ASSERT_TRUE(adressen->Seek(Usual(nr))) << nr;
        EXPECT_EQ(Text(*adressen, "NNAME"), Text(vertrag, "NNAME"));
        EXPECT_TRUE(adressen->FieldGet(Symbol("KUNDE")).AsLogic());
    }
    EXPECT_EQ(numbers.size(), summary_.kunden);
    // Prospects and firms are there too; surnames seek in upper case.
    ASSERT_TRUE(adressen->SetOrder(2));
    int firms = 0, prospects = 0;
    for (adressen->GoTop(); !adressen->EoF(); adressen->Skip()) {
        prospects += adressen->FieldGet(Symbol("KUNDE")).AsLogic() ? 0 : 1;
        firms += Text(*adressen, "ANREDE") == "Firma" ? 1 : 0;
    }
    EXPECT_EQ(prospects, 24);
    EXPECT_EQ(firms, 8);
    ASSERT_TRUE(adressen->Seek(Usual(std::string("M"))));
    EXPECT_EQ(Left(Upper(Text(*adressen, "NNAME")), 1), "M");
}

TEST_F(SuiteTest, DocumentKeysFindTheirRunningNumbers) {
    auto dokName = Open("DokName.dbf");
    DBServer dokVW(File("DokVW.dbf"));
    dokVW.GoTop();
    const std::string customer = Text(dokVW, "ADRESSNR");
    ASSERT_EQ(customer.size(), 6u);

    ASSERT_TRUE(dokName->SetOrder(1));
    ASSERT_TRUE(dokName->Seek(Usual(customer + "HM2010")));
    EXPECT_EQ(Text(*dokName, "DOKLFDNR"), "0002");  // two letters to the first customer
    ASSERT_TRUE(dokName->SetOrder(2));
    ASSERT_TRUE(dokName->Seek(Usual(std::string("0042HANSEATICA2010"))));
    EXPECT_EQ(Text(*dokName, "GKURZ"), "HANSEATICA");
    EXPECT_EQ(Text(*dokName, "DOKLFDNR"), "0001");
    ASSERT_TRUE(dokName->SetOrder(3));
    ASSERT_TRUE(dokName->Seek(Usual(std::string("1001HM2010"))));
    EXPECT_EQ(Text(*dokName, "VERMITTNR"), "1001");
    EXPECT_FALSE(dokName->Seek(Usual(std::string("9999HM2010"))));
}

TEST_F(SuiteTest, RegistersFindTheirFilesAndNumbers) {
    auto dokVW = Open("DokVW.dbf");
    dokVW->SetOrder(0);
    std::vector<std::string> ablage;
    for (dokVW->GoTop(); !dokVW->EoF(); dokVW->Skip())
        ablage.push_back(Text(*dokVW, "ABLAGE"));
    ASSERT_EQ(ablage.size(), 6u);
    ASSERT_TRUE(dokVW->SetOrder(5));
    for (const auto& full : ablage) {
        EXPECT_TRUE(dokVW->Seek(Usual(full))) << full;
        EXPECT_TRUE(fs::exists(Path(full))) << full;
        EXPECT_EQ(Bytes(Path(full)).rfind("{\\rtf1", 0), 0u) << full;
    }
    ASSERT_TRUE(dokVW->SetOrder(7));
    dokVW->GoBottom();
    EXPECT_EQ(dokVW->FieldGet(Symbol("DOKNR")).AsLong(), 6);

    auto textVor = Open("TextVor.dbf");
    ASSERT_TRUE(textVor->SetOrder(4));
    textVor->GoBottom();
    EXPECT_EQ(textVor->FieldGet(Symbol("VORNR")).AsLong(), 3);
    const std::string vorlage = Text(*textVor, "ABLAGE");
    EXPECT_TRUE(fs::exists(Path(vorlage)));
    ASSERT_TRUE(textVor->SetOrder(3));
    EXPECT_TRUE(textVor->Seek(Usual(vorlage)));

    // A resubmission points at its document.
    auto datWV = Open("DatWV.dbf");
    datWV->GoTop();
    const int32_t doknr = datWV->FieldGet(Symbol("DDOKNR")).AsLong();
    ASSERT_TRUE(dokVW->Seek(Usual(doknr)));
    EXPECT_EQ(Text(*dokVW, "ABLAGE"), Text(*datWV, "DABLAGE"));
    EXPECT_EQ(DToS(dokVW->FieldGet(Symbol("WVDATUM")).AsDate()),
              DToS(datWV->FieldGet(Symbol("TAG")).AsDate()));
    EXPECT_EQ(DToS(datWV->FieldGet(Symbol("TAG")).AsDate()), "20100215");
}

TEST_F(SuiteTest, InsurersAndBrokersSeekByNumber) {
    auto gesell = Open("GesellA.dbf");
    ASSERT_TRUE(gesell->SetOrder(2));
    ASSERT_TRUE(gesell->Seek(Usual(std::string("0042"))));
    EXPECT_EQ(Text(*gesell, "GESELL"), "Hanseatica AG");
    // The filing dialog keeps the first 15 characters of "GESELL SPARTE GESNR"
    // and the first 12 of "BETREUNR NNAME VNAME": the fields are that wide.
    EXPECT_EQ(Utf8Length(gesell->FieldGet(Symbol("GESELL")).AsString()), 15u);
    auto vermitt = Open("Vermitt.dbf");
    ASSERT_TRUE(vermitt->SetOrder(2));
    ASSERT_TRUE(vermitt->Seek(Usual(std::string("1003        "))));
    EXPECT_EQ(Text(*vermitt, "NNAME"), "Görtz");
    EXPECT_EQ(Utf8Length(vermitt->FieldGet(Symbol("BETREUNR")).AsString()), 12u);
    ASSERT_TRUE(vermitt->SetOrder(1));
    ASSERT_TRUE(vermitt->Seek(Usual(std::string("1006"))));
    EXPECT_EQ(Text(*vermitt, "VNAME"), "Ömer");
}

TEST_F(SuiteTest, SameSeedSameTables) {
    const fs::path again = *dir_ / "Nochmal";
    fs::create_directories(again);
    const demo::SuiteSummary s = demo::WriteSuite(Utf8(again), 120, 3);
    EXPECT_EQ(s.adressen, summary_.adressen);
    // The registers name their files by full path, so compare the others.
    for (const char* f : {"Adressen.dbf", "Adressen.dbt", "Adrename.ntx", "GesellA.dbf",
                          "Vermitt.dbf", "DokName.dbf", "DokName2.ntx"})
        EXPECT_EQ(Bytes(again / f), Bytes(*dir_ / "Daten" / f)) << f;
}

}  // namespace
}  // namespace kp

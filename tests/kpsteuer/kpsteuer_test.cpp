// kpsteuer as the administrator runs it: the program itself in a second
// process on tables in temporary folders, natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "kpsteuer/VSteuerProtokoll.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "tests/common/temp_folder.h"
#include "tests/data/proc.h"
#include "tools/demodata/demodata.h"

namespace kp {
namespace {

namespace fs = std::filesystem;
using test::Process;

std::string Bytes(const std::string& path) {
    std::ifstream f(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream f(fs::path(path), std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int RunKpsteuer(const std::vector<std::string>& args) {
    // A loaded Wine now and then refuses a process start at once.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (auto p = Process::Start("kpsteuer", args))
            return p->Wait();
        test::SleepMillis(500);
    }
    ADD_FAILURE() << "kpsteuer cannot be started";
    return -1;
}

// The files of one kind in a folder, oldest first (the names carry the time).
std::vector<std::string> Files(const test::TempFolder& dir, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        if (e.path().filename().string().rfind(prefix, 0) == 0)
            out.push_back(e.path().string());
    // "...-120000.csv" before "...-120000-2.csv".
    auto key = [](std::string n) { return n.replace(n.size() - 4, 4, "-1.csv"); };
    std::sort(out.begin(), out.end(),
              [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
    return out;
}

// The contract lines of a preview or protocol without their check cells.
std::vector<std::string> DataRows(const std::string& path) {
    std::vector<std::string> rows;
    const std::string text = Bytes(path);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])))
            rows.push_back(line.substr(0, line.rfind(';')));
        at = end + 2;
    }
    return rows;
}

// Lines of a file that start with a cell.
std::vector<std::string> LinesOf(const std::string& path, const std::string& first) {
    std::vector<std::string> out;
    const std::string text = Bytes(path);
    for (size_t at = 0; (at = text.find("\r\n" + first, at)) != std::string::npos; at += 2)
        out.push_back(text.substr(at + 2, text.find("\r\n", at + 2) - at - 2));
    return out;
}

struct Layout {
    uint32_t hdr = 0, len = 0, count = 0;
    explicit Layout(const std::string& b)
        : hdr(static_cast<uint8_t>(b[8]) | static_cast<uint8_t>(b[9]) << 8),
          len(static_cast<uint8_t>(b[10]) | static_cast<uint8_t>(b[11]) << 8),
          count(static_cast<uint32_t>((b.size() - hdr) / len)) {}
    std::string Record(const std::string& b, uint32_t r) const {
        return b.substr(hdr + (r - 1) * len, len);
    }
};

// The table with its memo file.
void CopyTable(const test::TempFolder& from, const test::TempFolder& to) {
    for (const char* f : {"Vertrag.DBF", "Vertrag.DBT"})
        if (fs::exists(from.File(f)))
            fs::copy_file(from.File(f), to.File(f));
}

class Kpsteuer : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(true);
        SetAnsi(false);
        table = dir.File("Vertrag.DBF");
    }
    // The table python's dbf package wrote for this test run (the test
    // script makes it), else one of the demo generator.
    void PythonTable() {
        const char* made = std::getenv("KPSTEUER_PYTABLE");
        if (!made || !*made)
            GTEST_SKIP() << "KPSTEUER_PYTABLE is not set (the test script sets it)";
        fs::copy_file(made, table);
    }
    void DemoTable(uint32_t records, uint64_t seed) {
        demo::WriteVertrag(dir.Folder(), records, seed, false, 8);
    }
    std::string Protocol() {
        auto f = Files(dir, "VSteuer-Protokoll-");
        return f.empty() ? std::string() : f.back();
    }

    test::TempFolder dir{"kpsteuer_"};
    std::string table;
};

TEST_F(Kpsteuer, PruefenAnpassenZurueckGiveTheTableBackByteForByte) {
    PythonTable();
    const std::string original = Bytes(table);

    ASSERT_EQ(RunKpsteuer({"pruefen", dir.Folder()}), 0);
    EXPECT_TRUE(Bytes(table) == original);  // the preview changes nothing
    const auto previews = Files(dir, "VSteuer-Vorschau-");
    ASSERT_EQ(previews.size(), 1u);
    const std::vector<std::string> preview = DataRows(previews[0]);
    ASSERT_GT(preview.size(), 20u);
    // The spellings the rules do not take are listed as near misses.
    const auto near = LinesOf(previews[0], "\"Beinahe\"");
    EXPECT_TRUE(std::any_of(near.begin(), near.end(), [](const std::string& l) {
        return l.find("\"WOHNGEB.\"") != std::string::npos &&
               l.find("Schreibweise") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(near.begin(), near.end(), [](const std::string& l) {
        return l.find("\"WOHNGEBAEUDE\"") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(near.begin(), near.end(), [](const std::string& l) {
        return l.find("keiner der alten oder neuen") != std::string::npos;
    }));
    // 19 % is the general rate, not a slip.
    EXPECT_TRUE(std::none_of(near.begin(), near.end(), [](const std::string& l) {
        return l.find("Satz 19,00") != std::string::npos;
    }));

    ASSERT_EQ(RunKpsteuer({"anpassen", dir.Folder()}), 0);
    const std::string converted = Bytes(table);
    EXPECT_TRUE(converted != original);
    EXPECT_EQ(DataRows(Protocol()), preview);
    // A second run finds nothing more to do and writes an empty protocol.
    ASSERT_EQ(RunKpsteuer({"anpassen", dir.Folder()}), 0);
    EXPECT_TRUE(DataRows(Protocol()).empty());
    EXPECT_TRUE(Bytes(table) == converted);

    const std::string protocol = Files(dir, "VSteuer-Protokoll-").front();
    ASSERT_EQ(RunKpsteuer({"zurueck", protocol}), 0);
    EXPECT_TRUE(Bytes(table) == original);
    const auto back = Files(dir, "VSteuer-Zurueck-");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(DataRows(back[0]).size(), preview.size());
    // The way back's own protocol leads forward again.
    ASSERT_EQ(RunKpsteuer({"zurueck", back[0]}), 0);
    EXPECT_TRUE(Bytes(table) == converted);
}

TEST_F(Kpsteuer, ARecordChangedSinceIsAConflictAndKeepsItsValue) {
    DemoTable(3000, 11);
    const std::string original = Bytes(table);
    ASSERT_EQ(RunKpsteuer({"anpassen", dir.Folder()}), 0);
    const auto rows = DataRows(Protocol());
    ASSERT_GT(rows.size(), 10u);
    const uint32_t changed = static_cast<uint32_t>(std::stoul(rows[5]));
    {
        DBServer db(table);
        ASSERT_TRUE(db.GoTo(changed));
        db.FieldPut(Symbol("BEITRAG"), Usual(4711.0));
        db.Close();
    }
    const std::string edited = Bytes(table);
    ASSERT_EQ(RunKpsteuer({"zurueck", Protocol()}), 1);
    const std::string after = Bytes(table);
    const Layout l(after);
    for (uint32_t r = 1; r <= l.count; ++r)
        ASSERT_EQ(l.Record(after, r), l.Record(r == changed ? edited : original, r))
            << "record " << r;
    const auto conflicts = LinesOf(Files(dir, "VSteuer-Zurueck-").front(), "\"Konflikt\"");
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].find("\"Konflikt\";" + std::to_string(changed) + ";"), 0u);
}

TEST_F(Kpsteuer, ADamagedOrForeignProtocolChangesNothing) {
    DemoTable(2000, 12);
    ASSERT_EQ(RunKpsteuer({"anpassen", dir.Folder()}), 0);
    const std::string converted = Bytes(table);
    const std::string good = Bytes(Protocol());
    const std::string path = dir.File("falsch.csv");

    std::string digit = good;  // one figure of a contract changed
    const size_t at = digit.find("\r\n1");
    ASSERT_NE(at, std::string::npos);
    digit[digit.find(',', digit.find(";\" ", at)) + 1] ^= 1;
    std::string dropped = good;  // one contract line taken out
    const size_t line = dropped.find("\r\n", at + 2);
    dropped.erase(at, line - at);
    std::string resaved = good;  // saved again without the byte order mark
    resaved.erase(0, 3);
    for (const std::string& bad :
         {digit, dropped, resaved, std::string(), std::string("Datensatz;VSTEUER\r\n1;18\r\n"),
          good.substr(0, 40)}) {
        Put(path, bad);
        EXPECT_EQ(RunKpsteuer({"zurueck", path}), 2);
        EXPECT_TRUE(Bytes(table) == converted);
    }
    EXPECT_TRUE(Files(dir, "VSteuer-Zurueck-").empty());
    // A preview changed nothing, so there is nothing to take back.
    ASSERT_EQ(RunKpsteuer({"pruefen", dir.Folder()}), 0);
    EXPECT_EQ(RunKpsteuer({"zurueck", Files(dir, "VSteuer-Vorschau-").front()}), 2);
    EXPECT_EQ(RunKpsteuer({"zurueck", dir.File("fehlt.csv")}), 2);
    EXPECT_EQ(RunKpsteuer({"umstellen", dir.Folder()}), 2);
    EXPECT_TRUE(Bytes(table) == converted);
}

// Records whose bytes differ between two copies of a table.
std::set<uint32_t> Differing(const std::string& a, const std::string& b) {
    std::set<uint32_t> out;
    const Layout l(a);
    for (uint32_t r = 1; r <= l.count; ++r)
        if (l.Record(a, r) != l.Record(b, r))
            out.insert(r);
    return out;
}

// The records a protocol says were changed: its confirmed runs, and of an
// unconfirmed last run (a kill between protocol and table) those the table
// holds the new values of.
std::set<uint32_t> Named(const std::string& protocol, const std::string& table) {
    std::set<uint32_t> out;
    ProtokollLeser reader;
    std::string error;
    EXPECT_TRUE(reader.Open(protocol, &error)) << error;
    const std::string bytes = Bytes(table);
    const Layout l(bytes);
    ProtokollEintrag e;
    while (reader.Next(&e)) {
        const std::string rec = l.Record(bytes, e.restore.recNo);
        // VSTEUER, VSTEUERDM and BEITRAG of the demo table are one run of
        // bytes: compare the new texts in a row.
        const std::string want = e.restore.to[0] + e.restore.to[1] + e.restore.to[2];
        const bool isNew = rec.find(want) != std::string::npos;
        if (e.confirmed) {
            EXPECT_TRUE(isNew) << "record " << e.restore.recNo;
        }
        if (e.confirmed || isNew)
            out.insert(e.restore.recNo);
    }
    return out;
}

TEST_F(Kpsteuer, KilledAtRandomPointsEveryRecordIsOldOrNewAndTheProtocolSaysWhich) {
    DemoTable(120000, 13);
    const std::string original = Bytes(table);
    // The table fully converted, and how long that takes.
    test::TempFolder refDir("kpsteuer_ref_");
    CopyTable(dir, refDir);
    const int64_t t0 = NowMs();
    ASSERT_EQ(RunKpsteuer({"anpassen", refDir.Folder()}), 0);
    const int64_t took = std::max<int64_t>(20, NowMs() - t0);
    const std::string reference = Bytes(refDir.File("Vertrag.DBF"));
    const std::set<uint32_t> all = Differing(original, reference);
    ASSERT_GT(all.size(), 1000u);

    std::mt19937 rnd(4711);
    auto killSomewhere = [&](const std::vector<std::string>& args) {
        auto p = Process::Start("kpsteuer", args);
        ASSERT_TRUE(p);
        test::SleepMillis(static_cast<int>(rnd() % static_cast<uint32_t>(took)));
        p->Kill();
        p->Wait();
    };
    auto expectOldOrNew = [&](const std::string& now) {
        const Layout l(now);
        for (uint32_t r = 1; r <= l.count; ++r) {
            const std::string rec = l.Record(now, r);
            ASSERT_TRUE(rec == l.Record(original, r) || rec == l.Record(reference, r))
                << "record " << r << " is half converted";
        }
    };

    // Killed conversions: each protocol names exactly what it changed.
    std::set<uint32_t> named;
    std::string before = original;
    for (int run = 0; run < 4; ++run) {
        const size_t had = Files(dir, "VSteuer-Protokoll-").size();
        killSomewhere({"anpassen", dir.Folder()});
        const std::string now = Bytes(table);
        expectOldOrNew(now);
        const std::set<uint32_t> changed = Differing(before, now);
        // Killed before its protocol had its heading, a run changed nothing.
        if (Files(dir, "VSteuer-Protokoll-").size() == had || fs::file_size(Protocol()) == 0) {
            EXPECT_TRUE(changed.empty()) << "run " << run;
            if (Files(dir, "VSteuer-Protokoll-").size() > had)
                fs::remove(Protocol());
        } else {
            EXPECT_EQ(Named(Protocol(), table), changed) << "run " << run;
        }
        named.insert(changed.begin(), changed.end());
        before = now;
        test::SleepMillis(1100);  // a new protocol name
    }
    ASSERT_EQ(RunKpsteuer({"anpassen", dir.Folder()}), 0);
    EXPECT_TRUE(Bytes(table) == reference);

    // Killed ways back, then each protocol taken back in full, newest first.
    auto protocols = Files(dir, "VSteuer-Protokoll-");
    std::reverse(protocols.begin(), protocols.end());
    for (size_t i = 0; i < protocols.size(); ++i) {
        if (i < 3) {
            killSomewhere({"zurueck", protocols[i]});
            expectOldOrNew(Bytes(table));
        }
        ASSERT_EQ(RunKpsteuer({"zurueck", protocols[i]}), 0) << protocols[i];
        expectOldOrNew(Bytes(table));
    }
    EXPECT_TRUE(Bytes(table) == original);
}

TEST_F(Kpsteuer, ARecordHeldByAnotherProgramIsListedAsLeftAndTheRestConverted) {
    DemoTable(3000, 14);
    const std::string original = Bytes(table);
    test::TempFolder refDir("kpsteuer_ref_");
    CopyTable(dir, refDir);
    ASSERT_EQ(RunKpsteuer({"anpassen", refDir.Folder()}), 0);
    const std::string reference = Bytes(refDir.File("Vertrag.DBF"));
    const std::set<uint32_t> affected = Differing(original, reference);
    ASSERT_GT(affected.size(), 10u);
    const uint32_t held = *std::next(affected.begin(), static_cast<long>(affected.size() / 2));

    // The other program holds the record's lock as the Windows programs do.
    const std::string ready = dir.File("ready"), release = dir.File("release");
    auto holder =
        Process::Start("conv_helper", {"hold", table, std::to_string(held), ready, release});
    ASSERT_TRUE(holder);
    for (int i = 0; i < 3000 && !test::FileExists(ready); ++i)
        test::SleepMillis(10);
    ASSERT_TRUE(test::FileExists(ready));
    const int rc = RunKpsteuer({"anpassen", "--warten", "1", dir.Folder()});
    Put(release, "go");
    EXPECT_EQ(holder->Wait(), 0);
    EXPECT_EQ(rc, 1);

    const std::string now = Bytes(table);
    std::set<uint32_t> changed = Differing(original, now);
    std::set<uint32_t> rest = affected;
    rest.erase(held);
    EXPECT_EQ(changed, rest);
    const auto left = LinesOf(Protocol(), "\"gesperrt\"");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].find("\"gesperrt\";" + std::to_string(held) + ";"), 0u);
    // Once it is free, a new run converts it.
    test::SleepMillis(1100);
    ASSERT_EQ(RunKpsteuer({"anpassen", dir.Folder()}), 0);
    EXPECT_TRUE(Bytes(table) == reference);
}

// The cells that name a contract come straight from the record's bytes: in
// UTF-8 from the table's code page, trailing blanks gone, quotes doubled,
// line breaks as blanks, an empty cell for a field the record leaves blank;
// a number field is no name (KUNDENNR here).
TEST_F(Kpsteuer, TheProtocolNamesEachContractAsItsFieldsReadInTheTablesCodePage) {
    for (const int cp : {850, 1252}) {
        SCOPED_TRACE(cp);
        std::filesystem::remove(table);
        Table::Create(table,
                      {{"VERTRAGNR", 'C', 10, 0},
                       {"NNAME", 'C', 20, 0},
                       {"VERSSPARTE", 'C', 20, 0},
                       {"KUNDENNR", 'N', 8, 0},
                       {"VSTEUER", 'N', 6, 2},
                       {"VSTEUERDM", 'N', 10, 2},
                       {"BEITRAG", 'N', 12, 2}},
                      cp);
        const std::vector<std::vector<std::string>> rows{
            {"V1", "Müller-Lüdenscheidt", "  Wohngebäude", "17.75"},
            {"V2", "O\"Brien \"Sen.\"", "Hausrat", "18.00"},
            {"V3", "Zeile\r\nzwei", "HAUSRAT", "18.00"},
            {"", "", "Hausrat", "18.00"},
        };
        {
            DBServer db(table);
            for (const auto& row : rows) {
                db.Append();
                db.FieldPut(Symbol("VERTRAGNR"), Usual(row[0]));
                db.FieldPut(Symbol("NNAME"), Usual(row[1]));
                db.FieldPut(Symbol("VERSSPARTE"), Usual(row[2]));
                db.FieldPut(Symbol("VSTEUER"), Usual(std::stod(row[3])));
            }
            db.Commit();
        }
        DBServer db(table);
        std::string error;
        auto protocol = VSteuerProtokoll::Create(db, ProtokollArt::Anpassen, &error);
        ASSERT_TRUE(protocol) << error;
        RecordBlock block;
        ASSERT_EQ(db.ReadBlock(1, 4, block), 4u);
        for (uint32_t r = 1; r <= 4; ++r)
            protocol->Changing(r, 0, block.Record(r), block.Record(r));
        ASSERT_TRUE(protocol->Keep());
        protocol->Written();
        ASSERT_TRUE(protocol->Finish());
        const std::string path = protocol->Path();
        protocol.reset();
        const std::vector<std::string> want{
            "1;\"V1\";\"Müller-Lüdenscheidt\";\"  Wohngebäude\";",
            "2;\"V2\";\"O\"\"Brien \"\"Sen.\"\"\";\"Hausrat\";",
            "3;\"V3\";\"Zeile  zwei\";\"HAUSRAT\";",
            "4;\"\";\"\";\"Hausrat\";",
        };
        const std::vector<std::string> rowsRead = DataRows(path);
        ASSERT_EQ(rowsRead.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_EQ(rowsRead[i].substr(0, want[i].size()), want[i]);
        {
            // What the way back reads of it: the numbers as stored.
            ProtokollLeser reader;
            ASSERT_TRUE(reader.Open(path, &error)) << error;
            ProtokollEintrag entry;
            ASSERT_TRUE(reader.Next(&entry));
            EXPECT_EQ(entry.restore.recNo, 1u);
            EXPECT_EQ(entry.restore.from[0], " 17.75");
        }
        std::filesystem::remove(path);
    }
}

// The check cells' CRC: the check value of the zip/PNG polynomial, and a
// text checked in two pieces gives the same as checked whole, for every
// split and length around the eight-byte steps.
TEST(ProtokollCrc, IsTheZipCrcAndContinuesAcrossPieces) {
    EXPECT_EQ(Crc32(0, "123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(0, ""), 0u);
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += static_cast<char>(0x30 + (i * 37) % 200);
    for (size_t len = 0; len <= text.size(); ++len) {
        const std::string_view whole(text.data(), len);
        uint32_t bitwise = ~0u;  // one bit at a time, as the polynomial says
        for (unsigned char b : whole) {
            bitwise ^= b;
            for (int k = 0; k < 8; ++k)
                bitwise = (bitwise & 1) ? 0xEDB88320u ^ (bitwise >> 1) : bitwise >> 1;
        }
        ASSERT_EQ(Crc32(0, whole), ~bitwise) << len;
        for (size_t cut = 0; cut <= len; ++cut)
            ASSERT_EQ(Crc32(Crc32(0, whole.substr(0, cut)), whole.substr(cut)), ~bitwise)
                << len << " cut at " << cut;
    }
}

}  // namespace
}  // namespace kp

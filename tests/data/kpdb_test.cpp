// The admin tool's operations on damaged and unusual files: an index rebuild
// that fails or is killed leaves the old index whole and no scratch files;
// the dump prints every byte of a field on the record's one line; a memo
// without an end is found broken once, not once per record.
#include "platform/data/check.h"
#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/data/ntx.h"
#include "tests/data/fixtures.h"
#include "tools/kpdb/dump.h"

namespace kp::test {
namespace {

class KpdbTest : public DataTest {
  protected:
    // K C(10), D D: `n` records "K<i>" with a valid date.
    std::string MakeDated(int n) {
        std::string p = dir_ + "t.dbf";
        Table::Create(p, {{"K", 'C', 10, 0}, {"D", 'D', 8, 0}}, 850);
        TableOptions o;
        o.exclusive = true;
        auto t = Table::Open(p, o);
        std::vector<char> rec(t->RecLen());
        for (int i = 0; i < n; ++i) {
            t->BlankRecord(rec.data());
            t->PutValue(rec.data(), 0, Usual("K" + std::to_string(i)));
            t->PutValue(rec.data(), 1, Usual(Date::FromYMD(2010, 1, 1 + i % 28)));
            t->AppendRecords(rec.data(), 1);
        }
        return p;
    }
    // Overwrites bytes of record r (1-based) at `offset` within it.
    void Patch(const std::string& dbf, uint32_t r, size_t offset, const std::string& bytes) {
        std::string b = ReadFile(dbf);
        auto t = Table::Open(dbf, TableOptions{});
        size_t at = t->HdrLen() + (r - 1) * t->RecLen() + offset;
        t.reset();
        b.replace(at, bytes.size(), bytes);
        WriteFile(dbf, b);
    }
    std::vector<std::string> Dump(const std::string& dbf) {
        auto t = Table::Open(dbf, TableOptions{});
        std::vector<std::string> lines;
        DumpTable(*t, false, [&](const std::string& l) { lines.push_back(l); });
        return lines;
    }
};

TEST_F(KpdbTest, AFailedRebuildKeepsTheOldIndexAndLeavesNoScratchFiles) {
    std::string p = MakeDated(50);
    std::string ip = dir_ + "d.ntx";
    {
        auto t = Table::Open(p, TableOptions{});
        NtxIndex::Create(ip, *t, "DTOS(D)+K", false);
    }
    const std::string before = ReadFile(ip);
    ASSERT_EQ(before.size() % 1024, 0u);
    Patch(p, 37, 11, "2010x301");  // a damaged date in one record
    {
        auto t = Table::Open(p, TableOptions{});
        EXPECT_THROW(NtxIndex::Create(ip, *t, "DTOS(D)+K", false), DbError);
    }
    EXPECT_EQ(ReadFile(ip), before);
    EXPECT_FALSE(FileExists(ip + ".new"));
    EXPECT_FALSE(FileExists(ip + ".srt"));
    // The old index is still usable: the undamaged records are found.
    CheckReport rep = CheckTable(p, {ip}, 850);
    EXPECT_EQ(rep.indexKeys[0], 50u);
}

TEST_F(KpdbTest, ScratchFilesOfAKilledRebuildAreClearedByTheNextOne) {
    std::string p = MakeDated(30);
    std::string ip = dir_ + "k.ntx";
    // What a build killed half-way leaves: a partial tree and sorted runs.
    WriteFile(ip + ".new", std::string(3000, 'x'));
    WriteFile(ip + ".srt", std::string(777, 'y'));
    {
        auto t = Table::Open(p, TableOptions{});
        NtxIndex::Create(ip, *t, "K", false);
    }
    EXPECT_FALSE(FileExists(ip + ".new"));
    EXPECT_FALSE(FileExists(ip + ".srt"));
    CheckReport rep = CheckTable(p, {ip}, 850);
    EXPECT_TRUE(rep.Ok()) << rep.faults[0];
    EXPECT_EQ(rep.indexKeys[0], 30u);
}

TEST_F(KpdbTest, AKilledRebuildLeavesAWholeIndexAndTheNextBuildClearsItsScratch) {
    // Enough keys for the sort to spill runs into its scratch file.
    std::string p = dir_ + "big.dbf";
    Table::Create(p, {{"K", 'C', 10, 0}}, 850);
    {
        TableOptions o;
        o.exclusive = true;
        auto t = Table::Open(p, o);
        const uint32_t n = 260000;
        std::vector<char> recs;
        recs.reserve(size_t{n} * t->RecLen());
        std::vector<char> rec(t->RecLen());
        for (uint32_t i = 0; i < n; ++i) {
            t->BlankRecord(rec.data());
            t->PutValue(rec.data(), 0, Usual("K" + std::to_string((i * 7919u) % n)));
            recs.insert(recs.end(), rec.begin(), rec.end());
        }
        t->AppendRecords(recs.data(), n);
        NtxIndex::Create(dir_ + "big.ntx", *t, "K", false);
    }
    const std::string ip = dir_ + "big.ntx";
    for (int round = 0; round < 3; ++round) {
        std::string ready = dir_ + "ready" + std::to_string(round);
        auto helper = Process::StartHelper({"reindex", p, ip, ready});
        ASSERT_TRUE(helper);
        for (int i = 0; i < 1500 && !FileExists(ready); ++i)
            SleepMillis(10);
        ASSERT_TRUE(FileExists(ready));
        SleepMillis(60 + 230 * round);
        helper->Kill();
        helper->Wait();
        // The old index or a complete new one, never a part of one.
        CheckReport rep = CheckTable(p, {ip}, 850);
        EXPECT_TRUE(rep.Ok()) << round << ": " << rep.faults[0];
        EXPECT_EQ(rep.indexKeys[0], 260000u) << round;
    }
    auto t = Table::Open(p, TableOptions{});
    NtxIndex::Create(ip, *t, "K", false);
    EXPECT_FALSE(FileExists(ip + ".new"));
    EXPECT_FALSE(FileExists(ip + ".srt"));
    EXPECT_TRUE(CheckTable(p, {ip}, 850).Ok());
}

TEST_F(KpdbTest, ARebuildOfAnIndexAnotherProgramHasOpenIsRefusedAndChangesNothing) {
    std::string p = MakeDated(10);
    std::string ip = dir_ + "o.ntx";
    auto t = Table::Open(p, TableOptions{});
    NtxIndex::Create(ip, *t, "K", false);
    const std::string before = ReadFile(ip);
    auto other = NtxIndex::Open(ip, *t, NtxIndex::Options{});
    try {
        NtxIndex::Create(ip, *t, "DTOS(D)", false);
        ADD_FAILURE() << "rebuilt an index in use";
    } catch (const DbError& e) {
        EXPECT_EQ(e.genCode, EG_CREATE);
        EXPECT_NE(e.description.find("anderes Programm"), std::string::npos);
    }
    other.reset();
    EXPECT_EQ(ReadFile(ip), before);
    EXPECT_FALSE(FileExists(ip + ".new"));
}

TEST_F(KpdbTest, DumpPrintsWholeFieldsAndEscapesSeparatorsAndLineBreaks) {
    std::string p = dir_ + "m.dbf";
    Table::Create(p, {{"A", 'C', 6, 0}, {"B", 'C', 4, 0}, {"M", 'M', 10, 0}, {"N", 'N', 5, 1}},
                  850);
    {
        TableOptions o;
        o.exclusive = true;
        auto t = Table::Open(p, o);
        std::vector<char> rec(t->RecLen());
        t->BlankRecord(rec.data());
        t->PutValue(rec.data(), 0, Usual(std::string("ä\0b|c", 6)));
        t->PutValue(rec.data(), 1, Usual(std::string("x\r\ny")));
        t->PutValue(rec.data(), 2, Usual(std::string("m|1\nz")));
        t->PutValue(rec.data(), 3, Usual(2.5));
        t->AppendRecords(rec.data(), 1);
    }
    std::vector<std::string> lines = Dump(p);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "RECNO|DEL|A|B|M|N");
    EXPECT_EQ(lines[1], "1| |ä\\0b\\|c|x\\r\\ny|m\\|1\\nz|2.5");
}

TEST_F(KpdbTest, AMemoWithoutAnEndIsScannedOnceForAllItsReferences) {
    // Block 1 starts a run of more than the longest memo without a marker;
    // records 1-3 point into it, record 4 at a good memo after it.
    const size_t kRun = (64u << 20) + 4096;
    std::string dbt(512, '\0');
    dbt[0] = 5;
    dbt += std::string(kRun, 'x');
    dbt.resize((dbt.size() + 511) / 512 * 512, 'x');
    const size_t good = dbt.size() / 512;
    dbt += std::string("fine\x1A\x1A") + std::string(506, '\0');
    WriteFile(dir_ + "m.dbt", dbt);
    RawDbf d;
    d.version = 0x83;
    d.fields = {{"MEMO", 'M', 10, 0}};
    auto ref = [](size_t block) {
        std::string s = std::to_string(block);
        return " " + std::string(10 - s.size(), ' ') + s;
    };
    d.records = {ref(1), ref(2), ref(1), ref(good)};
    WriteFile(dir_ + "m.dbf", d.Bytes());

    const std::vector<std::string> lines = Dump(dir_ + "m.dbf");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1].substr(0, 5), "1| |<");
    EXPECT_EQ(lines[4], "4| |fine");
    auto t = Table::Open(dir_ + "m.dbf", TableOptions{});
    EXPECT_THROW(t->ReadMemo(1), DbError);
    // Plant an end in block 2 without changing the file's size: a memo that
    // is read again would now end there. Being remembered as broken, blocks
    // 1 and 2 are refused without reading.
    {
        auto f =
            OsFile::Open(dir_ + "m.dbt", OsFile::Share::Shared, OsFile::Access::ReadWrite, nullptr);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->WriteAt(2 * 512 + 3, "\x1A", 1));
    }
    EXPECT_THROW(t->ReadMemo(2), DbError);
    EXPECT_THROW(t->ReadMemo(1), DbError);
    EXPECT_EQ(t->ReadMemo(static_cast<uint32_t>(good)), "fine");
    // A memo file that changed is read afresh.
    {
        auto f =
            OsFile::Open(dir_ + "m.dbt", OsFile::Share::Shared, OsFile::Access::ReadWrite, nullptr);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->WriteAt(dbt.size(), std::string(512, '\0').data(), 512));
    }
    EXPECT_EQ(t->ReadMemo(2), "xxx");
    EXPECT_EQ(t->ReadMemo(1).size(), 512u + 3u);
}

}  // namespace
}  // namespace kp::test

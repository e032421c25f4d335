// The batched conversion beside another program on the same table: a
// record held elsewhere waits alone (retry and break), a run being written
// is refused to others, and a conversion killed at random points leaves
// every record old or new.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/VSteuerUmstellung.h"
#include "platform/data/check.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "tests/app/test_support.h"
#include "tests/data/proc.h"
#include "tools/demodata/demodata.h"

namespace kp {
namespace {

using test::Contract;
using test::Process;

class TwoPrograms : public ::testing::Test, public test::ErrorSysFixture {
  protected:
    void SetUp() override {
        SetDeleted(true);
        SetExclusive(false);
        SetAnsi(false);
        path = dir.File("Vertrag.DBF");
    }
    // Every third record is no contract of the conversion, the others are
    // "HAUSRAT" at 18 %.
    void MakeTable(uint32_t n) {
        std::vector<Contract> rows;
        for (uint32_t r = 1; r <= n; ++r)
            rows.push_back(Affected(r) ? Contract{"HAUSRAT", 18, 18, 118}
                                       : Contract{"KFZ", 19, 19, 119});
        test::MakeVertrag(path, rows);
    }
    static bool Affected(uint32_t r) { return r % 3 != 0; }
    bool WaitForFile(const std::string& f) {
        for (int i = 0; i < 3000 && !test::FileExists(f); ++i)
            test::SleepMillis(10);
        return test::FileExists(f);
    }
    // Affected records up to `held` (exclusive) are converted, the others
    // are as they were.
    void ExpectConvertedBefore(uint32_t held, uint32_t n) {
        const std::string bytes = test::ReadBytes(path);
        for (uint32_t r = 1; r <= n; ++r) {
            const char* want = !Affected(r) ? " 19.00" : r < held ? " 16.15" : " 18.00";
            ASSERT_EQ(test::RawField(bytes, r, "VSTEUER"), want) << "record " << r;
        }
    }
    std::string path;
};

constexpr uint32_t kRecords = 1200;
constexpr uint32_t kHeld = 502;  // in the middle of the second run

TEST_F(TwoPrograms, AHeldRecordWaitsAloneAndRetryConvertsItAfterTheRelease) {
    MakeTable(kRecords);
    const std::string ready = dir.File("ready"), release = dir.File("release");
    auto helper =
        Process::Start("conv_helper", {"hold", path, std::to_string(kHeld), ready, release});
    ASSERT_TRUE(helper);
    ASSERT_TRUE(WaitForFile(ready));

    DBServer db(path);
    db.SetLockTimeout(100);
    VSteuerUmstellung walk(db);
    const uint32_t total = walk.Count().Total();
    ASSERT_EQ(total, 800u);
    host.answer = [&](const test::FakeHost::Box& b) {
        EXPECT_EQ(b.retryFlag, 2u);
        // The walk waits at the held record: all before it is converted.
        ExpectConvertedBefore(kHeld, kRecords);
        test::WriteBytes(release, "go");
        EXPECT_EQ(helper->Wait(), 0);
        return 2;  // retry
    };
    const IoCounts before = db.Io();
    const auto result = walk.Convert(total, nullptr);
    const IoCounts io = db.Io() - before;
    db.Close();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(result.converted, total);
    EXPECT_EQ(result.skipped, 0u);
    ExpectConvertedBefore(kRecords + 1, kRecords);
    // Only the run of the held record went record by record.
    EXPECT_LT(io.writes, total / 2);
}

TEST_F(TwoPrograms, BreakLeavesExactlyTheHeldRecordAndTheOnesAfterIt) {
    MakeTable(kRecords);
    const std::string ready = dir.File("ready"), release = dir.File("release");
    auto helper =
        Process::Start("conv_helper", {"hold", path, std::to_string(kHeld), ready, release});
    ASSERT_TRUE(helper);
    ASSERT_TRUE(WaitForFile(ready));
    host.answer = [](const test::FakeHost::Box& b) {
        EXPECT_EQ(b.breakFlag, 0x80000003u);
        return 3;
    };
    {
        DBServer db(path);
        db.SetLockTimeout(100);
        VSteuerUmstellung walk(db);
        const uint32_t total = walk.Count().Total();
        EXPECT_FALSE(BeginSequence([&] { walk.Convert(total, nullptr); }));
        db.Close();
    }
    EXPECT_EQ(host.boxes.size(), 1u);
    ExpectConvertedBefore(kHeld, kRecords);
    test::WriteBytes(release, "go");
    EXPECT_EQ(helper->Wait(), 0);

    // A later start converts the rest.
    DBServer again(path);
    VSteuerUmstellung walk(again);
    const uint32_t rest = walk.Count().Total();
    uint32_t left = 0;
    for (uint32_t r = kHeld; r <= kRecords; ++r)
        left += Affected(r) ? 1 : 0;
    EXPECT_EQ(rest, left);
    EXPECT_EQ(walk.Convert(rest, nullptr).converted, rest);
    again.Close();
    ExpectConvertedBefore(kRecords + 1, kRecords);
}

TEST_F(TwoPrograms, ARecordOfARunBeingWrittenIsRefusedToOthersUntilTheUnlock) {
    MakeTable(kRecords);
    DBServer db(path);
    VSteuerUmstellung walk(db);
    const uint32_t total = walk.Count().Total();
    int runs = 0, refused = -1;
    uint32_t probe = 0;
    walk.OnRunWritten([&](uint32_t first, uint32_t last) {
        if (runs++ != 1)
            return;
        probe = first + (last - first) / 2;
        // What is written is in the file for everyone to read.
        EXPECT_EQ(test::RawField(test::ReadBytes(path), last, "VSTEUER"), " 16.15");
        auto p = Process::Start("conv_helper", {"trylock", path, std::to_string(probe)});
        refused = p ? p->Wait() : -1;
    });
    EXPECT_EQ(walk.Convert(total, nullptr).converted, total);
    db.Close();
    EXPECT_GE(runs, 3);
    EXPECT_EQ(refused, 1);
    auto p = Process::Start("conv_helper", {"trylock", path, std::to_string(probe)});
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Wait(), 0);
    EXPECT_TRUE(host.boxes.empty());
}

// One program alone, batched.
class BatchTest : public TwoPrograms {};

TEST_F(BatchTest, ABreakInsideARunKeepsWhatWasConvertedBeforeIt) {
    MakeTable(6);  // records 1, 2, 4, 5 affected: one run
    std::string bytes = test::ReadBytes(path);
    test::SetRawField(bytes, 4, "VSTEUERDM", "  ***.**");
    test::WriteBytes(path, bytes);
    host.answer = [](const test::FakeHost::Box&) { return 3; };  // break
    {
        DBServer db(path);
        VSteuerUmstellung walk(db);
        const uint32_t total = walk.Count().Total();
        EXPECT_FALSE(BeginSequence([&] { walk.Convert(total, nullptr); }));
        EXPECT_EQ(walk.Position(), 50u);
        db.Close();
    }
    EXPECT_EQ(host.boxes.size(), 1u);
    bytes = test::ReadBytes(path);
    EXPECT_EQ(test::RawField(bytes, 1, "BEITRAG"), "      116.15");
    EXPECT_EQ(test::RawField(bytes, 2, "BEITRAG"), "      116.15");
    EXPECT_EQ(test::RawField(bytes, 4, "VSTEUER"), " 18.00");
    EXPECT_EQ(test::RawField(bytes, 5, "VSTEUER"), " 18.00");
    // Nobody is kept waiting afterwards.
    DBServer other(path);
    other.SetLockTimeout(0);
    for (uint32_t r = 1; r <= 6; ++r) {
        other.GoTo(r);
        EXPECT_TRUE(other.RLock()) << r;
    }
}

TEST_F(BatchTest, ContractsAppendedAfterCountingAreConvertedToo) {
    MakeTable(300);  // 200 affected
    DBServer db(path);
    VSteuerUmstellung walk(db);
    const uint32_t total = walk.Count().Total();
    {
        DBServer other(path);  // another program appends two contracts
        for (int i = 0; i < 2; ++i) {
            other.Append();
            other.FieldPut(Symbol("VERSSPARTE"), Usual(std::string("HAUSRAT")));
            other.FieldPut(Symbol("VSTEUER"), Usual(18.0));
            other.FieldPut(Symbol("VSTEUERDM"), Usual(18.0));
            other.FieldPut(Symbol("BEITRAG"), Usual(118.0));
        }
    }
    std::vector<uint32_t> shown;
    const auto result = walk.Convert(total, [&](uint32_t p) { shown.push_back(p); });
    db.Close();
    EXPECT_EQ(result.converted, total + 2);
    EXPECT_EQ(walk.Position(), 101u);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 101u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    const std::string bytes = test::ReadBytes(path);
    EXPECT_EQ(test::RawField(bytes, 302, "VSTEUER"), " 16.15");
}

TEST_F(BatchTest, TheHeaderCarriesTheDateOfTheConversion) {
    MakeTable(30);
    std::string bytes = test::ReadBytes(path);
    bytes[1] = 99;  // 31.12.1999
    bytes[2] = 12;
    bytes[3] = 31;
    test::WriteBytes(path, bytes);
    {
        DBServer db(path);
        VSteuerUmstellung walk(db);
        EXPECT_EQ(walk.Convert(walk.Count().Total(), nullptr).converted, 20u);
        db.Close();
    }
    bytes = test::ReadBytes(path);
    const Date today = Today();
    EXPECT_EQ(static_cast<uint8_t>(bytes[1]), today.Year() - 1900);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2]), today.Month());
    EXPECT_EQ(static_cast<uint8_t>(bytes[3]), today.Day());
}

// The records of a table as the conversion must leave them: converted
// where they are affected, as they are elsewhere.
std::string Converted(const std::string& path) {
    TableOptions opt;
    opt.readOnly = true;
    auto t = Table::Open(path, opt);
    const int rate = t->FieldIndex("VSTEUER"), line = t->FieldIndex("VERSSPARTE"),
              tax = t->FieldIndex("VSTEUERDM"), premium = t->FieldIndex("BEITRAG");
    std::string out(static_cast<size_t>(t->Count()) * t->RecLen(), ' ');
    if (t->Count() > 0 && t->ReadRecords(1, t->Count(), out.data()) != t->Count())
        return std::string();
    for (uint32_t r = 1; r <= t->Count(); ++r) {
        char* rec = out.data() + static_cast<size_t>(r - 1) * t->RecLen();
        if (rec[0] == '*')
            continue;
        const double old = t->GetValue(rec, rate).AsFloat();
        const int row =
            FindVSteuerRow(old, [&] { return NormalizeSparte(t->GetValue(rec, line).AsString()); });
        if (row < 0)
            continue;
        const VSteuerRow& rr = kVSteuerRows[static_cast<size_t>(row)];
        const double s = t->GetValue(rec, tax).AsFloat(), b = t->GetValue(rec, premium).AsFloat();
        t->PutValue(rec, premium, Usual(ConvertVSteuerBeitrag(rr.oldRate, rr.newRate, s, b)));
        t->PutValue(rec, tax, Usual(ConvertVSteuer(rr.oldRate, rr.newRate, s)));
        t->PutValue(rec, rate, Usual(rr.newRate));
    }
    return out;
}

TEST_F(TwoPrograms, KilledAtRandomPointsEveryRecordIsOldOrNewAndARerunFinishes) {
    const demo::Summary s = demo::WriteVertrag(dir.Path().string(), 100000, 7, false);
    const uint32_t affected = s.row1 + s.row2 + s.row3;
    const std::string original = test::ReadBytes(path);
    const uint32_t hdr = test::HeaderLength(original), len = test::RecordLength(original);
    const std::string before = original.substr(hdr, static_cast<size_t>(s.records) * len);
    const std::string after = Converted(path);

    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    uint32_t lastNew = 0;
    for (int round = 0; round < 4; ++round) {
        const std::string ready = dir.File("ready" + std::to_string(round));
        auto helper =
            Process::Start("conv_helper", {"convert", path, ready, std::to_string(2 + 4 * round)});
        ASSERT_TRUE(helper);
        ASSERT_TRUE(WaitForFile(ready));
        test::SleepMillis(static_cast<int>(rng() % 12));
        helper->Kill();
        helper->Wait();

        const std::string bytes = test::ReadBytes(path);
        // The header's count is what the file holds.
        ASSERT_EQ(bytes.size(), hdr + static_cast<size_t>(s.records) * len + 1);
        EXPECT_EQ(static_cast<uint8_t>(bytes[4]) | static_cast<uint8_t>(bytes[5]) << 8 |
                      static_cast<uint8_t>(bytes[6]) << 16 | static_cast<uint32_t>(bytes[7]) << 24,
                  s.records);
        EXPECT_EQ(bytes.back(), '\x1A');
        CheckReport rep = CheckTable(path, {}, 850);
        EXPECT_TRUE(rep.Ok()) << rep.faults.front();
        uint32_t fresh = 0;
        for (uint32_t r = 0; r < s.records; ++r) {
            const std::string_view now(bytes.data() + hdr + static_cast<size_t>(r) * len, len);
            const std::string_view was(before.data() + static_cast<size_t>(r) * len, len);
            const std::string_view want(after.data() + static_cast<size_t>(r) * len, len);
            if (now == want && now != was)
                ++fresh;
            else
                ASSERT_EQ(now, was)
                    << "record " << r + 1 << " is half written (round " << round << ")";
        }
        EXPECT_GE(fresh, lastNew);
        EXPECT_GT(fresh, 0u);
        lastNew = fresh;
    }
    EXPECT_LE(lastNew, affected);

    // A rerun finishes the rest.
    DBServer db(path);
    VSteuerUmstellung walk(db);
    const uint32_t rest = walk.Count().Total();
    EXPECT_EQ(rest, affected - lastNew);
    EXPECT_EQ(walk.Convert(rest ? rest : 1, nullptr).converted, rest);
    db.Close();
    const std::string done = test::ReadBytes(path);
    EXPECT_TRUE(done.compare(hdr, after.size(), after) == 0);
    EXPECT_TRUE(CheckTable(path, {}, 850).Ok());
    EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace kp

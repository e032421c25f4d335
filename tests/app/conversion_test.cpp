// The conversion rules and the two table walks, on tables made by the data
// engine.
#include <gtest/gtest.h>

#include "app/VSteuerUmstellung.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/settings.h"
#include "tests/app/test_support.h"

namespace kp {
namespace {

using test::Contract;

TEST(ConvertVSteuer, WorkedExamplesStoreAsTheOfficeExpects) {
    struct Case {
        double oldRate, newRate, steuer, beitrag;
        const char *steuerNeu, *beitragNeu;
    };
    for (const Case& c : {Case{18, 16.15, 18.00, 118.00, "16.15", "116.15"},
                          Case{17.75, 16.34, 35.50, 235.50, "32.68", "232.68"},
                          Case{14, 13.2, 14.00, 114.00, "13.20", "113.20"}}) {
        EXPECT_EQ(FormatNumber(ConvertVSteuer(c.oldRate, c.newRate, c.steuer), 2), c.steuerNeu);
        EXPECT_EQ(FormatNumber(ConvertVSteuerBeitrag(c.oldRate, c.newRate, c.steuer, c.beitrag), 2),
                  c.beitragNeu);
    }
    // The net premium stays; only the tax share changes.
    EXPECT_DOUBLE_EQ(ConvertVSteuerBeitrag(18, 16.15, 36, 500) - ConvertVSteuer(18, 16.15, 36),
                     464);
}

TEST(FindVSteuerRow, RateAndNormalisedLineMustBothMatch) {
    auto line = [](const char* s) { return [s] { return NormalizeSparte(s); }; };
    EXPECT_EQ(FindVSteuerRow(17.75, line("WOHNGEBÄUDE")), 0);
    EXPECT_EQ(FindVSteuerRow(14, line("  wohngebäude  ")), 1);
    EXPECT_EQ(FindVSteuerRow(18, line("Hausrat")), 2);
    EXPECT_EQ(FindVSteuerRow(18, line("WOHNGEBÄUDE")), -1);
    EXPECT_EQ(FindVSteuerRow(17.75, line("HAUSRAT")), -1);
    EXPECT_EQ(FindVSteuerRow(17.75, line("WOHNGEBAEUDE")), -1);
    EXPECT_EQ(FindVSteuerRow(17.7, line("WOHNGEBÄUDE")), -1);
    EXPECT_EQ(FindVSteuerRow(16.34, line("WOHNGEBÄUDE")), -1);
    // The line is not even read when no rate matches.
    bool read = false;
    EXPECT_EQ(FindVSteuerRow(19,
                             [&] {
                                 read = true;
                                 return std::string("HAUSRAT");
                             }),
              -1);
    EXPECT_FALSE(read);
}

class WalkTest : public ::testing::Test, public test::ErrorSysFixture {
  protected:
    void SetUp() override {
        SetDeleted(true);
        SetExclusive(false);
        SetAnsi(false);
        path = dir.File("Vertrag.DBF");
    }
    std::string path;
};

const std::vector<Contract> kMixed = {
    {"HAUSRAT", 18, 18.00, 118.00},            // 1 row 3
    {"WOHNGEBÄUDE", 17.75, 35.50, 235.50},     // 2 row 1
    {"WOHNGEBÄUDE", 14, 14.00, 114.00},        // 3 row 2
    {"  Wohngebäude ", 17.75, 17.75, 100.00},  // 4 row 1 (case, blanks)
    {"WOHNGEBAEUDE", 17.75, 17.75, 100.00},    // 5 no
    {"WOHNGEBÄUDE", 17.7, 17.70, 100.00},      // 6 no
    {"WOHNGEBÄUDE", 18, 18.00, 118.00},        // 7 no
    {"HAUSRAT", 14, 14.00, 114.00},            // 8 no
    {"HAUSRAT", 18, 18.00, 118.00, true},      // 9 deleted
    {"KFZ", 19, 19.00, 119.00},                // 10 no
};

TEST_F(WalkTest, CountsFollowTheRowsAndSkipDeletedRecords) {
    test::MakeVertrag(path, kMixed);
    DBServer db(path);
    VSteuerCounts c = VSteuerUmstellung(db).Count();
    EXPECT_EQ(c.row[0], 2u);
    EXPECT_EQ(c.row[1], 1u);
    EXPECT_EQ(c.row[2], 1u);
    EXPECT_EQ(c.Total(), 4u);
    EXPECT_TRUE(db.EoF());
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(WalkTest, ConvertWritesTheNewValuesAndNothingElse) {
    test::MakeVertrag(path, kMixed);
    const std::string before = test::ReadBytes(path);
    std::vector<uint32_t> shown;
    {
        DBServer db(path);
        VSteuerUmstellung walk(db);
        const uint32_t total = walk.Count().Total();
        auto r = walk.Convert(total, [&](uint32_t p) { shown.push_back(p); });
        EXPECT_EQ(r.converted, 4u);
        EXPECT_EQ(r.skipped, 0u);
        EXPECT_EQ(walk.Position(), 100u);
        db.Close();
    }
    EXPECT_EQ(shown, (std::vector<uint32_t>{25, 50, 75, 100}));
    const std::string after = test::ReadBytes(path);
    ASSERT_EQ(after.size(), before.size());
    auto field = [&](uint32_t r, const char* f) { return test::RawField(after, r, f); };
    EXPECT_EQ(field(1, "VSTEUER"), " 16.15");
    EXPECT_EQ(field(1, "VSTEUERDM"), "     16.15");
    EXPECT_EQ(field(1, "BEITRAG"), "      116.15");
    EXPECT_EQ(field(2, "VSTEUER"), " 16.34");
    EXPECT_EQ(field(2, "VSTEUERDM"), "     32.68");
    EXPECT_EQ(field(2, "BEITRAG"), "      232.68");
    EXPECT_EQ(field(3, "VSTEUER"), " 13.20");
    EXPECT_EQ(field(3, "VSTEUERDM"), "     13.20");
    EXPECT_EQ(field(3, "BEITRAG"), "      113.20");
    EXPECT_EQ(field(4, "VSTEUER"), " 16.34");

    // Every byte outside the three fields of the four converted records is
    // as it was (the header's update date aside).
    std::string a = after, b = before;
    for (uint32_t r : {1u, 2u, 3u, 4u})
        for (const char* f : {"VSTEUER", "VSTEUERDM", "BEITRAG"}) {
            test::SetRawField(a, r, f, "");
            test::SetRawField(b, r, f, "");
        }
    a.replace(1, 3, "\0\0\0", 3);
    b.replace(1, 3, "\0\0\0", 3);
    EXPECT_EQ(a, b);

    // A second walk finds nothing left to do.
    DBServer again(path);
    EXPECT_EQ(VSteuerUmstellung(again).Count().Total(), 0u);
}

TEST_F(WalkTest, ProgressMovesAtMostOneHundredTimes) {
    std::vector<Contract> rows(250, Contract{"HAUSRAT", 18, 18, 118});
    test::MakeVertrag(path, rows);
    DBServer db(path);
    VSteuerUmstellung walk(db);
    std::vector<uint32_t> shown;
    walk.Convert(walk.Count().Total(), [&](uint32_t p) { shown.push_back(p); });
    ASSERT_EQ(shown.size(), 100u);
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], i + 1);
}

TEST_F(WalkTest, RecordsAppendedAfterCountingAreConvertedAndThePercentagePasses100) {
    test::MakeVertrag(path,
                      {{"HAUSRAT", 18, 18, 118}, {"KFZ", 19, 19, 119}, {"HAUSRAT", 18, 18, 118}});
    DBServer db(path);
    VSteuerUmstellung walk(db);
    const uint32_t total = walk.Count().Total();
    ASSERT_EQ(total, 2u);
    {
        // Another program adds two contracts between the count and the click.
        DBServer other(path);
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(other.Append());
            other.FieldPut(Symbol("VERSSPARTE"), Usual(std::string("HAUSRAT")));
            other.FieldPut(Symbol("VSTEUER"), Usual(18.0));
            other.FieldPut(Symbol("VSTEUERDM"), Usual(18.0));
            other.FieldPut(Symbol("BEITRAG"), Usual(118.0));
        }
        other.Close();
    }
    std::vector<uint32_t> shown;
    auto r = walk.Convert(total, [&](uint32_t p) { shown.push_back(p); });
    db.Close();
    EXPECT_EQ(r.converted, 4u);
    EXPECT_EQ(shown, (std::vector<uint32_t>{50, 100, 150, 200}));
    EXPECT_EQ(walk.Position(), 200u);
    const std::string after = test::ReadBytes(path);
    for (uint32_t rec : {1u, 3u, 4u, 5u})
        EXPECT_EQ(test::RawField(after, rec, "BEITRAG"), "      116.15") << rec;
}

TEST_F(WalkTest, EmptyTableAndNoAffectedContractsCountZero) {
    test::MakeVertrag(path, {});
    {
        DBServer db(path);
        EXPECT_EQ(VSteuerUmstellung(db).Count().Total(), 0u);
    }
    test::MakeVertrag(path, {{"KFZ", 19, 19, 119}, {"HAUSRAT", 16.15, 1, 2}});
    DBServer db(path);
    EXPECT_EQ(VSteuerUmstellung(db).Count().Total(), 0u);
}

TEST_F(WalkTest, DamagedNumberLeavesItsRecordUntouched) {
    test::MakeVertrag(
        path, {{"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}});
    std::string bytes = test::ReadBytes(path);
    test::SetRawField(bytes, 2, "VSTEUERDM", "  ***.**");
    test::WriteBytes(path, bytes);
    const std::string damaged = test::RawField(bytes, 2, "BEITRAG");

    // Take the default where the error allows it, else break off.
    host.answer = [](const test::FakeHost::Box& b) { return b.defaultFlag ? 1 : 3; };
    bool completed;
    VSteuerUmstellung::Result result;
    {
        DBServer db(path);
        VSteuerUmstellung walk(db);
        completed = BeginSequence([&] { result = walk.Convert(3, nullptr); });
        db.Close();
    }
    ASSERT_FALSE(host.boxes.empty());
    const std::string after = test::ReadBytes(path);
    EXPECT_EQ(test::RawField(after, 1, "BEITRAG"), "      116.15");
    EXPECT_EQ(test::RawField(after, 2, "VSTEUERDM"), "  ***.**  ");
    EXPECT_EQ(test::RawField(after, 2, "BEITRAG"), damaged);
    EXPECT_EQ(test::RawField(after, 2, "VSTEUER"), " 18.00");
    // The read error allows the default: the walk leaves the damaged record
    // and converts the rest.
    EXPECT_TRUE(completed);
    EXPECT_EQ(result.converted, 2u);
    EXPECT_EQ(result.skipped, 1u);
    EXPECT_EQ(test::RawField(after, 3, "BEITRAG"), "      116.15");
}

class LockTest : public WalkTest {
  protected:
    void SetUp() override {
        WalkTest::SetUp();
        test::MakeVertrag(
            path, {{"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}});
        other = std::make_unique<DBServer>(path);
        // Another program holds record 2: it has written it and not moved on.
        other->GoTo(2);
        other->FieldPut(Symbol("NOTIZ"), Usual(std::string("gesperrt")));
    }
    std::unique_ptr<DBServer> other;
};

TEST_F(LockTest, RetryAfterTheLockIsReleasedFinishesTheConversion) {
    host.answer = [&](const test::FakeHost::Box& b) {
        EXPECT_EQ(b.retryFlag, 2u);
        other->Commit();  // the other program lets go
        return 2;
    };
    DBServer db(path);
    auto r = VSteuerUmstellung(db).Convert(3, nullptr);
    db.Close();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(r.converted, 3u);
    const std::string after = test::ReadBytes(path);
    for (uint32_t rec : {1u, 2u, 3u})
        EXPECT_EQ(test::RawField(after, rec, "VSTEUER"), " 16.15");
    EXPECT_EQ(test::RawField(after, 2, "NOTIZ"), "gesperrt    ");
}

TEST_F(LockTest, TheNewValuesAreComputedFromWhatTheOtherProgramStored) {
    host.answer = [&](const test::FakeHost::Box&) {
        // The other program changes the contract before it lets go: the walk
        // read the old amounts before it could lock, and must not use them.
        other->FieldPut(Symbol("VSTEUERDM"), Usual(36.0));
        other->FieldPut(Symbol("BEITRAG"), Usual(236.0));
        other->Commit();
        return 2;
    };
    DBServer db(path);
    auto r = VSteuerUmstellung(db).Convert(3, nullptr);
    db.Close();
    EXPECT_EQ(r.converted, 3u);
    const std::string after = test::ReadBytes(path);
    EXPECT_EQ(test::RawField(after, 2, "VSTEUERDM"), "     32.30");
    EXPECT_EQ(test::RawField(after, 2, "BEITRAG"), "      232.30");
    EXPECT_EQ(test::RawField(after, 2, "VSTEUER"), " 16.15");
}

TEST_F(LockTest, BreakLeavesConvertedRecordsAndTheRestUntouched) {
    host.answer = [](const test::FakeHost::Box& b) {
        EXPECT_EQ(b.breakFlag, 0x80000003u);
        return 3;
    };
    DBServer db(path);
    VSteuerUmstellung walk(db);
    EXPECT_FALSE(BeginSequence([&] { walk.Convert(3, nullptr); }));
    db.Close();
    other->Commit();
    const std::string after = test::ReadBytes(path);
    EXPECT_EQ(test::RawField(after, 1, "VSTEUER"), " 16.15");
    EXPECT_EQ(test::RawField(after, 2, "VSTEUER"), " 18.00");
    EXPECT_EQ(test::RawField(after, 2, "BEITRAG"), "      118.00");
    EXPECT_EQ(test::RawField(after, 3, "VSTEUER"), " 18.00");
    // A later start finishes the rest.
    DBServer again(path);
    EXPECT_EQ(VSteuerUmstellung(again).Count().Total(), 2u);
}

}  // namespace
}  // namespace kp

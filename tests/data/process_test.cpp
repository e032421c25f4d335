// Two programs on one table: record locks refused with the retryable lock
// error, appends from both without loss, an index kept in order by both,
// and a program killed in the middle of its writes.
#include "platform/data/check.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/data/ntx.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

class ProcessTest : public DataTest {
  protected:
    bool WaitForFile(const std::string& f) {
        for (int i = 0; i < 1500 && !FileExists(f); ++i)
            SleepMillis(10);
        return FileExists(f);
    }
};

TEST_F(ProcessTest, ARecordLockedByAnotherProgramIsRefusedWithARetryableError) {
    std::string p = dir_ + "lock.dbf";
    Table::Create(p, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 6, 0}}, 850);
    {
        DBServer db(p);
        for (int i = 0; i < 5; ++i)
            db.Append();
    }
    auto helper = Process::StartHelper({"lock", p, "3", "1500", dir_ + "ready"});
    ASSERT_TRUE(helper);
    ASSERT_TRUE(WaitForFile(dir_ + "ready"));
    DBServer db(p);
    db.SetLockTimeout(200);
    int tries = 0;
    ErrorBlock([&](std::shared_ptr<Error> e) {
        EXPECT_EQ(e->GenCode, EG_LOCK);
        EXPECT_TRUE(e->CanRetry);
        EXPECT_EQ(e->OsCode, 33u);
        ++tries;
        return Usual(false);
    });
    db.GoTo(3);
    EXPECT_TRUE(db.FieldPut(Symbol("NUM"), Usual(int32_t{1})).IsNil());
    EXPECT_EQ(tries, 1);
    db.GoTo(4);  // other records are free
    EXPECT_FALSE(db.FieldPut(Symbol("NUM"), Usual(int32_t{4})).IsNil());
    // Retrying until the other program lets go succeeds.
    ErrorBlock([&](std::shared_ptr<Error>) {
        ++tries;
        return Usual(true);
    });
    db.GoTo(3);
    EXPECT_FALSE(db.FieldPut(Symbol("NUM"), Usual(int32_t{3})).IsNil());
    EXPECT_GE(tries, 2);
    EXPECT_EQ(helper->Wait(), 0);
}

TEST_F(ProcessTest, AppendsFromTwoProgramsLandWithoutLossAndTheIndexStaysInOrder) {
    std::string p = dir_ + "app.dbf";
    Table::Create(p, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 6, 0}}, 850);
    {
        DBServer db(p);
        ASSERT_TRUE(db.CreateIndex("app.ntx", "NAME"));
    }
    const int n = 150;
    auto helper = Process::StartHelper({"append", p, dir_ + "app.ntx", std::to_string(n), "B"});
    ASSERT_TRUE(helper);
    {
        DBServer db(p);
        ASSERT_TRUE(db.SetIndex("app.ntx"));
        ErrorBlock([](std::shared_ptr<Error> e) {
            return Usual(e->GenCode == EG_LOCK || e->GenCode == EG_APPENDLOCK);
        });
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(db.Append());
            db.FieldPut(Symbol("NAME"), Usual("A" + std::to_string(i)));
            db.FieldPut(Symbol("NUM"), Usual(int32_t{i}));
            ASSERT_TRUE(db.Commit());
        }
    }
    EXPECT_EQ(helper->Wait(), 0);
    CheckReport rep = CheckTable(p, {dir_ + "app.ntx"}, 850);
    EXPECT_TRUE(rep.Ok()) << rep.faults[0];
    EXPECT_EQ(rep.records, 2u * n);
    EXPECT_EQ(rep.indexKeys[0], 2u * n);
    DBServer db(p);
    std::set<std::string> names;
    for (db.GoTop(); !db.EoF(); db.Skip(1))
        names.insert(db.FieldGet(Symbol("NAME")).AsString());
    EXPECT_EQ(names.size(), 2u * n);
    std::string bytes = ReadFile(p);
    EXPECT_EQ(bytes.back(), '\x1A');
}

TEST_F(ProcessTest, AProgramKilledWhileWritingLeavesEveryRecordOldOrNew) {
    std::string p = dir_ + "kill.dbf";
    Table::Create(p, {{"A", 'N', 10, 0}, {"B", 'N', 10, 0}, {"C", 'N', 10, 0}, {"K", 'C', 8, 0}},
                  850);
    {
        DBServer db(p);
        for (int i = 0; i < 400; ++i) {
            db.Append();
            db.FieldPut(Symbol("K"), Usual("R" + std::to_string(i)));
        }
        ASSERT_TRUE(db.CreateIndex("kill.ntx", "K"));
    }
    for (int round = 0; round < 3; ++round) {
        std::string ready = dir_ + "ready" + std::to_string(round);
        auto helper = Process::StartHelper({"rewrite", p, ready});
        ASSERT_TRUE(helper);
        ASSERT_TRUE(WaitForFile(ready));
        SleepMillis(150 + 170 * round);
        helper->Kill();
        helper->Wait();
        CheckReport rep = CheckTable(p, {dir_ + "kill.ntx"}, 850);
        EXPECT_TRUE(rep.Ok()) << rep.faults[0];
        EXPECT_EQ(rep.records, 400u);
        DBServer db(p);
        int changed = 0;
        for (db.GoTop(); !db.EoF(); db.Skip(1)) {
            double a = db.FieldGet(Symbol("A")).AsFloat();
            EXPECT_EQ(db.FieldGet(Symbol("B")).AsFloat(), 2 * a) << db.RecNo();
            EXPECT_EQ(db.FieldGet(Symbol("C")).AsFloat(), 3 * a) << db.RecNo();
            if (a > 0)
                ++changed;
        }
        EXPECT_GT(changed, 0);
    }
}

}  // namespace
}  // namespace kp::test

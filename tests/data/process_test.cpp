// Two programs on one table: record locks refused with the retryable lock
// error, appends from both without loss, an index kept in order by both,
// and a program killed in the middle of its writes.
#include <fstream>

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

TEST_F(ProcessTest, AReaderNeverFindsAKeyWhoseRecordIsNotYetWritten) {
    // The writer is held inside its commit by the lock of its second index
    // (as a busy network would hold it): the key it has put into the first
    // index must already lead to the written record, never to the blank
    // record of the append.
    std::string p = dir_ + "order.dbf";
    Table::Create(p, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 6, 0}}, 850);
    {
        DBServer db(p);
        ASSERT_TRUE(db.CreateIndex("order1.ntx", "NAME"));
        ASSERT_TRUE(db.CreateIndex("order2.ntx", "UPPER(NAME)"));
    }
    auto helper = Process::StartHelper({"appendhold", p, dir_ + "order1.ntx", dir_ + "order2.ntx",
                                        "NEU", dir_ + "ready", dir_ + "go"});
    ASSERT_TRUE(helper);
    ASSERT_TRUE(WaitForFile(dir_ + "ready"));
    uint32_t err = 0;
    auto second =
        OsFile::Open(dir_ + "order2.ntx", OsFile::Share::Shared, OsFile::Access::ReadWrite, &err);
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->TryLock(1'000'000'000ULL, 1));
    std::ofstream(dir_ + "go") << "go";
    bool seen = false;
    {
        DBServer db(p);
        ASSERT_TRUE(db.SetIndex("order1.ntx"));
        for (int i = 0; i < 300 && !seen; ++i) {
            if (db.Seek(Usual(std::string("NEU")))) {
                seen = true;
                EXPECT_EQ(db.FieldGet(Symbol("NAME")).AsString(), "NEU       ");
                EXPECT_EQ(db.FieldGet(Symbol("NUM")).AsLong(), 7);
            } else {
                SleepMillis(10);
            }
        }
    }
    second->Unlock(1'000'000'000ULL, 1);
    EXPECT_TRUE(seen);
    EXPECT_EQ(helper->Wait(), 0);
    CheckReport rep = CheckTable(p, {dir_ + "order1.ntx", dir_ + "order2.ntx"}, 850);
    EXPECT_TRUE(rep.Ok()) << rep.faults[0];
}

// What a program killed between append and commit leaves: a blank live
// record, and (killed inside the commit) a record whose keys were not yet
// changed. The repair puts both right and leaves records in another
// program's hands alone.
TEST_F(ProcessTest, RecordsAProgramLeftBetweenAppendAndCommitAreRepaired) {
    std::string p = dir_ + "left.dbf";
    Table::Create(p, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 6, 0}}, 850);
    {
        DBServer db(p);
        ASSERT_TRUE(db.CreateIndex("left.ntx", "NAME"));
        ASSERT_TRUE(db.CreateIndex("left2.ntx", "NUM"));
        for (int i = 1; i <= 3; ++i) {
            ASSERT_TRUE(db.Append());
            db.FieldPut(Symbol("NAME"), Usual("R" + std::to_string(i)));
            db.FieldPut(Symbol("NUM"), Usual(int32_t{i}));
        }
        ASSERT_TRUE(db.Commit());
    }
    const std::vector<std::string> ntx{dir_ + "left.ntx", dir_ + "left2.ntx"};
    // Killed before the commit: record 4 stays blank and live.
    {
        auto helper = Process::StartHelper({"appendkill", p, ntx[0], dir_ + "ready1"});
        ASSERT_TRUE(helper);
        ASSERT_TRUE(WaitForFile(dir_ + "ready1"));
        helper->Kill();
        helper->Wait();
    }
    // Killed inside the commit: record 5 written, its keys still blank.
    {
        TableOptions opt;
        opt.codePage = 850;
        auto t = Table::Open(p, opt);
        RangeLock lock;
        const uint32_t r = t->AppendBlank(&lock);
        std::vector<char> rec(t->RecLen());
        t->BlankRecord(rec.data());
        for (const auto& x : ntx) {
            auto index = NtxIndex::Open(x, *t, NtxIndex::Options{});
            index->Insert(index->KeyOf(rec.data()), r);
        }
        t->PutValue(rec.data(), 0, Usual(std::string("R5")));
        t->PutValue(rec.data(), 1, Usual(int32_t{5}));
        t->WriteRecord(r, rec.data());
    }
    EXPECT_FALSE(CheckTable(p, ntx, 850).Ok());
    // Another program's append in progress (record 6, locked) is left alone.
    auto busy = Process::StartHelper({"appendkill", p, ntx[0], dir_ + "ready2"});
    ASSERT_TRUE(busy);
    ASSERT_TRUE(WaitForFile(dir_ + "ready2"));

    DBServer db(p);
    ASSERT_TRUE(db.SetIndex("left.ntx"));
    ASSERT_TRUE(db.SetIndex("left2.ntx"));
    EXPECT_EQ(db.RepairAbandonedAppends(), 2u);
    EXPECT_EQ(db.RepairAbandonedAppends(), 0u);  // nothing left to do
    db.GoTo(4);
    EXPECT_TRUE(db.Deleted());
    db.GoTo(6);
    EXPECT_FALSE(db.Deleted());
    ASSERT_TRUE(db.Seek(Usual(std::string("R5"))));
    EXPECT_EQ(db.RecNo(), 5u);
    db.SetOrder(2);
    db.GoBottom();
    EXPECT_EQ(db.FieldGet(Symbol("NUM")).AsLong(), 5);  // the highest number is found
    db.Close();
    busy->Kill();
    busy->Wait();
    DBServer again(p);
    ASSERT_TRUE(again.SetIndex("left.ntx"));
    ASSERT_TRUE(again.SetIndex("left2.ntx"));
    EXPECT_EQ(again.RepairAbandonedAppends(), 1u);  // now record 6 is abandoned too
    again.Close();
    CheckReport rep = CheckTable(p, ntx, 850);
    EXPECT_TRUE(rep.Ok()) << rep.faults[0];
    EXPECT_EQ(rep.deleted, 2u);
}

}  // namespace
}  // namespace kp::test

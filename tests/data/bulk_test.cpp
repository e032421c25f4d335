// Whole-table jobs on the data server: blocks read with one call, runs of
// records under one range lock written with one write, and the counted
// file calls; and how a run looks to another program.
#include "platform/data/check.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

const Symbol NAME("NAME"), NUM("NUM");

class BulkTest : public DataTest {
  protected:
    // NAME C(10), NUM N(4,0): record r holds "R<r>" and r.
    std::string MakeTable(int n) {
        std::string p = dir_ + "bulk.dbf";
        Table::Create(p, {{"NAME", 'C', 10, 0}, {"NUM", 'N', 4, 0}}, 850);
        DBServer db(p);
        for (int i = 1; i <= n; ++i) {
            db.Append();
            db.FieldPut(NAME, Usual("R" + std::to_string(i)));
            db.FieldPut(NUM, Usual(int32_t{i}));
        }
        db.Close();
        return p;
    }
    bool WaitForFile(const std::string& f) {
        for (int i = 0; i < 1500 && !FileExists(f); ++i)
            SleepMillis(10);
        return FileExists(f);
    }
    // What another handle sees when it tries to change record r: true when
    // it got the lock.
    static bool OtherCanWrite(DBServer& other, uint32_t r) {
        other.GoTo(r);
        bool ok = !other.FieldPut(NUM, Usual(int32_t(r))).IsNil();
        other.Commit();
        return ok;
    }
};

TEST_F(BulkTest, ABlockIsReadWithOneCallAndSeesLaterAppends) {
    std::string p = MakeTable(100);
    CatchErrors();
    DBServer db(p);
    db.GoTo(3);
    db.Delete();
    RecordBlock block;
    IoCounts before = db.Io();
    ASSERT_EQ(db.ReadBlock(1, 40, block), 40u);
    EXPECT_EQ((db.Io() - before).reads, 1u);
    EXPECT_EQ(block.First(), 1u);
    EXPECT_TRUE(block.Contains(40));
    EXPECT_FALSE(block.Contains(41));
    EXPECT_TRUE(block.Deleted(3));
    EXPECT_FALSE(block.Deleted(4));
    EXPECT_EQ(block.FieldGet(40, 1).AsString(), "R40       ");
    EXPECT_EQ(block.FieldGet(40, 2).AsFloat(), 40);

    EXPECT_EQ(db.ReadBlock(81, 40, block), 20u);  // fewer at the end
    EXPECT_EQ(block.FieldGet(100, 2).AsFloat(), 100);
    EXPECT_EQ(db.ReadBlock(101, 40, block), 0u);
    {
        DBServer other(p);
        other.Append();
        other.FieldPut(NUM, Usual(int32_t{101}));
    }
    EXPECT_EQ(db.ReadBlock(101, 40, block), 1u);
    EXPECT_EQ(block.FieldGet(101, 2).AsFloat(), 101);

    // A record outside the block or a field that does not exist is an error.
    EXPECT_TRUE(block.FieldGet(100, 2).IsNil());
    EXPECT_TRUE(block.FieldGet(101, 3).IsNil());
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[0]->GenCode, EG_ARG);
}

TEST_F(BulkTest, PutFieldsChangesTheBlockOnlyAndAllOrNothing) {
    std::string p = MakeTable(10);
    CatchErrors();
    DBServer db(p);
    RecordBlock block;
    ASSERT_EQ(db.ReadBlock(1, 10, block), 10u);
    EXPECT_TRUE(block.PutFields(5, {{1, Usual("neu")}, {2, Usual(int32_t{555})}}));
    EXPECT_EQ(block.FieldGet(5, 1).AsString(), "neu       ");
    // The second value does not fit N(4,0): the first is not put either.
    EXPECT_FALSE(block.PutFields(6, {{1, Usual("anders")}, {2, Usual(int32_t{99999})}}));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_DATAWIDTH);
    EXPECT_EQ(block.FieldGet(6, 1).AsString(), "R6        ");
    db.Close();
    // Nothing reached the file.
    DBServer again(p);
    again.GoTo(5);
    EXPECT_EQ(again.FieldGet(NUM).AsFloat(), 5);
}

TEST_F(BulkTest, ARunIsLockedWrittenAndUnlockedWithOneCallEach) {
    std::string p = MakeTable(30);
    CatchErrors();
    DBServer db(p);
    RecordBlock block;
    ASSERT_EQ(db.ReadBlock(10, 11, block), 11u);
    IoCounts before = db.Io();
    ASSERT_TRUE(db.LockRun(10, 20));
    for (uint32_t r : {12u, 15u})
        ASSERT_TRUE(block.PutFields(r, {{2, Usual(int32_t(1000 + r))}}));
    ASSERT_TRUE(db.WriteRun(block, 12, 15));
    db.UnlockRun();
    IoCounts io = db.Io() - before;
    EXPECT_EQ(io.locks, 1u);
    EXPECT_EQ(io.writes, 1u);
    EXPECT_EQ(io.unlocks, 1u);
    EXPECT_EQ(io.flushes, 0u);
    EXPECT_TRUE(errors_.empty());
    db.Commit();
    EXPECT_GE((db.Io() - before).flushes, 1u);

    // Writing is refused outside a locked run and outside the run's range.
    EXPECT_FALSE(db.WriteRun(block, 12, 15));
    ASSERT_TRUE(db.LockRun(10, 14));
    EXPECT_FALSE(db.WriteRun(block, 12, 15));
    EXPECT_FALSE(db.LockRun(16, 17));  // one run at a time
    db.UnlockRun();
    ASSERT_EQ(errors_.size(), 3u);
    db.Close();

    const std::string bytes = ReadFile(p);
    DBServer check(p);
    for (uint32_t r = 1; r <= 30; ++r) {
        check.GoTo(r);
        EXPECT_EQ(check.FieldGet(NUM).AsFloat(), r == 12 || r == 15 ? 1000 + r : r) << r;
    }
    EXPECT_EQ(bytes.back(), '\x1A');
}

TEST_F(BulkTest, ARunConflictsExactlyLikeTheRecordLocksItCovers) {
    std::string p = MakeTable(30);
    CatchErrors();
    DBServer db(p);
    DBServer other(p);
    other.SetLockTimeout(30);
    ASSERT_TRUE(db.LockRun(10, 20));
    for (uint32_t r : {10u, 15u, 20u})
        EXPECT_FALSE(OtherCanWrite(other, r)) << r;
    ASSERT_EQ(errors_.size(), 3u);
    EXPECT_EQ(errors_[0]->GenCode, EG_LOCK);
    EXPECT_TRUE(errors_[0]->CanRetry);
    for (uint32_t r : {9u, 21u})
        EXPECT_TRUE(OtherCanWrite(other, r)) << r;
    // The header lock is not part of a run: appending goes on.
    EXPECT_TRUE(other.Append());
    other.Commit();
    db.UnlockRun();
    EXPECT_TRUE(OtherCanWrite(other, 15));
    errors_.clear();

    // The other way round: a record held elsewhere makes the run fail at
    // once and quietly, and a run beside it is granted.
    other.GoTo(15);
    ASSERT_TRUE(other.RLock());
    EXPECT_FALSE(db.LockRun(10, 20));
    EXPECT_TRUE(db.Status().IsNil());
    EXPECT_TRUE(errors_.empty());
    EXPECT_TRUE(db.LockRun(16, 31));
    db.UnlockRun();
    EXPECT_TRUE(db.LockRun(1, 14));
    db.UnlockRun();
}

TEST_F(BulkTest, ARunDropsTheServersOwnRecordLockFirst) {
    std::string p = MakeTable(10);
    CatchErrors();
    DBServer db(p);
    db.GoTo(5);
    db.FieldPut(NUM, Usual(int32_t{50}));  // pending, record 5 locked
    ASSERT_TRUE(db.LockRun(1, 10));
    db.UnlockRun();
    // The pending change was written, and nothing of ours holds record 5.
    DBServer other(p);
    other.SetLockTimeout(30);
    other.GoTo(5);
    EXPECT_EQ(other.FieldGet(NUM).AsFloat(), 50);
    EXPECT_TRUE(OtherCanWrite(other, 5));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BulkTest, IndexKeysFollowTheRecordsOfARun) {
    std::string p = MakeTable(60);
    CatchErrors();
    DBServer db(p);
    ASSERT_TRUE(db.CreateIndex("bulk.ntx", "NAME"));
    RecordBlock block;
    ASSERT_EQ(db.ReadBlock(20, 20, block), 20u);
    ASSERT_TRUE(db.LockRun(20, 39));
    ASSERT_TRUE(block.PutFields(25, {{1, Usual("AAA")}}));
    ASSERT_TRUE(block.PutFields(30, {{1, Usual("ZZZ")}}));
    ASSERT_TRUE(db.WriteRun(block, 25, 30));
    db.UnlockRun();
    db.Close();
    CheckReport rep = CheckTable(p, {dir_ + "bulk.ntx"}, 850);
    EXPECT_TRUE(rep.Ok()) << (rep.faults.empty() ? "" : rep.faults[0]);
    DBServer again(p);
    again.SetIndex("bulk.ntx");
    again.GoTop();
    EXPECT_EQ(again.RecNo(), 25u);
    again.GoBottom();
    EXPECT_EQ(again.RecNo(), 30u);
    EXPECT_FALSE(again.Seek(Usual("R25")));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BulkTest, ExclusiveTablesNeedNoLockAndRunsStayInTheTable) {
    std::string p = MakeTable(10);
    CatchErrors();
    {
        SetExclusive(true);
        DBServer db(p);
        IoCounts before = db.Io();
        EXPECT_TRUE(db.LockRun(1, 10));  // nothing to lock when no one else can open it
        EXPECT_EQ((db.Io() - before).locks, 0u);
        db.UnlockRun();
        SetExclusive(false);
    }
    // Past the table is an error, not a lock beyond the data.
    DBServer db(p);
    EXPECT_FALSE(db.LockRun(5, 11));
    EXPECT_FALSE(db.LockRun(0, 3));
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[1]->GenCode, EG_ARG);
}

TEST_F(BulkTest, ARunHeldByAnotherProgramRefusesItsRecordsOnlyUntilReleased) {
    std::string p = MakeTable(30);
    auto helper =
        Process::StartHelper({"lockrun", p, "10", "20", dir_ + "ready", dir_ + "release"});
    ASSERT_TRUE(helper);
    ASSERT_TRUE(WaitForFile(dir_ + "ready"));
    CatchErrors();
    DBServer db(p);
    db.SetLockTimeout(30);
    for (uint32_t r : {10u, 15u, 20u})
        EXPECT_FALSE(OtherCanWrite(db, r)) << r;
    for (uint32_t r : {9u, 21u})
        EXPECT_TRUE(OtherCanWrite(db, r)) << r;
    EXPECT_TRUE(db.Append());  // B stays free
    db.Commit();
    EXPECT_FALSE(db.LockRun(1, 10));
    EXPECT_TRUE(db.LockRun(21, 30));
    db.UnlockRun();
    ASSERT_EQ(errors_.size(), 3u);
    WriteFile(dir_ + "release", "go");
    EXPECT_EQ(helper->Wait(), 0);
    EXPECT_TRUE(OtherCanWrite(db, 15));
    EXPECT_TRUE(db.LockRun(1, 31));
    db.UnlockRun();
}

TEST_F(BulkTest, ARecordHeldByAnotherProgramFailsTheRunAroundIt) {
    std::string p = MakeTable(10);
    auto helper = Process::StartHelper({"lock", p, "3", "3000", dir_ + "ready"});
    ASSERT_TRUE(helper);
    ASSERT_TRUE(WaitForFile(dir_ + "ready"));
    CatchErrors();
    DBServer db(p);
    EXPECT_FALSE(db.LockRun(1, 5));
    EXPECT_TRUE(db.Status().IsNil());
    EXPECT_TRUE(db.LockRun(4, 10));
    db.UnlockRun();
    EXPECT_TRUE(errors_.empty());
    helper->Kill();
    helper->Wait();
}

}  // namespace
}  // namespace kp::test

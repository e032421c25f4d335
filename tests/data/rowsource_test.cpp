// The rows of a browse view: which record a row is with and without hidden
// deleted records, the texts of the cells, reads beside the record pointer,
// the snapshot between refreshes and the bounded cache.
#include <functional>

#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/data/rowsource.h"
#include "platform/runtime/date.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

const Symbol NAME("NAME"), BETRAG("BETRAG"), DATUM("DATUM"), OK("OK"), NOTIZ("NOTIZ");

class RowSourceTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        oldSep_ = SetDecimalSep(',');
        SetDateCountry(5);
        oldCentury_ = GetCentury();
        SetCentury(true);
    }
    void TearDown() override {
        SetDecimalSep(oldSep_);
        SetCentury(oldCentury_);
        SetDateCountry(1);
        DataTest::TearDown();
    }

    // n records; record i (1-based) holds "R<i>", i + 0.25, a date, i odd
    // and a memo on every tenth; `deleted(i)` marks it deleted.
    std::string Make(uint32_t n, const std::function<bool(uint32_t)>& deleted = {}) {
        const std::string p = dir_ + "rows.dbf";
        Table::Create(p,
                      {{"NAME", 'C', 10, 0},
                       {"BETRAG", 'N', 9, 2},
                       {"DATUM", 'D', 8, 0},
                       {"OK", 'L', 1, 0},
                       {"NOTIZ", 'M', 10, 0}},
                      850);
        const bool oldExcl = SetExclusive(true);
        {
            DBServer db(p);
            for (uint32_t i = 1; i <= n; ++i) {
                db.Append();
                db.FieldPut(NAME, Usual("R" + std::to_string(i)));
                db.FieldPut(BETRAG, Usual(Float{i + 0.25, 2}));
                db.FieldPut(DATUM, Usual(Date::FromYMD(2010, 1 + i % 12, 1 + i % 28)));
                db.FieldPut(OK, Usual(i % 2 == 1));
                if (i % 10 == 0)
                    db.FieldPut(NOTIZ, Usual(std::string("Notiz ") + std::to_string(i)));
                if (deleted && deleted(i))
                    db.Delete();
            }
            db.Commit();
        }
        SetExclusive(oldExcl);
        return p;
    }

  private:
    char32_t oldSep_ = '.';
    bool oldCentury_ = false;
};

TEST_F(RowSourceTest, WithoutHiddenRecordsRowNIsRecordNPlusOneAndCellsReadAsTheServerReads) {
    const std::string p = Make(150);
    DBServer db(p);
    RowSource rows(db);
    ASSERT_EQ(rows.RowCount(), 150u);
    EXPECT_EQ(rows.HiddenCount(), 0u);
    EXPECT_EQ(rows.RecNo(0), 1u);
    EXPECT_EQ(rows.RecNo(149), 150u);
    EXPECT_EQ(rows.RecNo(150), 0u);
    EXPECT_EQ(rows.RowOf(150), 149);
    EXPECT_EQ(rows.RowOf(151), -1);
    EXPECT_EQ(rows.RowOf(0), -1);

    // Row 19 is record 20: every cell as the browse view shows it.
    EXPECT_EQ(rows.Text(19, 1), "R20");  // trailing blanks gone
    EXPECT_EQ(rows.Text(19, 2), "20,25");
    EXPECT_EQ(rows.Text(19, 3), "21.09.2010");
    EXPECT_EQ(rows.Text(19, 4), "F");
    EXPECT_EQ(rows.Text(19, 5), RowSource::kMemoMarker);
    EXPECT_EQ(rows.Text(18, 4), "T");
    EXPECT_EQ(rows.Text(18, 5), "");
    EXPECT_EQ(rows.Text(19, 6), "");   // no such field
    EXPECT_EQ(rows.Text(150, 1), "");  // no such row

    // And every cell of every row equals what FieldGet gives on that record.
    for (uint32_t row = 0; row < rows.RowCount(); row += 7) {
        ASSERT_TRUE(db.GoTo(row + 1));
        for (int f = 1; f <= 5; ++f) {
            Usual mine;
            ASSERT_TRUE(rows.Value(row, f, &mine));
            const Usual server = db.FieldGet(f);
            EXPECT_EQ(mine.AsText(), server.AsText()) << row << "/" << f;
            EXPECT_EQ(rows.Text(row, f), RowSource::FormatValue(rows.Fields()[f - 1], server));
        }
    }
}

TEST_F(RowSourceTest, HiddenDeletedRecordsAreLeftOutAcrossBlockBoundaries) {
    // Three blocks and a bit; the second block entirely deleted, runs of
    // deleted records at both sides of each boundary.
    const uint32_t n = 3 * RowSource::kBlockRecords + 5;
    auto gone = [](uint32_t i) {
        return (i > 1024 && i <= 2048) || i % 7 == 0 || i == 1 || i == n ||
               (i >= 1020 && i <= 1030) || (i >= 3070 && i <= 3075);
    };
    const std::string p = Make(n, gone);
    std::vector<uint32_t> expected;
    for (uint32_t i = 1; i <= n; ++i)
        if (!gone(i))
            expected.push_back(i);

    SetDeleted(true);
    DBServer db(p);
    RowSource rows(db);
    ASSERT_EQ(rows.RowCount(), expected.size());
    EXPECT_EQ(rows.RecordCount(), n);
    EXPECT_EQ(rows.HiddenCount(), n - expected.size());
    for (uint32_t row = 0; row < expected.size(); ++row) {
        ASSERT_EQ(rows.RecNo(row), expected[row]) << row;
        ASSERT_EQ(rows.RowOf(expected[row]), row);
    }
    for (uint32_t i = 1; i <= n; ++i) {
        if (gone(i)) {
            ASSERT_EQ(rows.RowOf(i), -1) << i;
        }
    }
    // Cells follow the same rows, read a page at a time, in any order.
    const auto size = static_cast<uint32_t>(expected.size());
    for (uint32_t row : {size - 1, 0u, 1000u, 1005u, size / 2})
        EXPECT_EQ(rows.Text(row, 1), "R" + std::to_string(expected[row])) << row;

    // With deleted records shown, every record is a row again.
    SetDeleted(false);
    EXPECT_EQ(rows.Refresh(), n);
    EXPECT_EQ(rows.RecNo(1023), 1024u);
    EXPECT_EQ(rows.Text(0, 1), "R1");
}

TEST_F(RowSourceTest, EdgeCasesOfTheMap) {
    SetDeleted(true);
    {
        const std::string p = Make(0);
        DBServer db(p);
        RowSource rows(db);
        EXPECT_EQ(rows.RowCount(), 0u);
        EXPECT_EQ(rows.RecNo(0), 0u);
        EXPECT_EQ(rows.Text(0, 1), "");
    }
    {
        const std::string p = Make(RowSource::kBlockRecords, [](uint32_t) { return true; });
        DBServer db(p);
        RowSource rows(db);
        EXPECT_EQ(rows.RowCount(), 0u);
        EXPECT_EQ(rows.HiddenCount(), RowSource::kBlockRecords);
        EXPECT_EQ(rows.RowOf(5), -1);
    }
    {
        // Only the record just past a block boundary is left.
        const std::string p =
            Make(RowSource::kBlockRecords + 1, [](uint32_t i) { return i <= 1024; });
        DBServer db(p);
        RowSource rows(db);
        ASSERT_EQ(rows.RowCount(), 1u);
        EXPECT_EQ(rows.RecNo(0), 1025u);
        EXPECT_EQ(rows.RowOf(1025), 0);
        EXPECT_EQ(rows.Text(0, 1), "R1025");
    }
}

TEST_F(RowSourceTest, ReadsLeaveTheRecordPointerAndItsLockAlone) {
    const std::string p = Make(300);
    DBServer db(p);
    ASSERT_TRUE(db.GoTo(42));
    ASSERT_FALSE(db.FieldPut(NAME, Usual("geändert")).IsNil());  // locked, not yet written
    RowSource rows(db);
    EXPECT_EQ(rows.Text(299, 1), "R300");
    EXPECT_EQ(rows.Text(41, 1), "R42");  // the file's record, not the pending change
    EXPECT_EQ(db.RecNo(), 42u);
    EXPECT_EQ(db.FieldGet(NAME).AsString(), "geändert  ");
    ASSERT_TRUE(db.Commit());
    rows.DropCache();
    EXPECT_EQ(rows.Text(41, 1), "geändert");
}

TEST_F(RowSourceTest, RowsAreASnapshotUntilRefreshPicksUpAnotherServersAppend) {
    const std::string p = Make(10, [](uint32_t i) { return i == 3; });
    SetDeleted(true);
    DBServer mine(p);
    RowSource rows(mine);
    ASSERT_EQ(rows.RowCount(), 9u);
    {
        DBServer other(p);
        ASSERT_TRUE(other.Append());
        ASSERT_FALSE(other.FieldPut(NAME, Usual("Neu")).IsNil());
        ASSERT_TRUE(other.Commit());
        ASSERT_TRUE(other.GoTo(5));
        ASSERT_TRUE(other.Delete());
    }
    // Until then the rows stay as counted: record 5 is still a row, the
    // new record is none yet; the cells show the records as they are now.
    EXPECT_EQ(rows.RowCount(), 9u);
    EXPECT_EQ(rows.Text(3, 1), "R5");
    EXPECT_EQ(rows.Text(8, 1), "R10");
    EXPECT_EQ(rows.RecNo(8), 10u);
    EXPECT_EQ(rows.Refresh(), 9u);  // one more, one fewer
    EXPECT_EQ(rows.Text(8, 1), "Neu");
    EXPECT_EQ(rows.RecNo(3), 6u);
    EXPECT_EQ(rows.RowOf(5), -1);
}

TEST_F(RowSourceTest, TheCacheStaysSmallWhateverIsRead) {
    const std::string p = Make(2000);
    DBServer db(p);
    RowSource rows(db);
    for (uint32_t row = 0; row < rows.RowCount(); ++row)
        ASSERT_EQ(rows.Text(row, 1), "R" + std::to_string(row + 1));
    EXPECT_LE(rows.CachedPages(), RowSource::kPages);
    // One read per page of rows, not one per row or cell.
    EXPECT_LE(rows.Reads(), 2000 / RowSource::kPageRows + 2);
    const uint64_t before = rows.Reads();
    rows.Hint(1990, 1999);
    EXPECT_EQ(rows.Text(1995, 2), "1996,25");
    EXPECT_EQ(rows.Reads(), before);  // already there
}

TEST_F(RowSourceTest, AStoredTextThatIsNoValueShowsAsStoredWithoutAnError) {
    RawDbf raw;
    raw.fields = {{"NAME", 'C', 4, 0}, {"BETRAG", 'N', 6, 2}, {"DATUM", 'D', 8, 0}};
    raw.records = {" abcd 12.5020100131", " efgh******2010XX31"};
    const std::string p = dir_ + "broken.dbf";
    WriteFile(p, raw.Bytes());
    CatchErrors();
    DBServer db(p);
    RowSource rows(db);
    ASSERT_EQ(rows.RowCount(), 2u);
    EXPECT_EQ(rows.Text(0, 2), "12,50");
    EXPECT_EQ(rows.Text(0, 3), "31.01.2010");
    EXPECT_EQ(rows.Text(1, 2), "******");
    EXPECT_EQ(rows.Text(1, 3), "2010XX31");
    Usual v;
    EXPECT_FALSE(rows.Value(1, 2, &v));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(RowSourceTest, TypedTextsBecomeValuesOfTheFieldsType) {
    const FieldSpec n(Symbol("N"), 'N', 9, 2), d(Symbol("D"), 'D', 8, 0), l(Symbol("L"), 'L', 1, 0),
        c(Symbol("C"), 'C', 10, 0), m(Symbol("M"), 'M', 10, 0);
    Usual v;
    ASSERT_TRUE(RowSource::ParseText(n, " 1234,5 ", &v));
    EXPECT_DOUBLE_EQ(v.AsFloat(), 1234.5);
    ASSERT_TRUE(RowSource::ParseText(n, "-0.75", &v));
    EXPECT_DOUBLE_EQ(v.AsFloat(), -0.75);
    ASSERT_TRUE(RowSource::ParseText(n, "", &v));
    EXPECT_EQ(v.AsFloat(), 0);
    for (const char* bad : {"1.234,50", "12a", "-", "1-2", "++1"})
        EXPECT_FALSE(RowSource::ParseText(n, bad, &v)) << bad;

    ASSERT_TRUE(RowSource::ParseText(d, "29.02.2012", &v));
    EXPECT_EQ(v.AsDate(), Date::FromYMD(2012, 2, 29));
    ASSERT_TRUE(RowSource::ParseText(d, "  .  .    ", &v));
    EXPECT_TRUE(v.AsDate().IsEmpty());
    EXPECT_FALSE(RowSource::ParseText(d, "30.02.2012", &v));
    EXPECT_FALSE(RowSource::ParseText(d, "morgen", &v));

    ASSERT_TRUE(RowSource::ParseText(l, "j", &v));
    EXPECT_TRUE(v.AsLogic());
    ASSERT_TRUE(RowSource::ParseText(l, "F", &v));
    EXPECT_FALSE(v.AsLogic());
    EXPECT_FALSE(RowSource::ParseText(l, "vielleicht", &v));

    ASSERT_TRUE(RowSource::ParseText(c, "Müller  ", &v));
    EXPECT_EQ(v.AsString(), "Müller");
    EXPECT_FALSE(RowSource::ParseText(m, "Text", &v));

    // What is shown reads back as the same value.
    for (double x : {0.0, -25.5, 123456.78}) {
        const std::string shown = RowSource::FormatValue(n, Usual(Float{x, 2}));
        ASSERT_TRUE(RowSource::ParseText(n, shown, &v)) << shown;
        EXPECT_DOUBLE_EQ(v.AsFloat(), x);
    }
}

}  // namespace
}  // namespace kp::test

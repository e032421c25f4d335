// Tables: round trips, the values refused, hand-made files of other
// writers, damaged files and the locks between two handles.
#include <cstring>
#include <random>

#include "platform/data/check.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/data/fieldcodec.h"
#include "platform/data/osfile.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

const Symbol NAME("NAME"), NUM("NUM"), INT("INT"), DAT("DAT"), LOG("LOG"), MEMO("MEMO"),
    LONGC("LONGC");

std::string MakeAllTypes(const std::string& dir) {
    std::string p = dir + "all.dbf";
    Table::Create(p,
                  {{"NAME", 'C', 20, 0},
                   {"NUM", 'N', 8, 2},
                   {"INT", 'N', 5, 0},
                   {"DAT", 'D', 8, 0},
                   {"LOG", 'L', 1, 0},
                   {"MEMO", 'M', 10, 0},
                   {"LONGC", 'C', 300, 0}},
                  850);
    return p;
}

TEST(FieldCodec, NumericTextOfOtherWriters) {
    double v = -1;
    EXPECT_TRUE(ParseNumericField("  -25.50", &v));
    EXPECT_DOUBLE_EQ(v, -25.5);
    EXPECT_TRUE(ParseNumericField(std::string("\0\0 12.5\0", 8), &v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    for (const char* empty : {"        ", "       .", "       -", ""}) {
        EXPECT_TRUE(ParseNumericField(empty, &v)) << empty;
        EXPECT_EQ(v, 0) << empty;
    }
    EXPECT_TRUE(ParseNumericField(" 1.5E+02", &v));
    EXPECT_DOUBLE_EQ(v, 150);
    for (const char* bad : {"********", "  12,50", "1 2", "--5", "  12a", "inf", "nan", "+-3"})
        EXPECT_FALSE(ParseNumericField(bad, &v)) << bad;
}

TEST(FieldCodec, NumbersRoundHalfAwayAndNeverOverflow) {
    char out[9] = {};
    ASSERT_TRUE(FormatNumericField(2.675, 6, 2, out));
    EXPECT_EQ(std::string(out, 6), "  2.68");
    ASSERT_TRUE(FormatNumericField(116.15, 6, 2, out));
    EXPECT_EQ(std::string(out, 6), "116.15");
    ASSERT_TRUE(FormatNumericField(-25.5, 8, 2, out));
    EXPECT_EQ(std::string(out, 8), "  -25.50");
    ASSERT_TRUE(FormatNumericField(-0.001, 6, 2, out));
    EXPECT_EQ(std::string(out, 6), "  0.00");
    std::memcpy(out, "XXXXXX", 6);
    EXPECT_FALSE(FormatNumericField(1000, 6, 2, out));
    EXPECT_FALSE(FormatNumericField(-100, 6, 2, out));
    EXPECT_FALSE(FormatNumericField(999.995, 6, 2, out));  // rounds to 1000.00
    EXPECT_EQ(std::string(out, 6), "XXXXXX");
    EXPECT_EQ(NumericKey(7.25, 8, 2), "00007.25");
    EXPECT_EQ(NumericKey(-25.5, 8, 2), ",,,*'.',");
    EXPECT_LT(NumericKey(-30, 8, 2), NumericKey(-25.5, 8, 2));
    EXPECT_LT(NumericKey(-0.5, 8, 2), NumericKey(0, 8, 2));
}

class TableTest : public DataTest {};

TEST_F(TableTest, RoundTripOfEveryFieldTypeByteForByte) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        ASSERT_TRUE(db.Used());
        EXPECT_TRUE(db.EoF());
        EXPECT_TRUE(db.BoF());
        ASSERT_TRUE(db.Append());
        db.FieldPut(NAME, Usual(std::string("Größe Äpfel")));
        db.FieldPut(NUM, Usual(-25.5));
        db.FieldPut(INT, Usual(int32_t{42}));
        db.FieldPut(DAT, Usual(Date::FromYMD(2010, 1, 31)));
        db.FieldPut(LOG, Usual(true));
        db.FieldPut(MEMO, Usual(std::string("Zeile 1\r\nZeile ü")));
        db.FieldPut(LONGC, Usual(std::string(299, 'x') + "y"));
        EXPECT_TRUE(db.Status().IsNil());
        ASSERT_TRUE(db.Close());
    }
    std::string bytes = ReadFile(p);
    const size_t hdr = 32 + 7 * 32 + 1, rec = 1 + 20 + 8 + 5 + 8 + 1 + 10 + 300;
    ASSERT_EQ(bytes.size(), hdr + rec + 1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x83);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(static_cast<unsigned char>(bytes[32 + 6 * 32 + 17]),
              1);  // width 300: high byte in decimals
    std::string r = bytes.substr(hdr, rec);
    EXPECT_EQ(r.substr(1, 11),
              "Gr\x94\xE1"
              "e \x8E"
              "pfel");  // code page 850
    EXPECT_EQ(r.substr(21, 8), "  -25.50");
    EXPECT_EQ(r.substr(29, 5), "   42");
    EXPECT_EQ(r.substr(34, 8), "20100131");
    EXPECT_EQ(r.substr(42, 1), "T");
    EXPECT_EQ(r.substr(43, 10), "         1");
    std::string memo = ReadFile(dir_ + "all.dbt");
    ASSERT_EQ(memo.size(), 1024u);
    EXPECT_EQ(memo[0], 2);  // next free block
    EXPECT_EQ(memo.substr(512, 18), "Zeile 1\r\nZeile \x81\x1A\x1A");

    DBServer db(p);
    ASSERT_TRUE(db.Used());
    EXPECT_EQ(db.RecCount(), 1u);
    EXPECT_EQ(db.FieldGet(NAME).AsString(), "Größe Äpfel         ");
    EXPECT_EQ(db.FieldGet(NUM).AsFloat(), -25.5);
    EXPECT_EQ(db.FieldGet(NUM).FloatDecimals(), 2);
    EXPECT_EQ(db.FieldGet(DAT).AsDate(), Date::FromYMD(2010, 1, 31));
    EXPECT_TRUE(db.FieldGet(LOG).AsLogic());
    EXPECT_EQ(db.FieldGet(MEMO).AsString(), "Zeile 1\r\nZeile ü");
    EXPECT_EQ(db.FieldGet(LONGC).AsString().size(), 300u);
    auto specs = db.FieldSpecs();
    ASSERT_EQ(specs.size(), 7u);
    EXPECT_EQ(specs[1].second.ValType(), 'N');
    EXPECT_EQ(specs[1].second.Decimals(), 2);
    EXPECT_EQ(specs[6].second.Length(), 300);
    EXPECT_TRUE(CheckTable(p, {}, 850).Ok());
}

TEST_F(TableTest, ValuesThatDoNotFitAreErrorsAndWriteNothing) {
    std::string p = MakeAllTypes(dir_);
    CatchErrors();
    DBServer db(p);
    ASSERT_TRUE(db.Append());
    db.FieldPut(NUM, Usual(1.5));
    EXPECT_TRUE(db.FieldPut(NUM, Usual(123456.0)).IsNil());  // N(8,2) holds at most 99999.99
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_DATAWIDTH);
    EXPECT_EQ(errors_[0]->SubSystem, "KPDB");
    EXPECT_FALSE(db.Status().IsNil());
    EXPECT_EQ(db.FieldGet(NUM).AsFloat(), 1.5);
    EXPECT_TRUE(db.Status().IsNil());

    EXPECT_TRUE(db.FieldPut(NAME, Usual(std::string(21, 'a'))).IsNil());
    EXPECT_FALSE(
        db.FieldPut(NAME, Usual(std::string(20, 'a') + "   ")).IsNil());  // blanks beyond the width
    EXPECT_TRUE(db.FieldPut(NAME, Usual(std::string("5 €"))).IsNil());    // no euro sign in 850
    EXPECT_TRUE(db.FieldPut(NUM, Usual(std::string("1"))).IsNil());
    EXPECT_TRUE(db.FieldPut(MEMO, Usual(std::string("a\x1A"
                                                    "b")))
                    .IsNil());
    ASSERT_EQ(errors_.size(), 5u);
    EXPECT_EQ(errors_[1]->GenCode, EG_DATAWIDTH);
    EXPECT_EQ(errors_[2]->GenCode, EG_DATAWIDTH);
    EXPECT_EQ(errors_[3]->GenCode, EG_DATATYPE);
    EXPECT_EQ(db.FieldGet(NAME).AsString(), std::string(20, 'a'));
    EXPECT_TRUE(db.Commit());
    EXPECT_EQ(ReadFile(p).find("*"), std::string::npos);  // never asterisks

    // Nil empties a field.
    db.FieldPut(NUM, Usual());
    EXPECT_EQ(db.FieldGet(NUM).AsFloat(), 0);
}

TEST_F(TableTest, AnsiSettingChoosesTheCodePage) {
    std::string p = MakeAllTypes(dir_);
    SetAnsi(true);
    {
        DBServer db(p);
        ASSERT_TRUE(db.Append());
        EXPECT_FALSE(db.FieldPut(NAME, Usual(std::string("5 € Ä"))).IsNil());
    }
    std::string bytes = ReadFile(p);
    EXPECT_NE(bytes.find("5 \x80 \xC4"), std::string::npos);
}

TEST_F(TableTest, TablesOfOtherWritersAreReadRight) {
    RawDbf t;
    t.fields = {
        {"NAME\0GARB", 'C', 5, 0}, {"NUM", 'N', 8, 2}, {"DAT", 'D', 8, 0}, {"LOG", 'L', 1, 0}};
    t.fields[0].name = std::string("NAME\0XY", 7);
    t.records = {
        std::string(" Ab\x99x ") + std::string("\0\0\0 12.5", 8) + "00000000" + "?",
        std::string(" ZZZZZ") + "       ." + "        " + "y",
        std::string("*Del  ") + "       -" + std::string("\0\0\0\0\0\0\0\0", 8) + "n",
        std::string(" Exp  ") + " 1.5E+02" + "    0000" + " ",
    };
    auto check = [&](const std::string& name, const RawDbf& raw, uint32_t expectCount) {
        std::string p = dir_ + name;
        WriteFile(p, raw.Bytes());
        DBServer db(p);
        ASSERT_TRUE(db.Used()) << name;
        EXPECT_EQ(db.RecCount(), expectCount) << name;
        if (expectCount < 4)
            return;
        EXPECT_EQ(db.FieldGet(1).AsString(), "AbÖx ") << name;
        EXPECT_EQ(db.FieldGet(2).AsFloat(), 12.5) << name;
        EXPECT_TRUE(db.FieldGet(3).AsDate().IsEmpty()) << name;
        EXPECT_FALSE(db.FieldGet(4).AsLogic()) << name;
        db.Skip(1);
        EXPECT_EQ(db.FieldGet(2).AsFloat(), 0) << name;
        EXPECT_TRUE(db.FieldGet(4).AsLogic()) << name;
        db.Skip(1);
        EXPECT_TRUE(db.Deleted()) << name;
        EXPECT_EQ(db.FieldGet(2).AsFloat(), 0) << name;
        db.Skip(1);
        EXPECT_EQ(db.FieldGet(2).AsFloat(), 150) << name;
        EXPECT_TRUE(db.FieldGet(3).AsDate().IsEmpty()) << name;
        db.Skip(1);
        EXPECT_TRUE(db.EoF()) << name;
        EXPECT_EQ(db.RecNo(), 5u) << name;
        EXPECT_TRUE(db.Status().IsNil()) << name;
    };
    check("plain.dbf", t, 4);
    RawDbf noTerm = t;
    noTerm.terminator = false;
    check("noterm.dbf", noTerm, 4);
    RawDbf padded = t;
    padded.afterTerminator = std::string(263, '\0');  // record 1 comes from hdrLen
    check("padded.dbf", padded, 4);
    RawDbf wide = t;
    wide.recLen = 1 + 5 + 8 + 8 + 1 + 3;  // more than the fields need
    for (auto& r : wide.records)
        r += "QQQ";
    check("wide.dbf", wide, 4);
    RawDbf noEof = t;
    noEof.eofByte = false;
    check("noeof.dbf", noEof, 4);
    RawDbf stray = t;
    stray.records.push_back(
        "\x1A"
        "garbage");  // a 0x1A where record 5 would start, then trailing bytes
    stray.count = 4;
    stray.eofByte = false;
    check("stray.dbf", stray, 4);
    RawDbf v4 = t;
    v4.version = 0x04;
    v4.cpByte = 0x57;
    check("v4.dbf", v4, 4);
    RawDbf tooMany = t;
    tooMany.count = 9;  // more than the file holds
    check("toomany.dbf", tooMany, 4);
    RawDbf zero = t;
    zero.count = 0;  // the header count rules
    check("zero.dbf", zero, 0);
    SetExclusive(true);
    check("zero_excl.dbf", zero, 0);
    check("toomany_excl.dbf", tooMany, 4);

    // Long C fields with the width's high byte in the decimals byte.
    RawDbf longC;
    longC.fields = {{"TEXT", 'C', 44, 1}};  // 300 wide
    longC.records = {" " + std::string(299, 'a') + "b"};
    WriteFile(dir_ + "longc.dbf", longC.Bytes());
    DBServer db(dir_ + "longc.dbf");
    EXPECT_EQ(db.FieldGet(1).AsString(), std::string(299, 'a') + "b");
}

TEST_F(TableTest, ANumericFieldWithoutANumberIsAnErrorNeverZero) {
    RawDbf t;
    t.fields = {{"NUM", 'N', 6, 2}};
    t.records = {" ******", "  12.50"};
    WriteFile(dir_ + "stars.dbf", t.Bytes());
    CatchErrors();
    DBServer db(dir_ + "stars.dbf");
    EXPECT_TRUE(db.FieldGet(1).IsNil());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_CORRUPTION);
    EXPECT_NE(errors_[0]->Description.find("******"), std::string::npos);
    db.Skip(1);
    EXPECT_EQ(db.FieldGet(1).AsFloat(), 12.5);
    // Writing a good value over the damage mends it.
    db.GoTop();
    EXPECT_FALSE(db.FieldPut(1, Usual(3.0)).IsNil());
    EXPECT_EQ(db.FieldGet(1).AsFloat(), 3.0);
}

TEST_F(TableTest, ForeignAndDamagedHeadersAreRefusedClearly) {
    CatchErrors();
    RawDbf good;
    good.fields = {{"A", 'C', 3, 0}};
    good.records = {" abc"};
    auto openCode = [&](const std::string& name, const std::string& bytes) {
        WriteFile(dir_ + name, bytes);
        errors_.clear();
        DBServer db(dir_ + name);
        EXPECT_FALSE(db.Used()) << name;
        return errors_.empty() ? 0 : errors_[0]->GenCode;
    };
    RawDbf v = good;
    v.version = 0x30;
    EXPECT_EQ(openCode("vfp.dbf", v.Bytes()), EG_UNSUPPORTED);
    v.version = 0x02;
    EXPECT_EQ(openCode("v2.dbf", v.Bytes()), EG_UNSUPPORTED);
    EXPECT_EQ(openCode("short.dbf", good.Bytes().substr(0, 20)), EG_CORRUPTION);
    EXPECT_EQ(openCode("empty.dbf", ""), EG_CORRUPTION);
    RawDbf h = good;
    h.hdrLen = 4000;
    EXPECT_EQ(openCode("hdrlen.dbf", h.Bytes().substr(0, 100)), EG_CORRUPTION);
    RawDbf r = good;
    r.recLen = 2;
    EXPECT_EQ(openCode("reclen.dbf", r.Bytes()), EG_CORRUPTION);
    RawDbf noFields = good;
    noFields.fields.clear();
    noFields.hdrLen = 65;
    EXPECT_EQ(openCode("nofields.dbf", noFields.Bytes()), EG_CORRUPTION);
    RawDbf memo = good;
    memo.version = 0x83;
    EXPECT_EQ(openCode("nomemo.dbf", memo.Bytes()), EG_OPEN);
    EXPECT_EQ(errors_[0]->OsCode, 2u);

    errors_.clear();
    DBServer missing(dir_ + "nothere.dbf");
    EXPECT_FALSE(missing.Used());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_OPEN);
    EXPECT_EQ(errors_[0]->OsCode, 2u);
    EXPECT_NE(errors_[0]->FileName.find("nothere.dbf"), std::string::npos);
    EXPECT_FALSE(missing.GoTop());
    EXPECT_TRUE(missing.EoF());

    // Over 1,000,000,000 bytes the lock bytes would overlap data.
    WriteFile(dir_ + "huge.dbf", good.Bytes());
    {
        uint32_t os = 0;
        auto f =
            OsFile::Open(dir_ + "huge.dbf", OsFile::Share::Shared, OsFile::Access::ReadWrite, &os);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->Truncate(1'000'000'001ULL));
    }
    errors_.clear();
    DBServer huge(dir_ + "huge.dbf");
    EXPECT_FALSE(huge.Used());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_LIMIT);
}

TEST_F(TableTest, MemosOfOtherWritersAndRewrites) {
    RawDbf t;
    t.version = 0x83;
    t.fields = {{"MEMO", 'M', 10, 0}};
    t.records = {"          1", "          2", "        999", "          0"};
    WriteFile(dir_ + "m.dbf", t.Bytes());
    std::string dbt(512, '\0');
    dbt[0] = 3;
    dbt += "single end\x1A" + std::string(500, '\0');  // ended by one 0x1A
    dbt.resize(1024);
    dbt += "at eof\x1A";
    WriteFile(dir_ + "m.dbt", dbt);
    CatchErrors();
    DBServer db(dir_ + "m.dbf");
    ASSERT_TRUE(db.Used());
    EXPECT_EQ(db.FieldGet(1).AsString(), "single end");
    db.Skip(1);
    EXPECT_EQ(db.FieldGet(1).AsString(), "at eof");
    db.Skip(1);
    EXPECT_TRUE(db.FieldGet(1).IsNil());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_CORRUPTION);
    db.Skip(1);
    EXPECT_EQ(db.FieldGet(1).AsString(), "");
    // A changed memo goes to new blocks after everything there is.
    db.GoTop();
    db.FieldPut(1, Usual(std::string(600, 'z')));
    db.Commit();
    std::string after = ReadFile(dir_ + "m.dbt");
    EXPECT_EQ(after.substr(512, 10), "single end");
    EXPECT_EQ(static_cast<unsigned char>(after[0]), 5);  // blocks 3 and 4 taken
    EXPECT_EQ(after.substr(1536, 600), std::string(600, 'z'));
    EXPECT_EQ(db.FieldGet(1).AsString(), std::string(600, 'z'));
}

TEST_F(TableTest, NavigationDeletedRecordsAndThePhantomRecord) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        for (int i = 1; i <= 5; ++i) {
            db.Append();
            db.FieldPut(INT, Usual(int32_t{i}));
        }
        db.GoTo(2);
        EXPECT_TRUE(db.Delete());
        db.GoTo(5);
        db.Delete();
    }
    SetDeleted(true);
    DBServer db(p);
    std::vector<int> seen;
    for (db.GoTop(); !db.EoF(); db.Skip(1))
        seen.push_back(db.FieldGet(INT).AsLong());
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(db.RecNo(), 6u);
    // The phantom record reads blank.
    EXPECT_EQ(db.FieldGet(INT).AsFloat(), 0);
    EXPECT_EQ(db.FieldGet(NAME).AsString(), std::string(20, ' '));
    EXPECT_TRUE(db.FieldGet(DAT).AsDate().IsEmpty());
    EXPECT_TRUE(db.Skip(-1));
    EXPECT_EQ(db.RecNo(), 4u);
    db.GoBottom();
    EXPECT_EQ(db.RecNo(), 4u);
    db.GoTop();
    EXPECT_FALSE(db.BoF());
    db.Skip(-1);
    EXPECT_TRUE(db.BoF());
    EXPECT_EQ(db.RecNo(), 1u);
    db.SetFilter([](DBServer& s) { return s.FieldGet(INT).AsLong() != 3; });
    seen.clear();
    for (db.GoTop(); !db.EoF(); db.Skip(1))
        seen.push_back(db.FieldGet(INT).AsLong());
    EXPECT_EQ(seen, (std::vector<int>{1, 4}));
    db.ClearFilter();
    db.GoTo(2);  // GoTo reaches a deleted record
    EXPECT_TRUE(db.Deleted());
    EXPECT_TRUE(db.Recall());
    SetDeleted(false);
    EXPECT_EQ(db.RecCount(), 5u);
    db.GoTo(99);
    EXPECT_TRUE(db.EoF());
}

TEST_F(TableTest, AppendKeepsTheHeaderRight) {
    std::string p = MakeAllTypes(dir_);
    DBServer db(p);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(db.Append());
    std::string bytes = ReadFile(p);
    EXPECT_EQ(bytes[4], 3);
    EXPECT_EQ(bytes.back(), '\x1A');
    size_t hdr = 32 + 7 * 32 + 1, rec = 353;
    EXPECT_EQ(bytes.size(), hdr + 3 * rec + 1);
    Date today = Today();
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), today.Year() - 1900);
    EXPECT_EQ(bytes[2], today.Month());
    EXPECT_EQ(bytes[3], today.Day());
}

TEST_F(TableTest, ExclusiveOpenGivesOthersTheSharingViolation) {
    std::string p = MakeAllTypes(dir_);
    SetExclusive(true);
    DBServer mine(p);
    ASSERT_TRUE(mine.Used());
    SetExclusive(false);
    CatchErrors();
    DBServer other(p);
    EXPECT_FALSE(other.Used());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_OPEN);
    EXPECT_EQ(errors_[0]->OsCode, 32u);
    mine.Close();
    DBServer later(p);
    EXPECT_TRUE(later.Used());
}

TEST_F(TableTest, RecordLocksBetweenTwoHandlesAndReReadUnderTheLock) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        db.Append();
        db.Append();
    }
    DBServer a(p), b(p);
    a.SetLockTimeout(100);
    b.SetLockTimeout(100);
    b.GoTop();  // b reads record 1 before a changes it
    a.GoTop();
    a.FieldPut(NAME, Usual(std::string("from a")));
    int asked = 0;
    ErrorBlock([&](std::shared_ptr<Error> e) {
        ++asked;
        EXPECT_EQ(e->GenCode, EG_LOCK);
        EXPECT_TRUE(e->CanRetry);
        return Usual(asked < 2);  // retry once, then give up
    });
    EXPECT_TRUE(b.FieldPut(INT, Usual(int32_t{7})).IsNil());
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(b.Status().IsNil());
    a.Skip(1);  // moving releases the lock and writes the record
    ErrorBlock(ErrorBlockFn());
    EXPECT_FALSE(b.FieldPut(INT, Usual(int32_t{7})).IsNil());
    // b re-read the record under its lock: a's change is kept.
    EXPECT_EQ(b.FieldGet(NAME).AsString(), "from a              ");
    b.Commit();
    a.GoTop();
    EXPECT_EQ(a.FieldGet(INT).AsLong(), 7);
    EXPECT_EQ(a.FieldGet(NAME).AsString(), "from a              ");
}

TEST_F(TableTest, RLockReReadsSoAReadComputeWriteSeesTheOtherProgramsChange) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        db.Append();
        db.FieldPut(INT, Usual(int32_t{10}));
    }
    DBServer a(p), b(p);
    a.SetLockTimeout(100);
    b.SetLockTimeout(100);
    b.GoTop();
    EXPECT_EQ(b.FieldGet(INT).AsLong(), 10);  // b's view before a writes
    a.GoTop();
    a.FieldPut(INT, Usual(int32_t{20}));
    a.Commit();
    ASSERT_TRUE(b.RLock());
    EXPECT_EQ(b.FieldGet(INT).AsLong(), 20);  // re-read under the lock
    // While b holds the record, a cannot take it.
    CatchErrors();
    a.GoTop();
    EXPECT_TRUE(a.FieldPut(INT, Usual(int32_t{30})).IsNil());
    ASSERT_FALSE(errors_.empty());
    EXPECT_EQ(errors_.back()->GenCode, EG_LOCK);
    // The user is told which record is held, and that waiting helps.
    EXPECT_EQ(
        errors_.back()->Description,
        "Datensatz 1 wird gerade von einem anderen Programm bearbeitet; bitte später wiederholen.");
    b.FieldPut(INT, Usual(b.FieldGet(INT).AsLong() + 1));
    b.Commit();
    a.GoTop();
    EXPECT_EQ(a.FieldGet(INT).AsLong(), 21);
}

TEST_F(TableTest, ABreakFromTheHandlerLeavesNoLockBehind) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        db.Append();
    }
    DBServer a(p), b(p);
    b.SetLockTimeout(50);
    ErrorBlock([](std::shared_ptr<Error> e) -> Usual {
        Break(Usual(std::static_pointer_cast<Object>(e)));
    });
    bool broke = !BeginSequence([&] { a.FieldPut(NUM, Usual(1e9)); });  // too wide
    EXPECT_TRUE(broke);
    ErrorBlock(ErrorBlockFn());
    // a gave its lock back: b can write at once.
    EXPECT_FALSE(b.FieldPut(NUM, Usual(2.0)).IsNil());
}

TEST_F(TableTest, RevertDropsUnwrittenFieldsAndReleasesTheRecord) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        db.Append();
        db.FieldPut(INT, Usual(int32_t{10}));
        db.FieldPut(NAME, Usual(std::string("stored")));
    }
    DBServer a(p), b(p);
    b.SetLockTimeout(50);
    a.GoTop();
    // Half a save: one field put, the next one refused.
    a.FieldPut(INT, Usual(int32_t{99}));
    ASSERT_TRUE(a.Revert());
    EXPECT_EQ(a.FieldGet(INT).AsLong(), 10);
    // Nothing of it reaches the file, not even on the next move or close.
    a.Skip(1);
    a.Commit();
    b.GoTop();
    EXPECT_EQ(b.FieldGet(INT).AsLong(), 10);
    EXPECT_EQ(b.FieldGet(NAME).AsString(), "stored              ");
    // And the record is free for another program at once.
    a.GoTop();
    a.FieldPut(INT, Usual(int32_t{11}));
    a.Revert();
    EXPECT_FALSE(b.FieldPut(INT, Usual(int32_t{12})).IsNil());
    b.Commit();
    a.GoTop();
    EXPECT_EQ(a.FieldGet(INT).AsLong(), 12);
}

TEST_F(TableTest, DamagedFilesNeverCrash) {
    std::string p = MakeAllTypes(dir_);
    {
        DBServer db(p);
        for (int i = 0; i < 60; ++i) {
            db.Append();
            db.FieldPut(NAME, Usual("N" + std::to_string(i * 7919 % 1000)));
            db.FieldPut(NUM, Usual(i * 1.25));
            db.FieldPut(DAT, Usual(Date::FromYMD(2000 + i % 20, 1 + i % 12, 1 + i % 28)));
            if (i % 10 == 0)
                db.FieldPut(MEMO, Usual("memo " + std::to_string(i)));
        }
        ASSERT_TRUE(db.CreateIndex("all.ntx", "UPPER(NAME)+DTOS(DAT)"));
    }
    const std::string dbf = ReadFile(p), ntx = ReadFile(dir_ + "all.ntx"),
                      dbt = ReadFile(dir_ + "all.dbt");
    std::mt19937 rng(1234);
    CatchErrors();
    for (int round = 0; round < 150; ++round) {
        std::string d = dbf, x = ntx, m = dbt;
        std::string& target = round % 3 == 0 ? d : (round % 3 == 1 ? x : m);
        int kind = static_cast<int>(rng() % 3);
        if (kind == 0) {
            target.resize(rng() % (target.size() + 1));
        } else {
            int flips = 1 + static_cast<int>(rng() % 8);
            for (int i = 0; i < flips; ++i) {
                size_t at = round % 3 == 1 ? rng() % 2048 + (rng() % 2) * (rng() % target.size())
                                           : rng() % target.size();
                if (at < target.size())
                    target[at] = static_cast<char>(rng());
            }
        }
        WriteFile(dir_ + "bad.dbf", d);
        WriteFile(dir_ + "bad.ntx", x);
        WriteFile(dir_ + "bad.dbt", m);
        DBServer db(dir_ + "bad.dbf");
        db.SetLockTimeout(10);
        db.SetIndex("bad.ntx");
        for (int dir = 0; dir < 2; ++dir) {
            int steps = 0;
            for (dir ? db.GoBottom() : db.GoTop(); !db.EoF() && !db.BoF() && steps < 200; ++steps) {
                for (int f = 1; f <= db.FCount(); ++f)
                    db.FieldGet(f);
                if (!db.Skip(dir ? -1 : 1))
                    break;
            }
        }
        db.Seek(Usual(std::string("N5")));
        db.SetOrder(0);
        db.GoTop();
        db.FieldPut(NAME, Usual(std::string("x")));
        db.Close();
    }
    SUCCEED();
}

}  // namespace
}  // namespace kp::test

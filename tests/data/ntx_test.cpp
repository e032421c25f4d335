// Indexes: the B-tree against a sorted reference through splits, merges and
// the free chain; bulk builds of every shape; seeks and orders through the
// data server; keys kept right when records change.
#include <algorithm>
#include <random>
#include <set>

#include "platform/data/check.h"
#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/data/fieldcodec.h"
#include "platform/data/ntx.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

class NtxTest : public DataTest {
  protected:
    // A table with one C field of `width` and `n` records "K<i>".
    std::string MakeTable(int width, int n, const std::string& name = "t.dbf") {
        std::string p = dir_ + name;
        Table::Create(p, {{"K", 'C', width, 0}, {"N", 'N', 8, 2}, {"D", 'D', 8, 0}}, 850);
        TableOptions o;
        o.exclusive = true;
        auto t = Table::Open(p, o);
        std::vector<char> buf;
        std::vector<char> rec(t->RecLen());
        for (int i = 0; i < n; ++i) {
            t->BlankRecord(rec.data());
            t->PutValue(rec.data(), 0, Usual("K" + std::to_string((i * 7919) % (n + 1))));
            t->PutValue(rec.data(), 1, Usual((i % 41) - 20.5));
            buf.insert(buf.end(), rec.begin(), rec.end());
        }
        if (n)
            t->AppendRecords(buf.data(), static_cast<uint32_t>(n));
        return p;
    }

    static std::vector<NtxIndex::Entry> Walk(NtxIndex& x, std::vector<std::string>* faults) {
        std::vector<NtxIndex::Entry> out;
        std::vector<std::string> notes;
        x.Verify([&](const NtxIndex::Entry& e) { out.push_back(e); }, faults, &notes);
        return out;
    }
};

TEST_F(NtxTest, InsertAndRemoveMatchASortedReference) {
    // Wide keys give pages of 2 keys (deep trees, many splits and merges);
    // narrow ones pages of 24.
    for (int width : {200, 30}) {
        std::string p = MakeTable(width, 0, "w" + std::to_string(width) + ".dbf");
        TableOptions o;
        auto t = Table::Open(p, o);
        std::string ip = dir_ + "w" + std::to_string(width) + ".ntx";
        NtxIndex::Create(ip, *t, "K", false);
        auto x = NtxIndex::Open(ip, *t, NtxIndex::Options{});
        std::set<std::pair<std::string, uint32_t>> ref;
        std::mt19937 rng(static_cast<unsigned>(width));
        auto key = [&](uint32_t k) {
            std::string s = "k" + std::to_string(k);
            s.resize(static_cast<size_t>(width), ' ');
            if (k % 5 == 0)
                s[0] = static_cast<char>(0xE4);  // bytes above 0x7F sort last
            return s;
        };
        for (int step = 0; step < 3000; ++step) {
            bool insert = ref.size() < 20 || rng() % 100 < (step < 1500 ? 65 : 30);
            if (insert) {
                std::string k = key(rng() % 300);  // many equal keys
                uint32_t r = 1 + rng() % 100000;
                x->Insert(k, r);
                ref.emplace(k, r);
            } else {
                auto it = ref.begin();
                std::advance(it, static_cast<long>(rng() % ref.size()));
                EXPECT_TRUE(x->Remove(it->first, it->second));
                ref.erase(it);
            }
            if (step % 250 == 0 || step == 2999) {
                std::vector<std::string> faults;
                auto got = Walk(*x, &faults);
                ASSERT_TRUE(faults.empty()) << faults[0];
                ASSERT_EQ(got.size(), ref.size());
                size_t i = 0;
                for (const auto& e : ref) {
                    ASSERT_EQ(got[i].key, e.first);
                    ASSERT_EQ(got[i].rec, e.second);
                    ++i;
                }
            }
        }
        EXPECT_FALSE(x->Remove(key(999), 1));
        // Navigation by entries agrees with the reference.
        NtxIndex::Entry e;
        ASSERT_TRUE(x->First(&e));
        EXPECT_EQ(e.key, ref.begin()->first);
        ASSERT_TRUE(x->Last(&e));
        EXPECT_EQ(e.rec, ref.rbegin()->second);
        auto mid = std::next(ref.begin(), static_cast<long>(ref.size() / 2));
        ASSERT_TRUE(x->After(mid->first, mid->second, &e));
        EXPECT_EQ(std::make_pair(e.key, e.rec), *std::next(mid));
        ASSERT_TRUE(x->Before(mid->first, mid->second, &e));
        EXPECT_EQ(std::make_pair(e.key, e.rec), *std::prev(mid));

        // Emptied, the tree is one empty leaf again and its pages are reused.
        for (const auto& r : ref)
            x->Remove(r.first, r.second);
        std::vector<std::string> faults;
        EXPECT_TRUE(Walk(*x, &faults).empty());
        EXPECT_TRUE(faults.empty());
        EXPECT_FALSE(x->First(&e));
        auto sizeBefore = ReadFile(ip).size();
        for (uint32_t i = 0; i < 40; ++i)
            x->Insert(key(i), i + 1);
        EXPECT_EQ(ReadFile(ip).size(), sizeBefore);
    }
}

TEST_F(NtxTest, BulkBuildsOfEveryShapeAreValidTrees) {
    for (int width : {250, 100}) {
        for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 9, 17, 26, 27, 28, 80, 81, 82, 250, 729, 1000}) {
            std::string p =
                MakeTable(width, n, "b" + std::to_string(width) + "_" + std::to_string(n) + ".dbf");
            std::string ip = p + ".ntx";
            auto t = Table::Open(p, TableOptions{});
            NtxIndex::Create(ip, *t, "K", false);
            CheckReport rep = CheckTable(p, {ip}, 850);
            EXPECT_TRUE(rep.Ok()) << width << "/" << n << ": " << rep.faults[0];
            EXPECT_TRUE(rep.notes.empty()) << width << "/" << n << ": " << rep.notes[0];
            EXPECT_EQ(rep.indexKeys[0], static_cast<uint64_t>(n));
            if (n == 0) {
                EXPECT_EQ(ReadFile(ip).size(), 2048u);
            }
        }
    }
}

TEST_F(NtxTest, HeaderIsWrittenAsOthersExpect) {
    std::string p = MakeTable(10, 3);
    auto t = Table::Open(p, TableOptions{});
    NtxIndex::Create(dir_ + "h.ntx", *t, "K", false);
    std::string h = ReadFile(dir_ + "h.ntx");
    ASSERT_EQ(h.size(), 2048u);
    auto u16 = [&](size_t o) {
        return static_cast<unsigned char>(h[o]) | (static_cast<unsigned char>(h[o + 1]) << 8);
    };
    EXPECT_EQ(u16(0), 6);
    EXPECT_EQ(u16(4), 1024);
    EXPECT_EQ(u16(12), 18);
    EXPECT_EQ(u16(14), 10);
    EXPECT_EQ(u16(18), 50);
    EXPECT_EQ(u16(20), 25);
    EXPECT_EQ(h.substr(22, 2), std::string("K\0", 2));
    EXPECT_EQ(u16(1024), 3);
    EXPECT_EQ(u16(1026), 2 + 2 * 51);
}

TEST_F(NtxTest, SeekFindsThePrefixAndNeverSoftSeeks) {
    std::string p = dir_ + "adr.dbf";
    Table::Create(
        p, {{"NNAME", 'C', 12, 0}, {"BETRAG", 'N', 8, 2}, {"TAG", 'D', 8, 0}, {"AKTIV", 'L', 1, 0}},
        850);
    SetDeleted(true);
    DBServer db(p);
    const char* names[] = {"Müller", "Meier", "Özdemir", "Zander",
                           "Mayer",  "meier", "Maier",   "Ärger"};
    double amounts[] = {10, -25.5, 3, -3, 100, 0, 7.25, -100};
    for (int i = 0; i < 8; ++i) {
        db.Append();
        db.FieldPut(Symbol("NNAME"), Usual(std::string(names[i])));
        db.FieldPut(Symbol("BETRAG"), Usual(amounts[i]));
        db.FieldPut(Symbol("TAG"), Usual(Date::FromYMD(2010, 1 + i, 1)));
        db.FieldPut(Symbol("AKTIV"), Usual(i % 2 == 0));
    }
    ASSERT_TRUE(db.CreateIndex("adr1", "UPPER(NNAME)"));
    ASSERT_TRUE(db.CreateIndex("adr2", "BETRAG"));
    ASSERT_TRUE(db.CreateIndex("adr3", "DTOS(TAG)+LEFT(NNAME,3)"));
    EXPECT_EQ(db.IndexOrd(), 1);
    auto order = [&] {
        std::vector<std::string> out;
        for (db.GoTop(); !db.EoF(); db.Skip(1)) {
            std::string n = db.FieldGet(Symbol("NNAME")).AsString();
            out.push_back(n.substr(0, n.find_last_not_of(' ') + 1));
        }
        return out;
    };
    // Bytes compare unsigned: Ä (0x8E) and Ö (0x99) after Z.
    EXPECT_EQ(order(), (std::vector<std::string>{"Maier", "Mayer", "Meier", "meier", "Müller",
                                                 "Zander", "Ärger", "Özdemir"}));
    EXPECT_TRUE(db.Seek(Usual(std::string("ME"))));
    EXPECT_TRUE(db.Found());
    EXPECT_EQ(db.RecNo(), 2u);  // the first of the equal keys
    EXPECT_TRUE(db.Seek(Usual(std::string("M"))));
    EXPECT_EQ(db.RecNo(), 7u);
    EXPECT_FALSE(db.Seek(Usual(std::string("MZ"))));
    EXPECT_TRUE(db.EoF());
    EXPECT_FALSE(db.Found());
    EXPECT_TRUE(db.Seek(Usual(std::string("ÖZDEMIR     "))));
    EXPECT_FALSE(db.Seek(Usual(std::string("ÖZDEMIR      x"))));
    // Deleted records are passed over by the seek.
    db.Seek(Usual(std::string("MEIER")));
    db.Delete();
    EXPECT_TRUE(db.Seek(Usual(std::string("MEIER"))));
    EXPECT_EQ(db.RecNo(), 6u);
    db.GoTo(2);
    db.Recall();

    ASSERT_TRUE(db.SetOrder("ADR2"));
    EXPECT_EQ(db.IndexOrd(), 2);
    std::vector<double> amountsSeen;
    for (db.GoTop(); !db.EoF(); db.Skip(1))
        amountsSeen.push_back(db.FieldGet(Symbol("BETRAG")).AsFloat());
    EXPECT_TRUE(std::is_sorted(amountsSeen.begin(), amountsSeen.end()));
    EXPECT_EQ(amountsSeen.size(), 8u);
    EXPECT_TRUE(db.Seek(Usual(-25.5)));
    EXPECT_EQ(db.RecNo(), 2u);
    EXPECT_FALSE(db.Seek(Usual(-25.0)));
    db.SetOrder(3);
    EXPECT_TRUE(db.Seek(Usual(std::string("20100301"))));
    EXPECT_EQ(db.RecNo(), 3u);
    // Backwards through an order, and past its top.
    db.SetOrder(1);
    db.GoBottom();
    EXPECT_EQ(db.RecNo(), 3u);
    db.Skip(-1);
    EXPECT_EQ(db.RecNo(), 8u);
    db.GoTop();
    db.Skip(-1);
    EXPECT_TRUE(db.BoF());
    EXPECT_EQ(db.RecNo(), 7u);
    EXPECT_TRUE(db.SetOrder(0));
    db.GoTop();
    EXPECT_EQ(db.RecNo(), 1u);
    CatchErrors();
    EXPECT_FALSE(db.Seek(Usual(std::string("X"))));
    EXPECT_EQ(errors_.back()->GenCode, EG_NOORDER);
    db.Close();
    for (const char* i : {"adr1.ntx", "adr2.ntx", "adr3.ntx"})
        EXPECT_TRUE(CheckTable(p, {dir_ + i}, 850).Ok()) << i;
}

TEST_F(NtxTest, KeysFollowFieldPutAppendAndUniqueness) {
    std::string p = MakeTable(10, 200);
    {
        DBServer db(p);
        ASSERT_TRUE(db.CreateIndex("k", "K"));
        ASSERT_TRUE(db.CreateIndex("u", "LEFT(K,2)", true));
        db.SetOrder(1);
        // Changing a key moves the record in the order.
        ASSERT_TRUE(db.Seek(Usual(std::string("K1"))));
        uint32_t r = db.RecNo();
        db.FieldPut(Symbol("K"), Usual(std::string("ZZZ")));
        db.Skip(1);  // writes, then goes on from the record's new place
        EXPECT_TRUE(db.EoF());
        db.GoBottom();
        EXPECT_EQ(db.RecNo(), r);
        for (int i = 0; i < 30; ++i) {
            db.Append();
            db.FieldPut(Symbol("K"), Usual("A" + std::to_string(i)));
        }
        db.Commit();
        db.GoTop();
        EXPECT_EQ(db.FieldGet(Symbol("K")).AsString(), "A0        ");
        db.SetOrder(2);
        std::vector<std::string> keys;
        for (db.GoTop(); !db.EoF(); db.Skip(1))
            keys.push_back(db.FieldGet(Symbol("K")).AsString().substr(0, 2));
        EXPECT_EQ(keys.size(),
                  std::set<std::string>(keys.begin(), keys.end()).size());  // one record per key
    }
    CheckReport rep = CheckTable(p, {dir_ + "k.ntx", dir_ + "u.ntx"}, 850);
    EXPECT_TRUE(rep.Ok()) << rep.faults[0];
    EXPECT_EQ(rep.indexKeys[0], 230u);
}

TEST_F(NtxTest, AnExpressionWeCannotEvaluateIsAnErrorNamingIt) {
    std::string p = MakeTable(10, 2);
    auto t = Table::Open(p, TableOptions{});
    NtxIndex::Create(dir_ + "x.ntx", *t, "K", false);
    std::string h = ReadFile(dir_ + "x.ntx");
    std::string expr = "SOUNDEX(K)";
    h.replace(22, expr.size() + 1, expr + '\0');
    WriteFile(dir_ + "x.ntx", h);
    CatchErrors();
    DBServer db(p);
    EXPECT_FALSE(db.SetIndex("x.ntx"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0]->Description.find("SOUNDEX(K)"), std::string::npos);
    EXPECT_EQ(db.IndexOrd(), 0);
    for (const char* bad : {"K+", "UPPER(N)", "NOFIELD", "K->", "STR(K)", "SUBSTR(K,N)"}) {
        EXPECT_THROW(NtxIndex::Create(dir_ + "y.ntx", *t, bad, false), DbError) << bad;
    }
    for (const char* good : {"vertrag->K", "STR(N,10,2)+K", "ALLTRIM(K)+LTRIM(K)+RTRIM(K)",
                             "SUBS(K,2,3)", "RIGHT(LOWER(K),2)", "DTOS(D)", "STR(VAL(K)+1)"}) {
        EXPECT_NO_THROW(NtxIndex::Create(dir_ + "y.ntx", *t, good, false)) << good;
        EXPECT_TRUE(CheckTable(p, {dir_ + "y.ntx"}, 850).Ok()) << good;
    }
}

TEST_F(NtxTest, ANumericKeyWiderThanItsKeyIsRefusedNeverCut) {
    std::string p = dir_ + "n.dbf";
    Table::Create(p, {{"A", 'N', 4, 0}, {"B", 'N', 4, 0}}, 850);
    {
        TableOptions o;
        o.exclusive = true;
        auto t = Table::Open(p, o);
        std::vector<char> rec(t->RecLen());
        for (double a : {1000.0, 20.0, 4000.0}) {
            t->BlankRecord(rec.data());
            t->PutValue(rec.data(), 0, Usual(a));
            t->PutValue(rec.data(), 1, Usual(1000.0));
            t->AppendRecords(rec.data(), 1);
        }
    }
    const std::string ip = dir_ + "n.ntx";
    {
        auto t = Table::Open(p, TableOptions{});
        NtxIndex::Create(ip, *t, "A+B", false);  // 2000, 1020, 5000: four digits each
    }
    EXPECT_EQ(NumericKey(12000, 4, 0), std::nullopt);
    EXPECT_EQ(NumericKey(-9999, 4, 0).value_or("?").size(), 4u);

    // Through the data server: the value that would overflow the key is
    // refused like a value too wide for its field, and nothing is written.
    CatchErrors();
    {
        DBServer db(p);
        ASSERT_TRUE(db.SetIndex("n.ntx"));
        db.GoTo(1);
        EXPECT_TRUE(db.FieldPut(Symbol("A"), Usual(9999.0)).IsNil());
        ASSERT_EQ(errors_.size(), 1u);
        EXPECT_EQ(errors_[0]->GenCode, EG_DATAWIDTH);
        EXPECT_NE(errors_[0]->Description.find("A+B"), std::string::npos);
        EXPECT_EQ(db.FieldGet(Symbol("A")).AsFloat(), 1000.0);
        EXPECT_FALSE(db.FieldPut(Symbol("A"), Usual(5000.0)).IsNil());
        db.Commit();
        // A sum no key can hold is not found in place of its rightmost digits.
        EXPECT_FALSE(db.Seek(Usual(16000.0)));
        EXPECT_TRUE(db.Seek(Usual(6000.0)));
    }
    EXPECT_EQ(errors_.size(), 1u);
    CheckReport ok = CheckTable(p, {ip}, 850);
    EXPECT_TRUE(ok.Ok()) << ok.faults[0];

    // A record another program changed so that its key no longer fits: the
    // cut key would even equal the stored one (2000 for 12000); check finds
    // it, and a rebuild refuses it and keeps the old index.
    {
        std::string b = ReadFile(p);
        auto t = Table::Open(p, TableOptions{});
        size_t at = t->HdrLen() + 2 * t->RecLen() + 1;  // record 3, field A
        t.reset();
        b.replace(at, 8, "90003000");
        WriteFile(p, b);
    }
    CheckReport bad = CheckTable(p, {ip}, 850);
    ASSERT_EQ(bad.faults.size(), 1u);
    EXPECT_EQ(bad.faults[0].find(ip + ": record 3: Der Wert 12000 passt nicht"), 0u)
        << bad.faults[0];
    const std::string before = ReadFile(ip);
    auto t = Table::Open(p, TableOptions{});
    try {
        NtxIndex::Create(ip, *t, "A+B", false);
        ADD_FAILURE() << "a key of five digits was cut to four";
    } catch (const DbError& e) {
        EXPECT_EQ(e.genCode, EG_DATAWIDTH);
        EXPECT_NE(e.description.find("12000"), std::string::npos) << e.description;
    }
    EXPECT_EQ(ReadFile(ip), before);
}

TEST_F(NtxTest, IntegerLiteralsAndDayCountsBeyondTheirRangeAreSafe) {
    std::string p = dir_ + "l.dbf";
    Table::Create(p, {{"K", 'C', 10, 0}, {"N", 'N', 20, 0}, {"D", 'D', 8, 0}}, 850);
    {
        TableOptions o;
        o.exclusive = true;
        auto t = Table::Open(p, o);
        std::vector<char> rec(t->RecLen());
        t->BlankRecord(rec.data());
        t->PutValue(rec.data(), 0, Usual(std::string("ABCDEFGHIJ")));
        t->PutValue(rec.data(), 1, Usual(1e19));
        t->PutValue(rec.data(), 2, Usual(Date::FromYMD(2010, 1, 1)));
        t->AppendRecords(rec.data(), 1);
    }
    auto t = Table::Open(p, TableOptions{});
    for (const char* bad :
         {"SUBSTR(K,2147483648)", "SUBSTR(K,4294967298)", "LEFT(K,3000000000)",
          "SUBSTR(K,1,99999999999999999999)", "STR(N,2147483649)", "RIGHT(K,1e3)"}) {
        EXPECT_THROW(NtxIndex::Create(dir_ + "x.ntx", *t, bad, false), DbError) << bad;
    }
    EXPECT_FALSE(FileExists(dir_ + "x.ntx"));
    // The largest literal that fits int is still taken as a position.
    EXPECT_THROW(NtxIndex::Create(dir_ + "x.ntx", *t, "SUBSTR(K,2147483647)", false), DbError);
    NtxIndex::Create(dir_ + "x.ntx", *t, "SUBSTR(K,2.9)", false);
    auto x = NtxIndex::Open(dir_ + "x.ntx", *t, NtxIndex::Options{});
    EXPECT_EQ(x->KeyOf(t->Fetch(1, false)), "BCDEFGHIJ");
    x.reset();
    // A date plus a day count far beyond the calendar is the empty date.
    NtxIndex::Create(dir_ + "y.ntx", *t, "D+N", false);
    x = NtxIndex::Open(dir_ + "y.ntx", *t, NtxIndex::Options{});
    EXPECT_EQ(x->KeyOf(t->Fetch(1, false)), "        ");
}

}  // namespace
}  // namespace kp::test

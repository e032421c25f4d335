// The second program of the two-process tests.
//   data_helper lock    <table> <recno> <hold-ms> <ready-file>
//   data_helper append  <table> <index> <count> <tag>
//   data_helper rewrite <table> <ready-file>       (runs until killed)
//   data_helper reindex <table> <index> <ready-file> (runs until killed)
//   data_helper appendhold <table> <index1> <index2> <name> <ready-file> <go-file>
//       appends a record named <name>, says ready before its commit and
//       commits when go-file appears
//   data_helper appendkill <table> <index> <ready-file>
//       appends a record and fills it, says ready and waits to be killed
//       before its commit
//   data_helper lockrun <table> <first> <last> <ready-file> <release-file>
//       holds records first..last with one range lock until release-file
//       appears
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/data/dbserver.h"
#include "platform/data/ntx.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"
#include "tests/data/proc.h"

using namespace kp;

namespace {
void Ready(const std::string& path) {
    std::ofstream(path) << "ready";
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    SetOemCodePage(850);
    SetAnsi(false);
    SetExclusive(false);
    std::string mode = argv[1];
    // Lock errors are retried here: the helper must not give up.
    ErrorBlock([](std::shared_ptr<Error> e) {
        return Usual(e->GenCode == EG_LOCK || e->GenCode == EG_APPENDLOCK);
    });
    if (mode == "lock" && argc == 6) {
        DBServer db(argv[2]);
        if (!db.Used() || !db.GoTo(static_cast<uint32_t>(std::atoi(argv[3]))))
            return 3;
        if (db.FieldPut(1, db.FieldGet(1)).IsNil())
            return 4;  // takes the record lock
        Ready(argv[5]);
        test::SleepMillis(std::atoi(argv[4]));
        db.Close();
        return 0;
    }
    if (mode == "append" && argc == 6) {
        DBServer db(argv[2]);
        if (!db.Used() || !db.SetIndex(argv[3]))
            return 3;
        int n = std::atoi(argv[4]);
        for (int i = 0; i < n; ++i) {
            if (!db.Append())
                return 4;
            db.FieldPut(Symbol("NAME"), Usual(std::string(argv[5]) + std::to_string(i)));
            db.FieldPut(Symbol("NUM"), Usual(static_cast<int32_t>(i)));
            if (!db.Commit())
                return 5;
        }
        db.Close();
        return 0;
    }
    if (mode == "appendhold" && argc == 8) {
        DBServer db(argv[2]);
        if (!db.Used() || !db.SetIndex(argv[3]) || !db.SetIndex(argv[4]))
            return 3;
        if (!db.Append())
            return 4;
        db.FieldPut(Symbol("NAME"), Usual(std::string(argv[5])));
        db.FieldPut(Symbol("NUM"), Usual(int32_t{7}));
        Ready(argv[6]);
        for (int i = 0; i < 6000 && !test::FileExists(argv[7]); ++i)
            test::SleepMillis(10);
        return db.Commit() ? 0 : 5;
    }
    if (mode == "appendkill" && argc == 5) {
        DBServer db(argv[2]);
        if (!db.Used() || !db.SetIndex(argv[3]) || !db.Append())
            return 3;
        db.FieldPut(Symbol("NAME"), Usual(std::string("HALB")));
        Ready(argv[4]);
        for (;;)
            test::SleepMillis(100);
    }
    if (mode == "lockrun" && argc == 7) {
        DBServer db(argv[2]);
        if (!db.Used() || !db.LockRun(static_cast<uint32_t>(std::atoi(argv[3])),
                                      static_cast<uint32_t>(std::atoi(argv[4]))))
            return 3;
        Ready(argv[5]);
        for (int i = 0; i < 6000 && !test::FileExists(argv[6]); ++i)
            test::SleepMillis(10);
        db.UnlockRun();
        db.Close();
        return 0;
    }
    if (mode == "rewrite" && argc == 4) {
        DBServer db(argv[2]);
        if (!db.Used())
            return 3;
        Ready(argv[3]);
        for (int32_t k = 1;; ++k) {
            for (db.GoTop(); !db.EoF(); db.Skip(1)) {
                db.FieldPut(Symbol("A"), Usual(k));
                db.FieldPut(Symbol("B"), Usual(2 * k));
                db.FieldPut(Symbol("C"), Usual(3 * k));
            }
        }
    }
    if (mode == "reindex" && argc == 5) {
        // Rebuilds the index again and again, on two expressions in turn.
        auto t = Table::Open(argv[2], TableOptions{});
        Ready(argv[4]);
        for (int k = 0;; ++k)
            NtxIndex::Create(argv[3], *t, k % 2 ? "K" : "RIGHT(K,6)+K", false);
    }
    return 2;
}

// The second program of the conversion's two-process tests.
//   conv_helper hold <table> <recno> <ready-file> <release-file>
//       holds the record's lock until release-file appears
//   conv_helper trylock <table> <recno>
//       one attempt at the record's lock: exit 0 when granted, 1 refused
//   conv_helper convert <table> <ready-file> <percent>
//       counts and converts as the program does; writes ready-file once
//       the progress reaches percent (or at the end, when it never does)
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/VSteuerUmstellung.h"
#include "platform/data/dbserver.h"
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
    SetDeleted(true);
    const std::string mode = argv[1];
    // Lock errors are retried (the trylock mode answers them itself).
    ErrorBlock([&](std::shared_ptr<Error> e) {
        return Usual(mode != "trylock" && (e->GenCode == EG_LOCK || e->GenCode == EG_APPENDLOCK));
    });
    if (mode == "hold" && argc == 6) {
        DBServer db(argv[2]);
        if (!db.Used() || !db.GoTo(static_cast<uint32_t>(std::atoi(argv[3]))) || !db.RLock())
            return 3;
        Ready(argv[4]);
        for (int i = 0; i < 12000 && !test::FileExists(argv[5]); ++i)
            test::SleepMillis(5);
        db.Close();
        return 0;
    }
    if (mode == "trylock" && argc == 4) {
        DBServer db(argv[2]);
        db.SetLockTimeout(0);
        if (!db.Used() || !db.GoTo(static_cast<uint32_t>(std::atoi(argv[3]))))
            return 3;
        return db.RLock() ? 0 : 1;
    }
    if (mode == "convert" && argc == 5) {
        DBServer db(argv[2]);
        if (!db.Used())
            return 3;
        VSteuerUmstellung walk(db);
        const uint32_t total = walk.Count().Total();
        const uint32_t at = static_cast<uint32_t>(std::atoi(argv[4]));
        bool told = false;
        walk.Convert(total ? total : 1, [&](uint32_t percent) {
            if (!told && percent >= at) {
                Ready(argv[3]);
                told = true;
            }
        });
        db.Close();
        if (!told)
            Ready(argv[3]);
        return 0;
    }
    return 2;
}

// A second workstation for the filing and numbering tests.
//   filing_helper <dir> <tag> <count>
//       files `count` letters with a resubmission each into the suite
//       tables of a folder, as fast as it can; exit code 0 when every one
//       was filed
//   filing_helper numbers <dir> <first> <count> <go-file> <out-file>
//       waits for go-file, then reserves one running number for each of the
//       new customers first .. first+count-1 (a fresh DokName.dbf server
//       each time, as each word pad opens it) and writes "<customer>
//       <number>" per line to out-file (number 0 when refused)
//   filing_helper abandon <dir> <ready-file>
//       appends a record to DokName.dbf, DokVW.dbf and DatWV.dbf as numbering
//       and filing do, says ready and waits to be killed before the commits
//   filing_helper forever <dir> <tag> <ready-file>
//       numbers and files letters without end (says ready after the first
//       round), for the tests that kill it at a random moment
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/runtime/strings.h"
#include "tests/data/proc.h"
#include "tests/filing/filing_fixture.h"
#include "wordpad/DokName.h"

namespace {

using namespace kp;

std::unique_ptr<DBServer> Open(const std::string& dir, const std::string& file,
                               std::initializer_list<const char*> indexes) {
    auto s = std::make_unique<DBServer>(dir + file);
    for (const char* x : indexes)
        s->SetIndex(dir + x);
    return s;
}

std::unique_ptr<DBServer> OpenDokName(const std::string& dir) {
    return Open(dir, "DokName.dbf", {"DokName.ntx", "DokName2.ntx", "DokName3.ntx"});
}

// The registers filing writes, opened as the filing dialog opens them.
struct Registers {
    explicit Registers(const std::string& dir)
        : dokVW(Open(dir, "DokVW.dbf",
                     {"DokVW.ntx", "DokVW2.ntx", "DokVW3.ntx", "DokVW4.ntx", "DokVW5.ntx",
                      "DokVW6.ntx", "DokVW7.ntx"})),
          datWV(Open(dir, "DatWV.dbf", {"DatWV.ntx"})) {
        t.dokVW = dokVW.get();
        t.datWV = datWV.get();
    }
    std::unique_ptr<DBServer> dokVW, datWV;
    DateiInfoTabellen t;
};

AblageErgebnis FileOne(const std::string& dir, DateiInfoTabellen& t, const std::string& name) {
    DateiInfoEingabe in;
    in.cAblage = dir + "Texte\\Kunden\\" + name + ".RTF";
    in.cUrsprung = "Kunden";
    in.titel = "Brief " + name;
    in.wiedervorlage = true;
    in.wvDatum = "01.07.2010";
    in.wvGrund = "Helfer " + name;
    in.heute = Date::FromYMD(2010, 6, 15);
    return DateiAblegen(t, in, 20000);
}

std::string Customer(int i) {
    return "K" + PadL(std::to_string(i), 6, "0") + "HM2010";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    test::ProgramSettings();
    const std::string mode = argv[1];
    auto folder = [](const char* arg) { return (std::filesystem::path(arg) / "").string(); };

    if (mode == "numbers" && argc == 7) {
        const std::string dir = folder(argv[2]);
        const int first = std::stoi(argv[3]);
        const int count = std::stoi(argv[4]);
        for (int i = 0; i < 3000 && !test::FileExists(argv[5]); ++i)
            test::SleepMillis(2);
        std::ofstream out(argv[6]);
        for (int i = first; i < first + count; ++i) {
            auto db = OpenDokName(dir);
            const DokNumberResult r = ReserveDokNumber(*db, ParseDokKey(Customer(i)));
            out << i << ' ' << (r.ok ? r.number : 0) << '\n';
            if (!r.ok)
                std::fprintf(stderr, "%s\n", r.message.c_str());
        }
        return 0;
    }
    if (mode == "abandon" && argc == 4) {
        // Killed between append and commit, in numbering and in filing:
        // each register gets the appended record (under its numbering lock,
        // as there) and the values that the commit would have written.
        const std::string dir = folder(argv[2]);
        Registers reg(dir);
        auto dokName = OpenDokName(dir);
        auto nameLock = NumberLock::Acquire(dokName->FullPath(), 5000);
        auto vwLock = NumberLock::Acquire(reg.dokVW->FullPath(), 5000);
        if (!nameLock || !vwLock || !dokName->Append() || !reg.dokVW->Append() ||
            !reg.datWV->Append())
            return 3;
        dokName->FieldPut(Symbol("ADRESSNR"), Usual(std::string("999999")));
        reg.dokVW->FieldPut(Symbol("DOKNR"), Usual(int32_t{99999}));
        reg.datWV->FieldPut(Symbol("WV"), Usual(std::string("verlassen")));
        std::ofstream(argv[3]) << "ready";
        for (;;)
            test::SleepMillis(100);
    }
    if (mode == "forever" && argc == 5) {
        const std::string dir = folder(argv[2]);
        const std::string tag = argv[3];
        Registers reg(dir);
        auto dokName = OpenDokName(dir);
        for (int k = 1;; ++k) {
            // A new addressee, and one that has letters already.
            ReserveDokNumber(*dokName, ParseDokKey(Customer(900000 + k)));
            ReserveDokNumber(*dokName, ParseDokKey(Customer(900000)));
            FileOne(dir, reg.t, tag + std::to_string(k));
            if (k == 1)
                std::ofstream(argv[4]) << "ready";
        }
    }
    if (argc != 4)
        return 2;
    const std::string dir = folder(argv[1]);
    const std::string tag = argv[2];
    const int count = std::stoi(argv[3]);
    Registers reg(dir);
    for (int i = 0; i < count; ++i) {
        const AblageErgebnis r = FileOne(dir, reg.t, tag + std::to_string(i));
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", r.meldung.c_str());
            return 1;
        }
    }
    return 0;
}

// A second workstation for the filing tests: files `count` letters with a
// resubmission each into the suite tables of a folder, as fast as it can.
// Exit code 0 when every one was filed.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/filing/filing_fixture.h"

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    using namespace kp;
    const std::string dir = (std::filesystem::path(argv[1]) / "").string();
    const std::string tag = argv[2];
    const int count = std::stoi(argv[3]);
    test::ProgramSettings();
    auto open = [&](const std::string& file, std::initializer_list<const char*> indexes) {
        auto s = std::make_unique<DBServer>(dir + file);
        for (const char* x : indexes)
            s->SetIndex(dir + x);
        return s;
    };
    auto dokVW = open("DokVW.dbf", {"DokVW.ntx", "DokVW2.ntx", "DokVW3.ntx", "DokVW4.ntx",
                                    "DokVW5.ntx", "DokVW6.ntx", "DokVW7.ntx"});
    auto datWV = open("DatWV.dbf", {"DatWV.ntx"});
    DateiInfoTabellen t;
    t.dokVW = dokVW.get();
    t.datWV = datWV.get();
    for (int i = 0; i < count; ++i) {
        DateiInfoEingabe in;
        in.cAblage = dir + "Texte\\Kunden\\" + tag + std::to_string(i) + ".RTF";
        in.cUrsprung = "Kunden";
        in.titel = "Brief " + tag + std::to_string(i);
        in.wiedervorlage = true;
        in.wvDatum = "01.07.2010";
        in.wvGrund = "Helfer " + tag + std::to_string(i);
        in.heute = Date::FromYMD(2010, 6, 15);
        const AblageErgebnis r = DateiAblegen(t, in, 20000);
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", r.meldung.c_str());
            return 1;
        }
    }
    return 0;
}

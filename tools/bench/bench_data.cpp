// Data benchmark: prints figures, asserts nothing.
//   kp_bench_data [dir] [records]   (default: a temporary folder, 1,000,000)
// Generates the demo contract table with its indexes, then measures a scan
// reading two fields per record, a conversion-like pass (scan, and for the
// affected records lock, read, write three numeric fields, unlock), 10,000
// random seeks in the VERSNR index, and the peak memory of the process.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/settings.h"
#include "tools/demodata/demodata.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PeakRssMb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
#else
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_maxrss) / 1024.0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kp;
    namespace fs = std::filesystem;
    SetOemCodePage(850);
    SetAnsi(false);
    SetDeleted(true);
    SetExclusive(false);
    bool ownDir = argc < 2;
    fs::path dir = ownDir ? fs::temp_directory_path() / "kp_bench_data" : fs::path(argv[1]);
    uint32_t n = argc >= 3 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000000;
    fs::create_directories(dir);
    std::string d = dir.string() + "/";

    auto t0 = std::chrono::steady_clock::now();
    auto sum = demo::WriteVertrag(d, n, 42);
    double gen = Seconds(t0);
    auto size = fs::file_size(d + "Vertrag.DBF");
    std::printf("generate  %u records (%.1f MB) and 2 indexes: %.2f s\n", n,
                static_cast<double>(size) / 1e6, gen);

    const Symbol VSTEUER("VSTEUER"), VERSSPARTE("VERSSPARTE"), VSTEUERDM("VSTEUERDM"),
        BEITRAG("BEITRAG"), VERSNR("VERSNR");
    {
        DBServer db(d + "Vertrag.DBF");
        auto t = std::chrono::steady_clock::now();
        uint64_t visited = 0;
        double total = 0;
        size_t chars = 0;
        for (db.GoTop(); !db.EoF(); db.Skip(1)) {
            total += db.FieldGet(VSTEUER).AsFloat();
            chars += db.FieldGet(VERSSPARTE).AsString().size();
            ++visited;
        }
        double s = Seconds(t);
        std::printf(
            "scan      %llu records, 2 fields each: %.3f s = %.2f million records/s (checksum "
            "%.0f/%zu)\n",
            static_cast<unsigned long long>(visited), s, static_cast<double>(visited) / s / 1e6,
            total, chars);
    }
    {
        DBServer db(d + "Vertrag.DBF");
        auto t = std::chrono::steady_clock::now();
        uint64_t visited = 0, changed = 0;
        for (db.GoTop(); !db.EoF(); db.Skip(1)) {
            ++visited;
            double rate = db.FieldGet(VSTEUER).AsFloat();
            if (rate != 18 && rate != 17.75 && rate != 14)
                continue;
            std::string line = db.FieldGet(VERSSPARTE).AsString();
            // About 8 % of the records: the conversion's rows, thinned out.
            if (db.RecNo() % 6 != 0 || line.find_first_not_of(' ') == std::string::npos)
                continue;
            double newRate = rate == 18 ? 16.15 : (rate == 17.75 ? 16.34 : 13.2);
            double tax = db.FieldGet(VSTEUERDM).AsFloat(), premium = db.FieldGet(BEITRAG).AsFloat();
            db.FieldPut(BEITRAG, Usual(premium - tax + tax / rate * newRate));
            db.FieldPut(VSTEUERDM, Usual(tax / rate * newRate));
            db.FieldPut(VSTEUER, Usual(newRate));
            ++changed;
        }
        db.Close();
        double s = Seconds(t);
        std::printf(
            "convert   %llu records, %llu written (%.1f %%): %.3f s = %.2f million records/s\n",
            static_cast<unsigned long long>(visited), static_cast<unsigned long long>(changed),
            100.0 * static_cast<double>(changed) / static_cast<double>(visited ? visited : 1), s,
            static_cast<double>(visited) / s / 1e6);
    }
    {
        DBServer db(d + "Vertrag.DBF");
        std::vector<std::string> keys;
        uint64_t x = 12345;
        for (int i = 0; i < 10000; ++i) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            db.GoTo(1 + static_cast<uint32_t>((x >> 33) % (n ? n : 1)));
            keys.push_back(db.FieldGet(VERSNR).AsString());
        }
        db.SetIndex("Vertrag5.ntx");
        auto t = std::chrono::steady_clock::now();
        int found = 0;
        for (const auto& k : keys)
            found += db.Seek(Usual(k)) ? 1 : 0;
        double s = Seconds(t);
        std::printf(
            "seek      10000 random keys in a %u-key index: %.3f s (%d found; the rest are deleted "
            "records)\n",
            n, s, found);
    }
    std::printf("peak RSS  %.1f MB\n", PeakRssMb());
    (void)sum;
    if (ownDir)
        fs::remove_all(dir);
    return 0;
}

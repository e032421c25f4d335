// Measures the conversion walk (counting and converting) over a generated
// contract table. Prints figures; passes or fails nothing.
//   bench_conversion generate <folder> <records> [affected %]
//       writes <folder>/Vertrag.DBF with the demo generator (no indexes)
//   bench_conversion run <folder> [protocol]
//       a raw read of the table, then the count and the conversion as the
//       program runs them, with the file calls per 1,000 converted contracts
//       and the peak memory of the process; with "protocol" the conversion
//       writes its protocol beside the table as the window does
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/VSteuerUmstellung.h"
#include "kpsteuer/VSteuerProtokoll.h"
#include "platform/data/dbserver.h"
#include "platform/data/osfile.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "tools/demodata/demodata.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// CPU time of the process so far (user and system), in seconds: on a busy
// machine the figure that other programs' load does not stretch.
double CpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto secs = [](FILETIME f) {
        return static_cast<double>((static_cast<uint64_t>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime) /
               1e7;
    };
    return secs(kernel) + secs(user);
#else
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
#endif
}

// Peak resident memory and, on Windows, peak private memory, in MB.
std::string PeakMemory() {
    char buf[128];
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    std::snprintf(buf, sizeof buf, "working set %.1f MB, private %.1f MB",
                  static_cast<double>(pmc.PeakWorkingSetSize) / 1048576.0,
                  static_cast<double>(pmc.PeakPagefileUsage) / 1048576.0);
#else
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::snprintf(buf, sizeof buf, "resident %.1f MB", static_cast<double>(ru.ru_maxrss) / 1024.0);
#endif
    return buf;
}

std::string Folder(const char* arg) {
    std::string folder = arg;
    if (folder.back() != '/' && folder.back() != '\\')
        folder += std::filesystem::path::preferred_separator;
    return folder;
}

// The whole file read in blocks of the walk's size, nothing decoded: what
// the count pass is measured against.
double RawRead(const std::string& path, uint64_t* bytes) {
    uint32_t err = 0;
    auto f = kp::OsFile::Open(path, kp::OsFile::Share::Shared, kp::OsFile::Access::ReadOnly, &err);
    if (!f)
        return 0;
    std::vector<char> buf(kp::VSteuerUmstellung::kBlockBytes);
    const auto t0 = Clock::now();
    uint64_t off = 0;
    for (int64_t got; (got = f->ReadAt(off, buf.data(), buf.size())) > 0;)
        off += static_cast<uint64_t>(got);
    *bytes = off;
    return Seconds(Clock::now() - t0);
}

int Generate(const std::string& folder, uint32_t records, int affectedPercent) {
    std::filesystem::create_directories(folder);
    const auto t0 = Clock::now();
    const kp::demo::Summary s =
        kp::demo::WriteVertrag(folder, records, 2010, false, affectedPercent);
    std::printf("table:    %u records (%u deleted, %u affected = %.1f %%), written in %.2f s\n",
                s.records, s.deleted, s.row1 + s.row2 + s.row3,
                100.0 * (s.row1 + s.row2 + s.row3) / std::max<uint32_t>(1, s.records),
                Seconds(Clock::now() - t0));
    return 0;
}

int Run(const std::string& folder, bool withProtocol) {
    const std::string path = folder + "Vertrag.DBF";
    uint64_t bytes = 0;
    double cpu = CpuSeconds();
    const double raw = RawRead(path, &bytes);
    const double rawCpu = CpuSeconds() - cpu;
    std::printf("raw read: %.1f MB in %.3f s (CPU %.3f s)\n", static_cast<double>(bytes) / 1e6, raw,
                rawCpu);

    kp::DBServer db(path);
    if (!db.Used()) {
        std::fprintf(stderr, "bench_conversion: %s cannot be opened\n", path.c_str());
        return 1;
    }
    kp::VSteuerUmstellung walk(db);
    const kp::IoCounts before = db.Io();
    cpu = CpuSeconds();
    auto t0 = Clock::now();
    const kp::VSteuerCounts counts = walk.Count();
    const double countSecs = Seconds(Clock::now() - t0);
    const double countCpu = CpuSeconds() - cpu;
    const kp::IoCounts counted = db.Io() - before;
    std::printf(
        "count:    %u affected (%u / %u / %u) in %.3f s (CPU %.3f s) = %.2f x the raw read (CPU "
        "%.2f x); %llu reads\n",
        counts.Total(), counts.row[0], counts.row[1], counts.row[2], countSecs, countCpu,
        raw > 0 ? countSecs / raw : 0.0, rawCpu > 0 ? countCpu / rawCpu : 0.0,
        static_cast<unsigned long long>(counted.reads));

    unsigned moves = 0;
    cpu = CpuSeconds();
    t0 = Clock::now();
    std::unique_ptr<kp::VSteuerProtokoll> protocol;
    if (withProtocol) {
        std::string error;
        protocol = kp::VSteuerProtokoll::Create(db, kp::ProtokollArt::Anpassen, &error);
        walk.SetJournal(protocol.get());
    }
    const auto r = walk.Convert(counts.Total() ? counts.Total() : 1, [&](uint32_t) { ++moves; });
    if (protocol)
        protocol->Finish();
    const double convSecs = Seconds(Clock::now() - t0);
    const double convCpu = CpuSeconds() - cpu;
    const kp::IoCounts io = db.Io() - before - counted;
    db.Close();
    std::printf(
        "convert:  %u converted, %u skipped in %.3f s (CPU %.3f s) = %.0f contracts/s (per CPU "
        "second %.0f); progress moved %u times\n",
        r.converted, r.skipped, convSecs, convCpu, r.converted / convSecs,
        convCpu > 0 ? r.converted / convCpu : 0.0, moves);
    const double per = r.converted ? 1000.0 / r.converted : 0.0;
    std::printf(
        "calls per 1,000 converted contracts: lock %.2f, unlock %.2f, read %.2f, write %.2f, "
        "flush %.2f\n",
        static_cast<double>(io.locks) * per, static_cast<double>(io.unlocks) * per,
        static_cast<double>(io.reads) * per, static_cast<double>(io.writes) * per,
        static_cast<double>(io.flushes) * per);
    std::printf("count+convert: %.3f s (CPU %.3f s)\n", countSecs + convSecs, countCpu + convCpu);
    std::printf("peak memory: %s\n", PeakMemory().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The program's own settings.
    kp::SetDateCountry(5);
    kp::SetCentury(true);
    kp::SetEpoch(1920);
    kp::SetAnsi(false);
    kp::SetDeleted(true);
    kp::SetExclusive(false);

    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "generate" && (argc == 4 || argc == 5))
        return Generate(Folder(argv[2]), static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)),
                        argc == 5 ? std::atoi(argv[4]) : -1);
    if (mode == "run" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "protocol")))
        return Run(Folder(argv[2]), argc == 4);
    std::fputs(
        "usage: bench_conversion generate <folder> <records> [affected %]\n"
        "       bench_conversion run <folder> [protocol]\n",
        stderr);
    return 2;
}

// Measures the conversion walk (counting and converting) over a generated
// contract table. Prints figures; passes or fails nothing.
//   bench_conversion [records] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/VSteuerUmstellung.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "tools/demodata/demodata.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    const uint32_t records =
        argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    const std::filesystem::path dir =
        argc > 2 ? std::filesystem::path(argv[2])
                 : std::filesystem::temp_directory_path() / "kp_bench_conversion";
    std::filesystem::create_directories(dir);
    std::string folder = dir.string();
    if (folder.back() != '/' && folder.back() != '\\')
        folder += std::filesystem::path::preferred_separator;

    // The program's own settings.
    kp::SetDateCountry(5);
    kp::SetCentury(true);
    kp::SetEpoch(1920);
    kp::SetAnsi(false);
    kp::SetDeleted(true);
    kp::SetExclusive(false);

    auto t0 = Clock::now();
    const kp::demo::Summary s = kp::demo::WriteVertrag(folder, records, 2010, false);
    auto t1 = Clock::now();
    std::printf("table: %u records (%u deleted), written in %.2f s\n", s.records, s.deleted,
                Seconds(t1 - t0));

    kp::DBServer db(folder + "Vertrag.DBF");
    kp::VSteuerUmstellung walk(db);
    t0 = Clock::now();
    const kp::VSteuerCounts counts = walk.Count();
    t1 = Clock::now();
    const double countSecs = Seconds(t1 - t0);
    std::printf("count:   %u affected (%u / %u / %u) in %.3f s, %.0f records/s\n", counts.Total(),
                counts.row[0], counts.row[1], counts.row[2], countSecs, s.records / countSecs);

    unsigned moves = 0;
    t0 = Clock::now();
    const auto r = walk.Convert(counts.Total() ? counts.Total() : 1, [&](uint32_t) { ++moves; });
    t1 = Clock::now();
    const double convSecs = Seconds(t1 - t0);
    std::printf(
        "convert: %u converted, %u skipped in %.3f s, %.0f records/s walked, %.0f converted/s; "
        "progress moved %u times\n",
        r.converted, r.skipped, convSecs, s.records / convSecs, r.converted / convSecs, moves);
    db.Close();
    std::filesystem::remove_all(dir);
    return 0;
}

// Measures the browse view of a data window on a generated contract table:
// the time from opening the table to its first rows painted, the jump to the
// last record, paging through the grid, and the memory of the process.
// Prints figures; passes or fails nothing. Needs a display (Wine desktop).
//   bench_browse [records] [folder]
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/gui/app.h"
#include "platform/gui/databrowser.h"
#include "platform/gui/tablewindow.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "tools/demodata/demodata.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Memory {
    double workingMb = 0, peakMb = 0, privateMb = 0;
};

Memory Now() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                         sizeof pmc);
    constexpr double mb = 1024.0 * 1024.0;
    return {static_cast<double>(pmc.WorkingSetSize) / mb,
            static_cast<double>(pmc.PeakWorkingSetSize) / mb,
            static_cast<double>(pmc.PrivateUsage) / mb};
}

// Paints what is pending in the window and all its children, now.
void PaintNow(HWND h) {
    RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Opens the table in the browse view and measures; `label` names the run.
void Run(const std::string& path, const char* label) {
    const Memory before = Now();
    auto t0 = Clock::now();
    auto window = kp::OpenTableWindow(nullptr, path);
    if (!window || !window->Browser()) {
        std::printf("%s: the table could not be opened\n", label);
        return;
    }
    PaintNow(window->Handle());
    auto t1 = Clock::now();
    kp::DataBrowser& grid = *window->Browser();
    const kp::RowSource* rows = grid.Rows();
    std::printf("%s: %u rows (%u hidden) open and first rows painted in %.1f ms (%llu reads)\n",
                label, grid.RowCount(), rows ? rows->HiddenCount() : 0, Ms(t1 - t0),
                static_cast<unsigned long long>(rows ? rows->Reads() : 0));
    kp::ApplicationExec(kp::EXECWHILEEVENT);

    // The last record: the End key, as the user jumps.
    HWND list = grid.Handle();
    t0 = Clock::now();
    SendMessageW(list, WM_KEYDOWN, VK_END, 0);
    PaintNow(list);
    t1 = Clock::now();
    std::printf("%s: jump to the last record (row %d) and paint in %.2f ms\n", label,
                grid.CurrentRow(), Ms(t1 - t0));
    t0 = Clock::now();
    SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    PaintNow(list);
    t1 = Clock::now();
    std::printf("%s: back to the first record in %.2f ms\n", label, Ms(t1 - t0));

    // Paging down, as scrolling does, and random jumps across the table.
    const int pages = 300;
    t0 = Clock::now();
    for (int i = 0; i < pages; ++i) {
        SendMessageW(list, WM_KEYDOWN, VK_NEXT, 0);
        PaintNow(list);
    }
    t1 = Clock::now();
    std::printf("%s: %d pages down, %.2f ms per page painted\n", label, pages, Ms(t1 - t0) / pages);
    std::mt19937 random(2010);
    const int jumps = 500;
    t0 = Clock::now();
    for (int i = 0; i < jumps && grid.RowCount() > 0; ++i) {
        grid.GoToRow(random() % grid.RowCount());
        PaintNow(list);
    }
    t1 = Clock::now();
    std::printf("%s: %d random jumps, %.2f ms per jump painted\n", label, jumps,
                Ms(t1 - t0) / jumps);
    const Memory after = Now();
    std::printf(
        "%s: memory before %.1f MB, after %.1f MB working set (+%.1f), private %.1f MB (+%.1f), "
        "peak %.1f MB\n",
        label, before.workingMb, after.workingMb, after.workingMb - before.workingMb,
        after.privateMb, after.privateMb - before.privateMb, after.peakMb);
    window->EndWindow(true);
}

}  // namespace

int main(int argc, char** argv) {
    const uint32_t records =
        argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    const std::filesystem::path dir =
        argc > 2 ? std::filesystem::path(argv[2])
                 : std::filesystem::temp_directory_path() / "kp_bench_browse";
    std::filesystem::create_directories(dir);
    std::string folder = dir.string();
    if (folder.back() != '/' && folder.back() != '\\')
        folder += std::filesystem::path::preferred_separator;

    // The program's own settings.
    kp::SetDateCountry(5);
    kp::SetCentury(true);
    kp::SetEpoch(1920);
    kp::SetAnsi(false);
    kp::SetExclusive(false);
    kp::SetDecimalSep(',');
    kp::InitGuiLibrary();

    auto t0 = Clock::now();
    const kp::demo::Summary s = kp::demo::WriteVertrag(folder, records, 2010, false);
    auto t1 = Clock::now();
    std::printf("table: %u records (%u deleted), written in %.2f s\n", s.records, s.deleted,
                Ms(t1 - t0) / 1000);
    const std::string path = folder + "Vertrag.DBF";
    kp::SetDeleted(true);
    Run(path, "deleted hidden");
    kp::SetDeleted(false);
    Run(path, "deleted shown ");
    std::filesystem::remove_all(dir);
    return 0;
}

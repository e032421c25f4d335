// Times the real conversion window from outside, as the office sees it:
// VeltoTax2010.exe started in a folder with the contract table, from the
// start to "&Anpassen" enabled (counted), and from the click to the box
// "Hinweis" (converted). Prints figures; passes or fails nothing.
//   bench_window <folder with Vertrag.DBF>
//   bench_window --start <folder with an empty Vertrag.DBF>
//       only the start to the window and back out: what starting the
//       program costs without any contract to count.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/e2e/e2e_program.h"

namespace {

using Clock = std::chrono::steady_clock;
using kp::e2e::E2eError;
using kp::e2e::E2eProgram;
using namespace std::chrono_literals;

constexpr int kAnpassen = 106, kSchliessen = 100;

double Since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Polls every millisecond (the harness's own wait polls far more coarsely).
template <typename F>
bool Poll(F ready, std::chrono::seconds limit) {
    const auto until = Clock::now() + limit;
    while (Clock::now() < until) {
        try {
            if (ready())
                return true;
        } catch (const E2eError&) {
        }
        Sleep(1);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool startOnly = argc == 3 && std::string(argv[1]) == "--start";
    if (argc != 2 && !startOnly) {
        std::fputs("usage: bench_window [--start] <folder with Vertrag.DBF>\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[argc - 1];
    E2eProgram program;
    const auto t0 = Clock::now();
    program.Start(folder);
    // The window shows once the contracts are counted.
    if (!Poll([&] { return program.Window(1ms) != nullptr && program.Enabled(kSchliessen); },
              120s)) {
        std::fputs("bench_window: no window within 120 s\n", stderr);
        return 1;
    }
    if (startOnly) {
        const double shown = Since(t0);
        program.Click(kSchliessen);
        program.WaitExit(30s);
#ifdef KP_BENCH_BARE
        const char* what = "bare window (Wine's own start)";
#else
        const char* what = "window, empty table";
#endif
        std::printf("%s: start to the window %.3f s\n", what, shown);
        return 0;
    }
    if (!Poll([&] { return program.Enabled(kAnpassen); }, 120s)) {
        std::fputs("bench_window: \"&Anpassen\" was not enabled within 120 s\n", stderr);
        return 1;
    }
    const double counted = Since(t0);
    const auto t1 = Clock::now();
    program.Click(kAnpassen);
    std::string text;
    if (!Poll([&] { return !(text = program.MessageBoxText("Hinweis", 1ms)).empty(); }, 300s)) {
        std::fputs("bench_window: no box \"Hinweis\" within 300 s\n", stderr);
        return 1;
    }
    const double converted = Since(t1);
    program.Press("Hinweis", "OK");
    Poll([&] { return program.Enabled(kSchliessen); }, 30s);
    program.Click(kSchliessen);
    program.WaitExit(30s);
    std::printf(
        "window: start to \"&Anpassen\" enabled %.3f s, click to \"Hinweis\" %.3f s, "
        "whole flow %.3f s\n",
        counted, converted, counted + converted);
    return 0;
}

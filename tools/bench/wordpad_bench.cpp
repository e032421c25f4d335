// Measures the rich edit on a long letter: writes a generated RTF file of
// the given number of pages (about 50 lines of 80 characters each, with
// bold and italic runs and a bullet list on every page), then times opening
// it in a new control, saving it, taking the text as an RTF string, and
// opening it again over the text. Wall-clock and CPU times (the latter is
// what a busy machine does not disturb).
// Prints figures; passes or fails nothing. Needs a display (Wine desktop).
//   bench_wordpad [pages] [folder]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gui/richedit.h"
#include "platform/gui/shellwindow.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU time of this thread so far, in ms: the figure that other processes
// on the machine do not disturb.
double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

std::string Letter(int pages) {
    static const char* const kWords[] = {"Versicherung", "Vertrag", "Beitrag", "Kunde",
                                         "Hausrat",      "Gebäude", "Schaden", "Anpassung",
                                         "Laufzeit",     "Prämie",  "Steuer",  "Zahlung"};
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier "
        "New;}}\\viewkind4\\uc1\\pard\\f0\\fs24 ";
    unsigned seed = 7;
    for (int page = 0; page < pages; ++page) {
        rtf += "\\b Seite " + std::to_string(page + 1) + "\\b0\\par ";
        for (int line = 0; line < 45; ++line) {
            std::string text;
            while (text.size() < 78) {
                seed = seed * 1103515245u + 12345u;
                std::string w = kWords[(seed >> 16) % 12];
                // RTF is in the ANSI code page: escape the umlauts.
                std::string escaped;
                for (size_t i = 0; i < w.size(); ++i) {
                    const unsigned char c = static_cast<unsigned char>(w[i]);
                    if (c == 0xC3 && i + 1 < w.size()) {
                        char hex[8];
                        std::snprintf(hex, sizeof hex, "\\'%02x",
                                      0xC0 + (static_cast<unsigned char>(w[++i]) & 0x3F));
                        escaped += hex;
                    } else {
                        escaped += static_cast<char>(c);
                    }
                }
                // Now and then a word in italics, as letters have them.
                text += (seed & 0x700) == 0 ? "\\i " + escaped + "\\i0 " : escaped + " ";
            }
            rtf += text + "\\par ";
        }
        rtf +=
            "\\pard{\\pntext\\f0 -\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb -}}\\fi-360\\li360 "
            "Punkt eins\\par Punkt zwei\\par\\pard ";
    }
    rtf += "}";
    return rtf;
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(folder);
    const std::filesystem::path in = folder / "brief_lang.rtf";
    const std::filesystem::path out = folder / "brief_lang_gesichert.rtf";
    {
        std::ofstream f(in, std::ios::binary);
        f << Letter(pages);
    }

    kp::ShellWindow shell;
    kp::ChildAppWindow pad(&shell, true);
    // Styled and optioned as the word pad makes its control.
    kp::RichEdit edit(&pad, 1001, kp::Point(0, 0), kp::Dimension(600, 400),
                      WS_VSCROLL | 0x00002000 | 0x00000200);
    edit.Options(ECO_AUTOWORDSELECTION | ECO_AUTOVSCROLL | ECO_AUTOHSCROLL | ECO_NOHIDESEL |
                 ECO_WANTRETURN | ECO_SELECTIONBAR);
    shell.Show();
    pad.Show();

    auto t0 = Clock::now();
    double c0 = CpuMs();
    const bool loaded = edit.LoadFile(in.string());
    const double loadMs = Ms(Clock::now() - t0);
    const double loadCpu = CpuMs() - c0;
    t0 = Clock::now();
    c0 = CpuMs();
    const bool saved = edit.SaveFile(out.string());
    const double saveMs = Ms(Clock::now() - t0);
    const double saveCpu = CpuMs() - c0;
    t0 = Clock::now();
    const size_t rtfSize = edit.RTFValue().size();
    const double valueMs = Ms(Clock::now() - t0);
    // Opening into the control that holds the letter already: the old text
    // has to go first.
    t0 = Clock::now();
    c0 = CpuMs();
    const bool reloaded = edit.LoadFile(out.string());
    const double reloadMs = Ms(Clock::now() - t0);
    const double reloadCpu = CpuMs() - c0;

    std::printf("letter: %d pages, %zu characters, %llu bytes of RTF read, %llu written\n", pages,
                static_cast<size_t>(edit.TextLength()),
                static_cast<unsigned long long>(std::filesystem::file_size(in)),
                saved ? static_cast<unsigned long long>(std::filesystem::file_size(out)) : 0ull);
    std::printf("open (LoadFile):    %8.1f ms (CPU %.1f ms)%s\n", loadMs, loadCpu,
                loaded ? "" : "  FAILED");
    std::printf("save (SaveFile):    %8.1f ms (CPU %.1f ms)%s\n", saveMs, saveCpu,
                saved ? "" : "  FAILED");
    std::printf("RTF string (Value): %8.1f ms, %zu bytes\n", valueMs, rtfSize);
    std::printf("open over the text: %8.1f ms (CPU %.1f ms)%s\n", reloadMs, reloadCpu,
                reloaded ? "" : "  FAILED");
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return 0;
}

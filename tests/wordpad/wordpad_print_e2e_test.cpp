// Printing a letter from the word pad inside KpShell.exe, as the office does:
// a letter of three pages goes through the spooler into the test command's
// PDF printer, the preview pages through the same three pages and closes at
// any page, and without a printer the user is told and nothing is printed.
// The printed PDF is read back by wordpad_print_check.py (pdfinfo,
// pdftotext); without a printer queue the printing cases skip.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "platform/runtime/settings.h"
#include "tests/e2e/e2e_shell.h"
#include "tests/shell/handover.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/format.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {
namespace {

namespace ui = uidriver;
namespace fs = std::filesystem;

constexpr int kDateiNeu = 24563, kOeffnen = 30806, kDrucken = 30810, kVorschau = 30811;
constexpr int kFileNameEdit = 1148;
// The preview window's controls.
constexpr int kZurueck = 101, kWeiter = 102, kSchliessen = IDCANCEL, kSeite = 105;
// A letter of this many numbered lines under its heading fills three pages
// of A4 in 12-point Courier New (about 62 lines a page).
constexpr int kLines = 150;

// Whether Windows knows a default printer (Wine lists the CUPS queues).
bool DefaultPrinterKnown() {
    DWORD n = 0;
    GetDefaultPrinterW(nullptr, &n);
    return n > 0;
}

// Where the PDF printer of the test command puts its files (PDF in the home
// folder of the user who prints), as the test's environment names it in
// KP_PDF_DIR (a Unix path); empty when it is not named.
fs::path PdfFolder() {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"KP_PDF_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return fs::path(ui::Widen(ui::ToWindowsPath(ui::Narrow(dir))));
}

// Whether this run has the printers hidden (CUPS_SERVER to a server that is
// not there, which Wine takes at the start of a process, for the process
// and what it starts).
bool PrintersHidden() {
    return GetEnvironmentVariableW(L"KP_EXPECT_NO_PRINTER", nullptr, 0) > 0;
}

// The PDF files of the folder with their times of writing.
using PdfState = std::map<fs::path, fs::file_time_type>;
PdfState PdfFiles(const fs::path& folder) {
    PdfState files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (e.path().extension() == ".pdf" || e.path().extension() == ".PDF")
            files[e.path()] = e.last_write_time(ec);
    }
    return files;
}
// The files written since `before`.
std::vector<fs::path> NewPdfs(const fs::path& folder, const PdfState& before) {
    std::vector<fs::path> out;
    for (const auto& [path, time] : PdfFiles(folder)) {
        auto was = before.find(path);
        if (was == before.end() || was->second != time)
            out.push_back(path);
    }
    return out;
}
// Whether a file has kept its size (greater than 0) for half a second: the
// printer has finished writing it.
bool Settled(const fs::path& file) {
    std::error_code ec;
    const auto first = fs::file_size(file, ec);
    if (ec || first == 0)
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return fs::file_size(file, ec) == first && !ec;
}

class WordPadPrint : public ShellFolderTest {
  protected:
    void SetUp() override {
        ShellFolderTest::SetUp();
        fs::create_directories(Data() / "Texte" / "Kunden");
        WriteSuite(50, 1);
        WriteIni(
            "[Pfade]\r\nDaten=Daten\r\n[Dokumente]\r\nUrsprung=KpShell\r\n"
            "NameNeu=K000289HM2010\r\n");
        // A heading of this run's own, so that the printed file is known as
        // this letter's among what else the printer wrote.
        std::random_device rd;
        char token[16];
        std::snprintf(token, sizeof token, "%08X", rd());
        marker_ = std::string("Rundschreiben ") + token;
        std::ofstream letter(LetterPath(), std::ios::binary);
        letter << "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs24 "
               << marker_ << "\\par\n";
        for (int i = 1; i <= kLines; ++i) {
            char line[40];
            std::snprintf(line, sizeof line, "Briefzeile %03d\\par\n", i);
            letter << line;
        }
        letter << "}";
    }

    fs::path LetterPath() const { return Data() / "Texte" / "Kunden" / "Rundbrief.rtf"; }
    HWND Shell() { return program_.Window(); }
    ui::Owner Mine() const { return {program_.pid(), {}}; }

    // Opens the letter through the word pad's "Öffnen" and answers with the
    // word pad that shows it.
    HWND OpenLetter() {
        EXPECT_EQ(ui::ChooseMenuItem(Shell(), kDateiNeu), ui::Outcome::kOk);
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return PadShowing("Unbenannt"); }));
        EXPECT_EQ(ui::ChooseMenuItem(Shell(), kOeffnen), ui::Outcome::kOk);
        HWND open = ui::WaitTopWindow("Brief öffnen", 10s, Mine(), "#32770");
        if (!open)
            return nullptr;
        const std::string path = ui::Narrow(LetterPath().wstring());
        EXPECT_EQ(ui::SetControlText(ui::FindControl(open, kFileNameEdit), path), ui::Outcome::kOk);
        auto keys = ui::ParseKeys("Return");
        ui::TypeKeys(open, *keys);
        HWND pad = nullptr;
        E2eProgram::WaitUntil([&] { return (pad = PadShowing(path)) != nullptr; });
        return pad;
    }
    HWND PadShowing(std::string_view caption) {
        for (const ui::ControlInfo& c : ui::ListControls(Shell()))
            if (c.window_class == "KpFrame" && c.text == caption && c.visible)
                return c.hwnd;
        return nullptr;
    }
    HWND Preview() {
        return ui::WaitTopWindow("Druckvorschau - RTF Printing", 20s, Mine(), "KpPrintPreview");
    }
    std::string PageText(HWND preview) {
        return ui::Text(ui::FindControl(preview, kSeite)).value_or("?");
    }
    bool ShowsPage(HWND preview, const std::string& text) {
        return E2eProgram::WaitUntil([&] { return PageText(preview) == text; }, 5s);
    }

    std::string marker_;
};

TEST_F(WordPadPrint, ALetterOfThreePagesIsPrintedWithItsLinesInOrder) {
    // Emptied first: a skipped run leaves nothing of an earlier one to check.
    const auto out = HandOverFolder("wordpad_print");
    if (!DefaultPrinterKnown())
        GTEST_SKIP() << "no printer queue: start one with tools/print/kpcups start and export "
                        "its CUPS_SERVER (the test command does)";
    const fs::path pdfs = PdfFolder();
    ASSERT_FALSE(pdfs.empty()) << "KP_PDF_DIR is not set: the PDF printer's folder is unknown";
    const PdfState before = PdfFiles(pdfs);
    program_.Start(folder_.path());
    ASSERT_TRUE(OpenLetter()) << "the letter did not open in a word pad";
    // The print button of the shell's toolbar, as the office prints.
    ASSERT_EQ(ui::ClickToolbarButton(Shell(), kDrucken), ui::Outcome::kOk);
    fs::path printed;
    ASSERT_TRUE(E2eProgram::WaitUntil(
        [&] {
            for (const fs::path& p : NewPdfs(pdfs, before))
                if (Settled(p)) {
                    printed = p;
                    return true;
                }
            return false;
        },
        90s))
        << "the printer wrote no PDF into " << ui::Narrow(pdfs.wstring());
    EXPECT_FALSE(ui::FindMessageBox("Drucken", Mine())) << "printing told of a failure";
    EXPECT_TRUE(program_.Running());

    fs::copy_file(printed, out / "printed.pdf");
    std::ofstream(out / "expected.txt", std::ios::binary)
        << "MARKER=" << marker_ << "\nPAGES=3\nLINES=" << kLines << "\n";
}

TEST_F(WordPadPrint, ThePreviewPagesThroughThreePagesAndClosesAtAnyPage) {
    if (!DefaultPrinterKnown())
        GTEST_SKIP() << "no printer queue: start one with tools/print/kpcups start and export "
                        "its CUPS_SERVER (the test command does)";
    program_.Start(folder_.path());
    HWND pad = OpenLetter();
    ASSERT_TRUE(pad) << "the letter did not open in a word pad";

    // Forward to the last page and back one; closed there with its button.
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kVorschau), ui::Outcome::kOk);
    HWND preview = Preview();
    ASSERT_TRUE(preview) << "\"&Druck Vorschau\" showed no preview";
    EXPECT_TRUE(ShowsPage(preview, "Seite 1 von 3")) << PageText(preview);
    EXPECT_FALSE(ui::IsEnabled(ui::FindControl(preview, kZurueck)));
    ASSERT_EQ(ui::Click(ui::FindControl(preview, kWeiter)), ui::Outcome::kOk);
    EXPECT_TRUE(ShowsPage(preview, "Seite 2 von 3")) << PageText(preview);
    ASSERT_EQ(ui::Click(ui::FindControl(preview, kWeiter)), ui::Outcome::kOk);
    EXPECT_TRUE(ShowsPage(preview, "Seite 3 von 3")) << PageText(preview);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] {
        return !ui::IsEnabled(ui::FindControl(preview, kWeiter));
    })) << "there is a page after the last one";
    ASSERT_EQ(ui::Click(ui::FindControl(preview, kZurueck)), ui::Outcome::kOk);
    EXPECT_TRUE(ShowsPage(preview, "Seite 2 von 3")) << PageText(preview);
    ASSERT_EQ(ui::Click(ui::FindControl(preview, kSchliessen)), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(preview); }));

    // Again: closed at once on the first page with Escape.
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kVorschau), ui::Outcome::kOk);
    preview = Preview();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(ShowsPage(preview, "Seite 1 von 3")) << "a new preview starts on page 1";
    auto escape = ui::ParseKeys("Escape");
    ASSERT_EQ(ui::TypeKeys(preview, *escape), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(preview); }));

    // And on the last page (End key) through the close box.
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kVorschau), ui::Outcome::kOk);
    preview = Preview();
    ASSERT_TRUE(preview);
    auto end = ui::ParseKeys("End");
    ASSERT_EQ(ui::TypeKeys(preview, *end), ui::Outcome::kOk);
    EXPECT_TRUE(ShowsPage(preview, "Seite 3 von 3")) << PageText(preview);
    ASSERT_EQ(ui::PostClose(preview), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(preview); }));

    // The word pad goes on: the letter is still there and unchanged, so it
    // closes without a question.
    ASSERT_TRUE(program_.Running()) << "the shell ended with the preview";
    EXPECT_TRUE(IsWindow(pad));
    EXPECT_FALSE(ui::FindMessageBox("Drucken", Mine()));
    auto close = ui::ParseKeys("Ctrl+F4");
    ASSERT_EQ(ui::TypeKeys(Shell(), *close), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(pad) || !IsWindowVisible(pad); }));
    EXPECT_FALSE(ui::FindMessageBox("Schließen", Mine()));
}

TEST_F(WordPadPrint, WithoutAPrinterTheUserIsToldAndNothingIsPrinted) {
    if (!PrintersHidden())
        GTEST_SKIP() << "runs only with the printers hidden (e2e_wordpad_print_noprinter)";
    const auto out = HandOverFolder("wordpad_noprinter");
    ASSERT_FALSE(DefaultPrinterKnown()) << "the printers are not hidden from this run";
    const fs::path pdfs = PdfFolder();
    const PdfState before = pdfs.empty() ? PdfState{} : PdfFiles(pdfs);
    program_.Start(folder_.path());
    ASSERT_TRUE(OpenLetter()) << "the letter did not open in a word pad";
    ASSERT_EQ(ui::ChooseMenuItem(Shell(), kDrucken), ui::Outcome::kOk);
    const std::string told = program_.MessageBoxText("Drucken", 30s);
    EXPECT_NE(told.find("kein Drucker"), std::string::npos) << told;
    program_.Press("Drucken", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !ui::FindMessageBox("Drucken", Mine()); }));
    EXPECT_TRUE(program_.Running());

    // Nothing reaches a printer: whatever PDF appears meanwhile (other
    // programs may print) must not be this letter.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    int n = 0;
    if (!pdfs.empty())
        for (const fs::path& p : NewPdfs(pdfs, before))
            fs::copy_file(p, out / ("new" + std::to_string(++n) + ".pdf"));
    std::ofstream(out / "expected.txt", std::ios::binary) << "MARKER=" << marker_ << "\n";
}

}  // namespace
}  // namespace kp::e2e

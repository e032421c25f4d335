// KpShell.exe end to end: the record search (F2) on the address form with
// its selection list, the not-found box and the full-text search; the
// reorganisation (F12) cancelled under its progress dialog, and a run killed
// in the middle of its swap finished at the next start; the settings
// dialog's folder browser; the about box.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>

#include "platform/data/check.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "shell/Reorganisation.h"
#include "shell/shellForms_ids.h"
#include "tests/e2e/e2e_shell.h"
#include "tests/reorg/reorg_check.h"
#include "tests/shell/handover.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {
namespace {

namespace ui = uidriver;

constexpr int kSeekTerm = 101, kSeekSuchen = 104, kSeekVolltext = 106;
constexpr int kSeek2Suchen = 102, kSeek2Rest = 105;
constexpr int kListBox = 100, kGeheZu = 102;
constexpr const char* kFullTextCaption = "Volltextsuche in: Vorname/Firma1 und Nachname/Firma2";

struct Address {
    std::string nr, vname, nname;
};

class Search : public ShellFolderTest {
  protected:
    void SetUp() override {
        ShellFolderTest::SetUp();
        WriteSuite(Contracts(), 5);
        WriteIni(
            "[Pfade]\r\nDaten=Daten\r\n[Adressen]\r\nLaschen=1\r\n"
            "Lasche1=Person,Person,0,Name und Anschrift\r\n");
    }
    virtual uint32_t Contracts() const { return 120; }
    std::string Table(const char* name) const { return ui::Narrow((Data() / name).wstring()); }

    // The addresses in the order of an index (empty: record order).
    std::vector<Address> Addresses(const char* ntx = nullptr) {
        std::vector<Address> out;
        DBServer db(Table("Adressen.dbf"));
        if (ntx)
            db.SetIndex(Table(ntx));
        for (db.GoTop(); !db.EoF(); db.Skip(1))
            out.push_back({db.FieldGet(Symbol("ADRESSNR")).AsString(),
                           Trim(db.FieldGet(Symbol("VNAME")).AsString()),
                           Trim(db.FieldGet(Symbol("NNAME")).AsString())});
        return out;
    }

    HWND Form() {
        HWND found = nullptr;
        E2eProgram::WaitUntil([&] {
            for (const ui::ControlInfo& c : ui::ListControls(program_.Window()))
                if (c.text == "Interessenten und Kunden" && c.window_class == "KpFrame" &&
                    c.visible)
                    found = c.hwnd;
            return found != nullptr;
        });
        return found;
    }
    HWND Dialog(std::string_view caption) {
        return ui::WaitTopWindow(caption, 10s, {program_.pid(), {}}, "#32770");
    }
    void ClickIn(HWND dialog, int id) {
        ASSERT_EQ(ui::Click(ui::FindControl(dialog, id)), ui::Outcome::kOk) << id;
    }
    static int ListCount(HWND list) {
        DWORD_PTR n = 0;
        SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n);
        return static_cast<int>(n);
    }
    // Chooses entry `item` (0-based) of the selection list.
    int ChooseInList(int item) {
        HWND list = Dialog("Mehrfachauswahl");
        EXPECT_TRUE(list) << "no selection list";
        if (!list)
            return -1;
        HWND box = ui::FindControl(list, kListBox);
        const int count = ListCount(box);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(box, LB_SETCURSEL, static_cast<WPARAM>(item), 0, SMTO_ABORTIFHUNG, 5000,
                            &ignored);
        ClickIn(list, kGeheZu);
        return count;
    }
    std::string FormNr() {
        HWND edit = ui::FindControl(program_.Window(), ID_ADR_ADRESSNR);
        return edit ? Trim(ui::Text(edit).value_or("")) : std::string();
    }
    void PressOk() {
        program_.Press("KONTORPLUS", "OK");
        EXPECT_TRUE(E2eProgram::WaitUntil([&] {
            return !ui::FindMessageBox("KONTORPLUS", {program_.pid(), {}});
        }));
    }
    void OpenAddressForm() {
        program_.Start(folder_.path());
        Keys("F3");
        ASSERT_TRUE(Form()) << "F3 opened no address form";
        ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !FormNr().empty(); }))
            << "the address form shows no record";
    }
};

TEST_F(Search, SurnamePrefixListsTheMatchesAndMovesTheFormToTheOneChosen) {
    // A two-letter surname prefix that several addresses share, in name order.
    const auto byName = Addresses("Adrename.ntx");
    std::map<std::string, std::vector<Address>> prefixes;
    for (const Address& a : byName)
        prefixes[Upper(Left(a.nname, 2))].push_back(a);
    std::string prefix = "MÜ";
    if (prefixes[prefix].size() < 2)
        for (const auto& [p, list] : prefixes)
            if (list.size() >= 2 && list.size() <= 40 && Len(p) == 2)
                prefix = p;
    const std::vector<Address>& expected = prefixes[prefix];
    ASSERT_GE(expected.size(), 2u) << "the demo data has no shared surname prefix";

    OpenAddressForm();
    Keys("F2");
    HWND seek = Dialog("Suchen nach...");
    ASSERT_TRUE(seek) << "F2 opened no search dialog";
    ASSERT_EQ(ui::SetControlText(ui::FindControl(seek, kSeekTerm), prefix), ui::Outcome::kOk);
    ClickIn(seek, kSeekSuchen);
    EXPECT_EQ(ChooseInList(1), static_cast<int>(expected.size())) << prefix;
    const std::string want = Trim(expected[1].nr);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return FormNr() == want; }))
        << "the form shows " << FormNr() << ", chosen was " << want;

    // A letter no surname begins with: the not-found box, the form stays.
    std::string missing;
    for (char c = 'Z'; c >= 'A' && missing.empty(); --c)
        if (prefixes.lower_bound(std::string(1, c)) == prefixes.end() ||
            prefixes.lower_bound(std::string(1, c))->first[0] != c)
            missing = std::string(1, c) + "XYZ";
    ASSERT_FALSE(missing.empty());
    Keys("F2");
    seek = Dialog("Suchen nach...");
    ASSERT_TRUE(seek);
    ASSERT_EQ(ui::SetControlText(ui::FindControl(seek, kSeekTerm), missing), ui::Outcome::kOk);
    ClickIn(seek, kSeekSuchen);
    EXPECT_EQ(program_.MessageBoxText("KONTORPLUS"), "Der Suchbegriff wurde nicht gefunden!");
    PressOk();
    EXPECT_EQ(FormNr(), want);
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(Search, FullTextFindsANamePartOverTheWholeAndTheRestOfTheTable) {
    // A name part in several first or last name lines.
    const auto byNr = Addresses("Adressnr.ntx");
    std::string term;
    std::vector<size_t> hits;  // positions in address-number order
    for (const char* candidate : {"MANN", "ER", "A"}) {
        hits.clear();
        for (size_t i = 0; i < byNr.size(); ++i)
            if (Upper(byNr[i].vname).find(candidate) != std::string::npos ||
                Upper(byNr[i].nname).find(candidate) != std::string::npos)
                hits.push_back(i);
        term = candidate;
        if (hits.size() >= 3)
            break;
    }
    ASSERT_GE(hits.size(), 3u);
    const auto inTableOrder = Addresses();
    size_t wholeCount = 0;
    for (const Address& a : inTableOrder)
        if (Upper(a.vname).find(term) != std::string::npos ||
            Upper(a.nname).find(term) != std::string::npos)
            ++wholeCount;

    OpenAddressForm();
    Keys("F2");
    HWND seek = Dialog("Suchen nach...");
    ASSERT_TRUE(seek);
    ASSERT_EQ(ui::SetControlText(ui::FindControl(seek, kSeekTerm), term), ui::Outcome::kOk);
    ClickIn(seek, kSeekVolltext);
    HWND fullText = Dialog(kFullTextCaption);
    ASSERT_TRUE(fullText) << "no full-text search";
    ClickIn(fullText, kSeek2Suchen);
    // The whole table; the second hit in address-number order is chosen.
    EXPECT_EQ(ChooseInList(0), static_cast<int>(wholeCount));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] {
        return !ui::FindTopWindow("Suchen nach...", {program_.pid(), {}});
    })) << "the record search stayed open";

    // The rest of the table from the record found, in address-number order.
    const std::string first = FormNr();
    size_t from = 0;
    while (from < byNr.size() && Trim(byNr[from].nr) != first)
        ++from;
    size_t restCount = 0;
    for (size_t i : hits)
        restCount += i >= from ? 1 : 0;
    Keys("F2");
    seek = Dialog("Suchen nach...");
    ASSERT_TRUE(seek);
    ASSERT_EQ(ui::SetControlText(ui::FindControl(seek, kSeekTerm), term), ui::Outcome::kOk);
    ClickIn(seek, kSeekVolltext);
    fullText = Dialog(kFullTextCaption);
    ASSERT_TRUE(fullText);
    ClickIn(fullText, kSeek2Rest);
    ClickIn(fullText, kSeek2Suchen);
    EXPECT_EQ(ChooseInList(restCount > 1 ? 1 : 0), static_cast<int>(restCount));
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(Search, AboutBoxShowsItsLinesAndCancellingTheBrowserKeepsTheIni) {
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 32031), ui::Outcome::kOk);
    HWND about = Dialog("INFO");
    ASSERT_TRUE(about) << "no about box";
    EXPECT_EQ(ui::Text(ui::FindControl(about, 103)).value_or(""), "KONTORPLUS – Programmrahmen");
    EXPECT_EQ(ui::Text(ui::FindControl(about, 104)).value_or(""), "Version 1.0");
    const std::string memory = ui::Text(ui::FindControl(about, 107)).value_or("");
    EXPECT_NE(memory.find(" KB frei"), std::string::npos) << memory;
    EXPECT_EQ(memory.find('*'), std::string::npos) << memory;
    ClickIn(about, 110);

    std::ifstream before(folder_.path() / "KpShell.ini", std::ios::binary);
    const std::string ini((std::istreambuf_iterator<char>(before)), {});
    before.close();
    Keys("F9");
    HWND settings = Dialog("Einstellungen");
    ASSERT_TRUE(settings) << "F9 opened no settings";
    ClickIn(settings, 102);
    HWND browser = Dialog("Datenpfad wählen");
    ASSERT_TRUE(browser) << "no folder browser";
    ClickIn(browser, IDCANCEL);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] {
        return !ui::FindTopWindow("Datenpfad wählen", {program_.pid(), {}});
    }));
    ClickIn(settings, IDCANCEL);
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
    std::ifstream after(folder_.path() / "KpShell.ini", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), ini);
}

class Reorganisation : public Search {
  protected:
    uint32_t Contracts() const override { return 6000; }
};

TEST_F(Reorganisation, CancelledUnderItsProgressDialogLeavesTheTablesWhole) {
    program_.Start(folder_.path());
    Keys("F12");
    HWND progress = Dialog("Reorganisation");
    ASSERT_TRUE(progress) << "F12 showed no progress dialog";
    // The shell cannot be used meanwhile.
    EXPECT_FALSE(IsWindowEnabled(program_.Window()));
    ASSERT_EQ(ui::Click(ui::FindControl(progress, 101)), ui::Outcome::kOk);
    const std::string told = program_.MessageBoxText("KONTORPLUS", 120s);
    EXPECT_NE(told.find("abgebrochen"), std::string::npos) << told;
    PressOk();
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);

    // Every table and index checks clean and nothing is left beside them.
    const auto out = HandOverFolder("reorg");
    std::ofstream expected(out / "expected.txt", std::ios::binary);
    for (const demo::SuiteTable& t : demo::SuiteTables()) {
        std::vector<std::string> ntx;
        for (const demo::SuiteIndex& x : t.indexes)
            ntx.push_back(Table(x.file.c_str()));
        const CheckReport report = CheckTable(Table(t.file.c_str()), ntx, 850);
        EXPECT_TRUE(report.Ok()) << t.file << ": "
                                 << (report.faults.empty() ? "" : report.faults[0]);
        expected << t.file << "=" << (report.records - report.deleted) << "\n";
    }
    for (const auto& e : std::filesystem::directory_iterator(Data())) {
        const std::string name = ui::Narrow(e.path().filename().wstring());
        EXPECT_EQ(name.find('~'), std::string::npos) << name << " left behind";
        EXPECT_EQ(name.find(".alt"), std::string::npos) << name << " left behind";
        if (e.is_regular_file())
            std::filesystem::copy_file(e.path(), out / e.path().filename());
    }
}

class ReorganisationKilled : public Search {
  protected:
    uint32_t Contracts() const override { return 600; }
};

TEST_F(ReorganisationKilled, UnderItsProgressDialogTheNextStartLeavesWholeTablesAndNoScratch) {
    const std::string dir = ui::Narrow(Data().wstring()) + "\\";
    reorgtest::DeleteEveryThird(dir);
    const reorgtest::LiveRecords live = reorgtest::ReadLive(dir);
    program_.Start(folder_.path());
    Keys("F12");
    ASSERT_TRUE(Dialog("Reorganisation")) << "F12 showed no progress dialog";
    // Anywhere in the copy, the index builds or the swap of some table.
    const int after = 100 + static_cast<int>(std::random_device{}() % 1500);
    std::printf("killed %d ms into the reorganisation\n", after);
    Sleep(static_cast<DWORD>(after));
    program_.Kill();

    E2eProgram again{"KONTORPLUS"};
    again.Start(folder_.path());
    again.Window();
    // A swap cut in the middle is told; scratch files go silently.
    if (E2eProgram::WaitUntil(
            [&] {
                return ui::FindMessageBox("KONTORPLUS", {again.pid(), {}}) != nullptr;
            },
            3s)) {
        std::printf("told at the next start: %s\n", again.MessageBoxText("KONTORPLUS").c_str());
        again.Press("KONTORPLUS", "OK");
    }
    again.Close();
    EXPECT_EQ(again.WaitExit(), 0u);
    const auto faults = reorgtest::FolderFaults(dir, live);
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

// Stands for the killed program: thrown from the swap's hook, it leaves the
// files as they are.
struct Killed {};

TEST_F(Search, AReorganisationKilledInItsSwapIsFinishedAtTheNextStartAndF12ThenSucceeds) {
    const std::string dir = ui::Narrow(Data().wstring()) + "\\";
    reorgtest::DeleteEveryThird(dir);
    const reorgtest::LiveRecords live = reorgtest::ReadLive(dir);
    // Killed just before the packed contract table moves into place.
    EXPECT_THROW(Reorganise(dir, SuiteReorgTables(), {},
                            [](const std::string& step) {
                                if (step == "rename Vertrag~.DBF -> Vertrag.DBF")
                                    throw Killed{};
                            }),
                 Killed);
    ASSERT_FALSE(std::filesystem::exists(Data() / "Vertrag.DBF"));

    program_.Start(folder_.path());
    const std::string recovered = program_.MessageBoxText("KONTORPLUS", 30s);
    EXPECT_NE(recovered.find("„Vertrag.DBF“ wurde zu Ende geführt"), std::string::npos)
        << recovered;
    PressOk();
    EXPECT_TRUE(reorgtest::FolderFaults(dir, live).empty())
        << reorgtest::Lines(reorgtest::FolderFaults(dir, live));
    Keys("F12");
    const std::string told = program_.MessageBoxText("KONTORPLUS", 120s);
    EXPECT_NE(told.find("Die Reorganisation wurde erfolgreich durchgeführt!"), std::string::npos)
        << told;
    PressOk();
    // The shell takes keys again once the box has given it back its input.
    ASSERT_TRUE(E2eProgram::WaitUntil([&] {
        return IsWindowEnabled(program_.Window()) && GetForegroundWindow() == program_.Window();
    }));
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);

    const auto faults = reorgtest::FolderFaults(dir, live);
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
    reorgtest::HandOver(dir, HandOverFolder("reorgkill"), live);
}

}  // namespace
}  // namespace kp::e2e

// KpShell.exe end to end: the shell menu, its keys and status bar, and the
// library windows it opens, driven as the office uses them.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <fstream>
#include <future>
#include <set>

#include "platform/data/check.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/date.h"
#include "platform/runtime/strings.h"
#include "tools/uidriver/format.h"
#include "tests/e2e/e2e_shell.h"
#include "tests/shell/handover.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {
namespace {

namespace ui = uidriver;

constexpr int kStart = 24565;
constexpr int kSchliessen = 100, kTxt1615 = 110, kTxt1634 = 111, kTxt1320 = 116;

// The shell started in a folder of its own with KpShell.ini and a data
// folder, and what the tests ask of what it shows.
class ShellTest : public ShellFolderTest {
  protected:
    // A form inside the shell's MDI area, by its caption.
    HWND Child(std::string_view caption) {
        HWND found = nullptr;
        E2eProgram::WaitUntil([&] {
            for (const ui::ControlInfo& c : ui::ListControls(program_.Window()))
                if (c.text == caption && c.window_class == "KpFrame" && c.visible)
                    found = c.hwnd;
            return found != nullptr;
        });
        return found;
    }
    std::string Status() {
        HWND bar = ui::FindControlByClass(program_.Window(), "msctls_statusbar32");
        return bar ? ui::Text(bar).value_or("?") : "(no status bar)";
    }
    // Answers the box and waits until it is gone, so the next box looked
    // for is not this one on its way out.
    void PressOk() {
        program_.Press("KONTORPLUS", "OK");
        EXPECT_TRUE(E2eProgram::WaitUntil([&] {
            return !ui::FindMessageBox("KONTORPLUS", {program_.pid(), {}});
        }));
    }
    // Answers the box of that title with the button and waits until that
    // box is gone (a second box of the same title may follow); its text.
    std::string Answer(std::string_view title, std::string_view button) {
        HWND box = ui::WaitMessageBox(title, 10s, {program_.pid(), {}});
        if (!box) {
            ADD_FAILURE() << "no box \"" << title << "\"";
            return {};
        }
        const std::string text = ui::MessageBoxText(box).value_or("");
        EXPECT_EQ(ui::PressButton(box, ui::ParseButtonChoice(button)), ui::Outcome::kOk);
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(box); }));
        return text;
    }
    bool ReadOnly(int id) {
        HWND edit = program_.Control(id);
        return edit && (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
    }
};

// The shell on a contract table.
class Shell : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        summary_ = demo::WriteVertrag(ui::Narrow(Data().wstring()), 400, 7);
        WriteIni("[Pfade]\r\nDaten=Daten\r\n");
    }
    demo::Summary summary_;
};

TEST_F(Shell, StartOpensTheConversionOnTheDataPathAndAltF4Ends) {
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kStart), ui::Outcome::kOk);
    HWND conversion = Child("VeltoTax2010");
    ASSERT_TRUE(conversion) << "the conversion window did not open inside the shell";
    // The counts are those of the data path's table, not of the program's folder.
    EXPECT_EQ(program_.Text(kTxt1615), std::to_string(summary_.row3));
    EXPECT_EQ(program_.Text(kTxt1634), std::to_string(summary_.row1));
    EXPECT_EQ(program_.Text(kTxt1320), std::to_string(summary_.row2));

    // "&Schliessen" closes the window; the shell goes on.
    program_.Click(kSchliessen);
    EXPECT_TRUE(E2eProgram::WaitUntil(
        [&] { return !IsWindow(conversion) || !IsWindowVisible(conversion); }));
    EXPECT_TRUE(program_.Running());

    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(Shell, CtrlDShowsAChosenTableInTheBrowseGrid) {
    program_.Start(folder_.path());
    Keys("Ctrl+D");
    HWND dialog = ui::WaitTopWindow("Datei öffnen", 10s, {program_.pid(), {}});
    ASSERT_TRUE(dialog) << "Ctrl+D showed no open dialog";
    // The dialog starts in the data path. Its controls come a moment after
    // its frame on a loaded machine.
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return ui::FindControl(dialog, 1148) != nullptr; }));
    ASSERT_EQ(ui::SetControlText(ui::FindControl(dialog, 1148), "Vertrag.DBF"), ui::Outcome::kOk);
    auto enter = ui::ParseKeys("Return");
    ASSERT_EQ(ui::TypeKeys(dialog, *enter), ui::Outcome::kOk);
    HWND window = Child("Vertrag");
    ASSERT_TRUE(window) << "the table did not open in a window of the shell";
    HWND grid = ui::FindControlByClass(window, "SysListView32");
    ASSERT_TRUE(grid);
    const int count = ui::ListViewCount(grid).value_or(-1);
    EXPECT_EQ(count, static_cast<int>(summary_.records - summary_.deleted));
    const int columns = ui::ListViewColumnCount(grid).value_or(0);
    EXPECT_EQ(columns, 13);

    // The first rows as the grid shows them, for dbfread to compare.
    const auto out = HandOverFolder("browse");
    std::ofstream rows(out / "rows.txt", std::ios::binary);
    rows << count << "\n";
    for (int r = 0; r < std::min(count, 40); ++r) {
        auto cells = ui::ListViewRow(grid, r, columns);
        ASSERT_TRUE(cells) << "row " << r;
        rows << r;
        for (const std::string& c : *cells)
            rows << "\t" << c;
        rows << "\n";
    }
    rows.close();
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
    for (const char* f : {"Vertrag.DBF", "Vertrag.DBT"})
        std::filesystem::copy_file(Data() / f, out / f);
}

TEST_F(Shell, MenuItemsShowTheirHelpTextInTheStatusBar) {
    program_.Start(folder_.path());
    EXPECT_EQ(Status(), "");
    // The file menu opens with its first item selected. A loaded display
    // now and then drops the very first keys after the start: the menu is
    // asked for again then, and must open at the latest the third time.
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        if (attempt > 0)
            Keys("Escape Escape");
        Keys("Alt+D");
        opened = E2eProgram::WaitUntil(
            [&] { return Status() == "Öffnen eines DataWindows  *.dbf"; }, 5s);
    }
    EXPECT_TRUE(opened) << Status();
    Keys("Down Down");  // past "Datei neu" (grey) to "S&tart "
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Status() == "den Startbildschirm öffnen"; }))
        << Status();
    Keys("Escape Escape");
    // "&Ende" from the menu ends the shell.
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24580), ui::Outcome::kOk);
    EXPECT_EQ(program_.WaitExit(), 0u);
}

// A dialog of the program other than its message boxes: a visible
// top-level "#32770" window of that process whose caption is not title.
struct DialogSearch {
    DWORD pid;
    std::string_view notTitle;
    HWND found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<DialogSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    wchar_t cls[32] = {}, caption[128] = {};
    GetClassNameW(w, cls, 32);
    GetWindowTextW(w, caption, 128);
    if (owner == s->pid && IsWindowVisible(w) && std::wstring(cls) == L"#32770" &&
        ui::Narrow(caption) != s->notTitle) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND OtherDialog(DWORD pid, std::string_view notTitle) {
    DialogSearch search{pid, notTitle};
    EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Shell, PrinterSetupOpensTheSetupDialogOrSaysThereIsNoPrinter) {
    // The shell asks the spooler as this test does: the same printers.
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    const bool printer = size > 0;
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24576), ui::Outcome::kOk);
    if (printer) {
        HWND dialog = nullptr;
        ASSERT_TRUE(E2eProgram::WaitUntil([&] {
            dialog = OtherDialog(program_.pid(), "KONTORPLUS");
            return dialog != nullptr;
        })) << "the printer setup dialog did not open";
        // Cancelled, the setup changes nothing and the shell goes on.
        ASSERT_EQ(ui::Click(ui::FindControl(dialog, IDCANCEL)), ui::Outcome::kOk);
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));
    } else {
        EXPECT_NE(program_.MessageBoxText("KONTORPLUS").find("kein Drucker"), std::string::npos);
        PressOk();
    }
    EXPECT_TRUE(program_.Running());
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

// The address form: tabs from the INI, pages, descriptions in the status
// bar, the pop-up menu, read-only switching and the valid flag.
class AddressForm : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        WriteSuite(60, 3);
        WriteIni(
            "[Pfade]\r\nDaten=Daten\r\n[Adressen]\r\nLaschen=3\r\n"
            "Lasche1=Person,Stammdaten,0,Name und Anschrift\r\n"
            "Lasche2=Kontakt,Erreichbarkeit,1,Telefon\r\n"
            "Lasche3=Notizen,Bemerkungen\r\n");
    }
    HWND Form() { return Child("Interessenten und Kunden"); }
    // The shell started and the address form opened with F3 (nullptr when
    // none opened).
    HWND StartForm() {
        program_.Start(folder_.path());
        Keys("F3");
        return Form();
    }
    // The first address as the table holds it now (read while the shell runs).
    std::pair<std::string, std::string> Stored(const char* a, const char* b) {
        DBServer db(ui::Narrow((Data() / "Adressen.dbf").wstring()));
        db.GoTop();
        return {db.FieldGet(Symbol(a)).AsText(), db.FieldGet(Symbol(b)).AsText()};
    }
    // Types on the page of tab `tab` into field `id`.
    void TypeOnPage(HWND form, int tab, int id, const std::string& text) {
        HWND tabs = ui::FindControlByClass(form, "SysTabControl32");
        ASSERT_EQ(ui::SelectTab(tabs, tab), ui::Outcome::kOk);
        ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program_.Visible(id); }));
        ASSERT_EQ(ui::EnterText(program_.Control(id), text), ui::Outcome::kOk);
    }
    // "&Speichern" refused with a box that says `want`; the field `id` keeps
    // what was typed and has the focus, and the record is as it was.
    void ExpectSaveRefused(int id, const std::string& typed, const std::string& want,
                           const std::pair<std::string, std::string>& before, const char* fieldA,
                           const char* fieldB) {
        program_.Click(101);
        const std::string box = program_.MessageBoxText("KONTORPLUS");
        EXPECT_NE(box.find(want), std::string::npos) << box;
        EXPECT_EQ(box.find("DATA WIDTH"), std::string::npos) << box;
        PressOk();
        EXPECT_TRUE(
            E2eProgram::WaitUntil([&] { return program_.Focus() == program_.Control(id); }));
        EXPECT_EQ(program_.Text(id), typed);
        EXPECT_EQ(Stored(fieldA, fieldB), before) << "a refused save wrote part of the record";
    }
    // Saves, closes form and shell.
    void SaveAndEnd(HWND form) {
        program_.Click(101);
        ASSERT_EQ(ui::PostClose(form), ui::Outcome::kOk);
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(form); }));
        program_.Close();
        EXPECT_EQ(program_.WaitExit(), 0u);
    }
};

TEST_F(AddressForm, AnImpossibleBirthDateIsRefusedAndNothingOfTheRecordIsSaved) {
    const auto before = Stored("VNAME", "GEBDATUM");
    HWND form = StartForm();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(304), "Jürgen"), ui::Outcome::kOk);
    TypeOnPage(form, 1, 312, "31.02.1980");
    ExpectSaveRefused(312, "31.02.1980", "31.02.1980", before, "VNAME", "GEBDATUM");
    // Moving on to the next record is refused the same way.
    program_.Click(104);  // "&Weiter >"
    EXPECT_NE(program_.MessageBoxText("KONTORPLUS").find("Geburtsdatum"), std::string::npos);
    PressOk();
    EXPECT_EQ(Stored("VNAME", "GEBDATUM"), before);
    // A date that exists is stored with the rest.
    ASSERT_EQ(ui::EnterText(program_.Control(312), "28.02.1980"), ui::Outcome::kOk);
    SaveAndEnd(form);
    DBServer db(ui::Narrow((Data() / "Adressen.dbf").wstring()));
    db.GoTop();
    EXPECT_EQ(Trim(db.FieldGet(Symbol("VNAME")).AsString()), "Jürgen");
    EXPECT_EQ(db.FieldGet(Symbol("GEBDATUM")).AsDate(), Date::FromYMD(1980, 2, 28));
}

TEST_F(AddressForm, ANoteWithACharacterTheTablesLackIsRefusedWholeAndKeptAsTyped) {
    const auto before = Stored("VNAME", "NOTIZ");
    HWND form = StartForm();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(304), "Jürgen"), ui::Outcome::kOk);
    const std::string dash = "Termin 10\u201312 Uhr, Anzahlung 50 \u20AC";
    TypeOnPage(form, 2, 321, dash);
    ExpectSaveRefused(321, dash, "\u201E\u2013\u201C im Feld \u201ENotizen\u201C", before, "VNAME",
                      "NOTIZ");
    const std::string euro = "Termin 10-12 Uhr, Anzahlung 50 \u20AC";
    ASSERT_EQ(ui::EnterText(program_.Control(321), euro), ui::Outcome::kOk);
    ExpectSaveRefused(321, euro, "\u201E\u20AC\u201C im Feld", before, "VNAME", "NOTIZ");
    ASSERT_EQ(ui::EnterText(program_.Control(321), "Termin 10-12 Uhr, Anzahlung 50 EUR"),
              ui::Outcome::kOk);
    SaveAndEnd(form);
    DBServer db(ui::Narrow((Data() / "Adressen.dbf").wstring()));
    db.GoTop();
    EXPECT_EQ(Trim(db.FieldGet(Symbol("VNAME")).AsString()), "Jürgen");
    EXPECT_EQ(db.FieldGet(Symbol("NOTIZ")).AsString(), "Termin 10-12 Uhr, Anzahlung 50 EUR");
}

TEST_F(AddressForm, TabsFromTheIniPagesAndFieldDescriptions) {
    HWND form = StartForm();
    ASSERT_TRUE(form) << "F3 opened no address form";
    HWND tabs = ui::FindControlByClass(form, "SysTabControl32");
    ASSERT_TRUE(tabs);
    EXPECT_EQ(ui::TabCaptions(tabs).value_or(std::vector<std::string>{}),
              (std::vector<std::string>{"Stammdaten", "Erreichbarkeit", "Bemerkungen"}));
    EXPECT_EQ(ui::SelectedTab(tabs), 0);
    EXPECT_TRUE(program_.Visible(304));  // VNAME on the first page

    ASSERT_EQ(ui::SelectTab(tabs, 1), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return program_.Visible(311); }));  // TELEFON
    EXPECT_FALSE(program_.Visible(304));
    ASSERT_EQ(ui::SelectTab(tabs, 0), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return program_.Visible(304); }));

    // A field of a page that gets the focus tells the shell what it is for.
    ASSERT_EQ(ui::EnterText(program_.Control(305), "Müller"), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] {
        return Status() == "Nachname oder zweite Zeile des Firmennamens";
    })) << Status();
}

TEST_F(AddressForm, PopupCommandsReachTheFormOrTheShell) {
    HWND form = StartForm();
    ASSERT_TRUE(form);
    EXPECT_FALSE(ReadOnly(304));
    // "Nur lesen" is the form's own command: every edit turns read-only.
    HWND page = GetParent(program_.Control(304));
    ASSERT_EQ(ui::RightClick(page), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }))
        << "no pop-up menu";
    Keys("L");  // "Nur &lesen"
    EXPECT_TRUE(
        E2eProgram::WaitUntil([&] { return ReadOnly(304) && ReadOnly(305) && ReadOnly(308); }));
    ASSERT_EQ(ui::RightClick(page), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
    Keys("B");  // "&Bearbeiten"
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !ReadOnly(304) && !ReadOnly(305); }));

    // "Startbildschirm" is no command of the form: the shell opens its window.
    ASSERT_EQ(ui::RightClick(page), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
    Keys("T");
    bool opened = E2eProgram::WaitUntil([&] {
        for (const ui::ControlInfo& c : ui::ListControls(program_.Window()))
            if (c.text == "VeltoTax2010" && c.visible)
                return true;
        return false;
    });
    EXPECT_TRUE(opened) << "the shell's start screen did not open";
}

TEST_F(AddressForm, UnsavedChangesKeepTheFormAndTheShellOpen) {
    HWND form = StartForm();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(304), "Jürgen"), ui::Outcome::kOk);
    // Closing the form asks while the change is not saved; "Abbrechen"
    // keeps it open ...
    ASSERT_EQ(ui::PostClose(form), ui::Outcome::kOk);
    EXPECT_NE(Answer("KONTORPLUS", "CANCEL").find("noch nicht gespeichert"), std::string::npos);
    EXPECT_TRUE(IsWindowVisible(form));
    // ... and so does closing the shell.
    program_.Close();
    EXPECT_NE(Answer("KONTORPLUS", "CANCEL").find("Interessenten und Kunden"), std::string::npos);
    EXPECT_TRUE(program_.Running());
    EXPECT_EQ(program_.Text(304), "Jürgen");

    // Saved, both may close.
    program_.Click(101);  // "&Speichern"
    ASSERT_EQ(ui::PostClose(form), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(form) || !IsWindowVisible(form); }));
    program_.Close();
    EXPECT_EQ(program_.WaitExit(), 0u);

    DBServer db(ui::Narrow((Data() / "Adressen.dbf").wstring()));
    db.GoTop();
    EXPECT_EQ(Trim(db.FieldGet(Symbol("VNAME")).AsString()), "Jürgen");
}

TEST_F(AddressForm, TypedValuesAreStoredAsTyped) {
    HWND form = StartForm();
    ASSERT_TRUE(form);
    const std::vector<std::pair<int, std::pair<std::string, std::string>>> typed{
        {304, {"VNAME", "Jürgen-Äöüß"}},        {305, {"NNAME", "Müller-Lüdenscheidt"}},
        {306, {"STRASSE", "Königsallee 12 a"}}, {307, {"PLZ", "40212"}},
        {308, {"ORT", "Düsseldorf"}},
    };
    for (const auto& [id, field] : typed)
        ASSERT_EQ(ui::EnterText(program_.Control(id), field.second), ui::Outcome::kOk)
            << field.first;
    HWND tabs = ui::FindControlByClass(form, "SysTabControl32");
    ASSERT_EQ(ui::SelectTab(tabs, 1), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program_.Visible(311); }));
    ASSERT_EQ(ui::EnterText(program_.Control(311), "0211 / 12 34-5"), ui::Outcome::kOk);
    ASSERT_EQ(ui::EnterText(program_.Control(312), "29.02.1960"), ui::Outcome::kOk);
    program_.Click(101);  // "&Speichern"
    ASSERT_EQ(ui::PostClose(form), ui::Outcome::kOk);
    program_.Close();
    ASSERT_EQ(program_.WaitExit(), 0u);

    // Our own reader first; python's dbfread reads the same bytes afterwards.
    const auto data = Data();
    DBServer db(ui::Narrow((data / "Adressen.dbf").wstring()));
    db.GoTop();
    for (const auto& [id, field] : typed)
        EXPECT_EQ(Trim(db.FieldGet(Symbol(field.first)).AsString()), field.second);
    EXPECT_EQ(Trim(db.FieldGet(Symbol("TELEFON")).AsString()), "0211 / 12 34-5");
    EXPECT_EQ(db.FieldGet(Symbol("GEBDATUM")).AsDate(), Date::FromYMD(1960, 2, 29));
    const std::string adressNr = Trim(db.FieldGet(Symbol("ADRESSNR")).AsString());
    db.Close();
    // The form keeps the table's indexes up to date with what it saved.
    std::vector<std::string> ntx;
    for (const char* x :
         {"Adressnr.ntx", "Adrename.ntx", "Adresplz.ntx", "Adresstr.ntx", "Adresort.ntx"})
        ntx.push_back(ui::Narrow((data / x).wstring()));
    const CheckReport check = CheckTable(ui::Narrow((data / "Adressen.dbf").wstring()), ntx, 850);
    EXPECT_TRUE(check.Ok()) << (check.faults.empty() ? "" : check.faults[0]);

    const auto out = HandOverFolder("adressen");
    for (const char* f : {"Adressen.dbf", "Adressen.dbt"})
        std::filesystem::copy_file(data / f, out / f);
    std::ofstream expected(out / "expected.txt", std::ios::binary);
    expected << "ADRESSNR=" << adressNr << "\n";
    for (const auto& [id, field] : typed)
        expected << field.first << "=" << field.second << "\n";
    expected << "TELEFON=0211 / 12 34-5\nGEBDATUM=1960-02-29\n";
}

// The contract input form: what was typed is never dropped without a
// question, whichever way the form or the shell is closed.
class ContractForm : public Shell {
  protected:
    static constexpr int kMenuVertraege = 24590, kVersNr = 701, kNName = 702,
                         kSchliessenButton = 714;
    HWND Open() {
        EXPECT_EQ(ui::ChooseMenuItem(program_.Window(), kMenuVertraege), ui::Outcome::kOk);
        return Child("Verträge erfassen");
    }
    // A field of the first record, as the table holds it now.
    std::string Stored(const char* field) {
        DBServer db(ui::Narrow((Data() / "Vertrag.DBF").wstring()));
        db.GoTop();
        return Trim(db.FieldGet(Symbol(field)).AsString());
    }
    static bool Gone(HWND form) { return !IsWindow(form) || !IsWindowVisible(form); }
};

TEST_F(ContractForm, EveryWayOfClosingAsksAboutTypedChanges) {
    program_.Start(folder_.path());
    const std::string name = Stored("NNAME");
    HWND form = Open();
    ASSERT_TRUE(form) << "the contract form did not open";
    // Closing without a change asks nothing.
    program_.Click(kSchliessenButton);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Gone(form); }));
    EXPECT_FALSE(ui::FindMessageBox("KONTORPLUS", {program_.pid(), {}}));

    // "&Schliessen": "Abbrechen" keeps the form and what was typed.
    form = Open();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(kNName), "Abbruch"), ui::Outcome::kOk);
    program_.Click(kSchliessenButton);
    const std::string question = Answer("KONTORPLUS", "CANCEL");
    EXPECT_NE(question.find("Verträge erfassen"), std::string::npos) << question;
    EXPECT_NE(question.find("noch nicht gespeichert"), std::string::npos) << question;
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(program_.Text(kNName), "Abbruch");

    // The close box: "Nein" drops the change.
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    Answer("KONTORPLUS", "NO");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Gone(form); }));
    EXPECT_EQ(Stored("NNAME"), name);

    // "Ja" saves, the contract number (a key) among the fields.
    form = Open();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(kVersNr), "99-1234567/9"), ui::Outcome::kOk);
    ASSERT_EQ(ui::EnterText(program_.Control(kNName), "Gespeichert"), ui::Outcome::kOk);
    program_.Click(kSchliessenButton);
    Answer("KONTORPLUS", "YES");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Gone(form); }));
    EXPECT_EQ(Stored("NNAME"), "Gespeichert");

    // The shell's end, by Alt+F4 and by "&Ende", asks the same.
    form = Open();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(kNName), "Ende"), ui::Outcome::kOk);
    Keys("Alt+F4");
    EXPECT_NE(Answer("KONTORPLUS", "CANCEL").find("Verträge erfassen"), std::string::npos);
    EXPECT_TRUE(program_.Running());
    EXPECT_EQ(program_.Text(kNName), "Ende");
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24580), ui::Outcome::kOk);
    Answer("KONTORPLUS", "YES");
    ASSERT_EQ(program_.WaitExit(), 0u);
    EXPECT_EQ(Stored("NNAME"), "Ende");

    // The saves kept the contract table's indexes right.
    std::vector<std::string> ntx;
    for (const char* x : {"Vertrag5.ntx", "Vertrag6.ntx"})
        ntx.push_back(ui::Narrow((Data() / x).wstring()));
    const std::string table = ui::Narrow((Data() / "Vertrag.DBF").wstring());
    const CheckReport check = CheckTable(table, ntx, 850);
    EXPECT_TRUE(check.Ok()) << (check.faults.empty() ? "" : check.faults[0]);
    DBServer db(table);
    ASSERT_TRUE(db.SetIndex(ntx[0]));
    EXPECT_TRUE(db.Seek(Usual(std::string("99-1234567/9"))));
    EXPECT_EQ(db.RecNo(), 1u);
}

TEST_F(ContractForm, AlsoWithoutTheShellAskingTwiceAfterNein) {
    program_.Start(folder_.path());
    const std::string name = Stored("NNAME");
    HWND form = Open();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(kNName), "Verworfen"), ui::Outcome::kOk);
    Keys("Alt+F4");
    Answer("KONTORPLUS", "NO");
    EXPECT_EQ(program_.WaitExit(), 0u) << "the shell asked again or stayed open";
    EXPECT_EQ(Stored("NNAME"), name);
}

// Windows logging off asks the shell first, as its own end does: a form
// with typed changes asks its question, and the session waits for it.
TEST_F(ContractForm, LoggingOffAsksAboutTypedChangesAndEndsOnlyWhenAgreed) {
    program_.Start(folder_.path());
    const std::string name = Stored("NNAME");
    HWND form = Open();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(kNName), "Abgemeldet"), ui::Outcome::kOk);
    const HWND shell = program_.Window();
    // The system's question waits for the user's answer, so it is sent
    // from a thread of its own.
    auto logOff = [shell] {
        return std::async(std::launch::async, [shell] {
            DWORD_PTR reply = 99;
            SendMessageTimeoutW(shell, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000,
                                &reply);
            return reply;
        });
    };
    auto reply = logOff();
    EXPECT_NE(Answer("KONTORPLUS", "CANCEL").find("Verträge erfassen"), std::string::npos);
    EXPECT_EQ(reply.get(), static_cast<DWORD_PTR>(FALSE)) << "the log-off was not refused";
    EXPECT_TRUE(program_.Running());
    EXPECT_EQ(program_.Text(kNName), "Abgemeldet");

    // "Nein", but another program keeps the session: the change is still
    // there, and the next end asks again.
    reply = logOff();
    Answer("KONTORPLUS", "NO");
    EXPECT_EQ(reply.get(), static_cast<DWORD_PTR>(TRUE));
    SendMessageW(shell, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(program_.Running());
    EXPECT_EQ(program_.Text(kNName), "Abgemeldet");
    EXPECT_EQ(Stored("NNAME"), name);

    // "Ja" saves; then the session ends, and the shell with it.
    reply = logOff();
    Answer("KONTORPLUS", "YES");
    EXPECT_EQ(reply.get(), static_cast<DWORD_PTR>(TRUE));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(shell, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000,
                        &ignored);
    EXPECT_EQ(program_.WaitExit(), 0u);
    EXPECT_EQ(Stored("NNAME"), "Abgemeldet");
}

// The address form asks the same question.
TEST_F(AddressForm, ClosingAsksToSaveDropOrGoOn) {
    HWND form = StartForm();
    ASSERT_TRUE(form);
    ASSERT_EQ(ui::EnterText(program_.Control(304), "Gisela"), ui::Outcome::kOk);
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_NE(Answer("KONTORPLUS", "YES").find("Interessenten und Kunden"), std::string::npos);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(form) || !IsWindowVisible(form); }));
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
    DBServer db(ui::Narrow((Data() / "Adressen.dbf").wstring()));
    db.GoTop();
    EXPECT_EQ(Trim(db.FieldGet(Symbol("VNAME")).AsString()), "Gisela");
}

// The table view of a suite table: a cell edit keeps every index of the
// table right; a table outside the suite's list is only shown.
TEST_F(AddressForm, ACellEditInTheTableViewKeepsEveryIndexRight) {
    for (const char* ext : {".dbf", ".dbt"})
        std::filesystem::copy_file(Data() / ("Adressen" + std::string(ext)),
                                   Data() / ("Fremd" + std::string(ext)));
    program_.Start(folder_.path());
    auto openTable = [&](const char* file, const char* caption) -> HWND {
        EXPECT_EQ(ui::ChooseMenuItem(program_.Window(), 24562), ui::Outcome::kOk);
        HWND dialog = ui::WaitTopWindow("Datei öffnen", 10s, {program_.pid(), {}});
        if (!dialog ||
            !E2eProgram::WaitUntil([&] { return ui::FindControl(dialog, 1148) != nullptr; }))
            return nullptr;
        EXPECT_EQ(ui::SetControlText(ui::FindControl(dialog, 1148), file), ui::Outcome::kOk);
        auto enter = ui::ParseKeys("Return");
        EXPECT_EQ(ui::TypeKeys(dialog, *enter), ui::Outcome::kOk);
        HWND window = Child(caption);
        return window ? ui::FindControlByClass(window, "SysListView32") : nullptr;
    };
    // The grid's context menu from the keyboard (a right click would make
    // the cell under the mouse the current one).
    auto allowEdits = [&](HWND) {
        Keys("Home Shift+F10");
        ASSERT_TRUE(
            E2eProgram::WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
        Keys("Down Return");  // "&Ändern erlauben"
    };
    auto editing = [&](HWND grid) {
        for (const ui::ControlInfo& c : ui::ListControls(GetParent(grid)))
            if (c.window_class == "Edit" && c.visible)
                return true;
        return false;
    };

    HWND grid = openTable("Adressen.dbf", "Adressen");
    ASSERT_TRUE(grid) << "the table did not open";
    allowEdits(grid);
    // Return edits the first column of the first row (F2 is the shell's
    // quick search there); Tab goes on to NNAME.
    Keys("Return");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return editing(grid); })) << "no cell editor";
    Keys("Tab Tab Tab Tab Shift+Z Shift+Z Shift+N e u Return");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] {
        return ui::ListViewRow(grid, 0, 5).value_or(std::vector<std::string>{}).back() == "ZZNeu";
    })) << "the edit did not reach the grid";

    // Outside the list: the grid says why and stays read-only.
    grid = openTable("Fremd.dbf", "Fremd");
    ASSERT_TRUE(grid) << "the table did not open";
    allowEdits(grid);
    EXPECT_NE(Answer("Fremd", "OK").find("nicht bekannt"), std::string::npos);
    // A double click, which opens a cell editor in a writable grid, does not.
    ASSERT_EQ(ui::DoubleClick(grid), ui::Outcome::kOk);
    EXPECT_FALSE(E2eProgram::WaitUntil([&] { return editing(grid); }, 1s));
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24580), ui::Outcome::kOk);  // "&Ende"
    ASSERT_EQ(program_.WaitExit(), 0u);

    const std::string table = ui::Narrow((Data() / "Adressen.dbf").wstring());
    std::vector<std::string> ntx;
    for (const char* x :
         {"Adressnr.ntx", "Adrename.ntx", "Adresplz.ntx", "Adresstr.ntx", "Adresort.ntx"})
        ntx.push_back(ui::Narrow((Data() / x).wstring()));
    const CheckReport check = CheckTable(table, ntx, 850);
    EXPECT_TRUE(check.Ok()) << (check.faults.empty() ? "" : check.faults[0]);
    DBServer db(table);
    ASSERT_TRUE(db.SetIndex(ntx[1]));  // UPPER(NNAME+VNAME)
    ASSERT_TRUE(db.Seek(Usual(std::string("ZZNEU"))));
    EXPECT_EQ(db.RecNo(), 1u);
    EXPECT_EQ(Trim(db.FieldGet(Symbol("NNAME")).AsString()), "ZZNeu");
    // The table outside the list is as it was.
    EXPECT_EQ(std::filesystem::file_size(Data() / "Fremd.dbf"),
              std::filesystem::file_size(Data() / "Adressen.dbf"));
}

// Letters with changes when the shell ends: every one is asked before any
// closes, so an "Abbrechen" leaves them all open and whole.
class Letters : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        WriteSuite(30, 2);
        WriteIni("[Pfade]\r\nDaten=Daten\r\n[Dokumente]\r\nNameNeu=K900001XY2026\r\n");
    }
    std::vector<HWND> Pads() {
        std::vector<HWND> out;
        for (const ui::ControlInfo& c : ui::ListControls(program_.Window()))
            if (c.window_class == "KpFrame" && c.text == "Unbenannt" && c.visible)
                out.push_back(c.hwnd);
        return out;
    }
};

TEST_F(Letters, EndingTheShellAsksEveryLetterBeforeClosingAny) {
    program_.Start(folder_.path());
    const struct {
        const char* keys;
        const char* text;
    } typed[] = {{"Shift+E i n s", "Eins"}, {"Shift+Z w e i", "Zwei"}};
    for (size_t n = 1; n <= 2; ++n) {
        ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24563), ui::Outcome::kOk);  // "Datei neu"
        ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Pads().size() == n; })) << "no letter";
        Keys(typed[n - 1].keys);
        ASSERT_TRUE(E2eProgram::WaitUntil([&] {
            for (HWND pad : Pads())
                if (ui::Text(ui::FindControl(pad, 1001)).value_or("") == typed[n - 1].text)
                    return true;
            return false;
        })) << "the typing did not arrive";
    }
    Keys("Alt+F4");
    EXPECT_NE(Answer("Schließen", "NO").find("verändert"), std::string::npos);
    Answer("Schließen", "CANCEL");
    EXPECT_TRUE(program_.Running());
    // Both letters are open, each with its editor and its text.
    const std::vector<HWND> pads = Pads();
    ASSERT_EQ(pads.size(), 2u);
    std::set<std::string> texts;
    for (HWND pad : pads) {
        HWND editor = ui::FindControl(pad, 1001);
        EXPECT_TRUE(editor && IsWindowVisible(editor)) << "a letter lost its editor";
        texts.insert(editor ? ui::Text(editor).value_or("") : "");
    }
    EXPECT_EQ(texts, (std::set<std::string>{"Eins", "Zwei"}));

    // The letter answered "Nein" before has its changes still: both ask again.
    Keys("Alt+F4");
    Answer("Schließen", "NO");
    Answer("Schließen", "NO");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

}  // namespace
}  // namespace kp::e2e

// KpShell.exe as a keyboard-first user goes through it: where the focus is
// when a form opens and after one closes, the grid's own keys, where the
// dialogs open, and what the shell shows of the window in front.
#include <gtest/gtest.h>

#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <fstream>

#include "platform/data/dbserver.h"
#include "controls/CalendarGrid.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "tests/e2e/e2e_shell.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/format.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {
namespace {

namespace ui = uidriver;

constexpr int kDateiNeu = 24563, kVermittler = 24571, kVertraege = 24590, kUeber = 32031;
constexpr int kAnrede = 302, kTitel = 303, kKunde = 313, kGesNr = 401, kGesell = 402,
              kBetreuNr = 501, kVersNr = 701, kBeitrag = 705, kBeginn = 706, kAktiv = 707;
constexpr int kSpeichern = 101, kTkCalendar = 751, kTkDatum = 752, kTkListe = 754;
// The find dialog of Windows: term, case, up, down, "Weitersuchen".
constexpr int kFindTerm = 1152, kFindCase = 1041, kFindUp = 1056, kFindDown = 1057;

DWORD_PTR Ask(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

// The shell on the suite's demo tables, started from a folder of its own.
class ShellWay : public ShellFolderTest {
  protected:
    void SetUp() override {
        ShellFolderTest::SetUp();
        WriteSuite(80, 5);
        WriteIni(
            "[Pfade]\r\nDaten=Daten\r\n"
            "[Adressen]\r\nLaschen=2\r\nLasche1=Person,Person\r\nLasche2=Kontakt,Kontakt\r\n"
            "[Gesellschaften]\r\nLaschen=1\r\nLasche1=Firma,Gesellschaft\r\n"
            "[Vermittler]\r\nLaschen=1\r\nLasche1=Person,Vermittler\r\n");
    }
    // The window with the keyboard focus in the program.
    HWND Focus() {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(program_.Window(), nullptr);
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    }
    std::string FocusName() {
        HWND f = Focus();
        return f ? ui::ClassOf(f) + " " + std::to_string(GetDlgCtrlID(f)) : "(none)";
    }
    bool FocusOn(int id) {
        return E2eProgram::WaitUntil(
            [&] { return Focus() && Focus() == ui::FindControl(program_.Window(), id); });
    }
    // The active MDI child and its caption.
    HWND ActiveChild() {
        HWND client = ui::FindControlByClass(program_.Window(), "MDIClient");
        return client ? reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0))
                      : nullptr;
    }
    std::string ActiveCaption() {
        HWND child = ActiveChild();
        return child ? ui::Text(child).value_or("") : "";
    }
    bool Active(std::string_view caption) {
        return E2eProgram::WaitUntil([&] { return ActiveCaption() == caption; });
    }
    // A dialog's centre lies on the shell's centre (within rounding).
    void ExpectCentredOnShell(HWND dialog) {
        RECT d{}, s{};
        GetWindowRect(dialog, &d);
        GetWindowRect(program_.Window(), &s);
        EXPECT_NEAR((d.left + d.right) / 2, (s.left + s.right) / 2, 2);
        EXPECT_NEAR((d.top + d.bottom) / 2, (s.top + s.bottom) / 2, 2);
        EXPECT_GT(d.left, 0);
    }
    ui::Owner Mine() const { return ui::Owner{program_.pid(), {}}; }
    // Ctrl+D on a table of the data folder: the grid of the view that opens
    // (nullptr where a step fails).
    HWND OpenTableView(const std::string& table, std::string_view caption) {
        Keys("Ctrl+D");
        HWND open = ui::WaitTopWindow("Datei öffnen", 10s, Mine());
        if (!open || ui::SetControlText(ui::FindControl(open, 1148), table) != ui::Outcome::kOk ||
            ui::TypeKeys(open, *ui::ParseKeys("Return")) != ui::Outcome::kOk || !Active(caption))
            return nullptr;
        return ui::FindControlByClass(ActiveChild(), "SysListView32");
    }
    std::string Status() {
        HWND bar = ui::FindControlByClass(program_.Window(), "msctls_statusbar32");
        return bar ? ui::StatusBarPart(bar, 0).value_or("?") : "(no status bar)";
    }
    bool StatusIs(std::string_view text) {
        return E2eProgram::WaitUntil([&] { return Status() == text; });
    }
    // A dialog of the program by a control it holds (the system's dialogs
    // have captions of the system's language).
    HWND DialogWith(int id) {
        HWND found = nullptr;
        E2eProgram::WaitUntil([&] {
            for (const ui::TopWindowInfo& w : ui::ListTopWindows(Mine()))
                if (w.window_class == "#32770" && ui::FindControl(w.hwnd, id))
                    found = w.hwnd;
            return found != nullptr;
        });
        return found;
    }
    void Click(HWND dialog, int id) {
        ASSERT_EQ(ui::Click(ui::FindControl(dialog, id)), ui::Outcome::kOk) << id;
    }
    bool ButtonEnabled(int command) {
        auto state = ui::ToolbarButton(program_.Window(), command);
        return state && state->enabled;
    }
};

TEST_F(ShellWay, FormsOpenWithTheFocusInTheirFirstFieldAndClosingActivatesTheNext) {
    program_.Start(folder_.path());
    // The address number is given by the program: the focus starts on the
    // salutation, and typing and Tab work at once.
    Keys("F3");
    ASSERT_TRUE(FocusOn(kAnrede)) << FocusName();
    Keys("Shift+F r a u Tab");
    EXPECT_TRUE(FocusOn(kTitel)) << FocusName();
    EXPECT_EQ(program_.Text(kAnrede), "Frau");
    Keys("F5");
    EXPECT_TRUE(FocusOn(kGesNr)) << FocusName();
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVermittler), ui::Outcome::kOk);
    EXPECT_TRUE(FocusOn(kBetreuNr)) << FocusName();
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVertraege), ui::Outcome::kOk);
    EXPECT_TRUE(FocusOn(kVersNr)) << FocusName();

    // Ctrl+F4 closes the form in front; the one before it comes to the
    // front with the keyboard, so Ctrl+F4 and Ctrl+F6 go on working.
    ASSERT_TRUE(Active("Verträge erfassen"));
    Keys("Ctrl+F4");
    EXPECT_TRUE(Active("Vermittler")) << ActiveCaption();
    EXPECT_TRUE(FocusOn(kBetreuNr)) << FocusName();
    Keys("Ctrl+F4");
    EXPECT_TRUE(Active("Gesellschaften")) << ActiveCaption();
    Keys("Ctrl+F6");
    EXPECT_TRUE(Active("Interessenten und Kunden")) << ActiveCaption();
    EXPECT_TRUE(FocusOn(kTitel)) << FocusName();

    // A word pad closed the same way hands the front to the form as well.
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24563), ui::Outcome::kOk);
    ASSERT_TRUE(Active("Unbenannt")) << ActiveCaption();
    Keys("Ctrl+F4");
    EXPECT_TRUE(Active("Interessenten und Kunden") || Active("Gesellschaften")) << ActiveCaption();
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Focus() && IsChild(ActiveChild(), Focus()); }));
}

TEST_F(ShellWay, TheGridKeepsItsOwnKeysF2AndF5) {
    program_.Start(folder_.path());
    HWND grid = OpenTableView("GesellA.dbf", "GesellA");
    ASSERT_TRUE(grid);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Focus() == grid; }));
    const int rows = ui::ListViewCount(grid).value_or(-1);

    // Another program appends an insurer: F5 in the grid shows it, and
    // does not open the insurers' form.
    {
        DBServer db(ui::Narrow((Data() / "GesellA.dbf").wstring()));
        ASSERT_TRUE(db.Used());
        ASSERT_TRUE(db.Append());
        db.FieldPut(Symbol("GESELL"), Usual(std::string("NEUE VERS")));
        db.Commit();
        db.Close();
    }
    Keys("F5");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return ui::ListViewCount(grid) == rows + 1; }))
        << ui::ListViewCount(grid).value_or(-1);
    EXPECT_EQ(ActiveCaption(), "GesellA");

    // F2 edits the cell once changes are allowed, and opens no search.
    ASSERT_EQ(ui::RightClick(grid), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
    Keys("Down Return");  // "&Ändern erlauben", the first item
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Focus() == grid; }));
    Keys("F2");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return ui::ClassOf(Focus()) == "Edit"; }))
        << ui::ClassOf(Focus());
    EXPECT_FALSE(ui::FindTopWindow("Suchen nach...", Mine()));
    Keys("Escape");
}

TEST_F(ShellWay, DialogsOpenCentredOnTheShell) {
    program_.Start(folder_.path());
    SetWindowPos(program_.Window(), nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Keys("F9");
    HWND settings = ui::WaitTopWindow("Einstellungen", 10s, Mine());
    ASSERT_TRUE(settings);
    ExpectCentredOnShell(settings);
    ASSERT_EQ(ui::Click(ui::FindControl(settings, IDCANCEL)), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(settings); }));

    Keys("F3");
    ASSERT_TRUE(FocusOn(kAnrede)) << FocusName();
    Keys("F2");
    HWND seek = ui::WaitTopWindow("Suchen nach...", 10s, Mine());
    ASSERT_TRUE(seek);
    ExpectCentredOnShell(seek);
    ASSERT_EQ(ui::Click(ui::FindControl(seek, 105)), ui::Outcome::kOk);  // "&Abbruch"
}

TEST_F(ShellWay, LogicalFieldsShowAndTakeJOrN) {
    program_.Start(folder_.path());
    Keys("F3");
    ASSERT_TRUE(FocusOn(kAnrede)) << FocusName();
    HWND tabs = ui::FindControlByClass(ActiveChild(), "SysTabControl32");
    ASSERT_EQ(ui::SelectTab(tabs, 1), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program_.Visible(kKunde); }));
    const std::string shown = program_.Text(kKunde);
    EXPECT_TRUE(shown == "J" || shown == "N") << shown;
    // "N" typed and saved is stored as false, "J" as true.
    const std::string typed = shown == "J" ? "N" : "J";
    ASSERT_EQ(ui::EnterText(program_.Control(kKunde), typed), ui::Outcome::kOk);
    program_.Click(kSpeichern);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return program_.Text(kKunde) == typed; }));

    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVertraege), ui::Outcome::kOk);
    ASSERT_TRUE(FocusOn(kVersNr)) << FocusName();
    const std::string aktiv = program_.Text(kAktiv);
    EXPECT_TRUE(aktiv == "J" || aktiv == "N") << aktiv;
    program_.Kill();

    DBServer db(ui::Narrow((Data() / "Adressen.dbf").wstring()));
    db.GoTop();
    EXPECT_EQ(db.FieldGet(Symbol("KUNDE")).AsLogic(), typed == "J");
}

TEST_F(ShellWay, TheStatusBarTellsOfWhatIsInFrontOnly) {
    program_.Start(folder_.path());
    // The menu bar's pop-ups have help texts of their own.
    Keys("Alt");
    EXPECT_TRUE(StatusIs("Öffnen von Dateien und Programmende")) << Status();
    Keys("Right");
    EXPECT_TRUE(StatusIs("Hilfe-Menüoptionen")) << Status();
    Keys("Escape Escape");
    EXPECT_TRUE(StatusIs("")) << Status();

    // A field's description goes with its form.
    Keys("F3");
    ASSERT_TRUE(FocusOn(kAnrede)) << FocusName();
    EXPECT_TRUE(StatusIs("Anrede: Herr, Frau, Eheleute oder Firma")) << Status();
    Keys("F5");
    ASSERT_TRUE(FocusOn(kGesNr)) << FocusName();
    EXPECT_TRUE(StatusIs("Nummer der Gesellschaft")) << Status();
    Keys("Ctrl+F4");
    ASSERT_TRUE(Active("Interessenten und Kunden"));
    EXPECT_TRUE(StatusIs("Anrede: Herr, Frau, Eheleute oder Firma")) << Status();
    Keys("Ctrl+F4");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !ActiveChild(); }));
    EXPECT_TRUE(StatusIs("")) << Status();
}

TEST_F(ShellWay, TableViewsAndFormsShowWhatOthersSaved) {
    program_.Start(folder_.path());
    HWND grid = OpenTableView("GesellA.dbf", "GesellA");
    ASSERT_TRUE(grid);
    const int columns = ui::ListViewColumnCount(grid).value_or(0);
    const auto rowHas = [&](const std::string& text) {
        const auto cells = ui::ListViewRow(grid, 0, columns);
        return cells && std::find(cells->begin(), cells->end(), text) != cells->end();
    };

    // The insurers' form saves its first record: the view shows it. (F5
    // in the grid is the grid's: the form comes from the menu.)
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24569), ui::Outcome::kOk);
    ASSERT_TRUE(FocusOn(kGesNr)) << FocusName();
    ASSERT_EQ(ui::EnterText(program_.Control(kGesell), "UMBENANNT"), ui::Outcome::kOk);
    program_.Click(kSpeichern);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return rowHas("UMBENANNT"); }));

    // Another program changes the contract form's record meanwhile: the
    // form shows it when it comes back to the front.
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVertraege), ui::Outcome::kOk);
    ASSERT_TRUE(FocusOn(kVersNr)) << FocusName();
    Keys("Ctrl+F6");
    ASSERT_FALSE(Active("Verträge erfassen"));
    {
        DBServer db(ui::Narrow((Data() / "Vertrag.DBF").wstring()));
        db.GoTop();
        db.FieldPut(Symbol("BEITRAG"), Usual(Float{4321.5, 2}));
        db.Commit();
        db.Close();
    }
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVertraege), ui::Outcome::kOk);
    Keys("Ctrl+F6");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return program_.Text(kBeitrag) == "4321.50"; }))
        << program_.Text(kBeitrag);
}

TEST_F(ShellWay, WordPadFindsForwardsBackwardsAndByCase) {
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kDateiNeu), ui::Outcome::kOk);
    ASSERT_TRUE(Active("Unbenannt"));
    HWND edit = ui::FindControl(ActiveChild(), 1001);
    ASSERT_TRUE(edit);
    ASSERT_EQ(ui::SetControlText(edit, "Anna anna ANNA Ende"), ui::Outcome::kOk);
    Ask(edit, EM_SETSEL, 0, 0);
    const auto selection = [&] {
        const auto r = static_cast<DWORD>(Ask(edit, EM_GETSEL));
        return std::make_pair(static_cast<int>(LOWORD(r)), static_cast<int>(HIWORD(r)));
    };
    const auto selected = [&](int from, int to) {
        return E2eProgram::WaitUntil([&] { return selection() == std::make_pair(from, to); });
    };

    Keys("Alt+F3");
    HWND find = DialogWith(kFindTerm);
    ASSERT_TRUE(find) << "Alt+F3 opened no find dialog";
    ASSERT_EQ(ui::EnterText(ui::FindControl(find, kFindTerm), "anna"), ui::Outcome::kOk);
    Click(find, kFindCase);
    // Return in the dialog is "Weitersuchen": by case, the second word.
    ASSERT_EQ(ui::TypeKeys(find, *ui::ParseKeys("Return")), ui::Outcome::kOk);
    EXPECT_TRUE(selected(5, 9)) << selection().first << "-" << selection().second;
    // No second "anna" in small letters: the user is told, the dialog stays.
    Click(find, IDOK);
    HWND box = ui::WaitMessageBox("KONTORPLUS", 10s, Mine());
    ASSERT_TRUE(box);
    EXPECT_NE(ui::MessageBoxText(box).value_or("").find("nicht gefunden"), std::string::npos);
    ASSERT_EQ(ui::PressButton(box, ui::ParseButtonChoice("OK")), ui::Outcome::kOk);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(find));
    // Without regard to case, backwards: the first word; forwards again:
    // the second and the third.
    Click(find, kFindCase);
    Click(find, kFindUp);
    Click(find, IDOK);
    EXPECT_TRUE(selected(0, 4)) << selection().first << "-" << selection().second;
    Click(find, kFindDown);
    Click(find, IDOK);
    EXPECT_TRUE(selected(5, 9)) << selection().first << "-" << selection().second;
    Click(find, IDOK);
    EXPECT_TRUE(selected(10, 14)) << selection().first << "-" << selection().second;
}

TEST_F(ShellWay, WordPadButtonsAreGreyWhileAFormIsInFront) {
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kDateiNeu), ui::Outcome::kOk);
    ASSERT_TRUE(Active("Unbenannt"));
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return ButtonEnabled(30814); }));
    EXPECT_TRUE(ButtonEnabled(30810));
    Keys("F3");
    ASSERT_TRUE(FocusOn(kAnrede)) << FocusName();
    for (int command : {30814, 30807, 30810, 30811, 30820, 30816, 30817})
        EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !ButtonEnabled(command); })) << command;
    EXPECT_TRUE(ButtonEnabled(kDateiNeu));  // a command of the shell
    Keys("Ctrl+F6");
    ASSERT_TRUE(Active("Unbenannt"));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return ButtonEnabled(30814); }));
    EXPECT_TRUE(ButtonEnabled(30811));
}

TEST_F(ShellWay, AppointmentCalendarShowsTheResubmissionsOfTheDay) {
    // Two resubmissions on 15 June 2010 and one on the 17th, of a filed letter.
    std::string ablage, kunde;
    {
        DBServer dok(ui::Narrow((Data() / "DokVW.dbf").wstring()));
        for (dok.GoTop(); !dok.EoF() && kunde.empty(); dok.Skip(1)) {
            kunde = Trim(dok.FieldGet(Symbol("KUNDE")).AsString());
            ablage = Trim(dok.FieldGet(Symbol("ABLAGE")).AsString());
        }
        DBServer wv(ui::Narrow((Data() / "DatWV.dbf").wstring()));
        ASSERT_TRUE(wv.SetIndex(ui::Narrow((Data() / "DatWV.ntx").wstring())));
        for (auto [day, reason] :
             {std::pair{15, "Rückruf vereinbart"}, std::pair{15, "Angebot nachfassen"},
              std::pair{17, "Unterlagen anfordern"}}) {
            ASSERT_TRUE(wv.Append());
            wv.FieldPut(Symbol("TAG"), Usual(Date::FromYMD(2010, 6, day)));
            wv.FieldPut(Symbol("WV"), Usual(ablage.substr(ablage.find_last_of('\\') + 1)));
            wv.FieldPut(Symbol("WVGRUND"), Usual(std::string(reason)));
            wv.FieldPut(Symbol("DABLAGE"), Usual(ablage));
            wv.Commit();
        }
        wv.Close();
    }
    ASSERT_FALSE(kunde.empty());
    program_.Start(folder_.path());
    Keys("F7");
    ASSERT_TRUE(Active("Terminkalender"));
    ASSERT_EQ(ui::EnterText(program_.Control(kTkDatum), ""), ui::Outcome::kOk);
    Keys("1 5 0 6 2 0 1 0");
    HWND list = program_.Control(kTkListe);
    ASSERT_TRUE(list);
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Ask(list, LB_GETCOUNT) == 2; }))
        << Ask(list, LB_GETCOUNT);
    wchar_t line[256] = {};
    Ask(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    const std::string first = ui::Narrow(line);
    EXPECT_NE(first.find(kunde), std::string::npos) << first;
    EXPECT_NE(first.find("Rückruf vereinbart"), std::string::npos) << first;

    // The 17th stands out in the calendar, the 16th does not.
    HWND calendar = program_.Control(kTkCalendar);
    RECT rc{};
    GetClientRect(calendar, &rc);
    const CalendarGrid grid(rc.right, rc.bottom);
    const auto cellColour = [&](int day) {
        const auto c = grid.DayCell(Date::FromYMD(2010, 6, day));
        POINT p{c.left + 2, c.top + 2};
        ClientToScreen(calendar, &p);
        HDC screen = GetDC(nullptr);
        const COLORREF colour = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        return colour;
    };
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return cellColour(17) != cellColour(16); }));

    // A double click on a resubmission opens its letter.
    Ask(list, LB_SETCURSEL, 0);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return ActiveCaption() == ablage; }))
        << ActiveCaption();
}

TEST_F(ShellWay, AboutBoxSearchAndCalendarDialogsAsTheirTablesSay) {
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kUeber), ui::Outcome::kOk);
    HWND about = ui::WaitTopWindow("INFO", 10s, Mine());
    ASSERT_TRUE(about);
    // The icon control is 33 x 30 units, the OK button 53 x 12.
    RECT icon{}, ok{};
    GetWindowRect(ui::FindControl(about, 101), &icon);
    GetWindowRect(ui::FindControl(about, 110), &ok);
    EXPECT_NEAR(icon.right - icon.left, (ok.right - ok.left) * 33 / 53, 2);
    EXPECT_NEAR(icon.bottom - icon.top, (ok.bottom - ok.top) * 30 / 12, 3);
    // Each separator is one unbroken line: some row of the control is the
    // same colour from end to end, and not the dialog's background.
    for (int id : {100, 102}) {
        RECT sep{};
        GetWindowRect(ui::FindControl(about, id), &sep);
        const auto unbrokenRow = [&] {
            HDC screen = GetDC(nullptr);
            const COLORREF background = GetPixel(screen, sep.left + 1, sep.top - 2);
            bool found = false;
            for (int y = sep.top; y < sep.bottom && !found; ++y) {
                const COLORREF first = GetPixel(screen, sep.left + 1, y);
                found = first != background;
                for (int x = sep.left + 1; x < sep.right - 1 && found; ++x)
                    found = GetPixel(screen, x, y) == first;
            }
            ReleaseDC(nullptr, screen);
            return found;
        };
        EXPECT_TRUE(E2eProgram::WaitUntil(unbrokenRow)) << "separator " << id;
    }
    Click(about, 110);

    // The record search: an empty term that searches nothing, a
    // term after the last surname that is not found without a list.
    Keys("F3");
    ASSERT_TRUE(FocusOn(kAnrede)) << FocusName();
    Keys("F2");
    HWND seek = ui::WaitTopWindow("Suchen nach...", 10s, Mine());
    ASSERT_TRUE(seek);
    Click(seek, 104);
    EXPECT_EQ(program_.MessageBoxText("KONTORPLUS"), "Bitte einen Suchbegriff eingeben.");
    program_.Press("KONTORPLUS", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !ui::FindMessageBox("KONTORPLUS", Mine()); }));
    ASSERT_TRUE(IsWindow(seek));
    ASSERT_EQ(ui::SetControlText(ui::FindControl(seek, 101), "ZZZZZZ"), ui::Outcome::kOk);
    Click(seek, 104);
    EXPECT_EQ(program_.MessageBoxText("KONTORPLUS"), "Der Suchbegriff wurde nicht gefunden!");
    EXPECT_FALSE(ui::FindTopWindow("Mehrfachauswahl", Mine()));
    program_.Press("KONTORPLUS", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(seek); }));

    // The calendar dialog's control: no tab stop, and the keyboard still
    // takes a day with Return.
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVertraege), ui::Outcome::kOk);
    ASSERT_TRUE(FocusOn(kVersNr)) << FocusName();
    PostMessageW(program_.Control(kBeginn), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    HWND calendar = ui::WaitTopWindow("KONTORPLUS Kalender", 10s, Mine());
    ASSERT_TRUE(calendar);
    // Style 0x50800000 in the resource; the dialog manager draws the border
    // as a 3D edge.
    HWND control = ui::FindControl(calendar, 100);
    const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    EXPECT_EQ(style & ~WS_BORDER, static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << std::hex << style;
    EXPECT_TRUE((style & WS_BORDER) || (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    ASSERT_EQ(ui::TypeKeys(calendar, *ui::ParseKeys("Return")), ui::Outcome::kOk);
    const Date today = Today();
    char expected[16];
    snprintf(expected, sizeof expected, "%02d.%02d.%04d", today.Day(), today.Month(), today.Year());
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return program_.Text(kBeginn) == expected; }))
        << program_.Text(kBeginn);
}

}  // namespace
}  // namespace kp::e2e

// The data-entry controls end to end: KpShell.exe's contract input form and
// appointment calendar driven with real keystrokes and mouse messages.
#include <gtest/gtest.h>

#include <fstream>

#include "controls/CalendarGrid.h"
#include "platform/data/dbserver.h"
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

constexpr int kVertraege = 24590;
constexpr int kVersNr = 701, kNName = 702, kBeitrag = 705, kBeginn = 706, kHinweis = 709,
              kSpeichern = 713;
constexpr int kTkCalendar = 751, kTkDatum = 752;

class Controls : public ShellFolderTest {
  protected:
    void SetUp() override {
        ShellFolderTest::SetUp();
        SetDeleted(true);
        SetDateCountry(5);
        SetCentury(true);
        SetEpoch(1920);
        demo::WriteVertrag(ui::Narrow(Data().wstring()), 50, 11);
        WriteIni("[Pfade]\r\nDaten=Daten\r\n");
    }

    void Type(std::initializer_list<ui::KeyStroke> keys) {
        ASSERT_EQ(ui::TypeKeys(program_.Window(), std::vector<ui::KeyStroke>(keys)),
                  ui::Outcome::kOk);
    }
    // The window that has the keyboard focus in the program.
    HWND Focus() { return program_.Focus(); }
    // Clicks into a field (focus, all selected) without typing.
    void FocusField(int id) {
        ASSERT_EQ(ui::EnterText(program_.Control(id), ""), ui::Outcome::kOk);
        ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Focus() == program_.Control(id); }));
    }
    bool WaitText(int id, const std::string& want) {
        return E2eProgram::WaitUntil([&] { return program_.Text(id) == want; });
    }
    void OpenForm() {
        program_.Start(folder_.path());
        ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kVertraege), ui::Outcome::kOk);
        ASSERT_TRUE(E2eProgram::WaitUntil([&] {
            HWND f = ui::FindControl(program_.Window(), kBeitrag);
            return f && IsWindowVisible(f);
        }));
    }

    static ui::KeyStroke K(WORD vk, bool shift = false) {
        return ui::KeyStroke{vk, false, false, shift};
    }
};

TEST_F(Controls, TypedNumberAndDateAreShownAndStored) {
    OpenForm();
    const std::string versNr = program_.Text(kVersNr);

    // "123,5" into the two-decimal amount.
    FocusField(kBeitrag);
    Type({K('1'), K('2'), K('3'), K(VK_OEM_COMMA), K('5')});
    EXPECT_TRUE(WaitText(kBeitrag, "123.50")) << program_.Text(kBeitrag);

    // A date typed over the mask, then moved by the short-cut keys:
    // M next month, the keypad plus next day, m previous month.
    FocusField(kBeginn);
    Type({K('1'), K('5'), K('0'), K('6'), K('2'), K('0'), K('1'), K('0')});
    EXPECT_TRUE(WaitText(kBeginn, "15.06.2010")) << program_.Text(kBeginn);
    Type({K('M', true)});
    EXPECT_TRUE(WaitText(kBeginn, "15.07.2010")) << program_.Text(kBeginn);
    Type({K(VK_ADD)});
    EXPECT_TRUE(WaitText(kBeginn, "16.07.2010")) << program_.Text(kBeginn);
    Type({K('M')});
    EXPECT_TRUE(WaitText(kBeginn, "16.06.2010")) << program_.Text(kBeginn);

    // A double click on the date field opens the calendar below it; closed
    // without a chosen day it leaves the field as it was.
    const auto openCalendar = [&] {
        PostMessageW(program_.Control(kBeginn), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        return ui::WaitTopWindow("KONTORPLUS Kalender", std::chrono::milliseconds(10000),
                                 ui::Owner{program_.pid(), {}});
    };
    HWND dialog = openCalendar();
    ASSERT_TRUE(dialog) << "the calendar dialog did not open";
    ASSERT_EQ(ui::PostClose(dialog), ui::Outcome::kOk);
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(program_.Text(kBeginn), "16.06.2010");
    dialog = openCalendar();
    ASSERT_TRUE(dialog) << "the calendar dialog did not open again";
    RECT field{}, dlg{};
    GetWindowRect(program_.Control(kBeginn), &field);
    GetWindowRect(dialog, &dlg);
    EXPECT_EQ(dlg.top, field.bottom);
    EXPECT_EQ(dlg.left, field.left);
    HWND calendar = ui::FindControl(dialog, 100);
    ASSERT_TRUE(calendar);
    RECT rc{};
    GetClientRect(calendar, &rc);
    const CalendarGrid grid(rc.right, rc.bottom);
    // The left arrow pages back a month; a double click takes the 15th.
    PostMessageW(calendar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
    PostMessageW(calendar, WM_LBUTTONUP, 0, MAKELPARAM(8, 10));
    const Date today = Today();
    const Date target = Date::FromYMD(CalendarGrid::MoveMonths(today, -1).Year(),
                                      CalendarGrid::MoveMonths(today, -1).Month(), 15);
    const int x = (CalendarGrid::Column(target) - 1) * grid.CellWidth() + grid.CellWidth() / 2;
    const int y = 25 + CalendarGrid::Row(target) * grid.RowHeight() + grid.RowHeight() / 2;
    Sleep(300);
    PostMessageW(calendar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(calendar, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    PostMessageW(calendar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(calendar, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(WaitText(kBeginn, DToC(target))) << program_.Text(kBeginn);

    program_.Click(kSpeichern);
    EXPECT_TRUE(WaitText(kHinweis, "Gespeichert.")) << program_.Text(kHinweis);
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);

    // Our reader first; the independent one reads the handed-over copy.
    {
        DBServer db(ui::Narrow((Data() / "Vertrag.DBF").wstring()));
        ASSERT_TRUE(db.Used());
        bool found = false;
        for (db.GoTop(); !db.EoF(); db.Skip(1)) {
            if (Trim(db.FieldGet(Symbol("VERSNR")).AsString()) != versNr)
                continue;
            found = true;
            EXPECT_DOUBLE_EQ(db.FieldGet(Symbol("BEITRAG")).AsFloat(), 123.5);
            EXPECT_EQ(db.FieldGet(Symbol("BEGINN")).AsDate(), target);
        }
        EXPECT_TRUE(found);
    }
    const auto out = std::filesystem::path(ui::Widen(ui::ToWindowsPath(KP_E2E_OUT)));
    std::filesystem::create_directories(out);
    std::filesystem::copy_file(Data() / "Vertrag.DBF", out / "Vertrag.DBF",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(Data() / "Vertrag.DBT", out / "Vertrag.DBT",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream expected(out / "expected.txt", std::ios::binary);
    expected << "VERSNR=" << versNr << "\nBEITRAG=123.5\nBEGINN=" << DToS(target) << "\n";
}

TEST_F(Controls, ReturnMovesOnAndAFailingValidActionKeepsTheFocusWithoutLooping) {
    OpenForm();
    FocusField(kVersNr);
    Keys("Return");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Focus() == program_.Control(kNName); }));
    Sleep(300);
    EXPECT_EQ(Focus(), program_.Control(kNName)) << "Return moved more than one field";

    // Both mandatory fields empty: leaving the first brings the focus back
    // to it once, and the second does not pull it away again.
    FocusField(kVersNr);
    ASSERT_EQ(ui::SetControlText(program_.Control(kNName), ""), ui::Outcome::kOk);
    ASSERT_EQ(ui::SetControlText(program_.Control(kVersNr), ""), ui::Outcome::kOk);
    Keys("Tab");
    Sleep(1500);
    EXPECT_EQ(Focus(), program_.Control(kVersNr));
    Sleep(500);
    EXPECT_EQ(Focus(), program_.Control(kVersNr)) << "the focus moves between the fields";
    EXPECT_NE(program_.Text(kHinweis).find("Versicherungsnummer"), std::string::npos)
        << program_.Text(kHinweis);
    // The shell still answers: a typed number lets the field go.
    Type({K('4'), K('7')});
    Keys("Tab");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Focus() == program_.Control(kNName); }));
    program_.Kill();
}

TEST_F(Controls, TerminkalenderFollowsTheCalendarKeys) {
    program_.Start(folder_.path());
    Keys("F7");
    ASSERT_TRUE(E2eProgram::WaitUntil(
        [&] { return ui::FindControl(program_.Window(), kTkDatum) != nullptr; }));
    // A click into the header (between the arrows) gives the calendar the focus.
    HWND calendar = program_.Control(kTkCalendar);
    RECT rc{};
    GetClientRect(calendar, &rc);
    PostMessageW(calendar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right / 2, 10));
    PostMessageW(calendar, WM_LBUTTONUP, 0, MAKELPARAM(rc.right / 2, 10));
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return Focus() == calendar; }));
    const Date today = Today();
    EXPECT_TRUE(WaitText(kTkDatum, DToC(today))) << program_.Text(kTkDatum);
    Keys("Right");
    EXPECT_TRUE(WaitText(kTkDatum, DToC(today + 1))) << program_.Text(kTkDatum);
    Keys("PgDn");
    EXPECT_TRUE(WaitText(kTkDatum, DToC(CalendarGrid::MoveMonths(today + 1, 1))))
        << program_.Text(kTkDatum);
    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

}  // namespace
}  // namespace kp::e2e

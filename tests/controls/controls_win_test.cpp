// The data-entry controls on a real form under Windows: focus return,
// read-only, clipboard, value assignment, the calendar's keys and clicks.
#include <gtest/gtest.h>

#include "controls/CalendarControl.h"
#include "controls/mleDorvanKeys.h"
#include "controls/sleDatum.h"
#include "controls/sleNumeric.h"
#include "controls/sleStandard.h"
#include "forms/dtaWindow.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/gui/gui.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "tests/app/win_support.h"
#include "tests/common/temp_folder.h"

namespace kp {
namespace {

void Pump(int ms = 150) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (GetTickCount() < end) {
        ApplicationExec(EXECWHILEEVENT);
        Sleep(5);
    }
}

void SetClipboard(HWND owner, const std::string& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    const std::wstring w = Utf8ToWide(text);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

class Form : public DtaWindow, public DateChangedListener {
  public:
    Form() : DtaWindow(nullptr, ResourceID("ctlTestForm")) {
        a = std::make_unique<SleStandard>(this, ResourceID(201));
        b = std::make_unique<SleStandard>(this, ResourceID(202));
        num = std::make_unique<SleNumeric>(this, ResourceID(203));
        num->SetLen(10, 2);
        date = std::make_unique<PEDateSle>(this, ResourceID(204));
        plainDate = std::make_unique<SleDatum>(this, ResourceID(205));
        other = std::make_unique<SingleLineEdit>(this, ResourceID(206));
    }
    void DateChanged(Date d) override { changes.push_back(d); }
    std::unique_ptr<SleStandard> a, b;
    std::unique_ptr<SleNumeric> num;
    std::unique_ptr<PEDateSle> date;
    std::unique_ptr<SleDatum> plainDate;
    std::unique_ptr<SingleLineEdit> other;
    std::vector<Date> changes;
};

class ControlsWin : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
    void SetUp() override {
        ResetSettings();
        SetDateCountry(5);
        SetCentury(true);
        SetEpoch(1920);
        form = std::make_unique<Form>();
        form->Show();
        SetForegroundWindow(form->Handle());
        Pump(50);
    }
    void TearDown() override {
        form->Destroy();
        Pump(20);
    }
    test::FakePresenter presenter;
    ScopedPresenter scoped{presenter};
    std::unique_ptr<Form> form;
};

TEST_F(ControlsWin, TwoRefusingFieldsDoNotPassTheFocusForEver) {
    int calls = 0;
    auto refuse = [&](SleStandard&) {
        ++calls;
        return false;
    };
    form->a->ValidBlock(refuse);
    form->b->ValidBlock(refuse);
    form->a->SetFocus();
    Pump();
    calls = 0;
    form->b->SetFocus();  // a refuses: the focus comes back once
    Pump(400);
    EXPECT_EQ(GetFocus(), form->a->Handle());
    EXPECT_LE(calls, 2) << "the fields hand the focus to each other";
    EXPECT_FALSE(form->Valid());
    EXPECT_EQ(form->CurrentControl(), form->a.get());
    const int settled = calls;
    Pump(300);
    EXPECT_EQ(calls, settled);
}

TEST_F(ControlsWin, FocusLeavingTheFormIsNotTakenBack) {
    form->a->ValidBlock([](SleStandard&) { return false; });
    form->a->SetFocus();
    Pump();
    // Another top window (as another program's) gets the focus.
    HWND outside = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 300, 300, 100, 20,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ::SetFocus(outside);
    Pump(300);
    EXPECT_EQ(GetFocus(), outside);
    EXPECT_FALSE(form->Valid());
    DestroyWindow(outside);
}

TEST_F(ControlsWin, ValidActionThatPassesSetsTheFormValid) {
    bool ok = false;
    form->a->ValidBlock([&](SleStandard&) { return ok; });
    form->a->SetFocus();
    form->other->SetFocus();
    Pump();
    EXPECT_FALSE(form->Valid());
    ok = true;
    form->other->SetFocus();
    Pump();
    EXPECT_TRUE(form->Valid());
}

TEST_F(ControlsWin, KeyActionsRunOnReleaseFirstRegistrationOnly) {
    int first = 0, second = 0;
    form->a->SetKey(VK_F5, [&](SleStandard&) { return Usual(++first); });
    form->a->SetKey(VK_F5, [&](SleStandard&) { return Usual(++second); });
    SendMessageW(form->a->Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(first, 0);
    SendMessageW(form->a->Handle(), WM_KEYUP, VK_F5, 0xC0000001);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST(SnippetText, OneBlankAfterAWordOnly) {
    EXPECT_EQ(SnippetText("", 0, "HAUSRAT"), "HAUSRAT");
    EXPECT_EQ(SnippetText("KFZ", 3, "HAUSRAT"), " HAUSRAT");
    EXPECT_EQ(SnippetText("KFZ ", 4, "HAUSRAT"), "HAUSRAT");
    EXPECT_EQ(SnippetText("KFZ", 0, "HAUSRAT"), "HAUSRAT");
}

TEST(SnippetText, TheCaretCountsTheControlsUnitsNotBytes) {
    // After "Grüße " the caret stands at 6 (UTF-16); byte 5 is inside "ß".
    EXPECT_EQ(SnippetText("Grüße ", 6, "HAUSRAT"), "HAUSRAT");
    EXPECT_EQ(SnippetText("ä ", 2, "KFZ"), "KFZ");
    EXPECT_EQ(SnippetText("Müller", 6, "KFZ"), " KFZ");
    EXPECT_EQ(SnippetText("Müller", 2, "KFZ"), " KFZ");  // right after "ü"
    EXPECT_EQ(SnippetText("Öl Müller", 3, "KFZ"), "KFZ");
    // A character outside the basic plane takes two units.
    EXPECT_EQ(SnippetText("\U0001F600 x", 3, "KFZ"), "KFZ");
    EXPECT_EQ(SnippetText("\U0001F600", 2, "KFZ"), " KFZ");
    EXPECT_EQ(SnippetText("äb", 99, "KFZ"), " KFZ");
}

TEST_F(ControlsWin, ASnippetAfterAnUmlautAndABlankGetsNoSecondBlank) {
    auto menu = std::make_shared<Menu>();
    menu->AppendItem(901, "Hausrat");
    form->a->ContextMenu(menu);
    form->a->TextValue("Grüße ");
    form->a->SetFocus();
    Pump(50);
    form->a->Selection(Selection(6, 6));
    SendMessageW(form->a->Handle(), WM_COMMAND, MAKEWPARAM(901, 0), 0);
    EXPECT_EQ(form->a->TextValue(), "Grüße Hausrat");
    form->a->TextValue("Grüße");
    form->a->Selection(Selection(5, 5));
    SendMessageW(form->a->Handle(), WM_COMMAND, MAKEWPARAM(901, 0), 0);
    EXPECT_EQ(form->a->TextValue(), "Grüße Hausrat");
}

TEST_F(ControlsWin, NumericCopyCopiesAndPasteGoesThroughTheEditor) {
    form->num->Value(Usual(4711.5));
    EXPECT_EQ(form->num->TextValue(), "4711.50");
    form->num->Selection(Selection(0, 4));
    SendMessageW(form->num->Handle(), WM_CHAR, kCtrlC, 0);
    EXPECT_EQ(form->num->TextValue(), "4711.50");
    EXPECT_EQ(ClipboardText(form->Handle()), "4711");

    SetClipboard(form->Handle(), "1.234,567");
    SendMessageW(form->num->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(form->num->TextValue(), "1234.57");
    SetClipboard(form->Handle(), "zwölf");
    SendMessageW(form->num->Handle(), WM_CHAR, kCtrlV, 0);
    EXPECT_EQ(form->num->TextValue(), "1234.57");
    ASSERT_FALSE(presenter.shown.empty());
    EXPECT_NE(presenter.shown.back().text.find("keine Zahl"), std::string::npos);
    SetClipboard(form->Handle(), "99999999");  // eight integer digits
    form->num->Selection(Selection(0, 0));
    SendMessageW(form->num->Handle(), WM_KEYDOWN, VK_INSERT, 0);  // without Shift: nothing
    SendMessageW(form->num->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(form->num->TextValue(), "1234.57");
    EXPECT_NE(presenter.shown.back().text.find("zu groß"), std::string::npos);
}

TEST_F(ControlsWin, NumericValueAssignmentRoundsAndRefusesWhatDoesNotFit) {
    form->num->Value(Usual(2.675));
    EXPECT_EQ(form->num->TextValue(), "2.68");
    form->num->Value(Usual(12345678.0));
    EXPECT_EQ(form->num->TextValue(), "2.68");  // refused, never cut
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_NE(presenter.shown[0].text.find("passt nicht"), std::string::npos);
    ASSERT_TRUE(form->num->SetLen(8, 3));
    form->num->Value(Usual(0.125));
    EXPECT_EQ(form->num->TextValue(), "0.125");
    EXPECT_DOUBLE_EQ(form->num->Value().AsFloat(), 0.125);
    EXPECT_EQ(form->num->Value().FloatDecimals(), 3);
    EXPECT_FALSE(form->num->SetLen(3, 3));
    EXPECT_EQ(form->num->nIntLen(), 4u);
}

TEST_F(ControlsWin, ReadOnlyFieldsTakeNoEdit) {
    form->num->Value(Usual(12.5));
    form->date->Value(Usual(Date::FromYMD(2010, 6, 15)));
    form->num->ReadOnly(true);
    form->date->ReadOnly(true);
    form->num->ValueChanged(false);
    for (HWND h : {form->num->Handle(), form->date->Handle()}) {
        SendMessageW(h, EM_SETSEL, 0, 2);
        SendMessageW(h, WM_CHAR, '7', 0);
        SendMessageW(h, WM_CHAR, ' ', 0);
        SendMessageW(h, WM_CHAR, 8, 0);
        SendMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
        SendMessageW(h, WM_CHAR, 'M', 0);
        SendMessageW(h, WM_CUT, 0, 0);
        SendMessageW(h, WM_KEYDOWN, VK_ADD, 0);
    }
    EXPECT_EQ(form->num->TextValue(), "12.50");
    EXPECT_EQ(form->date->TextValue(), "15.06.2010");
    EXPECT_FALSE(form->num->ValueChanged());
}

TEST_F(ControlsWin, DateFieldKeysAndKeypad) {
    form->date->Value(Usual(Date::FromYMD(2010, 12, 31)));
    SendMessageW(form->date->Handle(), WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(form->date->TextValue(), "01.01.2011");
    // The main keyboard's plus does nothing in this field ...
    SendMessageW(form->date->Handle(), WM_CHAR, '+', 0);
    EXPECT_EQ(form->date->TextValue(), "01.01.2011");
    // ... but in the plain date field it is the next day.
    form->plainDate->Value(Usual(Date::FromYMD(2010, 12, 31)));
    SendMessageW(form->plainDate->Handle(), WM_CHAR, '+', 0);
    EXPECT_EQ(form->plainDate->TextValue(), "01.01.2011");
    // Other keys pressed do not step the date.
    SendMessageW(form->date->Handle(), WM_KEYDOWN, '1', 0);
    EXPECT_EQ(form->date->TextValue(), "01.01.2011");
    EXPECT_EQ(form->date->Value().AsDate(), Date::FromYMD(2011, 1, 1));
}

TEST_F(ControlsWin, InvalidDateIsNeitherSavedNorLeftSilently) {
    form->plainDate->SetFocus();
    Pump();
    SendMessageW(form->plainDate->Handle(), EM_SETSEL, 0, 10);
    for (char c : std::string("31022010"))
        SendMessageW(form->plainDate->Handle(), WM_CHAR, static_cast<WPARAM>(c), 0);
    EXPECT_EQ(form->plainDate->TextValue(), "31.02.2010");
    EXPECT_FALSE(form->plainDate->IsValidDatum());
    EXPECT_FALSE(form->plainDate->__Gather());
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_NE(presenter.shown[0].text.find("kein gültiges Datum"), std::string::npos);
    form->other->SetFocus();
    Pump(300);
    EXPECT_EQ(GetFocus(), form->plainDate->Handle());
    EXPECT_EQ(presenter.shown.size(), 2u);
    // Blanked, it may be left: an empty date is a date.
    SendMessageW(form->plainDate->Handle(), WM_CHAR, ' ', 0);
    EXPECT_EQ(form->plainDate->TextValue(), "  .  .    ");
    EXPECT_TRUE(form->plainDate->__Gather());
    form->other->SetFocus();
    Pump(300);
    EXPECT_EQ(GetFocus(), form->other->Handle());
}

TEST(DorvanKeysSwitch, DecidedAtTheFirstFocus) {
    struct Owner : DorvanKeysOwner {
        bool on = true;
        bool DorvanKeys() const override { return on; }
        void DorvanKeys(bool v) override { on = v; }
    } owner;
    DorvanKeysSwitch s;
    for (int i = 0; i < 2; ++i) {
        s.FocusChange(true, &owner);
        EXPECT_FALSE(owner.on);
        s.FocusChange(false, &owner);
        EXPECT_TRUE(owner.on);
    }
    Owner off;
    off.on = false;
    DorvanKeysSwitch t;
    t.FocusChange(true, &off);
    off.on = true;  // switched on later: still never touched
    t.FocusChange(false, &off);
    t.FocusChange(true, &off);
    EXPECT_TRUE(off.on);
}

TEST_F(ControlsWin, CalendarKeysLimitsAndOwnerNotice) {
    CalendarControl cal(form.get(), 300, Point(0, 0), Dimension(200, 140));
    cal.CurrentDate(Date::FromYMD(2010, 1, 31));
    form->changes.clear();
    SendMessageW(cal.Handle(), WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2010, 2, 28));
    SendMessageW(cal.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2010, 3, 1));
    SendMessageW(cal.Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2010, 2, 22));
    ASSERT_EQ(form->changes.size(), 3u);
    EXPECT_EQ(form->changes.back(), Date::FromYMD(2010, 2, 22));
    SendMessageW(cal.Handle(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(cal.CurrentDate(), CalendarGrid::MaxDate());
    SendMessageW(cal.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(cal.CurrentDate(), CalendarGrid::MaxDate());
    SendMessageW(cal.Handle(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(1496, 1, 1));
    // Today is selectable whatever the year.
    cal.CurrentDate(Date::FromYMD(2031, 5, 5));
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2031, 5, 5));
    EXPECT_EQ(SendMessageW(cal.Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
}

TEST_F(ControlsWin, CalendarClicksAndATinyCalendarPaints) {
    CalendarControl cal(form.get(), 300, Point(0, 0), Dimension(200, 140));
    cal.CurrentDate(Date::FromYMD(2010, 6, 15));
    UpdateWindow(cal.Handle());
    const auto& g = cal.Grid();
    // Row 1, column 3: the 1st of June 2010.
    const LPARAM first = MAKELPARAM(2 * g.CellWidth() + 4, 25 + g.RowHeight() + 3);
    SendMessageW(cal.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, first);
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2010, 6, 1));
    // Below the grid nothing happens.
    SendMessageW(cal.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, g.nGridBottom + 1));
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2010, 6, 1));
    // The left arrow: the previous month, same day.
    SendMessageW(cal.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
    EXPECT_EQ(cal.CurrentDate(), Date::FromYMD(2010, 5, 1));

    CalendarControl tiny(form.get(), 301, Point(0, 0), Dimension(3, 10));
    InvalidateRect(tiny.Handle(), nullptr, TRUE);
    UpdateWindow(tiny.Handle());
    SendMessageW(tiny.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 5));
    SUCCEED();
}

// ---------------------------------------------------------------- the fields on a table

// The test form's fields over a small table: NAME, ORT, BETRAG N(12,2), with
// a number in record 2 that the numeric field's layout (10,2) cannot show.
class FieldsOnTable : public ControlsWin {
  protected:
    void SetUp() override {
        ControlsWin::SetUp();
        const std::string path = dir.File("Kunden.dbf");
        Table::Create(path, {{"NAME", 'C', 20, 0}, {"ORT", 'C', 20, 0}, {"BETRAG", 'N', 12, 2}},
                      850);
        {
            DBServer db(path);
            const std::pair<const char*, double> rows[] = {
                {"Müller", 5.0}, {"Schmidt", 123456789.25}, {"Meier", 7.5}};
            for (const auto& [name, betrag] : rows) {
                db.Append();
                db.FieldPut(Symbol("NAME"), Usual(std::string(name)));
                db.FieldPut(Symbol("ORT"), Usual(std::string("Köln ") + name));
                db.FieldPut(Symbol("BETRAG"), Usual(betrag));
            }
            db.Commit();
        }
        oldBlock = ErrorBlock([this](std::shared_ptr<Error> e) {
            errors.push_back(e->Description);
            return Usual(false);
        });
        server = std::make_shared<DBServer>(path);
        form->num->HyperLabel(HyperLabel("BETRAG"));
        form->Server(server);
        server->GoTop();
    }
    void TearDown() override {
        ErrorBlock(oldBlock);
        form->Server(nullptr);
        server.reset();
        ControlsWin::TearDown();
    }
    double Betrag(uint32_t rec) {
        server->GoTo(rec);
        return server->FieldGet(Symbol("BETRAG")).AsFloat();
    }
    test::TempFolder dir{"kp_ctl_"};
    std::shared_ptr<DBServer> server;
    std::vector<std::string> errors;
    ErrorBlockFn oldBlock;
};

TEST_F(FieldsOnTable, ARecordMoveNeverCarriesANumberIntoTheNextRecord) {
    EXPECT_EQ(form->num->TextValue(), "5.00");
    server->Skip(1);  // 123456789.25 does not fit 7 integer digits
    EXPECT_NE(form->num->TextValue(), "5.00") << "the previous record's number stays on screen";
    EXPECT_EQ(form->num->TextValue(), "123456789.25");
    EXPECT_DOUBLE_EQ(form->num->Value().AsFloat(), 123456789.25);
    EXPECT_TRUE(presenter.shown.empty()) << "moving to a record asks nothing";
    // Typing is refused with the reason; the record keeps its number.
    form->num->SetFocus();
    SendMessageW(form->num->Handle(), WM_CHAR, '9', 0);
    SendMessageW(form->num->Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(form->num->TextValue(), "123456789.25");
    ASSERT_FALSE(presenter.shown.empty());
    EXPECT_NE(presenter.shown.back().text.find("zu groß"), std::string::npos);
    EXPECT_TRUE(form->num->__Gather());
    server->Commit();
    EXPECT_DOUBLE_EQ(Betrag(2), 123456789.25);
    // The next record that fits is shown and edited as usual.
    server->GoTo(3);
    EXPECT_EQ(form->num->TextValue(), "7.50");
    SendMessageW(form->num->Handle(), EM_SETSEL, 0, 0);
    SendMessageW(form->num->Handle(), WM_CHAR, '1', 0);
    EXPECT_EQ(form->num->TextValue(), "17.50");
    EXPECT_TRUE(form->num->__Gather());
    server->Commit();
    EXPECT_DOUBLE_EQ(Betrag(3), 17.5);
    EXPECT_DOUBLE_EQ(Betrag(1), 5.0);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(FieldsOnTable, FieldsBindByNamePositionOrSymbolAndUnboundOnesAreLeftAlone) {
    form->a->HyperLabel(HyperLabel("NAME"));  // by its own name
    form->b->HyperLabel(HyperLabel("WOHNORT"));
    form->b->DataField(Symbol("ORT"));  // by symbol
    form->plainDate->HyperLabel(HyperLabel("KEINFELD"));
    auto byPos = std::make_unique<SleStandard>(form.get(), 207, Point(10, 10), Dimension(80, 20));
    byPos->DataFieldPos(2);  // ORT, by position
    // `other` and the date field bear no field's name.
    form->other->TextValue("bleibt");
    server->GoTo(2);
    EXPECT_EQ(form->a->TextValue(), "Schmidt");
    EXPECT_EQ(form->b->TextValue(), "Köln Schmidt");
    EXPECT_EQ(byPos->TextValue(), "Köln Schmidt");
    EXPECT_EQ(form->other->TextValue(), "bleibt");
    server->Skip(1);
    EXPECT_EQ(form->a->TextValue(), "Meier");
    EXPECT_EQ(byPos->TextValue(), "Köln Meier");
    EXPECT_TRUE(errors.empty()) << "a record move raised: " << errors.front();

    form->b->Value(Usual(std::string("Bonn")));
    EXPECT_TRUE(form->b->__Gather());
    server->Commit();
    EXPECT_EQ(Trim(server->FieldGet(Symbol("ORT")).AsString()), "Bonn");
    EXPECT_EQ(byPos->TextValue(), "Bonn");
    form->b->HyperLabel(HyperLabel("NICHTS"));
    form->b->DataField(Symbol("NICHTS"));
    form->b->Value(Usual(std::string("Paris")));
    EXPECT_TRUE(form->b->__Gather()) << "an unbound field has nothing to write";
    byPos->DataFieldPos(9);  // beyond the table's fields: unbound
    server->GoTo(1);
    EXPECT_EQ(byPos->TextValue(), "Bonn");
    EXPECT_EQ(form->b->TextValue(), "Paris");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace kp

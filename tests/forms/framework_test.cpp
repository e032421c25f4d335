// The form framework's behaviours: pop-up menus, read-only switching, modal
// mode, the valid flag with the shell, help, centring, tab pages and
// sub-forms; and the plain rules under them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "forms/dtaWindow.h"
#include "forms/funControl.h"
#include "forms/funString.h"
#include "forms/subWindow.h"
#include "platform/gui/gui.h"
#include "tests/app/win_support.h"

namespace kp {
namespace {

void Pump() {
    ApplicationExec(EXECWHILEEVENT);
}

// ---------------------------------------------------------------- plain rules

TEST(Token, SplitsFieldsWithoutTrimming) {
    EXPECT_EQ(Token("a,b,,d", 1), "a");
    EXPECT_EQ(Token("a,b,,d", 2), "b");
    EXPECT_EQ(Token("a,b,,d", 3), "");
    EXPECT_EQ(Token("a,b,,d", 4), "d");
    EXPECT_EQ(Token("a,b,,d", 5), "");
    EXPECT_EQ(Token("Kunde, Allgemein", 2), " Allgemein");
    EXPECT_EQ(Token("", 1), "");
    EXPECT_EQ(Token("ohne", 1), "ohne");
    EXPECT_EQ(Token("ohne", 2), "");
    EXPECT_EQ(Token("a,b", 0), "");
    EXPECT_EQ(Token("a,b", -1), "");
    EXPECT_EQ(Token("Straße;Köln;50667", 2, ";"), "Köln");
    EXPECT_EQ(Token("x::y::z", 3, "::"), "z");
    EXPECT_EQ(Token("x::y", 3, "::"), "");
}

IniSectionReader Section(std::map<std::string, std::string> keys) {
    auto shared = std::make_shared<std::map<std::string, std::string>>(std::move(keys));
    IniSectionReader r;
    r.getString = [shared](const std::string& key) {
        auto it = shared->find(key);
        return it == shared->end() ? std::string() : it->second;
    };
    r.getInt = [shared](const std::string& key) -> int32_t {
        auto it = shared->find(key);
        return it == shared->end() ? 0 : static_cast<int32_t>(std::stoll(it->second));
    };
    return r;
}

TEST(TabPagesFromIni, ReadsNameCaptionImageAndTip) {
    const auto pages = TabPagesFromIni(Section({{"Laschen", "3"},
                                                {"Lasche1", "Allgemein, Allgemeines ,2, Name"},
                                                {"Lasche2", "Vertrag,Verträge"},
                                                {"Lasche3", "Notiz"}}));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].name, Symbol("ALLGEMEIN"));
    EXPECT_EQ(pages[0].caption, "Allgemeines");
    EXPECT_EQ(pages[0].image, 2);
    EXPECT_EQ(pages[0].tip, "Name");
    // Short lines: image 0 and an empty tip, both still set.
    EXPECT_EQ(pages[1].caption, "Verträge");
    EXPECT_EQ(pages[1].image, 0);
    EXPECT_EQ(pages[1].tip, "");
    EXPECT_EQ(pages[2].caption, "");
}

TEST(TabPagesFromIni, BadCountsAndMissingLinesGiveNoPages) {
    EXPECT_TRUE(TabPagesFromIni(Section({})).empty());
    EXPECT_TRUE(TabPagesFromIni(Section({{"Laschen", "0"}, {"Lasche1", "A,a"}})).empty());
    EXPECT_TRUE(TabPagesFromIni(Section({{"Laschen", "-1"}, {"Lasche1", "A,a"}})).empty());
    // A huge count is cut; only the lines that are there give pages.
    int asked = 0;
    IniSectionReader huge = Section({{"Lasche1", "A,a"}, {"Lasche70", "B,b"}});
    auto getString = huge.getString;
    huge.getInt = [](const std::string&) { return 2147483647; };
    huge.getString = [&asked, getString](const std::string& key) {
        ++asked;
        return getString(key);
    };
    const auto pages = TabPagesFromIni(huge);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].name, Symbol("A"));
    EXPECT_EQ(asked, kMaxTabPages);
    // A missing or nameless line in the middle is no empty page.
    const auto gaps = TabPagesFromIni(
        Section({{"Laschen", "4"}, {"Lasche1", "A,a"}, {"Lasche3", " ,leer"}, {"Lasche4", "D,d"}}));
    ASSERT_EQ(gaps.size(), 2u);
    EXPECT_EQ(gaps[1].name, Symbol("D"));
}

TEST(CenterOrigin, CentresAndNeverGoesNegative) {
    EXPECT_EQ(CenterOrigin(Dimension(800, 600), Dimension(400, 300)), Point(200, 150));
    EXPECT_EQ(CenterOrigin(Dimension(801, 601), Dimension(400, 300)), Point(200, 150));
    // Larger than the area: the left edge and the top edge on the area's.
    EXPECT_EQ(CenterOrigin(Dimension(300, 200), Dimension(500, 260)), Point(0, -60));
    EXPECT_EQ(CenterOrigin(Dimension(0, 0), Dimension(10, 10)), Point(0, -10));
}

TEST(WindowsToDisable, OnlyThisProgramsEnabledWindowsBesidesItself) {
    const HWND self = reinterpret_cast<HWND>(0x10);
    const HWND ours = reinterpret_cast<HWND>(0x20);
    const HWND oursDisabled = reinterpret_cast<HWND>(0x30);
    const HWND theirs = reinterpret_cast<HWND>(0x40);
    const std::vector<LevelWindow> level = {
        {theirs, 7, true}, {self, 1, true}, {ours, 1, true}, {oursDisabled, 1, false}};
    EXPECT_EQ(WindowsToDisable(level, self, 1), std::vector<HWND>{ours});
    EXPECT_TRUE(WindowsToDisable({}, self, 1).empty());
}

class Base : public Window {};
class Derived : public Base {};
class Other : public Window {};

struct Caller {
    bool Ask(const Object& o) const { return CallFromSelf(o, this); }
};

TEST(CallFromSelf, TrueForMethodsOfTheObjectsClassAndItsBases) {
    Derived d;
    Base b;
    const Base* fromBase = &b;
    const Derived* fromDerived = &d;
    const Other* fromOther = nullptr;
    EXPECT_TRUE(CallFromSelf(d, fromBase));     // a base class's method
    EXPECT_TRUE(CallFromSelf(d, fromDerived));  // its own class's
    EXPECT_FALSE(CallFromSelf(b, fromDerived));
    Other o;
    fromOther = &o;
    EXPECT_FALSE(CallFromSelf(d, fromOther));
    EXPECT_FALSE(CallFromSelf(d, static_cast<const Base*>(nullptr)));  // no method at all
    EXPECT_FALSE(Caller().Ask(d));
}

// ---------------------------------------------------------------- windows

// The suite's shell as the forms see it: help, status bar, owner methods.
class TestShell : public ShellWindow {
  public:
    TestShell() {
        bar = std::make_unique<kp::StatusBar>(this);
        StatusBar(bar.get());
        help = std::make_shared<kp::HelpDisplay>(this);
        help->Topic("ADRESSEN", "Hilfe zu den Adressen");
        HelpDisplay(help);
    }
    void Besitzer() { ++besitzerCalls; }
    void Formular() { ++ownerFormularCalls; }
    Method FindMethod(Symbol name) override {
        static const MethodTable<TestShell> methods{{"Besitzer", &TestShell::Besitzer},
                                                    {"Formular", &TestShell::Formular}};
        if (Method m = methods.Bind(this, name))
            return m;
        return ShellWindow::FindMethod(name);
    }
    std::unique_ptr<kp::StatusBar> bar;
    std::shared_ptr<kp::HelpDisplay> help;
    int besitzerCalls = 0;
    int ownerFormularCalls = 0;
};

class ModeForm : public DtaWindow {
  public:
    explicit ModeForm(Window* owner) : DtaWindow(owner, ResourceID("modeForm")) {
        label = std::make_unique<FixedText>(this, ResourceID(110));
        name = std::make_unique<SingleLineEdit>(this, ResourceID(111));
        name->HyperLabel(kp::HyperLabel("Name", "", "Name des Kunden"));
        vorname = std::make_unique<SingleLineEdit>(this, ResourceID(112));
        vorname->HyperLabel(kp::HyperLabel("Vorname", "", "", "VORNAME"));
        aktiv = std::make_unique<CheckBox>(this, ResourceID(113));
        rechnen = std::make_unique<PushButton>(this, ResourceID(114));
        gesperrt = std::make_unique<PushButton>(this, ResourceID(115));
    }
    void Formular() { ++formularCalls; }
    Method FindMethod(Symbol n) override {
        static const MethodTable<ModeForm> methods{{"Formular", &ModeForm::Formular}};
        if (Method m = methods.Bind(this, n))
            return m;
        return DtaWindow::FindMethod(n);
    }
    void EditFocusChange(EditFocusChangeEvent& e) override {
        ++editFocusEvents;
        DtaWindow::EditFocusChange(e);
    }
    void MenuInit(MenuInitEvent& e) override {
        if (e.Message() == WM_INITMENUPOPUP)
            popups.push_back(e.MenuHandle());
        DtaWindow::MenuInit(e);
    }
    std::unique_ptr<FixedText> label;
    std::unique_ptr<SingleLineEdit> name, vorname;
    std::unique_ptr<CheckBox> aktiv;
    std::unique_ptr<PushButton> rechnen, gesperrt;
    int formularCalls = 0;
    int editFocusEvents = 0;
    std::vector<HMENU> popups;
};

class FrameworkTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
};

bool CloseGrey(HWND hwnd) {
    return (GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(FrameworkTest, GetShellStopsAtTheTopOfTheOwnerChain) {
    EXPECT_EQ(GetShell(nullptr), nullptr);
    ModeForm alone(nullptr);
    EXPECT_EQ(GetShell(&alone), nullptr);
    SubWindow inner(&alone, ResourceID("pageAllgemein"));
    EXPECT_EQ(GetShell(&inner), nullptr);

    TestShell shell;
    EXPECT_EQ(GetShell(&shell), nullptr);  // the walk starts with the owner
    ModeForm form(&shell);
    SubWindow page(&form, ResourceID("pageAllgemein"));
    EXPECT_EQ(GetShell(&form), &shell);
    EXPECT_EQ(GetShell(&page), &shell);
    EXPECT_EQ(GetShellWindow(&page), &shell);
}

TEST_F(FrameworkTest, PopupCommandsGoToTheFormOrElseItsOwner) {
    TestShell shell;
    ModeForm form(&shell);
    form.Show();
    auto send = [&](int id) { SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); };
    // No pop-up menu: commands are nothing to this class.
    send(601);
    EXPECT_EQ(form.formularCalls, 0);

    auto menu = std::make_shared<Menu>(ResourceID("testPopup"));
    menu->RegisterItem(601, HyperLabel("Formular"));
    menu->RegisterItem(602, HyperLabel("Besitzer"));
    menu->RegisterItem(603, HyperLabel("Niemand"));
    form.PopupMenu(menu);
    send(601);
    EXPECT_EQ(form.formularCalls, 1);
    EXPECT_EQ(shell.ownerFormularCalls, 0);  // the form's own method wins
    send(602);
    EXPECT_EQ(shell.besitzerCalls, 1);
    send(603);  // neither has it: ignored
    send(699);  // not an item of the menu
    EXPECT_EQ(form.formularCalls, 1);
    EXPECT_EQ(shell.besitzerCalls, 1);
}

TEST_F(FrameworkTest, RightClickShowsThePopupMenusSubMenu) {
    ModeForm form(nullptr);
    form.Show();
    Pump();
    auto menu = std::make_shared<Menu>(ResourceID("testPopup"));
    const LPARAM at = MAKELPARAM(5, 100);
    // Without a pop-up menu a right click shows nothing.
    SetTimer(nullptr, 0, 150, &EndMenuNow);
    SendMessageW(form.CanvasHandle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    EXPECT_TRUE(form.popups.empty());

    form.PopupMenu(menu);
    form.PopupMenuNo(1);
    SendMessageW(form.CanvasHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(form.CanvasHandle(), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(form.popups.empty());
    SetTimer(nullptr, 0, 150, &EndMenuNow);
    SendMessageW(form.CanvasHandle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    ASSERT_EQ(form.popups.size(), 1u);
    EXPECT_EQ(form.popups[0], GetSubMenu(menu->Handle(), 1));
    Pump();
}

TEST_F(FrameworkTest, ReadOnlySwitchesControlsWithoutWalkingTheFocus) {
    ModeForm form(nullptr);
    form.Show();
    form.vorname->SetFocus();
    Pump();
    ASSERT_EQ(GetFocus(), form.vorname->Handle());
    const int focusEvents = form.editFocusEvents;

    form.SetReadOnly();
    EXPECT_TRUE(form.ReadOnly());
    EXPECT_FALSE(form.Edit());
    EXPECT_TRUE(form.name->ReadOnly());
    EXPECT_TRUE(form.vorname->ReadOnly());
    EXPECT_FALSE(form.aktiv->IsEnabled());
    EXPECT_FALSE(form.rechnen->IsEnabled());
    EXPECT_FALSE(form.label->IsEnabled());
    EXPECT_TRUE(form.name->IsEnabled());  // read-only edits stay readable
    EXPECT_EQ(form.editFocusEvents, focusEvents);
    EXPECT_EQ(GetFocus(), form.vorname->Handle());

    form.SetReadWrite();
    EXPECT_FALSE(form.ReadOnly());
    EXPECT_FALSE(form.name->ReadOnly());
    EXPECT_FALSE(form.vorname->ReadOnly());
    EXPECT_TRUE(form.aktiv->IsEnabled());
    EXPECT_TRUE(form.rechnen->IsEnabled());
    EXPECT_TRUE(form.gesperrt->IsEnabled());  // read-write enables every control
    EXPECT_EQ(form.editFocusEvents, focusEvents);

    // The flag alone does not touch the controls.
    form.ReadOnly(true);
    EXPECT_FALSE(form.name->ReadOnly());
    form.Edit(true);
    EXPECT_FALSE(form.ReadOnly());
}

TEST_F(FrameworkTest, ReadOnlyKeepsTheKeyboardInTheFormWhenTheFocusedButtonIsDisabled) {
    ModeForm form(nullptr);
    form.Show();
    form.rechnen->SetFocus();
    Pump();
    ASSERT_EQ(GetFocus(), form.rechnen->Handle());
    const int focusEvents = form.editFocusEvents;
    form.SetReadOnly();
    EXPECT_EQ(GetFocus(), form.name->Handle());
    // One move to the first field, not a walk through all of them.
    EXPECT_LE(form.editFocusEvents - focusEvents, 1);
}

TEST_F(FrameworkTest, ModalModeDisablesOnlyThisProgramsEnabledWindowsAndRestoresThem) {
    ModeForm a(nullptr), b(nullptr), c(nullptr);
    for (ModeForm* f : {&a, &b, &c})
        f->Show();
    c.Disable();  // disabled for a reason of its own
    // A window of another program at the same level, if the desktop has one.
    HWND foreign = nullptr;
    for (HWND h = GetWindow(a.Handle(), GW_HWNDFIRST); h && !foreign;
         h = GetWindow(h, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != GetCurrentProcessId() && IsWindowEnabled(h))
            foreign = h;
    }

    a.SetModal();
    EXPECT_TRUE(a.Modal());
    EXPECT_TRUE(a.IsEnabled());
    EXPECT_FALSE(b.IsEnabled());
    EXPECT_FALSE(c.IsEnabled());
    if (foreign) {
        EXPECT_TRUE(IsWindowEnabled(foreign));
    }

    a.SetModal(false);
    EXPECT_FALSE(a.Modal());
    EXPECT_TRUE(b.IsEnabled());
    EXPECT_FALSE(c.IsEnabled());  // stays as it was
    EXPECT_TRUE(a.IsEnabled());

    // Closing a modal form leaves modal mode first.
    a.SetModal();
    EXPECT_FALSE(b.IsEnabled());
    a.EndWindow(true);
    EXPECT_FALSE(a.IsAlive());
    EXPECT_TRUE(b.IsEnabled());
    EXPECT_FALSE(c.IsEnabled());
}

TEST_F(FrameworkTest, ValidKeepsTheShellsCloseEntryInStepAndRefusesClosing) {
    TestShell shell;
    shell.Show();
    {
        ModeForm form(&shell);
        form.Show();
        form.Valid(false);
        EXPECT_TRUE(CloseGrey(form.Handle()));
        EXPECT_TRUE(CloseGrey(shell.Handle()));
        // The grey entry is a refusal, by keyboard as well.
        SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(form.IsAlive());
        EXPECT_TRUE(form.IsVisible());
        form.Valid(true);
        EXPECT_FALSE(CloseGrey(form.Handle()));
        EXPECT_FALSE(CloseGrey(shell.Handle()));
        SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(form.IsAlive());
    }
    {
        // A form that goes while invalid gives the shell its Close back.
        ModeForm form(&shell);
        form.Valid(false);
        EXPECT_TRUE(CloseGrey(shell.Handle()));
        form.Destroy();
        EXPECT_FALSE(CloseGrey(shell.Handle()));
    }
    {
        ModeForm form(&shell);
        form.Valid(false);
    }
    EXPECT_FALSE(CloseGrey(shell.Handle()));
}

HELPINFO HelpFor(HWND item) {
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(item);
    info.hItemHandle = item;
    return info;
}

TEST_F(FrameworkTest, HelpRequestsWithoutContextShowTheFormsTopicInTheShell) {
    test::FakePresenter presenter;
    ScopedPresenter scope(presenter);
    TestShell shell;
    ModeForm form(&shell);
    form.HyperLabel(HyperLabel("Adressen", "Adressen", "", "ADRESSEN"));
    form.Show();

    HELPINFO plain = HelpFor(form.name->Handle());
    SendMessageW(form.Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&plain));
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].text, "Hilfe zu den Adressen");
    EXPECT_EQ(shell.help->LastContext(), "ADRESSEN");

    // A field with a help context of its own: not the form's help.
    HELPINFO own = HelpFor(form.vorname->Handle());
    SendMessageW(form.Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&own));
    EXPECT_EQ(presenter.shown.size(), 1u);

    // No shell above: nothing is shown, nothing breaks.
    ModeForm alone(nullptr);
    alone.HyperLabel(HyperLabel("Adressen", "Adressen", "", "ADRESSEN"));
    HELPINFO lone = HelpFor(alone.name->Handle());
    SendMessageW(alone.Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&lone));
    EXPECT_EQ(presenter.shown.size(), 1u);
}

RECT ScreenRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

TEST_F(FrameworkTest, CenterUsesTheOwnerAndNeverGoesOffScreen) {
    ModeForm owner(nullptr);
    owner.Size(Dimension(700, 500));
    owner.Show();
    ModeForm form(&owner);
    form.Show();
    form.Center();
    RECT client{};
    GetClientRect(owner.CanvasHandle(), &client);
    MapWindowPoints(owner.CanvasHandle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT r = ScreenRect(form.Handle());
    EXPECT_NEAR((r.left + r.right) / 2, (client.left + client.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (client.top + client.bottom) / 2, 1);

    // A minimised owner is shown normally first.
    ShowWindow(owner.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(owner.Handle()));
    form.Center();
    EXPECT_FALSE(IsIconic(owner.Handle()));

    // Larger than its owner: left and top edges on the owner's, not far away.
    owner.Size(Dimension(200, 150));
    form.Center();
    GetClientRect(owner.CanvasHandle(), &client);
    MapWindowPoints(owner.CanvasHandle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT big = ScreenRect(form.Handle());
    EXPECT_EQ(big.left, client.left);
    EXPECT_EQ(big.top, client.top);

    // Without an owner: the screen.
    ModeForm alone(nullptr);
    alone.Center();
    const RECT s = ScreenRect(alone.Handle());
    EXPECT_NEAR((s.left + s.right) / 2, GetScreenX() / 2, 1);
    EXPECT_NEAR((s.top + s.bottom) / 2, GetScreenY() / 2, 1);

    CenterWindow(alone);
    const RECT w = ScreenRect(alone.Handle());
    EXPECT_NEAR((w.left + w.right) / 2, GetScreenX() / 2, 1);
    SetWindowPos(alone.Handle(), nullptr, 0, 0, GetScreenX() + 300, 200, SWP_NOMOVE);
    CenterWindow(alone);
    EXPECT_EQ(ScreenRect(alone.Handle()).left, 0);
}

// A form with a tab control whose pages are sub-forms made on demand.
class TabbedForm : public DtaWindow {
  public:
    explicit TabbedForm(Window* owner = nullptr) : DtaWindow(owner, ResourceID("modeForm")) {
        Size(Dimension(520, 360));
        tabs = std::make_unique<TabControl>(this, 300, Point(4, 4), Dimension(480, 260));
        tabs->PageFactory([this](Symbol name) -> std::unique_ptr<Window> {
            made.push_back(name.Name());
            // The first attempt at "Spaet" fails; the selection event tries again.
            if (name == Symbol("Spaet") && std::count(made.begin(), made.end(), "SPAET") == 1)
                return nullptr;
            auto page = std::make_unique<SubWindow>(this, ResourceID("pageAllgemein"));
            page->HyperLabel(kp::HyperLabel(name));
            return page;
        });
    }
    void TabSelect(ControlNotifyEvent& e) override {
        ++tabSelects;
        DtaWindow::TabSelect(e);
    }
    std::unique_ptr<TabControl> tabs;
    std::vector<std::string> made;
    int tabSelects = 0;
};

std::vector<TabPageDescription> ThreePages() {
    return {{Symbol("Eins"), "Erste", 1, "Tipp 1"},
            {Symbol("Zwei"), "Zweite", 0, ""},
            {Symbol("Drei"), "Dritte", std::nullopt, std::nullopt}};
}

TEST_F(FrameworkTest, AddTabPagesFillsTheControlAndSelectsTheFirstTabNumber) {
    TabbedForm form;
    form.Show();
    form.AddTabPages(*form.tabs, {});  // nothing to add: nothing happens
    EXPECT_EQ(form.tabs->TabCount(), 0);

    form.FirstTabNo(2);
    form.AddTabPages(*form.tabs, ThreePages());
    EXPECT_EQ(form.tabs->TabCount(), 3);
    EXPECT_EQ(form.tabs->TabCaption(Symbol("Drei")), "Dritte");
    EXPECT_EQ(form.tabs->SelectedTab(), Symbol("Zwei"));
    ASSERT_NE(form.tabs->CurrentPage(), nullptr);
    EXPECT_EQ(form.tabs->CurrentPage()->NameSym(), Symbol("Zwei"));
    EXPECT_EQ(form.tabs->TabImage(Symbol("Eins")), 1);
    EXPECT_EQ(form.tabs->TipText(Symbol("Eins")), "Tipp 1");
    EXPECT_EQ(form.tabs->TipText(Symbol("Drei")), "");
}

TEST_F(FrameworkTest, FirstTabNumberOutOfRangeIsClamped) {
    for (const auto& [first, expected] : std::vector<std::pair<int, const char*>>{
             {9, "Drei"}, {0, "Eins"}, {-4, "Eins"}, {3, "Drei"}}) {
        TabbedForm form;
        form.FirstTabNo(first);
        form.AddTabPages(*form.tabs, ThreePages());
        EXPECT_EQ(form.tabs->SelectedTab(), Symbol(expected)) << first;
    }
}

TEST_F(FrameworkTest, TabSelectMakesThePageThatDidNotComeUp) {
    TabbedForm form;
    form.Show();
    form.AddTabPages(*form.tabs,
                     {{Symbol("Eins"), "Eins", {}, {}}, {Symbol("Spaet"), "Später", {}, {}}});
    SendMessageW(form.tabs->Handle(), TCM_SETCURSEL, 1, 0);
    NMHDR h{form.tabs->Handle(), 300, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form.CanvasHandle(), WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&h));
    EXPECT_EQ(form.tabSelects, 1);
    ASSERT_NE(form.tabs->CurrentPage(), nullptr);
    EXPECT_EQ(form.tabs->CurrentPage()->NameSym(), Symbol("Spaet"));
    EXPECT_TRUE(form.tabs->CurrentPage()->IsVisible());
    EXPECT_EQ(std::count(form.made.begin(), form.made.end(), "SPAET"), 2);
}

TEST_F(FrameworkTest, AddTabPagesIniReadsTheSection) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("kpforms_" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "KpShell.ini").string();
    {
        std::ofstream f(ini, std::ios::binary);
        f << "[Adressen]\r\nLaschen=3\r\nLasche1=Eins, Allgemeines, 1, Name und Anschrift\r\n"
             "Lasche3=Drei,Notizen\r\n[Leer]\r\nLaschen=-1\r\nLasche1=Eins,Eins\r\n";
    }
    {
        TabbedForm form;
        form.AddTabPagesIni(*form.tabs, ini, "Adressen");
        ASSERT_EQ(form.tabs->TabCount(), 2);
        EXPECT_EQ(form.tabs->TabCaption(Symbol("Eins")), "Allgemeines");
        EXPECT_EQ(form.tabs->TipText(Symbol("Eins")), "Name und Anschrift");
        EXPECT_EQ(form.tabs->TabCaption(Symbol("Drei")), "Notizen");
        EXPECT_EQ(form.tabs->TabImage(Symbol("Drei")), 0);
        EXPECT_EQ(form.tabs->SelectedTab(), Symbol("Eins"));
    }
    for (const char* section : {"Leer", "Fehlt"}) {
        TabbedForm form;
        form.AddTabPagesIni(*form.tabs, ini, section);
        EXPECT_EQ(form.tabs->TabCount(), 0) << section;
    }
    std::filesystem::remove_all(dir);
}

TEST_F(FrameworkTest, SubFormShowsTheFocusedFieldsDescriptionInTheShell) {
    TestShell shell;
    shell.Show();
    ModeForm form(&shell);
    SubWindow page(&form, ResourceID("pageAllgemein"));
    SingleLineEdit name(&page, ResourceID(201));
    name.HyperLabel(HyperLabel("NAME", "", "Name des Kunden"));
    SingleLineEdit vorname(&page, ResourceID(202));
    vorname.HyperLabel(HyperLabel("VORNAME"));
    form.Show();
    page.Show();

    auto edit = [&](SingleLineEdit& e, int code) {
        SendMessageW(page.CanvasHandle(), WM_COMMAND, MAKEWPARAM(e.ControlID(), code),
                     reinterpret_cast<LPARAM>(e.Handle()));
    };
    edit(name, EN_SETFOCUS);
    EXPECT_EQ(shell.bar->GetText(), "Name des Kunden");
    edit(name, EN_KILLFOCUS);  // losing the focus leaves the text
    EXPECT_EQ(shell.bar->GetText(), "Name des Kunden");
    edit(vorname, EN_SETFOCUS);  // no description: empty
    EXPECT_EQ(shell.bar->GetText(), "");

    // The real focus takes the same way.
    SetForegroundWindow(shell.Handle());
    name.SetFocus();
    Pump();
    if (GetFocus() == name.Handle()) {
        EXPECT_EQ(shell.bar->GetText(), "Name des Kunden");
    }

    // Without a shell above, focus changes are harmless.
    ModeForm alone(nullptr);
    SubWindow lonePage(&alone, ResourceID("pageAllgemein"));
    SingleLineEdit loneName(&lonePage, ResourceID(201));
    SendMessageW(lonePage.CanvasHandle(), WM_COMMAND, MAKEWPARAM(201, EN_SETFOCUS),
                 reinterpret_cast<LPARAM>(loneName.Handle()));
}

TEST_F(FrameworkTest, GetAllControlsListsTheObjectsInWindowsChildOrder) {
    ModeForm form(nullptr);
    const std::vector<Window*> all = GetAllControls(*form.__GetFormSurface());
    const std::vector<Window*> expected = {form.label.get(),   form.name.get(),
                                           form.vorname.get(), form.aktiv.get(),
                                           form.rechnen.get(), form.gesperrt.get()};
    EXPECT_EQ(all, expected);
    EXPECT_FALSE(IsEnabled(*form.gesperrt));
}

}  // namespace
}  // namespace kp

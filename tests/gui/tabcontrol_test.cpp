// Tab controls with their pages, control context menus and the help display.
#include <gtest/gtest.h>

#include <map>

#include "platform/gui/gui.h"
#include "tests/app/win_support.h"

namespace kp::test {
namespace {

// A form without a resource that records the selection events of its tab
// controls as they arrive.
class TabHost : public DataWindow {
  public:
    TabHost() : DataWindow(nullptr) {
        Size(Dimension(420, 320));
        tabs = std::make_unique<TabControl>(this, 300, Point(10, 10), Dimension(380, 240));
        tabs->PageFactory([this](Symbol name) -> std::unique_ptr<Window> {
            made.push_back(name.Name());
            if (name == Symbol("OHNE"))
                return nullptr;
            return std::make_unique<DataWindow>(this, true);
        });
    }
    void ControlNotify(ControlNotifyEvent& e) override {
        if (TabControl* t = SelectedTabControl(e))
            selections.push_back({t->SelectedTab().Name(), t->CurrentPage()});
        DataWindow::ControlNotify(e);
    }
    std::unique_ptr<TabControl> tabs;
    std::vector<std::string> made;
    std::vector<std::pair<std::string, Window*>> selections;
};

// What the user's click on a tab sends.
void UserSelects(TabControl& tabs, int position) {
    SendMessageW(tabs.Handle(), TCM_SETCURSEL, position - 1, 0);
    NMHDR h{tabs.Handle(), static_cast<UINT_PTR>(tabs.ControlID()),
            static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(tabs.Handle()), WM_NOTIFY, h.idFrom, reinterpret_cast<LPARAM>(&h));
}

RECT ParentRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class TabControlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
};

TEST_F(TabControlTest, TabsKeepNamesCaptionsImagesAndTips) {
    TabHost host;
    TabControl& tabs = *host.tabs;
    EXPECT_TRUE(tabs.AppendTab(Symbol("Kunde"), "Kunde", nullptr, 2));
    EXPECT_TRUE(tabs.AppendTab(Symbol("Vertrag"), "Verträge"));
    // A name is a tab's identity: no second tab of a name, none without.
    EXPECT_FALSE(tabs.AppendTab(Symbol("kunde"), "Doppelt"));
    EXPECT_FALSE(tabs.AppendTab(Symbol(), "Ohne Namen"));
    EXPECT_EQ(tabs.TabCount(), 2);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs.Handle()), 2);
    EXPECT_EQ(tabs.GetTabIndex(Symbol("VERTRAG")), 2);
    EXPECT_EQ(tabs.GetTabIndex(Symbol("Fehlt")), 0);
    EXPECT_EQ(tabs.GetTabName(1), Symbol("Kunde"));
    EXPECT_TRUE(tabs.GetTabName(3).IsNull());
    EXPECT_EQ(tabs.TabCaption(Symbol("Vertrag")), "Verträge");

    EXPECT_EQ(tabs.TabImage(Symbol("Kunde")), 2);
    tabs.SetTabImage(Symbol("Vertrag"), 1);
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    SendMessageW(tabs.Handle(), TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 0);  // image numbers are 1-based
    tabs.SetTabImage(Symbol("Vertrag"), 0);
    SendMessageW(tabs.Handle(), TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, -1);

    tabs.AddTipText(Symbol("Vertrag"), "Alle Verträge des Kunden");
    EXPECT_EQ(tabs.TipText(Symbol("Vertrag")), "Alle Verträge des Kunden");
    // The tool tip asks the parent for a tab's text.
    HWND tips = reinterpret_cast<HWND>(SendMessageW(tabs.Handle(), TCM_GETTOOLTIPS, 0, 0));
    ASSERT_TRUE(tips);
    NMTTDISPINFOW info{};
    info.hdr = NMHDR{tips, 1, static_cast<UINT>(TTN_GETDISPINFOW)};
    SendMessageW(GetParent(tabs.Handle()), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_EQ(std::wstring(info.lpszText), L"Alle Verträge des Kunden");
}

TEST_F(TabControlTest, PagesAreMadeOnFirstSelectionAndCoverTheDisplayArea) {
    TabHost host;
    TabControl& tabs = *host.tabs;
    host.Show();
    tabs.AppendTab(Symbol("Eins"), "Eins");
    tabs.AppendTab(Symbol("Zwei"), "Zwei");
    tabs.AppendTab(Symbol("Ohne"), "Ohne Seite");
    // The first tab is selected as soon as it exists, and shows its page.
    EXPECT_EQ(host.made, std::vector<std::string>{"EINS"});
    Window* eins = tabs.CurrentPage();
    ASSERT_NE(eins, nullptr);
    EXPECT_TRUE(eins->IsVisible());
    EXPECT_EQ(tabs.GetTabPage(Symbol("Eins")), eins);
    EXPECT_EQ(tabs.GetTabPage(Symbol("Zwei")), nullptr);

    EXPECT_TRUE(tabs.SelectTab(Symbol("Zwei")));
    EXPECT_EQ(tabs.SelectedTab(), Symbol("Zwei"));
    Window* zwei = tabs.CurrentPage();
    ASSERT_NE(zwei, nullptr);
    EXPECT_NE(zwei, eins);
    EXPECT_TRUE(zwei->IsVisible());
    EXPECT_FALSE(eins->IsVisible());
    // Selecting in code raises no selection event.
    EXPECT_TRUE(host.selections.empty());

    const RECT area = tabs.PageArea();
    const RECT page = ParentRect(zwei->Handle());
    EXPECT_EQ(page.left, area.left);
    EXPECT_EQ(page.top, area.top);
    EXPECT_EQ(page.right, area.right);
    EXPECT_EQ(page.bottom, area.bottom);
    const RECT tab = ParentRect(tabs.Handle());
    EXPECT_GT(area.top, tab.top);  // below the row of tabs
    // The page lies above the control in the order of siblings.
    bool pageFirst = false;
    for (HWND h = GetWindow(tabs.Handle(), GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == zwei->Handle()) {
            pageFirst = true;
            break;
        }
        if (h == tabs.Handle())
            break;
    }
    EXPECT_TRUE(pageFirst);

    // Made once: selecting again shows the same page.
    tabs.SelectTab(Symbol("Eins"));
    EXPECT_EQ(tabs.CurrentPage(), eins);
    EXPECT_EQ(host.made.size(), 2u);
    EXPECT_FALSE(tabs.SelectTab(Symbol("Fehlt")));
    EXPECT_EQ(tabs.SelectedTab(), Symbol("Eins"));
}

TEST_F(TabControlTest, UserSelectionShowsThePageBeforeTheOwnerHearsOfIt) {
    TabHost host;
    TabControl& tabs = *host.tabs;
    host.Show();
    tabs.AppendTab(Symbol("Eins"), "Eins");
    tabs.AppendTab(Symbol("Zwei"), "Zwei");
    tabs.AppendTab(Symbol("Ohne"), "Ohne Seite");
    Window* eins = tabs.CurrentPage();

    UserSelects(tabs, 2);
    ASSERT_EQ(host.selections.size(), 1u);
    EXPECT_EQ(host.selections[0].first, "ZWEI");
    ASSERT_NE(host.selections[0].second, nullptr);
    EXPECT_EQ(host.selections[0].second, tabs.CurrentPage());
    EXPECT_TRUE(tabs.CurrentPage()->IsVisible());
    EXPECT_FALSE(eins->IsVisible());

    // A tab without a page hides the previous one and has no current page.
    Window* zwei = tabs.CurrentPage();
    UserSelects(tabs, 3);
    ASSERT_EQ(host.selections.size(), 2u);
    EXPECT_EQ(host.selections[1].second, nullptr);
    EXPECT_EQ(tabs.CurrentPage(), nullptr);
    EXPECT_FALSE(zwei->IsVisible());
}

TEST_F(TabControlTest, PagesHandedOverGoWithTheControl) {
    auto host = std::make_unique<TabHost>();
    auto page = std::make_unique<DataWindow>(host.get(), true);
    const HWND pageHandle = page->Handle();
    host->tabs->AppendTab(Symbol("Eins"), "Eins", std::move(page));
    EXPECT_EQ(GetObjectByHandle(pageHandle), host->tabs->CurrentPage());
    host->tabs.reset();
    EXPECT_FALSE(IsWindow(pageHandle));
    EXPECT_EQ(GetObjectByHandle(pageHandle), nullptr);
    EXPECT_TRUE(host->SubForms().empty());
    // The parent hears nothing more of the control that went.
    NMHDR h{nullptr, 300, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(host->CanvasHandle(), WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&h));
}

// ---------------------------------------------------------------- context menus

class EditHost : public DataWindow {
  public:
    EditHost() : DataWindow(nullptr) { Size(Dimension(300, 120)); }
};

void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

// Closes whatever menu is open shortly after it opened.
void CloseMenuSoon() {
    SetTimer(nullptr, 0, 150, &EndMenuNow);
}

// The menu an edit shows is its ContextMenu, tracked by the edit itself.
class MenuEdit : public SingleLineEdit {
  public:
    using SingleLineEdit::SingleLineEdit;
    void MenuInit(MenuInitEvent& e) override {
        if (e.Message() == WM_INITMENUPOPUP)
            popups.push_back(e.MenuHandle());
        SingleLineEdit::MenuInit(e);
    }
    std::vector<HMENU> popups;
};

TEST_F(TabControlTest, ControlContextMenuReplacesTheControlsOwnMenu) {
    EditHost host;
    host.Show();
    MenuEdit edit(&host, 402, Point(10, 10), Dimension(200, 22));
    edit.Show();
    auto menu = std::make_shared<Menu>();
    menu->AppendItem(501, "Sehr geehrte Damen und Herren,");
    menu->RegisterItem(501, HyperLabel("Anrede", "Sehr geehrte Damen und Herren,"));
    edit.ContextMenu(menu);
    EXPECT_EQ(edit.ContextMenu(), menu);

    CloseMenuSoon();
    SendMessageW(edit.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.Handle()),
                 static_cast<LPARAM>(-1));
    ASSERT_EQ(edit.popups.size(), 1u);
    EXPECT_EQ(edit.popups[0], menu->Handle());

    // Without one the edit keeps its own.
    edit.ContextMenu(nullptr);
    CloseMenuSoon();
    SendMessageW(edit.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.Handle()),
                 static_cast<LPARAM>(-1));
    for (HMENU shown : edit.popups)
        EXPECT_NE(shown, nullptr);
    EXPECT_TRUE(edit.popups.size() == 1u || edit.popups.back() != menu->Handle());
}

// ---------------------------------------------------------------- help display

TEST_F(TabControlTest, HelpDisplayShowsTheTopicThroughThePresenter) {
    FakePresenter presenter;
    ScopedPresenter scope(presenter);
    HelpDisplay help;
    help.Topic("Adressen", "Hier pflegen Sie Interessenten und Kunden.");
    help.Show("ADRESSEN");
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "Hilfe");
    EXPECT_EQ(presenter.shown[0].text, "Hier pflegen Sie Interessenten und Kunden.");
    EXPECT_EQ(help.LastContext(), "ADRESSEN");

    // An unknown topic says so, naming it.
    help.Show("Vertraege");
    ASSERT_EQ(presenter.shown.size(), 2u);
    EXPECT_NE(presenter.shown[1].text.find("\"Vertraege\""), std::string::npos);
    EXPECT_NE(presenter.shown[1].text.find("keine Hilfe"), std::string::npos);
}

}  // namespace
}  // namespace kp::test

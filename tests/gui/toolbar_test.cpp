// The toolbar: items by menu id, their states, rectangles, pictures and
// tips, clicks as menu commands, and the toolbar slot of shell and child
// windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/gui/shellwindow.h"
#include "platform/gui/toolbar.h"

namespace kp::test {
namespace {

// A window that records the menu commands reaching it.
class Frame : public ChildAppWindow {
  public:
    explicit Frame(Window* owner = nullptr, bool managed = false)
        : ChildAppWindow(owner, managed) {}
    void MenuCommand(MenuCommandEvent& e) override { commands.push_back(e.ItemID()); }
    std::vector<int> commands;
};

class Shell : public ShellWindow {
  public:
    void MenuCommand(MenuCommandEvent& e) override { commands.push_back(e.ItemID()); }
    std::vector<int> commands;
};

RECT ClientRectIn(HWND h, HWND parent) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// What the user's click on a button does: press and release over it.
void ClickAt(const Toolbar& bar, int index) {
    const RECT r = bar.ItemRect(index);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, at);
}

std::wstring TipOf(const Toolbar& bar, int id) {
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(bar.Handle(), TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = static_cast<UINT_PTR>(id);
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(bar.Handle(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
    if (info.lpszText && !IS_INTRESOURCE(info.lpszText))
        return info.lpszText;
    return info.szText;
}

class ToolbarTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
};

TEST_F(ToolbarTest, ItemsKeepTheirIdsStatesRectanglesAndTips) {
    Frame frame;
    Toolbar bar(&frame);
    bar.AppendItem(TB_BMP_BOLD, 30827, "Fett");
    bar.AppendSeparator();
    bar.AppendItem(TB_BMP_CUT, 30816, "Ausschneiden");
    bar.AppendItem(TB_BMP_FIND, 30820);
    ASSERT_EQ(bar.ButtonCount(), 4);
    EXPECT_EQ(bar.ItemID(0), 30827);
    EXPECT_EQ(bar.ItemID(1), 0);
    EXPECT_EQ(bar.ItemID(3), 30820);

    EXPECT_TRUE(bar.IsItemEnabled(30816));
    bar.DisableItem(30816);
    EXPECT_FALSE(bar.IsItemEnabled(30816));
    EXPECT_TRUE(bar.IsItemEnabled(30827));
    bar.EnableItem(30816);
    EXPECT_TRUE(bar.IsItemEnabled(30816));
    EXPECT_FALSE(bar.IsItemChecked(30827));
    bar.ClickItem(30827);
    EXPECT_TRUE(bar.IsItemChecked(30827));
    EXPECT_FALSE(bar.IsItemChecked(30816));
    bar.UnClickItem(30827);
    EXPECT_FALSE(bar.IsItemChecked(30827));
    // An id the bar does not hold is neither enabled nor checked.
    EXPECT_FALSE(bar.HasItem(4711));
    EXPECT_FALSE(bar.IsItemEnabled(4711));

    // Buttons follow each other from the left; a separator is narrower.
    RECT prev{};
    for (int i = 0; i < 4; ++i) {
        const RECT r = bar.ItemRect(i);
        EXPECT_GT(r.right, r.left) << i;
        EXPECT_GT(r.bottom, r.top) << i;
        EXPECT_GE(r.left, prev.right) << i;
        prev = r;
    }
    EXPECT_LT(bar.ItemRect(1).right - bar.ItemRect(1).left,
              bar.ItemRect(0).right - bar.ItemRect(0).left);
    const RECT none = bar.ItemRect(4);
    EXPECT_TRUE(IsRectEmpty(&none));

    EXPECT_EQ(TipOf(bar, 30827), L"Fett");
    EXPECT_EQ(bar.TipText(30816), "Ausschneiden");
    bar.AddTipText(30820, "Suchen");
    EXPECT_EQ(TipOf(bar, 30820), L"Suchen");
}

TEST_F(ToolbarTest, EveryLibraryBitmapIndexHasAPicture) {
    Frame frame;
    Toolbar bar(&frame);
    const int indexes[] = {1,  2,  3,  4,   5,   6,   8,   9,   10, 21,
                           22, 23, 31, 101, 102, 104, 105, 106, 126};
    int id = 100;
    for (int index : indexes) {
        EXPECT_TRUE(Toolbar::HasBitmap(index)) << index;
        bar.AppendItem(index, ++id);
    }
    EXPECT_FALSE(Toolbar::HasBitmap(7));
    std::vector<int> images;
    for (int i = 0; i < bar.ButtonCount(); ++i) {
        TBBUTTON b{};
        SendMessageW(bar.Handle(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
        EXPECT_GE(b.iBitmap, 0) << indexes[i];
        images.push_back(b.iBitmap);
    }
    // Distinct pictures for distinct indexes.
    std::sort(images.begin(), images.end());
    EXPECT_EQ(std::unique(images.begin(), images.end()), images.end());
}

TEST_F(ToolbarTest, AClickReachesTheOwnerAsTheMenuCommand) {
    Frame frame;
    frame.Size(Dimension(400, 200));
    auto bar = std::make_shared<Toolbar>(&frame);
    bar->AppendItem(TB_BMP_BOLD, 30827, "Fett");
    bar->AppendItem(TB_BMP_ITALIC, 30828, "Kursiv");
    frame.ToolBar(bar);
    frame.Show();
    ClickAt(*bar, 1);
    EXPECT_EQ(frame.commands, std::vector<int>{30828});
    bar->DisableItem(30827);
    ClickAt(*bar, 0);
    EXPECT_EQ(frame.commands, std::vector<int>{30828});  // a disabled button does nothing
}

TEST_F(ToolbarTest, FlatStyleAndStyleBits) {
    Frame frame;
    Toolbar bar(&frame);
    EXPECT_EQ(bar.ButtonStyle(), TOOLBAR_BUTTON_RAISED);
    bar.ButtonStyle(TOOLBAR_BUTTON_FLAT);
    EXPECT_EQ(bar.ButtonStyle(), TOOLBAR_BUTTON_FLAT);
    EXPECT_TRUE(bar.Style() & TBSTYLE_FLAT);
    bar.SetStyle(TBSTYLE_WRAPABLE);
    EXPECT_TRUE(bar.Style() & TBSTYLE_WRAPABLE);
    bar.SetStyle(TBSTYLE_WRAPABLE, false);
    EXPECT_FALSE(bar.Style() & TBSTYLE_WRAPABLE);
    EXPECT_TRUE(bar.Style() & TBSTYLE_FLAT);
}

TEST_F(ToolbarTest, TheShellsClientAreaLiesBelowAVisibleToolbar) {
    Shell shell;
    shell.Size(Dimension(640, 480));
    shell.Show();
    StatusBar status(&shell);
    const RECT before = ClientRectIn(shell.MdiClient(), shell.Handle());
    EXPECT_EQ(before.top, 0);

    auto bar = std::make_shared<Toolbar>(&shell);
    bar->AppendItem(TB_BMP_NEW, 24563, "Neuen Text");
    shell.ToolBar(bar);
    ASSERT_GT(bar->Height(), 0);
    RECT now = ClientRectIn(shell.MdiClient(), shell.Handle());
    EXPECT_EQ(now.top, bar->Height());
    EXPECT_EQ(now.bottom, before.bottom);  // still ends at the status bar

    bar->Hide();
    EXPECT_EQ(ClientRectIn(shell.MdiClient(), shell.Handle()).top, 0);
    bar->Show();
    EXPECT_EQ(ClientRectIn(shell.MdiClient(), shell.Handle()).top, bar->Height());
    shell.Size(Dimension(500, 400));  // a resize keeps it so
    EXPECT_EQ(ClientRectIn(shell.MdiClient(), shell.Handle()).top, bar->Height());
    RECT client{};
    GetClientRect(shell.Handle(), &client);
    EXPECT_EQ(ClientRectIn(bar->Handle(), shell.Handle()).right, client.right);

    bar->Destroy();  // as a closing word pad does
    EXPECT_EQ(ClientRectIn(shell.MdiClient(), shell.Handle()).top, 0);
    shell.ToolBar(nullptr);
    EXPECT_EQ(ClientRectIn(shell.MdiClient(), shell.Handle()).top, 0);
    EXPECT_EQ(shell.ToolBar(), nullptr);
}

TEST_F(ToolbarTest, ShellToolbarCommandsGoToTheChildWhoseMenuHoldsThem) {
    Shell shell;
    shell.Show();
    auto bar = std::make_shared<Toolbar>(&shell);
    bar->AppendItem(TB_BMP_NEW, 24563, "Neuen Text");
    bar->AppendItem(TB_BMP_SAVE, 30807, "Datei speichern");
    shell.ToolBar(bar);
    Frame child(&shell, true);
    auto menu = std::make_shared<Menu>();
    menu->AppendItem(30807, "&Speichern");
    child.Menu(menu);
    child.Show();
    SendMessageW(shell.MdiClient(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child.Handle()), 0);
    ASSERT_EQ(shell.ActiveChild(), &child);

    ClickAt(*bar, 1);
    EXPECT_EQ(child.commands, std::vector<int>{30807});
    EXPECT_TRUE(shell.commands.empty());
    ClickAt(*bar, 0);
    EXPECT_EQ(shell.commands, std::vector<int>{24563});
    EXPECT_EQ(child.commands.size(), 1u);
}

TEST_F(ToolbarTest, AChildKeepsItsToolbarAtTheTopAsItResizes) {
    Frame frame;
    frame.Size(Dimension(300, 200));
    auto bar = std::make_shared<Toolbar>(&frame);
    bar->AppendItem(TB_BMP_BOLD, 30827);
    frame.ToolBar(bar);
    frame.Show();
    frame.Size(Dimension(520, 300));
    RECT client{};
    GetClientRect(frame.Handle(), &client);
    const RECT r = ClientRectIn(bar->Handle(), frame.Handle());
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, client.right);
    EXPECT_GT(bar->Height(), 0);
    EXPECT_EQ(frame.ToolBar(), bar);
}

TEST_F(ToolbarTest, ThePositionAreaStaysAtTheRightOfTheStatusBar) {
    Shell shell;
    shell.Size(Dimension(600, 400));
    shell.Show();
    StatusBar status(&shell);
    status.Parts({200, -1});
    status.SetText("Hilfe", 0);
    status.SetText("Mitte", 1);
    status.PositionText("Ln 1 Col 1");
    ASSERT_EQ(SendMessageW(status.Handle(), SB_GETPARTS, 0, 0), 3);
    EXPECT_EQ(status.GetText(0), "Hilfe");
    EXPECT_EQ(status.PositionText(), "Ln 1 Col 1");
    std::vector<int> edges(3);
    SendMessageW(status.Handle(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges.data()));
    EXPECT_EQ(edges[0], 200);
    RECT rc{};
    GetClientRect(status.Handle(), &rc);
    EXPECT_GT(edges[1], 200);
    EXPECT_LT(edges[1], rc.right);
    const int areaWidth = rc.right - edges[1];
    shell.Size(Dimension(800, 400));
    GetClientRect(status.Handle(), &rc);
    std::vector<int> wider(3);
    SendMessageW(status.Handle(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(wider.data()));
    EXPECT_GT(wider[1], edges[1]);  // the position area moved with the right edge
    EXPECT_EQ(rc.right - wider[1], areaWidth);
    EXPECT_EQ(status.PositionText(), "Ln 1 Col 1");
}

}  // namespace
}  // namespace kp::test

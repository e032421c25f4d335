#pragma once
// Driving a program's input: menu commands, keys as a user types them, text
// entry, tab pages and list-view rows. Controls of another process answer
// through memory lent in that process, as the common controls need.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/uidriver/uidriver.h"

namespace kp::uidriver {

// One key with its modifiers, as "F3", "Ctrl+D", "Alt+F4", "Shift+Tab",
// "Return", "Down", "A".
struct KeyStroke {
    WORD vk = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
};
// A blank-separated list of keys; nullopt when one is not understood.
std::optional<std::vector<KeyStroke>> ParseKeys(std::string_view spec);

// Chooses a menu item of a top window by its id, as a click on the item does
// (WM_COMMAND, posted). Refuses an item that is grey in the window's menu.
Outcome ChooseMenuItem(HWND top, int id);
// Brings the window to the front and types the keys through the system's
// input queue, so accelerators, menus and dialog keys see real key states.
Outcome TypeKeys(HWND top, const std::vector<KeyStroke>& keys);
// Clicks the right mouse button on a window (posted, at its centre, or at a
// point in its client area).
Outcome RightClick(HWND window, std::optional<POINT> at = std::nullopt);
// Double-clicks a control with the left button (posted, near its top-left
// corner, where a field's text starts).
Outcome DoubleClick(HWND control);
// Replaces an edit control's text as typing would (focus, select all, the
// characters posted one by one), so the program's key handling sees them.
Outcome EnterText(HWND control, std::string_view text);
// Sets a control's text at once (WM_SETTEXT), without key handling.
Outcome SetControlText(HWND control, std::string_view text);

// Tab controls: the captions, the selected index, and selecting a page as
// a click on its tab does (with the change notifications).
std::optional<std::vector<std::string>> TabCaptions(HWND tab);
std::optional<int> SelectedTab(HWND tab);
Outcome SelectTab(HWND tab, int index);

// Status bars: the text of one part; -1 is the last part.
std::optional<std::string> StatusBarPart(HWND bar, int part);

// List views: the number of rows, and the texts of one row's cells.
std::optional<int> ListViewCount(HWND list);
std::optional<std::vector<std::string>> ListViewRow(HWND list, int row, int columns);
std::optional<int> ListViewColumnCount(HWND list);
std::optional<int> ListViewTopIndex(HWND list);

// Toolbar buttons, by the command id they send: the toolbar among top's
// descendants that holds the button, its state, and a click with the left
// button at the button's centre (posted), as a user clicks it.
struct ToolbarButtonState {
    HWND toolbar = nullptr;
    bool enabled = false;
    bool checked = false;
    RECT rect{};  // in the toolbar's client pixels
};
std::optional<ToolbarButtonState> ToolbarButton(HWND top, int commandId);
Outcome ClickToolbarButton(HWND top, int commandId);

// The first descendant of top of this window class (a status bar, a tab
// control), depth first; nullptr if none.
HWND FindControlByClass(HWND top, std::string_view window_class);

}  // namespace kp::uidriver

#pragma once
// Toolbar: a strip of picture buttons over the common controls' toolbar.
//
// Buttons are appended by "library bitmap index" (the numbers below) and
// carry the id of the menu item they stand for: a click reaches the owner as
// that menu command, so menu and toolbar share one handler (on a ShellWindow
// a command that the active MDI child's menu holds goes to that child, as
// the child's menu commands do). Items are addressed by that id for their
// enable and check states and tips. Where the common controls have a
// standard picture it is used, the others are drawn at run time.
//
// A toolbar is part of its owner's frame (Window::ToolBar), not one of its
// form's controls; it sits at the top of the owner's client area. Other
// controls may be put on it (made with the toolbar as their owner); their
// notifications are theirs and do not reach the toolbar's owner.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/control.h"
#include "platform/gui/handles.h"

namespace kp {

// Library bitmap indexes of the button pictures.
inline constexpr int TB_BMP_NEW = 1;
inline constexpr int TB_BMP_OPEN = 2;
inline constexpr int TB_BMP_CLOSE = 3;
inline constexpr int TB_BMP_SAVE = 4;
inline constexpr int TB_BMP_PRINT = 5;
inline constexpr int TB_BMP_PREVIEW = 6;
inline constexpr int TB_BMP_BOLD = 8;
inline constexpr int TB_BMP_ITALIC = 9;
inline constexpr int TB_BMP_UNDERLINE = 10;
inline constexpr int TB_BMP_ALIGNLEFT = 21;
inline constexpr int TB_BMP_ALIGNCENTER = 22;
inline constexpr int TB_BMP_ALIGNRIGHT = 23;
inline constexpr int TB_BMP_COPY = 31;
inline constexpr int TB_BMP_CUT = 101;
inline constexpr int TB_BMP_PASTE = 102;
inline constexpr int TB_BMP_BULLETS = 104;
inline constexpr int TB_BMP_OUTDENT = 105;
inline constexpr int TB_BMP_INDENT = 106;
inline constexpr int TB_BMP_FIND = 126;

// Button styles of ButtonStyle.
inline constexpr int TOOLBAR_BUTTON_RAISED = 0;
inline constexpr int TOOLBAR_BUTTON_FLAT = 1;

class Toolbar : public Control {
  public:
    // A toolbar at the top of the owner's frame (the owner's own window, not
    // its canvas). style: extra window and TBSTYLE_ bits.
    explicit Toolbar(Window* owner, int id = 0, DWORD style = 0);
    ~Toolbar() override;
    Symbol ClassName() const override;

    // Whether a picture exists for a library bitmap index.
    static bool HasBitmap(int bitmapIndex);

    // A button with the picture of bitmapIndex for the menu item menuId.
    // toggle: a check button that stays pressed when clicked (the format
    // buttons); otherwise ClickItem shows a plain button pressed.
    void AppendItem(int bitmapIndex, int menuId, const std::string& tip = {}, bool toggle = false);
    void AppendSeparator();
    // The tip shown for the item (replaces the one given with AppendItem).
    void AddTipText(int menuId, const std::string& tip);
    std::string TipText(int menuId) const;

    // Item states, by menu id.
    void EnableItem(int menuId);
    void DisableItem(int menuId);
    void ClickItem(int menuId);    // shown pressed (checked)
    void UnClickItem(int menuId);  // shown released
    bool IsItemEnabled(int menuId) const;
    bool IsItemChecked(int menuId) const;
    bool HasItem(int menuId) const;

    // Buttons and separators, in order.
    int ButtonCount() const;
    // The rectangle of the button at the 0-based index, in the toolbar's
    // client pixels (top-down); empty when there is none.
    RECT ItemRect(int index) const;
    // The menu id of the button at the index (0 for a separator).
    int ItemID(int index) const;

    // TOOLBAR_BUTTON_FLAT or TOOLBAR_BUTTON_RAISED.
    int ButtonStyle() const;
    void ButtonStyle(int style);
    // The toolbar's window style; SetStyle turns the bits on (or off).
    DWORD Style() const;
    virtual void SetStyle(DWORD bits, bool enable = true);

    // The brush the toolbar's background is filled with (none: the
    // toolbar's own); the toolbar repaints.
    virtual std::shared_ptr<kp::Brush> Background() const { return Control::Background(); }
    virtual void Background(std::shared_ptr<kp::Brush> brush);

    // Height of the toolbar window in pixels (0 while hidden or gone).
    int Height() const;
    // Places the toolbar at the top of its parent's client area, as wide as
    // the parent, at the height its buttons need.
    void AutoSize();

    // The pictures of a bitmap strip (16 × 16 each, RGB(192,192,192) as the
    // transparent colour) replace the library's; bitmap indexes then count
    // into the strip, from 0. The strip is copied.
    void ButtonBitmap(HBITMAP strip, int imageCount);

    LRESULT Dispatch(Event& e) override;
    void Show(int showState = SHOWNORMAL) override;
    void Hide() override;

  protected:
    void AfterDispatch(Event& e) override;

  private:
    int ImageOf(int bitmapIndex);
    void TellOwner();

    HIMAGELIST images_ = nullptr;
    std::map<int, int> imageOfBitmap_;  // library bitmap index -> image
    bool ownStrip_ = false;             // ButtonBitmap replaced the library's pictures
    std::map<int, std::wstring> tips_;  // menu id -> tip
    std::string tipAnsi_;               // the tip last asked for in ANSI
    int lastHeight_ = -1;               // the height the owner last heard of
    bool lastVisible_ = false;
};

}  // namespace kp

#pragma once
// The word pad's format bar: its two toolbars, the font and point-size boxes
// that sit on its own toolbar, the list of TrueType faces, and the rules for
// typed faces and sizes (plain functions, usable without a window).
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/gui/toolbar.h"

namespace kp {

// What the boxes tell the word pad: the face or size the user chose from the
// list or typed. Sizes arrive checked (see PointSizeOf), faces cut to the
// face buffer (see FaceNameForFormat). ReturnToText: the user is done with a
// box (Return, Escape, a pick from the list); the text gets the focus back.
class FormatBarTarget {
  public:
    virtual ~FormatBarTarget() = default;
    virtual void ChangeFontFaceName(const std::string& face) = 0;
    virtual void ChangeFontSize(const std::string& size) = 0;
    virtual void ReturnToText() {}
};

// --- rules

// A character format's face buffer holds 31 characters and its end.
inline constexpr size_t kFaceNameChars = LF_FACESIZE - 1;
// The face as it fits the buffer: longer names are cut to 31 characters
// (UTF-16 units, never half a character).
std::string FaceNameForFormat(const std::string& typed);

// Sizes a character format can hold: 1 to 1638 points (heights in twips
// stay below 32768).
inline constexpr int kMinPointSize = 1;
inline constexpr int kMaxPointSize = 1638;
// The whole points of a typed size (blanks around it allowed); nothing when
// it is not a whole number or lies outside kMinPointSize..kMaxPointSize.
std::optional<int> PointSizeOf(const std::string& typed);

// The size's text in the size box: single digits with a leading blank, so
// that the sorted list keeps numeric order (" 8", " 9", "10").
std::string PointSizeText(int points);
// The box's initial sizes: " 8" ... "72".
std::vector<std::string> PointSizeList();
// Where a size's text goes into a list in numeric order (0-based), or
// nothing when the list holds that size already.
std::optional<size_t> PointSizeInsertPosition(const std::vector<std::string>& items,
                                              const std::string& text);

// When a format box's text becomes the format. Typing (and browsing the
// open list) only edits the box; the text applies on Return, when the focus
// leaves the box, or on a pick from the list (a click on an item, or the
// arrow keys on the closed box). Escape takes back what was typed.
class FormatBoxRule {
  public:
    enum class Step {
        Nothing,         // the box is being edited
        Apply,           // apply the box's text; the focus stays where it is
        ApplyAndReturn,  // apply it, then the focus goes back to the text
        Return,          // nothing to apply; the focus goes back to the text
        Revert,          // show what the box showed before; back to the text
    };
    // A notification of the box (CBN_...), with the list open or closed.
    Step Notified(int notifyCode, bool listDropped);
    // A key in the box's edit (VK_RETURN, VK_ESCAPE; others: Nothing).
    Step Key(unsigned vk, bool listDropped);
    // Something typed or browsed that is not applied yet.
    bool Pending() const { return pending_; }
    // Whether the pending text is the list's chosen item (not typed).
    bool FromList() const { return fromList_; }
    // An applied text was refused (a size that is no size): it stays
    // pending, so that the user can put it right.
    void Refused() { pending_ = true; }

  private:
    bool pending_ = false;
    bool fromList_ = false;
};

// --- toolbars

// Menu symbols of BuildToolbar.
inline constexpr const char* kMenShellLayout = "MENSHELL_LAYOUT";
inline constexpr const char* kChildMenu = "CHILDMENU";

// A new toolbar (flat buttons) on the owner for the shell window's bar
// (MENSHELL_LAYOUT) or the word pad's own (CHILDMENU: 33 separators first,
// the room of the font and size boxes, then the format buttons); any other
// symbol gives an empty toolbar. The caller puts it in the window's ToolBar.
std::shared_ptr<Toolbar> BuildToolbar(Window* owner, Symbol symMenu);

// The faces of the TrueType font families the window's device offers.
std::vector<std::string> BuildFontList(HWND hwnd);

// Turns the window style bits off.
void DeleteStyle(HWND hwnd, LONG_PTR nStyle);

// --- boxes

// A box of the format bar: a drop-down combo box whose text the word pad
// gets by FormatBoxRule, with Return and Escape caught in its edit.
class FormatBox : public ComboBox {
  public:
    FormatBox(FormatBarTarget* wordPad, Window* owner, int id, Point origin, Dimension size,
              DWORD style);
    ~FormatBox() override;
    FormatBox(const FormatBox&) = delete;
    FormatBox& operator=(const FormatBox&) = delete;
    FormatBarTarget* oWordPad() const { return oWordPad_; }

    // The text shown in the box's edit.
    std::string CurrentText() const;
    void CurrentText(const std::string& text);
    // Something typed that is not applied yet.
    bool Pending() const { return rule_.Pending(); }

  protected:
    void Notified(int notifyCode) override;
    // Hands the text to the word pad; false when it is refused.
    virtual bool Apply(const std::string& text) = 0;

  private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR self);
    void Perform(FormatBoxRule::Step step, int notifyCode);
    bool ListDropped() const;

    FormatBarTarget* oWordPad_;
    FormatBoxRule rule_;
    HWND edit_ = nullptr;      // the box's edit, subclassed for Return and Escape
    std::string shownBefore_;  // the text when the box got the focus
};

// The font box: hands the face chosen from its list or typed into it to the
// word pad (cut to the face buffer).
class FontCB : public FormatBox {
  public:
    // comboType: 1 simple, 2 drop-down, 3 drop-down list; style: further
    // CBS_ bits (0x100 sorted). Made hidden; Show it when filled.
    FontCB(FormatBarTarget* wordPad, Window* owner, int id, Point origin, Dimension size,
           int comboType = CBS_DROPDOWN, DWORD style = CBS_SORT);
    Symbol ClassName() const override;

  protected:
    bool Apply(const std::string& text) override;
};

// The point-size box: hands the size chosen or typed to the word pad; a
// typed size outside 1..1638 points (or not a number) is refused with a
// beep and not passed on.
class PointSizeCB : public FormatBox {
  public:
    PointSizeCB(FormatBarTarget* wordPad, Window* owner, int id, Point origin, Dimension size,
                int comboType = CBS_DROPDOWN, DWORD style = CBS_SORT);
    Symbol ClassName() const override;

    // Adds the size's text where it belongs in numeric order, unless the list
    // holds it; true when added.
    bool AddSize(const std::string& text);
    // The list's texts, in order.
    std::vector<std::string> Items() const;

  protected:
    bool Apply(const std::string& text) override;
};

}  // namespace kp

#pragma once
// The standard controls and the library's custom control.
//
// Each control is made either from its owner and the ResourceID of a control
// in the owner's dialog resource, or anew from owner, id, origin and size.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gui/control.h"

namespace kp {

class FixedText : public Control {
  public:
    FixedText(Window* owner, const ResourceID& id) : Control(owner, id) {}
    FixedText(Window* owner, int id, Point origin, Dimension size, const std::string& text = {},
              DWORD style = SS_LEFT | WS_VISIBLE);
    Symbol ClassName() const override;
};

class PushButton : public Control {
  public:
    PushButton(Window* owner, const ResourceID& id) : Control(owner, id) {}
    PushButton(Window* owner, int id, Point origin, Dimension size, const std::string& text = {},
               DWORD style = BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE);
    Symbol ClassName() const override;
};

class GroupBox : public Control {
  public:
    GroupBox(Window* owner, const ResourceID& id) : Control(owner, id) {}
    GroupBox(Window* owner, int id, Point origin, Dimension size, const std::string& text = {},
             DWORD style = BS_GROUPBOX | WS_VISIBLE);
    Symbol ClassName() const override;
};

// Its value is a logic: checked or not.
class CheckBox : public Control {
  public:
    CheckBox(Window* owner, const ResourceID& id) : Control(owner, id) {}
    CheckBox(Window* owner, int id, Point origin, Dimension size, const std::string& text = {},
             DWORD style = BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE);
    Symbol ClassName() const override;

    bool Checked() const;
    void Checked(bool on);
    Usual Value() const override { return Checked(); }
    void Value(const Usual& v) override;
    void __Value(const Usual& v) override;

  protected:
    void Notified(int notifyCode) override;
};

// Its value is a logic: pressed or not.
class RadioButton : public Control {
  public:
    RadioButton(Window* owner, const ResourceID& id) : Control(owner, id) {}
    RadioButton(Window* owner, int id, Point origin, Dimension size, const std::string& text = {},
                DWORD style = BS_AUTORADIOBUTTON | WS_TABSTOP | WS_VISIBLE);
    Symbol ClassName() const override;

    bool Pressed() const;
    void Pressed(bool on);
    Usual Value() const override { return Pressed(); }
    void Value(const Usual& v) override;
    void __Value(const Usual& v) override;

  protected:
    void Notified(int notifyCode) override;
};

// Overwrite modes of edits.
inline constexpr int OVERWRITE_NEVER = 0;
inline constexpr int OVERWRITE_ONKEY = 1;  // the Insert key switches
inline constexpr int OVERWRITE_ALWAYS = 2;

// The common base of single- and multi-line edits.
class Edit : public Control {
  public:
    Edit(Window* owner, const ResourceID& id) : Control(owner, id) {}
    Symbol ClassName() const override;

    bool ReadOnly() const;
    virtual void ReadOnly(bool on);
    kp::Selection Selection() const;
    void Selection(const kp::Selection& s);
    int Overwrite() const { return overwrite_; }
    void Overwrite(int mode) {
        overwrite_ = mode;
        overwriting_ = mode == OVERWRITE_ALWAYS;
    }
    void TextLimit(int chars);

    bool Modified() const override;
    void Modified(bool on) override;

    void Cut();
    void Copy();
    void Paste();                         // from the clipboard
    void Paste(const std::string& text);  // replaces the selection
    void Clear();
    void Undo();

    LRESULT Dispatch(Event& e) override;

  protected:
    Edit(Window* owner, int id, Point origin, Dimension size, DWORD style, DWORD exStyle,
         const std::string& text, LPCWSTR className = L"EDIT")
        : Control(owner, id, origin, size, className, style, exStyle, text) {}
    void Notified(int notifyCode) override;

  private:
    int overwrite_ = OVERWRITE_NEVER;
    bool overwriting_ = false;
};

// A one-line edit. With a FieldSpec its value has the field's type: the
// text is read as a number, date or logic for N, D and L fields.
class SingleLineEdit : public Edit {
  public:
    SingleLineEdit(Window* owner, const ResourceID& id) : Edit(owner, id) {}
    SingleLineEdit(Window* owner, int id, Point origin, Dimension size, DWORD style = 0);
    Symbol ClassName() const override;

    // A template of the text: "@!" as its function turns letters to upper
    // case; the template's length limits the text.
    const std::string& Picture() const { return picture_; }
    virtual void Picture(const std::string& picture);

    using Control::FieldSpec;
    void FieldSpec(const kp::FieldSpec& spec) override;

    Usual Value() const override;
    void Value(const Usual& v) override;
    void __Value(const Usual& v) override;
    void __Update() override;

    // The text of a value and the value of a text, by the field's type.
    Usual TextToValue(const std::string& text) const;
    std::string ValueToText(const Usual& v) const;

    // The letters a logical value shows as, "T" and "F" unless set ("J"
    // and "N" in German forms). Either letter, and T, Y and J, read as true.
    void LogicLetters(char yes, char no) {
        yes_ = yes;
        no_ = no;
    }

    LRESULT Dispatch(Event& e) override;

  private:
    std::string picture_;
    char yes_ = 'T', no_ = 'F';
};

class MultiLineEdit : public Edit {
  public:
    MultiLineEdit(Window* owner, const ResourceID& id) : Edit(owner, id) {}
    MultiLineEdit(Window* owner, int id, Point origin, Dimension size, DWORD style = 0);
    Symbol ClassName() const override;

    int LineCount() const;
    int LineFromCharacter(int charIndex) const;  // 1-based line of a character

  protected:
    // A multi-line edit of another window class (the rich edit).
    MultiLineEdit(Window* owner, int id, Point origin, Dimension size, DWORD style, DWORD exStyle,
                  LPCWSTR className)
        : Edit(owner, id, origin, size, style, exStyle, {}, className) {}
};

// A list of items with texts and optional values. Item numbers are 1-based;
// 0 means none.
class ListBox : public Control {
  public:
    ListBox(Window* owner, const ResourceID& id);
    ListBox(Window* owner, int id, Point origin, Dimension size,
            DWORD style = LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE);
    Symbol ClassName() const override;

    // Adds an item at the end (position 0) or before the item of that number.
    int AddItem(const std::string& text, int position = 0, const Usual& value = {});
    void FillUsing(const std::vector<std::string>& texts);
    void FillUsing(const std::vector<std::pair<std::string, Usual>>& items);
    bool DeleteItem(int itemNo);
    void Clear();
    int ItemCount() const;
    std::string GetItem(int itemNo) const;
    Usual GetItemValue(int itemNo) const;
    int FindItem(const std::string& text) const;  // exact text, 0 when absent

    int CurrentItemNo() const;
    void CurrentItemNo(int itemNo);
    std::string CurrentItem() const { return GetItem(CurrentItemNo()); }

    // The current item's value, or its text when it has none.
    Usual Value() const override;
    void Value(const Usual& v) override;
    void __Value(const Usual& v) override;

    // The messages of a list or combo box's list.
    struct Messages {
        UINT add, insert, remove, reset, count, getText, getTextLen, getCurSel, setCurSel,
            findExact, setData, getData;
        LRESULT err;
    };

  protected:
    ListBox(Window* owner, const ResourceID& id, const Messages& m);
    ListBox(Window* owner, int id, Point origin, Dimension size, LPCWSTR className, DWORD style,
            const Messages& m);
    void Notified(int notifyCode) override;

  private:
    const Messages& m_;
    std::vector<Usual> values_;  // parallel to the items
};

class ComboBox : public ListBox {
  public:
    ComboBox(Window* owner, const ResourceID& id);
    ComboBox(Window* owner, int id, Point origin, Dimension size,
             DWORD style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE);
    Symbol ClassName() const override;
};

class ProgressBar : public Control {
  public:
    ProgressBar(Window* owner, const ResourceID& id) : Control(owner, id) {}
    ProgressBar(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE);
    Symbol ClassName() const override;

    kp::Range Range() const;
    void Range(const kp::Range& r);
    int Position() const;
    void Position(int pos);
    void Advance(int by = 1);
};

class FixedIcon : public Control {
  public:
    FixedIcon(Window* owner, const ResourceID& id) : Control(owner, id) {}
    FixedIcon(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE);
    Symbol ClassName() const override;

    // The icon the control shows.
    std::shared_ptr<kp::Icon> Icon() const { return shown_; }
    void Icon(std::shared_ptr<kp::Icon> icon);

  private:
    std::shared_ptr<kp::Icon> shown_;
};

// A control of a window class of the library's own. The library registers
// one such class itself; a custom control class registers its own name with
// RegisterWindowClass before any dialog resource that names it is loaded, and
// its objects are then bound by resource id like any control. Painting and
// every other message go to the object's handlers.
class CustomControl : public Control {
  public:
    static constexpr std::string_view kDefaultClassName = "KpCustomControl";

    CustomControl(Window* owner, const ResourceID& id) : Control(owner, id) {}
    CustomControl(Window* owner, int id, Point origin, Dimension size, DWORD style = WS_VISIBLE,
                  std::string_view className = kDefaultClassName);
    Symbol ClassName() const override;

    // Registers a window class of that name for custom controls (once; later
    // calls do nothing). Dialog resources may then name it.
    static void RegisterWindowClass(std::string_view className);
};

// The status bar at the foot of a frame window.
class StatusBar : public Control {
  public:
    explicit StatusBar(Window* owner);
    ~StatusBar() override;
    Symbol ClassName() const override;

    // Widths of the parts in pixels from the left; -1 runs to the right edge.
    void Parts(const std::vector<int>& rightEdges);
    void SetText(const std::string& text, int part = 0);
    std::string GetText(int part = 0) const;
    // The first part, where control and menu descriptions show.
    void ControlText(const std::string& text) { SetText(text, 0); }
    // The position area, a part at the right end ("Ln 3 Col 7"); made by
    // the first call, and kept at the right end as the bar resizes.
    void PositionText(const std::string& text);
    std::string PositionText() const;
    int Height() const;

    LRESULT Dispatch(Event& e) override;

  private:
    void LayoutParts();
    int positionWidth_ = 0;   // width of the position area; 0: none yet
    std::vector<int> parts_;  // the parts set by Parts, without the position area
};

}  // namespace kp

#pragma once
// SleStandard: the suite's standard one-line field. Its background follows
// the focus (the BRUSHFOCUS and BRUSHNOTFOCUS globals, the font EDITFONT),
// Up, Down and Return move between the form's fields, keys can carry
// actions (run on release), a when-action runs on entering and a
// valid-action on leaving that can keep the focus in the field, and its
// context menu's items are text snippets pasted at the caret.
#include <functional>
#include <utility>
#include <vector>

#include "controls/FocusReturn.h"
#include "forms/fieldBinding.h"
#include "platform/gui/controls.h"

namespace kp {

class SleStandard;
// An action of a field; it gets the field itself.
using FieldAction = std::function<Usual(SleStandard&)>;
using FieldValidation = std::function<bool(SleStandard&)>;

// The brushes and font of the fields, from the global value store.
std::shared_ptr<kp::Brush> GlobalBrush(const char* name);
std::shared_ptr<kp::Font> GlobalFont(const char* name);

// The text of a snippet after the character before the caret: one blank in
// between after a non-blank, none at the start or after a blank. The caret
// is the edit control's position (UTF-16 units) in the UTF-8 text.
std::string SnippetText(const std::string& text, int caret, const std::string& caption);

class SleStandard : public SingleLineEdit, public FocusReturning, public FieldBound {
  public:
    SleStandard(Window* owner, const ResourceID& id);
    SleStandard(Window* owner, int id, Point origin, Dimension size, DWORD style = 0);
    Symbol ClassName() const override;

    // The window that Up, Down and Return ask to move the focus.
    HWND hForm() const { return hForm_; }

    // Keys whose release runs an action; a key registered twice keeps its
    // first action.
    void SetKey(int keyCode, FieldAction action);
    void SetRightMouseKey(FieldAction action) { cbRightMouse_ = std::move(action); }
    void WhenBlock(FieldAction action) { cbWhen_ = std::move(action); }
    void ValidBlock(FieldValidation action) { cbValid_ = std::move(action); }

    using Edit::ReadOnly;
    void ReadOnly(bool on) override;
    using SingleLineEdit::Picture;
    void Picture(const std::string& picture) override;

    // The server field the value goes to and comes from: by position, by
    // symbol, or else the field of the control's name. A field that names
    // no field of the server is left alone by __Gather and __Scatter.
    void DataField(Symbol field) { binding_.BindSymbol(field); }
    void DataFieldPos(int position) { binding_.BindPosition(position); }
    const FieldBinding& Binding() const override { return binding_; }

    // Writes an edited value to the form's server; false when the server
    // refused it.
    bool __Gather() override;
    // Reads the server's value, trailing blanks removed; without a server an
    // empty value of the field's type.
    void __Scatter() override;

    LRESULT Dispatch(Event& e) override;
    void FocusChange(FocusChangeEvent& e) override;
    void KeyUp(KeyEvent& e) override;
    void MouseButtonDown(MouseEvent& e) override;

    const FocusReturn& FocusReturner() const override { return focusReturn_; }

  private:
    void Setup();
    HWND hForm_ = nullptr;
    std::vector<std::pair<int, FieldAction>> aKeys_;
    FieldAction cbRightMouse_;
    FieldAction cbWhen_;
    FieldValidation cbValid_;
    FocusReturn focusReturn_;
    FieldBinding binding_;
};

}  // namespace kp

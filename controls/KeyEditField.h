#pragma once
// KeyEditField: a one-line field whose text only a key-by-key editor
// changes. Typed characters and Delete go to the editor; so do paste (Ctrl+V,
// Shift+Ins, the context menu), cut and clear, so that nothing reaches the
// text around the editor's rules. Copy stays the edit control's. A
// read-only field takes no edit.
#include <string>

#include "controls/EditState.h"
#include "controls/FocusReturn.h"
#include "forms/fieldBinding.h"
#include "platform/gui/controls.h"

namespace kp {

class KeyEditField : public SingleLineEdit, public FocusReturning, public FieldBound {
  public:
    KeyEditField(Window* owner, const ResourceID& id) : SingleLineEdit(owner, id) {}
    KeyEditField(Window* owner, int id, Point origin, Dimension size, DWORD style)
        : SingleLineEdit(owner, id, origin, size, style) {}

    EditState State() const;
    // Shows the editor's result: text, caret and selection; a changed text
    // counts as the user's edit.
    void Apply(const EditState& s);

    // The server field of the value: by position, by symbol, or else the
    // field of the control's name; a field that names no field of the
    // server is left alone by __Gather and __Scatter.
    void DataField(Symbol field) { binding_.BindSymbol(field); }
    void DataFieldPos(int position) { binding_.BindPosition(position); }
    const FieldBinding& Binding() const override { return binding_; }

    void __Update() override;
    // Writes an edited value to the form's server; false when the field
    // refuses its text or the server the value.
    bool __Gather() override;
    void __Scatter() override;

    const FocusReturn& FocusReturner() const override { return focusReturn_; }

  protected:
    virtual KeyResult EditKey(EditState& s, unsigned code, bool deleteKey) = 0;
    virtual KeyResult EditDeleteSelection(EditState& s) = 0;
    virtual PasteResult EditPaste(EditState& s, const std::string& text) = 0;
    // Changes of the text, for the field's own bookkeeping.
    virtual void TextApplied(const std::string&) {}

    // The editor's share of the messages; true when it handled the message
    // (the result is then 1).
    bool EditorDispatch(Event& e);
    // Tells the user why an edit was refused.
    void Refuse(const std::string& message);
    FocusReturn focusReturn_;

  private:
    FieldBinding binding_;
    void PasteClipboard();
    void CutSelection();
};

// The text on the clipboard ("" when none).
std::string ClipboardText(HWND owner);

}  // namespace kp

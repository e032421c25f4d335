#pragma once
// SleNumeric: the numeric field. Its text is always the number in the
// field's fixed layout (SetLen: width and decimals, "." as decimal point),
// edited key by key by a NumericEditor; the value is the number.
#include <cstdint>
#include <string>

#include "controls/KeyEditField.h"
#include "controls/NumericEditor.h"

namespace kp {

class SleNumeric : public KeyEditField {
  public:
    // cType "N" (numbers, right-aligned) or "D" (no handling of its own).
    SleNumeric(Window* owner, int id, Point origin, Dimension size, std::string cType = "N");
    // Bound to a control of the owner's resource (its style there decides
    // the alignment).
    SleNumeric(Window* owner, const ResourceID& id, std::string cType = "N");
    Symbol ClassName() const override;

    // See NumericEditor::SetLen: a layout without an integer digit is
    // refused (false) and the field keeps its layout.
    bool SetLen(uint32_t width = 10, uint32_t decimals = 0);
    uint32_t nDec() const { return editor_.nDec(); }
    uint32_t nIntLen() const { return editor_.nIntLen(); }
    uint32_t nLen() const { return editor_.nLen(); }
    const std::string& cType() const { return cType_; }
    const std::string& cBuffer() const { return cBuffer_; }
    // The field's formatting of a text (the layout's "picture").
    std::string PictureOf(const std::string& text) const { return editor_.Picture(text); }
    const NumericEditor& Editor() const { return editor_; }

    // The number the text shows (with the field's decimals).
    Usual Value() const override;
    // Shows the number rounded to the field's decimals. A number too large
    // for the field is refused with a message; the field keeps its text.
    void Value(const Usual& v) override;
    // A record's value. One too large for the field's layout is shown in
    // full and kept as it is, but cannot be edited here (the keys are
    // refused with the reason) until a value that fits comes in; the field
    // never goes on showing, or writing back, the value it had before.
    void __Value(const Usual& v) override;
    // Whether the field shows a record's value too large for its layout.
    bool Oversize() const { return oversize_; }
    // Whether the value was taken (false: too large, refused).
    bool SetNumber(double value, bool asEdit);

    // Stores the formatted text (without group separators; this layout has
    // none).
    bool SetBuffer(const std::string& text);
    // Maps between a caret position and a count of number characters; with
    // no group separator both directions keep the position.
    static int SetPos(int position, int start, bool toDigits = false, const std::string& text = {});

    // Kind "N": the key-by-key editor; kind "D": no handling of its own.
    LRESULT Dispatch(Event& e) override;
    LRESULT NumDispatch(Event& e);

  protected:
    KeyResult EditKey(EditState& s, unsigned code, bool deleteKey) override;
    KeyResult EditDeleteSelection(EditState& s) override;
    PasteResult EditPaste(EditState& s, const std::string& text) override;
    void TextApplied(const std::string& text) override;

  private:
    std::string cType_;
    std::string cBuffer_;
    NumericEditor editor_;
    bool oversize_ = false;
    // Refuses an edit of an oversize value; true when it did.
    bool RefuseOversize();
};

}  // namespace kp

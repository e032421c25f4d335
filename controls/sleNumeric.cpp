#include "controls/sleNumeric.h"

#include "platform/gui/boxes.h"
#include "platform/runtime/numbers.h"

namespace kp {

namespace {

DWORD NumericStyle(const std::string& cType) {
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | WS_VISIBLE;
    if (cType == "N")
        style |= ES_RIGHT;
    return style;
}

}  // namespace

SleNumeric::SleNumeric(Window* owner, int id, Point origin, Dimension size, std::string cType)
    : KeyEditField(owner, id, origin, size, NumericStyle(cType)), cType_(std::move(cType)) {}

SleNumeric::SleNumeric(Window* owner, const ResourceID& id, std::string cType)
    : KeyEditField(owner, id), cType_(std::move(cType)) {}

Symbol SleNumeric::ClassName() const {
    return Symbol("SLENUMERIC");
}

bool SleNumeric::SetLen(uint32_t width, uint32_t decimals) {
    if (!editor_.SetLen(width, decimals))
        return false;
    if (cType_ == "N" && Handle())
        SetTextQuietly(editor_.Picture(TextValue()));
    return true;
}

Usual SleNumeric::Value() const {
    return Usual(Float{NumericEditor::ValueOf(TextValue()), static_cast<int>(editor_.nDec())});
}

bool SleNumeric::SetNumber(double value, bool asEdit) {
    const auto text = editor_.TextOf(value);
    if (!text) {
        Refuse("Der Wert " + FormatNumber(value, static_cast<int>(editor_.nDec())) +
               " passt nicht in das Feld (höchstens " + std::to_string(editor_.nIntLen()) +
               " Stellen vor dem Komma).\r\nDas Feld behält seinen bisherigen Wert.");
        return false;
    }
    SetTextQuietly(*text);
    cBuffer_ = *text;
    value_ = Usual();
    Modified(false);
    if (asEdit)
        ValueChanged(true);
    return true;
}

void SleNumeric::Value(const Usual& v) {
    if (cType_ != "N") {
        SingleLineEdit::Value(v);
        return;
    }
    SetNumber(v.IsNil() ? 0.0 : v.AsFloat(), true);
}

void SleNumeric::__Value(const Usual& v) {
    if (cType_ != "N") {
        SingleLineEdit::__Value(v);
        return;
    }
    SetNumber(v.IsNil() ? 0.0 : v.AsFloat(), false);
}

KeyResult SleNumeric::EditKey(EditState& s, unsigned code, bool deleteKey) {
    return editor_.Key(s, code, deleteKey, ReadOnly());
}

KeyResult SleNumeric::EditDeleteSelection(EditState& s) {
    return editor_.DeleteSelection(s, ReadOnly());
}

PasteResult SleNumeric::EditPaste(EditState& s, const std::string& text) {
    return editor_.Paste(s, text, ReadOnly());
}

void SleNumeric::TextApplied(const std::string& text) {
    SetBuffer(text);
}

bool SleNumeric::SetBuffer(const std::string& text) {
    cBuffer_ = text;
    return true;
}

int SleNumeric::SetPos(int position, int, bool, const std::string&) {
    return position;
}

LRESULT SleNumeric::NumDispatch(Event& e) {
    if (EditorDispatch(e))
        return 1;
    return SingleLineEdit::Dispatch(e);
}

LRESULT SleNumeric::Dispatch(Event& e) {
    if (cType_ == "N")
        return NumDispatch(e);
    if (cType_ == "D")
        return 0;
    return SingleLineEdit::Dispatch(e);
}

}  // namespace kp

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
    if (oversize_)
        return value_;
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
    oversize_ = false;
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
    const double number = v.IsNil() ? 0.0 : v.AsFloat();
    if (editor_.TextOf(number)) {
        SetNumber(number, false);
        return;
    }
    // Too large for the layout: shown in full, kept exactly, not editable.
    const int decimals = static_cast<int>(editor_.nDec());
    const std::string text = Str_Replace(FormatNumber(number, decimals), ",", ".");
    SetTextQuietly(text);
    cBuffer_ = text;
    value_ = Usual(Float{number, decimals});
    oversize_ = true;
    Modified(false);
    ValueChanged(false);
}

bool SleNumeric::RefuseOversize() {
    if (!oversize_)
        return false;
    Refuse("Der Wert " + TextValue() + " ist zu groß für dieses Feld (höchstens " +
           std::to_string(editor_.nIntLen()) +
           " Stellen vor dem Komma) und kann hier nicht geändert werden.\r\n"
           "Er bleibt im Datensatz unverändert.");
    return true;
}

KeyResult SleNumeric::EditKey(EditState& s, unsigned code, bool deleteKey) {
    // Only what would change the text is refused: typed characters,
    // Backspace and Delete; copying and control keys stay as they are.
    const bool edits = deleteKey || code == 0x08 || code >= 0x20;
    if (edits && RefuseOversize())
        return KeyResult::Consumed;
    return editor_.Key(s, code, deleteKey, ReadOnly());
}

KeyResult SleNumeric::EditDeleteSelection(EditState& s) {
    if (RefuseOversize())
        return KeyResult::Consumed;
    return editor_.DeleteSelection(s, ReadOnly());
}

PasteResult SleNumeric::EditPaste(EditState& s, const std::string& text) {
    if (RefuseOversize())
        return PasteResult{true, {}};
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

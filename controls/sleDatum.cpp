#include "controls/sleDatum.h"

#include "controls/dlgCalendar.h"
#include "forms/dtaAbstract.h"
#include "platform/gui/boxes.h"

namespace kp {

namespace {

constexpr DWORD kDateStyle = WS_TABSTOP | ES_AUTOHSCROLL | WS_VISIBLE;

}  // namespace

// ---------------------------------------------------------------- DateField

std::string DateField::InvalidDateMessage(const std::string& text) {
    return "„" + text +
           "“ ist kein gültiges Datum.\r\nBitte ein Datum in der Form TT.MM.JJJJ eingeben oder "
           "das Feld mit der Leertaste leeren.";
}

Usual DateField::Value() const {
    return Usual(CToD(TextValue()));
}

void DateField::Value(const Usual& v) {
    __Value(v);
    ValueChanged(true);
}

void DateField::__Value(const Usual& v) {
    const Date d = v.Type() == UsualType::Date ? v.AsDate() : Date();
    SetTextQuietly(DToC(d));
    value_ = Usual();
    Modified(false);
}

bool DateField::IsAcceptable() const {
    const std::string text = TextValue();
    return DateEditor::IsBlank(text) || DateEditor::IsValidDatum(text);
}

bool DateField::__Gather() {
    if (!IsAcceptable()) {
        Refuse(InvalidDateMessage(TextValue()));
        return false;
    }
    return KeyEditField::__Gather();
}

KeyResult DateField::EditKey(EditState& s, unsigned code, bool deleteKey) {
    return DateEditor::Key(s, code, deleteKey, today_.IsEmpty() ? Today() : today_, ReadOnly());
}

KeyResult DateField::EditDeleteSelection(EditState& s) {
    return DateEditor::DeleteSelection(s, ReadOnly());
}

PasteResult DateField::EditPaste(EditState& s, const std::string& text) {
    return DateEditor::Paste(s, text, ReadOnly());
}

bool DateField::DateDispatch(Event& e, LRESULT& result) {
    result = 1;
    if (e.Message() == WM_KILLFOCUS) {
        if (!IsAcceptable() && !ReadOnly()) {
            if (auto* form = dynamic_cast<DtaAbstract*>(Owner()))
                form->CurrentControl(this);
            focusReturn_.Request(Handle(), reinterpret_cast<HWND>(e.wParam()));
        }
        return false;
    }
    if (e.Message() == FocusReturn::kMessage) {
        focusReturn_.Perform(Handle(), [this] {
            CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", InvalidDateMessage(TextValue()),
                                           MB_OK | MB_ICONEXCLAMATION);
        });
        return true;
    }
    return EditorDispatch(e);
}

// ---------------------------------------------------------------- SleDatum

SleDatum::SleDatum(Window* owner, int id, Point origin, Dimension size, std::string cType)
    : DateField(owner, id, origin, size, kDateStyle), cType_(std::move(cType)) {}

SleDatum::SleDatum(Window* owner, const ResourceID& id, std::string cType)
    : DateField(owner, id), cType_(std::move(cType)) {}

Symbol SleDatum::ClassName() const {
    return Symbol("SLEDATUM");
}

bool SleDatum::IsValidDatum() const {
    return cType_ != "D" || DateEditor::IsValidDatum(TextValue());
}

LRESULT SleDatum::Dispatch(Event& e) {
    if (cType_ == "N")
        return 0;
    if (cType_ == "D") {
        LRESULT result = 0;
        if (DateDispatch(e, result))
            return result;
    }
    return SingleLineEdit::Dispatch(e);
}

// ---------------------------------------------------------------- PEDateSle

PEDateSle::PEDateSle(Window* owner, const ResourceID& id) : DateField(owner, id) {}

PEDateSle::PEDateSle(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : DateField(owner, id, origin, size, style ? style : kDateStyle) {}

Symbol PEDateSle::ClassName() const {
    return Symbol("PEDATESLE");
}

LRESULT PEDateSle::Dispatch(Event& e) {
    if (e.Message() == WM_KEYDOWN && (e.wParam() == VK_ADD || e.wParam() == VK_SUBTRACT)) {
        if (!ReadOnly()) {
            KeyEvent k(e);
            KeyDown(k);
        }
        return 1;
    }
    if (e.Message() == WM_CHAR && (e.wParam() == '+' || e.wParam() == '-')) {
        // Only the keypad steps the day here; the main keyboard's signs
        // (also the WM_CHAR the keypad keys bring) do nothing.
        if (CToD(TextValue()).IsEmpty())
            MessageBeep(0xFFFFFFFF);
        return 1;
    }
    if (e.Message() == WM_LBUTTONDBLCLK) {
        if (!ReadOnly()) {
            MouseEvent m(e);
            MouseButtonDoubleClick(m);
        }
        return 1;
    }
    LRESULT result = 0;
    if (DateDispatch(e, result))
        return result;
    return SingleLineEdit::Dispatch(e);
}

void PEDateSle::KeyDown(KeyEvent& e) {
    // Only the keypad's plus and minus step; every other key is the edit
    // control's.
    auto* field = dynamic_cast<PEDateSle*>(GetObjectByHandle(e.Handle()));
    if (!field || (e.KeyCode() != VK_ADD && e.KeyCode() != VK_SUBTRACT)) {
        Default(e);
        return;
    }
    EditState s = field->State();
    const long days = e.KeyCode() == VK_ADD ? 1 : -1;
    if (DateEditor::StepDays(s, days, field->ReadOnly())) {
        field->Apply(s);
        field->EventReturnValue(1);
    }
}

void PEDateSle::MouseButtonDoubleClick(MouseEvent& e) {
    auto* field = dynamic_cast<PEDateSle*>(GetObjectByHandle(e.Handle()));
    if (!field)
        return;
    DlgCalendar dialog(field->Owner(), field);
    dialog.Show();
    if (!dialog.dSelected.IsEmpty()) {
        EditState s = field->State();
        s.text = DToC(dialog.dSelected);
        s.start = s.finish = 0;
        field->Apply(s);
    }
}

}  // namespace kp

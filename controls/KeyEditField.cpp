#include "controls/KeyEditField.h"

#include <algorithm>

#include "controls/EditText.h"
#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/utf8.h"

namespace kp {

std::string ClipboardText(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = WideToUtf8(p);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

EditState KeyEditField::State() const {
    // The editors index the UTF-8 text by bytes; the control counts UTF-16
    // units.
    const kp::Selection sel = Selection();
    std::string text = TextValue();
    const int start = static_cast<int>(Utf8OffsetOfUtf16(text, sel.start));
    const int finish = static_cast<int>(Utf8OffsetOfUtf16(text, sel.finish));
    return EditState{std::move(text), start, finish};
}

void KeyEditField::Apply(const EditState& s) {
    if (s.text != TextValue()) {
        SetTextQuietly(s.text);
        value_ = Usual();
        Modified(true);
        ValueChanged(true);
        TextApplied(s.text);
    }
    Selection(kp::Selection(Utf16OffsetOfUtf8(s.text, static_cast<size_t>(std::max(s.start, 0))),
                            Utf16OffsetOfUtf8(s.text, static_cast<size_t>(std::max(s.finish, 0)))));
}

void KeyEditField::Refuse(const std::string& message) {
    MessageBeep(MB_ICONEXCLAMATION);
    if (!message.empty())
        CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", message, MB_OK | MB_ICONEXCLAMATION);
}

void KeyEditField::PasteClipboard() {
    EditState s = State();
    const PasteResult r = EditPaste(s, ClipboardText(Handle()));
    if (r.ok)
        Apply(s);
    else
        Refuse(r.message);
}

void KeyEditField::CutSelection() {
    const kp::Selection sel = Selection();
    if (sel.start == sel.finish)
        return;
    EditState s = State();
    if (EditDeleteSelection(s) == KeyResult::Refused || ReadOnly()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    Copy();
    Apply(s);
}

bool KeyEditField::EditorDispatch(Event& e) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (e.Message()) {
        case WM_CHAR: {
            const auto code = static_cast<unsigned>(e.wParam());
            if (code == kCtrlV) {
                PasteClipboard();
                return true;
            }
            if (code == kCtrlX) {
                CutSelection();
                return true;
            }
            EditState s = State();
            switch (EditKey(s, code, false)) {
                case KeyResult::PassOn:
                    return false;
                case KeyResult::Refused:
                    MessageBeep(MB_ICONEXCLAMATION);
                    return true;
                case KeyResult::Consumed:
                    Apply(s);
                    return true;
            }
            return true;
        }
        case WM_KEYDOWN:
            if (e.wParam() == VK_DELETE) {
                if (shift) {
                    CutSelection();
                } else {
                    EditState s = State();
                    if (EditKey(s, 0x2E, true) == KeyResult::Consumed)
                        Apply(s);
                }
                return true;
            }
            if (e.wParam() == VK_INSERT && shift) {
                PasteClipboard();
                return true;
            }
            return false;
        case WM_PASTE:
            PasteClipboard();
            return true;
        case WM_CUT:
            CutSelection();
            return true;
        case WM_CLEAR: {
            EditState s = State();
            if (EditDeleteSelection(s) == KeyResult::Consumed)
                Apply(s);
            return true;
        }
        case WM_UNDO:
        case EM_UNDO:
            return true;  // the control's undo would restore text around the editor
        default:
            return false;
    }
}

void KeyEditField::__Update() {
    if (!Modified())
        return;
    value_ = Usual();
    ValueChanged(true);
    Modified(false);
}

bool KeyEditField::__Gather() {
    __Update();
    if (!ValueChanged())
        return true;
    if (auto* server = dynamic_cast<DBServer*>(Server())) {
        const int pos = binding_.PositionIn(*server, NameSym());
        if (pos == 0)
            return true;  // not bound to a field of this server
        server->FieldPut(pos, Value());
        if (!server->Status().IsNil())
            return false;
        ValueChanged(false);
    }
    return true;
}

void KeyEditField::__Scatter() {
    if (auto* server = dynamic_cast<DBServer*>(Server())) {
        const int pos = binding_.PositionIn(*server, NameSym());
        if (pos == 0)
            return;  // not bound to a field of this server: left alone
        __Value(server->FieldGet(pos));
        ValueChanged(false);
    }
}

}  // namespace kp

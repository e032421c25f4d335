#include "controls/sleStandard.h"

#include "app/funGlobal.h"
#include "controls/EditText.h"
#include "forms/dtaAbstract.h"
#include "platform/data/dbserver.h"
#include "platform/gui/datawindow.h"
#include "platform/runtime/utf8.h"
#include "platform/runtime/strings.h"

namespace kp {

std::shared_ptr<kp::Brush> GlobalBrush(const char* name) {
    const Usual v = GetGlobal(Symbol(name));
    return v.IsObject() ? std::dynamic_pointer_cast<kp::Brush>(v.AsObject()) : nullptr;
}

std::shared_ptr<kp::Font> GlobalFont(const char* name) {
    const Usual v = GetGlobal(Symbol(name));
    return v.IsObject() ? std::dynamic_pointer_cast<kp::Font>(v.AsObject()) : nullptr;
}

std::string SnippetText(const std::string& text, int caret, const std::string& caption) {
    // The character just before the caret decides; the caret counts the
    // control's UTF-16 units, the text is UTF-8.
    const size_t end = Utf8OffsetOfUtf16(text, caret);
    if (end == 0)
        return caption;
    size_t start = end - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return text.compare(start, end - start, " ") == 0 ? caption : " " + caption;
}

SleStandard::SleStandard(Window* owner, const ResourceID& id) : SingleLineEdit(owner, id) {
    Setup();
}

SleStandard::SleStandard(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : SingleLineEdit(owner, id, origin, size, style) {
    Setup();
}

void SleStandard::Setup() {
    Window* owner = Owner();
    if (auto* form = dynamic_cast<DataWindow*>(owner))
        hForm_ = form->__GetFormSurface() ? form->__GetFormSurface()->Handle() : form->Handle();
    else if (owner)
        hForm_ = owner->Handle();
    if (auto font = GlobalFont("EDITFONT"))
        Font(font, false);
}

Symbol SleStandard::ClassName() const {
    return Symbol("SLESTANDARD");
}

void SleStandard::SetKey(int keyCode, FieldAction action) {
    aKeys_.emplace_back(keyCode, std::move(action));
}

void SleStandard::ReadOnly(bool on) {
    SingleLineEdit::ReadOnly(on);
    Background(GlobalBrush("BRUSHNOTFOCUS"));
}

void SleStandard::Picture(const std::string& picture) {
    SingleLineEdit::Picture(picture);
    ValueChanged(false);
    Modified(false);
}

namespace {

// The owner's form, for the valid flag and the current control.
DtaAbstract* OwnerForm(Window* owner) {
    return dynamic_cast<DtaAbstract*>(owner);
}

std::string MenuItemCaption(const Menu& menu, int id) {
    if (const kp::HyperLabel* label = menu.HyperLabel(id); label && !label->Caption().empty())
        return label->Caption();
    wchar_t text[256] = {};
    GetMenuStringW(menu.Handle(), static_cast<UINT>(id), text, 255, MF_BYCOMMAND);
    return WideToUtf8(text);
}

}  // namespace

LRESULT SleStandard::Dispatch(Event& e) {
    switch (e.Message()) {
        case WM_COMMAND:
            if (HIWORD(e.wParam()) == 0 && e.lParam() == 0 && ContextMenu()) {
                const std::string caption =
                    MenuItemCaption(*ContextMenu(), static_cast<int>(LOWORD(e.wParam())));
                if (!caption.empty() && !ReadOnly())
                    Paste(SnippetText(TextValue(), Selection().start, caption));
            }
            break;
        case WM_SETFOCUS:
            if (cbWhen_)
                cbWhen_(*this);
            break;
        case WM_KILLFOCUS:
            if (cbValid_) {
                DtaAbstract* form = OwnerForm(Owner());
                if (!cbValid_(*this)) {
                    if (form) {
                        form->Valid(false);
                        form->CurrentControl(this);
                    }
                    // The focus comes back once, posted and within the form.
                    focusReturn_.Request(Handle(), reinterpret_cast<HWND>(e.wParam()));
                } else if (form) {
                    form->Valid(true);
                }
            }
            break;
        case WM_KEYDOWN:
            if (e.wParam() == VK_DOWN)
                PostMessageW(hForm_, WM_NEXTDLGCTL, 0, 0);
            else if (e.wParam() == VK_UP)
                PostMessageW(hForm_, WM_NEXTDLGCTL, 1, 0);
            else if ((e.wParam() == VK_APPS ||
                      (e.wParam() == VK_F1 && GetKeyState(VK_SHIFT) < 0)) &&
                     ContextMenu())
                ContextMenu()->ShowAsPopup(this, Origin());
            break;
        case WM_GETDLGCODE:
            if (e.wParam() == VK_RETURN)
                PostMessageW(hForm_, WM_NEXTDLGCTL, 0, 0);
            break;
        case WM_RBUTTONDOWN:
            return 1;
        default:
            if (e.Message() == FocusReturn::kMessage) {
                focusReturn_.Perform(Handle());
                return 1;
            }
            break;
    }
    return SingleLineEdit::Dispatch(e);
}

void SleStandard::FocusChange(FocusChangeEvent& e) {
    SingleLineEdit::FocusChange(e);
    const kp::FieldSpec* spec = FieldSpec();
    if (e.GotFocus() && !ReadOnly()) {
        Background(GlobalBrush("BRUSHFOCUS"));
        const bool numOrDate = spec && (spec->ValType() == 'N' || spec->ValType() == 'D');
        Overwrite(numOrDate ? OVERWRITE_ALWAYS : OVERWRITE_NEVER);
    } else {
        Background(GlobalBrush("BRUSHNOTFOCUS"));
    }
    if (e.GotFocus() && (!spec || spec->ValType() != 'N'))
        Selection(kp::Selection(0, 0));
}

void SleStandard::KeyUp(KeyEvent& e) {
    SingleLineEdit::KeyUp(e);
    for (auto& [key, action] : aKeys_) {
        if (key == e.KeyCode()) {
            if (action)
                action(*this);
            break;
        }
    }
}

void SleStandard::MouseButtonDown(MouseEvent& e) {
    SingleLineEdit::MouseButtonDown(e);
    if (e.IsRightButton() && cbRightMouse_)
        cbRightMouse_(*this);
}

bool SleStandard::__Gather() {
    bool result = true;
    __Update();
    if (!ValueChanged())
        return result;
    if (auto* server = dynamic_cast<DBServer*>(Server())) {
        const int pos = binding_.PositionIn(*server, NameSym());
        if (pos == 0)
            return result;  // not bound to a field of this server
        server->FieldPut(pos, Value());
        result = server->Status().IsNil();
    }
    return result;
}

void SleStandard::__Scatter() {
    if (auto* server = dynamic_cast<DBServer*>(Server())) {
        const int pos = binding_.PositionIn(*server, NameSym());
        if (pos == 0)
            return;  // not bound to a field of this server: left alone
        const Usual v = server->FieldGet(pos);
        __Value(v.IsString() ? Usual(Trim(v.AsString())) : v);
        ValueChanged(false);
        return;
    }
    if (Value().IsNil() && FieldSpec()) {
        switch (FieldSpec()->ValType()) {
            case 'C':
            case 'M':
                __Value(Usual(std::string()));
                break;
            case 'D':
                __Value(Usual(Date()));
                break;
            case 'N':
                __Value(Usual(int32_t{0}));
                break;
            case 'L':
                __Value(Usual(false));
                break;
            default:
                break;
        }
    }
}

}  // namespace kp

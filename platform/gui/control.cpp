#include "platform/gui/control.h"

#include <memory>

#include "platform/gui/datawindow.h"
#include "platform/gui/internal.h"
#include "platform/runtime/error.h"
#include "platform/runtime/utf8.h"

namespace kp {

Control::Control(Window* owner, const ResourceID& id) : Window(owner) {
    // The dialog made the control; it goes with the dialog.
    ownsHandle_ = false;
    HWND canvas = owner ? owner->CanvasHandle() : nullptr;
    HWND h = canvas && id.IsNumber() ? GetDlgItem(canvas, id.Number()) : nullptr;
    if (!h) {
        RaiseGuiError(EG_ARG, "Control",
                      "Das Steuerelement " + id.Name() + " ist im Fenster nicht vorhanden.",
                      id.Name());
        return;
    }
    Attach(h, IsLibraryClassWindow(h) ? DefaultKind::Window : DefaultKind::Subclass);
    Register();
}

Control::Control(Window* owner, int id, Point origin, Dimension size, LPCWSTR className,
                 DWORD style, DWORD exStyle, const std::string& text, HWND parent)
    : Window(owner) {
    HWND canvas = parent ? parent : owner ? owner->CanvasHandle() : nullptr;
    RECT rc{};
    if (canvas)
        GetClientRect(canvas, &rc);
    const PixelRect r = CoordinateSpace(rc.bottom).ToWindows(BoundingBox(origin, size));
    HWND h = CreateBound(exStyle, className, Utf8ToWide(text), style | WS_CHILD, r.left, r.top,
                         r.Width(), r.Height(), canvas,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    if (h && canvas) {
        // A new control speaks in the font of the form it is put on.
        if (auto f = SendMessageW(canvas, WM_GETFONT, 0, 0))
            SendMessageW(h, WM_SETFONT, static_cast<WPARAM>(f), FALSE);
    }
    if (h)
        Register();
}

Control::~Control() {
    if (Owner())
        Owner()->RemoveControl(this);
    // Unbound first: the owner hears nothing more of a control that is going.
    dying_ = true;
    HWND h = Handle();
    const bool own = ownsHandle_;
    Unbind();
    if (own && h)
        DestroyWindow(h);
}

void Control::Register() {
    if (Owner())
        Owner()->AddControl(this);
}

void Control::Unregister() {
    if (Owner())
        Owner()->RemoveControl(this);
}

Symbol Control::ClassName() const {
    return Symbol("CONTROL");
}

int Control::ControlID() const {
    return Handle() ? GetDlgCtrlID(Handle()) : 0;
}

void Control::Show(int showState) {
    if (Handle())
        ShowWindow(Handle(), showState == SHOWNORMAL ? SW_SHOW : showState);
}

void Control::SetFocus() {
    HWND h = Handle();
    if (!h)
        return;
    HWND parent = GetParent(h);
    // In a dialog the dialog manager moves the focus, so that default
    // buttons and edit selections follow.
    wchar_t cls[16] = {};
    if (parent)
        GetClassNameW(parent, cls, 15);
    if (lstrcmpW(cls, L"#32770") == 0)
        SendMessageW(parent, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
    else
        ::SetFocus(h);
}

void Control::TextValue(const std::string& text) {
    SetTextQuietly(text);
    value_ = Usual();  // the value follows the text
    valueChanged_ = true;
}

void Control::SetTextQuietly(const std::string& text) {
    if (!Handle())
        return;
    settingText_ = true;
    SetWindowTextW(Handle(), Utf8ToWide(text).c_str());
    settingText_ = false;
}

void Control::Font(std::shared_ptr<kp::Font> font, bool redraw) {
    font_ = std::move(font);
    if (Handle())
        SendMessageW(Handle(), WM_SETFONT,
                     reinterpret_cast<WPARAM>(font_ ? font_->Handle() : nullptr), redraw);
}

void Control::Background(std::shared_ptr<kp::Brush> brush) {
    background_ = std::move(brush);
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void Control::TextColor(std::optional<kp::Color> color) {
    textColor_ = color;
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

HBRUSH Control::PrepareColors(HDC dc) {
    if (textColor_)
        SetTextColor(dc, textColor_->ColorRef());
    if (background_ && background_->Handle()) {
        SetBkColor(dc, background_->Color().ColorRef());
        return background_->Handle();
    }
    return nullptr;
}

Usual Control::Value() const {
    return value_.IsNil() ? Usual(TextValue()) : value_;
}

void Control::Value(const Usual& value) {
    __Value(value);
    valueChanged_ = true;
}

void Control::__Value(const Usual& value) {
    value_ = value;
    SetTextQuietly(value.AsText());
    Modified(false);
}

DataServer* Control::Server() const {
    auto* form = dynamic_cast<DataWindow*>(Owner());
    return form ? form->Server() : nullptr;
}

void Control::__Update() {
    if (!Modified())
        return;
    value_ = Usual();
    valueChanged_ = true;
    Modified(false);
}

bool Control::__Gather() {
    __Update();
    return true;
}

void Control::__Scatter() {}

void Control::Notified(int) {}

LRESULT Control::Dispatch(Event& e) {
    if (e.Message() == WM_CONTEXTMENU && contextMenu_ &&
        reinterpret_cast<HWND>(e.wParam()) == Handle()) {
        // From the keyboard (no mouse position) the menu opens at the
        // control's lower-left corner, else at the mouse.
        if (e.lParam() == static_cast<LPARAM>(-1) || static_cast<DWORD>(e.lParam()) == 0xFFFFFFFF)
            contextMenu_->ShowAsPopup(this, Origin());
        else
            contextMenu_->ShowAsPopup(this);
        return 1;
    }
    return Window::Dispatch(e);
}

void Control::BeforeDispatch(Event& e) {
    Window::BeforeDispatch(e);
    if (e.Message() == WM_SETFOCUS && Owner())
        Owner()->focusControl_ = this;
}

}  // namespace kp

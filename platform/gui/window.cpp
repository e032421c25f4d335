#include "platform/gui/window.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <unordered_map>
#include <utility>

#include "platform/gui/app.h"
#include "platform/gui/control.h"
#include "platform/gui/controls.h"
#include "platform/gui/internal.h"
#include "platform/gui/shellwindow.h"
#include "platform/gui/toolbar.h"
#include "platform/runtime/error.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

constexpr UINT_PTR kSubclassId = 0x4B50;  // "KP"

// Which object each handle belongs to, and the object that the window being
// created right now is for (bound on its first message).
struct Registry {
    std::unordered_map<HWND, Window*> objects;
    Window* pending = nullptr;
};

Registry& Reg() {
    static Registry r;
    return r;
}

bool IsChild(HWND h) {
    return (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) != 0;
}

// The container of a window in screen pixels: the area its library
// coordinates are measured in.
struct Container {
    POINT screenOrigin{0, 0};
    int height = 0;
};

Container ClientContainer(HWND h) {
    Container c;
    RECT rc{};
    GetClientRect(h, &rc);
    ClientToScreen(h, &c.screenOrigin);
    c.height = rc.bottom;
    return c;
}

Container ScreenContainer() {
    Container c;
    c.height = GetSystemMetrics(SM_CYSCREEN);
    return c;
}

// A run-time error for a C++ exception that escaped an event handler.
void RaiseForException(const std::string& what) {
    RaiseGuiError(0, "Dispatch",
                  "Bei der Verarbeitung einer Eingabe ist ein Programmfehler aufgetreten: " + what);
}

enum class ControlKind { Button, Edit, List, Combo, Other };

ControlKind KindOf(HWND ctl) {
    wchar_t name[64] = {};
    GetClassNameW(ctl, name, 63);
    if (lstrcmpiW(name, L"Button") == 0)
        return ControlKind::Button;
    if (lstrcmpiW(name, L"Edit") == 0)
        return ControlKind::Edit;
    if (lstrcmpiW(name, L"ListBox") == 0)
        return ControlKind::List;
    if (lstrcmpiW(name, L"ComboBox") == 0)
        return ControlKind::Combo;
    CharUpperW(name);
    if (wcsstr(name, L"RICHEDIT"))
        return ControlKind::Edit;
    return ControlKind::Other;
}

}  // namespace

void RaiseGuiError(int32_t genCode, const std::string& operation, const std::string& description,
                   const std::string& arg) {
    auto err = std::make_shared<Error>();
    err->SubSystem = "GUI";
    err->GenCode = genCode;
    err->Severity = 2;
    err->Operation = operation;
    err->Description = description;
    if (!arg.empty())
        err->Arg = arg;
    Raise(err);
}

Window* GetObjectByHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto& objects = Reg().objects;
    auto it = objects.find(hwnd);
    return it == objects.end() ? nullptr : it->second;
}

int TopWindowCount() {
    int n = 0;
    for (const auto& [h, w] : Reg().objects)
        if (IsWindow(h) && !IsChild(h))
            ++n;
    return n;
}

// ---------------------------------------------------------------- procedures

LRESULT CALLBACK Window::ClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* obj = GetObjectByHandle(hwnd);
    if (!obj) {
        // A window being made by CreateBound is bound on its first message;
        // windows of the library's classes made by dialog templates wait for
        // their object (until then they get the default processing).
        Registry& reg = Reg();
        const bool first = msg == WM_NCCREATE || msg == WM_GETMINMAXINFO;
        if (!reg.pending || !first)
            return DefWindowProcW(hwnd, msg, wp, lp);
        obj = std::exchange(reg.pending, nullptr);
        obj->Attach(hwnd, obj->defaultKind_);
    }
    return obj->Route(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR ref) {
    return reinterpret_cast<Window*>(ref)->Route(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK Window::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    // Binding happens here; afterwards the subclass sees every message first
    // and this procedure leaves everything to the dialog manager.
    if (msg == WM_INITDIALOG) {
        auto* obj = reinterpret_cast<Window*>(lp);
        if (obj && !obj->hwnd_)
            obj->Attach(hwnd, DefaultKind::Subclass);
        return FALSE;  // the focus is placed when the dialog is shown
    }
    return FALSE;
}

bool Window::IsLibraryClassWindow(HWND hwnd) {
    return GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ClassProc);
}

// ---------------------------------------------------------------- life

Window::Window(Window* owner) : owner_(owner) {
    InitGuiLibrary();
}

Window::~Window() {
    DestroyHandle();
}

Symbol Window::ClassName() const {
    return Symbol("WINDOW");
}

void Window::Attach(HWND hwnd, DefaultKind kind) {
    if (Window* previous = GetObjectByHandle(hwnd); previous && previous != this)
        previous->Unbind();
    hwnd_ = hwnd;
    defaultKind_ = kind;
    Reg().objects[hwnd] = this;
    CountHandleCreated(HandleKind::Window);
    if (kind == DefaultKind::Subclass)
        SetWindowSubclass(hwnd, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

HWND Window::CreateBound(DWORD exStyle, LPCWSTR className, const std::wstring& text, DWORD style,
                         int x, int y, int w, int h, HWND parent, HMENU menuOrId,
                         DefaultKind kind) {
    Registry& reg = Reg();
    defaultKind_ = kind;
    reg.pending = this;
    HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, x, y, w, h, parent,
                                menuOrId, GetModuleHandleW(nullptr), nullptr);
    if (reg.pending == this)
        reg.pending = nullptr;
    // A window of a standard class never passed the library's procedure:
    // it is subclassed instead.
    if (hwnd && !hwnd_)
        Attach(hwnd, DefaultKind::Subclass);
    return hwnd;
}

void Window::Unbind() {
    if (!hwnd_)
        return;
    HWND h = std::exchange(hwnd_, nullptr);
    if (defaultKind_ == DefaultKind::Subclass)
        RemoveWindowSubclass(h, &SubclassProc, kSubclassId);
    Reg().objects.erase(h);
    CountHandleReleased(HandleKind::Window);
    Detached();
}

void Window::DestroyHandle() {
    // From here on messages get only the default processing: the object is
    // being taken apart.
    dying_ = true;
    if (!hwnd_)
        return;
    if (ownsHandle_) {
        if (!IsChild(hwnd_) && GetMenu(hwnd_))
            SetMenu(hwnd_, nullptr);
        DestroyWindow(hwnd_);
    }
    Unbind();  // when the handle is not ours, or DestroyWindow failed
}

void Window::Destroy() {
    if (!hwnd_)
        return;
    // An MDI child goes through its MDI client, which activates the next
    // child, so that the keyboard goes on working there.
    if ((GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_MDICHILD) && GetParent(hwnd_)) {
        SendMessageW(GetParent(hwnd_), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd_), 0);
        return;
    }
    DestroyWindow(hwnd_);
}

bool Window::EndWindow(bool sendNow) {
    if (!hwnd_)
        return true;
    if (sendNow)
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    else
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return true;
}

// ---------------------------------------------------------------- routing

LRESULT Window::Route(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    EventContext ctx;
    ctx.receiver = this;
    Event e(hwnd, msg, wp, lp, &ctx);
    LRESULT result = 0;
    if (dying_) {
        result = DefaultProc(e);
    } else {
        const LRESULT saved = eventReturnValue_;
        eventReturnValue_ = 0;
        bool completed = false;
        try {
            RecoveryPoint recovery;
            try {
                BeforeDispatch(e);
                const LRESULT handled = Dispatch(e);
                if (handled != 0) {
                    result = eventReturnValue_;
                } else {
                    Default(e);
                    result = ctx.defaultResult;
                }
                completed = true;
            } catch (const BreakException&) {
                throw;
            } catch (const std::exception& ex) {
                RaiseForException(ex.what());
            } catch (...) {
                RaiseForException("unbekannte Ausnahme");
            }
        } catch (...) {
            // A break: the event is abandoned, the program goes on.
        }
        if (!completed) {
            result = ctx.defaultDone ? ctx.defaultResult : 0;
            // An abandoned paint must not come back at once, forever.
            if (msg == WM_PAINT && !ctx.defaultDone)
                ValidateRect(hwnd, nullptr);
        }
        if (hwnd_ == hwnd)
            AfterDispatch(e);
        eventReturnValue_ = saved;
    }
    if (msg == WM_NCDESTROY && hwnd_ == hwnd)
        Unbind();
    return result;
}

void Window::Default(Event& e) {
    EventContext* ctx = e.Context();
    if (!ctx || !ctx->receiver)
        return;  // an event made by hand: nothing to run
    if (!ctx->defaultDone) {
        ctx->defaultDone = true;
        ctx->defaultResult = ctx->receiver->DefaultProc(e);
    }
    eventReturnValue_ = ctx->defaultResult;
}

LRESULT Window::DefaultProc(Event& e) {
    const HWND h = e.Handle();
    switch (defaultKind_) {
        case DefaultKind::Subclass:
            return DefSubclassProc(h, e.Message(), e.wParam(), e.lParam());
        case DefaultKind::MdiFrame:
            return DefFrameProcW(h, mdiClient_, e.Message(), e.wParam(), e.lParam());
        case DefaultKind::MdiChild:
            return DefMDIChildProcW(h, e.Message(), e.wParam(), e.lParam());
        case DefaultKind::Window:
            break;
    }
    return DefWindowProcW(h, e.Message(), e.wParam(), e.lParam());
}

void Window::BeforeDispatch(Event& e) {
    switch (e.Message()) {
        case WM_COMMAND:
            // The control hears of its own notification before its owner.
            if (e.lParam() != 0) {
                if (auto* c = dynamic_cast<kp::Control*>(
                        GetObjectByHandle(reinterpret_cast<HWND>(e.lParam()))))
                    c->Notified(HIWORD(e.wParam()));
            }
            break;
        case WM_DESTROY:
            // Menus belong to their objects, not to the window: Windows must
            // not destroy them with the window.
            if (e.Handle() == hwnd_ && !IsChild(hwnd_) && GetMenu(hwnd_))
                SetMenu(hwnd_, nullptr);
            break;
        default:
            break;
    }
}

void Window::AfterDispatch(Event& e) {
    if (e.Message() == WM_MDIACTIVATE && e.Handle() == hwnd_) {
        // The frame hears which child is in front now (none: lParam 0).
        const HWND front = reinterpret_cast<HWND>(e.lParam());
        auto* shell = dynamic_cast<ShellWindow*>(GetObjectByHandle(GetParent(GetParent(hwnd_))));
        if (shell && (front == hwnd_ || !front))
            shell->ChildActivated(front ? this : nullptr);
    }
    if (e.Message() == WM_MENUSELECT && statusBar_ && menu_) {
        // The description of the item under the mouse shows in the status bar.
        const UINT flags = HIWORD(e.wParam());
        std::string text;
        if (!(flags == 0xFFFF && e.lParam() == 0)) {
            // A pop-up is told by its position in the menu it lies in.
            const auto in = reinterpret_cast<HMENU>(e.lParam());
            const kp::HyperLabel* hl = (flags & MF_POPUP)
                                           ? menu_->PopupLabel(GetSubMenu(in, LOWORD(e.wParam())))
                                           : menu_->HyperLabel(LOWORD(e.wParam()));
            if (hl)
                text = hl->Description();
        }
        statusBar_->ControlText(text);
    }
}

LRESULT Window::Dispatch(Event& e) {
    const UINT msg = e.Message();
    switch (msg) {
        case WM_PAINT: {
            ExposeEvent x(e);
            Expose(x);
            // A handler that neither painted nor left it to the default must
            // not be asked again and again.
            if (!e.Context() || !e.Context()->defaultDone)
                ValidateRect(e.Handle(), nullptr);
            break;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            KeyEvent k(e);
            KeyDown(k);
            break;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            KeyEvent k(e);
            KeyUp(k);
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            MouseEvent m(e);
            MouseButtonDown(m);
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            MouseEvent m(e);
            MouseButtonUp(m);
            break;
        }
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            MouseEvent m(e);
            MouseButtonDoubleClick(m);
            break;
        }
        case WM_MOUSEMOVE: {
            MouseEvent m(e);
            if (e.wParam() & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))
                MouseDrag(m);
            else
                MouseMove(m);
            break;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            FocusChangeEvent f(e);
            FocusChange(f);
            break;
        }
        case WM_SIZE: {
            ResizeEvent r(e);
            Resize(r);
            break;
        }
        case WM_MOVE:
            Move(e);
            break;
        case WM_ACTIVATE:
            if (LOWORD(e.wParam()) != WA_INACTIVE)
                Activate(e);
            else
                Deactivate(e);
            break;
        case WM_INITMENU:
        case WM_INITMENUPOPUP: {
            MenuInitEvent m(e);
            MenuInit(m);
            break;
        }
        case WM_HELP: {
            HelpRequestEvent h(e);
            HelpRequest(h);
            break;
        }
        case WM_NOTIFY: {
            ControlNotifyEvent n(e);
            ControlNotify(n);
            break;
        }
        case WM_COMMAND:
            DispatchCommand(e);
            break;
        case WM_CLOSE:
            if (QueryClose(e))
                Close(e);
            break;
        case WM_QUERYENDSESSION:
            if (e.Handle() == hwnd_ && !IsChild(hwnd_))
                EventReturnValue(QueryEndSession(e) ? TRUE : FALSE);
            else
                Default(e);
            break;
        case WM_ENDSESSION:
            if (e.Handle() == hwnd_ && !IsChild(hwnd_))
                EndSession(e, e.wParam() != 0);
            else
                Default(e);
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: {
            Default(e);
            auto* c =
                dynamic_cast<kp::Control*>(GetObjectByHandle(reinterpret_cast<HWND>(e.lParam())));
            if (c) {
                if (HBRUSH b = c->PrepareColors(reinterpret_cast<HDC>(e.wParam())))
                    EventReturnValue(reinterpret_cast<LRESULT>(b));
            }
            break;
        }
        case WM_SETCURSOR:
            if (pointer_ && pointer_->Handle() && reinterpret_cast<HWND>(e.wParam()) == hwnd_ &&
                LOWORD(e.lParam()) == HTCLIENT) {
                SetCursor(pointer_->Handle());
                EventReturnValue(TRUE);
            } else {
                Default(e);
            }
            break;
        default:
            Default(e);
            break;
    }
    return 1;
}

void Window::DispatchCommand(Event& e) {
    HWND ctl = reinterpret_cast<HWND>(e.lParam());
    const int code = HIWORD(e.wParam());
    // A toolbar button is its menu item's command.
    if (ctl && code == BN_CLICKED && dynamic_cast<kp::Toolbar*>(GetObjectByHandle(ctl)))
        ctl = nullptr;
    if (!ctl) {
        if (code != 0 && code != 1) {
            Default(e);
            return;
        }
        // A menu item or accelerator: the method of the item's name, if the
        // window has one; MenuCommand otherwise.
        const Symbol name = menu_ ? menu_->NameSym(LOWORD(e.wParam())) : Symbol();
        if (!name.IsNull()) {
            if (Method m = FindMethod(name)) {
                m();
                return;
            }
        }
        MenuCommandEvent mc(e, name);
        MenuCommand(mc);
        return;
    }
    ControlEvent ce(e);
    switch (KindOf(ctl)) {
        case ControlKind::Button:
            if (code == BN_CLICKED) {
                // A push button calls the method of its name, if the window
                // has one; ButtonClick otherwise.
                if (auto* b = dynamic_cast<PushButton*>(ce.Control())) {
                    if (Method m = FindMethod(b->NameSym()); m && !b->NameSym().IsNull()) {
                        m();
                        return;
                    }
                }
                ButtonClick(ce);
                return;
            }
            break;
        case ControlKind::Edit:
            if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
                EditFocusChangeEvent ef(e);
                EditFocusChange(ef);
                return;
            }
            if (code == EN_CHANGE) {
                EditChange(ce);
                return;
            }
            break;
        case ControlKind::List:
        case ControlKind::Combo:
            // LBN_ and CBN_ codes agree for these two.
            if (code == LBN_SELCHANGE) {
                ListBoxSelect(ce);
                return;
            }
            if (code == LBN_DBLCLK) {
                ListBoxClick(ce);
                return;
            }
            break;
        case ControlKind::Other:
            break;
    }
    Default(e);
}

bool Window::QueryClose(Event&) {
    return true;
}

void Window::Close(Event&) {
    Destroy();
}

void Window::EndSession(Event& e, bool ending) {
    if (!ending)
        return;
    Close(e);
    PostQuitMessage(0);
}

// ---------------------------------------------------------------- named calls

Method Window::FindMethod(Symbol) {
    return {};
}

bool Window::CallMethod(Symbol name) {
    if (name.IsNull())
        return false;
    Method m = FindMethod(name);
    if (!m)
        return false;
    m();
    return true;
}

// ---------------------------------------------------------------- showing

void Window::Show(int showState) {
    if (!hwnd_)
        return;
    ShowWindow(hwnd_, showState);
    if (!IsChild(hwnd_))
        UpdateWindow(hwnd_);
}

void Window::Hide() {
    if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
}

void Window::Update() {
    if (hwnd_)
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool Window::IsVisible() const {
    return hwnd_ && IsWindowVisible(hwnd_);
}

void Window::Enable() {
    if (hwnd_)
        EnableWindow(hwnd_, TRUE);
}

void Window::Disable() {
    if (hwnd_)
        EnableWindow(hwnd_, FALSE);
}

bool Window::IsEnabled() const {
    return hwnd_ && IsWindowEnabled(hwnd_);
}

void Window::SetFocus() {
    if (hwnd_)
        ::SetFocus(hwnd_);
}

// ---------------------------------------------------------------- properties

std::string Window::Caption() const {
    if (!hwnd_)
        return {};
    const int len = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(hwnd_, text.data(), len + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return WideToUtf8(text);
}

void Window::Caption(const std::string& text) {
    if (hwnd_)
        SetWindowTextW(hwnd_, Utf8ToWide(text).c_str());
}

PixelRect Window::ContainerRect() const {
    PixelRect r;
    if (!hwnd_)
        return r;
    RECT wr{};
    GetWindowRect(hwnd_, &wr);
    Container c;
    if (IsChild(hwnd_))
        c = ClientContainer(GetParent(hwnd_));
    else if (owner_ && owner_->CanvasHandle())
        c = ClientContainer(owner_->CanvasHandle());
    else
        c = ScreenContainer();
    r.left = wr.left - c.screenOrigin.x;
    r.top = wr.top - c.screenOrigin.y;
    r.right = wr.right - c.screenOrigin.x;
    r.bottom = wr.bottom - c.screenOrigin.y;
    return r;
}

void Window::PlaceInContainer(const PixelRect& r, UINT extraFlags) {
    if (!hwnd_)
        return;
    POINT p{r.left, r.top};
    if (IsChild(hwnd_)) {
        // The parent's client coordinates are already the container's.
    } else if (owner_ && owner_->CanvasHandle()) {
        ClientToScreen(owner_->CanvasHandle(), &p);
    }
    SetWindowPos(hwnd_, nullptr, p.x, p.y, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | extraFlags);
}

namespace {
int ContainerHeightOf(HWND hwnd, Window* owner) {
    if (IsChild(hwnd))
        return ClientContainer(GetParent(hwnd)).height;
    if (owner && owner->CanvasHandle())
        return ClientContainer(owner->CanvasHandle()).height;
    return ScreenContainer().height;
}
}  // namespace

Dimension Window::Size() const {
    const PixelRect r = ContainerRect();
    return Dimension(r.Width(), r.Height());
}

void Window::Size(Dimension size) {
    if (!hwnd_)
        return;
    // The top-left corner stays where it is, as Windows keeps it.
    SetWindowPos(hwnd_, nullptr, 0, 0, size.width, size.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point Window::Origin() const {
    if (!hwnd_)
        return {};
    const CoordinateSpace space(ContainerHeightOf(hwnd_, owner_));
    return space.ToLibrary(ContainerRect()).origin;
}

void Window::Origin(Point origin) {
    if (!hwnd_)
        return;
    const CoordinateSpace space(ContainerHeightOf(hwnd_, owner_));
    const PixelRect now = ContainerRect();
    const PixelRect target =
        space.ToWindows(BoundingBox(origin, Dimension(now.Width(), now.Height())));
    PlaceInContainer(target, SWP_NOSIZE);
}

Dimension Window::CanvasSize() const {
    RECT rc{};
    if (HWND c = CanvasHandle())
        GetClientRect(c, &rc);
    return Dimension(rc.right, rc.bottom);
}

void Window::RepaintBoundingBox(const BoundingBox& box) {
    HWND canvas = CanvasHandle();
    if (!canvas)
        return;
    RECT rc{};
    GetClientRect(canvas, &rc);
    const PixelRect r = CoordinateSpace(rc.bottom).ToWindows(box);
    RECT area{r.left, r.top, r.right, r.bottom};
    InvalidateRect(canvas, &area, TRUE);
}

void Window::Menu(std::shared_ptr<kp::Menu> menu) {
    menu_ = std::move(menu);
    if (hwnd_ && !IsChild(hwnd_)) {
        SetMenu(hwnd_, menu_ ? menu_->Handle() : nullptr);
        DrawMenuBar(hwnd_);
    }
}

void Window::Icon(std::shared_ptr<kp::Icon> icon) {
    icon_ = std::move(icon);
    if (hwnd_)
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(icon_ ? icon_->Handle() : nullptr));
}

void Window::IconSm(std::shared_ptr<kp::Icon> icon) {
    iconSm_ = std::move(icon);
    if (hwnd_)
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(iconSm_ ? iconSm_->Handle() : nullptr));
}

void Window::Pointer(std::shared_ptr<kp::Pointer> pointer) {
    pointer_ = std::move(pointer);
}

void Window::StatusBar(kp::StatusBar* bar) {
    statusBar_ = bar;
}

void Window::ToolBar(std::shared_ptr<kp::Toolbar> bar) {
    std::shared_ptr<kp::Toolbar> old = std::exchange(toolBar_, std::move(bar));
    if (old && old != toolBar_ && old->Handle())
        old->Hide();
    ToolBarChanged();
}

void Window::ChangeFrameStyle(LONG_PTR addStyle, LONG_PTR removeStyle) {
    if (!hwnd_)
        return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    style = (style & ~removeStyle) | addStyle;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    RECT outer = client;
    AdjustWindowRectEx(&outer, static_cast<DWORD>(style), !IsChild(hwnd_) && GetMenu(hwnd_), ex);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Window::EnableBorder(int borderStyle) {
    switch (borderStyle) {
        case WINDOWSIZINGBORDER:
            ChangeFrameStyle(WS_THICKFRAME | WS_CAPTION, 0);
            break;
        case WINDOWNONSIZINGBORDER:
            ChangeFrameStyle(WS_CAPTION, WS_THICKFRAME);
            break;
        case WINDOWNOBORDER:
            ChangeFrameStyle(0, WS_THICKFRAME | WS_CAPTION | WS_BORDER);
            break;
        default:
            break;
    }
}

void Window::EnableMaxBox(bool on) {
    ChangeFrameStyle(on ? WS_MAXIMIZEBOX : 0, on ? 0 : WS_MAXIMIZEBOX);
}

void Window::EnableMinBox(bool on) {
    ChangeFrameStyle(on ? WS_MINIMIZEBOX : 0, on ? 0 : WS_MINIMIZEBOX);
}

void Window::RemoveControl(kp::Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (focusControl_ == c)
        focusControl_ = nullptr;
}

// ---------------------------------------------------------------- typed events

bool MouseEvent::IsLeftButton() const {
    const UINT m = Message();
    return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_LBUTTONDBLCLK;
}

bool MouseEvent::IsRightButton() const {
    const UINT m = Message();
    return m == WM_RBUTTONDOWN || m == WM_RBUTTONUP || m == WM_RBUTTONDBLCLK;
}

bool MouseEvent::IsMiddleButton() const {
    const UINT m = Message();
    return m == WM_MBUTTONDOWN || m == WM_MBUTTONUP || m == WM_MBUTTONDBLCLK;
}

Point MouseEvent::Position() const {
    RECT rc{};
    GetClientRect(Handle(), &rc);
    const int x = static_cast<short>(LOWORD(lParam()));
    const int y = static_cast<short>(HIWORD(lParam()));
    return CoordinateSpace(rc.bottom).PointToLibrary(x, y);
}

kp::Control* ControlEvent::Control() const {
    return dynamic_cast<kp::Control*>(GetObjectByHandle(ControlHandle()));
}

Symbol ControlEvent::NameSym() const {
    const kp::Control* c = Control();
    return c ? c->NameSym() : Symbol();
}

kp::HyperLabel EditFocusChangeEvent::HyperLabel() const {
    const kp::Control* c = Control();
    return c ? c->HyperLabel() : kp::HyperLabel();
}

kp::Control* ControlNotifyEvent::Control() const {
    const NMHDR* h = Header();
    return h ? dynamic_cast<kp::Control*>(GetObjectByHandle(h->hwndFrom)) : nullptr;
}

std::string HelpRequestEvent::HelpContext() const {
    const HELPINFO* info = Info();
    if (!info || info->iContextType != HELPINFO_WINDOW)
        return {};
    const Window* w = GetObjectByHandle(static_cast<HWND>(info->hItemHandle));
    return w ? w->HyperLabel().HelpContext() : std::string();
}

}  // namespace kp

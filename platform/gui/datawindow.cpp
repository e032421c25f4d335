#include "platform/gui/datawindow.h"

#include <algorithm>

#include "platform/gui/controls.h"
#include "platform/gui/databrowser.h"
#include "platform/gui/dlgtemplate.h"
#include "platform/gui/internal.h"
#include "platform/gui/shellwindow.h"
#include "platform/runtime/error.h"

namespace kp {

namespace {

// A field the user can type into now: a visible, enabled edit that is not
// read-only.
bool TakesInput(HWND h) {
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    const bool edit = _wcsicmp(cls, L"Edit") == 0 || _wcsnicmp(cls, L"RichEdit", 8) == 0;
    return edit && IsWindowVisible(h) && IsWindowEnabled(h) &&
           !(GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY);
}

BOOL CALLBACK FindInputField(HWND h, LPARAM found) {
    if (!TakesInput(h))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

// Where the keyboard goes in a form that has had no focus yet: its first
// field that takes input, in the order of the form (its pages included);
// else its first tab stop.
HWND FirstInputField(HWND surface) {
    HWND field = nullptr;
    EnumChildWindows(surface, &FindInputField, reinterpret_cast<LPARAM>(&field));
    return field ? field : GetNextDlgTabItem(surface, nullptr, FALSE);
}

// Messages of the surface that belong to the form: its controls'
// notifications, its painting and its mouse. (Help requests and context
// menus travel up to the frame by themselves.)
bool BelongsToForm(UINT msg) {
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_PAINT:
        case WM_KEYDOWN:
        case WM_KEYUP:
            return true;
        default:
            return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST;
    }
}

// Styles a form's dialog resource may carry that a surface must not have.
constexpr DWORD kNotOnSurface = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME |
                                WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_DISABLED | DS_CENTER |
                                DS_CENTERMOUSE | DS_ABSALIGN | DS_SYSMODAL;

// An empty child dialog, for forms without a resource.
std::vector<uint8_t> EmptyTemplate() {
    std::vector<uint8_t> b(24, 0);
    const DWORD style = WS_CHILD | DS_CONTROL;
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<uint8_t>(style >> (8 * i));
    return b;
}

HWND TopLevelOf(HWND h) {
    return h ? GetAncestor(h, GA_ROOT) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- surface

FormSurface::FormSurface(DataWindow* form) : Window(form), form_(form) {
    dialogNavigation_ = true;
}

FormSurface::~FormSurface() {
    DestroyHandle();
}

Symbol FormSurface::ClassName() const {
    return Symbol("FORMSURFACE");
}

LRESULT FormSurface::Dispatch(Event& e) {
    if (!form_ || form_->dying_ || !BelongsToForm(e.Message()))
        return Window::Dispatch(e);
    // The form answers; its answer becomes the surface's.
    const LRESULT saved = form_->eventReturnValue_;
    form_->eventReturnValue_ = 0;
    const LRESULT handled = form_->Dispatch(e);
    EventReturnValue(form_->eventReturnValue_);
    form_->eventReturnValue_ = saved;
    return handled;
}

// ---------------------------------------------------------------- form

DataWindow::DataWindow(Window* owner, const ResourceID& form, bool subForm)
    : Window(owner), subForm_(subForm) {
    Create(&form);
}

DataWindow::DataWindow(Window* owner, bool subForm) : Window(owner), subForm_(subForm) {
    Create(nullptr);
}

DataWindow::~DataWindow() {
    browser_.reset();  // it reads the server
    if (auto* parent = dynamic_cast<DataWindow*>(Owner()); parent && subForm_) {
        auto& list = parent->subForms_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    if (surface_)
        surface_->dying_ = true;
    DestroyHandle();
    surface_.reset();
    if (server_)
        server_->UnRegisterClient(this);
}

Symbol DataWindow::ClassName() const {
    return Symbol("DATAWINDOW");
}

void DataWindow::Create(const ResourceID* form) {
    Window* owner = Owner();
    surface_ = std::make_unique<FormSurface>(this);

    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    HWND parent = owner ? TopLevelOf(owner->Handle()) : nullptr;
    DefaultKind kind = DefaultKind::Window;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    auto* shell = dynamic_cast<ShellWindow*>(owner);
    if (subForm_ && owner && owner->CanvasHandle()) {
        style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        parent = owner->CanvasHandle();
        x = y = 0;
    } else if (shell && shell->MdiClient()) {
        subForm_ = false;
        style |= WS_CHILD | WS_CLIPSIBLINGS;
        exStyle |= WS_EX_MDICHILD;
        parent = shell->MdiClient();
        kind = DefaultKind::MdiChild;
    } else {
        subForm_ = false;
    }
    if (!CreateBound(exStyle, L"KpFrame", L"", style, x, y, 100, 100, parent, nullptr, kind)) {
        RaiseGuiError(EG_CREATE, "DataWindow",
                      "Das Rahmenfenster der Maske kann nicht angelegt werden.");
        return;
    }

    std::vector<uint8_t> bytes = form ? LoadDialogTemplate(*form) : EmptyTemplate();
    DialogTemplateInfo info;
    if (bytes.empty() || !ReadDialogTemplate(bytes, info)) {
        RaiseGuiError(EG_OPEN, "DataWindow",
                      "Die Maske " + (form ? form->Name() : std::string()) +
                          " ist im Programm nicht vorhanden.",
                      form ? form->Name() : std::string());
        bytes = EmptyTemplate();
        ReadDialogTemplate(bytes, info);
    }
    SetTemplateStyle(
        bytes, info,
        (info.style & ~kNotOnSurface) | WS_CHILD | WS_VISIBLE | DS_CONTROL | WS_CLIPSIBLINGS);
    const HINSTANCE module = form ? form->Module() : GetModuleHandleW(nullptr);
    CreateDialogIndirectParamW(module, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), Handle(),
                               &Window::DialogProc, reinterpret_cast<LPARAM>(surface_.get()));
    if (!surface_->Handle()) {
        RaiseGuiError(
            EG_CREATE, "DataWindow",
            "Die Maske " + (form ? form->Name() : std::string()) + " kann nicht angelegt werden.");
        return;
    }
    if (!info.caption.empty() && !subForm_)
        SetWindowTextW(Handle(), info.caption.c_str());
    FitFrameToSurface(SurfaceSize());
    if (subForm_) {
        if (auto* parentForm = dynamic_cast<DataWindow*>(owner))
            parentForm->subForms_.push_back(this);
    }
}

HWND DataWindow::CanvasHandle() const {
    return surface_ ? surface_->Handle() : nullptr;
}

Dimension DataWindow::SurfaceSize() const {
    RECT sr{};
    if (HWND surface = CanvasHandle())
        GetWindowRect(surface, &sr);
    return Dimension(sr.right - sr.left, sr.bottom - sr.top);
}

void DataWindow::FitFrameToSurface(Dimension surface) {
    HWND frame = Handle();
    if (!frame || !CanvasHandle())
        return;
    RECT r{0, 0, surface.width, surface.height};
    if (StatusBar() && StatusBar()->Handle())
        r.bottom += StatusBar()->Height();
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_STYLE));
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(frame, GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, !(style & WS_CHILD) && GetMenu(frame), ex);
    SetWindowPos(frame, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutFrame();
}

void DataWindow::LayoutFrame() {
    HWND frame = Handle();
    HWND surface = CanvasHandle();
    if (!frame || !surface)
        return;
    RECT rc{};
    GetClientRect(frame, &rc);
    int height = rc.bottom;
    if (kp::StatusBar* bar = StatusBar(); bar && bar->Handle()) {
        SendMessageW(bar->Handle(), WM_SIZE, 0, 0);  // the bar places itself at the foot
        height -= bar->Height();
    }
    SetWindowPos(surface, nullptr, 0, 0, rc.right, std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (browser_ && browser_->Handle())
        SetWindowPos(browser_->Handle(), nullptr, 0, 0, rc.right, std::max(height, 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void DataWindow::ViewAs(Symbol view) {
    if (!Handle())
        return;
    const bool browse = view == Symbol("BROWSEVIEW");
    if (!browse && view != Symbol("FORMVIEW"))
        return;
    if (browse && !browser_) {
        browser_ = std::make_unique<DataBrowser>(this);
        LayoutFrame();
    }
    browseView_ = browse;
    HWND surface = CanvasHandle();
    HWND grid = browser_ ? browser_->Handle() : nullptr;
    if (browse) {
        // The grid stands on the server's record.
        if (auto* db = dynamic_cast<DBServer*>(server_.get()); db && !db->EoF())
            browser_->GoToRecord(db->RecNo());
        if (grid)
            ShowWindow(grid, SW_SHOW);
        if (surface)
            ShowWindow(surface, SW_HIDE);
        if (grid && GetActiveWindow() == TopLevelOf(Handle()))
            ::SetFocus(grid);
    } else {
        if (browser_)
            browser_->EndEdit(true);
        if (surface)
            ShowWindow(surface, SW_SHOW);
        if (grid)
            ShowWindow(grid, SW_HIDE);
    }
}

void DataWindow::RefreshBrowseView() {
    if (browser_)
        browser_->Refresh();
}

Symbol DataWindow::CurrentView() const {
    return Symbol(browseView_ ? "BROWSEVIEW" : "FORMVIEW");
}

void DataWindow::Show(int showState) {
    if (!Handle())
        return;
    if (subForm_) {
        ShowWindow(Handle(), SW_SHOW);
        return;
    }
    Window::Show(showState);
}

void DataWindow::FocusFirstField() {
    HWND surface = CanvasHandle();
    if (browseView_ || !surface)
        return;
    if (HWND field = FirstInputField(surface); field && TakesInput(field)) {
        focusControl_ = nullptr;
        ::SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
}

// A menu bar or status bar adds to the frame; the form keeps its size.
void DataWindow::Menu(std::shared_ptr<kp::Menu> menu) {
    const Dimension form = SurfaceSize();
    Window::Menu(std::move(menu));
    if (!subForm_)
        FitFrameToSurface(form);
}

void DataWindow::StatusBar(kp::StatusBar* bar) {
    const Dimension form = SurfaceSize();
    Window::StatusBar(bar);
    FitFrameToSurface(form);
}

kp::Control* DataWindow::CurrentControl() const {
    for (HWND f = GetFocus(); f; f = GetParent(f)) {
        if (auto* c = dynamic_cast<kp::Control*>(GetObjectByHandle(f))) {
            if (c->Owner() == this)
                return c;
        }
        if (f == CanvasHandle())
            break;
    }
    return focusControl_;
}

void DataWindow::Server(std::shared_ptr<DataServer> server) {
    if (server_ == server)
        return;
    if (server_)
        server_->UnRegisterClient(this);
    server_ = std::move(server);
    if (server_)
        server_->RegisterClient(this);
}

void DataWindow::Notify(int code, const Usual&) {
    switch (code) {
        case NOTIFYFIELDCHANGE:
        case NOTIFYRECORDCHANGE:
        case NOTIFYFILECHANGE:
        case NOTIFYAPPEND:
        case NOTIFYDELETE:
            for (kp::Control* c : Controls())
                c->__Scatter();
            break;
        default:
            break;
    }
    if (!browser_)
        return;
    switch (code) {
        case NOTIFYFIELDCHANGE:
            browser_->Redraw();
            break;
        case NOTIFYRECORDCHANGE:
            // The grid shows where the server stands.
            if (auto* db = dynamic_cast<DBServer*>(server_.get()); browseView_ && db && !db->EoF())
                browser_->GoToRecord(db->RecNo());
            break;
        case NOTIFYFILECHANGE:
        case NOTIFYAPPEND:
        case NOTIFYDELETE:
            browser_->Refresh();
            break;
        case NOTIFYCLOSE:
            browser_->Clear();
            break;
        default:
            break;
    }
}

LRESULT DataWindow::Dispatch(Event& e) {
    const bool fromSurface = surface_ && e.Handle() == surface_->Handle();
    if (e.Message() == WM_NOTIFY && browser_ && !fromSurface) {
        // The browse view's list asks its parent, the frame, for its cells.
        const auto* header = reinterpret_cast<const NMHDR*>(e.lParam());
        LRESULT result = 0;
        if (header && header->hwndFrom == browser_->Handle() &&
            browser_->OnNotify(header, &result)) {
            EventReturnValue(result);
            return 1;
        }
    }
    if (fromSurface) {
        // Return and Escape on a form without such buttons mean nothing.
        if (e.Message() == WM_COMMAND && e.lParam() == 0 &&
            (LOWORD(e.wParam()) == IDOK || LOWORD(e.wParam()) == IDCANCEL)) {
            Default(e);
            return 1;
        }
    } else if (e.Message() == WM_PAINT || e.Message() == WM_KEYDOWN || e.Message() == WM_KEYUP ||
               (e.Message() >= WM_MOUSEFIRST && e.Message() <= WM_MOUSELAST)) {
        // The surface covers the frame: these are the surface's to handle.
        Default(e);
        return 1;
    }
    return Window::Dispatch(e);
}

void DataWindow::AfterDispatch(Event& e) {
    Window::AfterDispatch(e);
    if (e.Handle() != Handle())
        return;
    switch (e.Message()) {
        case WM_SIZE:
            LayoutFrame();
            break;
        case WM_SETFOCUS:
            PassFocusToForm();
            break;
        default:
            break;
    }
}

void DataWindow::PassFocusToForm() {
    if (browseView_ && browser_ && browser_->Handle()) {
        ::SetFocus(browser_->Handle());
        return;
    }
    HWND surface = CanvasHandle();
    if (!surface)
        return;
    HWND target = focusControl_ ? focusControl_->Handle() : nullptr;
    // A field of a page (sub-form) had it last.
    for (const DataWindow* sub : subForms_)
        if (!target && sub->focusControl_ && IsWindowVisible(sub->focusControl_->Handle()))
            target = sub->focusControl_->Handle();
    if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target))
        target = FirstInputField(surface);
    if (target)
        SendMessageW(surface, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    else
        ::SetFocus(surface);
}

void DataWindow::Detached() {
    // The window is gone: what it showed is let go.
    browser_.reset();
    if (server_) {
        server_->UnRegisterClient(this);
        server_.reset();
    }
}

}  // namespace kp

#include "platform/gui/shellwindow.h"

#include <algorithm>

#include "platform/gui/controls.h"
#include "platform/gui/internal.h"
#include "platform/gui/toolbar.h"
#include "platform/runtime/error.h"

namespace kp {

namespace {
constexpr UINT kFirstChildId = 0xFF00;  // ids of the window menu's child entries
constexpr int kClientId = 0xCAC;
}  // namespace

// ---------------------------------------------------------------- shell

ShellWindow::ShellWindow(Window* owner) : Window(owner) {
    HWND parent = owner && owner->Handle() ? GetAncestor(owner->Handle(), GA_ROOT) : nullptr;
    if (!CreateBound(0, L"KpFrame", L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                     CW_USEDEFAULT, 640, 480, parent, nullptr, DefaultKind::MdiFrame)) {
        RaiseGuiError(EG_CREATE, "ShellWindow", "Das Hauptfenster kann nicht angelegt werden.");
        return;
    }
    CLIENTCREATESTRUCT ccs{nullptr, kFirstChildId};
    client_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                              WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0,
                              0, 0, 0, Handle(), reinterpret_cast<HMENU>(kClientId),
                              GetModuleHandleW(nullptr), &ccs);
    SetMdiClient(client_);
    LayoutClient();
}

ShellWindow::~ShellWindow() {
    DestroyHandle();
}

Symbol ShellWindow::ClassName() const {
    return Symbol("SHELLWINDOW");
}

void ShellWindow::Menu(std::shared_ptr<kp::Menu> menu) {
    Window::Menu(std::move(menu));
}

void ShellWindow::StatusBar(kp::StatusBar* bar) {
    Window::StatusBar(bar);
    LayoutClient();
}

void ShellWindow::ToolBar(std::shared_ptr<kp::Toolbar> bar) {
    Window::ToolBar(std::move(bar));
    LayoutClient();
}

void ShellWindow::ToolBarChanged() {
    if (!dying_)  // a window being taken apart lays nothing out
        LayoutClient();
}

Window* ShellWindow::ActiveChild() const {
    if (!client_)
        return nullptr;
    return GetObjectByHandle(reinterpret_cast<HWND>(SendMessageW(client_, WM_MDIGETACTIVE, 0, 0)));
}

void ShellWindow::ChildActivated(Window* child) {
    kp::StatusBar* bar = Window::StatusBar();
    if (!bar || !bar->Handle())
        return;
    // The description of the field that has the keyboard in the child, if
    // it has it already; none of the child before.
    std::string text;
    for (HWND f = child ? GetFocus() : nullptr; f && f != child->Handle(); f = GetParent(f)) {
        if (auto* c = dynamic_cast<kp::Control*>(GetObjectByHandle(f))) {
            text = c->HyperLabel().Description();
            break;
        }
    }
    bar->ControlText(text);
}

void ShellWindow::Tile() {
    if (client_)
        SendMessageW(client_, WM_MDITILE, MDITILE_VERTICAL, 0);
}
void ShellWindow::Cascade() {
    if (client_)
        SendMessageW(client_, WM_MDICASCADE, 0, 0);
}
void ShellWindow::ArrangeIcons() {
    if (client_)
        SendMessageW(client_, WM_MDIICONARRANGE, 0, 0);
}

void ShellWindow::LayoutClient() {
    if (!Handle() || !client_)
        return;
    RECT rc{};
    GetClientRect(Handle(), &rc);
    int height = rc.bottom;
    if (kp::StatusBar* bar = Window::StatusBar(); bar && bar->Handle()) {
        SendMessageW(bar->Handle(), WM_SIZE, 0, 0);
        height -= bar->Height();
    }
    int top = 0;
    if (const auto& tools = Window::ToolBar(); tools && tools->Handle()) {
        tools->AutoSize();
        top = tools->Height();  // 0 while hidden
    }
    MoveWindow(client_, 0, top, rc.right, std::max(height - top, 0), TRUE);
}

LRESULT ShellWindow::Dispatch(Event& e) {
    // A menu command while a child shows its own menu is the child's when
    // its menu holds the item; the shell's own keys (Alt+F4, F3 ...) stay
    // the shell's.
    if (e.Message() == WM_COMMAND && e.lParam() == 0 && HIWORD(e.wParam()) <= 1 &&
        LOWORD(e.wParam()) < kFirstChildId) {
        Window* child = ActiveChild();
        const UINT id = LOWORD(e.wParam());
        if (child && child->Menu() &&
            (!child->Menu()->Handle() ||
             GetMenuState(child->Menu()->Handle(), id, MF_BYCOMMAND) != static_cast<UINT>(-1))) {
            SendMessageW(child->Handle(), WM_COMMAND, e.wParam(), 0);
            return 1;
        }
    }
    // So is a toolbar button whose item the child's menu holds; the others
    // are the shell's own.
    if (e.Message() == WM_COMMAND && e.lParam() != 0 && HIWORD(e.wParam()) == BN_CLICKED &&
        dynamic_cast<kp::Toolbar*>(GetObjectByHandle(reinterpret_cast<HWND>(e.lParam())))) {
        Window* child = ActiveChild();
        const UINT id = LOWORD(e.wParam());
        if (child && child->Menu() && child->Menu()->Handle() &&
            GetMenuState(child->Menu()->Handle(), id, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            SendMessageW(child->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
            return 1;
        }
    }
    return Window::Dispatch(e);
}

void ShellWindow::AfterDispatch(Event& e) {
    Window::AfterDispatch(e);
    if (e.Handle() == Handle() && e.Message() == WM_SIZE)
        LayoutClient();
}

// ---------------------------------------------------------------- children

ChildAppWindow::ChildAppWindow(Window* owner, bool managed) : Window(owner) {
    auto* shell = dynamic_cast<ShellWindow*>(owner);
    managed_ = managed && shell && shell->MdiClient();
    HWND made = nullptr;
    if (managed_) {
        made = CreateBound(WS_EX_MDICHILD, L"KpFrame", L"",
                           WS_CHILD | WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           shell->MdiClient(), nullptr, DefaultKind::MdiChild);
    } else {
        HWND parent = owner && owner->Handle() ? GetAncestor(owner->Handle(), GA_ROOT) : nullptr;
        made = CreateBound(0, L"KpFrame", L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, 480, 360, parent, nullptr);
    }
    if (!made)
        RaiseGuiError(EG_CREATE, "ChildAppWindow", "Das Fenster kann nicht angelegt werden.");
}

void ChildAppWindow::ToolBar(std::shared_ptr<kp::Toolbar> bar) {
    Window::ToolBar(std::move(bar));
    if (const auto& tools = Window::ToolBar(); tools && tools->Handle())
        tools->AutoSize();
}

ChildAppWindow::~ChildAppWindow() {
    if (managed_ && Handle())
        ShowMenuInShell(false);
    DestroyHandle();
}

void ChildAppWindow::Destroy() {
    if (managed_ && Handle()) {
        if (HWND client = GetParent(Handle())) {
            SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Handle()), 0);
            return;
        }
    }
    Window::Destroy();
}

Symbol ChildAppWindow::ClassName() const {
    return Symbol("CHILDAPPWINDOW");
}

void ChildAppWindow::Menu(std::shared_ptr<kp::Menu> menu) {
    Window::Menu(std::move(menu));
    if (managed_ && Handle()) {
        auto* shell = dynamic_cast<ShellWindow*>(Owner());
        if (shell && shell->ActiveChild() == this)
            ShowMenuInShell(true);
    }
}

void ChildAppWindow::ShowMenuInShell(bool active) {
    auto* shell = dynamic_cast<ShellWindow*>(Owner());
    if (!shell || !shell->MdiClient() || !shell->Handle())
        return;
    HMENU m = nullptr;
    if (active && Window::Menu())
        m = Window::Menu()->Handle();
    else if (shell->Menu())
        m = shell->Menu()->Handle();
    SendMessageW(shell->MdiClient(), WM_MDISETMENU, reinterpret_cast<WPARAM>(m), 0);
    DrawMenuBar(shell->Handle());
}

void ChildAppWindow::AfterDispatch(Event& e) {
    Window::AfterDispatch(e);
    if (e.Handle() == Handle() && e.Message() == WM_SIZE) {
        // The toolbar stays at the top, as wide as the window.
        if (const auto& tools = Window::ToolBar(); tools && tools->Handle())
            tools->AutoSize();
    }
    if (!managed_ || e.Handle() != Handle())
        return;
    if (e.Message() == WM_MDIACTIVATE) {
        if (reinterpret_cast<HWND>(e.lParam()) == Handle())
            ShowMenuInShell(true);
        else if (reinterpret_cast<HWND>(e.wParam()) == Handle())
            ShowMenuInShell(false);  // the next child shows its own, if it has one
    } else if (e.Message() == WM_DESTROY) {
        ShowMenuInShell(false);
    }
}

}  // namespace kp

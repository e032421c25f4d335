#include "platform/gui/app.h"

#include <commctrl.h>

#include "platform/gui/controls.h"
#include "platform/gui/window.h"

namespace kp {

void InitGuiLibrary() {
    static bool done = false;  // classes are registered once per process
    if (done)
        return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::ClassProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KpFrame";
    RegisterClassExW(&wc);

    CustomControl::RegisterWindowClass(CustomControl::kDefaultClassName);
}

App::App() {
    InitGuiLibrary();
}

void App::Quit() {
    PostQuitMessage(0);
}

bool PreTranslateMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd)
        return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (Window* target = GetObjectByHandle(msg.hwnd); target && target->ClaimsKey(msg))
        return false;
    // Accelerators: the active MDI child's menu first, then the top window's.
    if (Window* top = GetObjectByHandle(root)) {
        if (top->mdiClient_) {
            HWND active =
                reinterpret_cast<HWND>(SendMessageW(top->mdiClient_, WM_MDIGETACTIVE, 0, 0));
            Window* child = GetObjectByHandle(active);
            if (child && child->menu_ && child->menu_->Accelerator() &&
                TranslateAcceleratorW(active, child->menu_->Accelerator()->Handle(), &msg))
                return true;
        }
        if (top->menu_ && top->menu_->Accelerator() &&
            TranslateAcceleratorW(root, top->menu_->Accelerator()->Handle(), &msg))
            return true;
        if (top->mdiClient_ && TranslateMDISysAccel(top->mdiClient_, &msg))
            return true;
    }
    // Dialog navigation in the outermost form surface or dialog around the
    // window the key is meant for.
    HWND navigator = nullptr;
    for (HWND h = msg.hwnd; h; h = GetParent(h)) {
        Window* w = GetObjectByHandle(h);
        if (w && w->dialogNavigation_)
            navigator = h;
        if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
    }
    // A modeless dialog of the system (the find dialog) has no object of
    // ours: it navigates with its own keys all the same.
    if (!navigator && !GetObjectByHandle(root)) {
        wchar_t cls[8] = {};
        if (GetClassNameW(root, cls, 8) && lstrcmpW(cls, L"#32770") == 0)
            navigator = root;
    }
    return navigator && IsDialogMessageW(navigator, &msg);
}

namespace {

void Deliver(MSG& msg) {
    if (PreTranslateMessage(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

void ApplicationExec(int mode) {
    MSG msg;
    if (mode == EXECWHILEEVENT) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
                return;
            }
            Deliver(msg);
        }
        return;
    }
    while (TopWindowCount() > 0) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            return;
        Deliver(msg);
    }
}

}  // namespace kp

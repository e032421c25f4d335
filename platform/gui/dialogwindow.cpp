#include "platform/gui/dialogwindow.h"

#include <algorithm>

#include "platform/gui/app.h"
#include "platform/gui/controls.h"
#include "platform/gui/dlgtemplate.h"
#include "platform/gui/internal.h"
#include "platform/runtime/error.h"

namespace kp {

DialogWindow::DialogWindow(Window* owner, const ResourceID& dialog, bool modal)
    : Window(owner), modal_(modal) {
    dialogNavigation_ = true;
    std::vector<uint8_t> bytes = LoadDialogTemplate(dialog);
    DialogTemplateInfo info;
    if (bytes.empty() || !ReadDialogTemplate(bytes, info)) {
        RaiseGuiError(EG_OPEN, "DialogWindow",
                      "Der Dialog " + dialog.Name() + " ist im Programm nicht vorhanden.",
                      dialog.Name());
        return;
    }
    // A dialog is a pop-up and starts hidden: Show decides how it appears.
    SetTemplateStyle(bytes, info, (info.style & ~(WS_VISIBLE | WS_CHILD | DS_CONTROL)) | WS_POPUP);
    HWND parent = owner && owner->Handle() ? GetAncestor(owner->Handle(), GA_ROOT) : nullptr;
    CreateDialogIndirectParamW(dialog.Module(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                               parent, &Window::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!Handle()) {
        RaiseGuiError(EG_CREATE, "DialogWindow",
                      "Der Dialog " + dialog.Name() + " kann nicht angelegt werden.",
                      dialog.Name());
        return;
    }
    // Without a position of its own a dialog would open in the screen's
    // corner, far from the window it belongs to.
    if (info.x == 0 && info.y == 0 && !(info.style & DS_CENTER)) {
        RECT self{}, area{}, work{};
        GetWindowRect(Handle(), &self);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        if (!parent || !GetWindowRect(parent, &area))
            area = work;
        const POINT at = CentredDialogPosition(self, area, work);
        SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

POINT CentredDialogPosition(const RECT& dialog, const RECT& owner, const RECT& workArea) {
    const LONG w = dialog.right - dialog.left, h = dialog.bottom - dialog.top;
    LONG x = owner.left + (owner.right - owner.left - w) / 2;
    LONG y = owner.top + (owner.bottom - owner.top - h) / 2;
    x = std::clamp(x, workArea.left, std::max(workArea.left, workArea.right - w));
    y = std::clamp(y, workArea.top, std::max(workArea.top, workArea.bottom - h));
    return POINT{x, y};
}

DialogWindow::~DialogWindow() {
    DestroyHandle();
}

Symbol DialogWindow::ClassName() const {
    return Symbol("DIALOGWINDOW");
}

namespace {

void FocusFirstControl(HWND dialog) {
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (first)
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    else
        SetFocus(dialog);
}

}  // namespace

void DialogWindow::Show(int showState) {
    HWND h = Handle();
    if (!h)
        return;
    if (!modal_) {
        Window::Show(showState);
        FocusFirstControl(h);
        return;
    }
    if (running_)
        return;
    // Modal: the owner is disabled until the dialog ends.
    HWND ownerTop = GetWindow(h, GW_OWNER);
    const bool disableOwner = ownerTop && IsWindowEnabled(ownerTop);
    if (disableOwner)
        EnableWindow(ownerTop, FALSE);
    ended_ = false;
    running_ = true;
    ShowWindow(h, showState);
    UpdateWindow(h);
    FocusFirstControl(h);
    MSG msg;
    while (!ended_ && Handle()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // A quit request ends the dialog; the outer loop must see it too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    running_ = false;
    // The owner comes back before the dialog goes, so that it is activated.
    if (disableOwner)
        EnableWindow(ownerTop, TRUE);
    if (Handle())
        DestroyWindow(Handle());
}

void DialogWindow::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    // A running modal dialog is taken down by its loop.
    if (Handle() && !running_)
        DestroyWindow(Handle());
}

void DialogWindow::Close(Event&) {
    EndDialog(0);
}

LRESULT DialogWindow::Dispatch(Event& e) {
    // Escape (or a cancel button without a method of its own) closes the
    // dialog as the close box does.
    if (e.Message() == WM_COMMAND && LOWORD(e.wParam()) == IDCANCEL &&
        HIWORD(e.wParam()) == BN_CLICKED) {
        auto* b = dynamic_cast<PushButton*>(GetObjectByHandle(reinterpret_cast<HWND>(e.lParam())));
        if (!b || b->NameSym().IsNull() || !HasMethod(b->NameSym())) {
            if (QueryClose(e))
                Close(e);
            return 1;
        }
    }
    return Window::Dispatch(e);
}

void DialogWindow::Detached() {
    if (running_)
        ended_ = true;
}

}  // namespace kp

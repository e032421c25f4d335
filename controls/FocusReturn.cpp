#include "controls/FocusReturn.h"

#include "platform/gui/window.h"

namespace kp {

HWND FocusReturn::FormOf(HWND hwnd) {
    HWND form = hwnd;
    while (form) {
        if (!(GetWindowLongPtrW(form, GWL_STYLE) & WS_CHILD))
            return form;
        HWND parent = GetParent(form);
        if (!parent)
            return form;
        wchar_t cls[16] = {};
        GetClassNameW(parent, cls, 15);
        if (lstrcmpiW(cls, L"MDIClient") == 0)
            return form;  // an MDI child is a form of its own
        form = parent;
    }
    return nullptr;
}

bool FocusReturn::WithinForm(HWND field, HWND other) {
    if (!field || !other)
        return false;
    HWND form = FormOf(field);
    return form && (other == form || IsChild(form, other));
}

bool FocusReturn::IsReturning(HWND hwnd) {
    auto* f = dynamic_cast<FocusReturning*>(GetObjectByHandle(hwnd));
    return f && f->FocusReturner().Returning();
}

void FocusReturn::Request(HWND field, HWND newFocus) {
    if (pending_ || returning_ || IsReturning(newFocus) || !WithinForm(field, newFocus))
        return;
    pending_ = PostMessageW(field, kMessage, 0, 0) != 0;
}

bool FocusReturn::Perform(HWND field, const std::function<void()>& before) {
    pending_ = false;
    HWND focus = GetFocus();
    if (focus == field || !WithinForm(field, focus))
        return false;  // already back, or the user went elsewhere
    returning_ = true;
    if (before)
        before();
    if (IsWindow(field)) {
        if (Window* w = GetObjectByHandle(field))
            w->SetFocus();
        else
            ::SetFocus(field);
    }
    returning_ = false;
    return true;
}

}  // namespace kp

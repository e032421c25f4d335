#include "platform/gui/menu.h"

#include <vector>

#include "platform/gui/control.h"
#include "platform/gui/handles.h"
#include "platform/gui/internal.h"
#include "platform/gui/window.h"
#include "platform/runtime/error.h"
#include "platform/runtime/utf8.h"

namespace kp {

// ---------------------------------------------------------------- accelerators

Accelerator::Accelerator(const ResourceID& id) {
    // A copy of the resource's table, so that this object owns what it frees.
    HACCEL loaded = LoadAcceleratorsW(id.Module(), id.Ptr());
    if (!loaded) {
        RaiseGuiError(EG_OPEN, "Accelerator",
                      "Die Tastenkürzel " + id.Name() + " sind im Programm nicht vorhanden.",
                      id.Name());
        return;
    }
    const int count = CopyAcceleratorTableW(loaded, nullptr, 0);
    std::vector<ACCEL> entries(static_cast<size_t>(count));
    CopyAcceleratorTableW(loaded, entries.data(), count);
    handle_ = CreateAcceleratorTableW(entries.data(), count);
    if (handle_)
        CountHandleCreated(HandleKind::Accelerator);
}

Accelerator::~Accelerator() {
    Destroy();
}

void Accelerator::Destroy() {
    if (handle_) {
        DestroyAcceleratorTable(handle_);
        CountHandleReleased(HandleKind::Accelerator);
        handle_ = nullptr;
    }
}

// ---------------------------------------------------------------- menus

Menu::Menu() : handle_(CreatePopupMenu()), popup_(true) {
    if (handle_)
        CountHandleCreated(HandleKind::Menu);
}

Menu::Menu(const ResourceID& id) : handle_(LoadMenuW(id.Module(), id.Ptr())) {
    if (handle_)
        CountHandleCreated(HandleKind::Menu);
    else
        RaiseGuiError(EG_OPEN, "Menu",
                      "Das Menü " + id.Name() + " ist im Programm nicht vorhanden.", id.Name());
}

Menu::~Menu() {
    Destroy();
}

Symbol Menu::ClassName() const {
    return Symbol("MENU");
}

void Menu::Destroy() {
    if (handle_) {
        DestroyMenu(handle_);
        CountHandleReleased(HandleKind::Menu);
        handle_ = nullptr;
    }
}

void Menu::RegisterItem(int id, const kp::HyperLabel& label, HMENU parent, int position) {
    HMENU popup = parent && position >= 0 ? GetSubMenu(parent, position) : nullptr;
    items_[id] = Item{label, parent, position, popup};
}

const kp::HyperLabel* Menu::PopupLabel(HMENU popup) const {
    if (!popup)
        return nullptr;
    for (const auto& [id, item] : items_)
        if (item.popup == popup)
            return &item.label;
    return nullptr;
}

Symbol Menu::NameSym(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? Symbol() : it->second.label.NameSym();
}

const kp::HyperLabel* Menu::HyperLabel(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : &it->second.label;
}

int Menu::ItemID(Symbol name) const {
    for (const auto& [id, item] : items_)
        if (item.label.NameSym() == name)
            return id;
    return 0;
}

void Menu::AppendItem(int id, const std::string& text) {
    if (handle_)
        AppendMenuW(handle_, MF_STRING, static_cast<UINT_PTR>(id), Utf8ToWide(text).c_str());
}

void Menu::AppendSeparator() {
    if (handle_)
        AppendMenuW(handle_, MF_SEPARATOR, 0, nullptr);
}

void Menu::EnableItem(int id) {
    if (handle_)
        EnableMenuItem(handle_, static_cast<UINT>(id), MF_BYCOMMAND | MF_ENABLED);
}
void Menu::DisableItem(int id) {
    if (handle_)
        EnableMenuItem(handle_, static_cast<UINT>(id), MF_BYCOMMAND | MF_GRAYED);
}
void Menu::CheckItem(int id) {
    if (handle_)
        CheckMenuItem(handle_, static_cast<UINT>(id), MF_BYCOMMAND | MF_CHECKED);
}
void Menu::UncheckItem(int id) {
    if (handle_)
        CheckMenuItem(handle_, static_cast<UINT>(id), MF_BYCOMMAND | MF_UNCHECKED);
}

void Menu::ShowAsPopup(Window* owner, std::optional<Point> at) {
    if (!handle_ || !owner || !owner->Handle())
        return;
    HMENU shown = handle_;
    if (!popup_) {
        // A menu bar shows its first pop-up.
        shown = GetSubMenu(handle_, 0);
        if (!shown)
            return;
    }
    POINT p{};
    if (at) {
        // The point is measured where the owner's own Origin is for a
        // control (its parent's canvas), in the canvas for other windows; so
        // a control's Origin opens the menu at its lower-left corner.
        HWND canvas = owner->CanvasHandle();
        if (dynamic_cast<Control*>(owner) || !canvas)
            canvas = GetParent(owner->Handle());
        if (!canvas)
            canvas = owner->Handle();
        RECT rc{};
        GetClientRect(canvas, &rc);
        const Point w = CoordinateSpace(rc.bottom).PointToWindows(*at);
        p = POINT{w.x, w.y};
        ClientToScreen(canvas, &p);
    } else {
        GetCursorPos(&p);
    }
    TrackPopupMenu(shown, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, owner->Handle(), nullptr);
}

}  // namespace kp

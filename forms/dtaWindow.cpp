#include "forms/dtaWindow.h"

#include <algorithm>

namespace kp {

Point Center2Origin(Dimension screen, Dimension window) {
    // A window larger than the screen keeps its caption on the screen: its
    // left edge at 0 and its top edge at the screen's top.
    const int x = std::max(0, (screen.width - window.width) / 2);
    const int top = screen.height - window.height;  // origin y that puts the top edge at the top
    int y;
    if (screen.height < 601)
        // Low resolution: the window goes to the top of the screen, one pixel
        // below its edge, so the taskbar at the bottom cannot cover the buttons.
        y = top >= 1 ? top - 1 : top;
    else
        y = top >= 0 ? top / 2 : top;
    return Point(std::min(x, 0xFFFF), std::min(y, 0xFFFF));
}

int GetScreenX() {
    return GetSystemMetrics(SM_CXSCREEN);
}
int GetScreenY() {
    return GetSystemMetrics(SM_CYSCREEN);
}

DtaWindow::DtaWindow(Window* owner, const ResourceID& form, bool subForm)
    : DtaAbstract(owner, form, subForm) {
    firstTabNo_ = 1;
    if (auto* registry = dynamic_cast<ChildRegistry*>(owner)) {
        registry->RegisterChild(this);
        registered_ = true;
    }
}

DtaWindow::~DtaWindow() {
    Unregister();
}

Symbol DtaWindow::ClassName() const {
    return Symbol("DTAWINDOW");
}

void DtaWindow::Unregister() {
    if (!registered_)
        return;
    registered_ = false;
    if (auto* registry = dynamic_cast<ChildRegistry*>(Owner()))
        registry->UnRegisterChild(this);
}

void DtaWindow::Destroy() {
    Unregister();
    DtaAbstract::Destroy();
}

bool DtaWindow::QueryClose(Event&) {
    Hide();
    return true;
}

void DtaWindow::MenuInit(MenuInitEvent& e) {
    if (Handle())
        EnableSystemClose(Handle(), Valid());
    DtaAbstract::MenuInit(e);
}

void DtaWindow::Center2() {
    Origin(Center2Origin(Dimension(GetScreenX(), GetScreenY()), Size()));
}

void DtaWindow::SetNonResize(bool maxBox) {
    EnableBorder(maxBox ? WINDOWSIZINGBORDER : WINDOWNONSIZINGBORDER);
    EnableMaxBox(maxBox);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace kp

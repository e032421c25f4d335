#include "forms/subWindow.h"

#include "forms/funControl.h"
#include "platform/gui/controls.h"

namespace kp {

SubWindow::SubWindow(Window* owner, const ResourceID& form, bool subForm)
    : DtaAbstract(owner, form, subForm) {}

Symbol SubWindow::ClassName() const {
    return Symbol("SUBWINDOW");
}

void SubWindow::EditFocusChange(EditFocusChangeEvent& e) {
    DtaAbstract::EditFocusChange(e);
    if (!e.GotFocus())
        return;  // the status bar keeps the last description
    ShellWindow* shell = GetShell(Owner());
    if (shell && shell->StatusBar())
        shell->StatusBar()->ControlText(e.HyperLabel().Description());
}

}  // namespace kp

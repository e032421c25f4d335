#include "forms/funControl.h"

namespace kp {

ShellWindow* GetShell(const Window* window) {
    for (Window* w = window ? window->Owner() : nullptr; w; w = w->Owner()) {
        if (auto* shell = dynamic_cast<ShellWindow*>(w))
            return shell;
    }
    return nullptr;
}

ShellWindow* GetShellWindow(const Window* window) {
    return GetShell(window);
}

}  // namespace kp

#pragma once
// The shell window a word pad opens in, in-process: the suite's folder is
// the given one and no name for a new letter is set, so that a new letter
// is "Unbenannt" until it is saved.
#include <memory>
#include <string>

#include "app/funVelto.h"
#include "platform/gui/shellwindow.h"

namespace kp {

inline std::unique_ptr<ShellWindow> WordPadShell(const std::string& folder) {
    GetSetGlobal(Symbol("PATH"), Usual(folder));
    GetSetGlobal(Symbol("DOKNAMENEU"), Usual(std::string()));
    auto shell = std::make_unique<ShellWindow>();
    shell->Size(Dimension(900, 600));
    return shell;
}

}  // namespace kp

#pragma once
// The main menu of the suite's shell window and its accelerator table. Each
// item is registered with its command name (the method a command calls on
// the shell) and its one-line help text for the status bar.
#include <array>
#include <string_view>

#include "platform/gui/menu.h"

namespace kp {

// One row of the shell menu, in resource order.
struct MenShellItem {
    int id;
    std::string_view caption;
    std::string_view command;
    std::string_view help;
    int popupPosition;  // the pop-up's place in the menu bar; -1 for items
};

// The items and pop-ups of the shell menu, in resource order.
const std::array<MenShellItem, 18>& MenShellItems();

class MenShellLayoutAccelerator : public Accelerator {
  public:
    MenShellLayoutAccelerator();
};

class MenShellLayout : public Menu {
  public:
    MenShellLayout();
    Symbol ClassName() const override;
};

}  // namespace kp

#pragma once
// The application icon, large and small, on a dialog of the library (the
// caption and the task switcher show it).
#include <memory>

#include "platform/gui/drawing.h"
#include "platform/gui/window.h"
#include "resources/resource_ids.h"

namespace kp {

inline void ShowApplicationIcon(Window& dialog) {
    dialog.Icon(std::make_shared<kp::Icon>(ResourceID(IDI_APP)));
    dialog.IconSm(std::make_shared<kp::Icon>(ResourceID(IDI_APP), true));
}

}  // namespace kp

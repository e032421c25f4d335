#include "wordpad/WinCentre.h"

#include <windows.h>

#include "platform/gui/window.h"

namespace kp {

Point CentreOrigin(Dimension window, Dimension area) {
    return Point(area.width / 2 - window.width / 2, area.height / 2 - window.height / 2);
}

Point WinCentre(const Window& window) {
    const Window* owner = window.Owner();
    const Dimension area = owner && owner->Handle() ? owner->Size()
                                                    : Dimension(GetSystemMetrics(SM_CXSCREEN),
                                                                GetSystemMetrics(SM_CYSCREEN));
    return CentreOrigin(window.Size(), area);
}

}  // namespace kp

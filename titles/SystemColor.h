#pragma once
// SystemColor: a Color with the value one of Windows' system colours has
// when the object is made (COLOR_MENU, COLOR_BTNFACE ...). It is a snapshot;
// a later change of the colour scheme leaves it as it is. An index Windows
// does not know gives what GetSysColor gives for it (black).
#include "platform/gui/drawing.h"

namespace kp {

class SystemColor : public Color {
  public:
    explicit SystemColor(int sysColorIndex);
};

}  // namespace kp

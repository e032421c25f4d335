#include "titles/SystemColor.h"

namespace kp {

SystemColor::SystemColor(int sysColorIndex)
    : Color(Color::FromColorRef(GetSysColor(sysColorIndex))) {}

}  // namespace kp

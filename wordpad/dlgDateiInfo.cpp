#include "wordpad/dlgDateiInfo.h"

namespace kp {

void OpenDlgDateiInfo(Window* owner, const std::string& cAblage) {
    (void)owner;
    (void)cAblage;
}

}  // namespace kp

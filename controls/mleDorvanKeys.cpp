#include "controls/mleDorvanKeys.h"

namespace kp {

void DorvanKeysSwitch::FocusChange(bool gotFocus, DorvanKeysOwner* owner) {
    if (gotFocus) {
        if (lFirst_) {
            if (owner && owner->DorvanKeys())
                lRestore_ = true;
            lFirst_ = false;
        }
        if (lRestore_ && owner)
            owner->DorvanKeys(false);
    } else if (lRestore_ && owner) {
        owner->DorvanKeys(true);
    }
}

void MleDorvanKeys::FocusChange(FocusChangeEvent& e) {
    const bool gotFocus = e.GotFocus();
    MultiLineEdit::FocusChange(e);
    switch_.FocusChange(gotFocus, dynamic_cast<DorvanKeysOwner*>(Owner()));
}

}  // namespace kp

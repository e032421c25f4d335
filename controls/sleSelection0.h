#pragma once
// SleSelection0: a one-line field that starts in the overwrite mode the
// Insert key switches (OVERWRITE_ONKEY).
#include "platform/gui/controls.h"

namespace kp {

class SleSelection0 : public SingleLineEdit {
  public:
    SleSelection0(Window* owner, const ResourceID& id) : SingleLineEdit(owner, id) {
        Overwrite(OVERWRITE_ONKEY);
    }
    SleSelection0(Window* owner, int id, Point origin, Dimension size, DWORD style = 0)
        : SingleLineEdit(owner, id, origin, size, style) {
        Overwrite(OVERWRITE_ONKEY);
    }
    Symbol ClassName() const override { return Symbol("SLESELECTION0"); }
};

}  // namespace kp

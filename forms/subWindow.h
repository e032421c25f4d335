#pragma once
// SubWindow: the base of the suite's sub-forms, forms that sit inside
// another form (a page of a tab control, an embedded list). When one of its
// edit controls gains the focus, the control's description shows in the
// status bar of the shell above the sub-form's owner.
#include "forms/dtaAbstract.h"

namespace kp {

class SubWindow : public DtaAbstract {
  public:
    // A sub-form lives inside the owner's canvas unless told otherwise.
    SubWindow(Window* owner, const ResourceID& form, bool subForm = true);
    Symbol ClassName() const override;

    void EditFocusChange(EditFocusChangeEvent& e) override;
};

}  // namespace kp

#include "dialogs/dlgAbout_layout.h"

namespace kp {

DlgAboutLayout::DlgAboutLayout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgAbout_layout"), true) {
    TxtApp = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTAPP));
    TxtVersion = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTVERSION));
    TxtNotice = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTNOTICE));
    TxtFreeMemory = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTFREEMEMORY));
    TxtFreeRessources = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTFREERESSOURCES));
    PshOKButton = std::make_unique<PushButton>(this, ResourceID(ID_ABOUT_PSHOK));
    PshOKButton->HyperLabel(kp::HyperLabel("PshOK", "&OK"));
}

Symbol DlgAboutLayout::ClassName() const {
    return Symbol("DLGABOUT_LAYOUT");
}

}  // namespace kp

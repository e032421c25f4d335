#include "dialogs/dlgAbout_layout.h"

#include "dialogs/appIcon.h"

namespace kp {

DlgAboutLayout::DlgAboutLayout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgAbout_layout"), true) {
    ShowApplicationIcon(*this);
    TxtApp = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTAPP));
    TxtVersion = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTVERSION));
    TxtNotice = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTNOTICE));
    TxtFreeMemory = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTFREEMEMORY));
    TxtFreeRessources = std::make_unique<FixedText>(this, ResourceID(ID_ABOUT_TXTFREERESSOURCES));
    PshOKButton = std::make_unique<PushButton>(this, ResourceID(ID_ABOUT_PSHOK));
    PshOKButton->HyperLabel(kp::HyperLabel("PshOK", "&OK"));
    // The icon control keeps the size of the layout (33 x 30 units) with the
    // application icon in its middle; Windows would fit it to the icon.
    if (HWND icon = GetDlgItem(Handle(), ID_ABOUT_ICON)) {
        RECT r{12, 7, 12 + 33, 7 + 30};
        MapDialogRect(Handle(), &r);
        SetWindowPos(icon, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        appIcon_ = std::make_shared<kp::Icon>(ResourceID(IDI_APP));
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(appIcon_->Handle()), 0);
    }
}

Symbol DlgAboutLayout::ClassName() const {
    return Symbol("DLGABOUT_LAYOUT");
}

}  // namespace kp

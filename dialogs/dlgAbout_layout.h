#pragma once
// The layout of the "INFO" dialog ("dlgAbout_layout").
#include <memory>

#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"
#include "platform/gui/drawing.h"

namespace kp {

inline constexpr int ID_ABOUT_ICON = 101;
inline constexpr int ID_ABOUT_TXTAPP = 103;
inline constexpr int ID_ABOUT_TXTVERSION = 104;
inline constexpr int ID_ABOUT_TXTNOTICE = 105;
inline constexpr int ID_ABOUT_TXTFREEMEMORY = 107;
inline constexpr int ID_ABOUT_TXTFREERESSOURCES = 109;
inline constexpr int ID_ABOUT_PSHOK = 110;

class DlgAboutLayout : public DialogWindow {
  public:
    explicit DlgAboutLayout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<FixedText> TxtApp;
    std::unique_ptr<FixedText> TxtVersion;
    std::unique_ptr<FixedText> TxtNotice;
    std::unique_ptr<FixedText> TxtFreeMemory;
    std::unique_ptr<FixedText> TxtFreeRessources;
    std::unique_ptr<PushButton> PshOKButton;

  private:
    std::shared_ptr<kp::Icon> appIcon_;  // shown by the icon control
};

}  // namespace kp

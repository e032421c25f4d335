#pragma once
// The layout of the conversion window: the form "dtaStart_layout" with its
// controls, each kept under its own name, the bold font of the column
// headings, the caption, the hyper-label and the icons.
#include <memory>

#include "forms/dtaWindow.h"
#include "platform/gui/controls.h"
#include "titles/Farbverlauf.h"

namespace kp {

class DtaStartLayout : public DtaWindow {
  public:
    explicit DtaStartLayout(Window* owner);
    Symbol ClassName() const override;

  protected:
    // Hooks around the building of the layout; this form needs neither.
    virtual void PreInit() {}
    virtual void PostInit() {}

    std::unique_ptr<PushButton> PshOK;
    std::unique_ptr<MlGradientTitel> ccUeberschrift;
    std::unique_ptr<FixedText> TxtVeltoVoll;
    std::unique_ptr<FixedText> TxtProdukt;
    std::unique_ptr<FixedText> TxtAnzahl;
    std::unique_ptr<GroupBox> GrpLizenz2;
    std::unique_ptr<PushButton> PshBerechnen;
    std::unique_ptr<GroupBox> GrpLizenz3;
    std::unique_ptr<FixedText> TxtVeltoVoll1;
    std::unique_ptr<FixedText> TxtVeltoVoll2;
    std::unique_ptr<FixedText> Txt1615;
    std::unique_ptr<FixedText> Txt1634;
    std::unique_ptr<FixedText> Txt1900;
    std::unique_ptr<FixedText> TxtDebug;
    std::unique_ptr<ProgressBar> Balken;
    std::unique_ptr<FixedText> TxtVeltoVoll3;
    std::unique_ptr<FixedText> Txt1320;

    std::shared_ptr<kp::Font> boldFont_;
};

}  // namespace kp

#include "app/dtaStart_layout.h"

#include "resources/resource_ids.h"

namespace kp {
namespace {

template <class C>
std::unique_ptr<C> Make(Window* owner, int id, const char* name, const char* caption = "") {
    auto c = std::make_unique<C>(owner, ResourceID(id));
    c->HyperLabel(kp::HyperLabel(name, caption));
    return c;
}

}  // namespace

DtaStartLayout::DtaStartLayout(Window* owner) : DtaWindow(owner, ResourceID("dtaStart_layout")) {
    PreInit();
    PshOK = Make<PushButton>(this, 100, "PshOK", "&Schliessen");
    ccUeberschrift = Make<MlGradientTitel>(this, 101, "ccUeberschrift");
    TxtVeltoVoll = Make<FixedText>(this, 102, "TxtVeltoVoll", "Verträge auf 16,15%");
    TxtProdukt = Make<FixedText>(this, 103, "TxtProdukt", "Produkt:");
    TxtAnzahl = Make<FixedText>(this, 104, "TxtAnzahl", "Anzahl:");
    GrpLizenz2 = Make<GroupBox>(this, 105, "GrpLizenz2");
    PshBerechnen = Make<PushButton>(this, 106, "PshBerechnen", "&Anpassen");
    GrpLizenz3 = Make<GroupBox>(this, 107, "GrpLizenz3");
    TxtVeltoVoll1 = Make<FixedText>(this, 108, "TxtVeltoVoll1", "Verträge auf 16,34%");
    TxtVeltoVoll2 = Make<FixedText>(this, 109, "TxtVeltoVoll2", "Verträge auf 19,00%");
    Txt1615 = Make<FixedText>(this, 110, "Txt1615", "0");
    Txt1634 = Make<FixedText>(this, 111, "Txt1634", "0");
    Txt1900 = Make<FixedText>(this, 112, "Txt1900", "0");
    TxtDebug = Make<FixedText>(this, 113, "TxtDebug");
    Balken = Make<ProgressBar>(this, 114, "Balken");
    TxtVeltoVoll3 = Make<FixedText>(this, 115, "TxtVeltoVoll3", "Verträge auf 13,20%");
    Txt1320 = Make<FixedText>(this, 116, "Txt1320", "0");

    boldFont_ = std::make_shared<kp::Font>(8, "MS Sans Serif");
    boldFont_->Bold(true);
    TxtProdukt->Font(boldFont_);
    TxtAnzahl->Font(boldFont_);
    GrpLizenz2->Font(boldFont_);
    GrpLizenz3->Font(boldFont_);

    Caption("VeltoTax2010");
    HyperLabel(kp::HyperLabel("dtaStart_layout", "VeltoTax2010"));
    Icon(std::make_shared<kp::Icon>(ResourceID(IDI_APP)));
    IconSm(std::make_shared<kp::Icon>(ResourceID(IDI_APP), true));
    PostInit();
}

Symbol DtaStartLayout::ClassName() const {
    return Symbol("DTASTART_LAYOUT");
}

}  // namespace kp

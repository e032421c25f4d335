#include "wordpad/dlgDateiInfo_layout.h"

namespace kp {

DlgDateiInfoLayout::DlgDateiInfoLayout(Window* owner)
    : DialogWindow(owner, ResourceID("DlgDateiInfo_layout"), false) {
    GrpVorlage = std::make_unique<GroupBox>(this, ResourceID(ID_DDI_GRPVORLAGE));
    GrpVorlage->HyperLabel(kp::HyperLabel("GrpVorlage", "Dokumentvorlage"));
    ChkVorlage = std::make_unique<CheckBox>(this, ResourceID(ID_DDI_CHKVORLAGE));
    ChkVorlage->HyperLabel(kp::HyperLabel(
        "ChkVorlage", "Das angefertigte Dokument soll als Vorlagedatei gespeichert werden!"));
    FixedText11 = std::make_unique<FixedText>(this, ResourceID(ID_DDI_FIXEDTEXT11));
    FixedText11->HyperLabel(kp::HyperLabel("FixedText11", "Die Vorlage dient als Vorlagetyp für"));
    CmbVorlageTyp = std::make_unique<ComboBox>(this, ResourceID(ID_DDI_CMBVORLAGETYP));
    CmbVorlageTyp->HyperLabel(kp::HyperLabel("CmbVorlageTyp", "Vorlagetyp"));
    GrpDateiInfo = std::make_unique<GroupBox>(this, ResourceID(ID_DDI_GRPDATEIINFO));
    GrpDateiInfo->HyperLabel(kp::HyperLabel("GrpDateiInfo", "Das Dokument ist einzuordnen bei:"));
    TxtKunde = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTKUNDE));
    TxtKunde->HyperLabel(kp::HyperLabel("TxtKunde", "Kundenname:"));
    CmbKundenName = std::make_unique<ComboBox>(this, ResourceID(ID_DDI_CMBKUNDENNAME));
    CmbKundenName->HyperLabel(kp::HyperLabel("CmbKundenName", "Kundenname:"));
    TxtGesellschaft = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTGESELLSCHAFT));
    TxtGesellschaft->HyperLabel(kp::HyperLabel("TxtGesellschaft", "Gesellschaft:"));
    CmbGesellschaft = std::make_unique<ComboBox>(this, ResourceID(ID_DDI_CMBGESELLSCHAFT));
    CmbGesellschaft->HyperLabel(kp::HyperLabel("CmbGesellschaft", "Gesellschaft:"));
    TxtBetreuer = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTBETREUER));
    TxtBetreuer->HyperLabel(kp::HyperLabel("TxtBetreuer", "Betreuer:"));
    CmbBetreuer = std::make_unique<ComboBox>(this, ResourceID(ID_DDI_CMBBETREUER));
    CmbBetreuer->HyperLabel(kp::HyperLabel("CmbBetreuer", "Betreuer:"));
    GrpSelektionskriterien =
        std::make_unique<GroupBox>(this, ResourceID(ID_DDI_GRPSELEKTIONSKRITERIEN));
    GrpSelektionskriterien->HyperLabel(
        kp::HyperLabel("GrpSelektionskriterien", "Selektionskriterien:"));
    TxtVersandart = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTVERSANDART));
    TxtVersandart->HyperLabel(kp::HyperLabel("TxtVersandart", "Versandart:"));
    CmbVersandart = std::make_unique<ComboBox>(this, ResourceID(ID_DDI_CMBVERSANDART));
    CmbVersandart->HyperLabel(kp::HyperLabel("CmbVersandart", "Versandart:"));
    TxtVersSparte = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTVERSSPARTE));
    TxtVersSparte->HyperLabel(kp::HyperLabel("TxtVersSparte", "Versicherungssparte:"));
    CmbVersSparte = std::make_unique<ComboBox>(this, ResourceID(ID_DDI_CMBVERSSPARTE));
    CmbVersSparte->HyperLabel(kp::HyperLabel("CmbVersSparte", "Versicherungssparte:"));
    GrpDokumentInformation =
        std::make_unique<GroupBox>(this, ResourceID(ID_DDI_GRPDOKUMENTINFORMATION));
    GrpDokumentInformation->HyperLabel(
        kp::HyperLabel("GrpDokumentInformation", "Dokumentinformation:"));
    TxtDokTitel = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTDOKTITEL));
    TxtDokTitel->HyperLabel(kp::HyperLabel("TxtDokTitel", "Dokumenttitel:"));
    SleDokTitel = std::make_unique<SleSelection0>(this, ResourceID(ID_DDI_SLEDOKTITEL));
    SleDokTitel->HyperLabel(kp::HyperLabel("SleDokTitel", "Dokumenttitel:"));
    TxtAblage = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTABLAGE));
    TxtAblage->HyperLabel(kp::HyperLabel("TxtAblage", "Dateiablage:"));
    SleAblage = std::make_unique<SleSelection0>(this, ResourceID(ID_DDI_SLEABLAGE));
    SleAblage->HyperLabel(kp::HyperLabel("SleAblage", "Dateiablage:"));
    TxtDatum = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTDATUM));
    TxtDatum->HyperLabel(kp::HyperLabel("TxtDatum", "Erstellungsdatum:"));
    SleDatum = std::make_unique<kp::SleDatum>(this, ResourceID(ID_DDI_SLEDATUM));
    SleDatum->HyperLabel(kp::HyperLabel("SleDatum", "Erstellungsdatum:"));
    TxtAnzahlSeiten = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTANZAHLSEITEN));
    TxtAnzahlSeiten->HyperLabel(kp::HyperLabel("TxtAnzahlSeiten", "Seitenanzahl:"));
    SleAnzSeiten = std::make_unique<SleSelection0>(this, ResourceID(ID_DDI_SLEANZSEITEN));
    SleAnzSeiten->HyperLabel(kp::HyperLabel("SleAnzSeiten", "Seitenanzahl:"));
    GrpWiedervorlage = std::make_unique<GroupBox>(this, ResourceID(ID_DDI_GRPWIEDERVORLAGE));
    GrpWiedervorlage->HyperLabel(kp::HyperLabel("GrpWiedervorlage", "Wiedervorlage"));
    ChkWVJa = std::make_unique<CheckBox>(this, ResourceID(ID_DDI_CHKWVJA));
    ChkWVJa->HyperLabel(kp::HyperLabel("ChkWVJa",
                                       "Das angefertigte Dokument soll zusätzlich in den "
                                       "Wiedervorlage-Ordner übernommen werden!"));
    TxtWVDatum = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTWVDATUM));
    TxtWVDatum->HyperLabel(kp::HyperLabel("TxtWVDatum", "Wiedervorlagedatum:"));
    SleWVDatum = std::make_unique<PEDateSle>(this, ResourceID(ID_DDI_SLEWVDATUM));
    SleWVDatum->HyperLabel(kp::HyperLabel("SleWVDatum", "Wiedervorlagedatum:"));
    TxtWVGrund = std::make_unique<FixedText>(this, ResourceID(ID_DDI_TXTWVGRUND));
    TxtWVGrund->HyperLabel(kp::HyperLabel("TxtWVGrund", "Wiedervorlagegrund:"));
    SleWVGrund = std::make_unique<SleSelection0>(this, ResourceID(ID_DDI_SLEWVGRUND));
    SleWVGrund->HyperLabel(kp::HyperLabel("SleWVGrund", "Wiedervorlagegrund:"));
    PshAbbruchButton = std::make_unique<PushButton>(this, ResourceID(ID_DDI_PSHABBRUCH));
    PshAbbruchButton->HyperLabel(kp::HyperLabel("PshAbbruch", "&Abbrechen"));
    PshOKButton = std::make_unique<PushButton>(this, ResourceID(ID_DDI_PSHOK));
    PshOKButton->HyperLabel(kp::HyperLabel("PshOK", "&Schließen"));
}

Symbol DlgDateiInfoLayout::ClassName() const {
    return Symbol("DLGDATEIINFO_LAYOUT");
}

}  // namespace kp

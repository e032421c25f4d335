#pragma once
// The layout of the document-information dialog ("DlgDateiInfo_layout"): a
// modeless dialog whose controls are bound by resource id.
#include <memory>

#include "controls/sleDatum.h"
#include "controls/sleSelection0.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"

namespace kp {

inline constexpr int ID_DDI_GRPDATEIINFO = 100;
inline constexpr int ID_DDI_TXTKUNDE = 101;
inline constexpr int ID_DDI_CMBKUNDENNAME = 102;
inline constexpr int ID_DDI_TXTGESELLSCHAFT = 103;
inline constexpr int ID_DDI_CMBGESELLSCHAFT = 104;
inline constexpr int ID_DDI_TXTBETREUER = 105;
inline constexpr int ID_DDI_CMBBETREUER = 106;
inline constexpr int ID_DDI_GRPSELEKTIONSKRITERIEN = 107;
inline constexpr int ID_DDI_TXTVERSANDART = 108;
inline constexpr int ID_DDI_CMBVERSANDART = 109;
inline constexpr int ID_DDI_TXTVERSSPARTE = 110;
inline constexpr int ID_DDI_CMBVERSSPARTE = 111;
inline constexpr int ID_DDI_GRPDOKUMENTINFORMATION = 112;
inline constexpr int ID_DDI_TXTDOKTITEL = 113;
inline constexpr int ID_DDI_SLEDOKTITEL = 114;
inline constexpr int ID_DDI_TXTABLAGE = 115;
inline constexpr int ID_DDI_SLEABLAGE = 116;
inline constexpr int ID_DDI_TXTDATUM = 117;
inline constexpr int ID_DDI_TXTANZAHLSEITEN = 118;
inline constexpr int ID_DDI_SLEDATUM = 119;
inline constexpr int ID_DDI_SLEANZSEITEN = 120;
inline constexpr int ID_DDI_PSHABBRUCH = 121;
inline constexpr int ID_DDI_PSHOK = 122;
inline constexpr int ID_DDI_GRPWIEDERVORLAGE = 123;
inline constexpr int ID_DDI_CHKWVJA = 124;
inline constexpr int ID_DDI_TXTWVDATUM = 125;
inline constexpr int ID_DDI_SLEWVDATUM = 126;
inline constexpr int ID_DDI_TXTWVGRUND = 127;
inline constexpr int ID_DDI_SLEWVGRUND = 128;
inline constexpr int ID_DDI_CHKVORLAGE = 129;
inline constexpr int ID_DDI_GRPVORLAGE = 130;
inline constexpr int ID_DDI_FIXEDTEXT11 = 131;
inline constexpr int ID_DDI_CMBVORLAGETYP = 132;

class DlgDateiInfoLayout : public DialogWindow {
  public:
    explicit DlgDateiInfoLayout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<GroupBox> GrpVorlage;
    std::unique_ptr<CheckBox> ChkVorlage;
    std::unique_ptr<FixedText> FixedText11;
    std::unique_ptr<ComboBox> CmbVorlageTyp;
    std::unique_ptr<GroupBox> GrpDateiInfo;
    std::unique_ptr<FixedText> TxtKunde;
    std::unique_ptr<ComboBox> CmbKundenName;
    std::unique_ptr<FixedText> TxtGesellschaft;
    std::unique_ptr<ComboBox> CmbGesellschaft;
    std::unique_ptr<FixedText> TxtBetreuer;
    std::unique_ptr<ComboBox> CmbBetreuer;
    std::unique_ptr<GroupBox> GrpSelektionskriterien;
    std::unique_ptr<FixedText> TxtVersandart;
    std::unique_ptr<ComboBox> CmbVersandart;
    std::unique_ptr<FixedText> TxtVersSparte;
    std::unique_ptr<ComboBox> CmbVersSparte;
    std::unique_ptr<GroupBox> GrpDokumentInformation;
    std::unique_ptr<FixedText> TxtDokTitel;
    std::unique_ptr<SleSelection0> SleDokTitel;
    std::unique_ptr<FixedText> TxtAblage;
    std::unique_ptr<SleSelection0> SleAblage;
    std::unique_ptr<FixedText> TxtDatum;
    std::unique_ptr<kp::SleDatum> SleDatum;
    std::unique_ptr<FixedText> TxtAnzahlSeiten;
    std::unique_ptr<SleSelection0> SleAnzSeiten;
    std::unique_ptr<GroupBox> GrpWiedervorlage;
    std::unique_ptr<CheckBox> ChkWVJa;
    std::unique_ptr<FixedText> TxtWVDatum;
    std::unique_ptr<PEDateSle> SleWVDatum;
    std::unique_ptr<FixedText> TxtWVGrund;
    std::unique_ptr<SleSelection0> SleWVGrund;
    // The buttons; their names call PshAbbruch and PshOK.
    std::unique_ptr<PushButton> PshAbbruchButton;
    std::unique_ptr<PushButton> PshOKButton;
};

}  // namespace kp

#include "dialogs/dlgSeek_layout.h"

#include "dialogs/appIcon.h"

namespace kp {

DlgSeekLayout::DlgSeekLayout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgSeek_layout"), true) {
    ShowApplicationIcon(*this);
    SleSuchbegriff = std::make_unique<SingleLineEdit>(this, ResourceID(ID_SEEK_SLESUCHBEGRIFF));
    SleSuchbegriff->HyperLabel(kp::HyperLabel("SleSuchbegriff", "Suchbegriff:"));
    TxtSuchenNach = std::make_unique<FixedText>(this, ResourceID(ID_SEEK_TXTSUCHENNACH));
    LstIndex = std::make_unique<ListBox>(this, ResourceID(ID_SEEK_LSTINDEX));
    LstIndex->HyperLabel(kp::HyperLabel("LstIndex", "Index:"));
    PshSuchenButton = std::make_unique<PushButton>(this, ResourceID(ID_SEEK_PSHSUCHEN));
    PshSuchenButton->HyperLabel(kp::HyperLabel("PshSuchen", "&Suchen"));
    PshAbbruchButton = std::make_unique<PushButton>(this, ResourceID(ID_SEEK_PSHABBRUCH));
    PshAbbruchButton->HyperLabel(kp::HyperLabel("PshAbbruch", "&Abbruch"));
    PshVolltextButton = std::make_unique<PushButton>(this, ResourceID(ID_SEEK_PSHVOLLTEXT));
    PshVolltextButton->HyperLabel(
        kp::HyperLabel("PshVolltext", "&Volltextsuche für Firma1 und Firma2"));
}

Symbol DlgSeekLayout::ClassName() const {
    return Symbol("DLGSEEK_LAYOUT");
}

DlgAuswahlLayout::DlgAuswahlLayout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgAuswahl_layout"), true) {
    ShowApplicationIcon(*this);
    Lst1 = std::make_unique<ListBox>(this, ResourceID(ID_AUSWAHL_LST1));
    Lst1->HyperLabel(kp::HyperLabel("Lst1", ""));
    PshAbbruchButton = std::make_unique<PushButton>(this, ResourceID(ID_AUSWAHL_PSHABBRUCH));
    PshAbbruchButton->HyperLabel(kp::HyperLabel("PshAbbruch", "Abbruch"));
    PshGeheZuButton = std::make_unique<PushButton>(this, ResourceID(ID_AUSWAHL_PSHGEHEZU));
    PshGeheZuButton->HyperLabel(kp::HyperLabel("PshGeheZu", "Gehe zu"));
}

Symbol DlgAuswahlLayout::ClassName() const {
    return Symbol("DLGAUSWAHL_LAYOUT");
}

}  // namespace kp

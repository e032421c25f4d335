#pragma once
// The layouts of the record search dialog ("dlgSeek_layout") and of the
// selection list ("dlgAuswahl_layout"): their controls bound by resource id.
#include <memory>

#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"

namespace kp {

inline constexpr int ID_SEEK_SLESUCHBEGRIFF = 101;
inline constexpr int ID_SEEK_TXTSUCHENNACH = 102;
inline constexpr int ID_SEEK_LSTINDEX = 103;
inline constexpr int ID_SEEK_PSHSUCHEN = 104;
inline constexpr int ID_SEEK_PSHABBRUCH = 105;
inline constexpr int ID_SEEK_PSHVOLLTEXT = 106;

class DlgSeekLayout : public DialogWindow {
  public:
    explicit DlgSeekLayout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<SingleLineEdit> SleSuchbegriff;
    std::unique_ptr<FixedText> TxtSuchenNach;
    std::unique_ptr<ListBox> LstIndex;
    std::unique_ptr<PushButton> PshSuchenButton;
    std::unique_ptr<PushButton> PshAbbruchButton;
    std::unique_ptr<PushButton> PshVolltextButton;
};

inline constexpr int ID_AUSWAHL_LST1 = 100;
inline constexpr int ID_AUSWAHL_PSHABBRUCH = 101;
inline constexpr int ID_AUSWAHL_PSHGEHEZU = 102;

class DlgAuswahlLayout : public DialogWindow {
  public:
    explicit DlgAuswahlLayout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<ListBox> Lst1;
    std::unique_ptr<PushButton> PshAbbruchButton;
    std::unique_ptr<PushButton> PshGeheZuButton;
};

}  // namespace kp

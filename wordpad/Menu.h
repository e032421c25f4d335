#pragma once
// The word pad's menu (resource "ChildMenu") with its accelerators, and the
// document icon every word pad shows.
#include <array>
#include <string_view>

#include "platform/gui/drawing.h"
#include "platform/gui/menu.h"

namespace kp {

// One entry of the word pad's menu, in resource order.
struct ChildMenuItem {
    int id;
    std::string_view caption;
    std::string_view event;
    std::string_view description;
    std::string_view helpContext;
    int popupPosition;  // the pop-up's place in the menu bar; -1 for items
};

// Item ids of the word pad's menu and of the toolbar buttons that stand for
// them.
enum ChildMenuId : int {
    IDM_DATEI = 30804,
    IDM_NEU = 30805,
    IDM_OEFFNEN = 30806,
    IDM_SPEICHERN = 30807,
    IDM_SPEICHERNALS = 30808,
    IDM_DRUCKEN = 30810,
    IDM_VORSCHAU = 30811,
    IDM_DRUCKERSETUP = 30812,
    IDM_SCHLIESSEN = 30814,
    IDM_BEARBEITEN = 30815,
    IDM_AUSSCHNEIDEN = 30816,
    IDM_KOPIEREN = 30817,
    IDM_EINFUEGEN = 30818,
    IDM_SUCHEN = 30820,
    IDM_ANSICHT = 30821,
    IDM_EINSTELLUNGEN = 30822,
    IDM_OPTIONEN = 30823,
    IDM_RAENDER = 30824,
    IDM_FORMAT = 30825,
    IDM_ABSATZ = 30826,
    IDM_FETT = 30827,
    IDM_KURSIV = 30828,
    IDM_UNTERSTRICHEN = 30829,
    IDM_LINKSBUENDIG = 30830,
    IDM_ZENTRIERT = 30831,
    IDM_RECHTSBUENDIG = 30832,
    IDM_AUFZAEHLUNG = 30833,
    IDM_AUSRUECKEN = 30834,
    IDM_EINRUECKEN = 30835,
    IDM_LEER = 31836,         // a command without a menu entry
    IDM_DATEINEU = 24563,     // the shell's "Datei neu" ("Neuen Text")
    IDM_DATEIOEFFNEN = 24562  // the shell's "Datei öffnen"
};

const std::array<ChildMenuItem, 29>& ChildMenuItems();

class ChildMenu_Accelerator : public Accelerator {
  public:
    ChildMenu_Accelerator();
};

class ChildMenu : public Menu {
  public:
    explicit ChildMenu(Window* owner = nullptr);
    Symbol ClassName() const override;
};

// The document icon of the word pads (resource "RTFDOC").
class RTFDOC : public Icon {
  public:
    explicit RTFDOC(bool small = false) : Icon(ResourceID("RTFDOC"), small) {}
    Symbol ClassName() const override;
};

}  // namespace kp

#include "app/menShell_layout.h"

#include <memory>
#include <string>

#include "platform/runtime/strevaluate.h"

namespace kp {

namespace {

// Item ids of the two pop-ups; the resource itself gives them none.
constexpr int kFilePopup = 24561;
constexpr int kHelpPopup = 24581;

// Captions that carry a mnemonic or a shortcut pass the run-time's string
// evaluation; the two others are taken as they are.
bool Evaluated(const MenShellItem& item) {
    return item.id != 24563 && item.id != 24572;
}

}  // namespace

const std::array<MenShellItem, 18>& MenShellItems() {
    static const std::array<MenShellItem, 18> items{{
        {kFilePopup, "&Datei", "FILE", "Öffnen von Dateien und Programmende", 0},
        {24562, "&Datei öffnen ", "DATEIOEFFNEN", "Öffnen eines DataWindows  *.dbf", -1},
        {24563, "Datei neu", "DATEI_DATEI_NEU", "", -1},
        {24565, "S&tart ", "DATEISTART", "den Startbildschirm öffnen", -1},
        {24567, "&Interessenten und Kunden", "DATEIADRESSEN",
         "Öffnen der Interessenten und Kundenverwaltung", -1},
        {24568, "Interessenten und Kunden - Selektion", "DATEIADRESSENSELEKTION",
         "Öffnen der Kundenverwaltung mit der Datei 'AdrTemp.dbf'", -1},
        {24569, "&Gesellschaften", "DATEIGESELLSCHAFTEN",
         "Öffnen des Fensters der privaten Krankenversicherer", -1},
        {24570, "&Terminkalender", "DATEITERMIN", "Öffnet den Terminkalender", -1},
        {24571, "&Vermittler", "DATEIVERMITTLER", "", -1},
        {24572, "Schnellsuche", "DATEISCHNELLSUCHE", "", -1},
        {24573, "Datene&xport Betreuer", "DATEIVEXPORT", "", -1},
        {24575, "Ei&nstellungen", "DATEIEINSTELLUNGEN", "allgemeine Einstellungen zum Programm",
         -1},
        {24576, "D&rucker-Einstellung...", "DATEIPRINTERSETUP", "Druckereinstellungen", -1},
        {24578, "Re&organisation", "DATEIREORGANISATION",
         "Datenbanken komprimieren, Index-Dateien neu aufbauen", -1},
        {24580, "&Ende", "DATEIENDE", "Applikation beenden; zurück zu Windows", -1},
        {kHelpPopup, "&Hilfe", "HELP", "Hilfe-Menüoptionen", 1},
        {24582, "&Index", "HILFEINDEX", "Index der Hilfe-Datei", -1},
        {32031, "&Über...", "HILFEUEBER", "Nähere Informationen zur Applikation ", -1},
    }};
    return items;
}

MenShellLayoutAccelerator::MenShellLayoutAccelerator()
    : Accelerator(ResourceID("MENSHELL_LAYOUT")) {}

MenShellLayout::MenShellLayout() : Menu(ResourceID("MENSHELL_LAYOUT")) {
    for (const MenShellItem& item : MenShellItems()) {
        std::string caption(item.caption);
        if (Evaluated(item))
            caption = StrEvaluate(caption);
        const kp::HyperLabel label(Symbol(item.command), caption, std::string(item.help));
        if (item.popupPosition >= 0)
            RegisterItem(item.id, label, Handle(), item.popupPosition);
        else
            RegisterItem(item.id, label);
    }
    Accelerator(std::make_shared<MenShellLayoutAccelerator>());
}

Symbol MenShellLayout::ClassName() const {
    static const Symbol name("MENSHELL_LAYOUT");
    return name;
}

}  // namespace kp

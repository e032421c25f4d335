#include "wordpad/Menu.h"

#include <memory>
#include <string>

namespace kp {

const std::array<ChildMenuItem, 29>& ChildMenuItems() {
    // Descriptions and help contexts as the suite has always stored them,
    // the paste and find entries' swapped pair included.
    static const std::array<ChildMenuItem, 29> items{{
        {IDM_DATEI, "&Datei", "File", "", "File", 0},
        {IDM_NEU, "&Neu", "DateiNeu", "", "", -1},
        {IDM_OEFFNEN, "&Öffnen", "DateiÖffnen", "", "", -1},
        {IDM_SPEICHERN, "&Speichern", "Save", "Datei speichern", "", -1},
        {IDM_SPEICHERNALS, "Speichern als...", "SaveAs", "", "", -1},
        {IDM_DRUCKEN, "&Drucken...", "DateiDrucken", "Text drucken...", "File_Print", -1},
        {IDM_VORSCHAU, "&Druck Vorschau", "DateiVorschau", "", "", -1},
        {IDM_DRUCKERSETUP, "Dr&ucker Setup...", "FilePrinterSetup", "Setup printer options",
         "File_Printer_Setup", -1},
        {IDM_SCHLIESSEN, "Schließen\tSTRG+F4", "FileClose", "Text schließen...", "File_Exit", -1},
        {IDM_BEARBEITEN, "&Bearbeiten", "Edit", "Edit information", "Edit", 1},
        {IDM_AUSSCHNEIDEN, "&Ausschneiden\tSTRG+X", "Cut", "Text auschneiden...", "Cut", -1},
        {IDM_KOPIEREN, "&Kopieren\tSTRG+C", "Copy", "Text kopieren...", "Copy", -1},
        {IDM_EINFUEGEN, "&Einfügen\tSTRG+V", "Paste", "Paste from Clipboard", "Text einfügen...",
         -1},
        {IDM_SUCHEN, "&Suchen\tALT+F3", "Find", "Find a specific record", "Text suchen...", -1},
        {IDM_ANSICHT, "&Ansicht", "_Ansicht", "", "", 2},
        {IDM_EINSTELLUNGEN, "Einstellun&gen", "ShowSettings", "", "", -1},
        {IDM_OPTIONEN, "&Optionen", "RTFOptions", "", "", -1},
        {IDM_RAENDER, "Ränder", "Paragraph", "", "", -1},
        {IDM_FORMAT, "F&ormat", "_Format", "", "", 3},
        {IDM_ABSATZ, "&Absatz", "Paragraph", "Set Left and Right margins", "", -1},
        {IDM_FETT, "&Fett", "Fett", "Fettschrift...", "", -1},
        {IDM_KURSIV, "&Kursiv", "Italic", "Kursivschrift...", "", -1},
        {IDM_UNTERSTRICHEN, "&Unterstrichen", "Underlined", "Unterstrichen...", "", -1},
        {IDM_LINKSBUENDIG, "&Linksbündig", "AlignLeft", "Linksbündig...", "", -1},
        {IDM_ZENTRIERT, "&Zentriert", "Centre", "Zentriert...", "", -1},
        {IDM_RECHTSBUENDIG, "&Rechtsbündig", "AlignRight", "Rechtsbündig...", " ", -1},
        {IDM_AUFZAEHLUNG, "A&ufzählungszeichen", "Bullets", "Aufzählungszeichen...", "", -1},
        {IDM_AUSRUECKEN, "Ausrücken", "Unindent", "", "", -1},
        {IDM_EINRUECKEN, "Einrücken", "Indent", "", "", -1},
    }};
    return items;
}

ChildMenu_Accelerator::ChildMenu_Accelerator() : Accelerator(ResourceID("CHILDMENU")) {}

ChildMenu::ChildMenu(Window*) : Menu(ResourceID("CHILDMENU")) {
    for (const ChildMenuItem& item : ChildMenuItems()) {
        const kp::HyperLabel label(Symbol(item.event), std::string(item.caption),
                                   std::string(item.description), std::string(item.helpContext));
        if (item.popupPosition >= 0)
            RegisterItem(item.id, label, Handle(), item.popupPosition);
        else
            RegisterItem(item.id, label);
    }
    Accelerator(std::make_shared<ChildMenu_Accelerator>());
}

Symbol ChildMenu::ClassName() const {
    static const Symbol name("CHILDMENU");
    return name;
}

Symbol RTFDOC::ClassName() const {
    static const Symbol name("RTFDOC");
    return name;
}

}  // namespace kp

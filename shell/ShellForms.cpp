#include "shell/ShellForms.h"

#include <utility>

#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "shell/KpShell.h"
#include "shell/SuiteIndexes.h"
#include "shell/shellForms_ids.h"

namespace kp {

namespace {

void DefineAdressen(TabForm& f) {
    f.DefinePage({"Person",
                  "adrPerson_layout",
                  {{ID_ADR_ADRESSNR, "ADRESSNR", "Adressnummer (wird vergeben)"},
                   {ID_ADR_ANREDE, "ANREDE", "Anrede: Herr, Frau, Eheleute oder Firma"},
                   {ID_ADR_TITEL, "TITEL", "akademischer Titel"},
                   {ID_ADR_VNAME, "VNAME", "Vorname oder erste Zeile des Firmennamens"},
                   {ID_ADR_NNAME, "NNAME", "Nachname oder zweite Zeile des Firmennamens"},
                   {ID_ADR_STRASSE, "STRASSE", "Straße und Hausnummer"},
                   {ID_ADR_PLZ, "PLZ", "Postleitzahl"},
                   {ID_ADR_ORT, "ORT", "Wohnort"}}});
    f.DefinePage({"Kontakt",
                  "adrKontakt_layout",
                  {{ID_ADR_TELEFON, "TELEFON", "Telefonnummer mit Vorwahl"},
                   {ID_ADR_GEBDATUM, "GEBDATUM", "Geburtsdatum (TT.MM.JJJJ)"},
                   {ID_ADR_KUNDE, "KUNDE", "J: Kunde mit Verträgen, N: Interessent", true},
                   {ID_ADR_BETREUNR, "BETREUNR", "Nummer des betreuenden Vermittlers"},
                   {ID_ADR_ANGELEGT, "ANGELEGT", "Datum der Erfassung"}}});
    f.DefinePage({"Notizen", "adrNotiz_layout", {{ID_ADR_NOTIZ, "NOTIZ", "Notizen zur Adresse"}}});
}

void DefineGesellschaften(TabForm& f) {
    f.DefinePage({"Firma",
                  "gesFirma_layout",
                  {{ID_GES_GESNR, "GESNR", "Nummer der Gesellschaft"},
                   {ID_GES_GESELL, "GESELL", "Kurzname, wie ihn die Listen zeigen"},
                   {ID_GES_GKURZ, "GKURZ", "Schlüsselwort der Briefe an die Gesellschaft"},
                   {ID_GES_SPARTE, "SPARTE", "Hauptsparte"},
                   {ID_GES_GESNAME, "GESNAME", "vollständiger Name"}}});
    f.DefinePage(
        {"Anschrift",
         "gesAnschrift_layout",
         {{ID_GES_STRASSE, "STRASSE", "Straße und Hausnummer"},
          {ID_GES_PLZ, "PLZ", "Postleitzahl"},
          {ID_GES_ORT, "ORT", "Ort"},
          {ID_GES_TELEFON, "TELEFON", "Telefonnummer"},
          {ID_GES_AGENTURNR, "AGENTURNR", "Agenturnummer des Büros bei der Gesellschaft"}}});
}

void DefineVermittler(TabForm& f) {
    f.DefinePage({"Person",
                  "verPerson_layout",
                  {{ID_VER_BETREUNR, "BETREUNR", "Betreuernummer"},
                   {ID_VER_ANREDE, "ANREDE", "Anrede"},
                   {ID_VER_TITEL, "TITEL", "akademischer Titel"},
                   {ID_VER_VNAME, "VNAME", "Vorname"},
                   {ID_VER_NNAME, "NNAME", "Nachname"}}});
    f.DefinePage({"Anschrift",
                  "verAnschrift_layout",
                  {{ID_VER_STRASSE, "STRASSE", "Straße und Hausnummer"},
                   {ID_VER_PLZ, "PLZ", "Postleitzahl"},
                   {ID_VER_ORT, "ORT", "Ort"},
                   {ID_VER_TELEFON, "TELEFON", "Telefonnummer"},
                   {ID_VER_PROVSATZ, "PROVSATZ", "Provisionssatz in Prozent"},
                   {ID_VER_AKTIV, "AKTIV", "J: aktiver Vermittler, N: nicht mehr tätig", true}}});
}

std::shared_ptr<Menu> MakePopup() {
    auto menu = std::make_shared<Menu>(ResourceID("shellFormPopup"));
    menu->RegisterItem(ID_POPUP_SPEICHERN, kp::HyperLabel("PshSpeichern", "&Speichern",
                                                          "Änderungen des Datensatzes speichern"));
    menu->RegisterItem(ID_POPUP_VERWERFEN,
                       kp::HyperLabel("Verwerfen", "Änderungen &verwerfen",
                                      "die Eingaben seit dem letzten Speichern zurücknehmen"));
    menu->RegisterItem(ID_POPUP_LESEN,
                       kp::HyperLabel("SetReadOnly", "Nur &lesen", "Felder nur anzeigen"));
    menu->RegisterItem(ID_POPUP_BEARBEITEN,
                       kp::HyperLabel("SetReadWrite", "&Bearbeiten", "Felder bearbeiten"));
    menu->RegisterItem(ID_POPUP_START, kp::HyperLabel("DATEISTART", "S&tartbildschirm",
                                                      "den Startbildschirm öffnen"));
    return menu;
}

}  // namespace

RecordFormInfo RecordFormInfoOf(RecordFormKind kind) {
    switch (kind) {
        case RecordFormKind::Gesellschaften:
            return {
                "GesellA.dbf", "Gesellschaften", "Gesellschaften", {"Gesella.ntx", "Gesella2.ntx"}};
        case RecordFormKind::Vermittler:
            return {"Vermitt.dbf", "Vermittler", "Vermittler", {"Vermitt.ntx", "Vermitt2.ntx"}};
        case RecordFormKind::Adressen:
        default:
            return {
                "Adressen.dbf",
                "Adressen",
                "Interessenten und Kunden",
                {"Adressnr.ntx", "Adrename.ntx", "Adresplz.ntx", "Adresstr.ntx", "Adresort.ntx"}};
    }
}

ShellRecordForm::ShellRecordForm(Window* owner, RecordFormKind kind, const std::string& dataPath,
                                 const std::string& iniPath)
    : TabForm(owner, std::make_shared<DBServer>(dataPath + RecordFormInfoOf(kind).table),
              RecordFormInfoOf(kind).caption, ResourceID("shellForm_layout")),
      kind_(kind) {
    // Every index of the table that exists is kept up to date with each
    // save; the record search seeks in them when all are there. The form
    // goes on in the table's own order.
    if (DBServer* db = Table(); db && db->Used()) {
        const auto& listed = RecordFormInfoOf(kind).indexes;
        const OpenedIndexes opened =
            OpenIndexes(*db, dataPath, std::vector<std::string>(listed.begin(), listed.end()));
        orders_ = opened.complete ? opened.opened : 0;
        indexError_ = opened.error;
    }
    PshVorherButton_ = std::make_unique<PushButton>(this, ResourceID(ID_FORM_PSHVORHER));
    PshVorherButton_->HyperLabel(kp::HyperLabel("PshVorher", "< &Zurück", "voriger Datensatz"));
    PshWeiterButton_ = std::make_unique<PushButton>(this, ResourceID(ID_FORM_PSHWEITER));
    PshWeiterButton_->HyperLabel(kp::HyperLabel("PshWeiter", "&Weiter >", "nächster Datensatz"));
    switch (kind) {
        case RecordFormKind::Adressen:
            DefineAdressen(*this);
            break;
        case RecordFormKind::Gesellschaften:
            DefineGesellschaften(*this);
            break;
        case RecordFormKind::Vermittler:
            DefineVermittler(*this);
            break;
    }
    PopupMenu(MakePopup());
    PopupMenuNo(0);
    AddTabPagesIni(Tabs(), iniPath, RecordFormInfoOf(kind).section);
}

Symbol ShellRecordForm::ClassName() const {
    return Symbol("SHELLRECORDFORM");
}

bool ShellRecordForm::HasUnsavedChanges() {
    if (edited_)
        return true;
    for (int i = 1; i <= Tabs().TabCount(); ++i)
        if (DataPage* page = Page(Tabs().GetTabName(i)))
            for (const auto& edit : page->Fields())
                if (edit->IsAlive() && edit->Modified())
                    return true;
    return false;
}

void ShellRecordForm::PageEdited(DataPage&, Control&) {
    edited_ = true;
}

void ShellRecordForm::PshSpeichern() {
    if (!indexError_.empty()) {
        TellNotSaved(Handle(), indexError_);
        return;
    }
    const bool written = Save();
    // A field the table refused keeps its text, and the form its change.
    edited_ = false;
    edited_ = HasUnsavedChanges();
    if (!edited_)
        Valid(true);
    if (written)
        if (auto* shell = dynamic_cast<KpShell*>(Owner()))
            shell->RefreshForms(*this);
}

void ShellRecordForm::Verwerfen() {
    for (int i = 1; i <= Tabs().TabCount(); ++i)
        if (DataPage* page = Page(Tabs().GetTabName(i)))
            page->Revert();
    edited_ = false;
    Valid(true);
}

bool ShellRecordForm::AgreeToClose() {
    if (Valid() && !HasUnsavedChanges())
        return true;
    return AgreeToCloseForm(
        Handle(), Caption(),
        [this] {
            PshSpeichern();
            return !HasUnsavedChanges();
        },
        discardAgreed_);
}

bool ShellRecordForm::QueryClose(Event& e) {
    if (!AgreeToClose())
        return false;
    if (std::exchange(discardAgreed_, false))
        Verwerfen();
    return TabForm::QueryClose(e);
}

void ShellRecordForm::Move(int step) {
    DBServer* db = Table();
    if (!db || !db->Used())
        return;
    // What was typed goes into the record before the pointer leaves it.
    PshSpeichern();
    if (HasUnsavedChanges())
        return;  // a field was refused; the user sees why and stays
    db->Skip(step);
    if (db->EoF())
        db->GoBottom();
    else if (db->BoF())
        db->GoTop();
}

void ShellRecordForm::PshVorher() {
    Move(-1);
}

void ShellRecordForm::PshWeiter() {
    Move(1);
}

Method ShellRecordForm::FindMethod(Symbol name) {
    static const MethodTable<ShellRecordForm> methods{
        {"PshVorher", &ShellRecordForm::PshVorher},
        {"PshWeiter", &ShellRecordForm::PshWeiter},
        {"PshSpeichern", &ShellRecordForm::PshSpeichern},
        {"Verwerfen", &ShellRecordForm::Verwerfen},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return TabForm::FindMethod(name);
}

}  // namespace kp

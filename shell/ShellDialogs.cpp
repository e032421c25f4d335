#include "shell/ShellDialogs.h"

#include <filesystem>

#include "config/DateiOrdner.h"
#include "config/IniFile.h"
#include "dialogs/dlgAbout.h"
#include "dialogs/dlgProgress.h"
#include "dialogs/dlgSeek.h"
#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "platform/gui/datawindow.h"
#include "platform/gui/tablewindow.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "shell/Reorganisation.h"
#include "shell/ShellForms.h"

namespace kp {

namespace {

void Tell(Window* owner, const std::string& text, UINT icon = MB_ICONINFORMATION) {
    CurrentPresenter().ShowMessage(owner ? owner->Handle() : nullptr, "KONTORPLUS", text,
                                   MB_OK | icon);
}

std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(Utf8ToWide(path)), ec);
}

const char* OwnerKindOf(RecordFormKind kind) {
    switch (kind) {
        case RecordFormKind::Gesellschaften:
            return "dtaGesell";
        case RecordFormKind::Vermittler:
            return "dtaVermittler";
        case RecordFormKind::Adressen:
        default:
            return "dtaAdressen";
    }
}

}  // namespace

// ---------------------------------------------------------------- settings

DlgEinstellungen::DlgEinstellungen(Window* owner, ShellSettings& settings)
    : DialogWindow(owner, ResourceID("dlgEinstellungen"), true), settings_(settings) {
    SleDatenpfad = std::make_unique<SingleLineEdit>(this, ResourceID(ID_EINST_SLEDATENPFAD));
    SleDatenpfad->HyperLabel(kp::HyperLabel("SleDatenpfad", "Datenpfad:"));
    PshDurchsuchenButton = std::make_unique<PushButton>(this, ResourceID(ID_EINST_PSHDURCHSUCHEN));
    PshDurchsuchenButton->HyperLabel(kp::HyperLabel("PshDurchsuchen", "&Durchsuchen..."));
    PshOKButton = std::make_unique<PushButton>(this, ResourceID(IDOK));
    PshOKButton->HyperLabel(kp::HyperLabel("PshOK", "&OK"));
    PshAbbruchButton = std::make_unique<PushButton>(this, ResourceID(IDCANCEL));
    PshAbbruchButton->HyperLabel(kp::HyperLabel("PshAbbruch", "&Abbruch"));
    SleDatenpfad->TextValue(settings_.dataPath);
}

Symbol DlgEinstellungen::ClassName() const {
    return Symbol("DLGEINSTELLUNGEN");
}

void DlgEinstellungen::PshDurchsuchen() {
    DateiOrdner browser(this);
    browser.WantFolders(true);
    browser.StartFolder = DateiOrdner::kDrives;
    browser.Caption = "Datenpfad wählen";
    browser.Help = "Bitte den Ordner mit den Tabellen der Suite wählen.";
    browser.Show();
    if (!browser.Path().empty())
        SleDatenpfad->TextValue(browser.Path());
}

void DlgEinstellungen::PshOK() {
    const std::string typed = AllTrim(SleDatenpfad->TextValue());
    const std::string programDir = FolderOf(settings_.iniPath);
    const std::string resolved = ResolveDataPath(programDir, typed);
    if (!IsFolder(resolved)) {
        Tell(this,
             "Der Ordner „" + resolved +
                 "“ ist nicht vorhanden.\r\nBitte einen vorhandenen Ordner eintragen oder mit "
                 "„Durchsuchen...“ wählen.",
             MB_ICONEXCLAMATION);
        SleDatenpfad->SetFocus();
        return;
    }
    if (resolved != settings_.dataPath) {
        IniFile ini(settings_.iniPath);
        ini.WriteString("Pfade", "Daten", typed);
        const bool secondFollows = ini.GetString("Pfade", "Daten2").empty();
        settings_.dataPath = resolved;
        if (secondFollows)
            settings_.dataPath2 = resolved;
        PublishShellSettings(settings_);
    }
    EndDialog(1);
}

Method DlgEinstellungen::FindMethod(Symbol name) {
    static const MethodTable<DlgEinstellungen> methods{
        {"PshDurchsuchen", &DlgEinstellungen::PshDurchsuchen},
        {"PshOK", &DlgEinstellungen::PshOK},
        {"PshAbbruch", &DlgEinstellungen::PshAbbruch},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DialogWindow::FindMethod(name);
}

// ---------------------------------------------------------------- search

void QuickSearch(Window* shell, Window* front) {
    if (auto* form = dynamic_cast<ShellRecordForm*>(front)) {
        // What was typed goes into the record before the search moves away.
        form->PshSpeichern();
        if (form->HasUnsavedChanges())
            return;
        if (form->OrderCount() == 0) {
            Tell(shell,
                 "Zur Tabelle des Formulars „" + form->Caption() +
                     "“ gibt es keine Indexdateien.\r\nBitte die Reorganisation (F12) ausführen.",
                 MB_ICONEXCLAMATION);
            return;
        }
        DlgSeek seek(form, OwnerKindOf(form->Kind()));
        seek.Show();
        return;
    }
    if (auto* window = dynamic_cast<DataWindow*>(front)) {
        auto* db = dynamic_cast<DBServer*>(window->Server());
        if (db && db->Used() && Upper(TableName(db->FullPath())) == "VERTRAG") {
            DlgSeek seek(window, "tabVertraege");
            seek.ContractsOwnTable(true);
            seek.Show();
            return;
        }
    }
    Tell(shell,
         "Die Schnellsuche sucht im Formular im Vordergrund.\r\nBitte zuerst „Interessenten und "
         "Kunden“ (F3), „Gesellschaften“ (F5), „Vermittler“ oder die Tabelle Vertrag (Strg+D) "
         "öffnen.");
}

// ---------------------------------------------------------------- reorganisation

void RunReorganisation(Window* shell, const std::string& dataPath) {
    const std::vector<ReorgTable>& tables = SuiteReorgTables();
    const int steps = static_cast<int>(tables.size()) * 100;
    DlgProgress progress(shell, 0, steps, "Reorganisation");
    progress.Show();
    std::string current;
    int tableNo = -1;
    const ReorgOutcome out =
        Reorganise(dataPath, tables, [&](const std::string& step, uint32_t done, uint32_t total) {
            const std::string table = step.substr(0, step.find(':'));
            if (table != current) {
                current = table;
                for (size_t i = 0; i < tables.size(); ++i)
                    if (tables[i].file == table)
                        tableNo = static_cast<int>(i);
            }
            const int share = total ? static_cast<int>(100.0 * done / total) : 100;
            progress.Update(tableNo * 100 + share,
                            step + "  (" + Thousands(done) + " von " + Thousands(total) + ")");
            return !progress.Cancel();
        });
    progress.EndDialog();
    const ReorgMessage told = OutcomeMessage(out);
    Tell(shell, told.text, told.warning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
}

void RecoverReorganisation(Window* shell, const std::string& dataPath) {
    const std::string told = RecoveryMessage(RecoverReorganisation(dataPath, SuiteReorgTables()));
    if (!told.empty())
        Tell(shell, told, MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------- help

std::string ShellHelpText(HMENU menuBar) {
    std::string text = "KONTORPLUS – Hilfe\r\n";
    const int popups = GetMenuItemCount(menuBar);
    for (int p = 0; p < popups; ++p) {
        HMENU popup = GetSubMenu(menuBar, p);
        const int n = popup ? GetMenuItemCount(popup) : 0;
        text += "\r\n";
        for (int i = 0; i < n; ++i) {
            wchar_t buffer[128] = {};
            if (!GetMenuStringW(popup, static_cast<UINT>(i), buffer, 128, MF_BYPOSITION) ||
                !buffer[0])
                continue;  // a separator
            std::string item = WideToUtf8(buffer), keys;
            if (const size_t tab = item.find('\t'); tab != std::string::npos) {
                keys = AllTrim(item.substr(tab + 1));
                item.resize(tab);
            }
            std::erase(item, '&');
            keys = StrTran(StrTran(keys, "STRG", "Strg"), "ALT", "Alt");
            text += (keys.empty() ? std::string("–") : keys) + "\t" + AllTrim(item);
            if (GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) &
                (MF_GRAYED | MF_DISABLED))
                text += " (noch nicht verfügbar)";
            text += "\r\n";
        }
    }
    text += "\r\nIn den Formularen: rechte Maustaste für Speichern, Nur lesen und Bearbeiten.";
    return text;
}

// ---------------------------------------------------------------- about

void ShowAbout(Window* shell) {
    DlgAbout about(shell);
    about.Application("KONTORPLUS – Programmrahmen");
    about.Version("Version 1.0");
    about.Notice("© KONTORPLUS Versicherungsmakler-Software");
    about.Show();
}

}  // namespace kp

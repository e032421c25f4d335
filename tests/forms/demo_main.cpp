// Shows a tab form inside a shell window, for looking at it: a table with
// one address in a temporary folder, two pages bound to its fields, the
// shell's status bar showing the focused field's description.
//   forms_demo [milliseconds [tab]]   ends by itself after that time (0: when
//                                     closed); tab selects a page (1, 2, 3)
#include <cstdlib>
#include <filesystem>

#include "forms/tabForm.h"
#include "platform/data/dbf.h"
#include "platform/gui/gui.h"
#include "platform/runtime/settings.h"

namespace {

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

std::string DemoTable() {
    const auto dir = std::filesystem::temp_directory_path() / "kpforms_demo";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Adressen.dbf").string();
    kp::Table::Create(path,
                      {{"NAME", 'C', 30, 0},
                       {"VORNAME", 'C', 20, 0},
                       {"STRASSE", 'C', 30, 0},
                       {"ORT", 'C', 25, 0}},
                      850);
    kp::DBServer db(path);
    db.Append();
    db.FieldPut(kp::Symbol("NAME"), kp::Usual("Müller"));
    db.FieldPut(kp::Symbol("VORNAME"), kp::Usual("Hans"));
    db.FieldPut(kp::Symbol("STRASSE"), kp::Usual("Hauptstraße 1"));
    db.FieldPut(kp::Symbol("ORT"), kp::Usual("Köln"));
    db.Commit();
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    kp::App app;
    kp::SetExclusive(false);
    kp::SetAnsi(false);
    const std::string table = DemoTable();

    kp::ShellWindow shell;
    shell.Caption("KONTORPLUS");
    kp::StatusBar bar(&shell);
    shell.StatusBar(&bar);
    shell.Size(kp::Dimension(760, 560));
    shell.Show();

    auto form = std::make_unique<kp::TabForm>(&shell, std::make_shared<kp::DBServer>(table),
                                              "Interessenten und Kunden");
    form->DefinePage({"Allgemein",
                      "pageAllgemein",
                      {{201, "NAME", "Name des Kunden"}, {202, "VORNAME", "Vorname des Kunden"}}});
    form->DefinePage({"Anschrift",
                      "pageAnschrift",
                      {{211, "STRASSE", "Straße und Hausnummer"}, {212, "ORT", "Wohnort"}}});
    form->FirstTabNo(argc > 2 ? std::atoi(argv[2]) : 1);
    form->AddTabPages(form->Tabs(), {{kp::Symbol("Allgemein"), "Allgemein", {}, {"Name"}},
                                     {kp::Symbol("Anschrift"), "Anschrift", {}, {"Anschrift"}},
                                     {kp::Symbol("Notiz"), "Notizen", {}, {}}});
    form->Show();
    if (kp::DataPage* page = form->Page(form->Tabs().SelectedTab());
        page && !page->Fields().empty())
        page->Fields().front()->SetFocus();

    const int ms = argc > 1 ? std::atoi(argv[1]) : 0;
    if (ms > 0)
        SetTimer(nullptr, 0, static_cast<UINT>(ms), &EndDemo);
    app.Exec();
    return 0;
}

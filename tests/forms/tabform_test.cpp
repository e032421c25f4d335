// Tab forms over a table: pages made from resources, fields bound through
// the server, saving, read-only switching and the refresh of other forms on
// the same table.
#include <gtest/gtest.h>

#include <filesystem>

#include "forms/fieldCheck.h"
#include "forms/tabForm.h"
#include "platform/data/dbf.h"
#include "platform/gui/boxes.h"
#include "platform/gui/gui.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "tests/app/win_support.h"

namespace kp {
namespace {

class TabFormTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitGuiLibrary();
        // As the suite runs: shared tables, OEM character data.
        SetExclusive(false);
        SetAnsi(false);
        SetDeleted(true);
    }

    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("kptabform_" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "Adressen.dbf").string();
        Table::Create(path_,
                      {{"NAME", 'C', 30, 0},
                       {"VORNAME", 'C', 20, 0},
                       {"STRASSE", 'C', 30, 0},
                       {"ORT", 'C', 25, 0},
                       {"NOTIZ", 'C', 40, 0}},
                      850);
        DBServer db(path_);
        db.Append();
        db.FieldPut(Symbol("NAME"), Usual("Müller"));
        db.FieldPut(Symbol("VORNAME"), Usual("Hans"));
        db.FieldPut(Symbol("STRASSE"), Usual("Hauptstraße 1"));
        db.FieldPut(Symbol("ORT"), Usual("Köln"));
        db.Commit();
        db.Close();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::unique_ptr<TabForm> OpenForm() {
        auto form = std::make_unique<TabForm>(nullptr, std::make_shared<DBServer>(path_),
                                              "Interessenten und Kunden");
        form->DefinePage({"Allgemein",
                          "pageAllgemein",
                          {{201, "NAME", "Name des Kunden"}, {202, "VORNAME", "Vorname"}}});
        form->DefinePage({"Anschrift", "pageAnschrift", {{211, "STRASSE", ""}, {212, "ORT", ""}}});
        form->AddTabPages(form->Tabs(), {{Symbol("Allgemein"), "Allgemein", {}, {}},
                                         {Symbol("Anschrift"), "Anschrift", {}, {}},
                                         {Symbol("Notiz"), "Notiz", {}, {}}});
        form->Show();
        return form;
    }

    std::string Stored(const char* field) {
        DBServer db(path_);
        db.GoTop();
        return Trim(db.FieldGet(Symbol(field)).AsString());
    }

    static void Type(SingleLineEdit* edit, const std::string& text) {
        ASSERT_NE(edit, nullptr);
        SetWindowTextW(edit->Handle(), Utf8ToWide(text).c_str());
    }

    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(TabFormTest, PagesShowTheRecordAndSaveWhatWasTyped) {
    auto form = OpenForm();
    EXPECT_EQ(form->Caption(), "Interessenten und Kunden");
    DataPage* allgemein = form->Page(Symbol("Allgemein"));
    ASSERT_NE(allgemein, nullptr);
    EXPECT_EQ(form->Page(Symbol("Anschrift")), nullptr);  // not selected yet
    EXPECT_EQ(allgemein->Field(Symbol("NAME"))->TextValue(), "Müller");
    EXPECT_EQ(allgemein->Field(Symbol("VORNAME"))->TextValue(), "Hans");
    // Bound through the server: the field's description and width.
    SingleLineEdit* name = allgemein->Field(Symbol("NAME"));
    ASSERT_NE(name->FieldSpec(), nullptr);
    EXPECT_EQ(name->HyperLabel().Description(), "Name des Kunden");
    EXPECT_EQ(SendMessageW(name->Handle(), EM_GETLIMITTEXT, 0, 0), 30);

    Type(name, "Meier");
    // Switching tabs keeps what was typed.
    ASSERT_TRUE(form->Tabs().SelectTab(Symbol("Anschrift")));
    DataPage* anschrift = form->Page(Symbol("Anschrift"));
    ASSERT_NE(anschrift, nullptr);
    EXPECT_EQ(anschrift->Field(Symbol("ORT"))->TextValue(), "Köln");
    Type(anschrift->Field(Symbol("STRASSE")), "Ringstr. 7");
    form->Tabs().SelectTab(Symbol("Allgemein"));
    EXPECT_EQ(name->TextValue(), "Meier");
    // A tab without a page of its own shows none.
    form->Tabs().SelectTab(Symbol("Notiz"));
    EXPECT_EQ(form->Tabs().CurrentPage(), nullptr);

    EXPECT_TRUE(form->Save());
    EXPECT_EQ(Stored("NAME"), "Meier");
    EXPECT_EQ(Stored("STRASSE"), "Ringstr. 7");
    EXPECT_EQ(Stored("VORNAME"), "Hans");  // untouched fields stay as they were
    EXPECT_EQ(Stored("ORT"), "Köln");
    // Nothing changed since: nothing to write.
    EXPECT_FALSE(form->Save());

    // The button does the same.
    Type(name, "Schulze");
    SendMessageW(GetDlgItem(form->CanvasHandle(), 101), BM_CLICK, 0, 0);
    EXPECT_EQ(Stored("NAME"), "Schulze");
}

TEST_F(TabFormTest, ReadOnlyReachesEveryPageAlsoThoseMadeLater) {
    auto form = OpenForm();
    DataPage* allgemein = form->Page(Symbol("Allgemein"));
    form->SetReadOnly();
    EXPECT_TRUE(allgemein->ReadOnly());
    EXPECT_TRUE(allgemein->Field(Symbol("NAME"))->ReadOnly());
    form->Tabs().SelectTab(Symbol("Anschrift"));
    DataPage* anschrift = form->Page(Symbol("Anschrift"));
    ASSERT_NE(anschrift, nullptr);
    EXPECT_TRUE(anschrift->Field(Symbol("STRASSE"))->ReadOnly());
    form->SetReadWrite();
    EXPECT_FALSE(allgemein->Field(Symbol("NAME"))->ReadOnly());
    EXPECT_FALSE(anschrift->Field(Symbol("STRASSE"))->ReadOnly());

    // The same from a menu item of the form's pop-up menu.
    auto menu = std::make_shared<Menu>(ResourceID("testPopup"));
    menu->RegisterItem(601, HyperLabel("SetReadOnly"));
    menu->RegisterItem(602, HyperLabel("SetReadWrite"));
    form->PopupMenu(menu);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(601, 0), 0);
    EXPECT_TRUE(anschrift->Field(Symbol("ORT"))->ReadOnly());
    EXPECT_FALSE(form->Edit());
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(602, 0), 0);
    EXPECT_FALSE(anschrift->Field(Symbol("ORT"))->ReadOnly());
}

TEST_F(TabFormTest, RefreshReadsTheRecordAgainWhereTheTableIsTheSame) {
    auto a = OpenForm();
    auto b = OpenForm();
    SingleLineEdit* nameB = b->Page(Symbol("Allgemein"))->Field(Symbol("NAME"));
    Type(a->Page(Symbol("Allgemein"))->Field(Symbol("NAME")), "Neumann");
    ASSERT_TRUE(a->Save());
    EXPECT_EQ(nameB->TextValue(), "Müller");
    b->Refresh(*a);
    EXPECT_EQ(nameB->TextValue(), "Neumann");

    // A window without a server, or on another table, refreshes nothing.
    DtaWindow none(nullptr, ResourceID("modeForm"));
    Type(nameB, "getippt");
    b->Refresh(none);
    EXPECT_EQ(nameB->TextValue(), "getippt");
    const std::string other = (dir_ / "Andere.dbf").string();
    std::filesystem::copy_file(path_, other);
    TabForm elsewhere(nullptr, std::make_shared<DBServer>(other), "Andere");
    b->Refresh(elsewhere);
    EXPECT_EQ(nameB->TextValue(), "getippt");
}

TEST_F(TabFormTest, TabKeyMovesThroughThePageAndOnToTheForm) {
    auto form = OpenForm();
    SetForegroundWindow(form->Handle());
    SingleLineEdit* name = form->Page(Symbol("Allgemein"))->Field(Symbol("NAME"));
    SingleLineEdit* vorname = form->Page(Symbol("Allgemein"))->Field(Symbol("VORNAME"));
    name->SetFocus();
    ApplicationExec(EXECWHILEEVENT);
    ASSERT_EQ(GetFocus(), name->Handle());
    auto tab = [] {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC00F0001);
        ApplicationExec(EXECWHILEEVENT);
    };
    tab();
    EXPECT_EQ(GetFocus(), vorname->Handle());
    tab();
    // Out of the page onto the form's own controls, not back to its start.
    EXPECT_NE(GetFocus(), name->Handle());
    EXPECT_TRUE(IsChild(form->CanvasHandle(), GetFocus()));
    EXPECT_FALSE(IsChild(form->Page(Symbol("Allgemein"))->Handle(), GetFocus()));
}

class OwnerShell : public ShellWindow {
  public:
    void Besitzer() { ++calls; }
    Method FindMethod(Symbol name) override {
        static const MethodTable<OwnerShell> methods{{"Besitzer", &OwnerShell::Besitzer}};
        if (Method m = methods.Bind(this, name))
            return m;
        return ShellWindow::FindMethod(name);
    }
    int calls = 0;
};

class RecordingForm : public TabForm {
  public:
    using TabForm::TabForm;
    void MenuInit(MenuInitEvent& e) override {
        if (e.Message() == WM_INITMENUPOPUP)
            popups.push_back(e.MenuHandle());
        TabForm::MenuInit(e);
    }
    std::vector<HMENU> popups;
};

void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(TabFormTest, RightClickOnAPageShowsTheFormsPopupWhoseCommandsReachTheShell) {
    OwnerShell shell;
    shell.Show();
    RecordingForm form(&shell, std::make_shared<DBServer>(path_), "Adressen");
    form.DefinePage({"Allgemein", "pageAllgemein", {{201, "NAME", ""}}});
    auto menu = std::make_shared<Menu>(ResourceID("testPopup"));
    menu->RegisterItem(602, HyperLabel("Besitzer"));
    form.PopupMenu(menu);
    form.AddTabPages(form.Tabs(), {{Symbol("Allgemein"), "Allgemein", {}, {}}});
    form.Show();
    DataPage* page = form.Page(Symbol("Allgemein"));
    ASSERT_NE(page, nullptr);

    SetTimer(nullptr, 0, 150, &EndMenuNow);
    SendMessageW(page->CanvasHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 100));
    ASSERT_EQ(form.popups.size(), 1u);
    EXPECT_EQ(form.popups[0], GetSubMenu(menu->Handle(), 0));
    // The form has no method of the item's name: its owner's is called.
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(602, 0), 0);
    EXPECT_EQ(shell.calls, 1);
}

// ---------------------------------------------------------------- all or nothing

TEST(FieldStoreProblem, WhatCannotBeStoredAsTypedIsNamedInGerman) {
    SetDateCountry(5);
    SetCentury(true);
    const FieldSpec date(Symbol("GEBDATUM"), 'D', 8, 0);
    EXPECT_FALSE(FieldStoreProblem(date, "29.02.1960", 850, "Geburtsdatum"));
    EXPECT_FALSE(FieldStoreProblem(date, "  .  .    ", 850, "Geburtsdatum"));  // empty
    EXPECT_FALSE(FieldStoreProblem(date, "", 850, "Geburtsdatum"));
    for (const char* bad : {"31.02.1980", "29.02.1981", "12.13.2010", "gestern"}) {
        const auto why = FieldStoreProblem(date, bad, 850, "Geburtsdatum");
        ASSERT_TRUE(why) << bad;
        EXPECT_NE(why->find(bad), std::string::npos) << *why;
        EXPECT_NE(why->find("Geburtsdatum"), std::string::npos) << *why;
    }

    const FieldSpec note(Symbol("NOTIZ"), 'M', 10, 0);
    EXPECT_FALSE(FieldStoreProblem(note, "Grüße, ½ Stunde", 850, "Notizen"));
    auto why = FieldStoreProblem(note, "10\u201312 Uhr", 850, "Notizen");
    ASSERT_TRUE(why);
    EXPECT_NE(why->find("\u201E\u2013\u201C im Feld \u201ENotizen\u201C"), std::string::npos)
        << *why;
    why = FieldStoreProblem(note, "50 \u20AC", 850, "Notizen");
    ASSERT_TRUE(why);
    EXPECT_NE(why->find("\u201E\u20AC\u201C"), std::string::npos) << *why;
    EXPECT_FALSE(FieldStoreProblem(note, "50 \u20AC", 1252, "Notizen"));  // 1252 has it

    const FieldSpec name(Symbol("PLZ"), 'C', 5, 0);
    EXPECT_FALSE(FieldStoreProblem(name, "50667   ", 850, "PLZ"));
    EXPECT_TRUE(FieldStoreProblem(name, "506670", 850, "PLZ"));

    const FieldSpec rate(Symbol("PROVSATZ"), 'N', 5, 2);
    EXPECT_FALSE(FieldStoreProblem(rate, "12.5", 850, "Provision"));
    EXPECT_FALSE(FieldStoreProblem(rate, " -1 ", 850, "Provision"));
    EXPECT_TRUE(FieldStoreProblem(rate, "123.5", 850, "Provision"));   // 123.50 is 6 wide
    EXPECT_TRUE(FieldStoreProblem(rate, "12,5 %", 850, "Provision"));  // the rest would be lost
    EXPECT_TRUE(FieldStoreProblem(rate, "zwölf", 850, "Provision"));

    const FieldSpec flag(Symbol("KUNDE"), 'L', 1, 0);
    for (const char* ok : {"J", "n", " T ", "F", ""})
        EXPECT_FALSE(FieldStoreProblem(flag, ok, 850, "Kunde")) << ok;
    for (const char* bad : {"x", "Ja", "1"})
        EXPECT_TRUE(FieldStoreProblem(flag, bad, 850, "Kunde")) << bad;

    EXPECT_EQ(FieldLabel("Geburtsdatum (TT.MM.JJJJ)", "GEBDATUM"), "Geburtsdatum");
    EXPECT_EQ(FieldLabel("Anrede: Herr, Frau", "ANREDE"), "Anrede");
    EXPECT_EQ(FieldLabel("", "ORT"), "ORT");
}

TEST_F(TabFormTest, ASaveIsAllOrNothingAndTheRefusedFieldKeepsItsText) {
    test::FakePresenter presenter;
    ScopedPresenter scoped(presenter);
    auto form = OpenForm();
    DataPage* allgemein = form->Page(Symbol("Allgemein"));
    ASSERT_NE(allgemein, nullptr);
    Type(allgemein->Field(Symbol("NAME")), "Meier");
    ASSERT_TRUE(form->Tabs().SelectTab(Symbol("Anschrift")));
    DataPage* anschrift = form->Page(Symbol("Anschrift"));
    ASSERT_NE(anschrift, nullptr);
    SingleLineEdit* ort = anschrift->Field(Symbol("ORT"));
    Type(ort, "Köln \u2013 Süd");
    form->Tabs().SelectTab(Symbol("Allgemein"));

    EXPECT_FALSE(form->Save());
    EXPECT_EQ(Stored("NAME"), "Müller") << "a refused save wrote the other fields";
    EXPECT_EQ(Stored("ORT"), "Köln");
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_NE(presenter.shown[0].text.find("\u201E\u2013\u201C im Feld \u201EOrt\u201C"),
              std::string::npos)
        << presenter.shown[0].text;
    EXPECT_EQ(form->Tabs().SelectedTab(), Symbol("Anschrift")) << "the field's page is shown";
    EXPECT_EQ(GetFocus(), ort->Handle());
    EXPECT_EQ(ort->TextValue(), "Köln \u2013 Süd");
    EXPECT_EQ(allgemein->Field(Symbol("NAME"))->TextValue(), "Meier");

    Type(ort, "Köln-Süd");
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(Stored("NAME"), "Meier");
    EXPECT_EQ(Stored("ORT"), "Köln-Süd");
}

}  // namespace
}  // namespace kp

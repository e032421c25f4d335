#pragma once
// Tab forms: a DtaWindow whose tab control shows sub-form pages, each made
// from a dialog resource, with edit fields bound to the fields of the table
// the form shows. The building block of the suite's record forms.
//
//   auto server = std::make_shared<DBServer>(dataPath + "Adressen.dbf");
//   auto form = std::make_unique<TabForm>(shell, server, "Interessenten und Kunden");
//   form->DefinePage({"Allgemein", "adrAllgemein_layout",
//                     {{201, "NAME", "Name des Kunden"}, {202, "VORNAME", "Vorname"}}});
//   form->DefinePage({"Anschrift", "adrAnschrift_layout", {{211, "STRASSE", "Straße"}}});
//   form->AddTabPagesIni(form->Tabs(), iniPath, "Adressen");  // Lasche1=Allgemein,...
//   form->Show();
//
// The tab names of the INI section (or of AddTabPages) choose the pages: a
// tab whose name is a defined page shows that page, made when the tab is
// first selected; other tabs show no page. A right click on a page shows the
// form's pop-up menu (PopupMenu, PopupMenuNo). "&Speichern" (PshSpeichern)
// writes every changed field of every page to the current record and
// commits; "&Schliessen" (PshSchliessen) ends the form. Read-only switching
// applies to the pages as well; menu items named "SetReadOnly" and
// "SetReadWrite" switch it.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "forms/dtaWindow.h"
#include "forms/subWindow.h"
#include "platform/data/dbserver.h"
#include "platform/gui/controls.h"

namespace kp {

// An edit control of a page and the field it shows.
struct PageField {
    int controlId = 0;
    std::string field;        // the table's field name
    std::string description;  // shown in the shell's status bar on focus
    bool yesNo = false;       // a logical field shown and typed as J or N
};

// A kind of page: the tab name that chooses it, its dialog resource (a
// child dialog) and its fields.
struct PageLayout {
    std::string name;
    std::string resource;
    std::vector<PageField> fields;
};

// A page: a sub-form whose edits show fields of the server it shares with
// its form.
class DataPage : public SubWindow {
  public:
    DataPage(Window* owner, const PageLayout& layout, std::shared_ptr<DataServer> server);
    Symbol ClassName() const override;

    // The edit of a field; null when the page has no such field.
    SingleLineEdit* Field(Symbol field) const;
    const std::vector<std::unique_ptr<SingleLineEdit>>& Fields() const { return edits_; }

    // Record changes read the current record into the edits. The file-change
    // notice that comes with each showing of the page reads it only the
    // first time, so that switching tabs keeps what the user has typed.
    void Notify(int code, const Usual& description) override;
    void Show(int showState = SHOWNORMAL) override;
    // The first changed edit whose text cannot be stored in its field as it
    // is, with the reason for the user; nothing when every change can be.
    struct Unstorable {
        SingleLineEdit* edit;
        std::string reason;
    };
    std::optional<Unstorable> FirstUnstorable() const;
    // Whether an edit holds a change that is not yet in the record.
    bool HasChanges() const;
    // Puts the changed edits into the current record: the number put, or -1
    // when one was refused (the error was reported). The edits keep their
    // marks until Saved(), so a save the form drops loses nothing typed.
    int Save();
    // The record with the page's changes is stored: the edits show it.
    void Saved();
    // A right click on a page without a pop-up menu of its own shows the
    // form's, whose commands then go to the form or its owner.
    void MouseButtonDown(MouseEvent& e) override;
    // Tells the form when the user changes a field.
    void EditChange(ControlEvent& e) override;
    // Reads the current record into the edits again; what was typed is lost.
    void Revert() { Scatter(); }

  private:
    void Scatter();
    // Whether the edit names a field of the page's table.
    bool IsBound(const SingleLineEdit& edit) const;
    std::vector<std::unique_ptr<SingleLineEdit>> edits_;
    std::vector<std::string> labels_;  // each edit's name for messages
    bool scattered_ = false;
    bool showing_ = false;
};

class TabForm : public DtaWindow {
  public:
    // The frame is "tabForm_layout" (resources/tabForm_layout.rc) or another
    // form with the same control ids. The form shares the server with its
    // pages and positions it on the first record.
    TabForm(Window* owner, std::shared_ptr<DBServer> server, const std::string& caption,
            const ResourceID& form = ResourceID("tabForm_layout"));
    ~TabForm() override;
    Symbol ClassName() const override;

    void DefinePage(PageLayout layout);
    TabControl& Tabs() { return *tabs_; }
    DBServer* Table() const { return server_.get(); }
    // The page of a tab, once it has been made.
    DataPage* Page(Symbol tabName) const;

    // Every changed field of every page into the current record, then
    // committed; false when nothing could be written. All or nothing: every
    // change is checked first, and one that cannot be stored (an impossible
    // date, a character the tables' code page lacks, a text too long) is
    // shown to the user with its field, which gets the focus; nothing is
    // written then and every field keeps what was typed.
    bool Save();
    void PshSpeichern() { Save(); }
    void PshSchliessen() { EndWindow(); }
    // By name, for menu items: "SetReadOnly", "SetReadWrite".
    void ReadOnlyCommand() { SetReadOnly(); }
    void ReadWriteCommand() { SetReadWrite(); }
    Method FindMethod(Symbol name) override;

    // A field of a page was changed by the user (not by reading a record).
    virtual void PageEdited(DataPage&, Control&) {}

    // The pages follow the form.
    DtaAbstract& SetReadOnly() override;
    DtaAbstract& SetReadWrite() override;

  private:
    std::unique_ptr<Window> MakePage(Symbol tabName);

    std::shared_ptr<DBServer> server_;
    std::vector<PageLayout> layouts_;
    std::unique_ptr<TabControl> tabs_;
    std::unique_ptr<PushButton> PshSpeichernButton_;
    std::unique_ptr<PushButton> PshSchliessenButton_;
};

}  // namespace kp

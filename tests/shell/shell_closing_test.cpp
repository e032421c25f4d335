// Closing windows with changes not yet saved, in-process: the shell asks
// every window before it closes any, the contract form asks and keeps the
// table's indexes right, and the table view writes only through every
// index of the table.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "platform/data/check.h"
#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "platform/gui/databrowser.h"
#include "platform/gui/tablewindow.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "shell/KpShell.h"
#include "shell/ShellEingabe.h"
#include "shell/SuiteIndexes.h"
#include "shell/shellEingabe_ids.h"
#include "tests/common/temp_folder.h"
#include "tools/demodata/demodata.h"

namespace kp {
namespace {

// Answers the boxes in turn with the replies given, and remembers them.
class ScriptedPresenter : public Presenter {
  public:
    int ShowMessage(HWND, const std::string& caption, const std::string& text, UINT) override {
        boxes.emplace_back(caption, text);
        if (replies.empty())
            return BOXREPLYOKAY;
        const int reply = replies.front();
        replies.pop_front();
        return reply;
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
    std::deque<int> replies;
    std::vector<std::pair<std::string, std::string>> boxes;
};

// A form with changes that answers the shell's question as it is told.
class AskedForm : public DtaAbstract, public UnsavedWork {
  public:
    AskedForm(Window* owner, bool agree)
        : DtaAbstract(owner, ResourceID("dtaStart_layout")), agree(agree) {}
    bool AgreeToClose() override {
        ++asked;
        agreed = agree;
        return agree;
    }
    void CloseCancelled() override {
        agreed = false;
        ++cancelled;
    }
    bool agree;
    bool agreed = false;
    int asked = 0, cancelled = 0;
};

TEST(ShellClosing, EveryWindowIsAskedBeforeAnyCloses) {
    ScriptedPresenter presenter;
    ScopedPresenter scoped(presenter);
    KpShell shell(ShellSettings{});
    AskedForm first(&shell, true), second(&shell, false);
    shell.RegisterChild(&first);
    shell.RegisterChild(&second);
    Event close(shell.Handle(), WM_CLOSE, 0, 0);
    // The second answers "Abbrechen": the first takes its agreement back,
    // and nothing has closed.
    EXPECT_FALSE(shell.QueryClose(close));
    EXPECT_EQ(first.asked, 1);
    EXPECT_EQ(second.asked, 1);
    EXPECT_EQ(first.cancelled, 1);
    EXPECT_FALSE(first.agreed);
    EXPECT_TRUE(first.IsAlive());
    second.agree = true;
    EXPECT_TRUE(shell.QueryClose(close));
    EXPECT_EQ(first.asked, 2);
    EXPECT_EQ(second.asked, 2);
    EXPECT_EQ(first.cancelled, 1);
    shell.UnRegisterChild(&first);
    shell.UnRegisterChild(&second);
}

class ContractFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        demo::WriteVertrag(folder_.Folder(), 30, 5);
        first_ = Stored("NNAME");
    }
    std::string Stored(const char* field) {
        DBServer db(folder_.File("Vertrag.DBF"));
        db.GoTop();
        return Trim(db.FieldGet(Symbol(field)).AsString());
    }
    // Text typed into a field: the edit marks itself modified.
    static void Type(Control& field, const std::string& text) {
        field.TextValue(text);
        SendMessageW(field.Handle(), EM_SETMODIFY, TRUE, 0);
    }
    CheckReport Check() {
        return CheckTable(folder_.File("Vertrag.DBF"),
                          {folder_.File("Vertrag5.ntx"), folder_.File("Vertrag6.ntx")}, 850);
    }
    test::TempFolder folder_;
    std::string first_;
};

TEST_F(ContractFormTest, ClosingAsksAndKeepsOrDropsOrSavesTheChange) {
    ScriptedPresenter presenter;
    ScopedPresenter scoped(presenter);
    KpShell shell(ShellSettings{});
    auto form = std::make_unique<DtaVertragEingabe>(&shell, folder_.Folder());
    form->Show();
    Event close(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->HasUnsavedChanges());

    Type(form->VersNr(), "77-7654321/1");
    EXPECT_TRUE(form->HasUnsavedChanges());
    // "Abbrechen": the form stays, with what was typed.
    presenter.replies = {BOXREPLYCANCEL};
    EXPECT_FALSE(form->QueryClose(close));
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_NE(presenter.boxes[0].second.find("Verträge erfassen"), std::string::npos);
    EXPECT_EQ(form->VersNr().TextValue(), "77-7654321/1");
    // The shell's end asks the same, and its "Abbrechen" keeps the change.
    presenter.replies = {BOXREPLYCANCEL};
    Event shellClose(shell.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(shell.QueryClose(shellClose));
    EXPECT_EQ(presenter.boxes.size(), 2u);
    EXPECT_TRUE(form->HasUnsavedChanges());
    // "Nein" at the shell, then "Abbrechen" elsewhere, drops nothing yet.
    presenter.replies = {BOXREPLYNO};
    form->AgreeToClose();
    form->CloseCancelled();
    EXPECT_TRUE(form->HasUnsavedChanges());

    // "Ja": saved, through the table's indexes.
    presenter.replies = {BOXREPLYYES};
    EXPECT_TRUE(form->AgreeToClose());
    EXPECT_FALSE(form->HasUnsavedChanges());
    EXPECT_EQ(Stored("VERSNR"), "77-7654321/1");
    const CheckReport check = Check();
    EXPECT_TRUE(check.Ok()) << (check.faults.empty() ? "" : check.faults[0]);

    // "Nein" on the form's own close: the record keeps its stored value.
    Type(form->VersNr(), "11-1111111/1");
    presenter.replies = {BOXREPLYNO};
    EXPECT_TRUE(form->QueryClose(close));
    EXPECT_EQ(Stored("VERSNR"), "77-7654321/1");
    EXPECT_EQ(form->VersNr().TextValue(), "77-7654321/1");
    EXPECT_EQ(Stored("NNAME"), first_);

    // A value set as an edit, without typing (a date picked from the
    // calendar, a number formatted on leaving its field), is a change too.
    form->Show();
    EXPECT_FALSE(form->HasUnsavedChanges());
    form->Beitrag().Value(Usual(4711.5));
    EXPECT_TRUE(form->HasUnsavedChanges());
    form->Destroy();
}

TEST_F(ContractFormTest, ASaveIsAllOrNothingAndNamesTheFieldThatCannotBeStored) {
    ScriptedPresenter presenter;
    ScopedPresenter scoped(presenter);
    KpShell shell(ShellSettings{});
    auto form = std::make_unique<DtaVertragEingabe>(&shell, folder_.Folder());
    form->Show();
    const std::string versNr = Stored("VERSNR");
    Type(form->VersNr(), "88-1234567/8");
    // The tables' code page has no euro sign: nothing of the record is
    // written, the user is told which character and field, and keeps it.
    Type(form->Notiz(), "Beitrag 100 \u20AC");
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_NE(presenter.boxes[0].second.find("\u201E\u20AC\u201C"), std::string::npos)
        << presenter.boxes[0].second;
    EXPECT_NE(presenter.boxes[0].second.find("\u201ENotiz\u201C"), std::string::npos)
        << presenter.boxes[0].second;
    EXPECT_EQ(Stored("VERSNR"), versNr);
    EXPECT_EQ(form->Notiz().TextValue(), "Beitrag 100 \u20AC");
    EXPECT_TRUE(form->HasUnsavedChanges());
    // Mended, the whole record is stored.
    Type(form->Notiz(), "Beitrag 100 EUR");
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(Stored("VERSNR"), "88-1234567/8");
    EXPECT_EQ(Stored("NOTIZ"), "Beitrag 100 EUR");
    form->Destroy();
}

// The table view through the shell's knowledge of the suite's indexes.
class TableViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        demo::WriteSuite(folder_.Folder(), 20, 3);
        for (const char* ext : {".dbf", ".dbt"})
            std::filesystem::copy_file(folder_.Path() / ("Adressen" + std::string(ext)),
                                       folder_.Path() / ("Fremd" + std::string(ext)));
    }
    std::vector<std::string> AddressIndexes() {
        std::vector<std::string> out;
        for (const std::string& f :
             SuiteIndexFiles("Adressen.dbf").value_or(std::vector<std::string>{}))
            out.push_back(folder_.File(f));
        return out;
    }
    test::TempFolder folder_;
};

TEST_F(TableViewTest, AnEditKeepsEveryIndexOfASuiteTableRight) {
    EXPECT_EQ(SuiteIndexFiles("C:\\Daten\\ADRESSEN.DBF"),
              (std::vector<std::string>{"Adressnr.ntx", "Adrename.ntx", "Adresplz.ntx",
                                        "Adresstr.ntx", "Adresort.ntx"}));
    EXPECT_FALSE(SuiteIndexFiles("Fremd.dbf"));
    const std::string path = folder_.File("Adressen.dbf");
    const TableIndexes indexes = SuiteTableIndexes(path);
    EXPECT_TRUE(indexes.known);
    EXPECT_EQ(indexes.files, AddressIndexes());

    auto window = OpenTableWindow(nullptr, path, indexes);
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    ASSERT_TRUE(grid);
    EXPECT_TRUE(grid->EditRefusal().empty());
    grid->ReadOnly(false);
    ASSERT_FALSE(grid->ReadOnly());
    ASSERT_TRUE(grid->PutCell(0, 5, "ZZNeu"));  // NNAME: a key of three indexes
    ASSERT_TRUE(grid->PutCell(1, 7, "99999"));  // PLZ
    window->EndWindow(true);

    const CheckReport check = CheckTable(path, AddressIndexes(), 850);
    EXPECT_TRUE(check.Ok()) << (check.faults.empty() ? "" : check.faults[0]);
    DBServer db(path);
    ASSERT_TRUE(db.SetIndex(AddressIndexes()[1]));
    EXPECT_TRUE(db.Seek(Usual(std::string("ZZNEU"))));
    EXPECT_EQ(db.RecNo(), 1u);
}

TEST_F(TableViewTest, ATableOutsideTheListIsOnlyShownAndSaysWhy) {
    ScriptedPresenter presenter;
    ScopedPresenter scoped(presenter);
    const std::string path = folder_.File("Fremd.dbf");
    const TableIndexes indexes = SuiteTableIndexes(path);
    EXPECT_FALSE(indexes.known);
    auto window = OpenTableWindow(nullptr, path, indexes);
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    ASSERT_TRUE(grid);
    grid->Command(DataBrowser::IDM_BROWSE_READWRITE);
    EXPECT_TRUE(grid->ReadOnly());
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].first, "Fremd");
    EXPECT_NE(presenter.boxes[0].second.find("nicht bekannt"), std::string::npos);
    grid->ReadOnly(false);
    EXPECT_TRUE(grid->ReadOnly());
    EXPECT_FALSE(grid->PutCell(0, 5, "ZZNeu"));
    // Without the host's word, every table is only shown.
    auto plain = OpenTableWindow(nullptr, folder_.File("Adressen.dbf"));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->Browser()->EditRefusal().empty());
}

}  // namespace
}  // namespace kp

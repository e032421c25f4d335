// The browse view of data windows under Wine: the cells the list view shows
// against what the server reads, hidden deleted records, the count after
// another program's append, read-only and read-write editing through the
// server with its errors, switching views, and opening a table file.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/databrowser.h"
#include "platform/gui/tablewindow.h"
#include "platform/runtime/date.h"
#include "platform/runtime/utf8.h"
#include "tests/data/fixtures.h"

namespace kp::test {
namespace {

const Symbol NAME("NAME"), BETRAG("BETRAG"), DATUM("DATUM"), OK("OK"), NOTIZ("NOTIZ");
const Symbol BROWSE("BROWSEVIEW"), FORM("FORMVIEW");

class BrowseTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        InitGuiLibrary();
        SetDateCountry(5);
        SetCentury(true);
        oldSep_ = SetDecimalSep(',');
        CatchErrors();
    }
    void TearDown() override {
        SetDecimalSep(oldSep_);
        SetCentury(false);
        SetDateCountry(1);
        DataTest::TearDown();
    }
    static void Pump() { ApplicationExec(EXECWHILEEVENT); }

    // Records "Müller 1".., i + 0.5, a date, i odd, a memo on every fifth.
    std::string Make(uint32_t n, const std::string& name = "Kunden.dbf") {
        const std::string p = dir_ + name;
        Table::Create(p,
                      {{"BETRAG", 'N', 10, 2},
                       {"NAME", 'C', 20, 0},
                       {"DATUM", 'D', 8, 0},
                       {"OK", 'L', 1, 0},
                       {"NOTIZ", 'M', 10, 0}},
                      850);
        DBServer db(p);
        for (uint32_t i = 1; i <= n; ++i) {
            db.Append();
            db.FieldPut(NAME, Usual("Müller " + std::to_string(i)));
            db.FieldPut(BETRAG, Usual(Float{i + 0.5, 2}));
            db.FieldPut(DATUM, Usual(i == 3 ? Date() : Date::FromYMD(2009, 12, 1 + i % 28)));
            db.FieldPut(OK, Usual(i % 2 == 1));
            if (i % 5 == 0)
                db.FieldPut(NOTIZ, Usual("Rückruf " + std::to_string(i)));
        }
        db.Commit();
        return p;
    }

    // What the list view itself answers for a cell.
    static std::string ListText(const DataBrowser& grid, int row, int column) {
        wchar_t buffer[512] = {};
        LVITEMW item{};
        item.iSubItem = column - 1;
        item.pszText = buffer;
        item.cchTextMax = 511;
        SendMessageW(grid.Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return WideToUtf8(buffer);
    }
    static int ListCount(const DataBrowser& grid) {
        return static_cast<int>(SendMessageW(grid.Handle(), LVM_GETITEMCOUNT, 0, 0));
    }
    static std::string Read(const std::string& path, uint32_t recNo, Symbol field) {
        DBServer db(path);
        db.GoTo(recNo);
        return RowSource::FormatValue(
            db.FieldSpecs()[static_cast<size_t>(db.FieldPos(field) - 1)].second,
            db.FieldGet(field));
    }

  private:
    char32_t oldSep_ = '.';
};

TEST_F(BrowseTest, TheGridShowsTheFieldsAsColumnsAndTheValuesAsTheServerReadsThem) {
    const std::string p = Make(12);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    Pump();
    EXPECT_EQ(window->Caption(), "Kunden");
    EXPECT_EQ(window->CurrentView(), BROWSE);
    DataBrowser* grid = window->Browser();
    ASSERT_TRUE(grid && grid->Handle());
    EXPECT_TRUE(IsWindowVisible(grid->Handle()));
    EXPECT_FALSE(IsWindowVisible(window->CanvasHandle()));
    const LONG_PTR style = GetWindowLongPtrW(grid->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & LVS_OWNERDATA);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    const auto ex = SendMessageW(grid->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);

    // Columns: the field names, numbers to the right (the first one too).
    ASSERT_EQ(grid->ColumnCount(), 5);
    const char* names[] = {"BETRAG", "NAME", "DATUM", "OK", "NOTIZ"};
    for (int c = 0; c < 5; ++c) {
        wchar_t text[32] = {};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        col.pszText = text;
        col.cchTextMax = 31;
        ASSERT_TRUE(
            SendMessageW(grid->Handle(), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&col)));
        EXPECT_EQ(WideToUtf8(text), names[c]);
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, c == 0 ? LVCFMT_RIGHT : LVCFMT_LEFT) << c;
        EXPECT_GT(col.cx, 20) << c;
    }
    // The wide name column is wider than the one-character logical.
    EXPECT_GT(SendMessageW(grid->Handle(), LVM_GETCOLUMNWIDTH, 1, 0),
              SendMessageW(grid->Handle(), LVM_GETCOLUMNWIDTH, 3, 0));

    ASSERT_EQ(ListCount(*grid), 12);
    EXPECT_EQ(ListText(*grid, 0, 1), "1,50");
    EXPECT_EQ(ListText(*grid, 0, 2), "Müller 1");
    EXPECT_EQ(ListText(*grid, 0, 3), "02.12.2009");
    EXPECT_EQ(ListText(*grid, 2, 3), "  .  .    ");  // the empty date
    EXPECT_EQ(ListText(*grid, 0, 4), "T");
    EXPECT_EQ(ListText(*grid, 1, 4), "F");
    EXPECT_EQ(ListText(*grid, 4, 5), "<Memo>");
    EXPECT_EQ(ListText(*grid, 3, 5), "");
    DBServer db(p);
    for (uint32_t r = 1; r <= 12; ++r) {
        db.GoTo(r);
        int c = 1;
        for (const auto& [name, spec] : db.FieldSpecs()) {
            EXPECT_EQ(ListText(*grid, static_cast<int>(r - 1), c),
                      RowSource::FormatValue(spec, db.FieldGet(name)))
                << r << " " << name.Name();
            ++c;
        }
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowseTest, HiddenDeletedRecordsAreNoRowsAndTheFocusMovesTheServer) {
    const std::string p = Make(10);
    {
        DBServer db(p);
        for (uint32_t r : {1u, 4u, 5u}) {
            db.GoTo(r);
            db.Delete();
        }
    }
    SetDeleted(true);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    ASSERT_EQ(ListCount(*grid), 7);
    EXPECT_EQ(ListText(*grid, 0, 2), "Müller 2");
    EXPECT_EQ(ListText(*grid, 2, 2), "Müller 6");
    EXPECT_EQ(ListText(*grid, 6, 2), "Müller 10");
    // The grid opens on the server's record, the first one shown.
    EXPECT_EQ(grid->CurrentRow(), 0);
    auto* server = dynamic_cast<DBServer*>(window->Server());
    ASSERT_TRUE(server);
    ASSERT_TRUE(grid->GoToRow(3));
    EXPECT_EQ(server->RecNo(), 7u);
    ASSERT_TRUE(grid->GoBottom());
    EXPECT_EQ(server->RecNo(), 10u);
    EXPECT_EQ(grid->CurrentRow(), 6);
}

TEST_F(BrowseTest, KeysAndClicksMoveTheOneSelectedRowAndTheServerFollows) {
    const std::string p = Make(60);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    window->Show();
    Pump();
    DataBrowser* grid = window->Browser();
    HWND list = grid->Handle();
    auto* server = dynamic_cast<DBServer*>(window->Server());
    auto selected = [&] { return SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0); };
    auto key = [&](WPARAM k) { SendMessageW(list, WM_KEYDOWN, k, 0); };

    key(VK_DOWN);
    EXPECT_EQ(grid->CurrentRow(), 1);
    EXPECT_EQ(server->RecNo(), 2u);
    key(VK_END);
    EXPECT_EQ(grid->CurrentRow(), 59);
    EXPECT_EQ(server->RecNo(), 60u);
    key(VK_DOWN);  // stays on the last row
    EXPECT_EQ(grid->CurrentRow(), 59);
    key(VK_HOME);
    EXPECT_EQ(grid->CurrentRow(), 0);
    key(VK_UP);
    EXPECT_EQ(grid->CurrentRow(), 0);
    key(VK_NEXT);
    const int page = grid->CurrentRow();
    EXPECT_GT(page, 1);
    key(VK_PRIOR);
    EXPECT_EQ(grid->CurrentRow(), 0);
    key(VK_SPACE);
    EXPECT_EQ(selected(), 1);

    // A click on the third row's name: that row, that column.
    RECT r{};
    r.top = 1;  // NAME
    r.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 2, reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(grid->CurrentRow(), 2);
    EXPECT_EQ(grid->CurrentColumn(), 2);
    EXPECT_EQ(server->RecNo(), 3u);
    EXPECT_EQ(selected(), 1);
    // With Shift, still one row: the grid selects no ranges.
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(r.left + 5, r.bottom + 3));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, r.bottom + 3));
    EXPECT_EQ(grid->CurrentRow(), 3);
    EXPECT_EQ(selected(), 1);

    // A double click edits the cell in read-write mode only.
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_FALSE(grid->IsEditing());
    grid->ReadOnly(false);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_TRUE(grid->IsEditing());
    EXPECT_EQ(GetWindowTextLengthW(GetFocus()),
              static_cast<int>(std::string("Müller 3").size() - 1));
    grid->EndEdit(false);
}

TEST_F(BrowseTest, RefreshPicksUpAnotherServersAppendAndSwitchingViewsKeepsTheRecord) {
    const std::string p = Make(5);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    ASSERT_EQ(ListCount(*grid), 5);
    {
        DBServer other(p);
        ASSERT_TRUE(other.Append());
        other.FieldPut(NAME, Usual("Schäfer"));
        other.FieldPut(BETRAG, Usual(Float{99.9, 2}));
        ASSERT_TRUE(other.Commit());
    }
    EXPECT_EQ(ListCount(*grid), 5);  // until refreshed
    grid->Refresh();
    ASSERT_EQ(ListCount(*grid), 6);
    EXPECT_EQ(ListText(*grid, 5, 2), "Schäfer");
    EXPECT_EQ(ListText(*grid, 5, 1), "99,90");

    // F5 refreshes too, and so does the refresh across forms.
    {
        DBServer other(p);
        ASSERT_TRUE(other.Append());
        ASSERT_TRUE(other.Commit());
    }
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(ListCount(*grid), 7);
    {
        DBServer other(p);
        ASSERT_TRUE(other.GoTo(7));
        ASSERT_TRUE(other.Delete());
    }
    SetDeleted(true);
    EXPECT_TRUE(window->ShowsBrowseView());
    window->RefreshBrowseView();
    EXPECT_EQ(ListCount(*grid), 6);
    SetDeleted(false);
    window->RefreshBrowseView();
    EXPECT_EQ(ListCount(*grid), 7);

    // The form view and back: the grid stands on the server's record.
    ASSERT_TRUE(grid->GoToRow(4));
    window->ViewAs(FORM);
    EXPECT_EQ(window->CurrentView(), FORM);
    EXPECT_FALSE(window->ShowsBrowseView());
    EXPECT_FALSE(IsWindowVisible(grid->Handle()));
    EXPECT_TRUE(IsWindowVisible(window->CanvasHandle()));
    auto* server = dynamic_cast<DBServer*>(window->Server());
    ASSERT_TRUE(server->GoTo(2));
    EXPECT_EQ(grid->CurrentRow(), 4);  // the hidden grid stays
    window->ViewAs(BROWSE);
    EXPECT_EQ(window->Browser(), grid);  // the same browse view
    EXPECT_EQ(grid->CurrentRow(), 1);
    window->ViewAs(Symbol("NOSUCHVIEW"));
    EXPECT_EQ(window->CurrentView(), BROWSE);
    // Shown, the grid follows the server as it moves.
    ASSERT_TRUE(server->Skip(2));
    EXPECT_EQ(grid->CurrentRow(), 3);
    ASSERT_TRUE(server->GoBottom());
    EXPECT_EQ(grid->CurrentRow(), 6);

    // A server's own append reaches the grid without a refresh call.
    ASSERT_TRUE(server->Append());
    server->FieldPut(NAME, Usual("Eigen"));
    server->Commit();
    EXPECT_EQ(ListCount(*grid), 8);
    EXPECT_EQ(ListText(*grid, 7, 2), "Eigen");
}

TEST_F(BrowseTest, ReadOnlyBlocksEveryEditUntilSwitched) {
    const std::string p = Make(3);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    EXPECT_TRUE(grid->ReadOnly());
    EXPECT_FALSE(grid->BeginEdit(0, 2));
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_FALSE(grid->PutCell(0, 2, "Meier"));
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_F2, 0);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(Read(p, 1, NAME), "Müller 1");

    // The context menu's first item switches.
    grid->Command(DataBrowser::IDM_BROWSE_READWRITE);
    EXPECT_FALSE(grid->ReadOnly());
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_F2, 0);
    EXPECT_TRUE(grid->IsEditing());
    grid->EndEdit(false);
    grid->Command(DataBrowser::IDM_BROWSE_READWRITE);
    EXPECT_TRUE(grid->ReadOnly());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowseTest, ReadWriteEditsAreStoredThroughTheServer) {
    const std::string p = Make(4);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    window->Show();
    Pump();
    DataBrowser* grid = window->Browser();
    grid->ReadOnly(false);

    EXPECT_TRUE(grid->PutCell(1, 1, "1234,56"));
    EXPECT_TRUE(grid->PutCell(1, 3, "29.02.2012"));
    EXPECT_TRUE(grid->PutCell(1, 4, "T"));
    EXPECT_EQ(Read(p, 2, BETRAG), "1234,56");
    EXPECT_EQ(Read(p, 2, DATUM), "29.02.2012");
    EXPECT_EQ(Read(p, 2, OK), "T");
    EXPECT_EQ(ListText(*grid, 1, 1), "1234,56");

    // Through the cell editor, as the user types: F2, text, Return.
    ASSERT_TRUE(grid->BeginEdit(2, 2));
    HWND edit = GetFocus();
    ASSERT_TRUE(edit && edit != grid->Handle());
    EXPECT_EQ(GetParent(edit), grid->Handle());
    SetWindowTextW(edit, L"Weiß & Söhne");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_EQ(GetFocus(), grid->Handle());
    EXPECT_EQ(Read(p, 3, NAME), "Weiß & Söhne");
    EXPECT_EQ(ListText(*grid, 2, 2), "Weiß & Söhne");

    // Escape drops what was typed; Tab writes and moves to the next cell.
    ASSERT_TRUE(grid->BeginEdit(3, 2));
    SetWindowTextW(GetFocus(), L"verworfen");
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Read(p, 4, NAME), "Müller 4");
    ASSERT_TRUE(grid->BeginEdit(3, 2));
    SetWindowTextW(GetFocus(), L"Tab");
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(Read(p, 4, NAME), "Tab");
    EXPECT_TRUE(grid->IsEditing());
    EXPECT_EQ(grid->CurrentColumn(), 3);
    grid->EndEdit(false);

    // Memos are not edited in the grid.
    EXPECT_FALSE(grid->BeginEdit(0, 5));
    // Nothing stays locked: another program can lock every record.
    DBServer other(p);
    for (uint32_t r = 1; r <= 4; ++r) {
        ASSERT_TRUE(other.GoTo(r));
        EXPECT_TRUE(other.RLock()) << r;
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowseTest, ATextThatIsNoValueAndALockedRecordAreErrorsAndNothingIsWritten) {
    const std::string p = Make(3);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    grid->ReadOnly(false);

    EXPECT_FALSE(grid->PutCell(0, 1, "12,3,4"));
    EXPECT_FALSE(grid->PutCell(0, 3, "31.02.2010"));
    EXPECT_FALSE(grid->PutCell(0, 4, "vielleicht"));
    ASSERT_EQ(errors_.size(), 3u);
    EXPECT_EQ(errors_[0]->GenCode, EG_DATATYPE);
    EXPECT_NE(errors_[0]->Description.find("keine Zahl"), std::string::npos);
    EXPECT_NE(errors_[1]->Description.find("TT.MM.JJJJ"), std::string::npos);
    EXPECT_EQ(Read(p, 1, BETRAG), "1,50");

    // A name too long for its field: the server refuses it.
    errors_.clear();
    EXPECT_FALSE(grid->PutCell(0, 2, std::string(30, 'x')));
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_EQ(Read(p, 1, NAME), "Müller 1");

    // Another program holds record 2: the lock error, then the record is
    // free again for both once it lets go.
    errors_.clear();
    auto* server = dynamic_cast<DBServer*>(window->Server());
    server->SetLockTimeout(50);
    {
        DBServer other(p);
        ASSERT_TRUE(other.GoTo(2));
        ASSERT_TRUE(other.RLock());
        EXPECT_FALSE(grid->PutCell(1, 2, "Gesperrt"));
        ASSERT_EQ(errors_.size(), 1u);
        EXPECT_EQ(errors_[0]->GenCode, EG_LOCK);
    }
    EXPECT_EQ(Read(p, 2, NAME), "Müller 2");
    EXPECT_TRUE(grid->PutCell(1, 2, "Frei"));
    EXPECT_EQ(Read(p, 2, NAME), "Frei");
}

TEST_F(BrowseTest, OpeningTablesByPathOrDialogAndClosingTheirServer) {
    const std::string p = Make(2, "Vertrag.DBF");
    // A file that is no table: the open error, no window.
    EXPECT_FALSE(OpenTableWindow(nullptr, dir_ + "fehlt.dbf"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0]->GenCode, EG_OPEN);

    struct Answers : Presenter {
        std::string answer;
        FileDialogRequest seen;
        int ShowMessage(HWND, const std::string&, const std::string&, UINT) override {
            return IDOK;
        }
        bool ShowFileDialog(FileDialogRequest& r) override {
            seen = r;
            if (answer.empty())
                return false;
            r.fileName = answer;
            r.chosen = {answer};
            return true;
        }
    } answers;
    ScopedPresenter scoped(answers);
    EXPECT_FALSE(OpenTableWindowAsk(nullptr, dir_));  // cancelled
    EXPECT_FALSE(answers.seen.save);
    ASSERT_FALSE(answers.seen.filters.empty());
    EXPECT_EQ(answers.seen.filters[0].second, "*.dbf");
    EXPECT_EQ(answers.seen.initialFolder, dir_);

    answers.answer = p;
    auto window = OpenTableWindowAsk(nullptr, dir_);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Caption(), "Vertrag");
    EXPECT_EQ(ListCount(*window->Browser()), 2);

    // Closing the window closes its table: it can be had exclusively then.
    auto exclusive = [&] {
        const bool old = SetExclusive(true);
        DBServer db(p);
        SetExclusive(old);
        return db.Used();
    };
    errors_.clear();
    EXPECT_FALSE(exclusive());
    errors_.clear();
    window->EndWindow(true);
    EXPECT_FALSE(window->IsAlive());
    EXPECT_EQ(window->Server(), nullptr);
    EXPECT_TRUE(exclusive());
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(TableName("C:\\Daten\\Kunden.Neu\\Adressen.dbf"), "Adressen");
    EXPECT_EQ(TableName("ohne"), "ohne");
}

TEST_F(BrowseTest, AClosingServerEmptiesTheGrid) {
    const std::string p = Make(3);
    auto window = OpenTableWindow(nullptr, p, TableIndexes::None());
    ASSERT_TRUE(window);
    DataBrowser* grid = window->Browser();
    ASSERT_EQ(ListCount(*grid), 3);
    auto* server = dynamic_cast<DBServer*>(window->Server());
    server->Close();
    EXPECT_EQ(ListCount(*grid), 0);
    EXPECT_EQ(grid->ColumnCount(), 0);
    EXPECT_EQ(ListText(*grid, 0, 1), "");
}

}  // namespace
}  // namespace kp::test

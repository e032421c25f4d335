#pragma once
// DataBrowser: the browse view of a data window, the server's records as a
// grid. A virtual list view (report view, full-row select, grid lines) asks
// for the cells it paints; they come from a RowSource (platform/data), which
// reads them a page at a time beside the server's record pointer. Opening a
// table of a million records costs the field list, the record count and,
// with deleted records hidden, one pass over the deletion flags; scrolling
// reads only the pages it shows; memory stays flat.
//
// Columns are the server's fields in order: caption the field name, width
// from the field's width, numbers right-aligned. Cells show the values as the
// data server reads them (RowSource::FormatValue): dates in the date format
// in force (dd.mm.yyyy under the program's settings), numbers with their
// decimals and the decimal separator in force, logicals "T"/"F", memos the
// marker "<Memo>" when they have text.
//
// Rows are records as RowSource counts them (deleted ones hidden under
// SetDeleted(true)); Refresh re-reads the count and the rows shown. Moving
// the focus to a row moves the server to its record.
//
// The browse view is read-only until the user switches it: its context menu
// (right mouse button, Shift+F10 or the context-menu key) has
// "Ä&ndern erlauben". In read-write mode a double click on a cell, F2 or
// Return opens an edit on the cell (Tab moves to the next cell, Escape drops
// the change); the value is written through the server: the record is made
// current, FieldPut locks it and writes, Commit releases it. A text that is
// no value of the field's type, and every failure of the server, is a
// run-time error shown by the error handler; the cell keeps the stored
// value. Memo fields are not edited in the grid. F5 refreshes.
//
// A grid whose owner cannot vouch for the table's indexes carries a reason
// (EditRefusal): it stays read-only, and "Ändern erlauben" shows why.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/data/dbserver.h"
#include "platform/data/rowsource.h"
#include "platform/gui/controls.h"

namespace kp {

class DataWindow;
class CellEditor;

class DataBrowser : public Control {
  public:
    // A browse view on the frame of a data window, over its server (a
    // DBServer; with another server or none the grid stays empty).
    explicit DataBrowser(DataWindow* owner);
    ~DataBrowser() override;
    Symbol ClassName() const override;

    // Re-reads the field list, the record count and the rows shown; the
    // focus stays on the same record when it still is a row.
    void Refresh();
    // Lets go of the server (it is closing): the grid is emptied.
    void Clear();
    // Forgets the rows read, so that the rows shown are read anew.
    void Redraw();

    uint32_t RowCount() const;
    int ColumnCount() const;
    // The rows behind the grid; null without a DBServer.
    RowSource* Rows() const { return rows_.get(); }
    // A cell's text as the grid shows it (row 0-based, column 1-based).
    std::string CellText(uint32_t row, int column) const;

    // The row with the focus (-1 when none) and the column edits start in.
    int CurrentRow() const;
    int CurrentColumn() const { return currentColumn_; }
    void CurrentColumn(int column);
    // Focuses, selects and shows a row; the server moves to its record.
    bool GoToRow(uint32_t row);
    bool GoTop();
    bool GoBottom();
    // The row of a record, if it is one.
    bool GoToRecord(uint32_t recNo);

    // Read-only (the default) or read-write; read-write is refused while
    // an edit refusal is set.
    bool ReadOnly() const { return readOnly_; }
    void ReadOnly(bool on);
    // Why the grid must not write (German, for the user); empty: it may.
    // Setting a reason makes the grid read-only.
    void EditRefusal(std::string why);
    const std::string& EditRefusal() const { return editRefusal_; }

    // Opens the cell editor; false (with a beep) when read-only, on a memo,
    // or without such a cell.
    bool BeginEdit(uint32_t row, int column);
    // Closes the cell editor, writing its text when keep is true; the focus
    // goes back to the grid unless it is leaving for elsewhere.
    void EndEdit(bool keep, bool refocus = true);
    bool IsEditing() const { return editing_; }
    // Writes a typed text into a cell through the server (see above); false
    // when nothing was written.
    bool PutCell(uint32_t row, int column, const std::string& text);

    // The list view's notifications, which its parent passes on. True when
    // handled, with the answer for Windows in *result.
    bool OnNotify(const NMHDR* header, LRESULT* result);

    LRESULT Dispatch(Event& e) override;
    // F2 (edit the cell) and F5 (refresh) are the grid's own keys.
    bool ClaimsKey(const MSG& msg) const override;

    // Context-menu command ids.
    enum : int { IDM_BROWSE_READWRITE = 0x7F01, IDM_BROWSE_EDIT, IDM_BROWSE_REFRESH };
    // Shows the context menu at a screen position and carries out the choice.
    void ShowContextMenu(POINT screen);
    void Command(int id);

  private:
    DBServer* Server_() const;
    void BuildColumns();
    void SetCount(bool keepFocus);
    RECT CellRect(uint32_t row, int column) const;
    // The row at a point of the client area (-1 for none); a cell there
    // becomes the current column.
    int RowAt(POINT client);
    // Moves the selection for a navigation key; false for other keys.
    bool MoveByKey(WPARAM key);

    DataWindow* form_;
    std::unique_ptr<RowSource> rows_;
    std::unique_ptr<CellEditor> editor_;
    bool readOnly_ = true;
    bool editing_ = false;
    bool moving_ = false;  // the browser moves the focus itself
    uint32_t editRow_ = 0;
    int editColumn_ = 0;
    std::string editOriginal_;
    std::string editRefusal_;
    int currentColumn_ = 1;
    std::wstring text_;  // the last cell text handed to the list view
};

}  // namespace kp

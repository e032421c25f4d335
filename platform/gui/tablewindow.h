#pragma once
// Opening a table file in a data window of its own, shown in the browse view
// (the shell's "open file" command).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/datawindow.h"

namespace kp {

// The indexes of a table as the host knows them. An edit in the grid goes
// through a server that has every one of them open, so each stays right; a
// table whose indexes the host does not know is only shown.
struct TableIndexes {
    bool known = false;              // the host vouches for the list
    std::vector<std::string> files;  // full paths, order 1, 2, ...
    std::string why;                 // not known: why the grid stays read-only
    // A table the host knows to have no index.
    static TableIndexes None() { return {true, {}, {}}; }
};
// The host's knowledge, asked with the path of the chosen table.
using TableIndexLookup = std::function<TableIndexes(const std::string& path)>;

// Opens the table at `path` (shared, under the run-time settings in force)
// with the given indexes in a new data window of `owner` (an MDI child when
// the owner is a shell window), shows it in the browse view, read-only, in
// the table's own order, and returns it. The grid may be switched to
// read-write only when the indexes are known and all of them opened;
// otherwise it carries the reason (DataBrowser::EditRefusal). The caption is
// the table's name: the file name without folder and extension. The window
// holds the server; it is closed when the window is closed or the object
// goes. Null, with the error shown by the error handler, when the file
// cannot be opened as a table.
std::unique_ptr<DataWindow> OpenTableWindow(Window* owner, const std::string& path,
                                            const TableIndexes& indexes = {});

// Asks for the table first: the open dialog (through the presenter) with
// the filter "*.dbf", starting in `folder`; then its indexes of `lookup`
// (none given: not known). Null when the user cancels.
std::unique_ptr<DataWindow> OpenTableWindowAsk(Window* owner, const std::string& folder = {},
                                               const TableIndexLookup& lookup = {});

// The table's name of a file path: "C:\Daten\Vertrag.DBF" -> "Vertrag".
std::string TableName(const std::string& path);

}  // namespace kp

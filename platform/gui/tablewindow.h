#pragma once
// Opening a table file in a data window of its own, shown in the browse view
// (the shell's "open file" command).
#include <memory>
#include <string>

#include "platform/gui/datawindow.h"

namespace kp {

// Opens the table at `path` (shared, under the run-time settings in force)
// in a new data window of `owner` (an MDI child when the owner is a shell
// window), shows it in the browse view, read-only, and returns it. The
// caption is the table's name: the file name without folder and extension.
// The window holds the server; it is closed when the window is closed or
// the object goes. Null, with the error shown by the error handler, when
// the file cannot be opened as a table.
std::unique_ptr<DataWindow> OpenTableWindow(Window* owner, const std::string& path);

// Asks for the table first: the open dialog (through the presenter) with
// the filter "*.dbf", starting in `folder`. Null when the user cancels.
std::unique_ptr<DataWindow> OpenTableWindowAsk(Window* owner, const std::string& folder = {});

// The table's name of a file path: "C:\Daten\Vertrag.DBF" -> "Vertrag".
std::string TableName(const std::string& path);

}  // namespace kp

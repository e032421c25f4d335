#pragma once
// The text form of a table that `kpdb dump` prints: a heading line
// "RECNO|DEL|<field>|...", then one line per record. Every field is printed
// over its whole width (a NUL byte inside does not end it, it shows as
// "\0"); "|", CR and LF inside a value show as "\|", "\r" and "\n", so that
// each record stays on one line and its fields stay apart. A field that
// cannot be read shows its error as "<...>".
#include <functional>
#include <string>
#include <string_view>

namespace kp {

class Table;

std::string DumpEscape(std::string_view text);

// Calls `line` with each line (without its line break).
void DumpTable(Table& t, bool withDeleted, const std::function<void(const std::string&)>& line);

}  // namespace kp

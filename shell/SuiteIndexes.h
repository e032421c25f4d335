#pragma once
// The index files of the suite's tables, for the windows that write into a
// table: a write through a server that lacks one of the table's indexes
// leaves that index with stale keys, and every search by it goes wrong.
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/tablewindow.h"

namespace kp {

class DBServer;

// The index files of a suite table (file names, order 1, 2, ...), found by
// the table's file name in any case, with or without folder; nothing for a
// table outside the suite's list.
std::optional<std::vector<std::string>> SuiteIndexFiles(const std::string& table);

// The indexes of the table at `path` for the table view: the suite's index
// files of the table that exist beside it (a missing one cannot go stale);
// not known, with the reason for the user, for a table outside the list.
TableIndexes SuiteTableIndexes(const std::string& path);

// What OpenIndexes opened.
struct OpenedIndexes {
    int opened = 0;         // indexes now kept up to date by the server
    bool complete = false;  // every listed index was there and opened, in order
    std::string error;      // German: an index that exists but cannot be opened
};

// Opens on `db` each of the files (in `folder`, with its trailing
// separator) that exists there; a listed file that is missing cannot go
// stale and is left out. The server is then in its natural order.
OpenedIndexes OpenIndexes(DBServer& db, const std::string& folder,
                          const std::vector<std::string>& files);

}  // namespace kp

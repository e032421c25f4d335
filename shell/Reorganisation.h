#pragma once
// The reorganisation of the suite's tables: each table is packed (deleted
// records dropped) and its indexes built anew. A table is written into new
// files beside it first; only when the new table and every index are
// complete do they replace the old files, so a cancel or a failure part-way
// leaves each table and index as it was, whole and usable.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/demodata/demodata.h"

namespace kp {

// A table and its indexes (file name and key expression), in order.
using ReorgIndex = demo::SuiteIndex;
using ReorgTable = demo::SuiteTable;

// The tables of the suite with their indexes, in the order they are done.
const std::vector<ReorgTable>& SuiteReorgTables();

struct ReorgOutcome {
    int tablesDone = 0;     // replaced by their packed copies
    int tablesSkipped = 0;  // not in the data folder
    uint32_t recordsDropped = 0;
    bool cancelled = false;
    std::string error;  // the first failure, in German; empty if none
    std::string failedTable;
};

// Told after each step of a table (records copied of its count, or an index
// built); answers false to stop. The table under way is then left as it was.
using ReorgProgress = std::function<bool(const std::string& table, uint32_t done, uint32_t total)>;

// Reorganises the tables found in dataPath (with its trailing separator) in
// turn; stops at the first cancel or failure. Each table is opened
// exclusively: a table another program holds open is a failure.
ReorgOutcome Reorganise(const std::string& dataPath, const std::vector<ReorgTable>& tables,
                        const ReorgProgress& progress);

}  // namespace kp

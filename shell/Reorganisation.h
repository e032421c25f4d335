#pragma once
// The reorganisation of the suite's tables: each table is packed (deleted
// records dropped) and its indexes built anew. A table is written into new
// files beside it first; only when the new table and every index are
// complete do they replace the old files, so a cancel or a failure part-way
// leaves each table and index as it was, whole and usable. The replacement
// itself is journaled (shell/ReorgSwap.h): a run killed in the middle of it
// is finished or undone by the next start of the shell or of the
// reorganisation.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/ReorgSwap.h"
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
    bool unchanged = true;  // after a failure: the failed table is as it was
    std::vector<std::string> missingTables;
    // Indexes in the folder that belong to none of the listed tables but
    // fit a table whose record numbers changed: their keys point at wrong
    // records now.
    std::vector<std::string> staleIndexes;
    std::string recovered;  // what became of an interrupted run, in German
};

// What the start of the shell or of a reorganisation did about a run that
// was killed: its half-done swap finished or undone, its scratch files
// removed.
struct ReorgRecovery {
    bool busy = false;  // a reorganisation runs in this folder right now
    std::string table;  // the table of a half-done swap; empty if none
    SwapDecision done = SwapDecision::Undecided;
    std::string error;  // the half-done swap could not be settled
    int scratchRemoved = 0;
};

// Told after each step of a table (records copied of its count, or an index
// built); answers false to stop. The table under way is then left as it was.
using ReorgProgress = std::function<bool(const std::string& table, uint32_t done, uint32_t total)>;

// Reorganises the tables found in dataPath (with its trailing separator) in
// turn; stops at the first cancel or failure. Each table is opened
// exclusively: a table another program holds open is a failure. Once the
// old table is moved aside it is looked at again: one that another program
// opened or changed since it was read stays as it is, and the run stops.
// One reorganisation at a time runs in a folder (a second is refused), and
// a run killed part-way is settled first. `hook` is told before each step
// on the file system while files are swapped (see SwapHook).
ReorgOutcome Reorganise(const std::string& dataPath, const std::vector<ReorgTable>& tables,
                        const ReorgProgress& progress, const SwapHook& hook = {});

// Settles what a killed reorganisation left in dataPath; does nothing while
// another one runs there.
ReorgRecovery RecoverReorganisation(const std::string& dataPath,
                                    const std::vector<ReorgTable>& tables,
                                    const SwapHook& hook = {});

// The texts for the user (German): empty when there is nothing to tell.
std::string RecoveryMessage(const ReorgRecovery& recovery);
struct ReorgMessage {
    std::string text;
    bool warning = false;  // something went wrong or needs the user
};
ReorgMessage OutcomeMessage(const ReorgOutcome& outcome);

// "1.234"
std::string Thousands(uint32_t n);

}  // namespace kp

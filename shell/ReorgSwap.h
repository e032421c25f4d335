#pragma once
// Putting a table's new files (packed table, memo, indexes) in place of the
// old ones so that a crash, a kill or a power loss at any moment leaves
// either the old generation or the new one, never a mix.
//
// The rules:
// - Before the first rename a journal naming every file of the swap is
//   written and flushed. A journal without its end line was cut off while
//   being written: nothing had been renamed yet.
// - The table's .dbf is moved aside first and moved into place last, so no
//   program opens the table while its memo or an index is of the other
//   generation (without the .dbf there is no table to open).
// - Once every old file is aside (and the old table is found unchanged), a
//   "forward" line is appended: from then on a half-done swap is finished.
//   Without it (or after a "back" line) it is undone.
// - Both directions look at which files exist and are safe to repeat, so a
//   recovery that is itself cut off is simply run again.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/osfile.h"

namespace kp {

// One file of a table being replaced. Names are within the data folder.
struct SwapFile {
    std::string fresh;   // the new copy beside it: "Adressen~.dbf"
    std::string final;   // "Adressen.dbf"
    bool hadOld = true;  // an old file was there when the swap began
};

// The old file while the new one moves in: "Adressen.dbf.alt".
std::string AsideName(const std::string& final);

enum class SwapDecision { Undecided, Forward, Back };

struct SwapJournal {
    std::string table;            // the table's .dbf
    std::vector<SwapFile> files;  // the table's .dbf first
    SwapDecision decision = SwapDecision::Undecided;
};

// The journal's text without a decision, ending with its end line.
std::string JournalText(const SwapJournal& journal);
// The line appended when the swap is decided.
std::string DecisionLine(SwapDecision decision);
// Null when the text is not a complete journal. The last complete decision
// line counts; a line cut off by a crash is ignored.
std::optional<SwapJournal> ParseJournal(std::string_view text);

// One step on the file system.
struct FsStep {
    enum class Op { Rename, Remove } op = Op::Rename;
    std::string from;
    std::string to;  // renames only; the rename fails when a file of that name exists
    bool operator==(const FsStep&) const = default;
};
std::string Describe(const FsStep& step);

using FilePresent = std::function<bool(const std::string& name)>;

// False when an undo without its "back" line got as far as putting the old
// table back: the table's old file is in place beside its new copy, or the
// new copy is gone while another new copy is still beside its file (the
// table moves in last, so it was never moved in). Finishing then would put
// new indexes beside the old table.
bool ForwardPossible(const SwapJournal& journal, const FilePresent& present);
// Which way a recovery goes: forward only after the "forward" line and
// while that is still possible.
SwapDecision RecoveryDirection(const SwapJournal& journal, const FilePresent& present);

// Puts every new file in place (the table's .dbf last) and removes the old
// files, from whatever state a swap was left in; nothing when forward is
// not possible.
std::vector<FsStep> ForwardSteps(const SwapJournal& journal, const FilePresent& present);
// Puts every old file back (the table's .dbf last) and removes the new ones.
// A file of the final name counts as new only once its new copy is gone;
// while the copy is still beside it, an old file aside is of an earlier
// generation and the file in place stays.
std::vector<FsStep> BackSteps(const SwapJournal& journal, const FilePresent& present);

// Old copies ("X.alt") of a swap's files from an earlier run, found before
// its journal is written. Beside a live file such a copy is an older
// generation than the live one and goes; without the live file it may be
// the only copy and the swap must not start.
struct StaleAsides {
    std::vector<std::string> older;  // the live file exists
    std::vector<std::string> alone;  // the live file is missing
};
StaleAsides FindStaleAsides(const SwapJournal& journal, const FilePresent& present);

// What a table's reorganisation leaves beside the table while it runs, and
// what a killed run leaves behind: the new copies and the index builder's
// scratch files.
std::vector<std::string> ScratchNames(const SwapJournal& journal);

// A cheap identity of a table's stored state: another program's write
// between our reading it and moving it aside changes it.
struct TableState {
    uint64_t size = 0;
    uint64_t hash = 0;
    uint64_t memoSize = 0;
    bool ok = false;
    bool operator==(const TableState&) const = default;
};
TableState ReadTableState(const std::string& dbfPath, const std::string& memoPath);
TableState ReadTableState(OsFile& dbf, const std::string& memoPath);

// Called before each step on the file system (journal writes included) with
// a description; tests end the process or throw here to leave a half-done
// swap behind.
using SwapHook = std::function<void(const std::string& step)>;

// Carries out steps in dir (with its trailing separator). Stops at the first
// failure and returns its German description; empty when all went well.
std::string ApplySteps(const std::string& dir, const std::vector<FsStep>& steps,
                       const SwapHook& hook);

// Why a file operation failed, in German ("von einem anderen Programm
// geöffnet").
std::string OsReason(uint32_t os);

// The journal of the data folder (one swap at a time).
std::string JournalPath(const std::string& dir);
// Writes a new journal and flushes it; false with error on failure.
bool WriteJournal(const std::string& dir, const SwapJournal& journal, std::string& error);
bool AppendDecision(const std::string& dir, SwapDecision decision, std::string& error);

// Held while a reorganisation or its recovery runs in a data folder: a
// second workstation neither starts one nor "recovers" a swap that is
// still under way. A killed holder's lock goes with its process.
class ReorgLock {
  public:
    explicit ReorgLock(const std::string& dir);
    ~ReorgLock();
    ReorgLock(const ReorgLock&) = delete;
    ReorgLock& operator=(const ReorgLock&) = delete;
    bool Held() const { return held_; }
    // Another workstation holds it (rather than the folder being missing or
    // read-only).
    bool Busy() const {
        return error_ == OSERR_SHARING_VIOLATION || error_ == OSERR_LOCK_VIOLATION;
    }
    uint32_t Error() const { return error_; }

  private:
    uint32_t error_ = 0;
    std::string path_;
    std::unique_ptr<OsFile> file_;
    bool held_ = false;
};

}  // namespace kp

#pragma once
// The 2010 insurance-tax conversion of the contract table, without any
// window: the rows that say which contracts change, the two conversion
// formulas, and the two walks over the table (counting and converting).
// The conversion window drives this class and shows what it reports.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kp {

class DBServer;
class RecordBlock;

// Contracts of one line of insurance at one old rate go to a new rate.
struct VSteuerRow {
    std::string_view line;  // normalised line name (trimmed, upper case)
    double oldRate;
    double newRate;
};

// Tested in this order; the first match wins.
inline constexpr std::array<VSteuerRow, 3> kVSteuerRows{{
    {"WOHNGEBÄUDE", 17.75, 16.34},
    {"WOHNGEBÄUDE", 14.0, 13.2},
    {"HAUSRAT", 18.0, 16.15},
}};

// The new tax amount: the tax per rate point times the new rate.
double ConvertVSteuer(double oldRate, double newRate, double steuer);
// The new premium: the net premium plus the new tax amount.
double ConvertVSteuerBeitrag(double oldRate, double newRate, double steuer, double beitrag);

// Leading and trailing blanks removed, then upper case ("  Wohngebäude "
// -> "WOHNGEBÄUDE").
std::string NormalizeSparte(std::string_view line);

// Index of the row a contract belongs to, or -1. Rates are compared as
// numbers; the line is only fetched when a rate matches, so a table walk
// reads the character field of the few candidate records only.
int FindVSteuerRow(double rate, const std::function<std::string()>& line);

struct VSteuerCounts {
    std::array<uint32_t, kVSteuerRows.size()> row{};
    uint32_t Total() const { return row[0] + row[1] + row[2]; }
};

// Walks the open contract table. Every failure of the table (a damaged
// number, a record held locked by another program) is raised by the data
// server through the error block; the walk never writes part of a record.
//
// Both walks read the table in large blocks. The conversion changes the
// affected contracts in runs: the lock bytes of a run's records are taken
// with one range lock, the run is read again under it, matched and computed
// again from what is stored now, written with one write and unlocked with
// one call. To the suite's other programs that is the same as holding each
// record's lock. When another program holds a record inside a run, that run
// goes record by record, so only the held record waits (and brings the lock
// error with retry and break when the wait is too long).
// Told what a walk changes, would change or leaves, so that it can be
// written down (a preview, a protocol). Records are passed as stored
// (RecordLength() bytes, byte 0 the deletion flag).
class VSteuerJournal {
  public:
    enum class Why {
        Locked,      // held by another program for longer than the wait
        Unreadable,  // a number of the record cannot be read or written
        NotKept,     // the journal could not write the run down
        Conflict,    // (restoring) changed since the protocol was written
        Missing,     // (restoring) the record is no longer in the table
    };
    virtual ~VSteuerJournal() = default;
    // A contract of the current run changes from `before` to `after` (row:
    // the conversion row, -1 when restoring). Collected until Keep.
    virtual void Changing(uint32_t r, int row, std::string_view before, std::string_view after) = 0;
    // Called before the run is written, under its lock: true when what
    // Changing collected is safely written down. False: the run is not
    // written and its contracts count as left.
    virtual bool Keep() = 0;
    // The run has been written (it is still locked).
    virtual void Written() = 0;
    // The run kept by Keep could not be written: nothing of it changed.
    virtual void Failed() = 0;
    // Before the walk puts the table on stable storage: the journal goes
    // there first, so that no crash keeps changes it does not name.
    virtual void Durable() {}
    // A contract left unchanged; `record` as last read.
    virtual void Left(uint32_t r, std::string_view record, Why why) = 0;
    // (Preview) a contract the rules do not convert although a person may
    // expect it: its line differs from a row's only in spelling, or its
    // line is converted but its rate is none of that line's old or new ones.
    virtual void NearMiss(uint32_t r, std::string_view record, std::string_view why) {
        (void)r, (void)record, (void)why;
    }
};

// One contract to put back: the stored texts of VSTEUER, VSTEUERDM and
// BEITRAG before the change (`from`) and after it (`to`).
struct VSteuerRestore {
    uint32_t recNo = 0;
    std::array<std::string, 3> from, to;
};

class VSteuerUmstellung {
  public:
    // Called with the new whole percentage, only when it has grown.
    using Progress = std::function<void(uint32_t percent)>;
    // Called while a run is locked, after it was written and before its
    // unlock (records first..last are written, the lock spans at least them).
    using RunWritten = std::function<void(uint32_t first, uint32_t last)>;

    struct Result {
        uint32_t converted = 0;
        uint32_t skipped = 0;    // affected records left unchanged after an error
        uint32_t locked = 0;     // of them: held by another program
        uint32_t conflicts = 0;  // (restoring) changed since
        uint32_t already = 0;    // (restoring) already as before the change
        VSteuerCounts counts;    // (preview) per row
    };
    // The next contract to put back, in ascending record order; false at
    // the end.
    using RestoreSource = std::function<bool(VSteuerRestore&)>;

    // A run holds at most this many contracts and this many bytes of the
    // table: other programs wait a few milliseconds at most for a record of
    // it, and the locks, writes and unlocks stay a few per 1,000 contracts.
    static constexpr uint32_t kRunContracts = 256;
    static constexpr uint32_t kRunBytes = 1u << 20;
    // Bytes read with one call by both walks (at least one record).
    static constexpr uint32_t kBlockBytes = 2u << 20;

    explicit VSteuerUmstellung(DBServer& server) : server_(server) {}

    // Counts the contracts per row, from the first record to the end; the
    // server is left at the end of the table.
    VSteuerCounts Count();

    // Converts every affected contract. The percentage is converted x 100 /
    // affectedTotal (which must not be 0), so it moves at most 100 times for
    // a table that has not grown since it was counted; it is reported after
    // the run that reached it, once the run's records are unlocked. A break
    // out of the error handler unwinds through here: what was converted
    // stays converted, the rest stays untouched.
    Result Convert(uint32_t affectedTotal, const Progress& progress);

    // Walks the table as Convert would, without a lock and without writing:
    // tells the journal each contract Convert would change, with the values
    // as they would be stored, and the near misses.
    Result Preview(VSteuerJournal& journal);

    // Puts back what a protocol changed, in the same runs and under the same
    // locks as Convert: a contract whose three numbers are still the
    // protocol's new ones gets its old ones again; one changed since is a
    // conflict and stays as it is. A run of which another program holds a
    // record goes record by record, each tried for waitMs.
    Result Restore(const RestoreSource& source, VSteuerJournal& journal, int waitMs,
                   const Progress& progress, uint64_t total);

    // Told what Convert changes and leaves (null: nobody).
    void SetJournal(VSteuerJournal* journal) { journal_ = journal; }

    // The stored texts of VSTEUER, VSTEUERDM and BEITRAG in a record.
    std::array<std::string_view, 3> Numbers(std::string_view record) const;

    // The latest percentage computed by Convert.
    uint32_t Position() const { return position_; }

    void OnRunWritten(RunWritten hook) { runWritten_ = std::move(hook); }

  private:
    struct Places {  // 1-based field positions
        int vsteuer = 0, sparte = 0, steuerdm = 0, beitrag = 0;
    };
    struct Walk;

    bool FindFields();
    bool RateOf(RecordBlock& block, uint32_t r, double* rate);
    void CheckNearMiss(RecordBlock& block, uint32_t r, VSteuerJournal& journal);
    void LeaveRun(Walk& w, uint32_t first, uint32_t last, VSteuerJournal::Why why);
    struct RestoreRun;
    void RestoreLocked(RestoreRun& run, std::span<const VSteuerRestore> entries,
                       VSteuerJournal& journal, Result& result);
    int RowOf(RecordBlock& block, uint32_t r);
    std::string LineOf(RecordBlock& block, uint32_t r);
    void ConvertRun(Walk& w, uint32_t first, uint32_t last);
    void ConvertRecord(Walk& w, uint32_t r);
    void Converted(Walk& w, uint32_t n);

    DBServer& server_;
    Places at_;
    bool rateIsNumber_ = false;  // VSTEUER is a numeric field: read it from its text
    // The last rates read, by their stored text (a table has few distinct
    // ones): most records are decided without parsing a number.
    struct RateText {
        std::array<char, 16> text{};
        size_t size = 0;  // 0: empty slot
        double rate = 0;
    };
    std::array<RateText, 64> rates_{};
    // Normalised lines by their stored text: a table has few distinct lines,
    // each is decoded once (bounded, so memory stays independent of the
    // table's size).
    static constexpr size_t kLineCacheSize = 1024;
    std::unordered_map<std::string, std::string> lines_;
    std::string lineKey_;
    // Near-miss class of each normalised line seen (bounded like lines_).
    std::unordered_map<std::string, int> lineClass_;
    RunWritten runWritten_;
    VSteuerJournal* journal_ = nullptr;
    // Offset and width of VSTEUER, VSTEUERDM and BEITRAG in a record.
    std::array<std::pair<uint32_t, uint32_t>, 3> numberAt_{};
    uint32_t position_ = 0;
};

}  // namespace kp

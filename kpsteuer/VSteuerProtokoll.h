#pragma once
// The files of the insurance-tax conversion for people and for the way back:
// the preview of what a conversion would change, the protocol of what it
// changed and the protocol of what was put back.
//
// Format: text in UTF-8 with a byte order mark, lines ended by CR LF, cells
// separated by semicolons, text cells in double quotes; the stored numbers
// with a decimal comma. A German spreadsheet program opens such a file
// with a double click: the semicolon is its list separator, the comma its
// decimal sign, and the byte order mark tells it UTF-8 (so every character
// of the table's code page, box-drawing ones included, comes out right,
// which Windows-1252 could not promise).
//
// Line 1 names the file (kind, table, record layout, time), line 2 the
// columns; then one line per contract. Every line ends with a check cell
// "#XXXXXXXX": CRC-32 of the line's text before it, continued from the
// previous line's value, so a line changed, moved or dropped in between is
// found. A protocol is written a run at a time before the run is written
// to the table, and a line "bestätigt" follows once the run is in the table
// ("nicht geschrieben" when writing it failed). After a kill, the contracts
// of the last run without a "bestätigt" were changed exactly when the table
// holds their new values (ReadProtokoll reports those lines as unconfirmed).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/VSteuerUmstellung.h"
#include "platform/data/osfile.h"

namespace kp {

class DBServer;

enum class ProtokollArt { Vorschau, Anpassen, Zurueck };

// Counts a run ends with, written as the closing line.
struct ProtokollSumme {
    uint32_t changed = 0, locked = 0, unreadable = 0, conflicts = 0, nearMisses = 0;
};

class VSteuerProtokoll : public VSteuerJournal {
  public:
    // A new file beside the table: "VSteuer-Vorschau-", "VSteuer-Protokoll-"
    // or "VSteuer-Zurueck-" with the date and time (and "-2", "-3" ... when
    // such a file exists). Null with *error set when it cannot be created.
    static std::unique_ptr<VSteuerProtokoll> Create(DBServer& server, ProtokollArt art,
                                                    std::string* error);
    ~VSteuerProtokoll() override;

    const std::string& Path() const { return path_; }
    const ProtokollSumme& Summe() const { return sum_; }
    // Called for each contract left (after the line is written).
    void OnLeft(std::function<void(const std::string& line)> f) { onLeft_ = std::move(f); }

    void Changing(uint32_t r, int row, std::string_view before, std::string_view after) override;
    bool Keep() override;
    void Written() override;
    void Failed() override;
    void Left(uint32_t r, std::string_view record, Why why) override;
    void NearMiss(uint32_t r, std::string_view record, std::string_view why) override;
    void Durable() override;
    // The closing line (a protocol is on stable storage by Durable, before
    // the table; a preview needs no such care). False on a write error.
    bool Finish();

    // The cells of a record that name the contract: the record number, the
    // identifying fields the table has, the line (as shown to people).
    std::string Identity(uint32_t r, std::string_view record);

  private:
    VSteuerProtokoll() = default;
    // Identity, appended to out: a conversion writes one per changed
    // contract, with the window waiting, so the common case of a character
    // field is taken from the record's bytes without a detour.
    void AppendIdentity(std::string& out, uint32_t r, std::string_view record);
    void Line(const std::vector<std::string>& cells);
    bool Flush();

    DBServer* server_ = nullptr;
    std::unique_ptr<OsFile> file_;
    std::string path_;
    uint64_t offset_ = 0;
    uint32_t crc_ = 0;
    std::string buffer_;  // lines not yet written
    std::string line_;    // the line being built
    uint32_t runLines_ = 0;
    uint32_t runPending_ = 0;
    bool failed_ = false;
    ProtokollArt art_ = ProtokollArt::Anpassen;
    // The identity cells after the record number: the identifying fields,
    // then the line.
    struct IdCell {
        int pos = 0;  // 1-based; 0: no such field (an empty cell)
        uint32_t offset = 0, width = 0;
        bool character = false;  // a character field: decoded from the bytes
    };
    std::vector<IdCell> idCells_;
    int codePage_ = 850;
    // Offset and width of VSTEUER, VSTEUERDM and BEITRAG in a record.
    std::array<std::pair<uint32_t, uint32_t>, 3> numbers_{};
    ProtokollSumme sum_;
    std::function<void(const std::string&)> onLeft_;
};

// A protocol read back: only files written by VSteuerProtokoll, unchanged.
struct ProtokollKopf {
    ProtokollArt art = ProtokollArt::Anpassen;
    std::string table;  // the table's file name (beside the protocol)
    uint32_t recLen = 0;
    std::string layout;  // the numbers' field widths, as written
    std::string time;
};

struct ProtokollEintrag {
    VSteuerRestore restore;
    std::vector<std::string> cells;  // the data cells of the line (check cell excluded)
    bool confirmed = false;          // its run carries "bestätigt"
};

// Reads back a protocol: only files written by VSteuerProtokoll, unchanged.
// Open verifies every check cell before anything is reported, so a damaged
// or foreign file gives an error (in German) and no entry at all. Next then
// gives the entries in file order, each run's confirmation known; entries of
// a run marked "nicht geschrieben" are left out. Memory stays at one run.
class ProtokollLeser {
  public:
    ProtokollLeser();
    ~ProtokollLeser();
    bool Open(const std::string& path, std::string* error);
    const ProtokollKopf& Kopf() const { return head_; }
    uint64_t Entries() const { return entries_; }  // contract lines in the file
    bool Next(ProtokollEintrag* entry);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    ProtokollKopf head_;
    uint64_t entries_ = 0;
};

// The layout cell of a table: the numbers' widths, so that a protocol is
// only put back into a table of the same shape.
std::string ProtokollLayout(DBServer& server);

// CRC-32 (the polynomial of zip and PNG) of bytes, continued from crc.
uint32_t Crc32(uint32_t crc, std::string_view bytes);

}  // namespace kp

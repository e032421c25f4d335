#pragma once
// RowSource: the rows of a browse view over a DBServer, read on demand.
//
// What "row n" means: rows are the table's records in record order, the
// deleted ones left out when SetDeleted(true) was in force at the last
// Refresh. Row n (0-based) is the n-th such record.
// - Nothing hidden (SetDeleted(false), or a table without deleted records):
//   row n is record n+1; finding it costs nothing and nothing is kept.
// - Deleted records hidden: Refresh reads the deletion flags of the whole
//   table once (one pass in large reads) and keeps one bit per record
//   (visible or not) with the number of visible records before each block
//   of kBlockRecords records: 1 MB of records costs about 1 KB here. A row's
//   record is found by a binary search over the blocks and a count of bits
//   within one block, a record's row likewise; neither reads the file.
// Between two Refreshes the rows are a snapshot: records appended meanwhile
// are not rows yet, and a record another program deletes or recalls keeps
// its row (its cells show it as it is read now).
//
// Rows are read in pages of kPageRows records with one read each; the last
// kPages pages are kept. Beyond the bits above, memory is a few hundred
// kilobytes whatever the table's size.
//
// The server's record pointer, current record and locks are never touched:
// rows are read beside them. A filter set on the server is not applied, and
// the order is the natural one, whatever index is active.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/data/dbserver.h"

namespace kp {

class RowSource {
  public:
    static constexpr uint32_t kBlockRecords = 1024;
    static constexpr uint32_t kPageRows = 64;
    static constexpr size_t kPages = 8;
    // The text a memo field with contents shows (an empty memo shows "").
    static constexpr const char* kMemoMarker = "<Memo>";

    explicit RowSource(DBServer& server);

    // Re-reads the field list, the record count and, with deleted records
    // hidden, the deletion flags; forgets the rows read. Returns RowCount().
    uint32_t Refresh();
    uint32_t RowCount() const { return rows_; }
    // The records the rows stand for (hidden ones included).
    uint32_t RecordCount() const { return records_; }
    // Records left out at the last Refresh (0 when none, or none hidden).
    uint32_t HiddenCount() const { return hidden_; }

    // The record of a row; 0 when there is no such row.
    uint32_t RecNo(uint32_t row);
    // The row of a record; -1 when the record is hidden or no row.
    int64_t RowOf(uint32_t recNo);

    // The fields, as the server describes them (1-based positions below).
    const std::vector<FieldSpec>& Fields() const { return fields_; }
    // A cell as the data server reads it (memo fields with their text).
    // False when the row does not exist or the stored text is no value.
    bool Value(uint32_t row, int field, Usual* value);
    // A cell as the browse view shows it: see FormatValue. A stored text
    // that is no value of its type shows as stored.
    std::string Text(uint32_t row, int field);

    // Reads the pages of rows first..last ahead (the view's cache hint);
    // at most kPages pages.
    void Hint(uint32_t first, uint32_t last);
    // Forgets the rows read (after a write, so that they are read anew).
    void DropCache();
    size_t CachedPages() const { return pages_.size(); }
    // Record reads since the source was made (pages, blocks and the scan).
    uint64_t Reads() const { return reads_; }

    // The text of a value as the browse view shows it:
    // C trailing blanks removed; N, F with the field's decimals and the
    // decimal separator in force; D as DToC (the date settings in force, the
    // blank mask for the empty date); L "T" or "F"; M kMemoMarker or "".
    static std::string FormatValue(const FieldSpec& field, const Usual& value);
    // The value a typed text stands for in a field; false when the text is
    // no value of the field's type (memo fields take none from a cell).
    static bool ParseText(const FieldSpec& field, const std::string& text, Usual* value);

  private:
    struct Page {
        uint32_t index = 0;
        uint64_t used = 0;
        std::vector<uint32_t> recNos;
        std::vector<char> bytes;
    };
    // Calls fn(recNo, record) for records first..last, reading at most
    // `chunk` records at once; stops early when fn returns false. False when
    // a read failed.
    template <class Fn>
    bool ForEachRecord(uint32_t first, uint32_t last, uint32_t chunk, Fn&& fn);
    const Page* GetPage(uint32_t index);
    void Fill(Page& page);
    bool Visible(uint32_t recNo) const;
    const char* Record(uint32_t row, int field);

    DBServer& server_;
    std::vector<FieldSpec> fields_;
    std::vector<uint32_t> offsets_;  // of each field within a record
    uint32_t recSize_ = 0;
    uint32_t records_ = 0;
    uint32_t rows_ = 0;
    uint32_t hidden_ = 0;
    bool broken_ = false;  // a read failed: no more reads until Refresh
    // With hidden records: bit r-1 set when record r is a row, and the rows
    // before each block (one more entry: all rows). Both empty otherwise.
    std::vector<uint64_t> visible_;
    std::vector<uint32_t> before_;
    std::vector<Page> pages_;
    uint64_t clock_ = 0;
    std::vector<char> scratch_;
    uint64_t reads_ = 0;
};

}  // namespace kp

#pragma once
// The DBF table file with its DBT memo file: header, field descriptors,
// records, the shared lock scheme and the field codecs. Throws DbError.
//
// Invariants kept here:
// - record r (1-based) lives at hdrLen + (r-1)*recLen; hdrLen comes from
//   the header, never from the field count;
// - the visible record count is the header count, capped by what fits in
//   the file (bytes beyond it may be another program's append);
// - nothing is read or written outside [0, 1,000,000,000) of either file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/osfile.h"
#include "platform/runtime/usual.h"

namespace kp {

// The base of the lock region; tables must stay below it.
constexpr uint64_t kLockBase = 1'000'000'000ULL;

struct DbfField {
    std::string name;  // as stored (upper case ASCII normally)
    char type = 'C';   // C N F D L M
    int width = 0;
    int decimals = 0;
    uint32_t offset = 0;  // within the record (byte 0 is the deletion flag)
};

struct FieldDef {  // for creating tables
    std::string name;
    char type;
    int width;
    int decimals;
};

struct TableOptions {
    bool exclusive = false;
    bool readOnly = false;
    int codePage = 850;     // of the character data
    int lockWaitMs = 2000;  // how long a record or header lock is tried
};

class Table {
  public:
    static std::unique_ptr<Table> Open(const std::string& path, const TableOptions& opt);
    // Creates a table (and its DBT when a memo field exists), overwriting.
    static void Create(const std::string& path, const std::vector<FieldDef>& fields, int codePage);
    ~Table();

    const std::string& Path() const { return path_; }
    const std::vector<DbfField>& Fields() const { return fields_; }
    int FieldIndex(std::string_view name) const;  // case-insensitive; -1 if absent
    uint32_t RecLen() const { return recLen_; }
    uint32_t HdrLen() const { return hdrLen_; }
    uint8_t Version() const { return version_; }
    uint8_t CodePageByte() const { return cpByte_; }
    int CodePage() const { return opt_.codePage; }
    bool Exclusive() const { return opt_.exclusive; }
    bool ReadOnly() const { return file_->ReadOnly(); }
    int LockWaitMs() const { return opt_.lockWaitMs; }
    void SetLockWaitMs(int ms) { opt_.lockWaitMs = ms; }
    Date LastUpdate() const { return lastUpdate_; }
    uint32_t HeaderCount() const { return headerCount_; }

    // Records visible now (re-reads the header count and the file size).
    uint32_t RefreshCount();
    uint32_t Count() const { return count_; }

    // Record r (1 <= r <= Count()). `ahead` reads a window of following
    // records too, for forward scans. The pointer lives until the next call.
    const char* Fetch(uint32_t r, bool ahead);
    // Reads record r from the file, bypassing the scan window.
    void ReadFresh(uint32_t r, char* out);
    // Reads records first..first+n-1 into out in one read, bypassing the
    // scan window (for browsing). The count is re-read when the run reaches
    // beyond it; returns the number of whole records read (fewer at the end,
    // 0 when first is past it).
    uint32_t ReadRun(uint32_t first, uint32_t n, char* out);
    void DropWindow() { winCount_ = 0; }
    // Records first .. first+n-1 with one read, bypassing the scan window;
    // returns the whole records read (fewer at the end of the file). The
    // caller keeps within Count().
    uint32_t ReadRecords(uint32_t first, uint32_t n, char* out);

    // Locks of the shared scheme (unheld in exclusive mode). Each waits up to
    // LockWaitMs, then throws: EG_LOCK (retry possible) for a record,
    // EG_APPENDLOCK for the header.
    RangeLock LockRecord(uint32_t r);
    RangeLock LockHeader();
    RangeLock LockFile();  // the whole-file lock (EG_LOCK)
    // The lock bytes of records first..last with one range lock, tried once
    // without waiting (a bulk job goes record by record when another program
    // holds one of them). True with *out held (unheld in exclusive mode).
    bool TryLockRecords(uint32_t first, uint32_t last, RangeLock* out);

    void WriteRecord(uint32_t r, const char* rec);
    // Records first .. first+n-1 with one write; the caller holds their locks.
    void WriteRecords(uint32_t first, uint32_t n, const char* recs);
    // Appends whole records at once (bulk loading); returns the first number.
    uint32_t AppendRecords(const char* recs, uint32_t n);
    // Appends a blank record; returns its number and leaves it locked.
    uint32_t AppendBlank(RangeLock* recLock);
    // Stamps today's date into the header (after changes, on close).
    void TouchDate();
    void Sync();
    // Calls that reached the operating system on the table and its memo file.
    IoCounts Io() const;

    // Field values. Get: C padded string (UTF-8), N float, D date, L logic,
    // M string. Put encodes into rec (memo text goes to the DBT at once;
    // the caller holds the record lock).
    Usual GetValue(const char* rec, int field);
    void PutValue(char* rec, int field, const Usual& value);
    void BlankRecord(char* rec) const;

    // Memo file.
    bool HasMemo() const { return memo_ != nullptr; }
    std::string ReadMemo(uint32_t block);  // raw bytes in the table's code page

  private:
    Table() = default;
    void ReadHeader();
    uint32_t WriteMemo(std::string_view bytes);
    RangeLock LockWait(OsFile* f, uint64_t off, uint64_t len, int32_t genCode, bool retry);
    [[noreturn]] void Fail(int32_t gen, const std::string& what, uint32_t os = 0) const;
    [[noreturn]] void MemoWithoutEnd() const;

    std::string path_;
    TableOptions opt_;
    std::unique_ptr<OsFile> file_;
    std::unique_ptr<OsFile> memo_;
    std::string memoPath_;
    // Memos starting at offsets in [from, to) of the memo file have no end
    // marker within the longest memo we read (found while its size was
    // fileSize; any change of the file forgets it).
    struct MemoNoEnd {
        uint64_t from = 0, to = 0;
        int64_t fileSize = -1;
    };
    MemoNoEnd memoNoEnd_;
    std::vector<DbfField> fields_;
    uint8_t version_ = 3;
    uint8_t cpByte_ = 0;
    uint32_t hdrLen_ = 0;
    uint32_t recLen_ = 0;
    uint32_t headerCount_ = 0;
    uint32_t count_ = 0;
    Date lastUpdate_;

    std::vector<char> window_;  // scan window: records winFirst_.. winFirst_+winCount_-1
    uint32_t winFirst_ = 0;
    uint32_t winCount_ = 0;
};

// The DBT file name beside a DBF (extension case follows the table's).
std::string MemoPathFor(const std::string& dbfPath);

// Field and index names compare without regard to ASCII case.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace kp

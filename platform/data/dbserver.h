#pragma once
// DBServer: one open DBF table with its NTX indexes, a current record and an
// active order. The only way the system touches tables. Every failure is a
// run-time error raised through the error block (platform/runtime/error.h).
#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/dataserver.h"
#include "platform/data/osfile.h"
#include "platform/runtime/usual.h"

namespace kp {

class Table;  // the engine's open table (dbf.h)
class DBServer;

// Consecutive records read with one call, for jobs that walk the whole
// table (counting, bulk changes). Fields are read and put as with the
// server's FieldGet and FieldPut, by 1-based field position, but only in
// the block: DBServer::WriteRun puts changed records into the table. A
// failure is raised through the error block as the server's own are. A
// block is used while the server that read it exists.
class RecordBlock {
  public:
    uint32_t First() const { return first_; }
    uint32_t Count() const { return count_; }
    bool Contains(uint32_t r) const { return r >= first_ && r - first_ < count_; }
    bool Deleted(uint32_t r) const;
    // The value of field `pos` of record r; nil after an error.
    Usual FieldGet(uint32_t r, int pos);
    // The bytes of field `pos` of record r as stored (the table's code page,
    // padded), for comparing values without decoding them; empty when the
    // record is not in the block or there is no such field.
    std::string_view FieldText(uint32_t r, int pos) const {
        if (!Contains(r) || pos < 1 || static_cast<size_t>(pos) > places_.size())
            return {};
        const auto [offset, width] = places_[static_cast<size_t>(pos - 1)];
        return std::string_view(Rec(r) + offset, width);
    }
    // Puts several fields of record r, all or none: false after an error,
    // with the record as it was.
    bool PutFields(uint32_t r, std::initializer_list<std::pair<int, Usual>> values);
    // Record r as stored (RecordLength() bytes, byte 0 the deletion flag);
    // empty when it is not in the block.
    std::string_view Record(uint32_t r) const {
        return Contains(r) ? std::string_view(Rec(r), recLen_) : std::string_view();
    }
    // Puts the stored bytes of field `pos` of record r as they are (exactly
    // the field's width), for putting back what a job saved before it
    // changed the record; false when they do not fit.
    bool PutFieldText(uint32_t r, int pos, std::string_view text) {
        if (!Contains(r) || pos < 1 || static_cast<size_t>(pos) > places_.size() ||
            text.size() != places_[static_cast<size_t>(pos - 1)].second)
            return false;
        std::copy(text.begin(), text.end(), Rec(r) + places_[static_cast<size_t>(pos - 1)].first);
        return true;
    }

  private:
    friend class DBServer;
    char* Rec(uint32_t r) { return data_.data() + static_cast<size_t>(r - first_) * recLen_; }
    const char* Rec(uint32_t r) const {
        return data_.data() + static_cast<size_t>(r - first_) * recLen_;
    }

    DBServer* server_ = nullptr;
    std::vector<char> data_;
    std::vector<char> scratch_;                          // one record, for PutFields
    std::vector<std::pair<uint32_t, uint32_t>> places_;  // offset and width of each field
    uint32_t first_ = 0;
    uint32_t count_ = 0;
    uint32_t recLen_ = 0;
};

class DBServer : public DataServer {
  public:
    // Opens the table (shared unless SetExclusive(true)); the caller puts the
    // directory in front of the file name. A failed open raises EG_OPEN;
    // afterwards Used() is false and every operation is a no-op.
    explicit DBServer(const std::string& fileName);
    ~DBServer() override;  // closes

    bool Used() const;

    // Navigation (deleted records skipped when SetDeleted(true)).
    bool GoTop();
    bool GoBottom();
    bool GoTo(uint32_t recNo);
    bool Skip(int32_t count = 1);
    bool EoF() const;
    bool BoF() const;
    uint32_t RecNo() const;
    uint32_t RecCount() const;

    // Fields, by symbol or 1-based position. FieldGet: C as a string padded
    // to the width, N as a number (Float with the field's decimals), D as a
    // date, L as a logic, M as a string. At end of file the fields read as
    // a blank record (blanks, 0, empty date, false, ""); nil on an error.
    Usual FieldGet(Symbol field);
    Usual FieldGet(int pos);
    // Writes the current record: locks it (first write of the record),
    // re-reads it under the lock, writes; returns the value written.
    Usual FieldPut(Symbol field, const Usual& value);
    Usual FieldPut(int pos, const Usual& value);
    int FieldPos(Symbol field) const;  // 0 when there is no such field
    // Offset and width of field `pos` (1-based) in a record as stored (byte
    // 0 the deletion flag); {0, 0} when there is no such field.
    std::pair<uint32_t, uint32_t> FieldPlace(int pos) const;
    int FCount() const;
    uint32_t RecordLength() const;  // bytes of one record, the deletion flag included
    // The code page of the table's character data (the settings' when closed).
    int CodePage() const;
    std::vector<std::pair<Symbol, FieldSpec>> FieldSpecs() const override;

    std::string FullPath() const;  // FileSpec:FullPath

    // Orders.
    // Adds an index; a name without directory is looked for beside the
    // table. The first index added becomes the active order. Goes to the top.
    bool SetIndex(const std::string& ntxFileName);
    // Builds an index of every record from a key expression (the
    // reorganisation's job) and adds it as with SetIndex.
    bool CreateIndex(const std::string& ntxFileName, const std::string& expression,
                     bool unique = false);
    bool SetOrder(int order);                // 0 = natural order
    bool SetOrder(const std::string& name);  // index file name without extension
    int IndexOrd() const;
    int OrderCount() const;                  // indexes open
    std::string OrderPath(int order) const;  // the index file of an order; "" when none
    bool Seek(const Usual& key);             // prefix match; not found -> end of file
    bool Found() const;

    // Filters: records for which the block is false are skipped.
    bool SetFilter(std::function<bool(DBServer&)> filter);
    bool ClearFilter();

    // Writing.
    bool Append();  // new blank record, locked, current
    bool Delete();
    bool Recall();
    bool Deleted();
    // Locks the current record now and re-reads it under the lock, so that
    // values read afterwards are the ones a FieldPut will change (a
    // read-compute-write cannot then work on another program's stale record).
    // The lock is held as a FieldPut's would be.
    bool RLock();
    bool Commit();  // flush and release the record lock
    // Tidies what a program killed between an append and its commit left
    // behind, so that numbering and filing do not trip over it: a live record
    // that is blank in every field is marked deleted, and a record written
    // before the program could change its keys gets them. Looked at are the
    // records under the blank record's key in any index and the last
    // `tail` records of the table. A record another program holds (its own
    // append still in progress) is left alone: only records whose lock can
    // be had at once are touched. Returns how many records were put right;
    // the record pointer goes to the top of the active order.
    uint32_t RepairAbandonedAppends(uint32_t tail = 8);
    bool Refresh();  // re-read the current record
    // Drops what FieldPut changed and has not yet written, re-reads the
    // current record and releases its lock: a save that could not write
    // every field leaves the record as it was, for this program and others.
    // (Memo text already placed stays in the memo file, unreferenced.)
    bool Revert();

    // ---- whole-table jobs ----
    // Reads the records first .. first+max-1 (fewer at the end of the
    // table, none past it) with one read into `block`; returns how many. In
    // record order, without index or filter; deleted records are there too.
    // No lock is taken: another program may change a record until it is
    // locked, so a job re-reads what it changes under LockRun.
    uint32_t ReadBlock(uint32_t first, uint32_t max, RecordBlock& block);
    // Locks the records first..last with one range lock: the lock bytes
    // B+first .. B+last of the shared scheme, which to other programs is the
    // same as holding each record's lock, and never B itself (the header).
    // Tried once, without waiting: false when another program holds any of
    // them, and no error is raised then (Status() is nil), so the job can go
    // record by record through FieldPut's lock wait instead. A pending change
    // of the current record is written and its lock released first.
    bool LockRun(uint32_t first, uint32_t last);
    // Writes records first..last of `block` (inside the locked run) with one
    // write; the index keys of records that changed are updated before it.
    bool WriteRun(const RecordBlock& block, uint32_t first, uint32_t last);
    // Releases the run lock with one unlock. What WriteRun wrote is in the
    // file before (another program that gets a record's lock then reads the
    // new record); Commit puts it on disk.
    void UnlockRun();
    // Calls of the file layer on the table and its memo file since opening.
    IoCounts Io() const;

    // Reading beside the record pointer, for browse views: records
    // first..first+n-1 as stored (RecSize() bytes each, byte 0 the deletion
    // flag), read at once and without locks like any plain read. The record
    // pointer, the current record and its lock stay as they are. Returns the
    // number read, fewer at the end of the table; a failed read raises the
    // error and gives 0.
    uint32_t ReadRecords(uint32_t first, uint32_t n, char* out);
    uint32_t RecSize() const;
    // A field (1-based) of a record read by ReadRecords, as FieldGet reads
    // it. False, without raising an error, when the stored text is no value
    // of the field's type (or the memo cannot be read).
    bool FieldGetFrom(const char* record, int pos, Usual* value);

    // Nil after a successful operation; the error object otherwise.
    const Usual& Status() const;

    bool Close();

    // How long a record, header or index lock is tried before the lock
    // error is raised (default about 2 s).
    void SetLockTimeout(int ms);

  private:
    friend class RecordBlock;
    bool MarkDeleted(char flag, const char* op);  // Delete and Recall

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kp

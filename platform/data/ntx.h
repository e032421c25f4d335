#pragma once
// NTX index files: a B-tree (keys live in interior pages too) of 1024-byte
// pages, every page address a byte offset, page 0 the header. Keys are
// fixed width and ordered by unsigned bytes, equal keys by record number.
//
// Every operation locks the index (the shared scheme's byte at
// 1,000,000,000), re-reads the header and drops cached pages when another
// program changed the index, does its work, writes changed pages and then
// the header with a bumped change counter, and unlocks. Throws DbError.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/data/dbf.h"
#include "platform/data/keyexpr.h"
#include "platform/data/osfile.h"

namespace kp {

class NtxIndex {
  public:
    struct Entry {
        std::string key;
        uint32_t rec = 0;
    };
    struct Options {
        bool exclusive = false;
        bool readOnly = false;
        int lockWaitMs = 2000;
    };

    // Opens an index of `table`; its expression is compiled against the
    // table's fields.
    static std::unique_ptr<NtxIndex> Open(const std::string& path, Table& table,
                                          const Options& opt);
    // Builds an index over every record of `table` (deleted ones too), with
    // memory bounded whatever the table's size. `expr` is UTF-8.
    static void Create(const std::string& path, Table& table, const std::string& expr, bool unique);
    ~NtxIndex();

    const std::string& Path() const { return path_; }
    std::string Expression() const;  // UTF-8
    char KeyType() const { return expr_->Type(); }
    int KeySize() const { return keySize_; }
    int KeyDecimals() const { return keyDec_; }
    bool Unique() const { return unique_; }
    bool ReadOnly() const { return readOnly_; }
    int MaxItem() const { return maxItem_; }
    void SetLockWaitMs(int ms) { opt_.lockWaitMs = ms; }

    std::string KeyOf(const char* rec) const { return expr_->Key(rec, keySize_, keyDec_); }

    bool First(Entry* out);
    bool Last(Entry* out);
    bool After(std::string_view key, uint32_t rec, Entry* out);   // smallest entry > (key, rec)
    bool Before(std::string_view key, uint32_t rec, Entry* out);  // largest entry < (key, rec)
    // First entry whose key, cut to the prefix's length, is >= prefix.
    bool LowerBound(std::string_view prefix, Entry* out);

    void Insert(std::string_view key, uint32_t rec);
    bool Remove(std::string_view key, uint32_t rec);
    // Remove (oldKey, rec) and insert (newKey, rec) in one locked change.
    void Replace(std::string_view oldKey, std::string_view newKey, uint32_t rec);

    // Walks the whole tree in order and checks its shape; calls `each` for
    // every entry and appends what is wrong to `faults` (and what is merely
    // unusual to `notes`).
    void Verify(const std::function<void(const Entry&)>& each, std::vector<std::string>* faults,
                std::vector<std::string>* notes);
    void Sync();

    struct Page;

  private:
    NtxIndex() = default;
    class Op;
    friend class Op;

    Page& Load(uint32_t off);
    Page& Fresh(uint32_t off);
    uint32_t Alloc();
    void Free(uint32_t off);
    void ReadHeaderFields();
    void WriteChanges();
    void DropCache();
    [[noreturn]] void Damage(const std::string& what) const;
    int Cmp(const unsigned char* item, std::string_view key, uint32_t rec, bool prefix) const;
    // Walks from the root towards (key, rec), recording the (page, slot) of
    // each level in `path`; true when the item itself was found, and then
    // the last slot of `path` is it, otherwise the leaf slot it belongs in.
    bool Descend(std::string_view key, uint32_t rec, std::vector<std::pair<uint32_t, int>>& path);
    bool InsertLocked(std::string_view key, uint32_t rec);
    bool RemoveLocked(std::string_view key, uint32_t rec);
    void InsertAt(std::vector<std::pair<uint32_t, int>>& path, size_t level, uint32_t child,
                  uint32_t rec, std::string_view key);
    void Rebalance(std::vector<std::pair<uint32_t, int>>& path, size_t level);
    void VerifyPage(uint32_t off, int depth, int* leafDepth, std::vector<char>& seen,
                    const std::function<void(const Entry&)>& each, std::vector<std::string>* faults,
                    std::vector<std::string>* notes, Entry* last, bool* haveLast, uint64_t* count);

    std::string path_;
    Options opt_;
    bool readOnly_ = false;
    std::unique_ptr<OsFile> file_;
    std::unique_ptr<KeyExpr> expr_;
    int codePage_ = 850;
    std::string exprText_;  // code-page bytes
    uint16_t signature_ = 6;
    uint16_t counter_ = 0;
    uint32_t root_ = 0;
    uint32_t freeHead_ = 0;
    int itemSize_ = 0, keySize_ = 0, keyDec_ = 0, maxItem_ = 0, halfPage_ = 0;
    bool unique_ = false;
    uint64_t fileEnd_ = 0;
    bool headerDirty_ = false;
    std::unordered_map<uint32_t, std::unique_ptr<Page>> cache_;
    std::vector<std::unique_ptr<Page>> pendingFree_;  // freed in this change, written with it
};

}  // namespace kp

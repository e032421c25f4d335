#include "platform/data/ntx.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <queue>

#include "platform/data/byteorder.h"
#include "platform/data/dberror.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"

namespace kp {

namespace {

constexpr uint32_t kPage = 1024;
constexpr size_t kMaxCachedPages = 4096;  // 4 MB per index
constexpr int kMaxDepth = 48;
constexpr int kMaxKeySize = 250;

struct Item {
    uint32_t child = 0;
    uint32_t rec = 0;
    std::string key;
};

int MaxItemFor(int itemSize) {
    int m = 1022 / (itemSize + 2) - 1;
    if (m % 2)
        --m;
    return m;
}

}  // namespace

struct NtxIndex::Page {
    uint32_t off = 0;
    bool dirty = false;
    unsigned char b[kPage];
};

// ---- page helpers --------------------------------------------------------

namespace {

struct Geometry {
    int itemSize, keySize, maxItem;
    int SlotEnd() const { return 2 + 2 * (maxItem + 1); }
};

inline int N(const unsigned char* b) {
    return U16(b);
}
inline int Slot(const unsigned char* b, int i) {
    return U16(b + 2 + 2 * i);
}
inline void SetSlot(unsigned char* b, int i, int v) {
    PutU16(b + 2 + 2 * i, static_cast<uint32_t>(v));
}
inline unsigned char* ItemAt(unsigned char* b, int i) {
    return b + Slot(b, i);
}
inline const unsigned char* ItemAt(const unsigned char* b, int i) {
    return b + Slot(b, i);
}
inline uint32_t Child(const unsigned char* it) {
    return U32(it);
}
inline uint32_t Rec(const unsigned char* it) {
    return U32(it + 4);
}

// The first of the n items of a page for which `before` is false; the items
// are in key order, so `before` holds for a prefix of them.
template <class Before>
int FirstNotBefore(const unsigned char* b, int n, Before before) {
    int lo = 0, hi = n;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (before(ItemAt(b, mid)))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void InitPage(unsigned char* b, const Geometry& g) {
    std::memset(b, 0, kPage);
    for (int i = 0; i <= g.maxItem; ++i)
        SetSlot(b, i, g.SlotEnd() + i * g.itemSize);
}

void WriteItem(unsigned char* it, const Geometry& g, uint32_t child, uint32_t rec,
               std::string_view key) {
    PutU32(it, child);
    PutU32(it + 4, rec);
    size_t k = std::min(key.size(), static_cast<size_t>(g.keySize));
    std::memcpy(it + 8, key.data(), k);
    if (k < static_cast<size_t>(g.keySize))
        std::memset(it + 8 + k, ' ', static_cast<size_t>(g.keySize) - k);
}

// Inserts an item at pos of a page with room: the free item slot[n+1] is
// taken and slot[pos..n] move up one place; items themselves never move.
void InsertItem(unsigned char* b, const Geometry& g, int pos, uint32_t child, uint32_t rec,
                std::string_view key) {
    int n = N(b);
    int f = Slot(b, n + 1);
    std::memmove(b + 2 + 2 * (pos + 1), b + 2 + 2 * pos, static_cast<size_t>(2 * (n + 1 - pos)));
    SetSlot(b, pos, f);
    WriteItem(b + f, g, child, rec, key);
    PutU16(b, static_cast<uint32_t>(n + 1));
}

void RemoveItem(unsigned char* b, int pos) {
    int n = N(b);
    int f = Slot(b, pos);
    std::memmove(b + 2 + 2 * pos, b + 2 + 2 * (pos + 1), static_cast<size_t>(2 * (n - pos)));
    SetSlot(b, n, f);
    PutU16(b, static_cast<uint32_t>(n - 1));
}

Item ReadItem(const unsigned char* it, const Geometry& g) {
    return Item{Child(it), Rec(it),
                std::string(reinterpret_cast<const char*>(it + 8), static_cast<size_t>(g.keySize))};
}

void FillPage(unsigned char* b, const Geometry& g, const std::vector<Item>& items, size_t from,
              size_t to, uint32_t right) {
    InitPage(b, g);
    int n = 0;
    for (size_t i = from; i < to; ++i, ++n)
        WriteItem(ItemAt(b, n), g, items[i].child, items[i].rec, items[i].key);
    PutU16(b, static_cast<uint32_t>(n));
    PutU32(ItemAt(b, n), right);
}

void SetEntry(unsigned char* dst, const unsigned char* src, const Geometry& g) {
    std::memcpy(dst + 4, src + 4, static_cast<size_t>(4 + g.keySize));
}

}  // namespace

// ---- the locked operation --------------------------------------------------

class NtxIndex::Op {
  public:
    Op(NtxIndex& x, bool write) : x_(x), write_(write) {
        if (write && x.readOnly_)
            ThrowDb(EG_READONLY, x.path_,
                    "Der Index ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
        if (!x.opt_.exclusive) {
            int64_t start = NowMs();
            int pause = 1;
            while (!x.file_->TryLock(kLockBase, 1)) {
                if (NowMs() - start >= x.opt_.lockWaitMs)
                    ThrowDb(EG_LOCK, x.path_,
                            "Der Index wird gerade von einem anderen Programm bearbeitet; bitte "
                            "später wiederholen.",
                            OSERR_LOCK_VIOLATION, true);
                SleepMs(pause);
                pause = std::min(pause * 2, 25);
            }
            lock_ = RangeLock(x.file_.get(), kLockBase, 1);
        }
        x.ReadHeaderFields();
    }
    void Commit() {
        x_.WriteChanges();
        committed_ = true;
    }
    ~Op() {
        // A change that failed half-way is forgotten: the file still holds
        // the state before it, and the next operation reads that.
        if (write_ && !committed_)
            x_.DropCache();
    }

  private:
    NtxIndex& x_;
    bool write_;
    bool committed_ = false;
    RangeLock lock_;
};

// ---- open / header --------------------------------------------------------

void NtxIndex::Damage(const std::string& what) const {
    ThrowDb(EG_CORRUPTION, path_,
            "Der Index ist beschädigt (" + what + "); bitte mit „kpdb index“ neu aufbauen.");
}

std::unique_ptr<NtxIndex> NtxIndex::Open(const std::string& path, Table& table,
                                         const Options& opt) {
    std::unique_ptr<NtxIndex> x(new NtxIndex());
    x->path_ = path;
    x->opt_ = opt;
    x->codePage_ = table.CodePage();
    uint32_t os = 0;
    auto share = opt.exclusive ? OsFile::Share::Exclusive : OsFile::Share::Shared;
    bool ro = opt.readOnly || table.ReadOnly();
    x->file_ =
        OsFile::Open(path, share, ro ? OsFile::Access::ReadOnly : OsFile::Access::ReadWrite, &os);
    if (!x->file_ && !ro && os == OSERR_ACCESS_DENIED) {
        x->file_ = OsFile::Open(path, share, OsFile::Access::ReadOnly, &os);
    }
    if (!x->file_)
        ThrowDb(EG_OPEN, path,
                "Der Index kann nicht geöffnet werden (nicht vorhanden oder von einem anderen "
                "Programm exklusiv geöffnet).",
                os, os == OSERR_SHARING_VIOLATION);
    x->readOnly_ = x->file_->ReadOnly();

    int64_t size = x->file_->Size();
    if (size < 0)
        ThrowDb(EG_READ, path, "Der Index kann nicht gelesen werden.", x->file_->LastError());
    if (static_cast<uint64_t>(size) > kLockBase)
        ThrowDb(EG_LIMIT, path,
                "Der Index ist größer als 1.000.000.000 Bytes und kann nicht bearbeitet werden.");
    unsigned char h[kPage];
    if (size < static_cast<int64_t>(2 * kPage) || x->file_->ReadAt(0, h, kPage) != kPage)
        x->Damage("Dateikopf zu kurz");
    uint16_t sig = U16(h);
    if ((sig & ~0x09u) != 6 && sig != 3)
        x->Damage("keine Index-Datei, Kennung " + std::to_string(sig));
    if (sig & 0x09)
        x->readOnly_ = true;  // conditional or temporary: never written
    x->signature_ = sig;
    x->itemSize_ = U16(h + 12);
    x->keySize_ = U16(h + 14);
    x->keyDec_ = U16(h + 16);
    x->maxItem_ = U16(h + 18);
    x->halfPage_ = U16(h + 20);
    if (x->keySize_ < 1 || x->keySize_ > 256 || x->itemSize_ != x->keySize_ + 8)
        x->Damage("Schlüssellänge ungültig");
    if (x->maxItem_ < 2 ||
        2 + 2 * (x->maxItem_ + 1) + (x->maxItem_ + 1) * x->itemSize_ > static_cast<int>(kPage) ||
        x->halfPage_ < 1 || x->halfPage_ > x->maxItem_ / 2)
        x->Damage("Seitenaufbau ungültig");
    if (x->keyDec_ > 15 || (x->keyDec_ > 0 && x->keyDec_ >= x->keySize_))
        x->Damage("Nachkommastellen des Schlüssels ungültig");
    size_t e = 0;
    while (e < 256 && h[22 + e] != 0)
        ++e;
    x->exprText_.assign(reinterpret_cast<const char*>(h + 22), e);
    x->unique_ = h[278] != 0;
    x->expr_ = KeyExpr::Compile(x->exprText_, table.Fields(), table.CodePage(), path);
    char t = x->expr_->Type();
    if ((t == 'D' && x->keySize_ != 8) || (t == 'L' && x->keySize_ != 1))
        x->Damage("Schlüssellänge passt nicht zum Ausdruck");
    x->counter_ = static_cast<uint16_t>(U16(h + 2) + 1);  // force the first read to load afresh
    x->ReadHeaderFields();
    return x;
}

NtxIndex::~NtxIndex() = default;

std::string NtxIndex::Expression() const {
    return CpToUtf8(exprText_, codePage_);
}

void NtxIndex::ReadHeaderFields() {
    unsigned char h[12];
    if (file_->ReadAt(0, h, sizeof h) != static_cast<int64_t>(sizeof h))
        Damage("Dateikopf nicht lesbar");
    uint16_t counter = U16(h + 2);
    uint32_t root = U32(h + 4), freeHead = U32(h + 8);
    if (counter != counter_ || root != root_ || freeHead != freeHead_ ||
        cache_.size() > kMaxCachedPages)
        DropCache();
    counter_ = counter;
    root_ = root;
    freeHead_ = freeHead;
    headerDirty_ = false;
    int64_t size = file_->Size();
    if (size < 0)
        ThrowDb(EG_READ, path_, "Der Index kann nicht gelesen werden.", file_->LastError());
    fileEnd_ = std::min<uint64_t>(static_cast<uint64_t>(size) / kPage * kPage, kLockBase);
    if (root_ % kPage || root_ < kPage || root_ >= fileEnd_)
        Damage("Wurzelseite außerhalb der Datei");
}

void NtxIndex::DropCache() {
    cache_.clear();
    pendingFree_.clear();
}

NtxIndex::Page& NtxIndex::Load(uint32_t off) {
    auto it = cache_.find(off);
    if (it != cache_.end())
        return *it->second;
    if (off % kPage || off < kPage || off + static_cast<uint64_t>(kPage) > fileEnd_)
        Damage("Seite " + std::to_string(off) + " außerhalb der Datei");
    auto p = std::make_unique<Page>();
    p->off = off;
    if (file_->ReadAt(off, p->b, kPage) != kPage)
        Damage("Seite " + std::to_string(off) + " nicht lesbar");
    // Check everything later code relies on, so that a damaged page can
    // neither crash us nor make us write outside it.
    Geometry g{itemSize_, keySize_, maxItem_};
    int n = N(p->b);
    if (n > maxItem_)
        Damage("Seite " + std::to_string(off) + " mit zu vielen Schlüsseln");
    std::bitset<kPage> used;
    for (int i = 0; i <= maxItem_; ++i) {
        int s = Slot(p->b, i);
        if (s < g.SlotEnd() || s + itemSize_ > static_cast<int>(kPage) ||
            used[static_cast<size_t>(s)])
            Damage("Seite " + std::to_string(off) + " mit defekter Schlüsseltabelle");
        used[static_cast<size_t>(s)] = true;
    }
    bool leaf = Child(ItemAt(p->b, 0)) == 0;
    for (int i = 0; i <= n; ++i) {
        uint32_t c = Child(ItemAt(p->b, i));
        if ((c == 0) != leaf || (c != 0 && (c % kPage || c >= fileEnd_)))
            Damage("Seite " + std::to_string(off) + " mit defektem Verweis");
    }
    Page& ref = *p;
    cache_.emplace(off, std::move(p));
    return ref;
}

NtxIndex::Page& NtxIndex::Fresh(uint32_t off) {
    auto p = std::make_unique<Page>();
    p->off = off;
    p->dirty = true;
    InitPage(p->b, Geometry{itemSize_, keySize_, maxItem_});
    Page& ref = *p;
    cache_[off] = std::move(p);
    return ref;
}

uint32_t NtxIndex::Alloc() {
    uint32_t off;
    if (freeHead_ != 0) {
        off = freeHead_;
        if (off % kPage || off < kPage || off + static_cast<uint64_t>(kPage) > fileEnd_)
            Damage("Kette der freien Seiten defekt");
        unsigned char nb[4];
        auto pending =
            std::find_if(pendingFree_.begin(), pendingFree_.end(),
                         [off](const std::unique_ptr<Page>& p) { return p->off == off; });
        auto it = cache_.find(off);
        if (pending != pendingFree_.end()) {
            std::memcpy(nb, (*pending)->b, 4);
            pendingFree_.erase(pending);
        } else if (it != cache_.end()) {
            std::memcpy(nb, it->second->b, 4);
        } else if (file_->ReadAt(off, nb, 4) != 4) {
            Damage("freie Seite nicht lesbar");
        }
        freeHead_ = U32(nb);
    } else {
        off = static_cast<uint32_t>(fileEnd_);
        if (fileEnd_ + kPage > kLockBase)
            ThrowDb(EG_LIMIT, path_,
                    "Der Index würde größer als 1.000.000.000 Bytes; es können keine Schlüssel "
                    "mehr aufgenommen werden.");
        fileEnd_ += kPage;
    }
    headerDirty_ = true;
    Fresh(off);
    return off;
}

void NtxIndex::Free(uint32_t off) {
    Page& p = Load(off);
    std::memset(p.b, 0, kPage);
    PutU32(p.b, freeHead_);
    p.dirty = true;
    freeHead_ = off;
    headerDirty_ = true;
    // A freed page must not be found again as a tree page.
    auto keep = std::move(cache_[off]);
    cache_.erase(off);
    pendingFree_.push_back(std::move(keep));
}

void NtxIndex::WriteChanges() {
    std::vector<Page*> dirty;
    for (auto& [off, p] : cache_)
        if (p->dirty)
            dirty.push_back(p.get());
    for (auto& p : pendingFree_)
        dirty.push_back(p.get());
    if (dirty.empty() && !headerDirty_)
        return;
    // New pages (at the end) first, so that the old tree stays whole as long as possible.
    std::sort(dirty.begin(), dirty.end(),
              [](const Page* a, const Page* b) { return a->off > b->off; });
    for (Page* p : dirty) {
        if (!file_->WriteAt(p->off, p->b, kPage))
            ThrowDb(EG_WRITE, path_, "Eine Seite des Index kann nicht geschrieben werden.",
                    file_->LastError());
        p->dirty = false;
    }
    pendingFree_.clear();
    ++counter_;
    unsigned char h[10];
    PutU16(h, counter_);
    PutU32(h + 2, root_);
    PutU32(h + 6, freeHead_);
    if (!file_->WriteAt(2, h, sizeof h))
        ThrowDb(EG_WRITE, path_, "Der Dateikopf des Index kann nicht geschrieben werden.",
                file_->LastError());
    headerDirty_ = false;
}

void NtxIndex::Sync() {
    if (!readOnly_ && !file_->Sync())
        ThrowDb(EG_WRITE, path_, "Der Index kann nicht auf den Datenträger geschrieben werden.",
                file_->LastError());
}

// ---- search -----------------------------------------------------------------

int NtxIndex::Cmp(const unsigned char* item, std::string_view key, uint32_t rec,
                  bool prefix) const {
    size_t k = std::min(key.size(), static_cast<size_t>(keySize_));
    int c = k ? std::memcmp(item + 8, key.data(), k) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (prefix)
        return 0;
    uint32_t r = Rec(item);
    return r < rec ? -1 : (r > rec ? 1 : 0);
}

bool NtxIndex::Descend(std::string_view key, uint32_t rec,
                       std::vector<std::pair<uint32_t, int>>& path) {
    uint32_t off = root_;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth)
            Damage("Baum zu tief");
        Page& p = Load(off);
        int n = N(p.b);
        auto before = [&](const unsigned char* it) { return Cmp(it, key, rec, false) < 0; };
        int lo = FirstNotBefore(p.b, n, before);
        path.emplace_back(off, lo);
        if (lo < n && Cmp(ItemAt(p.b, lo), key, rec, false) == 0)
            return true;
        uint32_t c = Child(ItemAt(p.b, lo));
        if (c == 0)
            return false;
        off = c;
    }
}

namespace {
enum class Mode { GE, GT, LT, Last };
}

#define KP_NTX_SEARCH(MODE, KEY, REC, PREFIX)                                \
    [&]() {                                                                  \
        uint32_t off = root_;                                                \
        bool have = false;                                                   \
        for (int depth = 0; off != 0; ++depth) {                             \
            if (depth > kMaxDepth)                                           \
                Damage("Baum zu tief");                                      \
            Page& p = Load(off);                                             \
            int n = N(p.b);                                                  \
            int lo = n;                                                      \
            if (MODE != Mode::Last) {                                        \
                lo = FirstNotBefore(p.b, n, [&](const unsigned char* it) {   \
                    int c = Cmp(it, KEY, REC, PREFIX);                       \
                    return MODE == Mode::GT ? c <= 0 : c < 0;                \
                });                                                          \
            }                                                                \
            int pick = (MODE == Mode::GE || MODE == Mode::GT) ? lo : lo - 1; \
            if (pick >= 0 && pick < n) {                                     \
                const unsigned char* it = ItemAt(p.b, pick);                 \
                out->rec = Rec(it);                                          \
                out->key.assign(reinterpret_cast<const char*>(it + 8),       \
                                static_cast<size_t>(keySize_));              \
                have = true;                                                 \
            }                                                                \
            off = Child(ItemAt(p.b, lo));                                    \
        }                                                                    \
        return have;                                                         \
    }()

bool NtxIndex::First(Entry* out) {
    Op op(*this, false);
    return KP_NTX_SEARCH(Mode::GE, std::string_view(), 0u, true);
}

bool NtxIndex::Last(Entry* out) {
    Op op(*this, false);
    return KP_NTX_SEARCH(Mode::Last, std::string_view(), 0u, true);
}

bool NtxIndex::After(std::string_view key, uint32_t rec, Entry* out) {
    Op op(*this, false);
    return KP_NTX_SEARCH(Mode::GT, key, rec, false);
}

bool NtxIndex::Before(std::string_view key, uint32_t rec, Entry* out) {
    Op op(*this, false);
    return KP_NTX_SEARCH(Mode::LT, key, rec, false);
}

bool NtxIndex::LowerBound(std::string_view prefix, Entry* out) {
    Op op(*this, false);
    return KP_NTX_SEARCH(Mode::GE, prefix, 0u, true);
}

// ---- insert -------------------------------------------------------------------

void NtxIndex::Insert(std::string_view key, uint32_t rec) {
    Op op(*this, true);
    InsertLocked(key, rec);
    op.Commit();
}

bool NtxIndex::Remove(std::string_view key, uint32_t rec) {
    Op op(*this, true);
    bool r = RemoveLocked(key, rec);
    op.Commit();
    return r;
}

void NtxIndex::Replace(std::string_view oldKey, std::string_view newKey, uint32_t rec) {
    Op op(*this, true);
    RemoveLocked(oldKey, rec);
    InsertLocked(newKey, rec);
    op.Commit();
}

bool NtxIndex::InsertLocked(std::string_view key, uint32_t rec) {
    std::string k(key);
    k.resize(static_cast<size_t>(keySize_), ' ');
    if (unique_) {
        Entry e;
        Entry* out = &e;
        // Only the first record of a key is in a unique index.
        if (KP_NTX_SEARCH(Mode::GE, std::string_view(k), 0u, true) && e.key == k)
            return false;
    }
    std::vector<std::pair<uint32_t, int>> path;
    if (Descend(k, rec, path))
        return false;  // already there
    InsertAt(path, path.size() - 1, 0, rec, k);
    return true;
}

void NtxIndex::InsertAt(std::vector<std::pair<uint32_t, int>>& path, size_t level, uint32_t child,
                        uint32_t rec, std::string_view key) {
    Geometry g{itemSize_, keySize_, maxItem_};
    Page& p = Load(path[level].first);
    int pos = path[level].second;
    int n = N(p.b);
    if (n < maxItem_) {
        InsertItem(p.b, g, pos, child, rec, key);
        p.dirty = true;
        return;
    }
    // Split: the lower keys go to a new page, the median goes up to the
    // parent in front of the item that points to this page.
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i)
        items.push_back(ReadItem(ItemAt(p.b, i), g));
    items.insert(items.begin() + pos, Item{child, rec, std::string(key)});
    uint32_t right = Child(ItemAt(p.b, n));
    size_t half = static_cast<size_t>(halfPage_);
    uint32_t newOff = Alloc();
    Page& np = Load(newOff);
    FillPage(np.b, g, items, 0, half, items[half].child);
    FillPage(p.b, g, items, half + 1, items.size(), right);
    p.dirty = true;
    Item median = items[half];
    median.child = newOff;
    if (level == 0) {
        uint32_t rootOff = Alloc();
        Page& r = Load(rootOff);
        InsertItem(r.b, g, 0, median.child, median.rec, median.key);
        PutU32(ItemAt(r.b, 1), path[0].first);
        root_ = rootOff;
        headerDirty_ = true;
    } else {
        InsertAt(path, level - 1, median.child, median.rec, median.key);
    }
}

// ---- delete -------------------------------------------------------------------

bool NtxIndex::RemoveLocked(std::string_view key, uint32_t rec) {
    Geometry g{itemSize_, keySize_, maxItem_};
    std::string k(key);
    k.resize(static_cast<size_t>(keySize_), ' ');
    std::vector<std::pair<uint32_t, int>> path;
    if (!Descend(k, rec, path))
        return false;  // not in the index
    size_t level = path.size() - 1;
    Page& p = Load(path[level].first);
    int pos = path[level].second;
    uint32_t c = Child(ItemAt(p.b, pos));
    if (c != 0) {
        // An interior key is replaced by its in-order predecessor, the last
        // key of the rightmost leaf of its left subtree.
        uint32_t o = c;
        for (int depth = 0;; ++depth) {
            if (depth > kMaxDepth)
                Damage("Baum zu tief");
            Page& q = Load(o);
            int n = N(q.b);
            path.emplace_back(o, n);
            uint32_t cc = Child(ItemAt(q.b, n));
            if (cc == 0)
                break;
            o = cc;
        }
        Page& leaf = Load(path.back().first);
        int nl = N(leaf.b);
        if (nl == 0)
            Damage("Blattseite " + std::to_string(leaf.off) + " leer");
        SetEntry(ItemAt(p.b, pos), ItemAt(leaf.b, nl - 1), g);
        p.dirty = true;
        path.back().second = nl - 1;
        RemoveItem(leaf.b, nl - 1);
        leaf.dirty = true;
    } else {
        RemoveItem(p.b, pos);
        p.dirty = true;
    }
    Rebalance(path, path.size() - 1);
    return true;
}

void NtxIndex::Rebalance(std::vector<std::pair<uint32_t, int>>& path, size_t level) {
    Geometry g{itemSize_, keySize_, maxItem_};
    Page& P = Load(path[level].first);
    if (level == 0) {
        // An empty interior root hands the root to its only child.
        if (N(P.b) == 0 && Child(ItemAt(P.b, 0)) != 0) {
            root_ = Child(ItemAt(P.b, 0));
            headerDirty_ = true;
            Free(P.off);
        }
        return;
    }
    if (N(P.b) >= halfPage_)
        return;
    Page& parent = Load(path[level - 1].first);
    int j = path[level - 1].second;
    int np = N(parent.b);
    if (j > np || Child(ItemAt(parent.b, j)) != P.off)
        Damage("Pfad widersprüchlich");
    if (j > 0) {
        Page& L = Load(Child(ItemAt(parent.b, j - 1)));
        int nl = N(L.b);
        if (nl > halfPage_) {
            // Borrow the left sibling's last key through the parent.
            unsigned char* sep = ItemAt(parent.b, j - 1);
            uint32_t lastChild = Child(ItemAt(L.b, nl - 1));
            uint32_t lRight = Child(ItemAt(L.b, nl));
            InsertItem(
                P.b, g, 0, lRight, Rec(sep),
                std::string_view(reinterpret_cast<char*>(sep + 8), static_cast<size_t>(keySize_)));
            SetEntry(sep, ItemAt(L.b, nl - 1), g);
            RemoveItem(L.b, nl - 1);
            PutU32(ItemAt(L.b, nl - 1), lastChild);
            P.dirty = L.dirty = parent.dirty = true;
            return;
        }
    }
    if (j < np) {
        Page& R = Load(Child(ItemAt(parent.b, j + 1)));
        int nr = N(R.b);
        if (nr > halfPage_) {
            // Borrow the right sibling's first key through the parent.
            unsigned char* sep = ItemAt(parent.b, j);
            int n = N(P.b);
            uint32_t pRight = Child(ItemAt(P.b, n));
            InsertItem(
                P.b, g, n, pRight, Rec(sep),
                std::string_view(reinterpret_cast<char*>(sep + 8), static_cast<size_t>(keySize_)));
            PutU32(ItemAt(P.b, n + 1), Child(ItemAt(R.b, 0)));
            SetEntry(sep, ItemAt(R.b, 0), g);
            RemoveItem(R.b, 0);
            P.dirty = R.dirty = parent.dirty = true;
            return;
        }
    }
    int s = j > 0 ? j - 1 : j;
    if (s >= np)
        return;  // a parent without keys: nothing to merge with
    // Merge the two children around separator s into the left one.
    Page& L = Load(Child(ItemAt(parent.b, s)));
    Page& R = Load(Child(ItemAt(parent.b, s + 1)));
    int nl = N(L.b), nr = N(R.b);
    if (nl + 1 + nr > maxItem_)
        Damage("Seiten nicht zusammenführbar");
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(nl + 1 + nr));
    for (int i = 0; i < nl; ++i)
        items.push_back(ReadItem(ItemAt(L.b, i), g));
    Item sepItem = ReadItem(ItemAt(parent.b, s), g);
    sepItem.child = Child(ItemAt(L.b, nl));
    items.push_back(sepItem);
    for (int i = 0; i < nr; ++i)
        items.push_back(ReadItem(ItemAt(R.b, i), g));
    uint32_t right = Child(ItemAt(R.b, nr));
    FillPage(L.b, g, items, 0, items.size(), right);
    L.dirty = true;
    uint32_t lOff = L.off, rOff = R.off;
    RemoveItem(parent.b, s);
    PutU32(ItemAt(parent.b, s), lOff);
    parent.dirty = true;
    Free(rOff);
    Rebalance(path, level - 1);
}

// ---- verify -------------------------------------------------------------------

void NtxIndex::Verify(const std::function<void(const Entry&)>& each,
                      std::vector<std::string>* faults, std::vector<std::string>* notes) {
    Op op(*this, false);
    std::vector<char> seen(static_cast<size_t>(fileEnd_ / kPage), 0);
    int leafDepth = -1;
    Entry last;
    bool haveLast = false;
    uint64_t count = 0;
    try {
        VerifyPage(root_, 0, &leafDepth, seen, each, faults, notes, &last, &haveLast, &count);
    } catch (const DbError& e) {
        faults->push_back(e.description);
    }
    // The free chain must stay clear of the tree and end.
    uint32_t f = freeHead_;
    size_t steps = 0;
    while (f != 0) {
        if (f % kPage || f < kPage || f >= fileEnd_) {
            faults->push_back("free chain leaves the file at " + std::to_string(f));
            break;
        }
        if (seen[f / kPage] == 1) {
            faults->push_back("free page " + std::to_string(f) + " is also in the tree");
            break;
        }
        if (seen[f / kPage] == 2 || ++steps > seen.size()) {
            faults->push_back("free chain runs in a circle");
            break;
        }
        seen[f / kPage] = 2;
        unsigned char nb[4];
        if (file_->ReadAt(f, nb, 4) != 4)
            break;
        f = U32(nb);
    }
}

void NtxIndex::VerifyPage(uint32_t off, int depth, int* leafDepth, std::vector<char>& seen,
                          const std::function<void(const Entry&)>& each,
                          std::vector<std::string>* faults, std::vector<std::string>* notes,
                          Entry* last, bool* haveLast, uint64_t* count) {
    if (depth > kMaxDepth)
        Damage("Baum zu tief");
    if (off / kPage >= seen.size() || seen[off / kPage])
        Damage("Seite " + std::to_string(off) + " doppelt erreicht");
    seen[off / kPage] = 1;
    Page& p = Load(off);
    // A copy, since the walk below loads the children.
    unsigned char b[kPage];
    std::memcpy(b, p.b, kPage);
    int n = N(b);
    bool leaf = Child(ItemAt(b, 0)) == 0;
    if (depth > 0 && n < halfPage_)
        notes->push_back("index page " + std::to_string(off) + " holds " + std::to_string(n) +
                         " keys (fewer than " + std::to_string(halfPage_) + ")");
    if (depth > 0 && n == 0)
        faults->push_back("index page " + std::to_string(off) + " is empty");
    if (leaf) {
        if (*leafDepth < 0)
            *leafDepth = depth;
        if (*leafDepth != depth)
            faults->push_back("index leaves at different depths");
    }
    for (int i = 0; i <= n; ++i) {
        const unsigned char* it = ItemAt(b, i);
        if (!leaf)
            VerifyPage(Child(it), depth + 1, leafDepth, seen, each, faults, notes, last, haveLast,
                       count);
        if (i == n)
            break;
        Entry e{std::string(reinterpret_cast<const char*>(it + 8), static_cast<size_t>(keySize_)),
                Rec(it)};
        if (*haveLast) {
            int c = std::memcmp(last->key.data(), e.key.data(), e.key.size());
            if (c > 0 || (c == 0 && (unique_ || last->rec >= e.rec)))
                faults->push_back("index keys out of order at record " + std::to_string(e.rec));
        }
        ++*count;
        each(e);
        *last = e;
        *haveLast = true;
    }
}

// ---- create -------------------------------------------------------------------

namespace {

// Sorts fixed-size entries (key bytes, then the record number big-endian, so
// that one memcmp orders by key and record) in bounded memory: sorted runs
// go to a scratch file beside the index and are merged.
class KeySorter {
  public:
    KeySorter(size_t entrySize, std::string scratch, size_t memBytes)
        : size_(entrySize), scratchPath_(std::move(scratch)) {
        cap_ = std::max<size_t>(1024, memBytes / (entrySize + 4));
        buf_.reserve(cap_ * size_);
    }
    ~KeySorter() {
        scratch_.reset();
        if (!scratchPath_.empty() && madeScratch_)
            OsFile::Remove(scratchPath_);
    }

    void Add(std::string_view key, uint32_t rec) {
        size_t at = buf_.size();
        buf_.resize(at + size_);
        std::memcpy(&buf_[at], key.data(), size_ - 4);
        for (int i = 0; i < 4; ++i)
            buf_[at + size_ - 4 + static_cast<size_t>(i)] = static_cast<char>(rec >> (24 - 8 * i));
        if (buf_.size() / size_ >= cap_)
            SpillRun();
    }

    // Sorts everything; equal keys after the first are dropped when unique.
    void Finish(bool unique) {
        unique_ = unique;
        if (runs_.empty()) {
            SortBuffer();
            // Dedupe in place.
            std::vector<uint32_t> kept;
            kept.reserve(order_.size());
            for (uint32_t i : order_)
                if (!unique_ || kept.empty() ||
                    std::memcmp(&buf_[kept.back() * size_], &buf_[i * size_], size_ - 4) != 0)
                    kept.push_back(i);
            order_.swap(kept);
            count_ = order_.size();
            return;
        }
        SpillRun();
        std::vector<char>().swap(buf_);
        std::vector<uint32_t>().swap(order_);
        Merge();
    }

    uint64_t Count() const { return count_; }

    const char* Next() {
        if (read_ >= count_)
            return nullptr;
        if (!merged_)
            return &buf_[order_[read_++] * size_];
        size_t perBuf = std::max<size_t>(1, (256 * 1024) / size_);
        if (rdPos_ >= rdBuf_.size()) {
            uint64_t left = count_ - read_;
            size_t n = static_cast<size_t>(std::min<uint64_t>(perBuf, left));
            rdBuf_.resize(n * size_);
            if (scratch_->ReadAt(outOff_ + read_ * size_, rdBuf_.data(), rdBuf_.size()) !=
                static_cast<int64_t>(rdBuf_.size()))
                ThrowDb(EG_READ, scratchPath_,
                        "Die Sortierdatei für den Indexaufbau kann nicht gelesen werden.",
                        scratch_->LastError());
            rdPos_ = 0;
        }
        const char* e = &rdBuf_[rdPos_];
        rdPos_ += size_;
        ++read_;
        return e;
    }

  private:
    void SortBuffer() {
        size_t n = buf_.size() / size_;
        order_.resize(n);
        for (size_t i = 0; i < n; ++i)
            order_[i] = static_cast<uint32_t>(i);
        const char* b = buf_.data();
        size_t sz = size_;
        std::sort(order_.begin(), order_.end(), [b, sz](uint32_t x, uint32_t y) {
            return std::memcmp(b + x * sz, b + y * sz, sz) < 0;
        });
    }

    void Scratch() {
        if (scratch_)
            return;
        uint32_t os = 0;
        scratch_ = OsFile::Create(scratchPath_, OsFile::Share::Exclusive, &os);
        if (!scratch_)
            ThrowDb(EG_CREATE, scratchPath_,
                    "Die Sortierdatei für den Indexaufbau kann nicht angelegt werden.", os);
        madeScratch_ = true;
    }

    void SpillRun() {
        if (buf_.empty())
            return;
        SortBuffer();
        Scratch();
        std::vector<char> out;
        out.reserve(buf_.size());
        for (uint32_t i : order_)
            out.insert(out.end(), &buf_[i * size_], &buf_[i * size_] + size_);
        if (!scratch_->WriteAt(end_, out.data(), out.size()))
            ThrowDb(EG_WRITE, scratchPath_,
                    "Die Sortierdatei für den Indexaufbau kann nicht geschrieben werden.",
                    scratch_->LastError());
        runs_.push_back({end_, out.size() / size_});
        end_ += out.size();
        buf_.clear();
        order_.clear();
    }

    struct Run {
        uint64_t off;
        uint64_t count;
    };

    void Merge() {
        struct Cursor {
            uint64_t next;  // next entry index in the run to load
            uint64_t left;
            uint64_t off;
            std::vector<char> buf;
            size_t pos = 0;
        };
        size_t per = std::max<size_t>(1, (1u << 20) / runs_.size() / size_);
        std::vector<Cursor> cur(runs_.size());
        auto refill = [&](Cursor& c) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(per, c.left));
            c.buf.resize(n * size_);
            if (n && scratch_->ReadAt(c.off + c.next * size_, c.buf.data(), c.buf.size()) !=
                         static_cast<int64_t>(c.buf.size()))
                ThrowDb(EG_READ, scratchPath_,
                        "Die Sortierdatei für den Indexaufbau kann nicht gelesen werden.",
                        scratch_->LastError());
            c.next += n;
            c.left -= n;
            c.pos = 0;
        };
        for (size_t i = 0; i < runs_.size(); ++i) {
            cur[i].next = 0;
            cur[i].left = runs_[i].count;
            cur[i].off = runs_[i].off;
            refill(cur[i]);
        }
        size_t sz = size_;
        auto greater = [&](size_t a, size_t b) {
            return std::memcmp(&cur[a].buf[cur[a].pos], &cur[b].buf[cur[b].pos], sz) > 0;
        };
        std::priority_queue<size_t, std::vector<size_t>, decltype(greater)> heap(greater);
        for (size_t i = 0; i < cur.size(); ++i)
            if (!cur[i].buf.empty())
                heap.push(i);
        outOff_ = end_;
        std::vector<char> out;
        out.reserve(1u << 20);
        std::string lastKey;
        bool have = false;
        uint64_t written = 0;
        while (!heap.empty()) {
            size_t i = heap.top();
            heap.pop();
            const char* e = &cur[i].buf[cur[i].pos];
            if (!unique_ || !have || std::memcmp(lastKey.data(), e, sz - 4) != 0) {
                out.insert(out.end(), e, e + sz);
                lastKey.assign(e, sz - 4);
                have = true;
                ++count_;
            }
            cur[i].pos += sz;
            if (cur[i].pos >= cur[i].buf.size())
                refill(cur[i]);
            if (!cur[i].buf.empty())
                heap.push(i);
            if (out.size() >= (1u << 20)) {
                if (!scratch_->WriteAt(outOff_ + written, out.data(), out.size()))
                    ThrowDb(EG_WRITE, scratchPath_,
                            "Die Sortierdatei für den Indexaufbau kann nicht geschrieben werden.",
                            scratch_->LastError());
                written += out.size();
                out.clear();
            }
        }
        if (!out.empty() && !scratch_->WriteAt(outOff_ + written, out.data(), out.size()))
            ThrowDb(EG_WRITE, scratchPath_,
                    "Die Sortierdatei für den Indexaufbau kann nicht geschrieben werden.",
                    scratch_->LastError());
        merged_ = true;
    }

    size_t size_;
    size_t cap_;
    std::string scratchPath_;
    std::unique_ptr<OsFile> scratch_;
    bool madeScratch_ = false;
    std::vector<char> buf_;
    std::vector<uint32_t> order_;
    std::vector<Run> runs_;
    uint64_t end_ = 0;
    bool unique_ = false;
    bool merged_ = false;
    uint64_t outOff_ = 0;
    uint64_t count_ = 0;
    uint64_t read_ = 0;
    std::vector<char> rdBuf_;
    size_t rdPos_ = 0;
};

// The scratch files of an index build; whatever is left of them when the
// build ends (or fails) is removed.
struct ScratchFiles {
    std::string tree;  // the new index until it replaces the old one
    std::string sort;  // sorted runs of keys
    ScratchFiles(std::string t, std::string s) : tree(std::move(t)), sort(std::move(s)) {}
    ~ScratchFiles() {
        OsFile::Remove(tree);
        OsFile::Remove(sort);
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;
};

// Builds the tree bottom-up from the sorted stream, pages packed full (the
// last ones evened out), every page written once, children before parents.
class TreeBuilder {
  public:
    TreeBuilder(OsFile& f, const std::string& path, const Geometry& g, int half, KeySorter& src)
        : f_(f), path_(path), g_(g), half_(half), src_(src) {
        maxSize_.push_back(0);
        minSize_.push_back(0);
        for (int h = 1; h <= kMaxDepth; ++h) {
            uint64_t m = static_cast<uint64_t>(g.maxItem);
            uint64_t mx = std::min<uint64_t>((m + 1) * maxSize_.back() + m, uint64_t(1) << 40);
            uint64_t mn = std::min<uint64_t>(
                static_cast<uint64_t>(half) + (static_cast<uint64_t>(half) + 1) * minSize_.back(),
                uint64_t(1) << 40);
            maxSize_.push_back(mx);
            minSize_.push_back(mn);
        }
    }

    uint32_t BuildAll(uint64_t count) {
        int h = 1;
        while (maxSize_[static_cast<size_t>(h)] < count)
            ++h;
        uint32_t root = Build(h, count, true);
        FlushOut();
        return root;
    }

  private:
    uint32_t Build(int h, uint64_t count, bool isRoot) {
        unsigned char b[kPage];
        InitPage(b, g_);
        if (h == 1) {
            for (uint64_t i = 0; i < count; ++i)
                Put(b, static_cast<int>(i), 0);
            PutU16(b, static_cast<uint32_t>(count));
            return Emit(b);
        }
        uint64_t k = 0;
        uint64_t mx = maxSize_[static_cast<size_t>(h - 1)],
                 mn = minSize_[static_cast<size_t>(h - 1)];
        bool ok = false;
        for (k = isRoot ? 1 : static_cast<uint64_t>(half_); k <= static_cast<uint64_t>(g_.maxItem);
             ++k) {
            if (count < k)
                break;
            uint64_t rest = count - k;
            if (rest <= (k + 1) * mx && rest >= (k + 1) * mn) {
                ok = true;
                break;
            }
        }
        if (!ok)
            ThrowDb(
                EG_CREATE, path_,
                "Der Aufbau des Index ist fehlgeschlagen: Die Seiten lassen sich nicht aufteilen.");
        uint64_t rest = count - k, base = rest / (k + 1), extra = rest % (k + 1);
        for (uint64_t i = 0; i <= k; ++i) {
            uint32_t child = Build(h - 1, base + (i < extra ? 1 : 0), false);
            if (i < k) {
                Put(b, static_cast<int>(i), child);
            } else {
                PutU32(ItemAt(b, static_cast<int>(k)), child);
            }
        }
        PutU16(b, static_cast<uint32_t>(k));
        return Emit(b);
    }

    void Put(unsigned char* b, int i, uint32_t child) {
        const char* e = src_.Next();
        if (!e)
            ThrowDb(EG_CREATE, path_,
                    "Der Aufbau des Index ist fehlgeschlagen: Es fehlen Schlüssel.");
        size_t ks = static_cast<size_t>(g_.keySize);
        uint32_t rec = (static_cast<uint32_t>(static_cast<unsigned char>(e[ks])) << 24) |
                       (static_cast<uint32_t>(static_cast<unsigned char>(e[ks + 1])) << 16) |
                       (static_cast<uint32_t>(static_cast<unsigned char>(e[ks + 2])) << 8) |
                       static_cast<uint32_t>(static_cast<unsigned char>(e[ks + 3]));
        WriteItem(ItemAt(b, i), g_, child, rec, std::string_view(e, ks));
    }

    uint32_t Emit(const unsigned char* b) {
        uint32_t off = next_;
        if (static_cast<uint64_t>(next_) + kPage > kLockBase)
            ThrowDb(EG_LIMIT, path_,
                    "Der Index würde größer als 1.000.000.000 Bytes; es können keine Schlüssel "
                    "mehr aufgenommen werden.");
        next_ += kPage;
        out_.insert(out_.end(), b, b + kPage);
        if (out_.size() >= 64 * kPage)
            FlushOut();
        return off;
    }

    void FlushOut() {
        if (out_.empty())
            return;
        if (!f_.WriteAt(outOff_, out_.data(), out_.size()))
            ThrowDb(EG_WRITE, path_, "Der Index kann nicht geschrieben werden.", f_.LastError());
        outOff_ += out_.size();
        out_.clear();
    }

    OsFile& f_;
    const std::string& path_;
    Geometry g_;
    int half_;
    KeySorter& src_;
    std::vector<uint64_t> maxSize_, minSize_;
    uint32_t next_ = kPage;
    uint64_t outOff_ = kPage;
    std::vector<unsigned char> out_;
};

}  // namespace

void NtxIndex::Create(const std::string& path, Table& table, const std::string& exprUtf8,
                      bool unique) {
    std::string expr;
    if (!Utf8ToCp(exprUtf8, table.CodePage(), expr) || expr.empty() || expr.size() > 255)
        ThrowDb(EG_CREATE, path, "Der Indexausdruck „" + exprUtf8 + "“ ist ungültig.");
    auto ke = KeyExpr::Compile(expr, table.Fields(), table.CodePage(), path);
    int keySize = ke->Width(), keyDec = 0;
    switch (ke->Type()) {
        case 'N':
            keyDec = ke->Decimals();
            break;
        case 'D':
            keySize = 8;
            break;
        case 'L':
            keySize = 1;
            break;
        default:
            break;
    }
    if (keySize < 1 || keySize > kMaxKeySize)
        ThrowDb(EG_CREATE, path,
                "Der Indexschlüssel wäre " + std::to_string(keySize) +
                    " Bytes lang; möglich sind 1 bis 250.");
    Geometry g{keySize + 8, keySize, MaxItemFor(keySize + 8)};
    int half = g.maxItem / 2;

    // No other program may change the table while its keys are gathered.
    RangeLock whole = table.LockFile();

    // The old index stays as it is until the new one is complete: the tree
    // is built in a file beside it that replaces it only at the end. Any
    // failure (a damaged record, a full disk, a killed process) leaves the
    // old index whole; scratch files of a killed build are overwritten and
    // removed by the next one.
    uint32_t os = 0;
    if (OsFile::Exists(path)) {
        // Fail before the work, not after it, when another program uses it.
        if (!OsFile::Open(path, OsFile::Share::Exclusive, OsFile::Access::ReadWrite, &os))
            ThrowDb(EG_CREATE, path,
                    "Der Index kann nicht neu aufgebaut werden: Ein anderes Programm hat ihn "
                    "geöffnet, oder er ist schreibgeschützt. Bitte das Programm beenden bzw. den "
                    "Schreibschutz aufheben und wiederholen.",
                    os, os == OSERR_SHARING_VIOLATION);
    }
    ScratchFiles scratch{path + ".new", path + ".srt"};
    OsFile::Remove(scratch.sort);
    auto f = OsFile::Create(scratch.tree, OsFile::Share::Exclusive, &os);
    if (!f)
        ThrowDb(EG_CREATE, scratch.tree, "Der Index kann nicht angelegt werden.", os);
    {
        KeySorter sorter(static_cast<size_t>(keySize) + 4, scratch.sort, 4u << 20);
        uint32_t count = table.RefreshCount();
        for (uint32_t r = 1; r <= count; ++r)
            sorter.Add(ke->Key(table.Fetch(r, true), keySize, keyDec), r);
        sorter.Finish(unique);

        unsigned char h[kPage] = {};
        PutU16(h, 6);
        PutU16(h + 12, static_cast<uint32_t>(g.itemSize));
        PutU16(h + 14, static_cast<uint32_t>(keySize));
        PutU16(h + 16, static_cast<uint32_t>(keyDec));
        PutU16(h + 18, static_cast<uint32_t>(g.maxItem));
        PutU16(h + 20, static_cast<uint32_t>(half));
        std::memcpy(h + 22, expr.data(), expr.size());
        h[278] = unique ? 1 : 0;
        TreeBuilder tb(*f, scratch.tree, g, half, sorter);
        uint32_t root = tb.BuildAll(sorter.Count());
        PutU32(h + 4, root);
        if (!f->WriteAt(0, h, kPage))
            ThrowDb(EG_WRITE, scratch.tree,
                    "Der Dateikopf des Index kann nicht geschrieben werden.", f->LastError());
    }
    // On the disk before it takes the old one's place.
    if (!f->Sync())
        ThrowDb(EG_WRITE, scratch.tree,
                "Der Index kann nicht auf den Datenträger geschrieben werden.", f->LastError());
    f.reset();
    if (!OsFile::Replace(scratch.tree, path, &os))
        ThrowDb(EG_CREATE, path,
                "Der neue Index kann den alten nicht ersetzen (von einem anderen Programm "
                "geöffnet?); der alte bleibt unverändert. Bitte wiederholen.",
                os, os == OSERR_SHARING_VIOLATION || os == OSERR_ACCESS_DENIED);
}

}  // namespace kp

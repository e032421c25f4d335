#include "platform/data/dbserver.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/data/fieldcodec.h"
#include "platform/data/ntx.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"

namespace kp {

namespace {

std::string DirOf(const std::string& path) {
    size_t s = path.find_last_of("/\\");
    return s == std::string::npos ? std::string() : path.substr(0, s + 1);
}

std::string BaseName(const std::string& path) {
    size_t s = path.find_last_of("/\\");
    std::string b = s == std::string::npos ? path : path.substr(s + 1);
    size_t dot = b.rfind('.');
    return dot == std::string::npos ? b : b.substr(0, dot);
}

bool HasExtension(const std::string& path) {
    size_t s = path.find_last_of("/\\");
    size_t dot = path.rfind('.');
    return dot != std::string::npos && (s == std::string::npos || dot > s);
}

}  // namespace

struct DBServer::Impl {
    DBServer* self = nullptr;
    std::unique_ptr<Table> table;
    std::string path;
    std::vector<Symbol> fieldSyms;
    std::vector<std::unique_ptr<NtxIndex>> orders;
    int order = 0;

    uint32_t recNo = 0;
    bool eof = true;
    bool bof = true;
    bool found = false;
    std::vector<char> rec;  // the current record (blank at end of file)
    std::string curKey;     // its key in the active order

    // Writing: the record lock is taken at the first change of a record and
    // held until the pointer moves, the table is committed or closed.
    bool locked = false;
    RangeLock recLock;
    bool dirty = false;
    std::vector<std::optional<std::string>> heldKeys;  // what each index holds for the record
    bool changed = false;                              // since open: stamp the date on close
    int lockWaitMs = 2000;

    // A run of records locked with one range lock (LockRun .. UnlockRun).
    bool inRun = false;
    RangeLock runLock;
    uint32_t runFirst = 0;
    uint32_t runLast = 0;

    std::function<bool(DBServer&)> filter;
    Usual status;

    // Runs an engine operation; a failure becomes a run-time error raised
    // through the error block, which may ask for a retry.
    template <class F>
    bool Run(const char* op, F&& f) {
        for (;;) {
            try {
                f();
                status = Usual();
                return true;
            } catch (const DbError& e) {
                auto err = std::make_shared<Error>();
                err->SubSystem = "KPDB";
                err->GenCode = e.genCode;
                err->SubCode = 1000 + e.genCode;
                err->OsCode = e.osCode;
                err->FileName = e.fileName;
                err->Description = e.description;
                err->Operation = op;
                err->FuncSym = Symbol(op);
                err->CanRetry = e.canRetry;
                err->CanDefault = true;
                err->Severity = 2;
                status = Usual(std::static_pointer_cast<Object>(err));
                if (e.canRetry) {
                    if (RaiseRetry(err))
                        continue;
                } else {
                    Raise(err);
                }
                return false;
            }
        }
    }

    uint32_t Count() const { return table->Count(); }

    bool Visible() {
        if (GetDeleted() && rec[0] == '*')
            return false;
        if (filter && !filter(*self))
            return false;
        return true;
    }

    void Phantom() {
        recNo = table->Count() + 1;
        table->BlankRecord(rec.data());
        eof = true;
        curKey.clear();
    }

    // `ahead`: a scan in record order, which may read from the window of
    // records read ahead. A record reached by an index or by its number is
    // read from the file: the index may be newer than a record in the
    // window, and the key found must lead to the record as written now.
    void Load(uint32_t r, bool ahead) {
        if (ahead)
            std::memcpy(rec.data(), table->Fetch(r, true), rec.size());
        else
            table->ReadFresh(r, rec.data());
        recNo = r;
        eof = false;
    }

    void LoadFromIndex(const NtxIndex::Entry& e) {
        if (e.rec == 0 || e.rec > Count())
            table->RefreshCount();
        if (e.rec == 0 || e.rec > Count())
            ThrowDb(EG_CORRUPTION, orders[static_cast<size_t>(order - 1)]->Path(),
                    "Der Index verweist auf den Datensatz " + std::to_string(e.rec) +
                        ", den es nicht gibt; bitte mit „kpdb index“ neu aufbauen.");
        Load(e.rec, false);
        curKey = e.key;
    }

    NtxIndex* Active() {
        return order > 0 ? orders[static_cast<size_t>(order - 1)].get() : nullptr;
    }

    void KeyFromRecord() {
        if (NtxIndex* x = Active(); x && !eof)
            curKey = x->KeyOf(rec.data());
    }

    // Writes pending changes: the record first, then its keys (in index
    // order, each index under its own lock). A reader that finds a new key
    // through an index (other programs take no lock to read) must find the
    // record it points at already written, never the blank record of an
    // append still in progress. What is done stays done when a later step
    // fails, so a retry finishes the rest.
    void Flush() {
        if (!dirty)
            return;
        // Every key first: a record whose key cannot be formed is not
        // written and changes no index.
        std::vector<std::string> keys;
        keys.reserve(orders.size());
        for (auto& x : orders)
            keys.push_back(x->KeyOf(rec.data()));
        table->WriteRecord(recNo, rec.data());
        changed = true;
        for (size_t i = 0; i < orders.size(); ++i) {
            NtxIndex& x = *orders[i];
            const std::string& key = keys[i];
            if (!heldKeys[i]) {
                x.Insert(key, recNo);
                heldKeys[i] = key;
            } else if (*heldKeys[i] != key) {
                x.Replace(*heldKeys[i], key, recNo);
                heldKeys[i] = key;
            }
        }
        dirty = false;
        // The record now stands at its new place in the active order.
        KeyFromRecord();
    }

    void Unlock() {
        recLock.Release();
        locked = false;
    }

    // Before the pointer moves.
    void Leave() {
        Flush();
        Unlock();
    }

    // Changes need the table and every open index writable.
    void RequireWritable() {
        if (table->ReadOnly())
            ThrowDb(EG_READONLY, path,
                    "Die Tabelle ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
        for (auto& x : orders)
            if (x->ReadOnly())
                ThrowDb(EG_READONLY, x->Path(),
                        "Der Index ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
    }

    void LockCurrent() {
        if (locked)
            return;
        RequireWritable();
        recLock = table->LockRecord(recNo);
        // Someone may have changed the record since we read it.
        table->ReadFresh(recNo, rec.data());
        heldKeys.assign(orders.size(), std::nullopt);
        for (size_t i = 0; i < orders.size(); ++i)
            heldKeys[i] = orders[i]->KeyOf(rec.data());
        locked = true;
    }

    // ---- navigation ----
    void SeekVisibleForward(uint32_t from) {
        for (uint32_t r = from; r <= Count(); ++r) {
            Load(r, true);
            if (Visible())
                return;
        }
        table->RefreshCount();  // someone may have appended meanwhile
        Phantom();
    }

    void SeekVisibleBackward(uint32_t from, bool* hitTop) {
        for (uint32_t r = from; r >= 1; --r) {
            Load(r, false);
            if (Visible())
                return;
        }
        *hitTop = true;
    }

    bool IndexForwardFrom(NtxIndex& x, NtxIndex::Entry e, bool have) {
        while (have) {
            LoadFromIndex(e);
            if (Visible())
                return true;
            have = x.After(e.key, e.rec, &e);
        }
        Phantom();
        return false;
    }

    bool IndexBackwardFrom(NtxIndex& x, NtxIndex::Entry e, bool have) {
        while (have) {
            LoadFromIndex(e);
            if (Visible())
                return true;
            have = x.Before(e.key, e.rec, &e);
        }
        return false;
    }

    void GoTop() {
        Leave();
        table->RefreshCount();
        table->DropWindow();
        bof = false;
        if (NtxIndex* x = Active()) {
            NtxIndex::Entry e;
            bool have = x->First(&e);
            IndexForwardFrom(*x, e, have);
        } else {
            SeekVisibleForward(1);
        }
        if (eof)
            bof = true;
    }

    void GoBottom() {
        Leave();
        table->RefreshCount();
        bof = false;
        SeekLastVisible(Active());
    }

    // Stands on the last visible record in the order of `x` (record order
    // when null); with none, on the phantom record with BoF set, and false.
    bool SeekLastVisible(NtxIndex* x) {
        bool top = false;
        if (x) {
            NtxIndex::Entry e;
            bool have = x->Last(&e);
            if (!IndexBackwardFrom(*x, e, have))
                top = true;
        } else if (Count() > 0) {
            SeekVisibleBackward(Count(), &top);
        } else {
            top = true;
        }
        if (top) {
            Phantom();
            bof = true;
        }
        return !top;
    }

    void Skip(int32_t n) {
        if (n == 0) {
            Leave();
            if (!eof) {
                table->ReadFresh(recNo, rec.data());
                KeyFromRecord();
            }
            return;
        }
        Leave();
        bof = false;
        NtxIndex* x = Active();
        if (n > 0) {
            for (int32_t i = 0; i < n && !eof; ++i) {
                if (x) {
                    NtxIndex::Entry e;
                    bool have = x->After(curKey, recNo, &e);
                    IndexForwardFrom(*x, e, have);
                } else {
                    if (recNo >= Count())
                        table->RefreshCount();
                    SeekVisibleForward(recNo + 1);
                }
            }
            return;
        }
        for (int32_t i = 0; i < -static_cast<int64_t>(n); ++i) {
            bool top = false;
            if (eof) {
                // Back from the end: the last visible record.
                table->RefreshCount();
                if (!SeekLastVisible(x))
                    return;
                continue;
            }
            uint32_t here = recNo;
            std::string hereKey = curKey;
            if (x) {
                NtxIndex::Entry e;
                bool have = x->Before(hereKey, here, &e);
                if (!IndexBackwardFrom(*x, e, have))
                    top = true;
            } else if (here > 1) {
                SeekVisibleBackward(here - 1, &top);
            } else {
                top = true;
            }
            if (top) {
                // Past the top: stand on the first record, BoF set.
                GoTop();
                bof = true;
                return;
            }
        }
    }

    // Delete and recall: lock, re-read, set the flag, write; a lock taken
    // just for this is given back at once.
    bool SetDeletionFlag(char flag, const char* op) {
        return Run(op, [&] {
            if (eof)
                ThrowDb(
                    EG_WRITE, path,
                    "Am Tabellenende steht kein Datensatz; bitte zuerst einen Datensatz wählen.");
            bool tookLock = !locked;
            LockCurrent();
            rec[0] = flag;
            dirty = true;
            Flush();
            if (tookLock)
                Unlock();
        });
    }

    void GoTo(uint32_t r) {
        Leave();
        if (r == 0 || r > Count())
            table->RefreshCount();
        bof = false;
        if (r == 0 || r > Count()) {
            Phantom();
            return;
        }
        Load(r, false);
        KeyFromRecord();
    }
};

// ---- construction -------------------------------------------------------------

DBServer::DBServer(const std::string& fileName) : impl_(std::make_unique<Impl>()) {
    Impl& m = *impl_;
    m.self = this;
    m.path = HasExtension(fileName) ? fileName : fileName + ".DBF";
    bool ok = m.Run("DBSERVER:INIT", [&] {
        TableOptions opt;
        opt.exclusive = GetExclusive();
        opt.codePage = TableCodePage();
        opt.lockWaitMs = m.lockWaitMs;
        m.table = Table::Open(m.path, opt);
    });
    if (!ok || !m.table) {
        m.table.reset();
        return;
    }
    for (const auto& f : m.table->Fields())
        m.fieldSyms.emplace_back(f.name);
    m.rec.assign(m.table->RecLen(), ' ');
    m.Run("DBSERVER:INIT", [&] { m.GoTop(); });
}

DBServer::~DBServer() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot pass a break on; the table is closed anyway.
    }
}

bool DBServer::Used() const {
    return impl_->table != nullptr;
}

// ---- navigation -----------------------------------------------------------------

bool DBServer::GoTop() {
    if (!Used())
        return false;
    bool ok = impl_->Run("GOTOP", [&] { impl_->GoTop(); });
    if (ok)
        Notify(NOTIFYRECORDCHANGE);
    return ok;
}

bool DBServer::GoBottom() {
    if (!Used())
        return false;
    bool ok = impl_->Run("GOBOTTOM", [&] { impl_->GoBottom(); });
    if (ok)
        Notify(NOTIFYRECORDCHANGE);
    return ok;
}

bool DBServer::GoTo(uint32_t recNo) {
    if (!Used())
        return false;
    bool ok = impl_->Run("GOTO", [&] { impl_->GoTo(recNo); });
    if (ok)
        Notify(NOTIFYRECORDCHANGE);
    return ok;
}

bool DBServer::Skip(int32_t count) {
    if (!Used())
        return false;
    bool ok = impl_->Run("SKIP", [&] { impl_->Skip(count); });
    if (ok)
        Notify(NOTIFYRECORDCHANGE);
    return ok;
}

bool DBServer::EoF() const {
    return !Used() || impl_->eof;
}
bool DBServer::BoF() const {
    return !Used() || impl_->bof;
}
uint32_t DBServer::RecNo() const {
    return Used() ? impl_->recNo : 0;
}

uint32_t DBServer::RecCount() const {
    if (!Used())
        return 0;
    uint32_t n = impl_->table->Count();
    impl_->Run("RECCOUNT", [&] { n = impl_->table->RefreshCount(); });
    return n;
}

// ---- fields ---------------------------------------------------------------------

int DBServer::FieldPos(Symbol field) const {
    if (!Used())
        return 0;
    const auto& syms = impl_->fieldSyms;
    for (size_t i = 0; i < syms.size(); ++i)
        if (syms[i] == field)
            return static_cast<int>(i) + 1;
    return 0;
}

int DBServer::FCount() const {
    return Used() ? static_cast<int>(impl_->fieldSyms.size()) : 0;
}

uint32_t DBServer::RecordLength() const {
    return Used() ? impl_->table->RecLen() : 0;
}

std::pair<uint32_t, uint32_t> DBServer::FieldPlace(int pos) const {
    if (!Used() || pos < 1 || pos > FCount())
        return {0, 0};
    const DbfField& f = impl_->table->Fields()[static_cast<size_t>(pos - 1)];
    return {f.offset, static_cast<uint32_t>(f.width)};
}

int DBServer::CodePage() const {
    return Used() ? impl_->table->CodePage() : TableCodePage();
}

Usual DBServer::FieldGet(Symbol field) {
    int pos = FieldPos(field);
    if (pos == 0 && Used()) {
        impl_->Run("FIELDGET", [&] {
            ThrowDb(EG_ARG, impl_->path,
                    "Das Feld " + field.Name() + " gibt es in der Tabelle nicht.");
        });
        return Usual();
    }
    return FieldGet(pos);
}

Usual DBServer::FieldGet(int pos) {
    if (!Used())
        return Usual();
    Usual v;
    impl_->Run("FIELDGET", [&] {
        if (pos < 1 || pos > FCount())
            ThrowDb(EG_ARG, impl_->path,
                    "Ein Feld Nummer " + std::to_string(pos) + " gibt es in der Tabelle nicht.");
        v = impl_->table->GetValue(impl_->rec.data(), pos - 1);
    });
    return v;
}

Usual DBServer::FieldPut(Symbol field, const Usual& value) {
    int pos = FieldPos(field);
    if (pos == 0 && Used()) {
        impl_->Run("FIELDPUT", [&] {
            ThrowDb(EG_ARG, impl_->path,
                    "Das Feld " + field.Name() + " gibt es in der Tabelle nicht.");
        });
        return Usual();
    }
    return FieldPut(pos, value);
}

Usual DBServer::FieldPut(int pos, const Usual& value) {
    if (!Used())
        return Usual();
    Impl& m = *impl_;
    bool ok = m.Run("FIELDPUT", [&] {
        if (pos < 1 || pos > FCount())
            ThrowDb(EG_ARG, m.path,
                    "Ein Feld Nummer " + std::to_string(pos) + " gibt es in der Tabelle nicht.");
        if (m.eof)
            ThrowDb(EG_WRITE, m.path,
                    "Am Tabellenende steht kein Datensatz, in den geschrieben werden kann.");
        bool tookLock = !m.locked;
        m.LockCurrent();
        const DbfField& f = m.table->Fields()[static_cast<size_t>(pos - 1)];
        std::string before;
        if (!m.orders.empty())
            before.assign(m.rec.data() + f.offset, static_cast<size_t>(f.width));
        try {
            m.table->PutValue(m.rec.data(), pos - 1, value);
            // A value that gives a key wider than an index's key is refused
            // like a value wider than its field.
            for (auto& x : m.orders)
                x->KeyOf(m.rec.data());
        } catch (...) {
            if (!m.orders.empty())
                std::memcpy(m.rec.data() + f.offset, before.data(), before.size());
            // Nothing was changed: do not keep the record from others.
            if (tookLock && !m.dirty)
                m.Unlock();
            throw;
        }
        m.dirty = true;
    });
    if (!ok)
        return Usual();
    Notify(NOTIFYFIELDCHANGE, Usual(impl_->fieldSyms[static_cast<size_t>(pos - 1)]));
    return value;
}

std::vector<std::pair<Symbol, FieldSpec>> DBServer::FieldSpecs() const {
    std::vector<std::pair<Symbol, FieldSpec>> out;
    if (!Used())
        return out;
    const auto& fs = impl_->table->Fields();
    for (size_t i = 0; i < fs.size(); ++i) {
        Symbol s = impl_->fieldSyms[i];
        out.emplace_back(s, FieldSpec(s, fs[i].type, fs[i].width, fs[i].decimals));
    }
    return out;
}

std::string DBServer::FullPath() const {
    return AbsolutePath(impl_->path);
}

// ---- orders ---------------------------------------------------------------------

bool DBServer::SetIndex(const std::string& ntxFileName) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    std::string p = ntxFileName;
    if (p.find_first_of("/\\") == std::string::npos && !(p.size() > 1 && p[1] == ':'))
        p = DirOf(m.path) + p;
    if (!HasExtension(p))
        p += OsFile::Exists(p + ".ntx") ? ".ntx" : ".NTX";
    bool ok = m.Run("SETINDEX", [&] {
        m.Leave();
        NtxIndex::Options o;
        o.exclusive = m.table->Exclusive();
        o.lockWaitMs = m.lockWaitMs;
        m.orders.push_back(NtxIndex::Open(p, *m.table, o));
        m.heldKeys.clear();
        if (m.order == 0)
            m.order = static_cast<int>(m.orders.size());
        m.GoTop();
    });
    if (ok)
        Notify(NOTIFYFILECHANGE);
    return ok;
}

bool DBServer::CreateIndex(const std::string& ntxFileName, const std::string& expression,
                           bool unique) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    std::string p = ntxFileName;
    if (p.find_first_of("/\\") == std::string::npos && !(p.size() > 1 && p[1] == ':'))
        p = DirOf(m.path) + p;
    if (!HasExtension(p))
        p += ".ntx";
    bool ok = m.Run("CREATEINDEX", [&] {
        m.Leave();
        NtxIndex::Create(p, *m.table, expression, unique);
    });
    return ok && SetIndex(p);
}

bool DBServer::SetOrder(int order) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    bool ok = m.Run("SETORDER", [&] {
        if (order < 0 || order > static_cast<int>(m.orders.size()))
            ThrowDb(EG_NOORDER, m.path,
                    "Der Index Nummer " + std::to_string(order) + " ist nicht geöffnet.");
        m.Leave();
        m.order = order;
        m.KeyFromRecord();
    });
    if (ok)
        Notify(NOTIFYFILECHANGE);
    return ok;
}

bool DBServer::SetOrder(const std::string& name) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    std::string want = BaseName(name);
    for (size_t i = 0; i < m.orders.size(); ++i)
        if (EqualNoCase(BaseName(m.orders[i]->Path()), want))
            return SetOrder(static_cast<int>(i) + 1);
    m.Run("SETORDER",
          [&] { ThrowDb(EG_NOORDER, m.path, "Der Index „" + name + "“ ist nicht geöffnet."); });
    return false;
}

int DBServer::IndexOrd() const {
    return Used() ? impl_->order : 0;
}

int DBServer::OrderCount() const {
    return Used() ? static_cast<int>(impl_->orders.size()) : 0;
}

std::string DBServer::OrderPath(int order) const {
    if (!Used() || order < 1 || order > OrderCount())
        return {};
    return impl_->orders[static_cast<size_t>(order - 1)]->Path();
}

bool DBServer::Seek(const Usual& key) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    bool ok = m.Run("SEEK", [&] {
        NtxIndex* x = m.Active();
        if (!x)
            ThrowDb(EG_NOORDER, m.path, "Suchen ist nur mit einem aktiven Index möglich.");
        m.Leave();
        m.found = false;
        m.bof = false;
        std::string want;
        bool possible = true;
        char t = x->KeyType();
        size_t ks = static_cast<size_t>(x->KeySize());
        if (key.IsString()) {
            possible = Utf8ToCp(key.AsString(), m.table->CodePage(), want);
            if (possible && want.size() > ks) {
                // Blanks beyond the key's width match its padding.
                if (want.find_first_not_of(' ', ks) != std::string::npos)
                    possible = false;
                want.resize(ks);
            }
        } else if (key.IsNumeric() && t == 'N') {
            // A number wider than the key cannot be in the index.
            std::optional<std::string> k =
                NumericKey(key.AsFloat(), x->KeySize(), x->KeyDecimals());
            possible = k.has_value();
            if (k)
                want = *k;
        } else if (key.IsDate() && t == 'D') {
            char b[8];
            FormatDateField(key.AsDate(), b);
            want.assign(b, 8);
        } else if (key.IsLogic() && t == 'L') {
            want = key.AsLogic() ? "T" : "F";
        } else {
            ThrowDb(EG_DATATYPE, x->Path(), "Der Suchwert hat nicht den Typ des Indexschlüssels.");
        }
        NtxIndex::Entry e;
        bool have = possible && x->LowerBound(want, &e);
        while (have && e.key.compare(0, want.size(), want) == 0) {
            m.LoadFromIndex(e);
            if (m.Visible()) {
                m.found = true;
                return;
            }
            have = x->After(e.key, e.rec, &e);
        }
        m.Phantom();
    });
    if (ok)
        Notify(NOTIFYRECORDCHANGE);
    return ok && impl_->found;
}

bool DBServer::Found() const {
    return Used() && impl_->found;
}

// ---- filters ----------------------------------------------------------------------

bool DBServer::SetFilter(std::function<bool(DBServer&)> filter) {
    if (!Used())
        return false;
    impl_->filter = std::move(filter);
    Notify(NOTIFYFILECHANGE);
    return true;
}

bool DBServer::ClearFilter() {
    return SetFilter(nullptr);
}

// ---- writing ----------------------------------------------------------------------

bool DBServer::Append() {
    if (!Used())
        return false;
    Impl& m = *impl_;
    bool ok = m.Run("APPEND", [&] {
        m.RequireWritable();
        m.Leave();
        RangeLock lock;
        uint32_t r = m.table->AppendBlank(&lock);
        m.recLock = std::move(lock);
        m.locked = true;
        m.changed = true;
        m.recNo = r;
        m.eof = m.bof = false;
        m.table->BlankRecord(m.rec.data());
        m.heldKeys.assign(m.orders.size(), std::nullopt);
        m.KeyFromRecord();
        // The blank record's keys; an index that fails here gets its key
        // when the record is written.
        for (size_t i = 0; i < m.orders.size(); ++i) {
            std::string k = m.orders[i]->KeyOf(m.rec.data());
            m.orders[i]->Insert(k, r);
            m.heldKeys[i] = k;
        }
    });
    if (ok)
        Notify(NOTIFYAPPEND);
    return ok;
}

bool DBServer::Delete() {
    return MarkDeleted('*', "DELETE");
}

bool DBServer::Recall() {
    return MarkDeleted(' ', "RECALL");
}

bool DBServer::MarkDeleted(char flag, const char* op) {
    if (!Used())
        return false;
    bool ok = impl_->SetDeletionFlag(flag, op);
    if (ok)
        Notify(NOTIFYDELETE);
    return ok;
}

bool DBServer::Deleted() {
    return Used() && !impl_->eof && impl_->rec[0] == '*';
}

bool DBServer::RLock() {
    if (!Used())
        return false;
    Impl& m = *impl_;
    return m.Run("RLOCK", [&] {
        if (m.eof)
            ThrowDb(EG_WRITE, m.path,
                    "Am Tabellenende steht kein Datensatz, der gesperrt werden kann.");
        m.LockCurrent();
    });
}

bool DBServer::Commit() {
    if (!Used())
        return false;
    Impl& m = *impl_;
    return m.Run("COMMIT", [&] {
        m.Leave();
        if (m.changed) {
            m.table->Sync();
            for (auto& x : m.orders)
                x->Sync();
        }
    });
}

uint32_t DBServer::RepairAbandonedAppends(uint32_t tail) {
    if (!Used())
        return 0;
    Impl& m = *impl_;
    uint32_t repaired = 0;
    m.Run("REPAIR", [&] {
        m.Leave();
        m.RequireWritable();
        repaired = 0;
        const uint32_t count = m.table->RefreshCount();
        std::vector<char> blank(m.rec.size());
        m.table->BlankRecord(blank.data());
        std::vector<std::string> blankKeys;
        for (auto& x : m.orders)
            blankKeys.push_back(x->KeyOf(blank.data()));
        // Whether index x holds exactly (key, r).
        auto holds = [](NtxIndex& x, const std::string& key, uint32_t r) {
            NtxIndex::Entry e;
            return x.After(key, r - 1, &e) && e.key == key && e.rec == r;
        };
        std::vector<uint32_t> candidates;
        for (size_t i = 0; i < m.orders.size(); ++i) {
            NtxIndex::Entry e;
            for (bool have = m.orders[i]->LowerBound(blankKeys[i], &e);
                 have && e.key == blankKeys[i]; have = m.orders[i]->After(e.key, e.rec, &e))
                if (e.rec >= 1 && e.rec <= count)
                    candidates.push_back(e.rec);
        }
        for (uint32_t r = count; r >= 1 && count - r < tail; --r)
            candidates.push_back(r);
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

        std::vector<char> rec(m.rec.size());
        for (uint32_t r : candidates) {
            RangeLock lock;
            if (!m.table->TryLockRecords(r, r, &lock))
                continue;  // in another program's hands
            m.table->ReadFresh(r, rec.data());
            if (rec[0] == '*')
                continue;
            const bool isBlank = std::memcmp(rec.data() + 1, blank.data() + 1, rec.size() - 1) == 0;
            bool fixed = false;
            for (size_t i = 0; i < m.orders.size(); ++i) {
                NtxIndex& x = *m.orders[i];
                const std::string key = x.KeyOf(rec.data());
                // A unique index leaves out a record whose key an earlier
                // one has: there a missing key is no fault.
                if (x.Unique() || holds(x, key, r))
                    continue;
                x.Replace(blankKeys[i], key, r);
                fixed = true;
            }
            if (isBlank) {
                rec[0] = '*';
                m.table->WriteRecord(r, rec.data());
                fixed = true;
            }
            if (fixed) {
                m.changed = true;
                ++repaired;
            }
        }
        if (repaired > 0) {
            m.table->Sync();
            for (auto& x : m.orders)
                x->Sync();
        }
        m.GoTop();
    });
    return repaired;
}

bool DBServer::Refresh() {
    if (!Used())
        return false;
    Impl& m = *impl_;
    return m.Run("REFRESH", [&] {
        m.Flush();
        if (!m.eof) {
            m.table->ReadFresh(m.recNo, m.rec.data());
            m.KeyFromRecord();
        }
    });
}

bool DBServer::Revert() {
    if (!Used())
        return false;
    Impl& m = *impl_;
    return m.Run("REVERT", [&] {
        m.dirty = false;
        m.Unlock();
        if (!m.eof) {
            m.table->ReadFresh(m.recNo, m.rec.data());
            m.KeyFromRecord();
        }
    });
}

// ---- whole-table jobs --------------------------------------------------------------

bool RecordBlock::Deleted(uint32_t r) const {
    return Contains(r) && Rec(r)[0] == '*';
}

Usual RecordBlock::FieldGet(uint32_t r, int pos) {
    if (!server_ || !server_->Used())
        return Usual();
    DBServer::Impl& m = *server_->impl_;
    Usual v;
    m.Run("FIELDGET", [&] {
        if (!Contains(r))
            ThrowDb(EG_ARG, m.path,
                    "Der Datensatz " + std::to_string(r) + " ist nicht im gelesenen Block.");
        if (pos < 1 || pos > server_->FCount())
            ThrowDb(EG_ARG, m.path,
                    "Ein Feld Nummer " + std::to_string(pos) + " gibt es in der Tabelle nicht.");
        v = m.table->GetValue(Rec(r), pos - 1);
    });
    return v;
}

bool RecordBlock::PutFields(uint32_t r, std::initializer_list<std::pair<int, Usual>> values) {
    if (!server_ || !server_->Used())
        return false;
    DBServer::Impl& m = *server_->impl_;
    return m.Run("FIELDPUT", [&] {
        if (!Contains(r))
            ThrowDb(EG_ARG, m.path,
                    "Der Datensatz " + std::to_string(r) + " ist nicht im gelesenen Block.");
        // Encoded into a copy first: a value that does not fit leaves the
        // record as it was.
        scratch_.assign(Rec(r), Rec(r) + recLen_);
        for (const auto& [pos, value] : values) {
            if (pos < 1 || pos > server_->FCount())
                ThrowDb(
                    EG_ARG, m.path,
                    "Ein Feld Nummer " + std::to_string(pos) + " gibt es in der Tabelle nicht.");
            m.table->PutValue(scratch_.data(), pos - 1, value);
        }
        std::memcpy(Rec(r), scratch_.data(), recLen_);
    });
}

uint32_t DBServer::ReadBlock(uint32_t first, uint32_t max, RecordBlock& block) {
    block.server_ = this;
    block.first_ = first;
    block.count_ = 0;
    if (!Used() || first == 0 || max == 0)
        return 0;
    Impl& m = *impl_;
    m.Run("READBLOCK", [&] {
        // Past the end: someone may have appended meanwhile.
        if (first > m.Count())
            m.table->RefreshCount();
        if (first > m.Count())
            return;
        const uint32_t n = std::min(max, m.Count() - first + 1);
        block.recLen_ = m.table->RecLen();
        block.places_.clear();
        for (const DbfField& f : m.table->Fields())
            block.places_.emplace_back(f.offset, static_cast<uint32_t>(f.width));
        block.data_.resize(static_cast<size_t>(n) * block.recLen_);
        block.count_ = m.table->ReadRecords(first, n, block.data_.data());
    });
    return block.count_;
}

bool DBServer::LockRun(uint32_t first, uint32_t last) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    bool held = false;
    m.Run("LOCKRUN", [&] {
        if (m.inRun)
            ThrowDb(EG_LOCK, m.path,
                    "Es ist schon ein Satzbereich gesperrt; er muss zuerst freigegeben werden.");
        if (last > m.Count())
            m.table->RefreshCount();  // someone may have appended meanwhile
        if (first == 0 || last < first || last > m.Count())
            ThrowDb(EG_ARG, m.path,
                    "Den Satzbereich " + std::to_string(first) + " bis " + std::to_string(last) +
                        " gibt es nicht.");
        m.RequireWritable();
        // Our own record lock inside the range would merge with it on some
        // systems and be released by the run's unlock.
        m.Leave();
        held = m.table->TryLockRecords(first, last, &m.runLock);
        if (held) {
            m.inRun = true;
            m.runFirst = first;
            m.runLast = last;
        }
    });
    return held;
}

bool DBServer::WriteRun(const RecordBlock& block, uint32_t first, uint32_t last) {
    if (!Used())
        return false;
    Impl& m = *impl_;
    // The keys that change: (index, record, old key, new key). The records
    // are written before their keys change, so that a reader never finds a
    // key whose record is not yet written; a key that cannot be formed
    // stops the run before anything is written.
    struct KeyChange {
        size_t index;
        uint32_t rec;
        std::string was, now;
    };
    std::vector<KeyChange> changes;
    bool written = m.Run("WRITERUN", [&] {
        changes.clear();
        if (!m.inRun || first < m.runFirst || last > m.runLast || last < first)
            ThrowDb(EG_LOCK, m.path,
                    "Die Datensätze " + std::to_string(first) + " bis " + std::to_string(last) +
                        " sind nicht gesperrt und können nicht geschrieben werden.");
        if (block.server_ != this || !block.Contains(first) || !block.Contains(last))
            ThrowDb(EG_ARG, m.path,
                    "Die Datensätze " + std::to_string(first) + " bis " + std::to_string(last) +
                        " sind nicht im gelesenen Block.");
        const uint32_t n = last - first + 1;
        if (!m.orders.empty()) {
            // The keys the indexes hold are those of the records as stored.
            std::vector<char> old(static_cast<size_t>(n) * m.table->RecLen());
            if (m.table->ReadRecords(first, n, old.data()) != n)
                ThrowDb(
                    EG_READ, m.path,
                    "Die Datensätze ab " + std::to_string(first) + " können nicht gelesen werden.");
            for (uint32_t r = first; r <= last; ++r) {
                const char* before = old.data() + static_cast<size_t>(r - first) * block.recLen_;
                for (size_t i = 0; i < m.orders.size(); ++i) {
                    std::string was = m.orders[i]->KeyOf(before);
                    std::string now = m.orders[i]->KeyOf(block.Rec(r));
                    if (was != now)
                        changes.push_back({i, r, std::move(was), std::move(now)});
                }
            }
        }
        m.table->WriteRecords(first, n, block.Rec(first));
        m.changed = true;
        // The current record may be one of them.
        if (!m.eof && m.recNo >= first && m.recNo <= last) {
            std::memcpy(m.rec.data(), block.Rec(m.recNo), m.rec.size());
            m.KeyFromRecord();
        }
    });
    if (!written)
        return false;
    // A retry goes on with the key that failed.
    size_t done = 0;
    return m.Run("WRITERUN", [&] {
        for (; done < changes.size(); ++done) {
            const KeyChange& c = changes[done];
            m.orders[c.index]->Replace(c.was, c.now, c.rec);
        }
    });
}

void DBServer::UnlockRun() {
    if (!Used())
        return;
    impl_->runLock.Release();
    impl_->inRun = false;
}

IoCounts DBServer::Io() const {
    return Used() ? impl_->table->Io() : IoCounts();
}

// ---- reading beside the pointer --------------------------------------------------

uint32_t DBServer::ReadRecords(uint32_t first, uint32_t n, char* out) {
    if (!Used())
        return 0;
    uint32_t got = 0;
    impl_->Run("READRECORDS", [&] { got = impl_->table->ReadRun(first, n, out); });
    return got;
}

uint32_t DBServer::RecSize() const {
    return Used() ? impl_->table->RecLen() : 0;
}

bool DBServer::FieldGetFrom(const char* record, int pos, Usual* value) {
    if (!Used() || pos < 1 || pos > FCount())
        return false;
    try {
        *value = impl_->table->GetValue(record, pos - 1);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

const Usual& DBServer::Status() const {
    return impl_->status;
}

bool DBServer::Close() {
    if (!Used())
        return true;
    Impl& m = *impl_;
    bool ok = m.Run("CLOSE", [&] { m.Leave(); });
    m.Unlock();
    m.runLock.Release();
    m.inRun = false;
    if (m.changed) {
        // The date of last update; another program holding the header
        // lock for long only costs us the stamp.
        try {
            m.table->SetLockWaitMs(200);
            m.table->TouchDate();
        } catch (const DbError&) {
        }
    }
    Notify(NOTIFYCLOSE);
    m.orders.clear();
    m.table.reset();
    m.dirty = false;
    m.eof = m.bof = true;
    m.recNo = 0;
    return ok;
}

void DBServer::SetLockTimeout(int ms) {
    impl_->lockWaitMs = ms;
    if (impl_->table)
        impl_->table->SetLockWaitMs(ms);
    for (auto& x : impl_->orders)
        x->SetLockWaitMs(ms);
}

}  // namespace kp

#include "shell/Reorganisation.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/data/ntx.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace fs = std::filesystem;

namespace {

fs::path Fs(const std::string& utf8) {
    return fs::path(Utf8ToWide(utf8));
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(Fs(path), ec);
}

void Remove(const std::string& path) {
    std::error_code ec;
    fs::remove(Fs(path), ec);
}

std::string Stem(const std::string& file) {
    const size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

// The memo file beside a table: the same name with the extension .dbt, in
// the case of the table's extension.
std::string MemoOf(const std::string& table) {
    const size_t dot = table.rfind('.');
    const bool upper = dot != std::string::npos && dot + 1 < table.size() &&
                       table[dot + 1] >= 'A' && table[dot + 1] <= 'Z';
    return Stem(table) + (upper ? ".DBT" : ".dbt");
}

// The new copy of a file, written beside it under a name of the same
// extension (so that a table's memo file is named as the engine names it):
// "Adressen.dbf" -> "Adressen~.dbf".
std::string Fresh(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? path + "~" : path.substr(0, dot) + "~" + path.substr(dot);
}

// The old file while the new one moves in.
std::string Backup(const std::string& path) {
    return path + ".alt";
}

// One file of a table being replaced.
struct Swap {
    std::string fresh;
    std::string final;
    bool movedAway = false;
    bool movedIn = false;
};

struct Cancelled {};

// Puts every new file in place of its old one: all are replaced, or after a
// failure the old files are put back and the new ones removed.
bool Replace(std::vector<Swap>& swaps, std::string& error) {
    std::error_code ec;
    std::string failed;
    for (Swap& s : swaps) {
        Remove(Backup(s.final));
        if (Exists(s.final)) {
            fs::rename(Fs(s.final), Fs(Backup(s.final)), ec);
            if (ec) {
                failed = s.final;
                break;
            }
            s.movedAway = true;
        }
        fs::rename(Fs(s.fresh), Fs(s.final), ec);
        if (ec) {
            failed = s.final;
            break;
        }
        s.movedIn = true;
    }
    if (failed.empty()) {
        for (Swap& s : swaps)
            Remove(Backup(s.final));
        return true;
    }
    error = "Die Datei „" + failed + "“ kann nicht ersetzt werden (" + ec.message() + ").";
    for (auto it = swaps.rbegin(); it != swaps.rend(); ++it) {
        std::error_code ignore;
        if (it->movedIn)
            fs::rename(Fs(it->final), Fs(it->fresh), ignore);
        if (it->movedAway)
            fs::rename(Fs(Backup(it->final)), Fs(it->final), ignore);
        Remove(it->fresh);
    }
    return false;
}

// Packs one table into new files and builds its indexes there; on success
// the new files replace the old ones. Throws DbError or Cancelled, after
// removing the new files.
uint32_t ReorganiseTable(const std::string& dir, const ReorgTable& t, const ReorgProgress& progress,
                         std::string& error) {
    const std::string path = dir + t.file;
    std::vector<Swap> swaps;
    swaps.push_back({Fresh(path), path});
    uint32_t dropped = 0;
    auto cleanUp = [&] {
        for (const Swap& s : swaps)
            Remove(s.fresh);
    };
    try {
        {
            TableOptions readOpt;
            readOpt.exclusive = true;
            readOpt.readOnly = true;
            std::unique_ptr<Table> old = Table::Open(path, readOpt);
            std::vector<FieldDef> defs;
            std::vector<int> memos;
            for (size_t i = 0; i < old->Fields().size(); ++i) {
                const DbfField& f = old->Fields()[i];
                defs.push_back({f.name, f.type, f.width, f.decimals});
                if (f.type == 'M')
                    memos.push_back(static_cast<int>(i));
            }
            if (old->HasMemo())
                swaps.push_back({MemoOf(Fresh(path)), MemoOf(path)});
            for (const ReorgIndex& x : t.indexes)
                swaps.push_back({Fresh(dir + x.file), dir + x.file});
            for (const Swap& s : swaps)
                Remove(s.fresh);

            Table::Create(swaps[0].fresh, defs, old->CodePage());
            TableOptions writeOpt;
            writeOpt.exclusive = true;
            writeOpt.codePage = old->CodePage();
            std::unique_ptr<Table> fresh = Table::Open(swaps[0].fresh, writeOpt);
            // A memo-less table is copied record by record as stored.
            const uint32_t count = old->Count();
            const uint32_t recLen = old->RecLen();
            std::vector<char> batch;
            uint32_t batched = 0;
            auto flush = [&] {
                if (batched)
                    fresh->AppendRecords(batch.data(), batched);
                batch.clear();
                batched = 0;
            };
            std::vector<char> rec(recLen);
            for (uint32_t r = 1; r <= count; ++r) {
                const char* stored = old->Fetch(r, true);
                if (stored[0] == '*') {
                    ++dropped;
                } else {
                    std::copy(stored, stored + recLen, rec.begin());
                    // Memo texts move into the new memo file.
                    for (int m : memos)
                        fresh->PutValue(rec.data(), m, old->GetValue(stored, m));
                    batch.insert(batch.end(), rec.begin(), rec.end());
                    if (++batched == 512)
                        flush();
                }
                if ((r % 256 == 0 || r == count) && progress && !progress(t.file, r, count)) {
                    flush();
                    throw Cancelled{};
                }
            }
            flush();
            fresh->TouchDate();
            fresh->Sync();
            for (size_t i = 0; i < t.indexes.size(); ++i) {
                NtxIndex::Create(swaps[swaps.size() - t.indexes.size() + i].fresh, *fresh,
                                 t.indexes[i].key, false);
                if (progress && !progress(t.file + ": " + t.indexes[i].file, count, count))
                    throw Cancelled{};
            }
        }  // both tables closed before the files move
        Replace(swaps, error);
        return dropped;
    } catch (...) {
        cleanUp();
        throw;
    }
}

}  // namespace

const std::vector<ReorgTable>& SuiteReorgTables() {
    // The one list of the suite's tables and indexes (docs/tables.md is
    // checked against it).
    static const std::vector<ReorgTable> tables = demo::SuiteTables();
    return tables;
}

ReorgOutcome Reorganise(const std::string& dataPath, const std::vector<ReorgTable>& tables,
                        const ReorgProgress& progress) {
    ReorgOutcome out;
    for (const ReorgTable& t : tables) {
        if (!Exists(dataPath + t.file)) {
            ++out.tablesSkipped;
            continue;
        }
        try {
            std::string error;
            const uint32_t dropped = ReorganiseTable(dataPath, t, progress, error);
            if (!error.empty()) {
                out.error = error;
                out.failedTable = t.file;
                return out;
            }
            out.recordsDropped += dropped;
            ++out.tablesDone;
        } catch (const Cancelled&) {
            out.cancelled = true;
            return out;
        } catch (const DbError& e) {
            out.error = e.description.empty() ? "Die Tabelle kann nicht reorganisiert werden."
                                              : e.description;
            out.failedTable = t.file;
            return out;
        }
    }
    return out;
}

}  // namespace kp

#include "shell/Reorganisation.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
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

struct Cancelled {};

bool SameName(const std::string& a, const std::string& b) {
    return EqualNoCase(a, b);
}

// The files of a table's swap: the table, its memo file when it has one (or
// `withMemo`), its indexes.
SwapJournal PlanFor(const std::string& dir, const ReorgTable& t, bool withMemo) {
    SwapJournal j;
    j.table = t.file;
    j.files.push_back({Fresh(t.file), t.file, Exists(dir + t.file)});
    if (withMemo)
        j.files.push_back({MemoOf(Fresh(t.file)), MemoOf(t.file), Exists(dir + MemoOf(t.file))});
    for (const ReorgIndex& x : t.indexes)
        j.files.push_back({Fresh(x.file), x.file, Exists(dir + x.file)});
    return j;
}

void RemoveScratch(const std::string& dir, const SwapJournal& j) {
    for (const std::string& name : ScratchNames(j))
        Remove(dir + name);
}

// The whole file; null when it cannot be read.
std::optional<std::string> ReadAll(const std::string& path) {
    uint32_t os = 0;
    auto f = OsFile::Open(path, OsFile::Share::Shared, OsFile::Access::ReadOnly, &os);
    const int64_t size = f ? f->Size() : -1;
    if (size < 0)
        return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    const int64_t got = text.empty() ? 0 : f->ReadAt(0, text.data(), text.size());
    if (got < 0)
        return std::nullopt;
    text.resize(static_cast<size_t>(got));
    return text;
}

// How the swap of one table ended.
struct SwapResult {
    std::string error;  // empty: the new files are in place
    bool unchanged = true;
};

// Puts the old files back after a failure part-way. The journal goes only
// when all is back; otherwise the next start finishes the undoing.
void Undo(const std::string& dir, const SwapJournal& journal, bool decided, SwapResult& result,
          const SwapHook& hook) {
    std::string error;
    if (decided && !AppendDecision(dir, SwapDecision::Back, error)) {
        // Without the "back" line a journal that says "forward" is finished
        // by the next start: the files stay as they are. Otherwise the undo
        // goes on; once it has put the old table back, a recovery no longer
        // goes forward (ForwardPossible).
        const std::optional<std::string> text = ReadAll(JournalPath(dir));
        const auto journalRead = text ? ParseJournal(*text) : std::nullopt;
        if (journalRead && journalRead->decision == SwapDecision::Forward) {
            result.unchanged = false;
            result.error += "\r\n" + error;
            return;
        }
    }
    error = ApplySteps(
        dir, BackSteps(journal, [&](const std::string& n) { return Exists(dir + n); }), hook);
    if (!error.empty()) {
        result.unchanged = false;
        result.error +=
            "\r\nDie alte Fassung der Tabelle konnte nicht wiederhergestellt werden: " + error +
            "\r\nBitte alle Programme schließen, die die Tabellen verwenden, und die "
            "Reorganisation (F12) erneut starten; bis dahin ist die Tabelle nicht "
            "vollständig.";
        return;
    }
    if (hook)
        hook("remove journal");
    Remove(JournalPath(dir));
}

// Puts a table's complete new files in place of the old ones (see
// ReorgSwap.h for the order and the journal). `before` is the old table's
// state when it was read: a table another program changed since is left as
// it is.
SwapResult SwapIn(const std::string& dir, const SwapJournal& journal, const TableState& before,
                  const SwapHook& hook) {
    SwapResult result;
    auto present = [&](const std::string& n) { return Exists(dir + n); };
    // Old copies left by an earlier run would be taken for this swap's.
    const StaleAsides stale = FindStaleAsides(journal, present);
    if (!stale.alone.empty()) {
        result.error = "Neben der Tabelle liegt die alte Fassung „" + stale.alone[0] +
                       "“, aber die Datei, zu der sie gehört, fehlt.\r\nBitte prüfen, ob sie "
                       "noch gebraucht wird: sie in den Namen ohne „.alt“ umbenennen oder "
                       "löschen, und die Reorganisation wiederholen.";
        RemoveScratch(dir, journal);
        return result;
    }
    for (const std::string& name : stale.older) {
        Remove(dir + name);
        if (Exists(dir + name)) {
            result.error = "Die alte Fassung „" + name +
                           "“ einer früheren Reorganisation kann nicht gelöscht werden.\r\n"
                           "Bitte die Datei löschen (oder das Programm schließen, das sie "
                           "verwendet) und die Reorganisation wiederholen.";
            RemoveScratch(dir, journal);
            return result;
        }
    }
    if (hook)
        hook("write journal");
    if (!WriteJournal(dir, journal, result.error)) {
        RemoveScratch(dir, journal);
        Remove(JournalPath(dir));
        return result;
    }
    const SwapFile& table = journal.files[0];
    // The table first: from here on no program can open it, and one that
    // has it open keeps it from moving.
    std::string error =
        ApplySteps(dir, {{FsStep::Op::Rename, table.final, AsideName(table.final)}}, hook);
    if (!error.empty()) {
        result.error = error +
                       "\r\nBitte das Programm schließen, das die Tabelle verwendet, und "
                       "wiederholen.";
        Undo(dir, journal, false, result, hook);
        return result;
    }
    // Between our closing the table and moving it aside another program may
    // have opened it (and would go on writing to the old file) or written
    // to it (its change would be lost with the old file).
    {
        uint32_t os = 0;
        auto old = OsFile::Open(dir + AsideName(table.final), OsFile::Share::Exclusive,
                                OsFile::Access::ReadOnly, &os);
        if (!old)
            result.error =
                "Ein anderes Programm hat die Tabelle während der Reorganisation "
                "geöffnet.\r\nBitte das Programm schließen und die Reorganisation "
                "wiederholen.";
        else if (ReadTableState(*old, dir + MemoOf(table.final)) != before)
            result.error =
                "Ein anderes Programm hat die Tabelle während der Reorganisation "
                "geändert.\r\nBitte alle anderen Programme schließen und die "
                "Reorganisation wiederholen.";
    }
    if (!result.error.empty()) {
        Undo(dir, journal, false, result, hook);
        return result;
    }
    std::vector<FsStep> aside;
    for (size_t i = 1; i < journal.files.size(); ++i)
        if (present(journal.files[i].final))
            aside.push_back(
                {FsStep::Op::Rename, journal.files[i].final, AsideName(journal.files[i].final)});
    error = ApplySteps(dir, aside, hook);
    if (!error.empty()) {
        result.error = error +
                       "\r\nBitte das Programm schließen, das die Datei verwendet, und "
                       "wiederholen.";
        Undo(dir, journal, false, result, hook);
        return result;
    }
    if (hook)
        hook("journal: forward");
    if (!AppendDecision(dir, SwapDecision::Forward, result.error)) {
        // The line may have reached the file all the same: the undo says
        // "back" (or leaves the swap to be finished).
        Undo(dir, journal, true, result, hook);
        return result;
    }
    // Every old file is aside: the new ones move in, the table last.
    std::vector<FsStep> in, cleanUp;
    for (const FsStep& s : ForwardSteps(journal, present))
        (s.op == FsStep::Op::Rename ? in : cleanUp).push_back(s);
    error = ApplySteps(dir, in, hook);
    if (!error.empty()) {
        result.error = error;
        Undo(dir, journal, true, result, hook);
        return result;
    }
    // The table is reorganised. Old files that cannot be removed now are
    // removed by the next start (the journal stays for them).
    if (ApplySteps(dir, cleanUp, hook).empty()) {
        if (hook)
            hook("remove journal");
        Remove(JournalPath(dir));
    }
    return result;
}

// Settles a half-done swap from its journal and clears scratch files; the
// caller holds the reorganisation lock.
ReorgRecovery RecoverLocked(const std::string& dir, const std::vector<ReorgTable>& tables,
                            const SwapHook& hook) {
    ReorgRecovery rec;
    const std::string journalPath = JournalPath(dir);
    if (Exists(journalPath)) {
        auto present = [&](const std::string& n) { return Exists(dir + n); };
        const std::optional<std::string> text = ReadAll(journalPath);
        if (!text) {
            rec.table = "KpReorg.jnl";
            rec.error = "Das Protokoll der Reorganisation (KpReorg.jnl) kann nicht gelesen werden.";
            return rec;
        }
        if (const auto journal = ParseJournal(*text)) {
            rec.table = journal->table;
            rec.done = RecoveryDirection(*journal, present);
            rec.error =
                ApplySteps(dir,
                           rec.done == SwapDecision::Forward ? ForwardSteps(*journal, present)
                                                             : BackSteps(*journal, present),
                           hook);
            if (rec.error.empty())
                for (const SwapFile& f : journal->files)
                    if ((f.hadOld || rec.done == SwapDecision::Forward) && !present(f.final))
                        rec.error = "Die Datei „" + f.final + "“ fehlt.";
            if (!rec.error.empty())
                return rec;  // the journal stays for the next attempt
            RemoveScratch(dir, *journal);
        }
        // A journal cut off while being written: nothing was renamed yet.
        if (hook)
            hook("remove journal");
        Remove(journalPath);
    }
    for (const ReorgTable& t : tables)
        for (const std::string& name : ScratchNames(PlanFor(dir, t, true)))
            if (Exists(dir + name)) {
                Remove(dir + name);
                ++rec.scratchRemoved;
            }
    return rec;
}

// The .ntx files in dir that no listed table names but whose key fits a
// table whose record numbers changed.
std::vector<std::string> StaleIndexes(const std::string& dir, const std::vector<ReorgTable>& tables,
                                      const std::vector<std::string>& packed) {
    std::vector<std::string> stale;
    if (packed.empty())
        return stale;
    std::error_code ec;
    for (fs::directory_iterator it(Fs(dir), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = WideToUtf8(it->path().filename().wstring());
        if (name.size() < 5 || !SameName(name.substr(name.size() - 4), ".ntx"))
            continue;
        bool known = false;
        for (const auto* list : {&tables, &SuiteReorgTables()})
            for (const ReorgTable& t : *list)
                for (const ReorgIndex& x : t.indexes)
                    known = known || SameName(x.file, name);
        if (known)
            continue;
        for (const std::string& table : packed) {
            try {
                TableOptions opt;
                opt.readOnly = true;
                std::unique_ptr<Table> tab = Table::Open(dir + table, opt);
                NtxIndex::Options io;
                io.readOnly = true;
                NtxIndex::Open(dir + name, *tab, io);
                stale.push_back(name);
                break;
            } catch (const DbError&) {
                // Its key does not fit this table.
            }
        }
    }
    std::sort(stale.begin(), stale.end());
    return stale;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names)
        text += (text.empty() ? "" : ", ") + n;
    return text;
}

std::string NoTables(const std::string& dir, const std::vector<ReorgTable>& tables) {
    std::vector<std::string> names;
    for (const ReorgTable& t : tables)
        names.push_back(t.file);
    return "Im Datenpfad „" + dir + "“ gibt es keine der Tabellen, die reorganisiert werden (" +
           Joined(names) + ").\r\nBitte den Datenpfad in den Einstellungen (F9) prüfen.";
}

// Packs one table into new files and builds its indexes there; on success
// the new files replace the old ones. Throws DbError or Cancelled, after
// removing the new files.
uint32_t ReorganiseTable(const std::string& dir, const ReorgTable& t, const ReorgProgress& progress,
                         const SwapHook& hook, SwapResult& result) {
    const std::string path = dir + t.file;
    // What the old table holds now; the swap refuses when it changed since.
    const TableState before = ReadTableState(path, MemoOf(path));
    SwapJournal journal = PlanFor(dir, t, false);
    uint32_t dropped = 0;
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
            journal = PlanFor(dir, t, old->HasMemo());
            RemoveScratch(dir, journal);

            const std::string freshPath = dir + journal.files[0].fresh;
            Table::Create(freshPath, defs, old->CodePage());
            TableOptions writeOpt;
            writeOpt.exclusive = true;
            writeOpt.codePage = old->CodePage();
            std::unique_ptr<Table> fresh = Table::Open(freshPath, writeOpt);
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
            const size_t firstIndex = journal.files.size() - t.indexes.size();
            for (size_t i = 0; i < t.indexes.size(); ++i) {
                NtxIndex::Create(dir + journal.files[firstIndex + i].fresh, *fresh,
                                 t.indexes[i].key, false);
                if (progress && !progress(t.file + ": " + t.indexes[i].file, count, count))
                    throw Cancelled{};
            }
        }  // both tables closed before the files move
    } catch (...) {
        RemoveScratch(dir, journal);
        throw;
    }
    result = SwapIn(dir, journal, before, hook);
    return dropped;
}

}  // namespace

const std::vector<ReorgTable>& SuiteReorgTables() {
    // The one list of the suite's tables and indexes (docs/tables.md is
    // checked against it).
    static const std::vector<ReorgTable> tables = demo::SuiteTables();
    return tables;
}

ReorgRecovery RecoverReorganisation(const std::string& dataPath,
                                    const std::vector<ReorgTable>& tables, const SwapHook& hook) {
    ReorgLock lock(dataPath);
    if (!lock.Held()) {
        ReorgRecovery nothing;
        nothing.busy = lock.Busy();
        if (!nothing.busy && Exists(JournalPath(dataPath))) {
            // A half-done swap that cannot be settled now must not go unmentioned.
            nothing.table = "KpReorg.jnl";
            nothing.error = "Im Datenpfad „" + dataPath +
                            "“ kann die Sperrdatei KpReorg.lck nicht angelegt werden (" +
                            OsReason(lock.Error()) +
                            ").\r\nBitte die Schreibrechte für den Datenpfad prüfen.";
        }
        return nothing;
    }
    return RecoverLocked(dataPath, tables, hook);
}

ReorgOutcome Reorganise(const std::string& dataPath, const std::vector<ReorgTable>& tables,
                        const ReorgProgress& progress, const SwapHook& hook) {
    ReorgOutcome out;
    std::error_code ec;
    if (!fs::is_directory(Fs(dataPath), ec)) {
        out.error = NoTables(dataPath, tables);
        return out;
    }
    ReorgLock lock(dataPath);
    if (!lock.Held()) {
        out.error = lock.Busy() ? "Die Tabellen in „" + dataPath +
                                      "“ werden gerade an einem anderen Arbeitsplatz "
                                      "reorganisiert.\r\nBitte warten, bis diese Reorganisation "
                                      "beendet ist."
                                : "Im Datenpfad „" + dataPath +
                                      "“ kann die Reorganisation keine Dateien anlegen (" +
                                      OsReason(lock.Error()) +
                                      ").\r\nBitte die Schreibrechte für den Datenpfad prüfen.";
        return out;
    }
    const ReorgRecovery rec = RecoverLocked(dataPath, tables, hook);
    out.recovered = RecoveryMessage(rec);
    if (!rec.error.empty()) {
        out.error = out.recovered;
        out.recovered.clear();
        out.unchanged = false;
        return out;
    }
    std::vector<std::string> packed;
    for (const ReorgTable& t : tables) {
        if (!Exists(dataPath + t.file)) {
            ++out.tablesSkipped;
            // An old copy beside a missing table (left by a reorganisation
            // without a journal) is named, so the user can put it back.
            const std::string aside = AsideName(t.file);
            out.missingTables.push_back(
                Exists(dataPath + aside) ? t.file + " (" + aside + " ist vorhanden)" : t.file);
            continue;
        }
        try {
            SwapResult result;
            const uint32_t dropped = ReorganiseTable(dataPath, t, progress, hook, result);
            if (!result.error.empty()) {
                out.error = result.error;
                out.failedTable = t.file;
                out.unchanged = result.unchanged;
                break;
            }
            if (dropped)
                packed.push_back(t.file);
            out.recordsDropped += dropped;
            ++out.tablesDone;
        } catch (const Cancelled&) {
            out.cancelled = true;
            break;
        } catch (const DbError& e) {
            out.error = e.description.empty() ? "Die Tabelle kann nicht reorganisiert werden."
                                              : e.description;
            out.failedTable = t.file;
            break;
        }
    }
    if (out.error.empty() && !out.cancelled && out.tablesDone == 0) {
        out.error = NoTables(dataPath, tables);
        out.missingTables.clear();
    }
    out.staleIndexes = StaleIndexes(dataPath, tables, packed);
    return out;
}

std::string Thousands(uint32_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<size_t>(i), ".");
    return digits;
}

std::string RecoveryMessage(const ReorgRecovery& rec) {
    if (rec.table.empty())
        return {};
    if (!rec.error.empty())
        return "Eine unterbrochene Reorganisation von „" + rec.table +
               "“ konnte nicht zu Ende gebracht werden:\r\n" + rec.error +
               "\r\nBitte alle Programme schließen, die diese Tabelle verwenden, und die "
               "Reorganisation (F12) erneut starten; bis dahin ist die Tabelle nicht vollständig.";
    if (rec.done == SwapDecision::Forward)
        return "Eine unterbrochene Reorganisation von „" + rec.table +
               "“ wurde zu Ende geführt: die Tabelle und ihre Indexdateien sind reorganisiert.";
    return "Eine unterbrochene Reorganisation von „" + rec.table +
           "“ wurde rückgängig gemacht: die Tabelle und ihre Indexdateien sind unverändert.";
}

ReorgMessage OutcomeMessage(const ReorgOutcome& out) {
    ReorgMessage msg;
    if (out.cancelled) {
        msg.text = "Die Reorganisation wurde abgebrochen.\r\n" + std::to_string(out.tablesDone) +
                   " Tabellen sind reorganisiert, die übrigen sind unverändert.";
    } else if (!out.error.empty()) {
        msg.warning = true;
        if (out.failedTable.empty())
            msg.text = out.error;
        else
            msg.text =
                "Die Reorganisation von " + out.failedTable + " ist fehlgeschlagen:\r\n" +
                out.error +
                (out.unchanged ? "\r\nDie Tabelle und ihre Indexdateien sind unverändert." : "");
    } else if (!out.missingTables.empty()) {
        msg.warning = true;
        msg.text =
            "Die Reorganisation ist beendet, aber nicht alle Tabellen sind im Datenpfad "
            "vorhanden.\r\n" +
            std::to_string(out.tablesDone) + " Tabellen, " + Thousands(out.recordsDropped) +
            " gelöschte Datensätze entfernt.\r\nNicht im Datenpfad vorhanden: " +
            Joined(out.missingTables) + ".";
        if (std::any_of(out.missingTables.begin(), out.missingTables.end(),
                        [](const std::string& t) { return t.find(".alt") != std::string::npos; }))
            msg.text +=
                "\r\nBitte die alte Fassung (.alt) in den Namen der Tabelle umbenennen (nicht "
                "kopieren) und die Reorganisation wiederholen.";
    } else {
        msg.text = "Die Reorganisation wurde erfolgreich durchgeführt!\r\n" +
                   std::to_string(out.tablesDone) + " Tabellen, " + Thousands(out.recordsDropped) +
                   " gelöschte Datensätze entfernt.";
    }
    if (!out.staleIndexes.empty()) {
        msg.warning = true;
        msg.text +=
            "\r\n\r\nDiese Indexdateien gehören zu keiner bekannten Tabelle und wurden "
            "nicht neu aufgebaut; ihre Satznummern stimmen nach dem Packen nicht mehr: " +
            Joined(out.staleIndexes) +
            ".\r\nBitte im Programm, das sie angelegt hat, neu aufbauen oder löschen.";
    }
    if (!out.recovered.empty())
        msg.text = out.recovered + "\r\n\r\n" + msg.text;
    return msg;
}

}  // namespace kp

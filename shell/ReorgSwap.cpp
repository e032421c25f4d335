#include "shell/ReorgSwap.h"

#include <set>

#ifdef _WIN32
#include <windows.h>

#include "platform/runtime/utf8.h"
#endif

namespace kp {

namespace {

constexpr std::string_view kHeadLine = "KONTORPLUS Reorganisation 1";
constexpr std::string_view kEndLine = "ENDE";
constexpr std::string_view kForwardLine = "VORWAERTS";
constexpr std::string_view kBackLine = "ZURUECK";

std::vector<std::string_view> Split(std::string_view line, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(sep, start);
        parts.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

// Files in the order they move in: the table's .dbf last. Moving out runs
// the other way round, the .dbf first.
std::vector<const SwapFile*> MoveInOrder(const SwapJournal& j) {
    std::vector<const SwapFile*> order;
    for (size_t i = 1; i < j.files.size(); ++i)
        order.push_back(&j.files[i]);
    if (!j.files.empty())
        order.push_back(&j.files[0]);
    return order;
}

// The files of a folder as the steps leave them.
class Simulated {
  public:
    explicit Simulated(const FilePresent& present) : present_(present) {}
    bool Has(const std::string& name) const {
        if (gone_.count(name))
            return false;
        return made_.count(name) || present_(name);
    }
    void Rename(std::vector<FsStep>& steps, const std::string& from, const std::string& to) {
        steps.push_back({FsStep::Op::Rename, from, to});
        gone_.insert(from);
        made_.erase(from);
        gone_.erase(to);
        made_.insert(to);
    }
    void Remove(std::vector<FsStep>& steps, const std::string& name) {
        steps.push_back({FsStep::Op::Remove, name, {}});
        gone_.insert(name);
        made_.erase(name);
    }

  private:
    const FilePresent& present_;
    std::set<std::string> gone_, made_;
};

// Renames without replacing: every step's target is believed absent, and a
// file there after all is one the plan does not know, never to be lost.
bool MoveToNewName(const std::string& from, const std::string& to, uint32_t* os) {
#ifdef _WIN32
    const bool ok =
        MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    *os = ok ? 0 : GetLastError();
    return ok;
#else
    if (OsFile::Exists(to)) {
        *os = OSERR_FILE_EXISTS;
        return false;
    }
    return OsFile::Replace(from, to, os);
#endif
}

constexpr uint32_t kAlreadyExists = 183;

}  // namespace

std::string OsReason(uint32_t os) {
    switch (os) {
        case OSERR_SHARING_VIOLATION:
        case OSERR_LOCK_VIOLATION:
            return "von einem anderen Programm geöffnet";
        case OSERR_ACCESS_DENIED:
            return "Zugriff verweigert";
        case OSERR_FILE_NOT_FOUND:
        case OSERR_PATH_NOT_FOUND:
            return "nicht vorhanden";
        case OSERR_DISK_FULL:
            return "Datenträger voll";
        case OSERR_FILE_EXISTS:
        case kAlreadyExists:
            return "eine Datei dieses Namens ist schon vorhanden";
        default:
            return "Fehler " + std::to_string(os);
    }
}

std::string AsideName(const std::string& final) {
    return final + ".alt";
}

std::string JournalText(const SwapJournal& journal) {
    std::string text(kHeadLine);
    text += "\nTABELLE\t" + journal.table + "\n";
    for (const SwapFile& f : journal.files)
        text += std::string("DATEI\t") + (f.hadOld ? "1" : "0") + "\t" + f.fresh + "\t" + f.final +
                "\n";
    text += std::string(kEndLine) + "\n";
    return text;
}

std::string DecisionLine(SwapDecision decision) {
    switch (decision) {
        case SwapDecision::Forward:
            return std::string(kForwardLine) + "\n";
        case SwapDecision::Back:
            return std::string(kBackLine) + "\n";
        case SwapDecision::Undecided:
            break;
    }
    return {};
}

std::optional<SwapJournal> ParseJournal(std::string_view text) {
    std::vector<std::string_view> lines;
    // Only lines with their line end are whole.
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 3 || lines[0] != kHeadLine)
        return std::nullopt;
    SwapJournal j;
    const auto table = Split(lines[1], '\t');
    if (table.size() != 2 || table[0] != "TABELLE" || table[1].empty())
        return std::nullopt;
    j.table = std::string(table[1]);
    size_t i = 2;
    for (; i < lines.size() && lines[i] != kEndLine; ++i) {
        const auto f = Split(lines[i], '\t');
        if (f.size() != 4 || f[0] != "DATEI" || (f[1] != "0" && f[1] != "1") || f[2].empty() ||
            f[3].empty())
            return std::nullopt;
        j.files.push_back({std::string(f[2]), std::string(f[3]), f[1] == "1"});
    }
    if (i == lines.size() || j.files.empty() || j.files[0].final != j.table)
        return std::nullopt;  // cut off before its end line
    for (++i; i < lines.size(); ++i) {
        if (lines[i] == kForwardLine)
            j.decision = SwapDecision::Forward;
        else if (lines[i] == kBackLine)
            j.decision = SwapDecision::Back;
    }
    return j;
}

std::string Describe(const FsStep& step) {
    return step.op == FsStep::Op::Rename ? "rename " + step.from + " -> " + step.to
                                         : "remove " + step.from;
}

bool ForwardPossible(const SwapJournal& journal, const FilePresent& present) {
    if (journal.files.empty())
        return true;
    const SwapFile& table = journal.files[0];
    if (present(table.fresh))
        return !present(table.final);  // the old table is back in place
    for (size_t i = 1; i < journal.files.size(); ++i)
        if (present(journal.files[i].fresh))
            return false;
    return true;
}

SwapDecision RecoveryDirection(const SwapJournal& journal, const FilePresent& present) {
    return journal.decision == SwapDecision::Forward && ForwardPossible(journal, present)
               ? SwapDecision::Forward
               : SwapDecision::Back;
}

std::vector<FsStep> ForwardSteps(const SwapJournal& journal, const FilePresent& present) {
    std::vector<FsStep> steps;
    if (!ForwardPossible(journal, present))
        return steps;
    Simulated fs(present);
    for (const SwapFile* f : MoveInOrder(journal)) {
        // While the new copy is still beside it, whatever has the final
        // name is old.
        if (!fs.Has(f->fresh))
            continue;
        if (fs.Has(f->final))
            fs.Rename(steps, f->final, AsideName(f->final));
        fs.Rename(steps, f->fresh, f->final);
    }
    for (const SwapFile& f : journal.files)
        if (fs.Has(AsideName(f.final)))
            fs.Remove(steps, AsideName(f.final));
    return steps;
}

std::vector<FsStep> BackSteps(const SwapJournal& journal, const FilePresent& present) {
    std::vector<FsStep> steps;
    Simulated fs(present);
    for (const SwapFile* f : MoveInOrder(journal)) {
        const std::string aside = AsideName(f->final);
        // The file in place is new only once its new copy has moved in.
        const bool finalIsNew = fs.Has(f->final) && !fs.Has(f->fresh);
        if (f->hadOld && fs.Has(aside)) {
            if (fs.Has(f->final) && !finalIsNew)
                continue;  // the copy aside is older than the file in place
            if (finalIsNew)
                fs.Rename(steps, f->final, f->fresh);
            fs.Rename(steps, aside, f->final);
        } else if (!f->hadOld && finalIsNew) {
            fs.Rename(steps, f->final, f->fresh);
        }
    }
    for (const std::string& name : ScratchNames(journal))
        if (fs.Has(name))
            fs.Remove(steps, name);
    return steps;
}

StaleAsides FindStaleAsides(const SwapJournal& journal, const FilePresent& present) {
    StaleAsides stale;
    for (const SwapFile& f : journal.files) {
        const std::string aside = AsideName(f.final);
        if (present(aside))
            (present(f.final) ? stale.older : stale.alone).push_back(aside);
    }
    return stale;
}

std::vector<std::string> ScratchNames(const SwapJournal& journal) {
    std::vector<std::string> names;
    for (const SwapFile& f : journal.files) {
        names.push_back(f.fresh);
        names.push_back(f.fresh + ".new");
        names.push_back(f.fresh + ".srt");
    }
    return names;
}

TableState ReadTableState(const std::string& dbfPath, const std::string& memoPath) {
    uint32_t os = 0;
    auto f = OsFile::Open(dbfPath, OsFile::Share::Shared, OsFile::Access::ReadOnly, &os);
    return f ? ReadTableState(*f, memoPath) : TableState{};
}

TableState ReadTableState(OsFile& dbf, const std::string& memoPath) {
    TableState state;
    uint32_t os = 0;
    uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    std::vector<unsigned char> buf(1 << 20);
    uint64_t off = 0;
    for (;;) {
        const int64_t got = dbf.ReadAt(off, buf.data(), buf.size());
        if (got < 0)
            return state;
        for (int64_t i = 0; i < got; ++i) {
            hash ^= buf[static_cast<size_t>(i)];
            hash *= 1099511628211ULL;
        }
        off += static_cast<uint64_t>(got);
        if (static_cast<size_t>(got) < buf.size())
            break;
    }
    state.size = off;
    state.hash = hash;
    if (auto memo = OsFile::Open(memoPath, OsFile::Share::Shared, OsFile::Access::ReadOnly, &os)) {
        const int64_t size = memo->Size();
        state.memoSize = size < 0 ? 0 : static_cast<uint64_t>(size);
    }
    state.ok = true;
    return state;
}

std::string ApplySteps(const std::string& dir, const std::vector<FsStep>& steps,
                       const SwapHook& hook) {
    for (const FsStep& s : steps) {
        if (hook)
            hook(Describe(s));
        uint32_t os = 0;
        if (s.op == FsStep::Op::Rename) {
            if (!MoveToNewName(dir + s.from, dir + s.to, &os))
                return "Die Datei „" + s.from + "“ kann nicht in „" + s.to +
                       "“ umbenannt werden (" + OsReason(os) + ").";
        } else if (!OsFile::Remove(dir + s.from) && OsFile::Exists(dir + s.from)) {
            return "Die Datei „" + s.from + "“ kann nicht gelöscht werden.";
        }
    }
    return {};
}

std::string JournalPath(const std::string& dir) {
    return dir + "KpReorg.jnl";
}

bool WriteJournal(const std::string& dir, const SwapJournal& journal, std::string& error) {
    const std::string text = JournalText(journal);
    uint32_t os = 0;
    auto f = OsFile::Create(JournalPath(dir), OsFile::Share::Exclusive, &os);
    if (!f || !f->WriteAt(0, text.data(), text.size()) || !f->Sync()) {
        error = "Das Protokoll der Reorganisation (KpReorg.jnl) kann nicht geschrieben werden (" +
                OsReason(f ? f->LastError() : os) + ").";
        return false;
    }
    return true;
}

bool AppendDecision(const std::string& dir, SwapDecision decision, std::string& error) {
    const std::string line = DecisionLine(decision);
    uint32_t os = 0;
    auto f =
        OsFile::Open(JournalPath(dir), OsFile::Share::Exclusive, OsFile::Access::ReadWrite, &os);
    const int64_t size = f ? f->Size() : -1;
    if (!f || size < 0 || !f->WriteAt(static_cast<uint64_t>(size), line.data(), line.size()) ||
        !f->Sync()) {
        error =
            "Das Protokoll der Reorganisation (KpReorg.jnl) kann nicht fortgeschrieben "
            "werden (" +
            OsReason(f ? f->LastError() : os) + ").";
        return false;
    }
    return true;
}

ReorgLock::ReorgLock(const std::string& dir) : path_(dir + "KpReorg.lck") {
    file_ = OsFile::Create(path_, OsFile::Share::Exclusive, &error_);
    held_ = file_ != nullptr;
}

ReorgLock::~ReorgLock() {
    file_.reset();
    if (held_)
        OsFile::Remove(path_);
}

}  // namespace kp

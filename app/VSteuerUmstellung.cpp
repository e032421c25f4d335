#include "app/VSteuerUmstellung.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/data/dbserver.h"
#include "platform/data/fieldcodec.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"

namespace kp {
namespace {

const Symbol& FldVSteuer() {
    static const Symbol s("VSTEUER");
    return s;
}
const Symbol& FldSparte() {
    static const Symbol s("VERSSPARTE");
    return s;
}
const Symbol& FldSteuerDM() {
    static const Symbol s("VSTEUERDM");
    return s;
}
const Symbol& FldBeitrag() {
    static const Symbol s("BEITRAG");
    return s;
}

// A numeric field of the current record, or nothing when the data server
// could not read it (it has raised its error already).
std::optional<double> ReadNumber(DBServer& server, Symbol field) {
    Usual v = server.FieldGet(field);
    if (!server.Status().IsNil() || !v.IsNumeric())
        return std::nullopt;
    return v.AsFloat();
}

std::string ReadLine(DBServer& server) {
    Usual v = server.FieldGet(FldSparte());
    if (!server.Status().IsNil() || !v.IsString())
        return std::string();
    return NormalizeSparte(v.AsString());
}

bool Write(DBServer& server, Symbol field, double value) {
    server.FieldPut(field, Usual(value));
    return server.Status().IsNil();
}

// Puts the values read back into the fields already written, so that a
// record is never left half converted (a half-converted record would match
// no row any more and keep a wrong premium for good).
void PutBack(DBServer& server, const std::array<std::pair<Symbol, double>, 3>& old,
             size_t written) {
    for (size_t i = 0; i < written; ++i) {
        try {
            server.FieldPut(old[i].first, Usual(old[i].second));
        } catch (...) {
            // Nothing more can be done for this field; the error has been
            // raised and shown by the data server.
        }
    }
}

}  // namespace

double ConvertVSteuer(double oldRate, double newRate, double steuer) {
    return steuer / oldRate * newRate;
}

double ConvertVSteuerBeitrag(double oldRate, double newRate, double steuer, double beitrag) {
    return (beitrag - steuer) + steuer / oldRate * newRate;
}

std::string NormalizeSparte(std::string_view line) {
    return Upper(AllTrim(line));
}

int FindVSteuerRow(double rate, const std::function<std::string()>& line) {
    std::optional<std::string> name;
    for (size_t i = 0; i < kVSteuerRows.size(); ++i) {
        if (rate != kVSteuerRows[i].oldRate)
            continue;
        if (!name)
            name = line();
        if (*name == kVSteuerRows[i].line)
            return static_cast<int>(i);
    }
    return -1;
}

struct VSteuerUmstellung::Walk {
    Result result;
    uint64_t divisor = 1;
    uint32_t shown = 0;
    const Progress* progress = nullptr;
    // Percentages reached inside a run, shown once its records are unlocked
    // (showing lets other events through, which must not hold up others).
    std::vector<uint32_t> pending;
    RecordBlock block;              // as read without a lock
    RecordBlock run;                // a run, read again under its lock
    std::vector<signed char> rows;  // row of each record of the block, -1: none
    std::string before;             // a record before it is changed
};

struct VSteuerUmstellung::RestoreRun {
    std::vector<VSteuerRestore> entries;
    RecordBlock block;
    std::string before;
};

bool VSteuerUmstellung::FindFields() {
    const std::array<std::pair<int*, const Symbol*>, 4> wanted{{{&at_.vsteuer, &FldVSteuer()},
                                                                {&at_.sparte, &FldSparte()},
                                                                {&at_.steuerdm, &FldSteuerDM()},
                                                                {&at_.beitrag, &FldBeitrag()}}};
    for (auto [pos, field] : wanted) {
        *pos = server_.FieldPos(*field);
        if (*pos == 0) {
            server_.FieldGet(*field);  // raises "no such field" for it
            return false;
        }
    }
    const auto specs = server_.FieldSpecs();
    rateIsNumber_ = specs[static_cast<size_t>(at_.vsteuer - 1)].second.ValType() == 'N';
    numberAt_ = {server_.FieldPlace(at_.vsteuer), server_.FieldPlace(at_.steuerdm),
                 server_.FieldPlace(at_.beitrag)};
    return true;
}

std::array<std::string_view, 3> VSteuerUmstellung::Numbers(std::string_view record) const {
    std::array<std::string_view, 3> out;
    for (size_t i = 0; i < out.size(); ++i)
        if (numberAt_[i].first + numberAt_[i].second <= record.size())
            out[i] = record.substr(numberAt_[i].first, numberAt_[i].second);
    return out;
}

int VSteuerUmstellung::RowOf(RecordBlock& block, uint32_t r) {
    double rate = 0;
    if (!RateOf(block, r, &rate))
        return -1;
    // Most contracts are at a rate no row converts.
    if (std::none_of(kVSteuerRows.begin(), kVSteuerRows.end(),
                     [rate](const VSteuerRow& row) { return row.oldRate == rate; }))
        return -1;
    return FindVSteuerRow(rate, [&] { return LineOf(block, r); });
}

bool VSteuerUmstellung::RateOf(RecordBlock& block, uint32_t r, double* out) {
    double rate = 0;
    bool known = false;
    const std::string_view text = block.FieldText(r, at_.vsteuer);
    RateText* slot = nullptr;
    if (rateIsNumber_ && !text.empty() && text.size() <= RateText{}.text.size()) {
        size_t h = 0;
        for (char c : text)
            h = h * 31 + static_cast<unsigned char>(c);
        slot = &rates_[h % rates_.size()];
        known = slot->size == text.size() &&
                std::memcmp(slot->text.data(), text.data(), text.size()) == 0;
        if (known)
            rate = slot->rate;
    }
    if (!known) {
        if (rateIsNumber_ && ParseNumericField(text, &rate)) {
            if (slot) {
                std::memcpy(slot->text.data(), text.data(), text.size());
                slot->size = text.size();
                slot->rate = rate;
            }
        } else {
            // Not plain numeric text: the data server decides, and raises
            // its error if it is no number at all.
            Usual v = block.FieldGet(r, at_.vsteuer);
            if (!v.IsNumeric())
                return false;
            rate = v.AsFloat();
        }
    }
    *out = rate;
    return true;
}

std::string VSteuerUmstellung::LineOf(RecordBlock& block, uint32_t r) {
    lineKey_.assign(block.FieldText(r, at_.sparte));
    if (auto it = lines_.find(lineKey_); it != lines_.end())
        return it->second;
    Usual line = block.FieldGet(r, at_.sparte);
    if (!line.IsString())
        return std::string();
    std::string norm = NormalizeSparte(line.AsString());
    if (lines_.size() < kLineCacheSize)
        lines_.emplace(lineKey_, norm);
    return norm;
}

VSteuerCounts VSteuerUmstellung::Count() {
    VSteuerCounts counts;
    if (!server_.Used() || !FindFields())
        return counts;
    RecordBlock block;
    const uint32_t per = std::max<uint32_t>(1, kBlockBytes / server_.RecordLength());
    const bool hideDeleted = GetDeleted();
    // A block that cannot be read ends the walk (its error has been raised).
    for (uint32_t first = 1; server_.ReadBlock(first, per, block) > 0; first += block.Count()) {
        for (uint32_t r = first; r < first + block.Count(); ++r) {
            if (hideDeleted && block.Deleted(r))
                continue;
            int row = RowOf(block, r);
            if (row >= 0)
                ++counts.row[static_cast<size_t>(row)];
        }
    }
    server_.GoTo(server_.RecCount() + 1);
    return counts;
}

void VSteuerUmstellung::Converted(Walk& w, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        ++w.result.converted;
        position_ = static_cast<uint32_t>(uint64_t{w.result.converted} * 100 / w.divisor);
        if (w.shown < position_) {
            w.shown = position_;
            w.pending.push_back(position_);
        }
    }
}

VSteuerUmstellung::Result VSteuerUmstellung::Convert(uint32_t affectedTotal,
                                                     const Progress& progress) {
    position_ = 0;
    Walk w;
    w.divisor = affectedTotal == 0 ? 1 : affectedTotal;
    w.progress = &progress;
    if (!server_.Used() || !FindFields())
        return w.result;
    const uint32_t recLen = server_.RecordLength();
    const uint32_t per = std::max<uint32_t>(1, kBlockBytes / recLen);
    const uint32_t span = std::max<uint32_t>(1, kRunBytes / recLen);

    for (uint32_t first = 1; server_.ReadBlock(first, per, w.block) > 0; first += w.block.Count()) {
        const uint32_t end = first + w.block.Count();
        w.rows.assign(w.block.Count(), -1);
        const bool hideDeleted = GetDeleted();
        for (uint32_t r = first; r < end; ++r)
            if (!(hideDeleted && w.block.Deleted(r)))
                w.rows[r - first] = static_cast<signed char>(RowOf(w.block, r));
        auto affected = [&](uint32_t r) { return w.rows[r - first] >= 0; };

        // Runs of affected records, each within one block.
        for (uint32_t r = first; r < end;) {
            if (!affected(r)) {
                ++r;
                continue;
            }
            uint32_t last = r, contracts = 1;
            for (uint32_t j = r + 1; j < end && j - r < span && contracts < kRunContracts; ++j)
                if (affected(j)) {
                    last = j;
                    ++contracts;
                }
            ConvertRun(w, r, last);
            r = last + 1;
        }
    }
    // Put what was written on disk now, not when the window closes the table.
    if (journal_)
        journal_->Durable();
    server_.Commit();
    return w.result;
}

void VSteuerUmstellung::ConvertRun(Walk& w, uint32_t first, uint32_t last) {
    auto affected = [&](uint32_t r) { return w.rows[r - w.block.First()] >= 0; };
    if (!server_.LockRun(first, last)) {
        if (server_.Status().IsNil()) {
            // Another program holds a record of the run: record by record,
            // so that only that record waits.
            for (uint32_t r = first; r <= last; ++r)
                if (affected(r))
                    ConvertRecord(w, r);
            server_.GoTo(server_.RecCount() + 1);  // lets go of the last record
        } else {
            LeaveRun(w, first, last, VSteuerJournal::Why::Unreadable);
        }
        return;
    }

    struct Unlock {
        DBServer& server;
        ~Unlock() { server.UnlockRun(); }
    } unlock{server_};
    uint32_t firstChanged = 0, lastChanged = 0, changed = 0;
    auto write = [&] {
        if (changed == 0)
            return;
        if (journal_ && !journal_->Keep()) {
            w.result.skipped += changed;
        } else if (server_.WriteRun(w.run, firstChanged, lastChanged)) {
            if (journal_)
                journal_->Written();
            Converted(w, changed);
            if (runWritten_)
                runWritten_(firstChanged, lastChanged);
        } else {
            if (journal_)
                journal_->Failed();
            w.result.skipped += changed;
        }
        changed = 0;
    };

    // Read again under the lock: another program may have changed a contract
    // since the block was read, and the new values must be computed from
    // what is stored now.
    if (server_.ReadBlock(first, last - first + 1, w.run) != last - first + 1) {
        LeaveRun(w, first, last, VSteuerJournal::Why::Unreadable);
        return;
    }
    try {
        for (uint32_t r = first; r <= last; ++r) {
            if (!affected(r))
                continue;
            if (GetDeleted() && w.run.Deleted(r))
                continue;  // deleted meanwhile: no longer a contract to convert
            const int row = RowOf(w.run, r);
            if (row < 0)
                continue;
            const VSteuerRow& rr = kVSteuerRows[static_cast<size_t>(row)];
            // Every value is read before anything is put: a record whose
            // numbers cannot be read is left as it is.
            Usual steuer = w.run.FieldGet(r, at_.steuerdm);
            Usual beitrag = steuer.IsNumeric() ? w.run.FieldGet(r, at_.beitrag) : Usual();
            if (!steuer.IsNumeric() || !beitrag.IsNumeric()) {
                ++w.result.skipped;
                if (journal_)
                    journal_->Left(r, w.run.Record(r), VSteuerJournal::Why::Unreadable);
                continue;
            }
            const double neuBeitrag =
                ConvertVSteuerBeitrag(rr.oldRate, rr.newRate, steuer.AsFloat(), beitrag.AsFloat());
            const double neuSteuer = ConvertVSteuer(rr.oldRate, rr.newRate, steuer.AsFloat());
            if (journal_)
                w.before.assign(w.run.Record(r));
            if (!w.run.PutFields(r, {{at_.beitrag, Usual(neuBeitrag)},
                                     {at_.steuerdm, Usual(neuSteuer)},
                                     {at_.vsteuer, Usual(rr.newRate)}})) {
                ++w.result.skipped;
                if (journal_)
                    journal_->Left(r, w.run.Record(r), VSteuerJournal::Why::Unreadable);
                continue;
            }
            if (journal_)
                journal_->Changing(r, row, w.before, w.run.Record(r));
            if (changed++ == 0)
                firstChanged = r;
            lastChanged = r;
        }
    } catch (...) {
        // A break out of the error handler: what was computed before the
        // failing record is written, the rest of the run stays as it was.
        write();
        throw;
    }
    write();
    server_.UnlockRun();
    for (uint32_t p : w.pending)
        if (*w.progress)
            (*w.progress)(p);
    w.pending.clear();
}

// The record path of a run that another program holds a record of: the
// record lock with its wait, retry and break, then the same re-read,
// re-match and compute, written field by field.
void VSteuerUmstellung::ConvertRecord(Walk& w, uint32_t r) {
    if (!server_.GoTo(r))
        return;
    // Lock the record and read it again under the lock.
    if (!server_.RLock()) {
        ++w.result.skipped;
        ++w.result.locked;
        if (journal_)
            journal_->Left(r, w.block.Record(r), VSteuerJournal::Why::Locked);
        return;
    }
    if (GetDeleted() && server_.Deleted())
        return;
    std::optional<double> rate = ReadNumber(server_, FldVSteuer());
    const int row = rate ? FindVSteuerRow(*rate, [this] { return ReadLine(server_); }) : -1;
    if (row < 0)
        return;
    const VSteuerRow& rr = kVSteuerRows[static_cast<size_t>(row)];
    std::optional<double> steuer = ReadNumber(server_, FldSteuerDM());
    std::optional<double> beitrag = steuer ? ReadNumber(server_, FldBeitrag()) : std::nullopt;
    if (!steuer || !beitrag) {
        ++w.result.skipped;
        if (journal_)
            journal_->Left(r, w.block.Record(r), VSteuerJournal::Why::Unreadable);
        return;
    }
    const double neuBeitrag = ConvertVSteuerBeitrag(rr.oldRate, rr.newRate, *steuer, *beitrag);
    const double neuSteuer = ConvertVSteuer(rr.oldRate, rr.newRate, *steuer);
    if (journal_) {
        // The record as stored now (under the lock) and as it will be
        // stored, written down before it is written.
        if (server_.ReadBlock(r, 1, w.run) != 1 ||
            (w.before.assign(w.run.Record(r)),
             !w.run.PutFields(r, {{at_.beitrag, Usual(neuBeitrag)},
                                  {at_.steuerdm, Usual(neuSteuer)},
                                  {at_.vsteuer, Usual(rr.newRate)}}))) {
            ++w.result.skipped;
            journal_->Left(r, w.block.Record(r), VSteuerJournal::Why::Unreadable);
            return;
        }
        journal_->Changing(r, row, w.before, w.run.Record(r));
        if (!journal_->Keep()) {
            ++w.result.skipped;
            return;
        }
    }
    const std::array<std::pair<Symbol, double>, 3> old{
        {{FldBeitrag(), *beitrag}, {FldSteuerDM(), *steuer}, {FldVSteuer(), rr.oldRate}}};
    const std::array<double, 3> neu{neuBeitrag, neuSteuer, rr.newRate};
    size_t written = 0;
    try {
        while (written < old.size() && Write(server_, old[written].first, neu[written]))
            ++written;
    } catch (...) {
        // A break out of the error handler: undo this record only.
        PutBack(server_, old, written);
        throw;
    }
    if (written < old.size()) {
        PutBack(server_, old, written);
        ++w.result.skipped;
        if (journal_) {
            server_.Refresh();
            journal_->Failed();
        }
        return;
    }
    if (journal_) {
        // Written now, so that the journal can say it is.
        if (!server_.Refresh()) {
            journal_->Failed();
            ++w.result.skipped;
            return;
        }
        journal_->Written();
    }
    Converted(w, 1);
    for (uint32_t p : w.pending)
        if (*w.progress)
            (*w.progress)(p);
    w.pending.clear();
}

}  // namespace kp

namespace kp {
namespace {

// A line name reduced to what a person reads in it: upper case letters and
// digits only, umlauts and sharp s spelt out ("Wohngeb." -> "WOHNGEB",
// "WOHNGEBÄUDE" -> "WOHNGEBAEUDE").
std::string Loose(std::string_view normalised) {
    std::string out;
    for (size_t i = 0; i < normalised.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(normalised[i]);
        if (c == 0xC3 && i + 1 < normalised.size()) {
            switch (static_cast<unsigned char>(normalised[++i])) {
                case 0x84:  // Ä
                case 0xA4:
                    out += "AE";
                    break;
                case 0x96:  // Ö
                case 0xB6:
                    out += "OE";
                    break;
                case 0x9C:  // Ü
                case 0xBC:
                    out += "UE";
                    break;
                case 0x9F:  // ß
                    out += "SS";
                    break;
                default:
                    break;
            }
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else if (c >= 'a' && c <= 'z') {
            out += static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

// The distinct line names of the rows, in row order.
constexpr std::array<std::string_view, 2> kLines{"WOHNGEBÄUDE", "HAUSRAT"};

// Which line a normalised name is: 0..1 exactly that line, 2..3 the line
// spelt differently (kLines index + 2), -1 none.
int ClassOfLine(const std::string& norm) {
    for (size_t i = 0; i < kLines.size(); ++i)
        if (norm == kLines[i])
            return static_cast<int>(i);
    const std::string loose = Loose(norm);
    if (loose.empty())
        return -1;
    for (size_t i = 0; i < kLines.size(); ++i) {
        const std::string target = Loose(kLines[i]);
        // Equal but for case, blanks, umlauts and marks, or cut short
        // ("WOHNGEB.") to at least five letters.
        if (loose == target || (loose.size() >= 5 && target.compare(0, loose.size(), loose) == 0))
            return static_cast<int>(i + kLines.size());
    }
    return -1;
}

std::string ShownRate(double rate) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", rate);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

}  // namespace

void VSteuerUmstellung::LeaveRun(Walk& w, uint32_t first, uint32_t last, VSteuerJournal::Why why) {
    for (uint32_t r = first; r <= last; ++r) {
        if (w.rows[r - w.block.First()] < 0)
            continue;
        ++w.result.skipped;
        if (journal_)
            journal_->Left(r, w.block.Record(r), why);
    }
}

void VSteuerUmstellung::CheckNearMiss(RecordBlock& block, uint32_t r, VSteuerJournal& journal) {
    double rate = 0;
    if (!RateOf(block, r, &rate))
        return;
    const std::string norm = LineOf(block, r);
    int cls = -1;
    if (auto it = lineClass_.find(norm); it != lineClass_.end()) {
        cls = it->second;
    } else {
        cls = ClassOfLine(norm);
        if (lineClass_.size() < kLineCacheSize)
            lineClass_.emplace(norm, cls);
    }
    if (cls < 0)
        return;
    const std::string_view line = kLines[static_cast<size_t>(cls) % kLines.size()];
    // 19 % is the general rate of the insurance tax, which the window's
    // hidden fourth row stands for: contracts at it are no near miss.
    constexpr double kGeneralRate = 19.0;
    bool oldRate = false, knownRate = rate == kGeneralRate;
    for (const VSteuerRow& row : kVSteuerRows) {
        if (row.line != line)
            continue;
        oldRate = oldRate || row.oldRate == rate;
        knownRate = knownRate || row.oldRate == rate || row.newRate == rate;
    }
    if (cls < static_cast<int>(kLines.size())) {
        if (!knownRate)
            journal.NearMiss(r, block.Record(r),
                             "Satz " + ShownRate(rate) +
                                 " ist keiner der alten oder neuen Sätze "
                                 "der Sparte " +
                                 std::string(line));
    } else if (oldRate) {
        journal.NearMiss(r, block.Record(r),
                         "Sparte \"" + norm + "\" weicht nur in der Schreibweise von \"" +
                             std::string(line) + "\" ab");
    }
}

VSteuerUmstellung::Result VSteuerUmstellung::Preview(VSteuerJournal& journal) {
    Result result;
    if (!server_.Used() || !FindFields())
        return result;
    RecordBlock block;
    std::string before;
    const uint32_t per = std::max<uint32_t>(1, kBlockBytes / server_.RecordLength());
    const bool hideDeleted = GetDeleted();
    for (uint32_t first = 1; server_.ReadBlock(first, per, block) > 0; first += block.Count()) {
        for (uint32_t r = first; r < first + block.Count(); ++r) {
            if (hideDeleted && block.Deleted(r))
                continue;
            const int row = RowOf(block, r);
            if (row < 0) {
                CheckNearMiss(block, r, journal);
                continue;
            }
            ++result.counts.row[static_cast<size_t>(row)];
            const VSteuerRow& rr = kVSteuerRows[static_cast<size_t>(row)];
            Usual steuer = block.FieldGet(r, at_.steuerdm);
            Usual beitrag = steuer.IsNumeric() ? block.FieldGet(r, at_.beitrag) : Usual();
            before.assign(block.Record(r));
            if (!steuer.IsNumeric() || !beitrag.IsNumeric() ||
                !block.PutFields(
                    r, {{at_.beitrag,
                         Usual(ConvertVSteuerBeitrag(rr.oldRate, rr.newRate, steuer.AsFloat(),
                                                     beitrag.AsFloat()))},
                        {at_.steuerdm,
                         Usual(ConvertVSteuer(rr.oldRate, rr.newRate, steuer.AsFloat()))},
                        {at_.vsteuer, Usual(rr.newRate)}})) {
                ++result.skipped;
                journal.Left(r, before, VSteuerJournal::Why::Unreadable);
                continue;
            }
            ++result.converted;
            journal.Changing(r, row, before, block.Record(r));
        }
        journal.Keep();
    }
    server_.GoTo(server_.RecCount() + 1);
    return result;
}

VSteuerUmstellung::Result VSteuerUmstellung::Restore(const RestoreSource& source,
                                                     VSteuerJournal& journal, int waitMs,
                                                     const Progress& progress, uint64_t total) {
    Result result;
    if (!server_.Used() || !FindFields())
        return result;
    const uint32_t span = std::max<uint32_t>(1, kRunBytes / server_.RecordLength());
    RestoreRun run;
    VSteuerRestore next;
    bool have = source(next);
    uint64_t done = 0;
    uint32_t shown = 0;
    while (have) {
        // A run: ascending records within the span of a converting run.
        run.entries.clear();
        const uint32_t first = next.recNo;
        while (have && run.entries.size() < kRunContracts && next.recNo >= first &&
               next.recNo - first < span &&
               (run.entries.empty() || next.recNo > run.entries.back().recNo)) {
            run.entries.push_back(std::move(next));
            next = VSteuerRestore();
            have = source(next);
        }
        done += run.entries.size();
        // Records the table no longer has.
        const uint32_t count = server_.RecCount();
        while (!run.entries.empty() &&
               (run.entries.back().recNo > count || run.entries.back().recNo == 0)) {
            journal.Left(run.entries.back().recNo, {}, VSteuerJournal::Why::Missing);
            ++result.conflicts;
            run.entries.pop_back();
        }
        if (run.entries.empty())
            continue;
        const uint32_t last = run.entries.back().recNo;
        if (server_.LockRun(run.entries.front().recNo, last)) {
            RestoreLocked(run, run.entries, journal, result);
            server_.UnlockRun();
        } else if (server_.Status().IsNil()) {
            // Another program holds a record of the run: each record on its
            // own, tried for the wait, then left and listed.
            for (const VSteuerRestore& e : run.entries) {
                bool held = false;
                for (const int64_t until = NowMs() + waitMs;;) {
                    if ((held = server_.LockRun(e.recNo, e.recNo)) || !server_.Status().IsNil() ||
                        NowMs() >= until)
                        break;
                    SleepMs(20);
                }
                if (held) {
                    RestoreLocked(run, std::span<const VSteuerRestore>(&e, 1), journal, result);
                    server_.UnlockRun();
                } else {
                    ++result.skipped;
                    const bool locked = server_.Status().IsNil();
                    result.locked += locked ? 1 : 0;
                    journal.Left(
                        e.recNo, {},
                        locked ? VSteuerJournal::Why::Locked : VSteuerJournal::Why::Unreadable);
                }
            }
        } else {
            for (const VSteuerRestore& e : run.entries) {
                ++result.skipped;
                journal.Left(e.recNo, {}, VSteuerJournal::Why::Unreadable);
            }
        }
        const uint32_t percent = static_cast<uint32_t>(done * 100 / std::max<uint64_t>(1, total));
        if (percent > shown && progress) {
            shown = percent;
            progress(percent);
        }
    }
    journal.Durable();
    server_.Commit();
    return result;
}

void VSteuerUmstellung::RestoreLocked(RestoreRun& run, std::span<const VSteuerRestore> entries,
                                      VSteuerJournal& journal, Result& result) {
    const uint32_t first = entries.front().recNo, last = entries.back().recNo;
    if (server_.ReadBlock(first, last - first + 1, run.block) != last - first + 1) {
        for (const VSteuerRestore& e : entries) {
            ++result.skipped;
            journal.Left(e.recNo, {}, VSteuerJournal::Why::Unreadable);
        }
        return;
    }
    const std::array<int, 3> pos{at_.vsteuer, at_.steuerdm, at_.beitrag};
    uint32_t firstChanged = 0, lastChanged = 0, changed = 0;
    for (const VSteuerRestore& e : entries) {
        const std::array<std::string_view, 3> now = Numbers(run.block.Record(e.recNo));
        auto same = [&](const std::array<std::string, 3>& want) {
            return std::equal(now.begin(), now.end(), want.begin());
        };
        if (same(e.to)) {
            run.before.assign(run.block.Record(e.recNo));
            bool fits = true;
            for (size_t i = 0; i < pos.size(); ++i)
                fits = fits && run.block.PutFieldText(e.recNo, pos[i], e.from[i]);
            if (!fits) {
                // A protocol of a table whose fields have other widths.
                for (size_t i = 0; i < pos.size(); ++i)
                    run.block.PutFieldText(e.recNo, pos[i], now[i]);
                ++result.conflicts;
                journal.Left(e.recNo, run.before, VSteuerJournal::Why::Conflict);
                continue;
            }
            journal.Changing(e.recNo, -1, run.before, run.block.Record(e.recNo));
            if (changed++ == 0)
                firstChanged = e.recNo;
            lastChanged = e.recNo;
        } else if (same(e.from)) {
            ++result.already;
        } else {
            ++result.conflicts;
            journal.Left(e.recNo, run.block.Record(e.recNo), VSteuerJournal::Why::Conflict);
        }
    }
    if (changed == 0)
        return;
    if (!journal.Keep()) {
        result.skipped += changed;
    } else if (server_.WriteRun(run.block, firstChanged, lastChanged)) {
        journal.Written();
        result.converted += changed;
    } else {
        journal.Failed();
        result.skipped += changed;
    }
}

}  // namespace kp

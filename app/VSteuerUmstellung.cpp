#include "app/VSteuerUmstellung.h"

#include <algorithm>
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
void Restore(DBServer& server, const std::array<std::pair<Symbol, double>, 3>& old,
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
    return true;
}

int VSteuerUmstellung::RowOf(RecordBlock& block, uint32_t r) {
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
                return -1;
            rate = v.AsFloat();
        }
    }
    // Most contracts are at a rate no row converts.
    if (std::none_of(kVSteuerRows.begin(), kVSteuerRows.end(),
                     [rate](const VSteuerRow& row) { return row.oldRate == rate; }))
        return -1;
    return FindVSteuerRow(rate, [&] { return LineOf(block, r); });
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
            for (uint32_t r = first; r <= last; ++r)
                w.result.skipped += affected(r) ? 1 : 0;
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
        if (server_.WriteRun(w.run, firstChanged, lastChanged)) {
            Converted(w, changed);
            if (runWritten_)
                runWritten_(firstChanged, lastChanged);
        } else {
            w.result.skipped += changed;
        }
        changed = 0;
    };

    // Read again under the lock: another program may have changed a contract
    // since the block was read, and the new values must be computed from
    // what is stored now.
    if (server_.ReadBlock(first, last - first + 1, w.run) != last - first + 1) {
        for (uint32_t r = first; r <= last; ++r)
            w.result.skipped += affected(r) ? 1 : 0;
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
                continue;
            }
            const double neuBeitrag =
                ConvertVSteuerBeitrag(rr.oldRate, rr.newRate, steuer.AsFloat(), beitrag.AsFloat());
            const double neuSteuer = ConvertVSteuer(rr.oldRate, rr.newRate, steuer.AsFloat());
            if (!w.run.PutFields(r, {{at_.beitrag, Usual(neuBeitrag)},
                                     {at_.steuerdm, Usual(neuSteuer)},
                                     {at_.vsteuer, Usual(rr.newRate)}})) {
                ++w.result.skipped;
                continue;
            }
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
        return;
    }
    const double neuBeitrag = ConvertVSteuerBeitrag(rr.oldRate, rr.newRate, *steuer, *beitrag);
    const double neuSteuer = ConvertVSteuer(rr.oldRate, rr.newRate, *steuer);
    const std::array<std::pair<Symbol, double>, 3> old{
        {{FldBeitrag(), *beitrag}, {FldSteuerDM(), *steuer}, {FldVSteuer(), rr.oldRate}}};
    const std::array<double, 3> neu{neuBeitrag, neuSteuer, rr.newRate};
    size_t written = 0;
    try {
        while (written < old.size() && Write(server_, old[written].first, neu[written]))
            ++written;
    } catch (...) {
        // A break out of the error handler: undo this record only.
        Restore(server_, old, written);
        throw;
    }
    if (written < old.size()) {
        Restore(server_, old, written);
        ++w.result.skipped;
        return;
    }
    Converted(w, 1);
    for (uint32_t p : w.pending)
        if (*w.progress)
            (*w.progress)(p);
    w.pending.clear();
}

}  // namespace kp

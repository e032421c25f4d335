#include "app/VSteuerUmstellung.h"

#include <optional>

#include "platform/data/dbserver.h"
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

VSteuerCounts VSteuerUmstellung::Count() {
    VSteuerCounts counts;
    server_.GoTop();
    while (!server_.EoF()) {
        if (auto rate = ReadNumber(server_, FldVSteuer())) {
            int row = FindVSteuerRow(*rate, [this] { return ReadLine(server_); });
            if (row >= 0)
                ++counts.row[static_cast<size_t>(row)];
        }
        if (!server_.Skip(1) && !server_.EoF())
            break;  // a failed move must not loop forever
    }
    return counts;
}

VSteuerUmstellung::Result VSteuerUmstellung::Convert(uint32_t affectedTotal,
                                                     const Progress& progress) {
    Result result;
    position_ = 0;
    uint32_t shown = 0;
    const uint64_t divisor = affectedTotal == 0 ? 1 : affectedTotal;

    server_.GoTop();
    while (!server_.EoF()) {
        std::optional<double> rate = ReadNumber(server_, FldVSteuer());
        int row = rate ? FindVSteuerRow(*rate, [this] { return ReadLine(server_); }) : -1;
        if (row >= 0) {
            // Lock the record and read it again under the lock: another
            // program may have changed it since the walk read it, and the new
            // values must be computed from what is stored now.
            if (!server_.RLock()) {
                ++result.skipped;
                row = -1;
            } else if (GetDeleted() && server_.Deleted()) {
                row = -1;  // deleted meanwhile: no longer a contract to convert
            } else {
                rate = ReadNumber(server_, FldVSteuer());
                row = rate ? FindVSteuerRow(*rate, [this] { return ReadLine(server_); }) : -1;
            }
        }
        if (row >= 0) {
            const VSteuerRow& r = kVSteuerRows[static_cast<size_t>(row)];
            // Every value is read before anything is written: a record whose
            // numbers cannot be read is left as it is.
            std::optional<double> steuer = ReadNumber(server_, FldSteuerDM());
            std::optional<double> beitrag =
                steuer ? ReadNumber(server_, FldBeitrag()) : std::nullopt;
            if (!steuer || !beitrag) {
                ++result.skipped;
            } else {
                const double neuBeitrag =
                    ConvertVSteuerBeitrag(r.oldRate, r.newRate, *steuer, *beitrag);
                const double neuSteuer = ConvertVSteuer(r.oldRate, r.newRate, *steuer);
                const std::array<std::pair<Symbol, double>, 3> old{{{FldBeitrag(), *beitrag},
                                                                    {FldSteuerDM(), *steuer},
                                                                    {FldVSteuer(), r.oldRate}}};
                const std::array<double, 3> neu{neuBeitrag, neuSteuer, r.newRate};
                size_t written = 0;
                try {
                    while (written < old.size() && Write(server_, old[written].first, neu[written]))
                        ++written;
                } catch (...) {
                    // A break out of the error handler: undo this record only.
                    Restore(server_, old, written);
                    throw;
                }
                if (written == old.size()) {
                    ++result.converted;
                    position_ = static_cast<uint32_t>(uint64_t{result.converted} * 100 / divisor);
                    if (shown < position_) {
                        shown = position_;
                        if (progress)
                            progress(position_);
                    }
                } else {
                    Restore(server_, old, written);
                    ++result.skipped;
                }
            }
        }
        if (!server_.Skip(1) && !server_.EoF())
            break;
    }
    // Release the lock of the last record written and put it on disk now,
    // not when the window closes the table.
    server_.Commit();
    return result;
}

}  // namespace kp

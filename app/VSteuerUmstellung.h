#pragma once
// The 2010 insurance-tax conversion of the contract table, without any
// window: the rows that say which contracts change, the two conversion
// formulas, and the two walks over the table (counting and converting).
// The conversion window drives this class and shows what it reports.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kp {

class DBServer;

// Contracts of one line of insurance at one old rate go to a new rate.
struct VSteuerRow {
    std::string_view line;  // normalised line name (trimmed, upper case)
    double oldRate;
    double newRate;
};

// Tested in this order; the first match wins.
inline constexpr std::array<VSteuerRow, 3> kVSteuerRows{{
    {"WOHNGEBÄUDE", 17.75, 16.34},
    {"WOHNGEBÄUDE", 14.0, 13.2},
    {"HAUSRAT", 18.0, 16.15},
}};

// The new tax amount: the tax per rate point times the new rate.
double ConvertVSteuer(double oldRate, double newRate, double steuer);
// The new premium: the net premium plus the new tax amount.
double ConvertVSteuerBeitrag(double oldRate, double newRate, double steuer, double beitrag);

// Leading and trailing blanks removed, then upper case ("  Wohngebäude "
// -> "WOHNGEBÄUDE").
std::string NormalizeSparte(std::string_view line);

// Index of the row a contract belongs to, or -1. Rates are compared as
// numbers; the line is only fetched when a rate matches, so a table walk
// reads the character field of the few candidate records only.
int FindVSteuerRow(double rate, const std::function<std::string()>& line);

struct VSteuerCounts {
    std::array<uint32_t, kVSteuerRows.size()> row{};
    uint32_t Total() const { return row[0] + row[1] + row[2]; }
};

// Walks the open contract table. Every failure of the table (a damaged
// number, a record held locked by another program) is raised by the data
// server through the error block; the walk never writes part of a record.
class VSteuerUmstellung {
  public:
    // Called with the new whole percentage, only when it has grown.
    using Progress = std::function<void(uint32_t percent)>;

    struct Result {
        uint32_t converted = 0;
        uint32_t skipped = 0;  // affected records left unchanged after an error
    };

    explicit VSteuerUmstellung(DBServer& server) : server_(server) {}

    // Counts the contracts per row, from the first record to the end.
    VSteuerCounts Count();

    // Converts every affected contract. The percentage is converted x 100 /
    // affectedTotal (which must not be 0), so it moves at most 100 times for
    // a table that has not grown since it was counted. A break out of the
    // error handler unwinds through here: what was converted stays
    // converted, the rest stays untouched.
    Result Convert(uint32_t affectedTotal, const Progress& progress);

    // The latest percentage computed by Convert.
    uint32_t Position() const { return position_; }

  private:
    DBServer& server_;
    uint32_t position_ = 0;
};

}  // namespace kp

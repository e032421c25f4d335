#pragma once
// The demo contract table: Vertrag.DBF with a realistic mix of insurance
// lines and tax rates, some deleted records and a few memos, plus the two
// search indexes Vertrag5.ntx (VERSNR) and Vertrag6.ntx (ORT_S_FZKZ).
#include <cstdint>
#include <string>
#include <vector>

namespace kp::demo {

struct Summary {
    uint32_t records = 0;
    uint32_t deleted = 0;
    // Live records per conversion row: WOHNGEBÄUDE at 17.75, at 14, HAUSRAT at 18.
    uint32_t row1 = 0, row2 = 0, row3 = 0;
};

// Writes dir/Vertrag.DBF (+ .DBT) and the two indexes; throws DbError.
// About 40 % of the contracts are affected by the conversion; with
// affectedPercent >= 0 about that share is (the others of those get 19 %).
Summary WriteVertrag(const std::string& dir, uint32_t count, uint64_t seed, bool withIndexes = true,
                     int affectedPercent = -1);

// ---- The suite's tables (docs/tables.md describes each one).

struct SuiteSummary {
    Summary vertrag;        // as WriteVertrag gives it for the same count and seed
    uint32_t adressen = 0;  // address records: ...
    uint32_t kunden = 0;    // ... customers (every address number of Vertrag.DBF)
    uint32_t gesell = 0, vermitt = 0;
    uint32_t dokName = 0, dokVW = 0, textVor = 0, datWV = 0;
    uint32_t letters = 0;  // RTF files under Texte\ (letters and templates)
};

// Writes every table the library reads or writes into dir, with their NTX
// indexes, in code page 850: Vertrag.DBF exactly as WriteVertrag writes it
// (same bytes for the same count and seed), Adressen.dbf with one customer
// for each address number of the contracts and some prospects, GesellA.dbf,
// Vermitt.dbf, the document tables DokName.dbf, DokVW.dbf, TextVor.dbf and
// DatWV.dbf, and the folders Texte\Kunden\, Texte\Gesell\ and
// Texte\Vermitt\ with a few RTF letters and templates that the document
// tables register. Existing files are overwritten. Throws DbError (tables)
// or std::filesystem::filesystem_error (folders, letters).
SuiteSummary WriteSuite(const std::string& dir, uint32_t contracts = 200, uint64_t seed = 1);

struct SuiteIndex {
    std::string file;  // "Adressnr.ntx"
    std::string key;   // its key expression
};
struct SuiteTable {
    std::string file;                 // "Adressen.dbf"
    std::vector<SuiteIndex> indexes;  // in order: order 1, 2, ...
};
// The tables WriteSuite writes, with their indexes in order.
std::vector<SuiteTable> SuiteTables();

// Writes one of those tables (not Vertrag.DBF) empty into dir, with its
// indexes; false for a file name that is not one of them.
bool WriteEmptySuiteTable(const std::string& dir, const std::string& file);

}  // namespace kp::demo

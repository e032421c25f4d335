#pragma once
// What the search dialogs seek, in which order, and the hit lists they show.
// Plain functions over a DBServer, without windows, so that tests and
// benchmarks call them directly; the dialogs only add the asking.
//
// Every hit list entry begins with the six characters of the address number
// (ADRESSNR) that the selection list hands back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kp {

class DBServer;

// The contract hit list shows at most this many contracts.
inline constexpr size_t kContractHitLimit = 100;

// "ADRESSNR  VNAME NNAME STRASSE PLZ ORT" of the current address record
// (the names and the address trimmed at the right).
std::string AddressEntry(DBServer& adressen);

// The contract list's entry of the current contract: "ADRESSNR  NNAME  "
// followed by the trimmed VERSNR (byVersNr) or by VERSNR and the trimmed
// ORT_S_FZKZ.
std::string ContractEntry(DBServer& vertrag, bool byVersNr);

// Whether the first Len(term) characters of text, in upper case, are term
// (term in upper case).
bool StartsWithTerm(std::string_view text, std::string_view term);

// The surname search over an address table in surname order (an index on
// UPPER(NNAME+VNAME)). letterFound tells whether any surname begins with the
// term's first letter (the selection list is shown only then); hits lists
// every address whose surname begins with the term, in index order. Seeks
// the term itself rather than walking every name of the letter, which gives
// the same list. Leaves the server on an arbitrary record.
struct SurnameSearch {
    bool letterFound = false;
    std::vector<std::string> hits;
};
SurnameSearch FindSurnames(DBServer& adressen, const std::string& term);

// The contract search over Vertrag.dbf in the order of the chosen field
// (VERSNR or ORT_S_FZKZ). found: a contract's field begins with the term;
// firstRecNo and firstAdressNr are those of the first such contract in
// index order. When at least two contracts match, hits lists the first
// kContractHitLimit of them (several is true) with their record numbers.
struct ContractSearch {
    bool found = false;
    bool several = false;
    uint32_t firstRecNo = 0;
    std::string firstAdressNr;
    std::vector<std::string> hits;
    std::vector<uint32_t> recNos;  // parallel to hits
};
ContractSearch FindContracts(DBServer& vertrag, bool byVersNr, const std::string& term,
                             size_t limit = kContractHitLimit);

// The full-text search: every address whose VNAME or NNAME contains the
// term (in any mix of case), from the first record (wholeTable) or from the
// current one. The whole table is read in record order in blocks, without
// moving the record pointer per record; the rest of it follows the
// server's order. Afterwards the server stands at the end of the table.
// Deleted records are skipped when the run-time hides them.
std::vector<std::string> FindContaining(DBServer& adressen, const std::string& term,
                                        bool wholeTable);

}  // namespace kp

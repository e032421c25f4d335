#pragma once
// Verification of a table and its indexes, for the admin tool and the
// tests: every record decodes, the header agrees with the file, and every
// index is a well-formed tree whose keys are in order, point at existing
// records, match those records and cover each of them.
#include <cstdint>
#include <string>
#include <vector>

namespace kp {

struct CheckReport {
    uint32_t records = 0;
    uint32_t deleted = 0;
    std::vector<uint64_t> indexKeys;  // per index
    std::vector<std::string> faults;  // anything here fails the check
    std::vector<std::string> notes;   // unusual but readable
    bool Ok() const { return faults.empty(); }
};

CheckReport CheckTable(const std::string& dbfPath, const std::vector<std::string>& ntxPaths,
                       int codePage);

}  // namespace kp

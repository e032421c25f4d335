#pragma once
// The demo contract table: Vertrag.DBF with a realistic mix of insurance
// lines and tax rates, some deleted records and a few memos, plus the two
// search indexes Vertrag5.ntx (VERSNR) and Vertrag6.ntx (ORT_S_FZKZ).
#include <cstdint>
#include <string>

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

}  // namespace kp::demo

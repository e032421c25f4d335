// kpdemo <dir> <N> [seed]: writes a demo Vertrag.DBF with N contracts and
// its indexes Vertrag5.ntx and Vertrag6.ntx into dir.
#include <cstdio>
#include <cstdlib>

#include "platform/data/dberror.h"
#include "tools/demodata/demodata.h"
#include "tools/kpdb/args.h"

int main(int argc, char** argv) {
    auto args = kp::tools::Arguments(argc, argv);
    if (args.size() < 3 || args.size() > 4) {
        std::fputs("usage: kpdemo <dir> <N> [seed]\n", stderr);
        return 2;
    }
    long n = std::atol(args[2].c_str());
    if (n < 0 || n > 5000000) {
        std::fputs("kpdemo: N must be 0 to 5000000\n", stderr);
        return 2;
    }
    uint64_t seed = args.size() == 4 ? std::strtoull(args[3].c_str(), nullptr, 10) : 1;
    try {
        auto s = kp::demo::WriteVertrag(args[1], static_cast<uint32_t>(n), seed);
        std::printf(
            "Vertrag.DBF: %u contracts, %u deleted; WOHNGEBÄUDE 17.75: %u, WOHNGEBÄUDE 14: %u, "
            "HAUSRAT 18: %u\n",
            s.records, s.deleted, s.row1, s.row2, s.row3);
    } catch (const kp::DbError& e) {
        std::fprintf(stderr, "kpdemo: %s: %s (os %u)\n", e.fileName.c_str(), e.description.c_str(),
                     e.osCode);
        return 1;
    }
    return 0;
}

// kpdemo <dir> <N> [seed]: writes a demo Vertrag.DBF with N contracts and
// its indexes Vertrag5.ntx and Vertrag6.ntx into dir.
// kpdemo --suite <dir> [N] [seed]: writes every table of the suite (N
// contracts, 200 by default) with its indexes and the letter folders
// (docs/tables.md).
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/data/dberror.h"
#include "tools/demodata/demodata.h"
#include "tools/kpdb/args.h"

namespace {

int Suite(const std::vector<std::string>& args) {
    if (args.size() < 3 || args.size() > 5) {
        std::fputs("usage: kpdemo --suite <dir> [N] [seed]\n", stderr);
        return 2;
    }
    long n = args.size() >= 4 ? std::atol(args[3].c_str()) : 200;
    if (n < 0 || n > 5000000) {
        std::fputs("kpdemo: N must be 0 to 5000000\n", stderr);
        return 2;
    }
    uint64_t seed = args.size() == 5 ? std::strtoull(args[4].c_str(), nullptr, 10) : 1;
    try {
        std::filesystem::create_directories(
            std::filesystem::path(std::u8string(args[2].begin(), args[2].end())));
        auto s = kp::demo::WriteSuite(args[2], static_cast<uint32_t>(n), seed);
        std::printf(
            "Vertrag.DBF: %u contracts, %u deleted; WOHNGEBÄUDE 17.75: %u, WOHNGEBÄUDE 14: %u, "
            "HAUSRAT 18: %u\n",
            s.vertrag.records, s.vertrag.deleted, s.vertrag.row1, s.vertrag.row2, s.vertrag.row3);
        std::printf(
            "Adressen.dbf: %u (%u customers); GesellA.dbf: %u; Vermitt.dbf: %u; DokName.dbf: %u; "
            "DokVW.dbf: %u; TextVor.dbf: %u; DatWV.dbf: %u; RTF files: %u\n",
            s.adressen, s.kunden, s.gesell, s.vermitt, s.dokName, s.dokVW, s.textVor, s.datWV,
            s.letters);
    } catch (const kp::DbError& e) {
        std::fprintf(stderr, "kpdemo: %s: %s (os %u)\n", e.fileName.c_str(), e.description.c_str(),
                     e.osCode);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kpdemo: %s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    auto args = kp::tools::Arguments(argc, argv);
    if (args.size() >= 2 && args[1] == "--suite")
        return Suite(args);
    if (args.size() < 3 || args.size() > 4) {
        std::fputs("usage: kpdemo <dir> <N> [seed]\n       kpdemo --suite <dir> [N] [seed]\n",
                   stderr);
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

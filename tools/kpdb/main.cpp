// kpdb: look at and check the suite's tables from the command line.
//   kpdb info  <table>
//   kpdb dump  <table> [--deleted]
//   kpdb index <table> <index> <expression> [--unique]
//   kpdb check <table> [index ...]
// Every command takes --cp 437|850|1252 (the tables' code page, default 850).
// Exit codes: 0 fine, 1 check found faults, 2 usage or open error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/data/check.h"
#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/data/ntx.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/date.h"
#include "tools/kpdb/args.h"
#include "tools/kpdb/dump.h"

namespace {

using namespace kp;

int Usage() {
    std::fputs(
        "usage: kpdb info  <table> [--cp N]\n"
        "       kpdb dump  <table> [--deleted] [--cp N]\n"
        "       kpdb index <table> <index> <expression> [--unique] [--cp N]\n"
        "       kpdb check <table> [index ...] [--cp N]\n",
        stderr);
    return 2;
}

int Info(Table& t) {
    std::printf("table      %s\n", t.Path().c_str());
    std::printf("version    0x%02X\n", t.Version());
    Date d = t.LastUpdate();
    std::printf("updated    %04d-%02d-%02d\n", d.Year(), d.Month(), d.Day());
    std::printf("records    %u (header %u)\n", t.Count(), t.HeaderCount());
    std::printf("header     %u bytes, record %u bytes\n", t.HdrLen(), t.RecLen());
    std::printf("code page  byte 0x%02X, read as %d\n", t.CodePageByte(), t.CodePage());
    std::printf("fields     %zu\n", t.Fields().size());
    for (const auto& f : t.Fields())
        std::printf("  %-10s %c %5d %2d\n", f.name.c_str(), f.type, f.width, f.decimals);
    return 0;
}

int Dump(Table& t, bool withDeleted) {
    // By length: a NUL byte in a field must not end the line.
    DumpTable(t, withDeleted, [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    });
    return std::fflush(stdout) == 0 ? 0 : 2;
}

int Check(const std::string& table, const std::vector<std::string>& idx, int cp) {
    CheckReport rep = CheckTable(table, idx, cp);
    std::printf("records %u (deleted %u)\n", rep.records, rep.deleted);
    for (size_t i = 0; i < rep.indexKeys.size(); ++i)
        std::printf("index %s: %llu keys\n", idx[i].c_str(),
                    static_cast<unsigned long long>(rep.indexKeys[i]));
    for (const auto& n : rep.notes)
        std::printf("note: %s\n", n.c_str());
    for (const auto& f : rep.faults)
        std::printf("FAULT: %s\n", f.c_str());
    std::puts(rep.Ok() ? "check: ok" : "check: FAULTS");
    return rep.Ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = kp::tools::Arguments(argc, argv);
    int cp = 850;
    bool unique = false, deleted = false;
    std::vector<std::string> pos;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--cp" && i + 1 < args.size()) {
            cp = std::atoi(args[++i].c_str());
            if (cp != 437 && cp != 850 && cp != 1252)
                return Usage();
        } else if (args[i] == "--unique") {
            unique = true;
        } else if (args[i] == "--deleted") {
            deleted = true;
        } else {
            pos.push_back(args[i]);
        }
    }
    if (pos.size() < 2)
        return Usage();
    const std::string& cmd = pos[0];
    try {
        if (cmd == "check")
            return Check(pos[1], std::vector<std::string>(pos.begin() + 2, pos.end()), cp);
        TableOptions opt;
        opt.codePage = cp;
        opt.readOnly = cmd != "index";
        if (cmd == "info" && pos.size() == 2) {
            auto t = Table::Open(pos[1], opt);
            return Info(*t);
        }
        if (cmd == "dump" && pos.size() == 2) {
            auto t = Table::Open(pos[1], opt);
            return Dump(*t, deleted);
        }
        if (cmd == "index" && pos.size() == 4) {
            auto t = Table::Open(pos[1], opt);
            NtxIndex::Create(pos[2], *t, pos[3], unique);
            std::printf("index %s created on %s\n", pos[2].c_str(), pos[3].c_str());
            return 0;
        }
    } catch (const kp::DbError& e) {
        std::fprintf(stderr, "kpdb: %s: %s (error %d, os %u)\n", e.fileName.c_str(),
                     e.description.c_str(), e.genCode, e.osCode);
        return 2;
    }
    return Usage();
}

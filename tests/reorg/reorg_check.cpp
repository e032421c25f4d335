#include "tests/reorg/reorg_check.h"

#include <algorithm>
#include <fstream>
#include <memory>

#include "platform/data/check.h"
#include "platform/data/dbf.h"
#include "platform/runtime/utf8.h"
#include "tools/demodata/demodata.h"

namespace kp::reorgtest {

namespace fs = std::filesystem;

namespace {

fs::path Fs(const std::string& utf8) {
    return fs::path(Utf8ToWide(utf8));
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void WriteSuiteWithDeletions(const std::string& dir, uint32_t contracts, uint64_t seed) {
    demo::WriteSuite(dir, contracts, seed);
    DeleteEveryThird(dir);
}

void DeleteEveryThird(const std::string& dir) {
    for (const demo::SuiteTable& t : demo::SuiteTables()) {
        std::unique_ptr<Table> table = Table::Open(dir + t.file, TableOptions{});
        std::vector<char> rec(table->RecLen());
        for (uint32_t r = 3; r <= table->Count(); r += 3) {
            RangeLock lock = table->LockRecord(r);
            table->ReadFresh(r, rec.data());
            rec[0] = '*';
            table->WriteRecord(r, rec.data());
        }
    }
}

LiveRecords ReadLive(const std::string& dir) {
    LiveRecords live;
    for (const demo::SuiteTable& t : demo::SuiteTables()) {
        if (!fs::exists(Fs(dir + t.file)))
            continue;
        TableOptions opt;
        opt.readOnly = true;
        std::unique_ptr<Table> table = Table::Open(dir + t.file, opt);
        std::vector<std::string>& records = live[t.file];
        for (uint32_t r = 1; r <= table->Count(); ++r) {
            const char* stored = table->Fetch(r, true);
            if (stored[0] == '*')
                continue;
            std::string text;
            for (size_t i = 0; i < table->Fields().size(); ++i) {
                const DbfField& f = table->Fields()[i];
                text += '|';
                if (f.type == 'M')
                    text += table->GetValue(stored, static_cast<int>(i)).AsString();
                else
                    text.append(stored + f.offset, static_cast<size_t>(f.width));
            }
            records.push_back(std::move(text));
        }
        std::sort(records.begin(), records.end());
    }
    return live;
}

std::vector<std::string> FolderFaults(const std::string& dir, const LiveRecords& expected) {
    std::vector<std::string> faults;
    for (const demo::SuiteTable& t : demo::SuiteTables()) {
        if (!fs::exists(Fs(dir + t.file))) {
            faults.push_back(t.file + " is missing");
            continue;
        }
        std::vector<std::string> ntx;
        for (const demo::SuiteIndex& x : t.indexes)
            ntx.push_back(dir + x.file);
        try {
            const CheckReport report = CheckTable(dir + t.file, ntx, 850);
            for (const std::string& f : report.faults)
                faults.push_back(t.file + ": " + f);
        } catch (...) {
            faults.push_back(t.file + ": the check cannot open it");
        }
    }
    try {
        const LiveRecords live = ReadLive(dir);
        for (const auto& [table, records] : expected) {
            const auto found = live.find(table);
            if (found == live.end() || found->second != records)
                faults.push_back(table + ": the live records are not the ones there were (" +
                                 std::to_string(found == live.end() ? 0 : found->second.size()) +
                                 " of " + std::to_string(records.size()) + ")");
        }
    } catch (...) {
        faults.push_back("the live records cannot be read");
    }
    for (const auto& e : fs::directory_iterator(Fs(dir))) {
        const std::string name = WideToUtf8(e.path().filename().wstring());
        if (name.find('~') != std::string::npos || EndsWith(name, ".alt") ||
            EndsWith(name, ".jnl") || EndsWith(name, ".lck") || EndsWith(name, ".new") ||
            EndsWith(name, ".srt"))
            faults.push_back(name + " left behind");
    }
    return faults;
}

std::string Lines(const std::vector<std::string>& faults) {
    std::string text;
    for (const std::string& f : faults)
        text += f + "\n";
    return text;
}

void HandOver(const std::string& dir, const fs::path& out, const LiveRecords& live) {
    fs::remove_all(out);
    fs::create_directories(out);
    std::ofstream expected(out / "expected.txt", std::ios::binary);
    for (const auto& [table, records] : live)
        expected << table << "=" << records.size() << "\n";
    for (const auto& e : fs::directory_iterator(Fs(dir)))
        if (e.is_regular_file())
            fs::copy_file(e.path(), out / e.path().filename());
}

}  // namespace kp::reorgtest

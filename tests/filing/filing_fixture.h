#pragma once
// The suite's tables in a fresh folder, opened as the filing dialog opens
// them, for the filing tests (native and under Windows).
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "tools/demodata/demodata.h"
#include "wordpad/dateiInfoRules.h"

namespace kp::test {

class SuiteDir {
  public:
    SuiteDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("kp_filing_" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
        demo::WriteSuite(path_.string(), 40, 7);
    }
    ~SuiteDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    SuiteDir(const SuiteDir&) = delete;
    SuiteDir& operator=(const SuiteDir&) = delete;
    // The folder with its separator at the end, as the shared PATH holds it.
    std::string Path() const { return (path_ / "").string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// A table with its indexes in the order docs/tables.md lists them.
inline std::unique_ptr<DBServer> OpenSuiteTable(const SuiteDir& dir, const std::string& file) {
    for (const demo::SuiteTable& t : demo::SuiteTables()) {
        if (t.file != file)
            continue;
        auto s = std::make_unique<DBServer>(dir.File(file));
        for (const demo::SuiteIndex& x : t.indexes)
            s->SetIndex(dir.File(x.file));
        return s;
    }
    return nullptr;
}

// The run-time as the program sets it up: German dates, OEM tables, shared.
inline void ProgramSettings() {
    SetExclusive(false);
    SetDeleted(true);
    SetAnsi(false);
    SetOemCodePage(850);
    SetDateCountry(5);
    SetCentury(true);
    SetEpoch(1920);
}

}  // namespace kp::test

#pragma once
// The suite's tables in a fresh folder, opened as the filing dialog opens
// them, for the filing tests (native and under Windows).
#include <memory>
#include <string>

#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "tests/common/temp_folder.h"
#include "tools/demodata/demodata.h"
#include "wordpad/dateiInfoRules.h"

namespace kp::test {

class SuiteDir : public TempFolder {
  public:
    SuiteDir() : TempFolder("kp_filing_") { demo::WriteSuite(Folder(), 40, 7); }
    // The folder with its separator at the end, as the shared PATH holds it.
    std::string Path() const { return Folder(); }
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

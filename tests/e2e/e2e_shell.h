#pragma once
// KpShell.exe end to end in a folder of its own: KpShell.ini beside the
// program and its tables in the data folder "Daten" below it. A fixture
// derives from ShellFolderTest, writes its tables and settings in SetUp and
// starts program_ in folder_ in its tests:
//
//   void SetUp() override {
//       ShellFolderTest::SetUp();
//       WriteSuite(80, 5);
//       WriteIni("[Pfade]\r\nDaten=Daten\r\n");
//   }
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/runtime/settings.h"
#include "tests/e2e/e2e_program.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {

class ShellFolderTest : public ::testing::Test {
  protected:
    // The test reads and writes the tables as the shell opens them: shared,
    // deleted records included, characters in the OEM code page.
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        std::filesystem::create_directories(Data());
    }
    // A failed test keeps its folder to look at.
    void TearDown() override {
        if (HasFailure())
            folder_.Keep();
    }

    std::filesystem::path Data() const { return folder_.path() / "Daten"; }
    // The suite's demo tables in the data folder.
    demo::SuiteSummary WriteSuite(uint32_t contracts, uint64_t seed) {
        return demo::WriteSuite(uidriver::Narrow(Data().wstring()), contracts, seed);
    }
    void WriteIni(std::string_view text) {
        std::ofstream ini(folder_.path() / "KpShell.ini", std::ios::binary);
        ini << text;
    }
    // Keys typed into the shell's window, as uidriver::ParseKeys reads them.
    void Keys(std::string_view keys) {
        auto parsed = uidriver::ParseKeys(keys);
        ASSERT_TRUE(parsed) << keys;
        ASSERT_EQ(uidriver::TypeKeys(program_.Window(), *parsed), uidriver::Outcome::kOk) << keys;
    }

    TempFolder folder_;
    E2eProgram program_{"KONTORPLUS"};
};

}  // namespace kp::e2e

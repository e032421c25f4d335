// KpShell.exe end to end: the shell menu, its keys and status bar, and the
// library windows it opens, driven as the office uses them.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/runtime/settings.h"
#include "tests/e2e/e2e_program.h"
#include "tools/demodata/demodata.h"
#include "tools/uidriver/input.h"

namespace kp::e2e {
namespace {

namespace ui = uidriver;

constexpr int kStart = 24565;
constexpr int kSchliessen = 100, kTxt1615 = 110, kTxt1634 = 111, kTxt1320 = 116;

class Shell : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        const auto data = folder_.path() / "Daten";
        std::filesystem::create_directories(data);
        summary_ = demo::WriteVertrag(ui::Narrow(data.wstring()), 400, 7);
        std::ofstream ini(folder_.path() / "KpShell.ini", std::ios::binary);
        ini << "[Pfade]\r\nDaten=Daten\r\n";
    }
    void TearDown() override {
        if (HasFailure())
            folder_.Keep();
    }

    // A form inside the shell's MDI area, by its caption.
    HWND Child(std::string_view caption) {
        HWND found = nullptr;
        E2eProgram::WaitUntil([&] {
            for (const ui::ControlInfo& c : ui::ListControls(program_.Window()))
                if (c.text == caption && c.window_class == "KpFrame" && c.visible)
                    found = c.hwnd;
            return found != nullptr;
        });
        return found;
    }
    std::string Status() {
        HWND bar = ui::FindControlByClass(program_.Window(), "msctls_statusbar32");
        return bar ? ui::Text(bar).value_or("?") : "(no status bar)";
    }
    void Keys(std::string_view keys) {
        auto parsed = ui::ParseKeys(keys);
        ASSERT_TRUE(parsed);
        ASSERT_EQ(ui::TypeKeys(program_.Window(), *parsed), ui::Outcome::kOk);
    }

    TempFolder folder_;
    E2eProgram program_{"KONTORPLUS"};
    demo::Summary summary_;
};

TEST_F(Shell, StartOpensTheConversionOnTheDataPathAndAltF4Ends) {
    program_.Start(folder_.path());
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), kStart), ui::Outcome::kOk);
    HWND conversion = Child("VeltoTax2010");
    ASSERT_TRUE(conversion) << "the conversion window did not open inside the shell";
    // The counts are those of the data path's table, not of the program's folder.
    EXPECT_EQ(program_.Text(kTxt1615), std::to_string(summary_.row3));
    EXPECT_EQ(program_.Text(kTxt1634), std::to_string(summary_.row1));
    EXPECT_EQ(program_.Text(kTxt1320), std::to_string(summary_.row2));

    // "&Schliessen" closes the window; the shell goes on.
    program_.Click(kSchliessen);
    EXPECT_TRUE(E2eProgram::WaitUntil(
        [&] { return !IsWindow(conversion) || !IsWindowVisible(conversion); }));
    EXPECT_TRUE(program_.Running());

    Keys("Alt+F4");
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(Shell, MenuItemsShowTheirHelpTextInTheStatusBar) {
    program_.Start(folder_.path());
    EXPECT_EQ(Status(), "");
    // The file menu opens with its first item selected.
    Keys("Alt+D");
    EXPECT_TRUE(E2eProgram::WaitUntil([&] {
        return Status() == "Öffnen eines DataWindows  *.dbf";
    })) << Status();
    Keys("Down Down");  // past "Datei neu" (grey) to "S&tart "
    EXPECT_TRUE(E2eProgram::WaitUntil([&] { return Status() == "den Startbildschirm öffnen"; }))
        << Status();
    Keys("Escape Escape");
    // "&Ende" from the menu ends the shell.
    ASSERT_EQ(ui::ChooseMenuItem(program_.Window(), 24580), ui::Outcome::kOk);
    EXPECT_EQ(program_.WaitExit(), 0u);
}

}  // namespace
}  // namespace kp::e2e

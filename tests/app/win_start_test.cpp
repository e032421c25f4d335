// The application's start: the run-time options it sets before the window
// opens the table, the message loop, and the release of the global store
// when the loop ends.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/Start.h"
#include "app/funGlobal.h"
#include "platform/data/dbserver.h"
#include "platform/gui/drawing.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/utf8.h"
#include "tests/app/test_support.h"
#include "titles/Farbverlauf.h"

namespace kp {
namespace {

// What the timer saw while the loop ran; the timer procedure has no
// context of its own.
struct Seen {
    std::string table;
    bool window = false;
    std::string count1615;
    bool sharedOpen = false;
    int ticks = 0;
};
Seen& Observed() {
    static Seen seen;
    return seen;
}

std::string ControlText(HWND frame, int id) {
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (HWND item = GetDlgItem(c, id)) {
            wchar_t buf[64] = {};
            GetWindowTextW(item, buf, 64);
            return WideToUtf8(buf);
        }
    }
    return "?";
}

// Looks at the conversion window once it is there and closes it from its
// close box; gives up (ending the loop) after ten seconds.
void CALLBACK Look(HWND, UINT, UINT_PTR timer, DWORD) {
    Seen& s = Observed();
    HWND w = FindWindowW(nullptr, L"VeltoTax2010");
    if (w && IsWindowVisible(w)) {
        KillTimer(nullptr, timer);
        s.window = true;
        s.count1615 = ControlText(w, 110);
        // Opened shared: another program can open the table meanwhile.
        DBServer other(s.table);
        s.sharedOpen = other.Used();
        other.Close();
        PostMessageW(w, WM_CLOSE, 0, 0);
    } else if (++s.ticks > 200) {
        KillTimer(nullptr, timer);
        PostQuitMessage(99);
    }
}

class StartTest : public ::testing::Test, public test::ErrorSysFixture {
  protected:
    static void SetUpTestSuite() {
        InitGuiLibrary();
        RegisterTitelClasses();
    }
};

TEST_F(StartTest, SetsTheRunTimeOptionsRunsTheWindowAndReleasesTheGlobalStore) {
    const std::string table = dir.File("Vertrag.DBF");
    test::MakeVertrag(table, {{"HAUSRAT", 18, 18, 118},
                              {"HAUSRAT", 18, 18, 118, true},  // deleted: not counted
                              {"HAUSRAT", 18, 18, 118}});
    // Options as far from the office's as possible.
    SetDateCountry(1);
    SetCentury(false);
    SetEpoch(1900);
    SetAnsi(true);
    SetDeleted(false);
    SetExclusive(true);
    auto font = std::make_shared<Font>(8, "MS Sans Serif");
    const HFONT hFont = font->Handle();
    FunGlobal(Symbol("EDITFONT"), Usual(std::shared_ptr<Object>(font)), GlobalPut());

    Observed() = Seen{};
    Observed().table = table;
    ASSERT_NE(SetTimer(nullptr, 0, 50, &Look), 0u);
    VeltoApp app;
    app.Start();

    const Seen& seen = Observed();
    ASSERT_TRUE(seen.window) << "the conversion window did not come up";
    EXPECT_EQ(seen.count1615, "2");
    EXPECT_TRUE(seen.sharedOpen);
    EXPECT_TRUE(host.boxes.empty());

    EXPECT_EQ(GetDateCountry(), 5);
    EXPECT_TRUE(GetCentury());
    EXPECT_EQ(GetEpoch(), 1920);
    EXPECT_FALSE(GetAnsi());
    EXPECT_TRUE(GetDeleted());
    EXPECT_FALSE(GetExclusive());
    EXPECT_EQ(DToC(Date::FromYMD(2010, 3, 4)), "04.03.2010");
    EXPECT_EQ(CToD("01.02.19"), Date::FromYMD(2019, 2, 1));
    EXPECT_EQ(CToD("01.02.20"), Date::FromYMD(1920, 2, 1));

    // The global store was released when the loop ended.
    EXPECT_TRUE(GetGlobal(Symbol("EDITFONT")).IsNil());
    EXPECT_EQ(GetObjectType(hFont), 0u);
}

}  // namespace
}  // namespace kp

// The conversion window on tables made by the data engine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/dtaStart.h"
#include "app/funGlobal.h"
#include "platform/gui/app.h"
#include "platform/runtime/date.h"
#include "platform/runtime/program.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/utf8.h"
#include "tests/app/test_support.h"
#include "tests/app/win_support.h"
#include "titles/Farbverlauf.h"

namespace kp {
namespace {

using test::Contract;

HWND Item(DtaStart& w, int id) {
    return GetDlgItem(w.__GetFormSurface()->Handle(), id);
}
std::string Text(DtaStart& w, int id) {
    wchar_t buf[128] = {};
    GetWindowTextW(Item(w, id), buf, 128);
    return WideToUtf8(buf);
}
bool Visible(DtaStart& w, int id) {
    return (GetWindowLongPtrW(Item(w, id), GWL_STYLE) & WS_VISIBLE) != 0;
}
bool Enabled(DtaStart& w, int id) {
    return IsWindowEnabled(Item(w, id)) != 0;
}

class DtaStartTest : public ::testing::Test, public test::ErrorSysFixture {
  protected:
    static void SetUpTestSuite() {
        InitGuiLibrary();
        RegisterTitelClasses();
    }
    void SetUp() override {
        SetDeleted(true);
        SetExclusive(false);
        SetAnsi(false);
        folder = dir.Path().string() + "\\";
    }
    std::string folder;
    test::FakePresenter presenter;
    ScopedPresenter scoped{presenter};
};

TEST_F(DtaStartTest, LayoutAndCounts) {
    test::MakeVertrag(folder + "Vertrag.DBF", {{"HAUSRAT", 18, 18, 118},
                                               {"WOHNGEBÄUDE", 17.75, 35.5, 235.5},
                                               {" wohngebäude", 17.75, 1, 2},
                                               {"WOHNGEBÄUDE", 14, 14, 114},
                                               {"HAUSRAT", 18, 1, 2, true}});
    DtaStart w(nullptr, folder);
    EXPECT_EQ(w.Caption(), "VeltoTax2010");
    EXPECT_EQ(Text(w, 110), "1");  // Txt1615
    EXPECT_EQ(Text(w, 111), "2");  // Txt1634
    EXPECT_EQ(Text(w, 116), "1");  // Txt1320
    EXPECT_EQ(Text(w, 112), "0");  // Txt1900, hidden
    EXPECT_FALSE(Visible(w, 112));
    EXPECT_FALSE(Visible(w, 109));
    EXPECT_FALSE(Visible(w, 114));  // Balken
    EXPECT_FALSE(Visible(w, 113));  // TxtDebug
    EXPECT_TRUE(Enabled(w, 106));
    EXPECT_EQ(w.AffectedTotal(), 4u);
    EXPECT_EQ(Text(w, 106), "&Anpassen");
    EXPECT_EQ(Text(w, 103), "Produkt:");
    EXPECT_EQ(Text(w, 102), "Verträge auf 16,15%");
    // Right-aligned counts, bold headings.
    EXPECT_NE(GetWindowLongPtrW(Item(w, 110), GWL_STYLE) & SS_RIGHT, 0);
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(w, 103), WM_GETFONT, 0, 0)), sizeof lf,
               &lf);
    EXPECT_GE(lf.lfWeight, FW_BOLD);
    // Fixed frame without maximise box.
    const LONG_PTR style = GetWindowLongPtrW(w.Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
}

TEST_F(DtaStartTest, NothingToConvertDisablesAnpassen) {
    test::MakeVertrag(folder + "Vertrag.DBF", {{"KFZ", 19, 19, 119}});
    DtaStart w(nullptr, folder);
    for (int id : {110, 111, 116})
        EXPECT_EQ(Text(w, id), "0");
    EXPECT_FALSE(Enabled(w, 106));
    EXPECT_TRUE(Enabled(w, 100));
}

TEST_F(DtaStartTest, ConversionEndsWithTheInfoBoxAndSchliessenEnabled) {
    std::vector<Contract> rows(300, Contract{"HAUSRAT", 18, 18, 118});
    test::MakeVertrag(folder + "Vertrag.DBF", rows);
    DtaStart w(nullptr, folder);
    w.Show();
    // A close request that arrives while the walk yields is refused.
    PostMessageW(w.Handle(), WM_CLOSE, 0, 0);
    w.PshBerechnen();
    EXPECT_TRUE(IsWindow(w.Handle()));
    EXPECT_TRUE(w.IsVisible());
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "Hinweis");
    EXPECT_EQ(
        presenter.shown[0].text,
        "Die Umstellung der Versicherungssteueranpassungen\r\nwurde erfolgreich durchgeführt!");
    EXPECT_TRUE(Enabled(w, 100));
    EXPECT_FALSE(Enabled(w, 106));
    EXPECT_TRUE(Visible(w, 114));
    EXPECT_EQ(SendMessageW(Item(w, 114), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Text(w, 110), "300");  // the counts keep the values of the start
    EXPECT_TRUE(w.Valid());
}

TEST_F(DtaStartTest, ContractsAddedAfterTheCountTakeTheBarPast100AndUpdateShowsIt) {
    test::MakeVertrag(folder + "Vertrag.DBF", {{"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}});
    DtaStart w(nullptr, folder);
    ASSERT_EQ(w.AffectedTotal(), 2u);
    {
        DBServer other(folder + "Vertrag.DBF");
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(other.Append());
            other.FieldPut(Symbol("VERSSPARTE"), Usual(std::string("HAUSRAT")));
            other.FieldPut(Symbol("VSTEUER"), Usual(18.0));
            other.FieldPut(Symbol("VSTEUERDM"), Usual(18.0));
            other.FieldPut(Symbol("BEITRAG"), Usual(118.0));
        }
        other.Close();
    }
    w.Show();
    w.PshBerechnen();
    EXPECT_EQ(w.ProgressPosition(), 250u);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "Hinweis");
    // The bar takes the percentage and shows it full.
    const HWND bar = Item(w, 114);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Text(w, 110), "2");  // the count of the start

    // The window's update operation (through the base class) puts the
    // progress position on the bar.
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    static_cast<Window&>(w).Update();
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
}

TEST_F(DtaStartTest, AnIncompleteConversionEndsWithTheWarningBox) {
    test::MakeVertrag(
        folder + "Vertrag.DBF",
        {{"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}, {"WOHNGEBÄUDE", 14, 14, 114}});
    std::string bytes = test::ReadBytes(folder + "Vertrag.DBF");
    test::SetRawField(bytes, 2, "BEITRAG", "    ***.**");
    test::WriteBytes(folder + "Vertrag.DBF", bytes);
    host.answer = [](const test::FakeHost::Box&) { return 1; };  // take the default
    DtaStart w(nullptr, folder);
    ASSERT_EQ(w.AffectedTotal(), 3u);
    w.PshBerechnen();
    EXPECT_EQ(host.boxes.size(), 1u);  // the damaged number, reported once
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "KONTORPLUS");
    EXPECT_EQ(presenter.shown[0].text,
              "Die Umstellung der Versicherungssteueranpassungen\r\n"
              "wurde nicht vollständig durchgeführt!\r\n"
              "Nicht angepasste Verträge: 1\r\n"
              "Bitte beheben Sie den gemeldeten Fehler und starten Sie das Programm erneut; es "
              "passt dann die übrigen Verträge an.");
    EXPECT_EQ(presenter.shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_TRUE(Enabled(w, 100));
    EXPECT_FALSE(Enabled(w, 106));
    EXPECT_EQ(w.ProgressPosition(), 66u);  // two of the three counted
}

TEST_F(DtaStartTest, ABreakOutOfTheErrorBoxReEnablesSchliessen) {
    test::MakeVertrag(folder + "Vertrag.DBF", {{"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}});
    DBServer other(folder + "Vertrag.DBF");
    other.GoTo(1);
    other.FieldPut(Symbol("NOTIZ"), Usual(std::string("gesperrt")));
    host.answer = [](const test::FakeHost::Box&) { return 3; };
    DtaStart w(nullptr, folder);
    w.PshBerechnen();
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(presenter.shown.empty());  // no success reported
    EXPECT_TRUE(Enabled(w, 100));
    EXPECT_FALSE(w.Converting());
}

TEST_F(DtaStartTest, MissingTableIsReportedAndLogged) {
    host.answer = [](const test::FakeHost::Box&) { return 1; };
    DtaStart w(nullptr, folder);
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_NE(LogText().find("Error message:"), std::string::npos);
    EXPECT_FALSE(Enabled(w, 106));
}

}  // namespace
}  // namespace kp

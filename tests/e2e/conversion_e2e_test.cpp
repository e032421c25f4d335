// The conversion end to end: the real program under Wine on generated and
// hand-made tables, driven as the office uses it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/settings.h"
#include "tests/e2e/e2e_program.h"
#include "tools/demodata/demodata.h"

namespace kp::e2e {
namespace {

constexpr int kSchliessen = 100, kAnpassen = 106, kTxt1615 = 110, kTxt1634 = 111, kTxt1900 = 112,
              kTxt1320 = 116, kBalken = 114;
constexpr const char* kHinweis =
    "Die Umstellung der Versicherungssteueranpassungen\r\nwurde erfolgreich durchgeführt!";

struct Row {
    const char* sparte;
    double rate, tax, premium;
    bool deleted = false;
};

std::string Bytes(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class Conversion : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        table_ = (folder_.path() / "Vertrag.DBF").string();
    }
    void TearDown() override {
        if (HasFailure())
            folder_.Keep();
    }

    void MakeTable(const std::vector<Row>& rows) {
        Table::Create(table_,
                      {{"VERTRAGNR", 'C', 10, 0},
                       {"VERSSPARTE", 'C', 20, 0},
                       {"VSTEUER", 'N', 6, 2},
                       {"VSTEUERDM", 'N', 12, 2},
                       {"BEITRAG", 'N', 12, 2},
                       {"NOTIZ", 'C', 10, 0}},
                      850);
        DBServer db(table_);
        for (const Row& r : rows) {
            db.Append();
            db.FieldPut(Symbol("VERSSPARTE"), Usual(std::string(r.sparte)));
            db.FieldPut(Symbol("VSTEUER"), Usual(r.rate));
            db.FieldPut(Symbol("VSTEUERDM"), Usual(r.tax));
            db.FieldPut(Symbol("BEITRAG"), Usual(r.premium));
            db.FieldPut(Symbol("NOTIZ"), Usual(std::string("bleibt")));
            if (r.deleted)
                db.Delete();
        }
        db.Close();
    }

    // VSTEUER, VSTEUERDM and BEITRAG of record r as stored.
    std::string Stored(const std::string& bytes, uint32_t r) {
        const uint32_t hdr = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
        const uint32_t len = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11]) << 8;
        // Fields: flag 1, VERTRAGNR 10, VERSSPARTE 20, then the three numbers.
        return bytes.substr(hdr + (r - 1) * len + 31, 6 + 12 + 12);
    }

    void ExpectCounts(const char* r1320, const char* r1615, const char* r1634) {
        EXPECT_EQ(program_.Text(kTxt1320), r1320);
        EXPECT_EQ(program_.Text(kTxt1615), r1615);
        EXPECT_EQ(program_.Text(kTxt1634), r1634);
        EXPECT_EQ(program_.Text(kTxt1900), "0");
        EXPECT_FALSE(program_.Visible(kTxt1900));
    }

    TempFolder folder_;
    E2eProgram program_;
    std::string table_;
};

const std::vector<Row> kHandMade = {
    {"HAUSRAT", 18, 18.00, 118.00},          // 1 -> 16.15 / 16.15 / 116.15
    {"WOHNGEBÄUDE", 17.75, 35.50, 235.50},   // 2 -> 16.34 / 32.68 / 232.68
    {"WOHNGEBÄUDE", 14, 14.00, 114.00},      // 3 -> 13.2 / 13.20 / 113.20
    {"  Wohngebäude ", 14, 14.00, 114.00},   // 4 counted (case, blanks)
    {"WOHNGEBAEUDE", 17.75, 17.75, 100.00},  // 5 not matched
    {"WOHNGEBÄUDE", 17.7, 17.70, 100.00},    // 6 not matched
    {"HAUSRAT", 18, 18.00, 118.00, true},    // 7 deleted
    {"WOHNGEBÄUDE", 18, 18.00, 118.00},      // 8 not matched
};

TEST_F(Conversion, CountsConvertsAndASecondStartFindsNothing) {
    MakeTable(kHandMade);
    const std::string before = Bytes(table_);

    program_.Start(folder_.path());
    ASSERT_NE(program_.Window(), nullptr);
    ExpectCounts("2", "1", "1");
    EXPECT_FALSE(program_.Visible(kBalken));
    ASSERT_TRUE(program_.Enabled(kAnpassen));
    program_.Click(kAnpassen);
    EXPECT_EQ(program_.MessageBoxText("Hinweis", 60s), kHinweis);
    program_.Press("Hinweis", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program_.Enabled(kSchliessen); }));
    EXPECT_FALSE(program_.Enabled(kAnpassen));
    EXPECT_TRUE(program_.Visible(kBalken));
    ExpectCounts("2", "1", "1");  // the counts of the start stay
    program_.Click(kSchliessen);
    EXPECT_EQ(program_.WaitExit(), 0u);

    const std::string after = Bytes(table_);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Stored(after, 1), " 16.15       16.15      116.15");
    EXPECT_EQ(Stored(after, 2), " 16.34       32.68      232.68");
    EXPECT_EQ(Stored(after, 3), " 13.20       13.20      113.20");
    EXPECT_EQ(Stored(after, 4), " 13.20       13.20      113.20");
    // Every other byte is as it was (the header's update date aside).
    std::string a = after, b = before;
    for (uint32_t r = 1; r <= 4; ++r) {
        const uint32_t hdr = static_cast<uint8_t>(a[8]) | static_cast<uint8_t>(a[9]) << 8;
        const uint32_t len = static_cast<uint8_t>(a[10]) | static_cast<uint8_t>(a[11]) << 8;
        a.replace(hdr + (r - 1) * len + 31, 30, 30, '#');
        b.replace(hdr + (r - 1) * len + 31, 30, 30, '#');
    }
    a.replace(1, 3, 3, '#');
    b.replace(1, 3, 3, '#');
    EXPECT_EQ(a, b);

    E2eProgram second;
    second.Start(folder_.path());
    ASSERT_NE(second.Window(), nullptr);
    EXPECT_EQ(second.Text(kTxt1320), "0");
    EXPECT_EQ(second.Text(kTxt1615), "0");
    EXPECT_EQ(second.Text(kTxt1634), "0");
    EXPECT_FALSE(second.Enabled(kAnpassen));
    second.Click(kSchliessen);
    EXPECT_EQ(second.WaitExit(), 0u);
}

// Windows logging off asks the window first. It agrees and stays as it is
// until the session really ends, so a session that goes on after all (another
// program refused) finds it unchanged; the end then closes it.
TEST_F(Conversion, LoggingOffLeavesTheWindowUntilTheSessionEnds) {
    MakeTable(kHandMade);
    const std::string before = Bytes(table_);
    program_.Start(folder_.path());
    const HWND window = program_.Window();
    ASSERT_NE(window, nullptr);
    DWORD_PTR reply = 99;
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                    30000, &reply));
    EXPECT_EQ(reply, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutW(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000,
                        &reply);
    EXPECT_TRUE(IsWindowVisible(window)) << "the window hid on the question";
    EXPECT_TRUE(program_.Enabled(kAnpassen));
    EXPECT_TRUE(program_.Running());

    ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                    30000, &reply));
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &reply);
    EXPECT_EQ(program_.WaitExit(), 0u);
    EXPECT_TRUE(Bytes(table_) == before);
}

TEST_F(Conversion, EmptyTableShowsZeroAndNothingToDo) {
    MakeTable({});
    program_.Start(folder_.path());
    ASSERT_NE(program_.Window(), nullptr);
    ExpectCounts("0", "0", "0");
    EXPECT_FALSE(program_.Enabled(kAnpassen));
    program_.Close();
    EXPECT_EQ(program_.WaitExit(), 0u);
}

TEST_F(Conversion, DemoTableCountsMatchTheGenerator) {
    const demo::Summary s = demo::WriteVertrag(folder_.path().string() + "\\", 3000, 7, true);
    program_.Start(folder_.path());
    ASSERT_NE(program_.Window(), nullptr);
    ExpectCounts(std::to_string(s.row2).c_str(), std::to_string(s.row3).c_str(),
                 std::to_string(s.row1).c_str());
    program_.Click(kAnpassen);
    EXPECT_EQ(program_.MessageBoxText("Hinweis", 120s), kHinweis);
    program_.Press("Hinweis", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program_.Enabled(kSchliessen); }));
    program_.Click(kSchliessen);
    EXPECT_EQ(program_.WaitExit(), 0u);

    E2eProgram second;
    second.Start(folder_.path());
    ASSERT_NE(second.Window(), nullptr);
    EXPECT_FALSE(second.Enabled(kAnpassen));
    second.Click(kSchliessen);
    EXPECT_EQ(second.WaitExit(), 0u);
}

TEST_F(Conversion, MissingTableShowsTheErrorLogsItAndQuits) {
    program_.Start(folder_.path());
    const std::string text = program_.MessageBoxText("ERROR", kStartTimeout);
    EXPECT_NE(text.find("Error Code:"), std::string::npos);
    EXPECT_NE(text.find("Filename: "), std::string::npos);
    const std::string log = Bytes(folder_.path() / "KPERROR.LOG");
    EXPECT_NE(log.find("Vertrag.DBF\r\n"), std::string::npos);  // whole in the log
    for (const char* label :
         {"***********************ERROR********************************",
          "Error message:", "Error Object created:", "SubSystem       :", "GenCode         :",
          "OsCode          :", "FileName        :", "CallFuncSym     :"})
        EXPECT_NE(log.find(label), std::string::npos) << label;
    // "Abbrechen": ABORT where the box also offers "Ignorieren", else CANCEL.
    try {
        program_.Press("ERROR", "ABORT", 2s);
    } catch (const E2eError&) {
        program_.Press("ERROR", "CANCEL");
    }
    EXPECT_EQ(program_.WaitExit(), 21u);  // the open error's general code
}

TEST_F(Conversion, LockedRecordBringsTheRetryBoxAndRetryFinishes) {
    MakeTable({{"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}, {"HAUSRAT", 18, 18, 118}});
    auto other = std::make_unique<DBServer>(table_);
    other->GoTo(2);
    other->FieldPut(Symbol("NOTIZ"), Usual(std::string("gesperrt")));  // holds record 2

    program_.Start(folder_.path());
    ASSERT_NE(program_.Window(), nullptr);
    program_.Click(kAnpassen);
    const std::string text = program_.MessageBoxText("ERROR", 60s);
    EXPECT_FALSE(text.empty());
    other->Commit();  // the other program lets go
    other.reset();
    program_.Press("ERROR", "RETRY");
    EXPECT_EQ(program_.MessageBoxText("Hinweis", 60s), kHinweis);
    program_.Press("Hinweis", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program_.Enabled(kSchliessen); }));
    program_.Click(kSchliessen);
    EXPECT_EQ(program_.WaitExit(), 0u);

    const std::string after = Bytes(table_);
    for (uint32_t r = 1; r <= 3; ++r)
        EXPECT_EQ(Stored(after, r), " 16.15       16.15      116.15");
}

}  // namespace
}  // namespace kp::e2e

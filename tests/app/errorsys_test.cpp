// The default error handler: its text, its log, its choices.
#include <gtest/gtest.h>

#include <new>

#include "app/ErrorSys.h"
#include "platform/runtime/program.h"
#include "platform/runtime/settings.h"
#include "tests/app/test_support.h"

namespace kp {
namespace {

std::shared_ptr<Error> OpenError() {
    auto e = std::make_shared<Error>();
    e->SubSystem = "KPDB";
    e->GenCode = EG_OPEN;
    e->OsCode = 2;
    e->Severity = 2;
    e->CanDefault = true;
    e->CanRetry = true;
    e->Operation = "Open";
    e->Description = "Datei nicht gefunden";
    e->FileName = "C:\\KONTORPLUS\\PROGRAMM\\VERZEICHNIS\\SEHR\\LANG\\Vertrag.DBF";
    e->FuncSym = Symbol("DBServer:Init");
    return e;
}

TEST(ErrorMessageText, ListsWhatTheErrorCarriesLineByLine) {
    auto e = OpenError();
    e->SubCode = 1001;
    e->SubCodeText = "open";
    e->Arg = Usual(std::string("Vertrag.DBF"));
    e->ArgType = static_cast<int>(UsualType::String);
    e->ArgNum = 1;
    e->ArgTypeReq = static_cast<int>(UsualType::Symbol);
    const std::string t = ErrorMessageText(*e);
    EXPECT_EQ(t, "Error Code:  " + ErrString(EG_OPEN) +
                     "\r\nDatei nicht gefunden\r\n"
                     "Subsystem: KPDB\r\n"
                     "Error Subcode: 1001 (open)\r\n"
                     "Operation: Open\r\n"
                     "Function: DBSERVER:INIT\r\n"
                     "Filename: C:\\KONTORPLUS\\PROGRAMM\\VERZEICHNIS\\SEHR\\\r\n"
                     "Argument: Vertrag.DBF\r\n"
                     "Type: " +
                     TypeString(7) +
                     "\r\n"
                     "Argument Number: 1\r\n"
                     "Requested type: " +
                     TypeString(10) +
                     "\r\n"
                     "Description: Datei nicht gefunden\r\n");
}

TEST(ErrorMessageText, FirstLineForCodeZeroAndForWarnings) {
    Error e;
    e.Description = "Kaputt";
    EXPECT_EQ(ErrorMessageText(e).substr(0, 21), "Error Code:  Kaputt\r\n");
    e.Severity = 1;
    EXPECT_EQ(ErrorMessageText(e).substr(0, 18), "WARNING :  Kaputt\r");
}

TEST(CallStackText, AtMostFiveLevelsAndOnlyWithLineNumbers) {
    EXPECT_EQ(CallStackText({}), "");
    EXPECT_EQ(CallStackText({{"START", 0}, {"X", 3}}), "");
    std::vector<ErrorSysHost::Frame> deep;
    for (int i = 1; i <= 7; ++i)
        deep.push_back({"P" + std::to_string(i), i * 10});
    EXPECT_EQ(CallStackText(deep),
              "CallStack: \r\nP1 (Line: 10)\r\nP2 (Line: 20)\r\nP3 (Line: 30)\r\n"
              "P4 (Line: 40)\r\nP5 (Line: 50)\r\n");
    EXPECT_EQ(CallStackText({{"A", 5}, {"B", 0}, {"C", 7}}), "CallStack: \r\nA (Line: 5)\r\n");
}

TEST(ErrorButtonFlags, FollowWhatTheErrorAllows) {
    Error e;
    e.CanRetry = true;
    auto b = ErrorButtonFlags(e, true);
    EXPECT_EQ(b.defaultFlag, 0u);
    EXPECT_EQ(b.retryFlag, 2u);
    EXPECT_EQ(b.breakFlag, 0x80000003u);
    e.CanSubstitute = true;
    e.GenCode = EG_NOVAR;  // an undefined variable cannot be retried
    b = ErrorButtonFlags(e, false);
    EXPECT_EQ(b.defaultFlag, 1u);
    EXPECT_EQ(b.retryFlag, 0u);
    EXPECT_FALSE(e.CanRetry);
    EXPECT_EQ(b.breakFlag, 0x80000000u);
}

class DefErrorTest : public ::testing::Test, public test::ErrorSysFixture {};

TEST_F(DefErrorTest, LogsShowsAndAnswersWithTheChosenButton) {
    host.stack = {{"DTASTART:INIT", 42}, {"APP:START", 7}};
    host.answer = [](const test::FakeHost::Box&) { return 2; };
    auto e = OpenError();
    EXPECT_EQ(DefError(Usual(std::shared_ptr<Object>(e))), Usual(true));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].severityWord, "ERROR");
    EXPECT_EQ(host.boxes[0].defaultFlag, 1u);
    EXPECT_EQ(host.boxes[0].retryFlag, 2u);
    EXPECT_NE(host.boxes[0].text.find("CallStack: \r\nDTASTART:INIT (Line: 42)\r\n"),
              std::string::npos);
    EXPECT_EQ(host.tones, 1);

    const std::string log = LogText();
    EXPECT_EQ(log.rfind("***********************ERROR********************************\r\n", 0), 0u);
    EXPECT_NE(log.find("\r\n \r\nError message:\r\n--------------\r\n" + host.boxes[0].text +
                       "Error Object created:\r\n--------------------\r\n"),
              std::string::npos);
    for (const char* line :
         {"SubSystem       :KPDB\r\n", "OsCode          :2\r\n", "Severity        :2\r\n",
          "CanDefault      :.T.\r\n", "CanSubstitute   :.F.\r\n",
          "FuncSym         :DBSERVER:INIT\r\n", "Tries           :0\r\n",
          "FileName        :C:\\KONTORPLUS\\PROGRAMM\\VERZEICHNIS\\SEHR\\LANG\\Vertrag.DBF\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(log.substr(log.size() - 22), "--------------------\r\n");

    // A second error is appended after an empty line.
    host.answer = [](const test::FakeHost::Box&) { return 1; };
    EXPECT_EQ(DefError(Usual(std::shared_ptr<Object>(OpenError()))), Usual(false));
    const std::string two = LogText();
    EXPECT_EQ(two.substr(0, log.size()), log);
    EXPECT_EQ(two.substr(log.size(), 4), "\r\n**");
}

TEST_F(DefErrorTest, ExceptionEntriesUseTheHexadecimalLabels) {
    Error e;
    e.SubCode = kExceptionSubCode;
    e.OsCode = 0xC0000005;
    e.ArgType = 0;
    e.FuncPtr = 0x401ABC;
    e.FuncSymValue = 0xBEEF;
    const std::string t = ErrorLogEntry(e, "", "V", "D");
    EXPECT_NE(
        t.find("ExceptionCode   :C0000005\r\nExceptionFlags  :0\r\nExceptionAddress:401ABC\r\n"
               "ParamNumber     :0\r\nExceptionInfo   :BEEF\r\n"),
        std::string::npos);
    EXPECT_EQ(t.find("OsCode"), std::string::npos);
}

TEST_F(DefErrorTest, SharedOpenAndAppendLockAreSettledQuietly) {
    auto e = OpenError();
    e->OsCode = 32;
    EXPECT_EQ(DefError(Usual(std::shared_ptr<Object>(e))), Usual(false));
    EXPECT_TRUE(NetErr());
    NetErr(false);
    auto a = std::make_shared<Error>();
    a->GenCode = EG_APPENDLOCK;
    a->CanDefault = true;
    EXPECT_EQ(DefError(Usual(std::shared_ptr<Object>(a))), Usual(false));
    EXPECT_TRUE(NetErr());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(LogText(), "");

    // Without the default allowed, the sharing violation is shown.
    NetErr(false);
    e->CanDefault = false;
    host.answer = [](const test::FakeHost::Box&) { return 2; };
    DefError(Usual(std::shared_ptr<Object>(e)));
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_FALSE(NetErr());
}

TEST_F(DefErrorTest, PointerSubstituteRaisesTheSeverityAfterTheWordIsChosen) {
    auto e = std::make_shared<Error>();
    e->Severity = 1;
    e->CanSubstitute = true;
    e->SubstituteType = static_cast<int>(UsualType::Ptr);
    host.answer = [](const test::FakeHost::Box&) { return 1; };
    DefError(Usual(std::shared_ptr<Object>(e)));
    EXPECT_EQ(host.boxes[0].severityWord, "WARNING");
    EXPECT_EQ(host.boxes[0].text.rfind("Error Code: ", 0), 0u);
    EXPECT_EQ(e->Severity, 3);

    auto s = std::make_shared<Error>();
    s->CanSubstitute = true;
    s->SubstituteType = static_cast<int>(UsualType::String);
    EXPECT_EQ(DefError(Usual(std::shared_ptr<Object>(s))), Usual(std::string()));
}

TEST_F(DefErrorTest, BreakUnwindsToTheRecoveryPointElseQuitsWithTheCode) {
    host.answer = [](const test::FakeHost::Box&) { return 3; };
    Usual broken;
    EXPECT_FALSE(BeginSequence([] { Raise(OpenError()); }, &broken));
    ASSERT_TRUE(broken.IsObject());
    EXPECT_EQ(std::dynamic_pointer_cast<Error>(broken.AsObject())->GenCode, EG_OPEN);

    try {
        Raise(OpenError());
        FAIL() << "quit expected";
    } catch (const test::QuitCalled& q) {
        EXPECT_EQ(q.code, EG_OPEN);
    }
}

TEST_F(DefErrorTest, ANonErrorArgumentIsReportedAsWrongClass) {
    host.answer = [](const test::FakeHost::Box&) { return 1; };
    EXPECT_EQ(DefError(Usual(std::string("Quatsch"))), Usual(false));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find("Function: DEFERROR\r\n"), std::string::npos);
    EXPECT_NE(host.boxes[0].text.find("Argument: Quatsch\r\n"), std::string::npos);
    EXPECT_NE(host.boxes[0].text.find("Argument Number: 1\r\n"), std::string::npos);
}

TEST_F(DefErrorTest, NoLogWhenItCannotBeCreatedButTheBoxIsShown) {
    SetProgramDirForTest(dir.File("fehlt"));
    host.answer = [](const test::FakeHost::Box&) { return 1; };
    DefError(Usual(std::shared_ptr<Object>(OpenError())));
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(DefErrorTest, DefErrorGenReportsANullRecord) {
    auto e = DefErrorGen(nullptr);
    ASSERT_TRUE(e);
    EXPECT_EQ(host.plainBoxes,
              std::vector<std::string>{"FROM DefErrorGen|Error structure has wrong tag"});
    ErrorRecord r{};
    r.GenCode = ErrorRecord::Num(EG_ZERODIV);
    r.Description = ErrorRecord::Text("Division");
    EXPECT_EQ(DefErrorGen(&r)->GenCode, EG_ZERODIV);
}

TEST_F(DefErrorTest, DefErrorGenSaysSoWhenNoErrorObjectCanBeCreated) {
    auto outOfMemory = []() -> std::shared_ptr<Error> { throw std::bad_alloc(); };
    ErrorRecord r{};
    r.GenCode = ErrorRecord::Num(EG_ZERODIV);
    EXPECT_EQ(DefErrorGen(&r, outOfMemory), nullptr);
    EXPECT_EQ(host.plainBoxes,
              std::vector<std::string>{"FROM DefErrorGen|No error object created !"});

    // Raised through the run-time, such an error reaches no handler and is
    // answered like an unhandled one; nothing crashes on the missing object.
    host.plainBoxes.clear();
    ErrorFunctionFn old = SetErrorFunction(
        [](const ErrorRecord* rec) { return DefErrorGen(rec, [] { return nullptr; }); });
    EXPECT_EQ(RaiseRecord(r), Usual(false));
    SetErrorFunction(old);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(host.plainBoxes.size(), 1u);

    // Both faults at once: both boxes, in the order of the checks.
    host.plainBoxes.clear();
    EXPECT_EQ(DefErrorGen(nullptr, outOfMemory), nullptr);
    EXPECT_EQ(host.plainBoxes,
              (std::vector<std::string>{"FROM DefErrorGen|No error object created !",
                                        "FROM DefErrorGen|Error structure has wrong tag"}));
}

}  // namespace
}  // namespace kp

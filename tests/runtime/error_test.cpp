#include "platform/runtime/error.h"

#include <cstring>

#include "platform/runtime/errorbox.h"
#include "platform/runtime/errorrecord.h"
#include "runtime_fixture.h"

using namespace kp;

using ErrorTest = RuntimeTest;

namespace {
std::shared_ptr<Error> MakeError(int32_t gen, bool canRetry = false) {
    auto e = std::make_shared<Error>();
    e->GenCode = gen;
    e->CanRetry = canRetry;
    e->CanDefault = true;
    return e;
}
}  // namespace

TEST_F(ErrorTest, ErrStringTexts) {
    EXPECT_EQ(ErrString(EG_OPEN), "OPEN ERROR");
    EXPECT_EQ(ErrString(EG_DATATYPE), "DATA TYPE ERROR");
    EXPECT_EQ(ErrString(EG_APPENDLOCK), "APPEND LOCK FAILED");
    EXPECT_EQ(ErrString(EG_ZERODIV), "ZERO DIVISOR");
    EXPECT_EQ(ErrString(0), "");
    EXPECT_EQ(ErrString(999), "");
    EXPECT_EQ(Error().ClassName(), Symbol("error"));
}

TEST_F(ErrorTest, BlockAnswersReachTheRaiser) {
    EXPECT_EQ(Raise(MakeError(EG_ARG)), Usual(false));  // no block: default
    std::vector<int32_t> seen;
    auto old = ErrorBlock([&](std::shared_ptr<Error> e) {
        seen.push_back(e->GenCode);
        return Usual("substitute");
    });
    EXPECT_FALSE(old);
    auto e = MakeError(EG_ARG);
    EXPECT_EQ(Raise(e), Usual("substitute"));
    EXPECT_EQ(e->Tries, 1);
    EXPECT_EQ(seen, std::vector<int32_t>{EG_ARG});
    EXPECT_TRUE(ErrorBlock());
}

TEST_F(ErrorTest, RetryOnlyWhenAllowedAndAsked) {
    int calls = 0;
    ErrorBlock([&](std::shared_ptr<Error> e) { return Usual(++calls < 3 && e->CanRetry); });
    // An operation that succeeds on the third try.
    int tries = 0;
    auto lockErr = MakeError(EG_LOCK, true);
    bool done = false;
    while (!(done = ++tries == 3)) {
        if (!RaiseRetry(lockErr))
            break;
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(lockErr->Tries, 2);
    calls = 0;
    EXPECT_FALSE(RaiseRetry(MakeError(EG_LOCK, false)));  // retry not allowed
    ErrorBlock([](std::shared_ptr<Error>) { return Usual(7); });
    EXPECT_FALSE(RaiseRetry(MakeError(EG_LOCK, true)));  // a substitute is no retry
}

TEST_F(ErrorTest, BreakReachesTheNearestRecoveryPoint) {
    EXPECT_FALSE(CanBreak());
    ErrorBlock([](std::shared_ptr<Error> e) -> Usual {
        if (CanBreak())
            Break(Usual(e));
        return false;
    });
    std::vector<std::string> trail;
    Usual outerValue;
    const bool outerDone = BeginSequence(
        [&] {
            EXPECT_TRUE(CanBreak());
            Usual inner;
            const bool innerDone = BeginSequence(
                [&] {
                    Raise(MakeError(EG_WRITE));
                    trail.push_back("not reached");
                },
                &inner);
            EXPECT_FALSE(innerDone);
            ASSERT_TRUE(inner.IsObject());
            EXPECT_EQ(std::static_pointer_cast<Error>(inner.AsObject())->GenCode, EG_WRITE);
            trail.push_back("after inner");
            EXPECT_TRUE(CanBreak());
            Break(Usual("outer"));
        },
        &outerValue);
    EXPECT_FALSE(outerDone);
    EXPECT_EQ(outerValue, Usual("outer"));
    EXPECT_EQ(trail, std::vector<std::string>{"after inner"});
    EXPECT_FALSE(CanBreak());
    // Without a recovery point the handler's default comes back.
    EXPECT_EQ(Raise(MakeError(EG_WRITE)), Usual(false));
    EXPECT_TRUE(BeginSequence([] {}));
    try {
        RecoveryPoint rp;
        Break(Usual(1));
    } catch (const BreakException& b) {
        EXPECT_EQ(b.value, Usual(1));
    }
    EXPECT_FALSE(CanBreak());
}

TEST_F(ErrorTest, BuildFromTheLowLevelRecord) {
    auto args = std::make_shared<Array>(Array{Usual(1), Usual("two")});
    const Usual arg(42);
    ErrorRecord r;
    r.SubSystem = ErrorRecord::Text("KPDB");
    r.SubCode = 1001;
    r.GenCode = EG_OPEN;
    r.OsCode = 32;
    r.Severity = 2;
    r.CanDefault = 1;
    r.CanRetry = 1;
    r.Operation = ErrorRecord::Text("Open");
    r.Description = ErrorRecord::Text("Größe");
    r.FileName = ErrorRecord::Text("Vertrag.DBF");
    r.Args = ErrorRecord::Ptr(args.get());
    r.ArgNum = 3;
    r.Tries = 1;
    r.FuncSym = ErrorRecord::Text("dbUseArea");
    r.FileHandle = ErrorRecord::Num(-1);
    r.FuncPtr = 0x401000;
    r.SubCodeText = ErrorRecord::Text("sharing");
    r.Arg = ErrorRecord::Ptr(&arg);
    r.ArgType = 1;
    r.ArgTypeReq = 7;
    r.MaxSize = 10;
    r.SubstituteType = 7;
    r.Choice = 2;
    r.CallFuncSym = ErrorRecord::Text("Start");
    const auto e = ErrorBuild(&r);
    EXPECT_EQ(e->SubSystem, "KPDB");
    EXPECT_EQ(e->SubCode, 1001);
    EXPECT_EQ(e->GenCode, EG_OPEN);
    EXPECT_EQ(e->OsCode, 32u);
    EXPECT_TRUE(e->CanDefault);
    EXPECT_TRUE(e->CanRetry);
    EXPECT_FALSE(e->CanSubstitute);
    EXPECT_EQ(e->Description, "Größe");
    EXPECT_EQ(e->FileName, "Vertrag.DBF");
    ASSERT_EQ(e->Args.size(), 3u);  // the larger of the array's size and ArgNum
    EXPECT_EQ(e->Args[1], Usual("two"));
    EXPECT_TRUE(e->Args[2].IsNil());
    EXPECT_EQ(e->FuncSym, Symbol("DBUSEAREA"));
    EXPECT_EQ(e->FileHandle, -1);
    EXPECT_EQ(e->FuncPtr, 0x401000u);
    EXPECT_EQ(e->Arg, Usual("42"));  // not a string: converted to text
    EXPECT_EQ(e->ArgTypeReq, 7);
    EXPECT_EQ(e->Choice, 2);
    EXPECT_EQ(e->CallFuncSym, Symbol("Start"));
    // The record was copied into the process-wide one.
    EXPECT_EQ(std::memcmp(&ProcessErrorRecord(), &r, sizeof r), 0);
    ClearErrorRecord(ProcessErrorRecord());
    EXPECT_EQ(ProcessErrorRecord().GenCode, 0u);

    // A Windows exception keeps the raw exception information.
    ErrorRecord x;
    x.SubCode = kExceptionSubCode;
    x.FuncSym = 0xC0000005u;
    const auto ex = ErrorBuild(&x);
    EXPECT_TRUE(ex->FuncSym.IsNull());
    EXPECT_EQ(ex->FuncSymValue, 0xC0000005u);
    EXPECT_TRUE(ex->Args.empty());
    EXPECT_TRUE(ErrorBuild(nullptr)->SubSystem.empty());
}

TEST_F(ErrorTest, RecordsRaiseThroughTheErrorFunction) {
    int built = 0;
    SetErrorFunction([&](const ErrorRecord* r) {
        ++built;
        return ErrorBuild(r);
    });
    ErrorBlock([](std::shared_ptr<Error> e) { return Usual(e->GenCode); });
    ErrorRecord r;
    r.GenCode = EG_CORRUPTION;
    EXPECT_EQ(RaiseRecord(r), Usual(EG_CORRUPTION));
    EXPECT_EQ(built, 1);
    SetErrorFunction(nullptr);  // back to ErrorBuild
    EXPECT_EQ(RaiseRecord(r), Usual(EG_CORRUPTION));
    EXPECT_EQ(built, 1);
}

TEST_F(ErrorTest, MessageBoxIsReplaceable) {
    EXPECT_EQ(ErrorMessageBox("t", "ERROR", 1, 0, 0x80000000u), 1);
    EXPECT_EQ(ErrorMessageBox("t", "ERROR", 0, 2, 0x80000003u), 3);
    std::string shown;
    auto old = SetErrorMessageBox(
        [&](const std::string& text, const std::string& word, uint32_t, uint32_t retry, uint32_t) {
            shown = word + ": " + text;
            return retry ? 2 : 1;
        });
    EXPECT_EQ(ErrorMessageBox("OPEN ERROR", "ERROR", 1, 2, 0x80000000u), 2);
    EXPECT_EQ(shown, "ERROR: OPEN ERROR");
    SetErrorMessageBox(old);
}

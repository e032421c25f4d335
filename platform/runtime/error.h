#pragma once
// Run-time errors: the Error object, the error block that handles them, and
// recovery points that a "break" unwinds to.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/symbol.h"
#include "platform/runtime/usual.h"

namespace kp {

// General error codes, numbered as the classic run-times number them.
enum GenCode : int32_t {
    EG_ARG = 1,
    EG_BOUND = 2,
    EG_NUMOVERFLOW = 4,
    EG_ZERODIV = 5,
    EG_NOMETHOD = 13,
    EG_NOVAR = 14,
    EG_CREATE = 20,
    EG_OPEN = 21,
    EG_CLOSE = 22,
    EG_READ = 23,
    EG_WRITE = 24,
    EG_WRONGCLASS = 28,
    EG_UNSUPPORTED = 30,
    EG_LIMIT = 31,
    EG_CORRUPTION = 32,
    EG_DATATYPE = 33,
    EG_DATAWIDTH = 34,
    EG_NOORDER = 36,
    EG_SHARED = 37,
    EG_UNLOCKED = 38,
    EG_READONLY = 39,
    EG_APPENDLOCK = 40,
    EG_LOCK = 41,
};

// Upper-case text of a general code ("OPEN ERROR" ...); "" for unknown codes.
std::string ErrString(int32_t genCode);

class Error : public Object {
  public:
    Symbol ClassName() const override;  // ERROR

    std::string SubSystem;
    int32_t SubCode = 0;
    int32_t GenCode = 0;
    uint32_t OsCode = 0;
    int32_t Severity = 2;  // 1 warning, 2 error, 3 catastrophic
    bool CanDefault = false;
    bool CanRetry = false;
    bool CanSubstitute = false;
    std::string Operation;
    std::string Description;
    std::string FileName;
    std::vector<Usual> Args;
    int32_t Tries = 0;
    Symbol FuncSym;
    int32_t FileHandle = 0;
    int32_t ArgNum = 0;
    uintptr_t FuncPtr = 0;
    std::string SubCodeText;
    Usual Arg;  // normally the offending argument as text
    int32_t ArgType = 0;
    int32_t ArgTypeReq = 0;
    int32_t MaxSize = 0;
    int32_t SubstituteType = 0;
    int32_t Choice = 0;
    Symbol CallFuncSym;
    // The raw FuncSym word of the low-level record (the exception
    // information when SubCode is 4660); 0 when not built from a record.
    uintptr_t FuncSymValue = 0;
};

// The error block: called with every raised error. Its answer:
// false = use the default, true = retry, another value = substitute.
using ErrorBlockFn = std::function<Usual(std::shared_ptr<Error>)>;
ErrorBlockFn ErrorBlock(ErrorBlockFn block);  // sets the block, returns the old one
ErrorBlockFn ErrorBlock();                    // the current block

// Raise an error through the error block and return its answer. Increments
// Tries. Without a block installed, the default answer is false.
Usual Raise(std::shared_ptr<Error> error);

// Raise an error whose operation can be retried: returns true when the
// handler asked for a retry (and the error allows it), false otherwise.
// The raiser loops: while (!TryIt()) if (!RaiseRetry(err)) { give up; }
bool RaiseRetry(std::shared_ptr<Error> error);

// What a "break" carries to the nearest recovery point.
struct BreakException {
    Usual value;  // the error object (or the value passed to Break)
};

// True while a recovery point is active (so a break has somewhere to go).
bool CanBreak();

// Throws BreakException; only meaningful when CanBreak() (without a recovery
// point nothing catches it and the process terminates).
[[noreturn]] void Break(Usual value);

// A recovery point for the scope of a C++ try block:
//   try { RecoveryPoint rp; ... } catch (const BreakException& b) { ... }
class RecoveryPoint {
  public:
    RecoveryPoint();
    ~RecoveryPoint();
    RecoveryPoint(const RecoveryPoint&) = delete;
    RecoveryPoint& operator=(const RecoveryPoint&) = delete;
};

// Runs body inside a recovery point; returns true if it completed, false if a
// break unwound it (the break's value then goes to *broken when given).
bool BeginSequence(const std::function<void()>& body, Usual* broken = nullptr);

}  // namespace kp

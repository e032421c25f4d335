#pragma once
// The run-time's low-level error record and the error function
// that turns one into an Error object.
//
// The record is 25 fields of one machine word each, in the order of the
// Error properties: 100 bytes on the 32-bit build (SubSystem at 0, SubCode at
// 4, ... CallFuncSym at 96),
// 200 on a 64-bit build. Field contents:
//   numbers and logic values (0 = false): the value itself;
//   SubSystem, Operation, Description, FileName, SubCodeText: const char*
//     to UTF-8 text (0 = "");
//   FuncSym, CallFuncSym: const char* to the symbol's name (0 = null symbol);
//     with SubCode 4660 (a Windows exception) FuncSym holds the exception
//     information instead and only Error::FuncSymValue gets it;
//   Args: const kp::Array* (0 = none);
//   Arg: const kp::Usual* (0 = none);
//   FuncPtr: the address itself.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/runtime/error.h"

namespace kp {

struct ErrorRecord {
    uintptr_t SubSystem = 0;
    uintptr_t SubCode = 0;
    uintptr_t GenCode = 0;
    uintptr_t OsCode = 0;
    uintptr_t Severity = 0;
    uintptr_t CanDefault = 0;
    uintptr_t CanRetry = 0;
    uintptr_t CanSubstitute = 0;
    uintptr_t Operation = 0;
    uintptr_t Description = 0;
    uintptr_t FileName = 0;
    uintptr_t Args = 0;
    uintptr_t Tries = 0;
    uintptr_t FuncSym = 0;
    uintptr_t FileHandle = 0;
    uintptr_t ArgNum = 0;
    uintptr_t FuncPtr = 0;
    uintptr_t SubCodeText = 0;
    uintptr_t Arg = 0;
    uintptr_t ArgType = 0;
    uintptr_t ArgTypeReq = 0;
    uintptr_t MaxSize = 0;
    uintptr_t SubstituteType = 0;
    uintptr_t Choice = 0;
    uintptr_t CallFuncSym = 0;

    // Helpers for filling the fields.
    static uintptr_t Text(const char* s) { return reinterpret_cast<uintptr_t>(s); }
    static uintptr_t Ptr(const void* p) { return reinterpret_cast<uintptr_t>(p); }
    static uintptr_t Num(int32_t n) { return static_cast<uintptr_t>(static_cast<uint32_t>(n)); }
};

static_assert(sizeof(ErrorRecord) == 25 * sizeof(void*), "one word per field");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ErrorRecord) == 100, "the 100-byte record of the 32-bit build");
#endif

inline constexpr int32_t kExceptionSubCode = 4660;  // 0x1234: a Windows exception

// The one process-wide record (the error handler clears and fills it; ErrorBuild
// copies each record it is given into it).
ErrorRecord& ProcessErrorRecord();
void ClearErrorRecord(ErrorRecord& record);

// A new Error filled from the record in field order: texts as text; Args
// becomes an array of max(the array's size, ArgNum) elements (missing ones
// nil); Arg is kept when it is a string and converted to text otherwise;
// Choice is taken since the new object's is 0.
// A null record gives an unfilled Error.
std::shared_ptr<Error> ErrorBuild(const ErrorRecord* record);
// Fills an existing Error from the record as ErrorBuild does (the record is
// copied into the process-wide one first).
void ErrorFill(Error& e, const ErrorRecord& record);

// The run-time's error function (ErrorBuild by default; the application may
// install its own). RaiseRecord builds the error with it and
// raises it through the error block, returning the block's answer.
using ErrorFunctionFn = std::function<std::shared_ptr<Error>(const ErrorRecord*)>;
ErrorFunctionFn SetErrorFunction(ErrorFunctionFn fn);  // returns the old one
Usual RaiseRecord(const ErrorRecord& record);

}  // namespace kp

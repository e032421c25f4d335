#include "platform/runtime/errorrecord.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kp {

namespace {

std::string TextOf(uintptr_t field) {
    const char* s = reinterpret_cast<const char*>(field);
    return s ? std::string(s) : std::string();
}

int32_t NumOf(uintptr_t field) {
    return static_cast<int32_t>(static_cast<uint32_t>(field));
}

Symbol SymbolOf(uintptr_t field) {
    const char* s = reinterpret_cast<const char*>(field);
    return s ? Symbol(s) : Symbol();
}

ErrorFunctionFn& FunctionSlot() {
    static ErrorFunctionFn fn = ErrorBuild;
    return fn;
}

}  // namespace

ErrorRecord& ProcessErrorRecord() {
    static ErrorRecord record;
    return record;
}

void ClearErrorRecord(ErrorRecord& record) {
    record = ErrorRecord{};
}

std::shared_ptr<Error> ErrorBuild(const ErrorRecord* record) {
    auto e = std::make_shared<Error>();
    if (record)
        ErrorFill(*e, *record);
    return e;
}

void ErrorFill(Error& error, const ErrorRecord& record) {
    ErrorRecord& copy = ProcessErrorRecord();
    if (&copy != &record)
        std::memcpy(&copy, &record, sizeof copy);
    const ErrorRecord& r = record;
    Error* e = &error;

    e->SubSystem = TextOf(r.SubSystem);
    e->SubCode = NumOf(r.SubCode);
    e->GenCode = NumOf(r.GenCode);
    e->OsCode = static_cast<uint32_t>(r.OsCode);
    e->Severity = NumOf(r.Severity);
    e->CanDefault = r.CanDefault != 0;
    e->CanRetry = r.CanRetry != 0;
    e->CanSubstitute = r.CanSubstitute != 0;
    e->Operation = TextOf(r.Operation);
    e->Description = TextOf(r.Description);
    e->FileName = TextOf(r.FileName);
    const auto* args = reinterpret_cast<const Array*>(r.Args);
    const size_t argNum = static_cast<size_t>(std::max(NumOf(r.ArgNum), 0));
    e->Args.assign(std::max(args ? args->size() : size_t{0}, argNum), Usual());
    if (args)
        std::copy(args->begin(), args->end(), e->Args.begin());
    e->Tries = NumOf(r.Tries);
    e->FuncSymValue = r.FuncSym;
    if (e->SubCode != kExceptionSubCode)
        e->FuncSym = SymbolOf(r.FuncSym);
    e->FileHandle = NumOf(r.FileHandle);
    e->ArgNum = NumOf(r.ArgNum);
    e->FuncPtr = r.FuncPtr;
    e->SubCodeText = TextOf(r.SubCodeText);
    if (const auto* arg = reinterpret_cast<const Usual*>(r.Arg)) {
        e->Arg = arg->IsString() ? *arg : Usual(arg->AsText());
    }
    e->ArgType = NumOf(r.ArgType);
    e->ArgTypeReq = NumOf(r.ArgTypeReq);
    e->MaxSize = NumOf(r.MaxSize);
    e->SubstituteType = NumOf(r.SubstituteType);
    if (e->Choice == 0)
        e->Choice = NumOf(r.Choice);
    e->CallFuncSym = SymbolOf(r.CallFuncSym);
}

ErrorFunctionFn SetErrorFunction(ErrorFunctionFn fn) {
    return std::exchange(FunctionSlot(), fn ? std::move(fn) : ErrorFunctionFn(ErrorBuild));
}

Usual RaiseRecord(const ErrorRecord& record) {
    const ErrorFunctionFn fn = FunctionSlot();
    return Raise(fn(&record));
}

}  // namespace kp

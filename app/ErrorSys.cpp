#include "app/ErrorSys.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/runtime/date.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/program.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {
namespace {

constexpr const char* kCrLf = "\r\n";

ErrorSysHost*& HostSlot() {
    static ErrorSysHost* host = nullptr;
    return host;
}

std::string Logic(bool b) {
    return b ? ".T." : ".F.";
}

// An empty value of the type the raiser wants substituted.
Usual EmptyOf(int typeCode) {
    switch (static_cast<UsualType>(typeCode)) {
        case UsualType::Long:
            return Usual(int32_t{0});
        case UsualType::Float:
            return Usual(0.0);
        case UsualType::String:
            return Usual(std::string());
        case UsualType::Logic:
            return Usual(false);
        case UsualType::Date:
            return Usual(Date());
        case UsualType::Array:
            return Usual(std::make_shared<Array>());
        default:
            return Usual();
    }
}

std::string Label(const char* label, const std::string& value) {
    return std::string(label) + value + kCrLf;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    return _wfopen(Utf8ToWide(path).c_str(), Utf8ToWide(mode).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

}  // namespace

ErrorSysHost* SetErrorSysHost(ErrorSysHost* host) {
    ErrorSysHost* old = HostSlot();
    HostSlot() = host;
    return old;
}

ErrorSysHost* GetErrorSysHost() {
    return HostSlot();
}

void InstallErrorSys(ErrorSysHost* host) {
    SetErrorSysHost(host);
    ErrorBlock(
        [](std::shared_ptr<Error> e) { return DefError(Usual(std::shared_ptr<Object>(e))); });
    SetErrorFunction([](const ErrorRecord* r) { return DefErrorGen(r); });
}

std::string HexText(uint64_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return s;
}

std::string ErrorMessageText(const Error& e) {
    std::string t = e.Severity == 1 ? "WARNING : " : "Error Code: ";
    t += ' ';
    if (e.GenCode == 0) {
        t += e.Description;
    } else {
        t += Upper(ErrString(e.GenCode));
        if (!e.Description.empty())
            t += kCrLf + e.Description;
    }
    t += kCrLf;
    if (!e.SubSystem.empty())
        t += Label("Subsystem: ", e.SubSystem);
    if (e.SubCode != 0) {
        t += "Error Subcode: " + std::to_string(e.SubCode);
        if (!e.SubCodeText.empty())
            t += " (" + e.SubCodeText + ")";
        t += kCrLf;
    }
    if (!e.Operation.empty())
        t += Label("Operation: ", e.Operation);
    if (!e.FuncSym.IsNull())
        t += Label("Function: ", e.FuncSym.Name());
    if (!e.FileName.empty())
        t += Label("Filename: ", Left(e.FileName, 40));
    const std::string arg = e.Arg.AsText();
    if (!arg.empty()) {
        t += Label("Argument: ", arg);
        if (e.ArgType != 0)
            t += Label("Type: ", TypeString(e.ArgType));
    }
    if (e.ArgNum != 0)
        t += Label("Argument Number: ", std::to_string(e.ArgNum));
    if (e.ArgTypeReq != 0 && e.ArgTypeReq != e.ArgType)
        t += Label("Requested type: ", TypeString(e.ArgTypeReq));
    if (!e.Description.empty())
        t += Label("Description: ", e.Description);
    return t;
}

std::string CallStackText(const std::vector<ErrorSysHost::Frame>& frames) {
    if (frames.empty() || frames[0].line <= 0)
        return std::string();
    std::string t = std::string("CallStack: ") + kCrLf;
    for (size_t i = 0; i < frames.size() && i < 5 && frames[i].line > 0; ++i)
        t += frames[i].proc + " (Line: " + std::to_string(frames[i].line) + ")" + kCrLf;
    return t;
}

ErrorButtons ErrorButtonFlags(Error& e, bool canBreak) {
    ErrorButtons b;
    b.defaultFlag = (e.CanDefault || e.CanSubstitute) ? 1 : 0;
    if (e.CanRetry) {
        if (e.GenCode == EG_NOVAR)
            e.CanRetry = false;
        else
            b.retryFlag = 2;
    }
    b.breakFlag = canBreak ? 0x80000003u : 0x80000000u;
    return b;
}

std::string ErrorLogEntry(const Error& e, const std::string& message, const std::string& version,
                          const std::string& dateTime) {
    std::string t;
    t += Label("***********************ERROR********************************", "");
    t += Label("", version);
    t += Label("", dateTime);
    t += Label(" ", "");
    t += Label("Error message:", "");
    t += Label("--------------", "");
    t += message;
    t += Label("Error Object created:", "");
    t += Label("--------------------", "");
    t += Label("SubSystem       :", e.SubSystem);
    t += Label("SubCode         :", std::to_string(e.SubCode));
    t += Label("GenCode         :", ErrString(e.GenCode));
    if (e.SubCode == kExceptionSubCode) {
        t += Label("ExceptionCode   :", HexText(e.OsCode));
        t += Label("ExceptionFlags  :", HexText(static_cast<uint32_t>(e.ArgType)));
        t += Label("ExceptionAddress:", HexText(e.FuncPtr));
        t += Label("ParamNumber     :", std::to_string(e.ArgNum));
        t += Label("ExceptionInfo   :", HexText(e.FuncSymValue));
    } else {
        t += Label("OsCode          :", std::to_string(e.OsCode));
        t += Label("ArgType         :", TypeString(e.ArgType));
        t += Label("FuncPtr         :", HexText(e.FuncPtr));
        t += Label("ArgNum          :", std::to_string(e.ArgNum));
        t += Label("FuncSym         :", e.FuncSym.Name());
    }
    t += Label("Severity        :", std::to_string(e.Severity));
    t += Label("CanDefault      :", Logic(e.CanDefault));
    t += Label("CanRetry        :", Logic(e.CanRetry));
    t += Label("CanSubstitute   :", Logic(e.CanSubstitute));
    t += Label("Operation       :", e.Operation);
    t += Label("Description     :", e.Description);
    t += Label("FileName        :", e.FileName);
    t += Label("Tries           :", std::to_string(e.Tries));
    t += Label("FileHandle      :", std::to_string(e.FileHandle));
    t += Label("SubCodeText     :", e.SubCodeText);
    t += Label("Arg             :", e.Arg.AsText());
    t += Label("ArgTypeReq      :", TypeString(e.ArgTypeReq));
    t += Label("MaxSize         :", std::to_string(e.MaxSize));
    t += Label("SubstituteType  :", TypeString(e.SubstituteType));
    t += Label("CallFuncSym     :", e.CallFuncSym.Name());
    t += Label("--------------------", "");
    return t;
}

bool AppendErrorLog(const std::string& path, const std::string& entry) {
    std::FILE* f = OpenFile(path, "r+b");
    if (f != nullptr) {
        // An empty line separates the new entry from the one before.
        std::fseek(f, 0, SEEK_END);
        std::fwrite(kCrLf, 1, 2, f);
    } else {
        // A log that cannot be created is not written; the box is shown all
        // the same. (Raising a new error here would only come back to this
        // handler and fail again.)
        f = OpenFile(path, "wb");
        if (f == nullptr)
            return false;
    }
    const bool ok = std::fwrite(entry.data(), 1, entry.size(), f) == entry.size();
    return std::fclose(f) == 0 && ok;
}

std::shared_ptr<Error> DefErrorGen(const ErrorRecord* record) {
    return DefErrorGen(record, [] { return std::make_shared<Error>(); });
}

std::shared_ptr<Error> DefErrorGen(const ErrorRecord* record,
                                   const std::function<std::shared_ptr<Error>()>& create) {
    ErrorSysHost* host = GetErrorSysHost();
    std::shared_ptr<Error> e;
    try {
        e = create();
    } catch (const std::bad_alloc&) {
        e = nullptr;
    }
    if (!e && host)
        host->PlainBox("FROM DefErrorGen", "No error object created !");
    if (record == nullptr) {
        if (host)
            host->PlainBox("FROM DefErrorGen", "Error structure has wrong tag");
        return e;
    }
    // Nothing to fill: the record cannot be reported without an object.
    if (e)
        ErrorFill(*e, *record);
    return e;
}

Usual DefError(const Usual& error) {
    std::shared_ptr<Error> e;
    if (error.IsObject())
        e = std::dynamic_pointer_cast<Error>(error.AsObject());
    if (!e) {
        // Something other than an error object reached the handler: report
        // it as a wrong class.
        ErrorRecord& r = ProcessErrorRecord();
        ClearErrorRecord(r);
        const Usual argText(error.AsText());
        r.GenCode = ErrorRecord::Num(EG_WRONGCLASS);
        r.Severity = ErrorRecord::Num(2);
        r.FuncSym = ErrorRecord::Text("DefError");
        r.Arg = ErrorRecord::Ptr(&argText);
        r.ArgNum = ErrorRecord::Num(1);
        r.CanDefault = 1;
        e = ErrorBuild(&r);
        ProcessErrorRecord().Arg = 0;  // argText dies here
    }

    if (e->CanDefault) {
        if ((e->GenCode == EG_OPEN && e->OsCode == 32) || e->GenCode == EG_APPENDLOCK) {
            // The caller tests NetErr and decides; nothing to show or log.
            NetErr(true);
            return Usual(false);
        }
    }

    const std::string severityWord = e->Severity == 1 ? "WARNING" : "ERROR";
    if (e->SubstituteType == static_cast<int>(UsualType::Ptr))
        e->Severity = 3;

    ErrorSysHost* host = GetErrorSysHost();
    std::string message = ErrorMessageText(*e);
    if (host)
        message += CallStackText(host->CallStack());

    if (GetBeep() && host)
        host->Tones();

    const ErrorButtons buttons = ErrorButtonFlags(*e, CanBreak());

    if (GetErrorLog() && host) {
        const std::string entry =
            ErrorLogEntry(*e, message, Version(), DToC(Today()) + " " + Time());
        AppendErrorLog(ProgramDir() + "KPERROR.LOG", entry);
    }

    const int choice = host ? host->ErrorMessageBox(message, severityWord, buttons.defaultFlag,
                                                    buttons.retryFlag, buttons.breakFlag)
                            : 0;
    if (choice == 1)
        return e->CanSubstitute ? EmptyOf(e->SubstituteType) : Usual(false);
    if (choice == 2)
        return Usual(true);

    MathInit();
    if (CanBreak())
        Break(Usual(std::shared_ptr<Object>(e)));
    ErrorLevel(e->GenCode);
    Quit();
}

}  // namespace kp

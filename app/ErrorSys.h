#pragma once
// The default error handler: every run-time error ends up here. It settles
// two network conditions quietly, appends an entry to KPERROR.LOG in the
// program's directory, shows the error with the choices it allows and then
// uses the default, retries, breaks to the nearest recovery point or ends
// the program.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/error.h"
#include "platform/runtime/errorrecord.h"
#include "platform/runtime/usual.h"

namespace kp {

// What the handler needs from its surroundings. The program installs the
// Windows one; tests install their own and answer the box themselves.
class ErrorSysHost {
  public:
    struct Frame {
        std::string proc;
        int line = 0;
    };

    virtual ~ErrorSysHost() = default;
    // Shows the error. Returns 1 for "use the default", 2 for "retry" and
    // any other value for "break" (or "quit" when no recovery point exists).
    virtual int ErrorMessageBox(const std::string& text, const std::string& severityWord,
                                uint32_t defaultFlag, uint32_t retryFlag, uint32_t breakFlag) = 0;
    // A plain box without owner (for failures of the handler itself).
    virtual void PlainBox(const std::string& title, const std::string& text) = 0;
    virtual void Tones() = 0;  // 440, 494 and 523 Hz, one tick each
    // The procedures that led to the error, innermost caller first.
    virtual std::vector<Frame> CallStack() { return {}; }
};

// Installs the host used by DefError and DefErrorGen; returns the previous
// one. The host must outlive its installation.
ErrorSysHost* SetErrorSysHost(ErrorSysHost* host);
ErrorSysHost* GetErrorSysHost();

// Installs the error block (DefError) and the error function (DefErrorGen).
void InstallErrorSys(ErrorSysHost* host);

// The handler. Its answer goes back to the raiser: false (use the
// default), true (retry) or an empty value of the substitute type; a break
// does not return.
Usual DefError(const Usual& error);

// The run-time's error function: a new error object filled from the
// low-level record. A null record is reported in a plain box and gives an
// unfilled object. When no object can be created (no memory left) a plain
// box says so and the result is null, which Raise answers like an
// unhandled error.
std::shared_ptr<Error> DefErrorGen(const ErrorRecord* record);
// The same with the object made by `create`, which may fail by throwing
// std::bad_alloc or by returning null.
std::shared_ptr<Error> DefErrorGen(const ErrorRecord* record,
                                   const std::function<std::shared_ptr<Error>()>& create);

// The pieces of the handler, for the handler and its tests.
std::string ErrorMessageText(const Error& e);
std::string CallStackText(const std::vector<ErrorSysHost::Frame>& frames);

struct ErrorButtons {
    uint32_t defaultFlag = 0;
    uint32_t retryFlag = 0;
    uint32_t breakFlag = 0;
};
// May clear CanRetry (an undefined variable cannot be retried).
ErrorButtons ErrorButtonFlags(Error& e, bool canBreak);

std::string ErrorLogEntry(const Error& e, const std::string& message, const std::string& version,
                          const std::string& dateTime);
// Appends the entry to the log, separated from the one before by an empty
// line. False when the file could be neither opened nor created.
bool AppendErrorLog(const std::string& path, const std::string& entry);

std::string HexText(uint64_t value);

}  // namespace kp

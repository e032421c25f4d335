#include "platform/runtime/error.h"

#include "platform/runtime/errorbox.h"

#include <utility>

namespace kp {

namespace {

ErrorBlockFn& BlockSlot() {
    static ErrorBlockFn block;
    return block;
}

thread_local int recoveryDepth = 0;

}  // namespace

std::string ErrString(int32_t genCode) {
    switch (genCode) {
        case 1:
            return "ARGUMENT ERROR";
        case 2:
            return "BOUND ERROR";
        case 3:
            return "STRING OVERFLOW";
        case 4:
            return "NUMERIC OVERFLOW";
        case 5:
            return "ZERO DIVISOR";
        case 6:
            return "NUMERIC ERROR";
        case 7:
            return "SYNTAX ERROR";
        case 8:
            return "OPERATION TOO COMPLEX";
        case 11:
            return "MEMORY LOW";
        case 12:
            return "UNDEFINED FUNCTION";
        case 13:
            return "NO EXPORTED METHOD";
        case 14:
            return "VARIABLE DOES NOT EXIST";
        case 15:
            return "ALIAS DOES NOT EXIST";
        case 16:
            return "NO EXPORTED VARIABLE";
        case 17:
            return "ILLEGAL CHARACTERS IN ALIAS";
        case 18:
            return "ALIAS ALREADY IN USE";
        case 20:
            return "CREATE ERROR";
        case 21:
            return "OPEN ERROR";
        case 22:
            return "CLOSE ERROR";
        case 23:
            return "READ ERROR";
        case 24:
            return "WRITE ERROR";
        case 25:
            return "PRINT ERROR";
        case 30:
            return "OPERATION NOT SUPPORTED";
        case 31:
            return "LIMIT EXCEEDED";
        case 32:
            return "CORRUPTION DETECTED";
        case 33:
            return "DATA TYPE ERROR";
        case 34:
            return "DATA WIDTH ERROR";
        case 35:
            return "WORKAREA NOT IN USE";
        case 36:
            return "WORKAREA NOT INDEXED";
        case 37:
            return "EXCLUSIVE REQUIRED";
        case 38:
            return "LOCK REQUIRED";
        case 39:
            return "WRITE NOT ALLOWED";
        case 40:
            return "APPEND LOCK FAILED";
        case 41:
            return "LOCK FAILURE";
        default:
            return {};
    }
}

Symbol Error::ClassName() const {
    static const Symbol name("ERROR");
    return name;
}

ErrorBlockFn ErrorBlock(ErrorBlockFn block) {
    return std::exchange(BlockSlot(), std::move(block));
}

ErrorBlockFn ErrorBlock() {
    return BlockSlot();
}

Usual Raise(std::shared_ptr<Error> error) {
    if (!error)
        return Usual(false);
    ++error->Tries;
    // A copy: the handler may install another block while it runs.
    const ErrorBlockFn block = BlockSlot();
    if (!block)
        return Usual(false);
    return block(std::move(error));
}

bool RaiseRetry(std::shared_ptr<Error> error) {
    if (!error)
        return false;
    const bool canRetry = error->CanRetry;
    const Usual answer = Raise(std::move(error));
    return canRetry && answer.IsLogic() && answer.AsLogic();
}

bool CanBreak() {
    return recoveryDepth > 0;
}

void Break(Usual value) {
    throw BreakException{std::move(value)};
}

RecoveryPoint::RecoveryPoint() {
    ++recoveryDepth;
}
RecoveryPoint::~RecoveryPoint() {
    --recoveryDepth;
}

bool BeginSequence(const std::function<void()>& body, Usual* broken) {
    try {
        RecoveryPoint rp;
        body();
        return true;
    } catch (const BreakException& b) {
        if (broken)
            *broken = b.value;
        return false;
    }
}

}  // namespace kp

// ---- The error message box ---------------------------------------------

namespace kp {

namespace {
ErrorMessageBoxFn& BoxSlot() {
    static ErrorMessageBoxFn box;
    return box;
}
}  // namespace

ErrorMessageBoxFn SetErrorMessageBox(ErrorMessageBoxFn box) {
    return std::exchange(BoxSlot(), std::move(box));
}

int ErrorMessageBox(const std::string& text, const std::string& severityWord, uint32_t defaultFlag,
                    uint32_t retryFlag, uint32_t breakFlag) {
    const ErrorMessageBoxFn box = BoxSlot();
    if (box)
        return box(text, severityWord, defaultFlag, retryFlag, breakFlag);
    return defaultFlag != 0 ? 1 : 3;
}

}  // namespace kp

#pragma once
// Failures inside the engine. The engine throws DbError; the data server
// turns it into a run-time error raised through the error block, where a
// handler may retry the operation. The engine itself never talks to the
// error block, so the command-line tools can use it directly.
#include <cstdint>
#include <string>

namespace kp {

struct DbError {
    int32_t genCode = 0;  // EG_* of platform/runtime/error.h
    uint32_t osCode = 0;  // Windows numbering (osfile.h)
    std::string fileName;
    std::string description;
    bool canRetry = false;
};

[[noreturn]] void ThrowDb(int32_t genCode, const std::string& fileName,
                          const std::string& description, uint32_t osCode = 0,
                          bool canRetry = false);

}  // namespace kp

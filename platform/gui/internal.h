#pragma once
// Helpers shared by the library's sources; not part of its interface.
#include <cstdint>
#include <string>

namespace kp {

// Raises a run-time error of the GUI subsystem through the error block.
void RaiseGuiError(int32_t genCode, const std::string& operation, const std::string& description,
                   const std::string& arg = {});

}  // namespace kp

#pragma once
// Where an end-to-end test of the shell leaves tables for the independent
// reader that runs after it (shell_dbfread_check.py): a folder per case
// with the table files and the texts expected in them.
#include <filesystem>
#include <string>
#include <string_view>

#include "tools/uidriver/format.h"
#include "tools/uidriver/uidriver.h"

namespace kp::e2e {

inline std::filesystem::path HandOverFolder(std::string_view name) {
    const auto dir = std::filesystem::path(uidriver::Widen(uidriver::ToWindowsPath(KP_E2E_OUT))) /
                     std::string(name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace kp::e2e

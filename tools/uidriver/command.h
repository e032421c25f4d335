#pragma once
// The command line of uidriver.exe: one command per call, answered with one
// line (or one line per item for lists) and an exit code:
//   0  done
//   1  not found, timed out, or refused (a disabled or hidden control)
//   2  usage error
#include <optional>
#include <string>
#include <vector>

#include "tools/uidriver/uidriver.h"

namespace kp::uidriver {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

extern const char* const kUsage;

struct Command {
    std::string verb;                // "wait-window", "click", ...
    std::string caption;             // of the top-level window or the message box
    int id = 0;                      // control id for click, text, state
    ButtonChoice button;             // for msgbox-press
    milliseconds timeout{5000};      // how long to wait for the window or box
    Owner owner;                     // --pid / --exe
    std::string desktop;             // --desktop: look there instead of our own desktop
    std::vector<std::string> extra;  // arguments after the id (text, keys, index)
    bool help = false;
};

// Parses the arguments after the program name. On a usage error the result
// is empty and error says why.
std::optional<Command> ParseCommand(const std::vector<std::string>& args, std::string& error);

// Runs a parsed command; out receives the answer, err the reason of a failure
// (both newline-terminated). Returns the exit code.
int RunCommand(const Command& command, std::string& out, std::string& err);

// Parse and run: what main does.
int RunCommandLine(const std::vector<std::string>& args, std::string& out, std::string& err);

}  // namespace kp::uidriver

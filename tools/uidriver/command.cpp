#include "tools/uidriver/command.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string_view>

#include "tools/uidriver/desktop.h"

namespace kp::uidriver {

const char* const kUsage =
    "usage: uidriver COMMAND ARGS... [--timeout MS] [--pid PID] [--exe PATH] [--desktop NAME]\n"
    "  wait-window CAPTION [MS]         wait for a top-level window: hwnd=0x.. pid=N\n"
    "  click CAPTION ID                 click a control (refused when disabled or hidden)\n"
    "  text CAPTION ID                  a control's text, on one line (\\r \\n \\t \\\\ escaped)\n"
    "  state CAPTION ID                 enabled=0|1 visible=0|1\n"
    "  list CAPTION                     one line per control: id= class= visible= enabled=\n"
    "                                   rect=left,top,right,bottom text=...\n"
    "  close CAPTION                    ask the window to close (as its close box)\n"
    "  msgbox-text TITLE [MS]           a message box's message, on one line\n"
    "  msgbox-buttons TITLE [MS]        one line per button: id= name= text=...\n"
    "  msgbox-press TITLE BUTTON [MS]   press OK|CANCEL|ABORT|RETRY|IGNORE|YES|NO|... ,\n"
    "                                   a button id, or a caption (\"&Wiederholen\")\n"
    "  windows                          one line per visible top-level window:\n"
    "                                   hwnd= pid= class= caption=...\n"
    "  kill                             end the processes that --pid or --exe name\n"
    "                                   at once: killed=N (never without one of them)\n"
    "CAPTION and TITLE match exactly. ID is decimal or 0x hex. Windows are looked for\n"
    "for MS milliseconds (default 5000). --pid and --exe accept only windows of that\n"
    "process (--exe: its .exe path; a Unix path is read through drive Z:). --desktop\n"
    "looks on that desktop (as \"wine explorer /desktop=NAME,...\" makes one).\n"
    "Exit code: 0 done, 1 not found / timeout / refused, 2 usage.\n";

namespace {

struct Verb {
    std::string_view name;
    int min_args;  // positional arguments after the verb
    int max_args;
    bool id;         // second argument is a control id
    bool button;     // second argument is a button
    int timeout_at;  // index of an optional timeout argument, -1 none
};

constexpr Verb kVerbs[] = {
    {"wait-window", 1, 2, false, false, 1}, {"click", 2, 2, true, false, -1},
    {"text", 2, 2, true, false, -1},        {"state", 2, 2, true, false, -1},
    {"list", 1, 1, false, false, -1},       {"close", 1, 1, false, false, -1},
    {"msgbox-text", 1, 2, false, false, 1}, {"msgbox-buttons", 1, 2, false, false, 1},
    {"msgbox-press", 2, 3, false, true, 2}, {"windows", 0, 0, false, false, -1},
    {"kill", 0, 0, false, false, -1},
};

std::string Hex(const void* p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buffer;
}

std::string Flag(bool b) {
    return b ? "1" : "0";
}

std::string Quoted(std::string_view s) {
    return "\"" + EscapeLine(s) + "\"";
}

std::string ControlLine(const ControlInfo& c) {
    return "id=" + std::to_string(c.id) + " class=" + EscapeLine(c.window_class) +
           " visible=" + Flag(c.visible) + " enabled=" + Flag(c.enabled) +
           " rect=" + std::to_string(c.rect.left) + "," + std::to_string(c.rect.top) + "," +
           std::to_string(c.rect.right) + "," + std::to_string(c.rect.bottom) +
           " text=" + EscapeLine(c.text) + "\n";
}

int Fail(std::string& err, const std::string& why) {
    err += "uidriver: " + why + "\n";
    return kExitFailed;
}

}  // namespace

std::optional<Command> ParseCommand(const std::vector<std::string>& args, std::string& error) {
    Command command;
    std::vector<std::string> positional;
    std::optional<int> option_timeout;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            command.help = true;
            return command;
        }
        if (a == "--timeout" || a == "--pid" || a == "--exe" || a == "--desktop") {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            bool good = true;
            if (a == "--exe") {
                command.owner.image = ToWindowsPath(value);
            } else if (a == "--desktop") {
                command.desktop = value;
            } else if (a == "--timeout") {
                option_timeout = ParseMilliseconds(value);
                good = option_timeout.has_value();
            } else {
                const auto pid = ParseProcessId(value);
                command.owner.pid = pid.value_or(0);
                good = pid.has_value();
            }
            if (!good || value.empty()) {
                error = "bad value for " + a + ": " + value;
                return std::nullopt;
            }
            continue;
        }
        positional.push_back(a);
    }
    if (positional.empty()) {
        error = "no command";
        return std::nullopt;
    }
    command.verb = positional[0];
    const Verb* verb = nullptr;
    for (const Verb& v : kVerbs) {
        if (v.name == command.verb)
            verb = &v;
    }
    if (!verb) {
        error = "unknown command: " + command.verb;
        return std::nullopt;
    }
    const int n = static_cast<int>(positional.size()) - 1;
    if (n < verb->min_args || n > verb->max_args) {
        error = "wrong number of arguments for " + command.verb;
        return std::nullopt;
    }
    if (n > 0)
        command.caption = positional[1];
    if (command.verb == "kill" && command.owner.pid == 0 && command.owner.image.empty()) {
        error = "kill needs --pid or --exe";
        return std::nullopt;
    }
    if (verb->id) {
        auto id = ParseControlId(positional[2]);
        if (!id) {
            error = "bad control id: " + positional[2];
            return std::nullopt;
        }
        command.id = *id;
    }
    if (verb->button)
        command.button = ParseButtonChoice(positional[2]);
    if (verb->timeout_at >= 0 && n > verb->timeout_at) {
        auto ms = ParseMilliseconds(positional[static_cast<size_t>(verb->timeout_at) + 1]);
        if (!ms) {
            error = "bad timeout: " + positional[static_cast<size_t>(verb->timeout_at) + 1];
            return std::nullopt;
        }
        command.timeout = milliseconds(*ms);
    }
    if (option_timeout)
        command.timeout = milliseconds(*option_timeout);
    return command;
}

int RunCommand(const Command& c, std::string& out, std::string& err) {
    if (c.help) {
        out += kUsage;
        return kExitOk;
    }
    const std::string within = " within " + std::to_string(c.timeout.count()) + " ms";
    std::unique_ptr<Desktop> desktop;
    if (!c.desktop.empty()) {
        // The desktop may be about to be made, together with the program.
        const auto deadline = std::chrono::steady_clock::now() + c.timeout;
        while (!(desktop = Desktop::Open(c.desktop)) &&
               std::chrono::steady_clock::now() < deadline) {
            Sleep(25);
        }
        if (!desktop)
            return Fail(err, "no desktop " + Quoted(c.desktop) + within);
        if (!desktop->Enter())
            return Fail(err, "cannot enter desktop " + Quoted(c.desktop));
    }

    if (c.verb == "kill") {
        out += "killed=" + std::to_string(TerminateProcesses(c.owner)) + "\n";
        return kExitOk;
    }
    if (c.verb == "windows") {
        for (const TopWindowInfo& w : ListTopWindows(c.owner)) {
            out += "hwnd=" + Hex(w.hwnd) + " pid=" + std::to_string(w.pid) +
                   " class=" + EscapeLine(w.window_class) + " caption=" + EscapeLine(w.caption) +
                   "\n";
        }
        return kExitOk;
    }
    if (c.verb.starts_with("msgbox-")) {
        HWND box = WaitMessageBox(c.caption, c.timeout, c.owner);
        if (!box)
            return Fail(err, "no message box " + Quoted(c.caption) + within);
        if (c.verb == "msgbox-text") {
            auto text = MessageBoxText(box);
            if (!text)
                return Fail(err, "message box " + Quoted(c.caption) + " shows no text");
            out += EscapeLine(*text) + "\n";
        } else if (c.verb == "msgbox-buttons") {
            for (const ControlInfo& b : MessageBoxButtons(box)) {
                out += "id=" + std::to_string(b.id) +
                       " name=" + std::string(StandardButtonName(b.id)) +
                       " text=" + EscapeLine(b.text) + "\n";
            }
        } else {
            HWND button = FindButton(box, c.button);
            const std::string which =
                c.button.id ? std::to_string(*c.button.id) : Quoted(c.button.caption);
            if (!button)
                return Fail(err, "message box has no button " + which);
            const Outcome outcome = Click(button);
            if (outcome != Outcome::kOk) {
                return Fail(err, "button " + which + ": " + std::string(Describe(outcome)));
            }
            out += "ok id=" + std::to_string(GetDlgCtrlID(button)) + "\n";
        }
        return kExitOk;
    }

    HWND top = WaitTopWindow(c.caption, c.timeout, c.owner);
    if (!top)
        return Fail(err, "no window " + Quoted(c.caption) + within);
    if (c.verb == "wait-window") {
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        out += "hwnd=" + Hex(top) + " pid=" + std::to_string(pid) + "\n";
        return kExitOk;
    }
    if (c.verb == "list") {
        for (const ControlInfo& info : ListControls(top))
            out += ControlLine(info);
        return kExitOk;
    }
    if (c.verb == "close") {
        const Outcome outcome = PostClose(top);
        if (outcome != Outcome::kOk)
            return Fail(err, std::string(Describe(outcome)));
        out += "ok\n";
        return kExitOk;
    }

    HWND control = FindControl(top, c.id);
    const std::string name = "control " + std::to_string(c.id) + " of " + Quoted(c.caption);
    if (!control)
        return Fail(err, name + " not found");
    if (c.verb == "click") {
        const Outcome outcome = Click(control);
        if (outcome != Outcome::kOk)
            return Fail(err, name + ": " + std::string(Describe(outcome)));
        out += "ok\n";
    } else if (c.verb == "text") {
        auto text = Text(control);
        if (!text)
            return Fail(err, name + " does not answer");
        out += EscapeLine(*text) + "\n";
    } else {  // state
        out +=
            "enabled=" + Flag(IsEnabled(control)) + " visible=" + Flag(IsVisible(control)) + "\n";
    }
    return kExitOk;
}

int RunCommandLine(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::string error;
    auto command = ParseCommand(args, error);
    if (!command) {
        err += "uidriver: " + error + "\n" + kUsage;
        return kExitUsage;
    }
    return RunCommand(*command, out, err);
}

}  // namespace kp::uidriver

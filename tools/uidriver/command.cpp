#include "tools/uidriver/command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string_view>

#include "tools/uidriver/desktop.h"
#include "tools/uidriver/input.h"

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
    "  menu CAPTION ID                  choose a menu item of the window (WM_COMMAND)\n"
    "  keys CAPTION KEYS                type keys into the window: \"F3\", \"Ctrl+D\",\n"
    "                                   \"Alt+F4\", \"Down Down Return\" (blank-separated)\n"
    "  rclick CAPTION ID                right-click a control (ID 0: the window)\n"
    "  dblclick CAPTION ID              double-click a control with the left button\n"
    "  rclick-parent CAPTION ID         right-click the window that holds a control\n"
    "                                   (the page of a form around a field)\n"
    "  enter-text CAPTION ID TEXT       type TEXT into an edit control, replacing it\n"
    "  set-text CAPTION ID TEXT         set a control's text at once (WM_SETTEXT)\n"
    "  tabs CAPTION ID                  one line per tab of a tab control (ID 0: the\n"
    "                                   first one), the selected one marked with *\n"
    "  tab-select CAPTION ID INDEX      select a tab (0-based) as a click on it does\n"
    "  rows CAPTION ID FIRST COUNT      rows of a list view (ID 0: the first one),\n"
    "                                   cells separated by |; first line count=N\n"
    "  status CAPTION                   the text of the window's status bar\n"
    "  toolbar-state CAPTION ID         the toolbar button of that command id:\n"
    "                                   enabled=0|1 checked=0|1\n"
    "  toolbar-click CAPTION ID         click that toolbar button\n"
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
    {"wait-window", 1, 2, false, false, 1},   {"click", 2, 2, true, false, -1},
    {"text", 2, 2, true, false, -1},          {"state", 2, 2, true, false, -1},
    {"list", 1, 1, false, false, -1},         {"close", 1, 1, false, false, -1},
    {"msgbox-text", 1, 2, false, false, 1},   {"msgbox-buttons", 1, 2, false, false, 1},
    {"msgbox-press", 2, 3, false, true, 2},   {"windows", 0, 0, false, false, -1},
    {"kill", 0, 0, false, false, -1},         {"menu", 2, 2, true, false, -1},
    {"keys", 2, 2, false, false, -1},         {"rclick", 2, 2, true, false, -1},
    {"rclick-parent", 2, 2, true, false, -1}, {"dblclick", 2, 2, true, false, -1},
    {"enter-text", 3, 3, true, false, -1},    {"set-text", 3, 3, true, false, -1},
    {"tabs", 2, 2, true, false, -1},          {"tab-select", 3, 3, true, false, -1},
    {"rows", 4, 4, true, false, -1},          {"status", 1, 1, false, false, -1},
    {"toolbar-state", 2, 2, true, false, -1}, {"toolbar-click", 2, 2, true, false, -1},
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

std::optional<int> Number(const std::string& s) {
    try {
        size_t used = 0;
        const int n = std::stoi(s, &used);
        if (used == s.size())
            return n;
    } catch (...) {
    }
    return std::nullopt;
}

// The commands on one control that the newer verbs share.
int RunOnControl(const Command& c, HWND control, std::string& out, std::string& err) {
    const std::string name = "control " + std::to_string(c.id) + " of " + Quoted(c.caption);
    auto done = [&](Outcome outcome) {
        if (outcome != Outcome::kOk)
            return Fail(err, name + ": " + std::string(Describe(outcome)));
        out += "ok\n";
        return kExitOk;
    };
    if (c.verb == "rclick")
        return done(RightClick(control));
    if (c.verb == "dblclick")
        return done(DoubleClick(control));
    if (c.verb == "rclick-parent")
        return done(RightClick(GetParent(control)));
    if (c.verb == "enter-text")
        return done(EnterText(control, c.extra.at(0)));
    if (c.verb == "set-text")
        return done(SetControlText(control, c.extra.at(0)));
    if (c.verb == "tab-select") {
        auto index = Number(c.extra.at(0));
        if (!index)
            return Fail(err, "bad tab index: " + c.extra.at(0));
        return done(SelectTab(control, *index));
    }
    if (c.verb == "tabs") {
        auto captions = TabCaptions(control);
        if (!captions)
            return Fail(err, name + " is no tab control or does not answer");
        const int selected = SelectedTab(control).value_or(-1);
        for (size_t i = 0; i < captions->size(); ++i)
            out +=
                (static_cast<int>(i) == selected ? "*" : " ") + EscapeLine((*captions)[i]) + "\n";
        return kExitOk;
    }
    // rows
    auto first = Number(c.extra.at(0));
    auto count = Number(c.extra.at(1));
    auto total = ListViewCount(control);
    auto columns = ListViewColumnCount(control);
    if (!first || !count || *first < 0 || *count < 0)
        return Fail(err, "bad row range");
    if (!total || !columns)
        return Fail(err, name + " is no list view or does not answer");
    out += "count=" + std::to_string(*total) + "\n";
    for (int r = *first; r < std::min(*total, *first + *count); ++r) {
        auto cells = ListViewRow(control, r, *columns);
        if (!cells)
            return Fail(err, name + ": row " + std::to_string(r) + " does not answer");
        std::string line;
        for (size_t i = 0; i < cells->size(); ++i)
            line += (i ? "|" : "") + EscapeLine((*cells)[i]);
        out += line + "\n";
    }
    return kExitOk;
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
    for (size_t i = verb->id ? 3 : 2;
         i < positional.size() && !verb->button && verb->timeout_at < 0; ++i)
        command.extra.push_back(positional[i]);
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

    if (c.verb == "status") {
        HWND bar = FindControlByClass(top, "msctls_statusbar32");
        auto text = bar ? Text(bar) : std::nullopt;
        if (!text)
            return Fail(err, "no status bar in " + Quoted(c.caption));
        out += EscapeLine(*text) + "\n";
        return kExitOk;
    }
    if (c.verb == "keys") {
        auto keys = ParseKeys(c.extra.empty() ? std::string() : c.extra[0]);
        if (!keys)
            return Fail(err, "keys not understood: " + Quoted(c.extra.empty() ? "" : c.extra[0]));
        const Outcome outcome = TypeKeys(top, *keys);
        if (outcome != Outcome::kOk)
            return Fail(err, std::string(Describe(outcome)));
        out += "ok\n";
        return kExitOk;
    }
    if (c.verb == "menu") {
        const Outcome outcome = ChooseMenuItem(top, c.id);
        if (outcome != Outcome::kOk)
            return Fail(
                err, "menu item " + std::to_string(c.id) + ": " + std::string(Describe(outcome)));
        out += "ok\n";
        return kExitOk;
    }
    if (c.verb == "toolbar-state" || c.verb == "toolbar-click") {
        const std::string name = "toolbar button " + std::to_string(c.id);
        if (c.verb == "toolbar-click") {
            const Outcome outcome = ClickToolbarButton(top, c.id);
            if (outcome != Outcome::kOk)
                return Fail(err, name + ": " + std::string(Describe(outcome)));
            out += "ok\n";
            return kExitOk;
        }
        const auto state = ToolbarButton(top, c.id);
        if (!state)
            return Fail(err, name + " not found in " + Quoted(c.caption));
        out += "enabled=" + Flag(state->enabled) + " checked=" + Flag(state->checked) + "\n";
        return kExitOk;
    }
    if (c.id == 0 &&
        (c.verb == "rclick" || c.verb == "tabs" || c.verb == "tab-select" || c.verb == "rows")) {
        HWND target = c.verb == "rclick" ? top
                      : c.verb == "rows" ? FindControlByClass(top, "SysListView32")
                                         : FindControlByClass(top, "SysTabControl32");
        if (!target)
            return Fail(err, "no such control in " + Quoted(c.caption));
        return RunOnControl(c, target, out, err);
    }

    HWND control = FindControl(top, c.id);
    const std::string name = "control " + std::to_string(c.id) + " of " + Quoted(c.caption);
    if (!control)
        return Fail(err, name + " not found");
    if (c.verb != "click" && c.verb != "text" && c.verb != "state")
        return RunOnControl(c, control, out, err);
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

#pragma once
// The UI driver's rules that need no window: how button names, control ids,
// captions and texts are written on its command line and in its output.
#include <optional>
#include <string>
#include <string_view>

namespace kp::uidriver {

// One line of output for any text: backslash, CR, LF, tab and the other
// control characters are written as escapes (\\, \r, \n, \t, \xHH), so a
// message box's two lines joined by CR LF read "first\r\nsecond".
std::string EscapeLine(std::string_view text);

// A control's caption matches what a user asks for as the user reads it: the
// mnemonic marker '&' is ignored ("&&" stands for a literal '&') and ASCII
// letters compare without case. The asked text may be written with or without
// markers: "Wiederholen", "wiederholen" and "&Wiederholen" all match the
// button "&Wiederholen", and "Speichern & Ende" matches "Speichern && Ende".
bool SameCaption(std::string_view caption, std::string_view asked);

// A control id on the command line: decimal ("100") or hex ("0xFFFF"),
// 0 ... 0xFFFF. Anything else is nullopt.
std::optional<int> ParseControlId(std::string_view text);

// A timeout in milliseconds: decimal, 0 ... one day.
std::optional<int> ParseMilliseconds(std::string_view text);

// A process id: decimal, 1 ... 0xFFFFFFFF.
std::optional<unsigned long> ParseProcessId(std::string_view text);

// The standard dialog command ids by name, as message boxes use them:
// OK 1, CANCEL 2, ABORT 3, RETRY 4, IGNORE 5, YES 6, NO 7, CLOSE 8, HELP 9,
// TRYAGAIN 10, CONTINUE 11. Names compare without case; an "ID" prefix is
// allowed ("IDRETRY").
std::optional<int> StandardButtonId(std::string_view name);
// The name of a standard id ("RETRY"), or "" for any other id.
std::string_view StandardButtonName(int id);

// Which button of a box to press: by command id, or by caption.
struct ButtonChoice {
    std::optional<int> id;  // set: press the button with this id
    std::string caption;    // otherwise: the button with this caption
};
// A standard name or a number gives an id; any other text is a caption.
ButtonChoice ParseButtonChoice(std::string_view text);

// A path as Windows programs see it. Under Wine, drive Z: is the Unix root, so
// a Unix path "/a/b.exe" becomes "Z:\a\b.exe"; other paths stay as they are.
std::string ToWindowsPath(std::string_view path);

}  // namespace kp::uidriver

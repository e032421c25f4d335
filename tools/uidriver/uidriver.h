#pragma once
// Drives another program's windows as a user would: find a window by its
// caption, a control by its id, read what is shown, click buttons, answer
// message boxes and wait for the program to end.
//
// Every function works across processes (the driver and the program run in
// the same Windows session) and never blocks on the program for long: clicks
// and close requests are posted, reads use a send with a time limit, so a
// program that sits in a modal box or a long loop cannot hang the driver.
// Texts are UTF-8.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/uidriver/format.h"

namespace kp::uidriver {

using std::chrono::milliseconds;

// Owns a kernel handle (process, thread); closes it once.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE release();
    void reset(HANDLE h = nullptr);

  private:
    HANDLE h_ = nullptr;
};

// Restricts the search for windows to one process. Several programs (and
// other test runs) may show a window of the same caption in one session.
struct Owner {
    DWORD pid = 0;      // 0: any process
    std::string image;  // full path of the process's .exe (case ignored); "": any
};

// True when the window belongs to a process that matches owner.
bool BelongsTo(HWND hwnd, const Owner& owner);

// A visible top-level window with exactly this caption, or nullptr. A non-empty
// window_class restricts the search to that class ("#32770" for dialogs).
HWND FindTopWindow(std::string_view caption, const Owner& owner = {},
                   std::string_view window_class = {});
// As FindTopWindow, polling until the window appears or timeout passes.
HWND WaitTopWindow(std::string_view caption, milliseconds timeout, const Owner& owner = {},
                   std::string_view window_class = {});

struct TopWindowInfo {
    HWND hwnd = nullptr;
    DWORD pid = 0;
    std::string window_class;
    std::string caption;
};
// The visible top-level windows of owner's processes, front to back. What a
// program shows when the expected window does not come.
std::vector<TopWindowInfo> ListTopWindows(const Owner& owner = {});

// The first control with this id among all descendants of top (controls of a
// form live in a child dialog of the frame), depth first; nullptr if none.
HWND FindControl(HWND top, int id);

struct ControlInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::string window_class;
    std::string text;
    bool visible = false;  // the control and all its parents are visible
    bool enabled = false;  // the control itself accepts input
    RECT rect{};           // in pixels, relative to top's client area
};

// Every descendant of top, in creation order, depth first.
std::vector<ControlInfo> ListControls(HWND top);
// One control's entry as ListControls gives it.
ControlInfo DescribeControl(HWND top, HWND control);

// The window class of a window ("Edit", "#32770"); "" when it is gone.
std::string ClassOf(HWND hwnd);

// The window's text (WM_GETTEXT); nullopt when the window is gone or does not
// answer within the time limit.
std::optional<std::string> Text(HWND hwnd);
bool IsEnabled(HWND hwnd);
bool IsVisible(HWND hwnd);

enum class Outcome {
    kOk,
    kNotFound,  // no such window, control or button
    kDisabled,  // a user could not click it: disabled
    kHidden,    // a user could not click it: not visible
};
std::string_view Describe(Outcome outcome);

// Clicks a button as a user would. Refuses disabled or hidden controls. The
// click is posted, so a button that opens a modal box does not block us.
Outcome Click(HWND control);
// Asks a top-level window to close, as its close box does (WM_CLOSE, posted).
Outcome PostClose(HWND top);

// A message box: a visible top-level dialog (class "#32770") with this title.
HWND FindMessageBox(std::string_view title, const Owner& owner = {});
HWND WaitMessageBox(std::string_view title, milliseconds timeout, const Owner& owner = {});
// The message of a box: its static text with id 0xFFFF (or, for boxes built
// otherwise, its first static text that is not an icon).
std::optional<std::string> MessageBoxText(HWND box);
// The visible buttons of a box, in creation order.
std::vector<ControlInfo> MessageBoxButtons(HWND box);
// The visible button that choice names; nullptr if none.
HWND FindButton(HWND box, const ButtonChoice& choice);
// Presses the button that choice names.
Outcome PressButton(HWND box, const ButtonChoice& choice);

// Waits for a process to end; its exit code, or nullopt on timeout.
std::optional<DWORD> WaitProcessExit(HANDLE process, milliseconds timeout);

// Ends the processes of owner at once (exit code 1): the one with owner.pid,
// or every process started from owner.image. An empty owner ends nothing.
// Returns how many were ended. (Under Wine, copies of Wine's own built-in
// programs all report the path of the first copy started; programs we build
// report their own path.)
int TerminateProcesses(const Owner& owner);

// The full path of a process's .exe, "" when it cannot be read.
std::string ProcessImage(DWORD pid);

// UTF-8 <-> UTF-16 at the Win32 boundary.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace kp::uidriver

#pragma once
// End-to-end harness: runs the built program in a folder of its own and drives
// it through the UI driver as a user would. Every failure throws E2eError with
// a message that says what was missing, so a test reads as a plain script:
//
//   TempFolder folder;
//   E2eProgram program;
//   program.Start(folder.path());
//   program.Click(100);
//   EXPECT_EQ(program.WaitExit(), 0u);
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/uidriver/uidriver.h"

namespace kp::e2e {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

struct E2eError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Wine starts a program in about a second; a loaded machine needs more.
inline constexpr milliseconds kStartTimeout = 20s;
inline constexpr milliseconds kDefaultTimeout = 10s;

// The built program this harness runs, as a Windows path.
std::filesystem::path ProgramPath();

// A fresh folder under the temporary folder; removed with everything in it
// on destruction unless Keep() was called (a failed test keeps its folder to
// look at).
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void Keep() { keep_ = true; }

  private:
    std::filesystem::path path_;
    bool keep_ = false;
};

// One run of the program. The destructor kills a program that is still
// running, so a failing test never leaves a process behind.
class E2eProgram {
  public:
    explicit E2eProgram(std::string caption = "VeltoTax2010");
    ~E2eProgram();
    E2eProgram(const E2eProgram&) = delete;
    E2eProgram& operator=(const E2eProgram&) = delete;

    // Copies the program into folder and starts it there (its own directory
    // and its working directory are the folder).
    void Start(const std::filesystem::path& folder);

    // The program's top-level window, waited for up to timeout.
    HWND Window(milliseconds timeout = kStartTimeout);
    // A control of the window by id (controls of child dialogs included).
    HWND Control(int id);

    void Click(int id);  // throws when the control is missing, disabled or hidden
    std::string Text(int id);
    bool Enabled(int id);
    bool Visible(int id);
    // The window that has the keyboard focus in the program.
    HWND Focus();
    void Close();  // the close box: WM_CLOSE on the top-level window

    // A message box of this program with this title.
    std::string MessageBoxText(std::string_view title, milliseconds timeout = kDefaultTimeout);
    // Presses a box's button: OK, RETRY, ..., an id, or a caption.
    void Press(std::string_view title, std::string_view button,
               milliseconds timeout = kDefaultTimeout);

    // Polls condition until it holds; false when timeout passes first.
    static bool WaitUntil(const std::function<bool()>& condition,
                          milliseconds timeout = kDefaultTimeout);

    // Waits for the program to end and gives its exit code; throws when it
    // is still running after timeout.
    DWORD WaitExit(milliseconds timeout = kDefaultTimeout);
    bool Running() const;
    // Ends the program at once (exit code 1) if it is running.
    void Kill();

    DWORD pid() const { return pid_; }
    const std::filesystem::path& exe() const { return exe_; }

  private:
    uidriver::Owner owner() const { return uidriver::Owner{pid_, {}}; }
    std::string What(int id) const;
    // What the program shows instead, for failure messages.
    std::string Showing() const;

    std::string caption_;
    std::filesystem::path exe_;
    uidriver::UniqueHandle job_;
    uidriver::UniqueHandle process_;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

}  // namespace kp::e2e

// The UI driver against windows of this process: a target window on a thread
// of its own stands in for the program, real message boxes for its boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "tools/uidriver/command.h"
#include "tools/uidriver/desktop.h"
#include "tools/uidriver/uidriver.h"

namespace kp::uidriver {
namespace {

using namespace std::chrono_literals;

std::string Unique(std::string_view what) {
    return std::string(what) + " " + std::to_string(GetCurrentProcessId());
}

Owner Me() {
    return Owner{GetCurrentProcessId(), {}};
}

// Windows made on helper threads open on the test's desktop.
HDESK ThisDesktop() {
    return GetThreadDesktop(GetCurrentThreadId());
}

// ---------------------------------------------------------------------------
// Rules without windows

TEST(UiDriverFormat, EscapesEveryLineBreakingCharacter) {
    EXPECT_EQ(EscapeLine("Die Umstellung\r\nwurde durchgeführt!"),
              "Die Umstellung\\r\\nwurde durchgeführt!");
    EXPECT_EQ(EscapeLine("a\\b\tc"), "a\\\\b\\tc");
    EXPECT_EQ(EscapeLine(std::string("x\0y\x1B", 4)), "x\\x00y\\x1B");
}

TEST(UiDriverFormat, CaptionsMatchAsShown) {
    EXPECT_TRUE(SameCaption("&Wiederholen", "Wiederholen"));
    EXPECT_TRUE(SameCaption("&Wiederholen", "wiederHOLEN"));
    EXPECT_TRUE(SameCaption("&Wiederholen", "&Wiederholen"));
    EXPECT_TRUE(SameCaption("Speichern && Ende", "Speichern & Ende"));
    EXPECT_FALSE(SameCaption("Speichern && Ende", "Speichern Ende"));
    EXPECT_FALSE(SameCaption("&Ja", "&Nein"));
    EXPECT_FALSE(SameCaption("&Ja", "Ja "));
}

TEST(UiDriverFormat, ParsesIdsTimeoutsAndButtons) {
    EXPECT_EQ(ParseControlId("100"), 100);
    EXPECT_EQ(ParseControlId("0xFFFF"), 0xFFFF);
    for (const char* bad : {"", "-1", "65536", "1O", "0x", "0x1FFFF", " 1"}) {
        EXPECT_EQ(ParseControlId(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(ParseMilliseconds("2500"), 2500);
    EXPECT_EQ(ParseMilliseconds("-5"), std::nullopt);
    EXPECT_EQ(ParseMilliseconds("99999999999"), std::nullopt);
    EXPECT_EQ(ParseProcessId("4294967295"), 4294967295ul);
    EXPECT_EQ(ParseProcessId("0"), std::nullopt);
    EXPECT_EQ(ParseProcessId("4294967296"), std::nullopt);

    EXPECT_EQ(ParseButtonChoice("RETRY").id, IDRETRY);
    EXPECT_EQ(ParseButtonChoice("ignore").id, IDIGNORE);
    EXPECT_EQ(ParseButtonChoice("IDABORT").id, IDABORT);
    EXPECT_EQ(ParseButtonChoice("7").id, IDNO);
    const ButtonChoice caption = ParseButtonChoice("&Wiederholen");
    EXPECT_FALSE(caption.id);
    EXPECT_EQ(caption.caption, "&Wiederholen");
    EXPECT_EQ(StandardButtonName(IDRETRY), "RETRY");
    EXPECT_EQ(StandardButtonName(IDCONTINUE), "CONTINUE");
    EXPECT_EQ(StandardButtonName(0xFFFF), "");
}

TEST(UiDriverFormat, UnixPathsGoThroughDriveZ) {
    EXPECT_EQ(ToWindowsPath("/work/build/app/VeltoTax2010.exe"),
              "Z:\\work\\build\\app\\VeltoTax2010.exe");
    EXPECT_EQ(ToWindowsPath("C:\\Kontor\\VeltoTax2010.exe"), "C:\\Kontor\\VeltoTax2010.exe");
}

TEST(UiDriverCommand, RejectsBadCommandLines) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate", "X"},
        {"click", "X"},
        {"click", "X", "abc"},
        {"list", "X", "extra"},
        {"wait-window", "X", "soon"},
        {"msgbox-press", "Hinweis"},
        {"text", "X", "1", "--pid"},
        {"text", "X", "1", "--pid", "0"},
        {"text", "X", "1", "--timeout", "-1"},
        {"kill"},  // never every process
        {"windows", "X"},
    };
    for (const auto& args : bad) {
        std::string out;
        std::string err;
        EXPECT_EQ(RunCommandLine(args, out, err), kExitUsage) << ::testing::PrintToString(args);
        EXPECT_EQ(out, "");
        EXPECT_NE(err.find("usage:"), std::string::npos);
    }
}

TEST(UiDriverCommand, TakesOptionsAnywhere) {
    std::string error;
    auto c = ParseCommand(
        {"--pid", "7", "msgbox-press", "Hinweis", "&Wiederholen", "300", "--exe", "/tmp/a b/x.exe"},
        error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->verb, "msgbox-press");
    EXPECT_EQ(c->caption, "Hinweis");
    EXPECT_FALSE(c->button.id);
    EXPECT_EQ(c->button.caption, "&Wiederholen");
    EXPECT_EQ(c->timeout, 300ms);
    EXPECT_EQ(c->owner.pid, 7u);
    EXPECT_EQ(c->owner.image, "Z:\\tmp\\a b\\x.exe");

    c = ParseCommand({"wait-window", "VeltoTax2010", "9000", "--timeout", "50"}, error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->timeout, 50ms);  // the option wins over the positional value
    c = ParseCommand({"click", "VeltoTax2010", "0x64"}, error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->id, 100);
}

// ---------------------------------------------------------------------------
// A target window on its own thread, as another program's window would be:
// frame > panel (id 1) > controls. The frame records the clicks it receives.

constexpr int kPanel = 1;
constexpr int kGo = 10;       // push button "&Los"
constexpr int kLocked = 11;   // disabled button
constexpr int kHidden = 12;   // invisible button
constexpr int kMessage = 13;  // static text over two lines

class TargetWindow {
  public:
    explicit TargetWindow(std::string caption, std::chrono::milliseconds delay = 0ms)
        : caption_(std::move(caption)), ready_(made_.get_future().share()) {
        thread_ = std::thread([this, delay, desktop = ThisDesktop()] {
            EnterDesktop(desktop);
            Run(delay);
        });
    }
    ~TargetWindow() {
        if (HWND f = frame())
            PostMessageW(f, WM_CLOSE, 0, 0);
        thread_.join();
    }

    HWND frame() const { return ready_.get(); }
    const std::string& caption() const { return caption_; }
    std::vector<int> clicks() const {
        std::lock_guard lock(mutex_);
        return clicks_;
    }

  private:
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        } else if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
            auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            std::lock_guard lock(self->mutex_);
            self->clicks_.push_back(LOWORD(wp));
            return 0;
        } else if (msg == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_COMMAND)
            return SendMessageW(GetParent(hwnd), msg, wp, lp);
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    static HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                      int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }

    void Run(std::chrono::milliseconds delay) {
        std::this_thread::sleep_for(delay);
        HINSTANCE inst = GetModuleHandleW(nullptr);
        WNDCLASSW frame_class{};
        frame_class.lpfnWndProc = FrameProc;
        frame_class.hInstance = inst;
        frame_class.lpszClassName = L"KpUiDriverTestFrame";
        RegisterClassW(&frame_class);  // a second target finds it registered
        WNDCLASSW panel_class = frame_class;
        panel_class.lpfnWndProc = PanelProc;
        panel_class.lpszClassName = L"KpUiDriverTestPanel";
        RegisterClassW(&panel_class);

        HWND frame =
            CreateWindowExW(0, frame_class.lpszClassName, Widen(caption_).c_str(),
                            WS_OVERLAPPEDWINDOW, 50, 50, 400, 300, nullptr, nullptr, inst, this);
        HWND panel =
            Child(frame, panel_class.lpszClassName, L"", WS_VISIBLE, kPanel, 10, 10, 300, 200);
        Child(panel, L"Button", L"&Los", WS_VISIBLE | BS_PUSHBUTTON, kGo, 5, 5, 80, 25);
        Child(panel, L"Button", L"Gesperrt", WS_VISIBLE | WS_DISABLED, kLocked, 5, 35, 80, 25);
        Child(panel, L"Button", L"Versteckt", 0, kHidden, 5, 65, 80, 25);
        Child(panel, L"Static", L"Verträge\r\nauf 16,15%", WS_VISIBLE, kMessage, 5, 95, 200, 40);
        ShowWindow(frame, SW_SHOWNORMAL);
        made_.set_value(frame);

        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    std::string caption_;
    std::promise<HWND> made_;
    std::shared_future<HWND> ready_;
    mutable std::mutex mutex_;
    std::vector<int> clicks_;
    std::thread thread_;
};

TEST(UiDriverWindows, FindsOnlyVisibleWindowsOfTheRightProcess) {
    TargetWindow target(Unique("kp uidriver find"));
    const HWND frame = target.frame();
    EXPECT_EQ(FindTopWindow(target.caption()), frame);
    EXPECT_EQ(FindTopWindow(target.caption(), Me()), frame);
    EXPECT_EQ(FindTopWindow(target.caption(), Owner{GetCurrentProcessId() + 4, {}}), nullptr);

    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(FindTopWindow(target.caption(), Owner{0, Narrow(std::wstring_view(self, n))}), frame);
    EXPECT_EQ(FindTopWindow(target.caption(), Owner{0, "C:\\nirgends\\VeltoTax2010.exe"}), nullptr);

    EXPECT_EQ(FindTopWindow(target.caption(), Me(), "#32770"), nullptr);
    EXPECT_EQ(FindTopWindow(target.caption() + " ", Me()), nullptr);  // captions match exactly
    ShowWindow(frame, SW_HIDE);
    EXPECT_EQ(FindTopWindow(target.caption(), Me()), nullptr);
}

TEST(UiDriverWindows, WaitsForALateWindowAndGivesUpAtTheTimeout) {
    TargetWindow late(Unique("kp uidriver late"), 300ms);
    EXPECT_EQ(WaitTopWindow(late.caption(), 10s, Me()), late.frame());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitTopWindow(Unique("kp uidriver never"), 200ms, Me()), nullptr);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 2s);
}

TEST(UiDriverWindows, FindsNestedControlsAndReadsWhatTheyShow) {
    TargetWindow target(Unique("kp uidriver read"));
    const HWND frame = target.frame();
    ASSERT_EQ(FindControl(frame, 999), nullptr);
    const HWND message = FindControl(frame, kMessage);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(GetParent(message), FindControl(frame, kPanel));
    EXPECT_EQ(Text(message), "Verträge\r\nauf 16,15%");
    EXPECT_EQ(Text(nullptr), std::nullopt);

    EXPECT_TRUE(IsEnabled(FindControl(frame, kGo)));
    EXPECT_FALSE(IsEnabled(FindControl(frame, kLocked)));
    EXPECT_FALSE(IsVisible(FindControl(frame, kHidden)));
    ShowWindow(FindControl(frame, kPanel), SW_HIDE);  // hidden with its parent
    EXPECT_FALSE(IsVisible(FindControl(frame, kGo)));
    ShowWindow(FindControl(frame, kPanel), SW_SHOW);

    const std::vector<ControlInfo> controls = ListControls(frame);
    ASSERT_EQ(controls.size(), 5u);
    std::vector<int> ids;
    for (const ControlInfo& c : controls)
        ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{kPanel, kGo, kLocked, kHidden, kMessage}));
    const ControlInfo& go = controls[1];
    EXPECT_EQ(go.window_class, "Button");
    EXPECT_EQ(go.text, "&Los");
    EXPECT_TRUE(go.visible && go.enabled);
    EXPECT_EQ(go.rect.left, 15);  // panel at 10 + button at 5, in the frame's client area
    EXPECT_EQ(go.rect.top, 15);
    EXPECT_EQ(go.rect.right, 95);
    EXPECT_EQ(go.rect.bottom, 40);
    EXPECT_FALSE(controls[2].enabled);
    EXPECT_FALSE(controls[3].visible);
}

TEST(UiDriverWindows, ClicksOnlyWhatAUserCouldClick) {
    TargetWindow target(Unique("kp uidriver click"));
    const HWND frame = target.frame();
    EXPECT_EQ(Click(FindControl(frame, kLocked)), Outcome::kDisabled);
    EXPECT_EQ(Click(FindControl(frame, kHidden)), Outcome::kHidden);
    EXPECT_EQ(Click(nullptr), Outcome::kNotFound);
    EXPECT_EQ(Click(FindControl(frame, kGo)), Outcome::kOk);
    auto clicked = [&] { return !target.clicks().empty(); };
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!clicked() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(100ms);  // a refused click would have arrived by now
    EXPECT_EQ(target.clicks(), std::vector<int>{kGo});
}

TEST(UiDriverWindows, CommandLineAnswersWithOneLineAndAnExitCode) {
    TargetWindow target(Unique("kp uidriver cli"));
    target.frame();
    const std::string pid = std::to_string(GetCurrentProcessId());
    auto run = [&](std::vector<std::string> args, std::string& out) {
        args.insert(args.end(), {"--pid", pid});
        std::string err;
        return RunCommandLine(args, out, err);
    };
    std::string out;
    EXPECT_EQ(run({"text", target.caption(), "13"}, out), kExitOk);
    EXPECT_EQ(out, "Verträge\\r\\nauf 16,15%\n");
    out.clear();
    EXPECT_EQ(run({"state", target.caption(), "11"}, out), kExitOk);
    EXPECT_EQ(out, "enabled=0 visible=1\n");
    out.clear();
    EXPECT_EQ(run({"list", target.caption()}, out), kExitOk);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5);
    EXPECT_NE(out.find("id=10 class=Button visible=1 enabled=1 rect=15,15,95,40 text=&Los\n"),
              std::string::npos);
    out.clear();
    EXPECT_EQ(run({"click", target.caption(), "11"}, out), kExitFailed);
    EXPECT_EQ(run({"click", target.caption(), "77"}, out), kExitFailed);
    EXPECT_EQ(run({"wait-window", target.caption() + "?", "100"}, out), kExitFailed);
    EXPECT_EQ(out, "");  // failures say nothing on the answer channel
    EXPECT_EQ(run({"close", target.caption()}, out), kExitOk);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (IsWindow(target.frame()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(IsWindow(target.frame()));
}

TEST(UiDriverDesktop, WindowsAreSeenOnlyFromTheirDesktop) {
    const std::string desktop = CurrentDesktopName();
    if (desktop == "Default")
        GTEST_SKIP() << "the test runs on the shared desktop";
    TargetWindow target(Unique("kp uidriver desktop"));
    const HWND frame = target.frame();
    const std::string pid = std::to_string(GetCurrentProcessId());
    // A new thread starts on the process's first desktop, as another program would.
    HWND outside = frame;
    HWND inside = nullptr;
    int cli_outside = -1;
    int cli_inside = -1;
    std::string out;
    std::thread([&] {
        outside = FindTopWindow(target.caption(), Me());
        std::string err;
        cli_outside =
            RunCommandLine({"wait-window", target.caption(), "100", "--pid", pid}, out, err);
        cli_inside = RunCommandLine(
            {"wait-window", target.caption(), "100", "--pid", pid, "--desktop", desktop}, out, err);
        auto opened = Desktop::Open(desktop);
        if (opened && opened->Enter())
            inside = FindTopWindow(target.caption(), Me());
    }).join();
    EXPECT_EQ(outside, nullptr);
    EXPECT_EQ(cli_outside, kExitFailed);
    EXPECT_EQ(cli_inside, kExitOk);
    EXPECT_EQ(out.rfind("hwnd=", 0), 0u) << out;
    EXPECT_EQ(inside, frame);
}

// ---------------------------------------------------------------------------
// Real message boxes, shown by a thread of this process.

class BoxOnThread {
  public:
    BoxOnThread(std::string title, std::wstring text, UINT type) : title_(std::move(title)) {
        thread_ = std::thread([this, text = std::move(text), type, desktop = ThisDesktop()] {
            EnterDesktop(desktop);
            result_ = MessageBoxW(nullptr, text.c_str(), Widen(title_).c_str(), type);
        });
    }
    // A test that failed half way still ends its box, by any button.
    ~BoxOnThread() {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (result_ == 0 && std::chrono::steady_clock::now() < deadline) {
            if (HWND box = FindMessageBox(title_, Me())) {
                auto buttons = MessageBoxButtons(box);
                if (!buttons.empty())
                    Click(buttons.front().hwnd);
            }
            std::this_thread::sleep_for(50ms);
        }
        thread_.join();
    }
    // What MessageBox returned, waited for up to 5 s; 0 if it has not.
    int Result() {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (result_ == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        return result_;
    }
    const std::string& title() const { return title_; }

  private:
    std::string title_;
    std::atomic<int> result_{0};
    std::thread thread_;
};

TEST(UiDriverMessageBox, ReadsTheMessageAndPressesAButtonByName) {
    BoxOnThread box(Unique("Fehler"), L"Datei gesperrt.\r\nNochmal versuchen?",
                    MB_ABORTRETRYIGNORE | MB_ICONERROR);
    HWND hwnd = WaitMessageBox(box.title(), 10s, Me());
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(MessageBoxText(hwnd), "Datei gesperrt.\r\nNochmal versuchen?");
    std::vector<int> ids;
    for (const ControlInfo& b : MessageBoxButtons(hwnd))
        ids.push_back(b.id);
    EXPECT_EQ(ids, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
    EXPECT_EQ(PressButton(hwnd, ParseButtonChoice("OK")), Outcome::kNotFound);
    EXPECT_EQ(PressButton(hwnd, ParseButtonChoice("RETRY")), Outcome::kOk);
    EXPECT_EQ(box.Result(), IDRETRY);
}

TEST(UiDriverMessageBox, PressesAButtonByItsCaption) {
    BoxOnThread box(Unique("Hinweis"), L"Die Umstellung wurde erfolgreich durchgeführt!",
                    MB_YESNO | MB_ICONINFORMATION);
    HWND hwnd = WaitMessageBox(box.title(), 10s, Me());
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(MessageBoxText(hwnd), "Die Umstellung wurde erfolgreich durchgeführt!");
    // Whatever the language of the captions: the one of the NO button.
    HWND no = FindButton(hwnd, ParseButtonChoice("NO"));
    ASSERT_NE(no, nullptr);
    const std::string caption = Text(no).value_or("");
    ASSERT_FALSE(caption.empty());
    EXPECT_EQ(PressButton(hwnd, ButtonChoice{std::nullopt, caption}), Outcome::kOk);
    EXPECT_EQ(box.Result(), IDNO);
}

TEST(UiDriverProcess, GivesTheExitCodeOrTimesOut) {
    EXPECT_EQ(WaitProcessExit(GetCurrentProcess(), 50ms), std::nullopt);

    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring cmd = std::wstring(system, n) + L"\\cmd.exe";
    std::wstring line = L"cmd.exe /c exit 3";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                               nullptr, nullptr, &si, &pi));
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    EXPECT_EQ(WaitProcessExit(process.get(), 20s), 3u);
}

// A folder of its own under the temporary folder, removed with its files.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH];
        path_ = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + name + L"-" +
                std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(path_.c_str());
    }
    // Copies file in; its path here, or "" on failure.
    std::wstring Copy(const std::wstring& file) {
        const std::wstring target = path_ + file.substr(file.find_last_of(L"\\/"));
        if (!CopyFileW(file.c_str(), target.c_str(), FALSE))
            return {};
        files_.push_back(target);
        return target;
    }

  private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

// The driver waiting a minute for a window that never comes: a process that
// runs until it is ended. Detached: under Wine a console program ended while
// its console host is still starting leaves the host behind, holding the
// test's output open.
UniqueHandle StartWaiting(const std::wstring& exe) {
    std::wstring line = L"uidriver.exe wait-window \"kp never\" 60000";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &si, &pi)) {
        return UniqueHandle();
    }
    CloseHandle(pi.hThread);
    return UniqueHandle(pi.hProcess);
}

TEST(UiDriverProcess, EndsExactlyTheProcessesItIsToldOf) {
    // Copies of one program in two folders: a test's own copy, and the same
    // program run by somebody else.
    const std::wstring driver = Widen(ToWindowsPath(KP_UIDRIVER_EXE));
    ScratchFolder mine(L"kpe2e-mine");
    ScratchFolder theirs(L"kpe2e-theirs");
    const std::wstring my_copy = mine.Copy(driver);
    const std::wstring their_copy = theirs.Copy(driver);
    ASSERT_FALSE(my_copy.empty() || their_copy.empty());
    UniqueHandle my_processes[] = {StartWaiting(my_copy), StartWaiting(my_copy)};
    UniqueHandle their_process = StartWaiting(their_copy);
    ASSERT_TRUE(my_processes[0] && my_processes[1] && their_process);

    EXPECT_EQ(TerminateProcesses(Owner{}), 0);  // never everything
    EXPECT_EQ(TerminateProcesses(Owner{0, Narrow(my_copy)}), 2);
    EXPECT_EQ(WaitProcessExit(my_processes[0].get(), 0ms), 1u);
    EXPECT_EQ(WaitProcessExit(my_processes[1].get(), 0ms), 1u);
    EXPECT_EQ(WaitProcessExit(their_process.get(), 0ms), std::nullopt);
    EXPECT_EQ(TerminateProcesses(Owner{GetProcessId(their_process.get()), {}}), 1);
    EXPECT_EQ(WaitProcessExit(their_process.get(), 5s), 1u);
}

}  // namespace
}  // namespace kp::uidriver

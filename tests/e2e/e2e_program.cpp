#include "tests/e2e/e2e_program.h"

#include <atomic>
#include <cstdio>
#include <optional>
#include <system_error>
#include <thread>

#include "tools/uidriver/desktop.h"

namespace kp::e2e {

namespace fs = std::filesystem;
namespace ui = uidriver;

fs::path ProgramPath() {
    return fs::path(ui::Widen(ui::ToWindowsPath(KP_E2E_PROGRAM)));
}

namespace {

std::string LastError(std::string_view what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1];
    const DWORD n = GetTempPathW(static_cast<DWORD>(std::size(base)), base);
    if (n == 0 || n > MAX_PATH)
        throw E2eError(LastError("no temporary folder"));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = L"kpe2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount64()) + L"-" +
                                  std::to_wstring(counter++);
        fs::path candidate = fs::path(base) / name;
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = std::move(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    throw E2eError(LastError("cannot create a temporary folder"));
}

TempFolder::~TempFolder() {
    if (keep_) {
        std::fprintf(stderr, "e2e: kept %s\n", ui::Narrow(path_.wstring()).c_str());
        return;
    }
    std::error_code ec;
    fs::remove_all(path_, ec);
}

E2eProgram::E2eProgram(std::string caption) : caption_(std::move(caption)) {}

E2eProgram::~E2eProgram() {
    Kill();
}

void E2eProgram::Start(const fs::path& folder) {
    if (process_)
        throw E2eError("program already started");
    exe_ = folder / ProgramPath().filename();
    if (!CopyFileW(ProgramPath().c_str(), exe_.c_str(), FALSE)) {
        throw E2eError(LastError("cannot copy " + ui::Narrow(ProgramPath().wstring()) + " to " +
                                 ui::Narrow(exe_.wstring())));
    }
    std::wstring command_line = L"\"" + exe_.wstring() + L"\"";
    // The program opens its windows where this thread looks for them.
    std::wstring desktop = ui::Widen(ui::CurrentDesktopName());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.lpDesktop = desktop.empty() ? nullptr : desktop.data();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe_.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED, nullptr, folder.c_str(), &si, &pi)) {
        throw E2eError(LastError("cannot start " + ui::Narrow(exe_.wstring())));
    }
    // The program and whatever it starts live in a job that ends with this
    // test process, even when the test dies before its teardown.
    job_.reset(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job_ ||
        !SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof(limits)) ||
        !AssignProcessToJobObject(job_.get(), pi.hProcess)) {
        job_.reset();  // without a job the teardown still ends the program itself
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    window_ = nullptr;
}

HWND E2eProgram::Window(milliseconds timeout) {
    if (!process_)
        throw E2eError("program not started");
    if (window_ && IsWindow(window_))
        return window_;
    window_ = ui::WaitTopWindow(caption_, timeout, owner());
    if (!window_) {
        throw E2eError("no window \"" + caption_ + "\" within " + std::to_string(timeout.count()) +
                       " ms; " + Showing());
    }
    return window_;
}

std::string E2eProgram::Showing() const {
    if (!Running()) {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return "the program has ended with exit code " + std::to_string(code);
    }
    std::string shown;
    for (const ui::TopWindowInfo& w : ui::ListTopWindows(owner())) {
        shown += shown.empty() ? "the program shows " : ", ";
        shown += w.window_class + " \"" + ui::EscapeLine(w.caption) + "\"";
        if (w.window_class == "#32770") {
            if (auto text = ui::MessageBoxText(w.hwnd))
                shown += ": " + ui::EscapeLine(*text);
        }
    }
    return shown.empty() ? "the program shows no window" : shown;
}

std::string E2eProgram::What(int id) const {
    return "control " + std::to_string(id) + " of \"" + caption_ + "\"";
}

HWND E2eProgram::Control(int id) {
    HWND control = ui::FindControl(Window(), id);
    if (!control)
        throw E2eError(What(id) + " not found");
    return control;
}

void E2eProgram::Click(int id) {
    const ui::Outcome outcome = ui::Click(Control(id));
    if (outcome != ui::Outcome::kOk) {
        throw E2eError("cannot click " + What(id) + ": " + std::string(ui::Describe(outcome)));
    }
}

std::string E2eProgram::Text(int id) {
    auto text = ui::Text(Control(id));
    if (!text)
        throw E2eError(What(id) + " does not answer");
    return *text;
}

bool E2eProgram::Enabled(int id) {
    return ui::IsEnabled(Control(id));
}

bool E2eProgram::Visible(int id) {
    return ui::IsVisible(Control(id));
}

HWND E2eProgram::Focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(Window(), nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void E2eProgram::Close() {
    if (ui::PostClose(Window()) != ui::Outcome::kOk)
        throw E2eError("cannot close the window");
}

std::string E2eProgram::MessageBoxText(std::string_view title, milliseconds timeout) {
    HWND box = ui::WaitMessageBox(title, timeout, owner());
    if (!box)
        throw E2eError("no message box \"" + std::string(title) + "\"; " + Showing());
    // A box found as it is being made may not show its text yet.
    std::optional<std::string> text;
    WaitUntil([&] {
        text = ui::MessageBoxText(box);
        return text && !text->empty();
    });
    if (!text)
        throw E2eError("message box \"" + std::string(title) + "\" shows no text");
    return *text;
}

void E2eProgram::Press(std::string_view title, std::string_view button, milliseconds timeout) {
    HWND box = ui::WaitMessageBox(title, timeout, owner());
    if (!box)
        throw E2eError("no message box \"" + std::string(title) + "\"; " + Showing());
    const ui::Outcome outcome = ui::PressButton(box, ui::ParseButtonChoice(button));
    if (outcome != ui::Outcome::kOk) {
        throw E2eError("cannot press " + std::string(button) + " in \"" + std::string(title) +
                       "\": " + std::string(ui::Describe(outcome)));
    }
}

bool E2eProgram::WaitUntil(const std::function<bool()>& condition, milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(25ms);
    }
}

DWORD E2eProgram::WaitExit(milliseconds timeout) {
    if (!process_)
        throw E2eError("program not started");
    auto code = ui::WaitProcessExit(process_.get(), timeout);
    if (!code) {
        throw E2eError("program still running after " + std::to_string(timeout.count()) + " ms; " +
                       Showing());
    }
    return *code;
}

bool E2eProgram::Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

void E2eProgram::Kill() {
    if (!Running())
        return;
    if (!job_ || !TerminateJobObject(job_.get(), 1))
        TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
}

}  // namespace kp::e2e

#include "tests/data/proc.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace kp::test {

namespace fs = std::filesystem;

#ifdef _WIN32
namespace {
std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
}  // namespace

std::unique_ptr<Process> Process::Start(const std::string& name,
                                        const std::vector<std::string>& args) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::path exe = fs::path(self).parent_path() / Wide(name + ".exe");
    std::wstring cmd = L"\"" + exe.wstring() + L"\"";
    for (const auto& a : args)
        cmd += L" \"" + Wide(a) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.wstring().c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    std::unique_ptr<Process> p(new Process());
    p->handle_ = reinterpret_cast<intptr_t>(pi.hProcess);
    return p;
}

Process::~Process() {
    if (!done_) {
        Kill();
        Wait();
    }
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

int Process::Wait() {
    if (done_)
        return code_;
    WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(handle_), &code);
    done_ = true;
    code_ = static_cast<int>(code);
    return code_;
}

void Process::Kill() {
    if (!done_)
        TerminateProcess(reinterpret_cast<HANDLE>(handle_), 9);
}

void SleepMillis(int ms) {
    Sleep(static_cast<DWORD>(ms));
}
#else
std::unique_ptr<Process> Process::Start(const std::string& name,
                                        const std::vector<std::string>& args) {
    fs::path exe = fs::read_symlink("/proc/self/exe").parent_path() / name;
    std::vector<std::string> all = {exe.string()};
    all.insert(all.end(), args.begin(), args.end());
    // A test program that runs in an emulator (a 32-bit build on a kernel
    // that runs only 64-bit programs) starts its helper in it as well.
    if (const char* emulator = std::getenv("KP_EMULATOR"); emulator != nullptr && *emulator)
        all.insert(all.begin(), emulator);
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, all[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return nullptr;
    std::unique_ptr<Process> p(new Process());
    p->handle_ = pid;
    return p;
}

Process::~Process() {
    if (!done_) {
        Kill();
        Wait();
    }
}

int Process::Wait() {
    if (done_)
        return code_;
    int status = 0;
    while (waitpid(static_cast<pid_t>(handle_), &status, 0) < 0 && errno == EINTR) {
    }
    done_ = true;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return code_;
}

void Process::Kill() {
    if (!done_)
        ::kill(static_cast<pid_t>(handle_), SIGKILL);
}

void SleepMillis(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
#endif

std::unique_ptr<Process> Process::StartHelper(const std::vector<std::string>& args) {
    return Start("data_helper", args);
}

std::string TempDir(const std::string& name) {
    static int serial = 0;
    fs::path p = fs::temp_directory_path() / ("kpdata_" + name + "_" +
                                              std::to_string(
#ifdef _WIN32
                                                  GetCurrentProcessId()
#else
                                                  getpid()
#endif
                                                      ) +
                                              "_" + std::to_string(++serial));
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string() + "/";
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

}  // namespace kp::test

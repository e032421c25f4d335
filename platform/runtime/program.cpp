#include "platform/runtime/program.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/runtime/utf8.h"

#ifdef _WIN32
// The two KERNEL32 calls we need, declared here instead of including
// <windows.h> (the run-time stays free of Windows headers).
struct KpMemoryStatusEx {
    unsigned long dwLength;
    unsigned long dwMemoryLoad;
    unsigned long long ullTotalPhys;
    unsigned long long ullAvailPhys;
    unsigned long long ullTotalPageFile;
    unsigned long long ullAvailPageFile;
    unsigned long long ullTotalVirtual;
    unsigned long long ullAvailVirtual;
    unsigned long long ullAvailExtendedVirtual;
};
extern "C" __declspec(dllimport) unsigned long __stdcall GetModuleFileNameW(void* module,
                                                                            wchar_t* name,
                                                                            unsigned long size);
extern "C" __declspec(dllimport) int __stdcall GlobalMemoryStatusEx(KpMemoryStatusEx* status);
#else
#include <unistd.h>
#endif

namespace kp {

namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

struct ProgramState {
    std::string dirOverride;
    std::function<uint64_t(int)> memory;
    int errorLevel = 0;
    std::function<void()> quitHandler;
    std::function<void(int)> exitFn;
    bool inCleanup = false;
};

ProgramState& P() {
    static ProgramState p;
    return p;
}

std::string ExecutablePath() {
#ifdef _WIN32
    std::wstring buf(260, L'\0');
    for (;;) {
        const unsigned long n =
            GetModuleFileNameW(nullptr, buf.data(), static_cast<unsigned long>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size()) {
            buf.resize(n);
            return WideToUtf8(buf);
        }
        buf.resize(buf.size() * 2);
    }
#else
    std::string buf(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return {};
    buf.resize(static_cast<size_t>(n));
    return buf;
#endif
}

bool IsSep(char c) {
    return c == '/' || c == '\\';
}

struct MemFigures {
    uint64_t total = 0, avail = 0;
};

MemFigures SystemMemory() {
    MemFigures m;
#ifdef _WIN32
    KpMemoryStatusEx st{};
    st.dwLength = sizeof st;
    if (GlobalMemoryStatusEx(&st)) {
        m.total = st.ullTotalPhys;
        m.avail = st.ullAvailPhys;
    }
#else
    std::ifstream in("/proc/meminfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string key;
        uint64_t kb = 0;
        ls >> key >> kb;
        if (key == "MemTotal:")
            m.total = kb * 1024;
        else if (key == "MemAvailable:")
            m.avail = kb * 1024;
    }
    if (m.total == 0) {
        const long pages = sysconf(_SC_PHYS_PAGES), avail = sysconf(_SC_AVPHYS_PAGES),
                   size = sysconf(_SC_PAGESIZE);
        if (pages > 0 && size > 0) {
            m.total = static_cast<uint64_t>(pages) * static_cast<uint64_t>(size);
            m.avail = avail > 0 ? static_cast<uint64_t>(avail) * static_cast<uint64_t>(size) : 0;
        }
    }
#endif
    return m;
}

}  // namespace

std::string ProgramDir() {
    if (!P().dirOverride.empty())
        return P().dirOverride;
    std::string path = ExecutablePath();
    size_t cut = path.size();
    while (cut > 0 && !IsSep(path[cut - 1]))
        --cut;
    if (cut == 0)
        return std::string(".") + kSep;
    return path.substr(0, cut);
}

void SetProgramDirForTest(std::string dir) {
    if (!dir.empty() && !IsSep(dir.back()))
        dir += kSep;
    P().dirOverride = std::move(dir);
}

uint64_t Memory(int what) {
    if (P().memory)
        return P().memory(what);
    if (what != 0 && what != 100)
        return 0;
    const MemFigures m = SystemMemory();
    if (what == 0)
        return m.avail;
    if (m.total == 0)
        return 0;
    return (m.avail * 100 + m.total / 2) / m.total;
}

void SetMemoryForTest(std::function<uint64_t(int)> figures) {
    P().memory = std::move(figures);
}

int ErrorLevel() {
    return P().errorLevel;
}
int ErrorLevel(int code) {
    return std::exchange(P().errorLevel, code);
}

void Quit() {
    ProgramState& p = P();
    if (!p.inCleanup && p.quitHandler) {
        p.inCleanup = true;
        const std::function<void()> cleanup = p.quitHandler;
        try {
            cleanup();
        } catch (...) {
            p.inCleanup = false;
            throw;
        }
        p.inCleanup = false;
    }
    const int code = p.errorLevel;
    if (p.exitFn) {
        const std::function<void(int)> exitFn = p.exitFn;
        exitFn(code);  // must not return; if it does, the process ends anyway
    }
    std::exit(code);
}

std::function<void()> SetQuitHandler(std::function<void()> cleanup) {
    return std::exchange(P().quitHandler, std::move(cleanup));
}

std::function<void(int)> SetExitFunctionForTest(std::function<void(int)> exitFn) {
    return std::exchange(P().exitFn, std::move(exitFn));
}

std::string DiskName() {
#ifdef _WIN32
    std::error_code ec;
    const std::wstring cur = std::filesystem::current_path(ec).wstring();
    if (cur.size() >= 2 && cur[1] == L':')
        return WideToUtf8(cur.substr(0, 1));
#endif
    return {};
}

std::string CurDir() {
    std::error_code ec;
    const auto cur = std::filesystem::current_path(ec);
    if (ec)
        return {};
#ifdef _WIN32
    std::string s = WideToUtf8(cur.wstring());
    if (s.size() >= 2 && s[1] == ':')
        s.erase(0, 2);
#else
    std::string s = cur.string();
#endif
    size_t lead = 0;
    while (lead < s.size() && IsSep(s[lead]))
        ++lead;
    s.erase(0, lead);
    while (!s.empty() && IsSep(s.back()))
        s.pop_back();
    return s;
}

std::string Version() {
    return "KontorPlus Runtime 1.0";
}

}  // namespace kp

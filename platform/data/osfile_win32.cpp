// Windows files: one handle per open file; share mode decides shared or
// exclusive opening, and LockFileEx locks belong to the handle.
#include <windows.h>

#include <string>

#include "platform/data/osfile.h"

namespace kp {
namespace {

std::wstring Wide(const std::string& s) {
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

HANDLE H(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

OVERLAPPED At(uint64_t off) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(off & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(off >> 32);
    return ov;
}

// The sharing mode is what keeps an exclusive open exclusive. On failure the
// handle is INVALID_HANDLE_VALUE and *osErr says why; otherwise *osErr is 0.
HANDLE OpenHandle(const std::string& path, OsFile::Share share, DWORD access, DWORD disposition,
                  uint32_t* osErr) {
    DWORD shareMode = share == OsFile::Share::Shared ? (FILE_SHARE_READ | FILE_SHARE_WRITE) : 0;
    HANDLE h = CreateFileW(Wide(path).c_str(), access, shareMode, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (osErr)
        *osErr = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return h;
}

}  // namespace

std::unique_ptr<OsFile> OsFile::Open(const std::string& path, Share share, Access access,
                                     uint32_t* osErr) {
    bool ro = access == Access::ReadOnly;
    HANDLE h = OpenHandle(path, share, ro ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE),
                          OPEN_EXISTING, osErr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    std::unique_ptr<OsFile> f(new OsFile());
    f->handle_ = reinterpret_cast<intptr_t>(h);
    f->path_ = path;
    f->readOnly_ = ro;
    return f;
}

std::unique_ptr<OsFile> OsFile::Create(const std::string& path, Share share, uint32_t* osErr) {
    HANDLE h = OpenHandle(path, share, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, osErr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    std::unique_ptr<OsFile> f(new OsFile());
    f->handle_ = reinterpret_cast<intptr_t>(h);
    f->path_ = path;
    return f;
}

bool OsFile::Remove(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) != 0;
}

bool OsFile::Replace(const std::string& from, const std::string& to, uint32_t* osErr) {
    bool ok = MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (osErr)
        *osErr = ok ? 0 : GetLastError();
    return ok;
}

bool OsFile::Exists(const std::string& path) {
    DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

OsFile::~OsFile() {
    if (handle_ != -1)
        CloseHandle(H(handle_));
}

int64_t OsFile::ReadAt(uint64_t off, void* buf, size_t n) {
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        OVERLAPPED ov = At(off + done);
        DWORD chunk = static_cast<DWORD>(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD got = 0;
        ++counts_.reads;
        if (!ReadFile(H(handle_), p + done, chunk, &got, &ov)) {
            DWORD e = GetLastError();
            if (e == ERROR_HANDLE_EOF)
                break;
            lastError_ = e;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return static_cast<int64_t>(done);
}

bool OsFile::WriteAt(uint64_t off, const void* buf, size_t n) {
    if (readOnly_) {
        lastError_ = ERROR_ACCESS_DENIED;
        return false;
    }
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        OVERLAPPED ov = At(off + done);
        DWORD chunk = static_cast<DWORD>(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD put = 0;
        ++counts_.writes;
        if (!WriteFile(H(handle_), p + done, chunk, &put, &ov) || put == 0) {
            lastError_ = GetLastError();
            if (lastError_ == 0)
                lastError_ = ERROR_WRITE_FAULT;
            return false;
        }
        done += put;
    }
    return true;
}

int64_t OsFile::Size() {
    LARGE_INTEGER sz{};
    if (!GetFileSizeEx(H(handle_), &sz)) {
        lastError_ = GetLastError();
        return -1;
    }
    return static_cast<int64_t>(sz.QuadPart);
}

bool OsFile::Truncate(uint64_t size) {
    LARGE_INTEGER pos{};
    pos.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(H(handle_), pos, nullptr, FILE_BEGIN) || !SetEndOfFile(H(handle_))) {
        lastError_ = GetLastError();
        return false;
    }
    return true;
}

bool OsFile::Sync() {
    if (readOnly_)
        return true;
    ++counts_.flushes;
    if (!FlushFileBuffers(H(handle_))) {
        lastError_ = GetLastError();
        return false;
    }
    return true;
}

bool OsFile::TryLock(uint64_t off, uint64_t len) {
    OVERLAPPED ov = At(off);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (readOnly_ ? 0 : LOCKFILE_EXCLUSIVE_LOCK);
    ++counts_.locks;
    if (!LockFileEx(H(handle_), flags, 0, static_cast<DWORD>(len & 0xFFFFFFFFu),
                    static_cast<DWORD>(len >> 32), &ov)) {
        lastError_ = GetLastError();
        return false;
    }
    return true;
}

void OsFile::Unlock(uint64_t off, uint64_t len) {
    ++counts_.unlocks;
    OVERLAPPED ov = At(off);
    UnlockFileEx(H(handle_), 0, static_cast<DWORD>(len & 0xFFFFFFFFu),
                 static_cast<DWORD>(len >> 32), &ov);
}

std::string AbsolutePath(const std::string& path) {
    std::wstring w = Wide(path);
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    full.resize(n);
    int len = WideCharToMultiByte(CP_UTF8, 0, full.data(), static_cast<int>(full.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string out(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, full.data(), static_cast<int>(full.size()), out.data(), len,
                        nullptr, nullptr);
    return out;
}

void SleepMs(int ms) {
    Sleep(static_cast<DWORD>(ms));
}

int64_t NowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

}  // namespace kp

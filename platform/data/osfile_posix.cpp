// POSIX files. Locks are open-file-description locks where the system has
// them, so that they belong to the handle as on Windows (two handles in one
// process then conflict, and closing one handle does not drop the other's
// locks). The Windows share modes are imitated with a lock on a byte far
// beyond every lock of the shared scheme: shared openers hold it for
// reading, an exclusive opener for writing.
//
// That byte and the tables themselves lie beyond 2 GB, so file offsets are
// 64 bits wide on 32-bit systems too (before any system header).
#define _FILE_OFFSET_BITS 64
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/data/osfile.h"

namespace kp {
namespace {

static_assert(sizeof(off_t) == 8, "file offsets must be 64 bits wide");
constexpr off_t kShareByte = 4'000'000'000LL;

#ifdef F_OFD_SETLK
constexpr int kSetLk = F_OFD_SETLK;
#else
constexpr int kSetLk = F_SETLK;
#endif

uint32_t MapErrno(int e) {
    switch (e) {
        case 0:
            return OSERR_NONE;
        case ENOENT:
            return OSERR_FILE_NOT_FOUND;
        case ENOTDIR:
            return OSERR_PATH_NOT_FOUND;
        case EMFILE:
        case ENFILE:
            return OSERR_TOO_MANY_OPEN;
        case EACCES:
        case EPERM:
        case EROFS:
            return OSERR_ACCESS_DENIED;
        case EEXIST:
            return OSERR_FILE_EXISTS;
        case ENOSPC:
            return OSERR_DISK_FULL;
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
            return OSERR_LOCK_VIOLATION;
        default:
            return OSERR_READ_FAULT;
    }
}

bool SetLock(int fd, short type, uint64_t off, uint64_t len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(off);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;
    while (fcntl(fd, kSetLk, &fl) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

int OpenFd(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

std::unique_ptr<OsFile> OsFile::Open(const std::string& path, Share share, Access access,
                                     uint32_t* osErr) {
    bool ro = access == Access::ReadOnly;
    int fd = OpenFd(path, ro ? O_RDONLY : O_RDWR);
    if (fd < 0) {
        if (osErr)
            *osErr = MapErrno(errno);
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (osErr)
            *osErr = OSERR_ACCESS_DENIED;
        return nullptr;
    }
    // A read lock needs a readable descriptor, a write lock a writable one;
    // a read-only opener asking for exclusivity takes the read lock only.
    short type = (share == Share::Exclusive && !ro) ? F_WRLCK : F_RDLCK;
    if (!SetLock(fd, type, kShareByte, 1)) {
        ::close(fd);
        if (osErr)
            *osErr = OSERR_SHARING_VIOLATION;
        return nullptr;
    }
    std::unique_ptr<OsFile> f(new OsFile());
    f->handle_ = fd;
    f->path_ = path;
    f->readOnly_ = ro;
    if (osErr)
        *osErr = 0;
    return f;
}

std::unique_ptr<OsFile> OsFile::Create(const std::string& path, Share share, uint32_t* osErr) {
    int fd = OpenFd(path, O_RDWR | O_CREAT);
    if (fd < 0) {
        if (osErr)
            *osErr = MapErrno(errno);
        return nullptr;
    }
    if (!SetLock(fd, share == Share::Exclusive ? F_WRLCK : F_RDLCK, kShareByte, 1)) {
        ::close(fd);
        if (osErr)
            *osErr = OSERR_SHARING_VIOLATION;
        return nullptr;
    }
    if (ftruncate(fd, 0) != 0) {
        if (osErr)
            *osErr = MapErrno(errno);
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<OsFile> f(new OsFile());
    f->handle_ = fd;
    f->path_ = path;
    if (osErr)
        *osErr = 0;
    return f;
}

bool OsFile::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool OsFile::Replace(const std::string& from, const std::string& to, uint32_t* osErr) {
    bool ok = ::rename(from.c_str(), to.c_str()) == 0;
    if (osErr)
        *osErr = ok ? 0 : MapErrno(errno);
    return ok;
}

bool OsFile::Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

OsFile::~OsFile() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

int64_t OsFile::ReadAt(uint64_t off, void* buf, size_t n) {
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ++counts_.reads;
        ssize_t r =
            ::pread(static_cast<int>(handle_), p + done, n - done, static_cast<off_t>(off + done));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = OSERR_READ_FAULT;
            return -1;
        }
        if (r == 0)
            break;
        done += static_cast<size_t>(r);
    }
    return static_cast<int64_t>(done);
}

bool OsFile::WriteAt(uint64_t off, const void* buf, size_t n) {
    if (readOnly_) {
        lastError_ = OSERR_ACCESS_DENIED;
        return false;
    }
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ++counts_.writes;
        ssize_t r =
            ::pwrite(static_cast<int>(handle_), p + done, n - done, static_cast<off_t>(off + done));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = errno == ENOSPC ? OSERR_DISK_FULL : OSERR_WRITE_FAULT;
            return false;
        }
        done += static_cast<size_t>(r);
    }
    return true;
}

int64_t OsFile::Size() {
    struct stat st {};
    if (fstat(static_cast<int>(handle_), &st) != 0) {
        lastError_ = MapErrno(errno);
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

bool OsFile::Truncate(uint64_t size) {
    if (ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) != 0) {
        lastError_ = MapErrno(errno);
        return false;
    }
    return true;
}

bool OsFile::Sync() {
    if (readOnly_)
        return true;
    ++counts_.flushes;
    if (fdatasync(static_cast<int>(handle_)) != 0) {
        lastError_ = OSERR_WRITE_FAULT;
        return false;
    }
    return true;
}

bool OsFile::TryLock(uint64_t off, uint64_t len) {
    // A write lock needs a writable descriptor; a read-only handle takes a
    // read lock, which still conflicts with every writer's exclusive lock.
    ++counts_.locks;
    if (!SetLock(static_cast<int>(handle_), readOnly_ ? F_RDLCK : F_WRLCK, off, len)) {
        lastError_ = OSERR_LOCK_VIOLATION;
        return false;
    }
    return true;
}

void OsFile::Unlock(uint64_t off, uint64_t len) {
    ++counts_.unlocks;
    SetLock(static_cast<int>(handle_), F_UNLCK, off, len);
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    char buf[4096];
    if (!::getcwd(buf, sizeof buf))
        return path;
    std::string dir(buf);
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir + path;
}

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace kp

#pragma once
// The file and lock primitives the table engine stands on: one open handle
// per file, positioned reads and writes, and byte-range locks that belong to
// that handle. Windows and POSIX implement this one interface; nothing above
// it knows which.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kp {

// OS error codes are reported in the Windows numbering on every platform, so
// that an error handler tests one set of numbers (32 = sharing violation).
enum OsErr : uint32_t {
    OSERR_NONE = 0,
    OSERR_FILE_NOT_FOUND = 2,
    OSERR_PATH_NOT_FOUND = 3,
    OSERR_TOO_MANY_OPEN = 4,
    OSERR_ACCESS_DENIED = 5,
    OSERR_WRITE_FAULT = 29,
    OSERR_READ_FAULT = 30,
    OSERR_SHARING_VIOLATION = 32,
    OSERR_LOCK_VIOLATION = 33,
    OSERR_HANDLE_EOF = 38,
    OSERR_FILE_EXISTS = 80,
    OSERR_DISK_FULL = 112,
};

// Calls of the file layer that reach the operating system (on a file
// server each is a network round trip): counted per open file, so that a
// job can report what it cost independently of how fast the machine is.
struct IoCounts {
    uint64_t locks = 0;  // lock attempts, granted or refused
    uint64_t unlocks = 0;
    uint64_t reads = 0;
    uint64_t writes = 0;
    uint64_t flushes = 0;  // to stable storage

    IoCounts& operator+=(const IoCounts& o) {
        locks += o.locks;
        unlocks += o.unlocks;
        reads += o.reads;
        writes += o.writes;
        flushes += o.flushes;
        return *this;
    }
    friend IoCounts operator-(IoCounts a, const IoCounts& b) {
        a.locks -= b.locks;
        a.unlocks -= b.unlocks;
        a.reads -= b.reads;
        a.writes -= b.writes;
        a.flushes -= b.flushes;
        return a;
    }
};

class OsFile {
  public:
    enum class Share { Shared, Exclusive };
    enum class Access { ReadWrite, ReadOnly };

    // Opens an existing file. Null on failure, *osErr then says why.
    static std::unique_ptr<OsFile> Open(const std::string& path, Share share, Access access,
                                        uint32_t* osErr);
    // Creates (or truncates) a file for reading and writing.
    static std::unique_ptr<OsFile> Create(const std::string& path, Share share, uint32_t* osErr);
    static bool Remove(const std::string& path);
    // Puts the file `from` in the place of `to` in one step: until it
    // succeeds `to` is untouched. False on failure, *osErr then says why
    // (a sharing violation while another program has `to` open).
    static bool Replace(const std::string& from, const std::string& to, uint32_t* osErr);
    static bool Exists(const std::string& path);

    ~OsFile();
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;

    // Reads up to n bytes at off; returns the count read (short at end of
    // file) or -1 on an error.
    int64_t ReadAt(uint64_t off, void* buf, size_t n);
    // Writes all n bytes at off; false on an error (LastError() says why).
    bool WriteAt(uint64_t off, const void* buf, size_t n);
    int64_t Size();  // -1 on an error
    bool Truncate(uint64_t size);
    bool Sync();  // to stable storage
    // Exclusive lock of [off, off+len) without waiting; false when another
    // handle holds any byte of it.
    bool TryLock(uint64_t off, uint64_t len);
    void Unlock(uint64_t off, uint64_t len);

    uint32_t LastError() const { return lastError_; }
    const IoCounts& Counts() const { return counts_; }
    bool ReadOnly() const { return readOnly_; }
    const std::string& Path() const { return path_; }

  private:
    OsFile() = default;
    intptr_t handle_ = -1;
    std::string path_;
    bool readOnly_ = false;
    uint32_t lastError_ = 0;
    IoCounts counts_;
};

// An exclusive byte-range lock held for the life of the object.
class RangeLock {
  public:
    RangeLock() = default;
    RangeLock(OsFile* f, uint64_t off, uint64_t len) : f_(f), off_(off), len_(len) {}
    ~RangeLock() { Release(); }
    RangeLock(RangeLock&& o) noexcept : f_(o.f_), off_(o.off_), len_(o.len_) { o.f_ = nullptr; }
    RangeLock& operator=(RangeLock&& o) noexcept {
        if (this != &o) {
            Release();
            f_ = o.f_;
            off_ = o.off_;
            len_ = o.len_;
            o.f_ = nullptr;
        }
        return *this;
    }
    RangeLock(const RangeLock&) = delete;
    RangeLock& operator=(const RangeLock&) = delete;
    bool Held() const { return f_ != nullptr; }
    void Release() {
        if (f_)
            f_->Unlock(off_, len_);
        f_ = nullptr;
    }

  private:
    OsFile* f_ = nullptr;
    uint64_t off_ = 0;
    uint64_t len_ = 0;
};

// The absolute form of a path (relative ones against the current directory).
std::string AbsolutePath(const std::string& path);

// Sleeps a few milliseconds between lock attempts.
void SleepMs(int ms);
// Monotonic milliseconds.
int64_t NowMs();

}  // namespace kp

#include "wordpad/LetterLock.h"

#include <vector>

#include "platform/runtime/utf8.h"

namespace kp {

std::string LetterLockHolderText() {
    wchar_t user[256] = {};
    DWORD n = 255;
    std::string who = GetUserNameW(user, &n) ? WideToUtf8(user) : std::string();
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    n = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(computer, &n))
        who += (who.empty() ? "" : " auf ") + WideToUtf8(computer);
    return who;
}

std::unique_ptr<LetterLock> LetterLock::Take(const std::string& letter, Outcome* outcome,
                                             std::string* holder) {
    holder->clear();
    const std::wstring path = Utf8ToWide(LockFileOf(letter));
    // Read sharing only: whoever comes next can read who holds the letter,
    // but cannot open the lock file to write, as taking it needs.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (err != ERROR_SHARING_VIOLATION && err != ERROR_LOCK_VIOLATION) {
            *outcome = Outcome::NoLock;
            return nullptr;
        }
        *outcome = Outcome::InUse;
        HANDLE r = CreateFileW(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (r != INVALID_HANDLE_VALUE) {
            std::vector<char> text(512);
            DWORD got = 0;
            if (ReadFile(r, text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
                holder->assign(text.data(), got);
            CloseHandle(r);
        }
        return nullptr;
    }
    // Ours (a lock file a killed program left is taken over): say who holds it.
    const std::string who = LetterLockHolderText();
    DWORD written = 0;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    WriteFile(h, who.data(), static_cast<DWORD>(who.size()), &written, nullptr);
    SetEndOfFile(h);
    FlushFileBuffers(h);
    *outcome = Outcome::Held;
    return std::unique_ptr<LetterLock>(new LetterLock(letter, h));
}

LetterLock::~LetterLock() {
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(file_);
    // Fails harmlessly when another word pad took the letter in between:
    // it holds the file open without delete sharing.
    DeleteFileW(Utf8ToWide(LockFileOf(letter_)).c_str());
}

}  // namespace kp

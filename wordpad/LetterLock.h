#pragma once
// Marks a letter as open in a word pad, for every other word pad on this or
// another workstation, so that a letter is never edited in two places at
// once with the last save silently winning.
//
// The mark is a lock file beside the letter (the letter's name with ".lck"
// appended, hidden), held open without write sharing while the letter is
// open. Sharing is kept by the file server for all of its clients and by
// Wine between its programs, so a second word pad cannot open the file for
// writing, wherever it runs. A lock file left behind by a program that was
// killed is no longer held open by anyone and is simply taken over. The
// file holds the user and the computer that hold the letter, for the
// notice of the second one.
#include <memory>
#include <string>

#include <windows.h>

namespace kp {

class LetterLock {
  public:
    enum class Outcome {
        Held,    // the letter is ours until the object goes
        InUse,   // another word pad holds it; `holder` says who, if known
        NoLock,  // no lock file can be made here (a read-only folder): not marked
    };

    // Tries to mark the letter as ours.
    static std::unique_ptr<LetterLock> Take(const std::string& letter, Outcome* outcome,
                                            std::string* holder);
    ~LetterLock();  // closes and removes the lock file
    LetterLock(const LetterLock&) = delete;
    LetterLock& operator=(const LetterLock&) = delete;

    const std::string& Letter() const { return letter_; }
    static std::string LockFileOf(const std::string& letter) { return letter + ".lck"; }

  private:
    LetterLock(std::string letter, HANDLE file) : letter_(std::move(letter)), file_(file) {}
    std::string letter_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// "Benutzer auf Rechner", as the lock file of this program names its holder.
std::string LetterLockHolderText();

}  // namespace kp

#pragma once
// LetterSearch: the word pad's search. The standard find dialog of Windows over
// a letter: it finds the typed text forwards or backwards from the
// selection, with or without regard to case ("Groß-/Kleinschreibung"), and
// selects what it found. The dialog is modeless and tells its owner through
// the registered message LetterSearch::Message().
#include <windows.h>

#include <commdlg.h>
#include <richedit.h>

#include <string>

namespace kp {

// Where a search goes on from a selection: forwards from its end to the
// end of the text, backwards from its start to the beginning.
CHARRANGE SearchRange(CHARRANGE selection, LONG textLength, bool down);

// Finds term in a rich edit as the find dialog asks (FR_DOWN, FR_MATCHCASE,
// FR_WHOLEWORD) from the selection on and selects the hit; false, with the
// selection unchanged, when there is none.
bool FindInRichEdit(HWND richEdit, const std::wstring& term, DWORD flags);

class LetterSearch {
  public:
    // owner: the window that gets the dialog's messages.
    explicit LetterSearch(HWND owner);
    ~LetterSearch();
    LetterSearch(const LetterSearch&) = delete;
    LetterSearch& operator=(const LetterSearch&) = delete;

    // The message the dialog sends its owner.
    static UINT Message();

    // Opens the dialog with term in its field, or brings an open one to the
    // front.
    void Open(const std::wstring& term);
    HWND Dialog() const { return dialog_; }

    // The dialog's message (lParam of Message()): the term and the flags of
    // a "Weitersuchen"; false when the dialog is closing (it is gone then).
    bool Request(LPARAM lParam, std::wstring& term, DWORD& flags);

  private:
    FINDREPLACEW fr_{};
    wchar_t buffer_[256] = {};
    HWND dialog_ = nullptr;
};

}  // namespace kp

#include "wordpad/LetterSearch.h"

#include <richedit.h>

#include <algorithm>

namespace kp {

CHARRANGE SearchRange(CHARRANGE selection, LONG textLength, bool down) {
    const LONG from = std::min(selection.cpMin, selection.cpMax);
    const LONG to = std::max(selection.cpMin, selection.cpMax);
    // A rich edit searches backwards from cpMin down to cpMax.
    return down ? CHARRANGE{std::clamp(to, 0L, textLength), -1}
                : CHARRANGE{std::clamp(from, 0L, textLength), 0};
}

bool FindInRichEdit(HWND richEdit, const std::wstring& term, DWORD flags) {
    if (!richEdit || term.empty())
        return false;
    CHARRANGE sel{};
    SendMessageW(richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    GETTEXTLENGTHEX len{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto length = static_cast<LONG>(
        SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0));
    FINDTEXTEXW find{};
    find.chrg = SearchRange(sel, length, flags & FR_DOWN);
    find.lpstrText = term.c_str();
    const WPARAM how = flags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD);
    if (SendMessageW(richEdit, EM_FINDTEXTEXW, how, reinterpret_cast<LPARAM>(&find)) < 0)
        return false;
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
    SendMessageW(richEdit, EM_SCROLLCARET, 0, 0);
    return true;
}

LetterSearch::LetterSearch(HWND owner) {
    fr_.lStructSize = sizeof fr_;
    fr_.hwndOwner = owner;
    fr_.Flags = FR_DOWN | FR_HIDEWHOLEWORD;
    fr_.lpstrFindWhat = buffer_;
    fr_.wFindWhatLen = static_cast<WORD>(std::size(buffer_));
}

LetterSearch::~LetterSearch() {
    if (dialog_ && IsWindow(dialog_))
        DestroyWindow(dialog_);
}

UINT LetterSearch::Message() {
    static const UINT message = RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

void LetterSearch::Open(const std::wstring& term) {
    if (dialog_ && IsWindow(dialog_)) {
        SetActiveWindow(dialog_);
        return;
    }
    if (!term.empty() && term.size() < std::size(buffer_))
        std::copy(term.c_str(), term.c_str() + term.size() + 1, buffer_);
    dialog_ = FindTextW(&fr_);
}

bool LetterSearch::Request(LPARAM lParam, std::wstring& term, DWORD& flags) {
    const auto* fr = reinterpret_cast<const FINDREPLACEW*>(lParam);
    if (!fr || (fr->Flags & FR_DIALOGTERM)) {
        dialog_ = nullptr;
        return false;
    }
    term = fr->lpstrFindWhat;
    flags = fr->Flags;
    return (flags & FR_FINDNEXT) != 0;
}

}  // namespace kp

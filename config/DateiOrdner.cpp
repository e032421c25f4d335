#include "config/DateiOrdner.h"

#include <shlobj.h>

#include <memory>
#include <string>

#include "platform/gui/window.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// An item list the shell allocated; freed with the shell's allocator.
struct ItemListFree {
    void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data)
        SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(data));
    return 0;
}

}  // namespace

DateiOrdner::DateiOrdner(const Window* owner, int32_t startFolder)
    : DateiOrdner(owner && owner->Handle() ? owner->Handle() : GetActiveWindow(), startFolder) {}

DateiOrdner::DateiOrdner(HWND owner, int32_t startFolder)
    : StartFolder(startFolder), owner_(owner) {}

bool DateiOrdner::Want(uint16_t bit, bool on, int32_t start) {
    if (on)
        BIFlags = static_cast<uint16_t>(BIFlags | bit);
    else
        BIFlags = static_cast<uint16_t>(BIFlags & ~bit);
    StartFolder = start;
    return (BIFlags & bit) != 0;
}

void DateiOrdner::Browse() {
    ITEMIDLIST* rootRaw = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner_, StartFolder, &rootRaw)) || !rootRaw)
        return;
    const ItemList root(rootRaw);

    const std::wstring title = Utf8ToWide(Help);
    const std::wstring caption = Utf8ToWide(Caption);
    wchar_t displayName[MAX_PATH] = {};

    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.pidlRoot = root.get();
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIFlags | (ShowStatus ? kStatusText : 0u);
    info.lpfn = BrowseCallback;
    info.lParam = Caption.empty() ? 0 : reinterpret_cast<LPARAM>(caption.c_str());

    const ItemList chosen(SHBrowseForFolderW(&info));
    if (!chosen)
        return;
    // An item outside the file system (a printer, a computer) has no path:
    // the path is then empty, never what the buffer held before.
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen.get(), path))
        path[0] = L'\0';
    folder_ = WideToUtf8(displayName);
    path_ = WideToUtf8(path);
}

}  // namespace kp

#include "platform/gui/boxes.h"

#include <commdlg.h>

#include <vector>

#include "platform/gui/window.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// The real boxes of Windows.
class WindowsPresenter : public Presenter {
  public:
    int ShowMessage(HWND owner, const std::string& caption, const std::string& text,
                    UINT type) override {
        return MessageBoxW(owner, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), type);
    }

    bool ShowFileDialog(FileDialogRequest& r) override {
        // Filters: "description\0patterns\0...\0\0".
        std::wstring filter;
        for (const auto& [description, patterns] : r.filters) {
            filter += Utf8ToWide(description);
            filter.push_back(L'\0');
            filter += Utf8ToWide(patterns);
            filter.push_back(L'\0');
        }
        filter.push_back(L'\0');
        std::vector<wchar_t> file(32768, L'\0');
        const std::wstring initial = Utf8ToWide(r.fileName);
        lstrcpynW(file.data(), initial.c_str(), static_cast<int>(file.size()));
        const std::wstring folder = Utf8ToWide(r.initialFolder);
        const std::wstring title = Utf8ToWide(r.caption);
        const std::wstring ext = Utf8ToWide(r.defaultExtension);

        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = r.owner;
        ofn.lpstrFilter = r.filters.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = static_cast<DWORD>(r.filterIndex);
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
        ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (r.save) {
            if (r.promptOverwrite)
                ofn.Flags |= OFN_OVERWRITEPROMPT;
        } else {
            if (r.mustExist)
                ofn.Flags |= OFN_FILEMUSTEXIST;
            if (r.allowMultiple)
                ofn.Flags |= OFN_ALLOWMULTISELECT;
        }
        const BOOL ok = r.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        r.chosen.clear();
        if (!ok)
            return false;
        r.filterIndex = static_cast<int>(ofn.nFilterIndex);
        // Several files: the folder, then each name, separated by zeros.
        const wchar_t* p = file.data();
        std::wstring first = p;
        p += first.size() + 1;
        if (*p == L'\0') {
            r.chosen.push_back(WideToUtf8(first));
        } else {
            while (*p) {
                std::wstring name = p;
                p += name.size() + 1;
                std::wstring full = first;
                if (!full.empty() && full.back() != L'\\')
                    full.push_back(L'\\');
                r.chosen.push_back(WideToUtf8(full + name));
            }
        }
        r.fileName = r.chosen.front();
        return true;
    }
};

Presenter*& Current() {
    static WindowsPresenter windows;
    static Presenter* current = &windows;
    return current;
}

HWND OwnerHandle(Window* owner) {
    if (!owner || !owner->Handle())
        return nullptr;
    return GetAncestor(owner->Handle(), GA_ROOT);
}

}  // namespace

Presenter& CurrentPresenter() {
    return *Current();
}

ScopedPresenter::ScopedPresenter(Presenter& p) : previous_(Current()) {
    Current() = &p;
}
ScopedPresenter::~ScopedPresenter() {
    Current() = previous_;
}

TextBox::TextBox(Window* owner, std::string caption, std::string text, UINT type)
    : owner_(owner), caption_(std::move(caption)), text_(std::move(text)), type_(type) {}

int TextBox::Show() {
    return CurrentPresenter().ShowMessage(OwnerHandle(owner_), caption_, text_, type_);
}

StandardFileDialog::StandardFileDialog(Window* owner, std::string initialFile, bool save)
    : owner_(owner) {
    request_.save = save;
    request_.fileName = std::move(initialFile);
}

void StandardFileDialog::SetFilter(const std::vector<std::string>& patterns,
                                   const std::vector<std::string>& descriptions, int index) {
    request_.filters.clear();
    for (size_t i = 0; i < patterns.size(); ++i)
        request_.filters.emplace_back(i < descriptions.size() ? descriptions[i] : patterns[i],
                                      patterns[i]);
    request_.filterIndex = index;
}

bool StandardFileDialog::Show() {
    request_.owner = OwnerHandle(owner_);
    return CurrentPresenter().ShowFileDialog(request_);
}

}  // namespace kp

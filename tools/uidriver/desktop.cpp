#include "tools/uidriver/desktop.h"

#include "tools/uidriver/uidriver.h"

namespace kp::uidriver {

namespace {

// Wine makes a desktop virtual when this key gives a size for its name.
constexpr wchar_t kWineDesktops[] = L"Software\\Wine\\Explorer\\Desktops";

constexpr ACCESS_MASK kDesktopAccess = DESKTOP_CREATEWINDOW | DESKTOP_ENUMERATE |
                                       DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS |
                                       DESKTOP_SWITCHDESKTOP | DESKTOP_CREATEMENU;

}  // namespace

Desktop::Desktop(std::string name, HDESK handle, bool created)
    : name_(std::move(name)), handle_(handle), created_(created) {}

std::unique_ptr<Desktop> Desktop::Create(std::string_view name, int width, int height) {
    const std::wstring wname = Widen(name);
    const std::wstring size = std::to_wstring(width) + L"x" + std::to_wstring(height);
    // Only matters under Wine; elsewhere nobody reads the key. Without it the
    // desktop is not virtual, which costs time but still works.
    RegSetKeyValueW(HKEY_CURRENT_USER, kWineDesktops, wname.c_str(), REG_SZ, size.c_str(),
                    static_cast<DWORD>((size.size() + 1) * sizeof(wchar_t)));
    HDESK handle = CreateDesktopW(wname.c_str(), nullptr, nullptr, 0, kDesktopAccess, nullptr);
    if (!handle) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineDesktops, wname.c_str());
        return nullptr;
    }
    return std::unique_ptr<Desktop>(new Desktop(std::string(name), handle, true));
}

std::unique_ptr<Desktop> Desktop::Open(std::string_view name) {
    HDESK handle = OpenDesktopW(Widen(name).c_str(), 0, FALSE, kDesktopAccess);
    if (!handle)
        return nullptr;
    return std::unique_ptr<Desktop>(new Desktop(std::string(name), handle, false));
}

Desktop::~Desktop() {
    if (entered_by_ == GetCurrentThreadId() && GetThreadDesktop(entered_by_) == handle_) {
        SetThreadDesktop(previous_);
    }
    CloseDesktop(handle_);
    if (created_)
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineDesktops, Widen(name_).c_str());
}

bool Desktop::Enter() {
    const HDESK previous = GetThreadDesktop(GetCurrentThreadId());
    if (!EnterDesktop(handle_))
        return false;
    previous_ = previous;
    entered_by_ = GetCurrentThreadId();
    return true;
}

bool EnterDesktop(HDESK desktop) {
    return SetThreadDesktop(desktop) != FALSE;
}

std::string CurrentDesktopName() {
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name,
                                   sizeof(name), &needed)) {
        return {};
    }
    return Narrow(name);
}

}  // namespace kp::uidriver

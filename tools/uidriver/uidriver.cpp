#include "tools/uidriver/uidriver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace kp::uidriver {

namespace {

// How long a read may wait for the program to answer.
constexpr UINT kSendTimeoutMs = 5000;
// How often the waits look again.
constexpr milliseconds kPollInterval{25};
// The id of a message box's text.
constexpr int kMessageTextId = 0xFFFF;

bool SamePath(std::string_view a, std::string_view b) {
    const std::wstring wa = Widen(a);
    const std::wstring wb = Widen(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

std::string WindowCaption(HWND hwnd) {
    // A window of another process may hang; its caption is read from the
    // system's copy, which needs no answer from the window.
    wchar_t buffer[512];
    const int n = InternalGetWindowText(hwnd, buffer, static_cast<int>(std::size(buffer)));
    return Narrow(std::wstring_view(buffer, static_cast<size_t>(n > 0 ? n : 0)));
}

struct TopSearch {
    std::string_view caption;
    std::string_view window_class;
    const Owner* owner;
    HWND found;
};

BOOL CALLBACK FindTopProc(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<TopSearch*>(lp);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    if (!search->window_class.empty() && ClassOf(hwnd) != search->window_class)
        return TRUE;
    if (WindowCaption(hwnd) != search->caption)
        return TRUE;
    if (!BelongsTo(hwnd, *search->owner))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildProc(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<ChildSearch*>(lp);
    if (GetDlgCtrlID(hwnd) != search->id)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct TopList {
    const Owner* owner;
    std::vector<TopWindowInfo> found;
};

BOOL CALLBACK ListTopProc(HWND hwnd, LPARAM lp) {
    auto* list = reinterpret_cast<TopList*>(lp);
    if (!IsWindowVisible(hwnd) || !BelongsTo(hwnd, *list->owner))
        return TRUE;
    TopWindowInfo info;
    info.hwnd = hwnd;
    GetWindowThreadProcessId(hwnd, &info.pid);
    info.window_class = ClassOf(hwnd);
    info.caption = WindowCaption(hwnd);
    list->found.push_back(std::move(info));
    return TRUE;
}

BOOL CALLBACK CollectChildProc(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> all;
    EnumChildWindows(top, CollectChildProc, reinterpret_cast<LPARAM>(&all));
    return all;
}

// Polls find() until it gives a window or the time is up.
template <typename Find>
HWND Poll(milliseconds timeout, Find find) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (HWND hwnd = find())
            return hwnd;
        if (std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        std::this_thread::sleep_for(kPollInterval);
    }
}

}  // namespace

std::string ClassOf(HWND hwnd) {
    wchar_t name[256];
    const int n = GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
    return n > 0 ? Narrow(std::wstring_view(name, static_cast<size_t>(n))) : std::string();
}

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

HANDLE UniqueHandle::release() {
    return std::exchange(h_, nullptr);
}

void UniqueHandle::reset(HANDLE h) {
    if (h_)
        CloseHandle(h_);
    h_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
}

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

int TerminateProcesses(const Owner& owner) {
    if (owner.pid == 0 && owner.image.empty())
        return 0;
    std::vector<DWORD> pids;
    if (owner.pid != 0) {
        pids.push_back(owner.pid);
    } else {
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
             more = Process32NextW(snapshot.get(), &entry)) {
            pids.push_back(entry.th32ProcessID);
        }
    }
    int ended = 0;
    for (DWORD pid : pids) {
        if (pid == GetCurrentProcessId())
            continue;
        if (!owner.image.empty() && !SamePath(ProcessImage(pid), owner.image))
            continue;
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (!process || !TerminateProcess(process.get(), 1))
            continue;
        WaitForSingleObject(process.get(), 5000);
        ++ended;
    }
    return ended;
}

std::string ProcessImage(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 2];
    DWORD size = static_cast<DWORD>(std::size(path));
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &size))
        return {};
    return Narrow(std::wstring_view(path, size));
}

bool BelongsTo(HWND hwnd, const Owner& owner) {
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(hwnd, &pid))
        return false;
    if (owner.pid != 0 && pid != owner.pid)
        return false;
    if (!owner.image.empty() && !SamePath(ProcessImage(pid), owner.image))
        return false;
    return true;
}

HWND FindTopWindow(std::string_view caption, const Owner& owner, std::string_view window_class) {
    TopSearch search{caption, window_class, &owner, nullptr};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopWindow(std::string_view caption, milliseconds timeout, const Owner& owner,
                   std::string_view window_class) {
    return Poll(timeout, [&] { return FindTopWindow(caption, owner, window_class); });
}

std::vector<TopWindowInfo> ListTopWindows(const Owner& owner) {
    TopList list{&owner, {}};
    EnumWindows(ListTopProc, reinterpret_cast<LPARAM>(&list));
    return std::move(list.found);
}

HWND FindControl(HWND top, int id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(top, FindChildProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<std::string> Text(HWND hwnd) {
    if (!IsWindow(hwnd))
        return std::nullopt;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
        return std::nullopt;
    }
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &copied)) {
        return std::nullopt;
    }
    buffer.resize(std::min<size_t>(static_cast<size_t>(copied), buffer.size() - 1));
    return Narrow(buffer);
}

bool IsEnabled(HWND hwnd) {
    return IsWindow(hwnd) && IsWindowEnabled(hwnd);
}

bool IsVisible(HWND hwnd) {
    return IsWindow(hwnd) && IsWindowVisible(hwnd);
}

ControlInfo DescribeControl(HWND top, HWND control) {
    ControlInfo info;
    info.hwnd = control;
    info.id = GetDlgCtrlID(control);
    info.window_class = ClassOf(control);
    info.text = Text(control).value_or("");
    info.visible = IsVisible(control);
    info.enabled = IsEnabled(control);
    GetWindowRect(control, &info.rect);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&info.rect), 2);
    return info;
}

std::vector<ControlInfo> ListControls(HWND top) {
    std::vector<ControlInfo> list;
    for (HWND hwnd : Descendants(top))
        list.push_back(DescribeControl(top, hwnd));
    return list;
}

std::string_view Describe(Outcome outcome) {
    switch (outcome) {
        case Outcome::kOk:
            return "ok";
        case Outcome::kNotFound:
            return "not found";
        case Outcome::kDisabled:
            return "disabled";
        case Outcome::kHidden:
            return "not visible";
    }
    return "?";
}

Outcome Click(HWND control) {
    if (!IsWindow(control))
        return Outcome::kNotFound;
    if (!IsVisible(control))
        return Outcome::kHidden;
    if (!IsEnabled(control))
        return Outcome::kDisabled;
    return PostMessageW(control, BM_CLICK, 0, 0) ? Outcome::kOk : Outcome::kNotFound;
}

Outcome PostClose(HWND top) {
    if (!IsWindow(top))
        return Outcome::kNotFound;
    return PostMessageW(top, WM_CLOSE, 0, 0) ? Outcome::kOk : Outcome::kNotFound;
}

HWND FindMessageBox(std::string_view title, const Owner& owner) {
    return FindTopWindow(title, owner, "#32770");
}

HWND WaitMessageBox(std::string_view title, milliseconds timeout, const Owner& owner) {
    return WaitTopWindow(title, timeout, owner, "#32770");
}

std::optional<std::string> MessageBoxText(HWND box) {
    if (HWND text = GetDlgItem(box, kMessageTextId))
        return Text(text);
    for (HWND hwnd : Descendants(box)) {
        if (ClassOf(hwnd) != "Static")
            continue;
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
        const DWORD type = style & SS_TYPEMASK;
        if (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE)
            continue;
        return Text(hwnd);
    }
    return std::nullopt;
}

std::vector<ControlInfo> MessageBoxButtons(HWND box) {
    std::vector<ControlInfo> buttons;
    for (HWND hwnd : Descendants(box)) {
        if (GetParent(hwnd) != box || !IsVisible(hwnd) || ClassOf(hwnd) != "Button")
            continue;
        buttons.push_back(DescribeControl(box, hwnd));
    }
    return buttons;
}

HWND FindButton(HWND box, const ButtonChoice& choice) {
    for (const ControlInfo& button : MessageBoxButtons(box)) {
        if (choice.id ? button.id == *choice.id : SameCaption(button.text, choice.caption)) {
            return button.hwnd;
        }
    }
    return nullptr;
}

Outcome PressButton(HWND box, const ButtonChoice& choice) {
    HWND button = FindButton(box, choice);
    return button ? Click(button) : Outcome::kNotFound;
}

std::optional<DWORD> WaitProcessExit(HANDLE process, milliseconds timeout) {
    const auto ms = static_cast<DWORD>(timeout.count());
    if (WaitForSingleObject(process, ms) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code))
        return std::nullopt;
    return code;
}

}  // namespace kp::uidriver

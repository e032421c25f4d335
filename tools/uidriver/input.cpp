#include "tools/uidriver/input.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cwchar>
#include <map>

namespace kp::uidriver {

namespace {

constexpr UINT kSendTimeoutMs = 5000;

std::optional<LRESULT> Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

// Memory lent in the process that owns a window, for messages whose
// arguments point to structures (common controls copy nothing across
// processes).
class RemoteBuffer {
  public:
    RemoteBuffer(HWND hwnd, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            address_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    void* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    bool Write(const void* data, size_t n, size_t offset = 0) {
        SIZE_T done = 0;
        return offset + n <= size_ &&
               WriteProcessMemory(process_, Address(offset), data, n, &done) && done == n;
    }
    bool Read(void* data, size_t n, size_t offset = 0) const {
        SIZE_T done = 0;
        return offset + n <= size_ &&
               ReadProcessMemory(process_, Address(offset), data, n, &done) && done == n;
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_ = 0;
};

const std::map<std::string, WORD>& KeyNames() {
    static const std::map<std::string, WORD> names{
        {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN},  {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},
        {"TAB", VK_TAB},       {"SPACE", VK_SPACE},   {"BACK", VK_BACK},     {"DELETE", VK_DELETE},
        {"DEL", VK_DELETE},    {"INSERT", VK_INSERT}, {"INS", VK_INSERT},    {"HOME", VK_HOME},
        {"END", VK_END},       {"PRIOR", VK_PRIOR},   {"PGUP", VK_PRIOR},    {"NEXT", VK_NEXT},
        {"PGDN", VK_NEXT},     {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},   {"UP", VK_UP},
        {"DOWN", VK_DOWN},     {"APPS", VK_APPS},     {"ALT", VK_MENU},
    };
    return names;
}

std::optional<WORD> ParseKeyName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(name[0]);
    if (name.size() >= 2 && name[0] == 'F') {
        const std::string digits = name.substr(1);
        if (std::all_of(digits.begin(), digits.end(),
                        [](unsigned char c) { return std::isdigit(c); })) {
            const int n = std::stoi(digits);
            if (n >= 1 && n <= 24)
                return static_cast<WORD>(VK_F1 + n - 1);
        }
    }
    auto it = KeyNames().find(name);
    if (it != KeyNames().end())
        return it->second;
    return std::nullopt;
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    switch (vk) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_INSERT:
        case VK_DELETE:
            in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
            break;
        default:
            break;
    }
    return in;
}

// Keys go to the foreground window: make it ours, and wait until the system
// says so (another program may hold the foreground for a moment).
bool BringToFront(HWND top) {
    for (int i = 0; i < 100; ++i) {
        if (GetForegroundWindow() == top)
            return true;
        SetForegroundWindow(top);
        Sleep(20);
    }
    return GetForegroundWindow() == top;
}

}  // namespace

std::optional<std::vector<KeyStroke>> ParseKeys(std::string_view spec) {
    std::vector<KeyStroke> keys;
    size_t pos = 0;
    while (pos < spec.size()) {
        while (pos < spec.size() && spec[pos] == ' ')
            ++pos;
        if (pos >= spec.size())
            break;
        size_t end = spec.find(' ', pos);
        if (end == std::string_view::npos)
            end = spec.size();
        std::string_view word = spec.substr(pos, end - pos);
        pos = end;
        KeyStroke key;
        while (true) {
            const size_t plus = word.find('+');
            if (plus == std::string_view::npos || plus + 1 == word.size())
                break;
            std::string mod(word.substr(0, plus));
            std::transform(mod.begin(), mod.end(), mod.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            if (mod == "CTRL" || mod == "STRG")
                key.ctrl = true;
            else if (mod == "ALT")
                key.alt = true;
            else if (mod == "SHIFT")
                key.shift = true;
            else
                return std::nullopt;
            word.remove_prefix(plus + 1);
        }
        auto vk = ParseKeyName(std::string(word));
        if (!vk)
            return std::nullopt;
        key.vk = *vk;
        keys.push_back(key);
    }
    if (keys.empty())
        return std::nullopt;
    return keys;
}

Outcome ChooseMenuItem(HWND top, int id) {
    if (!IsWindow(top))
        return Outcome::kNotFound;
    if (!IsWindowEnabled(top))
        return Outcome::kDisabled;
    return PostMessageW(top, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? Outcome::kOk : Outcome::kNotFound;
}

Outcome TypeKeys(HWND top, const std::vector<KeyStroke>& keys) {
    if (!IsWindow(top))
        return Outcome::kNotFound;
    if (!BringToFront(top))
        return Outcome::kHidden;
    for (const KeyStroke& k : keys) {
        std::vector<INPUT> inputs;
        if (k.ctrl)
            inputs.push_back(KeyInput(VK_CONTROL, false));
        if (k.alt)
            inputs.push_back(KeyInput(VK_MENU, false));
        if (k.shift)
            inputs.push_back(KeyInput(VK_SHIFT, false));
        inputs.push_back(KeyInput(k.vk, false));
        inputs.push_back(KeyInput(k.vk, true));
        if (k.shift)
            inputs.push_back(KeyInput(VK_SHIFT, true));
        if (k.alt)
            inputs.push_back(KeyInput(VK_MENU, true));
        if (k.ctrl)
            inputs.push_back(KeyInput(VK_CONTROL, true));
        if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) !=
            inputs.size())
            return Outcome::kNotFound;
        Sleep(30);
    }
    return Outcome::kOk;
}

Outcome RightClick(HWND window, std::optional<POINT> at) {
    if (!IsWindow(window))
        return Outcome::kNotFound;
    if (!IsWindowVisible(window))
        return Outcome::kHidden;
    POINT p{};
    if (at) {
        p = *at;
    } else {
        RECT r{};
        GetClientRect(window, &r);
        p = {r.right / 2, r.bottom / 2};
    }
    // The program reads the mouse position for its pop-up menus.
    POINT screen = p;
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM lp = MAKELPARAM(p.x, p.y);
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, lp);
    PostMessageW(window, WM_RBUTTONUP, 0, lp);
    return Outcome::kOk;
}

Outcome DoubleClick(HWND control) {
    if (!IsWindow(control))
        return Outcome::kNotFound;
    if (!IsWindowVisible(control))
        return Outcome::kHidden;
    if (!IsWindowEnabled(control))
        return Outcome::kDisabled;
    const LPARAM at = MAKELPARAM(5, 5);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    return Outcome::kOk;
}

Outcome SetControlText(HWND control, std::string_view text) {
    if (!IsWindow(control))
        return Outcome::kNotFound;
    std::wstring wide = Widen(text);
    // WM_SETTEXT's string is carried across processes by the system.
    return Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()))
               ? Outcome::kOk
               : Outcome::kNotFound;
}

Outcome EnterText(HWND control, std::string_view text) {
    if (!IsWindow(control))
        return Outcome::kNotFound;
    if (!IsWindowVisible(control))
        return Outcome::kHidden;
    if (!IsWindowEnabled(control))
        return Outcome::kDisabled;
    BringToFront(GetAncestor(control, GA_ROOT));
    // Everything is posted, so it arrives in this order: the click moves the
    // focus to the field, the selection covers its text, the characters
    // replace it.
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageW(control, WM_LBUTTONUP, 0, 0);
    PostMessageW(control, EM_SETSEL, 0, -1);
    const std::wstring wide = Widen(text);
    for (wchar_t ch : wide)
        PostMessageW(control, WM_CHAR, ch, 1);
    // Done when the field shows the text, or shows no more change (an
    // editor of the field may format what was typed).
    std::optional<std::string> last;
    for (int i = 0; i < 200; ++i) {
        Sleep(10);
        auto now = Text(control);
        if (now && *now == text)
            break;
        if (i > 20 && now == last)
            break;
        last = now;
    }
    return Outcome::kOk;
}

std::optional<std::vector<std::string>> TabCaptions(HWND tab) {
    auto count = Send(tab, TCM_GETITEMCOUNT, 0, 0);
    if (!count)
        return std::nullopt;
    constexpr size_t kTextChars = 256;
    RemoteBuffer buffer(tab, sizeof(TCITEMW) + kTextChars * sizeof(wchar_t));
    if (!buffer)
        return std::nullopt;
    std::vector<std::string> captions;
    for (int i = 0; i < static_cast<int>(*count); ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = static_cast<wchar_t*>(buffer.Address(sizeof(TCITEMW)));
        item.cchTextMax = kTextChars;
        const wchar_t empty = 0;
        if (!buffer.Write(&item, sizeof item) || !buffer.Write(&empty, sizeof empty, sizeof item))
            return std::nullopt;
        if (!Send(tab, TCM_GETITEMW, static_cast<WPARAM>(i),
                  reinterpret_cast<LPARAM>(buffer.Address())))
            return std::nullopt;
        wchar_t text[kTextChars] = {};
        if (!buffer.Read(text, sizeof text, sizeof(TCITEMW)))
            return std::nullopt;
        text[kTextChars - 1] = 0;
        captions.push_back(Narrow(text));
    }
    return captions;
}

std::optional<std::string> StatusBarPart(HWND bar, int part) {
    auto parts = Send(bar, SB_GETPARTS, 0, 0);
    if (!parts || *parts <= 0)
        return std::nullopt;
    if (part < 0)
        part = static_cast<int>(*parts) - 1;
    auto length = Send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (!length)
        return std::nullopt;
    const size_t chars = LOWORD(*length) + 1;
    RemoteBuffer buffer(bar, chars * sizeof(wchar_t));
    if (!buffer)
        return std::nullopt;
    if (!Send(bar, SB_GETTEXTW, static_cast<WPARAM>(part),
              reinterpret_cast<LPARAM>(buffer.Address())))
        return std::nullopt;
    std::wstring text(chars, L'\0');
    if (!buffer.Read(text.data(), chars * sizeof(wchar_t)))
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), chars));
    return Narrow(text);
}

std::optional<int> SelectedTab(HWND tab) {
    auto sel = Send(tab, TCM_GETCURSEL, 0, 0);
    if (!sel)
        return std::nullopt;
    return static_cast<int>(*sel);
}

Outcome SelectTab(HWND tab, int index) {
    if (!IsWindow(tab))
        return Outcome::kNotFound;
    if (!IsWindowEnabled(tab))
        return Outcome::kDisabled;
    auto count = Send(tab, TCM_GETITEMCOUNT, 0, 0);
    if (!count || index < 0 || index >= static_cast<int>(*count))
        return Outcome::kNotFound;
    // Moving the focus to a tab selects it and notifies the owner, as a
    // click does.
    return Send(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0) ? Outcome::kOk
                                                                     : Outcome::kNotFound;
}

std::optional<int> ListViewCount(HWND list) {
    auto n = Send(list, LVM_GETITEMCOUNT, 0, 0);
    if (!n)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<int> ListViewTopIndex(HWND list) {
    auto n = Send(list, LVM_GETTOPINDEX, 0, 0);
    if (!n)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<int> ListViewColumnCount(HWND list) {
    auto header = Send(list, LVM_GETHEADER, 0, 0);
    if (!header || !*header)
        return std::nullopt;
    auto n = Send(reinterpret_cast<HWND>(*header), HDM_GETITEMCOUNT, 0, 0);
    if (!n)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<std::vector<std::string>> ListViewRow(HWND list, int row, int columns) {
    constexpr size_t kTextChars = 1024;
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!buffer)
        return std::nullopt;
    std::vector<std::string> cells;
    for (int c = 0; c < columns; ++c) {
        LVITEMW item{};
        item.iSubItem = c;
        item.pszText = static_cast<wchar_t*>(buffer.Address(sizeof(LVITEMW)));
        item.cchTextMax = kTextChars;
        if (!buffer.Write(&item, sizeof item))
            return std::nullopt;
        auto n = Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(buffer.Address()));
        if (!n)
            return std::nullopt;
        wchar_t text[kTextChars] = {};
        const size_t chars = std::min<size_t>(static_cast<size_t>(*n), kTextChars - 1);
        if (chars && !buffer.Read(text, chars * sizeof(wchar_t), sizeof(LVITEMW)))
            return std::nullopt;
        cells.push_back(Narrow(std::wstring_view(text, chars)));
    }
    return cells;
}

namespace {

struct ClassSearch {
    std::string cls;
    HWND found = nullptr;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ClassSearch*>(lp);
    if (_stricmp(ClassOf(hwnd).c_str(), s->cls.c_str()) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindControlByClass(HWND top, std::string_view window_class) {
    ClassSearch search{std::string(window_class)};
    EnumChildWindows(top, &MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<ToolbarButtonState> ToolbarButton(HWND top, int commandId) {
    for (const ControlInfo& c : ListControls(top)) {
        if (c.window_class != TOOLBARCLASSNAMEA)
            continue;
        const auto index = Send(c.hwnd, TB_COMMANDTOINDEX, static_cast<WPARAM>(commandId), 0);
        if (!index || static_cast<LONG>(*index) < 0)
            continue;
        ToolbarButtonState state;
        state.toolbar = c.hwnd;
        state.enabled =
            Send(c.hwnd, TB_ISBUTTONENABLED, static_cast<WPARAM>(commandId), 0).value_or(0) != 0;
        state.checked =
            Send(c.hwnd, TB_ISBUTTONCHECKED, static_cast<WPARAM>(commandId), 0).value_or(0) != 0;
        // The rectangle comes back through memory lent in the program.
        RemoteBuffer buffer(c.hwnd, sizeof(RECT));
        if (!buffer ||
            !Send(c.hwnd, TB_GETRECT, static_cast<WPARAM>(commandId),
                  reinterpret_cast<LPARAM>(buffer.Address()))
                 .value_or(0) ||
            !buffer.Read(&state.rect, sizeof(RECT)))
            return std::nullopt;
        return state;
    }
    return std::nullopt;
}

Outcome ClickToolbarButton(HWND top, int commandId) {
    const auto button = ToolbarButton(top, commandId);
    if (!button)
        return Outcome::kNotFound;
    if (!IsWindowVisible(button->toolbar))
        return Outcome::kHidden;
    if (!button->enabled)
        return Outcome::kDisabled;
    const LPARAM at = MAKELPARAM((button->rect.left + button->rect.right) / 2,
                                 (button->rect.top + button->rect.bottom) / 2);
    PostMessageW(button->toolbar, WM_MOUSEMOVE, 0, at);
    PostMessageW(button->toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(button->toolbar, WM_LBUTTONUP, 0, at);
    // The mouse leaves again, as a user's hand does: no button stays hot.
    PostMessageW(button->toolbar, WM_MOUSELEAVE, 0, 0);
    return Outcome::kOk;
}

}  // namespace kp::uidriver

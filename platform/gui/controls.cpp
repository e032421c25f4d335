#include "platform/gui/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/runtime/date.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

std::wstring Wide(std::string_view s) {
    return Utf8ToWide(s);
}

}  // namespace

// ---------------------------------------------------------------- simple controls

FixedText::FixedText(Window* owner, int id, Point origin, Dimension size, const std::string& text,
                     DWORD style)
    : Control(owner, id, origin, size, L"STATIC", style, 0, text) {}
Symbol FixedText::ClassName() const {
    return Symbol("FIXEDTEXT");
}

PushButton::PushButton(Window* owner, int id, Point origin, Dimension size, const std::string& text,
                       DWORD style)
    : Control(owner, id, origin, size, L"BUTTON", style, 0, text) {}
Symbol PushButton::ClassName() const {
    return Symbol("PUSHBUTTON");
}

GroupBox::GroupBox(Window* owner, int id, Point origin, Dimension size, const std::string& text,
                   DWORD style)
    : Control(owner, id, origin, size, L"BUTTON", style, 0, text) {}
Symbol GroupBox::ClassName() const {
    return Symbol("GROUPBOX");
}

// ---------------------------------------------------------------- check and radio

CheckBox::CheckBox(Window* owner, int id, Point origin, Dimension size, const std::string& text,
                   DWORD style)
    : Control(owner, id, origin, size, L"BUTTON", style, 0, text) {}
Symbol CheckBox::ClassName() const {
    return Symbol("CHECKBOX");
}

bool CheckBox::Checked() const {
    return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::Checked(bool on) {
    if (Handle())
        SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::Value(const Usual& v) {
    __Value(v);
    ValueChanged(true);
}

void CheckBox::__Value(const Usual& v) {
    Checked(v.IsLogic() && v.AsLogic());
}

void CheckBox::Notified(int notifyCode) {
    if (notifyCode == BN_CLICKED)
        ValueChanged(true);
}

RadioButton::RadioButton(Window* owner, int id, Point origin, Dimension size,
                         const std::string& text, DWORD style)
    : Control(owner, id, origin, size, L"BUTTON", style, 0, text) {}
Symbol RadioButton::ClassName() const {
    return Symbol("RADIOBUTTON");
}

bool RadioButton::Pressed() const {
    return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::Pressed(bool on) {
    if (Handle())
        SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RadioButton::Value(const Usual& v) {
    __Value(v);
    ValueChanged(true);
}

void RadioButton::__Value(const Usual& v) {
    Pressed(v.IsLogic() && v.AsLogic());
}

void RadioButton::Notified(int notifyCode) {
    if (notifyCode == BN_CLICKED)
        ValueChanged(true);
}

// ---------------------------------------------------------------- edits

Symbol Edit::ClassName() const {
    return Symbol("EDIT");
}

bool Edit::ReadOnly() const {
    return Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_READONLY);
}

void Edit::ReadOnly(bool on) {
    if (Handle())
        SendMessageW(Handle(), EM_SETREADONLY, on, 0);
}

kp::Selection Edit::Selection() const {
    DWORD start = 0, finish = 0;
    if (Handle())
        SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&finish));
    return kp::Selection(static_cast<int>(start), static_cast<int>(finish));
}

void Edit::Selection(const kp::Selection& s) {
    if (Handle())
        SendMessageW(Handle(), EM_SETSEL, s.start, s.finish);
}

void Edit::TextLimit(int chars) {
    if (Handle())
        SendMessageW(Handle(), EM_LIMITTEXT, chars, 0);
}

bool Edit::Modified() const {
    return Handle() && SendMessageW(Handle(), EM_GETMODIFY, 0, 0);
}

void Edit::Modified(bool on) {
    if (Handle())
        SendMessageW(Handle(), EM_SETMODIFY, on, 0);
}

void Edit::Cut() {
    if (Handle())
        SendMessageW(Handle(), WM_CUT, 0, 0);
}
void Edit::Copy() {
    if (Handle())
        SendMessageW(Handle(), WM_COPY, 0, 0);
}
void Edit::Paste() {
    if (Handle())
        SendMessageW(Handle(), WM_PASTE, 0, 0);
}
void Edit::Paste(const std::string& text) {
    if (Handle())
        SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}
void Edit::Clear() {
    if (Handle())
        SendMessageW(Handle(), WM_CLEAR, 0, 0);
}
void Edit::Undo() {
    if (Handle())
        SendMessageW(Handle(), EM_UNDO, 0, 0);
}

LRESULT Edit::Dispatch(Event& e) {
    if (e.Message() == WM_KEYDOWN && e.wParam() == VK_INSERT && overwrite_ == OVERWRITE_ONKEY)
        overwriting_ = !overwriting_;
    if (e.Message() == WM_CHAR && overwriting_ && e.wParam() >= 0x20 && !ReadOnly()) {
        // Overwrite typing: the character replaces the one after the caret.
        const kp::Selection s = Selection();
        const int length = GetWindowTextLengthW(Handle());
        if (s.Empty() && s.start < length)
            Selection(kp::Selection(s.start, s.start + 1));
    }
    return Control::Dispatch(e);
}

void Edit::Notified(int notifyCode) {
    if (notifyCode == EN_CHANGE && !settingText_)
        ValueChanged(true);
}

SingleLineEdit::SingleLineEdit(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : Edit(owner, id, origin, size, style ? style : ES_AUTOHSCROLL | WS_TABSTOP | WS_VISIBLE,
           WS_EX_CLIENTEDGE, {}) {}
Symbol SingleLineEdit::ClassName() const {
    return Symbol("SINGLELINEEDIT");
}

void SingleLineEdit::Picture(const std::string& picture) {
    picture_ = picture;
    // "@<functions> <template>": the template's length limits the text.
    std::string templ = picture;
    if (!templ.empty() && templ[0] == '@') {
        const size_t blank = templ.find(' ');
        templ = blank == std::string::npos ? std::string() : templ.substr(blank + 1);
    }
    TextLimit(templ.empty() ? 0 : static_cast<int>(Utf8Length(templ)));
}

void SingleLineEdit::FieldSpec(const kp::FieldSpec& spec) {
    Control::FieldSpec(spec);
    if (spec.ValType() == 'C' && spec.Length() > 0 && picture_.empty())
        TextLimit(spec.Length());
}

Usual SingleLineEdit::TextToValue(const std::string& text) const {
    const kp::FieldSpec* spec = FieldSpec();
    if (!spec)
        return Usual(text);
    switch (spec->ValType()) {
        case 'N':
            return Usual(Float{Val(text), spec->Decimals()});
        case 'D':
            return Usual(CToD(text));
        case 'L': {
            for (char c : text) {
                if (c == ' ')
                    continue;
                const char u = static_cast<char>(c & ~0x20);
                return Usual(u == 'T' || u == 'Y' || u == 'J' || u == (yes_ & ~0x20));
            }
            return Usual(false);
        }
        default:
            return Usual(text);
    }
}

std::string SingleLineEdit::ValueToText(const Usual& v) const {
    const kp::FieldSpec* spec = FieldSpec();
    switch (v.Type()) {
        case UsualType::Nil:
            return {};
        case UsualType::Long:
        case UsualType::Float: {
            int decimals = spec ? spec->Decimals() : v.FloatDecimals();
            if (decimals < 0)
                decimals = v.Type() == UsualType::Long ? 0 : 2;
            return FormatNumber(v.AsFloat(), decimals);
        }
        case UsualType::Date:
            return DToC(v.AsDate());
        case UsualType::Logic:
            return std::string(1, v.AsLogic() ? yes_ : no_);
        case UsualType::String:
            return v.AsString();
        default:
            return v.AsText();
    }
}

Usual SingleLineEdit::Value() const {
    if (Modified() || value_.IsNil())
        return TextToValue(TextValue());
    return value_;
}

void SingleLineEdit::Value(const Usual& v) {
    __Value(v);
    ValueChanged(true);
}

void SingleLineEdit::__Value(const Usual& v) {
    value_ = v;
    SetTextQuietly(ValueToText(v));
    Modified(false);
}

void SingleLineEdit::__Update() {
    if (!Modified())
        return;
    value_ = TextToValue(TextValue());
    ValueChanged(true);
    Modified(false);
}

LRESULT SingleLineEdit::Dispatch(Event& e) {
    // The picture function "!" types letters in upper case.
    if (e.Message() == WM_CHAR && picture_.size() > 1 && picture_[0] == '@' &&
        picture_.substr(0, picture_.find(' ')).find('!') != std::string::npos) {
        const WPARAM upper =
            reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<LPWSTR>(e.wParam())));
        if (upper != e.wParam()) {
            Event shifted(e.Handle(), e.Message(), upper, e.lParam(), e.Context());
            return Edit::Dispatch(shifted);
        }
    }
    return Edit::Dispatch(e);
}

MultiLineEdit::MultiLineEdit(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : Edit(owner, id, origin, size,
           style ? style
                 : ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP |
                       WS_VISIBLE,
           WS_EX_CLIENTEDGE, {}) {}
Symbol MultiLineEdit::ClassName() const {
    return Symbol("MULTILINEEDIT");
}

int MultiLineEdit::LineCount() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0)) : 0;
}

int MultiLineEdit::LineFromCharacter(int charIndex) const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), EM_LINEFROMCHAR, charIndex, 0)) + 1
                    : 0;
}

// ---------------------------------------------------------------- lists

namespace {

const ListBox::Messages kListMessages{
    LB_ADDSTRING,   LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT,
    LB_GETTEXT,     LB_GETTEXTLEN,   LB_GETCURSEL,    LB_SETCURSEL,    LB_FINDSTRINGEXACT,
    LB_SETITEMDATA, LB_GETITEMDATA,  LB_ERR};
const ListBox::Messages kComboMessages{
    CB_ADDSTRING,   CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT,
    CB_GETLBTEXT,   CB_GETLBTEXTLEN, CB_GETCURSEL,    CB_SETCURSEL,    CB_FINDSTRINGEXACT,
    CB_SETITEMDATA, CB_GETITEMDATA,  CB_ERR};

}  // namespace

ListBox::ListBox(Window* owner, const ResourceID& id) : ListBox(owner, id, kListMessages) {}
ListBox::ListBox(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : ListBox(owner, id, origin, size, L"LISTBOX", style, kListMessages) {}
ListBox::ListBox(Window* owner, const ResourceID& id, const Messages& m)
    : Control(owner, id), m_(m) {}
ListBox::ListBox(Window* owner, int id, Point origin, Dimension size, LPCWSTR className,
                 DWORD style, const Messages& m)
    : Control(owner, id, origin, size, className, style, WS_EX_CLIENTEDGE), m_(m) {}
Symbol ListBox::ClassName() const {
    return Symbol("LISTBOX");
}

int ListBox::AddItem(const std::string& text, int position, const Usual& value) {
    if (!Handle())
        return 0;
    const std::wstring w = Wide(text);
    const LRESULT at =
        position <= 0
            ? SendMessageW(Handle(), m_.add, 0, reinterpret_cast<LPARAM>(w.c_str()))
            : SendMessageW(Handle(), m_.insert, position - 1, reinterpret_cast<LPARAM>(w.c_str()));
    if (at < 0)
        return 0;
    // The item data is a key into the values, so sorting keeps them right.
    values_.push_back(value);
    SendMessageW(Handle(), m_.setData, at, static_cast<LPARAM>(values_.size()));
    return static_cast<int>(at) + 1;
}

void ListBox::FillUsing(const std::vector<std::string>& texts) {
    Clear();
    for (const auto& t : texts)
        AddItem(t);
}

void ListBox::FillUsing(const std::vector<std::pair<std::string, Usual>>& items) {
    Clear();
    for (const auto& [t, v] : items)
        AddItem(t, 0, v);
}

bool ListBox::DeleteItem(int itemNo) {
    if (!Handle() || itemNo < 1)
        return false;
    return SendMessageW(Handle(), m_.remove, itemNo - 1, 0) != m_.err;
}

void ListBox::Clear() {
    if (Handle())
        SendMessageW(Handle(), m_.reset, 0, 0);
    values_.clear();
}

int ListBox::ItemCount() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), m_.count, 0, 0)) : 0;
}

std::string ListBox::GetItem(int itemNo) const {
    if (!Handle() || itemNo < 1)
        return {};
    const LRESULT len = SendMessageW(Handle(), m_.getTextLen, itemNo - 1, 0);
    if (len < 0)
        return {};
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    const LRESULT got =
        SendMessageW(Handle(), m_.getText, itemNo - 1, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return WideToUtf8(text);
}

Usual ListBox::GetItemValue(int itemNo) const {
    if (!Handle() || itemNo < 1)
        return {};
    const LRESULT key = SendMessageW(Handle(), m_.getData, itemNo - 1, 0);
    if (key < 1 || static_cast<size_t>(key) > values_.size())
        return {};
    return values_[static_cast<size_t>(key) - 1];
}

int ListBox::FindItem(const std::string& text) const {
    if (!Handle())
        return 0;
    const std::wstring w = Wide(text);
    const LRESULT at = SendMessageW(Handle(), m_.findExact, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(w.c_str()));
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

int ListBox::CurrentItemNo() const {
    if (!Handle())
        return 0;
    const LRESULT at = SendMessageW(Handle(), m_.getCurSel, 0, 0);
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

void ListBox::CurrentItemNo(int itemNo) {
    if (Handle())
        SendMessageW(Handle(), m_.setCurSel, itemNo - 1, 0);
}

Usual ListBox::Value() const {
    const int n = CurrentItemNo();
    if (n == 0)
        return {};
    Usual v = GetItemValue(n);
    return v.IsNil() ? Usual(GetItem(n)) : v;
}

void ListBox::Value(const Usual& v) {
    __Value(v);
    ValueChanged(true);
}

void ListBox::__Value(const Usual& v) {
    const int count = ItemCount();
    for (int i = 1; i <= count; ++i) {
        const Usual iv = GetItemValue(i);
        if ((!iv.IsNil() && iv == v) ||
            (iv.IsNil() && v.IsString() && GetItem(i) == v.AsString())) {
            CurrentItemNo(i);
            return;
        }
    }
    CurrentItemNo(0);
}

void ListBox::Notified(int notifyCode) {
    if (notifyCode == LBN_SELCHANGE)
        ValueChanged(true);
}

ComboBox::ComboBox(Window* owner, const ResourceID& id) : ListBox(owner, id, kComboMessages) {}
ComboBox::ComboBox(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : ListBox(owner, id, origin, size, L"COMBOBOX", style, kComboMessages) {}
Symbol ComboBox::ClassName() const {
    return Symbol("COMBOBOX");
}

// ---------------------------------------------------------------- progress, icon

ProgressBar::ProgressBar(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : Control(owner, id, origin, size, PROGRESS_CLASSW, style) {}
Symbol ProgressBar::ClassName() const {
    return Symbol("PROGRESSBAR");
}

kp::Range ProgressBar::Range() const {
    if (!Handle())
        return {};
    return kp::Range(static_cast<int>(SendMessageW(Handle(), PBM_GETRANGE, TRUE, 0)),
                     static_cast<int>(SendMessageW(Handle(), PBM_GETRANGE, FALSE, 0)));
}

void ProgressBar::Range(const kp::Range& r) {
    if (Handle())
        SendMessageW(Handle(), PBM_SETRANGE32, r.min, r.max);
}

int ProgressBar::Position() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)) : 0;
}

void ProgressBar::Position(int pos) {
    if (Handle())
        SendMessageW(Handle(), PBM_SETPOS, pos, 0);
}

void ProgressBar::Advance(int by) {
    if (Handle())
        SendMessageW(Handle(), PBM_DELTAPOS, by, 0);
}

FixedIcon::FixedIcon(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : Control(owner, id, origin, size, L"STATIC", style | SS_ICON) {}
Symbol FixedIcon::ClassName() const {
    return Symbol("FIXEDICON");
}

void FixedIcon::Icon(std::shared_ptr<kp::Icon> icon) {
    shown_ = std::move(icon);
    if (Handle())
        SendMessageW(Handle(), STM_SETICON,
                     reinterpret_cast<WPARAM>(shown_ ? shown_->Handle() : nullptr), 0);
}

// ---------------------------------------------------------------- custom controls

CustomControl::CustomControl(Window* owner, int id, Point origin, Dimension size, DWORD style,
                             std::string_view className)
    : Control(owner, id, origin, size, (RegisterWindowClass(className), Wide(className).c_str()),
              style) {}
Symbol CustomControl::ClassName() const {
    return Symbol("CUSTOMCONTROL");
}

void CustomControl::RegisterWindowClass(std::string_view className) {
    static std::set<std::string> registered;  // library infrastructure: classes are process-wide
    std::string key(className);
    for (auto& c : key)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (!registered.insert(key).second)
        return;
    const std::wstring name = Wide(className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    // Global: dialog resources of any module of the process may name it.
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Window::ClassProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

// ---------------------------------------------------------------- status bar

StatusBar::StatusBar(Window* owner)
    : Control(owner, 0, Point(), Dimension(), STATUSCLASSNAMEW, WS_VISIBLE | SBARS_SIZEGRIP, 0, {},
              owner ? owner->Handle() : nullptr) {
    // A status bar is part of the frame, not one of the form's controls.
    Unregister();
    if (owner)
        owner->StatusBar(this);
}

StatusBar::~StatusBar() {
    if (Owner() && Owner()->StatusBar() == this)
        Owner()->StatusBar(nullptr);
}

Symbol StatusBar::ClassName() const {
    return Symbol("STATUSBAR");
}

void StatusBar::SetText(const std::string& text, int part) {
    if (Handle())
        SendMessageW(Handle(), SB_SETTEXTW, part, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::string StatusBar::GetText(int part) const {
    if (!Handle())
        return {};
    const LRESULT len = LOWORD(SendMessageW(Handle(), SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(Handle(), SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(len));
    return WideToUtf8(text);
}

void StatusBar::Parts(const std::vector<int>& rightEdges) {
    parts_ = rightEdges;
    LayoutParts();
}

void StatusBar::LayoutParts() {
    if (!Handle())
        return;
    std::vector<int> edges = parts_;
    if (positionWidth_ > 0) {
        // The position area takes the right end; the part that ran there
        // ends where it begins.
        RECT rc{};
        GetClientRect(Handle(), &rc);
        const int start = std::max(static_cast<int>(rc.right) - positionWidth_, 0);
        if (edges.empty())
            edges.push_back(start);
        else if (edges.back() < 0 || edges.back() > start)
            edges.back() = start;
        edges.push_back(-1);
    }
    if (edges.empty())
        edges.push_back(-1);
    SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::PositionText(const std::string& text) {
    if (!Handle())
        return;
    if (positionWidth_ == 0) {
        // Room for "Ln 99999 Col 999" and a size grip.
        HDC dc = GetDC(Handle());
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, L"Ln 99999 Col 9999", 17, &extent);
        SelectObject(dc, old);
        ReleaseDC(Handle(), dc);
        positionWidth_ = std::max<int>(extent.cx + 2 * GetSystemMetrics(SM_CXVSCROLL), 120);
        LayoutParts();
    }
    SetText(text, static_cast<int>(SendMessageW(Handle(), SB_GETPARTS, 0, 0)) - 1);
}

std::string StatusBar::PositionText() const {
    if (!Handle() || positionWidth_ == 0)
        return {};
    return GetText(static_cast<int>(SendMessageW(Handle(), SB_GETPARTS, 0, 0)) - 1);
}

LRESULT StatusBar::Dispatch(Event& e) {
    if (e.Message() == WM_SIZE) {
        Default(e);
        if (positionWidth_ > 0)
            LayoutParts();
        return 1;
    }
    return Control::Dispatch(e);
}

int StatusBar::Height() const {
    RECT rc{};
    if (Handle())
        GetWindowRect(Handle(), &rc);
    return rc.bottom - rc.top;
}

}  // namespace kp

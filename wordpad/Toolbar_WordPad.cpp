#include "wordpad/Toolbar_WordPad.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/runtime/utf8.h"

namespace kp {

// ---------------------------------------------------------------- rules

std::string FaceNameForFormat(const std::string& typed) {
    std::wstring w = Utf8ToWide(typed);
    if (w.size() > kFaceNameChars) {
        size_t keep = kFaceNameChars;
        // Never keep the first half of a surrogate pair alone.
        if (w[keep - 1] >= 0xD800 && w[keep - 1] <= 0xDBFF)
            --keep;
        w.resize(keep);
    }
    return WideToUtf8(w);
}

std::optional<int> PointSizeOf(const std::string& typed) {
    const size_t first = typed.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    const size_t last = typed.find_last_not_of(' ');
    const std::string digits = typed.substr(first, last - first + 1);
    if (digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int points = std::atoi(digits.c_str());
    if (points < kMinPointSize || points > kMaxPointSize)
        return std::nullopt;
    return points;
}

std::string PointSizeText(int points) {
    std::string text = std::to_string(points);
    return points >= 0 && points < 10 ? " " + text : text;
}

std::vector<std::string> PointSizeList() {
    std::vector<std::string> list;
    for (int points : {8, 9, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        list.push_back(PointSizeText(points));
    return list;
}

std::optional<size_t> PointSizeInsertPosition(const std::vector<std::string>& items,
                                              const std::string& text) {
    const std::optional<int> size = PointSizeOf(text);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return std::nullopt;
        const std::optional<int> here = PointSizeOf(items[i]);
        if (size && here && *here == *size)
            return std::nullopt;
    }
    if (!size)
        return items.size();
    // Before the first larger size; items that are no size stay in front.
    for (size_t i = 0; i < items.size(); ++i) {
        const std::optional<int> here = PointSizeOf(items[i]);
        if (here && *here > *size)
            return i;
    }
    return items.size();
}

FormatBoxRule::Step FormatBoxRule::Notified(int notifyCode, bool listDropped) {
    switch (notifyCode) {
        case CBN_EDITCHANGE:
            pending_ = true;
            fromList_ = false;
            return Step::Nothing;
        case CBN_SELCHANGE:
            if (listDropped) {
                // Browsing the open list; the pick comes with CBN_SELENDOK.
                pending_ = true;
                fromList_ = true;
                return Step::Nothing;
            }
            // The arrow keys on the closed box pick the next item at once;
            // the focus stays, so that the user can go on.
            pending_ = false;
            fromList_ = true;
            return Step::Apply;
        case CBN_SELENDOK:
            if (!pending_)
                return Step::Nothing;
            pending_ = false;
            return Step::ApplyAndReturn;
        case CBN_KILLFOCUS:
            if (!pending_)
                return Step::Nothing;
            pending_ = false;
            return Step::Apply;
        case CBN_SETFOCUS:
            pending_ = false;
            fromList_ = false;
            return Step::Nothing;
        default:
            return Step::Nothing;
    }
}

FormatBoxRule::Step FormatBoxRule::Key(unsigned vk, bool listDropped) {
    if (listDropped)
        return Step::Nothing;  // the open list takes Return and Escape itself
    if (vk == VK_RETURN) {
        const bool apply = pending_;
        pending_ = false;
        return apply ? Step::ApplyAndReturn : Step::Return;
    }
    if (vk == VK_ESCAPE) {
        pending_ = false;
        return Step::Revert;
    }
    return Step::Nothing;
}

// ---------------------------------------------------------------- toolbars

namespace {

struct ButtonSpec {
    int bitmap;
    int menuId;
    const char* tip;
};

constexpr ButtonSpec kShellButtons[] = {
    {TB_BMP_CLOSE, 30814, "Schließen"},
    {TB_BMP_NEW, 24563, "Neuen Text"},
    {TB_BMP_OPEN, 24562, "Datei öffnen"},
    {TB_BMP_SAVE, 30807, "Datei speichern"},
    {TB_BMP_PRINT, 30810, "Drucken"},
    {TB_BMP_PREVIEW, 30811, "Druck Vorschau"},
    {0, 0, nullptr},  // separator
    {TB_BMP_FIND, 30820, "Suchen"},
    {TB_BMP_CUT, 30816, "Ausschneiden"},
    {TB_BMP_COPY, 30817, "Kopieren"},
    {TB_BMP_PASTE, 30818, "Einfügen"},
};

constexpr ButtonSpec kChildButtons[] = {
    {TB_BMP_BOLD, 30827, "Fett"},
    {TB_BMP_ITALIC, 30828, "Kursiv"},
    {TB_BMP_UNDERLINE, 30829, "Unterstrichen"},
    {TB_BMP_ALIGNLEFT, 30830, "Linksbündig"},
    {TB_BMP_ALIGNCENTER, 30831, "Zentriert"},
    {TB_BMP_ALIGNRIGHT, 30832, "Rechtsbündig"},
    {TB_BMP_BULLETS, 30833, "Aufzählungszeichen"},
    {TB_BMP_OUTDENT, 30834, "Ausrücken"},
    {TB_BMP_INDENT, 30835, "Einrücken"},
};

// The room of the font and size boxes at the left end of the word pad's bar.
constexpr int kChildLeadingSeparators = 33;

template <size_t N>
void AppendButtons(Toolbar& bar, const ButtonSpec (&buttons)[N]) {
    for (const ButtonSpec& b : buttons) {
        if (b.menuId == 0)
            bar.AppendSeparator();
        else
            bar.AppendItem(b.bitmap, b.menuId, b.tip);
    }
}

}  // namespace

std::shared_ptr<Toolbar> BuildToolbar(Window* owner, Symbol symMenu) {
    auto bar = std::make_shared<Toolbar>(owner);
    bar->ButtonStyle(TOOLBAR_BUTTON_FLAT);
    if (symMenu == Symbol(kMenShellLayout)) {
        AppendButtons(*bar, kShellButtons);
    } else if (symMenu == Symbol(kChildMenu)) {
        for (int i = 0; i < kChildLeadingSeparators; ++i)
            bar->AppendSeparator();
        AppendButtons(*bar, kChildButtons);
    }
    return bar;
}

namespace {
int CALLBACK FontFamilyCallback(const LOGFONTW* font, const TEXTMETRICW*, DWORD fontType,
                                LPARAM param) {
    // A family comes once for each of its character sets: the list names it once.
    auto* faces = reinterpret_cast<std::vector<std::string>*>(param);
    const std::string face = WideToUtf8(font->lfFaceName);
    if ((fontType & TRUETYPE_FONTTYPE) &&
        std::find(faces->begin(), faces->end(), face) == faces->end())
        faces->push_back(face);
    return 1;
}
}  // namespace

std::vector<std::string> BuildFontList(HWND hwnd) {
    std::vector<std::string> faces;
    HDC dc = GetDC(hwnd);
    if (!dc)
        return faces;
    EnumFontFamiliesW(dc, nullptr, &FontFamilyCallback, reinterpret_cast<LPARAM>(&faces));
    ReleaseDC(hwnd, dc);
    return faces;
}

void DeleteStyle(HWND hwnd, LONG_PTR nStyle) {
    if (hwnd)
        SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~nStyle);
}

// ---------------------------------------------------------------- boxes

namespace {

constexpr DWORD kBoxStyle = WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL;

std::string ComboText(HWND box) {
    if (!box)
        return {};
    const int len = GetWindowTextLengthW(box);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(box, text.data(), len + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return WideToUtf8(text);
}

// The text a notification stands for: the chosen item while the list's
// selection changes (the edit shows it only afterwards), else the edit's.
std::string ChosenText(const ComboBox& box, int notifyCode) {
    if (notifyCode == CBN_SELCHANGE) {
        const int item = box.CurrentItemNo();
        if (item > 0)
            return box.GetItem(item);
    }
    return ComboText(box.Handle());
}

}  // namespace

FormatBox::FormatBox(FormatBarTarget* wordPad, Window* owner, int id, Point origin, Dimension size,
                     DWORD style)
    : ComboBox(owner, id, origin, size, style | kBoxStyle), oWordPad_(wordPad) {
    // Return and Escape reach only the box's edit; it tells the box.
    edit_ = Handle() ? GetWindow(Handle(), GW_CHILD) : nullptr;
    if (edit_ &&
        !SetWindowSubclass(edit_, &FormatBox::EditProc, 1, reinterpret_cast<DWORD_PTR>(this)))
        edit_ = nullptr;
}

FormatBox::~FormatBox() {
    if (edit_ && IsWindow(edit_))
        RemoveWindowSubclass(edit_, &FormatBox::EditProc, 1);
}

LRESULT CALLBACK FormatBox::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR self) {
    auto* box = reinterpret_cast<FormatBox*>(self);
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
        const FormatBoxRule::Step step =
            box->rule_.Key(static_cast<unsigned>(wp), box->ListDropped());
        if (step != FormatBoxRule::Step::Nothing) {
            box->Perform(step, 0);
            return 0;
        }
    }
    // The edit would beep at the characters of Return and Escape.
    if (msg == WM_CHAR && (wp == '\r' || wp == 0x1B) && !box->ListDropped())
        return 0;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

bool FormatBox::ListDropped() const {
    return Handle() && SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

std::string FormatBox::CurrentText() const {
    return ComboText(Handle());
}

void FormatBox::CurrentText(const std::string& text) {
    SetTextQuietly(text);
}

void FormatBox::Notified(int notifyCode) {
    ComboBox::Notified(notifyCode);
    if (settingText_)
        return;
    if (notifyCode == CBN_SETFOCUS)
        shownBefore_ = CurrentText();
    Perform(rule_.Notified(notifyCode, ListDropped()), notifyCode);
}

void FormatBox::Perform(FormatBoxRule::Step step, int notifyCode) {
    using Step = FormatBoxRule::Step;
    if (!oWordPad_ || step == Step::Nothing)
        return;
    if (step == Step::Revert) {
        CurrentText(shownBefore_);
        oWordPad_->ReturnToText();
        return;
    }
    if (step == Step::Apply || step == Step::ApplyAndReturn) {
        const int item = CurrentItemNo();
        const std::string text = notifyCode == CBN_SELCHANGE || (rule_.FromList() && item > 0)
                                     ? ChosenText(*this, CBN_SELCHANGE)
                                     : CurrentText();
        // A blank box stands for no choice (a selection of mixed faces).
        if (text.find_first_not_of(' ') == std::string::npos)
            return;
        if (!Apply(text)) {
            MessageBeep(MB_ICONEXCLAMATION);
            if (notifyCode == CBN_KILLFOCUS)
                CurrentText(shownBefore_);  // the focus is gone: show what applies
            else
                rule_.Refused();  // the user stays in the box to put it right
            return;
        }
        if (step == Step::Apply)
            return;
    }
    oWordPad_->ReturnToText();
}

FontCB::FontCB(FormatBarTarget* wordPad, Window* owner, int id, Point origin, Dimension size,
               int comboType, DWORD style)
    : FormatBox(wordPad, owner, id, origin, size, static_cast<DWORD>(comboType) | style) {}

Symbol FontCB::ClassName() const {
    return Symbol("FONTCB");
}

bool FontCB::Apply(const std::string& text) {
    oWordPad()->ChangeFontFaceName(FaceNameForFormat(text));
    return true;
}

PointSizeCB::PointSizeCB(FormatBarTarget* wordPad, Window* owner, int id, Point origin,
                         Dimension size, int comboType, DWORD style)
    : FormatBox(wordPad, owner, id, origin, size, static_cast<DWORD>(comboType) | style) {}

Symbol PointSizeCB::ClassName() const {
    return Symbol("POINTSIZECB");
}

std::vector<std::string> PointSizeCB::Items() const {
    std::vector<std::string> items;
    const int count = ItemCount();
    for (int i = 1; i <= count; ++i)
        items.push_back(GetItem(i));
    return items;
}

bool PointSizeCB::AddSize(const std::string& text) {
    if (!Handle())
        return false;
    const std::optional<size_t> at = PointSizeInsertPosition(Items(), text);
    if (!at)
        return false;
    // Inserting keeps numeric order where the box's own (text) sorting
    // would put "100" before "12".
    AddItem(text, static_cast<int>(*at) + 1);
    return true;
}

bool PointSizeCB::Apply(const std::string& text) {
    if (!PointSizeOf(text))
        return false;
    oWordPad()->ChangeFontSize(text);
    return true;
}

}  // namespace kp

#include "wordpad/Toolbar_WordPad.h"

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

bool CountsAsChoice(int notifyCode) {
    return notifyCode == CBN_SELCHANGE || notifyCode == CBN_EDITCHANGE;
}

}  // namespace

FontCB::FontCB(FormatBarTarget* wordPad, Window* owner, int id, Point origin, Dimension size,
               int comboType, DWORD style)
    : ComboBox(owner, id, origin, size, static_cast<DWORD>(comboType) | style | kBoxStyle),
      oWordPad_(wordPad) {}

Symbol FontCB::ClassName() const {
    return Symbol("FONTCB");
}

std::string FontCB::CurrentText() const {
    return ComboText(Handle());
}

void FontCB::CurrentText(const std::string& text) {
    SetTextQuietly(text);
}

void FontCB::Notified(int notifyCode) {
    ComboBox::Notified(notifyCode);
    if (!oWordPad_ || settingText_ || !CountsAsChoice(notifyCode))
        return;
    oWordPad_->ChangeFontFaceName(FaceNameForFormat(ChosenText(*this, notifyCode)));
}

PointSizeCB::PointSizeCB(FormatBarTarget* wordPad, Window* owner, int id, Point origin,
                         Dimension size, int comboType, DWORD style)
    : ComboBox(owner, id, origin, size, static_cast<DWORD>(comboType) | style | kBoxStyle),
      oWordPad_(wordPad) {}

Symbol PointSizeCB::ClassName() const {
    return Symbol("POINTSIZECB");
}

std::string PointSizeCB::CurrentText() const {
    return ComboText(Handle());
}

void PointSizeCB::CurrentText(const std::string& text) {
    SetTextQuietly(text);
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

void PointSizeCB::Notified(int notifyCode) {
    ComboBox::Notified(notifyCode);
    if (!oWordPad_ || settingText_ || !CountsAsChoice(notifyCode))
        return;
    const std::string text = ChosenText(*this, notifyCode);
    // A blank edit is a size being typed anew, not one to refuse yet.
    if (text.find_first_not_of(' ') == std::string::npos)
        return;
    if (!PointSizeOf(text)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    oWordPad_->ChangeFontSize(text);
}

}  // namespace kp

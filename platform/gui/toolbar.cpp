#include "platform/gui/toolbar.h"

#include <array>
#include <cmath>

#include "platform/runtime/utf8.h"

namespace kp {

namespace {

constexpr int kImageSize = 16;
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr COLORREF kStripTransparent = RGB(192, 192, 192);

// Pictures that the common controls' standard strip has, by library index.
int StandardImage(int bitmapIndex) {
    switch (bitmapIndex) {
        case TB_BMP_NEW:
            return STD_FILENEW;
        case TB_BMP_OPEN:
            return STD_FILEOPEN;
        case TB_BMP_SAVE:
            return STD_FILESAVE;
        case TB_BMP_PRINT:
            return STD_PRINT;
        case TB_BMP_PREVIEW:
            return STD_PRINTPRE;
        case TB_BMP_COPY:
            return STD_COPY;
        case TB_BMP_CUT:
            return STD_CUT;
        case TB_BMP_PASTE:
            return STD_PASTE;
        case TB_BMP_FIND:
            return STD_FIND;
        default:
            return -1;
    }
}

constexpr std::array kKnownBitmaps{
    TB_BMP_NEW,         TB_BMP_OPEN,       TB_BMP_CLOSE,  TB_BMP_SAVE,      TB_BMP_PRINT,
    TB_BMP_PREVIEW,     TB_BMP_BOLD,       TB_BMP_ITALIC, TB_BMP_UNDERLINE, TB_BMP_ALIGNLEFT,
    TB_BMP_ALIGNCENTER, TB_BMP_ALIGNRIGHT, TB_BMP_COPY,   TB_BMP_CUT,       TB_BMP_PASTE,
    TB_BMP_BULLETS,     TB_BMP_OUTDENT,    TB_BMP_INDENT, TB_BMP_FIND};

// --- drawing the pictures the standard strip lacks (and all of them where
// it cannot be had), 16 × 16 on the transparent colour.

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Box(HDC dc, int l, int t, int r, int b, COLORREF fill) {
    GdiHandle<HBRUSH> brush(CreateSolidBrush(fill));
    HGDIOBJ old = SelectObject(dc, brush.Get());
    Rectangle(dc, l, t, r, b);
    SelectObject(dc, old);
}

void Letter(HDC dc, const wchar_t* text, int weight, bool italic, bool underline) {
    GdiHandle<HFONT> font(CreateFontW(-14, 0, 0, 0, weight, italic, underline, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                                      L"Times New Roman"));
    HGDIOBJ old = SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT rc{0, 0, kImageSize, kImageSize};
    DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

// Text lines of a paragraph: left edges and lengths per row.
void TextLines(HDC dc, int align) {
    static constexpr int kLengths[] = {12, 8, 12, 6, 12, 8};
    for (int row = 0; row < 6; ++row) {
        const int len = kLengths[row];
        const int y = 3 + row * 2;
        int x = 2;
        if (align == 3)
            x = 2 + (12 - len) / 2;
        else if (align == 2)
            x = 14 - len;
        Line(dc, x, y, x + len, y);
    }
}

void Arrow(HDC dc, int tipX, int y, int dir) {
    // A small filled triangle pointing right (dir 1) or left (dir -1).
    for (int i = 0; i < 3; ++i)
        Line(dc, tipX - dir * i, y - i, tipX - dir * i, y + i + 1);
}

void DrawPicture(HDC dc, int bitmapIndex) {
    GdiHandle<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    switch (bitmapIndex) {
        case TB_BMP_NEW:
            Box(dc, 3, 1, 13, 15, RGB(255, 255, 255));
            break;
        case TB_BMP_OPEN:
            Box(dc, 1, 5, 14, 14, RGB(255, 220, 80));
            Box(dc, 1, 3, 7, 6, RGB(255, 220, 80));
            break;
        case TB_BMP_CLOSE: {
            Box(dc, 2, 1, 12, 15, RGB(255, 255, 255));
            GdiHandle<HPEN> red(CreatePen(PS_SOLID, 2, RGB(200, 0, 0)));
            HGDIOBJ o = SelectObject(dc, red.Get());
            Line(dc, 7, 6, 14, 13);
            Line(dc, 14, 6, 7, 13);
            SelectObject(dc, o);
            break;
        }
        case TB_BMP_SAVE:
            Box(dc, 1, 1, 15, 15, RGB(0, 0, 160));
            Box(dc, 4, 1, 12, 7, RGB(255, 255, 255));
            break;
        case TB_BMP_PRINT:
            Box(dc, 4, 1, 12, 7, RGB(255, 255, 255));
            Box(dc, 1, 6, 15, 13, RGB(192, 192, 192));
            break;
        case TB_BMP_PREVIEW:
            Box(dc, 2, 1, 12, 15, RGB(255, 255, 255));
            Ellipse(dc, 6, 5, 13, 12);
            Line(dc, 12, 11, 15, 14);
            break;
        case TB_BMP_BOLD:
            Letter(dc, L"B", FW_BOLD, false, false);
            break;
        case TB_BMP_ITALIC:
            Letter(dc, L"I", FW_BOLD, true, false);
            break;
        case TB_BMP_UNDERLINE:
            Letter(dc, L"U", FW_BOLD, false, true);
            break;
        case TB_BMP_ALIGNLEFT:
            TextLines(dc, 1);
            break;
        case TB_BMP_ALIGNCENTER:
            TextLines(dc, 3);
            break;
        case TB_BMP_ALIGNRIGHT:
            TextLines(dc, 2);
            break;
        case TB_BMP_COPY:
            Box(dc, 1, 1, 9, 11, RGB(255, 255, 255));
            Box(dc, 6, 5, 14, 15, RGB(255, 255, 255));
            break;
        case TB_BMP_CUT:
            Ellipse(dc, 2, 10, 7, 15);
            Ellipse(dc, 9, 10, 14, 15);
            Line(dc, 5, 10, 11, 1);
            Line(dc, 11, 10, 5, 1);
            break;
        case TB_BMP_PASTE:
            Box(dc, 2, 2, 12, 15, RGB(200, 150, 80));
            Box(dc, 7, 6, 15, 15, RGB(255, 255, 255));
            break;
        case TB_BMP_BULLETS:
            for (int row = 0; row < 3; ++row) {
                const int y = 3 + row * 5;
                Box(dc, 2, y - 1, 5, y + 2, RGB(0, 0, 0));
                Line(dc, 7, y, 15, y);
            }
            break;
        case TB_BMP_OUTDENT:
        case TB_BMP_INDENT:
            Line(dc, 1, 2, 15, 2);
            for (int row = 0; row < 4; ++row)
                Line(dc, 8, 5 + row * 2, 15, 5 + row * 2);
            Line(dc, 1, 14, 15, 14);
            if (bitmapIndex == TB_BMP_INDENT)
                Arrow(dc, 6, 7, 1);
            else
                Arrow(dc, 2, 7, -1);
            break;
        case TB_BMP_FIND:
            Ellipse(dc, 1, 1, 10, 10);
            Line(dc, 8, 8, 15, 15);
            Line(dc, 9, 8, 15, 14);
            break;
        default:
            break;
    }
    SelectObject(dc, oldPen);
}

GdiHandle<HBITMAP> MakePicture(int bitmapIndex) {
    HDC screen = GetDC(nullptr);
    GdiHandle<HBITMAP> bmp(CreateCompatibleBitmap(screen, kImageSize, kImageSize));
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp.Get());
    GdiHandle<HBRUSH> back(CreateSolidBrush(kTransparent));
    RECT rc{0, 0, kImageSize, kImageSize};
    FillRect(dc, &rc, back.Get());
    DrawPicture(dc, bitmapIndex);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

}  // namespace

// ---------------------------------------------------------------- making

Toolbar::Toolbar(Window* owner, int id, DWORD style)
    : Control(owner, id, Point(), Dimension(), TOOLBARCLASSNAMEW,
              WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_TOOLTIPS | CCS_TOP | style,
              0, {}, owner ? owner->Handle() : nullptr) {
    // A toolbar is part of the frame, not one of the form's controls.
    Unregister();
    if (!Handle())
        return;
    SendMessageW(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(Handle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(kImageSize, kImageSize));
    images_ = ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, 24, 8);
    SendMessageW(Handle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
    // The standard pictures join the list first (at their own numbers),
    // where the common controls offer them.
    SendMessageW(Handle(), TB_LOADIMAGES, IDB_STD_SMALL_COLOR,
                 reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    if (reinterpret_cast<HIMAGELIST>(SendMessageW(Handle(), TB_GETIMAGELIST, 0, 0)) != images_)
        SendMessageW(Handle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
    if (ImageList_GetImageCount(images_) > STD_PRINT) {
        for (int index : kKnownBitmaps)
            if (StandardImage(index) >= 0)
                imageOfBitmap_[index] = StandardImage(index);
    }
    AutoSize();
}

Toolbar::~Toolbar() {
    // The window goes before the pictures it shows.
    if (HWND h = Handle()) {
        dying_ = true;
        SendMessageW(h, TB_SETIMAGELIST, 0, 0);
        DestroyHandle();
    }
    if (images_)
        ImageList_Destroy(images_);
}

Symbol Toolbar::ClassName() const {
    return Symbol("TOOLBAR");
}

bool Toolbar::HasBitmap(int bitmapIndex) {
    for (int index : kKnownBitmaps)
        if (index == bitmapIndex)
            return true;
    return false;
}

int Toolbar::ImageOf(int bitmapIndex) {
    if (ownStrip_)
        return bitmapIndex >= 0 && bitmapIndex < ImageList_GetImageCount(images_) ? bitmapIndex
                                                                                  : I_IMAGENONE;
    if (auto it = imageOfBitmap_.find(bitmapIndex); it != imageOfBitmap_.end())
        return it->second;
    if (!HasBitmap(bitmapIndex) || !images_)
        return I_IMAGENONE;
    GdiHandle<HBITMAP> picture = MakePicture(bitmapIndex);
    const int image = ImageList_AddMasked(images_, picture.Get(), kTransparent);
    if (image < 0)
        return I_IMAGENONE;
    imageOfBitmap_[bitmapIndex] = image;
    return image;
}

void Toolbar::ButtonBitmap(HBITMAP strip, int imageCount) {
    if (!images_ || !strip)
        return;
    // AddMasked blackens the transparent pixels of what it is given: it
    // gets a copy.
    GdiHandle<HBITMAP> copy(
        static_cast<HBITMAP>(CopyImage(strip, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!copy)
        return;
    ImageList_RemoveAll(images_);
    ImageList_AddMasked(images_, copy.Get(), kStripTransparent);
    while (imageCount > 0 && ImageList_GetImageCount(images_) > imageCount)
        ImageList_Remove(images_, ImageList_GetImageCount(images_) - 1);
    imageOfBitmap_.clear();
    ownStrip_ = true;
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

// ---------------------------------------------------------------- items

void Toolbar::AppendItem(int bitmapIndex, int menuId, const std::string& tip, bool toggle) {
    if (!Handle())
        return;
    TBBUTTON b{};
    b.iBitmap = ImageOf(bitmapIndex);
    b.idCommand = menuId;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = static_cast<BYTE>(toggle ? BTNS_CHECK : BTNS_BUTTON);
    b.iString = -1;
    SendMessageW(Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b));
    if (!tip.empty())
        tips_[menuId] = Utf8ToWide(tip);
    AutoSize();
}

void Toolbar::AppendSeparator() {
    if (!Handle())
        return;
    TBBUTTON b{};
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_SEP;
    b.iString = -1;
    SendMessageW(Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b));
    AutoSize();
}

void Toolbar::AddTipText(int menuId, const std::string& tip) {
    tips_[menuId] = Utf8ToWide(tip);
}

std::string Toolbar::TipText(int menuId) const {
    auto it = tips_.find(menuId);
    return it == tips_.end() ? std::string() : WideToUtf8(it->second);
}

void Toolbar::EnableItem(int menuId) {
    if (Handle())
        SendMessageW(Handle(), TB_ENABLEBUTTON, menuId, MAKELPARAM(TRUE, 0));
}

void Toolbar::DisableItem(int menuId) {
    if (Handle())
        SendMessageW(Handle(), TB_ENABLEBUTTON, menuId, MAKELPARAM(FALSE, 0));
}

void Toolbar::ClickItem(int menuId) {
    if (Handle())
        SendMessageW(Handle(), TB_CHECKBUTTON, menuId, MAKELPARAM(TRUE, 0));
}

void Toolbar::UnClickItem(int menuId) {
    if (Handle())
        SendMessageW(Handle(), TB_CHECKBUTTON, menuId, MAKELPARAM(FALSE, 0));
}

bool Toolbar::HasItem(int menuId) const {
    return Handle() && SendMessageW(Handle(), TB_COMMANDTOINDEX, menuId, 0) >= 0;
}

bool Toolbar::IsItemEnabled(int menuId) const {
    return HasItem(menuId) && SendMessageW(Handle(), TB_ISBUTTONENABLED, menuId, 0) != 0;
}

bool Toolbar::IsItemChecked(int menuId) const {
    return HasItem(menuId) && SendMessageW(Handle(), TB_ISBUTTONCHECKED, menuId, 0) != 0;
}

int Toolbar::ButtonCount() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), TB_BUTTONCOUNT, 0, 0)) : 0;
}

RECT Toolbar::ItemRect(int index) const {
    RECT rc{};
    if (Handle() && index >= 0 && index < ButtonCount())
        SendMessageW(Handle(), TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

int Toolbar::ItemID(int index) const {
    TBBUTTON b{};
    if (!Handle() || index < 0 || index >= ButtonCount() ||
        !SendMessageW(Handle(), TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&b)))
        return 0;
    return (b.fsStyle & BTNS_SEP) ? 0 : b.idCommand;
}

// ---------------------------------------------------------------- looks

int Toolbar::ButtonStyle() const {
    return (Style() & TBSTYLE_FLAT) ? TOOLBAR_BUTTON_FLAT : TOOLBAR_BUTTON_RAISED;
}

void Toolbar::ButtonStyle(int style) {
    SetStyle(TBSTYLE_FLAT, style == TOOLBAR_BUTTON_FLAT);
}

DWORD Toolbar::Style() const {
    return Handle() ? static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)) : 0;
}

void Toolbar::SetStyle(DWORD bits, bool enable) {
    if (!Handle())
        return;
    const DWORD now = Style();
    const DWORD next = enable ? now | bits : now & ~bits;
    if (next == now)
        return;
    SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(next));
    AutoSize();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Toolbar::Background(std::shared_ptr<kp::Brush> brush) {
    Control::Background(std::move(brush));
}

int Toolbar::Height() const {
    if (!Handle() || !IsWindowVisible(Handle()))
        return 0;
    RECT rc{};
    GetWindowRect(Handle(), &rc);
    return rc.bottom - rc.top;
}

void Toolbar::AutoSize() {
    if (Handle())
        SendMessageW(Handle(), TB_AUTOSIZE, 0, 0);
}

void Toolbar::Show(int showState) {
    Control::Show(showState);
    TellOwner();
}

void Toolbar::Hide() {
    Control::Hide();
    TellOwner();
}

void Toolbar::TellOwner() {
    const bool visible = Handle() && IsWindowVisible(Handle());
    const int height = Height();
    if (visible == lastVisible_ && height == lastHeight_)
        return;
    lastVisible_ = visible;
    lastHeight_ = height;
    if (Owner() && Owner()->ToolBar().get() == this)
        Owner()->ToolBarChanged();
}

// ---------------------------------------------------------------- events

LRESULT Toolbar::Dispatch(Event& e) {
    switch (e.Message()) {
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(e.lParam());
            if (!hdr || (hdr->code != TTN_GETDISPINFOW && hdr->code != TTN_GETDISPINFOA))
                break;
            auto it = tips_.find(static_cast<int>(hdr->idFrom));
            if (it == tips_.end())
                break;
            // The tip of the button under the mouse, by its menu id.
            if (hdr->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(e.lParam());
                info->hinst = nullptr;
                info->lpszText = const_cast<wchar_t*>(it->second.c_str());
            } else {
                auto* info = reinterpret_cast<NMTTDISPINFOA*>(e.lParam());
                const int n = WideCharToMultiByte(CP_ACP, 0, it->second.c_str(), -1, nullptr, 0,
                                                  nullptr, nullptr);
                tipAnsi_.assign(static_cast<size_t>(n > 0 ? n : 1), '\0');
                WideCharToMultiByte(CP_ACP, 0, it->second.c_str(), -1, tipAnsi_.data(), n, nullptr,
                                    nullptr);
                info->hinst = nullptr;
                info->lpszText = tipAnsi_.data();
            }
            EventReturnValue(0);
            return 1;
        }
        case WM_COMMAND:
            // A control on the toolbar has heard of its notification (see
            // Control::Notified); the toolbar's owner does not.
            if (e.lParam() != 0 && reinterpret_cast<HWND>(e.lParam()) != Handle()) {
                EventReturnValue(0);
                return 1;
            }
            break;
        case WM_ERASEBKGND:
            if (auto brush = Control::Background(); brush && brush->Handle()) {
                RECT rc{};
                GetClientRect(Handle(), &rc);
                FillRect(reinterpret_cast<HDC>(e.wParam()), &rc, brush->Handle());
                EventReturnValue(1);
                return 1;
            }
            break;
        default:
            break;
    }
    return Control::Dispatch(e);
}

void Toolbar::AfterDispatch(Event& e) {
    Control::AfterDispatch(e);
    if (e.Handle() != Handle())
        return;
    if (e.Message() == WM_WINDOWPOSCHANGED || e.Message() == WM_SHOWWINDOW ||
        e.Message() == WM_DESTROY)
        TellOwner();
}

}  // namespace kp

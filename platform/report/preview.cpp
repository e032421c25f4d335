#include "platform/report/preview.h"

#include <algorithm>

#include "platform/gui/boxes.h"
#include "platform/gui/window.h"
#include "platform/runtime/utf8.h"

namespace kp {

// --- paging rules

bool PreviewPager::Next() {
    if (!CanNext())
        return false;
    ++page_;
    return true;
}

bool PreviewPager::Previous() {
    if (!CanPrevious())
        return false;
    --page_;
    return true;
}

bool PreviewPager::First() {
    if (count_ == 0 || page_ == 1)
        return false;
    page_ = 1;
    return true;
}

bool PreviewPager::Last() {
    if (count_ == 0 || page_ == count_)
        return false;
    page_ = count_;
    return true;
}

std::string PreviewPager::Text() const {
    if (count_ == 0)
        return "Keine Seite";
    return "Seite " + std::to_string(page_) + " von " + std::to_string(count_);
}

RECT FitPage(SIZE paper, RECT client, int border) {
    const long availW = std::max(0L, static_cast<long>(client.right - client.left) - 2L * border);
    const long availH = std::max(0L, static_cast<long>(client.bottom - client.top) - 2L * border);
    if (paper.cx <= 0 || paper.cy <= 0 || availW == 0 || availH == 0)
        return {client.left, client.top, client.left, client.top};
    // Width from the height, unless that is too wide.
    long h = availH;
    long w = static_cast<long>(static_cast<long long>(h) * paper.cx / paper.cy);
    if (w > availW) {
        w = availW;
        h = static_cast<long>(static_cast<long long>(w) * paper.cy / paper.cx);
    }
    const long left = client.left + (client.right - client.left - w) / 2;
    const long top = client.top + (client.bottom - client.top - h) / 2;
    return {left, top, left + w, top + h};
}

// --- the window

namespace {

constexpr int kBarHeight = 38;
constexpr int kBorder = 16;

const wchar_t kPreviewClass[] = L"KpPrintPreview";

void RegisterPreviewClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kPreviewClass, &wc))
        return;
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kPreviewClass;
    RegisterClassExW(&wc);
}

}  // namespace

PreviewWindow::PreviewWindow(Window* owner, std::string jobTitle, PageSet pages,
                             std::function<void()> onPrint, bool withExport)
    : title_(std::move(jobTitle)),
      pages_(std::move(pages)),
      pager_(pages_.Count()),
      onPrint_(std::move(onPrint)),
      withExport_(withExport) {
    RegisterPreviewClass(&PreviewWindow::Proc);
    if (owner && owner->Handle())
        ownerHwnd_ = GetAncestor(owner->Handle(), GA_ROOT);
    // Most of the screen, as a page wants to be seen.
    RECT work{0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = std::max(400, static_cast<int>(work.right - work.left) * 4 / 5);
    const int h = std::max(300, static_cast<int>(work.bottom - work.top) * 9 / 10);
    const std::wstring caption = Utf8ToWide("Druckvorschau - " + title_);
    hwnd_ = CreateWindowExW(
        0, kPreviewClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
        work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
        w, h, ownerHwnd_, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_)
        return;
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    struct Button {
        int id;
        const char* text;
        bool present;
    };
    const Button buttons[] = {
        {kPreviewPrevId, "<< &Zurück", true},
        {kPreviewNextId, "&Weiter >>", true},
        {kPreviewPrintId, "&Drucken", static_cast<bool>(onPrint_)},
        {kPreviewSaveId, "&Speichern...", withExport_},
        {kPreviewCloseId, "S&chließen", true},
    };
    for (const Button& b : buttons) {
        if (!b.present)
            continue;
        HWND c = CreateWindowExW(
            0, L"BUTTON", Utf8ToWide(b.text).c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
            10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), nullptr, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    HWND text = CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 10, 10, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPreviewPageTextId)), nullptr, nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    Layout();
    Refresh();
}

PreviewWindow::~PreviewWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void PreviewWindow::Show() {
    if (!hwnd_)
        return;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    ::SetFocus(hwnd_);
}

void PreviewWindow::RunModal() {
    if (!hwnd_)
        return;
    const bool disableOwner = ownerHwnd_ && IsWindowEnabled(ownerHwnd_);
    if (disableOwner)
        EnableWindow(ownerHwnd_, FALSE);
    Show();
    MSG msg;
    while (hwnd_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // A quit request ends the preview; the outer loop must see it too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (disableOwner)
        EnableWindow(ownerHwnd_, TRUE);
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    if (ownerHwnd_)
        SetActiveWindow(ownerHwnd_);
    if (printAsked_ && onPrint_) {
        printAsked_ = false;
        onPrint_();
    }
}

void PreviewWindow::GoTo(int page) {
    while (pager_.Page() < page && pager_.Next()) {
    }
    while (pager_.Page() > page && pager_.Previous()) {
    }
    Refresh();
}

void PreviewWindow::Layout() {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    int x = 8;
    for (int id :
         {kPreviewPrevId, kPreviewNextId, kPreviewPrintId, kPreviewSaveId, kPreviewCloseId}) {
        if (HWND c = GetDlgItem(hwnd_, id)) {
            MoveWindow(c, x, 6, 100, 26, TRUE);
            x += 106;
        }
    }
    MoveWindow(GetDlgItem(hwnd_, kPreviewPageTextId), x + 12, 12, std::max(60L, rc.right - x - 20),
               18, TRUE);
}

void PreviewWindow::Refresh() {
    if (!hwnd_)
        return;
    SetDlgItemTextW(hwnd_, kPreviewPageTextId, Utf8ToWide(pager_.Text()).c_str());
    EnableWindow(GetDlgItem(hwnd_, kPreviewPrevId), pager_.CanPrevious());
    EnableWindow(GetDlgItem(hwnd_, kPreviewNextId), pager_.CanNext());
    RECT rc;
    GetClientRect(hwnd_, &rc);
    rc.top = kBarHeight;
    InvalidateRect(hwnd_, &rc, TRUE);
}

void PreviewWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    RECT bar = rc;
    bar.bottom = kBarHeight;
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    rc.top = kBarHeight;
    const int page = pager_.Page();
    if (page > 0 && pages_.pagePixels.cx > 0 && pages_.pagePixels.cy > 0) {
        const RECT sheet = FitPage(pages_.pagePixels, rc, kBorder);
        RECT shadow = sheet;
        OffsetRect(&shadow, 4, 4);
        FillRect(dc, &shadow, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        // The page's frame is the printable area, placed on the sheet to scale.
        const double scale = static_cast<double>(sheet.right - sheet.left) / pages_.pagePixels.cx;
        RECT area{sheet.left + static_cast<LONG>(pages_.printOrigin.x * scale),
                  sheet.top + static_cast<LONG>(pages_.printOrigin.y * scale), 0, 0};
        area.right = area.left + static_cast<LONG>(pages_.printable.cx * scale);
        area.bottom = area.top + static_cast<LONG>(pages_.printable.cy * scale);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, sheet.left, sheet.top, sheet.right, sheet.bottom);
        PlayEnhMetaFile(dc, pages_.pages[static_cast<size_t>(page - 1)].Get(), &area);
        RestoreDC(dc, saved);
    }
    EndPaint(hwnd_, &ps);
}

void PreviewWindow::SaveShownPage() {
    const int page = pager_.Page();
    if (page <= 0)
        return;
    SaveAsDialog dialog(nullptr, "Seite" + std::to_string(page) + ".emf");
    dialog.SetFilter({"*.emf"}, {"Erweiterte Metadatei"});
    dialog.DefaultExtension("emf");
    if (!dialog.Show())
        return;
    if (!SavePage(pages_.pages[static_cast<size_t>(page - 1)].Get(), dialog.FileName()))
        CurrentPresenter().ShowMessage(hwnd_, "KONTORPLUS",
                                       "Die Seite konnte nicht gespeichert werden.\r\n"
                                       "Bitte wählen Sie einen anderen Ordner.",
                                       MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CALLBACK PreviewWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<PreviewWindow*>(cs->lpCreateParams)->hwnd_ = h;
    }
    auto* self = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(h, msg, wp, lp);
    return self->OnMessage(msg, wp, lp);
}

LRESULT PreviewWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = hwnd_;
    switch (msg) {
        case WM_SIZE:
            Layout();
            InvalidateRect(h, nullptr, TRUE);
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_KEYDOWN:
            switch (wp) {
                case VK_NEXT:
                case VK_RIGHT:
                case VK_SPACE:
                case VK_DOWN:
                    if (pager_.Next())
                        Refresh();
                    return 0;
                case VK_PRIOR:
                case VK_LEFT:
                case VK_UP:
                    if (pager_.Previous())
                        Refresh();
                    return 0;
                case VK_HOME:
                    if (pager_.First())
                        Refresh();
                    return 0;
                case VK_END:
                    if (pager_.Last())
                        Refresh();
                    return 0;
                case VK_ESCAPE:
                    PostMessageW(h, WM_CLOSE, 0, 0);
                    return 0;
            }
            break;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case kPreviewNextId:
                    if (pager_.Next())
                        Refresh();
                    break;
                case kPreviewPrevId:
                    if (pager_.Previous())
                        Refresh();
                    break;
                case kPreviewPrintId:
                    printAsked_ = true;
                    PostMessageW(h, WM_CLOSE, 0, 0);
                    break;
                case kPreviewSaveId:
                    SaveShownPage();
                    break;
                case kPreviewCloseId:
                    PostMessageW(h, WM_CLOSE, 0, 0);
                    break;
            }
            // Keys stay with the window, not with the button clicked.
            ::SetFocus(h);
            return 0;
        case WM_CLOSE:
            DestroyWindow(h);
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            SetWindowLongPtrW(h, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace kp

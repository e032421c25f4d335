#include "controls/CalendarControl.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/gui/datawindow.h"
#include "platform/gui/dialogwindow.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {
// A marked day: a pale yellow cell, its number in dark blue.
constexpr COLORREF kMarkedCell = RGB(255, 240, 150);
constexpr COLORREF kMarkedText = RGB(0, 0, 160);
}  // namespace

void RegisterCalendarClass() {
    CustomControl::RegisterWindowClass(CustomControl::kDefaultClassName);
}

CalendarControl::CalendarControl(Window* owner, const ResourceID& id) : CustomControl(owner, id) {
    Setup();
}

CalendarControl::CalendarControl(Window* owner, int id, Point origin, Dimension size, DWORD style)
    : CustomControl(owner, id, origin, size, style) {
    Setup();
}

Symbol CalendarControl::ClassName() const {
    return Symbol("CALENDARCONTROL");
}

void CalendarControl::Setup() {
    SetCentury(true);
    RECT rc{};
    if (Handle())
        GetClientRect(Handle(), &rc);
    grid_ = CalendarGrid(rc.right, rc.bottom);
    pWhite_ = static_cast<HPEN>(GetStockObject(WHITE_PEN));
    pGrey_ = GdiHandle<HPEN>(CreatePen(PS_SOLID, 1, RGB(128, 128, 128)));
    lNotifyOwner_ = dynamic_cast<DateChangedListener*>(Owner()) != nullptr;
    CurrentDate(Today());
}

void CalendarControl::Notify() {
    if (lNotifyOwner_)
        if (auto* listener = dynamic_cast<DateChangedListener*>(Owner()))
            listener->DateChanged(dCurrent_);
}

void CalendarControl::CurrentDate(Date d) {
    if (d.IsEmpty() || d < dMinDate || d > dMaxDate || d == dCurrent_)
        return;
    if (dFirst_.IsEmpty() || d > dLast_ || d < dFirst_) {
        dCurrent_ = d;
        if (Handle())
            InvalidateRect(Handle(), nullptr, TRUE);
    } else {
        ClientDC dc(Handle());
        UnHighlightDay(dc.Handle());
        dCurrent_ = d;
        HighlightDay(dc.Handle());
    }
    Notify();
}

void CalendarControl::MoveDays(long days) {
    const Date target = dCurrent_ + days;
    if (!target.IsEmpty() && target >= dMinDate && target <= dMaxDate)
        CurrentDate(target);
}

void CalendarControl::MoveMonths(int step) {
    CurrentDate(CalendarGrid::MoveMonths(dCurrent_, step));
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT CalendarControl::Dispatch(Event& e) {
    if (e.Message() == WM_GETDLGCODE) {
        EventReturnValue(DLGC_WANTALLKEYS);
        return 1;
    }
    if (e.Message() == WM_DESTROY)
        pGrey_.Reset();
    return CustomControl::Dispatch(e);
}

void CalendarControl::Resize(ResizeEvent& e) {
    grid_ = CalendarGrid(e.Size().width, e.Size().height);
    InvalidateRect(Handle(), nullptr, TRUE);
    Default(e);
}

void CalendarControl::Draw3DBox(HDC dc, int x1, int y1, int x2, int y2) {
    HGDIOBJ old = SelectObject(dc, pWhite_);
    MoveToEx(dc, x1, y2, nullptr);
    LineTo(dc, x1, y1);
    LineTo(dc, x2, y1);
    SelectObject(dc, pGrey_.Get());
    LineTo(dc, x2, y2);
    LineTo(dc, x1, y2);
    SelectObject(dc, old);
}

void CalendarControl::DrawOutline(HDC dc) {
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, grid_.nGridRight + 2, grid_.nGridBottom + 2);
    SelectObject(dc, oldBrush);
    Draw3DBox(dc, 0, 0, grid_.nGridRight, 24);
    Draw3DBox(dc, grid_.nGridLeft, 25, grid_.nGridRight, grid_.nGridBottom);
    const int rh = grid_.RowHeight(), cw = grid_.CellWidth();
    HGDIOBJ old = SelectObject(dc, pWhite_);
    for (int i = 1; i <= 6; ++i) {
        const int y = 25 + i * rh;
        SelectObject(dc, pWhite_);
        MoveToEx(dc, grid_.nGridLeft, y, nullptr);
        LineTo(dc, grid_.nGridRight, y);
        SelectObject(dc, pGrey_.Get());
        MoveToEx(dc, grid_.nGridLeft, y - 1, nullptr);
        LineTo(dc, grid_.nGridRight, y - 1);
    }
    for (int i = 1; i <= 6; ++i) {
        const int x = i * cw;
        SelectObject(dc, pGrey_.Get());
        MoveToEx(dc, x, 25, nullptr);
        LineTo(dc, x, grid_.nGridBottom);
        SelectObject(dc, pWhite_);
        MoveToEx(dc, x + 1, 25, nullptr);
        LineTo(dc, x + 1, grid_.nGridBottom);
    }
    SelectObject(dc, old);
}

void CalendarControl::DrawArrows(HDC dc) {
    auto button = [&](RECT r) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        OffsetRect(&r, 1, 1);
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    };
    const int right = grid_.nGridRight;
    button(RECT{2, 3, 21, 22});
    button(RECT{right - 23, 3, right - 4, 22});
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    const int oldFill = SetPolyFillMode(dc, WINDING);
    const POINT left[] = {{10, 13}, {14, 9}, {14, 17}};
    const POINT rightArrow[] = {{right - 10, 13}, {right - 14, 9}, {right - 14, 17}};
    Polygon(dc, left, 3);
    Polygon(dc, rightArrow, 3);
    SetPolyFillMode(dc, oldFill);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void CalendarControl::DrawDayNumber(HDC dc, Date d, COLORREF color) {
    const auto cell = grid_.NumberCell(d);
    RECT r{cell.left, cell.top, cell.right, cell.bottom};
    wchar_t text[4];
    wsprintfW(text, L"%2d", d.Day());
    SetTextColor(dc, color);
    DrawTextW(dc, text, -1, &r, DT_RIGHT | DT_SINGLELINE);
}

void CalendarControl::MarkDays(std::vector<int> days) {
    marked_ = std::move(days);
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

bool CalendarControl::IsMarked(Date d) const {
    return !d.IsEmpty() && !dCurrent_.IsEmpty() && d.Month() == dCurrent_.Month() &&
           d.Year() == dCurrent_.Year() &&
           std::find(marked_.begin(), marked_.end(), d.Day()) != marked_.end();
}

void CalendarControl::FillDay(HDC dc, Date d) {
    const auto c = grid_.DayCell(d);
    RECT r{c.left, c.top, c.right, c.bottom};
    GdiHandle<HBRUSH> tint(CreateSolidBrush(kMarkedCell));
    FillRect(dc, &r, tint.Get());
}

void CalendarControl::DrawDays(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    RECT rc{};
    GetClientRect(Handle(), &rc);
    RECT header{0, 0, rc.right, 25};
    const std::wstring caption =
        Utf8ToWide(CMonth(dCurrent_) + " " + std::to_string(dCurrent_.Year()));
    DrawTextW(dc, caption.c_str(), -1, &header, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    const Date sunday = Date::FromYMD(1996, 10, 20);
    const int cw = grid_.CellWidth(), rh = grid_.RowHeight();
    for (int i = 0; i < 7; ++i) {
        RECT r{i * cw, 27, i * cw + cw - 3, 27 + rh};
        const std::wstring name = Utf8ToWide(Left(CDoW(sunday + i), 2));
        SetTextColor(dc, (i == 0 || i == 6) ? RGB(255, 0, 0) : RGB(0, 0, 0));
        DrawTextW(dc, name.c_str(), -1, &r, DT_CENTER | DT_SINGLELINE);
    }
    const Date first = CalendarGrid::FirstOfMonth(dCurrent_);
    const int days = CalendarGrid::LastDayOfMonth(first).Day();
    for (int day = 0; day < days; ++day) {
        if (IsMarked(first + day))
            FillDay(dc, first + day);
        DrawDayNumber(dc, first + day, IsMarked(first + day) ? kMarkedText : RGB(0, 0, 0));
    }
    SelectObject(dc, oldFont);
}

void CalendarControl::HighlightDay(HDC dc) {
    if (dCurrent_.IsEmpty())
        return;
    const auto c = grid_.DayCell(dCurrent_);
    RECT r{c.left, c.top, c.right, c.bottom};
    GdiHandle<HBRUSH> brush(CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION)));
    FillRect(dc, &r, brush.Get());
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    SetBkMode(dc, TRANSPARENT);
    DrawDayNumber(dc, dCurrent_, GetSysColor(COLOR_CAPTIONTEXT));
    SelectObject(dc, oldFont);
}

void CalendarControl::UnHighlightDay(HDC dc) {
    if (dCurrent_.IsEmpty())
        return;
    const auto c = grid_.DayCell(dCurrent_);
    RECT r{c.left, c.top, c.right, c.bottom};
    if (IsMarked(dCurrent_)) {
        FillDay(dc, dCurrent_);
    } else if (Brush && Brush->Handle()) {
        FillRect(dc, &r, Brush->Handle());
    } else {
        GdiHandle<HBRUSH> face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
        FillRect(dc, &r, face.Get());
    }
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    SetBkMode(dc, TRANSPARENT);
    DrawDayNumber(dc, dCurrent_, IsMarked(dCurrent_) ? kMarkedText : RGB(0, 0, 0));
    SelectObject(dc, oldFont);
}

void CalendarControl::Expose(ExposeEvent&) {
    PaintDC dc(Handle());
    RECT rc{};
    GetClientRect(Handle(), &rc);
    GdiHandle<HBRUSH> face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(dc.Handle(), &rc, Brush && Brush->Handle() ? Brush->Handle() : face.Get());
    DrawOutline(dc.Handle());
    DrawArrows(dc.Handle());
    DrawDays(dc.Handle());
    dFirst_ = CalendarGrid::FirstOfMonth(dCurrent_);
    dLast_ = CalendarGrid::LastDayOfMonth(dCurrent_);
    HighlightDay(dc.Handle());
}

void CalendarControl::KeyDown(KeyEvent& e) {
    switch (e.KeyCode()) {
        case VK_RIGHT:
            MoveDays(1);
            break;
        case VK_LEFT:
            MoveDays(-1);
            break;
        case VK_UP:
            MoveDays(-7);
            break;
        case VK_DOWN:
            MoveDays(7);
            break;
        case VK_PRIOR:
            MoveMonths(-1);
            break;
        case VK_NEXT:
            MoveMonths(1);
            break;
        case VK_HOME:
            CurrentDate(dMinDate);
            break;
        case VK_END:
            CurrentDate(dMaxDate);
            break;
        case VK_RETURN:
            // The keyboard's way to take the day, as the double click does.
            if (auto* selector = dynamic_cast<DateSelector*>(Owner())) {
                selector->dSelected = dCurrent_;
                if (auto* dialog = dynamic_cast<DialogWindow*>(Owner()))
                    dialog->EndDialog(IDOK);
            }
            break;
        default:
            Default(e);
            break;
    }
}

void CalendarControl::MouseButtonDown(MouseEvent& e) {
    ::SetFocus(Handle());
    const int x = GET_X_LPARAM(e.lParam());
    const int y = GET_Y_LPARAM(e.lParam());
    const auto hit = grid_.HitTest(x, y, dCurrent_);
    switch (hit.kind) {
        case CalendarGrid::HitKind::PrevMonth:
            MoveMonths(-1);
            break;
        case CalendarGrid::HitKind::NextMonth:
            MoveMonths(1);
            break;
        case CalendarGrid::HitKind::Day:
            if (hit.date >= dMinDate && hit.date <= dMaxDate)
                CurrentDate(hit.date);
            break;
        case CalendarGrid::HitKind::None:
            break;
    }
    Notify();
}

void CalendarControl::MouseButtonDoubleClick(MouseEvent& e) {
    // Only a double click on a day takes it; one on an arrow pages again.
    const auto hit = grid_.HitTest(GET_X_LPARAM(e.lParam()), GET_Y_LPARAM(e.lParam()), dCurrent_);
    if (hit.kind != CalendarGrid::HitKind::Day) {
        MouseButtonDown(e);
        return;
    }
    if (auto* selector = dynamic_cast<DateSelector*>(Owner()))
        selector->dSelected = dCurrent_;
    if (auto* dialog = dynamic_cast<DialogWindow*>(Owner()))
        dialog->EndDialog(IDOK);
    else if (Owner() && dynamic_cast<DataWindow*>(Owner()))
        Owner()->EndWindow();
}

}  // namespace kp

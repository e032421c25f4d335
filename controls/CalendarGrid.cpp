#include "controls/CalendarGrid.h"

#include <algorithm>

#include "controls/DateEditor.h"

namespace kp {

CalendarGrid::CalendarGrid(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    nGridHeight = std::max(height - nHeader, 0) / 6 * 6;
    nGridWidth = width / 7 * 7;
    nGridBottom = nGridTop + nGridHeight;
    nGridRight = nGridLeft + nGridWidth;
    cellWidth_ = std::max(nGridWidth / 7, 1);
    rowHeight_ = std::max(nGridHeight / 7, 1);
}

Date CalendarGrid::MinDate() {
    return Date::FromYMD(1496, 1, 1);
}

Date CalendarGrid::MaxDate() {
    return Date::FromYMD(9999, 12, 31);
}

Date CalendarGrid::FirstOfMonth(Date d) {
    return Date::FromYMD(d.Year(), d.Month(), 1);
}

int CalendarGrid::FDOW(Date d) {
    return DoW(FirstOfMonth(d));
}

Date CalendarGrid::LastDayOfMonth(Date d) {
    if (d.IsEmpty())
        return {};
    if (d.Month() == 12)
        return Date::FromYMD(d.Year(), 12, 31);
    return Date::FromYMD(d.Year(), d.Month() + 1, 1) - 1;
}

Date CalendarGrid::MoveMonths(Date d, int step) {
    // A month on or back keeps the day where the month has it, else the
    // month's last day.
    return Date_AddMonth(d, step < 0 ? -1 : 1);
}

CalendarGrid::Hit CalendarGrid::HitTest(int x, int y, Date shownMonth) const {
    if (x < 0 || y < 0 || x >= std::max(nGridRight, 1) + 2 || shownMonth.IsEmpty())
        return {};
    if (y <= nHeader) {
        if (x < 20)
            return {HitKind::PrevMonth, {}};
        if (x > nGridRight - 20)
            return {HitKind::NextMonth, {}};
        return {};
    }
    if (y >= nGridBottom || x >= nGridRight)
        return {};
    const int row = (y - nHeader) / rowHeight_;
    const int column = x / cellWidth_ + 1;
    if (row <= 0 || row > 6 || column < 1 || column > 7)
        return {};
    const Date first = FirstOfMonth(shownMonth);
    const int offset = 7 * (row - 1) + (column - FDOW(shownMonth));
    if (offset < 0 || offset > LastDayOfMonth(first).Day() - 1)
        return {};
    const Date day = first + offset;
    if (day < MinDate() || day > MaxDate())
        return {};
    return {HitKind::Day, day};
}

CalendarGrid::Rect CalendarGrid::DayCell(Date d) const {
    const int left = (Column(d) - 1) * cellWidth_;
    const int top = nHeader + Row(d) * rowHeight_ + 1;
    return {left + 2, top, left + cellWidth_, top + rowHeight_ - 2};
}

CalendarGrid::Rect CalendarGrid::NumberCell(Date d) const {
    const int left = (Column(d) - 1) * cellWidth_;
    const int top = nHeader + Row(d) * rowHeight_ + 2;
    return {left, top, left + cellWidth_ - 3, top + rowHeight_};
}

}  // namespace kp

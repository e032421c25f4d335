#pragma once
// CalendarGrid: the month calendar's geometry and date arithmetic without a
// window. Pixels of the control's client area, y growing downwards: a header
// of 25 pixels with the month and two arrow buttons, then a grid of seven
// rows (weekday names, six weeks) and seven columns, Sunday first.
#include "platform/runtime/date.h"

namespace kp {

class CalendarGrid {
  public:
    static constexpr int nHeader = 25;

    // The control's client size. A control smaller than its grid gets cells
    // of at least one pixel, so nothing divides by zero.
    CalendarGrid(int width, int height);

    int nGridTop = nHeader, nGridLeft = 0, nGridBottom = 0, nGridRight = 0;
    int nGridHeight = 0, nGridWidth = 0;
    int CellWidth() const { return cellWidth_; }
    int RowHeight() const { return rowHeight_; }

    // The selectable range: from 01.01.1496 to the end of the date type, so
    // that today always stays selectable.
    static Date MinDate();
    static Date MaxDate();

    // 1 = Sunday ... 7 = Saturday, of the first of the date's month.
    static int FDOW(Date d);
    static Date FirstOfMonth(Date d);
    static Date LastDayOfMonth(Date d);
    // The same day one month on or back (step +1 / -1); a day the month lacks
    // becomes its last day.
    static Date MoveMonths(Date d, int step);

    // Column (1 = Sunday) and week row (1..6) of a day in its month's grid.
    static int Column(Date d) { return DoW(d); }
    static int Row(Date d) { return (d.Day() + FDOW(d) - 2) / 7 + 1; }

    // Where a click at (x, y) fell.
    enum class HitKind { None, PrevMonth, NextMonth, Day };
    struct Hit {
        HitKind kind = HitKind::None;
        Date date;  // for Day
    };
    // Days only within the month shown and the limits; clicks on the
    // weekday row, on empty cells and outside the grid hit nothing.
    Hit HitTest(int x, int y, Date shownMonth) const;

    // The rectangle of a day's cell (inner, as it is highlighted).
    struct Rect {
        int left, top, right, bottom;
    };
    Rect DayCell(Date d) const;
    Rect NumberCell(Date d) const;  // where the day's number is drawn

  private:
    int cellWidth_ = 1;
    int rowHeight_ = 1;
};

}  // namespace kp

#include <gtest/gtest.h>

#include "controls/CalendarGrid.h"

using kp::CalendarGrid;
using kp::Date;

namespace {

Date D(int y, int m, int d) {
    return Date::FromYMD(y, m, d);
}

TEST(CalendarGrid, GeometryOfA140PixelControl) {
    const CalendarGrid g(200, 140);
    EXPECT_EQ(g.nGridHeight, 114);
    EXPECT_EQ(g.RowHeight(), 16);
    EXPECT_EQ(g.nGridWidth, 196);
    EXPECT_EQ(g.CellWidth(), 28);
    EXPECT_EQ(g.nGridBottom, 139);
    EXPECT_EQ(g.nGridRight, 196);
    // Week rows start at 25 + r * 16: 41, 57 ... 121; the last row is 18 high.
    EXPECT_EQ(g.nGridBottom - (25 + 6 * g.RowHeight()), 18);
}

TEST(CalendarGrid, TinyControlDividesByNothing) {
    const CalendarGrid g(3, 10);
    EXPECT_GE(g.CellWidth(), 1);
    EXPECT_GE(g.RowHeight(), 1);
    EXPECT_EQ(g.HitTest(1, 20, D(2010, 6, 1)).kind, CalendarGrid::HitKind::PrevMonth);
    EXPECT_EQ(g.HitTest(1, 30, D(2010, 6, 1)).kind, CalendarGrid::HitKind::None);
    const CalendarGrid zero(0, 0);
    EXPECT_EQ(zero.HitTest(0, 0, D(2010, 6, 1)).kind, CalendarGrid::HitKind::PrevMonth);
}

TEST(CalendarGrid, CellsOfMonthsStartingSundayAndSaturday) {
    // February 2009: the 1st a Sunday, four full rows.
    EXPECT_EQ(CalendarGrid::FDOW(D(2009, 2, 14)), 1);
    EXPECT_EQ(CalendarGrid::Column(D(2009, 2, 1)), 1);
    EXPECT_EQ(CalendarGrid::Row(D(2009, 2, 1)), 1);
    EXPECT_EQ(CalendarGrid::Row(D(2009, 2, 28)), 4);
    EXPECT_EQ(CalendarGrid::Column(D(2009, 2, 28)), 7);
    // May 2010 starts on a Saturday: the 2nd is in the next row, column 1.
    EXPECT_EQ(CalendarGrid::Column(D(2010, 5, 1)), 7);
    EXPECT_EQ(CalendarGrid::Row(D(2010, 5, 1)), 1);
    EXPECT_EQ(CalendarGrid::Column(D(2010, 5, 2)), 1);
    EXPECT_EQ(CalendarGrid::Row(D(2010, 5, 2)), 2);
    EXPECT_EQ(CalendarGrid::Row(D(2010, 5, 31)), 6);
}

TEST(CalendarGrid, MonthArithmetic) {
    EXPECT_EQ(CalendarGrid::LastDayOfMonth(D(2012, 2, 3)), D(2012, 2, 29));
    EXPECT_EQ(CalendarGrid::LastDayOfMonth(D(2010, 12, 3)), D(2010, 12, 31));
    EXPECT_EQ(CalendarGrid::MoveMonths(D(2010, 1, 31), 1), D(2010, 2, 28));
    EXPECT_EQ(CalendarGrid::MoveMonths(D(2010, 3, 31), -1), D(2010, 2, 28));
    EXPECT_EQ(CalendarGrid::MoveMonths(D(2010, 12, 15), 1), D(2011, 1, 15));
    EXPECT_EQ(CalendarGrid::MoveMonths(D(2011, 1, 31), -1), D(2010, 12, 31));
    // Far limits: today stays selectable long after 2029.
    EXPECT_EQ(CalendarGrid::MaxDate(), D(9999, 12, 31));
    EXPECT_GT(CalendarGrid::MaxDate(), D(2100, 1, 1));
    EXPECT_EQ(CalendarGrid::MinDate(), D(1496, 1, 1));
    EXPECT_TRUE(CalendarGrid::MoveMonths(CalendarGrid::MaxDate(), 1).IsEmpty());
}

TEST(CalendarGrid, HitTesting) {
    const CalendarGrid g(200, 140);    // cells 28 x 16
    const Date june = D(2010, 6, 15);  // 1 June 2010 is a Tuesday (column 3)
    using K = CalendarGrid::HitKind;
    EXPECT_EQ(g.HitTest(5, 10, june).kind, K::PrevMonth);
    EXPECT_EQ(g.HitTest(g.nGridRight - 5, 10, june).kind, K::NextMonth);
    EXPECT_EQ(g.HitTest(100, 10, june).kind, K::None);
    EXPECT_EQ(g.HitTest(100, 30, june).kind, K::None);  // weekday row
    // Row 1, column 3: the 1st.
    auto hit = g.HitTest(2 * 28 + 5, 25 + 16 + 3, june);
    ASSERT_EQ(hit.kind, K::Day);
    EXPECT_EQ(hit.date, D(2010, 6, 1));
    // Row 1, column 1: an empty cell before the 1st.
    EXPECT_EQ(g.HitTest(5, 25 + 16 + 3, june).kind, K::None);
    // Row 5, column 4: the 30th; column 5 is past the month's end.
    hit = g.HitTest(3 * 28 + 5, 25 + 5 * 16 + 3, june);
    ASSERT_EQ(hit.kind, K::Day);
    EXPECT_EQ(hit.date, D(2010, 6, 30));
    EXPECT_EQ(g.HitTest(4 * 28 + 5, 25 + 5 * 16 + 3, june).kind, K::None);
    // Outside the grid: right of it, below it, negative.
    EXPECT_EQ(g.HitTest(g.nGridRight + 1, 60, june).kind, K::None);
    EXPECT_EQ(g.HitTest(50, g.nGridBottom + 1, june).kind, K::None);
    EXPECT_EQ(g.HitTest(-3, 60, june).kind, K::None);
    EXPECT_EQ(g.HitTest(50, -1, june).kind, K::None);
}

TEST(CalendarGrid, HighlightRectangles) {
    const CalendarGrid g(200, 140);
    const auto r = g.DayCell(D(2009, 2, 1));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, 28);
    EXPECT_EQ(r.top, 25 + 16 + 1);
    EXPECT_EQ(r.bottom, r.top + 16 - 2);
}

}  // namespace

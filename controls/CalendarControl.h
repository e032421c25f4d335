#pragma once
// CalendarControl: a month calendar drawn with GDI on a custom control. A
// header with month and year between two arrow buttons, the weekday row and
// six week rows; the selected day is filled in the caption colour. Arrow
// keys, Page Up/Down and Home/End move the selection, a click selects a day
// or pages a month, a double click hands the day to the owner and closes it.
// The geometry and arithmetic are CalendarGrid's.
#include <memory>
#include <vector>

#include "controls/CalendarGrid.h"
#include "platform/gui/controls.h"
#include "platform/gui/handles.h"

namespace kp {

// An owner that wants to hear of every change of the selected date.
class DateChangedListener {
  public:
    virtual ~DateChangedListener() = default;
    virtual void DateChanged(Date d) = 0;
};

// An owner that takes the double-clicked date (and is closed then).
class DateSelector {
  public:
    virtual ~DateSelector() = default;
    Date dSelected;
};

class CalendarControl : public CustomControl {
  public:
    CalendarControl(Window* owner, const ResourceID& id);
    CalendarControl(Window* owner, int id, Point origin, Dimension size,
                    DWORD style = WS_VISIBLE | WS_BORDER | WS_TABSTOP);
    Symbol ClassName() const override;

    Date CurrentDate() const { return dCurrent_; }
    // Selects a date within the limits; a date of another month shows that
    // month. Tells the owner.
    void CurrentDate(Date d);
    const CalendarGrid& Grid() const { return grid_; }
    Date dFirst() const { return dFirst_; }
    Date dLast() const { return dLast_; }

    void MoveDays(long days);
    void MoveMonths(int step);

    // Days of the month shown that stand out (a tinted cell, the number in
    // blue): days with appointments. The owner sets them when the month
    // changes; they hold until it sets others.
    void MarkDays(std::vector<int> days);
    bool IsMarked(Date d) const;

    // Public as the owner may set them.
    std::shared_ptr<kp::Brush> Brush;
    Date dMinDate = CalendarGrid::MinDate();
    Date dMaxDate = CalendarGrid::MaxDate();

    LRESULT Dispatch(Event& e) override;
    void Expose(ExposeEvent& e) override;
    void KeyDown(KeyEvent& e) override;
    void MouseButtonDown(MouseEvent& e) override;
    void MouseButtonDoubleClick(MouseEvent& e) override;
    void Resize(ResizeEvent& e) override;

  private:
    void Setup();
    void Notify();
    void DrawOutline(HDC dc);
    void DrawArrows(HDC dc);
    void DrawDays(HDC dc);
    void HighlightDay(HDC dc);
    void UnHighlightDay(HDC dc);
    void Draw3DBox(HDC dc, int x1, int y1, int x2, int y2);
    void DrawDayNumber(HDC dc, Date d, COLORREF color);
    void FillDay(HDC dc, Date d);

    CalendarGrid grid_{0, 0};
    Date dCurrent_;
    Date dFirst_;
    Date dLast_;
    bool lNotifyOwner_ = false;
    std::vector<int> marked_;
    HPEN pWhite_ = nullptr;
    GdiHandle<HPEN> pGrey_;
};

// Registers the calendar's window class, so that dialog resources can name it.
void RegisterCalendarClass();

}  // namespace kp

#pragma once
// DlgCalendar: the small modal dialog with a month calendar that a date
// field opens on a double click, placed right below the field. The day
// double-clicked (or taken with Return) is dSelected; closing it otherwise
// leaves dSelected empty.
#include <memory>

#include "controls/CalendarControl.h"
#include "platform/gui/dialogwindow.h"

namespace kp {

class PEDateSle;

inline constexpr int ID_CALENDAR_CONTROL = 100;

class DlgCalendar : public DialogWindow, public DateSelector {
  public:
    DlgCalendar(Window* owner, PEDateSle* field);
    Symbol ClassName() const override;

    CalendarControl* oCalendar() const { return oCalendar_.get(); }

    // The dialog's top-left corner in screen pixels for a field's screen
    // rectangle: below the field, from its left edge or (alignLeft false)
    // from its right edge.
    static POINT PlaceBelow(const RECT& fieldOnScreen, bool alignLeft);

  private:
    void PostInit(PEDateSle* field);
    std::unique_ptr<CalendarControl> oCalendar_;
};

}  // namespace kp

#include "controls/dlgCalendar.h"

#include "controls/sleDatum.h"

namespace kp {

DlgCalendar::DlgCalendar(Window* owner, PEDateSle* field)
    : DialogWindow((RegisterCalendarClass(), owner), ResourceID("dlgCalendar"), true) {
    oCalendar_ = std::make_unique<CalendarControl>(this, ResourceID(ID_CALENDAR_CONTROL));
    oCalendar_->HyperLabel(kp::HyperLabel("Calendar"));
    Caption("KONTORPLUS Kalender");
    HyperLabel(kp::HyperLabel("dlgCalendar", "KONTORPLUS Kalender"));
    if (owner && owner->Icon()) {
        Icon(owner->Icon());
        IconSm(owner->IconSm() ? owner->IconSm() : owner->Icon());
    }
    PostInit(field);
}

Symbol DlgCalendar::ClassName() const {
    return Symbol("DLGCALENDAR");
}

POINT DlgCalendar::PlaceBelow(const RECT& field, bool alignLeft) {
    return POINT{alignLeft ? field.left : field.right, field.bottom};
}

void DlgCalendar::PostInit(PEDateSle* field) {
    if (!field || !field->Handle() || !Handle())
        return;
    RECT r{};
    GetWindowRect(field->Handle(), &r);
    const POINT p = PlaceBelow(r, field->lAlignCalendarLeft);
    SetWindowPos(Handle(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kp

#pragma once
// Giving the focus back to a field whose leaving was refused.
//
// Taking the focus back inside the focus-loss message makes two refusing
// fields hand the focus to each other for ever and steals it back from
// other programs. So the field only asks: the return is posted, happens only
// while the focus is still within the field's form, and a field that loses
// the focus to another field's return does not ask in turn.
#include <windows.h>

#include <functional>

namespace kp {

class FocusReturn {
  public:
    // Posted to the field itself.
    static constexpr UINT kMessage = WM_APP + 0x4B46;

    // The focus left `field` for `newFocus`: posts the return when the new
    // focus lies within the field's form and is not itself a return.
    void Request(HWND field, HWND newFocus);
    // The posted message arrived: runs `before` (a message to the user, say)
    // and puts the focus back, when the focus is still within the form.
    // Returns whether the focus went back.
    bool Perform(HWND field, const std::function<void()>& before = {});
    // True while this field takes the focus back.
    bool Returning() const { return returning_; }
    // Whether the window is a field that is taking the focus back now.
    static bool IsReturning(HWND hwnd);

    // The form a window belongs to: its top window, or its MDI child.
    static HWND FormOf(HWND hwnd);
    static bool WithinForm(HWND field, HWND other);

  private:
    bool pending_ = false;
    bool returning_ = false;
};

// Fields that give the focus back tell so through this interface.
class FocusReturning {
  public:
    virtual ~FocusReturning() = default;
    virtual const FocusReturn& FocusReturner() const = 0;
};

}  // namespace kp

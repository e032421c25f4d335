#pragma once
// DialogWindow: a dialog from a dialog resource, modal or modeless.
//
// The dialog exists (hidden) from construction, so that a layout class can
// bind its controls by resource id before it is shown. Show runs a modal
// dialog until EndDialog, with its owner's window disabled meanwhile; a
// modeless dialog shows and returns. EndDialog ends the dialog and records
// its Result; the object stays.
#include <windows.h>

#include "platform/gui/control.h"
#include "platform/gui/window.h"

namespace kp {

// Where a dialog whose template gives no position opens: centred over the
// rectangle of the window it belongs to (the work area without one), moved
// into the work area where it would stick out. Screen pixels.
POINT CentredDialogPosition(const RECT& dialog, const RECT& owner, const RECT& workArea);

class DialogWindow : public Window {
  public:
    DialogWindow(Window* owner, const ResourceID& dialog, bool modal = true);
    ~DialogWindow() override;
    Symbol ClassName() const override;

    bool IsModal() const { return modal_; }
    void Show(int showState = SHOWNORMAL) override;
    virtual void EndDialog(int result = 0);
    int Result() const { return result_; }

    // Closing a dialog (close box, Escape without a cancel button) ends it.
    void Close(Event& e) override;
    LRESULT Dispatch(Event& e) override;

  protected:
    void Detached() override;

  private:
    bool modal_;
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace kp

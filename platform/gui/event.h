#pragma once
// Events: one Windows message as it is dispatched to a window or control
// object, with typed views for the handlers.
#include <windows.h>

#include "platform/gui/geometry.h"
#include "platform/gui/resource.h"
#include "platform/runtime/symbol.h"

namespace kp {

class Window;
class Control;

// The library's state of one message while it is dispatched: whose default
// processing applies, and whether it has run.
struct EventContext {
    Window* receiver = nullptr;
    bool defaultDone = false;
    LRESULT defaultResult = 0;
};

class Event {
  public:
    Event(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, EventContext* context = nullptr)
        : hwnd_(hwnd), message_(message), wParam_(wParam), lParam_(lParam), context_(context) {}
    virtual ~Event() = default;
    Event(const Event&) = default;
    Event& operator=(const Event&) = default;

    HWND Handle() const { return hwnd_; }
    UINT Message() const { return message_; }
    WPARAM wParam() const { return wParam_; }
    LPARAM lParam() const { return lParam_; }
    // The object the message was sent to (for a form's surface: the surface).
    Window* Receiver() const { return context_ ? context_->receiver : nullptr; }
    EventContext* Context() const { return context_; }

  private:
    HWND hwnd_;
    UINT message_;
    WPARAM wParam_;
    LPARAM lParam_;
    EventContext* context_;
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR (and their system variants).
class KeyEvent : public Event {
  public:
    explicit KeyEvent(const Event& e) : Event(e) {}
    int KeyCode() const { return static_cast<int>(wParam()); }
    int RepeatCount() const { return static_cast<int>(lParam() & 0xFFFF); }
};

// Mouse button and move messages. Position is in the library's coordinates of
// the receiving window's client area.
class MouseEvent : public Event {
  public:
    explicit MouseEvent(const Event& e) : Event(e) {}
    bool IsLeftButton() const;
    bool IsRightButton() const;
    bool IsMiddleButton() const;
    Point Position() const;
    int KeyState() const { return static_cast<int>(wParam()); }  // MK_ flags
};

// WM_SETFOCUS / WM_KILLFOCUS of the window itself.
class FocusChangeEvent : public Event {
  public:
    explicit FocusChangeEvent(const Event& e) : Event(e) {}
    bool GotFocus() const { return Message() == WM_SETFOCUS; }
};

// A notification from a control to its owner (WM_COMMAND from a control).
class ControlEvent : public Event {
  public:
    explicit ControlEvent(const Event& e) : Event(e) {}
    kp::Control* Control() const;  // null when the control has no object
    HWND ControlHandle() const { return reinterpret_cast<HWND>(lParam()); }
    int ControlID() const { return LOWORD(wParam()); }
    int NotifyCode() const { return HIWORD(wParam()); }
    Symbol NameSym() const;  // the control's name, null without an object
};

// An edit control of the owner gained or lost the focus.
class EditFocusChangeEvent : public ControlEvent {
  public:
    explicit EditFocusChangeEvent(const Event& e) : ControlEvent(e) {}
    bool GotFocus() const { return NotifyCode() == EN_SETFOCUS; }
    kp::HyperLabel HyperLabel() const;  // the control's, empty without one
};

// WM_NOTIFY from a common control.
class ControlNotifyEvent : public Event {
  public:
    explicit ControlNotifyEvent(const Event& e) : Event(e) {}
    const NMHDR* Header() const { return reinterpret_cast<const NMHDR*>(lParam()); }
    kp::Control* Control() const;
};

// A menu or accelerator command, with the name its menu registered for it.
class MenuCommandEvent : public Event {
  public:
    MenuCommandEvent(const Event& e, Symbol name) : Event(e), name_(name) {}
    int ItemID() const { return LOWORD(wParam()); }
    Symbol NameSym() const { return name_; }

  private:
    Symbol name_;
};

// WM_INITMENU / WM_INITMENUPOPUP.
class MenuInitEvent : public Event {
  public:
    explicit MenuInitEvent(const Event& e) : Event(e) {}
    HMENU MenuHandle() const { return reinterpret_cast<HMENU>(wParam()); }
};

// WM_PAINT: the handler paints the event's window (PaintDC of Handle()).
class ExposeEvent : public Event {
  public:
    explicit ExposeEvent(const Event& e) : Event(e) {}
};

// WM_SIZE: the new client size.
class ResizeEvent : public Event {
  public:
    explicit ResizeEvent(const Event& e) : Event(e) {}
    Dimension Size() const { return Dimension(LOWORD(lParam()), HIWORD(lParam())); }
    int Type() const { return static_cast<int>(wParam()); }  // SIZE_RESTORED ...
};

// WM_HELP (F1): the help context of the control or window asked about.
class HelpRequestEvent : public Event {
  public:
    explicit HelpRequestEvent(const Event& e) : Event(e) {}
    const HELPINFO* Info() const { return reinterpret_cast<const HELPINFO*>(lParam()); }
    // The hyper-label help context of the object under help; "" when none.
    std::string HelpContext() const;
};

}  // namespace kp
